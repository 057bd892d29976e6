#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a command-line program needs from its host: its arguments and its two
// output streams, in UTF-8 whatever the host speaks, and the number of cores.
namespace Plataforma {

// The program's arguments in UTF-8. On Windows they are taken from the wide
// command line (argv is in the ANSI code page there), and standard output and
// error are put in binary mode, so that no CR is added to a line.
std::vector<std::string> ArgumentosUtf8(int argc, char **argv);

enum class Flujo { Salida, Errores };

// True when the stream is a terminal or a console window (never for a file, a
// pipe or the null device).
[[nodiscard]] bool EsTerminal(Flujo flujo);

// Writes `texto` (UTF-8) to the stream: as it is to a file or pipe, as text a
// console can show to a console window. Returns 0, or the errno value of a
// failure.
int Escribir(Flujo flujo, std::string_view texto);

// Writes all of `texto` straight to the stream, past the C library's buffer,
// so that a pipe's reader has it at once. Returns 0, or the errno value of the
// failure: EPIPE when the reader has gone.
[[nodiscard]] int EscribirSinBufer(Flujo flujo, std::string_view texto);

// The cores this process may use; at least 1.
[[nodiscard]] unsigned NucleosDisponibles();

// Replaces each argument whose last part holds * or ? with the regular files
// it names, in order; one that names none stays as it is. A no-op where the
// shell expands them.
void ExpandirComodines(std::vector<std::string> &rutas);

} // namespace Plataforma
