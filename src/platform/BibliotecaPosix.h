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

// A library loaded by its soname ("libpng16.so.16"), and its functions.
class Cargada {
public:
  // ErrorAlcove naming the library and the loader's reason when it cannot
  // be loaded.
  explicit Cargada(const char *soname)
      : soname_(soname), biblioteca_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (biblioteca_ == nullptr) {
      const char *motivo = ::dlerror();
      throw ErrorAlcove(Errores::ArchivoNoEncontrado,
                        std::string("no se pudo cargar ") + soname_ +
                            (motivo != nullptr ? std::string(": ") + motivo : std::string()));
    }
  }

  // A function of the library, which becomes the pointer type it is stored
  // in (a member declared as decltype(&png_write_row)): the header gives the
  // type, and nothing here refers to the function itself, which would link
  // the library in again.
  class Funcion {
  public:
    explicit Funcion(void *simbolo) : simbolo_(simbolo) {}
    template <class Puntero> operator Puntero() const { // NOLINT: converts by design
      return reinterpret_cast<Puntero>(simbolo_);
    }

  private:
    void *simbolo_;
  };

  // The function `nombre`; ErrorAlcove when the library lacks it.
  [[nodiscard]] Funcion Buscar(const char *nombre) const {
    void *simbolo = ::dlsym(biblioteca_, nombre);
    if (simbolo == nullptr) {
      throw ErrorAlcove(Errores::ArchivoNoEncontrado,
                        std::string(soname_) + " no tiene la función " + nombre);
    }
    return Funcion(simbolo);
  }

private:
  const char *soname_;
  void *biblioteca_;
};

} // namespace Plataforma::Biblioteca
