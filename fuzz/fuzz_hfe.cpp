// The HFE reader on any bytes, and the conversions of what it decodes: the
// extended layout holds every decoded disk whose tracks fit its sizes, so that
// conversion must lose nothing; HFE written again from it must decode to the
// same disk whenever every sector it holds has a whole data field.
#include "cpm/Conversion.h"
#include "imagenes/Conversion.h"
#include "imagenes/Hfe.h"
#include "imagenes/Tipos.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

// Every track's bytes fit an extended Track-Info block and its one-byte size.
bool CabeEnExtendida(const imagenes::Superficie &d) {
  if (d.pistas * d.caras > 204) {
    return false;
  }
  for (const imagenes::PistaSuperficie &p : d.pistasCaras) {
    std::size_t total = 24 + 8 * p.sectores.size();
    total = total <= 256 ? 256 : (total + 255) / 256 * 256;
    for (const imagenes::SectorSuperficie &s : p.sectores) {
      total += s.datos.size();
    }
    if (total > 255 * 256 || p.sectores.size() > 255) {
      return false;
    }
  }
  return true;
}

// Sectors the encoder gives back as they are: a whole data field (or none),
// on tracks short enough for a cylinder's 16-bit length.
bool Enteros(const imagenes::Superficie &d) {
  for (const imagenes::PistaSuperficie &p : d.pistasCaras) {
    std::size_t bytesPista = 146; // up to the first sector
    for (const imagenes::SectorSuperficie &s : p.sectores) {
      const bool sinCampo = (s.st1 & 0x01) != 0 && (s.st2 & 0x01) != 0;
      if (!sinCampo && s.datos.size() != s.LongitudNominal()) {
        return false;
      }
      bytesPista += 44 + 1 + (sinCampo ? 0 : 18 + s.LongitudNominal());
    }
    if (bytesPista > 16000) {
      return false;
    }
  }
  return true;
}

// The problems of a reading that a conversion lists as lost.
std::size_t CortesDelArchivo(const imagenes::Problemas &problemas) {
  return static_cast<std::size_t>(
      std::count_if(problemas.begin(), problemas.end(), [](const imagenes::Problema &p) {
        return imagenes::SePierdeAlConvertir(p.tipo);
      }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  const imagenes::Lectura leida = imagenes::LeerHfe(bytes);
  Comprobar(leida.disco.has_value() == leida.error.empty());
  if (!leida.disco) {
    return 0;
  }
  const imagenes::Superficie &d = *leida.disco;
  const imagenes::Conversion extendida =
      cpm::Convertir(bytes, {imagenes::TipoPorNombre("extendido"), false, "", "0"});
  if (CabeEnExtendida(d)) {
    // It loses nothing but what the file itself cuts short, each said once.
    const std::size_t cortes = CortesDelArchivo(leida.problemas);
    Comprobar(extendida.perdidas.size() == cortes);
    Comprobar(extendida.Hecha() == (cortes == 0));
  }
  if (Enteros(d)) {
    const imagenes::Lectura otra = imagenes::LeerHfe(imagenes::EscribirHfe(d));
    Comprobar(otra.disco.has_value());
    Comprobar(imagenes::CompararSuperficies(d, *otra.disco).empty());
  }
  for (const char *tipo : {"estandar", "raw"}) {
    const imagenes::Conversion c =
        cpm::Convertir(bytes, {imagenes::TipoPorNombre(tipo), true, "", "0"});
    Comprobar(c.Hecha() == !c.bytes.empty());
  }
  return 0;
}
