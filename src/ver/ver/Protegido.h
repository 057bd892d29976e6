#pragma once

#include <cstdint>
#include <span>
#include <vector>

// BASIC programs saved with SAVE "NAME",P (AMSDOS type 1: the type byte's bit 0).
namespace Ver {

// AMSDOS scrambles a protected file's bytes on the way to the disc and
// unscrambles them when BASIC loads it; the scrambling is its own inverse, so
// one function turns a program saved protected into the plain program and a
// plain program into what SAVE ,P writes.
std::vector<std::uint8_t> DesprotegerBasic(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> ProtegerBasic(std::span<const std::uint8_t> bytes);

} // namespace Ver
