#pragma once

#include <cstddef>
#include <string_view>

// The byte layout of CPCEMU disk images, the standard ("MV - CPCEMU") and the
// extended ("EXTENDED CPC DSK") one, for every reader and writer of them. The
// generator in tools/dskgen keeps its own on purpose: it is the tests' oracle.
namespace cpcemu {

// The Disk-Info block.
constexpr std::size_t TamanoDiskInfo = 256;
constexpr std::string_view FirmaEstandar = "MV - CPCEMU Disk-File\r\nDisk-Info\r\n";
constexpr std::string_view FirmaExtendida = "EXTENDED CPC DSK File\r\nDisk-Info\r\n";
// What tells the layouts apart: the start of each signature (emulators write
// the rest in many ways).
constexpr std::string_view InicioEstandar = FirmaEstandar.substr(0, 8);   // "MV - CPC"
constexpr std::string_view InicioExtendida = FirmaExtendida.substr(0, 8); // "EXTENDED"
// The layouts' names, as their signatures start.
constexpr std::string_view NombreEstandar = FirmaEstandar.substr(0, 11);   // "MV - CPCEMU"
constexpr std::string_view NombreExtendida = FirmaExtendida.substr(0, 16); // "EXTENDED CPC DSK"
constexpr std::size_t PosFirma = 0, LargoFirma = 34;
constexpr std::size_t PosCreador = 34, LargoCreador = 14;
constexpr std::size_t PosPistas = 48, PosCaras = 49, PosTamanoPista = 50, PosTablaTamanos = 52;
constexpr std::size_t MaxEntradasTabla = TamanoDiskInfo - PosTablaTamanos; // 204 tracks

// The Track-Info block.
constexpr std::size_t TamanoTrackInfo = 256;
constexpr std::string_view FirmaPista = "Track-Info\r\n";
constexpr std::string_view InicioPista = FirmaPista.substr(0, 10); // "Track-Info"
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

} // namespace cpcemu
