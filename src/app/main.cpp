#include "ui/qt/Auxiliares.h"
#include "ui/qt/F_AlcoveQt.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler's end of a socket pair, and the event loop's.
int avisoSenal[2] = {-1, -1};

void AlRecibirSenal(int /*senal*/) {
  const char c = 0;
  static_cast<void>(!::write(avisoSenal[0], &c, 1)); // all a handler may safely do
}

// SIGTERM, SIGHUP (the session ending) and SIGINT end the program as closing
// its window does, so that the copies it keeps in the temporary folder go
// with it.
void TerminarConSenales(QApplication &aplicacion) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, avisoSenal) != 0)
    return;
  auto *aviso = new QSocketNotifier(avisoSenal[1], QSocketNotifier::Read, &aplicacion);
  QObject::connect(aviso, &QSocketNotifier::activated, &aplicacion, [] {
    char c = 0;
    static_cast<void>(!::read(avisoSenal[1], &c, 1));
    QCoreApplication::quit();
  });
  struct sigaction accion {};
  accion.sa_handler = AlRecibirSenal;
  sigemptyset(&accion.sa_mask);
  accion.sa_flags = SA_RESTART;
  for (const int senal : {SIGTERM, SIGHUP, SIGINT})
    ::sigaction(senal, &accion, nullptr);
}

} // namespace

// The program reads no command line of its own: Qt's own options still apply.
int main(int argc, char *argv[]) {
  QApplication aplicacion(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Alcove"));
  TerminarConSenales(aplicacion);
  InstalarVentanasAuxiliares();
  InstalarTraduccionesQt();
  F_AlcoveQt ventana;
  QApplication::setWindowIcon(ventana.windowIcon());
  ventana.show();
  return QApplication::exec();
}
