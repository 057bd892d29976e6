// Seeds for fuzz_zip: small zips (stored and deflated members, in folders,
// one encrypted, one lying about its size, one in ZIP64 form) and a gzip
// file, written to the folder given.
#include "ZipDePrueba.h"

#include <fstream>
#include <string>

namespace {

void Escribir(const std::string &ruta, const std::vector<std::uint8_t> &bytes) {
  std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Contenido(std::size_t largo, std::uint8_t semilla) {
  std::vector<std::uint8_t> v(largo, 0xE5);
  for (std::size_t i = 0; i < largo; i += 7) {
    v[i] = static_cast<std::uint8_t>(i + semilla);
  }
  return v;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    return 2;
  }
  const std::string carpeta = argv[1];
  using namespace zip_prueba;
  auto cifrado = Comprimido("c.dsk", Contenido(300, 3));
  cifrado.cifrado = true;
  Escribir(carpeta + "/varios.zip",
           CrearZip({Guardado("juegos/", {}), Comprimido("juegos/a.dsk", Contenido(2000, 1)),
                     Guardado("juegos/b.DSK", Contenido(500, 2)), cifrado}));
  Escribir(carpeta + "/miente.zip",
           CrearZip({QueDice(Comprimido("m.dsk", std::vector<std::uint8_t>(5000, 0)), 100)}));
  Escribir(carpeta + "/uno.zip", CrearZip({Comprimido("x.dsk", Contenido(4000, 4))}));
  Escribir(carpeta + "/zip64.zip", CrearZip({Comprimido("d/y.dsk", Contenido(1000, 6)),
                                             Guardado("z.dsk", Contenido(200, 7))},
                                            true));
  Escribir(carpeta + "/imagen.dsk.gz", Gzip(Contenido(3000, 5)));
  return 0;
}
