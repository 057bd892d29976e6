#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

// Numbers as CPC listings and tools write them: hex as &C1, #C1, $C1, 0xC1 or
// C1h, anything else decimal. -1 for what is no number of up to six digits.
inline int LeerNumeroCpc(std::string_view cifras) {
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
    const bool decimal = c >= '0' && c <= '9';
    return decimal || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  };
  if (cifras.empty() || cifras.size() > 6 || !std::all_of(cifras.begin(), cifras.end(), cifra)) {
    return -1;
  }
  return static_cast<int>(std::strtol(std::string(cifras).c_str(), nullptr, hex ? 16 : 10));
}
