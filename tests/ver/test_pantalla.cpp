// Screens drawn from dumps written here, in each mode, and the palettes.
#include "ver/CatalogoCpc.h"
#include "ver/Pantalla.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kPantalla = 16384;

// The colour the picture shows at screen pixel (x, y) of a mode whose pixels
// are `ancho` picture pixels wide; both picture lines of a screen line agree.
std::array<std::uint8_t, 3> Pixel(const Ver::Imagen &img, int x, int y, int ancho) {
  std::array<std::uint8_t, 3> c{};
  for (int fila = 2 * y; fila < 2 * y + 2; ++fila) {
    for (int k = 0; k < ancho; ++k) {
      const std::size_t p = (static_cast<std::size_t>(fila) * 640 + x * ancho + k) * 3;
      const std::array<std::uint8_t, 3> d{img.rgb[p], img.rgb[p + 1], img.rgb[p + 2]};
      if (fila == 2 * y && k == 0) {
        c = d;
      }
      EXPECT_EQ(d, c) << "fila " << fila << ", columna " << x * ancho + k;
    }
  }
  return c;
}

std::array<std::uint8_t, 3> Tinta(const Ver::Paleta &p, int tinta) {
  return Ver::ColorFirmware(p[static_cast<std::size_t>(tinta)]);
}

// The byte of the screen holding line y's x-th byte: eight blocks of 2048
// bytes, one per pixel line of a character row, 80 bytes a row.
std::size_t Desplazamiento(int x, int y) {
  return static_cast<std::size_t>(y % 8) * 2048 + static_cast<std::size_t>(y / 8) * 80 +
         static_cast<std::size_t>(x);
}

struct CasoModo {
  const char *nombre;
  int modo;
  std::uint8_t byte;       // written at line 9, byte 3
  std::vector<int> tintas; // of the byte's pixels, left to right
};

class PantallaModos : public testing::TestWithParam<CasoModo> {};

TEST_P(PantallaModos, CadaPixelSuTinta) {
  std::vector<std::uint8_t> pantalla(kPantalla, 0x00);
  pantalla[Desplazamiento(3, 9)] = GetParam().byte;
  const Ver::Paleta paleta{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  const Ver::Pantalla r = Ver::PintarPantalla(pantalla, GetParam().modo, paleta);
  ASSERT_EQ(r.imagen.ancho, 640);
  ASSERT_EQ(r.imagen.alto, 400);
  ASSERT_EQ(r.imagen.rgb.size(), 640U * 400 * 3);
  EXPECT_FALSE(r.parcial);
  const auto n = static_cast<int>(GetParam().tintas.size());
  const int ancho = 640 / (80 * n);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(Pixel(r.imagen, 3 * n + i, 9, ancho),
              Tinta(paleta, GetParam().tintas[static_cast<std::size_t>(i)]))
        << "píxel " << i;
  }
  // Its neighbours, on the line and above and below, keep ink 0.
  EXPECT_EQ(Pixel(r.imagen, 3 * n - 1, 9, ancho), Tinta(paleta, 0));
  EXPECT_EQ(Pixel(r.imagen, 3 * n, 8, ancho), Tinta(paleta, 0));
  EXPECT_EQ(Pixel(r.imagen, 3 * n, 10, ancho), Tinta(paleta, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PantallaModos,
    testing::Values(
        // Mode 0: pixel 0 is bits 7,3,5,1 (ink bit 0 first), pixel 1 bits 6,2,4,0.
        CasoModo{"Modo0PrimerPixel", 0, 0b10001000, {3, 0}},
        CasoModo{"Modo0Tinta15YTinta10", 0, 0b10101111, {15, 10}},
        CasoModo{"Modo0SegundoPixel", 0, 0b01000100, {0, 3}},
        // Mode 1: pixel n is bits 7-n and 3-n.
        CasoModo{"Modo1", 1, 0b10010110, {1, 2, 2, 1}},
        CasoModo{"Modo1Tinta3", 1, 0b10001000, {3, 0, 0, 0}},
        // Mode 2: one bit a pixel.
        CasoModo{"Modo2", 2, 0b10100001, {1, 0, 1, 0, 0, 0, 0, 1}}),
    [](const testing::TestParamInfo<CasoModo> &i) { return std::string(i.param.nombre); });

TEST(Pantalla, TamanosRaros) {
  const Ver::Paleta paleta = Ver::PaletaPorOmision();
  // Short: what is there is drawn, the rest black, and it says so.
  Ver::Pantalla r = Ver::PintarPantalla(std::vector<std::uint8_t>(100, 0xFF), 1, paleta);
  EXPECT_TRUE(r.parcial);
  EXPECT_NE(r.nota.find("100 bytes"), std::string::npos) << r.nota;
  EXPECT_EQ(Pixel(r.imagen, 0, 0, 2), Tinta(paleta, 3));
  EXPECT_EQ(Pixel(r.imagen, 0, 1, 2), (std::array<std::uint8_t, 3>{0, 0, 0}));
  // Nothing at all, and too much.
  r = Ver::PintarPantalla({}, 2, paleta);
  EXPECT_TRUE(r.parcial);
  EXPECT_EQ(r.imagen.rgb.size(), 640U * 400 * 3);
  r = Ver::PintarPantalla(std::vector<std::uint8_t>(kPantalla + 128, 0), 0, paleta);
  EXPECT_FALSE(r.parcial);
  EXPECT_NE(r.nota.find("sobran 128 bytes"), std::string::npos) << r.nota;
  r = Ver::PintarPantalla(std::vector<std::uint8_t>(kPantalla + 1, 0), 0, paleta);
  EXPECT_EQ(r.nota, "sobra 1 byte tras los 16 KB de la pantalla");
  // A mode out of range draws as the nearest one, never out of the picture.
  r = Ver::PintarPantalla(std::vector<std::uint8_t>(kPantalla, 0x81), 7, paleta);
  EXPECT_EQ(r.imagen.rgb.size(), 640U * 400 * 3);
}

TEST(Paleta, ColoresDelFirmware) {
  using Rgb = std::array<std::uint8_t, 3>;
  EXPECT_EQ(Ver::ColorFirmware(0), (Rgb{0x00, 0x00, 0x00}));  // black
  EXPECT_EQ(Ver::ColorFirmware(1), (Rgb{0x00, 0x00, 0x80}));  // blue
  EXPECT_EQ(Ver::ColorFirmware(6), (Rgb{0xFF, 0x00, 0x00}));  // bright red
  EXPECT_EQ(Ver::ColorFirmware(13), (Rgb{0x80, 0x80, 0x80})); // white
  EXPECT_EQ(Ver::ColorFirmware(20), (Rgb{0x00, 0xFF, 0xFF})); // bright cyan
  EXPECT_EQ(Ver::ColorFirmware(24), (Rgb{0xFF, 0xFF, 0x00})); // bright yellow
  EXPECT_EQ(Ver::ColorFirmware(26), (Rgb{0xFF, 0xFF, 0xFF})); // bright white
  // Mode 1's four inks at power-on: blue, bright yellow, bright cyan, bright red.
  const Ver::Paleta p = Ver::PaletaPorOmision();
  EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}), (std::array<int, 4>{1, 24, 20, 6}));

  std::string error;
  const auto leida = Ver::LeerPaleta("0, 26\n13;6", error);
  ASSERT_TRUE(leida) << error;
  EXPECT_EQ((*leida)[0], 0);
  EXPECT_EQ((*leida)[3], 6);
  EXPECT_EQ((*leida)[4], p[4]); // inks not given keep the firmware's
  // What was wrong, echoed whole: a character of another script is never cut
  // to half its UTF-8 sequence.
  for (const auto &[malo, porque] : std::vector<std::pair<std::string, std::string>>{
           {"27", "color no válido: 27 "},
           {"1,x", "color no válido: x "},
           {"1x,2", "color no válido: 1x "},
           {"", "ningún color"},
           {"-1", "color no válido: -1 "},
           {"1,\xD9\xA3", "color no válido: \xD9\xA3 "}, // ARABIC-INDIC DIGIT THREE
           {"\xEF\xBC\x91\xEF\xBC\x92", "color no válido: \xEF\xBC\x91\xEF\xBC\x92 "},
           {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17", "más de 16 colores"}}) {
    SCOPED_TRACE(malo);
    error.clear();
    EXPECT_FALSE(Ver::LeerPaleta(malo, error));
    EXPECT_EQ(error.substr(0, porque.size()), porque);
  }
}

// OCP Art Studio's palette files hold each ink's colours as the Gate Array
// takes them (bit 6 set), several numbers giving one colour; the screen's mode
// comes first. A text of firmware colours is a palette file too.
TEST(LeerArchivoPaleta, OcpArtStudioAndTextAndNothingElse) {
  using Rgb = std::array<std::uint8_t, 3>;
  struct Caso {
    std::uint8_t hardware;
    Rgb color;
  };
  const Caso casos[] = {
      {0x54, {0x00, 0x00, 0x00}}, {0x4B, {0xFF, 0xFF, 0xFF}}, {0x4A, {0xFF, 0xFF, 0x00}},
      {0x44, {0x00, 0x00, 0x80}}, {0x50, {0x00, 0x00, 0x80}}, {0x5F, {0x80, 0x80, 0xFF}},
      {0x43, {0xFF, 0xFF, 0x80}}, {0x49, {0xFF, 0xFF, 0x80}}, {0x4C, {0xFF, 0x00, 0x00}},
      {0x56, {0x00, 0x80, 0x00}}, {0x40, {0x80, 0x80, 0x80}}, {0x41, {0x80, 0x80, 0x80}},
      {0x5D, {0x80, 0x00, 0xFF}}, {0x45, {0xFF, 0x00, 0x80}}, {0x48, {0xFF, 0x00, 0x80}},
      {0x53, {0x00, 0xFF, 0xFF}},
  };
  std::vector<std::uint8_t> pal(239, 0x54);
  pal[0] = 0; // mode 0
  for (std::size_t t = 0; t < 16; ++t)
    pal[3 + t * 12] = casos[t].hardware;
  std::string error;
  const auto leida = Ver::LeerArchivoPaleta(pal, error);
  ASSERT_TRUE(leida) << error;
  EXPECT_EQ(leida->modo, 0);
  for (std::size_t t = 0; t < 16; ++t)
    EXPECT_EQ(Ver::ColorFirmware(leida->paleta[t]), casos[t].color) << "ink " << t;
  pal[0] = 2;
  EXPECT_EQ(Ver::LeerArchivoPaleta(pal, error)->modo, 2);

  const std::string texto = "1,24\r\n20,6\r\n\x1A\x1A";
  const auto deTexto =
      Ver::LeerArchivoPaleta(std::vector<std::uint8_t>(texto.begin(), texto.end()), error);
  ASSERT_TRUE(deTexto) << error;
  EXPECT_FALSE(deTexto->modo);
  EXPECT_EQ((*deTexto).paleta[1], 24);
  std::vector<std::uint8_t> sinModo = pal, sinColor = pal;
  sinModo[0] = 3;
  sinColor[3 + 5 * 12] = 0x14; // not a Gate Array colour
  for (const auto &malo :
       {sinModo, sinColor, std::vector<std::uint8_t>(pal.begin(), pal.begin() + 100)}) {
    error.clear();
    EXPECT_FALSE(Ver::LeerArchivoPaleta(malo, error));
    EXPECT_NE(error, "");
  }
}

// CAT's catalogue: user 0's visible files by name, with R/O and size; catalogue
// art's control codes go out as stored.
TEST(TextoCat, ComoLoImprimeElCpc) {
  std::vector<std::uint8_t> cat(4 * 32, 0xE5);
  const auto entrada = [&cat](int i, std::uint8_t usuario, std::string nombre, int bloques) {
    auto *e = &cat[static_cast<std::size_t>(i) * 32];
    e[0] = usuario;
    for (std::size_t k = 0; k < 11; ++k) {
      e[1 + k] = static_cast<std::uint8_t>(nombre[k]);
    }
    std::fill(e + 12, e + 32, 0);
    for (int b = 0; b < bloques; ++b) {
      e[16 + b] = static_cast<std::uint8_t>(2 + b);
    }
  };
  entrada(0, 0, "ZETA    BAS", 3);
  entrada(1, 0,
          std::string("\x1F\x01\x01"
                      "ARTE   ",
                      8) +
              "BIN",
          0);
  entrada(2, 3, "OTRO    BIN", 1); // another user's
  entrada(3, 0, "SISTEMA BIN", 1);
  cat[3 * 32 + 10] |= 0x80; // system: not listed
  cat[0 * 32 + 9] |= 0x80;  // read-only
  EXPECT_EQ(Ver::TextoCat(cat, 1024, 180, 170), "\r\nDrive A: user  0\r\n\r\n"
                                                "\x1F\x01\x01"
                                                "ARTE .BIN   0K   ZETA    .BAS*  3K\r\n"
                                                "\r\n170K free\r\n\r\n");
}

} // namespace
