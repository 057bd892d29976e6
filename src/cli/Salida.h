#pragma once

#include "platform/Errores.h"

#include <string_view>

// What alcove-cli's commands write: standard output, one-line errors, and
// the exit codes.
namespace Cli {

// Exit codes of the program.
inline constexpr int kSalidaBien = 0;
inline constexpr int kSalidaFallo = 1; // some input could not be read or written
inline constexpr int kSalidaUso = 2;

// One line on standard error: "alcove-cli: QUE: MENSAJE".
void AvisarError(std::string_view que, std::string_view mensaje);
// Writes to standard output: as they are to a file or pipe, made visible to a
// terminal (ParaFlujo; `json` for a JSON document). A failure is kept for
// TerminarSalida.
void EscribirSalida(std::string_view texto, bool json = false);
// Flushes standard output. When any write to it failed (ours, stdio's or
// CLI11's), says so in one line and turns `codigo` 0 into 1.
int TerminarSalida(int codigo);
// Keeps the host's error number of a failed write to standard output made
// without EscribirSalida, for TerminarSalida to report once.
void AnotarFalloSalida(int numero);

// A sentence of the reader's, its capital lowered to follow a colon in a message.
using Errores::TrasDosPuntos;

} // namespace Cli
