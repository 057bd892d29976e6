#include "platform/Proceso.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace Plataforma {

std::vector<std::string> ArgumentosUtf8(int argc, char **argv) { return {argv, argv + argc}; }

bool EsTerminal(Flujo flujo) {
  return ::isatty(flujo == Flujo::Salida ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

void Escribir(Flujo flujo, std::string_view texto) {
  std::fwrite(texto.data(), 1, texto.size(), flujo == Flujo::Salida ? stdout : stderr);
}

unsigned NucleosDisponibles() { return std::max(1U, std::thread::hardware_concurrency()); }

void ExpandirComodines(std::vector<std::string> &) {}

} // namespace Plataforma
