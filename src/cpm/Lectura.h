#pragma once

#include "cpm/Catalogo.h"
#include "cpm/Formatos.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Problema.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Reading bytes of logical blocks through the format, shared by the catalogue
// and extraction.
namespace cpm::lectura {

// The sector of each logical sector of the format (reserved tracks included),
// looked up by ID for one logical track at a time: reading goes track by track,
// so a small table of the last track read saves searching it again, with no
// allocation. nullptr where the disk has none. Holds on to `disco`.
class Mapa {
public:
  Mapa(const imagenes::Contenedor &disco, const Formato &formato);
  [[nodiscard]] const imagenes::Sector *En(long long indice) const {
    if (indice < 0 || static_cast<std::size_t>(indice) >= total_) {
      return nullptr;
    }
    const auto i = static_cast<std::size_t>(indice);
    if (i < inicioPista_ || i - inicioPista_ >= porPista_) {
      LlenarPista(i);
    }
    const std::size_t k = i - inicioPista_;
    return k < MaxPorPista ? sectores_[k] : nullptr;
  }
  [[nodiscard]] const Formato &Formato_() const { return formato_; }

  // Worked out once from the format, for reading block after block.
  int codigo = 0;          // the size code every sector must have
  long long primero = 0;   // logical sectors of the reserved tracks
  long long porBloque = 0; // sectors a block, 0 when a block is not whole sectors
  std::size_t tamanoBloque = 0;
  std::size_t tamanoSector = 0;
  // Blocks that can be read: the format's, and past its last one those whose
  // sectors lie on tracks the image has (AMSDOS does not check the number).
  int bloquesLegibles = 0;

private:
  void LlenarPista(std::size_t indice) const;

  // A sector ID is a byte, so no track has more places than this.
  static constexpr std::size_t MaxPorPista = 256;

  const imagenes::Contenedor &disco_;
  Formato formato_;
  std::size_t porPista_;
  std::size_t total_;
  mutable std::size_t inicioPista_ = SIZE_MAX; // first index of the track in the table
  // Only the track's first porPista_ places are filled and read.
  mutable std::array<const imagenes::Sector *, MaxPorPista> sectores_;
};

// Reads the first `largo` bytes of block `bloque` (at most a block), appending
// them to `destino` when it is given. Returns how many bytes from the start
// could be read; a shorter count means a sector missing, of another size, or
// cut short, and a problem is added when `problemas` is given.
std::size_t LeerInicioBloque(const Mapa &mapa, int bloque, std::size_t largo,
                             std::vector<std::uint8_t> *destino, imagenes::Problemas *problemas);

// Where reading a file from its start stopped.
enum class Parada {
  Ninguna,        // every byte the catalogue gives was read
  TramoAusente,   // an extent before the last is missing
  RegistrosDeMas, // an extent has more records than blocks
  Bloque,         // a block could not be read (outside the disk, a sector missing or odd)
  Hueco,          // an extent holds fewer records than its place: bytes nowhere on the disk
};

struct Recorrido {
  std::uint64_t bytes = 0; // read from the start, as extraction delivers them
  Parada parada = Parada::Ninguna;
  const Extension *tramo = nullptr; // where it stopped, for the first two
};

// Every byte of a file from its start, extent after extent, up to the first
// that cannot be read. Appends them to `destino` when given; a block's
// problem goes to `problemas` when given. The catalogue's checks, the
// names-only reading and extraction all take a file's readable bytes from here.
Recorrido LeerDesdeElInicio(const Mapa &mapa, const Archivo &archivo,
                            std::vector<std::uint8_t> *destino, imagenes::Problemas *problemas);

} // namespace cpm::lectura
