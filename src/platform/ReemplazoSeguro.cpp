#include "platform/ReemplazoSeguro.h"

#include <array>
#include <cstring>

namespace Plataforma {
namespace {

constexpr std::uint64_t kPrimo = 0x100000001B3ULL;

std::uint64_t Mezclar(std::uint64_t h, std::uint64_t palabra) {
  h = (h ^ palabra) * kPrimo;
  return h ^ (h >> 29);
}

std::uint64_t Palabra(const std::uint8_t *p) {
  std::uint64_t w = 0;
  std::memcpy(&w, p, sizeof w);
  return w;
}

} // namespace

std::uint64_t ResumenBytes(std::span<const std::uint8_t> bytes) {
  // Four independent lanes of eight bytes, multiplied and folded, so the
  // multiplications overlap: every bit of the input reaches the result, and a
  // 200 KB image hashes in a few microseconds.
  std::array<std::uint64_t, 4> carril = {0xCBF29CE484222325ULL, 0x9E3779B97F4A7C15ULL,
                                         0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL};
  const std::uint8_t *p = bytes.data();
  std::size_t i = 0;
  for (; i + 32 <= bytes.size(); i += 32) {
    for (std::size_t c = 0; c < carril.size(); ++c) {
      carril[c] = Mezclar(carril[c], Palabra(p + i + 8 * c));
    }
  }
  std::uint64_t h = bytes.size();
  for (const std::uint64_t c : carril) {
    h = Mezclar(h, c);
  }
  for (; i + 8 <= bytes.size(); i += 8) {
    h = Mezclar(h, Palabra(p + i));
  }
  for (; i < bytes.size(); ++i) {
    h = Mezclar(h, p[i]);
  }
  return h ^ (h >> 32);
}

} // namespace Plataforma
