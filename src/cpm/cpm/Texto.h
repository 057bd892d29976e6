#pragma once

#include <cstdint>
#include <span>
#include <string_view>
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

// A bare decimal of four digits or more that iDSK, and many CPC listings,
// would read as hex: that other value, when it differs and is an address;
// else -1 ("4000" gives &4000, "16384" nothing).
int ValorSiFueraHex(std::string_view texto);

} // namespace cpm
