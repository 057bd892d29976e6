#pragma once

#include "cpm/Escritura.h"
#include "platform/ReemplazoSeguro.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// A write of the library put over the image file it was made from, the same
// way by every program that changes disks.
namespace cpm {

struct Guardado {
  bool cambiado = false; // the file now holds the new bytes
  std::string error;     // empty unless refused or failed: why, in Spanish
};

// A refusal of the host's replacement (Plataforma::Reemplazo::rechazo) as the
// user reads it: the read-only one says it all, the others add that nothing changed.
std::string TextoRechazo(const std::string &rechazo);

// Replaces the image file `ruta`, read as `leidos` with identity `huella`
// (Plataforma::LeerParaReemplazar), by the result `escrito`, through the safe
// replacement. A refusal, a file someone changed since it was read, or a failed
// write leave the file as it was; a result equal to the bytes read leaves it
// untouched. `antes`, when given, runs just before the file is replaced.
Guardado GuardarEscrito(const std::string &ruta, std::span<const std::uint8_t> leidos,
                        const Plataforma::HuellaArchivo &huella, const Escrito &escrito,
                        const std::function<void()> &antes = {});

} // namespace cpm
