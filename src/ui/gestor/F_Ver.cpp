#include "ui/gestor/F_Ver.h"

#include "ui/widgets/Estilo.h"
#include "ui/widgets/LimiteEvento.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double PuntosTexto = 10;
// The screen viewer's pictures are 640 pixels wide, their lines and pixels
// already doubled to the monitor's shape: smaller ones are enlarged by whole
// times to that width.
constexpr int AnchoPantalla = 640;

QString Utf8(const std::string &texto) {
  return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}

} // namespace

F_Ver::F_Ver(QWidget *padre, const Gestion::Contenido &contenido, std::vector<Ver::Vista> vistas,
             Calcular calcular)
    : QWidget(padre, Qt::Window), opciones_(std::move(vistas)), calcular_(std::move(calcular)) {
  setObjectName(QStringLiteral("F_Ver"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto *columna = new QVBoxLayout(this);
  auto *arriba = new QHBoxLayout;
  auto *etiqueta = new QLabel(QStringLiteral("Ver como:"), this);
  vistas_ = new QComboBox(this);
  vistas_->setObjectName(QStringLiteral("Vistas"));
  for (const Ver::Vista v : opciones_)
    vistas_->addItem(Utf8(Gestion::TituloVista(v)));
  vistas_->setEnabled(opciones_.size() > 1);
  arriba->addWidget(etiqueta);
  arriba->addWidget(vistas_);
  arriba->addStretch(1);
  columna->addLayout(arriba);

  pila_ = new QStackedWidget(this);
  texto_ = new QPlainTextEdit(pila_);
  texto_->setObjectName(QStringLiteral("Texto"));
  texto_->setReadOnly(true);
  texto_->setLineWrapMode(QPlainTextEdit::NoWrap);
  texto_->setFont(Estilo::Courier(PuntosTexto));
  marcoImagen_ = new QScrollArea(pila_);
  imagen_ = new QLabel(marcoImagen_);
  imagen_->setObjectName(QStringLiteral("Imagen"));
  imagen_->setAlignment(Qt::AlignCenter);
  marcoImagen_->setWidget(imagen_);
  marcoImagen_->setWidgetResizable(true);
  pila_->addWidget(texto_);
  pila_->addWidget(marcoImagen_);
  columna->addWidget(pila_, 1);

  nota_ = new QLabel(this);
  nota_->setObjectName(QStringLiteral("Nota"));
  nota_->setTextFormat(Qt::PlainText);
  nota_->setWordWrap(true);
  columna->addWidget(nota_);

  for (QWidget *control : std::initializer_list<QWidget *>{
           this, etiqueta, vistas_, texto_, marcoImagen_, marcoImagen_->viewport(), imagen_, nota_})
    Estilo::AmarilloSobreAzul(control);
  for (QWidget *control : std::initializer_list<QWidget *>{etiqueta, vistas_, nota_})
    control->setFont(Estilo::Courier(PuntosTexto));

  const int ancho = texto_->fontMetrics().horizontalAdvance(QString(84, u'0'));
  resize(ancho + 40, 560);
  connect(vistas_, &QComboBox::activated, this, [this](int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= opciones_.size() || !calcular_)
      return;
    Plataforma::ProtegerEvento(
        this, [this, i] { Mostrar(calcular_(opciones_[static_cast<std::size_t>(i)])); });
  });
  Mostrar(contenido);
}

void F_Ver::Mostrar(const Gestion::Contenido &contenido) {
  setWindowTitle(Utf8(contenido.titulo) + QStringLiteral(" - Alcove"));
  const auto propia = std::find(opciones_.begin(), opciones_.end(), contenido.vista);
  if (propia != opciones_.end())
    vistas_->setCurrentIndex(static_cast<int>(propia - opciones_.begin()));
  if (contenido.imagen && contenido.imagen->Valida()) {
    const Gestion::Imagen &p = *contenido.imagen;
    const QImage imagen(p.rgb.data(), p.ancho, p.alto, p.ancho * 3, QImage::Format_RGB888);
    const int veces = std::max(1, AnchoPantalla / p.ancho);
    imagen_->setPixmap(QPixmap::fromImage(imagen.scaled(p.ancho * veces, p.alto * veces)));
    texto_->clear();
    pila_->setCurrentWidget(marcoImagen_);
  } else {
    imagen_->clear();
    texto_->setPlainText(Utf8(contenido.texto));
    pila_->setCurrentWidget(texto_);
  }
  nota_->setText(Utf8(contenido.nota));
  nota_->setVisible(!contenido.nota.empty());
}

bool F_Ver::MuestraImagen() const { return pila_->currentWidget() == marcoImagen_; }

void F_Ver::keyPressEvent(QKeyEvent *evento) {
  if (evento->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(evento);
}
