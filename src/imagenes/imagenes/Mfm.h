#pragma once

#include "imagenes/Problema.h"
#include "imagenes/Superficie.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The MFM bit cells of a track, for every kind of image that keeps a track as
// cells or flux (HFE here): a track written as the CPC's FDC (a uPD765) formats
// it, and cells read back into sectors as the FDC finds them. Plain functions
// over bytes, apart from any container.
namespace imagenes::mfm {

// Where a byte keeps its first cell: in bit 0 (HFE), or in bit 7 (a plain bit
// stream, as flux is decoded to).
enum class Orden { PrimeraEnBit0, PrimeraEnBit7 };

// A decoded byte is 16 cells: its 8 data bits, each after its clock bit.
constexpr std::size_t CeldasPorByte = 16;
// A revolution at 300 rpm and 250 kbit/s: 100,000 cells, 6,250 decoded bytes.
constexpr std::size_t BytesVuelta = 6250;

// The cells of a track (`bytes` decoded bytes' worth of cells, two bytes each):
// GAP 4a, the index mark, GAP 1, and for each sector in stored order its ID
// field, GAP 2, its data field and GAP 3 (the track's, smaller when a
// revolution would not hold the track, which is otherwise longer than one),
// &4E to the end of the revolution. What the FDC reported of a sector is
// written so that it reports it again: a bad CRC in the ID (ST1 bit 5 alone)
// or the data (ST1 and ST2 bit 5), a deleted mark (ST2 bit 6), an ID without
// a data field (ST1 and ST2 bit 0, or no bytes). A data field holds the first
// copy, filled to its size code's length. Nothing is written past `maxBytes`
// decoded bytes. An unformatted track (nullptr, or not formatted) is a
// revolution without flux: all cells 0.
std::vector<std::uint8_t> CodificarPista(const PistaSuperficie *pista, Orden orden,
                                         std::size_t maxBytes);
// `bytes` decoded bytes of the gap's &4E, to lengthen a track.
std::vector<std::uint8_t> CeldasDeRelleno(std::size_t bytes, Orden orden);

// The sectors of one revolution's cells, as the FDC finds them from the
// index: an ID field after three A1 syncs and FE; its data field after the
// next syncs and FB or F8 within 60 bytes; each data field read whole with its
// CRC, and the next ID looked for after it. A field longer than what is left
// of the revolution is read on past the index, from the first cell again,
// which ends the revolution (a problem says so). Bad CRCs, missing data fields
// and deleted marks become the status bits above; GAP#3 is measured between
// the first two sectors. Never throws for damaged cells; `pista` and `cara`
// name the track in the problems.
PistaSuperficie DecodificarPista(std::span<const std::uint8_t> celdas, Orden orden, int pista,
                                 int cara, Problemas &problemas);

// CRC-CCITT (polynomial 0x1021, preset 0xFFFF) as the FDC computes it over a
// field, its address mark and the three syncs before it included.
std::uint16_t CrcCcitt(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

} // namespace imagenes::mfm
