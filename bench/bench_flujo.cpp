// Flux dumps decoded as people decode them, whole processes: an SCP of a DATA
// disk (42 tracks, 2 revolutions, the drive's speed wandering 1% and 100 ns of
// jitter) converted to an extended DSK, beside copying the SCP file; and the
// conversion of an 84-track, 5-revolution double-sided SCP (some 70 MB), its
// peak memory told as a counter (MB_pico), which must stay under 64.
#include "Flujo.h"
#include "Generador.h"
#include "Proporciones.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

struct Ficheros {
  CarpetaBench carpeta{"flujo"};
  std::string scp = carpeta.Archivo("disco.scp");
  std::string grande = carpeta.Archivo("grande.scp");
  std::string dsk = carpeta.Archivo("disco.dsk");
  std::string copia = carpeta.Archivo("copia.scp");

  Ficheros() {
    Generador::OpcionesFlujo o;
    o.vueltas = 2;
    o.deriva = 0.01;
    o.temblor = 100;
    Generador::EscribirArchivo(scp, Generador::EscribirScp(Generador::DiscoLleno(42, 1), o));
    o.vueltas = 5;
    Generador::EscribirArchivo(grande, Generador::EscribirScp(Generador::DiscoLleno(84, 2), o));
  }
};

Ficheros &F() {
  static Ficheros f;
  return f;
}

void ScpADsk42Pistas2Vueltas(benchmark::State &state) {
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "convert", F().scp, F().dsk, "--reemplazar"});
  }
}

void Base_CopiarScp(benchmark::State &state) {
  for (auto _ : state) {
    Proceso(state, {"/bin/cp", F().scp, F().copia});
  }
}

// GNU time starts the program with a fork of its own, so the peak is the
// program's alone, not this process's (which posix_spawn would share).
void Scp84Pistas5VueltasDosCaras(benchmark::State &state) {
  const std::string informe = F().carpeta.Archivo("pico.txt");
  for (auto _ : state) {
    Proceso(state, {"/usr/bin/time", "-f", "%M", "-o", informe, ALCOVE_CLI, "convert", F().grande,
                    F().dsk, "--reemplazar"});
  }
  long pico = 0;
  std::ifstream(informe) >> pico;
  state.counters["MB_pico"] = static_cast<double>(pico) / 1024.0;
  if (pico > 64 * 1024) {
    state.SkipWithError("más de 64 MB de memoria");
  }
}

} // namespace

BENCHMARK(ScpADsk42Pistas2Vueltas)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Base_CopiarScp)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Scp84Pistas5VueltasDosCaras)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv) {
  F(); // the dumps are written before anything is timed
  return EjecutarConProporciones(argc, argv, {{"ScpADsk42Pistas2Vueltas", "Base_CopiarScp"}});
}
