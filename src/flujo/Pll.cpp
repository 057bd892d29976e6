#include "flujo/Pll.h"

#include <algorithm>

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
  const auto estimadas = static_cast<std::size_t>(static_cast<double>(total) / minimo) + 64;
  c.bytes.assign(std::min(estimadas, MaxCeldas) / 8 + 1, 0);
  double periodo = nominal;
  double fase = 0; // ticks since the clock's last cell boundary
  std::uint64_t t = 0;
  std::size_t pos = 0, k = 0;
  for (const std::uint32_t x : p.intervalos) {
    while (k < p.indices.size() && p.indices[k] <= t + x) {
      const double dentro = fase + static_cast<double>(p.indices[k] - t);
      c.indices.push_back(pos + static_cast<std::size_t>(dentro / periodo));
      ++k;
    }
    t += x;
    fase += x;
    if (fase < periodo * 0.5) {
      continue; // too close to the last one to be a cell of its own
    }
    const double celdas = fase / periodo;
    std::size_t n = 0;
    if (celdas > MaxCeldasEntre) {
      n = static_cast<std::size_t>(celdas + 0.5);
      fase = 0;
    } else {
      n = static_cast<std::size_t>(celdas + 0.5);
      const double error = fase - static_cast<double>(n) * periodo;
      periodo =
          std::clamp(periodo + error * GananciaFrecuencia / static_cast<double>(n), minimo, maximo);
      fase = error * (1.0 - GananciaFase);
    }
    pos += n;
    if (pos > MaxCeldas) {
      pos = MaxCeldas;
      break;
    }
    if (pos / 8 >= c.bytes.size()) {
      c.bytes.resize(std::min(MaxCeldas / 8 + 1, std::max(c.bytes.size() * 2, pos / 8 + 1)), 0);
    }
    c.bytes[(pos - 1) / 8] =
        static_cast<std::uint8_t>(c.bytes[(pos - 1) / 8] | (1u << ((pos - 1) % 8)));
  }
  for (; k < p.indices.size(); ++k) {
    c.indices.push_back(pos);
  }
  c.total = pos;
  c.bytes.resize(pos / 8 + 1);
  return c;
}

} // namespace flujo
