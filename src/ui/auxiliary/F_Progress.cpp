#include "ui/auxiliary/F_Progress.h"

#include "ui/widgets/Estilo.h"
#include "ui/widgets/SinCaption.h"
#include "ui/widgets/Twips.h"
#include "util/Redondeo.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Progreso {

std::int32_t RedondearInt32(double x) {
  // Positions are whole numbers, so this is nearly always already one: take it
  // as it is (the bar is moved once per byte copied).
  if (x > -2147483648.0 && x < 2147483647.0) {
    const auto entero = static_cast<std::int32_t>(x);
    if (static_cast<double>(entero) == x) {
      return entero;
    }
  }
  if (std::isnan(x)) {
    return 0;
  }
  constexpr double minimo = std::numeric_limits<std::int32_t>::min();
  constexpr double maximo = std::numeric_limits<std::int32_t>::max();
  const double redondeado = RedondearPar(x);
  return static_cast<std::int32_t>(std::clamp(redondeado, minimo, maximo));
}

std::uint8_t ValorBarra(double valor, double de, double a) {
  const std::int64_t n = RedondearInt32((valor - de) * 100.0);
  const std::int64_t d = RedondearInt32(a);
  if (d == 0) {
    return 100;
  }
  // In 64 bits, so INT32_MIN / -1 is an ordinary quotient.
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(n / d + 1, 0, 100));
}

} // namespace Progreso

namespace {

const QColor AzulOscuro = Estilo::AzulOscuro();
const QColor Amarillo = Estilo::Amarillo();

// Qt destroys no widget after the application object is gone, so a window still
// loaded at exit is unloaded while the application is being destroyed.
bool limpiezaPendiente = false;

void DescargarAlSalir() {
  limpiezaPendiente = false;
  F_Progress::Instancia().Ocultar();
}

} // namespace

F_Progress::F_Progress() = default;

F_Progress::~F_Progress() {
  if (QCoreApplication::instance() == nullptr) {
    // Too late to destroy widgets safely; the process is ending anyway.
    static_cast<void>(ventana_.release());
  }
}

F_Progress &F_Progress::Instancia() {
  static F_Progress instancia;
  return instancia;
}

void F_Progress::Cargar() {
  if (ventana_) {
    return;
  }
  if (!limpiezaPendiente && this == &Instancia()) {
    qAddPostRoutine(DescargarAlSalir);
    limpiezaPendiente = true;
  }

  ventana_ = std::make_unique<QWidget>(nullptr,
                                       Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  QWidget &ventana = *ventana_;
  ventana.setObjectName(QStringLiteral("F_Progress"));
  ventana.setWindowTitle(QString());
  ventana.setFixedSize(Plataforma::TwipsAPixeles(6840), Plataforma::TwipsAPixeles(915));
  QPalette paleta = ventana.palette();
  paleta.setColor(QPalette::Window, AzulOscuro);
  paleta.setColor(QPalette::WindowText, Amarillo);
  ventana.setPalette(paleta);
  ventana.setAutoFillBackground(true);

  lblTitulo_ = new QLabel(QStringLiteral("Titulo"), &ventana);
  lblTitulo_->setObjectName(QStringLiteral("Lbl_Titulo"));
  lblTitulo_->setGeometry(Plataforma::RectTwips(0, 0, 6975, 330));
  lblTitulo_->setFont(Estilo::Courier(14.25, true));
  lblTitulo_->setAutoFillBackground(true);

  auto *shape = new QFrame(&ventana);
  shape->setObjectName(QStringLiteral("Shape"));
  shape->setGeometry(Plataforma::RectTwips(0, 315, 6855, 615));
  shape->setFrameStyle(QFrame::Box | QFrame::Plain);
  shape->setLineWidth(1);
  QPalette paletaShape = shape->palette();
  paletaShape.setColor(QPalette::WindowText, Amarillo);
  shape->setPalette(paletaShape);

  pBar_ = new QProgressBar(&ventana);
  pBar_->setObjectName(QStringLiteral("PBar"));
  pBar_->setGeometry(Plataforma::RectTwips(105, 420, 6615, 375));
  pBar_->setRange(0, 100);
  pBar_->setValue(0);
  pBar_->setTextVisible(false);
  escrituras_ = 0;
  OlvidarTramo();

  if (const QScreen *pantalla = QGuiApplication::primaryScreen()) {
    const QRect area = pantalla->availableGeometry();
    ventana.move(area.center() - QPoint(ventana.width() / 2, ventana.height() / 2));
  }
}

void F_Progress::SetValor(double valor) {
  valor_ = valor;
  // Called once per byte copied. While the position stays in the stretch that
  // gives the bar value already shown (and read back), neither the arithmetic nor
  // the bar has anything to do; leaving early keeps an 8 MiB copy quick.
  const double n = (valor - de_) * 100.0;
  if (pBar_ != nullptr && n >= tramoDesde_ && n < tramoHasta_ &&
      static_cast<double>(static_cast<std::int64_t>(n)) == n) {
    return;
  }
  barra_ = Progreso::ValorBarra(valor, de_, a_);
  Cargar();
  if (static_cast<float>(pBar_->value()) != static_cast<float>(barra_)) {
    pBar_->setValue(barra_);
    ++escrituras_;
  }
  const std::int64_t entero = Progreso::RedondearInt32(n);
  const std::int64_t divisor = Progreso::RedondearInt32(a_);
  if (divisor > 0 && entero >= 0 && entero / divisor + 1 <= 100) {
    tramoDesde_ = static_cast<double>(entero / divisor * divisor);
    tramoHasta_ = static_cast<double>((entero / divisor + 1) * divisor);
  } else {
    OlvidarTramo();
  }
}

double F_Progress::SinCambiosHasta() const {
  // Only for whole ranges starting at a whole De, where (p - De) * 100 is exact:
  // p keeps the bar while 100 (p - De) < tramoHasta_. The quotient may round
  // down, which only makes the answer more cautious.
  const bool exacto =
      std::fabs(de_) < 0x1p52 && static_cast<double>(static_cast<std::int64_t>(de_)) == de_;
  if (pBar_ == nullptr || tramoDesde_ >= tramoHasta_ || !exacto) {
    return -std::numeric_limits<double>::infinity();
  }
  return de_ + std::ceil(tramoHasta_ / 100.0);
}

void F_Progress::SetTitulo(const std::string &texto) {
  Cargar();
  lblTitulo_->setText(QString::fromLatin1(texto.data(), static_cast<qsizetype>(texto.size())));
}

void F_Progress::Mostrar() {
  Cargar();
  // No caption text, not even the one Qt would put in an empty title's place.
  Plataforma::QuitarCaption(*ventana_);
  ventana_->show();
  ventana_->raise();
  ventana_->repaint();
  QCoreApplication::processEvents();
}

void F_Progress::Ocultar() {
  lblTitulo_ = nullptr;
  pBar_ = nullptr;
  ventana_.reset();
}
