#include "ver/Hex.h"

#include <algorithm>

namespace Ver {
namespace {
constexpr std::size_t kPorLinea = 16;
constexpr char kCifras[] = "0123456789ABCDEF";

void AgregarHex(std::string &s, std::uint64_t v, int cifras) {
  for (int i = cifras - 1; i >= 0; --i) {
    s += kCifras[(v >> (4 * i)) & 0xF];
  }
}
} // namespace

std::string VolcadoHex(std::span<const std::uint8_t> bytes, std::uint32_t direccion) {
  // Four digits while every address fits in 16 bits; past &FFFF the column is
  // wider on every line, rather than wrapping to 0000 unmarked.
  const std::uint64_t ultima = std::uint64_t{direccion} + (bytes.empty() ? 0 : bytes.size() - 1);
  int cifras = 4;
  while (cifras < 16 && (ultima >> (4 * cifras)) != 0) {
    ++cifras;
  }
  std::string s;
  s.reserve((bytes.size() / kPorLinea + 1) * static_cast<std::size_t>(74 + cifras));
  for (std::size_t i = 0; i < bytes.size(); i += kPorLinea) {
    const std::size_t n = std::min(kPorLinea, bytes.size() - i);
    AgregarHex(s, std::uint64_t{direccion} + i, cifras);
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
