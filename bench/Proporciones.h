#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Runs the registered benchmarks (with repetitions, so that medians exist) and
// then prints, for each pair (measured, baseline), the ratio of their median
// real times. Returns the process exit code.
int EjecutarConProporciones(int argc, char **argv,
                            const std::vector<std::pair<std::string, std::string>> &pares);

namespace benchmark {
class State;
}

// Baseline shared by the extraction benchmarks: copy `largo` bytes from `origen`
// to `destino` with one read and one write call, as often as `state` asks.
void CopiarConUnaLecturaYUnaEscritura(benchmark::State &state, const std::string &origen,
                                      const std::string &destino, std::size_t largo);
