#pragma once

#include <string_view>

namespace Plataforma {

// The host's file calls take C strings: a path with a NUL byte would be cut
// short there and name another file, so such a path is refused instead.
[[nodiscard]] inline bool ContieneNulo(std::string_view ruta) {
  return ruta.find('\0') != std::string_view::npos;
}

} // namespace Plataforma
