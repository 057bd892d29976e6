#include "cli/BuscarImagenes.h"

#include "disk/Formato.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"

#include <algorithm>

namespace Cli {

namespace fs = std::filesystem;

namespace {

using AlFallar = std::function<void(const std::string &, const std::string &)>;
using AlEncontrar = std::function<void(const std::string &)>;

// "carpeta/nombre": the user's own spelling of the folder, then one separator
// of this host's.
void Unir(std::string &ruta, const std::string &carpeta, std::string_view nombre) {
  ruta = carpeta;
  if (!ruta.empty() && Plataforma::SeparadoresRuta.find(ruta.back()) == std::string_view::npos) {
    ruta += Plataforma::SeparadorRuta;
  }
  ruta += nombre;
}

// One listing a folder; a link to a folder is not entered, so no loop can form.
void Recorrer(const std::string &carpeta, const AlEncontrar &alEncontrar,
              const AlFallar &alFallar) {
  std::vector<std::string> subcarpetas;
  std::string ruta;
  const std::int16_t error = Plataforma::ListarCarpeta(
      carpeta, Formato::EsNombreDeImagen, [&](std::string_view nombre, bool esCarpeta) {
        Unir(ruta, carpeta, nombre);
        if (esCarpeta) {
          subcarpetas.push_back(ruta);
        } else {
          alEncontrar(ruta);
        }
      });
  if (error != Errores::Ninguno) {
    alFallar(carpeta, Errores::Mensaje(error));
  }
  for (const std::string &sub : subcarpetas) {
    Recorrer(sub, alEncontrar, alFallar);
  }
}

} // namespace

void RecorrerCarpetas(const std::vector<std::string> &carpetas, const AlEncontrar &alEncontrar,
                      const AlFallar &alFallar) {
  for (const std::string &carpeta : carpetas) {
    Recorrer(carpeta, alEncontrar, alFallar);
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
