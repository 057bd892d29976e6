// The Z80 disassembler: every group of opcodes, documented and not, and the
// listing's labels, firmware names and data.
#include "ver/Z80.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CasoOpcode {
  const char *nombre;
  std::vector<std::uint8_t> bytes;
  const char *texto;
  std::size_t largo;
};

class Opcodes : public testing::TestWithParam<CasoOpcode> {};

TEST_P(Opcodes, TextoYLargo) {
  const Ver::Instruccion i = Ver::DecodificarZ80(GetParam().bytes, 0x4000);
  EXPECT_EQ(i.texto, GetParam().texto);
  EXPECT_EQ(i.largo, GetParam().largo);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Opcodes,
    testing::Values(
        // Unprefixed
        CasoOpcode{"Nop", {0x00}, "NOP", 1}, CasoOpcode{"ExAf", {0x08}, "EX AF,AF'", 1},
        CasoOpcode{"Djnz", {0x10, 0xFE}, "DJNZ &4000", 2},
        CasoOpcode{"JrAtras", {0x18, 0x80}, "JR &3F82", 2},
        CasoOpcode{"JrCondicional", {0x38, 0x05}, "JR C,&4007", 2},
        CasoOpcode{"LdParInmediato", {0x01, 0x34, 0x12}, "LD BC,&1234", 3},
        CasoOpcode{"AddHl", {0x39}, "ADD HL,SP", 1},
        CasoOpcode{"LdMemoriaHl", {0x22, 0x00, 0xC0}, "LD (&C000),HL", 3},
        CasoOpcode{"LdAMemoria", {0x3A, 0x10, 0x00}, "LD A,(&0010)", 3},
        CasoOpcode{"LdIndirecto", {0x1A}, "LD A,(DE)", 1},
        CasoOpcode{"IncPar", {0x23}, "INC HL", 1}, CasoOpcode{"DecMemoria", {0x35}, "DEC (HL)", 1},
        CasoOpcode{"LdRegistroInmediato", {0x3E, 0x01}, "LD A,&01", 2},
        CasoOpcode{"Daa", {0x27}, "DAA", 1}, CasoOpcode{"LdRegistros", {0x78}, "LD A,B", 1},
        CasoOpcode{"Halt", {0x76}, "HALT", 1}, CasoOpcode{"Alu", {0xAE}, "XOR (HL)", 1},
        CasoOpcode{"AluInmediato", {0xFE, 0x20}, "CP &20", 2},
        CasoOpcode{"RetCondicional", {0xC8}, "RET Z", 1}, CasoOpcode{"PopAf", {0xF1}, "POP AF", 1},
        CasoOpcode{"JpHl", {0xE9}, "JP (HL)", 1},
        CasoOpcode{"JpCondicional", {0xFA, 0x00, 0x80}, "JP M,&8000", 3},
        CasoOpcode{"OutN", {0xD3, 0xFE}, "OUT (&FE),A", 2},
        CasoOpcode{"ExSpHl", {0xE3}, "EX (SP),HL", 1},
        CasoOpcode{"Call", {0xCD, 0x5A, 0xBB}, "CALL &BB5A", 3},
        CasoOpcode{"CallCondicional", {0xC4, 0x00, 0x40}, "CALL NZ,&4000", 3},
        CasoOpcode{"Rst", {0xFF}, "RST &38", 1},
        // CB: rotations, SLL (undocumented), BIT, RES, SET
        CasoOpcode{"CbRotacion", {0xCB, 0x0E}, "RRC (HL)", 2},
        CasoOpcode{"CbSll", {0xCB, 0x30}, "SLL B", 2},
        CasoOpcode{"CbBit", {0xCB, 0x7F}, "BIT 7,A", 2},
        CasoOpcode{"CbRes", {0xCB, 0x86}, "RES 0,(HL)", 2},
        CasoOpcode{"CbSet", {0xCB, 0xD9}, "SET 3,C", 2},
        // ED: the documented ones and the oddities
        CasoOpcode{"EdInC", {0xED, 0x78}, "IN A,(C)", 2},
        CasoOpcode{"EdInF", {0xED, 0x70}, "IN F,(C)", 2},
        CasoOpcode{"EdOutCero", {0xED, 0x71}, "OUT (C),0", 2},
        CasoOpcode{"EdSbc", {0xED, 0x52}, "SBC HL,DE", 2},
        CasoOpcode{"EdLdMemoria", {0xED, 0x43, 0x00, 0x90}, "LD (&9000),BC", 4},
        CasoOpcode{"EdLdSp", {0xED, 0x7B, 0x00, 0xC0}, "LD SP,(&C000)", 4},
        CasoOpcode{"EdNegCopia", {0xED, 0x4C}, "NEG", 2},
        CasoOpcode{"EdReti", {0xED, 0x4D}, "RETI", 2},
        CasoOpcode{"EdRetnCopia", {0xED, 0x65}, "RETN", 2},
        CasoOpcode{"EdImIndefinido", {0xED, 0x4E}, "IM 0/1", 2},
        CasoOpcode{"EdIm2", {0xED, 0x5E}, "IM 2", 2},
        CasoOpcode{"EdLdAR", {0xED, 0x5F}, "LD A,R", 2},
        CasoOpcode{"EdRld", {0xED, 0x6F}, "RLD", 2}, CasoOpcode{"EdLdir", {0xED, 0xB0}, "LDIR", 2},
        CasoOpcode{"EdOtdr", {0xED, 0xBB}, "OTDR", 2},
        CasoOpcode{"EdSinEfecto", {0xED, 0x00}, "DEFB &ED,&00 ; sin efecto", 2},
        CasoOpcode{"Ed77SinEfecto", {0xED, 0x77}, "DEFB &ED,&77 ; sin efecto", 2},
        // DD and FD: the index registers, their halves (undocumented), (IX+d)
        CasoOpcode{"LdIx", {0xDD, 0x21, 0x00, 0x80}, "LD IX,&8000", 4},
        CasoOpcode{"LdIyMemoria", {0xFD, 0x2A, 0x34, 0x12}, "LD IY,(&1234)", 4},
        CasoOpcode{"AddIxIx", {0xDD, 0x29}, "ADD IX,IX", 2},
        CasoOpcode{"IncDesplazado", {0xDD, 0x34, 0x05}, "INC (IX+&05)", 3},
        CasoOpcode{"LdDesplazadoInmediato", {0xDD, 0x36, 0xFE, 0x42}, "LD (IX-&02),&42", 4},
        CasoOpcode{"LdHDesplazado", {0xFD, 0x66, 0x01}, "LD H,(IY+&01)", 3},
        CasoOpcode{"LdDesplazadoL", {0xDD, 0x75, 0x80}, "LD (IX-&80),L", 3},
        CasoOpcode{"LdMitades", {0xDD, 0x65}, "LD IXH,IXL", 2},
        CasoOpcode{"LdBMitad", {0xFD, 0x44}, "LD B,IYH", 2},
        CasoOpcode{"LdMitadInmediato", {0xDD, 0x2E, 0x07}, "LD IXL,&07", 3},
        CasoOpcode{"AluMitad", {0xDD, 0x84}, "ADD A,IXH", 2},
        CasoOpcode{"AluDesplazado", {0xFD, 0xBE, 0x10}, "CP (IY+&10)", 3},
        CasoOpcode{"JpIy", {0xFD, 0xE9}, "JP (IY)", 2},
        CasoOpcode{"LdSpIx", {0xDD, 0xF9}, "LD SP,IX", 2},
        CasoOpcode{"ExSpIx", {0xDD, 0xE3}, "EX (SP),IX", 2},
        CasoOpcode{"PushIy", {0xFD, 0xE5}, "PUSH IY", 2},
        // DD CB d op: the displacement before the opcode; copies into a register
        CasoOpcode{"IndiceCbRotacion", {0xDD, 0xCB, 0x02, 0x06}, "RLC (IX+&02)", 4},
        CasoOpcode{"IndiceCbCopia", {0xDD, 0xCB, 0x02, 0x00}, "RLC (IX+&02),B", 4},
        CasoOpcode{"IndiceCbSll", {0xFD, 0xCB, 0xFF, 0x37}, "SLL (IY-&01),A", 4},
        CasoOpcode{"IndiceCbBit", {0xDD, 0xCB, 0x00, 0x46}, "BIT 0,(IX+&00)", 4},
        CasoOpcode{"IndiceCbBitOtroRegistro", {0xDD, 0xCB, 0x00, 0x7C}, "BIT 7,(IX+&00)", 4},
        CasoOpcode{"IndiceCbSetCopia", {0xFD, 0xCB, 0x03, 0xC1}, "SET 0,(IY+&03),C", 4},
        // A prefix that changes nothing is a byte of its own
        CasoOpcode{"PrefijoSinEfecto", {0xDD, 0x00}, "DEFB &DD ; prefijo sin efecto", 1},
        CasoOpcode{"PrefijoAntesDeEd", {0xFD, 0xED, 0xB0}, "DEFB &FD ; prefijo sin efecto", 1},
        CasoOpcode{"PrefijoAntesDeExDe", {0xDD, 0xEB}, "DEFB &DD ; prefijo sin efecto", 1},
        // Cut short: no instruction
        CasoOpcode{"CallCortado", {0xCD, 0x5A}, "", 0},
        CasoOpcode{"IndiceCbCortado", {0xDD, 0xCB, 0x02}, "", 0}, CasoOpcode{"Vacio", {}, "", 0}),
    [](const testing::TestParamInfo<CasoOpcode> &i) { return std::string(i.param.nombre); });

// No opcode is left out: after any prefix, every byte makes an instruction of
// one to four bytes with a text.
TEST(Opcodes, TodosDecodifican) {
  const std::vector<std::vector<std::uint8_t>> prefijos{
      {}, {0xCB}, {0xED}, {0xDD}, {0xFD}, {0xDD, 0xCB, 0x05}, {0xFD, 0xCB, 0x05}};
  for (const auto &prefijo : prefijos) {
    for (int op = 0; op < 256; ++op) {
      std::vector<std::uint8_t> b = prefijo;
      b.insert(b.end(), {static_cast<std::uint8_t>(op), 0x34, 0x12, 0x56});
      const Ver::Instruccion i = Ver::DecodificarZ80(b, 0);
      SCOPED_TRACE(testing::Message() << "prefijo " << prefijo.size() << ", opcode " << op);
      EXPECT_GE(i.largo, 1U);
      EXPECT_LE(i.largo, 4U);
      EXPECT_FALSE(i.texto.empty());
    }
  }
}

TEST(Firmware, NombresDelJumpblock) {
  EXPECT_EQ(Ver::NombreFirmware(0xBB5A), "TXT OUTPUT");
  EXPECT_EQ(Ver::NombreFirmware(0xBC47), "SCR FLOOD BOX");
  EXPECT_EQ(Ver::NombreFirmware(0xBD5B), "KL BANK SWITCH");
  EXPECT_EQ(Ver::NombreFirmware(0x0038), "LOW: INTERRUPT ENTRY");
  EXPECT_EQ(Ver::NombreFirmware(0xBB5B), ""); // inside an entry, not one
}

// A program with a loop, a firmware call, a jump out of the file and text
// after its RET: labels inside the file, the firmware's name, and data that
// keeps every byte.
TEST(DesensamblarZ80, EtiquetasFirmwareYDatos) {
  const std::vector<std::uint8_t> codigo{0x21, 0x0C, 0x40, // 4000 LD HL,&400C
                                         0x7E,             // 4003 LD A,(HL)
                                         0xCD, 0x5A, 0xBB, // 4004 CALL &BB5A
                                         0x23,             // 4007 INC HL
                                         0x18, 0xF9,       // 4008 JR &4003
                                         0xC3, 0x00,       // 400A: the flow never gets here
                                         'H',  'o',  'l',  'a', 0x00};
  const Ver::Listado r = Ver::DesensamblarZ80(codigo, 0x4000, 0x4000);
  EXPECT_FALSE(r.parcial);
  EXPECT_EQ(r.nota, "");
  EXPECT_EQ(r.texto, "4000  21 0C 40      LD HL,&400C\n"
                     "L4003:\n"
                     "4003  7E            LD A,(HL)\n"
                     "4004  CD 5A BB      CALL &BB5A          ; TXT OUTPUT\n"
                     "4007  23            INC HL\n"
                     "4008  18 F9         JR L4003\n"
                     "400A  C3 00 48 6F   DEFB &C3,&00,&48,&6F,&6C,&61,&00 ; ..Hola.\n");
}

TEST(DesensamblarZ80, EntradaFueraDelArchivoYDesbordes) {
  // The entry outside the file: the flow starts at the load address, and says so.
  Ver::Listado r = Ver::DesensamblarZ80(std::vector<std::uint8_t>{0xC9}, 0x8000, 0x1234);
  EXPECT_EQ(r.texto, "8000  C9            RET\n");
  EXPECT_FALSE(r.parcial);
  EXPECT_NE(r.nota.find("&1234"), std::string::npos) << r.nota;
  // A jump out of the file gets no label; an instruction cut by the end is data.
  r = Ver::DesensamblarZ80(std::vector<std::uint8_t>{0x18, 0x10, 0xCD}, 0x8000);
  EXPECT_EQ(r.texto, "8000  18 10         JR &8012\n"
                     "8002  CD            DEFB &CD            ; .\n");
  // Past &FFFF the Z80 cannot see: listed up to there, and marked partial.
  r = Ver::DesensamblarZ80(std::vector<std::uint8_t>(4, 0x00), 0xFFFE);
  EXPECT_TRUE(r.parcial);
  EXPECT_EQ(r.texto, "FFFE  00            NOP\nFFFF  00            NOP\n");
}

} // namespace
