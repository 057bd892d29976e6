#include "cpm/Comparacion.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

namespace cpm {
namespace {

std::string En(int pista, int cara) {
  return "pista " + std::to_string(pista) + ", cara " + std::to_string(cara);
}

std::string Hex2(std::uint8_t v) {
  char t[4];
  std::snprintf(t, sizeof t, "%02X", v);
  return t;
}

// The first offset where two byte strings differ, or their common length
// when one is the start of the other.
std::size_t PrimeraDistinta(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(x - a.begin());
}

// "512 bytes en A, 0 en B" and where the bytes differ; empty when equal.
std::string Bytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
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

std::string Par(const std::string &a, const std::string &b, const OpcionesComparacion &o) {
  return a + " en " + o.nombreA + ", " + b + " en " + o.nombreB;
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
    partes.push_back("ID " + Par(Id(a), Id(b), o));
  }
  if (a.st1 != b.st1 || a.st2 != b.st2) {
    partes.push_back(Par(Estado(a), Estado(b), o));
  }
  if (a.copias != b.copias) {
    partes.push_back(Par(std::to_string(a.copias) + (a.copias == 1 ? " copia" : " copias"),
                         std::to_string(b.copias), o));
  }
  if (const std::string bytes = Bytes(a.datos, b.datos, o, "bytes guardados"); !bytes.empty()) {
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
    salida.push_back(
        {pista, cara, sector, En(pista, cara) + (sector < 0 ? ": " : ", ") + std::move(texto)});
  };
  if (a.empty() || b.empty()) {
    anotar(-1, Par(Sectores(a.size()), Sectores(b.size()), o));
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
    anotar(-1, "sectores " + Par(ListaIds(a), ListaIds(b), o));
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
    salida.push_back({pista, cara, -1, En(pista, cara) + ": " + Par(texto(a), texto(b), o)});
  }
}

} // namespace

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
  if (const std::string t = Bytes(a.sobrantes, b.sobrantes, opciones, "bytes"); !t.empty()) {
    salida.push_back({-1, -1, -1, "tras la última pista: " + t});
  }
  return salida;
}

namespace {

using Clave = std::tuple<std::uint8_t, std::string, std::string>;

std::map<Clave, const Archivo *> PorNombre(const Disco &d) {
  std::map<Clave, const Archivo *> m;
  for (const Archivo &a : d.catalogo.archivos) {
    m.emplace(Clave{a.usuario, a.nombre, a.extension}, &a);
  }
  return m;
}

std::string Nombre(const Archivo &a) {
  return (a.usuario == 0 ? "" : std::to_string(a.usuario) + ":") + a.NombreCompleto();
}

std::string Atributos(const Archivo &a) {
  std::string t;
  for (const auto &[si, nombre] :
       {std::pair{a.soloLectura, "R/O"}, {a.sistema, "SYS"}, {a.archivado, "archivado"}}) {
    if (si) {
      t += (t.empty() ? "" : " ") + std::string(nombre);
    }
  }
  return t.empty() ? "ningún atributo" : t;
}

} // namespace

ComparacionArchivos CompararArchivos(const Disco &a, const Disco &b, const OpcionesComparacion &o) {
  ComparacionArchivos r;
  const auto anotar = [&](const Archivo &x, const std::string &texto) {
    r.diferencias.push_back({-1, -1, -1, Nombre(x) + ": " + texto});
  };
  const auto deA = PorNombre(a);
  const auto deB = PorNombre(b);
  for (const auto &[clave, x] : deA) {
    const auto otro = deB.find(clave);
    if (otro == deB.end()) {
      anotar(*x, "solo en " + o.nombreA);
      continue;
    }
    const Archivo &y = *otro->second;
    if (Atributos(*x) != Atributos(y)) {
      anotar(*x, Par(Atributos(*x), Atributos(y), o));
    }
    const Extraido ex = ExtraerArchivo(a, *x, ModoExtraccion::Crudo);
    const Extraido ey = ExtraerArchivo(b, y, ModoExtraccion::Crudo);
    for (const auto &[e, nombre] : {std::pair{&ex, &o.nombreA}, {&ey, &o.nombreB}}) {
      if (!e->completo) {
        r.dudas.push_back(Nombre(*x) + " no se puede leer entero en " + *nombre);
      }
    }
    std::string t = Bytes(ex.bytes, ey.bytes, o, "bytes");
    const std::size_t i = PrimeraDistinta(ex.bytes, ey.bytes);
    if (i < TamanoCabeceraAmsdos && i < std::min(ex.bytes.size(), ey.bytes.size()) &&
        (x->cabecera || y.cabecera)) {
      t += " (en la cabecera AMSDOS)";
    }
    if (!t.empty()) {
      anotar(*x, t);
    }
  }
  for (const auto &[clave, y] : deB) {
    if (deA.count(clave) == 0) {
      anotar(*y, "solo en " + o.nombreB);
    }
  }
  return r;
}

} // namespace cpm
