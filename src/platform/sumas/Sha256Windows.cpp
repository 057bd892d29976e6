#include "platform/sumas/Sha256.h"

#include "platform/Errores.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <limits>

namespace Plataforma {
namespace {

void Comprobar(NTSTATUS estado, const char *que) {
  if (!BCRYPT_SUCCESS(estado)) {
    throw ErrorAlcove(Errores::ErrorEntradaSalida, std::string("SHA-256 de BCrypt: ") + que);
  }
}

} // namespace

struct Sha256::Estado {
  BCRYPT_ALG_HANDLE algoritmo = nullptr;
  BCRYPT_HASH_HANDLE suma = nullptr;
  ~Estado() {
    if (suma != nullptr) {
      BCryptDestroyHash(suma);
    }
    if (algoritmo != nullptr) {
      BCryptCloseAlgorithmProvider(algoritmo, 0);
    }
  }
};

Sha256::Sha256() : estado_(std::make_unique<Estado>()) {
  Comprobar(BCryptOpenAlgorithmProvider(&estado_->algoritmo, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
            "no se puede abrir");
  Comprobar(BCryptCreateHash(estado_->algoritmo, &estado_->suma, nullptr, 0, nullptr, 0, 0),
            "no se puede empezar");
}

Sha256::~Sha256() = default;

void Sha256::Agregar(std::span<const std::uint8_t> bytes) {
  // BCrypt takes a ULONG length: large spans go in pieces.
  while (!bytes.empty()) {
    const std::size_t trozo =
        std::min<std::size_t>(bytes.size(), std::numeric_limits<ULONG>::max());
    Comprobar(BCryptHashData(estado_->suma, const_cast<PUCHAR>(bytes.data()),
                             static_cast<ULONG>(trozo), 0),
              "no se puede sumar");
    bytes = bytes.subspan(trozo);
  }
}

ResumenSha256 Sha256::Terminar() {
  ResumenSha256 r{};
  Comprobar(BCryptFinishHash(estado_->suma, r.data(), static_cast<ULONG>(r.size()), 0),
            "no se puede terminar");
  return r;
}

} // namespace Plataforma
