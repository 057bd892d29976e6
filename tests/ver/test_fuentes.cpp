// DAMS sources and protected BASIC programs, made here byte by byte.
#include "ProgramaBasic.h"

#include "ver/Basic.h"
#include "ver/Dams.h"
#include "ver/Protegido.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A DAMS line: label, mnemonic token (or none), operands, comment (or none).
std::vector<std::uint8_t> Linea(const std::string &etiqueta, int token,
                                const std::string &operandos, const char *comentario = nullptr) {
  std::vector<std::uint8_t> b(etiqueta.begin(), etiqueta.end());
  if (token >= 0) {
    b.push_back(static_cast<std::uint8_t>(0x80 + token));
    b.insert(b.end(), operandos.begin(), operandos.end());
  }
  if (comentario != nullptr) {
    b.push_back(0xFF);
    b.insert(b.end(), comentario, comentario + std::char_traits<char>::length(comentario));
  }
  b.push_back(0x0D);
  return b;
}

std::vector<std::uint8_t> Fuente(std::initializer_list<std::vector<std::uint8_t>> lineas,
                                 bool conFin = true) {
  std::vector<std::uint8_t> b;
  for (const auto &l : lineas) {
    b.insert(b.end(), l.begin(), l.end());
  }
  if (conFin) {
    b.push_back(0x00);
  }
  return b;
}

constexpr int Ld = 0, Call = 30, Ret = 31, Jr = 29, Org = 72, Defm = 69, End = 76;

TEST(ListarDams, EtiquetasMnemonicosOperandosYComentarios) {
  const auto fuente = Fuente({Linea("", Org, "&4000"), Linea("INICIO", Ld, "A,(HL)", "primer byte"),
                              Linea("", Call, "&BB5A"), Linea("ETIQUETALARGA", Jr, "NZ,INICIO"),
                              Linea("", -1, "", " solo un comentario"), Linea("", Defm, "\"HOLA\""),
                              Linea("", Ret, ""), Linea("", End, "")});
  const Ver::Listado r = Ver::ListarDams(fuente);
  EXPECT_FALSE(r.parcial) << r.nota;
  EXPECT_EQ(r.texto, "        ORG     &4000\n"
                     "INICIO  LD      A,(HL)          ;primer byte\n"
                     "        CALL    &BB5A\n"
                     "ETIQUETALARGA JR NZ,INICIO\n"
                     "; solo un comentario\n"
                     "        DEFM    \"HOLA\"\n"
                     "        RET\n"
                     "        END\n");
  EXPECT_TRUE(Ver::PareceDams(fuente));
}

struct CasoDams {
  const char *nombre;
  std::vector<std::uint8_t> bytes;
  const char *texto; // listed before the damage
};

class DamsDanado : public testing::TestWithParam<CasoDams> {};

TEST_P(DamsDanado, ParaMarcadoParcial) {
  const Ver::Listado r = Ver::ListarDams(GetParam().bytes);
  EXPECT_TRUE(r.parcial);
  EXPECT_NE(r.nota, "");
  EXPECT_EQ(r.texto, GetParam().texto);
  EXPECT_FALSE(Ver::PareceDams(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, DamsDanado,
    testing::Values(CasoDams{"CortadaAMitadDeLinea",
                             Fuente({Linea("", Ret, ""), {'X', 0x80, 'A'}}, false),
                             "        RET\n"},
                    CasoDams{"TokenFueraDeLaTabla", Fuente({Linea("", Ret, ""), {0xD0, 0x0D}}),
                             "        RET\n"},
                    CasoDams{"DosMnemonicos", Fuente({{0x80, 0x80, 0x0D}}), ""},
                    CasoDams{"ByteDeControl", Fuente({{'A', 0x0A, 0x0D}}), ""}),
    [](const testing::TestParamInfo<CasoDams> &i) { return std::string(i.param.nombre); });

TEST(PareceDams, TextoYBinariosNoLoSon) {
  EXPECT_FALSE(Ver::PareceDams(std::vector<std::uint8_t>{'H', 'O', 'L', 'A', '\r', '\n'}));
  EXPECT_FALSE(Ver::PareceDams(std::vector<std::uint8_t>{0x3E, 0x01, 0xCD, 0x5A, 0xBB, 0xC9}));
  // Lines without a single mnemonic: plain text ended by CRs, not a source.
  EXPECT_FALSE(Ver::PareceDams(Fuente({Linea("HOLA", -1, "")})));
  EXPECT_FALSE(Ver::PareceDams({}));
}

// A program protected by our encoder lists as the plain one; the scrambling
// starts again with each 128-byte record, so a longer program checks that.
TEST(BasicProtegido, ListaComoElProgramaSinProteger) {
  ProgramaBasic p;
  for (std::uint16_t n = 10; n < 70; ++n) {
    p.Linea(n, {0xBF, ' ', 0x22, 'L', 'A', 'R', 'G', 'O', 0x22}, "PRINT \"LARGO\"");
  }
  const auto plano = p.Bytes();
  ASSERT_GT(plano.size(), 3 * 128U);
  const auto protegido = Ver::ProtegerBasic(plano);
  EXPECT_NE(protegido, plano);
  EXPECT_EQ(Ver::ListarBasic(protegido).nota.empty(), false); // ciphered, it is no program
  const Ver::Listado r = Ver::ListarBasic(Ver::DesprotegerBasic(protegido));
  EXPECT_EQ(r.texto, p.Listado());
  EXPECT_FALSE(r.parcial);
}

// The keys' stream: the two keys XORed, counted from each record's start.
TEST(BasicProtegido, ClavesPorRegistro) {
  const auto flujo = Ver::ProtegerBasic(std::vector<std::uint8_t>(300, 0x00));
  EXPECT_EQ(flujo[0], 0xE2 ^ 0x49);
  EXPECT_EQ(flujo[12], 0x8A ^ 0xB1); // the 13-byte key's last, the 11-byte key's second
  EXPECT_EQ(flujo[13], 0xE2 ^ 0x36); // the 13-byte key over again, the 11-byte one at its third
  for (std::size_t i = 0; i < 128; ++i) {
    EXPECT_EQ(flujo[128 + i], flujo[i]) << i;
  }
}

} // namespace
