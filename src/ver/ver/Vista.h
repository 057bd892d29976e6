#pragma once

#include "cpm/Catalogo.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Which viewer shows a file as what it is. The names are those of `ls --json`'s
// "vista" and of `cat --tipo`.
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

std::string_view NombreVista(Vista vista); // "basic", "basic-protegido", ...
std::optional<Vista> VistaPorNombre(std::string_view nombre);

// The viewer that fits a file, from its AMSDOS header, its name and
// `contenido`: its bytes as extracted, the header removed. In order: a BASIC
// header (protected when the type byte's bit 0 is set); a screen's size with a
// screen's extension or load address &C000; bytes that read whole as a DAMS
// source; a binary header (machine code); text; anything else a hex dump.
Vista ElegirVista(const cpm::Archivo &archivo, std::span<const std::uint8_t> contenido);

} // namespace Ver
