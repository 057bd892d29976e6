#pragma once

#include "cli/Programa.h"

#include <span>
#include <string>

// convert and cmp: one image into another kind without losing a mark, and
// whether two images hold the same disk.
namespace Cli {

struct OrdenConvert {
  std::string origen;
  std::string destino;
  std::string tipo;        // --a: extendido, estandar, hfe or raw; empty: from DESTINO's extension
  std::string formato;     // a raw dump's
  bool forzar = false;     // written even when something is lost
  bool reemplazar = false; // an existing DESTINO replaced
  bool completar = false;  // an incomplete dump of a known protection completed first
};
// 0 written; 1 refused (nothing written) or the source cannot be read; 2 usage.
int EjecutarConvert(const OrdenConvert &orden);

struct OrdenCmp {
  std::string imagen1;
  std::string imagen2;
  std::string formato;
  bool sectores = false;
};
// As cmp: 0 the same disk, 1 different, 2 usage, or an image that cannot be
// read or compared whole.
int EjecutarCmp(const OrdenCmp &orden);

// The two commands, in the order the help lists them.
std::span<const DefinicionOrden> OrdenesDeConversion();

} // namespace Cli
