#pragma once

#include "cpm/Escritura.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Superficie.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Tracks and sectors changed below the file system: a sector's data, status,
// size code, stored length and copies; a track formatted, unformatted, or
// taken whole from a file. Each change is made to the disk as tracks and
// sectors, then written into the image's own layout over the bytes of that
// one track; what the layout cannot hold is refused.
namespace cpm {

// What to change of one sector; what is not given stays as it is.
struct CambioSector {
  std::uint8_t id = 0; // the first sector of this ID (R) on the track
  std::optional<std::vector<std::uint8_t>> datos;
  std::size_t desde = 0; // where in the copy the data go
  int copia = 0;         // which copy they go into, 0 the first (the one a drive reads)
  std::optional<std::uint8_t> st1, st2;
  std::optional<std::uint8_t> n;        // the ID's size code
  std::optional<std::size_t> guardados; // bytes stored for it, every copy included
  std::optional<int> copias;            // copies stored (more than 1: a weak sector)
};

// A track formatted as a drive formats it: these IDs in this order, each
// sector of size code `n` filled with `relleno`.
struct FormatoPista {
  std::vector<std::uint8_t> ids;
  std::uint8_t n = 2;
  std::uint8_t gap = 0x4E;
  std::uint8_t relleno = 0xE5;
  std::optional<std::uint8_t> c, h; // the IDs' track and side; the track's own by default
};

// The changes on the disk as tracks and sectors. Each returns why it cannot
// be made (Spanish), or an empty string once made.
std::string CambiarSector(imagenes::Superficie &disco, int pista, int cara,
                          const CambioSector &cambio);
std::string FormatearPista(imagenes::Superficie &disco, int pista, int cara,
                           const FormatoPista &formato);
std::string DesformatearPista(imagenes::Superficie &disco, int pista, int cara);
// The track replaced by `nueva`, which takes this track's place (its
// Track-Info says so); its sectors' IDs stay as they are.
std::string PonerPista(imagenes::Superficie &disco, int pista, int cara,
                       imagenes::PistaSuperficie nueva);

// A DSK image (read as `disco`) with the track at (pista, cara) made as it is
// in `nueva`: only that track's bytes are replaced (and its size in the
// extended layout's table); every other byte of the file stays. Refused when
// the track is not read whole, when the layout cannot hold the track (the
// standard layout's one track size, its one stored length for every sector
// and no weak copies), saying what it cannot hold.
Escrito EscribirPista(std::span<const std::uint8_t> imagen, const imagenes::Contenedor &disco,
                      int pista, int cara, const imagenes::Superficie &nueva);

// One track as a file of its own: its Track-Info block and sectors as the
// extended layout stores them, which ImportarPista reads back.
std::vector<std::uint8_t> ExportarPista(const imagenes::PistaSuperficie &pista);
std::optional<imagenes::PistaSuperficie> ImportarPista(std::span<const std::uint8_t> bytes,
                                                       std::string *error = nullptr);

} // namespace cpm
