// Extraer of 8 MiB with the progress window on screen (Qt's offscreen platform
// unless another is chosen), beside copying the same bytes with one read and
// one write.
#include "Proporciones.h"

#include "disk/Cls_Disco.h"
#include "ui/qt/Auxiliares.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t Largo = 8 << 20;

struct Ficheros {
  CarpetaBench carpeta{"ventana"};
  std::string imagen = carpeta.Archivo("grande.dsk");
  std::string salida = carpeta.Archivo("salida.bin");

  Ficheros() { EscribirBytesDePrueba(imagen, Largo); }
};

Ficheros &F() {
  static Ficheros f;
  return f;
}

void Base_Copia8MiB(benchmark::State &state) {
  CopiarConUnaLecturaYUnaEscritura(state, F().imagen, F().salida, Largo);
}
BENCHMARK(Base_Copia8MiB)->Unit(benchmark::kMillisecond);

void ExtraerConVentana8MiB(benchmark::State &state) {
  Cls_Disco d;
  d.Cargar(F().imagen);
  for (auto _ : state) {
    double i = 0, o = Largo - 1;
    d.Extraer(F().salida, i, o);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Largo));
}
BENCHMARK(ExtraerConVentana8MiB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication app(argc, argv);
  InstalarVentanasAuxiliares();
  return EjecutarConProporciones(argc, argv, {{"ExtraerConVentana8MiB", "Base_Copia8MiB"}});
}
