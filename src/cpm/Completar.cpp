#include "Esquemas.h"
#include "cpm/Proteccion.h"

#include <algorithm>

// Completing a dump a scheme of the table says is incomplete. Only what the
// scheme's row knows how to add is added; the first copy of every sector stays.
namespace cpm {
namespace {

using namespace proteccion;

std::string Tramo(const std::pair<std::size_t, std::size_t> &t) {
  return std::to_string(t.first) + ".." + std::to_string(t.second - 1);
}

// A second copy of a weak sector stored once, its weak span inverted, as a
// second read of the real disk gives other bytes there.
std::optional<Prueba> SegundaCopia(const Coincidencia &x, const VistaDisco &origen,
                                   SectorSuperficie &destino) {
  const SectorVista *d = SectorDebil(x, origen);
  // Another scheme's row may have completed the same sector already.
  if (d == nullptr || d->copias > 1 || destino.copias > 1) {
    return std::nullopt;
  }
  const std::size_t largo = d->datos.size();
  if (largo == 0 || largo != d->LongitudNominal()) {
    return std::nullopt;
  }
  const Tramos tramos = x.fila->debil.tramos(*origen.Pista(x.pista, x.cara), *d);
  std::vector<std::uint8_t> copia(d->datos.begin(), d->datos.end());
  std::string dicho;
  for (std::size_t i = 0; i < tramos.n; ++i) {
    const auto [desde, hasta] = tramos.t[i];
    for (std::size_t b = desde; b < std::min(hasta, largo); ++b) {
      copia[b] = static_cast<std::uint8_t>(~copia[b]);
    }
    dicho += (dicho.empty() ? "" : " y ") + Tramo({desde, std::min(hasta, largo)});
  }
  destino.datos.insert(destino.datos.end(), copia.begin(), copia.end());
  destino.copias = 2;
  return Prueba{x.pista, x.cara, d->r,
                "una segunda copia de " + std::to_string(largo) + " bytes, con los bytes " + dicho +
                    " invertidos"};
}

} // namespace

Completado CompletarVolcado(const Superficie &disco) {
  Completado r;
  r.disco = disco;
  std::vector<std::string> sinArreglo;
  const VistaDisco vista = VistaDe(disco);
  for (const Coincidencia &x : Coincidencias(vista)) {
    const std::size_t indice = static_cast<std::size_t>(x.pista * disco.caras + x.cara);
    PistaSuperficie &pista = r.disco.pistasCaras[indice];
    const PistaVista &antes = vista.pistasCaras[indice];
    if (const SectorVista *d = SectorDebil(x, vista); d != nullptr && d->copias < 2) {
      const auto i = static_cast<std::size_t>(d - antes.sectores.data());
      if (auto hecho = SegundaCopia(x, vista, pista.sectores[i])) {
        r.anadidos.push_back(std::move(*hecho));
      } else {
        sinArreglo.push_back(std::string(x.fila->nombre) + ": el sector débil " + TextoId(d->r) +
                             " no guarda una copia entera de su tamaño");
      }
    }
    const Arreglo &a = x.fila->arreglo;
    if (a.falta != nullptr && a.falta(antes)) {
      if (a.completar == nullptr) {
        sinArreglo.push_back(std::string(x.fila->nombre) + ": " + *a.falta(antes) +
                             ", y no se sabe qué había");
        continue;
      }
      std::vector<Prueba> hecho = a.completar(pista, x.pista, x.cara);
      r.anadidos.insert(r.anadidos.end(), hecho.begin(), hecho.end());
    }
  }
  if (r.anadidos.empty()) {
    r.error = sinArreglo.empty()
                  ? "no hay nada que completar: ningún esquema de protección conocido dice que a "
                    "este volcado le falte algo"
                  : "no se sabe completar: " + sinArreglo.front();
    r.disco = disco;
  }
  return r;
}

} // namespace cpm
