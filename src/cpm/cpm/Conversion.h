#pragma once

#include "cpm/Comparacion.h"
#include "cpm/Problema.h"
#include "cpm/Proteccion.h"
#include "cpm/Superficie.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Converting a disk from one kind of image to another without losing a mark:
// the new image is made, read back as it will be read, and compared sector by
// sector with the source; whatever differs is what would be lost, and without
// `forzar` nothing is made then.
namespace cpm {

enum class TipoImagen { Extendida, Estandar, Hfe, Crudo };

// "extendido", "estandar", "hfe", "raw": the names convert's --a takes.
std::string_view NombreTipo(TipoImagen tipo);
std::optional<TipoImagen> TipoPorNombre(std::string_view nombre);
// What the bytes are by their signature: a DSK layout or HFE; nothing for
// anything else (a raw dump has no signature).
std::optional<TipoImagen> TipoDeBytes(std::span<const std::uint8_t> bytes);

struct LecturaImagen {
  std::optional<Superficie> disco; // nothing: it cannot be read as that kind
  std::string error;               // why not, in Spanish
  Problemas problemas;             // of the reading
};

// Any kind of image as tracks and sectors. A raw dump needs `formato`, a
// name of the reader's table; `version` goes into the creator field of the
// image it is read as.
LecturaImagen LeerImagen(std::span<const std::uint8_t> bytes, TipoImagen tipo,
                         const std::string &formato = {}, const std::string &version = {});

struct OpcionesConversion {
  TipoImagen destino = TipoImagen::Extendida;
  bool forzar = false; // make the image even when something is lost (the list says what)
  // A raw dump's format: needed to read one; to write one, the disk's own
  // (as detected) when empty.
  std::string formato;
  std::string version; // "Alcove " + version in the creator field, where the source has none
  // An incomplete dump completed first (CompletarVolcado); refused when it
  // cannot be.
  bool completar = false;
};

struct Conversion {
  std::vector<std::uint8_t> bytes;  // the new image; empty when not made
  std::vector<Diferencia> perdidas; // what it does not hold as the source does, per track
  std::string error;                // why it was not made, in Spanish; empty when made
  std::optional<TipoImagen> origen; // what the source was read as
  std::vector<Prueba> anadidos;     // what the completion added, sector by sector
  [[nodiscard]] bool Hecha() const { return error.empty(); }
};

// The source's kind is told by its signature; a source with none is read as
// a raw dump of `formato` when one is named.
Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &opciones);

} // namespace cpm
