// Telling the format from the first track, and the table of formats.
#include "Ayuda.h"
#include "cpm/Formatos.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;
using Generador::Geometria;
using imagenes::TipoProblema;

struct Caso {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> hacer;
  const char *formato; // "" = none can be told
  int bloques;
  int entradas;
  int reservadas;
  TipoProblema problema; // expected too when `conProblema`
  bool conProblema;
};

class Deteccion : public ::testing::TestWithParam<Caso> {};

TEST_P(Deteccion, DaElFormatoYSusParametros) {
  const auto bytes = GetParam().hacer();
  const imagenes::Contenedor c = imagenes::LeerContenedor(bytes);
  const cpm::Deteccion d = cpm::DetectarFormato(c);
  const bool hay =
      std::any_of(d.problemas.begin(), d.problemas.end(),
                  [](const imagenes::Problema &p) { return p.tipo == GetParam().problema; });
  EXPECT_EQ(hay, GetParam().conProblema);
  if (std::string(GetParam().formato).empty()) {
    EXPECT_FALSE(d.formato);
    return;
  }
  ASSERT_TRUE(d.formato) << d.motivo;
  EXPECT_EQ(d.formato->nombre, GetParam().formato);
  EXPECT_EQ(d.formato->bloques, GetParam().bloques);
  EXPECT_EQ(d.formato->entradas, GetParam().entradas);
  EXPECT_EQ(d.formato->reservadas, GetParam().reservadas);
}

std::vector<std::uint8_t> Plus3ConDescripcion(std::array<std::uint8_t, 16> esp) {
  Geometria g = Generador::GeometriaPlus3();
  g.pistas = 80;
  g.caras = 2;
  return DiscoCpm(g, Disposicion::Extendida).Descripcion(esp).Bytes();
}

// 80 tracks on two sides, alternating, no reserved track, 2 KB blocks.
Geometria Romdos(std::uint8_t primero, int sectores, int entradas) {
  Geometria g;
  g.primerSector = primero;
  g.sectores = sectores;
  g.pistas = 80;
  g.caras = 2;
  g.tamanoBloque = 2048;
  g.entradas = entradas;
  return g;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Deteccion,
    ::testing::Values(
        Caso{"DataIntercalado",
             [] { return DiscoCpm(Generador::GeometriaData()).Intercalado(Intercalado()).Bytes(); },
             "data", 180, 64, 0, TipoProblema::FormatoDesconocido, false},
        Caso{"System", [] { return DiscoCpm(Generador::GeometriaSystem()).Bytes(); }, "system", 171,
             64, 2, TipoProblema::FormatoDesconocido, false},
        Caso{"Plus3SinDescripcion", [] { return DiscoCpm(Generador::GeometriaPlus3()).Bytes(); },
             "plus3", 175, 64, 1, TipoProblema::FormatoDesconocido, false},
        Caso{"Ibm", [] { return DiscoCpm(Generador::GeometriaIbm()).Bytes(); }, "ibm", 156, 64, 1,
             TipoProblema::FormatoDesconocido, false},
        // Ten sectors C1..CA: AMSDOS reads nine.
        Caso{"DiezSectores",
             [] { return DiscoCpm(Generador::GeometriaData()).SectorExtra(0, 0, 0xCA).Bytes(); },
             "data", 180, 64, 0, TipoProblema::FormatoDesconocido, false},
        // 80 tracks, two sides, 2 KB blocks, four catalogue blocks: (160 - 1) * 9 / 4.
        Caso{"Pcw720PorDescripcion",
             [] {
               return Plus3ConDescripcion({3, 0x81, 80, 9, 2, 1, 4, 4, 0x2A, 0x52});
             },
             "plus3", 357, 256, 1, TipoProblema::DescripcionInvalida, false},
        Caso{"DescripcionIncoherente",
             [] {
               return Plus3ConDescripcion({0, 0, 0, 9, 2, 1, 3, 2});
             },
             "plus3", 175, 64, 1, TipoProblema::DescripcionInvalida, true},
        // ROMDOS's 3.5-inch formats, told by their first sector ID alone.
        Caso{"RomdosD2", [] { return DiscoCpm(Romdos(0x21, 9, 256)).Bytes(); }, "romdos-d2", 360,
             256, 0, TipoProblema::FormatoDesconocido, false},
        Caso{"RomdosD10", [] { return DiscoCpm(Romdos(0x11, 10, 128)).Bytes(); }, "romdos-d10", 400,
             128, 0, TipoProblema::FormatoDesconocido, false},
        Caso{"RomdosD20", [] { return DiscoCpm(Romdos(0x31, 10, 256)).Bytes(); }, "romdos-d20", 400,
             256, 0, TipoProblema::FormatoDesconocido, false},
        Caso{"IdsDesconocidos",
             [] {
               Geometria g;
               g.primerSector = 0x91;
               return DiscoCpm(g).Bytes();
             },
             "", 0, 0, 0, TipoProblema::FormatoDesconocido, true},
        Caso{"PrimeraPistaSinFormato",
             [] {
               return DiscoCpm(Generador::GeometriaData(), Disposicion::Extendida)
                   .SinFormato(0, 0)
                   .Bytes();
             },
             "", 0, 0, 0, TipoProblema::FormatoDesconocido, true}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

TEST(Formatos, NombresYAlias) {
  const auto nombres = cpm::NombresFormatos();
  for (const char *n : {"data", "system", "ibm", "plus3", "pcw", "pcw720", "vendor", "romdos-d2",
                        "romdos-d10", "romdos-d20"}) {
    EXPECT_NE(std::find(nombres.begin(), nombres.end(), n), nombres.end()) << n;
    EXPECT_TRUE(cpm::FormatoPorNombre(n)) << n;
  }
  EXPECT_EQ(cpm::FormatoPorNombre("PCW")->nombre, "plus3");
  EXPECT_EQ(cpm::FormatoPorNombre("Vendor")->nombre, "system");
  EXPECT_FALSE(cpm::FormatoPorNombre("amiga"));
  // Every row of the table gives sane derived values.
  for (const cpm::Formato &f : cpm::TablaFormatos()) {
    SCOPED_TRACE(std::string(f.nombre));
    EXPECT_GT(f.bloques, f.BloquesCatalogo());
    EXPECT_EQ(f.BloquesCatalogo() * f.tamanoBloque, f.entradas * 32);
    EXPECT_EQ(128 << f.CodigoTamano(), f.tamanoSector);
  }
  const auto pcw = *cpm::FormatoPorNombre("pcw720");
  EXPECT_TRUE(pcw.Bloques16());
  EXPECT_EQ(pcw.MascaraExtension(), 0);
}

TEST(Formatos, UbicarSectorSigueElOrdenDeLasCaras) {
  cpm::Formato f = *cpm::FormatoPorNombre("pcw720");
  // Alternating: logical track 3 is track 1, side 1.
  auto u = cpm::UbicarSector(f, 3 * 9 + 4);
  EXPECT_EQ(u.pista, 1);
  EXPECT_EQ(u.cara, 1);
  EXPECT_EQ(u.id, 5);
  f.orden = cpm::OrdenCaras::Sucesivas;
  u = cpm::UbicarSector(f, 81 * 9);
  EXPECT_EQ(u.pista, 1);
  EXPECT_EQ(u.cara, 1);
  EXPECT_EQ(u.id, 1);
}

TEST(Formatos, ForzarUnFormatoPorNombre) {
  // A SYSTEM disk read as DATA finds no catalogue where DATA keeps it.
  auto bytes = DiscoCpm(Generador::GeometriaSystem())
                   .Agregar({0, "FILE", "BIN", false, false, false, Datos(100, 3), {}, 0})
                   .Bytes();
  const Leido propio(bytes);
  ASSERT_EQ(propio.disco.catalogo.archivos.size(), 1u);
  const Leido forzado(bytes, "data");
  EXPECT_EQ(forzado.disco.formato->nombre, "data");
  EXPECT_TRUE(forzado.Hay(TipoProblema::FormatoForzado));
  EXPECT_TRUE(forzado.Hay(TipoProblema::SectorAusente));
  EXPECT_TRUE(forzado.disco.catalogo.archivos.empty());
  const Leido malo(bytes, "nada");
  EXPECT_FALSE(malo.disco.formato);
  EXPECT_TRUE(malo.Hay(TipoProblema::FormatoNombreMalo));
}

} // namespace
