#include "disk/Formato.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Formato {
namespace {

using cpcemu::LargoCreador;
using cpcemu::LargoFirma;
using cpcemu::PosCaras;
using cpcemu::PosCreador;
using cpcemu::PosFirma;
using cpcemu::PosPistas;

// The byte at `pos`, or 0 past the end: short files decode as if zero-filled.
std::uint8_t ByteEn(std::span<const std::uint8_t> bytes, std::size_t pos) {
  return pos < bytes.size() ? bytes[pos] : 0;
}

std::string TextoEn(std::span<const std::uint8_t> bytes, std::size_t pos, std::size_t largo) {
  std::string texto(largo, '\0');
  for (std::size_t i = 0; i < largo; ++i) {
    texto[i] = ByteATexto(ByteEn(bytes, pos + i));
  }
  return texto;
}

bool EmpiezaSinMayusculas(std::string_view texto, std::string_view firma) {
  if (texto.size() < firma.size()) {
    return false;
  }
  // ASCII folding only: the signatures are plain ASCII and bytes above 127
  // must never match a letter.
  const auto mayuscula = [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  };
  return std::equal(firma.begin(), firma.end(), texto.begin(),
                    [&](char a, char b) { return mayuscula(a) == mayuscula(b); });
}

} // namespace

std::string BytesATexto(std::span<const std::uint8_t> bytes) {
  std::string texto(bytes.size(), '\0');
  std::transform(bytes.begin(), bytes.end(), texto.begin(), ByteATexto);
  return texto;
}

std::int32_t DetectarFormato(std::string_view firma) {
  std::int32_t formato = FormatoImagen::Ninguno;
  if (EmpiezaSinMayusculas(firma, FirmaEstandar)) {
    formato = FormatoImagen::Estandar;
  }
  if (EmpiezaSinMayusculas(firma, FirmaExtendida)) {
    formato = FormatoImagen::Extendido;
  }
  return formato;
}

std::string QuitarBlancos(std::string_view texto) {
  const auto primero = texto.find_first_not_of(' ');
  if (primero == std::string_view::npos) {
    return {};
  }
  const auto ultimo = texto.find_last_not_of(' ');
  return std::string(texto.substr(primero, ultimo - primero + 1));
}

void LeerEntrada(std::span<const std::uint8_t, LargoEntrada> bytes, EntradaDir &e) {
  e.Usuario = bytes[EntUsuario];
  if (e.Nombre.size() != LargoNombre) {
    e.Nombre.resize(LargoNombre); // loading again reuses the record's storage
  }
  // Loading is on the path of every click. The name is worked on as part of the
  // entry's first 16 bytes in one branch-free pass, which compilers turn into a
  // handful of vector instructions; only bytes 1..11 are the name.
  constexpr int Cabeza = 16;
  constexpr std::uint8_t EsNombre[Cabeza] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0};
  std::uint8_t cabeza[Cabeza];
  std::memcpy(cabeza, bytes.data(), Cabeza);
  char texto[Cabeza];
  std::uint8_t rechazados = 0;
  for (int i = 0; i < Cabeza; ++i) {
    const char c = ByteATexto(cabeza[i]);
    texto[i] = c;
    rechazados |=
        static_cast<std::uint8_t>(EsNombre[i] & !CaracterAceptado(static_cast<unsigned char>(c)));
  }
  std::memcpy(e.Nombre.data(), texto + EntNombre, LargoNombre);
  e.MarcaExt1 = bytes[EntExt1] == 1 ? 1 : 2;
  e.MarcaExt2 = bytes[EntExt2] == 1 ? 4 : 8;
  e.Estado = EstadoDeEntrada(rechazados == 0, e.Usuario);
  e.S2 = bytes[EntS2];
  e.Registros = bytes[EntRegistros];
  std::memcpy(e.Bloques.data(), bytes.data() + EntBloques, e.Bloques.size());
}

EntradaDir LeerEntrada(std::span<const std::uint8_t, LargoEntrada> bytes) {
  EntradaDir e;
  LeerEntrada(bytes, e);
  return e;
}

void LeerCabecera(std::span<const std::uint8_t> inicio, CabeceraDisco &cab) {
  // An image with neither signature gets 0, so nothing of an image loaded
  // before lingers in the record.
  char firma[LargoFirma];
  for (std::size_t i = 0; i < LargoFirma; ++i) {
    firma[i] = ByteATexto(ByteEn(inicio, PosFirma + i));
  }
  cab.Formato = DetectarFormato(std::string_view(firma, LargoFirma));
  cab.Creador = QuitarBlancos(TextoEn(inicio, PosCreador, LargoCreador));
  cab.Pistas = ByteEn(inicio, PosPistas);
  cab.Caras = ByteEn(inicio, PosCaras);
}

void LeerDirectorio(std::span<const std::uint8_t> inicio, CabeceraDisco &cab) {
  for (std::size_t i = 0; i < NumEntradas; ++i) {
    const std::size_t pos = PosCatalogo + LargoEntrada * i;
    if (pos + LargoEntrada <= inicio.size()) {
      LeerEntrada(inicio.subspan(pos).first<LargoEntrada>(), cab.Entradas[i]);
      continue;
    }
    // A short file: the missing bytes read as zeros.
    std::array<std::uint8_t, LargoEntrada> entrada{};
    if (pos < inicio.size()) {
      std::copy(inicio.begin() + static_cast<std::ptrdiff_t>(pos), inicio.end(), entrada.begin());
    }
    LeerEntrada(entrada, cab.Entradas[i]);
  }
}

CabeceraDisco LeerImagen(std::span<const std::uint8_t> inicio) {
  CabeceraDisco cab;
  LeerCabecera(inicio, cab);
  LeerDirectorio(inicio, cab);
  return cab;
}

} // namespace Formato
