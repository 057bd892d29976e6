#include "cli/BuscarImagenes.h"

#include "disk/Formato.h"
#include "platform/Errores.h"

#include <algorithm>

namespace Cli {

namespace fs = std::filesystem;

namespace {

void Recorrer(const fs::path &carpeta, std::vector<fs::path> &imagenes,
              const std::function<void(const fs::path &, const std::string &)> &alFallar) {
  std::error_code ec;
  fs::directory_iterator it(carpeta, ec);
  std::vector<fs::path> subcarpetas;
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code ecTipo;
    // The listing gives each entry's type; only a link costs a stat. A link
    // to a folder is not entered, so no loop can form.
    const bool enlace = it->is_symlink(ecTipo);
    if (!enlace && it->is_directory(ecTipo)) {
      subcarpetas.push_back(it->path());
    } else if (Formato::EsNombreDeImagen(it->path().filename().native()) &&
               it->is_regular_file(ecTipo)) {
      imagenes.push_back(it->path());
    }
  }
  if (ec) {
    alFallar(carpeta, Errores::Mensaje(Errores::DesdeHost(ec.value())));
  }
  for (const fs::path &sub : subcarpetas) {
    Recorrer(sub, imagenes, alFallar);
  }
}

} // namespace

std::vector<fs::path>
BuscarImagenes(const std::vector<fs::path> &carpetas,
               const std::function<void(const fs::path &, const std::string &)> &alFallar) {
  std::vector<fs::path> imagenes;
  for (const fs::path &carpeta : carpetas) {
    Recorrer(carpeta, imagenes, alFallar);
  }
  // By the path's bytes: comparing paths part by part costs more than the
  // reading of a small image.
  const auto menor = [](const fs::path &a, const fs::path &b) { return a.native() < b.native(); };
  const auto igual = [](const fs::path &a, const fs::path &b) { return a.native() == b.native(); };
  std::sort(imagenes.begin(), imagenes.end(), menor);
  imagenes.erase(std::unique(imagenes.begin(), imagenes.end(), igual), imagenes.end());
  return imagenes;
}

} // namespace Cli
