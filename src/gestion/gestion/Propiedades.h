#pragma once

#include "cpm/Disco.h"

#include <string>
#include <string_view>

namespace Gestion {

// The text of "Propiedades" for one file: AMSDOS type, load and entry
// addresses, exact length, user, attributes and blocks, one per line.
[[nodiscard]] std::string TextoPropiedades(const cpm::Disco &disco, const cpm::Archivo &archivo);

// The text of "Propiedades del disco" for an image: its path, layout, tracks
// and sides, format, and the copy-protection verdict with what on
// the disk says so.
[[nodiscard]] std::string TextoPropiedadesDisco(const std::string &ruta,
                                                std::string_view disposicion,
                                                const cpm::Disco &disco);
// The status line's note on a disk: "Protección anticopia: Speedlock (confirmada)".
[[nodiscard]] std::string LineaProteccion(const cpm::Disco &disco);

// "1 bloque", "3 bloques": a count with its noun in the right number.
[[nodiscard]] std::string Cuenta(std::size_t n, const char *uno, const char *varios);

} // namespace Gestion
