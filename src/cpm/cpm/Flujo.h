#pragma once

#include "cpm/Comparacion.h"
#include "cpm/Problema.h"
#include "cpm/Superficie.h"

#include "flujo/Flujo.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Disks read from flux and bitstream dumps (SCP, KryoFlux streams, HFE v3):
// every side's flux through the PLL into cells, and the cells of every
// revolution through the MFM decoder, as the FDC would find the sectors on
// each pass; what the passes agree on is the disk.
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
namespace cpm {

enum class TipoFlujo { Scp, KryoFlux, HfeV3 };

// "SCP", "KryoFlux" and "HFE v3", for messages.
std::string_view NombreFlujo(TipoFlujo tipo);
// What a dump's first bytes say it is.
std::optional<TipoFlujo> TipoFlujoDeBytes(std::span<const std::uint8_t> principio);

struct LecturaFlujo {
  std::optional<Superficie> disco; // nothing: the dump cannot be read
  std::string error;               // why not, in Spanish
  Problemas notas;                 // what the reading had to say
  // What no sector image can keep of it (an FM track), for convert's list.
  std::vector<Diferencia> perdidas;
};

// An SCP file, read a track at a time.
LecturaFlujo LeerScpDisco(flujo::Fuente &fuente);

// A set of KryoFlux stream files: each side's bytes loaded only when its turn
// comes. `cargar` fills the bytes or says why it could not.
struct ArchivoStream {
  int cilindro = 0, cara = 0;
  std::function<std::string(std::vector<std::uint8_t> &)> cargar;
};
LecturaFlujo LeerStreamsDisco(const std::vector<ArchivoStream> &archivos);

// An HFE v3 image.
LecturaFlujo LeerHfeV3Disco(std::span<const std::uint8_t> bytes);

// One side's cells over all their revolutions, as the FDC reads it pass after
// pass; notes go to `notas`. The heart of the three readers above.
PistaSuperficie SectoresDeVueltas(const flujo::CeldasPista &celdas, Problemas &notas);

} // namespace cpm
