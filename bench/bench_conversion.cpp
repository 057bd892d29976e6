// convert timed as whole processes, as people run it: a 200 KB extended disk
// to HFE and back, beside the least a process does to copy the image. And
// info of a 42-track copy-protected disk, whose verdict reads every track,
// beside the same info by an alcove-cli built before the verdict was.
#include "Generador.h"
#include "Proporciones.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

struct Ficheros {
  CarpetaBench carpeta{"conversion"};
  std::string imagen = carpeta.Archivo("disco.dsk");
  std::string hfe = carpeta.Archivo("disco.hfe");
  std::string vuelta = carpeta.Archivo("vuelta.dsk");
  std::string copia = carpeta.Archivo("copia.dsk");
  std::string protegida = carpeta.Archivo("protegida.dsk");

  Ficheros() {
    // 42 tracks of a DATA disk in the extended layout (204,544 bytes), with
    // interleaved tracks and a few files, as AMSDOS leaves them.
    Generador::DiscoCpm d(Generador::GeometriaData(), Generador::Disposicion::Extendida, 42);
    d.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
    for (int i = 0; i < 8; ++i) {
      const std::string nombre = "FILE" + std::to_string(i);
      d.Agregar({0,
                 nombre,
                 "BIN",
                 false,
                 false,
                 false,
                 Generador::ContenidoPrueba(18000, static_cast<std::uint8_t>(i)),
                 {},
                 0});
    }
    Generador::EscribirArchivo(imagen, d.Bytes());
    // Speedlock on track 0 of a 42-track DATA disk, its weak sector in three copies.
    Generador::EscribirArchivo(protegida, Generador::CasoProteccionPorNombre("speedlock").bytes);
  }
};

Ficheros &F() {
  static Ficheros f;
  return f;
}

// Runs a program with its output to /dev/null and waits for it.
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

// DSK -> HFE -> DSK: two processes, each reading, converting, reading its
// output back to compare, and writing safely (flushed, then renamed).
void HfeIdaYVuelta200KB(benchmark::State &state) {
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "convert", F().imagen, F().hfe, "--reemplazar"});
    Proceso(state, {ALCOVE_CLI, "convert", F().hfe, F().vuelta, "--reemplazar"});
  }
}

void Base_CopiarImagen(benchmark::State &state) {
  for (auto _ : state) {
    Proceso(state, {"/bin/cp", F().imagen, F().copia});
  }
}

// The same copy flushed to the disk, as a write that survives a crash must be.
void Base_CopiarYVolcarImagen(benchmark::State &state) {
  for (auto _ : state) {
    Proceso(state, {"/bin/dd", "if=" + F().imagen, "of=" + F().copia, "bs=1M", "status=none",
                    "conv=fsync"});
  }
}

void InfoProtegida42(benchmark::State &state) {
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "info", F().protegida});
  }
}

// An alcove-cli built from a commit before the verdict, named by
// ALCOVE_CLI_ANTES; without it this baseline is skipped.
void Base_InfoAntes(benchmark::State &state) {
  const char *antes = std::getenv("ALCOVE_CLI_ANTES");
  if (antes == nullptr || *antes == '\0') {
    state.SkipWithError("ALCOVE_CLI_ANTES no nombra el alcove-cli de antes");
    return;
  }
  for (auto _ : state) {
    Proceso(state, {antes, "info", F().protegida});
  }
}

} // namespace

BENCHMARK(InfoProtegida42)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_InfoAntes)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(HfeIdaYVuelta200KB)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Base_CopiarImagen)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Base_CopiarYVolcarImagen)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
  F(); // the image is written before anything is timed
  return EjecutarConProporciones(argc, argv,
                                 {{"HfeIdaYVuelta200KB", "Base_CopiarImagen"},
                                  {"HfeIdaYVuelta200KB", "Base_CopiarYVolcarImagen"},
                                  {"InfoProtegida42", "Base_InfoAntes"}});
}
