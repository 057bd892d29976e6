#include "imagenes/Conversion.h"

#include <algorithm>

namespace imagenes {
namespace {

// Bytes of the source the reading could not place on any track.
void IlegiblesDelOrigen(const Problemas &problemas, std::vector<Diferencia> &perdidas) {
  for (const Problema &p : problemas) {
    if (p.tipo == TipoProblema::PistaSinFirma) {
      perdidas.push_back({p.lugar.pista, p.lugar.cara, -1,
                          TextoPista(p.lugar.pista, p.lugar.cara) +
                              ": no empieza por \"Track-Info\"; sus bytes no pasan a la "
                              "imagen nueva"});
    }
  }
}

} // namespace

Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &o) {
  Conversion r;
  r.origen = TipoDeBytes(origen);
  if (r.origen == nullptr && o.lectura.geometria != nullptr) {
    r.origen = TipoConGeometria();
  }
  if (r.origen == nullptr) {
    r.error = NingunTipo() + "; un volcado crudo necesita --formato";
    return r;
  }
  Lectura leida = r.origen->leer(origen, o.lectura);
  if (!leida.disco) {
    r.error = leida.error;
    return r;
  }
  Superficie &s = *leida.disco;
  if (o.preparar) {
    if (r.error = o.preparar(s); !r.error.empty()) {
      return r;
    }
  }
  if (CreadorVacio(s.creador)) {
    s.creador = CampoCreador("Alcove " + o.lectura.version);
  }
  if (o.destino->conGeometria && o.lectura.geometria == nullptr) {
    r.error = "un volcado crudo se escribe para un formato; dígalo con --formato";
    return r;
  }
  std::optional<std::vector<std::uint8_t>> nueva = o.destino->escribir(s, o.lectura, r.error);
  if (!nueva) {
    return r;
  }
  // Read back as anyone will read it, and compared with what it was made from.
  const Lectura vuelta = o.destino->leer(*nueva, o.lectura);
  if (!vuelta.disco) {
    r.error = "la imagen nueva no se puede leer: " + vuelta.error;
    return r;
  }
  IlegiblesDelOrigen(leida.problemas, r.perdidas);
  OpcionesComparacion comparar{"el origen", "la imagen nueva", o.destino->conGeometria};
  std::vector<Diferencia> d = CompararSuperficies(s, *vuelta.disco, comparar);
  r.perdidas.insert(r.perdidas.end(), d.begin(), d.end());
  if (o.destino->limites != nullptr) {
    o.destino->limites(s, r.perdidas);
  }
  if (o.avisar) {
    o.avisar(s, r.perdidas);
  }
  std::stable_sort(r.perdidas.begin(), r.perdidas.end(),
                   [](const Diferencia &a, const Diferencia &b) {
                     // Bytes after the last track (pista -1) go last.
                     const auto orden = [](const Diferencia &x) {
                       return std::make_pair(x.pista < 0 ? 1 << 20 : x.pista, x.cara);
                     };
                     return orden(a) < orden(b);
                   });
  if (!r.perdidas.empty() && !o.forzar) {
    const std::size_t n = r.perdidas.size();
    r.error = "la imagen " + std::string(o.destino->nombre) + " no guardaría " +
              (n == 1 ? "1 detalle" : std::to_string(n) + " detalles") + " del disco";
    return r;
  }
  r.bytes = std::move(*nueva);
  return r;
}

} // namespace imagenes
