#include "cpm/Patron.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace cpm {
namespace {

constexpr std::size_t LargoNombre = 8, LargoExt = 3;
constexpr int MaxUsuario = 15;
// Characters CP/M does not allow in a name.
constexpr std::string_view Prohibidos = "<>,;:=[]|/\\\"";

char Mayuscula(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool Parte(std::string_view texto, std::size_t largo, char *destino, std::string &error) {
  std::size_t i = 0;
  for (char c : texto) {
    if (c == '*') {
      std::fill(destino + i, destino + largo, '?');
      return true; // CP/M ignores what follows a '*'
    }
    if (i == largo) {
      error =
          "\"" + std::string(texto) + "\" tiene más de " + std::to_string(largo) + " caracteres";
      return false;
    }
    if (static_cast<unsigned char>(c) <= ' ' || Prohibidos.find(c) != std::string_view::npos) {
      error = "el carácter '" + std::string(1, c) + "' no vale en un nombre";
      return false;
    }
    destino[i++] = Mayuscula(c);
  }
  std::fill(destino + i, destino + largo, ' ');
  return true;
}

} // namespace

std::optional<Patron> CompilarPatron(std::string_view texto, std::string *error) {
  std::string e;
  Patron p;
  const auto dosPuntos = texto.find(':');
  if (dosPuntos != std::string_view::npos) {
    const std::string_view u = texto.substr(0, dosPuntos);
    int usuario = 0;
    const bool numero = !u.empty() && u.size() <= 2 && std::all_of(u.begin(), u.end(), [](char c) {
      return c >= '0' && c <= '9';
    });
    for (char c : u) {
      usuario = usuario * 10 + (c - '0');
    }
    if (!numero || usuario > MaxUsuario) {
      e = "el usuario \"" + std::string(u) + "\" no es un número de 0 a 15";
    }
    p.usuario = static_cast<std::uint8_t>(usuario);
    texto.remove_prefix(dosPuntos + 1);
  }
  if (e.empty() && texto.empty()) {
    e = "el patrón está vacío";
  }
  if (e.empty()) {
    const auto punto = texto.find('.');
    // A lone "*" means every file, whatever its extension.
    const std::string_view ext = punto != std::string_view::npos ? texto.substr(punto + 1)
                                 : texto == "*"                  ? "*"
                                                                 : "";
    if (ext.find('.') != std::string_view::npos) {
      e = "un nombre lleva un solo punto";
    } else if (Parte(texto.substr(0, punto), LargoNombre, p.plantilla.data(), e)) {
      Parte(ext, LargoExt, p.plantilla.data() + LargoNombre, e);
    }
  }
  if (!e.empty()) {
    if (error != nullptr) {
      *error = e;
    }
    return std::nullopt;
  }
  return p;
}

bool Coincide(const Patron &patron, const Archivo &archivo) {
  if (patron.usuario && *patron.usuario != archivo.usuario) {
    return false;
  }
  std::array<char, 11> nombre{};
  nombre.fill(' ');
  std::copy_n(archivo.nombre.begin(), std::min(archivo.nombre.size(), LargoNombre), nombre.begin());
  std::copy_n(archivo.extension.begin(), std::min(archivo.extension.size(), LargoExt),
              nombre.begin() + LargoNombre);
  for (std::size_t i = 0; i < nombre.size(); ++i) {
    if (patron.plantilla[i] != '?' && patron.plantilla[i] != Mayuscula(nombre[i])) {
      return false;
    }
  }
  return true;
}

} // namespace cpm
