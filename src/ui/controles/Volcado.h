#pragma once

#include "ui/controles/Controles.h"

#include <array>
#include <string>

// What a main window shows, written out as text after each of its events when
// the environment variable ALCOVE_VOLCADO_VENTANA names a file. Only the tests
// set it: they drive the Linux and the Windows windows alike and compare what
// each one's own controls hold.
namespace Volcado {

inline constexpr const char *Variable = "ALCOVE_VOLCADO_VENTANA";

// One record: a line with `suceso`, the four status panels, then each pane's
// rows top to bottom ("A" or "B", the four cells and the icon's key), each line
// ending in LF and its fields separated by '|'.
[[nodiscard]] std::string Registro(const std::string &suceso, const Controles::BarraEstado &estado,
                                   const std::array<const Controles::VistaLista *, 2> &vistas);

// Appends Registro to the file the variable names; nothing when it is not set.
// Never throws.
void Anotar(const std::string &suceso, const Controles::BarraEstado &estado,
            const std::array<const Controles::VistaLista *, 2> &vistas) noexcept;

} // namespace Volcado
