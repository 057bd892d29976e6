#include "cli/Paralelo.h"

#include "platform/Proceso.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace Cli {

unsigned HilosEfectivos(unsigned hilos) {
  if (hilos != 0) {
    return hilos;
  }
  return Plataforma::NucleosDisponibles();
}

void EjecutarEnParalelo(std::size_t n, unsigned hilos,
                        const std::function<void(std::size_t)> &tarea) {
  std::atomic<std::size_t> siguiente{0};
  const auto trabajar = [&] {
    for (std::size_t i = siguiente++; i < n; i = siguiente++) {
      tarea(i);
    }
  };
  const std::size_t total =
      std::min<std::size_t>(HilosEfectivos(hilos), std::max<std::size_t>(n, 1));
  std::vector<std::jthread> otros;
  for (std::size_t h = 1; h < total; ++h) {
    otros.emplace_back(trabajar);
  }
  trabajar(); // this thread works too
}

} // namespace Cli
