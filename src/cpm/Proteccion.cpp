#include "cpm/Proteccion.h"

#include "Esquemas.h"
#include "cpm/Formatos.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdio>
#include <map>

namespace cpm {
namespace {

using namespace proteccion;

// "CPC disk": the first ID of track 0 is &41 or above; otherwise a +3 disk.
constexpr std::uint8_t PrimerIdCpc = 0x41;
// Worn media shows its lone errors on the last tracks, where the head rests.
constexpr int PrimeraPistaGastada = 35;
constexpr std::size_t ErroresPorPistaGastada = 2;
// A work disk's odd sectors are few and apart.
constexpr std::size_t PistasSueltasMax = 3;

std::string Hex2(std::uint8_t v) {
  char t[4];
  std::snprintf(t, sizeof t, "%02X", v);
  return t;
}

// --- Matching one row ------------------------------------------------------------------

bool Cumple(const CondSector &c, const SectorVista &s) {
  return (c.r < 0 || s.r == c.r) && (c.n < 0 || s.n == c.n) && TieneEstado(s, c.estado) &&
         LongitudCopia(s) >= c.minimo && (c.cDesde < 0 || (s.c >= c.cDesde && s.c <= c.cHasta));
}

bool IdsEncajan(const Forma &f, const std::vector<SectorVista> &v) {
  if (f.ids.empty()) {
    return true;
  }
  if (f.idsEnOrden) {
    return v.size() >= f.ids.size() &&
           std::equal(f.ids.begin(), f.ids.end(), v.begin(),
                      [](std::uint8_t id, const SectorVista &s) { return s.r == id; });
  }
  // The same IDs as many times each: counted up by the shape, down by the track.
  if (v.size() != f.ids.size()) {
    return false;
  }
  std::array<int, 256> veces{};
  for (std::size_t i = 0; i < v.size(); ++i) {
    ++veces[f.ids[i]];
    --veces[v[i].r];
  }
  return std::all_of(veces.begin(), veces.end(), [](int x) { return x == 0; });
}

std::optional<Nombrados> Encaja(const Forma &f, const PistaVista *p) {
  if (p == nullptr) {
    return std::nullopt;
  }
  const auto &v = p->sectores;
  if (f.vacia) {
    return v.empty() ? std::optional<Nombrados>(Nombrados{}) : std::nullopt;
  }
  // No shape has more than 255 sectors (a track of a DSK image holds no more).
  if (v.size() < static_cast<std::size_t>(f.minimo) ||
      v.size() > static_cast<std::size_t>(f.maximo)) {
    return std::nullopt;
  }
  Nombrados nombrados;
  std::bitset<256> nombrado;
  for (std::size_t k = 0; k < MaxConds; ++k) {
    const CondSector &c = f.conds[k];
    if (c.cual == Nada) {
      continue;
    }
    std::vector<std::size_t> &n = nombrados[k];
    if (c.cual >= 0 || c.cual == Ultimo) {
      const std::size_t i = c.cual >= 0 ? static_cast<std::size_t>(c.cual) : v.size() - 1;
      if (i < v.size() && Cumple(c, v[i])) {
        n.push_back(i);
      }
    } else {
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (Cumple(c, v[i])) {
          n.push_back(i);
        }
      }
    }
    const bool bien = c.cual == Cada     ? n.size() == v.size()
                      : c.cual == Alguno ? n.size() >= static_cast<std::size_t>(c.veces)
                                         : !n.empty();
    if (!bien) {
      return std::nullopt;
    }
    for (const std::size_t i : n) {
      nombrado[i] = true;
    }
  }
  if (!IdsEncajan(f, v)) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (!nombrado[i] &&
        ((f.nResto >= 0 && v[i].n != f.nResto) || (f.sanos && !TieneEstado(v[i], Estado::Sano)))) {
      return std::nullopt;
    }
  }
  if (f.extra != nullptr && !f.extra(*p)) {
    return std::nullopt;
  }
  return nombrados;
}

// Bytes as a text shows them: quoted runs of printable characters, &XX for
// the odd byte among them; a code of mostly other bytes as hex.
std::string MostrarBytes(std::string_view b) {
  const auto imprimible = [](char c) { return c >= 0x20 && c <= 0x7E; };
  const auto raros = std::count_if(b.begin(), b.end(), [&](char c) { return !imprimible(c); });
  std::string t;
  if (raros > 2) {
    for (const char c : b) {
      t += (t.empty() ? "" : " ") + Hex2(static_cast<std::uint8_t>(c));
    }
    return t;
  }
  bool dentro = false;
  for (const char c : b) {
    if (imprimible(c)) {
      t += dentro ? "" : (t.empty() ? "\"" : " \"");
      t += c;
      dentro = true;
    } else {
      t += (dentro ? "\" " : (t.empty() ? "" : " ")) + std::string("&") +
           Hex2(static_cast<std::uint8_t>(c));
      dentro = false;
    }
  }
  return dentro ? t + "\"" : t;
}

// Where `pieza` lies in `datos`, or -1.
long long Buscar(const Pieza &pieza, std::span<const std::uint8_t> datos, bool sinCaso) {
  const std::string_view b = pieza.bytes;
  const std::string_view d(reinterpret_cast<const char *>(datos.data()), datos.size());
  const auto igual = [sinCaso](char x, char y) {
    return sinCaso ? std::tolower(static_cast<unsigned char>(x)) ==
                         std::tolower(static_cast<unsigned char>(y))
                   : x == y;
  };
  if (pieza.en >= 0) {
    const auto en = static_cast<std::size_t>(pieza.en);
    const bool esta =
        d.size() >= en + b.size() && std::equal(b.begin(), b.end(), d.begin() + pieza.en, igual);
    return esta ? pieza.en : -1;
  }
  // Most signatures are searched for as they are, which the library does fast.
  const std::size_t i =
      sinCaso ? static_cast<std::size_t>(
                    std::search(d.begin(), d.end(), b.begin(), b.end(), igual) - d.begin())
              : d.find(b);
  return i >= d.size() ? -1 : static_cast<long long>(i);
}

// What the firma finds in one sector; empty when it does not match.
std::string FirmaEnSector(const Firma &f, std::span<const std::uint8_t> datos) {
  std::string t;
  for (const Pieza *p : {&f.a, &f.b}) {
    if (p->bytes.empty()) {
      continue;
    }
    const long long en = Buscar(*p, datos, f.sinCaso);
    if (en < 0) {
      return {};
    }
    t += (t.empty() ? "firma " : " y ") + MostrarBytes(p->bytes) + " en +" + std::to_string(en);
  }
  if (f.comprobar != nullptr) {
    const std::string c = f.comprobar(datos);
    if (c.empty()) {
      return {};
    }
    t += (t.empty() ? "firma: " : " ") + c;
  }
  return t;
}

std::vector<std::size_t> SectoresDeFirma(const Firma &f, const PistaVista &p) {
  std::vector<std::size_t> v;
  for (std::size_t i = 0; i < p.sectores.size(); ++i) {
    const bool porIndice = f.cual >= 0        ? i == static_cast<std::size_t>(f.cual)
                           : f.cual == Ultimo ? i + 1 == p.sectores.size()
                                              : f.cual == Alguno;
    if (f.r >= 0 ? p.sectores[i].r == f.r : porIndice) {
      v.push_back(i);
    }
  }
  return v;
}

std::optional<Prueba> BuscarFirma(const Firma &f, const VistaDisco &disco, int pista, int cara) {
  const int desde = f.pistaDesde < 0 ? pista : f.pistaDesde;
  const int hasta = f.pistaDesde < 0 ? pista : f.pistaHasta;
  for (int t = desde; t <= hasta; ++t) {
    const PistaVista *p = disco.Pista(t, cara);
    if (p == nullptr) {
      continue;
    }
    for (const std::size_t i : SectoresDeFirma(f, *p)) {
      const SectorVista &s = p->sectores[i];
      if (std::string t2 = FirmaEnSector(f, PrimeraCopia(s)); !t2.empty()) {
        return Prueba{t, cara, s.r, std::move(t2)};
      }
    }
  }
  return std::nullopt;
}

bool FirmaValida(const Firma &f) { return f.cual != Nada || f.r >= 0; }

// What a sector shows, for the evidence: "N=2, débil (3 copias), error de CRC en los datos".
std::string DescribirSector(const SectorVista &s, std::uint8_t pistaCabecera) {
  std::string t = "N=" + std::to_string(s.n);
  const auto poner = [&t](const std::string &que) { t += ", " + que; };
  if (s.copias > 1) {
    poner("débil (" + std::to_string(s.copias) + " copias)");
  }
  if (TieneEstado(s, Estado::ErrorDatos)) {
    poner("error de CRC en los datos");
  } else if (TieneEstado(s, Estado::ErrorId)) {
    poner("error de CRC en el ID");
  }
  if (TieneEstado(s, Estado::Borrado)) {
    poner("marca de borrado");
  }
  if (((s.st1 | s.st2) & 0x01) != 0) {
    poner("sin marca de datos");
  }
  if ((s.st1 & 0x5F & ~0x20) != 0 || (s.st2 & 0x3E & ~0x20) != 0) {
    poner("ST1=&" + Hex2(s.st1) + " ST2=&" + Hex2(s.st2));
  }
  if (s.datos.empty()) {
    poner("sin datos guardados");
  } else if (LongitudCopia(s) != s.LongitudNominal()) {
    poner("guarda " + std::to_string(LongitudCopia(s)) + " bytes");
  }
  if (s.c != pistaCabecera) {
    poner("cilindro " + std::to_string(s.c) + " en su ID");
  }
  return t;
}

bool DeMas3(const VistaDisco &disco) {
  const PistaVista *p = disco.Pista(0, 0);
  // A track 0 without sectors says nothing: read as a CPC disk.
  return p != nullptr && !p->sectores.empty() && p->sectores.front().r < PrimerIdCpc;
}

} // namespace

namespace proteccion {
namespace {

std::optional<Coincidencia> Probar(const Esquema &e, const VistaDisco &disco, bool mas3) {
  if ((e.plataforma == Plataforma::Cpc && mas3) || (e.plataforma == Plataforma::Mas3 && !mas3)) {
    return std::nullopt;
  }
  std::optional<Coincidencia> mejor;
  const int hasta = std::min(e.pista.hasta, disco.pistas - 1);
  for (int t = e.pista.desde; t <= hasta; ++t) {
    for (int c = 0; c < disco.caras; ++c) {
      auto nombrados = Encaja(e.pista.forma, disco.Pista(t, c));
      if (!nombrados) {
        continue;
      }
      if (e.otra.desde >= 0) {
        bool hay = false;
        for (int u = e.otra.desde; u <= e.otra.hasta && !hay; ++u) {
          hay = Encaja(e.otra.forma, disco.Pista(u, c)).has_value();
        }
        if (!hay) {
          continue;
        }
      }
      Coincidencia x{&e, t, c, std::move(*nombrados), std::nullopt, {}};
      for (const Firma &f : e.firmas) {
        if (FirmaValida(f) && (x.firma = BuscarFirma(f, disco, t, c))) {
          x.variante = f.variante;
          return x;
        }
      }
      if (e.bastaForma && !mejor) {
        mejor = std::move(x);
      }
    }
  }
  return mejor;
}

} // namespace

const SectorVista *SectorDebil(const Coincidencia &x, const VistaDisco &disco) {
  if (x.fila->debil.cond < 0) {
    return nullptr;
  }
  const auto &n = x.nombrados[static_cast<std::size_t>(x.fila->debil.cond)];
  return n.empty() ? nullptr : &disco.Pista(x.pista, x.cara)->sectores[n.front()];
}

namespace {

Hallazgo Describir(const Coincidencia &x, const VistaDisco &disco) {
  const Esquema &e = *x.fila;
  const PistaVista &p = *disco.Pista(x.pista, x.cara);
  Hallazgo h;
  h.esquema = std::string(e.nombre) +
              (x.variante.empty() ? std::string() : " (" + std::string(x.variante) + ")");
  h.certeza = x.firma ? Certeza::Confirmada : Certeza::Probable;
  if (!e.forma.empty()) {
    h.pruebas.push_back({x.pista, x.cara, -1, std::string(e.forma)});
  }
  for (std::size_t k = 0; k < MaxConds; ++k) {
    // Every sector of the track is the shape's own words.
    if (e.pista.forma.conds[k].cual == Cada) {
      continue;
    }
    for (const std::size_t i : x.nombrados[k]) {
      const SectorVista &s = p.sectores[i];
      std::string que = DescribirSector(s, p.pistaCabecera);
      // A plain sector that carries the signature is told by the signature.
      const bool firmado = x.firma && x.firma->pista == x.pista && x.firma->sector == s.r;
      if (!firmado || que.find(',') != std::string::npos) {
        h.pruebas.push_back({x.pista, x.cara, s.r, std::move(que)});
      }
    }
  }
  if (x.firma) {
    h.pruebas.push_back(*x.firma);
  }
  if (const SectorVista *d = SectorDebil(x, disco); d != nullptr && d->copias < 2) {
    h.faltas.push_back({x.pista, x.cara, d->r,
                        "el sector débil se guardó con una sola copia: no cargará en un "
                        "emulador ni en un Gotek"});
    h.completable = !d->datos.empty() && d->datos.size() == d->LongitudNominal();
  }
  if (e.arreglo.falta != nullptr) {
    if (const auto falta = e.arreglo.falta(p)) {
      h.faltas.push_back({x.pista, x.cara, -1, *falta});
      // Completable when completing a copy of the track does something.
      PistaSuperficie prueba;
      for (const SectorVista &y : p.sectores) {
        prueba.sectores.push_back({y, y.copias, {y.datos.begin(), y.datos.end()}});
      }
      h.completable = h.completable || (e.arreglo.completar != nullptr &&
                                        !e.arreglo.completar(prueba, x.pista, x.cara).empty());
    }
  }
  return h;
}

} // namespace

std::vector<Coincidencia> Coincidencias(const VistaDisco &disco) {
  const bool mas3 = DeMas3(disco);
  std::vector<Coincidencia> v;
  for (const Esquema &e : TablaEsquemas()) {
    auto x = Probar(e, disco, mas3);
    if (!x) {
      continue;
    }
    const auto mismo = std::find_if(
        v.begin(), v.end(), [&](const Coincidencia &y) { return y.fila->nombre == e.nombre; });
    if (mismo == v.end()) {
      v.push_back(std::move(*x));
    } else if (!mismo->firma && x->firma) {
      *mismo = std::move(*x);
    }
  }
  std::stable_partition(v.begin(), v.end(), [](const Coincidencia &x) { return x.firma; });
  return v;
}

} // namespace proteccion

namespace {

// --- Disks no row names -----------------------------------------------------------------

using Reparto = std::vector<std::pair<std::uint8_t, std::uint8_t>>; // (R, N), sorted

Reparto RepartoDe(const PistaVista &p) {
  Reparto d;
  d.reserve(p.sectores.size());
  for (const SectorVista &s : p.sectores) {
    d.emplace_back(s.r, s.n);
  }
  std::sort(d.begin(), d.end());
  return d;
}

// A layout one of the reader's formats writes.
bool DeFormatoConocido(const Reparto &d) {
  return std::any_of(TablaFormatos().begin(), TablaFormatos().end(), [&](const Formato &f) {
    if (d.size() != static_cast<std::size_t>(f.sectoresPorPista)) {
      return false;
    }
    for (std::size_t i = 0; i < d.size(); ++i) {
      if (d[i].first != f.primerSector + i || d[i].second != f.CodigoTamano()) {
        return false;
      }
    }
    return true;
  });
}

// "10 sectores de 512 bytes, IDs A1..AA".
std::string TextoReparto(const Reparto &d) {
  if (d.empty()) {
    return "sin sectores";
  }
  const bool unaTalla =
      std::all_of(d.begin(), d.end(), [&](auto x) { return x.second == d[0].second; });
  std::string t = std::to_string(d.size()) + (d.size() == 1 ? " sector" : " sectores");
  if (unaTalla) {
    const std::size_t bytes = std::size_t{128} << std::min<std::uint8_t>(d[0].second, 8);
    t += " de " + std::to_string(bytes) + " bytes";
  }
  bool seguidos = true;
  for (std::size_t i = 1; i < d.size(); ++i) {
    seguidos = seguidos && d[i].first == d[i - 1].first + 1;
  }
  if (seguidos && d.size() > 2) {
    return t + ", IDs " + Hex2(d.front().first) + ".." + Hex2(d.back().first);
  }
  t += ", IDs";
  for (const auto &[r, n] : d) {
    t += " " + Hex2(r) + (unaTalla ? "" : "(N=" + std::to_string(n) + ")");
  }
  return t;
}

// Formats of demos and loaders that a protection's shape can look like:
// `pistas` tracks have the layout, the first of them `primera`.
std::string NotaFormato(const Reparto &d, int primera, int pistas) {
  const auto todas = [&](std::uint8_t n) {
    return std::all_of(d.begin(), d.end(), [n](auto x) { return x.second == n; });
  };
  if (d.size() == 10 && todas(2) && primera == 0 && pistas == 1) {
    return "; el formato de arranque de muchas demos (y de Speedlock 1989, con marcas de borrado)";
  }
  if (d.size() == 5 && todas(3)) {
    return "; pistas de datos de demos (y la cara de datos de Speedlock 1989)";
  }
  if (!d.empty() && todas(3)) {
    return "; sectores de 1K, un formato de demos";
  }
  return {};
}

struct Rareza {
  bool error = false, debil = false, largo = false, cilindro = false;
  [[nodiscard]] bool Alguna() const { return error || debil || largo || cilindro; }
};

Rareza RarezaDe(const SectorVista &s, const PistaVista &p) {
  return {!TieneEstado(s, Estado::Sano), s.copias > 1,
          s.datos.empty() || LongitudCopia(s) != s.LongitudNominal(), s.c != p.pistaCabecera};
}

// The IDs of a layout, without their size codes.
std::vector<std::uint8_t> IdsDe(const Reparto &d) {
  std::vector<std::uint8_t> ids;
  ids.reserve(d.size());
  for (const auto &[r, n] : d) {
    ids.push_back(r);
  }
  return ids;
}

struct PistaRara {
  int pista = 0, cara = 0;
  const PistaVista *p = nullptr;
  bool otraForma = false;            // its layout is not the disk's
  bool otrosIds = false;             // nor its IDs: more than one odd sector's size code
  std::vector<std::size_t> sectores; // its odd sectors
};

Veredicto Clasificar(const VistaDisco &disco, Veredicto v) {
  std::map<Reparto, int> cuentas;
  for (const PistaVista &p : disco.pistasCaras) {
    if (!p.sectores.empty()) {
      ++cuentas[RepartoDe(p)];
    }
  }
  if (cuentas.empty()) {
    return v;
  }
  const Reparto comun =
      std::max_element(cuentas.begin(), cuentas.end(), [](const auto &a, const auto &b) {
        return a.second < b.second;
      })->first;
  std::vector<PistaRara> raras;
  for (int t = 0; t < disco.pistas; ++t) {
    for (int c = 0; c < disco.caras; ++c) {
      const PistaVista *p = disco.Pista(t, c);
      if (p == nullptr || p->sectores.empty()) {
        continue; // an empty track is no odd sector (P.M.S.'s has its row)
      }
      const Reparto d = RepartoDe(*p);
      PistaRara r{t, c, p, d != comun, IdsDe(d) != IdsDe(comun), {}};
      for (std::size_t i = 0; i < p->sectores.size(); ++i) {
        if (RarezaDe(p->sectores[i], *p).Alguna()) {
          r.sectores.push_back(i);
        }
      }
      if (r.otraForma || !r.sectores.empty()) {
        raras.push_back(std::move(r));
      }
    }
  }
  const auto sectorPrueba = [](const PistaRara &r, std::size_t i) {
    const SectorVista &s = r.p->sectores[i];
    return Prueba{r.pista, r.cara, s.r, DescribirSector(s, r.p->pistaCabecera)};
  };
  const bool limpias = std::all_of(raras.begin(), raras.end(),
                                   [](const PistaRara &r) { return r.sectores.empty(); });
  if (limpias) {
    if (raras.empty() && DeFormatoConocido(comun)) {
      return v;
    }
    v.clase = ClaseVeredicto::Formato;
    // Each layout unlike a known format's once: where it is first, on how many tracks.
    struct Vista {
      int pista = 0, cara = 0, pistas = 0;
    };
    std::map<Reparto, Vista> formas;
    const bool comunPropia = !DeFormatoConocido(comun);
    for (int t = 0; t < disco.pistas; ++t) {
      for (int c = 0; c < disco.caras; ++c) {
        const PistaVista *p = disco.Pista(t, c);
        if (p == nullptr || p->sectores.empty()) {
          continue;
        }
        const Reparto d = RepartoDe(*p);
        if (d != comun || comunPropia) {
          Vista &f = formas.try_emplace(d, Vista{t, c, 0}).first->second;
          ++f.pistas;
        }
      }
    }
    for (const auto &[d, f] : formas) {
      const std::string cuantas =
          f.pistas > 1 ? ", en " + std::to_string(f.pistas) + " pistas" : "";
      v.pistas.push_back(
          {f.pista, f.cara, -1, TextoReparto(d) + cuantas + NotaFormato(d, f.pista, f.pistas)});
    }
    std::sort(v.pistas.begin(), v.pistas.end(), [](const Prueba &x, const Prueba &y) {
      return std::pair(x.pista, x.cara) < std::pair(y.pista, y.cara);
    });
    return v;
  }
  // Worn media: lone data CRC errors, and nothing else odd, near the end of a plain disk.
  const bool gastado = std::all_of(raras.begin(), raras.end(), [](const PistaRara &r) {
    return !r.otrosIds && r.pista >= PrimeraPistaGastada &&
           r.sectores.size() <= ErroresPorPistaGastada &&
           std::all_of(r.sectores.begin(), r.sectores.end(), [&](std::size_t i) {
             const SectorVista &s = r.p->sectores[i];
             const Rareza x = RarezaDe(s, *r.p);
             return TieneEstado(s, Estado::ErrorDatos) && !x.debil && !x.largo && !x.cilindro;
           });
  });
  // A work disk: one odd sector on each of a few tracks laid out as the rest.
  const bool sueltos = raras.size() <= PistasSueltasMax &&
                       std::all_of(raras.begin(), raras.end(), [](const PistaRara &r) {
                         return !r.otrosIds && r.sectores.size() == 1 &&
                                r.p->sectores[r.sectores.front()].copias == 1;
                       });
  v.clase = gastado   ? ClaseVeredicto::Desgaste
            : sueltos ? ClaseVeredicto::Sueltos
                      : ClaseVeredicto::Desconocida;
  for (const PistaRara &r : raras) {
    if (v.clase != ClaseVeredicto::Desconocida) {
      for (const std::size_t i : r.sectores) {
        v.pistas.push_back(sectorPrueba(r, i));
      }
      continue;
    }
    std::string t = TextoReparto(RepartoDe(*r.p));
    std::string ids;
    for (const std::size_t i : r.sectores) {
      const SectorVista &s = r.p->sectores[i];
      ids +=
          (ids.empty() ? "" : "; ") + TextoId(s.r) + " " + DescribirSector(s, r.p->pistaCabecera);
    }
    v.pistas.push_back({r.pista, r.cara, -1, ids.empty() ? t : t + "; " + ids});
  }
  return v;
}

} // namespace

bool Veredicto::Incompleto() const {
  return std::any_of(hallazgos.begin(), hallazgos.end(),
                     [](const Hallazgo &h) { return !h.faltas.empty(); });
}

namespace {

Veredicto Juzgar(const VistaDisco &disco) {
  Veredicto v;
  v.mas3 = DeMas3(disco);
  for (const proteccion::Coincidencia &x : proteccion::Coincidencias(disco)) {
    v.hallazgos.push_back(proteccion::Describir(x, disco));
  }
  if (!v.hallazgos.empty()) {
    v.clase = ClaseVeredicto::Esquema;
    return v;
  }
  return Clasificar(disco, std::move(v));
}

} // namespace

Veredicto JuzgarProteccion(const Superficie &disco) { return Juzgar(VistaDe(disco)); }

Veredicto JuzgarProteccion(const Contenedor &disco) { return Juzgar(VistaDe(disco)); }

namespace {

struct Clase {
  ClaseVeredicto clase;
  std::string_view codigo;
  std::string_view texto; // after "Protección anticopia: "; a scheme's is its name
};

constexpr std::array<Clase, 6> Clases{{
    {ClaseVeredicto::Ninguna, "ninguna", "no se ve ninguna señal"},
    {ClaseVeredicto::Esquema, "esquema", ""},
    {ClaseVeredicto::Desconocida, "desconocida", "protección desconocida"},
    {ClaseVeredicto::Formato, "formato", "ninguna; un formato propio, sin errores del FDC"},
    {ClaseVeredicto::Desgaste, "desgaste", "ninguna; errores sueltos de un soporte gastado"},
    {ClaseVeredicto::Sueltos, "sueltos",
     "ninguna conocida; sectores raros sueltos, como los de un disco de trabajo"},
}};

const Clase &DeClase(ClaseVeredicto clase) {
  return *std::find_if(Clases.begin(), Clases.end(),
                       [clase](const Clase &c) { return c.clase == clase; });
}

} // namespace

std::string_view CodigoClase(ClaseVeredicto clase) { return DeClase(clase).codigo; }

std::string_view CodigoCerteza(Certeza certeza) {
  return certeza == Certeza::Confirmada ? "confirmada" : "probable";
}

std::string TextoVeredicto(const Veredicto &v) {
  if (v.clase != ClaseVeredicto::Esquema || v.hallazgos.empty()) {
    return std::string(DeClase(v.clase).texto);
  }
  const Hallazgo &h = v.hallazgos.front();
  return h.esquema + " (" + std::string(CodigoCerteza(h.certeza)) + ")" +
         (v.Incompleto() ? ", volcado incompleto" : "");
}

std::string LugarPrueba(const Prueba &p) {
  std::string t = imagenes::TextoPista(p.pista, p.cara);
  if (p.sector >= 0) {
    t += ", sector " + TextoId(static_cast<std::uint8_t>(p.sector));
  }
  return t;
}

std::string TextoPruebas(const Veredicto &v, std::string_view sangria) {
  std::string t;
  const auto linea = [&](std::string_view antes, const Prueba &p, std::string_view despues = {}) {
    t.append(sangria).append(antes).append(LugarPrueba(p)).append(": ").append(p.texto);
    t.append(despues).append("\n");
  };
  if (!v.hallazgos.empty()) {
    const Hallazgo &h = v.hallazgos.front();
    for (const Prueba &p : h.pruebas) {
      linea({}, p);
    }
    for (const Prueba &p : h.faltas) {
      linea("volcado incompleto: ", p,
            h.completable ? "; se puede completar (convert --completar)" : "");
    }
  }
  for (const Prueba &p : v.pistas) {
    linea({}, p);
  }
  for (std::size_t i = 1; i < v.hallazgos.size(); ++i) {
    const Hallazgo &h = v.hallazgos[i];
    t.append(sangria).append("también encaja: ").append(h.esquema).append(" (");
    t.append(CodigoCerteza(h.certeza)).append(h.faltas.empty() ? ")\n" : ", volcado incompleto)\n");
  }
  return t;
}

std::vector<std::string_view> EsquemasConocidos() {
  std::vector<std::string_view> v;
  for (const proteccion::Esquema &e : proteccion::TablaEsquemas()) {
    if (std::find(v.begin(), v.end(), e.nombre) == v.end()) {
      v.push_back(e.nombre);
    }
  }
  return v;
}

void AvisarProteccionesPerdidas(const Superficie &origen, std::vector<Diferencia> &perdidas) {
  const Veredicto v = JuzgarProteccion(origen);
  const auto avisar = [&](const std::vector<Prueba> &pruebas, const std::string &que) {
    for (Diferencia &d : perdidas) {
      const bool suya = std::any_of(pruebas.begin(), pruebas.end(), [&](const Prueba &p) {
        return p.pista == d.pista && p.cara == d.cara &&
               (d.sector < 0 || p.sector < 0 || p.sector == d.sector);
      });
      if (suya) {
        d.texto += "; " + que;
        return;
      }
    }
  };
  for (const Hallazgo &h : v.hallazgos) {
    avisar(h.pruebas, "sin ello, la protección " + h.esquema + " (" +
                          std::string(CodigoCerteza(h.certeza)) + ") dejará de funcionar");
  }
  if (v.clase == ClaseVeredicto::Desconocida) {
    for (const Prueba &p : v.pistas) {
      avisar({p}, "sin ello, la protección desconocida de esta pista quizá deje de funcionar");
    }
  }
}

} // namespace cpm
