#include "cpm/Poner.h"

#include "cpm/Disco.h"
#include "cpm/Texto.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"
#include "ver/Basic.h"

#include <algorithm>
#include <array>

namespace cpm {

using imagenes::TamanoMaximoArchivo;

std::string LeerArchivoParaPoner(const std::string &ruta, std::vector<std::uint8_t> &bytes) {
  const std::int16_t error = Plataforma::LeerArchivoEntero(ruta, TamanoMaximoArchivo, bytes);
  if (error == Errores::Ninguno) {
    return {};
  }
  if (error == Errores::ArgumentoNoValido) {
    return "demasiado grande para un disco";
  }
  // The reader takes only regular files: anything else is named for what it is.
  if (const std::string que = error == Errores::ArchivoNoEncontrado ? Plataforma::QueEs(ruta) : "";
      !que.empty()) {
    return que;
  }
  return Errores::Mensaje(error);
}

std::optional<NombreCpm> NombreDeArchivoHost(const std::string &ruta, std::uint8_t usuario,
                                             std::string *error) {
  std::string texto = ruta.substr(ruta.find_last_of(Plataforma::SeparadoresRuta) + 1);
  if (texto.find(':') != std::string::npos) {
    texto = std::to_string(usuario) + ":" + texto; // the second ':' is what is refused
  }
  return ValidarNombre(texto, usuario, error);
}

namespace {

constexpr std::array<char, 3> kExtensionBasic{'B', 'A', 'S'};

bool TextoBasic(std::span<const std::uint8_t> bytes) {
  return PareceTexto(bytes) && Ver::LineasNumeradas(bytes);
}

} // namespace

ParaPoner ContenidoParaPoner(TipoPoner tipo, const NombreCpm &nombre,
                             std::vector<std::uint8_t> bytes, std::uint16_t carga,
                             std::uint16_t entrada, bool exacto) {
  ParaPoner p;
  const bool aBas =
      tipo == TipoPoner::Auto && !exacto &&
      std::equal(kExtensionBasic.begin(), kExtensionBasic.end(), nombre.nombre.begin() + 8) &&
      !LeerCabeceraAmsdos(bytes);
  if ((tipo == TipoPoner::Basic || aBas) && TextoBasic(bytes)) {
    Ver::ProgramaTokenizado programa = Ver::TokenizarBasic(bytes);
    if (programa.error.empty()) {
      p.lineasBasic = programa.lineas;
      bytes = std::move(programa.bytes);
      tipo = TipoPoner::Basic;
    } else if (tipo == TipoPoner::Basic) {
      p.rechazo = programa.error;
      return p;
    } else {
      p.nota = "se deja como texto: " + programa.error;
    }
  }
  if (tipo == TipoPoner::Binario || tipo == TipoPoner::Basic) {
    const bool binario = tipo == TipoPoner::Binario;
    p.rechazo = MotivoNoCabe(bytes.size(), binario ? carga : CargaBasic);
    if (p.rechazo.empty()) {
      p.contenido = binario ? ConCabeceraBinaria(nombre, bytes, carga, entrada)
                            : ConCabeceraBasic(nombre, bytes);
      p.cabeceraAnadida = true;
    }
    return p;
  }
  const bool texto = tipo == TipoPoner::Ascii || (!LeerCabeceraAmsdos(bytes) && PareceTexto(bytes));
  p.contenido = texto && !exacto ? ConFinesCpm(bytes, &p.lineasCpm) : std::move(bytes);
  return p;
}

} // namespace cpm
