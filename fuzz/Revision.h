#pragma once

#include "cpm/Disco.h"
#include "cpm/Proteccion.h"
#include "imagenes/Dsk.h"

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

// The copy-protection verdict of any disk is well formed, and completing a
// dump keeps the first bytes of every sector it does not take away.
inline void RevisarProteccion(const cpm::Disco &d) {
  const imagenes::Superficie s = imagenes::DesdeContenedor(d.contenedor);
  const cpm::Veredicto v = cpm::JuzgarProteccion(s);
  // Read in place or from its copy as tracks and sectors, the disk is judged alike.
  const cpm::Veredicto enSitio = cpm::JuzgarProteccion(d.contenedor);
  Comprobar(cpm::TextoVeredicto(enSitio) == cpm::TextoVeredicto(v) &&
            cpm::TextoPruebas(enSitio, "") == cpm::TextoPruebas(v, ""));
  Comprobar((v.clase == cpm::ClaseVeredicto::Esquema) == !v.hallazgos.empty());
  Comprobar(!cpm::TextoVeredicto(v).empty());
  const auto enDisco = [&s](const cpm::Prueba &p) {
    return p.pista >= 0 && p.pista < s.pistas && p.cara >= 0 && p.cara < s.caras &&
           p.sector >= -1 && p.sector <= 255 && !p.texto.empty();
  };
  bool completable = false;
  for (const cpm::Hallazgo &h : v.hallazgos) {
    Comprobar(!h.pruebas.empty());
    for (const auto *lista : {&h.pruebas, &h.faltas}) {
      for (const cpm::Prueba &p : *lista) {
        Comprobar(enDisco(p));
      }
    }
    completable = completable || h.completable;
  }
  for (const cpm::Prueba &p : v.pistas) {
    Comprobar(enDisco(p));
  }
  const cpm::Completado c = cpm::CompletarVolcado(s);
  Comprobar(!completable || c.Hecho());
  if (!c.Hecho()) {
    return;
  }
  Comprobar(!c.anadidos.empty());
  for (const cpm::Prueba &p : c.anadidos) {
    Comprobar(enDisco(p));
  }
  Comprobar(c.disco.pistasCaras.size() == s.pistasCaras.size());
  for (std::size_t t = 0; t < s.pistasCaras.size(); ++t) {
    const auto &antes = s.pistasCaras[t].sectores;
    const auto &despues = c.disco.pistasCaras[t].sectores;
    Comprobar(despues.size() <= antes.size());
    for (std::size_t k = 0; k < despues.size(); ++k) {
      const imagenes::SectorSuperficie &a = antes[k], &b = despues[k];
      Comprobar(a.r == b.r && a.n == b.n && a.st1 == b.st1 && a.st2 == b.st2);
      Comprobar(b.datos.size() >= a.datos.size() &&
                std::equal(a.datos.begin(), a.datos.end(), b.datos.begin()));
    }
  }
}

} // namespace revision
