#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

// Small readers of little-endian values; the caller has checked the bounds.
namespace imagenes::bytes {

inline std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint16_t>(b[pos] | (b[pos + 1] << 8));
}

inline std::uint32_t Le24(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint32_t>(b[pos] | (b[pos + 1] << 8) | (b[pos + 2] << 16));
}

// The part of [pos, pos + largo) that lies inside `b`; empty when pos is past it.
inline std::span<const std::uint8_t> Tramo(std::span<const std::uint8_t> b, std::size_t pos,
                                           std::size_t largo) {
  if (pos >= b.size()) {
    return {};
  }
  return b.subspan(pos, std::min(largo, b.size() - pos));
}

} // namespace imagenes::bytes
