#include "ui/qt/Auxiliares.h"

#include "platform/Progreso.h"
#include "ui/auxiliary/F_Progress.h"
#include "ui/qt/ProgresoQt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

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

bool InstalarTraduccionesQt() {
  // The program speaks Spanish whatever the system's language: so do Qt's own
  // texts. The translator lives as long as the application.
  auto *traductor = new QTranslator(QCoreApplication::instance());
  if (!traductor->load(QStringLiteral("qtbase_es"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete traductor;
    return false;
  }
  QCoreApplication::installTranslator(traductor);
  return true;
}
