#pragma once

#include "platform/Errores.h"

#include <dlfcn.h>

#include <string>

// POSIX only. A library that only a few commands call (libpng for `cat
// --png`, Nettle for the checksums) is loaded when one of them first needs
// it, not by every start of alcove-cli: each library loaded at start-up is
// mapped and relocated by every run, and scripts start the program thousands
// of times. It stays loaded until the process ends.
namespace Plataforma::Biblioteca {

// The library by its soname ("libpng16.so.16"); ErrorAlcove naming it and
// the loader's reason when it cannot be loaded.
inline void *Cargar(const char *soname) {
  void *biblioteca = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (biblioteca == nullptr) {
    const char *motivo = ::dlerror();
    throw ErrorAlcove(Errores::ArchivoNoEncontrado,
                      std::string("no se pudo cargar ") + soname +
                          (motivo != nullptr ? std::string(": ") + motivo : std::string()));
  }
  return biblioteca;
}

// The function `nombre` of a loaded library, as the type of its declaration
// (decltype(&png_write_row)); ErrorAlcove when the library lacks it.
template <class Funcion> Funcion Buscar(void *biblioteca, const char *soname, const char *nombre) {
  void *simbolo = ::dlsym(biblioteca, nombre);
  if (simbolo == nullptr) {
    throw ErrorAlcove(Errores::ArchivoNoEncontrado,
                      std::string(soname) + " no tiene la función " + nombre);
  }
  return reinterpret_cast<Funcion>(simbolo);
}

} // namespace Plataforma::Biblioteca
