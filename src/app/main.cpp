#include "ui/qt/Auxiliares.h"
#include "ui/qt/F_AlcoveQt.h"

#include <QApplication>

// The program reads no command line of its own: Qt's own options still apply.
int main(int argc, char *argv[]) {
  QApplication aplicacion(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Alcove"));
  InstalarVentanasAuxiliares();
  InstalarTraduccionesQt();
  F_AlcoveQt ventana;
  QApplication::setWindowIcon(ventana.windowIcon());
  ventana.show();
  return QApplication::exec();
}
