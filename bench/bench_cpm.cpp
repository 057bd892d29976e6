// The exact CP/M reader on generated images: the whole reading of a disk of 64
// catalogue entries from its file, against reading that file into memory; and
// extracting every file of a full disk, against copying the image once: in
// memory, and from the image file to host files.
#include "Generador.h"
#include "Proporciones.h"

#include "cpm/Disco.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Imagenes {
  CarpetaBench carpeta{"cpm"};
  std::string catalogo64 = carpeta.Archivo("catalogo64.dsk"); // 64 entries, interleaved
  std::vector<std::uint8_t> lleno;                            // 178 KB of files, DATA format
  std::string llenoDsk = carpeta.Archivo("lleno.dsk");        // the same, as a host file
  std::string copia = carpeta.Archivo("copia.dsk");
  std::size_t bytesArchivos = 0;

  Imagenes() {
    const std::vector<int> intercalado{0, 5, 1, 6, 2, 7, 3, 8, 4};
    Generador::DiscoCpm d(Generador::GeometriaData());
    d.Intercalado(intercalado);
    for (int i = 0; i < 64; ++i) {
      Generador::ArchivoCpm a;
      a.nombre = "FILE" + std::to_string(10 + i);
      a.ext = "BIN";
      a.datos = Generador::ContenidoPrueba(i < 50 ? 2048 : 3072, static_cast<std::uint8_t>(i));
      d.Agregar(a);
    }
    Generador::EscribirArchivo(catalogo64, d.Bytes());

    // 178 of the 180 blocks hold files (the catalogue has the other two).
    Generador::DiscoCpm l(Generador::GeometriaData());
    l.Intercalado(intercalado);
    const std::size_t tamanos[] = {41 * 1024, 30 * 1024, 17 * 1024, 50 * 1024,
                                   25 * 1024, 10 * 1024, 5 * 1024};
    int n = 0;
    for (std::size_t t : tamanos) {
      Generador::ArchivoCpm a;
      a.nombre = "PART" + std::to_string(n);
      a.ext = "DAT";
      a.datos = Generador::ContenidoPrueba(t, static_cast<std::uint8_t>(n++));
      l.Agregar(a);
      bytesArchivos += t;
    }
    lleno = l.Bytes();
    Generador::EscribirArchivo(llenoDsk, lleno);
  }
};

Imagenes &I() {
  static Imagenes i;
  return i;
}

// Open, size, read the whole file into a vector, close.
void Base_LeerArchivo(benchmark::State &state) {
  for (auto _ : state) {
    const int fd = ::open(I().catalogo64.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    benchmark::DoNotOptimize(::read(fd, bytes.data(), bytes.size()));
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(Base_LeerArchivo);

// The loader, then tracks, format, the 64 entries and every file's sectors checked.
void LeerCatalogo64(benchmark::State &state) {
  for (auto _ : state) {
    const cpm::Carga c = cpm::CargarArchivo(I().catalogo64);
    const cpm::Disco d = cpm::LeerDisco(c.bytes);
    if (d.catalogo.archivos.size() != 64) {
      state.SkipWithError("el catálogo no tiene 64 archivos");
      break;
    }
    benchmark::DoNotOptimize(d.catalogo.archivos.data());
  }
}
BENCHMARK(LeerCatalogo64);

void Base_CopiarImagen(benchmark::State &state) {
  for (auto _ : state) {
    std::vector<std::uint8_t> copia(I().lleno);
    benchmark::DoNotOptimize(copia.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(I().lleno.size()));
}
BENCHMARK(Base_CopiarImagen);

// Every file of the full disk in raw mode, the disk read once beforehand.
void ExtraerTodo178K(benchmark::State &state) {
  const cpm::Disco d = cpm::LeerDisco(I().lleno);
  for (auto _ : state) {
    std::size_t total = 0;
    for (const cpm::Archivo &a : d.catalogo.archivos) {
      const cpm::Extraido e = cpm::ExtraerArchivo(d, a, cpm::ModoExtraccion::Crudo);
      total += e.bytes.size();
      benchmark::DoNotOptimize(e.bytes.data());
    }
    if (total != I().bytesArchivos) {
      state.SkipWithError("no se extrajeron todos los bytes");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(I().bytesArchivos));
}
BENCHMARK(ExtraerTodo178K);

void Base_CopiarArchivoImagen(benchmark::State &state) {
  CopiarConUnaLecturaYUnaEscritura(state, I().llenoDsk, I().copia, I().lleno.size());
}
BENCHMARK(Base_CopiarArchivoImagen);

// From the image file to one host file per file: load, read, extract, write.
void ExtraerTodoAArchivos(benchmark::State &state) {
  for (auto _ : state) {
    const cpm::Carga c = cpm::CargarArchivo(I().llenoDsk);
    const cpm::Disco d = cpm::LeerDisco(c.bytes);
    for (const cpm::Archivo &a : d.catalogo.archivos) {
      const cpm::Extraido e = cpm::ExtraerArchivo(d, a, cpm::ModoExtraccion::Crudo);
      const std::string ruta = I().carpeta.Archivo(a.NombreCompleto());
      const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      benchmark::DoNotOptimize(::write(fd, e.bytes.data(), e.bytes.size()));
      ::close(fd);
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(I().bytesArchivos));
}
BENCHMARK(ExtraerTodoAArchivos);

} // namespace

int main(int argc, char **argv) {
  return EjecutarConProporciones(argc, argv,
                                 {{"LeerCatalogo64", "Base_LeerArchivo"},
                                  {"ExtraerTodo178K", "Base_CopiarImagen"},
                                  {"ExtraerTodoAArchivos", "Base_CopiarArchivoImagen"}});
}
