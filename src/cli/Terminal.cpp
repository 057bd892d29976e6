#include "cli/Terminal.h"

#include <cctype>
#include <cstdint>

namespace Cli {
namespace {

constexpr char kCifras[] = "0123456789ABCDEF";

void Visible(std::string &s, std::uint8_t c) {
  s += "\\x";
  s += kCifras[c >> 4];
  s += kCifras[c & 0xF];
}

// Bytes of the well-formed UTF-8 sequence at `i` (its lead byte at least &C2),
// and its code point; 0 when there is none.
std::size_t SecuenciaUtf8(std::string_view t, std::size_t i, std::uint32_t &punto) {
  const auto c = static_cast<std::uint8_t>(t[i]);
  const std::size_t largo = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
  if (largo == 0 || c >= 0xF5 || i + largo > t.size()) {
    return 0;
  }
  punto = c & (0x7F >> largo);
  for (std::size_t k = 1; k < largo; ++k) {
    const auto d = static_cast<std::uint8_t>(t[i + k]);
    if ((d & 0xC0) != 0x80) {
      return 0;
    }
    punto = (punto << 6) | (d & 0x3F);
  }
  // Overlong forms and surrogates are not text.
  const bool corto = (largo == 3 && punto < 0x800) || (largo == 4 && punto < 0x10000);
  return corto || (punto >= 0xD800 && punto < 0xE000) || punto > 0x10FFFF ? 0 : largo;
}

} // namespace

std::string ParaTerminal(std::string_view texto) {
  std::string s;
  s.reserve(texto.size());
  for (std::size_t i = 0; i < texto.size();) {
    const auto c = static_cast<std::uint8_t>(texto[i]);
    const bool finLinea = c == '\n' || (c == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n');
    if ((c < 0x20 && !finLinea && c != '\t') || c == 0x7F) {
      Visible(s, c);
      ++i;
      continue;
    }
    if (c < 0x80) {
      s += static_cast<char>(c);
      ++i;
      continue;
    }
    std::uint32_t punto = 0;
    const std::size_t largo = SecuenciaUtf8(texto, i, punto);
    if (largo == 0) {
      // A byte that is not UTF-8: C1 controls are shown, the rest kept.
      if (c < 0xA0) {
        Visible(s, c);
      } else {
        s += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    for (std::size_t k = 0; k < largo; ++k) {
      if (punto < 0xA0) {
        Visible(s, static_cast<std::uint8_t>(texto[i + k]));
      } else {
        s += texto[i + k];
      }
    }
    i += largo;
  }
  return s;
}

std::string JsonParaTerminal(std::string_view json) {
  std::string s;
  s.reserve(json.size());
  for (std::size_t i = 0; i < json.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(json[i]);
    const bool c1 = c == 0xC2 && i + 1 < json.size() &&
                    static_cast<std::uint8_t>(json[i + 1]) >= 0x80 &&
                    static_cast<std::uint8_t>(json[i + 1]) < 0xA0;
    if (c != 0x7F && !c1) {
      s += json[i];
      continue;
    }
    // Such bytes stand only inside strings, where an escape means the same.
    const std::uint8_t punto = c1 ? static_cast<std::uint8_t>(json[++i]) : c;
    s += "\\u00";
    s += static_cast<char>(std::tolower(kCifras[punto >> 4]));
    s += static_cast<char>(std::tolower(kCifras[punto & 0xF]));
  }
  return s;
}

std::string_view ParaFlujo(Plataforma::Flujo flujo, std::string_view texto, std::string &copia,
                           bool json) {
  static const bool salida = Plataforma::EsTerminal(Plataforma::Flujo::Salida);
  static const bool errores = Plataforma::EsTerminal(Plataforma::Flujo::Errores);
  if (!(flujo == Plataforma::Flujo::Salida ? salida : errores)) {
    return texto;
  }
  copia = json ? JsonParaTerminal(texto) : ParaTerminal(texto);
  return copia;
}

} // namespace Cli
