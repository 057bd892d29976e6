#include "cpm/Poner.h"

#include "cpm/Disco.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"

namespace cpm {

std::string LeerArchivoParaPoner(const std::string &ruta, std::vector<std::uint8_t> &bytes) {
  const std::int16_t error = Plataforma::LeerArchivoEntero(ruta, TamanoMaximoArchivo, bytes);
  if (error == Errores::Ninguno) {
    return {};
  }
  return error == Errores::ArgumentoNoValido ? "demasiado grande para un disco"
                                             : Errores::Mensaje(error);
}

std::optional<NombreCpm> NombreDeArchivoHost(const std::string &ruta, std::uint8_t usuario,
                                             std::string *error) {
  std::string texto = ruta.substr(ruta.find_last_of(Plataforma::SeparadoresRuta) + 1);
  if (texto.find(':') != std::string::npos) {
    texto = std::to_string(usuario) + ":" + texto; // the second ':' is what is refused
  }
  return ValidarNombre(texto, usuario, error);
}

std::vector<std::uint8_t> ContenidoParaPoner(TipoPoner tipo, const NombreCpm &nombre,
                                             std::vector<std::uint8_t> bytes, std::uint16_t carga,
                                             std::uint16_t entrada) {
  switch (tipo) {
  case TipoPoner::Binario: return ConCabeceraBinaria(nombre, bytes, carga, entrada);
  case TipoPoner::Basic: return ConCabeceraBasic(nombre, bytes);
  case TipoPoner::Auto:
  case TipoPoner::Ascii: break;
  }
  return bytes;
}

} // namespace cpm
