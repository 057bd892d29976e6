#pragma once

#include <QString>

#include <exception>
#include <functional>

class QWidget;

// The edge between the event loop and the program's handlers. Handlers have no
// error handling of their own: whatever escapes one is caught here, shown to the
// user in one short message, and the program goes on. No exception crosses Qt.
namespace Plataforma {

// Shows a failure to the user. The default one opens a warning box; tests put in
// their own so that nothing waits for a click.
using Avisador = std::function<void(QWidget *padre, const QString &mensaje)>;

// Installs `avisador` and returns the one it replaces; an empty one restores the
// warning box.
Avisador InstalarAvisador(Avisador avisador);

// The user's text for a failure: the program's own message for ErrorAlcove,
// a generic Spanish text for anything else.
[[nodiscard]] QString TextoFallo(const std::exception &fallo);

// Shows `mensaje` through the installed avisador.
void AvisarFallo(QWidget *padre, const QString &mensaje);

// Runs `manejador`; a failure that escapes it is shown and swallowed. True when
// the handler ended normally.
bool ProtegerEvento(QWidget *padre, const std::function<void()> &manejador) noexcept;

} // namespace Plataforma
