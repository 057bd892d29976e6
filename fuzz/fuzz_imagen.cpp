// Arbitrary bytes decoded as a disk image, every entry read and checked the way
// the catalogue listing uses it. Every few inputs the same bytes also go
// through the disk object on a real file, to cover loading and byte access.
#include "disk/Cls_Disco.h"
#include "disk/Formato.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

void RevisarCabecera(const CabeceraDisco &cab) {
  Comprobar(cab.Formato >= 0 && cab.Formato <= 2);
  Comprobar(cab.Creador.size() <= cpcemu::LargoCreador);
  for (int i = 0; i < CabeceraDisco::EntradasCatalogo; ++i) {
    const EntradaDir &e = cab.Entradas[static_cast<std::size_t>(i)];
    Comprobar(e.Nombre.size() == Formato::LargoNombre);
    Comprobar(e.Estado == 0 || e.Estado == 32 || e.Estado == 64);
    Comprobar(e.MarcaExt1 == 1 || e.MarcaExt1 == 2);
    Comprobar(e.MarcaExt2 == 4 || e.MarcaExt2 == 8);
    Comprobar(e.Estado != 0 || e.Usuario <= 15);
    if (e.Estado == 0) {
      // What a listed row shows: name, extension and the size in kilobytes.
      const std::string nombre = e.Nombre.substr(0, 8);
      const std::string ext = e.Nombre.substr(8, 3);
      const int kb = e.Registros >> 3;
      Comprobar(nombre.size() == 8 && ext.size() == 3 && kb >= 0 && kb <= 31);
      for (const char c : e.Nombre) {
        Comprobar(Formato::CaracterAceptado(static_cast<unsigned char>(c)));
      }
    }
  }
  Comprobar(cab.Entradas[64] == EntradaDir{});
}

// One scratch file for the whole run, removed when the fuzzer exits.
struct ArchivoTemporal {
  std::string ruta;
  ArchivoTemporal() {
    char plantilla[] = "/tmp/alcove-fuzz-XXXXXX";
    const int fd = ::mkstemp(plantilla);
    Comprobar(fd >= 0);
    ::close(fd);
    ruta = plantilla;
  }
  ~ArchivoTemporal() { ::unlink(ruta.c_str()); }
  ArchivoTemporal(const ArchivoTemporal &) = delete;
  ArchivoTemporal &operator=(const ArchivoTemporal &) = delete;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  RevisarCabecera(Formato::LeerImagen(bytes));

  static unsigned cuenta = 0;
  if (++cuenta % 16 != 0) {
    return 0;
  }
  // Through the object: the same record, whatever the file holds.
  static const ArchivoTemporal temporal;
  const std::string &ruta = temporal.ruta;
  std::FILE *f = std::fopen(ruta.c_str(), "wb");
  Comprobar(f != nullptr);
  Comprobar(largo == 0 || std::fwrite(datos, 1, largo, f) == largo);
  std::fclose(f);
  Cls_Disco disco;
  disco.Cargar(ruta);
  const CabeceraDisco cab = disco.Cabecera();
  Comprobar(cab == Formato::LeerImagen(bytes));
  Comprobar(disco.TotalBytes == static_cast<double>(largo));
  const std::string todo = disco.ExtraerStr(0, static_cast<double>(largo) + 3);
  Comprobar(todo.size() == largo + 4);
  for (std::size_t i = 0; i < largo; ++i) {
    Comprobar(disco.NumByte(static_cast<double>(i)) == datos[i]);
  }
  return 0;
}
