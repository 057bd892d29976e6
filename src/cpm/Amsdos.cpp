#include "cpm/Amsdos.h"

#include "imagenes/Bytes.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace cpm {
namespace {

constexpr std::size_t PosUsuario = 0, PosNombre = 1, LargoNombre = 8, LargoExt = 3;
constexpr std::size_t PosTipo = 18, PosCarga = 21, PosEntrada = 26;
constexpr std::size_t PosLongitud = 64, PosSuma = 67, FinSumado = 67;

// +3DOS: the signature and its ^Z, the file's length (header included), the
// +3 BASIC header's type and first parameter, the checksum byte.
constexpr std::string_view FirmaPlus3 = "PLUS3DOS\x1A";
constexpr std::size_t PosLongitudPlus3 = 11, PosTipoPlus3 = 15, PosParametroPlus3 = 18;
constexpr std::size_t PosSumaPlus3 = 127;
constexpr std::uint8_t TipoPlus3Programa = 0, TipoPlus3Codigo = 3;

std::string Parte(std::span<const std::uint8_t> b) {
  std::string t;
  for (std::uint8_t c : b) {
    t.push_back(static_cast<char>(c & 0x7F));
  }
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) {
    t.pop_back();
  }
  return t;
}

} // namespace

bool CabeceraAmsdosValida(std::span<const std::uint8_t> registro) {
  if (registro.size() < TamanoCabeceraAmsdos) {
    return false;
  }
  // Eight bytes at a time, each pair of bytes added into a 16-bit lane (a lane
  // reaches 16 * 255 at most); the tail byte by byte.
  constexpr std::uint64_t Pares = 0x00FF00FF00FF00FFULL;
  std::uint64_t carriles = 0;
  std::size_t i = 0;
  for (; i + 8 <= FinSumado; i += 8) {
    std::uint64_t w = 0;
    std::memcpy(&w, registro.data() + i, sizeof w);
    carriles += (w & Pares) + ((w >> 8) & Pares);
  }
  auto suma = static_cast<unsigned>((carriles * 0x0001000100010001ULL) >> 48);
  for (; i < FinSumado; ++i) {
    suma += registro[i];
  }
  // A record of zeros sums to its own zero checksum, but holds no header;
  // the sum of the bytes is zero only when they all are.
  return suma != 0 && (suma & 0xFFFF) == imagenes::bytes::Le16(registro, PosSuma);
}

bool CabeceraPlus3Valida(std::span<const std::uint8_t> registro) {
  if (registro.size() < TamanoCabeceraAmsdos ||
      !std::equal(FirmaPlus3.begin(), FirmaPlus3.end(), registro.begin())) {
    return false;
  }
  unsigned suma = 0;
  for (std::size_t i = 0; i < PosSumaPlus3; ++i) {
    suma += registro[i];
  }
  return (suma & 0xFF) == registro[PosSumaPlus3];
}

namespace {

CabeceraAmsdos LeerCabeceraPlus3(std::span<const std::uint8_t> registro) {
  CabeceraAmsdos c;
  c.formato = FormatoCabecera::Plus3dos;
  c.tipoCrudo = registro[PosTipoPlus3];
  c.tipo = c.tipoCrudo == TipoPlus3Programa ? TipoAmsdos::Plus3Basic
           : c.tipoCrudo == TipoPlus3Codigo ? TipoAmsdos::Plus3Codigo
                                            : TipoAmsdos::Plus3Matriz;
  // A program's first parameter is its autostart line, not an address.
  c.carga =
      c.tipo == TipoAmsdos::Plus3Codigo ? imagenes::bytes::Le16(registro, PosParametroPlus3) : 0;
  const std::uint32_t largo =
      imagenes::bytes::Le16(registro, PosLongitudPlus3) |
      (static_cast<std::uint32_t>(imagenes::bytes::Le16(registro, PosLongitudPlus3 + 2)) << 16);
  c.longitud = largo > TamanoCabeceraAmsdos ? largo - TamanoCabeceraAmsdos : 0;
  return c;
}

} // namespace

std::optional<CabeceraAmsdos> LeerCabeceraAmsdos(std::span<const std::uint8_t> registro) {
  if (CabeceraPlus3Valida(registro)) {
    return LeerCabeceraPlus3(registro);
  }
  if (!CabeceraAmsdosValida(registro)) {
    return std::nullopt;
  }
  CabeceraAmsdos c;
  c.usuario = registro[PosUsuario];
  c.tipoCrudo = registro[PosTipo];
  // Bit 0 protects; bits 1..3 give the kind: 0 BASIC, 1 binary.
  switch ((c.tipoCrudo >> 1) & 0x07) {
  case 0: c.tipo = (c.tipoCrudo & 1) != 0 ? TipoAmsdos::BasicProtegido : TipoAmsdos::Basic; break;
  case 1: c.tipo = TipoAmsdos::Binario; break;
  default: c.tipo = TipoAmsdos::Otro; break;
  }
  c.carga = imagenes::bytes::Le16(registro, PosCarga);
  c.entrada = imagenes::bytes::Le16(registro, PosEntrada);
  c.longitud = imagenes::bytes::Le24(registro, PosLongitud);
  c.nombre = Parte(registro.subspan(PosNombre, LargoNombre));
  const std::string ext = Parte(registro.subspan(PosNombre + LargoNombre, LargoExt));
  if (!ext.empty()) {
    c.nombre += "." + ext;
  }
  return c;
}

std::uint64_t LongitudArchivo(std::uint64_t tamano, const std::optional<CabeceraAmsdos> &cabecera) {
  if (!cabecera) {
    return tamano;
  }
  const std::uint64_t tras = tamano > TamanoCabeceraAmsdos ? tamano - TamanoCabeceraAmsdos : 0;
  return std::min<std::uint64_t>(cabecera->longitud, tras);
}

std::string_view NombreTipo(TipoAmsdos tipo) {
  switch (tipo) {
  case TipoAmsdos::Basic: return "BASIC";
  case TipoAmsdos::BasicProtegido: return "BASIC protegido";
  case TipoAmsdos::Binario: return "binario";
  case TipoAmsdos::Otro: return "otro";
  case TipoAmsdos::Plus3Basic: return "+3DOS BASIC";
  case TipoAmsdos::Plus3Codigo: return "+3DOS CODE"; // the Spectrum's own word
  case TipoAmsdos::Plus3Matriz: return "+3DOS matriz";
  }
  return "otro";
}

std::string_view NombreFormato(FormatoCabecera formato) {
  return formato == FormatoCabecera::Plus3dos ? "+3DOS" : "AMSDOS";
}

} // namespace cpm
