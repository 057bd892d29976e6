// What a pane's rows and the status bar show, worked out from header records.
#include "ui/main/Presentacion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Presentacion::FilaCatalogo;

const std::vector<std::string> Claves{"Unknow", "BAK", "BAS", "BIN"};

using Presentacion::EntradaCatalogo;

// Entry `indice` of a catalogue: user, 11 name bytes as stored, records.
EntradaCatalogo Entrada(int indice, std::uint8_t usuario, std::string_view nombre11,
                        std::uint8_t registros) {
  EntradaCatalogo e;
  e.Indice = indice;
  e.Bytes[0] = usuario;
  for (std::size_t k = 0; k < 11; ++k)
    e.Bytes[1 + k] = static_cast<std::uint8_t>(nombre11[k]);
  e.Bytes[15] = registros;
  return e;
}

// What a row shows, with the entry it came from: "NOMBRE|EXT|KB|Attrib|icono@indice".
std::vector<std::string> Mostradas(const std::vector<FilaCatalogo> &filas) {
  std::vector<std::string> t;
  for (const FilaCatalogo &f : filas)
    t.push_back(f.Nombre + "|" + f.Ext + "|" + f.KB + "|" + f.Attrib + "|" +
                std::to_string(f.Icono) + "@" + std::to_string(f.Entrada.Indice));
  return t;
}

struct CasoKB {
  const char *nombre;
  std::uint8_t registros;
  const char *texto;
  friend void PrintTo(const CasoKB &c, std::ostream *os) { *os << c.nombre; }
};

class TextoKB : public ::testing::TestWithParam<CasoKB> {};

TEST_P(TextoKB, EightRecordsToTheKilobyteNeverBelowOnePaddedToFour) {
  EXPECT_EQ(Presentacion::TextoKB(GetParam().registros), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(Registros, TextoKB,
                         ::testing::Values(CasoKB{"cero", 0, "   1"}, CasoKB{"siete", 7, "   1"},
                                           CasoKB{"ocho", 8, "   1"}, CasoKB{"quince", 15, "   1"},
                                           CasoKB{"dieciseis", 16, "   2"},
                                           CasoKB{"veintitres", 23, "   2"},
                                           CasoKB{"ochenta", 80, "  10"},
                                           CasoKB{"extension_llena", 128, "  16"},
                                           CasoKB{"maximo", 255, "  31"}),
                         [](const auto &caso) { return std::string(caso.param.nombre); });

struct CasoIcono {
  const char *nombre;
  const char *ext;
  int indice; // position from 1 in Claves
  friend void PrintTo(const CasoIcono &c, std::ostream *os) { *os << c.nombre; }
};

class IndiceIcono : public ::testing::TestWithParam<CasoIcono> {};

TEST_P(IndiceIcono, OnlyAnExactKeyGetsItsOwnPicture) {
  EXPECT_EQ(Presentacion::IndiceIcono(GetParam().ext, Claves), GetParam().indice);
}

INSTANTIATE_TEST_SUITE_P(
    Extensiones, IndiceIcono,
    ::testing::Values(CasoIcono{"BAK", "BAK", 2}, CasoIcono{"BAS", "BAS", 3},
                      CasoIcono{"BIN", "BIN", 4}, CasoIcono{"bin_minusculas", "bin", 1},
                      CasoIcono{"bas_minusculas", "bas", 1}, CasoIcono{"BA_blanco", "BA ", 1},
                      CasoIcono{"tres_blancos", "   ", 1}, CasoIcono{"vacia", "", 1},
                      CasoIcono{"TXT", "TXT", 1}, CasoIcono{"clave_Unknow", "Unknow", 1}),
    [](const auto &caso) { return std::string(caso.param.nombre); });

TEST(IndiceIconoOrden, FollowsTheImageListOrderAndFirstMatchWins) {
  // "Unknow" is the fallback wherever it stands; a repeated key answers with
  // its first position.
  const std::vector<std::string> claves{"BIN", "Unknow", "BIN"};
  EXPECT_EQ(Presentacion::IndiceIcono("BIN", claves), 1);
  EXPECT_EQ(Presentacion::IndiceIcono("BAS", claves), 2);
  EXPECT_EQ(Presentacion::IndiceIcono("BAS", {"BIN"}), 0);
}

TEST(FilasCatalogo, ListsEntriesInUseInOrderWithTheirNamesSevenBitsAndAttributes) {
  const std::vector<EntradaCatalogo> entradas{
      Entrada(0, 0, "GAME    BIN", 128),
      Entrada(1, 0, "GAME    BIN", 16),
      Entrada(2, 0xE5, "DELETED BAS", 10),
      Entrada(3, 16, "USER16  BIN", 10),
      Entrada(4, 0, "BAD\x01NAMEBAS", 10),
      Entrada(5, 0, "#BURN!  BAS", 10), // printable: a file, as real disks name them
      Entrada(6, 0, "notes   bin", 0),
      Entrada(7, 3, "LOADER  BAS", 255),
      Entrada(8, 0, "BLANK      ", 8),
      // Attribute bits: read-only, system, both, and a top bit in the name.
      Entrada(9, 0, "PROT    \xC2IN", 16),
      Entrada(10, 15, "HID     B\xC1K", 16),
      Entrada(11, 0, "BOTH    \xC2\xC1S", 16),
      Entrada(12, 0, "NAME\xC1   TXT", 16),
      // A carriage return, with or without its top bit, counts as a blank.
      Entrada(13, 0, "CR\r\x8D    BIN", 16),
      // Seven bits that are refused stay refused: DEL with the top bit set.
      Entrada(14, 0, "X\xFF      BIN", 16),
      Entrada(200, 0, "LATE    BAK", 24),
  };
  EXPECT_EQ(Mostradas(Presentacion::FilasCatalogo(entradas, Claves)),
            (std::vector<std::string>{"GAME    |BIN|  16||4@0", "GAME    |BIN|   2||4@1",
                                      "#BURN!  |BAS|   1||3@5", "notes   |bin|   1||1@6",
                                      "LOADER  |BAS|  31|U3|3@7", "BLANK   |   |   1||1@8",
                                      "PROT    |BIN|   2|R/O|4@9", "HID     |BAK|   2|SYS U15|2@10",
                                      "BOTH    |BAS|   2|R/O SYS|3@11", "NAMEA   |TXT|   2||1@12",
                                      "CR      |BIN|   2||4@13", "LATE    |BAK|   3||2@200"}));
}

TEST(EntradasDeImagen, WithoutAFormatTheSixtyFourEntriesAtTheFixedPlace) {
  std::vector<std::uint8_t> imagen(512 + 32 * 3, 0);
  const std::string firma = "MV - CPCEMU Disk-File\r\n";
  std::copy(firma.begin(), firma.end(), imagen.begin());
  const std::string nombre = "HERE    BIN";
  std::copy(nombre.begin(), nombre.end(), imagen.begin() + 512 + 32 + 1);
  imagen[512 + 32 + 15] = 9;
  const std::vector<EntradaCatalogo> entradas = Presentacion::EntradasDeImagen(imagen);
  ASSERT_EQ(entradas.size(), 64u) << "bytes past the end read as 0";
  EXPECT_EQ(entradas[1], Entrada(1, 0, "HERE    BIN", 9));
  EXPECT_EQ(entradas[63], Entrada(63, 0, std::string(11, '\0'), 0));
  EXPECT_EQ(Mostradas(Presentacion::FilasCatalogo(entradas, Claves)),
            (std::vector<std::string>{"HERE    |BIN|   1||4@1"}))
      << "zero bytes are not a name";
  EXPECT_TRUE(Presentacion::EntradasDeImagen({}).size() == 64u);
}

struct CasoFormato {
  const char *nombre;
  std::int32_t formato;
  const char *texto;
  friend void PrintTo(const CasoFormato &c, std::ostream *os) { *os << c.nombre; }
};

class TextoFormato : public ::testing::TestWithParam<CasoFormato> {};

TEST_P(TextoFormato, DisplayTextWithItsBlanks) {
  EXPECT_EQ(Presentacion::TextoFormato(GetParam().formato), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(Formatos, TextoFormato,
                         ::testing::Values(CasoFormato{"estandar", 1, " MV-CPC EMU "},
                                           CasoFormato{"extendido", 2, " EXTENDED-CPC DSK "},
                                           CasoFormato{"ninguno", 0, ""},
                                           CasoFormato{"tres", 3, ""},
                                           CasoFormato{"negativo", -1, ""}),
                         [](const auto &caso) { return std::string(caso.param.nombre); });

TEST(TextoPistasCaras, DecimalWithoutSignOrPadding) {
  EXPECT_EQ(Presentacion::TextoPistasCaras(0, 0), " T:0 S:0 ");
  EXPECT_EQ(Presentacion::TextoPistasCaras(40, 2), " T:40 S:2 ");
  EXPECT_EQ(Presentacion::TextoPistasCaras(255, 255), " T:255 S:255 ");
}

TEST(EstadoDisco, FourPanelsFromNameAndHeader) {
  CabeceraDisco cab;
  cab.Formato = FormatoImagen::Extendido;
  cab.Pistas = 42;
  cab.Caras = 1;
  cab.Creador = "Caf\xE9 tool"; // Latin-1 byte from the image
  const Presentacion::TextosEstado textos = Presentacion::EstadoDisco("Ni\xC3\xB1o.dsk", cab);
  EXPECT_EQ(textos[0], "Niño.dsk"); // host names are UTF-8
  EXPECT_EQ(textos[1], " EXTENDED-CPC DSK ");
  EXPECT_EQ(textos[2], " T:42 S:1 ");
  EXPECT_EQ(textos[3], "Café tool");

  const Presentacion::TextosEstado vacio = Presentacion::EstadoDisco("", CabeceraDisco{});
  EXPECT_EQ(vacio, (Presentacion::TextosEstado{"", "", " T:0 S:0 ", ""}));
  EXPECT_EQ(Presentacion::EstadoInicial(),
            (Presentacion::TextosEstado{"Disco", "Formato Imagen", "Pistas / Caras", ""}));
}

} // namespace
