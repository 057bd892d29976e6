#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace CLI {
class App;
} // namespace CLI

namespace Cli {

// The whole program: reads the arguments, runs one command, returns the exit code.
int Principal(int argc, char **argv);

// What runs a command once its arguments were read; returns the exit code.
using Ejecucion = std::function<int()>;

// A command of alcove-cli. Only the given command's parser is built: `preparar`
// adds its arguments and options to it and returns what runs it, holding the
// values the parser fills in.
struct DefinicionOrden {
  std::string_view nombre;
  std::string_view descripcion;
  Ejecucion (*preparar)(CLI::App &orden);
};

// True when a --formato given is in the reader's table (or none was given);
// otherwise says so, with the nearest name or the list of them.
bool FormatoConocido(const std::string &formato);
// Every name --formato takes, aliases last: "data, system, ...".
std::string ListaFormatos();

// A track (0..255) and a side (0 or 1) in the forms a sector ID takes (3,
// &03, 0x03, 03h); false, with the usage error said, when one is not.
bool LeerPistaCara(const std::string &pista, const std::string &cara, int &numeroPista,
                   int &numeroCara);

// The edit distance (adjacent swaps count as one) between two words.
std::size_t DistanciaEdicion(std::string_view a, std::string_view b);
// The one of `conocidos` a mistyped `dado` most likely meant, or empty when none is near.
std::string_view Parecido(std::string_view dado, std::span<const std::string_view> conocidos);

} // namespace Cli
