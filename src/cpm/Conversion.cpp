#include "cpm/Conversion.h"

#include "cpm/Crudo.h"
#include "cpm/Disco.h"
#include "cpm/Hfe.h"

#include <algorithm>
#include <array>
#include <set>

namespace cpm {
namespace {

constexpr std::array Nombres{std::pair{TipoImagen::Extendida, std::string_view("extendido")},
                             std::pair{TipoImagen::Estandar, std::string_view("estandar")},
                             std::pair{TipoImagen::Hfe, std::string_view("hfe")},
                             std::pair{TipoImagen::Crudo, std::string_view("raw")}};

std::string En(int pista, int cara) {
  return "pista " + std::to_string(pista) + ", cara " + std::to_string(cara);
}

std::string Minuscula(std::string frase) {
  if (!frase.empty() && frase[0] >= 'A' && frase[0] <= 'Z') {
    frase[0] = static_cast<char>(frase[0] - 'A' + 'a');
  }
  return frase;
}

// The format a raw dump is written with: the one named, or the disk's own.
std::optional<Formato> FormatoCrudo(const Superficie &s, const std::string &nombre,
                                    std::string &error) {
  if (!nombre.empty()) {
    auto f = FormatoPorNombre(nombre);
    if (!f) {
      error = "no hay ningún formato llamado \"" + nombre + "\"";
    }
    return f;
  }
  std::string motivo;
  const auto dsk = EscribirExtendida(s, &motivo);
  if (!dsk) {
    error = motivo;
    return std::nullopt;
  }
  const Contenedor c = LeerContenedor(*dsk);
  Deteccion d = DetectarFormato(c);
  if (!d.formato) {
    error = "no se sabe el formato del disco (" + d.motivo + "); dígalo con --formato";
  }
  return d.formato;
}

std::optional<std::vector<std::uint8_t>> Escribir(const Superficie &s, TipoImagen tipo,
                                                  const std::optional<Formato> &formato,
                                                  std::string &error) {
  switch (tipo) {
  case TipoImagen::Extendida: return EscribirExtendida(s, &error);
  case TipoImagen::Estandar: return EscribirEstandar(s, &error);
  case TipoImagen::Hfe: return EscribirHfe(s);
  case TipoImagen::Crudo: return EscribirCrudo(s, *formato);
  }
  return std::nullopt;
}

// What the standard layout cannot hold though its reading gives it back: it
// gives every sector of a track one stored length, 128 << N of the track's
// size code, so each sector must be stored at exactly its own N's length and
// all of a track's share that N. Other tools read such a track differently.
void LimitesEstandar(const Superficie &s, std::vector<Diferencia> &perdidas) {
  std::set<std::tuple<int, int, int>> dichos;
  for (const Diferencia &d : perdidas) {
    dichos.insert({d.pista, d.cara, d.sector});
  }
  for (int t = 0; t < s.pistas; ++t) {
    for (int c = 0; c < s.caras; ++c) {
      const PistaSuperficie *p = s.Pista(t, c);
      if (p == nullptr || p->sectores.empty()) {
        continue;
      }
      const std::uint8_t n = p->sectores.front().n;
      for (const SectorSuperficie &x : p->sectores) {
        if (dichos.count({t, c, x.r}) != 0) {
          continue;
        }
        std::string por;
        if (x.datos.size() != x.LongitudNominal()) {
          por = "guarda " + std::to_string(x.datos.size()) +
                " bytes y su N=" + std::to_string(x.n) + " pide " +
                std::to_string(x.LongitudNominal());
        } else if (x.n != n) {
          por =
              "tiene N=" + std::to_string(x.n) + " y el primero de la pista N=" + std::to_string(n);
        }
        if (!por.empty()) {
          perdidas.push_back({t, c, x.r,
                              En(t, c) + ", sector " + TextoId(x.r) + ": " + por +
                                  "; la disposición estándar da a todos los sectores de una "
                                  "pista la misma longitud"});
        }
      }
    }
  }
}

void LimitesHfe(const Superficie &s, std::vector<Diferencia> &perdidas) {
  for (int t = 0; t < s.pistas; ++t) {
    for (int c = 0; c < s.caras; ++c) {
      const PistaSuperficie *p = s.Pista(t, c);
      if (p != nullptr && p->grabacion == GrabacionFm && !p->sectores.empty()) {
        perdidas.push_back({t, c, -1, En(t, c) + ": grabada en FM, y HFE se escribe en MFM"});
      }
    }
  }
}

// Bytes of the source the reading could not place on any track.
void IlegiblesDelOrigen(const Problemas &problemas, std::vector<Diferencia> &perdidas) {
  for (const Problema &p : problemas) {
    if (p.tipo == TipoProblema::PistaSinFirma) {
      perdidas.push_back({p.lugar.pista, p.lugar.cara, -1,
                          En(p.lugar.pista, p.lugar.cara) +
                              ": no empieza por \"Track-Info\"; sus bytes no pasan a la "
                              "imagen nueva"});
    }
  }
}

} // namespace

std::string_view NombreTipo(TipoImagen tipo) {
  for (const auto &[t, nombre] : Nombres) {
    if (t == tipo) {
      return nombre;
    }
  }
  return {};
}

std::optional<TipoImagen> TipoPorNombre(std::string_view nombre) {
  for (const auto &[t, n] : Nombres) {
    if (n == nombre) {
      return t;
    }
  }
  return std::nullopt;
}

std::optional<TipoImagen> TipoDeBytes(std::span<const std::uint8_t> bytes) {
  const auto empieza = [&](std::string_view f) {
    return bytes.size() >= f.size() && std::equal(f.begin(), f.end(), bytes.begin());
  };
  if (EsHfe(bytes)) {
    return TipoImagen::Hfe;
  }
  if (empieza("MV - CPC")) {
    return TipoImagen::Estandar;
  }
  if (empieza("EXTENDED")) {
    return TipoImagen::Extendida;
  }
  return std::nullopt;
}

namespace {

// `formato` only for a raw dump: the one it is read as.
LecturaImagen Leer(std::span<const std::uint8_t> bytes, TipoImagen tipo,
                   const std::optional<Formato> &formato, const std::string &version) {
  LecturaImagen r;
  if (tipo == TipoImagen::Hfe) {
    LecturaHfe h = LeerHfe(bytes);
    r.disco = std::move(h.disco);
    r.error = std::move(h.error);
    r.problemas = std::move(h.problemas);
    return r;
  }
  std::vector<std::uint8_t> dsk;
  if (tipo == TipoImagen::Crudo) {
    if (!formato) {
      r.error = "no es una imagen DSK ni HFE; un volcado crudo necesita --formato";
      return r;
    }
    LecturaCruda c = LeerCrudo(bytes, *formato, version);
    if (!c.dsk) {
      r.error = std::move(c.error);
      return r;
    }
    dsk = std::move(*c.dsk);
    bytes = dsk;
  }
  const Contenedor c = LeerContenedor(bytes);
  r.problemas = c.problemas;
  if (!c.valido) {
    r.error = "no es una imagen de disco CPCEMU";
    if (!c.problemas.empty()) {
      r.error += ": " + Minuscula(c.problemas.front().texto);
    }
    return r;
  }
  r.disco = DesdeContenedor(c);
  return r;
}

} // namespace

LecturaImagen LeerImagen(std::span<const std::uint8_t> bytes, TipoImagen tipo,
                         const std::string &formato, const std::string &version) {
  const std::optional<Formato> f = FormatoPorNombre(formato);
  if (tipo == TipoImagen::Crudo && !f && !formato.empty()) {
    LecturaImagen r;
    r.error = "no hay ningún formato llamado \"" + formato + "\"";
    return r;
  }
  return Leer(bytes, tipo, f, version);
}

Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &o) {
  Conversion r;
  r.origen = TipoDeBytes(origen);
  if (!r.origen && !o.formato.empty()) {
    r.origen = TipoImagen::Crudo;
  }
  LecturaImagen leida = LeerImagen(origen, r.origen.value_or(TipoImagen::Crudo),
                                   r.origen == TipoImagen::Crudo ? o.formato : "", o.version);
  if (!leida.disco) {
    r.error = leida.error;
    return r;
  }
  Superficie &s = *leida.disco;
  if (o.completar) {
    Completado c = CompletarVolcado(s);
    if (!c.Hecho()) {
      r.error = c.error;
      return r;
    }
    s = std::move(c.disco);
    r.anadidos = std::move(c.anadidos);
  }
  if (CreadorVacio(s.creador)) {
    s.creador = CampoCreador("Alcove " + o.version);
  }
  std::optional<Formato> formato;
  if (o.destino == TipoImagen::Crudo && !(formato = FormatoCrudo(s, o.formato, r.error))) {
    return r;
  }
  std::optional<std::vector<std::uint8_t>> nueva = Escribir(s, o.destino, formato, r.error);
  if (!nueva) {
    return r;
  }
  // Read back as anyone will read it, and compared with what it was made from.
  const LecturaImagen vuelta = Leer(*nueva, o.destino, formato, o.version);
  if (!vuelta.disco) {
    r.error = "la imagen nueva no se puede leer: " + vuelta.error;
    return r;
  }
  IlegiblesDelOrigen(leida.problemas, r.perdidas);
  OpcionesComparacion comparar{"el origen", "la imagen nueva", o.destino == TipoImagen::Crudo};
  std::vector<Diferencia> d = CompararSuperficies(s, *vuelta.disco, comparar);
  r.perdidas.insert(r.perdidas.end(), d.begin(), d.end());
  if (o.destino == TipoImagen::Estandar) {
    LimitesEstandar(s, r.perdidas);
  }
  if (o.destino == TipoImagen::Hfe) {
    LimitesHfe(s, r.perdidas);
  }
  AvisarProteccionesPerdidas(s, r.perdidas);
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
    r.error = "la imagen " + std::string(NombreTipo(o.destino)) + " no guardaría " +
              (n == 1 ? "1 detalle" : std::to_string(n) + " detalles") + " del disco";
    return r;
  }
  r.bytes = std::move(*nueva);
  return r;
}

} // namespace cpm
