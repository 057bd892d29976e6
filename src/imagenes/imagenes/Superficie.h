#pragma once

#include "disk/CpcEmu.h"

#include "imagenes/Campos.h"
#include "imagenes/Problema.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A disk as tracks and sectors that own their bytes, whatever file it came
// from: what every kind of image is read to and written from (imagenes/Tipos.h),
// what conversion carries from one kind to another, and what two images are
// compared by. Layout details (a standard image's padding, the file's
// offsets) are not part of it.
namespace imagenes {

struct SectorSuperficie : IdSector {
  int copias = 1;                  // more than 1: a weak sector, its copies one after another
  std::vector<std::uint8_t> datos; // every byte stored for it, all copies
  // The nominal size of its code, 128 << N (N above 8 counts as 8, as the reader does).
  [[nodiscard]] std::size_t LongitudNominal() const;
};

// Not formatted: no Track-Info block (a track without sectors is the same disk).
struct PistaSuperficie : CabeceraPista {
  // Unformatted, with what a format would lay down by default.
  PistaSuperficie() : CabeceraPista{false, 0, 0, 2, 0x4E, 0xE5} {}
  // Bytes 18 and 19 of the Track-Info, where later tools note the data rate
  // (1 single or double density, 2 high, 3 extended) and the recording mode
  // (1 FM, 2 MFM); 0 unknown.
  std::uint8_t tasa = 0, grabacion = 0;
  std::vector<SectorSuperficie> sectores; // in stored order
};

constexpr std::uint8_t TasaDobleDensidad = 1, TasaAltaDensidad = 2;
constexpr std::uint8_t GrabacionFm = 1, GrabacionMfm = 2;

struct Superficie {
  int pistas = 0;
  int caras = 0;
  std::array<std::uint8_t, cpcemu::LargoCreador> creador{}; // the creator field as stored
  std::vector<PistaSuperficie> pistasCaras;                 // index pista * caras + cara
  std::vector<std::uint8_t> sobrantes;                      // bytes after the last track

  [[nodiscard]] const PistaSuperficie *Pista(int pista, int cara) const;
};

// What reading an image of any kind as tracks and sectors gives.
struct Lectura {
  std::optional<Superficie> disco; // nothing: it cannot be read as that kind
  std::string error;               // why not, in Spanish
  Problemas problemas;             // what could not be read whole
};

// The creator field holding `texto`, blank padded; `texto` is cut to fit.
std::array<std::uint8_t, cpcemu::LargoCreador> CampoCreador(std::string_view texto);
// True when the field holds nothing but blanks and NULs.
bool CreadorVacio(const std::array<std::uint8_t, cpcemu::LargoCreador> &creador);

} // namespace imagenes
