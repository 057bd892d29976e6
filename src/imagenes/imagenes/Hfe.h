#pragma once

#include "imagenes/Comparacion.h"
#include "imagenes/Superficie.h"

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
namespace imagenes {

constexpr std::string_view FirmaHfe = "HXCPICFE";

// True when the bytes start with an HFE signature, v1 or v3.
bool EsHfe(std::span<const std::uint8_t> bytes);

// The HFE image of a disk, every side of every track encoded as the FDC
// formats it (gaps, syncs, address marks and CRCs), its sectors in stored
// order. A track a revolution cannot hold is written longer.
std::vector<std::uint8_t> EscribirHfe(const Superficie &disco);

// Decodes every side of every track back into sectors, as the FDC finds
// them (mfm::DecodificarPista); nothing when the bytes are not an HFE v1
// image of MFM tracks, with the reason. Never throws for damaged input.
Lectura LeerHfe(std::span<const std::uint8_t> bytes);

// What HFE cannot hold though its reading gives it back: FM tracks.
void LimitesHfe(const Superficie &s, std::vector<Diferencia> &perdidas);

} // namespace imagenes
