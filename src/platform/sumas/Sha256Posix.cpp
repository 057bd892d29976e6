#include "platform/sumas/Sha256.h"

#include "platform/BibliotecaPosix.h"

#include <nettle/sha2.h>

namespace Plataforma {
namespace {

// Nettle's SHA-256, loaded on the first digest (ALCOVE_SONAME_NETTLE, from
// the build).
struct Nettle {
  decltype(&nettle_sha256_init) iniciar;
  decltype(&nettle_sha256_update) agregar;
  decltype(&nettle_sha256_digest) terminar;
};

const Nettle &Funciones() {
  static const Nettle nettle = [] {
    const Biblioteca::Cargada b(ALCOVE_SONAME_NETTLE);
    return Nettle{b.Buscar("nettle_sha256_init"), b.Buscar("nettle_sha256_update"),
                  b.Buscar("nettle_sha256_digest")};
  }();
  return nettle;
}

} // namespace

struct Sha256::Estado {
  sha256_ctx contexto{};
};

Sha256::Sha256() : estado_(std::make_unique<Estado>()) { Funciones().iniciar(&estado_->contexto); }

Sha256::~Sha256() = default;

void Sha256::Agregar(std::span<const std::uint8_t> bytes) {
  Funciones().agregar(&estado_->contexto, bytes.size(), bytes.data());
}

ResumenSha256 Sha256::Terminar() {
  ResumenSha256 r{};
  Funciones().terminar(&estado_->contexto, r.size(), r.data());
  return r;
}

} // namespace Plataforma
