#pragma once

#include "cpm/Comparacion.h"
#include "cpm/Problema.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Flux dumps wherever an image may stand: an SCP or HFE v3 file, a KryoFlux
// stream file (trackNN.S.raw, which brings the rest of its set) or the folder
// of a set. Each is decoded once into an extended DSK image, which every
// command then reads as it reads any other.
namespace Cli {

struct FlujoCargado {
  std::string tipo;                      // "SCP", "KryoFlux", "HFE v3"
  cpm::Problemas notas;                  // what the reading had to say
  std::vector<cpm::Diferencia> perdidas; // what no sector image keeps of it
};

// Nothing when `ruta` is no flux dump (nothing is read but its first bytes).
// Otherwise the extended image's bytes go into `dsk`, and the result is empty
// or why the dump could not be read.
std::optional<std::string> CargarFlujo(const std::string &ruta, std::vector<std::uint8_t> &dsk,
                                       FlujoCargado &flujo);

} // namespace Cli
