#include "Proporciones.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Keeps the console output and remembers each benchmark's median real time.
class Recolector final : public benchmark::ConsoleReporter {
public:
  std::map<std::string, double> medianas;

  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        medianas[r.run_name.function_name] = r.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

} // namespace

int EjecutarConProporciones(int argc, char **argv,
                            const std::vector<std::pair<std::string, std::string>> &pares) {
  // Repetitions give medians; interleaving them spreads the machine's noise
  // over both sides of each ratio. Flags given on the command line win.
  std::vector<char *> args(argv, argv + argc);
  std::string repeticiones = "--benchmark_repetitions=9";
  std::string intercalar = "--benchmark_enable_random_interleaving=true";
  std::string soloAgregados = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {repeticiones.data(), intercalar.data(), soloAgregados.data()});
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  Recolector recolector;
  benchmark::RunSpecifiedBenchmarks(&recolector);
  benchmark::Shutdown();
  std::printf("\nMedian ratios (same run):\n");
  for (const auto &[medido, base] : pares) {
    const auto m = recolector.medianas.find(medido);
    const auto b = recolector.medianas.find(base);
    if (m != recolector.medianas.end() && b != recolector.medianas.end() && b->second > 0) {
      std::printf("  %-28s / %-28s = %.2f\n", medido.c_str(), base.c_str(), m->second / b->second);
    }
  }
  return 0;
}

void CopiarConUnaLecturaYUnaEscritura(benchmark::State &state, const std::string &origen,
                                      const std::string &destino, std::size_t largo) {
  std::vector<char> buffer(largo);
  for (auto _ : state) {
    const int in = ::open(origen.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(destino.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    benchmark::DoNotOptimize(::read(in, buffer.data(), buffer.size()));
    benchmark::DoNotOptimize(::write(out, buffer.data(), buffer.size()));
    ::close(out);
    ::close(in);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(largo));
}

CarpetaBench::CarpetaBench(const std::string &nombre)
    : ruta_(std::filesystem::temp_directory_path() /
            ("alcove-bench-" + nombre + "-" + std::to_string(::getpid()))) {
  std::filesystem::create_directories(ruta_);
}

CarpetaBench::~CarpetaBench() {
  std::error_code ec;
  std::filesystem::remove_all(ruta_, ec);
}

void EscribirBytesDePrueba(const std::string &ruta, std::size_t largo) {
  std::vector<char> bytes(largo);
  for (std::size_t i = 0; i < largo; ++i) {
    bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  }
  std::ofstream(ruta, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(largo));
}

extern char **environ;

void Proceso(benchmark::State &state, std::vector<std::string> args) {
  std::vector<char *> argv;
  for (std::string &a : args) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t acciones;
  posix_spawn_file_actions_init(&acciones);
  posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&acciones, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int estado = 0;
  if (::posix_spawn(&pid, argv[0], &acciones, nullptr, argv.data(), environ) != 0 ||
      ::waitpid(pid, &estado, 0) != pid || !WIFEXITED(estado) || WEXITSTATUS(estado) != 0) {
    state.SkipWithError("el proceso falló");
  }
  posix_spawn_file_actions_destroy(&acciones);
}
