// Arbitrary bytes read as a disk by the exact CP/M reader: container, format,
// catalogue, and every file extracted in both modes. The same bytes are read a
// second time with a format forced by name, chosen by the last byte.
#include "cpm/Disco.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

void Revisar(const cpm::Disco &d) {
  if (!d.formato) {
    Comprobar(d.catalogo.archivos.empty());
    return;
  }
  for (const cpm::Archivo &a : d.catalogo.archivos) {
    Comprobar(a.usuario <= 15);
    const cpm::Extraido crudo = cpm::ExtraerArchivo(d, a, cpm::ModoExtraccion::Crudo);
    // Never more than the catalogue gives, and all of it when complete.
    Comprobar(crudo.bytes.size() <= a.tamano);
    Comprobar(!crudo.completo || crudo.bytes.size() == a.tamano);
    Comprobar(crudo.completo || !crudo.problemas.empty());
    if (a.completo) {
      Comprobar(crudo.completo);
    }
    const cpm::Extraido archivo = cpm::ExtraerArchivo(d, a, cpm::ModoExtraccion::Archivo);
    Comprobar(archivo.bytes.size() <= crudo.bytes.size());
    if (a.cabecera && archivo.completo) {
      Comprobar(archivo.bytes.size() == a.cabecera->longitud);
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  Revisar(cpm::LeerDisco(bytes));
  if (largo > 0) {
    const auto nombres = cpm::NombresFormatos();
    cpm::OpcionesLectura opciones;
    opciones.formato = std::string(nombres[datos[largo - 1] % nombres.size()]);
    Revisar(cpm::LeerDisco(bytes, opciones));
  }
  return 0;
}
