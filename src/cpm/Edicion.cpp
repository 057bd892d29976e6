#include "cpm/Edicion.h"

#include "disk/CpcEmu.h"
#include "imagenes/Dsk.h"

#include <algorithm>

namespace cpm {

using imagenes::BuscarPista;
using imagenes::CompararSuperficies;
using imagenes::Contenedor;
using imagenes::DesdeContenedor;
using imagenes::Diferencia;
using imagenes::Disposicion;
using imagenes::LeerContenedor;
using imagenes::OpcionesComparacion;
using imagenes::Pista;
using imagenes::PistaEstandar;
using imagenes::PistaExtendida;
using imagenes::PistaSuperficie;
using imagenes::Problema;
using imagenes::SectorSuperficie;
using imagenes::Superficie;
using imagenes::TextoId;
using imagenes::TipoProblema;

namespace {

constexpr std::size_t MaxTamanoExtendida = 255 * 256; // a track's size is one byte of 256s

std::string En(int pista, int cara) {
  return "pista " + std::to_string(pista) + ", cara " + std::to_string(cara);
}

PistaSuperficie *PistaDe(Superficie &d, int pista, int cara, std::string &error) {
  if (d.Pista(pista, cara) == nullptr) {
    error = "el disco no tiene la " + En(pista, cara) + " (tiene " + std::to_string(d.pistas) +
            (d.pistas == 1 ? " pista" : " pistas") + " y " + std::to_string(d.caras) +
            (d.caras == 1 ? " cara)" : " caras)");
    return nullptr;
  }
  return &d.pistasCaras[static_cast<std::size_t>(pista * d.caras + cara)];
}

std::string Bytes(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Every copy of a sector, `copias` of them: those it had, then the first again.
void CambiarCopias(SectorSuperficie &s, int copias) {
  const std::size_t por = s.datos.size() / static_cast<std::size_t>(std::max(s.copias, 1));
  std::vector<std::uint8_t> datos;
  datos.reserve(por * static_cast<std::size_t>(copias));
  for (int k = 0; k < copias; ++k) {
    const std::size_t desde = (k < s.copias ? static_cast<std::size_t>(k) : 0) * por;
    datos.insert(datos.end(), s.datos.begin() + static_cast<std::ptrdiff_t>(desde),
                 s.datos.begin() + static_cast<std::ptrdiff_t>(desde + por));
  }
  s.datos = std::move(datos);
  s.copias = copias;
}

std::vector<std::uint8_t> DiskInfoExtendida(std::size_t tamanoPista) {
  std::vector<std::uint8_t> b(cpcemu::TamanoDiskInfo, 0);
  std::copy(cpcemu::FirmaExtendida.begin(), cpcemu::FirmaExtendida.end(), b.begin());
  b[cpcemu::PosPistas] = 1;
  b[cpcemu::PosCaras] = 1;
  b[cpcemu::PosTablaTamanos] = static_cast<std::uint8_t>(tamanoPista / 256);
  return b;
}

} // namespace

std::string CambiarSector(Superficie &disco, int pista, int cara, const CambioSector &cambio) {
  std::string error;
  PistaSuperficie *p = PistaDe(disco, pista, cara, error);
  if (p == nullptr) {
    return error;
  }
  const auto s = std::find_if(p->sectores.begin(), p->sectores.end(),
                              [&](const SectorSuperficie &x) { return x.r == cambio.id; });
  if (!p->formateada || s == p->sectores.end()) {
    return "la " + En(pista, cara) + " no tiene ningún sector " + TextoId(cambio.id);
  }
  if (cambio.n) {
    s->n = *cambio.n;
  }
  if (cambio.copias) {
    if (*cambio.copias < 1 || *cambio.copias > 64) {
      return "un sector guarda de 1 a 64 copias, no " + std::to_string(*cambio.copias);
    }
    CambiarCopias(*s, *cambio.copias);
  }
  if (cambio.guardados) {
    s->datos.resize(*cambio.guardados, p->relleno);
  }
  if (cambio.datos) {
    const auto copias = static_cast<std::size_t>(std::max(s->copias, 1));
    const std::size_t por = s->datos.size() / copias;
    if (cambio.copia < 0 || static_cast<std::size_t>(cambio.copia) >= copias) {
      return "el sector " + TextoId(cambio.id) + " guarda " + std::to_string(copias) +
             (copias == 1 ? " copia" : " copias") + "; no hay copia " +
             std::to_string(cambio.copia + 1);
    }
    const auto &datos = *cambio.datos;
    if (cambio.desde > por || datos.size() > por - cambio.desde) {
      return Bytes(datos.size()) + " desde el byte " + std::to_string(cambio.desde) +
             " no caben en el sector " + TextoId(cambio.id) + ", que guarda " + Bytes(por) +
             (copias == 1 ? "" : " en cada copia");
    }
    std::copy(datos.begin(), datos.end(),
              s->datos.begin() + static_cast<std::ptrdiff_t>(
                                     static_cast<std::size_t>(cambio.copia) * por + cambio.desde));
  }
  if (cambio.st1) {
    s->st1 = *cambio.st1;
  }
  if (cambio.st2) {
    s->st2 = *cambio.st2;
  }
  return {};
}

std::string FormatearPista(Superficie &disco, int pista, int cara, const FormatoPista &formato) {
  std::string error;
  PistaSuperficie *p = PistaDe(disco, pista, cara, error);
  if (p == nullptr) {
    return error;
  }
  if (formato.ids.size() > cpcemu::MaxSectores) {
    return "una pista guarda hasta " + std::to_string(cpcemu::MaxSectores) + " sectores";
  }
  PistaSuperficie nueva;
  static_cast<imagenes::CabeceraPista &>(nueva) =
      imagenes::CabeceraPista::Formateada(pista, cara, formato.n, formato.gap, formato.relleno);
  nueva.tasa = p->tasa;
  nueva.grabacion = p->grabacion;
  for (const std::uint8_t id : formato.ids) {
    SectorSuperficie &s = nueva.sectores.emplace_back();
    s.c = formato.c.value_or(static_cast<std::uint8_t>(pista));
    s.h = formato.h.value_or(static_cast<std::uint8_t>(cara));
    s.r = id;
    s.n = formato.n;
    s.datos.assign(s.LongitudNominal(), formato.relleno);
  }
  *p = std::move(nueva);
  return {};
}

std::string DesformatearPista(Superficie &disco, int pista, int cara) {
  std::string error;
  PistaSuperficie *p = PistaDe(disco, pista, cara, error);
  if (p == nullptr) {
    return error;
  }
  p->formateada = false;
  p->sectores.clear();
  return {};
}

std::string PonerPista(Superficie &disco, int pista, int cara, PistaSuperficie nueva) {
  std::string error;
  PistaSuperficie *p = PistaDe(disco, pista, cara, error);
  if (p == nullptr) {
    return error;
  }
  nueva.pistaCabecera = static_cast<std::uint8_t>(pista);
  nueva.caraCabecera = static_cast<std::uint8_t>(cara);
  *p = std::move(nueva);
  return {};
}

Escrito EscribirPista(std::span<const std::uint8_t> imagen, const Contenedor &disco, int pista,
                      int cara, const Superficie &nueva) {
  Escrito r;
  const auto rechazar = [&r](std::string texto) {
    r.rechazo = Rechazo{TipoRechazo::OpcionNoValida, std::move(texto)};
    return r;
  };
  const Pista *p = BuscarPista(disco, pista, cara);
  const PistaSuperficie *q = nueva.Pista(pista, cara);
  if (!disco.valido || p == nullptr || q == nullptr) {
    return rechazar("La imagen no tiene la " + En(pista, cara));
  }
  if (!disco.tamanosPorSectores.empty()) {
    return rechazar("Las pistas no están donde dice la cabecera; alcove-cli check --reparar lo "
                    "arregla");
  }
  if (p->tamano > 0 && (!p->formateada || p->disponibles < p->tamano)) {
    return rechazar("La " + En(pista, cara) + " no se lee entera de la imagen");
  }
  const bool extendida = disco.disposicion == Disposicion::Extendida;
  std::vector<std::uint8_t> pistaNueva;
  if (extendida) {
    if (q->formateada) {
      std::size_t necesita = cpcemu::InicioDatos(q->sectores.size());
      for (const SectorSuperficie &s : q->sectores) {
        necesita += s.datos.size();
      }
      if (necesita > MaxTamanoExtendida) {
        return rechazar("Una pista de DSK extendido guarda hasta " + Bytes(MaxTamanoExtendida) +
                        ", y esta necesitaría " + std::to_string(necesita));
      }
      pistaNueva = PistaExtendida(*q);
    }
  } else {
    PistaSuperficie vacia;
    vacia.formateada = true;
    vacia.pistaCabecera = static_cast<std::uint8_t>(pista);
    vacia.caraCabecera = static_cast<std::uint8_t>(cara);
    pistaNueva = PistaEstandar(q->formateada ? *q : vacia);
    if (pistaNueva.size() > disco.tamanoPista) {
      return rechazar("En la disposición estándar todas las pistas ocupan " +
                      Bytes(disco.tamanoPista) + ", y esta ocuparía " +
                      std::to_string(pistaNueva.size()) +
                      "; alcove-cli convert --a extendido la pasa a la disposición extendida");
    }
    pistaNueva.resize(disco.tamanoPista, 0);
  }
  const std::size_t desde = std::min(p->desplazamiento, imagen.size());
  const std::size_t hasta = std::min(desde + p->tamano, imagen.size());
  r.bytes.reserve(imagen.size() - (hasta - desde) + pistaNueva.size());
  r.bytes.assign(imagen.begin(), imagen.begin() + static_cast<std::ptrdiff_t>(desde));
  r.bytes.insert(r.bytes.end(), pistaNueva.begin(), pistaNueva.end());
  r.bytes.insert(r.bytes.end(), imagen.begin() + static_cast<std::ptrdiff_t>(hasta), imagen.end());
  if (extendida) {
    r.bytes[cpcemu::PosTablaTamanos + static_cast<std::size_t>(pista * disco.caras + cara)] =
        static_cast<std::uint8_t>(pistaNueva.size() / 256);
  }
  // Read back as any reader will: whatever differs is what the layout cannot hold.
  const Superficie leida = DesdeContenedor(LeerContenedor(r.bytes));
  OpcionesComparacion opciones{"lo pedido", "lo que guarda la imagen", false};
  opciones.cabecerasPista = true;
  const std::vector<Diferencia> diferencias = CompararSuperficies(nueva, leida, opciones);
  if (!diferencias.empty()) {
    std::string texto =
        std::string(extendida ? "La disposición extendida" : "La disposición estándar") +
        " no puede guardarlo: " + diferencias.front().texto;
    if (diferencias.size() > 1) {
      texto += " (y " + std::to_string(diferencias.size() - 1) + " diferencias más)";
    }
    r.bytes.clear();
    return rechazar(texto);
  }
  return r;
}

std::vector<std::uint8_t> ExportarPista(const PistaSuperficie &pista) {
  return PistaExtendida(pista);
}

std::optional<PistaSuperficie> ImportarPista(std::span<const std::uint8_t> bytes,
                                             std::string *error) {
  const auto fallar = [error](std::string texto) {
    if (error != nullptr) {
      *error = std::move(texto);
    }
    return std::nullopt;
  };
  const std::string_view firma = cpcemu::FirmaPista.substr(0, 10); // "Track-Info"
  if (bytes.size() < cpcemu::TamanoTrackInfo ||
      !std::equal(firma.begin(), firma.end(), bytes.begin())) {
    return fallar("no es una pista: no empieza por un bloque \"Track-Info\"");
  }
  const std::size_t tamano = (bytes.size() + 255) / 256 * 256;
  if (tamano > MaxTamanoExtendida) {
    return fallar("ocupa " + Bytes(bytes.size()) + ", más que una pista de DSK (" +
                  std::to_string(MaxTamanoExtendida) + ")");
  }
  std::vector<std::uint8_t> imagen = DiskInfoExtendida(tamano);
  imagen.insert(imagen.end(), bytes.begin(), bytes.end());
  imagen.resize(cpcemu::TamanoDiskInfo + tamano, 0);
  const Contenedor c = LeerContenedor(imagen);
  for (const Problema &p : c.problemas) {
    if (p.tipo == TipoProblema::SectoresDeMas || p.tipo == TipoProblema::SectorCorto) {
      return fallar("no guarda entera la pista: le faltan bytes de sus sectores");
    }
  }
  Superficie s = DesdeContenedor(c);
  return std::move(s.pistasCaras.front());
}

} // namespace cpm
