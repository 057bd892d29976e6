#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

// SHA-256 (FIPS 180-4), from a library the host keeps: Nettle on POSIX
// hosts, the system's own BCrypt on Windows. For the checksums that identify
// disks and files in a collection.
namespace Plataforma {

using ResumenSha256 = std::array<std::uint8_t, 32>;

// A digest fed piece by piece. A failure of the host's library (it cannot be
// loaded, say) throws ErrorAlcove.
class Sha256 {
public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256 &) = delete;
  Sha256 &operator=(const Sha256 &) = delete;

  void Agregar(std::span<const std::uint8_t> bytes);
  // The digest of everything added; the object is not used after it.
  ResumenSha256 Terminar();

private:
  struct Estado; // the host library's context
  std::unique_ptr<Estado> estado_;
};

ResumenSha256 CalcularSha256(std::span<const std::uint8_t> bytes);

// 64 lower-case hex digits, as sha256sum prints them.
std::string TextoHex(const ResumenSha256 &resumen);

} // namespace Plataforma
