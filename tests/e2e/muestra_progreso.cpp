// The progress window alone, as extraction shows it, for the end-to-end test to
// read what the X server holds for it. Runs until it is ended. With a path, it
// also saves a picture of the window there.
#include "ui/qt/Auxiliares.h"
#include "ui/qt/ProgresoQt.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

int main(int argc, char **argv) {
  QApplication aplicacion(argc, argv);
  // As the program itself names it: Qt offers this name for an empty title.
  QApplication::setApplicationName(QStringLiteral("Alcove"));
  InstalarVentanasAuxiliares();
  F_Progress &progreso = F_Progress::Instancia();
  progreso.SetDe(1);
  progreso.SetA(1000);
  progreso.SetTitulo("Extrayendo fichero ....");
  progreso.Mostrar();
  progreso.SetValor(500);
  if (argc == 2) {
    const QString salida = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(500, [&progreso, salida] { WidgetDe(progreso)->grab().save(salida); });
  }
  return QApplication::exec();
}
