// The copy-protection verdict where alcove-cli gives it: info as text and as
// JSON, and find --json with each match; run as processes on the generator's
// protected disks.
#include "Comun.h"
#include "Generador.h"
#include "Proceso.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

void Caso(const CarpetaTemporal &dir, const std::string &nombre) {
  Escribir(dir.Archivo(nombre + ".dsk"), Generador::CasoProteccionPorNombre(nombre).bytes);
}

TEST(CliProteccion, InfoYFindDicenElVeredicto) {
  CarpetaTemporal dir;
  for (const char *c : {"rainbow-incompleto", "gastado"}) {
    Caso(dir, c);
  }
  const std::string rainbow = dir.Archivo("rainbow-incompleto.dsk");
  Resultado r = EjecutarCli({"info", rainbow});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find("Protección anticopia: Rainbow Arts (confirmada), volcado incompleto\n"
                          "  pista 40, cara 0: 9 sectores, el 2.º guardado de ID &C6 con error de "
                          "CRC en los datos\n"
                          "  pista 40, cara 0, sector &C6: N=2, error de CRC en los datos\n"),
            std::string::npos)
      << r.salida;
  EXPECT_NE(r.salida.find("  volcado incompleto: pista 40, cara 0, sector &C6: el sector débil se "
                          "guardó con una sola copia"),
            std::string::npos)
      << r.salida;

  const json info = json::parse(EjecutarCli({"info", "--json", rainbow}).salida);
  const json &p = info["imagenes"][0]["proteccion"];
  EXPECT_EQ(p["probable"], true);
  EXPECT_EQ(p["veredicto"], "esquema");
  EXPECT_EQ(p["esquema"], "Rainbow Arts");
  EXPECT_EQ(p["certeza"], "confirmada");
  EXPECT_EQ(p["incompleta"], true);
  ASSERT_EQ(p["esquemas"].size(), 1U);
  EXPECT_EQ(p["esquemas"][0]["faltas"][0]["sector"], 0xC6);
  EXPECT_EQ(p["esquemas"][0]["completable"], true);
  EXPECT_EQ(p["esquemas"][0]["pruebas"][0]["sector"], nullptr);
  EXPECT_EQ(p["sectores_error_fdc"], 1);

  // Worn media is no protection: `probable` is false, and the tracks are told.
  const json gastado =
      json::parse(EjecutarCli({"info", "--json", dir.Archivo("gastado.dsk")}).salida);
  const json &g = gastado["imagenes"][0]["proteccion"];
  EXPECT_EQ(g["probable"], false);
  EXPECT_EQ(g["veredicto"], "desgaste");
  EXPECT_EQ(g["esquema"], nullptr);
  EXPECT_EQ(g["pistas"].size(), 2U);

  // Each match of find carries its image's verdict in short.
  r = EjecutarCli({"find", "--json", "DISC.BIN", dir.Ruta().string()});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  const json f = json::parse(r.salida);
  ASSERT_EQ(f["coincidencias"].size(), 2U) << r.salida;
  EXPECT_EQ(f["coincidencias"][0]["proteccion"]["veredicto"], "desgaste");
  EXPECT_EQ(f["coincidencias"][1]["proteccion"],
            (json{{"probable", true},
                  {"veredicto", "esquema"},
                  {"texto", "Rainbow Arts (confirmada), volcado incompleto"},
                  {"esquema", "Rainbow Arts"},
                  {"certeza", "confirmada"},
                  {"incompleta", true}}));
}

} // namespace
