#include "cli/BuscarImagenes.h"

#include "cli/Salida.h"
#include "imagenes/Fuente.h"
#include "imagenes/Tipos.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>
#include <set>

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
  const std::string error = imagenes::ImagenesDeZip(
      zip,
      [&](const std::string &imagen) {
        seguir = avisos.alEncontrar(imagen);
        return seguir;
      },
      avisos.alAnidado, avisos.alFallar);
  if (seguir && !error.empty()) {
    avisos.alFallar(zip, error);
  }
  return seguir;
}

// Files the walk takes: images of every kind told by its bytes, their .gz,
// and zips.
bool EsNombreBuscado(std::string_view nombre) {
  return imagenes::EsNombreDeImagen(nombre) || imagenes::EsNombreImagenGz(nombre) ||
         imagenes::EsNombreZip(nombre);
}

// A file the walk took: an image, or a zip to look into.
bool Entregar(const std::string &ruta, std::string_view nombre, const Avisos &avisos) {
  return imagenes::EsNombreZip(nombre) ? RecorrerZip(ruta, avisos) : avisos.alEncontrar(ruta);
}

// Folders already walked: a folder named twice, or inside another one named,
// is walked once.
using Vistas = std::set<Plataforma::IdCarpeta>;

// "carpeta/nombre": the user's own spelling of the folder, then one separator
// of this host's.
void Unir(std::string &ruta, const std::string &carpeta, std::string_view nombre) {
  ruta = carpeta;
  if (!ruta.empty() && Plataforma::SeparadoresRuta.find(ruta.back()) == std::string_view::npos) {
    ruta += Plataforma::SeparadorRuta;
  }
  ruta += nombre;
}

// One listing a folder; a link to a folder is not entered, so no loop can form;
// a link to an image counts. The folder's images come first, in name order,
// then its subfolders, in name order. False when `alEncontrar` stopped the walk.
bool Recorrer(const std::string &carpeta, const Avisos &avisos, Vistas &vistas) {
  std::vector<std::string> imagenes;
  std::vector<std::string> subcarpetas;
  const std::int16_t error = Plataforma::ListarCarpeta(
      carpeta, [&vistas](const Plataforma::IdCarpeta &id) { return vistas.insert(id).second; },
      EsNombreBuscado,
      [&](std::string_view nombre, bool esCarpeta) {
        (esCarpeta ? subcarpetas : imagenes).emplace_back(nombre);
      });
  std::sort(imagenes.begin(), imagenes.end());
  std::sort(subcarpetas.begin(), subcarpetas.end());
  std::string ruta;
  for (const std::string &nombre : imagenes) {
    Unir(ruta, carpeta, nombre);
    if (!Entregar(ruta, nombre, avisos)) {
      return false;
    }
  }
  if (error != Errores::Ninguno) {
    avisos.alFallar(carpeta, TrasDosPuntos(Errores::Mensaje(error)));
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
    // An image named instead of a folder is searched, whatever its name, and
    // so is a zip's member; a zip is walked as a folder.
    const bool seguir = Plataforma::Clase(carpeta) == Plataforma::ClaseArchivo::Normal ||
                                imagenes::EsMiembroDeZip(carpeta)
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
  // Paths as UTF-8 both ways, whatever the host's own path encoding.
  std::vector<std::string> textos;
  for (const fs::path &c : carpetas) {
    const std::u8string u = c.u8string();
    textos.emplace_back(u.begin(), u.end());
  }
  const auto aRuta = [](const std::string &t) {
    return fs::path(std::u8string(t.begin(), t.end()));
  };
  const auto rutas = BuscarRutasImagenes(
      textos, [&](const std::string &c, const std::string &m) { alFallar(aRuta(c), m); });
  std::vector<fs::path> salida;
  for (const std::string &r : rutas) {
    salida.push_back(aRuta(r));
  }
  return salida;
}

} // namespace Cli
