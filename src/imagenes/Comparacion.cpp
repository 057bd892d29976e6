#include "imagenes/Comparacion.h"

#include "imagenes/Problema.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

namespace imagenes {
namespace {

std::string Hex2(std::uint8_t v) {
  char t[4];
  std::snprintf(t, sizeof t, "%02X", v);
  return t;
}

std::string Id(const SectorSuperficie &s) {
  return "C=" + std::to_string(s.c) + " H=" + std::to_string(s.h) + " R=&" + Hex2(s.r) +
         " N=" + std::to_string(s.n);
}

std::string Estado(const SectorSuperficie &s) {
  return "ST1=&" + Hex2(s.st1) + " ST2=&" + Hex2(s.st2);
}

// What differs between two sectors of the same R, in one line; empty when nothing.
std::string CompararSector(const SectorSuperficie &a, const SectorSuperficie &b,
                           const OpcionesComparacion &o) {
  std::vector<std::string> partes;
  if (a.c != b.c || a.h != b.h || a.n != b.n) {
    partes.push_back("ID " + TextoPar(Id(a), Id(b), o));
  }
  if (a.st1 != b.st1 || a.st2 != b.st2) {
    partes.push_back(TextoPar(Estado(a), Estado(b), o));
  }
  if (a.copias != b.copias) {
    partes.push_back(TextoPar(std::to_string(a.copias) + (a.copias == 1 ? " copia" : " copias"),
                              std::to_string(b.copias), o));
  }
  if (const std::string bytes = TextoBytes(a.datos, b.datos, o, "bytes guardados");
      !bytes.empty()) {
    partes.push_back(bytes);
  }
  std::string t;
  for (const std::string &p : partes) {
    t += (t.empty() ? "" : "; ") + p;
  }
  return t;
}

std::string ListaIds(const std::vector<SectorSuperficie> &v) {
  std::string t;
  for (const SectorSuperficie &s : v) {
    t += (t.empty() ? "" : " ") + Hex2(s.r);
  }
  return t;
}

const std::vector<SectorSuperficie> &Sectores(const Superficie &s, int pista, int cara) {
  static const std::vector<SectorSuperficie> ninguno;
  const PistaSuperficie *p = s.Pista(pista, cara);
  return p != nullptr ? p->sectores : ninguno;
}

std::string Sectores(std::size_t n) {
  return n == 0 ? "ninguno" : std::to_string(n) + (n == 1 ? " sector" : " sectores");
}

void CompararPista(const std::vector<SectorSuperficie> &a, const std::vector<SectorSuperficie> &b,
                   int pista, int cara, const OpcionesComparacion &o,
                   std::vector<Diferencia> &salida) {
  const auto anotar = [&](int sector, std::string texto) {
    salida.push_back({pista, cara, sector,
                      TextoPista(pista, cara) + (sector < 0 ? ": " : ", ") + std::move(texto)});
  };
  if (a.empty() || b.empty()) {
    anotar(-1, TextoPar(Sectores(a.size()), Sectores(b.size()), o));
    return;
  }
  const auto ids = [](const std::vector<SectorSuperficie> &v) {
    std::vector<std::uint8_t> r;
    for (const SectorSuperficie &s : v) {
      r.push_back(s.r);
    }
    return r;
  };
  std::vector<std::uint8_t> idsA = ids(a), idsB = ids(b);
  if (idsA != idsB && !o.porId) {
    anotar(-1, "sectores " + TextoPar(ListaIds(a), ListaIds(b), o));
  }
  // Each sector against the one of the same R and the same rank among those of that R.
  std::map<std::pair<std::uint8_t, int>, const SectorSuperficie *> deB;
  std::map<std::uint8_t, int> veces;
  for (const SectorSuperficie &s : b) {
    deB[{s.r, veces[s.r]++}] = &s;
  }
  veces.clear();
  for (const SectorSuperficie &s : a) {
    const auto clave = std::make_pair(s.r, veces[s.r]++);
    const auto otro = deB.find(clave);
    const std::string sector = "sector &" + Hex2(s.r) + ": ";
    if (otro == deB.end()) {
      anotar(s.r, sector + "solo en " + o.nombreA);
      continue;
    }
    if (const std::string t = CompararSector(s, *otro->second, o); !t.empty()) {
      anotar(s.r, sector + t);
    }
    deB.erase(otro);
  }
  for (const auto &[clave, s] : deB) {
    anotar(s->r, "sector &" + Hex2(s->r) + ": solo en " + o.nombreB);
  }
}

// The Track-Info's GAP#3 and filler, which formatting a track sets.
void CompararCabecera(const PistaSuperficie &a, const PistaSuperficie &b, int pista, int cara,
                      const OpcionesComparacion &o, std::vector<Diferencia> &salida) {
  const auto texto = [](const PistaSuperficie &p) {
    return "GAP &" + Hex2(p.gap) + " y relleno &" + Hex2(p.relleno);
  };
  if (a.gap != b.gap || a.relleno != b.relleno) {
    salida.push_back(
        {pista, cara, -1, TextoPista(pista, cara) + ": " + TextoPar(texto(a), texto(b), o)});
  }
}

} // namespace

// The first offset where two byte strings differ, or their common length
// when one is the start of the other.
std::size_t PrimeraDistinta(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(x - a.begin());
}

std::string TextoBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                       const OpcionesComparacion &o, const char *que) {
  std::string t;
  const std::size_t i = PrimeraDistinta(a, b);
  if (a.size() != b.size()) {
    t = std::to_string(a.size()) + " " + que + " en " + o.nombreA + ", " +
        std::to_string(b.size()) + " en " + o.nombreB;
  }
  if (i < std::min(a.size(), b.size())) {
    t += (t.empty() ? "" : "; ") + std::string("distintos desde el byte ") + std::to_string(i);
  }
  return t;
}

std::string TextoPar(const std::string &a, const std::string &b, const OpcionesComparacion &o) {
  return a + " en " + o.nombreA + ", " + b + " en " + o.nombreB;
}

std::vector<Diferencia> CompararSuperficies(const Superficie &a, const Superficie &b,
                                            const OpcionesComparacion &opciones) {
  std::vector<Diferencia> salida;
  const int pistas = std::max(a.pistas, b.pistas);
  const int caras = std::max(a.caras, b.caras);
  for (int t = 0; t < pistas; ++t) {
    for (int c = 0; c < caras; ++c) {
      const auto &sa = Sectores(a, t, c);
      const auto &sb = Sectores(b, t, c);
      if (!sa.empty() || !sb.empty()) {
        CompararPista(sa, sb, t, c, opciones, salida);
      }
      if (opciones.cabecerasPista && !sa.empty() && !sb.empty()) {
        CompararCabecera(*a.Pista(t, c), *b.Pista(t, c), t, c, opciones, salida);
      }
    }
  }
  if (const std::string t = TextoBytes(a.sobrantes, b.sobrantes, opciones, "bytes"); !t.empty()) {
    salida.push_back({-1, -1, -1, "tras la última pista: " + t});
  }
  return salida;
}

} // namespace imagenes
