#include "ver/Protegido.h"

#include <array>

namespace Ver {
namespace {

// AMSDOS's two keys (the disc ROM's table at &D252): each byte of a protected
// file is XORed with one byte of each, both counted from the start of its
// 128-byte record. Only disks written by AMSDOS need it; a cassette file is
// scrambled by the same rule.
constexpr std::array<std::uint8_t, 13> kClave13{0xE2, 0x9D, 0xDB, 0x1A, 0x42, 0x29, 0x39,
                                                0xC6, 0xB3, 0xC6, 0x90, 0x45, 0x8A};
constexpr std::array<std::uint8_t, 11> kClave11{0x49, 0xB1, 0x36, 0xF0, 0x2E, 0x1E,
                                                0x06, 0x2A, 0x28, 0x19, 0xEA};
constexpr std::size_t kRegistro = 128;

std::vector<std::uint8_t> Alternar(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> r(bytes.begin(), bytes.end());
  for (std::size_t i = 0; i < r.size(); ++i) {
    const std::size_t k = i % kRegistro;
    r[i] ^=
        static_cast<std::uint8_t>(kClave13[k % kClave13.size()] ^ kClave11[k % kClave11.size()]);
  }
  return r;
}

} // namespace

std::vector<std::uint8_t> DesprotegerBasic(std::span<const std::uint8_t> bytes) {
  return Alternar(bytes);
}

std::vector<std::uint8_t> ProtegerBasic(std::span<const std::uint8_t> bytes) {
  return Alternar(bytes);
}

} // namespace Ver
