#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writing a whole file so that a failure never leaves it half-written: the
// bytes go to a temporary name in the same folder, which is then renamed into
// place. The name is taken inside the folder only (it may hold no separator),
// so nothing can land elsewhere.
namespace EscrituraSegura {

// Writes `bytes` as `nombre` in `carpeta`. Without `reemplazar`, an existing
// file of that name is kept and ArchivoYaExiste returned; the check and the
// rename are one atomic step. Returns an Errores number (0 when written).
std::int16_t EscribirEnCarpeta(const std::string &carpeta, const std::string &nombre,
                               std::span<const std::uint8_t> bytes, bool reemplazar);

} // namespace EscrituraSegura
