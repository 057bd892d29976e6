#pragma once

#include <cstdint>

// The fields a track and a sector carry the same in the image as the file
// stores it (imagenes/Contenedor.h), in the disk as tracks that own their
// bytes (imagenes/Superficie.h) and in the protection verdict's views of
// either: each model adds its own to these, and one is made from another by
// copying these whole.
namespace imagenes {

// A sector's ID as the FDC reads it, and the status it reported for it.
struct IdSector {
  std::uint8_t c = 0, h = 0, r = 0, n = 0; // track, head, sector, size code
  std::uint8_t st1 = 0, st2 = 0;           // FDC status when the image was made
};

// What a track's Track-Info block says of it.
struct CabeceraPista {
  bool formateada = false;                          // false: no Track-Info block
  std::uint8_t pistaCabecera = 0, caraCabecera = 0; // what its Track-Info says it is
  std::uint8_t codigoTamano = 0, gap = 0, relleno = 0;

  // A track as formatting lays it down: its own place in the header.
  static CabeceraPista Formateada(int pista, int cara, std::uint8_t codigo, std::uint8_t gap,
                                  std::uint8_t relleno) {
    return {true,   static_cast<std::uint8_t>(pista), static_cast<std::uint8_t>(cara), codigo, gap,
            relleno};
  }
};

} // namespace imagenes
