#include "platform/Progreso.h"
#include "ui/auxiliary/Auxiliares.h"
#include "ui/auxiliary/F_Progress.h"

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

constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();

struct CasoRedondeo {
  double x;
  std::int32_t esperado;
};

TEST(RedondearInt32, TiesGoToEvenAndTheRestToNearest) {
  const CasoRedondeo casos[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4999, 2},
      {2.5001, 3},
      {-2.6, -3},
      {1e6 + 0.5, 1000000},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Progreso::RedondearInt32(caso.x), caso.esperado) << "x = " << caso.x;
  }
}

TEST(RedondearInt32, SaturatesOutsideThe32BitRange) {
  EXPECT_EQ(Progreso::RedondearInt32(2147483647.4), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(2147483647.6), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(1e15), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(-1e15), Min32);
  EXPECT_EQ(Progreso::RedondearInt32(INFINITY), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(-INFINITY), Min32);
  EXPECT_EQ(Progreso::RedondearInt32(NAN), 0);
}

struct CasoBarra {
  const char *que;
  double de;
  double a;
  double valor;
  int barra;
};

TEST(ValorBarra, FollowsTheRangeWithADivisorOfA) {
  const CasoBarra casos[] = {
      {"first position", 1, 100, 1, 1},
      {"De 100, A 1100 at De", 100, 1100, 100, 1},
      {"De 100, A 1100 half way", 100, 1100, 600, 46},
      {"De 100, A 1100 at A", 100, 1100, 1100, 91},
      {"one-step range", 7, 7, 7, 1},
      {"small De reaches 100", 1, 100, 100, 100},
      {"A 2.5 divides by 2", 1, 2.5, 2, 51},
      {"A 3.5 divides by 4", 1, 3.5, 2, 26},
      {"quotient truncates", 1, 3, 2, 34},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Progreso::ValorBarra(caso.valor, caso.de, caso.a), caso.barra) << caso.que;
  }
}

TEST(ValorBarra, StaysInsideTheBarOutsideTheCallersLimits) {
  const CasoBarra casos[] = {
      {"De 0 at A would be 101", 0, 100, 100, 100},
      {"far past A", 1, 10, 1000, 100},
      {"before De", 50, 100, 0, 0},
      {"A rounds to 0", 0, 0.4, 0.3, 100},
      {"A is 0", 5, 0, 5, 100},
      {"negative A", 1, -10, 5, 0},
      {"n beyond 32 bits", 1, 1e10, 1e10, 2},
      {"INT32_MIN / -1", 0, -1, -1e12, 100},
      {"NaN position", 1, 100, NAN, 1},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Progreso::ValorBarra(caso.valor, caso.de, caso.a), caso.barra) << caso.que;
  }
}

QLabel *Titulo(const F_Progress &progreso) {
  return progreso.Ventana()->findChild<QLabel *>(QStringLiteral("Lbl_Titulo"));
}

QProgressBar *Barra(const F_Progress &progreso) {
  return progreso.Ventana()->findChild<QProgressBar *>(QStringLiteral("PBar"));
}

TEST(F_Progress, RangeAloneLoadsNothing) {
  F_Progress progreso;
  progreso.SetDe(100);
  progreso.SetA(1100);
  EXPECT_EQ(progreso.Ventana(), nullptr);
  EXPECT_EQ(progreso.De(), 100);
  EXPECT_EQ(progreso.A(), 1100);
}

TEST(F_Progress, TitleSetsTheLabelOnlyAndLeavesTheWindowHidden) {
  F_Progress progreso;
  progreso.SetTitulo("Extrayendo fichero ....");
  ASSERT_NE(progreso.Ventana(), nullptr);
  EXPECT_FALSE(progreso.Ventana()->isVisible());
  EXPECT_EQ(Titulo(progreso)->text(), QStringLiteral("Extrayendo fichero ...."));
  EXPECT_TRUE(progreso.Ventana()->windowTitle().isEmpty());
}

TEST(F_Progress, ValueLoadsTheWindowHiddenAndMovesTheBar) {
  F_Progress progreso;
  progreso.SetDe(100);
  progreso.SetA(1100);
  progreso.SetValor(600);
  ASSERT_NE(progreso.Ventana(), nullptr);
  EXPECT_FALSE(progreso.Ventana()->isVisible());
  EXPECT_EQ(progreso.Valor(), 600);
  EXPECT_EQ(Barra(progreso)->value(), 46);
  EXPECT_EQ(Barra(progreso)->minimum(), 0);
  EXPECT_EQ(Barra(progreso)->maximum(), 100);
}

TEST(F_Progress, WritesTheBarOnlyWhenItsValueChanges) {
  F_Progress progreso;
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
  F_Progress progreso;
  progreso.SetDe(1);
  progreso.SetA(1000);
  for (int p = 1; p <= 1000; ++p) {
    progreso.SetValor(p);
  }
  EXPECT_EQ(progreso.EscriturasBarra(), 100U);
  EXPECT_EQ(Barra(progreso)->value(), 100);
}

TEST(F_Progress, ShowMakesTheWindowVisibleAndModeless) {
  F_Progress progreso;
  progreso.SetTitulo("Extrayendo fichero ....");
  progreso.Mostrar();
  ASSERT_NE(progreso.Ventana(), nullptr);
  EXPECT_TRUE(progreso.Ventana()->isVisible());
  EXPECT_FALSE(progreso.Ventana()->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Titulo(progreso)->text(), QStringLiteral("Extrayendo fichero ...."));
  progreso.Ocultar();
}

TEST(F_Progress, HideUnloadsAndTheNextUseLoadsAfresh) {
  F_Progress progreso;
  progreso.SetDe(1);
  progreso.SetA(10);
  progreso.SetTitulo("Primera");
  progreso.Mostrar();
  progreso.SetValor(10);
  const QPointer<QWidget> primera = progreso.Ventana();
  const QPointer<QProgressBar> barraPrimera = Barra(progreso);

  progreso.Ocultar();
  EXPECT_EQ(progreso.Ventana(), nullptr);
  EXPECT_TRUE(primera.isNull());
  EXPECT_TRUE(barraPrimera.isNull());

  // The object keeps its range; the controls come back as designed.
  progreso.SetValor(1);
  ASSERT_NE(progreso.Ventana(), nullptr);
  EXPECT_FALSE(progreso.Ventana()->isVisible());
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
  ASSERT_NE(F_Progress::Instancia().Ventana(), nullptr);
  EXPECT_TRUE(F_Progress::Instancia().Ventana()->isVisible());
  EXPECT_EQ(Barra(F_Progress::Instancia())->value(), 91);
  compartido.Ocultar();
  EXPECT_EQ(F_Progress::Instancia().Ventana(), nullptr);
  Plataforma::InstalarProgreso(nullptr);
}

} // namespace
