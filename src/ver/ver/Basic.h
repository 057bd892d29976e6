#pragma once

#include "ver/Listado.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Locomotive BASIC programs as the CPC lists them.
namespace Ver {

// What LIST would print for a tokenised Locomotive BASIC 1.1 program, one line
// of text per program line. A damaged program is listed up to the damage,
// marked partial, and `nota` says where and why it stopped. Bytes after the end
// mark (a loader's machine code) are named in `nota` of a whole listing.
using ListadoBasic = Listado;

// `programa` is the program as saved: line records (length word, line number,
// tokens, &00), ended by a zero length word or the end of the bytes.
ListadoBasic ListarBasic(std::span<const std::uint8_t> programa);

// A program typed as text, tokenised as the CPC's ROM does when the lines are
// typed (or MERGEd): the exact inverse of ListarBasic for what LIST can show.
struct ProgramaTokenizado {
  std::vector<std::uint8_t> bytes; // line records in line order, then the zero end mark
  std::size_t lineas = 0;
  std::string error; // empty, or the line the CPC would refuse and why (Spanish)
};

// `texto` is a host's text: lines ended by CR LF, LF or CR, up to a ^Z if it
// has one. Each line starts with its number (1..65535) and holds at most 255
// characters, as the CPC's line editor takes them; lines in any order are
// sorted, a number given twice keeps its last line and a number alone deletes
// its line, as on the CPC. Blank lines are passed over.
ProgramaTokenizado TokenizarBasic(std::span<const std::uint8_t> texto);

// Whether `texto` reads as a BASIC program typed as text: some line, and every
// line that is not blank, starts with a line number. Only the shape is looked
// at; TokenizarBasic says whether the CPC would take it.
bool LineasNumeradas(std::span<const std::uint8_t> texto);

// The text the CPC prints for a five-byte floating-point constant.
std::string TextoReal(std::span<const std::uint8_t, 5> bytes);

} // namespace Ver
