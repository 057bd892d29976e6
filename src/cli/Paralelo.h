#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace Cli {

// Calls `tarea(i)` for every i in [0, n) on `hilos` threads (0: one per core).
// Each index is taken once; the call returns when all are done. `tarea` must
// not throw.
void EjecutarEnParalelo(std::size_t n, unsigned hilos,
                        const std::function<void(std::size_t)> &tarea);

// The number of threads `hilos` stands for when there are `trabajos` things
// to do: itself, or one per core when it is 0; never more than the things to
// do, nor more than four a core.
unsigned HilosEfectivos(unsigned hilos, std::size_t trabajos = SIZE_MAX);

// Threads started one at a time and joined when it goes. A thread the system
// cannot start (no memory for its stack, a limit on processes) is no error:
// there are just fewer threads.
class Cls_Hilos {
public:
  Cls_Hilos() = default;
  Cls_Hilos(const Cls_Hilos &) = delete;
  Cls_Hilos &operator=(const Cls_Hilos &) = delete;

  // Starts one more thread running `trabajo`; false when it could not start.
  bool Arrancar(const std::function<void()> &trabajo);
  [[nodiscard]] std::size_t Cuantos() const { return hilos_.size(); }

private:
  std::vector<std::jthread> hilos_;
};

} // namespace Cli
