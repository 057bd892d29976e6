#include "imagenes/Flujo.h"

#include "flujo/Pll.h"
#include "imagenes/Mfm.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>

namespace imagenes {
namespace {

// MFM at 250 kbit/s: a cell of 2 us, 100,000 cells a revolution at 300 rpm.
constexpr double NsCelda = 2000.0;
// The cells of a revolution: the PLL's cell is measured by the revolution's time.
constexpr std::size_t CeldasVuelta = 100000;
constexpr double MsVuelta300 = 200.0, MsVuelta360 = 60000.0 / 360.0;
constexpr double ToleranciaRpm = 0.06;
// A revolution with weak spans but no second pass (HFE v3) is read this many
// times, the spans filled differently each time, as a drive would read them.
constexpr unsigned PasesDebiles = 3;
// A pass reads on past the next index, so that a sector begun before it is
// read whole: a quarter of a revolution.
constexpr std::size_t DivisorMargen = 4;
// No dump of a floppy holds more revolutions of a side than this; past it a
// damaged one is read in part.
constexpr std::size_t MaxPases = 16;
// A pass longer than this many revolutions lacks an index.
constexpr double VueltaDeMas = 1.5;
// Two readings of one sector lie within this share of a revolution of each
// other, and well within half the space between two sectors.
constexpr double MaxDistancia = 0.03, ShareEspacio = 0.4;

// Fewer transitions than this on a side is no flux at all: a formatted track
// has tens of thousands a revolution.
constexpr std::size_t MinTransiciones = 100;

constexpr std::uint8_t St1ErrorDatos = 0x20, St1FaltaMarca = 0x01;
constexpr std::uint8_t St2ErrorDatos = 0x20, St2FaltaMarca = 0x01;

std::string En(int pista, int cara) { return TextoPista(pista, cara); }
std::string EnMayuscula(int pista, int cara) { return "P" + En(pista, cara).substr(1); }

void Nota(Problemas &notas, int pista, int cara, int sector, std::string texto,
          TipoProblema tipo = TipoProblema::LecturaFlujo) {
  notas.push_back({tipo, std::move(texto), {pista, cara, sector, -1, -1, -1}});
}

// Appends `largo` cells of `c` from `desde` to `destino`, which holds
// `llevadas` cells.
void Anadir(std::vector<std::uint8_t> &destino, std::size_t &llevadas, const flujo::CeldasPista &c,
            std::size_t desde, std::size_t largo) {
  largo = std::min(largo, c.total > desde ? c.total - desde : 0);
  destino.resize((llevadas + largo) / 8 + 2, 0);
  if (llevadas % 8 == 0) {
    // Whole bytes, shifted by where `desde` falls in its byte.
    const std::size_t b = desde / 8, s = desde % 8, o = llevadas / 8;
    const std::size_t bytes = (largo + 7) / 8;
    for (std::size_t j = 0; j < bytes; ++j) {
      const unsigned bajo = c.bytes[b + j];
      const unsigned alto = b + j + 1 < c.bytes.size() ? c.bytes[b + j + 1] : 0u;
      destino[o + j] = static_cast<std::uint8_t>(s == 0 ? bajo : (bajo >> s) | (alto << (8 - s)));
    }
    // Nothing past the last cell.
    if (largo % 8 != 0) {
      destino[o + bytes - 1] =
          static_cast<std::uint8_t>(destino[o + bytes - 1] & ((1u << (largo % 8)) - 1));
    }
  } else {
    for (std::size_t i = 0; i < largo; ++i) {
      if (c.Celda(desde + i)) {
        const std::size_t k = llevadas + i;
        destino[k / 8] = static_cast<std::uint8_t>(destino[k / 8] | (1u << (k % 8)));
      }
    }
  }
  llevadas += largo;
}

// Fills the cells of a weak span as pass `pase` reads them: flux at 2, 3 or 4
// cells, drawn differently for each pass and span.
void LlenarDebil(std::vector<std::uint8_t> &celdas, std::size_t desde, std::size_t largo,
                 unsigned pase) {
  std::uint32_t azar = 0x9E3779B9u * (pase + 1) ^ static_cast<std::uint32_t>(desde);
  std::size_t siguiente = 0;
  for (std::size_t i = 0; i < largo; ++i) {
    const std::size_t k = desde + i;
    if (k / 8 >= celdas.size()) {
      break;
    }
    bool uno = false;
    if (i == siguiente) {
      azar = azar * 1664525u + 1013904223u;
      siguiente = i + 2 + (azar >> 30) % 3;
      uno = i > 0;
    }
    const auto bit = static_cast<std::uint8_t>(1u << (k % 8));
    celdas[k / 8] = static_cast<std::uint8_t>(uno ? celdas[k / 8] | bit : celdas[k / 8] & ~bit);
  }
}

// One reading of a sector on one pass.
struct LecturaSector {
  SectorSuperficie s;
  unsigned pase = 0;
  double lugar = 0; // where its ID lies, as a share of the revolution
  bool completa = true;
  [[nodiscard]] bool IdMalo() const {
    return (s.st1 & St1ErrorDatos) != 0 && (s.st2 & St2ErrorDatos) == 0;
  }
  [[nodiscard]] bool SinDatos() const {
    return (s.st1 & St1FaltaMarca) != 0 && (s.st2 & St2FaltaMarca) != 0;
  }
  [[nodiscard]] bool DatosMalos() const {
    return (s.st1 & St1ErrorDatos) != 0 && (s.st2 & St2ErrorDatos) != 0;
  }
  [[nodiscard]] bool Bien() const { return !IdMalo() && !SinDatos() && !DatosMalos() && completa; }
  [[nodiscard]] bool MismoId(const LecturaSector &o) const {
    return s.c == o.s.c && s.h == o.s.h && s.r == o.s.r && s.n == o.s.n;
  }
  [[nodiscard]] bool Igual(const LecturaSector &o) const {
    return MismoId(o) && s.st1 == o.s.st1 && s.st2 == o.s.st2 && s.datos == o.s.datos;
  }
  [[nodiscard]] std::string Fallo() const {
    if (!completa) {
      return "el flujo acaba a medio sector";
    }
    if (IdMalo()) {
      return "error de CRC en el ID";
    }
    if (SinDatos()) {
      return "sin marca de datos";
    }
    return "error de CRC en los datos";
  }
};

struct Hueco {
  double lugar = 0;
  std::vector<LecturaSector> lecturas;
};

std::string Lista(const std::vector<unsigned> &v) {
  std::string t;
  for (std::size_t i = 0; i < v.size(); ++i) {
    t += (i == 0 ? "" : i + 1 == v.size() ? " y " : ", ") + std::to_string(v[i] + 1);
  }
  return t;
}

// What the passes agree on of one sector.
SectorSuperficie Elegir(const Hueco &h, unsigned pases, int pista, int cara, Problemas &notas) {
  std::vector<const LecturaSector *> pool;
  for (const LecturaSector &l : h.lecturas) {
    if (!l.IdMalo()) {
      pool.push_back(&l);
    }
  }
  if (pool.empty()) {
    return h.lecturas.front().s; // a bad ID on every pass
  }
  // Readings of another ID at the same place are not this sector.
  const LecturaSector &primera = *pool.front();
  std::erase_if(pool, [&](const LecturaSector *l) { return !l->MismoId(primera); });
  if (std::any_of(pool.begin(), pool.end(), [](const LecturaSector *l) { return l->completa; })) {
    std::erase_if(pool, [](const LecturaSector *l) { return !l->completa; });
  }
  const bool iguales = std::all_of(pool.begin(), pool.end(),
                                   [&](const LecturaSector *l) { return l->Igual(*pool.front()); });
  std::vector<const LecturaSector *> buenas;
  for (const LecturaSector *l : pool) {
    if (l->Bien()) {
      buenas.push_back(l);
    }
  }
  const std::string donde = En(pista, cara) + ", sector " + TextoId(primera.s.r);
  if (iguales && h.lecturas.size() == pool.size()) {
    return pool.front()->s;
  }
  // The distinct data among some readings, in the order first read.
  const auto distintas = [](const std::vector<const LecturaSector *> &v) {
    std::vector<const LecturaSector *> d;
    for (const LecturaSector *l : v) {
      if (std::none_of(d.begin(), d.end(),
                       [&](const LecturaSector *x) { return x->s.datos == l->s.datos; })) {
        d.push_back(l);
      }
    }
    return d;
  };
  const auto debil = [&](const std::vector<const LecturaSector *> &copias) {
    SectorSuperficie s = copias.front()->s;
    s.copias = static_cast<int>(copias.size());
    s.datos.clear();
    for (const LecturaSector *l : copias) {
      std::vector<std::uint8_t> d = l->s.datos;
      d.resize(copias.front()->s.datos.size(), 0);
      s.datos.insert(s.datos.end(), d.begin(), d.end());
    }
    return s;
  };
  if (!buenas.empty()) {
    const auto d = distintas(buenas);
    if (d.size() > 1) {
      return debil(d);
    }
    std::vector<unsigned> bien, mal;
    std::string motivo;
    for (const LecturaSector &l : h.lecturas) {
      if (l.Bien() && l.MismoId(primera)) {
        bien.push_back(l.pase);
      } else {
        mal.push_back(l.pase);
        if (motivo.empty()) {
          motivo = l.Fallo();
        }
      }
    }
    if (!mal.empty()) {
      Nota(notas, pista, cara, primera.s.r,
           donde + ": leído bien en " + std::to_string(bien.size()) + " de " +
               std::to_string(pases) + (pases == 1 ? " vuelta" : " vueltas") + "; se toma la " +
               (bien.size() == 1 ? "vuelta " : "primera de las vueltas ") + Lista(bien) +
               " (en la " + Lista(mal) + ": " + motivo + ")");
    }
    return buenas.front()->s;
  }
  std::vector<const LecturaSector *> conDatos;
  for (const LecturaSector *l : pool) {
    if (!l->SinDatos()) {
      conDatos.push_back(l);
    }
  }
  if (conDatos.empty()) {
    return pool.front()->s;
  }
  const auto d = distintas(conDatos);
  return d.size() > 1 ? debil(d) : d.front()->s;
}

// The ID address mark of an FM track (data &FE, clock &C7) as a 2 us PLL
// sees FM's 4 us cells: each cell two, the flux in the first.
bool HayMarcaFm(const flujo::CeldasPista &c) {
  constexpr std::uint16_t MarcaFm = 0xF57E;
  std::uint64_t patron = 0;
  for (int i = 15; i >= 0; --i) {
    patron = (patron << 2) | (((MarcaFm >> i) & 1u) << 1);
  }
  std::uint64_t ventana = 0;
  for (std::size_t i = 0; i < c.total; ++i) {
    ventana = ((ventana << 1) | (c.Celda(i) ? 1u : 0u)) & 0xFFFFFFFFu;
    if (i >= 31 && ventana == patron) {
      return true;
    }
  }
  return false;
}

struct Pase {
  std::size_t inicio = 0, largo = 0;
};

// The passes over the cells: from each index to the next; a pass too long
// for one revolution is split where the missing index would have been.
std::vector<Pase> Pases(const flujo::CeldasPista &c, int pista, int cara, Problemas &notas) {
  std::vector<Pase> v;
  if (c.indices.size() < 2) {
    const std::size_t desde = c.indices.empty() ? 0 : c.indices.front();
    Nota(notas, pista, cara, -1,
         En(pista, cara) + ": " +
             (c.indices.empty() ? "el volcado no marca el agujero índice"
                                : "el volcado marca un solo paso del agujero índice") +
             "; se lee todo su flujo como una sola vuelta");
    v.push_back({desde, c.total - std::min(desde, c.total)});
    return v;
  }
  for (std::size_t i = 0; i + 1 < c.indices.size() && v.size() <= MaxPases; ++i) {
    v.push_back({c.indices[i], c.indices[i + 1] - std::min(c.indices[i], c.indices[i + 1])});
  }
  const std::size_t mediana = CeldasVuelta;
  std::vector<Pase> partidos;
  for (const Pase &p : v) {
    if (mediana > 0 && static_cast<double>(p.largo) > VueltaDeMas * static_cast<double>(mediana)) {
      const auto k = static_cast<std::size_t>(
          std::lround(static_cast<double>(p.largo) / static_cast<double>(mediana)));
      Nota(notas, pista, cara, -1,
           En(pista, cara) + ": falta el agujero índice en " + std::to_string(k - 1) +
               (k == 2 ? " vuelta" : " vueltas") +
               " del volcado; se supone a una vuelta del anterior");
      for (std::size_t j = 0; j < k && partidos.size() <= MaxPases; ++j) {
        partidos.push_back({p.inicio + j * p.largo / k, p.largo / k});
      }
    } else {
      partidos.push_back(p);
    }
  }
  if (partidos.size() > MaxPases) {
    Nota(notas, pista, cara, -1,
         En(pista, cara) + ": el volcado tiene " + std::to_string(partidos.size()) +
             " vueltas; se leen las " + std::to_string(MaxPases) + " primeras");
    partidos.resize(MaxPases);
  }
  return partidos;
}

} // namespace

PistaSuperficie SectoresDeVueltas(const flujo::CeldasPista &c, Problemas &notas) {
  const int pista = c.cilindro, cara = c.cara;
  std::vector<Pase> pases = Pases(c, pista, cara, notas);
  // A single revolution with weak spans is read as often as a drive would retry.
  const bool unaVuelta = pases.size() == 1 && !c.debiles.empty();
  const unsigned lecturas = unaVuelta ? PasesDebiles : static_cast<unsigned>(pases.size());
  // Places are shares of a revolution, so that a pass cut short places its
  // sectors where the others do.
  const auto vuelta = static_cast<double>(CeldasVuelta);
  std::vector<std::vector<LecturaSector>> porPase;
  PistaSuperficie referencia;
  std::vector<std::uint8_t> celdas;
  for (unsigned k = 0; k < lecturas; ++k) {
    const Pase &p = pases[unaVuelta ? 0 : k];
    const std::size_t margen = p.largo / DivisorMargen;
    celdas.clear();
    std::size_t n = 0;
    Anadir(celdas, n, c, p.inicio, p.largo + margen);
    const std::size_t primero = n;
    if (pases.size() == 1 && n < p.largo + margen) {
      // The track goes round: what follows its end is its start again.
      Anadir(celdas, n, c, p.inicio, p.largo + margen - n);
    }
    for (const flujo::CeldasPista::Tramo &d : c.debiles) {
      if (d.inicio >= p.inicio && d.inicio - p.inicio < primero) {
        LlenarDebil(celdas, d.inicio - p.inicio, d.largo, k);
      }
      if (n > primero && d.inicio >= p.inicio && d.inicio - p.inicio < n - primero) {
        LlenarDebil(celdas, primero + d.inicio - p.inicio, d.largo, k);
      }
    }
    Problemas ignorados;
    std::vector<std::size_t> inicios;
    PistaSuperficie leida =
        mfm::DecodificarPista(celdas, mfm::Orden::PrimeraEnBit0, pista, cara, ignorados, &inicios);
    // A field the decoder read on round to the cells' start ran past the end
    // of what this pass holds: the dump cut it. It is the last one read.
    const bool ultimoCortado =
        std::any_of(ignorados.begin(), ignorados.end(),
                    [](const Problema &x) { return x.tipo == TipoProblema::SectorPasaElIndice; });
    std::vector<LecturaSector> v;
    for (std::size_t i = 0; i < leida.sectores.size() && i < inicios.size(); ++i) {
      if (inicios[i] >= p.largo) {
        continue; // the next revolution's: read on its own pass
      }
      LecturaSector l;
      l.s = std::move(leida.sectores[i]);
      l.pase = k;
      l.lugar = static_cast<double>(inicios[i]) / vuelta;
      l.completa = l.SinDatos() || l.IdMalo() ||
                   (l.s.datos.size() == l.s.LongitudNominal() &&
                    !(ultimoCortado && i + 1 == leida.sectores.size()));
      v.push_back(std::move(l));
    }
    if (k == 0) {
      referencia = std::move(leida);
    }
    porPase.push_back(std::move(v));
  }
  // The sectors: the pass that read most of them, the others matched to it by place.
  std::size_t mejor = 0;
  for (std::size_t k = 1; k < porPase.size(); ++k) {
    if (porPase[k].size() > porPase[mejor].size()) {
      mejor = k;
    }
  }
  std::vector<Hueco> huecos;
  for (LecturaSector &l : porPase[mejor]) {
    huecos.push_back({l.lugar, {l}});
  }
  double tolerancia = MaxDistancia;
  for (std::size_t i = 1; i < huecos.size(); ++i) {
    tolerancia = std::min(tolerancia, ShareEspacio * (huecos[i].lugar - huecos[i - 1].lugar));
  }
  for (std::size_t k = 0; k < porPase.size(); ++k) {
    if (k == mejor) {
      continue;
    }
    std::vector<bool> usado(huecos.size(), false);
    for (LecturaSector &l : porPase[k]) {
      std::size_t cerca = huecos.size();
      for (std::size_t i = 0; i < huecos.size(); ++i) {
        if (!usado[i] && std::abs(huecos[i].lugar - l.lugar) <= tolerancia &&
            (cerca == huecos.size() ||
             std::abs(huecos[i].lugar - l.lugar) < std::abs(huecos[cerca].lugar - l.lugar))) {
          cerca = i;
        }
      }
      if (cerca < huecos.size()) {
        usado[cerca] = true;
        huecos[cerca].lecturas.push_back(std::move(l));
      } else {
        huecos.push_back({l.lugar, {l}});
        usado.push_back(true);
      }
    }
  }
  std::stable_sort(huecos.begin(), huecos.end(),
                   [](const Hueco &a, const Hueco &b) { return a.lugar < b.lugar; });
  PistaSuperficie p;
  p.pistaCabecera = static_cast<std::uint8_t>(pista);
  p.caraCabecera = static_cast<std::uint8_t>(cara);
  p.gap = referencia.gap;
  for (const Hueco &h : huecos) {
    if (p.sectores.size() == 255) {
      break;
    }
    p.sectores.push_back(Elegir(h, lecturas, pista, cara, notas));
  }
  p.formateada = !p.sectores.empty();
  if (p.formateada) {
    p.codigoTamano = p.sectores.front().n;
  } else if (c.total > 0 && HayMarcaFm(c)) {
    p.grabacion = GrabacionFm;
  }
  return p;
}

namespace {

std::string Redondo(double v) {
  const long long x = std::llround(v * 10);
  return std::to_string(x / 10) + "," + std::to_string(x % 10);
}

} // namespace

void DiscoDeFlujo::Avisos(const flujo::Avisos &avisos) {
  for (const flujo::Aviso &a : avisos) {
    std::string t = a.texto;
    if (a.cilindro >= 0 && a.cara >= 0 && t.rfind("La pista", 0) != 0) {
      t = En(a.cilindro, a.cara) + ": " + t;
    }
    if (!t.empty() && t[0] >= 'a' && t[0] <= 'z') {
      t[0] = static_cast<char>(t[0] - 'a' + 'A');
    }
    Nota(r_.problemas, a.cilindro, a.cara, -1, std::move(t));
  }
}

void DiscoDeFlujo::Flujo(const flujo::PistaFlujo &f) {
  double ms = 0;
  if (f.ticksVuelta > 0) {
    ms = static_cast<double>(f.ticksVuelta) * f.nsPorTick / 1e6;
  } else if (f.indices.size() >= 2) {
    std::vector<std::uint64_t> d;
    for (std::size_t i = 0; i + 1 < f.indices.size(); ++i) {
      d.push_back(f.indices[i + 1] - f.indices[i]);
    }
    std::sort(d.begin(), d.end());
    ms = static_cast<double>(d[(d.size() - 1) / 2]) * f.nsPorTick / 1e6;
  }
  double celda = NsCelda;
  if (ms > 0) {
    // A CPC disk holds 100,000 cells a revolution, whatever drive reads it.
    const auto cerca = [&](double v) { return std::abs(ms - v) <= v * ToleranciaRpm; };
    if (cerca(MsVuelta300) || cerca(MsVuelta360)) {
      celda = NsCelda * ms / MsVuelta300;
      rpm360_ = rpm360_ || cerca(MsVuelta360);
    } else if (!velocidadRara_) {
      velocidadRara_ = true;
      Nota(r_.problemas, f.cilindro, f.cara, -1,
           En(f.cilindro, f.cara) + ": una vuelta dura " + Redondo(ms) + " ms (" +
               Redondo(60000.0 / ms) +
               " rpm), ni 300 ni 360 rpm; se decodifica a 250 kbit/s sin ajustar a la vuelta");
    }
  }
  if (f.intervalos.empty()) {
    Nota(r_.problemas, f.cilindro, f.cara, -1, EnMayuscula(f.cilindro, f.cara) + ": no hay flujo");
    Poner(f.cilindro, f.cara, PistaSuperficie{});
    return;
  }
  Celdas(flujo::CeldasDeFlujo(f, celda));
}

void DiscoDeFlujo::Celdas(const flujo::CeldasPista &c) {
  PistaSuperficie p = SectoresDeVueltas(c, r_.problemas);
  if (p.grabacion == GrabacionFm) {
    // Said as a problem of its own: what no image made from the dump keeps.
    Nota(r_.problemas, c.cilindro, c.cara, -1,
         EnMayuscula(c.cilindro, c.cara) + ": grabada en FM, que no se decodifica",
         TipoProblema::PistaFm);
  } else if (!p.formateada) {
    // An unformatted or erased track: no flux, or a few stray transitions.
    std::size_t transiciones = 0;
    for (const std::uint8_t b : c.bytes) {
      transiciones += static_cast<std::size_t>(std::popcount(b));
    }
    Nota(r_.problemas, c.cilindro, c.cara, -1,
         EnMayuscula(c.cilindro, c.cara) + (transiciones < MinTransiciones
                                                ? ": no hay flujo"
                                                : ": tiene flujo pero ningún sector MFM legible"));
  }
  Poner(c.cilindro, c.cara, std::move(p));
}

void DiscoDeFlujo::Poner(int cilindro, int cara, PistaSuperficie p) {
  if (cilindro < 0 || cilindro > 255 || cara < 0 || cara > 1) {
    return;
  }
  p.pistaCabecera = static_cast<std::uint8_t>(cilindro);
  p.caraCabecera = static_cast<std::uint8_t>(cara);
  pistas_[{cilindro, cara}] = std::move(p);
}

Lectura DiscoDeFlujo::Terminar(int caras, std::string error) {
  if (!error.empty()) {
    r_.error = std::move(error);
    return std::move(r_);
  }
  if (rpm360_) {
    Nota(r_.problemas, -1, -1, -1,
         "Leído en una unidad de 360 rpm: las celdas se miden por lo que dura cada vuelta");
  }
  if (pistas_.empty()) {
    r_.error = "no tiene flujo de ninguna pista";
    return std::move(r_);
  }
  Superficie d;
  for (const auto &[clave, p] : pistas_) {
    d.pistas = std::max(d.pistas, clave.first + 1);
    caras = std::max(caras, clave.second + 1);
  }
  d.caras = caras;
  d.pistasCaras.resize(static_cast<std::size_t>(d.pistas * d.caras));
  for (int t = 0; t < d.pistas; ++t) {
    for (int c = 0; c < d.caras; ++c) {
      PistaSuperficie &q = d.pistasCaras[static_cast<std::size_t>(t * d.caras + c)];
      q.pistaCabecera = static_cast<std::uint8_t>(t);
      q.caraCabecera = static_cast<std::uint8_t>(c);
      const auto i = pistas_.find({t, c});
      if (i == pistas_.end()) {
        Nota(r_.problemas, t, c, -1,
             EnMayuscula(t, c) + ": no está en el volcado; queda sin formato");
      } else {
        q = std::move(i->second);
      }
    }
  }
  r_.disco = std::move(d);
  return std::move(r_);
}

std::span<const std::uint8_t> FuenteArchivo::Leer(std::uint64_t desde, std::size_t largo) {
  const std::int16_t e = Plataforma::LeerTramoArchivo(ruta_, desde, largo, buffer_);
  if (e != Errores::Ninguno) {
    buffer_.clear();
    if (fallo_.empty()) {
      fallo_ = Errores::TrasDosPuntos(Errores::Mensaje(e));
    }
  }
  return buffer_;
}

} // namespace imagenes
