#include "platform/Proceso.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace Plataforma {

std::vector<std::string> ArgumentosUtf8(int argc, char **argv) { return {argv, argv + argc}; }

bool EsTerminal(Flujo flujo) {
  return ::isatty(flujo == Flujo::Salida ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

int Escribir(Flujo flujo, std::string_view texto) {
  errno = 0;
  if (std::fwrite(texto.data(), 1, texto.size(), flujo == Flujo::Salida ? stdout : stderr) !=
      texto.size()) {
    return errno != 0 ? errno : EIO;
  }
  return 0;
}

int EscribirSinBufer(Flujo flujo, std::string_view texto) {
  const int fd = flujo == Flujo::Salida ? STDOUT_FILENO : STDERR_FILENO;
  std::size_t hecho = 0;
  while (hecho < texto.size()) {
    const ssize_t n = ::write(fd, texto.data() + hecho, texto.size() - hecho);
    if (n > 0) {
      hecho += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

unsigned NucleosDisponibles() { return std::max(1U, std::thread::hardware_concurrency()); }

void ExpandirComodines(std::vector<std::string> &) {}

} // namespace Plataforma
