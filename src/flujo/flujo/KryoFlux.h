#pragma once

#include "flujo/Flujo.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// KryoFlux stream files: one file a side of a track, named trackNN.S.raw (the
// cylinder, a dot, the side), each the very bytes the device sent while the
// disk turned: flux times of 1, 2 or 3 bytes, overflow and padding codes, and
// out-of-band blocks that place the index pulses and say how the transfer went.
namespace flujo {

// The device's sample clock when a stream does not name its own:
// 18.432 MHz * 73 / 14 / 4.
constexpr double RelojKryoFlux = 18432000.0 * 73.0 / 14.0 / 4.0;

struct LecturaStream {
  std::optional<PistaFlujo> pista; // nothing: not a stream that can be read
  std::string error;               // why not, in Spanish
  Avisos avisos;
};

// One stream file, for the side `cara` of cylinder `cilindro`.
LecturaStream LeerStream(std::span<const std::uint8_t> bytes, int cilindro, int cara);

// The cylinder and side a stream file's name gives ("track07.1.raw" and any
// prefix before the digits); nothing for other names.
std::optional<std::pair<int, int>> PistaDeNombre(std::string_view nombre);

// The part of a stream file's name before its digits: "track" for track07.1.raw.
std::string_view PrefijoStream(std::string_view nombre);

// True when the bytes start as the device starts a stream: an out-of-band block.
bool PareceStream(std::span<const std::uint8_t> bytes);

} // namespace flujo
