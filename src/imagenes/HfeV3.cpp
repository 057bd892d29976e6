// HFE v3 ("HXCHFEV3"), the HxC emulator's bitstream with opcodes among its
// cells (flujo/HfeV3.h): a kind only read, beside HFE v1 (imagenes/Hfe.h),
// which it shares the header and blocks with. Its cells go through the same
// reading of revolutions as flux (imagenes/Flujo.h), so that a random-byte
// span reads as a weak sector.
#include "imagenes/Flujo.h"
#include "imagenes/Tipos.h"

#include "flujo/HfeV3.h"

#include <algorithm>

namespace imagenes {

bool EsHfeV3(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= flujo::FirmaHfeV3.size() &&
         std::equal(flujo::FirmaHfeV3.begin(), flujo::FirmaHfeV3.end(), bytes.begin());
}

Lectura LeerHfeV3(std::span<const std::uint8_t> bytes, const OpcionesLectura &) {
  DiscoDeFlujo disco;
  const flujo::LecturaHfeV3 h = flujo::LeerHfeV3(bytes);
  if (!h.error.empty()) {
    return disco.Terminar(1, h.error);
  }
  disco.Avisos(h.avisos);
  for (const flujo::CeldasPista &c : h.lados) {
    disco.Celdas(c);
  }
  return disco.Terminar(h.caras);
}

} // namespace imagenes
