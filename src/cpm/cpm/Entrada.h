#pragma once

#include <cstddef>
#include <cstdint>

// The 32-byte CP/M catalogue entry, as every reader and writer of the
// catalogue takes it apart: byte 0 the user (or &E5, deleted), 1..8 the name,
// 9..11 the extension with the attributes in their top bits, then the extent
// counters, the record count and the block numbers.
namespace cpm::entrada {

constexpr std::size_t TamanoEntrada = 32;
constexpr std::size_t PosUsuario = 0, PosNombre = 1, LargoNombre = 8, LargoNombreExt = 11;
constexpr std::size_t PosSoloLectura = 9, PosSistema = 10, PosArchivado = 11;
constexpr std::size_t PosEx = 12, PosS1 = 13, PosS2 = 14, PosRc = 15, PosBloques = 16;
constexpr std::size_t LargoBloques = 16;
constexpr std::uint8_t Borrada = 0xE5;
constexpr std::uint8_t BitAtributo = 0x80;
constexpr std::uint8_t MaskEx = 0x1F, MaskS2 = 0x3F;
constexpr int MaxUsuario = 15;

} // namespace cpm::entrada
