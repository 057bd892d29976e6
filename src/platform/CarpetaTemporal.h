#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Plataforma {

// A private folder of the process's own under the host's temporary folder,
// made when the object is and removed, with everything in it, when it goes.
// The window keeps there the copies of images inside zips it lists, and the
// files it extracts for other programs to copy. Its name carries the
// process's id ("alcove-PID-..."), so that what a run killed outright left
// can be told from what a running one holds.
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

// Removes the folders of this user that runs no longer running left in the
// host's temporary folder. Never throws.
void BarrerCarpetasTemporales() noexcept;

// The process id a folder's name carries, as CarpetaTemporal names them; 0 for
// any other name.
[[nodiscard]] std::uint32_t ProcesoDeCarpeta(std::string_view nombre);

} // namespace Plataforma
