// The reader's names-only mode over the start of a file against the whole
// reading of the same bytes: whenever it answers, it gives the very files the
// whole reading gives (names, attributes, extents, blocks, sizes and, when it
// could read the first record, lengths).
#include "cpm/Disco.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

bool MismasExtensiones(const cpm::Archivo &a, const cpm::Archivo &b) {
  return std::equal(a.extensiones.begin(), a.extensiones.end(), b.extensiones.begin(),
                    b.extensiones.end(), [](const cpm::Extension &x, const cpm::Extension &y) {
                      return x.entrada == y.entrada && x.numero == y.numero &&
                             x.registros == y.registros && x.bytesUltimo == y.bytesUltimo &&
                             x.bloques == y.bloques;
                    });
}

void Comparar(const cpm::Catalogo &nombres, const cpm::Disco &todo) {
  Comprobar(todo.contenedor.valido && todo.formato.has_value());
  Comprobar(todo.catalogo.entero);
  const auto &a = nombres.archivos;
  const auto &b = todo.catalogo.archivos;
  Comprobar(a.size() == b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    Comprobar(a[i].usuario == b[i].usuario && a[i].nombre == b[i].nombre &&
              a[i].extension == b[i].extension && a[i].tamano == b[i].tamano);
    Comprobar(a[i].soloLectura == b[i].soloLectura && a[i].sistema == b[i].sistema &&
              a[i].archivado == b[i].archivado);
    Comprobar(MismasExtensiones(a[i], b[i]));
    // The length from the first record, when the names-only reading had it.
    Comprobar(!a[i].longitudSabida || (a[i].longitud == b[i].longitud &&
                                       a[i].cabecera.has_value() == b[i].cabecera.has_value()));
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  const std::span<const std::uint8_t> bytes(datos, largo);
  const cpm::Disco todo = cpm::LeerDisco(bytes);
  // The starts `find` reads, and the whole file.
  // Every file's length, or only those a pattern matches (as `find` asks).
  static const cpm::Patron basic = *cpm::CompilarPatron("*.BAS");
  for (const std::size_t principio : std::array<std::size_t, 3>{8 * 1024, 16 * 1024, largo}) {
    for (const cpm::Patron *patron : {static_cast<const cpm::Patron *>(nullptr), &basic}) {
      if (const auto nombres =
              cpm::LeerNombres(bytes.first(std::min(principio, largo)), largo, patron)) {
        Comparar(*nombres, todo);
      }
    }
  }
  return 0;
}
