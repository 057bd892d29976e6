#include "cpm/Texto.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
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

int LeerNumero(std::string_view texto) {
  std::string_view cifras = texto;
  bool hex = true;
  if (!cifras.empty() && (cifras[0] == '&' || cifras[0] == '#' || cifras[0] == '$')) {
    cifras.remove_prefix(1);
  } else if (cifras.size() > 2 && cifras[0] == '0' && (cifras[1] == 'x' || cifras[1] == 'X')) {
    cifras.remove_prefix(2);
  } else if (cifras.size() > 1 && (cifras.back() == 'h' || cifras.back() == 'H')) {
    cifras.remove_suffix(1);
  } else {
    hex = false;
  }
  // Digits only: strtol would also take blanks, a sign and a second "0x".
  const auto cifra = [hex](char c) {
    return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
               : std::isdigit(static_cast<unsigned char>(c)) != 0;
  };
  if (cifras.empty() || cifras.size() > 6 || !std::all_of(cifras.begin(), cifras.end(), cifra)) {
    return -1;
  }
  return static_cast<int>(std::strtol(std::string(cifras).c_str(), nullptr, hex ? 16 : 10));
}

int ValorSiFueraHex(std::string_view texto) {
  const bool decimal = !texto.empty() && texto.find_first_not_of("0123456789") == std::string::npos;
  const int valor = decimal ? LeerNumero(texto) : -1;
  const int hex = texto.size() >= 4 && valor >= 0 ? LeerNumero("&" + std::string(texto)) : -1;
  return hex < 0 || hex > 0xFFFF || hex == valor ? -1 : hex;
}

} // namespace cpm
