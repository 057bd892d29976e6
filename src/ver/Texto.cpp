#include "ver/Texto.h"

#include <algorithm>

namespace Ver {

std::span<const std::uint8_t> HastaFinDeTexto(std::span<const std::uint8_t> bytes) {
  const auto fin = std::find(bytes.begin(), bytes.end(), std::uint8_t{0x1A});
  return bytes.first(static_cast<std::size_t>(fin - bytes.begin()));
}

bool PareceTexto(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t c) {
    return (c >= 0x20 && c < 0x7F) || c == '\n' || c == '\r' || c == '\t' || c == 0x1A;
  });
}

} // namespace Ver
