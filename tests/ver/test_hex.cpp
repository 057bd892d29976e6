// The hex dump every file can be shown as.
#include "ver/Hex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

TEST(VolcadoHex, LineasDeDieciseisConAsciiYDireccion) {
  std::vector<std::uint8_t> b;
  for (int i = 0; i < 20; ++i) {
    b.push_back(static_cast<std::uint8_t>(0x3E + i));
  }
  b[1] = 0x00;
  EXPECT_EQ(Ver::VolcadoHex(b, 0x4000),
            "4000  3E 00 40 41 42 43 44 45  46 47 48 49 4A 4B 4C 4D  |>.@ABCDEFGHIJKLM|\n"
            "4010  4E 4F 50 51                                       |NOPQ|\n");
  EXPECT_EQ(Ver::VolcadoHex({}), "");
}

// Past &FFFF the address column widens, for every line of the dump, rather
// than wrapping to 0000 without a mark (a file loaded high, a file over 64 KB).
TEST(VolcadoHex, DireccionesMasAllaDeFFFF) {
  struct Caso {
    const char *nombre;
    std::size_t largo;
    std::uint32_t desde;
    std::vector<std::string> direcciones; // of the lines, in order; "..." skips
  };
  for (const Caso &c : std::vector<Caso>{
           {"cabe justo", 65536, 0, {"0000", "...", "FFF0"}},
           {"un byte en FFFF", 1, 0xFFFF, {"FFFF"}},
           {"dos bytes desde FFFF", 2, 0xFFFF, {"0FFFF"}},
           {"cargado arriba", 40, 0xFFF0, {"0FFF0", "10000", "10010"}},
           {"mayor que 64 KB", 65536 + 20, 0, {"00000", "...", "0FFF0", "10000", "10010"}},
           {"cuatro MiB", 4 << 20, 0, {"000000", "...", "3FFFF0"}},
       }) {
    SCOPED_TRACE(c.nombre);
    const std::string volcado = Ver::VolcadoHex(std::vector<std::uint8_t>(c.largo, 0x41), c.desde);
    std::vector<std::string> lineas;
    for (std::size_t i = 0; i < volcado.size();) {
      const std::size_t fin = volcado.find('\n', i);
      lineas.push_back(volcado.substr(i, volcado.find(' ', i) - i));
      i = fin + 1;
    }
    ASSERT_FALSE(lineas.empty());
    const bool salto = c.direcciones.size() > 1 && c.direcciones[1] == "...";
    EXPECT_EQ(lineas.front(), c.direcciones.front());
    std::vector<std::string> cola(c.direcciones.begin() + (salto ? 2 : 1), c.direcciones.end());
    ASSERT_GE(lineas.size(), cola.size() + 1);
    EXPECT_EQ(std::vector<std::string>(lineas.end() - static_cast<std::ptrdiff_t>(cola.size()),
                                       lineas.end()),
              cola);
    if (!salto) {
      EXPECT_EQ(lineas.size(), c.direcciones.size());
    }
    // Every line as wide as the first: the bytes stay in their columns.
    const std::size_t ancho = volcado.find('\n');
    for (std::size_t i = 0; i < volcado.size() && c.largo % 16 == 0;) {
      const std::size_t fin = volcado.find('\n', i);
      ASSERT_EQ(fin - i, ancho);
      i = fin + 1;
    }
  }
}
