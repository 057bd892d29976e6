#include "imagenes/Conversion.h"

#include <algorithm>

namespace imagenes {
namespace {

// What the reading of the source could not take whole: tracks without their
// signature, tracks and sectors the file cuts short or leaves out, FM tracks
// of a flux dump. The new image would hold them unformatted or short: lost,
// and said so, one line each.
struct PerdidaDelOrigen {
  TipoProblema tipo;
  bool sector; // the line names the sector
  const char *texto;
};
constexpr PerdidaDelOrigen PerdidasDelOrigen[] = {
    {TipoProblema::PistaSinFirma, false,
     ": no empieza por \"Track-Info\"; sus bytes no pasan a la imagen nueva"},
    {TipoProblema::PistaAusente, false,
     ": el archivo no la tiene entera; lo que falta no pasa a la imagen nueva"},
    {TipoProblema::PistaCorta, false,
     ": el archivo no la tiene entera; lo que falta no pasa a la imagen nueva"},
    {TipoProblema::PistaFm, false,
     ": grabada en FM en el volcado; la imagen nueva la deja sin formato"},
    {TipoProblema::SectorCorto, true, ": el archivo no lo tiene entero"},
};

const PerdidaDelOrigen *BuscarPerdida(TipoProblema tipo) {
  const auto *p = std::find_if(std::begin(PerdidasDelOrigen), std::end(PerdidasDelOrigen),
                               [tipo](const PerdidaDelOrigen &x) { return x.tipo == tipo; });
  return p == std::end(PerdidasDelOrigen) ? nullptr : p;
}

void IlegiblesDelOrigen(const Problemas &problemas, std::vector<Diferencia> &perdidas) {
  for (const Problema &p : problemas) {
    const PerdidaDelOrigen *perdida = BuscarPerdida(p.tipo);
    if (perdida == nullptr) {
      continue;
    }
    const int t = p.lugar.pista, c = p.lugar.cara;
    std::string donde = c < 0 ? "pista " + std::to_string(t) : TextoPista(t, c);
    if (perdida->sector) {
      donde += ", sector " + TextoId(static_cast<std::uint8_t>(p.lugar.sector));
    }
    perdidas.push_back({t, c, perdida->sector ? p.lugar.sector : -1, donde + perdida->texto});
  }
}

// The Track-Info fields the new image does not give back, one line a track:
// the data rate and recording mode where the source knows them (0 is
// unknown), and GAP#3.
void CamposDePista(const Superficie &a, const Superficie &b, const OpcionesComparacion &o,
                   std::vector<Diferencia> &perdidas) {
  for (int t = 0; t < a.pistas; ++t) {
    for (int c = 0; c < a.caras; ++c) {
      const PistaSuperficie *x = a.Pista(t, c), *y = b.Pista(t, c);
      if (x == nullptr || y == nullptr || x->sectores.empty() || y->sectores.empty()) {
        continue;
      }
      std::string t2;
      const auto campo = [&](const char *nombre, std::uint8_t va, std::uint8_t vb) {
        t2 += (t2.empty() ? "" : "; ") + std::string(nombre) + " " +
              TextoPar(std::to_string(va), std::to_string(vb), o);
      };
      if (x->tasa != 0 && x->tasa != y->tasa) {
        campo("tasa de datos", x->tasa, y->tasa);
      }
      if (x->grabacion != 0 && x->grabacion != y->grabacion) {
        campo("modo de grabación", x->grabacion, y->grabacion);
      }
      if (x->gap != y->gap) {
        campo("GAP#3", x->gap, y->gap);
      }
      if (!t2.empty()) {
        perdidas.push_back({t, c, -1, TextoPista(t, c) + ": " + t2});
      }
    }
  }
}

} // namespace

bool SePierdeAlConvertir(TipoProblema tipo) { return BuscarPerdida(tipo) != nullptr; }

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
  return Convertir(*r.origen, r.origen->leer(origen, o.lectura), o);
}

Conversion Convertir(const Tipo &tipo, Lectura leida, const OpcionesConversion &o) {
  Conversion r;
  r.origen = &tipo;
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
  // A raw dump keeps no Track-Info: its format gives every track's.
  if (!o.destino->conGeometria) {
    CamposDePista(s, *vuelta.disco, comparar, r.perdidas);
  }
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
