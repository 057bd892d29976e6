#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What a flux reader hands on: one side of one track as the drive's head saw
// it, the time between each flux transition and the next, and where the index
// hole passed. Nothing here knows what the flux encodes.
namespace flujo {

// Bytes of a dump read piece by piece: a flux dump of a whole disk (an
// 84-track, 5-revolution SCP is some 70 MB) is far larger than what decoding
// it needs, one track at a time.
class Fuente {
public:
  virtual ~Fuente() = default;
  [[nodiscard]] virtual std::uint64_t Tamano() const = 0;
  // Up to `largo` bytes from `desde` (fewer past the end), valid until the
  // next call. A failure to read gives fewer bytes and sets Fallo().
  virtual std::span<const std::uint8_t> Leer(std::uint64_t desde, std::size_t largo) = 0;
  [[nodiscard]] virtual const std::string &Fallo() const = 0;
};

// The bytes already in memory.
class FuenteMemoria final : public Fuente {
public:
  explicit FuenteMemoria(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  [[nodiscard]] std::uint64_t Tamano() const override { return bytes_.size(); }
  std::span<const std::uint8_t> Leer(std::uint64_t desde, std::size_t largo) override;
  [[nodiscard]] const std::string &Fallo() const override { return fallo_; }

private:
  std::span<const std::uint8_t> bytes_;
  std::string fallo_;
};

// Something a reader could not take as it is, said in Spanish; -1 where a
// coordinate does not apply.
struct Aviso {
  int cilindro = -1;
  int cara = -1;
  std::string texto;
};
using Avisos = std::vector<Aviso>;

// One side of a track: the intervals between flux transitions, in ticks of
// the dump's sample clock, and the tick times of the index pulses counted from
// the start of the first interval.
struct PistaFlujo {
  int cilindro = 0;
  int cara = 0;
  double nsPorTick = 25.0;
  std::vector<std::uint32_t> intervalos;
  std::vector<std::uint64_t> indices;
  // A revolution's time as the dump's header gives it, in ticks; 0 when it does not.
  std::uint64_t ticksVuelta = 0;
};

// The same side as bit cells: 1 where a cell holds a flux transition. The
// first cell is bit 0 of the first byte, as HFE stores cells.
struct CeldasPista {
  int cilindro = 0;
  int cara = 0;
  std::vector<std::uint8_t> bytes;
  std::size_t total = 0;            // cells
  std::vector<std::size_t> indices; // the cell at each index pulse
  double nsPorCelda = 2000.0;       // the cell the PLL locked on, at the start
  // Spans of cells a dump marks as reading differently each time (HFE v3's
  // random opcode): each is [inicio, inicio + largo).
  struct Tramo {
    std::size_t inicio = 0, largo = 0;
  };
  std::vector<Tramo> debiles;

  [[nodiscard]] bool Celda(std::size_t i) const {
    return i < total && ((bytes[i / 8] >> (i % 8)) & 1) != 0;
  }
};

} // namespace flujo
