// Decoding of headers and catalogue entries, as plain functions over bytes.
#include "disk/Formato.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::array<std::uint8_t, 32> Entrada(std::uint8_t usuario, std::string_view nombre11) {
  std::array<std::uint8_t, 32> e{};
  e[0] = usuario;
  for (std::size_t i = 0; i < 11; ++i) {
    e[1 + i] = i < nombre11.size() ? static_cast<std::uint8_t>(nombre11[i]) : ' ';
  }
  return e;
}

struct CasoFirma {
  const char *nombre;
  std::string firma;
  std::int32_t formato;
  friend void PrintTo(const CasoFirma &c, std::ostream *os) { *os << c.nombre; }
};

class Firma : public testing::TestWithParam<CasoFirma> {};

TEST_P(Firma, SoloCuentanLosPrimerosCaracteres) {
  EXPECT_EQ(Formato::DetectarFormato(GetParam().firma), GetParam().formato);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Firma,
    testing::Values(CasoFirma{"Estandar", "MV - CPCEMU Disk-File\r\nDisk-Info\r\n", 1},
                    CasoFirma{"EstandarMinusculas", "mv - cpcemu disk-file", 1},
                    CasoFirma{"EstandarSolo", "MV - CPCEMU", 1},
                    CasoFirma{"ExtendidaMezclada", "ExTeNdEd cPc DsK File", 2},
                    CasoFirma{"ExtendidaSola", "EXTENDED CPC DSK", 2},
                    CasoFirma{"BlancoDelante", " MV - CPCEMU Disk-File", 0},
                    CasoFirma{"SignoDelante", "*EXTENDED CPC DSK", 0},
                    CasoFirma{"Cortada", "EXTENDED CPC DS", 0}, CasoFirma{"Vacia", "", 0},
                    CasoFirma{"MasAdentro", "DISK MV - CPCEMU", 0},
                    // Bytes above 127 are not letters: no folding may make them match.
                    CasoFirma{"ByteAlto", "\xCDV - CPCEMU", 0},
                    CasoFirma{"CeroEnMedio", std::string("MV - \0PCEMU", 11), 0}),
    [](const auto &caso) { return caso.param.nombre; });

struct CasoEntrada {
  const char *nombre;
  std::uint8_t usuario;
  std::string nombre11;
  std::int32_t estado;
  friend void PrintTo(const CasoEntrada &c, std::ostream *os) { *os << c.nombre; }
};

class Clasificacion : public testing::TestWithParam<CasoEntrada> {};

TEST_P(Clasificacion, EstadoDeLaEntrada) {
  const auto &c = GetParam();
  EXPECT_EQ(Formato::LeerEntrada(Entrada(c.usuario, c.nombre11)).Estado, c.estado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Clasificacion,
    testing::Values(CasoEntrada{"EnUso", 0, "GAME    BIN", 0},
                    CasoEntrada{"Usuario15", 15, "GAME    BIN", 0},
                    CasoEntrada{"BlancosAceptados", 0, "ABCD    BAS", 0},
                    CasoEntrada{"ExtensionEnBlanco", 0, "NOEXT      ", 0},
                    CasoEntrada{"LimitesAceptados", 0, ")09AZaz{_^@", 0},
                    CasoEntrada{"Usuario16", 16, "GAME    BIN", 32},
                    CasoEntrada{"Borrada", 229, "GAME    BIN", 32},
                    CasoEntrada{"Usuario255", 255, "GAME    BIN", 32},
                    CasoEntrada{"Exclamacion", 0, "BAD!    BIN", 64},
                    CasoEntrada{"Almohadilla", 0, "BAD#    BIN", 64},
                    CasoEntrada{"ParentesisAbierto", 0, "BAD(    BIN", 64},
                    CasoEntrada{"BarraVertical", 0, "BAD|    BIN", 64},
                    CasoEntrada{"Tilde", 0, "BAD~    BIN", 64},
                    CasoEntrada{"CeroEnNombre", 0, std::string("BAD\0    BIN", 11), 64},
                    CasoEntrada{"SoloLectura", 0, "PROTECT \xC2IN", 64},
                    CasoEntrada{"Sistema", 0, "HIDDEN  S\xD9S", 64},
                    CasoEntrada{"BorradaConNombreMalo", 229, "BAD!    BIN", 64},
                    // Carriage returns and line feeds read as blanks, which are fine.
                    CasoEntrada{"RetornoDeCarro", 0, "AB\rD    BIN", 0},
                    CasoEntrada{"SaltoDeLinea", 0, "AB\nD    BIN", 0}),
    [](const auto &caso) { return caso.param.nombre; });

TEST(Entrada, CamposEnSuSitio) {
  auto bytes = Entrada(7, "ABCDEFGHXYZ");
  bytes[12] = 3;  // extent number: not read
  bytes[14] = 42; // S2
  bytes[15] = 128;
  for (std::uint8_t i = 0; i < 16; ++i) {
    bytes[16 + i] = static_cast<std::uint8_t>(100 + i);
  }
  const EntradaDir e = Formato::LeerEntrada(bytes);
  EXPECT_EQ(e.Usuario, 7);
  EXPECT_EQ(e.Nombre, "ABCDEFGHXYZ");
  EXPECT_EQ(e.S2, 42);
  EXPECT_EQ(e.Registros, 128);
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(e.Bloques[i], 100 + i) << "bloque " << i;
  }
}

TEST(Entrada, MarcasDeExtension) {
  // The whole byte is compared with 1; a set top bit is not 1.
  struct Caso {
    std::uint8_t b9, b10;
    std::int32_t m1, m2;
  };
  for (const Caso c :
       {Caso{1, 1, 1, 4}, Caso{0, 0, 2, 8}, Caso{0x81, 1, 2, 4}, Caso{'B', 'I', 2, 8}}) {
    auto bytes = Entrada(0, "NAME    BIN");
    bytes[9] = c.b9;
    bytes[10] = c.b10;
    const EntradaDir e = Formato::LeerEntrada(bytes);
    EXPECT_EQ(e.MarcaExt1, c.m1) << int{c.b9};
    EXPECT_EQ(e.MarcaExt2, c.m2) << int{c.b10};
  }
}

TEST(Entrada, ControlesDelNombreSeGuardanComoBlancos) {
  EXPECT_EQ(Formato::LeerEntrada(Entrada(0, "A\r\nB    BIN")).Nombre, "A  B    BIN");
}

std::vector<std::uint8_t> Cabecera(std::string_view creador, std::uint8_t pistas,
                                   std::uint8_t caras) {
  std::vector<std::uint8_t> v(Formato::BytesLeidos, 0);
  const std::string_view firma = "MV - CPCEMU Disk-File\r\nDisk-Info\r\n";
  std::copy(firma.begin(), firma.end(), v.begin());
  std::string campo(creador);
  campo.resize(14, ' ');
  std::copy(campo.begin(), campo.end(), v.begin() + 34);
  v[48] = pistas;
  v[49] = caras;
  return v;
}

TEST(Cabecera, Creador) {
  struct Caso {
    std::string bytes14;
    std::string esperado;
  } casos[] = {
      {"  CPCDiskXP   ", "CPCDiskXP"},
      {"              ", ""},
      {std::string(14, '\0'), std::string(14, '\0')}, // zeros are not blanks
      {"\r\nTOOL v1 \r\n  ", "TOOL v1"},              // CR and LF became blanks
      {std::string("A    \0     B  ", 14), std::string("A    \0     B", 12)},
  };
  for (const auto &c : casos) {
    const CabeceraDisco cab = Formato::LeerImagen(Cabecera(c.bytes14, 0, 0));
    EXPECT_EQ(cab.Creador, c.esperado);
  }
}

TEST(Cabecera, ContadoresSinSigno) {
  const CabeceraDisco cab = Formato::LeerImagen(Cabecera("", 255, 2));
  EXPECT_EQ(cab.Formato, FormatoImagen::Estandar);
  EXPECT_EQ(cab.Pistas, 255);
  EXPECT_EQ(cab.Caras, 2);
}

TEST(Cabecera, SinFirmaSeLeeIgualYSinFormato) {
  auto bytes = Cabecera("MAKER", 40, 1);
  bytes[0] = ' ';
  const auto e = Entrada(0, "GAME    BIN");
  std::copy(e.begin(), e.end(), bytes.begin() + 512);
  const CabeceraDisco cab = Formato::LeerImagen(bytes);
  EXPECT_EQ(cab.Formato, FormatoImagen::Ninguno);
  EXPECT_EQ(cab.Creador, "MAKER");
  EXPECT_EQ(cab.Pistas, 40);
  EXPECT_EQ(cab.Entradas[0].Nombre, "GAME    BIN");
}

TEST(Cabecera, ArchivoCortoSeLeeComoCeros) {
  // A file that ends inside entry 0: whatever is missing reads as zeros.
  auto bytes = Cabecera("X", 40, 1);
  const auto e = Entrada(0, "GAME    BIN");
  std::copy(e.begin(), e.end(), bytes.begin() + 512);
  bytes[512 + 15] = 16;
  bytes.resize(512 + 20); // entry 0 cut inside its block numbers
  const CabeceraDisco cab = Formato::LeerImagen(bytes);
  EXPECT_EQ(cab.Entradas[0].Nombre, "GAME    BIN");
  EXPECT_EQ(cab.Entradas[0].Registros, 16);
  EXPECT_EQ(cab.Entradas[0].Bloques[3], 0);
  for (std::size_t i = 1; i < 64; ++i) {
    EXPECT_EQ(cab.Entradas[i].Nombre, std::string(11, '\0')) << i;
    EXPECT_EQ(cab.Entradas[i].Estado, EstadoEntrada::NombreNoValido) << i;
  }
  EXPECT_EQ(cab.Entradas[64], EntradaDir{}); // the spare slot is never filled

  const CabeceraDisco vacia = Formato::LeerImagen({});
  EXPECT_EQ(vacia.Formato, 0);
  EXPECT_EQ(vacia.Creador, std::string(14, '\0'));
  EXPECT_EQ(vacia.Pistas, 0);
}

TEST(Cabecera, CadaEntradaEnSuPosicion) {
  std::vector<std::uint8_t> bytes(Formato::BytesLeidos, 0xE5);
  for (std::uint8_t i = 0; i < 64; ++i) {
    bytes[512 + 32u * i] = static_cast<std::uint8_t>(i % 16);
    bytes[512 + 32u * i + 15] = i;
  }
  const CabeceraDisco cab = Formato::LeerImagen(bytes);
  for (std::size_t i = 0; i < 64; ++i) {
    EXPECT_EQ(cab.Entradas[i].Usuario, i % 16);
    EXPECT_EQ(cab.Entradas[i].Registros, i);
  }
}

TEST(Texto, BytesATexto) {
  EXPECT_EQ(Formato::BytesATexto(Bytes("a\rb\nc")), "a b c");
  EXPECT_EQ(Formato::BytesATexto(Bytes(std::string("\0\xFF\x0D", 3))), std::string("\0\xFF ", 3));
  EXPECT_EQ(Formato::QuitarBlancos("  a b  "), "a b");
  EXPECT_EQ(Formato::QuitarBlancos("\ta\t"), "\ta\t"); // only blanks are removed
}

// The one rule for which host files are images: the window's file list and
// the command line's search both use it.
TEST(Texto, NombresDeImagen) {
  const struct {
    const char *nombre;
    bool esImagen;
  } casos[] = {{"a.dsk", true},     {"JUEGO.DSK", true},  {"mixto.DsK", true}, {".dsk", false},
               {"dsk", false},      {"a.dsk.bak", false}, {"a.dsq", false},    {"a_dsk", false},
               {"a.\xC4SK", false}, {"", false}};
  for (const auto &c : casos) {
    EXPECT_EQ(Formato::EsNombreDeImagen(c.nombre), c.esImagen) << c.nombre;
  }
}

} // namespace
