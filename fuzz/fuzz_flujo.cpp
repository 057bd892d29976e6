// The flux readers on any bytes, as SCP, as one KryoFlux stream and as HFE v3:
// a reading gives a disk or a reason, never both, and the disk it gives is
// one the extended layout can be asked to hold.
#include "cpm/Flujo.h"
#include "cpm/Superficie.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

void Ver(const cpm::LecturaFlujo &l) {
  Comprobar(l.disco.has_value() == l.error.empty());
  if (l.disco) {
    std::string error;
    const auto dsk = cpm::EscribirExtendida(*l.disco, &error);
    Comprobar(dsk.has_value() == error.empty());
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  flujo::FuenteMemoria fuente(bytes);
  Ver(cpm::LeerScpDisco(fuente));
  Ver(cpm::LeerHfeV3Disco(bytes));
  Ver(cpm::LeerStreamsDisco({{0, 0, [&](std::vector<std::uint8_t> &b) {
                                b.assign(bytes.begin(), bytes.end());
                                return std::string();
                              }}}));
  return 0;
}
