// The BASIC lister: a program with every token kind, damaged programs, and
// the CPC's printing of floating-point constants.
#include "ProgramaBasic.h"

#include "cli/ListadoBasic.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(ListadoBasic, ProgramaConTodosLosTokens) {
  const auto bytes = BytesProgramaCompleto();
  const Cli::ListadoBasic r = Cli::ListarBasic(bytes);
  EXPECT_EQ(r.texto, ProgramaCompleto().Listado());
  EXPECT_EQ(r.nota, "");
}

TEST(ListadoBasic, SinMarcaFinalListaLoQueHay) {
  auto bytes = BytesProgramaCompleto();
  bytes.resize(bytes.size() - 2); // no zero length word at the end
  const Cli::ListadoBasic r = Cli::ListarBasic(bytes);
  EXPECT_EQ(r.texto, ProgramaCompleto().Listado());
  EXPECT_EQ(r.nota, "");
}

struct CasoDanado {
  const char *nombre;
  std::vector<std::uint8_t> bytes;
  const char *texto; // what is listed before the damage
};

class BasicDanado : public testing::TestWithParam<CasoDanado> {};

TEST_P(BasicDanado, ParaConUnaNota) {
  const Cli::ListadoBasic r = Cli::ListarBasic(GetParam().bytes);
  EXPECT_EQ(r.texto, GetParam().texto);
  EXPECT_NE(r.nota, "");
}

// Line 10 whole ("10 CLS\n"), then one broken line.
std::vector<std::uint8_t> Tras10(std::initializer_list<std::uint8_t> resto) {
  std::vector<std::uint8_t> b{6, 0, 10, 0, 0x8A, 0};
  b.reserve(b.size() + resto.size());
  for (const std::uint8_t x : resto) {
    b.push_back(x);
  }
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, BasicDanado,
    testing::Values(
        CasoDanado{"LargoMasAllaDelFinal", Tras10({50, 0, 20, 0, 0x8A, 0}), "10 CLS\n"},
        CasoDanado{"LargoMenorQueLaCabecera", Tras10({3, 0, 20, 0, 0}), "10 CLS\n"},
        CasoDanado{"LineaSinCeroFinal", Tras10({6, 0, 20, 0, 0x8A, 0x8A}), "10 CLS\n20 CLSCLS\n"},
        CasoDanado{"MitadDeLinea", Tras10({9}), "10 CLS\n"},
        CasoDanado{"EnteroCortado", Tras10({6, 0, 20, 0, 0x1A, 0}), "10 CLS\n20 \n"},
        CasoDanado{"RealCortado", Tras10({8, 0, 20, 0, 0x1F, 1, 2, 0}), "10 CLS\n20 \n"},
        CasoDanado{"VariableSinFinDeNombre", Tras10({9, 0, 20, 0, 0x0D, 0, 0, 'a', 0}),
                   "10 CLS\n20 a\n"},
        CasoDanado{"VariableSinDesplazamiento", Tras10({6, 0, 20, 0, 0x02, 0}), "10 CLS\n20 \n"},
        CasoDanado{"RsxSinNombre", Tras10({6, 0, 20, 0, 0x7C, 0}), "10 CLS\n20 |\n"},
        CasoDanado{"FuncionDesconocida", Tras10({7, 0, 20, 0, 0xFF, 0x60, 0}), "10 CLS\n20 \n"},
        CasoDanado{"PalabraDesconocida", Tras10({6, 0, 20, 0, 0xE2, 0}), "10 CLS\n20 \n"},
        CasoDanado{"CodigoDeVariableDesconocido", Tras10({6, 0, 20, 0, 0x07, 0}), "10 CLS\n20 \n"},
        CasoDanado{"PunteroFueraDelPrograma", Tras10({8, 0, 20, 0, 0x1D, 0x00, 0xF0, 0}),
                   "10 CLS\n20 \n"},
        CasoDanado{"PunteroAntesDelPrograma", Tras10({8, 0, 20, 0, 0x1D, 0x10, 0x00, 0}),
                   "10 CLS\n20 \n"}),
    [](const testing::TestParamInfo<CasoDanado> &i) { return std::string(i.param.nombre); });

TEST(ListadoBasic, NingunPrefijoHaceFallar) {
  // Every cut of a good program lists without crashing; a cut inside a line says so.
  const auto bytes = BytesProgramaCompleto();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    SCOPED_TRACE(n);
    const Cli::ListadoBasic r = Cli::ListarBasic(std::span<const std::uint8_t>(bytes.data(), n));
    EXPECT_EQ(ProgramaCompleto().Listado().rfind(r.texto.substr(0, r.texto.rfind('\n') + 1), 0),
              0U);
  }
}

struct CasoReal {
  const char *nombre;
  std::array<std::uint8_t, 5> bytes;
  const char *texto;
};

class Real : public testing::TestWithParam<CasoReal> {};

TEST_P(Real, ComoLoImprimeElCpc) { EXPECT_EQ(Cli::TextoReal(GetParam().bytes), GetParam().texto); }

INSTANTIATE_TEST_SUITE_P(
    Casos, Real,
    testing::Values(CasoReal{"Cero", {0, 0, 0, 0, 0}, "0"},
                    CasoReal{"Uno", {0, 0, 0, 0, 0x81}, "1"},
                    CasoReal{"Medio", {0, 0, 0, 0, 0x80}, "0.5"},
                    CasoReal{"MenosDosYMedio", {0, 0, 0, 0xA0, 0x82}, "-2.5"},
                    CasoReal{"Pi", {0xA2, 0xDA, 0x0F, 0x49, 0x82}, "3.14159265"},
                    CasoReal{"DiezMilMillones", {0x00, 0xF9, 0x02, 0x15, 0xA2}, "1E+10"},
                    CasoReal{"UnMilesimo", {0x98, 0x6E, 0x12, 0x03, 0x77}, "0.001"},
                    CasoReal{"NueveCifras", {0xA0, 0xA2, 0x79, 0x6B, 0x9B}, "123456789"},
                    CasoReal{"DosALa56", {0x00, 0x00, 0x00, 0x00, 0xB9}, "7.2057594E+16"}),
    [](const testing::TestParamInfo<CasoReal> &i) { return std::string(i.param.nombre); });

} // namespace

namespace {

// The note names what was cut with the word's own gender.
TEST(ListadoBasic, LaNotaConcuerda) {
  const auto nota = [](std::initializer_list<std::uint8_t> bytes) {
    return Cli::ListarBasic(std::vector<std::uint8_t>(bytes)).nota;
  };
  EXPECT_EQ(nota({6, 0, 20, 0, 0x02, 0}), "línea 20: variable cortada");
  EXPECT_EQ(nota({5, 0, 20, 0, 0xFF}), "línea 20: función cortada");
  EXPECT_EQ(nota({6, 0, 20, 0, 0x1A, 0}), "línea 20: número cortado");
}

} // namespace
