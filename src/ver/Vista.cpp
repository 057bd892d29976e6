#include "ver/Vista.h"

#include "ver/Texto.h"

#include <array>
#include <utility>

namespace Ver {
namespace {

constexpr std::array<std::pair<Vista, std::string_view>, 7> kNombres{{
    {Vista::Basic, "basic"},
    {Vista::BasicProtegido, "basic-protegido"},
    {Vista::Dams, "dams"},
    {Vista::Z80, "z80"},
    {Vista::Pantalla, "pantalla"},
    {Vista::Texto, "texto"},
    {Vista::Hex, "hex"},
}};

} // namespace

std::string_view NombreVista(Vista vista) {
  for (const auto &[v, nombre] : kNombres) {
    if (v == vista) {
      return nombre;
    }
  }
  return "hex";
}

std::optional<Vista> VistaPorNombre(std::string_view nombre) {
  for (const auto &[v, n] : kNombres) {
    if (n == nombre) {
      return v;
    }
  }
  return std::nullopt;
}

Vista ElegirVista(const cpm::Archivo &archivo, std::span<const std::uint8_t> contenido) {
  if (archivo.cabecera) {
    switch (archivo.cabecera->tipo) {
    case cpm::TipoAmsdos::Basic: return Vista::Basic;
    case cpm::TipoAmsdos::BasicProtegido: return Vista::BasicProtegido;
    default: return Vista::Hex;
    }
  }
  // Without a header only the bytes tell; CP/M text has no header.
  return PareceTexto(HastaFinDeTexto(contenido)) ? Vista::Texto : Vista::Hex;
}

} // namespace Ver
