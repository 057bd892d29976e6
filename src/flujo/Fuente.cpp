#include "flujo/Flujo.h"

namespace flujo {

std::span<const std::uint8_t> FuenteMemoria::Leer(std::uint64_t desde, std::size_t largo) {
  if (desde >= bytes_.size()) {
    return {};
  }
  const auto inicio = static_cast<std::size_t>(desde);
  return bytes_.subspan(inicio, std::min(largo, bytes_.size() - inicio));
}

} // namespace flujo
