#pragma once

#include "cpm/Contenedor.h"
#include "cpm/Formatos.h"
#include "cpm/Problema.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Reading bytes of logical blocks through the format, shared by the catalogue
// and extraction.
namespace cpm::lectura {

// The sector of each logical sector of the format (reserved tracks included),
// looked up by ID the first time one of its track's sectors is asked for;
// nullptr where the disk has none. Holds on to `disco`.
class Mapa {
public:
  Mapa(const Contenedor &disco, const Formato &formato);
  [[nodiscard]] const Sector *En(long long indice) const;
  [[nodiscard]] const Formato &Formato_() const { return formato_; }

private:
  void LlenarPista(std::size_t base) const;

  const Contenedor &disco_;
  Formato formato_;
  std::size_t porPista_;
  mutable std::vector<const Sector *> sectores_;
  mutable std::vector<bool> pistaLlena_;
};

// Reads the first `largo` bytes of block `bloque` (at most a block), appending
// them to `destino` when it is given. Returns how many bytes from the start
// could be read; a shorter count means a sector missing, of another size, or
// cut short, and a problem is added when `problemas` is given.
std::size_t LeerInicioBloque(const Mapa &mapa, int bloque, std::size_t largo,
                             std::vector<std::uint8_t> *destino, Problemas *problemas);

} // namespace cpm::lectura
