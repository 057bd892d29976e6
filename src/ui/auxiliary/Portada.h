#pragma once

#include "ui/controles/Disposicion.h"

#include <array>
#include <cstdint>
#include <vector>

// The about window's picture: a title screen in the style of the CPC, 320 x 200
// pixels in 256 colours, drawn here pixel by pixel for every host to show.
struct Portada {
  int ancho = 0;
  int alto = 0;
  std::vector<std::uint8_t> indices; // one palette index per pixel, row by row
  std::array<Disposicion::Color, 256> paleta{};
};

[[nodiscard]] Portada DibujarPortada();
