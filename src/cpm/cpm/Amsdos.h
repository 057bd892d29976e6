#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The 128-byte AMSDOS header at the start of a file.
namespace cpm {

enum class TipoAmsdos { Basic, BasicProtegido, Binario, Otro };

struct CabeceraAmsdos {
  std::uint8_t tipoCrudo = 0; // byte 18
  TipoAmsdos tipo = TipoAmsdos::Otro;
  std::uint16_t carga = 0;    // load address, bytes 21..22
  std::uint16_t entrada = 0;  // entry address, bytes 26..27
  std::uint32_t longitud = 0; // logical length, 24-bit at bytes 64..66
  std::uint8_t usuario = 0;
  std::string nombre; // bytes 1..11 as "NAME.EXT", blanks cut
};

constexpr std::size_t TamanoCabeceraAmsdos = 128;

// The checksum of bytes 0..66 equals the 16-bit value at 67..68.
bool CabeceraAmsdosValida(std::span<const std::uint8_t> registro);
// The decoded header when `registro` (at least 128 bytes) holds a valid one.
std::optional<CabeceraAmsdos> LeerCabeceraAmsdos(std::span<const std::uint8_t> registro);

std::string_view NombreTipo(TipoAmsdos tipo); // "BASIC", "BASIC protegido", ...

// A file's length as it is extracted by default: with a valid header, the
// header's length, within the records after the header; otherwise `tamano`,
// the catalogue's size (whole records, or the CP/M 3 byte count on +3/PCW
// disks). A header is only known from the file's first record.
std::uint64_t LongitudArchivo(std::uint64_t tamano, const std::optional<CabeceraAmsdos> &cabecera);

} // namespace cpm
