#include "cpm/Extraccion.h"

#include "Lectura.h"

#include <algorithm>

namespace cpm {

using imagenes::Contenedor;
using imagenes::Problemas;
using imagenes::TipoProblema;
namespace {

// Every byte of the file from its start, extent after extent, until the first
// one that cannot be read.
bool LeerCrudo(const lectura::Mapa &mapa, const Archivo &a, std::vector<std::uint8_t> &destino,
               Problemas &problemas) {
  destino.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(a.tamano, 1u << 24)));
  const lectura::Recorrido r = lectura::LeerDesdeElInicio(mapa, a, &destino, &problemas);
  if (r.parada == lectura::Parada::TramoAusente) {
    problemas.push_back({TipoProblema::ExtensionAusente,
                         "Falta el tramo " + std::to_string(r.tramo - a.extensiones.data()) +
                             " de " + a.NombreCompleto(),
                         {-1, -1, -1, r.tramo->entrada, -1, -1}});
  } else if (r.parada == lectura::Parada::RegistrosDeMas) {
    problemas.push_back({TipoProblema::RegistrosDeMas,
                         "El tramo " + std::to_string(r.tramo->numero) + " de " +
                             a.NombreCompleto() + " tiene más registros que bloques",
                         {-1, -1, -1, r.tramo->entrada, -1, -1}});
  }
  return r.parada == lectura::Parada::Ninguna;
}

} // namespace

Extraido Extraer(const Contenedor &disco, const Formato &formato, const Archivo &archivo,
                 ModoExtraccion modo) {
  Extraido r;
  r.completo = LeerCrudo(lectura::Mapa(disco, formato), archivo, r.bytes, r.problemas);
  if (!r.completo) {
    r.problemas.push_back(
        {TipoProblema::ArchivoIncompleto,
         std::string(r.bytes.size() == 1 ? "Solo se puede leer " : "Solo se pueden leer ") +
             std::to_string(r.bytes.size()) + " de los " + std::to_string(archivo.tamano) +
             " bytes de " + archivo.NombreCompleto(),
         {}});
  }
  if (modo == ModoExtraccion::Crudo) {
    return r;
  }
  const auto cabecera = LeerCabeceraAmsdos(r.bytes);
  if (!cabecera) {
    // Without a valid header the file is plain (ASCII or data): its bytes as they are.
    if (r.bytes.size() < TamanoCabeceraAmsdos && !r.completo) {
      r.problemas.push_back({TipoProblema::CabeceraAmsdosInvalida,
                             "No se puede leer el primer registro de " + archivo.NombreCompleto() +
                                 " para ver si tiene cabecera",
                             {}});
    }
    return r;
  }
  const std::uint64_t fin = TamanoCabeceraAmsdos + std::uint64_t{cabecera->longitud};
  if (fin > r.bytes.size()) {
    r.problemas.push_back({TipoProblema::LongitudCabeceraExcede,
                           "La cabecera de " + archivo.NombreCompleto() + " da " +
                               std::to_string(cabecera->longitud) +
                               " bytes, más de los que hay en el disco",
                           {}});
    r.completo = false;
  }
  const auto corte = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(fin, r.bytes.size()));
  r.bytes.erase(r.bytes.begin() + corte, r.bytes.end());
  r.bytes.erase(r.bytes.begin(),
                r.bytes.begin() + static_cast<std::ptrdiff_t>(TamanoCabeceraAmsdos));
  return r;
}

std::optional<ModoExtraccion> ModoPorNombre(std::string_view nombre) {
  if (nombre == "raw") {
    return ModoExtraccion::Crudo;
  }
  if (nombre == "file") {
    return ModoExtraccion::Archivo;
  }
  return std::nullopt;
}

bool LeerBloque(const Contenedor &disco, const Formato &formato, int bloque,
                std::vector<std::uint8_t> &destino, Problemas *problemas) {
  const auto largo = static_cast<std::size_t>(std::max(formato.tamanoBloque, 0));
  return lectura::LeerInicioBloque(lectura::Mapa(disco, formato), bloque, largo, &destino,
                                   problemas) == largo;
}

} // namespace cpm
