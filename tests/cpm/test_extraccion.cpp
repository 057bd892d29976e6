// AMSDOS headers, the two extraction modes, name patterns and the file loader.
#include "Ayuda.h"
#include "Comun.h"
#include "cpm/Amsdos.h"
#include "cpm/Patron.h"

#include <gtest/gtest.h>

namespace {

using cpm::ModoExtraccion;
using Generador::ArchivoCpm;
using Generador::DiscoCpm;
using imagenes::TipoProblema;

std::vector<std::uint8_t> ConCabecera(std::uint8_t tipo, std::uint32_t longitud,
                                      const std::vector<std::uint8_t> &cuerpo) {
  auto v = Generador::CabeceraAmsdos("GAME    BIN", tipo, 0x4000, 0x4010, longitud);
  v.insert(v.end(), cuerpo.begin(), cuerpo.end());
  return v;
}

ArchivoCpm Archivo(const char *nombre, std::vector<std::uint8_t> datos) {
  ArchivoCpm a;
  a.nombre = nombre;
  a.ext = "BIN";
  a.datos = std::move(datos);
  return a;
}

// One size to trust: the length the reader gives a file is the byte count
// extracted by default (header removed when there is a valid one).
struct CasoLongitud {
  const char *nombre;
  Generador::Geometria geometria;
  std::vector<std::uint8_t> datos;
  int bytesUltimo; // byte count of the last record (S1)
  std::uint64_t longitud;
};

class Longitud : public testing::TestWithParam<CasoLongitud> {};

TEST_P(Longitud, EsLaQueSeExtraePorOmision) {
  const CasoLongitud &c = GetParam();
  ArchivoCpm a = Archivo("F", c.datos);
  a.bytesUltimo = c.bytesUltimo;
  const Leido l(DiscoCpm(c.geometria).Agregar(a).Bytes());
  const auto *f = l.Archivo(0, "F.BIN");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->longitud, c.longitud);
  const auto modo = f->cabecera ? ModoExtraccion::Archivo : ModoExtraccion::Crudo;
  EXPECT_EQ(cpm::ExtraerArchivo(l.disco, *f, modo).bytes.size(), f->longitud);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Longitud,
    testing::Values(
        CasoLongitud{"LaDeLaCabecera", Generador::GeometriaData(),
                     ConCabecera(2, 3000, Datos(3000, 1)), 0, 3000},
        CasoLongitud{"CabeceraDeLongitudCero", Generador::GeometriaData(),
                     ConCabecera(2, 0, Datos(300, 1)), 0, 0},
        CasoLongitud{"CabeceraQueDaMasDeLoQueHay", Generador::GeometriaData(),
                     ConCabecera(2, 9000, Datos(1000, 1)), 0, 1024},
        CasoLongitud{"SinCabeceraRegistrosEnteros", Generador::GeometriaData(), Datos(2000, 2), 0,
                     2048},
        CasoLongitud{"MenosDeUnRegistro", Generador::GeometriaData(), Datos(10, 2), 0, 128},
        CasoLongitud{"Vacio", Generador::GeometriaData(), {}, 0, 0},
        CasoLongitud{"CuentaDeBytesCpm3", Generador::GeometriaPlus3(), Datos(1000, 3), 104, 1000},
        // cpmtools' cpcdata and cpcsys keep the count too (their diskdefs say os 3).
        CasoLongitud{"CuentaDeBytesDeCpmtoolsEnData", Generador::GeometriaData(), Datos(20000, 5),
                     32, 20000},
        CasoLongitud{"CuentaDeBytesDeCpmtoolsEnSystem", Generador::GeometriaSystem(), Datos(300, 6),
                     44, 300},
        CasoLongitud{"CuentaDeBytesFueraDeRango", Generador::GeometriaData(), Datos(300, 6), 200,
                     384},
        CasoLongitud{"CabeceraEnPlus3", Generador::GeometriaPlus3(),
                     ConCabecera(0, 700, Datos(700, 4)), 60, 700}),
    [](const testing::TestParamInfo<CasoLongitud> &i) { return std::string(i.param.nombre); });

TEST(Amsdos, CabeceraValidaYModos) {
  const auto cuerpo = Datos(3000, 1);
  auto rota = ConCabecera(2, 3000, cuerpo);
  rota[67] ^= 1;                             // checksum one off
  auto larga = ConCabecera(2, 9000, cuerpo); // says more than the disk holds
  std::vector<std::uint8_t> ceros(500, 0);
  const auto bytes = DiscoCpm(Generador::GeometriaData())
                         .Agregar(Archivo("GOOD", ConCabecera(2, 3000, cuerpo)))
                         .Agregar(Archivo("BROKEN", rota))
                         .Agregar(Archivo("LONG", larga))
                         .Agregar(Archivo("ZEROS", ceros))
                         .Agregar(Archivo("BASIC", ConCabecera(1, 10, Datos(10, 2))))
                         .Bytes();
  const Leido l(bytes);
  const auto *g = l.Archivo(0, "GOOD.BIN");
  ASSERT_TRUE(g != nullptr && g->cabecera);
  EXPECT_EQ(g->cabecera->tipo, cpm::TipoAmsdos::Binario);
  EXPECT_EQ(g->cabecera->carga, 0x4000);
  EXPECT_EQ(g->cabecera->entrada, 0x4010);
  EXPECT_EQ(g->cabecera->longitud, 3000u);
  EXPECT_EQ(g->cabecera->nombre, "GAME.BIN");
  EXPECT_EQ(l.Extraer(0, "GOOD.BIN", ModoExtraccion::Archivo), cuerpo);
  EXPECT_EQ(l.Extraer(0, "GOOD.BIN", ModoExtraccion::Crudo),
            EnRegistros(ConCabecera(2, 3000, cuerpo)));
  EXPECT_EQ(l.Archivo(0, "BASIC.BIN")->cabecera->tipo, cpm::TipoAmsdos::BasicProtegido);
  // Without a valid header "file" gives the bytes as they are.
  EXPECT_FALSE(l.Archivo(0, "BROKEN.BIN")->cabecera);
  EXPECT_EQ(l.Extraer(0, "BROKEN.BIN", ModoExtraccion::Archivo), EnRegistros(rota));
  EXPECT_FALSE(l.Archivo(0, "ZEROS.BIN")->cabecera);
  // A header longer than the file: what is there, and a problem; never padding.
  const auto r = cpm::ExtraerArchivo(l.disco, *l.Archivo(0, "LONG.BIN"), ModoExtraccion::Archivo);
  EXPECT_FALSE(r.completo);
  ASSERT_FALSE(r.problemas.empty());
  EXPECT_EQ(r.problemas.back().tipo, TipoProblema::LongitudCabeceraExcede);
  auto esperado = EnRegistros(larga);
  esperado.erase(esperado.begin(), esperado.begin() + 128);
  EXPECT_EQ(r.bytes, esperado);
}

TEST(Amsdos, CabeceraNoLeidaNoCuenta) {
  // The file's first sector (block 2: C5) is gone; a valid header there is not seen.
  const auto bytes = DiscoCpm(Generador::GeometriaData())
                         .Agregar(Archivo("GOOD", ConCabecera(2, 3000, Datos(3000, 1))))
                         .QuitarSector(0, 0, 0xC5)
                         .Bytes();
  const Leido l(bytes);
  const auto *g = l.Archivo(0, "GOOD.BIN");
  ASSERT_NE(g, nullptr);
  EXPECT_FALSE(g->cabecera);
  EXPECT_FALSE(g->completo);
  const auto r = cpm::ExtraerArchivo(l.disco, *g, ModoExtraccion::Archivo);
  EXPECT_TRUE(r.bytes.empty());
  EXPECT_FALSE(r.completo);
}

struct CasoPatron {
  const char *patron;
  std::vector<std::string> esperados; // "user:NAME.EXT"
};

class Patrones : public ::testing::TestWithParam<CasoPatron> {};

TEST_P(Patrones, EligenLosArchivos) {
  static const auto bytes = [] {
    DiscoCpm d(Generador::GeometriaData());
    for (auto [u, n, e] : {std::tuple{0, "DISC", "BAS"},
                           {1, "DISC", "BAS"},
                           {0, "GAME", "BIN"},
                           {0, "MY-GAME", "BIN"},
                           {0, "README", ""},
                           {0, "disc", "bas"}}) {
      ArchivoCpm a = Archivo(n, Datos(10, 1));
      a.usuario = static_cast<std::uint8_t>(u);
      a.ext = e;
      d.Agregar(a);
    }
    return d.Bytes();
  }();
  const Leido l(bytes);
  std::string error;
  const auto p = cpm::CompilarPatron(GetParam().patron, &error);
  ASSERT_TRUE(p) << error;
  std::vector<std::string> hallados;
  for (const cpm::Archivo *a : cpm::Buscar(l.disco, *p)) {
    hallados.push_back(std::to_string(a->usuario) + ":" + a->NombreCompleto());
  }
  EXPECT_EQ(hallados, GetParam().esperados);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Patrones,
    ::testing::Values(CasoPatron{"*.BAS", {"0:DISC.BAS", "0:disc.bas", "1:DISC.BAS"}},
                      CasoPatron{"*.bas", {"0:DISC.BAS", "0:disc.bas", "1:DISC.BAS"}},
                      CasoPatron{"1:*.*", {"1:DISC.BAS"}},
                      CasoPatron{"0:DISC.BAS", {"0:DISC.BAS", "0:disc.bas"}},
                      CasoPatron{"?Y-GAME.B?N", {"0:MY-GAME.BIN"}},
                      CasoPatron{"*GAME.BIN", {"0:GAME.BIN", "0:MY-GAME.BIN"}},
                      CasoPatron{"README", {"0:README"}}, CasoPatron{"GAME", {}},
                      CasoPatron{"*",
                                 {"0:DISC.BAS", "0:GAME.BIN", "0:MY-GAME.BIN", "0:README",
                                  "0:disc.bas", "1:DISC.BAS"}}));

TEST(Patrones, MalFormados) {
  for (const char *malo :
       {"", "NINECHARS.BAS", "A.BASI", "16:A.BAS", "x:A", ":A", "A B.BAS", "A<.BAS", "A.B.C"}) {
    SCOPED_TRACE(malo);
    std::string error;
    EXPECT_FALSE(cpm::CompilarPatron(malo, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(Carga, LeeElArchivoOLoRechaza) {
  CarpetaTemporal dir;
  const auto bytes = DiscoCpm(Generador::GeometriaData()).Bytes();
  Generador::EscribirArchivo(dir.Ruta() / "a.dsk", bytes);
  const cpm::Carga bien = cpm::CargarArchivo(dir.Ruta() / "a.dsk");
  EXPECT_FALSE(bien.error);
  EXPECT_EQ(bien.bytes, bytes);
  const cpm::Carga grande = cpm::CargarArchivo(dir.Ruta() / "a.dsk", bytes.size() - 1);
  ASSERT_TRUE(grande.error);
  EXPECT_NE(grande.error->find("a.dsk"), std::string::npos);
  EXPECT_TRUE(grande.bytes.empty());
  EXPECT_TRUE(cpm::CargarArchivo(dir.Ruta() / "no.dsk").error);
  EXPECT_TRUE(cpm::CargarArchivo(dir.Ruta()).error);
}

} // namespace
