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

// Reads the first `largo` bytes of block `bloque` (at most a block), appending
// them to `destino` when it is given. Returns how many bytes from the start
// could be read; a shorter count means a sector missing, of another size, or
// cut short, and a problem is added when `problemas` is given.
std::size_t LeerInicioBloque(const Contenedor &disco, const Formato &formato, int bloque,
                             std::size_t largo, std::vector<std::uint8_t> *destino,
                             Problemas *problemas);

} // namespace cpm::lectura
