#pragma once

#include <string>

namespace Gestion {

// Whether the image at `ruta` may be written back where it lies: never one
// inside a zip or a .gz, nor one of a kind the file system does not write in
// place (HFE), which a pane lists through a copy. The window offers its write
// actions greyed.
[[nodiscard]] bool SePuedeEscribir(const std::string &ruta);

// The last part of a path: a file's name without its folder.
[[nodiscard]] std::string NombreFinal(const std::string &ruta);

} // namespace Gestion
