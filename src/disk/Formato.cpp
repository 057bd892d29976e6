#include "disk/Formato.h"

#include <algorithm>

namespace Formato {
namespace {

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

std::int32_t ClasificarEntrada(std::uint8_t usuario, std::string_view nombre) {
  std::int32_t estado = EstadoEntrada::EnUso;
  if (usuario > 15) {
    estado = EstadoEntrada::NoUsada; // 229 marks a deleted entry
  }
  for (const char c : nombre) {
    int codigo = static_cast<unsigned char>(c);
    if (codigo == ' ') {
      codigo = 41; // blanks pad names and are accepted
    }
    if (codigo < 41 || codigo > 123) {
      return EstadoEntrada::NombreNoValido; // wins over "not in use"
    }
  }
  return estado;
}

EntradaDir LeerEntrada(std::span<const std::uint8_t, LargoEntrada> bytes) {
  EntradaDir e;
  e.Usuario = bytes[EntUsuario];
  e.Nombre = BytesATexto(bytes.subspan(EntNombre, LargoNombre));
  e.MarcaExt1 = bytes[EntExt1] == 1 ? 1 : 2;
  e.MarcaExt2 = bytes[EntExt2] == 1 ? 4 : 8;
  e.Estado = ClasificarEntrada(e.Usuario, e.Nombre);
  e.S2 = bytes[EntS2];
  e.Registros = bytes[EntRegistros];
  std::copy_n(bytes.begin() + EntBloques, e.Bloques.size(), e.Bloques.begin());
  return e;
}

void LeerCabecera(std::span<const std::uint8_t> inicio, CabeceraDisco &cab) {
  // An image with neither signature gets 0, so nothing of an image loaded
  // before lingers in the record.
  cab.Formato = DetectarFormato(TextoEn(inicio, PosFirma, LargoFirma));
  cab.Creador = QuitarBlancos(TextoEn(inicio, PosCreador, LargoCreador));
  cab.Pistas = ByteEn(inicio, PosPistas);
  cab.Caras = ByteEn(inicio, PosCaras);
}

void LeerDirectorio(std::span<const std::uint8_t> inicio, CabeceraDisco &cab) {
  for (std::size_t i = 0; i < NumEntradas; ++i) {
    std::array<std::uint8_t, LargoEntrada> entrada{};
    const std::size_t pos = PosCatalogo + LargoEntrada * i;
    if (pos < inicio.size()) {
      const std::size_t disponibles = std::min(LargoEntrada, inicio.size() - pos);
      std::copy_n(inicio.begin() + static_cast<std::ptrdiff_t>(pos), disponibles, entrada.begin());
    }
    cab.Entradas[i] = LeerEntrada(entrada);
  }
}

CabeceraDisco LeerImagen(std::span<const std::uint8_t> inicio) {
  CabeceraDisco cab;
  LeerCabecera(inicio, cab);
  LeerDirectorio(inicio, cab);
  return cab;
}

} // namespace Formato
