#pragma once

#include <exception>
#include <functional>
#include <string>

// The edge between a host's event loop and the windows' handlers. Handlers have
// no error handling of their own: whatever escapes one is caught here and told
// to the user in one short message, and the program goes on. No exception
// crosses into the toolkit.
namespace Fallos {

inline constexpr const char *Inesperado = "Error inesperado";

// The user's text for a failure: the program's own message for ErrorAlcove,
// the text for want of memory, a generic Spanish text for anything else.
[[nodiscard]] std::string TextoFallo(const std::exception &fallo);

// Runs `manejador`; a failure that escapes it is told through `avisar` and
// swallowed (as is a failure of `avisar` itself). True when the handler ended
// normally.
bool Proteger(const std::function<void()> &manejador,
              const std::function<void(const std::string &mensaje)> &avisar) noexcept;

} // namespace Fallos
