#include "imagenes/Crudo.h"

#include <algorithm>

namespace imagenes {
namespace {

std::size_t BytesPista(const Geometria &g) {
  return static_cast<std::size_t>(g.sectoresPorPista) * g.TamanoSector();
}

} // namespace

std::vector<std::uint8_t> EscribirCrudo(const Superficie &disco, const Geometria &g) {
  std::vector<std::uint8_t> b;
  const std::size_t tamano = g.TamanoSector();
  b.reserve(static_cast<std::size_t>(std::max(disco.pistas, 0) * g.caras) * BytesPista(g));
  for (int t = 0; t < disco.pistas; ++t) {
    for (int c = 0; c < g.caras; ++c) {
      const PistaSuperficie *p = disco.Pista(t, c);
      const std::uint8_t relleno = p != nullptr && p->formateada ? p->relleno : g.relleno;
      for (int i = 0; i < g.sectoresPorPista; ++i) {
        const auto id = static_cast<std::uint8_t>(g.primerSector + i);
        const SectorSuperficie *s = nullptr;
        if (p != nullptr) {
          const auto x = std::find_if(p->sectores.begin(), p->sectores.end(),
                                      [id](const SectorSuperficie &y) { return y.r == id; });
          s = x != p->sectores.end() ? &*x : nullptr;
        }
        const std::size_t tomados = s != nullptr ? std::min(s->datos.size(), tamano) : 0;
        if (s != nullptr) {
          b.insert(b.end(), s->datos.begin(),
                   s->datos.begin() + static_cast<std::ptrdiff_t>(tomados));
        }
        b.insert(b.end(), tamano - tomados, relleno);
      }
    }
  }
  return b;
}

Lectura LeerCrudo(std::span<const std::uint8_t> bytes, const Geometria &g,
                  const std::string &version) {
  Lectura r;
  const std::size_t cilindro = BytesPista(g) * static_cast<std::size_t>(g.caras);
  if (bytes.empty() || cilindro == 0 || bytes.size() % cilindro != 0) {
    r.error = "sus " + std::to_string(bytes.size()) +
              " bytes no son un número entero de pistas del formato " + g.nombre + " (" +
              std::to_string(cilindro) + " bytes cada una)";
    return r;
  }
  // The dump's own count, which the format's check refuses past what a drive
  // steps to; the reader's size limit keeps it well inside an int.
  const int pistas = static_cast<int>(bytes.size() / cilindro);
  if (pistas > g.maxPistas) {
    r.error = "el formato " + g.nombre + " admite de " + std::to_string(g.minPistas) + " a " +
              std::to_string(g.maxPistas) + " pistas, no " + std::to_string(pistas);
    return r;
  }
  Superficie s;
  s.pistas = pistas;
  s.caras = g.caras;
  // As `new` writes it: NULs after the text.
  const std::string creador = "Alcove " + version;
  std::copy_n(creador.begin(), std::min(creador.size(), s.creador.size()), s.creador.begin());
  const std::size_t tamano = g.TamanoSector();
  std::size_t pos = 0;
  for (int t = 0; t < pistas; ++t) {
    for (int cara = 0; cara < g.caras; ++cara) {
      PistaSuperficie &p = s.pistasCaras.emplace_back();
      static_cast<CabeceraPista &>(p) =
          CabeceraPista::Formateada(t, cara, g.codigo, g.gap, g.relleno);
      // Every format a raw dump is read by is double density MFM.
      p.tasa = TasaDobleDensidad;
      p.grabacion = GrabacionMfm;
      for (const int i : g.orden) {
        SectorSuperficie &x = p.sectores.emplace_back();
        x.c = static_cast<std::uint8_t>(t);
        x.h = static_cast<std::uint8_t>(cara);
        x.r = static_cast<std::uint8_t>(g.primerSector + i);
        x.n = g.codigo;
        const auto desde =
            bytes.begin() + static_cast<std::ptrdiff_t>(pos + static_cast<std::size_t>(i) * tamano);
        x.datos.assign(desde, desde + static_cast<std::ptrdiff_t>(tamano));
      }
      pos += BytesPista(g);
    }
  }
  r.disco = std::move(s);
  return r;
}

} // namespace imagenes
