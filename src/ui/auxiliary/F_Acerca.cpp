#include "ui/auxiliary/F_Acerca.h"

#include "ui/auxiliary/Portada.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/MedidorLed.h"
#include "ui/widgets/Twips.h"
#include "util/Redondeo.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <limits>

namespace Acerca {

std::string TextoSistema(const std::vector<Plataforma::ObjetoSistema> &objetos) {
  static constexpr const char *SaltoLinea = "\r\n";
  std::string texto;
  for (const auto &objeto : objetos) {
    texto = "S.O. " + objeto.Propiedad("Caption").value_or(std::string()) + SaltoLinea;
    if (const auto version = objeto.Propiedad("Version")) {
      texto += "Version: " + *version;
    }
    texto += SaltoLinea;
    if (const auto serie = objeto.Propiedad("SerialNumber")) {
      texto += "S/N:" + *serie;
    }
  }
  return texto;
}

std::optional<std::int16_t> PorcentajeEnUso(std::int64_t total, std::int64_t disponible) {
  if (total == 0) {
    return std::nullopt;
  }
  const double totalD = static_cast<double>(total);
  const double p = RedondearPar((totalD - static_cast<double>(disponible)) / totalD * 100.0);
  if (!(p >= std::numeric_limits<std::int16_t>::min() &&
        p <= std::numeric_limits<std::int16_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(p);
}

} // namespace Acerca

namespace {

const QColor AzulOscuro = Estilo::AzulOscuro();
const QColor Amarillo = Estilo::Amarillo();

F_Acerca *cargada = nullptr;

void Colorear(QWidget &control, const QColor &fondo, const QColor &texto) {
  QPalette paleta = control.palette();
  paleta.setColor(QPalette::Window, fondo);
  paleta.setColor(QPalette::Base, fondo);
  paleta.setColor(QPalette::WindowText, texto);
  paleta.setColor(QPalette::Text, texto);
  control.setPalette(paleta);
  control.setAutoFillBackground(true);
}

QLabel *Etiqueta(const char *nombre, const QString &texto, const QRect &sitio, QWidget &padre) {
  auto *etiqueta = new QLabel(texto, &padre);
  etiqueta->setObjectName(QString::fromLatin1(nombre));
  etiqueta->setGeometry(sitio);
  etiqueta->setFont(Estilo::Courier(8.25, false));
  Colorear(*etiqueta, AzulOscuro, Amarillo);
  return etiqueta;
}

} // namespace

F_Acerca::F_Acerca(const Plataforma::ServicioInfoSistema &info,
                   const Plataforma::ServicioMemoria &memoria)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      info_(info), memoria_(memoria) {
  using Plataforma::RectTwips;
  setObjectName(QStringLiteral("F_Acerca"));
  setWindowTitle(QStringLiteral("Acerca de Alcove beta 1"));
  setFixedSize(Plataforma::TwipsAPixeles(4935), Plataforma::TwipsAPixeles(4470));
  Colorear(*this, Qt::black, Amarillo);

  auto *picture1 = new QLabel(this);
  picture1->setObjectName(QStringLiteral("Picture1"));
  picture1->setGeometry(RectTwips(135, 90, 4695, 2805));
  picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop); // clipped, never scaled
  picture1->setPixmap(QPixmap::fromImage(DibujarPortada()));

  txtInfo_ = new QPlainTextEdit(this);
  txtInfo_->setObjectName(QStringLiteral("TxT_Info"));
  txtInfo_->setGeometry(RectTwips(0, 3015, 4950, 735));
  txtInfo_->setFont(Estilo::Courier(8.25, true));
  txtInfo_->setReadOnly(true);
  // Long lines wrap inside the box, which shows no scroll bars.
  txtInfo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtInfo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtInfo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtInfo_->setFrameStyle(QFrame::NoFrame);
  txtInfo_->document()->setDocumentMargin(2);
  Colorear(*txtInfo_, AzulOscuro, Amarillo);
  Colorear(*txtInfo_->viewport(), AzulOscuro, Amarillo);

  auto *frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("Frame_Memoria"));
  frame->setGeometry(RectTwips(0, 3600, 3195, 855));
  Colorear(*frame, AzulOscuro, Amarillo);

  Etiqueta("Label1", QStringLiteral("mem.  Fisica:"), RectTwips(0, 240, 1515, 240), *frame);
  ledMeter1_ = new MedidorLed(frame);
  ledMeter1_->setObjectName(QStringLiteral("LEDMeter1"));
  ledMeter1_->setGeometry(RectTwips(1575, 225, 1095, 255));
  lblPor1_ = Etiqueta("Lbl_Por1", QString(), RectTwips(2745, 240, 375, 240), *frame);

  Etiqueta("Label2", QStringLiteral("mem. Virtual:"), RectTwips(0, 480, 1515, 240), *frame);
  ledMeter2_ = new MedidorLed(frame);
  ledMeter2_->setObjectName(QStringLiteral("LEDMeter2"));
  ledMeter2_->setGeometry(RectTwips(1575, 495, 1095, 255));
  lblPor2_ = Etiqueta("Lbl_Por2", QString(), RectTwips(2745, 480, 375, 240), *frame);

  auto *aceptar = new QPushButton(QStringLiteral("Aceptar"), this);
  aceptar->setObjectName(QStringLiteral("Cmd_Aceptar"));
  aceptar->setGeometry(RectTwips(3285, 3825, 1560, 555));
  aceptar->setFont(Estilo::Courier(9.75, true));
  aceptar->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black;"
                                        " border: 2px outset rgb(200, 200, 0); }"
                                        "QPushButton:pressed { border-style: inset; }"
                                        "QPushButton:focus { border-color: white; }")
                             .arg(Amarillo.name()));
  aceptar->setDefault(true);
  connect(aceptar, &QPushButton::clicked, this, [this] { Cmd_Aceptar_Click(); });

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(IntervaloMs);
  connect(timer_, &QTimer::timeout, this, [this] { Timer_Timer(); });

  cargada = this;
  Form_Load();
  timer_->start();
}

F_Acerca::~F_Acerca() {
  if (cargada == this) {
    cargada = nullptr;
  }
}

F_Acerca *F_Acerca::Cargada() { return cargada; }

void F_Acerca::Form_Load() {
  // Any failure leaves the box empty, without a word.
  try {
    const std::string texto = Acerca::TextoSistema(info_.SistemasOperativos());
    txtInfo_->setPlainText(
        QString::fromStdString(texto).replace(QLatin1String("\r\n"), QLatin1String("\n")));
  } catch (...) {
  }
}

void F_Acerca::Timer_Timer() {
  // Any failure ends this tick; what it already showed stays, and the next tick
  // tries again.
  try {
    const Plataforma::EstadoMemoria estado = memoria_.Consultar();
    const auto fisica = Acerca::PorcentajeEnUso(estado.TotalFisica, estado.DisponibleFisica);
    if (!fisica) {
      return;
    }
    ledMeter1_->PonerValor(*fisica);
    lblPor1_->setText(QString::number(*fisica) + QLatin1Char('%'));
    const auto virtual_ = Acerca::PorcentajeEnUso(estado.TotalVirtual, estado.DisponibleVirtual);
    if (!virtual_) {
      return;
    }
    ledMeter2_->PonerValor(*virtual_);
    lblPor2_->setText(QString::number(*virtual_) + QLatin1Char('%'));
  } catch (...) {
  }
}

void F_Acerca::Cmd_Aceptar_Click() { done(QDialog::Accepted); }

void MostrarAcercaDe(const Plataforma::ServicioInfoSistema &info,
                     const Plataforma::ServicioMemoria &memoria) {
  if (F_Acerca *abierta = F_Acerca::Cargada()) {
    abierta->raise();
    abierta->activateWindow();
    return;
  }
  F_Acerca ventana(info, memoria);
  ventana.exec();
}

void MostrarAcercaDe() {
  // The services are made for each showing; they hold no state of their own.
  const auto info = Plataforma::CrearInfoSistemaHost();
  const auto memoria = Plataforma::CrearMemoriaHost();
  MostrarAcercaDe(*info, *memoria);
}
