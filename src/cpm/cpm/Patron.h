#pragma once

#include "cpm/Catalogo.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// File name patterns as CP/M takes them: "*.BAS", "DISC?.BIN", "1:GAME.*".
// Letters match whatever their case.
namespace cpm {

struct Patron {
  std::optional<std::uint8_t> usuario; // "n:" prefix; without it every user matches
  std::array<char, 11> plantilla{};    // 8 + 3, '?' matches any one character
};

// Compiles a pattern; nothing, with `error` set (in Spanish), when it is malformed.
std::optional<Patron> CompilarPatron(std::string_view texto, std::string *error = nullptr);
bool Coincide(const Patron &patron, const Archivo &archivo);

} // namespace cpm
