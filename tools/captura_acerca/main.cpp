// Shows the about window on the present display, lets its meters run for a
// moment and saves a picture of it to the path given (used for the README).
#include "ui/qt/F_AcercaQt.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv) {
  QApplication aplicacion(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "uso: %s fichero.png\n", argv[0]);
    return 2;
  }
  const QString salida = QString::fromLocal8Bit(argv[1]);
  int resultado = 1;
  QTimer::singleShot(800, [&] {
    if (F_AcercaQt *ventana = F_AcercaQt::Cargada()) {
      resultado = ventana->grab().save(salida) ? 0 : 1;
      ventana->reject();
    }
  });
  MostrarAcercaDe();
  if (resultado != 0) {
    std::fprintf(stderr, "no se pudo guardar %s\n", argv[1]);
  }
  return resultado;
}
