#include "ui/controles/Fallos.h"

#include "platform/Errores.h"

#include <new>

namespace Fallos {

std::string TextoFallo(const std::exception &fallo) {
  // The program's own messages are Spanish texts in UTF-8; anything else comes
  // from the library and is not for the user's eyes.
  if (dynamic_cast<const ErrorAlcove *>(&fallo) != nullptr)
    return fallo.what();
  if (dynamic_cast<const std::bad_alloc *>(&fallo) != nullptr)
    return Errores::Mensaje(Errores::MemoriaInsuficiente);
  return Inesperado;
}

bool Proteger(const std::function<void()> &manejador,
              const std::function<void(const std::string &mensaje)> &avisar) noexcept {
  try {
    manejador();
    return true;
  } catch (const std::exception &fallo) {
    try {
      avisar(TextoFallo(fallo));
    } catch (...) {
      // Nothing is left to tell the user with; the event still ends here.
    }
  } catch (...) {
    try {
      avisar(Inesperado);
    } catch (...) {
    }
  }
  return false;
}

} // namespace Fallos
