#pragma once

#include "ui/controles/Disposicion.h"

#include <QColor>
#include <QFont>

class QWidget;

// The look of the CPC's screen: yellow text on dark blue, in Courier New bold.
namespace Estilo {

[[nodiscard]] inline QColor ColorQt(Disposicion::Color c) { return {c.rojo, c.verde, c.azul}; }
[[nodiscard]] inline QColor AzulOscuro() { return ColorQt(Disposicion::AzulOscuro); }
[[nodiscard]] inline QColor Amarillo() { return ColorQt(Disposicion::Amarillo); }

// Courier New at `puntos` points, bold unless told otherwise. Where Courier New
// is not installed, Liberation Mono (same metrics) stands in.
[[nodiscard]] QFont Courier(double puntos, bool negrita = true);

// Dark blue background and yellow text for `control` and its children; the
// selection shows inverted.
void AmarilloSobreAzul(QWidget *control);

} // namespace Estilo
