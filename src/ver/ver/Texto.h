#pragma once

#include <cstdint>
#include <span>

// Plain CP/M and AMSDOS text files.
namespace Ver {

// CP/M text ends at the first ^Z (&1A); the rest of the last record is filler.
std::span<const std::uint8_t> HastaFinDeTexto(std::span<const std::uint8_t> bytes);

// Printable ASCII, line ends, tabs and ^Z only.
bool PareceTexto(std::span<const std::uint8_t> bytes);

} // namespace Ver
