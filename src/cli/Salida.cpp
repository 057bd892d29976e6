#include "cli/Salida.h"

#include "cli/Terminal.h"
#include "platform/Errores.h"
#include "platform/Proceso.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace Cli {

void AvisarError(std::string_view que, std::string_view mensaje) {
  std::string linea = "alcove-cli: ";
  linea += que;
  linea += ": ";
  linea += mensaje;
  // One line whatever the message holds.
  for (char &c : linea) {
    if (c == '\n' || c == '\r') {
      c = ' ';
    }
  }
  linea += '\n';
  std::string copia;
  Plataforma::Escribir(Plataforma::Flujo::Errores,
                       ParaFlujo(Plataforma::Flujo::Errores, linea, copia));
}

namespace {
// errno of the first failed write to standard output; 0 while none failed.
std::atomic<int> errnoSalida{0};

} // namespace

void AnotarFalloSalida(int numero) {
  int ninguno = 0;
  errnoSalida.compare_exchange_strong(ninguno, numero != 0 ? numero : EIO);
}

void EscribirSalida(std::string_view texto, bool json) {
  std::string copia;
  const std::string_view escrito = ParaFlujo(Plataforma::Flujo::Salida, texto, copia, json);
  if (const int error = Plataforma::Escribir(Plataforma::Flujo::Salida, escrito); error != 0) {
    AnotarFalloSalida(error);
  }
}

int TerminarSalida(int codigo) {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    AnotarFalloSalida(errno);
  }
  const int numero = errnoSalida.load();
  if (numero == 0) {
    return codigo;
  }
  AvisarError("salida estándar", "no se ha podido escribir entera (" +
                                     Errores::Mensaje(Errores::DesdeHost(numero)) + ")");
  return codigo == kSalidaBien ? kSalidaFallo : codigo;
}

} // namespace Cli
