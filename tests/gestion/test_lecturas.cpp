// The window is one process for as long as it runs: what it reads of a zip is
// paid from the zip's inflation budget one reading at a time (a view, an
// action), never from one budget for the whole run.
#include "Comun.h"
#include "Generador.h"
#include "ZipDePrueba.h"
#include "gestion/Acciones.h"
#include "gestion/Zips.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A small zip holding an empty disk, read far more times than its budget would
// allow in one run: a view of it was refused as "posible bomba zip" at the
// hundred and fifth, and for the rest of the run.
TEST(GestionLecturas, CadaLecturaTieneTodoElPresupuestoDelZip) {
  CarpetaTemporal dir;
  const std::vector<std::uint8_t> vacio = Generador::DiscoCpm(Generador::GeometriaData()).Bytes();
  Escribir(dir.Archivo("discos.zip"),
           zip_prueba::CrearZip({zip_prueba::Comprimido("vacio.dsk", vacio)}));
  const std::string miembro = dir.Archivo("discos.zip/vacio.dsk");
  struct Caso {
    const char *nombre;
    std::function<std::string()> leer; // empty, or why not
  };
  const std::vector<Caso> casos{
      {"vista",
       [&] {
         std::vector<std::uint8_t> bytes;
         std::string error = Gestion::LeerParaListar(miembro, bytes);
         return error.empty() && bytes != vacio ? "otros bytes" : error;
       }},
      {"acción", [&] { return Gestion::LeerImagen(miembro).ErrorPistas(); }},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    for (int vez = 1; vez <= 150; ++vez) {
      const std::string error = c.leer();
      ASSERT_EQ(error, "") << "lectura " << vez;
    }
  }
}

} // namespace
