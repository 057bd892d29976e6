// What a pane's rows and the status bar show, worked out from header records.
#include "ui/main/Presentacion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Presentacion::FilaCatalogo;

const std::vector<std::string> Claves{"Unknow", "BAK", "BAS", "BIN"};

EntradaDir Entrada(std::string nombre, std::uint8_t registros,
                   std::int32_t estado = EstadoEntrada::EnUso) {
  EntradaDir e;
  e.Nombre = std::move(nombre);
  e.Registros = registros;
  e.Estado = estado;
  return e;
}

// Every slot unused but the ones given, from slot 0 on.
CabeceraDisco Catalogo(const std::vector<EntradaDir> &entradas) {
  CabeceraDisco cab;
  for (auto &e : cab.Entradas)
    e = Entrada("\xE5\xE5\xE5\xE5\xE5\xE5\xE5\xE5\xE5\xE5\xE5", 0xE5,
                EstadoEntrada::NombreNoValido);
  for (std::size_t i = 0; i < entradas.size(); ++i)
    cab.Entradas[i] = entradas[i];
  return cab;
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

TEST(FilasCatalogo, ListsUsedEntriesInSlotOrderWithNameExtSizeAndIcon) {
  const CabeceraDisco cab = Catalogo({
      Entrada("GAME    BIN", 128),
      Entrada("GAME    BIN", 128),
      Entrada("GAME    BIN", 16),
      Entrada("DELETED BAS", 10, EstadoEntrada::NoUsada),
      Entrada("BAD\x01NAMEBAS", 10, EstadoEntrada::NombreNoValido),
      Entrada("notes   bin", 0),
      Entrada("LOADER  BAS", 255),
      Entrada("OLD     BAK", 3),
      Entrada("BLANK      ", 8),
  });
  const std::vector<FilaCatalogo> esperadas{
      {"GAME    ", "BIN", "  16", 4}, {"GAME    ", "BIN", "  16", 4},
      {"GAME    ", "BIN", "   2", 4}, {"notes   ", "bin", "   1", 1},
      {"LOADER  ", "BAS", "  31", 3}, {"OLD     ", "BAK", "   1", 2},
      {"BLANK   ", "   ", "   1", 1},
  };
  EXPECT_EQ(Presentacion::FilasCatalogo(cab, Claves), esperadas);
}

TEST(FilasCatalogo, OnlyUnusedAndBadNamesAreLeftOutAndSlot64NeverCounts) {
  CabeceraDisco cab = Catalogo({Entrada("ODD     SCR", 16, 7)});
  cab.Entradas[63] = Entrada("LAST    BAS", 24);
  cab.Entradas[64] = Entrada("EXTRA   BIN", 24); // beyond the catalogue
  const std::vector<FilaCatalogo> filas = Presentacion::FilasCatalogo(cab, Claves);
  ASSERT_EQ(filas.size(), 2u);
  EXPECT_EQ(filas[0].Nombre, "ODD     ");
  EXPECT_EQ(filas[1].Nombre, "LAST    ");
  EXPECT_EQ(filas[1].KB, "   3");
}

TEST(FilasCatalogo, AllUnusedGivesNoRowsAndEmptyRecordGivesEmptyRows) {
  EXPECT_TRUE(Presentacion::FilasCatalogo(Catalogo({}), Claves).empty());
  // A record nothing was ever loaded into: 64 blank rows, which is why the
  // window lists nothing for such a pane.
  const std::vector<FilaCatalogo> vacias = Presentacion::FilasCatalogo(CabeceraDisco{}, Claves);
  ASSERT_EQ(vacias.size(), 64u);
  EXPECT_EQ(vacias.front(), (FilaCatalogo{"", "", "   1", 1}));
}

TEST(FilasCatalogo, BytesBecomeOneCharacterEachNeverUtf8) {
  // 0xC3 0xA9 is "é" in UTF-8; read byte by byte it is two characters.
  const CabeceraDisco cab = Catalogo({Entrada("CAF\xC3\xA9   TXT", 8)});
  const std::vector<FilaCatalogo> filas = Presentacion::FilasCatalogo(cab, Claves);
  ASSERT_EQ(filas.size(), 1u);
  EXPECT_EQ(filas[0].Nombre, "CAFÃ©   "); // UTF-8 of the eight characters
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
