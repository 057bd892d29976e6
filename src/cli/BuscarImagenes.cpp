#include "cli/BuscarImagenes.h"

#include "cli/Comprimidos.h"
#include "disk/Formato.h"
#include "platform/Errores.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace Cli {

namespace fs = std::filesystem;

namespace {

using AlFallar = std::function<void(const std::string &, const std::string &)>;
using AlEncontrar = std::function<bool(const std::string &)>;
using AlAnidado = std::function<void(const std::string &)>;

// What the walk hands on besides folders.
struct Avisos {
  const AlEncontrar &alEncontrar;
  const AlFallar &alFallar;
  const AlAnidado &alAnidado;
};

// The images inside a zip, by full name, then the reason when the zip could
// not be listed whole. False when `alEncontrar` stopped the walk.
bool RecorrerZip(const std::string &zip, const Avisos &avisos) {
  bool seguir = true;
  const std::string error = ImagenesDeZip(
      zip,
      [&](const std::string &imagen) {
        seguir = avisos.alEncontrar(imagen);
        return seguir;
      },
      avisos.alAnidado);
  if (seguir && !error.empty()) {
    avisos.alFallar(zip, error);
  }
  return seguir;
}

// Files the walk takes: images, their .gz, and zips.
bool EsNombreBuscado(std::string_view nombre) {
  return Formato::EsNombreDeImagen(nombre) || EsNombreImagenGz(nombre) || EsNombreZip(nombre);
}

// A file the walk took: an image, or a zip to look into.
bool Entregar(const std::string &ruta, std::string_view nombre, const Avisos &avisos) {
  return EsNombreZip(nombre) ? RecorrerZip(ruta, avisos) : avisos.alEncontrar(ruta);
}

struct CerrarCarpeta {
  void operator()(DIR *d) const { ::closedir(d); }
};

// "carpeta/nombre", joined as std::filesystem joins them.
void Unir(std::string &ruta, const std::string &carpeta, std::string_view nombre) {
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

// Folders already walked, by device and inode: a folder named twice, or
// inside another one named, is walked once.
using Vistas = std::set<std::pair<dev_t, ino_t>>;

// One listing a folder; only links to images cost a stat. A link to a folder is not
// entered, so no loop can form; a link to an image counts. The folder's images
// come first, in name order, then its subfolders, in name order.
// False when `alEncontrar` stopped the walk.
bool Recorrer(const std::string &carpeta, const Avisos &avisos, Vistas &vistas) {
  const std::unique_ptr<DIR, CerrarCarpeta> d(::opendir(carpeta.c_str()));
  if (!d) {
    avisos.alFallar(carpeta, Errores::Mensaje(Errores::DesdeHost(errno)));
    return true;
  }
  struct stat propia {};
  if (::fstat(::dirfd(d.get()), &propia) == 0 &&
      !vistas.emplace(propia.st_dev, propia.st_ino).second) {
    return true;
  }
  std::vector<std::string> imagenes;
  std::vector<std::string> subcarpetas;
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
      subcarpetas.emplace_back(nombre);
    } else if ((tipo == DT_REG || tipo == DT_LNK) && EsNombreBuscado(nombre)) {
      if (tipo == DT_LNK &&
          (::fstatat(::dirfd(d.get()), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))) {
        continue;
      }
      imagenes.emplace_back(nombre);
    }
  }
  const int error = errno;
  std::sort(imagenes.begin(), imagenes.end());
  std::sort(subcarpetas.begin(), subcarpetas.end());
  std::string ruta;
  for (const std::string &nombre : imagenes) {
    Unir(ruta, carpeta, nombre);
    if (!Entregar(ruta, nombre, avisos)) {
      return false;
    }
  }
  if (error != 0) {
    avisos.alFallar(carpeta, Errores::Mensaje(Errores::DesdeHost(error)));
  }
  for (const std::string &nombre : subcarpetas) {
    Unir(ruta, carpeta, nombre);
    if (!Recorrer(ruta, avisos, vistas)) {
      return false;
    }
  }
  return true;
}

} // namespace

void RecorrerCarpetas(const std::vector<std::string> &carpetas, const AlEncontrar &alEncontrar,
                      const AlFallar &alFallar, const AlAnidado &alAnidado) {
  const Avisos avisos{alEncontrar, alFallar, alAnidado};
  Vistas vistas;
  for (const std::string &carpeta : carpetas) {
    // An image named instead of a folder is searched, whatever its name; a
    // zip is walked as a folder.
    struct stat st {};
    const bool seguir = ::stat(carpeta.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                            ? Entregar(carpeta, carpeta, avisos)
                            : Recorrer(carpeta, avisos, vistas);
    if (!seguir) {
      return;
    }
  }
}

std::vector<std::string> BuscarRutasImagenes(const std::vector<std::string> &carpetas,
                                             const AlFallar &alFallar) {
  std::vector<std::string> imagenes;
  RecorrerCarpetas(
      carpetas,
      [&imagenes](const std::string &ruta) {
        imagenes.push_back(ruta);
        return true;
      },
      alFallar);
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
