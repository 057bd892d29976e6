#include "platform/sumas/Sha256.h"

#include <nettle/sha2.h>

namespace Plataforma {

struct Sha256::Estado {
  sha256_ctx contexto{};
};

Sha256::Sha256() : estado_(std::make_unique<Estado>()) { sha256_init(&estado_->contexto); }

Sha256::~Sha256() = default;

void Sha256::Agregar(std::span<const std::uint8_t> bytes) {
  sha256_update(&estado_->contexto, bytes.size(), bytes.data());
}

ResumenSha256 Sha256::Terminar() {
  ResumenSha256 r{};
  sha256_digest(&estado_->contexto, r.size(), r.data());
  return r;
}

} // namespace Plataforma
