#pragma once

#include "cpm/Contenedor.h"
#include "cpm/Formatos.h"
#include "cpm/Patron.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Cli {

// What `find` prints of a file: who owns it, its name and its size.
struct ArchivoBreve {
  std::uint8_t usuario = 0;
  std::string nombre; // "NAME.EXT" or "NAME"
  std::uint64_t tamano = 0;
};

// The catalogue's raw entries read straight from the sectors that hold it,
// as the exact reader would read them. False when any of those sectors is
// missing, of another size code or cut short: the caller then takes the
// exact reader's path, which says what is wrong.
bool BytesCatalogo(const cpm::Contenedor &disco, const cpm::Formato &formato,
                   std::vector<std::uint8_t> &destino);

// The files of those entries that match the pattern, in the exact reader's
// order (user, then name) and with the size it gives them from the catalogue.
// Neither their blocks nor their sectors are looked at: a listing by name
// needs neither.
void BuscarEnCatalogo(std::span<const std::uint8_t> entradas, const cpm::Formato &formato,
                      const cpm::Patron &patron, std::vector<ArchivoBreve> &encontrados);

} // namespace Cli
