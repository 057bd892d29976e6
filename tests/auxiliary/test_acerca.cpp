#include "platform/Errores.h"
#include "platform/sistema/EstadoMemoria.h"
#include "platform/sistema/InfoSistema.h"
#include "ui/qt/F_AcercaQt.h"
#include "ui/widgets/MedidorLed.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Plataforma::EstadoMemoria;
using Plataforma::ObjetoSistema;

class InfoFalsa final : public Plataforma::ServicioInfoSistema {
public:
  explicit InfoFalsa(std::vector<ObjetoSistema> objetos = {}) : objetos_(std::move(objetos)) {}
  [[nodiscard]] std::vector<ObjetoSistema> SistemasOperativos() const override {
    ++consultas;
    if (falla) {
      throw ErrorAlcove(Errores::ErrorEntradaSalida);
    }
    return objetos_;
  }
  bool falla = false;
  mutable int consultas = 0;

private:
  std::vector<ObjetoSistema> objetos_;
};

class MemoriaFalsa final : public Plataforma::ServicioMemoria {
public:
  explicit MemoriaFalsa(EstadoMemoria estado = {}) : estado_(estado) {}
  [[nodiscard]] EstadoMemoria Consultar() const override {
    ++consultas;
    if (falla) {
      throw ErrorAlcove(Errores::ErrorEntradaSalida);
    }
    return estado_;
  }
  bool falla = false;
  mutable int consultas = 0;

private:
  EstadoMemoria estado_;
};

// ---- The window ------------------------------------------------------------------

template <typename T> T *Control(QWidget &ventana, const char *nombre) {
  auto *control = ventana.findChild<T *>(QString::fromLatin1(nombre));
  EXPECT_NE(control, nullptr) << nombre;
  return control;
}

QString TextoInfo(QWidget &ventana) {
  return Control<QPlainTextEdit>(ventana, "TxT_Info")->toPlainText();
}

TEST(F_AcercaQt, HasItsControlsWithTheirTexts) {
  InfoFalsa info;
  MemoriaFalsa memoria;
  F_AcercaQt ventana(info, memoria);
  EXPECT_EQ(ventana.windowTitle(), QStringLiteral("Acerca de Alcove beta 1"));
  EXPECT_EQ(Control<QLabel>(ventana, "Label1")->text(), QStringLiteral("mem.  Fisica:"));
  EXPECT_EQ(Control<QLabel>(ventana, "Label2")->text(), QStringLiteral("mem. Virtual:"));
  EXPECT_EQ(Control<QPushButton>(ventana, "Cmd_Aceptar")->text(), QStringLiteral("Aceptar"));
  auto *frame = Control<QWidget>(ventana, "Frame_Memoria");
  for (const char *nombre :
       {"Label1", "LEDMeter1", "Lbl_Por1", "Label2", "LEDMeter2", "Lbl_Por2"}) {
    EXPECT_EQ(Control<QWidget>(ventana, nombre)->parentWidget(), frame) << nombre;
  }
  const QPixmap imagen = Control<QLabel>(ventana, "Picture1")->pixmap();
  EXPECT_EQ(imagen.size(), QSize(320, 200));
}

TEST(F_AcercaQt, LoadWritesTheSystemTextLineByLine) {
  InfoFalsa info({ObjetoSistema("Debian GNU/Linux 12", "12", "AB12"),
                  ObjetoSistema("Segundo", std::nullopt, "CD34")});
  MemoriaFalsa memoria;
  F_AcercaQt ventana(info, memoria);
  EXPECT_EQ(TextoInfo(ventana), QStringLiteral("S.O. Segundo\n\nS/N:CD34"));
  EXPECT_EQ(info.consultas, 1);
}

TEST(F_AcercaQt, AFailingServiceOrPropertyLeavesTheTextEmpty) {
  InfoFalsa falla({ObjetoSistema("Debian", "12", "X")});
  falla.falla = true;
  ObjetoSistema sinVersion;
  sinVersion.PonerPropiedad("Caption", "Debian");
  InfoFalsa propiedadFalla({ObjetoSistema("Primero", "1", "A"), sinVersion});
  MemoriaFalsa memoria;
  for (InfoFalsa *info : {&falla, &propiedadFalla}) {
    F_AcercaQt ventana(*info, memoria);
    EXPECT_TRUE(TextoInfo(ventana).isEmpty());
  }
}

TEST(F_AcercaQt, EachTickShowsBothPercentages) {
  InfoFalsa info;
  MemoriaFalsa memoria({.TotalFisica = 1000,
                        .DisponibleFisica = 430,
                        .TotalVirtual = 200,
                        .DisponibleVirtual = 197});
  F_AcercaQt ventana(info, memoria);
  auto *por1 = Control<QLabel>(ventana, "Lbl_Por1");
  auto *por2 = Control<QLabel>(ventana, "Lbl_Por2");
  EXPECT_TRUE(por1->text().isEmpty()); // nothing before the first tick
  EXPECT_TRUE(por2->text().isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !por2->text().isEmpty(); }, 2000));
  EXPECT_EQ(por1->text(), QStringLiteral("57%"));
  EXPECT_EQ(por2->text(), QStringLiteral("2%"));
  EXPECT_EQ(Control<MedidorLed>(ventana, "LEDMeter1")->Valor(), 57);
  EXPECT_EQ(Control<MedidorLed>(ventana, "LEDMeter2")->Valor(), 2);
}

TEST(F_AcercaQt, ATickThatCannotFinishStopsSilentlyAndTheNextTries) {
  InfoFalsa info;
  // Physical figures fine, virtual total 0: the first half of the tick stays.
  MemoriaFalsa sinVirtual(
      {.TotalFisica = 200, .DisponibleFisica = 199, .TotalVirtual = 0, .DisponibleVirtual = 0});
  F_AcercaQt ventana(info, sinVirtual);
  ASSERT_TRUE(QTest::qWaitFor([&] { return sinVirtual.consultas >= 2; }, 2000));
  EXPECT_EQ(Control<QLabel>(ventana, "Lbl_Por1")->text(), QStringLiteral("0%"));
  EXPECT_TRUE(Control<QLabel>(ventana, "Lbl_Por2")->text().isEmpty());

  MemoriaFalsa falla({.TotalFisica = 1000, .DisponibleFisica = 430});
  falla.falla = true;
  F_AcercaQt otra(info, falla);
  ASSERT_TRUE(QTest::qWaitFor([&] { return falla.consultas >= 3; }, 2000));
  EXPECT_TRUE(Control<QLabel>(otra, "Lbl_Por1")->text().isEmpty());
  falla.falla = false; // the service recovers: the next tick shows it
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !Control<QLabel>(otra, "Lbl_Por1")->text().isEmpty(); }, 2000));
  EXPECT_EQ(Control<QLabel>(otra, "Lbl_Por1")->text(), QStringLiteral("57%"));
}

// Runs `accion` once the about window is up inside MostrarAcercaDe, and closes
// it if the action left it open, so that a failing test cannot hang.
void MientrasEsteAbierta(const std::function<void(F_AcercaQt &)> &accion) {
  QTimer::singleShot(0, [accion] {
    F_AcercaQt *ventana = F_AcercaQt::Cargada();
    EXPECT_NE(ventana, nullptr);
    if (ventana == nullptr) {
      return;
    }
    const QPointer<F_AcercaQt> vigilada = ventana;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(ventana));
    accion(*ventana);
    if (!vigilada.isNull()) {
      vigilada->reject();
    }
  });
}

TEST(MostrarAcercaDe, LoadsTheWindowAfreshOnEachShowing) {
  InfoFalsa info({ObjetoSistema("Debian", "12", "X")});
  MemoriaFalsa memoria;
  QPointer<F_AcercaQt> anterior;
  std::vector<QString> textos;
  for (int vez = 0; vez < 2; ++vez) {
    MientrasEsteAbierta([&](F_AcercaQt &ventana) {
      EXPECT_TRUE(ventana.isVisible());
      EXPECT_TRUE(ventana.isModal());
      textos.push_back(TextoInfo(ventana));
      // Scribbled over, the text must not survive into the next showing.
      Control<QPlainTextEdit>(ventana, "TxT_Info")->setPlainText(QStringLiteral("garabato"));
      anterior = &ventana;
      QTest::mouseClick(Control<QPushButton>(ventana, "Cmd_Aceptar"), Qt::LeftButton);
    });
    MostrarAcercaDe(info, memoria);
    EXPECT_EQ(F_AcercaQt::Cargada(), nullptr);
    EXPECT_TRUE(anterior.isNull()); // unloaded on return
  }
  EXPECT_EQ(info.consultas, 2); // the load ran at each showing
  EXPECT_EQ(textos, (std::vector<QString>(2, QStringLiteral("S.O. Debian\nVersion: 12\nS/N:X"))));
}

// A click that comes through the window system, as a user's would, so that it is
// subject to modality.
void ClicDelUsuario(QWidget &control) {
  QWidget *ventana = control.window();
  QTest::mouseClick(ventana->windowHandle(), Qt::LeftButton, {},
                    control.mapTo(ventana, control.rect().center()));
}

TEST(MostrarAcercaDe, OtherWindowsTakeNoInputWhileItIsOpen) {
  QWidget principal;
  principal.setObjectName(QStringLiteral("F_Alcove"));
  principal.resize(200, 100);
  auto *boton = new QPushButton(QStringLiteral("Acerca de Alcove"), &principal);
  boton->setGeometry(10, 10, 150, 30);
  int pulsaciones = 0;
  QObject::connect(boton, &QPushButton::clicked, [&] { ++pulsaciones; });
  principal.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&principal));
  ClicDelUsuario(*boton);
  ASSERT_EQ(pulsaciones, 1); // the click reaches the button while nothing blocks it

  InfoFalsa info;
  MemoriaFalsa memoria;
  int pulsacionesConLaVentanaAbierta = -1;
  MientrasEsteAbierta([&](F_AcercaQt &ventana) {
    EXPECT_EQ(QApplication::activeModalWidget(), &ventana);
    ClicDelUsuario(*boton);
    pulsacionesConLaVentanaAbierta = pulsaciones;
    ClicDelUsuario(*Control<QPushButton>(ventana, "Cmd_Aceptar"));
  });
  MostrarAcercaDe(info, memoria);
  EXPECT_EQ(pulsacionesConLaVentanaAbierta, 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  // Closed, the main window answers again.
  ClicDelUsuario(*boton);
  EXPECT_EQ(pulsaciones, 2);
}

} // namespace
