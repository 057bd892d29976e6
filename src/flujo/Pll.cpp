#include "flujo/Pll.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace flujo {
namespace {

// How much of each transition's phase error the clock takes at once, and how
// much of it (per cell) goes into the clock's period.
constexpr double GananciaFase = 0.6;
constexpr double GananciaFrecuencia = 0.05;
constexpr double Margen = 0.15; // the period stays within 15% of the nominal cell
// More cells than this between two transitions is no data: MFM has 2 to 4, and
// unformatted or erased spans have none at all. The clock does not learn from them.
constexpr double MaxCeldasEntre = 8.0;

// Fixed point: times in 1/65536 of a tick, shares in 1/65536.
constexpr int BitsFraccion = 16;
constexpr std::int64_t Uno = std::int64_t{1} << BitsFraccion;
// Longer intervals than this carry no clock: they are counted apart.
constexpr std::uint32_t MaxIntervaloFijo = 1u << 20;

// The clock between two transitions, carried from one run of flux to the next.
struct Reloj {
  std::int64_t periodo = 0, fase = 0, minimo = 0, maximo = 0;
  std::int64_t inverso = 0;               // 2^40 / periodo: cells in 1/256 from a time
  std::array<std::int64_t, 9> ganancia{}; // the frequency gain over each count of cells
  std::uint64_t t = 0;                    // ticks of flux seen
  std::size_t pos = 0;                    // cells written
  unsigned cuenta = 0;
};

// `n` transitions through the clock, a 1 in `bytes` for each. Everything in
// locals and integers, so the loop keeps them in registers and each step's
// chain is short. The period changes little from one transition to the next:
// its inverse is worked out again every few.
Reloj Seguir(Reloj r, const std::uint32_t *x, std::size_t n, std::uint8_t *bytes,
             std::size_t cabida) {
  constexpr unsigned CadaCuantas = 16;
  constexpr std::int64_t Resto = static_cast<std::int64_t>((1.0 - GananciaFase) * Uno);
  constexpr std::int64_t MaxCeldas256 = static_cast<std::int64_t>(MaxCeldasEntre * 256);
  std::int64_t periodo = r.periodo, inverso = r.inverso, fase = r.fase;
  std::size_t pos = r.pos;
  unsigned cuenta = r.cuenta;
  std::uint64_t t = r.t;
  for (std::size_t i = 0; i < n; ++i) {
    t += x[i];
    std::size_t m = 0;
    if (x[i] >= MaxIntervaloFijo) {
      // No flux for a long while: cells by division, the clock left alone.
      m = static_cast<std::size_t>((static_cast<double>(fase) + static_cast<double>(x[i]) * Uno) /
                                       static_cast<double>(periodo) +
                                   0.5);
      fase = 0;
    } else {
      fase += static_cast<std::int64_t>(x[i]) << BitsFraccion;
      const std::int64_t celdas = (fase * inverso) >> 32; // in 1/256 of a cell
      if (celdas < 128) {
        continue; // too close to the last one to be a cell of its own
      }
      m = static_cast<std::size_t>((celdas + 128) >> 8);
      if (celdas > MaxCeldas256) {
        fase = 0;
      } else {
        const std::int64_t error = fase - static_cast<std::int64_t>(m) * periodo;
        periodo =
            std::clamp(periodo + ((error * r.ganancia[m]) >> BitsFraccion), r.minimo, r.maximo);
        fase = (error * Resto) >> BitsFraccion;
        if (++cuenta == CadaCuantas) {
          cuenta = 0;
          inverso = (std::int64_t{1} << 40) / periodo;
        }
      }
    }
    pos += m;
    if (pos > cabida || m == 0) {
      pos = std::min(pos, cabida);
      if (pos == cabida) {
        break;
      }
      continue;
    }
    bytes[(pos - 1) / 8] =
        static_cast<std::uint8_t>(bytes[(pos - 1) / 8] | (1u << ((pos - 1) % 8)));
  }
  r.periodo = periodo;
  r.inverso = inverso;
  r.fase = fase;
  r.pos = pos;
  r.cuenta = cuenta;
  r.t = t;
  return r;
}

} // namespace

CeldasPista CeldasDeFlujo(const PistaFlujo &p, double nsCelda) {
  CeldasPista c;
  c.cilindro = p.cilindro;
  c.cara = p.cara;
  c.nsPorCelda = nsCelda;
  const double nominal = nsCelda / p.nsPorTick;
  const double minimo = nominal * (1.0 - Margen), maximo = nominal * (1.0 + Margen);
  std::uint64_t total = 0;
  for (const std::uint32_t x : p.intervalos) {
    total += x;
  }
  // Each transition adds at most half a cell to its time's share: room for
  // every cell, so that the loop never grows the buffer.
  const auto cabida = std::min<std::size_t>(
      static_cast<std::size_t>(static_cast<double>(total) / minimo) + p.intervalos.size() / 2 + 64,
      MaxCeldas);
  c.bytes.assign(cabida / 8 + 1, 0);
  std::uint8_t *const bytes = c.bytes.data();
  Reloj r;
  r.periodo = static_cast<std::int64_t>(nominal * Uno);
  r.inverso = (std::int64_t{1} << 40) / std::max<std::int64_t>(r.periodo, 1);
  r.minimo = static_cast<std::int64_t>(minimo * Uno);
  r.maximo = static_cast<std::int64_t>(maximo * Uno);
  for (std::size_t n = 1; n < r.ganancia.size(); ++n) {
    r.ganancia[n] = static_cast<std::int64_t>(GananciaFrecuencia / static_cast<double>(n) * Uno);
  }
  // From index pulse to index pulse, the flux between them in one go.
  std::size_t i = 0, k = 0;
  while (i < p.intervalos.size() && r.pos < cabida) {
    std::size_t hasta = p.intervalos.size();
    if (k < p.indices.size()) {
      // The transitions wholly before the next pulse.
      std::uint64_t t = r.t;
      hasta = i;
      while (hasta < p.intervalos.size() && t + p.intervalos[hasta] < p.indices[k]) {
        t += p.intervalos[hasta++];
      }
    }
    r = Seguir(r, p.intervalos.data() + i, hasta - i, bytes, cabida);
    i = hasta;
    if (k < p.indices.size() && i < p.intervalos.size()) {
      // The pulse falls within the next interval.
      const double dentro =
          static_cast<double>(r.fase) / Uno + static_cast<double>(p.indices[k] - r.t);
      c.indices.push_back(r.pos +
                          static_cast<std::size_t>(dentro * Uno / static_cast<double>(r.periodo)));
      ++k;
      r = Seguir(r, p.intervalos.data() + i, 1, bytes, cabida);
      ++i;
    }
  }
  std::size_t pos = r.pos;
  for (; k < p.indices.size(); ++k) {
    c.indices.push_back(pos);
  }
  // A pulse can never lie past the cells: a damaged dump may say so.
  for (std::size_t &x : c.indices) {
    x = std::min(x, pos);
  }
  c.total = pos;
  c.bytes.resize(pos / 8 + 1);
  return c;
}

} // namespace flujo
