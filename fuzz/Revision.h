#pragma once

#include "cpm/Disco.h"

#include <cstdlib>

// What must hold of any reading, whatever the bytes: shared by the fuzz targets.
namespace revision {

inline void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

// Every file extracts in both modes within what the catalogue gives.
inline void Revisar(const cpm::Disco &d) {
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
    // The length shown is the one extracted by default, whenever it is whole.
    const cpm::Extraido &porOmision = a.cabecera ? archivo : crudo;
    Comprobar(!porOmision.completo || porOmision.bytes.size() == a.longitud);
  }
}

} // namespace revision
