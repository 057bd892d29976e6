#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Plain CP/M and AMSDOS text files.
namespace cpm {

// CP/M text ends at the first ^Z (&1A); the rest of the last record is filler.
std::span<const std::uint8_t> HastaFinDeTexto(std::span<const std::uint8_t> bytes);

// Printable ASCII, line ends, tabs and ^Z only: a host file plainly text.
bool PareceTexto(std::span<const std::uint8_t> bytes);

// Text as the CPC keeps it: as above, form feeds too, and at most a quarter of
// bytes from &80, the CPC's own characters (its font's box lines and accents,
// as in the guides on ORGAMS' disk).
bool PareceTextoCpc(std::span<const std::uint8_t> bytes);

// A host's text as the CPC and CP/M keep it: every LF without a CR before it
// gets one; `cambiadas`, when given, counts them.
std::vector<std::uint8_t> ConFinesCpm(std::span<const std::uint8_t> bytes,
                                      std::size_t *cambiadas = nullptr);
// CP/M's text for a Unix host: every CR LF becomes LF; a lone CR stays.
std::vector<std::uint8_t> ConFinesUnix(std::span<const std::uint8_t> bytes);

} // namespace cpm
