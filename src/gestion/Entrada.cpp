#include "gestion/Entrada.h"

#include <algorithm>

namespace Gestion {
namespace {

constexpr std::size_t LargoNombre = 8;
constexpr std::size_t LargoExt = 3;

// `texto` padded with blanks to `largo`, as the catalogue stores a name part;
// false when it is longer.
bool Relleno(const std::string &texto, std::size_t largo, std::string &salida) {
  if (texto.size() > largo)
    return false;
  salida = texto + std::string(largo - texto.size(), ' ');
  return true;
}

} // namespace

const cpm::Archivo *ArchivoDeEntrada(const cpm::Disco &disco, const EntradaCruda &entrada) {
  std::string nombre;
  std::string ext;
  for (const cpm::Archivo &a : disco.catalogo.archivos) {
    if (a.usuario != entrada[0] || !Relleno(a.nombre, LargoNombre, nombre) ||
        !Relleno(a.extension, LargoExt, ext))
      continue;
    const std::string clave = nombre + ext;
    if (std::equal(clave.begin(), clave.end(), entrada.begin() + 1, [](char c, std::uint8_t b) {
          return static_cast<std::uint8_t>(c) == (b & 0x7F);
        }))
      return &a;
  }
  return nullptr;
}

std::string TextoEntrada(const EntradaCruda &entrada) {
  const auto parte = [&](std::size_t desde, std::size_t largo) {
    std::string s;
    for (std::size_t i = desde; i < desde + largo; ++i) {
      const std::uint8_t c = entrada[i] & 0x7F;
      s += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    while (!s.empty() && s.back() == ' ')
      s.pop_back();
    return s;
  };
  const std::string ext = parte(1 + LargoNombre, LargoExt);
  return parte(1, LargoNombre) + (ext.empty() ? "" : "." + ext);
}

} // namespace Gestion
