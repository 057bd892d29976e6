// The BASIC tokeniser: the inverse of the lister over every tokenised program
// the tests and the generator have, the ROM's tricky cases, and the lines the
// CPC would refuse.
#include "Generador.h"
#include "ProgramaBasic.h"

#include "ver/Basic.h"

#include <gtest/gtest.h>

#include <map>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes DeTexto(std::string_view t) { return {t.begin(), t.end()}; }

Ver::ProgramaTokenizado Tokenizar(std::string_view texto) {
  return Ver::TokenizarBasic(DeTexto(texto));
}

// A program's line records by line number.
std::map<std::uint16_t, Bytes> Registros(const Bytes &programa) {
  std::map<std::uint16_t, Bytes> r;
  for (std::size_t i = 0; i + 4 <= programa.size();) {
    const std::size_t largo = programa[i] | (programa[i + 1] << 8);
    if (largo == 0 || i + largo > programa.size()) {
      break;
    }
    r[static_cast<std::uint16_t>(programa[i + 2] | (programa[i + 3] << 8))] =
        Bytes(programa.begin() + static_cast<std::ptrdiff_t>(i),
              programa.begin() + static_cast<std::ptrdiff_t>(i + largo));
    i += largo;
  }
  return r;
}

// LIST of tokenise(LIST(p)) is LIST(p); tokenise(LIST(p)) is p line by line,
// but for the lines named, each with what p keeps that LIST cannot show.
struct LineaDistinta {
  std::uint16_t numero;
  const char *porque;
};

void IdaYVuelta(const Bytes &programa, const std::vector<LineaDistinta> &distintas) {
  const std::string listado = Ver::ListarBasic(programa).texto;
  const Ver::ProgramaTokenizado t = Tokenizar(listado);
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(Ver::ListarBasic(t.bytes).texto, listado);
  const auto esperado = Registros(programa);
  const auto hecho = Registros(t.bytes);
  ASSERT_EQ(hecho.size(), esperado.size());
  EXPECT_EQ(t.lineas, esperado.size());
  for (const auto &[numero, registro] : esperado) {
    SCOPED_TRACE("línea " + std::to_string(numero));
    const auto distinta =
        std::find_if(distintas.begin(), distintas.end(),
                     [n = numero](const LineaDistinta &d) { return d.numero == n; });
    if (distinta == distintas.end()) {
      EXPECT_EQ(hecho.at(numero), registro);
    } else {
      EXPECT_NE(hecho.at(numero), registro) << distinta->porque;
    }
  }
}

TEST(TokenizarBasic, ProgramaConTodosLosTokens) {
  IdaYVuelta(BytesProgramaCompleto(),
             {{20, "los desplazamientos de nom$ que dejó un RUN"},
              {30, "x con el código &0B de una variable ya situada; PI con más cifras de las 9 "
                   "que LIST muestra"},
              {50, "el puntero de línea (&1D) que dejó un RUN"},
              {100, "x e y con el código &0B"},
              {110, "x, y y z con el código &0B"}});
}

TEST(TokenizarBasic, CargadoresDelGenerador) {
  IdaYVuelta(Generador::CargadorJuegos(true), {});
  IdaYVuelta(Generador::CargadorJuegos(false), {});
  // Whole programs, end mark and all.
  EXPECT_EQ(Tokenizar(Ver::ListarBasic(Generador::CargadorJuegos(true)).texto).bytes,
            Generador::CargadorJuegos(true));
}

// One line typed, and the tokens the CPC stores for it (without the line's
// record around them).
struct CasoLinea {
  const char *nombre;
  const char *texto;
  Bytes fichas;
};

class LineaTokenizada : public testing::TestWithParam<CasoLinea> {};

TEST_P(LineaTokenizada, ComoLaGuardaElCpc) {
  const Ver::ProgramaTokenizado t = Tokenizar(std::string("10 ") + GetParam().texto + "\n");
  ASSERT_EQ(t.error, "");
  Bytes esperado{static_cast<std::uint8_t>(GetParam().fichas.size() + 5), 0, 10, 0};
  esperado.insert(esperado.end(), GetParam().fichas.begin(), GetParam().fichas.end());
  esperado.insert(esperado.end(), {0, 0, 0});
  EXPECT_EQ(t.bytes, esperado);
}

constexpr std::uint8_t M = 0x80; // bit 7 ends a name

INSTANTIATE_TEST_SUITE_P(
    Casos, LineaTokenizada,
    testing::Values(
        CasoLinea{"PrintAlCanal", "PRINT#8,a", {0xBF, '#', 0x16, ',', 0x0D, 0, 0, 'a' | M}},
        CasoLinea{"OnErrorGoto", "on error goto 100", {0xB4, ' ', 0x1E, 100, 0}},
        CasoLinea{
            "OnGosubConVariasLineas",
            "ON n GOSUB 100,2000",
            {0xB2, ' ', 0x0D, 0, 0, 'n' | M, ' ', 0x9F, ' ', 0x1E, 100, 0, ',', 0x1E, 0xD0, 0x07}},
        CasoLinea{"ListDeUnaAOtra", "LIST 10-50", {0xA7, ' ', 0x1E, 10, 0, 0xF5, 0x1E, 50, 0}},
        CasoLinea{"GoToSeparado", "GO TO 10", {0xA0, ' ', 0x1E, 10, 0}},
        CasoLinea{"DefintConLetras", "DEFINT A-Z", {0x8E, ' ', 'A', 0xF5, 'Z'}},
        CasoLinea{"DefstrYSigue",
                  "DEFSTR s,t:s=1",
                  {0x90, ' ', 's', ',', 't', 0x01, 0x0D, 0, 0, 's' | M, 0xEF, 0x0F}},
        CasoLinea{"MidComoSentencia",
                  "MID$(a$,2,1)=\"x\"",
                  {0xAC, '(', 0x03, 0, 0, 'a' | M, ',', 0x10, ',', 0x0F, ')', 0xEF, '"', 'x', '"'}},
        CasoLinea{"FnPegadoASuNombre",
                  "PRINT FNa(2)",
                  {0xBF, ' ', 0xE4, 0x0D, 0, 0, 'a' | M, '(', 0x10, ')'}},
        CasoLinea{"VariableQueEmpiezaPorPalabra",
                  "ORANGE=1:printer%=2",
                  {0x0D, 0, 0, 'O', 'R', 'A', 'N', 'G', 'E' | M, 0xEF,    0x0F, 0x01,
                   0x02, 0, 0, 'p', 'r', 'i', 'n', 't', 'e',     'r' | M, 0xEF, 0x10}},
        CasoLinea{"PalabraMasLargaPrimero",
                  "a$=INKEY$:b=INKEY(0)",
                  {0x03, 0, 0, 'a' | M, 0xEF, 0xFF, 0x43, 0x01, 0x0D, 0, 0, 'b' | M, 0xEF, 0xFF,
                   0x0A, '(', 0x0E, ')'}},
        CasoLinea{"Binario", "PRINT &X101", {0xBF, ' ', 0x1B, 5, 0}},
        CasoLinea{"Hexadecimales", "?&ff,&H1F00", {0xBF, 0x1C, 0xFF, 0, ',', 0x1C, 0x00, 0x1F}},
        CasoLinea{"RealGrande",
                  "x=1E+38",
                  {0x0D, 0, 0, 'x' | M, 0xEF, 0x1F, 0x51, 0x99, 0x76, 0x16, 0xFF}},
        CasoLinea{"RealSinCero", "x=.5", {0x0D, 0, 0, 'x' | M, 0xEF, 0x1F, 0, 0, 0, 0, 0x80}},
        CasoLinea{"Enteros",
                  "?7;10;11;255;256;32767;40000",
                  {0xBF, 0x15, ';',  0x18, ';',  0x19, 11,   ';', 0x19, 255,  ';',  0x1A, 0x00,
                   0x01, ';',  0x1A, 0xFF, 0x7F, ';',  0x1F, 0,   0,    0x40, 0x1C, 0x90}},
        CasoLinea{"RemConPalabras",
                  "REM PRINT GOTO 10:CLS",
                  {0xC5, ' ', 'P', 'R', 'I', 'N', 'T', ' ', 'G', 'O', 'T', 'O', ' ', '1', '0', ':',
                   'C', 'L', 'S'}},
        CasoLinea{
            "ComentarioConDosPuntosOculto", "CLS 'fin", {0x8A, ' ', 0x01, 0xC0, 'f', 'i', 'n'}},
        CasoLinea{"DataConComaYComillas",
                  "DATA \"a,b\",c:PRINT",
                  {0x8C, ' ', '"', 'a', ',', 'b', '"', ',', 'c', 0x01, 0xBF}},
        CasoLinea{"ElseConDosPuntosOculto",
                  "IF a THEN 10 ELSE 20",
                  {0xA1, ' ', 0x0D, 0, 0, 'a' | M, ' ', 0xEB, ' ', 0x1E, 10, 0, ' ', 0x01, 0x97,
                   ' ', 0x1E, 20, 0}},
        CasoLinea{"RsxEnMayusculas", "|disc", {0x7C, 0, 'D', 'I', 'S', 'C' | M}},
        CasoLinea{"CadenaSinCerrar", "PRINT\"hola", {0xBF, '"', 'h', 'o', 'l', 'a'}},
        CasoLinea{"Operadores",
                  "IF a<=b OR NOT c<>d THEN END",
                  {0xA1,    ' ',  0x0D, 0,   0,       'a' | M, 0xF3, 0x0D, 0,   0,
                   'b' | M, ' ',  0xFC, ' ', 0xFE,    ' ',     0x0D, 0,    0,   'c' | M,
                   0xF2,    0x0D, 0,    0,   'd' | M, ' ',     0xEB, ' ',  0x98}},
        CasoLinea{
            "BlancosComoSeEscriben", "PRINT  a\t", {0xBF, ' ', ' ', 0x0D, 0, 0, 'a' | M, ' '}}),
    [](const testing::TestParamInfo<CasoLinea> &i) { return std::string(i.param.nombre); });

// A text the CPC would not take: refused, naming the line and why.
struct CasoRechazo {
  const char *nombre;
  std::string texto;
  std::string error;
};

class TextoRechazado : public testing::TestWithParam<CasoRechazo> {};

TEST_P(TextoRechazado, DiceLaLineaYPorQue) {
  const Ver::ProgramaTokenizado t = Tokenizar(GetParam().texto);
  EXPECT_EQ(t.error, GetParam().error);
  EXPECT_TRUE(t.bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TextoRechazado,
    testing::Values(
        CasoRechazo{"LineaLarga", "10 CLS\n20 REM " + std::string(250, 'x') + "\n",
                    "línea 20: tiene 257 caracteres y el CPC admite 255"},
        CasoRechazo{"NumeroDeLineaGrande", "10 CLS\n70000 CLS\n",
                    "línea 2 del texto: el número de línea 70000 no está entre 1 y 65535"},
        CasoRechazo{"LineaCero", "0 CLS\n",
                    "línea 1 del texto: el número de línea 0 no está entre 1 y 65535"},
        CasoRechazo{"SinNumero", "10 CLS\n\nPRINT\n",
                    "línea 3 del texto: no empieza por un número de línea"},
        CasoRechazo{"HexadecimalGrande", "10 POKE &12345,0\n",
                    "línea 10: &12345 no cabe en 16 bits"},
        CasoRechazo{"AmpersandSolo", "10 PRINT &.5\n", "línea 10: & sin un número detrás"},
        CasoRechazo{"RealGrande", "10 x=2E+38\n",
                    "línea 10: 2E+38 es mayor que el mayor número del CPC (1.7E+38)"},
        CasoRechazo{"FueraDeCadena", "10 PRINT \xE1\n",
                    "línea 10: carácter &E1 fuera de una cadena, un REM o un DATA"},
        CasoRechazo{"ControlEnCadena", "10 PRINT \"\x01\"\n", "línea 10: carácter de control &01"},
        CasoRechazo{"NombreLargo", "10 " + std::string(41, 'a') + "=1\n",
                    "línea 10: el nombre " + std::string(41, 'a') + " pasa de 40 caracteres"},
        CasoRechazo{"RsxSinNombre", "10 |\n", "línea 10: | sin nombre de RSX"},
        CasoRechazo{"SoloBlancos",
                    "\n  \n\x1A"
                    "10 CLS\n",
                    "no hay ninguna línea de programa"}),
    [](const testing::TestParamInfo<CasoRechazo> &i) { return std::string(i.param.nombre); });

// The text as a host keeps it: any line end, a ^Z, lines in any order, a
// number given twice, a number alone deleting its line.
TEST(TokenizarBasic, ComoElCpcTomaLasLineas) {
  const Ver::ProgramaTokenizado t =
      Tokenizar("  30 END\r\n10 CLS\r20 PRINT 1\n20 PRINT 2\n40 STOP\n40\n\n10 CLS\n\x1A"
                "50 NO");
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(t.lineas, 3U);
  EXPECT_EQ(Ver::ListarBasic(t.bytes).texto, "10 CLS\n20 PRINT 2\n30 END\n");
}

struct CasoForma {
  const char *texto;
  bool numeradas;
};

TEST(TokenizarBasic, LineasNumeradas) {
  for (const CasoForma &c :
       {CasoForma{"10 CLS\r\n\r\n 20 END\r\n\x1A", true}, CasoForma{"10 CLS\nfin\n", false},
        CasoForma{"", false}, CasoForma{"\n\n", false}, CasoForma{"hola\n10 CLS\n", false}}) {
    SCOPED_TRACE(c.texto);
    EXPECT_EQ(Ver::LineasNumeradas(DeTexto(c.texto)), c.numeradas);
  }
}

} // namespace
