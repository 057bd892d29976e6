#pragma once

#include "ui/controles/Disposicion.h"

// The LED meter's look, for every host to draw: a row of segments that lights
// from the left as its level rises, green at first, then yellow, red at the top.
// Levels are percentages; below 0 lights nothing and above 100 lights all.
namespace Medidor {

inline constexpr int AnchoSegmento = 4; // pixels
inline constexpr int Separacion = 2;

// Segments of `AnchoSegmento` with `Separacion` between them that fit in `ancho`
// pixels; at least one.
[[nodiscard]] int SegmentosEnAncho(int ancho);

// Lit segments out of `segmentos` for a level in percent: every segment the level
// has reached or entered.
[[nodiscard]] int SegmentosEncendidos(int porcentaje, int segmentos);

// Colour of segment `indice` (0 is the leftmost): green up to 60% of the row,
// yellow up to 85%, red beyond; a fifth of its brightness when unlit.
[[nodiscard]] Disposicion::Color Color(int indice, int segmentos, bool encendido);

} // namespace Medidor
