#include "cpm/Conversion.h"

#include "cpm/Escritura.h"
#include "cpm/Formatos.h"

#include <optional>

namespace cpm {

Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &o) {
  Conversion r;
  std::optional<imagenes::Geometria> geometria;
  if (!o.formato.empty()) {
    const std::optional<Formato> f = FormatoPorNombre(o.formato);
    if (!f) {
      r.error = "no hay ningún formato llamado \"" + o.formato + "\"";
      return r;
    }
    geometria = GeometriaDe(*f);
  } else if (o.destino != nullptr && o.destino->conGeometria) {
    // The disk's own format; a source that cannot be read says so below.
    const imagenes::Pistas pistas = imagenes::LeerPistas(origen, {nullptr, o.version});
    if (pistas.error.empty()) {
      const Deteccion d = DetectarFormato(pistas.contenedor);
      if (!d.formato) {
        r.error = "no se sabe el formato del disco (" + d.motivo + "); dígalo con --formato";
        return r;
      }
      geometria = GeometriaDe(*d.formato);
    }
  }
  imagenes::OpcionesConversion opciones{
      o.destino, o.forzar, {geometria ? &*geometria : nullptr, o.version}, {}, {}};
  if (o.completar) {
    opciones.preparar = [&r](imagenes::Superficie &s) {
      Completado c = CompletarVolcado(s);
      if (!c.Hecho()) {
        return c.error;
      }
      s = std::move(c.disco);
      r.anadidos = std::move(c.anadidos);
      return std::string();
    };
  }
  opciones.avisar = AvisarProteccionesPerdidas;
  static_cast<imagenes::Conversion &>(r) = imagenes::Convertir(origen, opciones);
  return r;
}

} // namespace cpm
