#include "cli/BuscarImagenes.h"

#include "cli/Comprimidos.h"
#include "disk/Formato.h"
#include "platform/Errores.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace Cli {

namespace fs = std::filesystem;

namespace {

using AlFallar = std::function<void(const std::string &, const std::string &)>;
using AlEncontrar = std::function<void(const std::string &)>;

// The images inside a zip, by full name; a zip that cannot be listed is one failure.
void RecorrerZip(const std::string &zip, const AlEncontrar &alEncontrar, const AlFallar &alFallar,
                 const AlEncontrar &alAnidado) {
  const std::string error = ImagenesDeZip(zip, alEncontrar, alAnidado);
  if (!error.empty()) {
    alFallar(zip, error);
  }
}

struct CerrarCarpeta {
  void operator()(DIR *d) const { ::closedir(d); }
};

// "carpeta/nombre", joined as std::filesystem joins them.
void Unir(std::string &ruta, const std::string &carpeta, const char *nombre) {
  ruta = carpeta;
  if (!ruta.empty() && ruta.back() != '/') {
    ruta += '/';
  }
  ruta += nombre;
}

// The entry's type as the listing gives it; file systems that do not give it
// cost a stat that does not follow links.
unsigned char Tipo(DIR *d, const dirent &e, struct stat &st) {
  if (e.d_type != DT_UNKNOWN) {
    return e.d_type;
  }
  if (::fstatat(::dirfd(d), e.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return DT_UNKNOWN;
  }
  if (S_ISDIR(st.st_mode)) {
    return DT_DIR;
  }
  if (S_ISLNK(st.st_mode)) {
    return DT_LNK;
  }
  return S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
}

// One listing a folder; only links to images cost a stat. A link to a folder is not
// entered, so no loop can form; a link to an image counts.
void Recorrer(const std::string &carpeta, const AlEncontrar &alEncontrar, const AlFallar &alFallar,
              const AlEncontrar &alAnidado) {
  const std::unique_ptr<DIR, CerrarCarpeta> d(::opendir(carpeta.c_str()));
  if (!d) {
    alFallar(carpeta, Errores::Mensaje(Errores::DesdeHost(errno)));
    return;
  }
  std::vector<std::string> subcarpetas;
  std::string ruta;
  for (;;) {
    errno = 0;
    const dirent *e = ::readdir(d.get());
    if (e == nullptr) {
      break;
    }
    const std::string_view nombre = e->d_name;
    if (nombre == "." || nombre == "..") {
      continue;
    }
    struct stat st {};
    const unsigned char tipo = Tipo(d.get(), *e, st);
    if (tipo == DT_DIR) {
      Unir(ruta, carpeta, e->d_name);
      subcarpetas.push_back(ruta);
    } else if ((tipo == DT_REG || tipo == DT_LNK) &&
               (Formato::EsNombreDeImagen(nombre) || EsNombreImagenGz(nombre) ||
                EsNombreZip(nombre))) {
      if (tipo == DT_LNK &&
          (::fstatat(::dirfd(d.get()), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))) {
        continue;
      }
      Unir(ruta, carpeta, e->d_name);
      if (EsNombreZip(nombre)) {
        RecorrerZip(ruta, alEncontrar, alFallar, alAnidado);
      } else {
        alEncontrar(ruta);
      }
    }
  }
  if (errno != 0) {
    alFallar(carpeta, Errores::Mensaje(Errores::DesdeHost(errno)));
  }
  for (const std::string &sub : subcarpetas) {
    Recorrer(sub, alEncontrar, alFallar, alAnidado);
  }
}

} // namespace

void RecorrerCarpetas(const std::vector<std::string> &carpetas, const AlEncontrar &alEncontrar,
                      const AlFallar &alFallar, const AlEncontrar &alAnidado) {
  for (const std::string &carpeta : carpetas) {
    // A zip given as a folder is walked as one.
    struct stat st {};
    if (EsNombreZip(carpeta) && ::stat(carpeta.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      RecorrerZip(carpeta, alEncontrar, alFallar, alAnidado);
    } else {
      Recorrer(carpeta, alEncontrar, alFallar, alAnidado);
    }
  }
}

std::vector<std::string> BuscarRutasImagenes(const std::vector<std::string> &carpetas,
                                             const AlFallar &alFallar) {
  std::vector<std::string> imagenes;
  RecorrerCarpetas(
      carpetas, [&imagenes](const std::string &ruta) { imagenes.push_back(ruta); }, alFallar);
  std::sort(imagenes.begin(), imagenes.end());
  imagenes.erase(std::unique(imagenes.begin(), imagenes.end()), imagenes.end());
  return imagenes;
}

std::vector<fs::path>
BuscarImagenes(const std::vector<fs::path> &carpetas,
               const std::function<void(const fs::path &, const std::string &)> &alFallar) {
  const std::vector<std::string> textos(carpetas.begin(), carpetas.end());
  const auto rutas = BuscarRutasImagenes(
      textos, [&alFallar](const std::string &c, const std::string &m) { alFallar(c, m); });
  return {rutas.begin(), rutas.end()};
}

} // namespace Cli
