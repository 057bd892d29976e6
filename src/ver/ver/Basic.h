#pragma once

#include "ver/Listado.h"

#include <cstdint>
#include <span>
#include <string>

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

// The text the CPC prints for a five-byte floating-point constant.
std::string TextoReal(std::span<const std::uint8_t, 5> bytes);

} // namespace Ver
