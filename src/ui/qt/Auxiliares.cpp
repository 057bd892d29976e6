#include "ui/qt/Auxiliares.h"

#include "platform/Progreso.h"
#include "ui/auxiliary/F_Progress.h"
#include "ui/qt/ProgresoQt.h"

#include <QCoreApplication>

namespace {
// With the application gone no window can be shown: a window still loaded is
// unloaded while Qt can still destroy it, and long operations go back to
// reporting to nobody.
void RetirarProgreso() {
  F_Progress::Instancia().Ocultar();
  F_Progress::Instancia().FijarCargador({});
  Plataforma::InstalarProgreso(nullptr);
}
} // namespace

void InstalarVentanasAuxiliares() {
  F_Progress::Instancia().FijarCargador(CargarVentanaProgresoQt);
  Plataforma::InstalarProgreso(&F_Progress::Instancia());
  qAddPostRoutine(RetirarProgreso);
}
