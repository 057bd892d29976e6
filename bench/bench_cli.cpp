// alcove-cli timed as whole processes, as people run it, each beside the
// least a process must do to read (or change) the same bytes.
#include "Generador.h"
#include "Proporciones.h"
#include "ZipDePrueba.h"
#include "imagenes/Dsk.h"
#include "imagenes/Hfe.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

namespace fs = std::filesystem;

constexpr int kImagenes = 10000;
constexpr int kPorCarpeta = 100; // like a collection sorted into folders

// The 64-file disk of the listings, as DSK and as HFE.
struct Listada {
  CarpetaBench carpeta{"cli-ls"};
  std::string imagen = carpeta.Archivo("intercalada.dsk");
  std::string hfe = carpeta.Archivo("intercalada.hfe");

  Listada() {
    // 64 files on a DATA disk whose tracks store their sectors interleaved,
    // as most real disks do.
    Generador::DiscoCpm disco(Generador::GeometriaData());
    disco.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
    for (int i = 0; i < 64; ++i) {
      const std::string nombre = "FILE" + std::to_string(10 + i);
      auto datos = Generador::CabeceraAmsdos(nombre + "  BIN", 2, 0x4000, 0x4000, 1500);
      const auto cuerpo = Generador::ContenidoPrueba(1500, static_cast<std::uint8_t>(i));
      datos.insert(datos.end(), cuerpo.begin(), cuerpo.end());
      disco.Agregar({0, nombre, "BIN", false, false, false, datos, {}, 0});
    }
    const std::vector<std::uint8_t> bytes = disco.Bytes();
    Generador::EscribirArchivo(imagen, bytes);
    Generador::EscribirArchivo(
        hfe, imagenes::EscribirHfe(imagenes::DesdeContenedor(imagenes::LeerContenedor(bytes))));
  }
};

Listada &L() {
  static Listada l;
  return l;
}

// A collection of full-size images, each with a few files.
struct Ficheros {
  CarpetaBench carpeta{"cli"};
  fs::path coleccion = carpeta.Ruta() / "coleccion";

  Ficheros() {
    Generador::DiscoCpm otro(Generador::GeometriaData());
    otro.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
    otro.Agregar(
            {0, "DISC", "BAS", false, false, false, Generador::ContenidoPrueba(3000, 1), {}, 0})
        .Agregar(
            {0, "GAME", "BIN", false, false, false, Generador::ContenidoPrueba(20000, 2), {}, 0})
        .Agregar(
            {0, "LEVELS", "DAT", false, false, false, Generador::ContenidoPrueba(9000, 3), {}, 0});
    const auto bytes = otro.Bytes();
    for (int i = 0; i < kImagenes; ++i) {
      const fs::path sub = coleccion / ("c" + std::to_string(i / kPorCarpeta));
      if (i % kPorCarpeta == 0) {
        fs::create_directories(sub);
      }
      Generador::EscribirArchivo(sub / ("juego" + std::to_string(i) + ".dsk"), bytes);
    }
  }
};

Ficheros &F() {
  static Ficheros f;
  return f;
}

// One zip of 5,000 full-size images in folders, as collections are shipped.
constexpr int kEnZip = 5000;
struct Coleccion {
  CarpetaBench carpeta{"cli-zip"};
  std::string zip = carpeta.Archivo("coleccion.zip");

  Coleccion() {
    Generador::DiscoCpm disco(Generador::GeometriaData());
    disco.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
    disco
        .Agregar(
            {0, "DISC", "BAS", false, false, false, Generador::ContenidoPrueba(3000, 1), {}, 0})
        .Agregar(
            {0, "GAME", "BIN", false, false, false, Generador::ContenidoPrueba(20000, 2), {}, 0});
    std::vector<zip_prueba::Miembro> miembros;
    for (int i = 0; i < kEnZip; ++i) {
      // Each image a little different, so no two members compress alike.
      auto bytes = disco.Bytes();
      bytes[bytes.size() / 2] = static_cast<std::uint8_t>(i);
      miembros.push_back(zip_prueba::Comprimido(
          "c" + std::to_string(i / kPorCarpeta) + "/juego" + std::to_string(i) + ".dsk", bytes));
    }
    Generador::EscribirArchivo(zip, zip_prueba::CrearZip(miembros));
  }
};

Coleccion &Z() {
  static Coleccion c;
  return c;
}

void Base_CatImagen(benchmark::State &state) {
  const std::string imagen = L().imagen;
  for (auto _ : state) {
    Proceso(state, {"/bin/cat", imagen});
  }
}

// The peer a user compares with: cpmtools' listing of the same disk, a whole
// process too (scripts/setup bench installs it).
void Base_Cpmls64(benchmark::State &state) {
  if (::access("/usr/bin/cpmls", X_OK) != 0) {
    state.SkipWithError("falta cpmls (scripts/setup bench)");
    return;
  }
  const std::string imagen = L().imagen;
  for (auto _ : state) {
    Proceso(state, {"/usr/bin/cpmls", "-f", "cpcdata", imagen});
  }
}

// The floor of a C++ program's start: read the image, print a line.
void Base_MinimoCpp64(benchmark::State &state) {
  const std::string imagen = L().imagen;
  for (auto _ : state) {
    Proceso(state, {MINIMO_CPP, imagen});
  }
}

void LsIntercalada64(benchmark::State &state) {
  const std::string imagen = L().imagen;
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "ls", imagen});
  }
}

// The same disk as HFE: its cells decoded to tracks before the catalogue is read.
void LsHfe64(benchmark::State &state) {
  const std::string hfe = L().hfe;
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "ls", hfe});
  }
}

// The least a search must do: find the images and read the start of each.
void Base_Leer8KBCadaImagen(benchmark::State &state) {
  const fs::path coleccion = F().coleccion;
  std::vector<char> buffer(8192);
  for (auto _ : state) {
    std::size_t leidos = 0;
    for (const auto &e : fs::recursive_directory_iterator(coleccion)) {
      if (!e.is_regular_file()) {
        continue;
      }
      const int fd = ::open(e.path().c_str(), O_RDONLY | O_CLOEXEC);
      const ssize_t n = ::read(fd, buffer.data(), buffer.size());
      leidos += n > 0 ? static_cast<std::size_t>(n) : 0;
      ::close(fd);
    }
    benchmark::DoNotOptimize(leidos);
  }
}

void Buscar(benchmark::State &state, std::vector<std::string> extra) {
  F();
  std::vector<std::string> args{ALCOVE_CLI, "find", "*.BAS", F().coleccion.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  for (auto _ : state) {
    Proceso(state, args);
  }
}

void Find10000(benchmark::State &state) { Buscar(state, {}); }

// The least a reading of every member costs: unzip inflating all of it.
void Base_UnzipP5000(benchmark::State &state) {
  if (::access("/usr/bin/unzip", X_OK) != 0) {
    state.SkipWithError("falta unzip (apt-get install unzip)");
    return;
  }
  Z(); // written before the timing starts
  for (auto _ : state) {
    Proceso(state, {"/usr/bin/unzip", "-p", Z().zip});
  }
}

// find inflates only the start of each member, where the catalogue lies.
void FindZip5000(benchmark::State &state) {
  Z();
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "find", "*", Z().zip});
  }
}
void Find10000_j1(benchmark::State &state) { Buscar(state, {"-j", "1"}); }
void Find10000_j2(benchmark::State &state) { Buscar(state, {"-j", "2"}); }

// check over 2,000 images of the collection beside ls over the same ones: one
// reading each, so the check costs little more than the listing.
constexpr int kComprobadas = 2000;
std::vector<std::string> Primeras(const char *orden) {
  std::vector<std::string> args{ALCOVE_CLI, orden};
  for (int i = 0; i < kComprobadas; ++i) {
    args.push_back((F().coleccion / ("c" + std::to_string(i / kPorCarpeta)) /
                    ("juego" + std::to_string(i) + ".dsk"))
                       .string());
  }
  return args;
}

void Check2000(benchmark::State &state) {
  const std::vector<std::string> args = Primeras("check");
  for (auto _ : state) {
    Proceso(state, args);
  }
}

void Ls2000(benchmark::State &state) {
  const std::vector<std::string> args = Primeras("ls");
  for (auto _ : state) {
    Proceso(state, args);
  }
}

// put of a 40 KB file onto an empty 178 KB DATA disk. Two files of the same
// name and size take turns, so every run really changes the image (the same
// file again would leave it untouched).
struct Puesta {
  CarpetaBench carpeta{"put"};
  std::string imagen = carpeta.Archivo("vacio.dsk");
  std::string copia = carpeta.Archivo("copia.dsk");
  std::string archivos[2] = {carpeta.Archivo("a/GAME.BIN"), carpeta.Archivo("b/GAME.BIN")};

  Puesta() {
    Generador::EscribirArchivo(imagen, Generador::DiscoCpm(Generador::GeometriaData()).Bytes());
    for (int i = 0; i < 2; ++i) {
      fs::create_directories(fs::path(archivos[i]).parent_path());
      Generador::EscribirArchivo(
          archivos[i], Generador::ContenidoPrueba(40 * 1024, static_cast<std::uint8_t>(i + 1)));
    }
  }
};

Puesta &P() {
  static Puesta p;
  return p;
}

void Put40KB(benchmark::State &state) {
  int turno = 0;
  P();
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "put", P().imagen, P().archivos[turno], "--force"});
    turno ^= 1;
  }
}

// The least a process can do to change an image: read it and write it once.
void Base_LeerYEscribirImagen(benchmark::State &state) {
  P();
  for (auto _ : state) {
    Proceso(state, {"/bin/dd", "if=" + P().imagen, "of=" + P().copia, "bs=1M", "status=none"});
  }
}

// The same, flushed to the disk as a write that survives a crash must be.
void Base_LeerEscribirYVolcarImagen(benchmark::State &state) {
  P();
  for (auto _ : state) {
    Proceso(state, {"/bin/dd", "if=" + P().imagen, "of=" + P().copia, "bs=1M", "status=none",
                    "conv=fsync"});
  }
}

// A 30 KB BASIC program typed on the PC, put tokenised (--tipo basic) and,
// beside it, as the ASCII text it is (--tipo ascii): the whole processes,
// each onto an empty DATA disk, two versions taking turns as in Put40KB.
struct ProgramaTexto {
  CarpetaBench carpeta{"put-basic"};
  std::string imagen = carpeta.Archivo("vacio.dsk");
  std::string archivos[2] = {carpeta.Archivo("a/JUEGO.BAS"), carpeta.Archivo("b/JUEGO.BAS")};

  ProgramaTexto() {
    Generador::EscribirArchivo(imagen, Generador::DiscoCpm(Generador::GeometriaData()).Bytes());
    for (int v = 0; v < 2; ++v) {
      std::string texto;
      for (int n = 10; texto.size() < 30 * 1024; n += 10) {
        const std::string linea = std::to_string(n);
        switch (n / 10 % 4) {
        case 0:
          texto += linea + " PRINT \"LINEA " + linea + "\";a$(" + std::to_string(v) + ")";
          break;
        case 1: texto += linea + " FOR i%=1 TO 40:x=x+i%*2.5:NEXT i%"; break;
        case 2: texto += linea + " IF x>&3FFF THEN GOSUB 10 ELSE y=y-1"; break;
        default: texto += linea + " DATA 1,2,\"tres\":REM comentario " + linea; break;
        }
        texto += "\r\n";
      }
      fs::create_directories(fs::path(archivos[v]).parent_path());
      Generador::EscribirArchivo(archivos[v],
                                 std::vector<std::uint8_t>(texto.begin(), texto.end()));
    }
  }
};

ProgramaTexto &T() {
  static ProgramaTexto t;
  return t;
}

void PonerPrograma(benchmark::State &state, const char *tipo) {
  int turno = 0;
  T();
  for (auto _ : state) {
    Proceso(state, {ALCOVE_CLI, "put", T().imagen, T().archivos[turno], "--tipo", tipo, "--force"});
    turno ^= 1;
  }
}

void PutBasic30KB(benchmark::State &state) { PonerPrograma(state, "basic"); }
void Base_PutAscii30KB(benchmark::State &state) { PonerPrograma(state, "ascii"); }

} // namespace

BENCHMARK(PutBasic30KB)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_PutAscii30KB)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Put40KB)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_LeerYEscribirImagen)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_LeerEscribirYVolcarImagen)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_CatImagen)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(LsIntercalada64)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_Cpmls64)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_MinimoCpp64)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(LsHfe64)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Base_Leer8KBCadaImagen)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Base_UnzipP5000)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(FindZip5000)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Find10000)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Find10000_j1)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Find10000_j2)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Check2000)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Ls2000)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1);

int main(int argc, char **argv) {
  // Each benchmark's files are written on its first call, before its timing
  // starts, and only for the benchmarks run (--benchmark_filter).
  return EjecutarConProporciones(argc, argv,
                                 {{"PutBasic30KB", "Base_PutAscii30KB"},
                                  {"Put40KB", "Base_LeerYEscribirImagen"},
                                  {"Put40KB", "Base_LeerEscribirYVolcarImagen"},
                                  {"LsIntercalada64", "Base_CatImagen"},
                                  {"LsIntercalada64", "Base_Cpmls64"},
                                  {"LsIntercalada64", "Base_MinimoCpp64"},
                                  {"Base_MinimoCpp64", "Base_Cpmls64"},
                                  {"LsHfe64", "LsIntercalada64"},
                                  {"Find10000", "Base_Leer8KBCadaImagen"},
                                  {"Find10000_j1", "Base_Leer8KBCadaImagen"},
                                  {"Find10000_j2", "Base_Leer8KBCadaImagen"},
                                  {"Find10000_j2", "Find10000_j1"},
                                  {"FindZip5000", "Base_UnzipP5000"},
                                  {"Check2000", "Ls2000"}});
}
