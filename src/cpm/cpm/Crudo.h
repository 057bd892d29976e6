#pragma once

#include "cpm/Formatos.h"
#include "cpm/Superficie.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Raw dumps: nothing but the sectors' bytes, track by track (side 0, then
// side 1, of each cylinder), each track's sectors by ID from the format's
// first, each the format's size. No ID, status or order is kept, so they are
// read and written for a format of the reader's table only.
namespace cpm {

// Every track of the disk on the format's sides. A sector the track lacks, or
// holds short, is filled with the track's filler.
std::vector<std::uint8_t> EscribirCrudo(const Superficie &disco, const Formato &formato);

struct LecturaCruda {
  std::optional<std::vector<std::uint8_t>> dsk; // a standard image of the dump
  std::string error;                            // why not, in Spanish
};

// The dump as a standard image, every track formatted as the machine's own
// format command does it (`new`'s disk: its interleave, gap and filler), its
// sectors holding the dump's bytes. The size must be whole tracks of the
// format; `version` goes into the creator field.
LecturaCruda LeerCrudo(std::span<const std::uint8_t> bytes, const Formato &formato,
                       const std::string &version);

} // namespace cpm
