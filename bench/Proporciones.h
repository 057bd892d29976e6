#pragma once

#include <string>
#include <utility>
#include <vector>

// Runs the registered benchmarks (with repetitions, so that medians exist) and
// then prints, for each pair (measured, baseline), the ratio of their median
// real times. Returns the process exit code.
int EjecutarConProporciones(int argc, char **argv,
                            const std::vector<std::pair<std::string, std::string>> &pares);
