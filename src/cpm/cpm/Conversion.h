#pragma once

#include "imagenes/Conversion.h"

#include <cstdint>
#include <span>
#include <string>

// Converting between kinds of image (imagenes/Conversion.h) with a raw dump's
// format named from the reader's table or, to write one, told from the disk.
namespace cpm {

struct OpcionesConversion {
  const imagenes::Tipo *destino = nullptr;
  bool forzar = false; // make the image even when something is lost (the list says what)
  // A raw dump's format: needed to read one; to write one, the disk's own (as
  // detected) when empty.
  std::string formato;
  std::string version; // "Alcove " + version in the creator field, where the source has none
};

imagenes::Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &opciones);

} // namespace cpm
