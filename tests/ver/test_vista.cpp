// Which viewer a file gets, from its header and its bytes.
#include "ver/Vista.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct CasoVista {
  const char *prueba;
  std::optional<cpm::TipoAmsdos> cabecera; // nothing: a file without one
  std::vector<std::uint8_t> contenido;
  Ver::Vista esperada;
};

class ElegirVista : public testing::TestWithParam<CasoVista> {};

TEST_P(ElegirVista, PorCabeceraYContenido) {
  cpm::Archivo a;
  if (GetParam().cabecera) {
    a.cabecera = cpm::CabeceraAmsdos{};
    a.cabecera->tipo = *GetParam().cabecera;
  }
  EXPECT_EQ(Ver::ElegirVista(a, GetParam().contenido), GetParam().esperada);
}

const std::vector<std::uint8_t> kTexto{'1', '0', ' ',  'P',  'R',  'I',
                                       'N', 'T', '\r', '\n', 0x1A, 0x00};
const std::vector<std::uint8_t> kBinario{0x3E, 0x01, 0xCD, 0x5A, 0xBB, 0xC9};

INSTANTIATE_TEST_SUITE_P(
    Casos, ElegirVista,
    testing::Values(
        CasoVista{"Basic", cpm::TipoAmsdos::Basic, kBinario, Ver::Vista::Basic},
        CasoVista{"BasicProtegido", cpm::TipoAmsdos::BasicProtegido, kBinario,
                  Ver::Vista::BasicProtegido},
        CasoVista{"BinarioConCabecera", cpm::TipoAmsdos::Binario, kBinario, Ver::Vista::Hex},
        // A header's file is never taken for CP/M text, whatever its bytes.
        CasoVista{"TextoConCabeceraBinaria", cpm::TipoAmsdos::Binario, kTexto, Ver::Vista::Hex},
        // Filler after the ^Z does not count.
        CasoVista{"TextoHastaCtrlZ", std::nullopt, kTexto, Ver::Vista::Texto},
        CasoVista{"BytesSinCabecera", std::nullopt, kBinario, Ver::Vista::Hex}),
    [](const testing::TestParamInfo<CasoVista> &i) { return std::string(i.param.prueba); });

TEST(NombreVista, CadaVistaSeLeeDeSuNombre) {
  for (const Ver::Vista v :
       {Ver::Vista::Basic, Ver::Vista::BasicProtegido, Ver::Vista::Dams, Ver::Vista::Z80,
        Ver::Vista::Pantalla, Ver::Vista::Texto, Ver::Vista::Hex}) {
    EXPECT_EQ(Ver::VistaPorNombre(Ver::NombreVista(v)), v) << Ver::NombreVista(v);
  }
  EXPECT_EQ(Ver::NombreVista(Ver::Vista::BasicProtegido), "basic-protegido");
  EXPECT_FALSE(Ver::VistaPorNombre("BASIC").has_value());
}

} // namespace
