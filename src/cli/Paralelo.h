#pragma once

#include <cstddef>
#include <functional>

namespace Cli {

// Calls `tarea(i)` for every i in [0, n) on `hilos` threads (0: one per core).
// Each index is taken once; the call returns when all are done. `tarea` must
// not throw.
void EjecutarEnParalelo(std::size_t n, unsigned hilos,
                        const std::function<void(std::size_t)> &tarea);

// The number of threads `hilos` stands for: itself, or the cores when it is 0.
unsigned HilosEfectivos(unsigned hilos);

} // namespace Cli
