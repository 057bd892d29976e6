#pragma once

#include <cstddef>
#include <filesystem>
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

// A scratch folder under the temporary folder for one benchmark run, removed
// with everything in it when the run ends.
class CarpetaBench {
public:
  explicit CarpetaBench(const std::string &nombre);
  ~CarpetaBench();
  CarpetaBench(const CarpetaBench &) = delete;
  CarpetaBench &operator=(const CarpetaBench &) = delete;

  [[nodiscard]] const std::filesystem::path &Ruta() const { return ruta_; }
  [[nodiscard]] std::string Archivo(const std::string &nombre) const {
    return (ruta_ / nombre).string();
  }

private:
  std::filesystem::path ruta_;
};

// Runs a program with its output to /dev/null and waits for it; a failure
// skips the benchmark.
void Proceso(benchmark::State &state, std::vector<std::string> args);

// Writes `largo` bytes of a fixed, non-repeating-looking pattern to `ruta`.
void EscribirBytesDePrueba(const std::string &ruta, std::size_t largo);
