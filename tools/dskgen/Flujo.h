#pragma once

#include "Generador.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Flux of a generated disk as a drive reading it would give it, written as an
// SCP image or a set of KryoFlux stream files, for the flux readers' tests
// and benchmarks. Each track is laid out as the uPD765 formats it in MFM
// (GAP 4a, the index mark, then each sector's ID and data fields with their
// syncs, CRCs and gaps), its status bytes written in: a bad ID or data CRC,
// a deleted mark, no data field. A weak sector gives its copies in turn, one
// each revolution. The encoder is this generator's own, apart from the
// library's, so that the tests read flux they did not write themselves.
namespace Generador {

struct OpcionesFlujo {
  int vueltas = 2;
  double deriva = 0.0;  // the drive's speed wanders this share either way (0.02: 2%)
  double temblor = 0.0; // ns of random jitter on each transition, either way
  bool rpm360 = false;  // read in a 360 rpm drive
  std::uint32_t semilla = 1;
  // Spans of a sector's data written as random flux, different every revolution.
  struct Debil {
    int pista = 0, cara = 0;
    std::uint8_t id = 0;
    std::size_t desde = 0, largo = 0;
  };
  std::vector<Debil> debiles;
  std::vector<std::pair<int, int>> sinFlujo; // sides with no transition at all
  std::vector<std::pair<int, int>> fuera;    // sides left out of the dump
  // Edge cases of dumps: the last revolution cut this share short (0: whole);
  // a stream's index pulse left out (-1: none); a track whose sectors do not fit
  // a revolution written on past the index, over its own start.
  double cortarUltima = 0.0;
  int sinIndice = -1;
};

// One side of a track as bit cells (1: a transition), 100,000 for a revolution
// at 300 rpm; the sectors of a weak sector's copy `vuelta % copias`.
std::vector<std::uint8_t> CeldasPista(const DiscoCpm::PistaFinal &pista, int vuelta);

// A DATA-like disk of `pistas` tracks on `caras` sides (2 KB blocks on two),
// interleaved as AMSDOS formats it and full of 16 KB files of their own
// bytes: what the flux samples and benchmarks dump.
DiscoCpm DiscoLleno(int pistas, int caras);

std::vector<std::uint8_t> EscribirScp(const DiscoCpm &disco, const OpcionesFlujo &opciones);

// An HFE v3 image of the disk (one revolution a side): the index opcode
// first, a few cells skipped in GAP 4a (which shifts every byte after it off
// its boundary), NOPs, and random-byte opcodes over the weak spans.
std::vector<std::uint8_t> EscribirHfeV3(const DiscoCpm &disco, const OpcionesFlujo &opciones);

// Files by name and their bytes.
using Archivos = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

// Every stream file, "trackNN.S.raw" and its bytes, in track order.
Archivos EscribirStreams(const DiscoCpm &disco, const OpcionesFlujo &opciones);

} // namespace Generador
