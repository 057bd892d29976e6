#include "gestion/Zips.h"

#include "cli/Comprimidos.h"
#include "platform/InfoArchivo.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Gestion {

std::vector<std::string> ImagenesEnZips(const std::string &carpeta) {
  std::vector<std::string> zips;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(carpeta, ec), fin; !ec && it != fin;
       it.increment(ec)) {
    const std::string nombre = it->path().filename().string();
    std::error_code ecTipo;
    if (!nombre.empty() && nombre.front() != '.' && Cli::EsNombreZip(nombre) &&
        it->is_regular_file(ecTipo))
      zips.push_back(nombre);
  }
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
  return Cli::CargarImagen(ruta, bytes);
}

} // namespace Gestion
