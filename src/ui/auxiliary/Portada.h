#pragma once

#include <QImage>

// The about window's picture: a title screen in the style of the CPC, 320 x 200
// pixels in 256 colours, drawn here pixel by pixel.
[[nodiscard]] QImage DibujarPortada();
