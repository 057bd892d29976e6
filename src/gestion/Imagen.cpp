#include "gestion/Imagen.h"

#include "cli/Comprimidos.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"

namespace Gestion {

bool SePuedeEscribir(const std::string &ruta) { return !Cli::EsRutaComprimida(ruta); }

std::string NombreFinal(const std::string &ruta) {
  const std::size_t corte = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return corte == std::string::npos ? ruta : ruta.substr(corte + 1);
}

ImagenLeida::ImagenLeida(std::string ruta) : ruta_(std::move(ruta)) {
  // An image inside a zip or a .gz is only read, as alcove-cli reads it.
  if (Cli::EsRutaComprimida(ruta_)) {
    Cli::EmpezarLectura(); // one action, one zip budget
    error_ = Cli::CargarImagen(ruta_, bytes_);
    if (error_.empty())
      Leer();
    return;
  }
  const std::int16_t error =
      Plataforma::LeerParaReemplazar(ruta_, cpm::TamanoMaximoArchivo, bytes_, huella_);
  if (error != Errores::Ninguno) {
    error_ = error == Errores::ArgumentoNoValido ? "demasiado grande para ser una imagen de disco"
                                                 : Errores::Mensaje(error);
    return;
  }
  Leer();
}

void ImagenLeida::Leer() {
  disco_ = cpm::LeerDisco(bytes_);
  if (!disco_.contenedor.valido)
    error_ = "no es una imagen de disco CPCEMU";
}

} // namespace Gestion
