// What cat, ls --cat and ls --json make of each kind of file, through the real
// alcove-cli on disks written by our generator.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ProgramaBasic.h"

#include "ver/Protegido.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;
using Generador::ImagenDsk;

// A disk holding one file of each kind the viewers tell apart.
class Visores : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string imagen = dir.Archivo("visores.dsk");
  // A BASIC loader with its machine code after the program's end mark, all
  // under one header, as many real loaders are saved.
  std::vector<std::uint8_t> codigoTrasBasic{0x21, 0x00, 0x40, 0xCD, 0x5A, 0xBB, 0xC9};

  std::vector<std::uint8_t> Cargador() const {
    auto b = BytesProgramaCompleto();
    b.insert(b.end(), codigoTrasBasic.begin(), codigoTrasBasic.end());
    return b;
  }

  // INICIO LD A,1 / CALL &BB5A / RET, as DAMS saves it.
  std::vector<std::uint8_t> dams{'I',  'N', 'I', 'C', 'I', 'O', 0x80, 'A',  ',',  '1', 0x0D,
                                 0x9E, '&', 'B', 'B', '5', 'A', 0x0D, 0x9F, 0x0D, 0x00};
  std::vector<std::uint8_t> codigo{0x3E, 0x41, 0xCD, 0x5A, 0xBB, 0xC9};
  // Mode 1, ink 3 in the screen's first byte: four pixels, the first bright red.
  std::vector<std::uint8_t> pantalla = [] {
    std::vector<std::uint8_t> p(16384, 0x00);
    p[0] = 0x88;
    return p;
  }();

  void SetUp() override {
    ImagenDsk img;
    img.AgregarFichero(
           {0, "CARGA", "BAS", false, false, ConCabecera("CARGA   BAS", 0, 0x170, 0, Cargador())})
        .AgregarFichero(
            {0, "SECRETO", "BAS", false, false,
             ConCabecera("SECRETO BAS", 1, 0x170, 0, Ver::ProtegerBasic(BytesProgramaCompleto()))})
        .AgregarFichero(
            {0, "FUENTE", "ADM", false, false, ConCabecera("FUENTE  ADM", 2, 0x4000, 0, dams)})
        .AgregarFichero({0, "CODIGO", "BIN", false, false,
                         ConCabecera("CODIGO  BIN", 2, 0x8000, 0x8000, codigo)})
        .AgregarFichero({0, "DIBUJO", "SCR", false, false, pantalla});
    Escribir(imagen, img.Bytes());
  }
};

TEST_F(Visores, CargadorBasicConCodigoMaquina) {
  const Resultado r = EjecutarCli({"cat", imagen, "CARGA.BAS"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, ProgramaCompleto().Listado());
  EXPECT_NE(r.errores.find("CARGA.BAS: sigue código máquina (7 bytes)"), std::string::npos)
      << r.errores;
}

// Each file listed as what it is, piped as on a terminal; --hex still gives
// the bytes as stored (a protected program's scrambled ones).
TEST_F(Visores, CadaArchivoComoLoQueEs) {
  Resultado r = EjecutarCli({"cat", imagen, "SECRETO.BAS"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, ProgramaCompleto().Listado());
  r = EjecutarCli({"cat", "--hex", imagen, "SECRETO.BAS"});
  const auto cifrado = Ver::ProtegerBasic(BytesProgramaCompleto());
  char primera[16];
  std::snprintf(primera, sizeof primera, "0170  %02X %02X", cifrado[0], cifrado[1]);
  EXPECT_EQ(r.salida.rfind(primera, 0), 0U) << r.salida.substr(0, 80);

  r = EjecutarCli({"cat", imagen, "FUENTE.ADM"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "INICIO  LD      A,1\n        CALL    &BB5A\n        RET\n");
  r = EjecutarCli({"cat", "--tipo", "hex", imagen, "FUENTE.ADM"});
  EXPECT_EQ(r.salida.rfind("4000  49 4E 49 43", 0), 0U) << r.salida;

  // Machine code: its bytes unless disassembly is asked for.
  r = EjecutarCli({"cat", imagen, "CODIGO.BIN"});
  EXPECT_EQ(r.salida, std::string(codigo.begin(), codigo.end()));
  r = EjecutarCli({"cat", "--z80", imagen, "CODIGO.BIN"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "8000  3E 41         LD A,&41\n"
                      "8002  CD 5A BB      CALL &BB5A          ; TXT OUTPUT\n"
                      "8005  C9            RET\n");
  r = EjecutarCli({"cat", "--z80", "--desde", "&9000", imagen, "CODIGO.BIN"});
  EXPECT_EQ(r.salida.rfind("9000  3E 41", 0), 0U) << r.salida;
}

TEST_F(Visores, PantallaEnPng) {
  const std::string png = dir.Archivo("dibujo.png");
  Resultado r = EjecutarCli({"cat", "--png", png, imagen, "DIBUJO.SCR"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "DIBUJO.SCR -> " + png + " (640 × 400, modo 1)\n");
  const auto bytes = Leer(png);
  ASSERT_GT(bytes.size(), 24U);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
  // Width and height in the IHDR chunk.
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 16, bytes.begin() + 24)),
            (std::vector<std::uint8_t>{0, 0, 2, 128, 0, 0, 1, 144}));
  // A screen of another mode and palette over it, and the mistakes a user can make.
  r = EjecutarCli(
      {"cat", "--png", png, "--force", "--modo", "0", "--paleta", "0,26", imagen, "DIBUJO.SCR"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  for (const auto &[args, mensaje] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--modo", "3"}, "modo no válido: 3 (0, 1 o 2)"},
           {{"--paleta", "1,27"}, "color no válido: 27"},
           {{"--paleta", "1,\xD9\xA3"}, "color no válido: \xD9\xA3 (de 0 a 26"},
           {{"--tipo", "dibujo"}, "visor desconocido: dibujo"}}) {
    std::vector<std::string> todos{"cat", "--png", png};
    if (args.front() == "--tipo") {
      todos = {"cat"};
    }
    todos.insert(todos.end(), args.begin(), args.end());
    todos.insert(todos.end(), {imagen, "DIBUJO.SCR"});
    r = EjecutarCli(todos);
    EXPECT_EQ(r.codigo, 2) << mensaje;
    EXPECT_NE(r.errores.find(mensaje), std::string::npos) << r.errores;
  }
  // Too short for a screen: drawn, and the exit says it is not whole.
  r = EjecutarCli({"cat", "--png", png, "--force", imagen, "CODIGO.BIN"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("la pantalla tiene 6 bytes de 16384"), std::string::npos) << r.errores;
}

// --paleta has one form for colours (a list of numbers) and another for a file
// (a path, with its folder: ./colores.txt), whatever the current folder holds,
// and the line written says which it took. "1" used to read a file named 1
// when there was one, and to mean colour 1 otherwise.
TEST_F(Visores, PaletaUnaFormaParaColoresYOtraParaArchivos) {
  const fs::path antes = fs::current_path();
  fs::current_path(dir.Ruta());
  Escribir("1", Bytes("26"));
  Escribir("colores.txt", Bytes("0 13"));
  struct Caso {
    const char *paleta;
    int codigo;
    std::string dice; // in the line written, or in the error
  };
  std::map<std::string, std::vector<std::uint8_t>> pngs;
  for (const Caso &c : std::vector<Caso>{
           {"1", 0, ", paleta 1)"},
           {"1,24,20,6", 0, ", paleta 1,24,20,6)"},
           {"./1", 0, ", paleta del archivo ./1: 26)"},
           {"./colores.txt", 0, ", paleta del archivo ./colores.txt: 0,13)"},
           {"colores.txt", 2,
            "color no válido: colores.txt (de 0 a 26, como los toma INK; un archivo de colores se "
            "nombra con su carpeta: ./colores.txt)"},
           {"./nada.txt", 2, "alcove-cli: --paleta ./nada.txt: "},
       }) {
    SCOPED_TRACE(c.paleta);
    const std::string png = "dibujo" + std::to_string(pngs.size()) + ".png";
    const Resultado r =
        EjecutarCli({"cat", "--png", png, "--paleta", c.paleta, imagen, "DIBUJO.SCR"});
    EXPECT_EQ(r.codigo, c.codigo) << r.errores;
    EXPECT_NE((c.codigo == 0 ? r.salida : r.errores).find(c.dice), std::string::npos)
        << r.salida << r.errores;
    if (c.codigo == 0) {
      pngs[c.paleta] = Leer(png);
    }
  }
  fs::current_path(antes);
  EXPECT_NE(pngs["1"], pngs["./1"]) << "colour 1 and the file's colour 26 differ";
}

TEST_F(Visores, JsonDiceLaVista) {
  const Resultado r = EjecutarCli({"ls", "--json", imagen});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  std::map<std::string, std::string> vistas;
  const nlohmann::json doc = nlohmann::json::parse(r.salida);
  for (const auto &a : doc["imagenes"][0]["archivos"]) {
    vistas[a["nombre"].get<std::string>()] = a["vista"].get<std::string>();
  }
  EXPECT_EQ(vistas, (std::map<std::string, std::string>{{"CARGA", "basic"},
                                                        {"SECRETO", "basic-protegido"},
                                                        {"FUENTE", "dams"},
                                                        {"CODIGO", "z80"},
                                                        {"DIBUJO", "pantalla"}}));
}

// ls --cat: the bytes CAT prints, a name's control codes raw when piped and
// made visible on a terminal.
TEST(LsCat, ArteDelCatalogo) {
  CarpetaTemporal dir;
  const std::string imagen = dir.Archivo("arte.dsk");
  ImagenDsk img;
  img.AgregarFichero({0, "JUEGO", "BAS", false, false, Bytes("10 CLS\r\n")})
      .AgregarEntrada(Generador::CrearEntrada(0,
                                              std::string("\x1C\x01\x02\x18"
                                                          "ARTE") +
                                                  "   ",
                                              0));
  Escribir(imagen, img.Bytes());
  Resultado r = EjecutarCli({"ls", "--cat", imagen});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, std::string("\r\nDrive A: user  0\r\n\r\n"
                                  "\x1C\x01\x02\x18"
                                  "ARTE.      0K   JUEGO   .BAS   1K\r\n"
                                  "\r\n177K free\r\n\r\n"));
#if !defined(_WIN32)
  if (TerminalNoDisponible().empty()) {
    r = EjecutarCli({"ls", "--cat", imagen}, true);
    EXPECT_NE(r.salida.find("\\x1C\\x01\\x02\\x18ARTE."), std::string::npos) << r.salida;
  }
#endif
}

} // namespace
