#include "ui/auxiliary/Auxiliares.h"

#include "platform/Progreso.h"
#include "ui/auxiliary/F_Progress.h"

#include <QCoreApplication>

namespace {
// With the application gone no window can be shown: long operations go back to
// reporting to nobody.
void RetirarProgreso() { Plataforma::InstalarProgreso(nullptr); }
} // namespace

void InstalarVentanasAuxiliares() {
  Plataforma::InstalarProgreso(&F_Progress::Instancia());
  qAddPostRoutine(RetirarProgreso);
}
