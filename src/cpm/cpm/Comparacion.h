#pragma once

#include "cpm/Disco.h"
#include "cpm/Superficie.h"

#include <string>
#include <vector>

// Whether two images hold the same disk: sector by sector, or file by file.
namespace cpm {

struct Diferencia {
  int pista = -1, cara = -1; // -1: not of one track (bytes after the last track, a file)
  int sector = -1;           // the sector's ID (R), or -1
  std::string texto;         // Spanish, one line, saying where first: "pista 5, cara 0, ..."
};

struct OpcionesComparacion {
  // How the texts name the two images: "3 copias en el origen, 1 en el destino".
  std::string nombreA = "la primera";
  std::string nombreB = "la segunda";
  // Sectors matched by ID only, their order on the track left aside (a raw
  // dump keeps none).
  bool porId = false;
  // Each formatted track's GAP#3 and filler too, as a DSK keeps them in its
  // Track-Info block (other kinds of image do not keep them).
  bool cabecerasPista = false;
};

// Every track, the IDs and order of its sectors, and of each sector its ID,
// FDC status, copies and every stored byte (the first differing offset told);
// the bytes after the last track; with `cabecerasPista`, each track's GAP#3
// and filler. A track without sectors and one that is not
// formatted, or not there, are the same to a drive and compare equal. Nothing
// when the disks are the same.
std::vector<Diferencia> CompararSuperficies(const Superficie &a, const Superficie &b,
                                            const OpcionesComparacion &opciones = {});

struct ComparacionArchivos {
  std::vector<Diferencia> diferencias;
  // What could not be compared: files that cannot be read whole. Two such
  // disks may still differ where they could not be read.
  std::vector<std::string> dudas;
};

// The same files (by user and name) with the same attributes and the same
// bytes, AMSDOS header included, as `get --raw` extracts them. Both disks need
// a format.
ComparacionArchivos CompararArchivos(const Disco &a, const Disco &b,
                                     const OpcionesComparacion &opciones = {});

} // namespace cpm
