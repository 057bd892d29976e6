#pragma once

#include <string>

// What a text viewer makes of a file's bytes.
namespace Ver {

// The text, one line of the file's own per line ("\n" ends each). When the
// bytes could not be read to their end, `parcial` is set and `nota` says in
// Spanish where and why the text stops; a whole reading may still carry a note
// about what follows it (a BASIC loader's machine code).
struct Listado {
  std::string texto;
  bool parcial = false;
  std::string nota;
};

} // namespace Ver
