#include "ui/qt/ProgresoQt.h"

#include "ui/controles/Disposicion.h"
#include "ui/widgets/Enlaces.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/SinCaption.h"
#include "ui/widgets/Twips.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QScreen>
#include <QWidget>

namespace {

class VentanaProgresoQt final : public VentanaProgreso {
public:
  VentanaProgresoQt();
  ~VentanaProgresoQt() override;
  VentanaProgresoQt(const VentanaProgresoQt &) = delete;
  VentanaProgresoQt &operator=(const VentanaProgresoQt &) = delete;

  Controles::Texto &Lbl_Titulo() override { return *titulo_; }
  Controles::BarraProgreso &PBar() override { return *barra_; }
  void Mostrar() override;
  [[nodiscard]] QWidget *Widget() const { return ventana_.get(); }

private:
  std::unique_ptr<QWidget> ventana_;
  std::unique_ptr<Enlaces::Etiqueta> titulo_;
  std::unique_ptr<Enlaces::Barra> barra_;
};

VentanaProgresoQt::VentanaProgresoQt() {
  using Plataforma::RectTwips;
  const QColor azul = Estilo::AzulOscuro();
  const QColor amarillo = Estilo::Amarillo();
  ventana_ = std::make_unique<QWidget>(nullptr,
                                       Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  QWidget &ventana = *ventana_;
  ventana.setObjectName(QStringLiteral("F_Progress"));
  ventana.setWindowTitle(QString());
  ventana.setFixedSize(RectTwips(Disposicion::ClienteProgreso).size());
  QPalette paleta = ventana.palette();
  paleta.setColor(QPalette::Window, azul);
  paleta.setColor(QPalette::WindowText, amarillo);
  ventana.setPalette(paleta);
  ventana.setAutoFillBackground(true);

  auto *lblTitulo = new QLabel(QString::fromLatin1(Disposicion::TituloInicial), &ventana);
  lblTitulo->setObjectName(QStringLiteral("Lbl_Titulo"));
  lblTitulo->setGeometry(RectTwips(Disposicion::LblTitulo));
  lblTitulo->setFont(Estilo::Courier(Disposicion::PuntosTitulo, true));
  lblTitulo->setAutoFillBackground(true);

  auto *shape = new QFrame(&ventana);
  shape->setObjectName(QStringLiteral("Shape"));
  shape->setGeometry(RectTwips(Disposicion::Shape));
  shape->setFrameStyle(QFrame::Box | QFrame::Plain);
  shape->setLineWidth(1);
  QPalette paletaShape = shape->palette();
  paletaShape.setColor(QPalette::WindowText, amarillo);
  shape->setPalette(paletaShape);

  auto *pBar = new QProgressBar(&ventana);
  pBar->setObjectName(QStringLiteral("PBar"));
  pBar->setGeometry(RectTwips(Disposicion::PBar));
  pBar->setRange(0, 100);
  pBar->setValue(0);
  pBar->setTextVisible(false);

  titulo_ = std::make_unique<Enlaces::Etiqueta>(*lblTitulo);
  barra_ = std::make_unique<Enlaces::Barra>(*pBar);

  if (const QScreen *pantalla = QGuiApplication::primaryScreen()) {
    const QRect area = pantalla->availableGeometry();
    ventana.move(area.center() - QPoint(ventana.width() / 2, ventana.height() / 2));
  }
}

VentanaProgresoQt::~VentanaProgresoQt() {
  if (QCoreApplication::instance() == nullptr) {
    // Too late to destroy widgets safely; the process is ending anyway.
    static_cast<void>(ventana_.release());
  }
}

void VentanaProgresoQt::Mostrar() {
  // No caption text, not even the one Qt would put in an empty title's place.
  Plataforma::QuitarCaption(*ventana_);
  ventana_->show();
  ventana_->raise();
  ventana_->repaint();
  // Drawn before the work; the user's clicks and keys wait for it to end, or
  // one would start another action inside this one.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

std::unique_ptr<VentanaProgreso> CargarVentanaProgresoQt() {
  return std::make_unique<VentanaProgresoQt>();
}

QWidget *WidgetDe(const F_Progress &progreso) {
  const auto *ventana = dynamic_cast<const VentanaProgresoQt *>(progreso.Ventana());
  return ventana != nullptr ? ventana->Widget() : nullptr;
}
