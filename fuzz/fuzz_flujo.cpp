// The flux readers on any bytes, as SCP, as one KryoFlux stream and as HFE v3,
// each through its row of the table of kinds: a reading gives a disk or a
// reason, never both, and the disk it gives is one the extended layout can be
// asked to hold.
#include "imagenes/Dsk.h"
#include "imagenes/Tipos.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  for (const char *nombre : {"scp", "kryoflux", "hfe3"}) {
    const imagenes::Tipo *tipo = imagenes::TipoPorNombre(nombre);
    Comprobar(tipo != nullptr);
    const imagenes::Lectura l = tipo->leer(bytes, {});
    Comprobar(l.disco.has_value() == l.error.empty());
    if (l.disco) {
      std::string error;
      const auto dsk = imagenes::EscribirExtendida(*l.disco, &error);
      Comprobar(dsk.has_value() == error.empty());
    }
  }
  return 0;
}
