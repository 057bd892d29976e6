#include "ui/widgets/LimiteEvento.h"

#include "ui/controles/Fallos.h"

#include <QMessageBox>

#include <QWidget>

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
  return QString::fromStdString(Fallos::TextoFallo(fallo));
}

void AvisarFallo(QWidget *padre, const QString &mensaje) { AvisadorActual()(padre, mensaje); }

bool ProtegerEvento(QWidget *padre, const std::function<void()> &manejador) noexcept {
  return Fallos::Proteger(manejador, [padre](const std::string &mensaje) {
    AvisarFallo(padre, QString::fromStdString(mensaje));
  });
}

} // namespace Plataforma
