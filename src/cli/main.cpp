// alcove-cli: the exact disk reader on the command line.
#include "cli/Imagen.h"
#include "cli/Programa.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
  try {
    return Cli::TerminarSalida(Cli::Principal(argc, argv));
  } catch (const std::exception &e) {
    std::fprintf(stderr, "alcove-cli: error interno: %s\n", e.what());
    return 1;
  }
}
