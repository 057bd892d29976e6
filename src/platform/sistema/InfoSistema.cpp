#include "platform/sistema/InfoSistema.h"

#include "platform/Errores.h"

#include <utility>

namespace Plataforma {

ObjetoSistema::ObjetoSistema(std::optional<std::string> caption, std::optional<std::string> version,
                             std::optional<std::string> serialNumber) {
  propiedades_.emplace("Caption", std::move(caption));
  propiedades_.emplace("Version", std::move(version));
  propiedades_.emplace("SerialNumber", std::move(serialNumber));
}

std::optional<std::string> ObjetoSistema::Propiedad(std::string_view nombre) const {
  const auto it = propiedades_.find(nombre);
  if (it == propiedades_.end()) {
    throw ErrorAlcove(Errores::ArgumentoNoValido,
                      "El objeto no tiene la propiedad " + std::string(nombre));
  }
  return it->second;
}

void ObjetoSistema::PonerPropiedad(std::string nombre, std::optional<std::string> valor) {
  propiedades_.insert_or_assign(std::move(nombre), std::move(valor));
}

namespace {

bool EsBlanco(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Recortar(std::string_view s) {
  while (!s.empty() && EsBlanco(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && EsBlanco(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

// Undoes the shell-style quoting os-release allows: "double" with backslash
// escapes, 'single' taken literally, or a bare word with backslash escapes.
std::optional<std::string> Desentrecomillar(std::string_view v) {
  std::string salida;
  char comilla = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (comilla == '\'') {
      if (c == '\'') {
        comilla = 0;
      } else {
        salida += c;
      }
    } else if (c == '\\') {
      if (i + 1 >= v.size()) {
        return std::nullopt;
      }
      salida += v[++i];
    } else if (comilla == '"') {
      if (c == '"') {
        comilla = 0;
      } else {
        salida += c;
      }
    } else if (c == '"' || c == '\'') {
      comilla = c;
    } else if (EsBlanco(c)) {
      return std::nullopt; // an unquoted blank is not a single value
    } else {
      salida += c;
    }
  }
  if (comilla != 0) {
    return std::nullopt;
  }
  return salida;
}

} // namespace

std::map<std::string, std::string> LeerOsRelease(std::string_view texto) {
  std::map<std::string, std::string> pares;
  while (!texto.empty()) {
    const auto fin = texto.find('\n');
    const std::string_view linea = Recortar(texto.substr(0, fin));
    texto.remove_prefix(fin == std::string_view::npos ? texto.size() : fin + 1);
    if (linea.empty() || linea.front() == '#') {
      continue;
    }
    const auto igual = linea.find('=');
    if (igual == std::string_view::npos || igual == 0) {
      continue;
    }
    const std::string_view clave = linea.substr(0, igual);
    bool claveValida = true;
    for (const char c : clave) {
      const bool letra = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      const bool cifra = c >= '0' && c <= '9';
      claveValida = claveValida && (letra || cifra || c == '_');
    }
    if (!claveValida) {
      continue;
    }
    if (auto valor = Desentrecomillar(linea.substr(igual + 1))) {
      pares.insert_or_assign(std::string(clave), std::move(*valor));
    }
  }
  return pares;
}

} // namespace Plataforma
