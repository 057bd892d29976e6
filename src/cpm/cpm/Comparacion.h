#pragma once

#include "cpm/Disco.h"
#include "imagenes/Comparacion.h"

#include <string>
#include <vector>

// Whether two disks hold the same files (sector by sector: imagenes/Comparacion.h).
namespace cpm {

struct ComparacionArchivos {
  std::vector<imagenes::Diferencia> diferencias;
  // What could not be compared: files that cannot be read whole. Two such
  // disks may still differ where they could not be read.
  std::vector<std::string> dudas;
};

// The same files (by user and name) with the same attributes and the same
// bytes, AMSDOS header included, as `get --raw` extracts them. Both disks need
// a format.
ComparacionArchivos CompararArchivos(const Disco &a, const Disco &b,
                                     const imagenes::OpcionesComparacion &opciones = {});

} // namespace cpm
