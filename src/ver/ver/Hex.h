#pragma once

#include <cstdint>
#include <span>
#include <string>

// Any file's bytes as a hex dump.
namespace Ver {

// Sixteen bytes a line: the address (from `direccion`), the bytes in hex, and
// the printable ASCII ones ('.' for the rest).
std::string VolcadoHex(std::span<const std::uint8_t> bytes, std::uint32_t direccion = 0);

} // namespace Ver
