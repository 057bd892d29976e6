#include "ui/auxiliary/Medidor.h"

#include <algorithm>
#include <cstdint>

namespace Medidor {

int SegmentosEnAncho(int ancho) {
  return std::max(1, (ancho + Separacion) / (AnchoSegmento + Separacion));
}

int SegmentosEncendidos(int porcentaje, int segmentos) {
  if (segmentos <= 0)
    return 0;
  // A segment lights as soon as the level enters it, so any use at all shows.
  const int nivel = std::clamp(porcentaje, 0, 100);
  return (nivel * segmentos + 99) / 100;
}

Disposicion::Color Color(int indice, int segmentos, bool encendido) {
  // Position of the segment's right edge along the row, in percent.
  const int posicion = segmentos > 0 ? (indice + 1) * 100 / segmentos : 100;
  Disposicion::Color color{255, 30, 0};
  if (posicion <= 60)
    color = {0, 230, 0};
  else if (posicion <= 85)
    color = {255, 230, 0};
  if (encendido)
    return color;
  const auto apagar = [](std::uint8_t canal) { return static_cast<std::uint8_t>(canal / 5); };
  return {apagar(color.rojo), apagar(color.verde), apagar(color.azul)};
}

} // namespace Medidor
