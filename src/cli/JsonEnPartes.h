#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace Cli {

// A JSON document written as it is made: its first member is an array whose
// elements are written one at a time, so that only one is ever held; the
// other members come after it. The text is the one TextoJson gives for the
// whole document when the array's key sorts first.
class Cls_ListaJson {
public:
  // "{" and the array's key.
  [[nodiscard]] static std::string Abrir(std::string_view clave);
  // The text of an element at the array's depth, for Texto.
  [[nodiscard]] static std::string Anidado(const nlohmann::json &elemento);
  // One element, or several already joined by Anidado's texts and ",\n    ".
  [[nodiscard]] std::string Texto(std::string_view anidado);
  [[nodiscard]] std::string Elemento(const nlohmann::json &elemento) {
    return Texto(Anidado(elemento));
  }
  // The end of the array, the other members (an object) and the end.
  [[nodiscard]] std::string Cerrar(const nlohmann::json &resto) const;

  // What goes between two elements.
  static constexpr std::string_view kSeparador = ",\n    ";

private:
  bool vacia_ = true;
};

} // namespace Cli
