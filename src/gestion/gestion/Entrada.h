#pragma once

#include "cpm/Disco.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A catalogue row of the window and the file of the exact reading it stands for.
// The rows carry no key: a row is known by its entry's user, name and extension.
namespace Gestion {

inline constexpr std::size_t LargoEntrada = 32;
using EntradaCruda = std::array<std::uint8_t, LargoEntrada>;

// The file of `disco` with the entry's user (byte 0) and name and extension
// (bytes 1..11, top bits cleared); nullptr when the exact reading has none.
[[nodiscard]] const cpm::Archivo *ArchivoDeEntrada(const cpm::Disco &disco,
                                                   const EntradaCruda &entrada);

// "NOMBRE.EXT" as the row shows it, blanks cut, for messages; bytes outside
// printable ASCII as '?'.
[[nodiscard]] std::string TextoEntrada(const EntradaCruda &entrada);

} // namespace Gestion
