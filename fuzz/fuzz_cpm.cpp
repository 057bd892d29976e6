// Arbitrary bytes read as a disk by the exact CP/M reader: container, format,
// catalogue, and every file extracted in both modes. The same bytes are read a
// second time with a format forced by name, chosen by the last byte. The
// copy-protection verdict and the completion of a dump run over its tracks;
// the check and the repair of the first reading: a repair always made of
// bytes read from these, and nothing changed when nothing can be mended.
#include "Revision.h"
#include "cpm/Comprobacion.h"
#include "cpm/Disco.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

using revision::Revisar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  const cpm::Disco disco = cpm::LeerDisco(bytes);
  Revisar(disco);
  revision::RevisarProteccion(disco);
  const cpm::Comprobacion comprobacion = cpm::ComprobarDisco(disco);
  const cpm::Escrito reparado = cpm::RepararDisco(bytes, disco);
  if (!reparado.Hecho() ||
      (comprobacion.Reparables() == 0 &&
       !std::equal(bytes.begin(), bytes.end(), reparado.bytes.begin(), reparado.bytes.end()))) {
    std::abort();
  }
  if (largo > 0) {
    const auto nombres = cpm::NombresFormatos();
    cpm::OpcionesLectura opciones;
    opciones.formato = std::string(nombres[datos[largo - 1] % nombres.size()]);
    Revisar(cpm::LeerDisco(bytes, opciones));
  }
  return 0;
}
