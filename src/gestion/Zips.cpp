#include "gestion/Zips.h"

#include "cli/Comprimidos.h"
#include "platform/Carpetas.h"
#include "platform/InfoArchivo.h"

#include <algorithm>

namespace Gestion {

std::vector<std::string> ImagenesEnZips(const std::string &carpeta) {
  // Through the host's own listing: names in UTF-8 on every host, whatever the
  // local code page of a Windows could hold.
  std::vector<std::string> zips;
  static_cast<void>(Plataforma::ListarCarpeta(
      carpeta, [](const Plataforma::IdCarpeta &) { return true; },
      [](std::string_view nombre) {
        return !nombre.empty() && nombre.front() != '.' && Cli::EsNombreZip(nombre);
      },
      [&zips](std::string_view nombre, bool esCarpeta) {
        if (!esCarpeta)
          zips.emplace_back(nombre);
      }));
  std::sort(zips.begin(), zips.end());
  std::vector<std::string> imagenes;
  const bool conSeparador =
      !carpeta.empty() && Plataforma::SeparadoresRuta.find(carpeta.back()) != std::string::npos;
  const std::string prefijo =
      carpeta + (conSeparador ? "" : std::string(1, Plataforma::SeparadorRuta));
  for (const std::string &zip : zips) {
    // A zip that cannot be listed shows the images before its damage, if any.
    static_cast<void>(Cli::ImagenesDeZip(prefijo + zip,
                                         [&](const std::string &ruta) {
                                           imagenes.push_back(ruta.substr(prefijo.size()));
                                           return true;
                                         },
                                         {}));
  }
  return imagenes;
}

bool EsMiembroDeZip(const std::string &ruta) {
  return Cli::EsRutaComprimida(ruta) && !Cli::EsNombreZip(ruta);
}

std::string LeerMiembro(const std::string &ruta, std::vector<std::uint8_t> &bytes) {
  Cli::EmpezarLectura(); // one view, one zip budget
  return Cli::CargarImagen(ruta, bytes);
}

} // namespace Gestion
