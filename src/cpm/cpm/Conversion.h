#pragma once

#include "cpm/Proteccion.h"
#include "imagenes/Conversion.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Converting between kinds of image (imagenes/Conversion.h) with a raw dump's
// format named from the reader's table or, to write one, told from the disk;
// the protections a loss takes with it said, and an incomplete dump of a known
// protection completed first when asked.
namespace cpm {

struct OpcionesConversion {
  const imagenes::Tipo *destino = nullptr;
  bool forzar = false; // make the image even when something is lost (the list says what)
  // A raw dump's format: needed to read one; to write one, the disk's own (as
  // detected) when empty.
  std::string formato;
  std::string version; // "Alcove " + version in the creator field, where the source has none
  // An incomplete dump completed first (CompletarVolcado); refused when it
  // cannot be.
  bool completar = false;
};

struct Conversion : imagenes::Conversion {
  std::vector<Prueba> anadidos; // what the completion added, sector by sector
};

Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &opciones);

} // namespace cpm
