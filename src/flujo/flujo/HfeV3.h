#pragma once

#include "flujo/Flujo.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// HFE v3 ("HXCHFEV3"): HFE v1's header, track table and 512-byte blocks (256
// bytes of each side in turn, the first cell in bit 0 of a byte), with
// opcodes among the cells. A byte whose first four cells are all 1, which MFM
// never writes, is an opcode: NOP, the index here, a new bit rate (one byte
// more), skip some cells of the next byte (one byte more, then that byte), and
// a byte of random cells, a weak span that reads differently every time.
namespace flujo {

constexpr std::string_view FirmaHfeV3 = "HXCHFEV3";

struct LecturaHfeV3 {
  int pistas = 0;
  int caras = 0;
  bool fm = false;                // the header says the tracks are FM
  std::vector<CeldasPista> lados; // every side of every track, in order
  std::string error;              // not empty: not an HFE v3 image that can be read
  Avisos avisos;
};

LecturaHfeV3 LeerHfeV3(std::span<const std::uint8_t> bytes);

// One side's bytes as stored, its opcodes carried out.
CeldasPista CeldasHfeV3(std::span<const std::uint8_t> lado, Avisos &avisos);

} // namespace flujo
