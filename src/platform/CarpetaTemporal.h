#pragma once

#include <string>

namespace Plataforma {

// A private folder of the process's own under the host's temporary folder,
// made when the object is and removed, with everything in it, when it goes.
// The window extracts files there for other programs to copy.
class CarpetaTemporal {
public:
  CarpetaTemporal();
  ~CarpetaTemporal();
  CarpetaTemporal(const CarpetaTemporal &) = delete;
  CarpetaTemporal &operator=(const CarpetaTemporal &) = delete;

  // False when the host could not make one; the path is then empty.
  [[nodiscard]] bool Valida() const { return !ruta_.empty(); }
  // UTF-8, with no separator at the end.
  [[nodiscard]] const std::string &Ruta() const { return ruta_; }

private:
  std::string ruta_;
};

} // namespace Plataforma
