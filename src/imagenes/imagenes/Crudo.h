#pragma once

#include "imagenes/Superficie.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Raw dumps: nothing but the sectors' bytes, track by track (side 0, then
// side 1, of each cylinder), each track's sectors by ID from the format's
// first, each the format's size. No ID, status or order is kept, so they are
// read and written for a format of the reader's table only.
namespace imagenes {

// A format as the machine's own format command lays out its tracks: what a
// raw dump is read and written by (the file system's table gives it:
// cpm::GeometriaDe).
struct Geometria {
  std::string nombre; // the format's, for messages
  int pistas = 0;     // the format's own; a dump of fewer is the format's first tracks
  int minPistas = 0, maxPistas = 0; // what the format command takes
  int caras = 1;
  int sectoresPorPista = 0;
  std::uint8_t primerSector = 0;
  std::uint8_t codigo = 2; // size code: sectors of 128 << codigo bytes
  std::vector<int> orden;  // stored order of a track's sectors, as indexes from the first ID
  std::uint8_t gap = 0x52;
  std::uint8_t relleno = 0xE5;
  [[nodiscard]] std::size_t TamanoSector() const { return std::size_t{128} << codigo; }
};

// Every track of the disk on the format's sides. A sector the track lacks, or
// holds short, is filled with the track's filler.
std::vector<std::uint8_t> EscribirCrudo(const Superficie &disco, const Geometria &geometria);

// The dump as a disk every track of which is formatted as the machine's own
// format command does it (`new`'s disk: its interleave, gap and filler), its
// sectors holding the dump's bytes. The size must be whole tracks of the
// format; the creator field says "Alcove " + `version`.
Lectura LeerCrudo(std::span<const std::uint8_t> bytes, const Geometria &geometria,
                  const std::string &version);

} // namespace imagenes
