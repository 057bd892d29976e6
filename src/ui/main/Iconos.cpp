#include "ui/main/Iconos.h"

#include <string_view>

namespace Iconos {

namespace {

using Dibujo = std::array<std::string_view, Lado>;

// A sheet of paper with a folded corner, and what is written on it.
constexpr Dibujo Desconocido{
    "..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwwwwwwwkwk...", "..kwwwwwwwkwwk..",
    "..kwwwwwwwkkkkk.", "..kwwwwbbbwwwwk.", "..kwwwbwwwbwwwk.", "..kwwwwwwwbwwwk.",
    "..kwwwwwwbwwwwk.", "..kwwwwwbwwwwwk.", "..kwwwwwbwwwwwk.", "..kwwwwwwwwwwwk.",
    "..kwwwwwbwwwwwk.", "..kwwwwwwwwwwwk.", "..kwwwwwwwwwwwk.", "..kkkkkkkkkkkkk.",
};
// A listing: line numbers in red, statements in blue.
constexpr Dibujo Basic{
    "..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwwwwwwwkwk...", "..kwwwwwwwkwwk..",
    "..kwwwwwwwkkkkk.", "..kwrrwbbbbbbwk.", "..kwwwwwwwwwwwk.", "..kwrrwbbbbwwwk.",
    "..kwwwwwwwwwwwk.", "..kwrrwbbbbbbwk.", "..kwwwwwwwwwwwk.", "..kwrrwbbbbwwwk.",
    "..kwwwwwwwwwwwk.", "..kwrrwbbbbbbwk.", "..kwwwwwwwwwwwk.", "..kkkkkkkkkkkkk.",
};
// Bits: a little grid of set and clear cells.
constexpr Dibujo Binario{
    "..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwwwwwwwkwk...", "..kwwwwwwwkwwk..",
    "..kwwwwwwwkkkkk.", "..kwbbwggwbbwwk.", "..kwbbwggwbbwwk.", "..kwwwwwwwwwwwk.",
    "..kwggwbbwbbwwk.", "..kwggwbbwbbwwk.", "..kwwwwwwwwwwwk.", "..kwbbwbbwggwwk.",
    "..kwbbwbbwggwwk.", "..kwwwwwwwwwwwk.", "..kwwwwwwwwwwwk.", "..kkkkkkkkkkkkk.",
};
// A round arrow on cream paper: the copy kept of an earlier version.
constexpr Dibujo Copia{
    "..kkkkkkkkk.....", "..kyyyyyyykk....", "..kyyyyyyykyk...", "..kyyyyyyykyyk..",
    "..kyyyyyyykkkkk.", "..kyyyyyGGyyyyk.", "..kyyyGGGGGGyyk.", "..kyyGyyGGyyGyk.",
    "..kyGyyyGyyyyGk.", "..kyGyyyyyyyyGk.", "..kyGyyyyyyyyGk.", "..kyyGyyyyyyGyk.",
    "..kyyyGGGGGGyyk.", "..kyyyyyyyyyyyk.", "..kyyyyyyyyyyyk.", "..kkkkkkkkkkkkk.",
};

Disposicion::Color Tinta(char c) {
  switch (c) {
  case 'k': return {64, 64, 64};
  case 'w': return {255, 255, 255};
  case 'y': return {255, 255, 200};
  case 'b': return Disposicion::AzulOscuro;
  case 'r': return {200, 0, 0};
  case 'g': return {176, 176, 176};
  case 'G': return {0, 128, 0};
  default: return Disposicion::Plata;
  }
}

} // namespace

std::vector<std::string> ClavesCatalogo() { return {"Unknow", "BAK", "BAS", "BIN"}; }

Pixeles PintarIcono(const std::string &clave) {
  const Dibujo &dibujo = clave == "BAK"   ? Copia
                         : clave == "BAS" ? Basic
                         : clave == "BIN" ? Binario
                                          : Desconocido;
  Pixeles pixeles{};
  for (std::size_t y = 0; y < Lado; ++y) {
    for (std::size_t x = 0; x < Lado; ++x)
      pixeles[y * Lado + x] = Tinta(dibujo[y][x]);
  }
  return pixeles;
}

} // namespace Iconos
