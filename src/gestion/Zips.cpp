#include "gestion/Zips.h"

#include "disk/Formato.h"
#include "imagenes/Fuente.h"
#include "imagenes/Tipos.h"
#include "platform/Carpetas.h"
#include "platform/InfoArchivo.h"

#include <algorithm>

namespace Gestion {
namespace {

// The names in `carpeta` (hidden ones left out) that `tomar` takes, files
// only, in name order. Through the host's own listing: names in UTF-8 on every
// host, whatever the local code page of a Windows could hold.
std::vector<std::string> Archivos(const std::string &carpeta,
                                  bool (*tomar)(std::string_view nombre)) {
  std::vector<std::string> nombres;
  static_cast<void>(Plataforma::ListarCarpeta(
      carpeta, [](const Plataforma::IdCarpeta &) { return true; },
      [tomar](std::string_view nombre) {
        return !nombre.empty() && nombre.front() != '.' && tomar(nombre);
      },
      [&nombres](std::string_view nombre, bool esCarpeta) {
        if (!esCarpeta)
          nombres.emplace_back(nombre);
      }));
  std::sort(nombres.begin(), nombres.end());
  return nombres;
}

// An image of a kind the window's own list does not show: not a *.dsk.
bool EsImagenDeOtroTipo(std::string_view nombre) {
  return imagenes::EsNombreDeImagen(nombre) && !Formato::EsNombreDeImagen(nombre);
}

bool EsZip(std::string_view nombre) { return imagenes::EsNombreZip(nombre); }

} // namespace

std::vector<std::string> ImagenesEnZips(const std::string &carpeta) {
  const std::vector<std::string> zips = Archivos(carpeta, EsZip);
  std::vector<std::string> rutas;
  const bool conSeparador =
      !carpeta.empty() && Plataforma::SeparadoresRuta.find(carpeta.back()) != std::string::npos;
  const std::string prefijo =
      carpeta + (conSeparador ? "" : std::string(1, Plataforma::SeparadorRuta));
  for (const std::string &zip : zips) {
    // A zip that cannot be listed shows the images before its damage, if any.
    static_cast<void>(imagenes::ImagenesDeZip(prefijo + zip,
                                              [&](const std::string &ruta) {
                                                rutas.push_back(ruta.substr(prefijo.size()));
                                                return true;
                                              },
                                              {}));
  }
  return rutas;
}

std::vector<std::string> OtrasImagenes(const std::string &carpeta) {
  std::vector<std::string> otras = Archivos(carpeta, EsImagenDeOtroTipo);
  std::vector<std::string> enZips = ImagenesEnZips(carpeta);
  otras.insert(otras.end(), enZips.begin(), enZips.end());
  return otras;
}

bool SeListaPorCopia(const std::string &ruta) {
  if (imagenes::EsRutaComprimida(ruta)) {
    return !imagenes::EsNombreZip(ruta);
  }
  const auto tipos = imagenes::TiposPorExtension(ruta);
  return !tipos.empty() && std::none_of(tipos.begin(), tipos.end(),
                                        [](const imagenes::Tipo *t) { return t->enSitio; });
}

std::string LeerParaListar(const std::string &ruta, std::vector<std::uint8_t> &bytes) {
  imagenes::EmpezarLectura(); // one view, one zip budget
  if (std::string error = imagenes::CargarImagen(ruta, bytes); !error.empty()) {
    return error;
  }
  imagenes::Pistas pistas = imagenes::LeerPistas(bytes, {});
  // An image read in place is listed as it is, damage and all; another kind
  // as the image its tracks make, when they can be read.
  if (pistas.tipo == nullptr || pistas.tipo->enSitio) {
    return {};
  }
  if (!pistas.error.empty()) {
    return pistas.error;
  }
  bytes = std::move(pistas.hecha);
  return {};
}

} // namespace Gestion
