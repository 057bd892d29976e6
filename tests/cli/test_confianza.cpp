// alcove-cli never claims more than it did: an unreadable catalogue is not an
// empty disk, a failed write is not a success, no file of a run is lost to
// another, and nothing from a disk reaches a terminal as a command.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

namespace {

using Generador::DiscoCpm;
using nlohmann::json;

// A data disk with one file, and the same disk with &C1 of another size (no
// entry readable) or without &C3 (the second half of the entries).
class CliCatalogoIncompleto : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string sinNada = dir.Archivo("sin_nada/disco.dsk");
  std::string medio = dir.Archivo("medio.dsk");
  std::string sistema = dir.Archivo("sistema.dsk");
  std::vector<std::uint8_t> juego = Patron(2000, 1);

  void SetUp() override {
    DiscoCpm sano(Generador::GeometriaData());
    sano.Agregar({0, "JUEGO", "BAS", false, false, false, juego, {}, 0});
    DiscoCpm roto = sano;
    roto.CodigoTamano(0, 0, 0xC1, 3);
    std::filesystem::create_directory(dir.Ruta() / "sin_nada");
    Escribir(sinNada, roto.Bytes());
    sano.QuitarSector(0, 0, 0xC3);
    Escribir(medio, sano.Bytes());
    DiscoCpm otro(Generador::GeometriaSystem());
    otro.Agregar({0, "JUEGO", "BAS", false, false, false, juego, {}, 0});
    Escribir(sistema, otro.Bytes());
  }
};

TEST_F(CliCatalogoIncompleto, CadaOrdenLoDiceYTerminaEnUno) {
  struct Caso {
    const char *nombre;
    std::vector<std::string> args;
    std::string imagen;     // the image the one error line names
    std::string falta;      // what it says is missing
    std::string enSalida{}; // text standard output holds
  };
  const std::string o = dir.Archivo("fuera");
  const std::string faltaC1 =
      "catálogo incompleto: tiene el código de tamaño 3 el sector 193 de la pista 0, cara 0";
  const std::string faltaC3 = "catálogo incompleto: falta el sector 195 de la pista 0, cara 0";
  for (const Caso &c : std::vector<Caso>{
           {"ls", {"ls", sinNada}, sinNada, faltaC1, faltaC1 + "\n0 archivos,"},
           {"lsMedio", {"ls", medio}, medio, faltaC3, "JUEGO   .BAS    2K\n" + faltaC3},
           {"lsJson", {"ls", "--json", sinNada}, sinNada, faltaC1},
           {"info", {"info", sinNada}, sinNada, faltaC1, "sector-tamano-distinto"},
           {"get", {"get", sinNada, "*", "-o", o}, sinNada, faltaC1},
           {"getMedio", {"get", medio, "*.BAS", "-o", o}, medio, faltaC3, "JUEGO.BAS -> "},
           {"cat", {"cat", sinNada, "JUEGO.BAS"}, sinNada, faltaC1},
           {"formatoForzado",
            {"ls", "--formato", "data", sistema},
            sistema,
            "catálogo incompleto: falta el sector 193 de la pista 0, cara 0"},
           {"find", {"find", "*", dir.Archivo("sin_nada")}, sinNada, faltaC1},
       }) {
    SCOPED_TRACE(c.nombre);
    const Resultado r = EjecutarCli(c.args);
    EXPECT_EQ(r.codigo, 1) << r.errores;
    EXPECT_EQ(r.errores, "alcove-cli: " + c.imagen + ": " + c.falta + "\n");
    EXPECT_NE(r.salida.find(c.enSalida), std::string::npos) << r.salida;
  }
  // What could be read is still extracted.
  EXPECT_EQ(Leer(o + "/JUEGO.BAS"), HastaRegistro(juego));
  const json j = json::parse(EjecutarCli({"find", "*", dir.Archivo("sin_nada"), "--json"}).salida);
  ASSERT_EQ(j["errores"].size(), 1U) << j;
  EXPECT_EQ(j["errores"][0]["imagen"], sinNada);
}

// The text listing ends with a count of what the reader found wrong, and says
// nothing of the kind for a healthy disk.
TEST_F(CliCatalogoIncompleto, LsCuentaLosProblemas) {
  DiscoCpm sano(Generador::GeometriaData());
  sano.Agregar({0, "JUEGO", "BAS", false, false, false, juego, {}, 0});
  Escribir(dir.Archivo("sano.dsk"), sano.Bytes());
  DiscoCpm debil(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  debil.Agregar({0, "JUEGO", "BAS", false, false, false, juego, {}, 0}).Debil(39, 0, 0xC3, 3);
  Escribir(dir.Archivo("debil.dsk"), debil.Bytes());
  struct Caso {
    std::string imagen;
    int codigo;
    std::string ultima; // the listing's last line
  };
  for (const Caso &c : std::vector<Caso>{
           {dir.Archivo("sano.dsk"), 0,
            "1 archivo, 176K libres, 0 entradas borradas, 0 entradas raras"},
           {dir.Archivo("debil.dsk"), 0, "1 problema en la lectura (alcove-cli info lo detalla)"},
           {sinNada, 1, "2 problemas en la lectura (alcove-cli info los detalla)"},
       }) {
    SCOPED_TRACE(c.imagen);
    const Resultado r = EjecutarCli({"ls", c.imagen});
    EXPECT_EQ(r.codigo, c.codigo) << r.errores;
    ASSERT_FALSE(Lineas(r.salida).empty());
    EXPECT_EQ(Lineas(r.salida).back(), c.ultima);
  }
}

} // namespace

namespace {

// Output that cannot be written is a failure, said once, whatever its size and
// whoever writes it (our own writes, stdio's buffer, CLI11's help).
TEST(CliSalidaFallida, UnaLineaYCodigoUno) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no hay /dev/full";
  }
  CarpetaTemporal dir;
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "GRANDE", "DAT", false, false, Patron(40 * 1024, 9)})
      .AgregarFichero({0, "CORTO", "TXT", false, false, Bytes("HOLA\r\n\x1A")});
  const std::string imagen = dir.Archivo("disco.dsk");
  Escribir(imagen, img.Bytes());
  OpcionesCli aLleno;
  aLleno.salida = SalidaCli::Archivo;
  aLleno.archivo = "/dev/full";
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"ls", imagen},                                   // less than stdio's buffer
           {"cat", imagen, "GRANDE.DAT"},                    // more than it
           {"ls", "--json", imagen},                         //
           {"get", imagen, "*", "-o", dir.Archivo("fuera")}, // the files are written
           {"find", "*", dir.Ruta().string()},               //
           {"--help"},                                       // through std::cout
       }) {
    SCOPED_TRACE(testing::PrintToString(args));
    const Resultado r = EjecutarCli(args, aLleno);
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.errores,
              "alcove-cli: salida estándar: no se ha podido escribir entera (Disco lleno)\n");
  }
  EXPECT_EQ(Leer(dir.Archivo("fuera/GRANDE.DAT")), Patron(40 * 1024, 9));
}

} // namespace
