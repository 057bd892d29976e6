#pragma once

#include "cpm/Disco.h"
#include "cpm/Mapa.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Below the files, in the window: the disk's map drawn (each sector a box,
// by its size and what it is), the sector under the pointer named, and a
// sector shown as hex and characters to be edited. Decided here for every
// host; a host only paints the boxes and texts and hands the edited text back.
namespace Gestion {

struct ColorMapa {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const ColorMapa &) const = default;
};

// What each kind of sector is called and how it is painted: the legend's
// rows, in its order. A file's data take the file's own colour (ColorArchivo).
struct ClaseEnMapa {
  cpm::ClaseSector clase;
  const char *nombre; // "catálogo"
  ColorMapa color;
};
std::span<const ClaseEnMapa> ClasesMapa();
// The colour of the file at `archivo` in the catalogue's list: neighbours
// differ, and none is a colour of the legend's other kinds.
ColorMapa ColorArchivo(int archivo);

// The map's canvas, in pixels, on every host.
inline constexpr int AnchoMapa = 760;
inline constexpr int AltoMapa = 480;
// The map's background and its texts: the CPC's blue and yellow.
inline constexpr ColorMapa FondoMapa{0, 0, 170};
inline constexpr ColorMapa TextoMapa{255, 255, 0};

// One sector's box on the canvas.
struct CeldaMapa {
  int x = 0, y = 0, ancho = 0, alto = 0;
  ColorMapa color;
  int pista = 0, cara = 0;
  std::size_t indice = 0; // its place among its track's sectors as stored
  std::uint8_t id = 0;
  std::string texto; // what it is, for the line under the map
};
// A text on the canvas, its top left corner at x, y.
struct RotuloMapa {
  int x = 0, y = 0;
  std::string texto;
  std::optional<ColorMapa> muestra; // a legend's row: a box of this colour before the text
};
struct DibujoMapa {
  std::vector<CeldaMapa> celdas;
  std::vector<RotuloMapa> rotulos;
};

// The map of `disco` (its reading) on an AnchoMapa × AltoMapa canvas: a
// column of tracks for each side, each track a row whose sectors are as
// wide as the bytes they store, the legend below.
DibujoMapa DibujarMapa(const cpm::Disco &disco, const cpm::MapaDisco &mapa);
// The box under a point, or nullptr.
const CeldaMapa *CeldaEn(const DibujoMapa &dibujo, int x, int y);

// A sector as the sector view shows it: its ID and status, and its first copy.
struct SectorEnVista {
  int pista = 0, cara = 0;
  std::size_t indice = 0;
  std::string cabecera;            // "Pista 3, cara 0, sector &C4 ..." and its status
  std::vector<std::uint8_t> datos; // the first copy, what a drive reads
  bool primeroDeSuId = true;       // the first sector of its ID on the track (the one written)
};
// The sector at `indice` of the track as the reading holds it; nothing when
// it is not there.
std::optional<SectorEnVista> SectorParaVer(const cpm::Disco &disco, int pista, int cara,
                                           std::size_t indice);

// The bytes as lines of 16: their offset, hex and characters
// ("0010  41 42 ...  AB.."), as the view edits them.
std::string VolcadoEditable(std::span<const std::uint8_t> datos);
// The bytes of an edited dump of `antes`: each line's hex as typed; where
// only a character was changed, that character. Nothing when a line cannot
// be read or the length changed, with why in `error` (Spanish).
std::optional<std::vector<std::uint8_t>> LeerVolcadoEditado(const std::string &texto,
                                                            std::span<const std::uint8_t> antes,
                                                            std::string &error);

} // namespace Gestion
