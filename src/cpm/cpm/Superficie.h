#pragma once

#include "cpm/Contenedor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A disk as tracks and sectors that own their bytes, whatever file it came
// from: what conversion carries from one kind of image to another, and what
// two images are compared by. Layout details (a standard image's padding, the
// file's offsets) are not part of it.
namespace cpm {

struct SectorSuperficie {
  std::uint8_t c = 0, h = 0, r = 0, n = 0; // the ID
  std::uint8_t st1 = 0, st2 = 0;           // FDC status when the disk was read
  int copias = 1;                  // more than 1: a weak sector, its copies one after another
  std::vector<std::uint8_t> datos; // every byte stored for it, all copies
  // The nominal size of its code, 128 << N (N above 8 counts as 8, as the reader does).
  [[nodiscard]] std::size_t LongitudNominal() const;
};

struct PistaSuperficie {
  bool formateada = false; // false: no Track-Info block (a track without sectors is the same disk)
  std::uint8_t pistaCabecera = 0, caraCabecera = 0; // what its Track-Info says it is
  std::uint8_t codigoTamano = 2, gap = 0x4E, relleno = 0xE5;
  // Bytes 18 and 19 of the Track-Info, where later tools note the data rate
  // and the recording mode (1 FM, 2 MFM); 0 unknown.
  std::uint8_t tasa = 0, grabacion = 0;
  std::vector<SectorSuperficie> sectores; // in stored order
};

constexpr std::uint8_t GrabacionFm = 1;

struct Superficie {
  int pistas = 0;
  int caras = 0;
  std::array<std::uint8_t, LargoCreador> creador{}; // the creator field as stored
  std::vector<PistaSuperficie> pistasCaras;         // index pista * caras + cara
  std::vector<std::uint8_t> sobrantes;              // bytes after the last track

  [[nodiscard]] const PistaSuperficie *Pista(int pista, int cara) const;
};

// The tracks of a DSK image as the reader sees them. A standard image's
// sectors keep 128 << N bytes of their track's stored length (the rest is
// the layout's padding); an extended image's keep every stored byte.
Superficie DesdeContenedor(const Contenedor &disco);

// Images of the two CPCEMU layouts. Nothing when the layout cannot take the
// disk at all, with the reason in `error` (more tracks than its table has, a
// track larger than its size fields hold). What fits is written as it is;
// what a layout cannot hold of a sector (weak copies in the standard one, say)
// is left out, and a comparison of its reading with the surface tells it.
std::optional<std::vector<std::uint8_t>> EscribirExtendida(const Superficie &s,
                                                           std::string *error = nullptr);
std::optional<std::vector<std::uint8_t>> EscribirEstandar(const Superficie &s,
                                                          std::string *error = nullptr);

// One formatted track's bytes as each layout stores it: its Track-Info block
// and its sectors. An extended track is padded to a multiple of 256 bytes; a
// standard one is not padded to its image's one size. What the layout cannot
// hold is left out, as by the writers above.
std::vector<std::uint8_t> PistaExtendida(const PistaSuperficie &p);
std::vector<std::uint8_t> PistaEstandar(const PistaSuperficie &p);

// The creator field holding `texto`, blank padded; `texto` is cut to fit.
std::array<std::uint8_t, LargoCreador> CampoCreador(std::string_view texto);
// True when the field holds nothing but blanks and NULs.
bool CreadorVacio(const std::array<std::uint8_t, LargoCreador> &creador);

} // namespace cpm
