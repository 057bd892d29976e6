#include "cpm/Entrada.h"
#include "cpm/Escritura.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace cpm {
namespace {

using namespace cabecera;
using entrada::MaxUsuario;

constexpr std::string_view Prohibidos = "<>.,;:=?*[]|";

void PonerLe16(std::span<std::uint8_t> b, std::size_t pos, unsigned valor) {
  b[pos] = static_cast<std::uint8_t>(valor & 0xFF);
  b[pos + 1] = static_cast<std::uint8_t>((valor >> 8) & 0xFF);
}

// One part of the name, checked and upper-cased into `destino`.
bool Parte(std::string_view parte, std::size_t maximo, std::string_view que, char *destino,
           std::string &error) {
  if (parte.size() > maximo) {
    error = std::string(que) + " tiene más de " + std::to_string(maximo) + " caracteres";
    return false;
  }
  for (std::size_t i = 0; i < parte.size(); ++i) {
    if (std::string m = MotivoCaracterNombre(parte[i]); !m.empty()) {
      error = m;
      return false;
    }
    destino[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(parte[i])));
  }
  return true;
}

std::optional<std::uint8_t> Usuario(std::string_view texto) {
  if (texto.empty() || texto.size() > 2 || !std::all_of(texto.begin(), texto.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return std::nullopt;
  }
  const int n = std::stoi(std::string(texto));
  return n <= MaxUsuario ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(n)) : std::nullopt;
}

} // namespace

std::string MotivoCaracterNombre(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u == 0x7F) {
    return "lleva códigos de control";
  }
  if (u >= 0x80) {
    return "lleva caracteres que no son ASCII";
  }
  if (c == ' ') {
    return "lleva blancos";
  }
  if (Prohibidos.find(c) != std::string_view::npos) {
    return std::string("lleva \"") + c + "\", que CP/M no admite en un nombre";
  }
  return {};
}

std::string NombreCpm::Texto() const {
  std::string n(nombre.data(), LargoNombre);
  std::string e(nombre.data() + LargoNombre, LargoExt);
  const auto cortar = [](std::string &s) { s.erase(s.find_last_not_of(' ') + 1); };
  cortar(n);
  cortar(e);
  return e.empty() ? n : n + "." + e;
}

std::optional<NombreCpm> ValidarNombre(std::string_view texto, std::uint8_t usuario,
                                       std::string *error) {
  std::string porQue;
  NombreCpm r;
  r.usuario = usuario;
  r.nombre.fill(' ');
  std::string_view resto = texto;
  if (const auto dos = resto.find(':'); dos != std::string_view::npos) {
    const auto u = Usuario(resto.substr(0, dos));
    r.usuario = u.value_or(0xFF);
    resto.remove_prefix(dos + 1);
  }
  if (r.usuario > MaxUsuario) {
    porQue = "el usuario no es un número de 0 a 15";
  }
  const auto punto = resto.find('.');
  const std::string_view nombre = resto.substr(0, punto);
  const std::string_view ext =
      punto == std::string_view::npos ? std::string_view{} : resto.substr(punto + 1);
  if (porQue.empty() && nombre.empty()) {
    porQue = "el nombre está vacío";
  }
  if (porQue.empty() && Parte(nombre, LargoNombre, "el nombre", r.nombre.data(), porQue)) {
    Parte(ext, LargoExt, "la extensión", r.nombre.data() + LargoNombre, porQue);
  }
  if (porQue.empty()) {
    return r;
  }
  if (error != nullptr) {
    *error = "\"" + std::string(texto) + "\" no vale como nombre de CP/M: " + porQue;
  }
  return std::nullopt;
}

void CambiarCamposCabecera(std::span<std::uint8_t, TamanoCabeceraAmsdos> c,
                           const CambioCabecera &cambio) {
  if (cambio.tipo) {
    c[PosTipo] = *cambio.tipo;
  }
  if (cambio.carga) {
    PonerLe16(c, PosCarga, *cambio.carga);
  }
  if (cambio.entrada) {
    PonerLe16(c, PosEntrada, *cambio.entrada);
  }
  if (cambio.longitud) {
    const std::uint32_t longitud = *cambio.longitud;
    PonerLe16(c, PosLongitudCorta, longitud & 0xFFFF);
    c[PosLongitud] = static_cast<std::uint8_t>(longitud & 0xFF);
    c[PosLongitud + 1] = static_cast<std::uint8_t>((longitud >> 8) & 0xFF);
    c[PosLongitud + 2] = static_cast<std::uint8_t>((longitud >> 16) & 0xFF);
  }
  unsigned suma = 0;
  for (std::size_t i = 0; i < PosSuma; ++i) {
    suma += c[i];
  }
  PonerLe16(c, PosSuma, suma & 0xFFFF);
}

std::array<std::uint8_t, TamanoCabeceraAmsdos>
HacerCabeceraAmsdos(const NombreCpm &nombre, std::uint8_t tipo, std::uint16_t carga,
                    std::uint16_t entrada, std::uint32_t longitud) {
  std::array<std::uint8_t, TamanoCabeceraAmsdos> c{};
  c[PosUsuario] = nombre.usuario;
  std::copy(nombre.nombre.begin(), nombre.nombre.end(), c.begin() + PosNombre);
  CambiarCamposCabecera(c, {tipo, carga, entrada, longitud});
  return c;
}

namespace {

std::vector<std::uint8_t> Unir(const std::array<std::uint8_t, TamanoCabeceraAmsdos> &cabecera,
                               std::span<const std::uint8_t> cuerpo) {
  std::vector<std::uint8_t> v(cabecera.begin(), cabecera.end());
  v.insert(v.end(), cuerpo.begin(), cuerpo.end());
  return v;
}

} // namespace

std::vector<std::uint8_t> ConCabeceraBinaria(const NombreCpm &nombre,
                                             std::span<const std::uint8_t> cuerpo,
                                             std::uint16_t carga, std::uint16_t entrada) {
  return Unir(HacerCabeceraAmsdos(nombre, TipoAmsdosBinario, carga, entrada,
                                  static_cast<std::uint32_t>(cuerpo.size())),
              cuerpo);
}

std::vector<std::uint8_t> ConCabeceraBasic(const NombreCpm &nombre,
                                           std::span<const std::uint8_t> cuerpo) {
  return Unir(HacerCabeceraAmsdos(nombre, TipoAmsdosBasic, CargaBasic, 0,
                                  static_cast<std::uint32_t>(cuerpo.size())),
              cuerpo);
}

std::string MotivoNoCabe(std::size_t largo, std::uint16_t carga) {
  constexpr std::size_t Memoria = 0x10000;
  char texto[160];
  if (carga + largo > Memoria) {
    std::snprintf(texto, sizeof texto,
                  "no cabe en la memoria del CPC: %zu bytes desde &%04X pasan de &FFFF (desde ahí "
                  "%s %zu)",
                  largo, static_cast<unsigned>(carga), Memoria - carga == 1 ? "cabe" : "caben",
                  Memoria - carga);
  } else if (largo > 0xFFFF) {
    std::snprintf(texto, sizeof texto,
                  "la cabecera AMSDOS guarda hasta 65535 bytes y el archivo tiene %zu", largo);
  } else {
    return {};
  }
  return texto;
}

std::string_view NombreTipo(TipoRechazo tipo) {
  switch (tipo) {
  case TipoRechazo::FormatoDesconocido: return "formato-desconocido";
  case TipoRechazo::CatalogoIlegible: return "catalogo-ilegible";
  case TipoRechazo::BloquesDanados: return "bloques-danados";
  case TipoRechazo::SectorInutilizable: return "sector-inutilizable";
  case TipoRechazo::NombreNoValido: return "nombre-no-valido";
  case TipoRechazo::YaExiste: return "ya-existe";
  case TipoRechazo::SinSitio: return "sin-sitio";
  case TipoRechazo::SinEntradas: return "sin-entradas";
  case TipoRechazo::NoEncontrado: return "no-encontrado";
  case TipoRechazo::SoloLectura: return "solo-lectura";
  case TipoRechazo::Irrecuperable: return "irrecuperable";
  case TipoRechazo::OpcionNoValida: return "opcion-no-valida";
  case TipoRechazo::Cabecera: return "cabecera";
  }
  return "desconocido";
}

} // namespace cpm
