#include "gestion/Imagen.h"

#include "platform/Errores.h"

namespace Gestion {

ImagenLeida::ImagenLeida(std::string ruta) : ruta_(std::move(ruta)) {
  const std::int16_t error =
      Plataforma::LeerParaReemplazar(ruta_, cpm::TamanoMaximoArchivo, bytes_, huella_);
  if (error != Errores::Ninguno) {
    error_ = error == Errores::ArgumentoNoValido ? "demasiado grande para ser una imagen de disco"
                                                 : Errores::Mensaje(error);
    return;
  }
  disco_ = cpm::LeerDisco(bytes_);
  if (!disco_.contenedor.valido)
    error_ = "no es una imagen de disco CPCEMU";
}

} // namespace Gestion
