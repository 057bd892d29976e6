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
#include <QPushButton>
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

F_Ver::F_Ver(QWidget *padre, Gestion::Visor visor)
    : QWidget(padre, Qt::Window), visor_(std::move(visor)) {
  setObjectName(QStringLiteral("F_Ver"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto *columna = new QVBoxLayout(this);
  auto *arriba = new QHBoxLayout;
  auto *etiqueta = new QLabel(QStringLiteral("Ver como:"), this);
  vistas_ = new QComboBox(this);
  vistas_->setObjectName(QStringLiteral("Vistas"));
  for (const Ver::Vista v : visor_.vistas)
    vistas_->addItem(Utf8(std::string(Ver::TituloVista(v))));
  vistas_->setEnabled(visor_.vistas.size() > 1);
  arriba->addWidget(etiqueta);
  arriba->addWidget(vistas_);
  // A screen's mode and palette, and its picture saved.
  pantalla_ = new QWidget(this);
  auto *opciones = new QHBoxLayout(pantalla_);
  opciones->setContentsMargins(0, 0, 0, 0);
  auto *etiquetaModo = new QLabel(QStringLiteral("Modo:"), pantalla_);
  modos_ = new QComboBox(pantalla_);
  modos_->setObjectName(QStringLiteral("Modos"));
  for (const char *m : {"0", "1", "2"})
    modos_->addItem(QString::fromLatin1(m));
  auto *etiquetaPaleta = new QLabel(QStringLiteral("Paleta:"), pantalla_);
  paletas_ = new QComboBox(pantalla_);
  paletas_->setObjectName(QStringLiteral("Paletas"));
  guardar_ = new QPushButton(QStringLiteral("Guardar como PNG…"), pantalla_);
  guardar_->setObjectName(QStringLiteral("GuardarPng"));
  opciones->addWidget(etiquetaModo);
  opciones->addWidget(modos_);
  opciones->addWidget(etiquetaPaleta);
  opciones->addWidget(paletas_);
  opciones->addWidget(guardar_);
  arriba->addWidget(pantalla_);
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
           this, etiqueta, vistas_, texto_, marcoImagen_, marcoImagen_->viewport(), imagen_, nota_,
           pantalla_, etiquetaModo, modos_, etiquetaPaleta, paletas_, guardar_})
    Estilo::AmarilloSobreAzul(control);
  for (QWidget *control : std::initializer_list<QWidget *>{
           etiqueta, vistas_, nota_, etiquetaModo, modos_, etiquetaPaleta, paletas_, guardar_})
    control->setFont(Estilo::Courier(PuntosTexto));

  const int ancho = texto_->fontMetrics().horizontalAdvance(QString(84, u'0'));
  resize(ancho + 40, 560);
  connect(vistas_, &QComboBox::activated, this, [this](int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= visor_.vistas.size() || !visor_.calcular)
      return;
    Plataforma::ProtegerEvento(
        this, [this, i] { Mostrar(visor_.calcular(visor_.vistas[static_cast<std::size_t>(i)])); });
  });
  connect(modos_, &QComboBox::activated, this, [this](int i) {
    if (visor_.otroModo)
      Plataforma::ProtegerEvento(this,
                                 [this, i] { Mostrar(visor_.otroModo(visor_.contenido, i)); });
  });
  connect(paletas_, &QComboBox::activated, this, [this](int i) {
    if (i >= 0 && visor_.otraPaleta)
      Plataforma::ProtegerEvento(this, [this, i] {
        Mostrar(visor_.otraPaleta(visor_.contenido, static_cast<std::size_t>(i)));
      });
  });
  connect(guardar_, &QPushButton::clicked, this, [this] {
    if (visor_.guardarPng)
      Plataforma::ProtegerEvento(this, [this] { visor_.guardarPng(visor_.contenido); });
  });
  const Gestion::Contenido primero = visor_.contenido;
  Mostrar(primero);
}

void F_Ver::Mostrar(const Gestion::Contenido &contenido) {
  visor_.contenido = contenido;
  setWindowTitle(Utf8(contenido.titulo) + QStringLiteral(" - Alcove"));
  const auto propia = std::find(visor_.vistas.begin(), visor_.vistas.end(), contenido.vista);
  if (propia != visor_.vistas.end())
    vistas_->setCurrentIndex(static_cast<int>(propia - visor_.vistas.begin()));
  pantalla_->setVisible(contenido.pantalla.has_value());
  if (contenido.pantalla) {
    modos_->setCurrentIndex(contenido.pantalla->modo);
    paletas_->clear();
    for (const std::string &p : contenido.pantalla->paletas)
      paletas_->addItem(Utf8(p));
    paletas_->setCurrentIndex(static_cast<int>(contenido.pantalla->paleta));
    paletas_->setEnabled(contenido.pantalla->paletas.size() > 1);
  }
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
