#include "cli/Imagen.h"

#include "cli/Comprimidos.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <cstdio>

namespace Cli {

void AvisarError(std::string_view que, std::string_view mensaje) {
  std::string linea = "alcove-cli: ";
  linea += que;
  linea += ": ";
  linea += mensaje;
  // One line whatever the message holds.
  for (char &c : linea) {
    if (c == '\n' || c == '\r') {
      c = ' ';
    }
  }
  linea += '\n';
  std::fwrite(linea.data(), 1, linea.size(), stderr);
}

void EscribirSalida(std::string_view texto) { std::fwrite(texto.data(), 1, texto.size(), stdout); }

Cls_Imagen::Cls_Imagen(std::string ruta, const std::string &formato) : ruta_(std::move(ruta)) {
  // A plain file, a .gz or a member of a zip.
  errorPistas_ = CargarImagen(ruta_, bytes_);
  if (!errorPistas_.empty()) {
    return;
  }
  cpm::OpcionesLectura opciones;
  opciones.formato = formato;
  disco_ = cpm::LeerDisco(bytes_, opciones);
  if (!disco_.contenedor.valido) {
    errorPistas_ = "no es una imagen de disco CPCEMU";
    for (const cpm::Problema &p : disco_.contenedor.problemas) {
      errorPistas_ += " (" + p.texto + ")";
      break;
    }
  }
}

std::string Cls_Imagen::ErrorCatalogo() const {
  if (!errorPistas_.empty()) {
    return errorPistas_;
  }
  if (!disco_.formato) {
    return "formato desconocido" +
           (disco_.motivoFormato.empty() ? std::string() : ": " + disco_.motivoFormato);
  }
  return {};
}

std::string NombreConUsuario(const cpm::Archivo &archivo) {
  const std::string nombre = archivo.NombreCompleto();
  return archivo.usuario == 0 ? nombre : std::to_string(archivo.usuario) + ":" + nombre;
}

} // namespace Cli
