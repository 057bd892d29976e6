#include "cpm/Texto.h"

#include "util/Numero.h"

#include <algorithm>
#include <string>

namespace cpm {

std::span<const std::uint8_t> HastaFinDeTexto(std::span<const std::uint8_t> bytes) {
  const auto fin = std::find(bytes.begin(), bytes.end(), std::uint8_t{0x1A});
  return bytes.first(static_cast<std::size_t>(fin - bytes.begin()));
}

bool PareceTexto(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t c) {
    return (c >= 0x20 && c < 0x7F) || c == '\n' || c == '\r' || c == '\t' || c == 0x1A;
  });
}

bool PareceTextoCpc(std::span<const std::uint8_t> bytes) {
  std::size_t altos = 0;
  for (const std::uint8_t c : bytes) {
    if (c >= 0x80) {
      ++altos;
    } else if ((c < 0x20 || c == 0x7F) && c != '\n' && c != '\r' && c != '\t' && c != '\f' &&
               c != 0x1A) {
      return false;
    }
  }
  return altos * 4 <= bytes.size();
}

std::vector<std::uint8_t> ConFinesCpm(std::span<const std::uint8_t> bytes, std::size_t *cambiadas) {
  std::vector<std::uint8_t> v;
  v.reserve(bytes.size() + bytes.size() / 16);
  std::size_t n = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
      v.push_back('\r');
      ++n;
    }
    v.push_back(bytes[i]);
  }
  if (cambiadas != nullptr) {
    *cambiadas = n;
  }
  return v;
}

std::vector<std::uint8_t> ConFinesUnix(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> v;
  v.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') {
      v.push_back(bytes[i]);
    }
  }
  return v;
}

int ValorSiFueraHex(std::string_view texto) {
  const bool decimal = !texto.empty() && texto.find_first_not_of("0123456789") == std::string::npos;
  const int valor = decimal ? LeerNumeroCpc(texto) : -1;
  const int hex = texto.size() >= 4 && valor >= 0 ? LeerNumeroCpc("&" + std::string(texto)) : -1;
  return hex < 0 || hex > 0xFFFF || hex == valor ? -1 : hex;
}

} // namespace cpm
