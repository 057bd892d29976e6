#pragma once

#include "cpm/Disco.h"

#include <string>

namespace Gestion {

// The text of "Propiedades" for one file: AMSDOS type, load and entry
// addresses, exact length, user, attributes and blocks, one per line.
[[nodiscard]] std::string TextoPropiedades(const cpm::Disco &disco, const cpm::Archivo &archivo);

// "1 bloque", "3 bloques": a count with its noun in the right number.
[[nodiscard]] std::string Cuenta(std::size_t n, const char *uno, const char *varios);

} // namespace Gestion
