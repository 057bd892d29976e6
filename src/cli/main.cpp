// alcove-cli: the exact disk reader on the command line.
#include "cli/Programa.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
  try {
    const int codigo = Cli::Principal(argc, argv);
    return std::fflush(stdout) == 0 ? codigo : 1;
  } catch (const std::exception &e) {
    std::fprintf(stderr, "alcove-cli: error interno: %s\n", e.what());
    return 1;
  }
}
