// find's short reading of a catalogue against the exact reader: the same
// files, in the same order, with the same sizes, or a refusal that sends the
// image down the exact reader's path.
#include "cli/CatalogoBreve.h"
#include "cpm/Disco.h"

#include "Generador.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

using Generador::ArchivoCpm;
using Generador::CrearEntrada;
using Generador::DiscoCpm;

using Fila = std::tuple<std::uint8_t, std::string, std::uint64_t>;

std::vector<std::uint8_t> Relleno(std::size_t largo) {
  return std::vector<std::uint8_t>(largo, 0x5A);
}

std::vector<Fila> PorElLector(const std::vector<std::uint8_t> &bytes, const cpm::Patron &patron) {
  const cpm::Disco disco = cpm::LeerDisco(bytes);
  std::vector<Fila> filas;
  for (const cpm::Archivo *a : cpm::Buscar(disco, patron)) {
    filas.emplace_back(a->usuario, a->NombreCompleto(), a->tamano);
  }
  return filas;
}

// Nothing when the short reading refuses the image.
std::optional<std::vector<Fila>> PorFind(const std::vector<std::uint8_t> &bytes,
                                         const cpm::Patron &patron) {
  const cpm::Contenedor disco = cpm::LeerContenedor(bytes);
  const cpm::Deteccion deteccion = cpm::DetectarFormato(disco);
  std::vector<std::uint8_t> catalogo;
  if (!deteccion.formato || !Cli::BytesCatalogo(disco, *deteccion.formato, catalogo)) {
    return std::nullopt;
  }
  std::vector<Cli::ArchivoBreve> encontrados;
  Cli::BuscarEnCatalogo(catalogo, *deteccion.formato, patron, encontrados);
  std::vector<Fila> filas;
  for (const Cli::ArchivoBreve &a : encontrados) {
    filas.emplace_back(a.usuario, a.nombre, a.tamano);
  }
  return filas;
}

struct CasoDisco {
  const char *nombre;
  std::function<DiscoCpm()> crear;
};

const std::vector<CasoDisco> &Discos() {
  static const std::vector<CasoDisco> discos = {
      {"DataVariasExtensionesYUsuarios",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         d.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
         d.Agregar({0, "game", "bin", true, true, true, Relleno(40000), {}, 0})
             .Agregar({3, "DISC", "BAS", false, false, false, Relleno(700), {}, 0})
             .Agregar({0, "DISC", "BAS", false, false, false, Relleno(0), {}, 0})
             .Agregar({0, "A", "", false, false, false, Relleno(128), {}, 0});
         return d;
       }},
      {"SystemExtensionesDesordenadas",
       [] {
         DiscoCpm d(Generador::GeometriaSystem(), Generador::Disposicion::Extendida);
         d.Agregar({0, "BIG", "DAT", false, false, false, Relleno(50000), {20, 3, 11, 7}, 0});
         return d;
       }},
      {"Plus3ConCuentaDeBytes",
       [] {
         DiscoCpm d(Generador::GeometriaPlus3());
         d.Descripcion({0, 0, 40, 9, 2, 1, 3, 2, 0x2A, 0x52, 0, 0, 0, 0, 0, 0});
         d.Agregar({0, "TEXTO", "TXT", false, false, false, Relleno(1000), {}, 37})
             .Agregar({2, "LARGO", "TXT", false, false, false, Relleno(20000), {}, 5});
         return d;
       }},
      {"ExtensionRepetidaYHueco",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         // Extent 2 twice (the first in catalogue order wins), extent 1 missing.
         d.FijarEntrada(9, CrearEntrada(0, "HUECO   BIN", 0x80, 0));
         d.FijarEntrada(4, CrearEntrada(0, "HUECO   BIN", 0x10, 2));
         d.FijarEntrada(6, CrearEntrada(0, "HUECO   BIN", 0x40, 2));
         return d;
       }},
      {"EntradasQueNoSonArchivos",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         d.Agregar({0, "BUENO", "BAS", false, false, false, Relleno(300), {}, 0});
         d.FijarEntrada(10, CrearEntrada(0xE5, "BORRADO BAS", 3));
         d.FijarEntrada(11, CrearEntrada(0x20, "ETIQUETA   ", 0));
         d.FijarEntrada(12, CrearEntrada(0, "\x01\x02RARO  BAS", 1));
         d.FijarEntrada(13, CrearEntrada(0, "           ", 1));
         d.FijarEntrada(14, CrearEntrada(16, "USUARIO BAS", 1));
         return d;
       }},
  };
  return discos;
}

TEST(CatalogoBreve, DaLoMismoQueElLectorExacto) {
  for (const CasoDisco &caso : Discos()) {
    const auto bytes = caso.crear().Bytes();
    for (const char *texto : {"*", "*.BAS", "3:*", "g*.b?n", "HUECO.*", "2:*.TXT"}) {
      SCOPED_TRACE(std::string(caso.nombre) + " " + texto);
      const auto patron = cpm::CompilarPatron(texto);
      ASSERT_TRUE(patron);
      const auto breve = PorFind(bytes, *patron);
      ASSERT_TRUE(breve);
      EXPECT_EQ(*breve, PorElLector(bytes, *patron));
    }
  }
}

TEST(CatalogoBreve, RehusaUnCatalogoQueNoSePuedeLeerEntero) {
  const std::vector<CasoDisco> casos = {
      {"SectorAusente",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         d.Agregar({0, "DISC", "BAS", false, false, false, Relleno(300), {}, 0});
         d.QuitarSector(0, 0, 0xC3);
         return d;
       }},
      {"OtroCodigoDeTamano",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         d.Agregar({0, "DISC", "BAS", false, false, false, Relleno(300), {}, 0});
         d.CodigoTamano(0, 0, 0xC4, 3);
         return d;
       }},
  };
  const auto patron = cpm::CompilarPatron("*");
  ASSERT_TRUE(patron);
  for (const CasoDisco &caso : casos) {
    SCOPED_TRACE(caso.nombre);
    const auto bytes = caso.crear().Bytes();
    EXPECT_FALSE(PorFind(bytes, *patron));
  }
}

} // namespace
