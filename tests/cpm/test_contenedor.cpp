// The image as tracks and sectors: both layouts and the damage real images carry.
#include "Ayuda.h"
#include "imagenes/Contenedor.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;
using Generador::GeometriaData;
using imagenes::TipoProblema;

bool Hay(const imagenes::Contenedor &c, TipoProblema tipo) {
  return std::any_of(c.problemas.begin(), c.problemas.end(),
                     [tipo](const imagenes::Problema &p) { return p.tipo == tipo; });
}

TEST(Contenedor, EstandarIntercaladoSeBuscaPorId) {
  const auto bloque0 = Datos(1024, 1);
  const auto bytes = DiscoCpm(GeometriaData(), Disposicion::Estandar, 0, 2)
                         .Creador("CPCEMU TEST")
                         .Intercalado(Intercalado())
                         .EscribirBloque(2, bloque0)
                         .Bytes();
  const imagenes::Contenedor c = imagenes::LeerContenedor(bytes);
  ASSERT_TRUE(c.valido);
  EXPECT_EQ(c.disposicion, imagenes::Disposicion::Estandar);
  EXPECT_EQ(c.creador, "CPCEMU TEST");
  EXPECT_EQ(c.pistas, 40);
  EXPECT_EQ(c.caras, 2);
  EXPECT_EQ(c.tamanoPista, 256u + 9 * 512);
  EXPECT_TRUE(c.problemas.empty());
  // Two sides stored track by track, side 0 then side 1.
  const imagenes::Pista *p = imagenes::BuscarPista(c, 3, 1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pistaCabecera, 3);
  EXPECT_EQ(p->caraCabecera, 1);
  std::vector<int> ids;
  for (const auto &s : imagenes::BuscarPista(c, 0, 0)->sectores) {
    ids.push_back(s.r);
  }
  EXPECT_EQ(ids, (std::vector<int>{0xC1, 0xC6, 0xC2, 0xC7, 0xC3, 0xC8, 0xC4, 0xC9, 0xC5}));
  // Block 2 is sectors C5 and C6 of track 0 (single-sided DATA), wherever stored.
  const imagenes::Sector *c5 = imagenes::BuscarSector(c, 0, 0, 0xC5);
  const imagenes::Sector *c6 = imagenes::BuscarSector(c, 0, 0, 0xC6);
  ASSERT_TRUE(c5 != nullptr && c6 != nullptr);
  EXPECT_TRUE(std::equal(c5->datos.begin(), c5->datos.end(), bloque0.begin()));
  EXPECT_TRUE(std::equal(c6->datos.begin(), c6->datos.end(), bloque0.begin() + 512));
  EXPECT_EQ(imagenes::BuscarSector(c, 0, 0, 0x41), nullptr);
  EXPECT_EQ(imagenes::BuscarSector(c, 40, 0, 0xC1), nullptr);
}

TEST(Contenedor, ExtendidaConPistaSinFormatoYSectorDebil) {
  const auto bloque = Datos(1024, 2);
  // Block 23 is sectors C2 and C3 of track 5.
  const auto bytes = DiscoCpm(GeometriaData(), Disposicion::Extendida)
                         .SinFormato(4, 0)
                         .Debil(5, 0, 0xC2, 3)
                         .EscribirBloque(23, bloque)
                         .Bytes();
  const imagenes::Contenedor c = imagenes::LeerContenedor(bytes);
  ASSERT_TRUE(c.valido);
  EXPECT_EQ(c.tamanos[4], 0u);
  EXPECT_EQ(c.tamanos[5], 256u + 8 * 512 + 3 * 512);
  EXPECT_FALSE(imagenes::BuscarPista(c, 4, 0)->formateada);
  EXPECT_TRUE(imagenes::BuscarPista(c, 4, 0)->sectores.empty());
  const imagenes::Sector *debil = imagenes::BuscarSector(c, 5, 0, 0xC2);
  ASSERT_NE(debil, nullptr);
  EXPECT_EQ(debil->copias, 3);
  EXPECT_EQ(debil->longitudGuardada, 3u * 512);
  ASSERT_EQ(debil->datos.size(), 512u);
  EXPECT_TRUE(std::equal(debil->datos.begin(), debil->datos.end(), bloque.begin()));
  EXPECT_TRUE(Hay(c, TipoProblema::SectorDebil));
  // The sector after the weak one starts after all its copies.
  const imagenes::Sector *c3 = imagenes::BuscarSector(c, 5, 0, 0xC3);
  EXPECT_TRUE(std::equal(c3->datos.begin(), c3->datos.end(), bloque.begin() + 512));
  EXPECT_FALSE(Hay(c, TipoProblema::PistaAusente));
}

// One row per kind of damage: the image is changed after it is made.
struct Danio {
  const char *nombre;
  Disposicion disposicion;
  std::function<void(std::vector<std::uint8_t> &)> cambiar;
  TipoProblema esperado;
  bool valido;
};

class ContenedorDanado : public ::testing::TestWithParam<Danio> {};

TEST_P(ContenedorDanado, SeInformaSinRomperse) {
  auto bytes = DiscoCpm(GeometriaData(), GetParam().disposicion).Bytes();
  GetParam().cambiar(bytes);
  const imagenes::Contenedor c = imagenes::LeerContenedor(bytes);
  EXPECT_TRUE(Hay(c, GetParam().esperado));
  EXPECT_EQ(c.valido, GetParam().valido);
}

constexpr std::size_t Pista0 = 256;            // first Track-Info block
constexpr std::size_t LargoPista = 256 + 4608; // standard track in these images

INSTANTIATE_TEST_SUITE_P(
    Casos, ContenedorDanado,
    ::testing::Values(
        Danio{"FirmaAjena", Disposicion::Estandar, [](auto &b) { b[0] = 'X'; },
              TipoProblema::FirmaDesconocida, false},
        Danio{"CabeceraCorta", Disposicion::Extendida, [](auto &b) { b.resize(100); },
              TipoProblema::CabeceraCorta, false},
        Danio{"SinPistas", Disposicion::Estandar, [](auto &b) { b[48] = 0; },
              TipoProblema::GeometriaInvalida, false},
        Danio{"TresCaras", Disposicion::Extendida, [](auto &b) { b[49] = 3; },
              TipoProblema::GeometriaInvalida, false},
        Danio{"PistaDeTamanoCero", Disposicion::Estandar,
              [](auto &b) {
                b[50] = 0;
                b[51] = 0;
              },
              TipoProblema::GeometriaInvalida, false},
        Danio{"FaltanPistasAlFinal", Disposicion::Estandar,
              [](auto &b) { b.resize(Pista0 + 10 * LargoPista); }, TipoProblema::PistaAusente,
              true},
        Danio{"PistaCortada", Disposicion::Extendida,
              [](auto &b) { b.resize(Pista0 + 10 * LargoPista + 300); }, TipoProblema::PistaCorta,
              true},
        Danio{"TamanoMasAllaDelArchivo", Disposicion::Extendida, [](auto &b) { b[52 + 39] = 0xFF; },
              TipoProblema::PistaCorta, true},
        Danio{"BytesDespues", Disposicion::Estandar, [](auto &b) { b.resize(b.size() + 77); },
              TipoProblema::BytesSobrantes, true},
        Danio{"PistaSinFirma", Disposicion::Estandar,
              [](auto &b) { b[Pista0 + 3 * LargoPista] = 0; }, TipoProblema::PistaSinFirma, true},
        Danio{"PistaConOtroNumero", Disposicion::Estandar,
              [](auto &b) { b[Pista0 + 2 * LargoPista + 16] = 7; },
              TipoProblema::PistaNumeroDistinto, true},
        Danio{"DemasiadosSectores", Disposicion::Extendida,
              [](auto &b) {
                b[Pista0 + 21] = 0xFF;
                b.resize(Pista0 + 300);
              },
              TipoProblema::SectoresDeMas, true},
        Danio{"SectorRepetido", Disposicion::Estandar,
              [](auto &b) { b[Pista0 + 24 + 8 + 2] = 0xC1; }, TipoProblema::SectorRepetido, true},
        Danio{"ErrorDeDatos", Disposicion::Estandar, [](auto &b) { b[Pista0 + 24 + 4] = 0x20; },
              TipoProblema::SectorError, true},
        Danio{"SectorCortado", Disposicion::Extendida,
              [](auto &b) { b.resize(Pista0 + LargoPista + 256 + 100); }, TipoProblema::SectorCorto,
              true}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

TEST(Contenedor, BytesArbitrariosNoRompen) {
  // A standard header over a file of nothing but track sizes and garbage.
  std::vector<std::uint8_t> b(256 + 1000, 0xFF);
  const std::string firma = "MV - CPCEMU Disk-File\r\nDisk-Info\r\n";
  std::copy(firma.begin(), firma.end(), b.begin());
  b[48] = 40;
  b[49] = 2;
  const imagenes::Contenedor c = imagenes::LeerContenedor(b);
  EXPECT_TRUE(c.valido);
  EXPECT_EQ(c.pistasLeidas.size(), 80u);
  EXPECT_TRUE(Hay(c, TipoProblema::PistaSinFirma));
  EXPECT_TRUE(Hay(c, TipoProblema::PistaAusente));
}

} // namespace
