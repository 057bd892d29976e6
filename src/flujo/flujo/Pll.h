#pragma once

#include "flujo/Flujo.h"

// The flux of a side turned into bit cells by a software PLL, as a drive's
// data separator does: a clock of one cell that each transition pulls a
// little towards where it fell, in phase and in frequency, so that it follows
// a drive turning a little fast or slow and shrugs off jitter.
namespace flujo {

// `nsCelda` is the cell the clock starts from (2000 ns for a CPC disk read at
// 300 rpm); it follows the flux within 15% of it.
CeldasPista CeldasDeFlujo(const PistaFlujo &pista, double nsCelda);

// No side of a floppy holds more cells than this in the revolutions of a
// dump; past it the cells are cut.
constexpr std::size_t MaxCeldas = std::size_t{1} << 24;

} // namespace flujo
