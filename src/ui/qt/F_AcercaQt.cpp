#include "ui/qt/F_AcercaQt.h"

#include "ui/controles/Disposicion.h"
#include "ui/qt/IconosQt.h"
#include "ui/widgets/Enlaces.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/MedidorLed.h"
#include "ui/widgets/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

F_AcercaQt *cargada = nullptr;

void Colorear(QWidget &control, const QColor &fondo, const QColor &texto) {
  QPalette paleta = control.palette();
  paleta.setColor(QPalette::Window, fondo);
  paleta.setColor(QPalette::Base, fondo);
  paleta.setColor(QPalette::WindowText, texto);
  paleta.setColor(QPalette::Text, texto);
  control.setPalette(paleta);
  control.setAutoFillBackground(true);
}

QLabel *Etiqueta(const char *nombre, const char *texto, const Disposicion::Lugar &sitio,
                 QWidget &padre) {
  auto *etiqueta = new QLabel(QString::fromLatin1(texto), &padre);
  etiqueta->setObjectName(QString::fromLatin1(nombre));
  etiqueta->setGeometry(Plataforma::RectTwips(sitio));
  etiqueta->setFont(Estilo::Courier(Disposicion::PuntosInfo, false));
  Colorear(*etiqueta, Estilo::AzulOscuro(), Estilo::Amarillo());
  return etiqueta;
}

MedidorLed *Led(const char *nombre, const Disposicion::Lugar &sitio, QWidget &padre) {
  auto *led = new MedidorLed(&padre);
  led->setObjectName(QString::fromLatin1(nombre));
  led->setGeometry(Plataforma::RectTwips(sitio));
  return led;
}

} // namespace

F_AcercaQt::F_AcercaQt(const Plataforma::ServicioInfoSistema &info,
                       const Plataforma::ServicioMemoria &memoria)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  namespace D = Disposicion;
  using Plataforma::RectTwips;
  const QColor azul = Estilo::AzulOscuro();
  const QColor amarillo = Estilo::Amarillo();
  setObjectName(QStringLiteral("F_Acerca"));
  setWindowTitle(QString::fromLatin1(D::TituloAcerca));
  setFixedSize(RectTwips(D::ClienteAcerca).size());
  Colorear(*this, Qt::black, amarillo);

  auto *picture1 = new QLabel(this);
  picture1->setObjectName(QStringLiteral("Picture1"));
  picture1->setGeometry(RectTwips(D::Picture1));
  picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop); // clipped, never scaled
  picture1->setPixmap(QPixmap::fromImage(Iconos::ImagenPortada()));

  auto *txtInfo = new QPlainTextEdit(this);
  txtInfo->setObjectName(QStringLiteral("TxT_Info"));
  txtInfo->setGeometry(RectTwips(D::TxtInfo));
  txtInfo->setFont(Estilo::Courier(D::PuntosInfo, true));
  txtInfo->setReadOnly(true);
  // Long lines wrap inside the box, which shows no scroll bars.
  txtInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtInfo->setFrameStyle(QFrame::NoFrame);
  txtInfo->document()->setDocumentMargin(2);
  Colorear(*txtInfo, azul, amarillo);
  Colorear(*txtInfo->viewport(), azul, amarillo);

  auto *frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("Frame_Memoria"));
  frame->setGeometry(RectTwips(D::FrameMemoria));
  Colorear(*frame, azul, amarillo);

  Etiqueta("Label1", D::TextoLabel1, D::Label1, *frame);
  MedidorLed *led1 = Led("LEDMeter1", D::LEDMeter1, *frame);
  QLabel *por1 = Etiqueta("Lbl_Por1", "", D::LblPor1, *frame);
  Etiqueta("Label2", D::TextoLabel2, D::Label2, *frame);
  MedidorLed *led2 = Led("LEDMeter2", D::LEDMeter2, *frame);
  QLabel *por2 = Etiqueta("Lbl_Por2", "", D::LblPor2, *frame);

  auto *aceptar = new QPushButton(QString::fromLatin1(D::TextoAceptar), this);
  aceptar->setObjectName(QStringLiteral("Cmd_Aceptar"));
  aceptar->setGeometry(RectTwips(D::CmdAceptar));
  aceptar->setFont(Estilo::Courier(D::PuntosBoton, true));
  aceptar->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black;"
                                        " border: 2px outset rgb(200, 200, 0); }"
                                        "QPushButton:pressed { border-style: inset; }"
                                        "QPushButton:focus { border-color: white; }")
                             .arg(amarillo.name()));
  aceptar->setDefault(true);

  txtInfo_ = std::make_unique<Enlaces::CuadroTexto>(*txtInfo);
  ledMeter1_ = std::make_unique<Enlaces::Led>(*led1);
  ledMeter2_ = std::make_unique<Enlaces::Led>(*led2);
  lblPor1_ = std::make_unique<Enlaces::Etiqueta>(*por1);
  lblPor2_ = std::make_unique<Enlaces::Etiqueta>(*por2);
  acerca_ = std::make_unique<F_Acerca>(F_Acerca::Controles_{txtInfo_.get(), ledMeter1_.get(),
                                                            lblPor1_.get(), ledMeter2_.get(),
                                                            lblPor2_.get(), this},
                                       info, memoria);
  connect(aceptar, &QPushButton::clicked, this, [this] { acerca_->Cmd_Aceptar_Click(); });

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(F_Acerca::IntervaloMs);
  connect(timer_, &QTimer::timeout, this, [this] { acerca_->Timer_Timer(); });

  cargada = this;
  acerca_->Form_Load();
  timer_->start();
}

F_AcercaQt::~F_AcercaQt() {
  if (cargada == this) {
    cargada = nullptr;
  }
}

F_AcercaQt *F_AcercaQt::Cargada() { return cargada; }

void F_AcercaQt::Unload() { done(QDialog::Accepted); }

void MostrarAcercaDe(const Plataforma::ServicioInfoSistema &info,
                     const Plataforma::ServicioMemoria &memoria) {
  if (F_AcercaQt *abierta = F_AcercaQt::Cargada()) {
    abierta->raise();
    abierta->activateWindow();
    return;
  }
  F_AcercaQt ventana(info, memoria);
  ventana.exec();
}

void MostrarAcercaDe() {
  // The services are made for each showing; they hold no state of their own.
  const auto info = Plataforma::CrearInfoSistemaHost();
  const auto memoria = Plataforma::CrearMemoriaHost();
  MostrarAcercaDe(*info, *memoria);
}
