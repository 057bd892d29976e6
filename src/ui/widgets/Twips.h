#pragma once

#include "ui/controles/Disposicion.h"

#include <QRect>

// Positions and sizes of the windows are laid out in twips (1/1440 inch). Qt works
// in device-independent pixels of 1/96 inch and scales them for high-DPI screens
// itself, so a twip is always 1/15 of a pixel here.
namespace Plataforma {

inline constexpr int TwipsPorPixel = 15;

// Twips to pixels, to the nearest pixel (15 is odd, so there are no halves).
[[nodiscard]] constexpr int TwipsAPixeles(int twips) { return Disposicion::TwipsAPixeles(twips); }

// A rectangle given as Left, Top, Width, Height in twips.
[[nodiscard]] inline QRect RectTwips(const Disposicion::Lugar &lugar) {
  return {TwipsAPixeles(lugar.izquierda), TwipsAPixeles(lugar.arriba), TwipsAPixeles(lugar.ancho),
          TwipsAPixeles(lugar.alto)};
}
[[nodiscard]] inline QRect RectTwips(int izquierda, int arriba, int ancho, int alto) {
  return {TwipsAPixeles(izquierda), TwipsAPixeles(arriba), TwipsAPixeles(ancho),
          TwipsAPixeles(alto)};
}

} // namespace Plataforma
