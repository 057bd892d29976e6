// The program's pictures as the Qt windows show them.
#include "ui/main/Iconos.h"
#include "ui/qt/IconosQt.h"

#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

const QStringList Claves{"Unknow", "BAK", "BAS", "BIN"};

TEST(Iconos, FourDistinctSixteenPixelPicturesWithSilverAsMask) {
  ASSERT_EQ(Iconos::ClavesCatalogo(), (std::vector<std::string>{"Unknow", "BAK", "BAS", "BIN"}));
  std::vector<QImage> vistas;
  for (const QString &clave : Claves) {
    const QPixmap icono = Iconos::PixmapIcono(clave);
    EXPECT_EQ(icono.size(), QSize(16, 16)) << clave.toStdString();
    const QImage imagen = icono.toImage();
    // The corners are background: the mask colour that the image list clears.
    EXPECT_EQ(imagen.pixelColor(0, 0), QColor(192, 192, 192)) << clave.toStdString();
    for (const QImage &otra : vistas)
      EXPECT_NE(imagen, otra) << clave.toStdString();
    vistas.push_back(imagen);
  }
  EXPECT_EQ(Iconos::PixmapIcono("XYZ").toImage(), vistas.front());
}

// The window icon comes from the resource the build draws from the SVG: every
// hicolor size, each with the label's blue and yellow (blended with the edges at
// the smallest sizes, exact from 48 pixels up).
TEST(Iconos, WindowIconCarriesEverySizeInTheProgramsColours) {
  const QIcon icono = Iconos::IconoAlcove();
  const QList<QSize> lados = icono.availableSizes();
  for (const int lado : {16, 22, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(lado);
    ASSERT_TRUE(lados.contains(QSize(lado, lado)));
    const QImage imagen = icono.pixmap(QSize(lado, lado)).toImage();
    ASSERT_EQ(imagen.size(), QSize(lado, lado));
    bool azul = false, amarillo = false;
    for (int y = 0; y < lado; ++y) {
      for (int x = 0; x < lado; ++x) {
        const QRgb p = imagen.pixel(x, y);
        const int tolerancia = lado >= 48 ? 0 : 60;
        const auto cerca = [&](QRgb color) {
          return qAlpha(p) == 255 && std::abs(qRed(p) - qRed(color)) <= tolerancia &&
                 std::abs(qGreen(p) - qGreen(color)) <= tolerancia &&
                 std::abs(qBlue(p) - qBlue(color)) <= tolerancia;
        };
        azul = azul || cerca(0xFF0000AAu);
        amarillo = amarillo || cerca(0xFFFFFF00u);
      }
    }
    EXPECT_TRUE(azul);
    EXPECT_TRUE(amarillo);
  }
}

} // namespace
