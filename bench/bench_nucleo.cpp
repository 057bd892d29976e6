// Loading an image, reading it byte by byte and extracting a range, each beside
// the plain host calls that do the least the same work needs.
#include "Generador.h"
#include "Proporciones.h"

#include "disk/Cls_Disco.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Ficheros {
  CarpetaBench carpeta{"nucleo"};
  std::string imagen = carpeta.Archivo("juego.dsk");  // a 190 KB standard image
  std::string grande = carpeta.Archivo("grande.dsk"); // 8 MiB
  std::string salida = carpeta.Archivo("salida.bin");

  Ficheros() {
    Generador::ImagenDsk img(Generador::Disposicion::Estandar, 42, 1);
    for (int i = 0; i < 40; ++i) {
      img.AgregarEntrada(
          Generador::CrearEntrada(0, "FILE" + std::to_string(10 + i) + "  BIN", 128));
    }
    Generador::EscribirArchivo(imagen, img.Bytes());
    EscribirBytesDePrueba(grande, 8 << 20);
  }
};

Ficheros &F() {
  static Ficheros f;
  return f;
}

void Base_Abrir2560(benchmark::State &state) {
  char buffer[2560];
  for (auto _ : state) {
    const int fd = ::open(F().imagen.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
    ::close(fd);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(Base_Abrir2560);

void Cargar(benchmark::State &state) {
  Cls_Disco d;
  for (auto _ : state) {
    d.Cargar(F().imagen);
    benchmark::DoNotOptimize(d.TotalBytes);
  }
}
BENCHMARK(Cargar);

void NumByte_200KB(benchmark::State &state) {
  Cls_Disco d;
  d.Cargar(F().imagen);
  const auto total = static_cast<std::int64_t>(d.TotalBytes);
  for (auto _ : state) {
    unsigned suma = 0;
    for (std::int64_t p = 0; p < total; ++p) {
      suma += d.NumByte(static_cast<double>(p));
    }
    benchmark::DoNotOptimize(suma);
  }
  state.SetItemsProcessed(state.iterations() * total);
  state.counters["ns_por_byte"] =
      benchmark::Counter(static_cast<double>(state.iterations() * total),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(NumByte_200KB)->Unit(benchmark::kMillisecond);

// A reader that jumps between sectors: positions spread over the whole image,
// in an order with no pattern a block could follow.
void LecturasAleatorias(benchmark::State &state, const std::string &ruta) {
  Cls_Disco d;
  d.Cargar(ruta);
  const auto total = static_cast<std::uint32_t>(d.TotalBytes);
  std::vector<double> posiciones(4096);
  std::uint32_t x = 12345;
  for (double &p : posiciones) {
    x = x * 1103515245u + 12345u;
    p = static_cast<double>((x >> 8) % total);
  }
  for (auto _ : state) {
    unsigned suma = 0;
    for (const double p : posiciones) {
      suma += d.NumByte(p);
    }
    benchmark::DoNotOptimize(suma);
  }
  const auto lecturas = static_cast<double>(state.iterations() * posiciones.size());
  state.counters["ns_por_lectura"] =
      benchmark::Counter(lecturas, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void NumByte_Aleatorio(benchmark::State &state) { LecturasAleatorias(state, F().imagen); }
BENCHMARK(NumByte_Aleatorio)->Unit(benchmark::kMillisecond);
// Past the size read whole: each jump reads a page.
void NumByte_Aleatorio8MiB(benchmark::State &state) { LecturasAleatorias(state, F().grande); }
BENCHMARK(NumByte_Aleatorio8MiB)->Unit(benchmark::kMillisecond);

void Base_Copia8MiB(benchmark::State &state) {
  CopiarConUnaLecturaYUnaEscritura(state, F().grande, F().salida, 8 << 20);
}
BENCHMARK(Base_Copia8MiB)->Unit(benchmark::kMillisecond);

void Extraer8MiB(benchmark::State &state) {
  Cls_Disco d;
  d.Cargar(F().grande);
  for (auto _ : state) {
    double i = 0, o = (8 << 20) - 1;
    d.Extraer(F().salida, i, o);
  }
  state.SetBytesProcessed(state.iterations() * (8 << 20));
}
BENCHMARK(Extraer8MiB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  return EjecutarConProporciones(argc, argv,
                                 {{"Cargar", "Base_Abrir2560"}, {"Extraer8MiB", "Base_Copia8MiB"}});
}
