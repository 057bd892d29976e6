#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// The catalogue as the CPC's own CAT prints it.
namespace Ver {

// The bytes CAT sends to the screen for the catalogue entries `entradas`
// (32 bytes each, as on the disk) of a disk of `bloques` blocks of
// `tamanoBloque` bytes with `kbLibres` free: the heading, user 0's visible
// files sorted by name, each "NAME.EXT", '*' when read-only, its size in K,
// two to a 40-column line, and the free space. Names go out as stored,
// control codes included, which is how catalogue art draws on the screen.
// Line ends are the CPC's CR LF. `forma`, when given, writes each name's 12
// bytes instead: a terminal is shown their control codes, CR and LF among
// them, while CAT's own line ends stay line ends.
using FormaNombre = std::function<std::string(std::string_view)>;
std::string TextoCat(std::span<const std::uint8_t> entradas, int tamanoBloque, int bloques,
                     std::uint64_t kbLibres, const FormaNombre &forma = {});

} // namespace Ver
