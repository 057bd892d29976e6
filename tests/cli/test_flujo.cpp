// Flux dumps on the command line, run as processes, beyond what the table of
// kinds walks every kind through (test_tipos.cpp): a KryoFlux set opened by
// its folder and by one of its files, what the reading says in info, and
// convert making the extended image, weak sectors and all.
#include "Comun.h"
#include "Flujo.h"
#include "Imagenes.h"
#include "Proceso.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Generador::DiscoCpm;
namespace fs = std::filesystem;

DiscoCpm Disco() { return DiscoConJuego().Debil(0, 0, 0xC8, 2); }

struct CasoFlujo {
  const char *nombre;
  std::vector<std::string> args; // "@x" is x in the folder holding the dumps
  int codigo;
  const char *salida;
  const char *errores;
};

class Flujos : public testing::TestWithParam<CasoFlujo> {};

TEST_P(Flujos, ComoCualquierImagen) {
  const CasoFlujo &c = GetParam();
  CarpetaTemporal dir;
  const DiscoCpm d = Disco();
  Generador::OpcionesFlujo o;
  o.vueltas = 2;
  o.deriva = 0.01;
  o.temblor = 100;
  o.fuera.push_back({30, 0});
  Escribir(dir.Archivo("disco.scp"), Generador::EscribirScp(d, o));
  Escribir(dir.Archivo("disco.dsk"), d.Bytes());
  fs::create_directory(dir.Archivo("kf"));
  for (const auto &[nombre, bytes] : Generador::EscribirStreams(d, o)) {
    Escribir(dir.Archivo("kf/" + nombre), bytes);
  }
  std::vector<std::string> args;
  for (const std::string &a : c.args) {
    args.push_back(a[0] == '@' ? dir.Archivo(a.substr(1)) : a);
  }
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, c.codigo) << r.salida << r.errores;
  EXPECT_NE(r.salida.find(c.salida), std::string::npos) << r.salida;
  EXPECT_NE(r.errores.find(c.errores), std::string::npos) << r.errores;
  if (c.args[0] == "convert" && c.codigo == 0) {
    // The new image holds the weak sector's two copies.
    const Resultado info = EjecutarCli({"info", dir.Archivo("nuevo.dsk")});
    EXPECT_NE(info.salida.find("sector &C8: débil (2 copias)"), std::string::npos) << info.salida;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ordenes, Flujos,
    testing::Values(
        CasoFlujo{"LsCarpetaKryoFlux", {"ls", "@kf"}, 0, "GAME    .BIN", ""},
        CasoFlujo{"InfoDiceLaPistaQueFalta",
                  {"info", "@disco.scp"},
                  0,
                  "lectura-flujo: Pista 30, cara 0: no está en el volcado; queda sin formato",
                  ""},
        CasoFlujo{
            "ConvertADsk", {"convert", "@disco.scp", "@nuevo.dsk"}, 0, "(DSK extendido,", ""}),
    [](const testing::TestParamInfo<CasoFlujo> &i) { return std::string(i.param.nombre); });

} // namespace
