#include "cpm/Imagen.h"

#include "cpm/Escritura.h"
#include "imagenes/Dsk.h"
#include "imagenes/Fuente.h"
#include "platform/Errores.h"

#include <optional>

namespace cpm {

Imagen::Imagen(std::string ruta, const OpcionesLectura &opciones) : ruta_(std::move(ruta)) {
  Leer(imagenes::CargarImagen(ruta_, bytes_), opciones);
}

Imagen::Imagen(std::string ruta, ParaCambiar) : ruta_(std::move(ruta)) {
  Leer(imagenes::CargarImagen(ruta_, bytes_, &huella_), {});
}

void Imagen::Leer(std::string error, const OpcionesLectura &opciones) {
  errorPistas_ = std::move(error);
  if (!errorPistas_.empty()) {
    return;
  }
  cargada_ = true;
  // The format named is a raw dump's too.
  const std::optional<Formato> formato = FormatoPorNombre(opciones.formato);
  std::optional<imagenes::Geometria> geometria;
  if (formato) {
    geometria = GeometriaDe(*formato);
  }
  pistas_ = imagenes::LeerPistas(bytes_, {geometria ? &*geometria : nullptr, {}});
  errorPistas_ = pistas_.error;
  disco_ = LeerDisco(pistas_.contenedor, opciones);
}

std::string Imagen::ErrorCatalogo() const {
  if (!errorPistas_.empty()) {
    return errorPistas_;
  }
  if (!disco_.formato) {
    return "formato desconocido" +
           (disco_.motivoFormato.empty() ? std::string() : ": " + disco_.motivoFormato);
  }
  return CatalogoIncompleto(disco_);
}

std::string Imagen::MotivoSoloLectura() const {
  if (imagenes::EsRutaComprimida(ruta_)) {
    return imagenes::MotivoRutaComprimida();
  }
  if (pistas_.tipo != nullptr && !pistas_.tipo->enSitio) {
    return "las imágenes " + std::string(pistas_.tipo->descripcion) +
           " solo se leen; conviértala en DSK con convert para cambiarla";
  }
  return {};
}

imagenes::Superficie Imagen::Superficie() const {
  return errorPistas_.empty() ? imagenes::DesdeContenedor(disco_.contenedor)
                              : imagenes::Superficie{};
}

std::string CatalogoIncompleto(const Disco &disco) {
  if (!disco.formato) {
    return {};
  }
  // The catalogue is read first and stops at the first block it cannot read
  // whole, so the first sector problem on one of its blocks is what stopped it.
  const int bloques = disco.formato->BloquesCatalogo();
  for (const imagenes::Problema &p : disco.catalogo.problemas) {
    const bool lectura = p.tipo == imagenes::TipoProblema::SectorAusente ||
                         p.tipo == imagenes::TipoProblema::SectorTamanoDistinto ||
                         p.tipo == imagenes::TipoProblema::SectorCorto ||
                         p.tipo == imagenes::TipoProblema::BloqueFueraDelDisco;
    if (lectura && p.lugar.bloque >= 0 && p.lugar.bloque < bloques) {
      return "catálogo incompleto: " + Errores::TrasDosPuntos(p.texto);
    }
  }
  return {};
}

} // namespace cpm
