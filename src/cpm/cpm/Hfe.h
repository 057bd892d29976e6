#pragma once

#include "cpm/Problema.h"
#include "cpm/Superficie.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// HFE v1 ("HXCPICFE"), the image of the HxC floppy emulator and of the
// Gotek's FlashFloppy firmware: each track as the bit cells a drive's head
// would see, MFM at 250 kbit/s, as the CPC's FDC (a uPD765) writes them.
//
// What it can carry of a DSK image: every sector's ID, size and data, in the
// stored order; a bad CRC in the ID or the data field (written wrong on
// purpose, so the FDC reports it again: ST1 bit 5, and ST2 bit 5 for the
// data); a deleted data mark (ST2 bit 6); an ID without a data field (ST1 and
// ST2 bit 0). What it cannot: the copies of a weak sector (v1 stores one bit
// stream, so one copy), other FDC status bits (the FDC sets them as it reads),
// a sector whose stored bytes are not its size code's, bytes after the last
// track, and FM tracks.
namespace cpm {

constexpr std::string_view FirmaHfe = "HXCPICFE";

// True when the bytes start with an HFE signature, v1 or v3.
bool EsHfe(std::span<const std::uint8_t> bytes);

// The HFE image of a disk, every side of every track encoded as the FDC
// formats it (gaps, syncs, address marks and CRCs), its sectors in stored
// order. A track a revolution cannot hold is written longer.
std::vector<std::uint8_t> EscribirHfe(const Superficie &disco);

struct LecturaHfe {
  std::optional<Superficie> disco; // nothing: not an HFE v1 image that can be decoded
  std::string error;               // why not, in Spanish
  Problemas problemas;             // what could not be read whole
};

// Decodes every track back into sectors, as the FDC would find them: an ID
// field after three A1 syncs and FE, its data field after the next syncs and
// FB or F8; bad CRCs, missing data fields and deleted marks become the status
// bits above. Never throws for damaged input.
LecturaHfe LeerHfe(std::span<const std::uint8_t> bytes);

// One side's MFM cells (the first in bit 0 of the first byte, as HFE stores
// them) decoded as the FDC finds its sectors going round once from the first
// cell, as LeerHfe decodes each side. `inicios`, when given, gets the cell
// where each sector's ID syncs begin, for a reader of several revolutions.
PistaSuperficie DecodificarMfm(std::span<const std::uint8_t> celdas, int pista, int cara,
                               Problemas &problemas, std::vector<std::size_t> *inicios = nullptr);

// CRC-CCITT (polynomial 0x1021, preset 0xFFFF) as the FDC computes it over a
// field, its address mark and the three syncs before it included.
std::uint16_t CrcCcitt(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

} // namespace cpm
