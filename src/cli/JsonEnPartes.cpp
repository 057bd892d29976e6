#include "cli/JsonEnPartes.h"

namespace Cli {
namespace {

// A value dumped as TextoJson dumps it, its lines indented `sangria` more.
std::string Sangrado(const nlohmann::json &valor, std::string_view sangria) {
  const std::string texto = valor.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string r;
  r.reserve(texto.size() + texto.size() / 8);
  for (const char c : texto) {
    r += c;
    if (c == '\n') {
      r += sangria;
    }
  }
  return r;
}

} // namespace

std::string Cls_ListaJson::Abrir(std::string_view clave) {
  return "{\n  " + nlohmann::json(std::string(clave)).dump() + ": [";
}

std::string Cls_ListaJson::Anidado(const nlohmann::json &elemento) {
  return Sangrado(elemento, "    ");
}

std::string Cls_ListaJson::Texto(std::string_view anidado) {
  std::string r(vacia_ ? "\n    " : kSeparador);
  r += anidado;
  vacia_ = false;
  return r;
}

std::string Cls_ListaJson::Cerrar(const nlohmann::json &resto) const {
  std::string r = vacia_ ? "]" : "\n  ]";
  for (const auto &[clave, valor] : resto.items()) {
    r += ",\n  " + nlohmann::json(clave).dump() + ": " + Sangrado(valor, "  ");
  }
  return r + "\n}\n";
}

} // namespace Cli
