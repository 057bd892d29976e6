// Arbitrary bytes read as a zip, every member read whole and in part, and as
// a gzip file. Whatever the bytes, nothing may come out past the limit or past
// what was asked for, and a failure always has a reason.
#include "comprimidos/Zip.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

// Small, so that mutated sizes reach it.
constexpr std::uint64_t kLimite = 256 * 1024;
constexpr std::size_t kMiembros = 32;

void Leer(std::span<const std::uint8_t> zip, const comprimidos::Miembro &m, std::size_t primeros) {
  std::vector<std::uint8_t> destino;
  const std::string error = comprimidos::LeerMiembro(zip, m, kLimite, destino, primeros);
  if (!error.empty()) {
    Comprobar(destino.empty());
    return;
  }
  Comprobar(destino.size() <= kLimite && destino.size() <= m.tamano);
  Comprobar(destino.size() == std::min<std::uint64_t>(m.tamano, primeros));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  const comprimidos::Directorio d = comprimidos::ListarZip(bytes);
  Comprobar(d.miembros.size() <= 0xFFFF);
  const std::size_t primeros = largo > 0 ? std::size_t{datos[0]} * 64 : 0;
  for (std::size_t i = 0; i < d.miembros.size() && i < kMiembros; ++i) {
    Leer(bytes, d.miembros[i], comprimidos::kTodo);
    Leer(bytes, d.miembros[i], primeros);
  }
  std::vector<std::uint8_t> gz;
  const std::string error = comprimidos::LeerGz(bytes, kLimite, gz);
  Comprobar(error.empty() ? gz.size() <= kLimite : gz.empty());
  Comprobar(comprimidos::LeerGz(bytes, kLimite, gz, primeros).empty() ? gz.size() <= primeros
                                                                      : gz.empty());
  return 0;
}
