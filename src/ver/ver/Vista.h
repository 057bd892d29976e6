#pragma once

#include "cpm/Catalogo.h"
#include "ver/Listado.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Which viewer shows a file as what it is, and the one table of viewers that
// alcove-cli and the window both list from. The names are those of
// `ls --json`'s "vista" and of `cat --tipo`.
namespace Ver {

enum class Vista {
  Basic,          // a Locomotive BASIC program, as LIST prints it
  BasicProtegido, // the same, saved protected (scrambled)
  Dams,           // a tokenised DAMS/ADAM assembler source
  Z80,            // machine code, disassembled
  Pantalla,       // a 16 KB screen dump, as a picture
  Texto,          // text up to its ^Z
  Hex,            // anything else: a hex dump
};

// Where a file sits in memory for a viewer: the load address a dump or a
// disassembly counts from, the entry the disassembler follows the code from,
// and whether the bytes came with a header (text with one has its exact
// length; CP/M text ends at its ^Z).
struct Memoria {
  std::uint16_t origen = 0;
  std::optional<std::uint16_t> entrada;
  bool cabecera = false;
};

// One viewer: its name on the command line, its title in the window's menu,
// and what it makes of a file's bytes. `listar` is null for the screen, which
// is a picture drawn with a mode and inks, not a listing. `siempre`: cat lists
// it even to a pipe (a program or a source); the others only when asked.
struct FilaVista {
  Vista vista;
  std::string_view nombre; // "basic-protegido"
  std::string_view titulo; // "BASIC protegido"
  Listado (*listar)(std::span<const std::uint8_t> bytes, const Memoria &memoria);
  bool siempre;
};

std::span<const FilaVista> Vistas(); // in the order help and menus list them
const FilaVista &FilaDeVista(Vista vista);

std::string_view NombreVista(Vista vista); // "basic", "basic-protegido", ...
std::optional<Vista> VistaPorNombre(std::string_view nombre);
std::string_view TituloVista(Vista vista); // "BASIC", "Texto", ...

// Every viewer's name, as help and usage errors list them:
// "basic, basic-protegido, dams, z80, pantalla, texto o hex".
std::string NombresVistas();

// The viewer that fits a file, from its AMSDOS header, its name and
// `contenido`: its bytes as extracted, the header removed. In order: a BASIC
// header (protected when the type byte's bit 0 is set); a screen's size with a
// screen's extension or load address &C000; bytes that read whole as a DAMS
// source; a binary header (machine code); text; anything else a hex dump.
Vista ElegirVista(const cpm::Archivo &archivo, std::span<const std::uint8_t> contenido);

} // namespace Ver
