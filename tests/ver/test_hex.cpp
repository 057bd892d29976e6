// The hex dump every file can be shown as.
#include "ver/Hex.h"

#include <gtest/gtest.h>

#include <cstdint>
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
