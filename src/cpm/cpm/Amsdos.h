#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The 128-byte AMSDOS header at the start of a file, and the +3DOS one that
// the Spectrum +3 writes on the same disks.
namespace cpm {

enum class TipoAmsdos {
  Basic,
  BasicProtegido,
  Binario,
  Otro,
  Plus3Basic,  // +3DOS: a Sinclair BASIC program
  Plus3Codigo, // +3DOS: CODE, from its load address
  Plus3Matriz, // +3DOS: a number or character array
};

enum class FormatoCabecera { Amsdos, Plus3dos };

struct CabeceraAmsdos {
  FormatoCabecera formato = FormatoCabecera::Amsdos;
  std::uint8_t tipoCrudo = 0; // byte 18 (+3DOS: byte 15, the +3 BASIC header's type)
  TipoAmsdos tipo = TipoAmsdos::Otro;
  std::uint16_t carga = 0;    // load address, bytes 21..22 (+3DOS CODE: bytes 18..19)
  std::uint16_t entrada = 0;  // entry address, bytes 26..27 (+3DOS: none)
  std::uint32_t longitud = 0; // logical length, 24-bit at bytes 64..66 (+3DOS: the file's
                              // length at bytes 11..14, less the header)
  std::uint8_t usuario = 0;
  std::string nombre; // bytes 1..11 as "NAME.EXT", blanks cut (+3DOS: none)
};

constexpr std::size_t TamanoCabeceraAmsdos = 128;

// The checksum of bytes 0..66 equals the 16-bit value at 67..68.
bool CabeceraAmsdosValida(std::span<const std::uint8_t> registro);
// A +3DOS header: "PLUS3DOS", &1A, and byte 127 the sum of bytes 0..126.
bool CabeceraPlus3Valida(std::span<const std::uint8_t> registro);
// The decoded header when `registro` (at least 128 bytes) holds a valid one,
// AMSDOS or +3DOS.
std::optional<CabeceraAmsdos> LeerCabeceraAmsdos(std::span<const std::uint8_t> registro);

std::string_view NombreTipo(TipoAmsdos tipo);            // "BASIC", "BASIC protegido", ...
std::string_view NombreFormato(FormatoCabecera formato); // "AMSDOS", "+3DOS"

// A file's length as it is extracted by default: with a valid header, the
// header's length, within the records after the header; otherwise `tamano`,
// the catalogue's size (whole records, or the CP/M 3 byte count on +3/PCW
// disks). A header is only known from the file's first record.
std::uint64_t LongitudArchivo(std::uint64_t tamano, const std::optional<CabeceraAmsdos> &cabecera);

} // namespace cpm
