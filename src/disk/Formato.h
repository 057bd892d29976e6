#pragma once

#include "disk/CpcEmu.h"
#include "disk/Types_Def.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Decoding of CPCEMU disk images: plain functions over bytes, so that tests and
// the fuzzer need no files. Only header bytes 0..49 and the catalogue at file
// offsets 512..2559 mean anything here.
namespace Formato {

inline constexpr std::size_t PosCatalogo = 512;
inline constexpr std::size_t LargoEntrada = 32;
inline constexpr std::size_t NumEntradas = CabeceraDisco::EntradasCatalogo;
// Everything decoding looks at lies before this offset.
inline constexpr std::size_t BytesLeidos = PosCatalogo + LargoEntrada * NumEntradas; // 2560

// Offsets inside one catalogue entry.
inline constexpr std::size_t EntUsuario = 0;
inline constexpr std::size_t EntNombre = 1;
inline constexpr std::size_t LargoNombre = 11;
inline constexpr std::size_t EntExt1 = 9;
inline constexpr std::size_t EntExt2 = 10;
inline constexpr std::size_t EntS2 = 14;
inline constexpr std::size_t EntRegistros = 15;
inline constexpr std::size_t EntBloques = 16;

// The window tells the layouts by these starts of their signatures, in any case.
inline constexpr std::string_view FirmaEstandar = cpcemu::NombreEstandar;
inline constexpr std::string_view FirmaExtendida = cpcemu::NombreExtendida;

// One character per byte; carriage return and line feed become blanks.
[[nodiscard]] std::string BytesATexto(std::span<const std::uint8_t> bytes);
[[nodiscard]] constexpr char ByteATexto(std::uint8_t b) {
  // Branch-free, so that loops over names become vector code.
  const int esControl = (b == 13) | (b == 10);
  return static_cast<char>(b ^ (esControl * (b ^ ' ')));
}

// Host files taken for disk images: "*.dsk", the extension in any letter case.
inline constexpr std::string_view PatronImagenes = "*.dsk";
[[nodiscard]] constexpr bool EsNombreDeImagen(std::string_view nombre) {
  constexpr std::string_view ext = PatronImagenes.substr(1);
  if (nombre.size() <= ext.size()) {
    return false; // ".dsk" alone names no image
  }
  const std::string_view cola = nombre.substr(nombre.size() - ext.size());
  for (std::size_t i = 0; i < ext.size(); ++i) {
    const char c = (cola[i] >= 'A' && cola[i] <= 'Z') ? static_cast<char>(cola[i] + 32) : cola[i];
    if (c != ext[i]) {
      return false;
    }
  }
  return true;
}

// 1 standard, 2 extended, 0 neither; only the leading characters count, any case.
[[nodiscard]] std::int32_t DetectarFormato(std::string_view firma);

// Removes blanks (32 only) at both ends.
[[nodiscard]] std::string QuitarBlancos(std::string_view texto);

// Name characters the catalogue listing accepts: the blank and the codes 41
// (")") to 123 ("{"). Anything with the top bit set (attribute bits) is refused.
[[nodiscard]] constexpr bool CaracterAceptado(unsigned char c) {
  return (c == ' ') | ((c >= 41) & (c <= 123)); // bitwise: no branches
}

// An entry's state from whether every name character was accepted and its user
// byte: a refused name wins over "not in use" (users above 15, 229 for deleted).
[[nodiscard]] constexpr std::int32_t EstadoDeEntrada(bool nombreAceptado, std::uint8_t usuario) {
  return !nombreAceptado ? EstadoEntrada::NombreNoValido
         : usuario > 15  ? EstadoEntrada::NoUsada
                         : EstadoEntrada::EnUso;
}

// Decodes one 32-byte catalogue entry (into `e`, reusing its storage).
[[nodiscard]] EntradaDir LeerEntrada(std::span<const std::uint8_t, LargoEntrada> bytes);
void LeerEntrada(std::span<const std::uint8_t, LargoEntrada> bytes, EntradaDir &e);

// Header fields (Formato, Creador, Pistas, Caras) and the 64 catalogue entries
// from the first bytes of an image file; bytes past the end of `inicio` read as 0.
void LeerCabecera(std::span<const std::uint8_t> inicio, CabeceraDisco &cab);
void LeerDirectorio(std::span<const std::uint8_t> inicio, CabeceraDisco &cab);

// Decodes the first bytes of an image file. Bytes missing at the end (a file
// shorter than 2560 bytes) read as zeros. An image with neither signature gets
// Formato 0.
[[nodiscard]] CabeceraDisco LeerImagen(std::span<const std::uint8_t> inicio);

} // namespace Formato
