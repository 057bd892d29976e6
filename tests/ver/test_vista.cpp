// Which viewer a file gets, from its header and its bytes.
#include "ver/Vista.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct CasoVista {
  const char *prueba;
  std::optional<cpm::TipoAmsdos> cabecera; // nothing: a file without one
  std::vector<std::uint8_t> contenido;
  Ver::Vista esperada;
  const char *extension = "";
  std::uint16_t carga = 0;
};

class ElegirVista : public testing::TestWithParam<CasoVista> {};

TEST_P(ElegirVista, PorCabeceraYContenido) {
  cpm::Archivo a;
  a.extension = GetParam().extension;
  if (GetParam().cabecera) {
    a.cabecera = cpm::CabeceraAmsdos{};
    a.cabecera->tipo = *GetParam().cabecera;
    a.cabecera->carga = GetParam().carga;
  }
  EXPECT_EQ(Ver::ElegirVista(a, GetParam().contenido), GetParam().esperada);
}

const std::vector<std::uint8_t> kTexto{'1', '0', ' ',  'P',  'R',  'I',
                                       'N', 'T', '\r', '\n', 0x1A, 0x00};
const std::vector<std::uint8_t> kBinario{0x3E, 0x01, 0xCD, 0x5A, 0xBB, 0xC9};
// A text drawn with the CPC's box characters (&90, &9A, ...).
const std::vector<std::uint8_t> kTextoCpc{0x96, 0x9A, 0x9C, '-', '\r', '\n', 0x95, ' ',
                                          'G',  'U',  'I',  'A', ' ',  'O',  'R',  'G',
                                          'A',  'M',  'S',  ' ', 0x95, '\r', '\n', 0x1A};
const std::vector<std::uint8_t> kAltos{0x90, 0x9A, 0x9A, 0xC3, 0xA1, 'A', 0x90, 0x90};
// "INICIO LD A,1" and a comment line, as DAMS saves them.
const std::vector<std::uint8_t> kDams{'I', 'N',  'I',  'C', 'I', 'O', 0x80, 'A', ',',
                                      '1', 0x0D, 0xFF, 'f', 'i', 'n', 0x0D, 0x00};
const std::vector<std::uint8_t> kPantalla(16384, 0x55);

INSTANTIATE_TEST_SUITE_P(
    Casos, ElegirVista,
    testing::Values(
        CasoVista{"Basic", cpm::TipoAmsdos::Basic, kBinario, Ver::Vista::Basic},
        CasoVista{"BasicProtegido", cpm::TipoAmsdos::BasicProtegido, kBinario,
                  Ver::Vista::BasicProtegido},
        CasoVista{"BinarioConCabecera", cpm::TipoAmsdos::Binario, kBinario, Ver::Vista::Z80},
        // A binary's bytes are code, whatever they look like.
        CasoVista{"TextoConCabeceraBinaria", cpm::TipoAmsdos::Binario, kTexto, Ver::Vista::Z80},
        // AMSDOS's ASCII files have a header of their own type.
        CasoVista{"TextoConCabeceraAscii",
                  cpm::TipoAmsdos::Otro,
                  {'H', 'O', 'L', 'A', '\r', '\n'},
                  Ver::Vista::Texto},
        CasoVista{"DamsSinCabecera", std::nullopt, kDams, Ver::Vista::Dams},
        CasoVista{"DamsConCabeceraBinaria", cpm::TipoAmsdos::Binario, kDams, Ver::Vista::Dams},
        // Screens: 16 KB named .SCR or loaded at &C000; a ROM there is code.
        CasoVista{"PantallaPorExtension", std::nullopt, kPantalla, Ver::Vista::Pantalla, "SCR"},
        CasoVista{"PantallaSinHuecoFinal", std::nullopt, std::vector<std::uint8_t>(16336, 0x55),
                  Ver::Vista::Pantalla, "scr"},
        CasoVista{"PantallaPorCarga", cpm::TipoAmsdos::Binario, kPantalla, Ver::Vista::Pantalla,
                  "BIN", 0xC000},
        CasoVista{"RomNoEsPantalla", cpm::TipoAmsdos::Binario, kPantalla, Ver::Vista::Z80, "ROM",
                  0xC000},
        CasoVista{"ScrDeOtroTamano", std::nullopt, std::vector<std::uint8_t>(16000, 0xAA),
                  Ver::Vista::Hex, "SCR"},
        // Filler after the ^Z does not count.
        CasoVista{"TextoHastaCtrlZ", std::nullopt, kTexto, Ver::Vista::Texto},
        CasoVista{"BytesSinCabecera", std::nullopt, kBinario, Ver::Vista::Hex},
        CasoVista{"TextoConCaracteresDelCpc", std::nullopt, kTextoCpc, Ver::Vista::Texto},
        CasoVista{"CasiTodoPorEncimaDe80", std::nullopt, kAltos, Ver::Vista::Hex}),
    [](const testing::TestParamInfo<CasoVista> &i) { return std::string(i.param.prueba); });

// The one table of viewers: every viewer has one row, read back from its
// name; names and titles apart; only the screen is drawn rather than listed.
TEST(NombreVista, CadaVistaTieneSuFila) {
  const std::vector<Ver::Vista> todas{
      Ver::Vista::Basic,    Ver::Vista::BasicProtegido, Ver::Vista::Dams, Ver::Vista::Z80,
      Ver::Vista::Pantalla, Ver::Vista::Texto,          Ver::Vista::Hex};
  ASSERT_EQ(Ver::Vistas().size(), todas.size());
  std::set<std::string_view> nombres;
  std::set<std::string_view> titulos;
  for (const Ver::Vista v : todas) {
    const Ver::FilaVista &fila = Ver::FilaDeVista(v);
    EXPECT_EQ(fila.vista, v) << fila.nombre;
    EXPECT_EQ(Ver::VistaPorNombre(Ver::NombreVista(v)), v) << fila.nombre;
    EXPECT_EQ(fila.listar == nullptr, v == Ver::Vista::Pantalla) << fila.nombre;
    nombres.insert(fila.nombre);
    titulos.insert(fila.titulo);
  }
  EXPECT_EQ(nombres.size(), todas.size());
  EXPECT_EQ(titulos.size(), todas.size());
  EXPECT_EQ(Ver::NombreVista(Ver::Vista::BasicProtegido), "basic-protegido");
  EXPECT_EQ(Ver::TituloVista(Ver::Vista::Hex), "Hexadecimal");
  EXPECT_FALSE(Ver::VistaPorNombre("BASIC").has_value());
  EXPECT_EQ(Ver::NombresVistas(), "basic, basic-protegido, dams, z80, pantalla, texto o hex");
}

} // namespace
