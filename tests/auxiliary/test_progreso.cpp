#include "platform/Progreso.h"
#include "ui/qt/Auxiliares.h"
#include "ui/qt/ProgresoQt.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

QLabel *Titulo(const F_Progress &progreso) {
  return WidgetDe(progreso)->findChild<QLabel *>(QStringLiteral("Lbl_Titulo"));
}

QProgressBar *Barra(const F_Progress &progreso) {
  return WidgetDe(progreso)->findChild<QProgressBar *>(QStringLiteral("PBar"));
}

TEST(F_Progress, RangeAloneLoadsNothing) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetDe(100);
  progreso.SetA(1100);
  EXPECT_EQ(WidgetDe(progreso), nullptr);
  EXPECT_EQ(progreso.De(), 100);
  EXPECT_EQ(progreso.A(), 1100);
}

TEST(F_Progress, TitleSetsTheLabelOnlyAndLeavesTheWindowHidden) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetTitulo("Extrayendo fichero ....");
  ASSERT_NE(WidgetDe(progreso), nullptr);
  EXPECT_FALSE(WidgetDe(progreso)->isVisible());
  EXPECT_EQ(Titulo(progreso)->text(), QStringLiteral("Extrayendo fichero ...."));
  EXPECT_TRUE(WidgetDe(progreso)->windowTitle().isEmpty());
}

TEST(F_Progress, ValueLoadsTheWindowHiddenAndMovesTheBar) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetDe(100);
  progreso.SetA(1100);
  progreso.SetValor(600);
  ASSERT_NE(WidgetDe(progreso), nullptr);
  EXPECT_FALSE(WidgetDe(progreso)->isVisible());
  EXPECT_EQ(progreso.Valor(), 600);
  EXPECT_EQ(Barra(progreso)->value(), 46);
  EXPECT_EQ(Barra(progreso)->minimum(), 0);
  EXPECT_EQ(Barra(progreso)->maximum(), 100);
}

TEST(F_Progress, WritesTheBarOnlyWhenItsValueChanges) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetDe(100);
  progreso.SetA(1100);
  progreso.SetValor(600);
  progreso.SetValor(600);
  EXPECT_EQ(progreso.EscriturasBarra(), 1U);
  progreso.SetValor(601); // still 46
  EXPECT_EQ(progreso.EscriturasBarra(), 1U);
  progreso.SetValor(611); // 47
  EXPECT_EQ(progreso.EscriturasBarra(), 2U);
  EXPECT_EQ(Barra(progreso)->value(), 47);
}

TEST(F_Progress, AThousandStepsWriteTheBarAtMostAHundredTimes) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetDe(1);
  progreso.SetA(1000);
  for (int p = 1; p <= 1000; ++p) {
    progreso.SetValor(p);
  }
  EXPECT_EQ(progreso.EscriturasBarra(), 100U);
  EXPECT_EQ(Barra(progreso)->value(), 100);
}

TEST(F_Progress, ShowMakesTheWindowVisibleAndModeless) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetTitulo("Extrayendo fichero ....");
  progreso.Mostrar();
  ASSERT_NE(WidgetDe(progreso), nullptr);
  EXPECT_TRUE(WidgetDe(progreso)->isVisible());
  EXPECT_FALSE(WidgetDe(progreso)->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Titulo(progreso)->text(), QStringLiteral("Extrayendo fichero ...."));
  progreso.Ocultar();
}

TEST(F_Progress, HideUnloadsAndTheNextUseLoadsAfresh) {
  F_Progress progreso(CargarVentanaProgresoQt);
  progreso.SetDe(1);
  progreso.SetA(10);
  progreso.SetTitulo("Primera");
  progreso.Mostrar();
  progreso.SetValor(10);
  const QPointer<QWidget> primera = WidgetDe(progreso);
  const QPointer<QProgressBar> barraPrimera = Barra(progreso);

  progreso.Ocultar();
  EXPECT_EQ(WidgetDe(progreso), nullptr);
  EXPECT_TRUE(primera.isNull());
  EXPECT_TRUE(barraPrimera.isNull());

  // The object keeps its range; the controls come back as designed.
  progreso.SetValor(1);
  ASSERT_NE(WidgetDe(progreso), nullptr);
  EXPECT_FALSE(WidgetDe(progreso)->isVisible());
  EXPECT_EQ(Titulo(progreso)->text(), QStringLiteral("Titulo"));
  EXPECT_EQ(Barra(progreso)->value(), 1);
  EXPECT_EQ(progreso.EscriturasBarra(), 1U);
  progreso.Ocultar();
}

TEST(F_Progress, TheSharedInstanceIsTheInstalledIndicator) {
  InstalarVentanasAuxiliares();
  IndicadorProgreso &compartido = Plataforma::ProgresoCompartido();
  EXPECT_EQ(&compartido, &F_Progress::Instancia());

  // A caller that knows only the interface drives the real window.
  compartido.SetDe(100);
  compartido.SetA(1100);
  compartido.SetTitulo("Extrayendo fichero ....");
  compartido.Mostrar();
  compartido.SetValor(1100);
  ASSERT_NE(WidgetDe(F_Progress::Instancia()), nullptr);
  EXPECT_TRUE(WidgetDe(F_Progress::Instancia())->isVisible());
  EXPECT_EQ(Barra(F_Progress::Instancia())->value(), 91);
  compartido.Ocultar();
  EXPECT_EQ(WidgetDe(F_Progress::Instancia()), nullptr);
  Plataforma::InstalarProgreso(nullptr);
}

} // namespace
