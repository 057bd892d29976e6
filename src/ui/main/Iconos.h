#pragma once

#include "ui/controles/Disposicion.h"

#include <array>
#include <string>
#include <vector>

// The small catalogue pictures, the same on every host.
namespace Iconos {

inline constexpr int Lado = 16;
using Pixeles = std::array<Disposicion::Color, Lado * Lado>;

// Keys of the small catalogue icons, in the order the image list holds them.
[[nodiscard]] std::vector<std::string> ClavesCatalogo();

// The 16 x 16 picture for key `clave`, row by row, on the image list's mask
// colour (silver); an unknown key gets the "Unknow" picture.
[[nodiscard]] Pixeles PintarIcono(const std::string &clave);

} // namespace Iconos
