#pragma once

#include "cpm/Disco.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A map of the disk as the window draws it: every track by side, each sector
// with its stored size and what it is, and the file each data sector belongs
// to. Plain data from one reading; the drawing is the window's.
namespace cpm {

enum class ClaseSector {
  Sistema,  // on the format's reserved tracks (the boot and the system)
  Catalogo, // in the catalogue's blocks
  Archivo,  // in a block some file holds
  Libre,    // in a block no file holds
  Ajeno,    // an ID the format does not use, or on a track past it
  Error,    // read with a CRC or missing-mark error (ST1/ST2)
  Borrado,  // its data mark says deleted (ST2 &40)
  Debil,    // stored as several copies that differ
};

struct SectorMapa {
  std::uint8_t id = 0;       // R
  std::size_t guardados = 0; // bytes stored (its size on the map)
  ClaseSector clase = ClaseSector::Ajeno;
  int archivo = -1; // index in the reading's catalogue.archivos; -1 none
  int bloque = -1;  // the file system's block; -1 outside it
};

struct PistaMapa {
  int pista = 0;
  int cara = 0;
  bool formateada = false;
  std::vector<SectorMapa> sectores; // in stored order
};

struct MapaDisco {
  int pistas = 0;
  int caras = 0;
  std::vector<PistaMapa> lista; // index pista * caras + cara
};

// The map of `disco`. What a sector's status says goes before what it holds:
// a file's sector read with an error is an error on the map, and still names
// its file. Without a format every sector is Ajeno but for its status.
MapaDisco Mapear(const Disco &disco);

} // namespace cpm
