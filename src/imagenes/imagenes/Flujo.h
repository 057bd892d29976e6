#pragma once

#include "imagenes/Problema.h"
#include "imagenes/Superficie.h"

#include "flujo/Flujo.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Disks read from flux and bitstream dumps (SCP, KryoFlux streams, HFE v3,
// each a kind of its own file and row): every side's flux through the PLL
// into cells, and the cells of every revolution through the MFM decoder
// (imagenes/Mfm.h), as the FDC would find the sectors on each pass; what the
// passes agree on is the disk.
//
// Over the revolutions of a side, each sector (matched by where it lies from
// the index) is:
// - the same on every pass: stored once, with the status the FDC gives it;
// - read well on some passes and not on others (a bad CRC, a missing data
//   mark, a pass cut at the dump's end): the good reading, and a note says
//   on which passes it failed;
// - read differently on every pass: weak; every distinct reading is a copy,
//   in the order first read, with the data error the FDC reports.
// An ID without a data field, a bad ID or data CRC, a deleted mark, a
// repeated ID and a sector whose size code runs into the gap read as the FDC
// reports them (ST1/ST2). Tracks without flux, FM tracks and drives that are
// not at 300 rpm are said, never guessed.
namespace imagenes {

// One side's cells over all their revolutions, as the FDC reads it pass after
// pass; notes go to `notas`. The heart of every flux kind's reader.
PistaSuperficie SectoresDeVueltas(const flujo::CeldasPista &celdas, Problemas &notas);

// The disk as a flux reader decodes its sides, one at a time, so that only
// one side's flux is ever in memory.
class DiscoDeFlujo {
public:
  // What the reader could not take as it was.
  void Avisos(const flujo::Avisos &avisos);
  // A side's flux: its speed from its revolutions, then cells and sectors.
  void Flujo(const flujo::PistaFlujo &flujo);
  // A side already as cells (a bitstream).
  void Celdas(const flujo::CeldasPista &celdas);
  // A side as it is (a stream that cannot be read: unformatted).
  void Poner(int cilindro, int cara, PistaSuperficie pista);
  // The disk: as many tracks and sides as were dumped (at least `caras`
  // sides); a track missing between them is said and left unformatted.
  // `error`, when not empty, is why the dump could not be read.
  Lectura Terminar(int caras, std::string error = {});

private:
  Lectura r_;
  std::map<std::pair<int, int>, PistaSuperficie> pistas_;
  bool rpm360_ = false, velocidadRara_ = false;
};

// A plain file read a piece at a time, as a dump far larger than its disk is
// read (an 84-track, 5-revolution SCP is some 70 MB).
class FuenteArchivo final : public flujo::Fuente {
public:
  FuenteArchivo(std::string ruta, std::uint64_t tamano) : ruta_(std::move(ruta)), tamano_(tamano) {}
  [[nodiscard]] std::uint64_t Tamano() const override { return tamano_; }
  std::span<const std::uint8_t> Leer(std::uint64_t desde, std::size_t largo) override;
  [[nodiscard]] const std::string &Fallo() const override { return fallo_; }

private:
  std::string ruta_;
  std::uint64_t tamano_;
  std::vector<std::uint8_t> buffer_;
  std::string fallo_;
};

} // namespace imagenes
