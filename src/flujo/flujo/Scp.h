#pragma once

#include "flujo/Flujo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// SCP, the SuperCard Pro's flux image, as Greaseweazle writes it too (its
// layout from the format's own description, v2.x): a 16-byte header, a table
// of track data header offsets, and for each track its revolutions of 16-bit
// big-endian flux times in ticks of 25 ns (or a multiple).
namespace flujo {

struct CabeceraScp {
  int version = 0; // (version << 4) | revision; 0 when a footer says it
  int tipoDisco = 0;
  int vueltas = 0; // revolutions of every track
  int primera = 0, ultima = 0;
  std::uint8_t banderas = 0;
  int cabezas = 0; // 0 both sides, 1 side 0 only, 2 side 1 only
  double nsPorTick = 25.0;
  std::vector<std::uint32_t> entradas; // offset of each track's header; 0 none
  [[nodiscard]] bool DesdeIndice() const { return (banderas & 0x01) != 0; }
  [[nodiscard]] bool Rpm360() const { return (banderas & 0x04) != 0; }
};

struct LecturaScp {
  std::optional<CabeceraScp> cabecera; // nothing: not an SCP image that can be read
  std::string error;                   // why not, in Spanish
  Avisos avisos;
};

constexpr std::string_view FirmaScp = "SCP";

// The header and the table; the checksum is checked over the whole file, read
// a piece at a time.
LecturaScp LeerCabeceraScp(Fuente &fuente);

// Every side of every track with flux, in the table's order, one at a time:
// only one track's flux is ever in memory.
void RecorrerScp(Fuente &fuente, const CabeceraScp &cabecera,
                 const std::function<void(PistaFlujo &&)> &cada, Avisos &avisos);

} // namespace flujo
