#include "ui/widgets/LimiteEvento.h"

#include "platform/Errores.h"

#include <QMessageBox>

#include <QWidget>
#include <new>

#include <utility>

namespace Plataforma {

namespace {

void CajaDeAviso(QWidget *padre, const QString &mensaje) {
  QMessageBox::warning(padre, QStringLiteral("Alcove"), mensaje);
}

Avisador &AvisadorActual() {
  static Avisador actual = CajaDeAviso;
  return actual;
}

} // namespace

Avisador InstalarAvisador(Avisador avisador) {
  if (!avisador)
    avisador = CajaDeAviso;
  return std::exchange(AvisadorActual(), std::move(avisador));
}

QString TextoFallo(const std::exception &fallo) {
  // The program's own messages are Spanish texts in UTF-8; anything else comes
  // from the library and is not for the user's eyes.
  if (dynamic_cast<const ErrorAlcove *>(&fallo) != nullptr)
    return QString::fromUtf8(fallo.what());
  if (dynamic_cast<const std::bad_alloc *>(&fallo) != nullptr)
    return QString::fromUtf8(Errores::Mensaje(Errores::MemoriaInsuficiente).c_str());
  return QStringLiteral("Error inesperado");
}

void AvisarFallo(QWidget *padre, const QString &mensaje) { AvisadorActual()(padre, mensaje); }

bool ProtegerEvento(QWidget *padre, const std::function<void()> &manejador) noexcept {
  try {
    manejador();
    return true;
  } catch (const std::exception &fallo) {
    try {
      AvisarFallo(padre, TextoFallo(fallo));
    } catch (...) {
      // Nothing is left to tell the user with; the event still ends here.
    }
  } catch (...) {
    try {
      AvisarFallo(padre, QStringLiteral("Error inesperado"));
    } catch (...) {
    }
  }
  return false;
}

} // namespace Plataforma
