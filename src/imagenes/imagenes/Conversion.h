#pragma once

#include "imagenes/Comparacion.h"
#include "imagenes/Superficie.h"
#include "imagenes/Tipos.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Converting a disk from one kind of image to another without losing a mark:
// the new image is made, read back as it will be read, and compared sector by
// sector with the source; whatever differs is what would be lost, and without
// `forzar` nothing is made then.
namespace imagenes {

struct OpcionesConversion {
  const Tipo *destino = nullptr;
  bool forzar = false; // make the image even when something is lost (the list says what)
  // A raw dump's format (to read a source without a signature, to write a
  // raw destination), and the version for the creator field where the source
  // has none: "Alcove " + version.
  OpcionesLectura lectura;
  // A change the caller makes to the disk read before it is written (the
  // file system's completion of a protected dump): empty, or why it cannot be.
  std::function<std::string(Superficie &disco)> preparar;
  // Losses the caller knows more of: a protection a loss takes with it.
  std::function<void(const Superficie &origen, std::vector<Diferencia> &perdidas)> avisar;
};

// A problem of the source's reading that every conversion lists as lost (a
// track or sector the file cuts short, an FM track of a flux dump), one line
// a problem.
[[nodiscard]] bool SePierdeAlConvertir(TipoProblema tipo);

struct Conversion {
  std::vector<std::uint8_t> bytes;  // the new image; empty when not made
  std::vector<Diferencia> perdidas; // what it does not hold as the source does, per track
  std::string error;                // why it was not made, in Spanish; empty when made
  const Tipo *origen = nullptr;     // what the source was read as
  [[nodiscard]] bool Hecha() const { return error.empty(); }
};

// The source's kind is told by its signature; a source with none is read as a
// raw dump when a geometry is given.
Conversion Convertir(std::span<const std::uint8_t> origen, const OpcionesConversion &opciones);
// The same from a source already read as its kind (a flux dump read a piece
// at a time from its file).
Conversion Convertir(const Tipo &origen, Lectura leida, const OpcionesConversion &opciones);

} // namespace imagenes
