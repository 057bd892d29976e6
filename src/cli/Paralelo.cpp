#include "cli/Paralelo.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace Cli {

unsigned HilosEfectivos(unsigned hilos, std::size_t trabajos) {
  // Asked once: the library reads it from the system on every call.
  static const unsigned nucleos = std::max(1U, std::thread::hardware_concurrency());
  const std::size_t pedidos = hilos != 0 ? hilos : nucleos;
  const std::size_t tope =
      std::min<std::size_t>(4 * std::size_t{nucleos}, std::max<std::size_t>(trabajos, 1));
  return static_cast<unsigned>(std::min(pedidos, tope));
}

bool Cls_Hilos::Arrancar(const std::function<void()> &trabajo) {
  try {
    hilos_.emplace_back(trabajo);
    return true;
  } catch (const std::system_error &) {
    return false;
  }
}

void EjecutarEnParalelo(std::size_t n, unsigned hilos,
                        const std::function<void(std::size_t)> &tarea) {
  std::atomic<std::size_t> siguiente{0};
  const auto trabajar = [&] {
    for (std::size_t i = siguiente++; i < n; i = siguiente++) {
      tarea(i);
    }
  };
  Cls_Hilos otros;
  for (unsigned h = 1; h < HilosEfectivos(hilos, n) && otros.Arrancar(trabajar); ++h) {
  }
  trabajar(); // this thread works too
}

} // namespace Cli
