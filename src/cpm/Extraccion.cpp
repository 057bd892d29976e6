#include "cpm/Extraccion.h"

#include "Lectura.h"

#include <algorithm>

namespace cpm {
namespace {

constexpr std::uint64_t TamanoRegistro = 128;

// Every byte of the file from its start, extent after extent, until the first
// one that cannot be read.
bool LeerCrudo(const lectura::Mapa &mapa, const Formato &f, const Archivo &a,
               std::vector<std::uint8_t> &destino, Problemas &problemas) {
  const auto tamanoBloque = static_cast<std::uint64_t>(f.tamanoBloque);
  destino.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(a.tamano, 1u << 24)));
  std::uint64_t quedan = a.tamano;
  int esperado = 0;
  for (const Extension &e : a.extensiones) {
    if (e.numero != esperado++) {
      problemas.push_back(
          {TipoProblema::ExtensionAusente,
           "Falta el tramo " + std::to_string(esperado - 1) + " de " + a.NombreCompleto(),
           {-1, -1, -1, e.entrada, -1, -1}});
      return false;
    }
    std::uint64_t enExtension =
        std::min<std::uint64_t>(quedan, static_cast<std::uint64_t>(e.registros) * TamanoRegistro);
    for (std::size_t i = 0; enExtension > 0; ++i) {
      if (i >= e.bloques.size()) {
        problemas.push_back({TipoProblema::RegistrosDeMas,
                             "El tramo " + std::to_string(e.numero) + " de " + a.NombreCompleto() +
                                 " tiene más registros que bloques",
                             {-1, -1, -1, e.entrada, -1, -1}});
        return false;
      }
      const auto largo = static_cast<std::size_t>(std::min(enExtension, tamanoBloque));
      if (lectura::LeerInicioBloque(mapa, e.bloques[i], largo, &destino, &problemas) != largo) {
        return false;
      }
      enExtension -= largo;
      quedan -= largo;
    }
  }
  return quedan == 0;
}

} // namespace

Extraido Extraer(const Contenedor &disco, const Formato &formato, const Archivo &archivo,
                 ModoExtraccion modo) {
  Extraido r;
  r.completo = LeerCrudo(lectura::Mapa(disco, formato), formato, archivo, r.bytes, r.problemas);
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
