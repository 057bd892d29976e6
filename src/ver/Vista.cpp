#include "ver/Vista.h"

#include "ver/Basic.h"
#include "ver/Dams.h"
#include "ver/Hex.h"
#include "ver/Pantalla.h"
#include "ver/Protegido.h"
#include "ver/Texto.h"
#include "ver/Z80.h"

#include <array>

namespace Ver {
namespace {

Listado Basic(std::span<const std::uint8_t> bytes, const Memoria & /*memoria*/) {
  return ListarBasic(bytes);
}

Listado BasicProtegido(std::span<const std::uint8_t> bytes, const Memoria & /*memoria*/) {
  return ListarBasic(DesprotegerBasic(bytes));
}

Listado Dams(std::span<const std::uint8_t> bytes, const Memoria & /*memoria*/) {
  return ListarDams(bytes);
}

Listado Z80(std::span<const std::uint8_t> bytes, const Memoria &memoria) {
  return DesensamblarZ80(bytes, memoria.origen, memoria.entrada);
}

Listado Texto(std::span<const std::uint8_t> bytes, const Memoria &memoria) {
  const auto texto = memoria.cabecera ? bytes : HastaFinDeTexto(bytes);
  Listado l;
  l.texto.assign(texto.begin(), texto.end());
  return l;
}

Listado Hex(std::span<const std::uint8_t> bytes, const Memoria &memoria) {
  Listado l;
  l.texto = VolcadoHex(bytes, memoria.origen);
  return l;
}

constexpr std::array<FilaVista, 7> kVistas{{
    {Vista::Basic, "basic", "BASIC", Basic, true},
    {Vista::BasicProtegido, "basic-protegido", "BASIC protegido", BasicProtegido, true},
    {Vista::Dams, "dams", "DAMS", Dams, true},
    {Vista::Z80, "z80", "Z80", Z80, false},
    {Vista::Pantalla, "pantalla", "Pantalla", nullptr, false},
    {Vista::Texto, "texto", "Texto", Texto, false},
    {Vista::Hex, "hex", "Hexadecimal", Hex, false},
}};

} // namespace

std::span<const FilaVista> Vistas() { return kVistas; }

const FilaVista &FilaDeVista(Vista vista) {
  for (const FilaVista &fila : kVistas) {
    if (fila.vista == vista) {
      return fila;
    }
  }
  return kVistas.back(); // every Vista has its row; the dump shows anything
}

std::string_view NombreVista(Vista vista) { return FilaDeVista(vista).nombre; }

std::string_view TituloVista(Vista vista) { return FilaDeVista(vista).titulo; }

std::optional<Vista> VistaPorNombre(std::string_view nombre) {
  for (const FilaVista &fila : kVistas) {
    if (fila.nombre == nombre) {
      return fila.vista;
    }
  }
  return std::nullopt;
}

std::string NombresVistas() {
  std::string nombres;
  for (std::size_t i = 0; i < kVistas.size(); ++i) {
    nombres += (i == 0 ? "" : i + 1 == kVistas.size() ? " o " : ", ");
    nombres += kVistas[i].nombre;
  }
  return nombres;
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
