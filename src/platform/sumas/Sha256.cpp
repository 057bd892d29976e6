#include "platform/sumas/Sha256.h"

namespace Plataforma {

ResumenSha256 CalcularSha256(std::span<const std::uint8_t> bytes) {
  Sha256 suma;
  suma.Agregar(bytes);
  return suma.Terminar();
}

std::string TextoHex(const ResumenSha256 &resumen) {
  constexpr std::string_view Cifras = "0123456789abcdef";
  std::string t;
  t.reserve(resumen.size() * 2);
  for (const std::uint8_t b : resumen) {
    t += Cifras[b >> 4];
    t += Cifras[b & 0x0F];
  }
  return t;
}

} // namespace Plataforma
