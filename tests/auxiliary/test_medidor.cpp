#include "ui/widgets/MedidorLed.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

TEST(ColorSegmento, RunsFromGreenThroughYellowToRed) {
  constexpr int n = 20;
  const QColor primero = Medidor::ColorSegmento(0, n, true);
  const QColor medio = Medidor::ColorSegmento(14, n, true); // 75% along
  const QColor ultimo = Medidor::ColorSegmento(n - 1, n, true);
  EXPECT_GT(primero.green(), 200);
  EXPECT_LT(primero.red(), 50);
  EXPECT_GT(medio.red(), 200);
  EXPECT_GT(medio.green(), 200);
  EXPECT_GT(ultimo.red(), 200);
  EXPECT_LT(ultimo.green(), 50);
  for (int i = 0; i < n; ++i) {
    EXPECT_LT(Medidor::ColorSegmento(i, n, false).value(),
              Medidor::ColorSegmento(i, n, true).value() / 2)
        << i;
  }
}

TEST(MedidorLed, PaintsItsLitSegmentsFromTheLeft) {
  MedidorLed medidor;
  medidor.resize(73, 17); // the about window's size
  ASSERT_EQ(medidor.Segmentos(), 12);
  medidor.PonerValor(57);
  EXPECT_EQ(medidor.Valor(), 57);
  EXPECT_EQ(medidor.Encendidos(), 7);

  const QImage imagen = medidor.grab().toImage();
  const int paso = MedidorLed::AnchoSegmento + MedidorLed::Separacion;
  const int x0 = (medidor.width() - (12 * paso - MedidorLed::Separacion)) / 2;
  const int y = medidor.height() / 2;
  for (int i = 0; i < 12; ++i) {
    const QColor pintado = imagen.pixelColor(x0 + i * paso + 1, y);
    EXPECT_EQ(pintado, Medidor::ColorSegmento(i, 12, i < 7)) << "segment " << i;
  }
  EXPECT_EQ(imagen.pixelColor(x0 + MedidorLed::AnchoSegmento, y), QColor(Qt::black)); // gap

  medidor.PonerValor(-3);
  EXPECT_EQ(medidor.Encendidos(), 0);
  EXPECT_EQ(medidor.grab().toImage().pixelColor(x0 + 1, y), Medidor::ColorSegmento(0, 12, false));
}

} // namespace
