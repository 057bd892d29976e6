#include "platform/CarpetaTemporal.h"

namespace Plataforma {

std::uint32_t ProcesoDeCarpeta(std::string_view nombre) {
  constexpr std::string_view prefijo = "alcove-";
  if (!nombre.starts_with(prefijo)) {
    return 0;
  }
  nombre.remove_prefix(prefijo.size());
  const std::size_t guion = nombre.find('-');
  if (guion == 0 || guion == std::string_view::npos || guion > 9 || guion + 1 == nombre.size()) {
    return 0;
  }
  std::uint32_t pid = 0;
  for (const char c : nombre.substr(0, guion)) {
    if (c < '0' || c > '9') {
      return 0;
    }
    pid = pid * 10 + static_cast<std::uint32_t>(c - '0');
  }
  // What the host put after it: letters and digits (mkdtemp), or numbers
  // joined by '-' (Windows).
  for (const char c : nombre.substr(guion + 1)) {
    const bool valido =
        (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
    if (!valido) {
      return 0;
    }
  }
  return pid;
}

} // namespace Plataforma
