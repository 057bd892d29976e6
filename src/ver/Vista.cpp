#include "ver/Vista.h"

#include "ver/Dams.h"
#include "ver/Pantalla.h"
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

// The header says what BASIC saved; a screen is known by its size and its
// name or load address; a DAMS source by reading whole as one; a binary with a
// header is machine code; the rest by whether it reads as text.
Vista ElegirVista(const cpm::Archivo &archivo, std::span<const std::uint8_t> contenido) {
  const auto &cabecera = archivo.cabecera;
  if (cabecera && cabecera->tipo == cpm::TipoAmsdos::Basic) {
    return Vista::Basic;
  }
  if (cabecera && cabecera->tipo == cpm::TipoAmsdos::BasicProtegido) {
    return Vista::BasicProtegido;
  }
  const auto carga = cabecera ? std::optional<std::uint16_t>(cabecera->carga) : std::nullopt;
  if (PareceDePantalla(contenido.size(), archivo.extension, carga)) {
    return Vista::Pantalla;
  }
  if (PareceDams(contenido)) {
    return Vista::Dams;
  }
  if (cabecera && cabecera->tipo == cpm::TipoAmsdos::Binario) {
    return Vista::Z80;
  }
  // CP/M text has no header; AMSDOS's ASCII files have one of their own type.
  const auto texto = cabecera ? contenido : HastaFinDeTexto(contenido);
  return PareceTextoCpc(texto) ? Vista::Texto : Vista::Hex;
}

} // namespace Ver
