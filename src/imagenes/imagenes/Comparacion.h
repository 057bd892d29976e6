#pragma once

#include "imagenes/Superficie.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Whether two images hold the same disk, sector by sector (the file system
// compares them file by file: cpm/Comparacion.h).
namespace imagenes {

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
// and filler. A track without sectors and one that is not formatted, or not there, are the same to
// a drive and compare equal. Nothing when the disks are the same.
std::vector<Diferencia> CompararSuperficies(const Superficie &a, const Superficie &b,
                                            const OpcionesComparacion &opciones = {});

// The pieces of a difference's text, for the file system's comparison too:
// "A en la primera, B en la segunda"; "512 bytes en A, 0 en B; distintos desde
// el byte 7" (empty when the bytes are the same); where two strings first differ.
std::string TextoPar(const std::string &a, const std::string &b, const OpcionesComparacion &o);
std::string TextoBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                       const OpcionesComparacion &o, const char *que);
std::size_t PrimeraDistinta(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

} // namespace imagenes
