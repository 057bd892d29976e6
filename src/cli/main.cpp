// alcove-cli: the exact disk reader on the command line.
#include "cli/Programa.h"
#include "cli/Salida.h"
#include "platform/Proceso.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char **argv) {
  try {
    // UTF-8 inside, whatever the host hands over.
    std::vector<std::string> argumentos = Plataforma::ArgumentosUtf8(argc, argv);
    std::vector<char *> punteros;
    for (std::string &a : argumentos) {
      punteros.push_back(a.data());
    }
    punteros.push_back(nullptr);
    return Cli::TerminarSalida(
        Cli::Principal(static_cast<int>(argumentos.size()), punteros.data()));
  } catch (const std::exception &e) {
    std::fprintf(stderr, "alcove-cli: error interno: %s\n", e.what());
    return 1;
  }
}
