#include "ver/Hex.h"

#include <algorithm>

namespace Ver {
namespace {
constexpr std::size_t kPorLinea = 16;
constexpr char kCifras[] = "0123456789ABCDEF";

void AgregarHex(std::string &s, std::uint32_t v, int cifras) {
  for (int i = cifras - 1; i >= 0; --i) {
    s += kCifras[(v >> (4 * i)) & 0xF];
  }
}
} // namespace

std::string VolcadoHex(std::span<const std::uint8_t> bytes, std::uint32_t direccion) {
  std::string s;
  s.reserve((bytes.size() / kPorLinea + 1) * 78);
  for (std::size_t i = 0; i < bytes.size(); i += kPorLinea) {
    const std::size_t n = std::min(kPorLinea, bytes.size() - i);
    AgregarHex(s, direccion + static_cast<std::uint32_t>(i), 4);
    s += "  ";
    for (std::size_t j = 0; j < kPorLinea; ++j) {
      if (j < n) {
        AgregarHex(s, bytes[i + j], 2);
        s += ' ';
      } else {
        s += "   ";
      }
      if (j == 7) {
        s += ' ';
      }
    }
    s += " |";
    for (std::size_t j = 0; j < n; ++j) {
      const std::uint8_t c = bytes[i + j];
      s += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
    }
    s += "|\n";
  }
  return s;
}

} // namespace Ver
