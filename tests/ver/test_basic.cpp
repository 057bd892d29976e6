// The BASIC lister: a program with every token kind, damaged programs, and
// the CPC's printing of floating-point constants.
#include "ProgramaBasic.h"

#include "ver/Basic.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

namespace {

TEST(ListadoBasic, ProgramaConTodosLosTokens) {
  const auto bytes = BytesProgramaCompleto();
  const Ver::ListadoBasic r = Ver::ListarBasic(bytes);
  EXPECT_EQ(r.texto, ProgramaCompleto().Listado());
  EXPECT_EQ(r.nota, "");
  EXPECT_FALSE(r.parcial);
}

// A loader: machine code after the end mark is named, and the listing is whole.
// Zeros and ^Z there are only the last record's filler.
TEST(ListadoBasic, TrasLaMarcaFinal) {
  auto bytes = BytesProgramaCompleto();
  bytes.insert(bytes.end(), {0x00, 0x1A});
  EXPECT_EQ(Ver::ListarBasic(bytes).nota, "");
  bytes.insert(bytes.end(), {0x21, 0x00, 0x40, 0xC9});
  const Ver::ListadoBasic r = Ver::ListarBasic(bytes);
  EXPECT_EQ(r.texto, ProgramaCompleto().Listado());
  EXPECT_FALSE(r.parcial);
  EXPECT_EQ(r.nota, "sigue código máquina (6 bytes)");
}

TEST(ListadoBasic, SinMarcaFinalListaLoQueHay) {
  auto bytes = BytesProgramaCompleto();
  bytes.resize(bytes.size() - 2); // no zero length word at the end
  const Ver::ListadoBasic r = Ver::ListarBasic(bytes);
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
  const Ver::ListadoBasic r = Ver::ListarBasic(GetParam().bytes);
  EXPECT_EQ(r.texto, GetParam().texto);
  EXPECT_NE(r.nota, "");
  EXPECT_TRUE(r.parcial);
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
        CasoDanado{"LineaSinCeroFinal", Tras10({6, 0, 20, 0, 0x8A, 0x8A}), "10 CLS\n20 CLS CLS\n"},
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
    const Ver::ListadoBasic r = Ver::ListarBasic(std::span<const std::uint8_t>(bytes.data(), n));
    EXPECT_EQ(ProgramaCompleto().Listado().rfind(r.texto.substr(0, r.texto.rfind('\n') + 1), 0),
              0U);
  }
}

// LIST's spacing: a program typed without blanks lists as the CPC shows it,
// and stored blanks print as they are. Each row is one line's tokens.
using Fichas = std::vector<int>;

Fichas operator+(Fichas a, const Fichas &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A variable: its type code, two offset bytes, the name with bit 7 on its last letter.
Fichas Var(std::string_view nombre, int tipo = 0x0D) {
  Fichas f{tipo, 0, 0};
  for (const char c : nombre) {
    f.push_back(c);
  }
  f.back() |= 0x80;
  return f;
}

constexpr int Print = 0xBF, Call = 0x83, Locate = 0xA9, For = 0x9E, To = 0xEC, Step = 0xE6;
constexpr int If = 0xA1, Then = 0xEB, Else = 0x97, Goto = 0xA0, Rem = 0xC5, Data = 0x8C;
constexpr int Fn = 0xE4, Def = 0x8D, And = 0xFA, Igual = 0xEF, Mas = 0xF4, Menos = 0xF5;
constexpr int Comentario = 0xC0, Dos = 0x01, Blanco = ' ';
const Fichas Chr{0xFF, 0x03}, Inkey{0xFF, 0x43}, Log10{0xFF, 0x10}, Pi{0xFF, 0x44};
const Fichas Hex1AD{0x1C, 0xAD, 0x01}, Bin101{0x1B, 0x05, 0x00}, Real05{0x1F, 0, 0, 0, 0, 0x80};
const Fichas Linea100{0x1E, 100, 0}, Entero300{0x1A, 0x2C, 0x01}, Entero200{0x19, 200};
Fichas Cifra(int n) { return {0x0E + n}; }
// An RSX: its offset byte, then the name ended like a variable's.
Fichas Rsx(std::string_view nombre) {
  Fichas f = Var(nombre);
  f.front() = 0x7C;
  f.erase(f.begin() + 1);
  return f;
}

struct CasoEspacios {
  const char *nombre;
  Fichas fichas;
  const char *texto;
  // What the line keeps that LIST does not show, so that typing its listing
  // stores other bytes; null when the tokeniser gives the line back exactly.
  const char *distinto = nullptr;
};

// Line 10 holding `f`, then the end mark.
std::vector<std::uint8_t> LineaDiez(const Fichas &f) {
  Fichas todo = Fichas{static_cast<int>(f.size() + 5), 0, 10, 0} + f + Fichas{0, 0, 0};
  return {todo.begin(), todo.end()};
}

// Why typing a row's listing stores other bytes.
constexpr const char *kSinBlancos = "LIST separa con blancos que la línea no guarda";
constexpr const char *kNumeroTrasThen = "tecleado tras THEN, un número es un número de línea (&1E)";
constexpr const char *kPalabrasEnData = "los bytes de palabras en un DATA, que LIST deletrea";

class EspaciosList : public testing::TestWithParam<CasoEspacios> {};

TEST_P(EspaciosList, ComoLoListaElCpc) {
  const Ver::ListadoBasic r = Ver::ListarBasic(LineaDiez(GetParam().fichas));
  EXPECT_EQ(r.texto, std::string("10 ") + GetParam().texto + "\n");
  EXPECT_EQ(r.nota, "");
}

// The tokeniser is the lister's inverse: what LIST prints, typed again, lists
// the same, and is the same line but for what the row names.
TEST_P(EspaciosList, TecleadoOtraVez) {
  const std::vector<std::uint8_t> linea = LineaDiez(GetParam().fichas);
  const std::string listado = Ver::ListarBasic(linea).texto;
  const Ver::ProgramaTokenizado t =
      Ver::TokenizarBasic(std::vector<std::uint8_t>(listado.begin(), listado.end()));
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(Ver::ListarBasic(t.bytes).texto, listado);
  if (GetParam().distinto == nullptr) {
    EXPECT_EQ(t.bytes, linea);
  } else {
    EXPECT_NE(t.bytes, linea) << GetParam().distinto;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EspaciosList,
    testing::Values(
        // Keywords ending in a letter, before each kind of item.
        CasoEspacios{"PalabraYFuncion", Fichas{Print} + Chr + Fichas{'('} + Cifra(8) + Fichas{')'},
                     "PRINT CHR$(8)", kSinBlancos},
        CasoEspacios{"PalabraYHexadecimal", Fichas{Call} + Hex1AD, "CALL &1AD", kSinBlancos},
        CasoEspacios{"PalabraYCifras", Fichas{Locate} + Cifra(1) + Fichas{','} + Cifra(4),
                     "LOCATE 1,4", kSinBlancos},
        CasoEspacios{"PalabraYVariables",
                     Fichas{For} + Var("i") + Fichas{Igual} + Cifra(1) + Fichas{To} + Cifra(10),
                     "FOR i=1 TO 10", kSinBlancos},
        CasoEspacios{"PalabraYVariableConTipo", Fichas{Print} + Var("n", 0x02), "PRINT n%",
                     kSinBlancos},
        CasoEspacios{"PalabraYCadena", Fichas{Print, '"', 'A', '"'}, "PRINT\"A\""},
        CasoEspacios{"PalabraYOperador", Fichas{Print, Menos} + Cifra(1), "PRINT-1"},
        CasoEspacios{"PalabraYParentesis", Fichas{Print, '('} + Cifra(1) + Fichas{')'}, "PRINT(1)"},
        CasoEspacios{"PalabraYRsx", Fichas{Print, Dos} + Rsx("DISC"), "PRINT:|DISC"},
        CasoEspacios{"PalabrasSeguidas",
                     Fichas{If} + Var("a") + Fichas{Then, Print} + Cifra(1) + Fichas{Dos, Else} +
                         Fichas{Goto} + Linea100,
                     "IF a THEN PRINT 1 ELSE GOTO 100", kSinBlancos},
        CasoEspacios{"OperadorConPalabra",
                     Fichas{If} + Var("x") + Fichas{Igual} + Cifra(1) + Fichas{And} + Var("y"),
                     "IF x=1 AND y", kSinBlancos},
        // Every kind of number, on both sides.
        CasoEspacios{"Numeros",
                     Fichas{For} + Var("t") + Fichas{Igual} + Real05 + Fichas{To} + Entero300 +
                         Fichas{Step} + Entero200,
                     "FOR t=0.5 TO 300 STEP 200", kSinBlancos},
        CasoEspacios{"BinarioYPalabra", Fichas{Print} + Bin101 + Fichas{And} + Hex1AD,
                     "PRINT &X101 AND &1AD", kSinBlancos},
        CasoEspacios{"NumeroDeLineaYPalabra",
                     Fichas{If} + Var("a") + Fichas{Then} + Linea100 + Fichas{Else} + Linea100,
                     "IF a THEN 100 ELSE 100", kSinBlancos},
        // Variables: an untyped one ends like a word, a typed one does not.
        CasoEspacios{"VariableSinTipoYPalabra",
                     Fichas{If} + Var("a") + Fichas{Then} + Var("b") + Fichas{Igual} + Cifra(2),
                     "IF a THEN b=2", kSinBlancos},
        CasoEspacios{"VariableConTipoYPalabra",
                     Fichas{If} + Var("a", 0x03) + Fichas{Then, Print} + Var("b", 0x04),
                     "IF a$THEN PRINT b!", kSinBlancos},
        // Keywords ending in a digit or in another sign.
        CasoEspacios{"PalabraAcabadaEnCifra", Log10 + Cifra(2), "LOG10 2", kSinBlancos},
        CasoEspacios{"PalabraAcabadaEnSigno",
                     Fichas{Print} + Inkey + Var("b") + Fichas{Print} + Chr + Cifra(3),
                     "PRINT INKEY$b PRINT CHR$3", kSinBlancos},
        CasoEspacios{"FuncionSinArgumentos", Fichas{Print} + Pi + Fichas{Mas} + Pi + Var("z"),
                     "PRINT PI+PI z", kSinBlancos},
        // FN takes its name with no blank.
        CasoEspacios{"Fn",
                     Fichas{Def, Fn} + Var("f") + Fichas{'('} + Var("x") + Fichas{')', Igual} +
                         Var("x") + Fichas{Mas, Fn} + Var("g"),
                     "DEF FNf(x)=x+FNg", kSinBlancos},
        CasoEspacios{"PalabraYFn", Fichas{Print, Fn} + Var("f"), "PRINT FNf", kSinBlancos},
        // An RSX name ends like a word.
        CasoEspacios{"RsxYNumero", Rsx("MODE") + Cifra(2), "|MODE 2", kSinBlancos},
        // Stored blanks print as stored, and nothing more is added after them.
        CasoEspacios{"BlancosGuardados",
                     Fichas{Print, Blanco, Blanco} + Var("a") + Fichas{Blanco, Then, Blanco} +
                         Cifra(1),
                     "PRINT  a THEN 1", kNumeroTrasThen},
        // REM, ' and DATA keep their text; a letter right after them is spaced.
        CasoEspacios{"RemPegado", Fichas{Rem, 'h', 'o', 'l', 'a'}, "REM hola", kSinBlancos},
        CasoEspacios{"RemConBlanco", Fichas{Rem, Blanco, 'h', 'o', 'l', 'a'}, "REM hola"},
        CasoEspacios{"ComentarioPegado", Fichas{Print, Dos, Comentario, 'x'}, "PRINT'x"},
        CasoEspacios{"DataPegado", Fichas{Data, '1', ',', '.', '5', Dos, Print} + Var("a"),
                     "DATA 1,.5:PRINT a", kSinBlancos},
        // LIST spells out any keyword byte inside DATA, outside its quotes.
        CasoEspacios{"PalabrasEnData",
                     Fichas{Data, '1', ',', 0xB6, 0x93, ',', '"', 0xB6, '"', Dos, Print},
                     "DATA 1,OPENIN DIM,\"\xB6\":PRINT", kPalabrasEnData},
        // Plain characters: letters, digits, '.', '!', '$' and '%' are spaced.
        CasoEspacios{"CaracteresSueltos",
                     Fichas{Print, '#'} + Cifra(8) + Fichas{Print, '.'} + Var("a") + Fichas{'$'} +
                         Cifra(1) + Fichas{'%'},
                     "PRINT#8 PRINT .a $1 %", kSinBlancos}),
    [](const testing::TestParamInfo<CasoEspacios> &i) { return std::string(i.param.nombre); });

struct CasoReal {
  const char *nombre;
  std::array<std::uint8_t, 5> bytes;
  const char *texto;
};

class Real : public testing::TestWithParam<CasoReal> {};

TEST_P(Real, ComoLoImprimeElCpc) { EXPECT_EQ(Ver::TextoReal(GetParam().bytes), GetParam().texto); }

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
    return Ver::ListarBasic(std::vector<std::uint8_t>(bytes)).nota;
  };
  EXPECT_EQ(nota({6, 0, 20, 0, 0x02, 0}), "línea 20: variable cortada");
  EXPECT_EQ(nota({5, 0, 20, 0, 0xFF}), "línea 20: función cortada");
  EXPECT_EQ(nota({6, 0, 20, 0, 0x1A, 0}), "línea 20: número cortado");
}

} // namespace
