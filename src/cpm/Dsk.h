#pragma once

#include <cstddef>
#include <string_view>

// The byte layout of CPCEMU images, for the writers of images in this library.
namespace cpm::dsk {

// The Disk-Info block.
constexpr std::size_t TamanoDiskInfo = 256;
constexpr std::string_view FirmaEstandar = "MV - CPCEMU Disk-File\r\nDisk-Info\r\n";
constexpr std::string_view FirmaExtendida = "EXTENDED CPC DSK File\r\nDisk-Info\r\n";
constexpr std::size_t PosPistas = 48, PosCaras = 49, PosTamanoPista = 50, PosTablaTamanos = 52;
constexpr std::size_t MaxEntradasTabla = TamanoDiskInfo - PosTablaTamanos; // 204 tracks

// The Track-Info block.
constexpr std::size_t TamanoTrackInfo = 256;
constexpr std::string_view FirmaPista = "Track-Info\r\n";
constexpr std::size_t PosPistaTI = 16, PosCaraTI = 17, PosTasaTI = 18, PosGrabacionTI = 19;
constexpr std::size_t PosCodigoTI = 20, PosSectoresTI = 21, PosGapTI = 22, PosRellenoTI = 23;
constexpr std::size_t PosListaTI = 24, LargoInfoSector = 8, PosLongitudInfo = 6;
constexpr std::size_t MaxSectores = 255;

// Where a track's sector data starts: after the block, or after the list when
// more than 29 sectors push it past 256 bytes (to the next multiple of 256).
constexpr std::size_t InicioDatos(std::size_t sectores) {
  const std::size_t finLista = PosListaTI + sectores * LargoInfoSector;
  return finLista <= TamanoTrackInfo ? TamanoTrackInfo : (finLista + 255) / 256 * 256;
}

} // namespace cpm::dsk
