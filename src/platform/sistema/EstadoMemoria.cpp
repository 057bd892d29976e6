#include "platform/sistema/EstadoMemoria.h"

#include "platform/Errores.h"

#include <charconv>
#include <limits>
#include <string>

namespace Plataforma {

std::int64_t LeerCampoKb(std::string_view texto, std::string_view clave) {
  std::size_t inicio = 0;
  while (inicio < texto.size()) {
    auto fin = texto.find('\n', inicio);
    if (fin == std::string_view::npos) {
      fin = texto.size();
    }
    std::string_view linea = texto.substr(inicio, fin - inicio);
    inicio = fin + 1;
    if (linea.size() <= clave.size() || linea.substr(0, clave.size()) != clave ||
        linea[clave.size()] != ':') {
      continue;
    }
    linea.remove_prefix(clave.size() + 1);
    while (!linea.empty() && (linea.front() == ' ' || linea.front() == '\t')) {
      linea.remove_prefix(1);
    }
    std::int64_t valor = 0;
    const char *const final = linea.data() + linea.size();
    const auto [resto, error] = std::from_chars(linea.data(), final, valor);
    std::string_view unidad(resto, static_cast<std::size_t>(final - resto));
    while (!unidad.empty() && (unidad.front() == ' ' || unidad.front() == '\t')) {
      unidad.remove_prefix(1);
    }
    while (!unidad.empty() && (unidad.back() == ' ' || unidad.back() == '\r')) {
      unidad.remove_suffix(1);
    }
    if (error != std::errc() || valor < 0 || unidad != "kB" ||
        valor > std::numeric_limits<std::int64_t>::max() / 1024) {
      break;
    }
    return valor * 1024;
  }
  throw ErrorAlcove(Errores::ErrorEntradaSalida,
                    "Campo de memoria ilegible: " + std::string(clave));
}

} // namespace Plataforma
