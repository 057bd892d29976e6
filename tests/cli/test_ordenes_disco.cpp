// check, sector and track run as processes on generated images: what they
// print, their exit codes, and the image they leave (a refusal leaves it as
// it was; an edit leaves exactly the change cmp --sectores then shows).
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>

namespace {

using Generador::Disposicion;

// The damaged disks by name, and a sound one ("sano").
std::vector<std::uint8_t> Imagen(const std::string &nombre) {
  if (nombre == "sano" || nombre == "sano-ext") {
    Generador::DiscoCpm d(Generador::GeometriaData(),
                          nombre == "sano" ? Disposicion::Estandar : Disposicion::Extendida);
    d.Agregar({0, "GAME", "BIN", false, false, false, Patron(20000, 3), {}, 0});
    return d.Bytes();
  }
  static const std::map<std::string, std::vector<std::uint8_t>> danados = [] {
    std::map<std::string, std::vector<std::uint8_t>> m;
    for (Generador::CasoDanado &c : Generador::CasosDanados()) {
      m.emplace(c.nombre, std::move(c.bytes));
    }
    return m;
  }();
  return danados.at(nombre);
}

// The output with the temporary folder's path taken out.
std::string SinCarpeta(std::string texto, const CarpetaTemporal &dir) {
  const std::string ruta = dir.Archivo("");
  for (auto i = texto.find(ruta); i != std::string::npos; i = texto.find(ruta)) {
    texto.erase(i, ruta.size());
  }
  return texto;
}

struct CasoCheck {
  const char *nombre;
  std::vector<std::string> imagenes; // each written as NOMBRE.dsk and given in this order
  bool reparar;
  int codigo;
  const char *salida;  // the start of standard output
  const char *errores; // in standard error
  // Each image's size after, or -1 when it must be byte for byte as it was.
  std::vector<long> tamanos;
  int codigoDespues; // a second check without --reparar
};

class Check : public testing::TestWithParam<CasoCheck> {};

TEST_P(Check, SalidaCodigoEImagenes) {
  const CasoCheck &c = GetParam();
  CarpetaTemporal dir;
  std::vector<std::string> args{"check"};
  for (const std::string &n : c.imagenes) {
    Escribir(dir.Archivo(n + ".dsk"), Imagen(n));
    args.push_back(dir.Archivo(n + ".dsk"));
  }
  if (c.reparar) {
    args.emplace_back("--reparar");
  }
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, c.codigo) << r.errores;
  EXPECT_EQ(SinCarpeta(r.salida, dir).rfind(c.salida, 0), 0u) << r.salida;
  EXPECT_NE(SinCarpeta(r.errores, dir).find(c.errores), std::string::npos) << r.errores;
  for (std::size_t i = 0; i < c.imagenes.size(); ++i) {
    const std::vector<std::uint8_t> ahora = Leer(dir.Archivo(c.imagenes[i] + ".dsk"));
    if (c.tamanos[i] < 0) {
      EXPECT_EQ(ahora, Imagen(c.imagenes[i])) << c.imagenes[i];
    } else {
      EXPECT_EQ(static_cast<long>(ahora.size()), c.tamanos[i]) << c.imagenes[i];
      EXPECT_NE(ahora, Imagen(c.imagenes[i])) << c.imagenes[i];
    }
  }
  args.erase(std::remove(args.begin(), args.end(), "--reparar"), args.end());
  EXPECT_EQ(EjecutarCli(args).codigo, c.codigoDespues);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Check,
    testing::Values(
        CasoCheck{"Sano", {"sano"}, false, 0, "sano.dsk: sin problemas\n", "", {-1}, 0},
        CasoCheck{"HallazgosSinReparar",
                  {"registros-de-menos"},
                  false,
                  1,
                  "registros-de-menos.dsk: 2 problemas, 2 reparables (--reparar)\n"
                  "  entrada 0 del catálogo (0:GAME.BIN): El tramo 0 de GAME.BIN tiene 64 "
                  "registros de 128 y no es el último: el archivo tiene un hueco "
                  "[registros-de-menos]\n"
                  "    reparación: el tramo pasa a tener 128 registros, los de sus 16 bloques\n",
                  "",
                  {-1},
                  1},
        CasoCheck{"ReparadoQuedaLimpio",
                  {"registros-de-menos"},
                  true,
                  0,
                  "registros-de-menos.dsk: 2 problemas reparados\n"
                  "  reparado: entrada 0 del catálogo (0:GAME.BIN): El tramo 0 de GAME.BIN",
                  "",
                  {194816},
                  0},
        CasoCheck{"LaCabeceraDeUnaPistaDeMas",
                  {"tamano-pista-extendida"},
                  true,
                  0,
                  "tamano-pista-extendida.dsk: 44 problemas reparados\n",
                  "",
                  {194816},
                  0},
        CasoCheck{"SeQuitaLoQueSobraYSeDejaLoDemas",
                  {"mezcla"},
                  true,
                  1,
                  "mezcla.dsk: 1 problema reparado\n"
                  "  reparado: el byte 194816 de la imagen: Hay 512 bytes después de la última "
                  "pista [bytes-sobrantes]\n"
                  "    reparación: se quitan los 512 bytes\n"
                  "mezcla.dsk: queda 1 problema, no reparable\n"
                  "  entrada 0 del catálogo (0:GAME.BIN): El bloque 5 es de GAME.BIN y de "
                  "DATA.DAT [bloque-compartido]\n"
                  "    se deja: no se sabe de qué archivo es el bloque ni qué número debía ser\n",
                  "",
                  {194816},
                  1},
        // A repeated extent on a protected catalogue track is left, and said.
        CasoCheck{"UnaPistaProtegidaNoSeToca",
                  {"tramo-repetido-protegido"},
                  true,
                  1,
                  "tramo-repetido-protegido.dsk: 2 problemas, ninguno reparable\n",
                  "",
                  {-1},
                  1},
        CasoCheck{"LaPeorSalidaDeVarias",
                  {"sano", "sin-firma", "tramo-repetido"},
                  false,
                  2,
                  "sano.dsk: sin problemas\n"
                  "tramo-repetido.dsk: 1 problema, 1 reparable (--reparar)\n",
                  "alcove-cli: sin-firma.dsk: no es una imagen de disco CPCEMU",
                  {-1, -1, -1},
                  2}),
    [](const testing::TestParamInfo<CasoCheck> &i) { return std::string(i.param.nombre); });

TEST(Check, EnJsonCadaHallazgoDiceQueTocaYQueSeHizo) {
  CarpetaTemporal dir;
  const std::string ruta = dir.Archivo("mezcla.dsk");
  Escribir(ruta, Imagen("mezcla"));
  const Resultado r = EjecutarCli({"check", ruta, "--json", "--reparar"});
  EXPECT_EQ(r.codigo, 1) << r.errores;
  const nlohmann::json j = nlohmann::json::parse(r.salida);
  ASSERT_EQ(j["imagenes"].size(), 1u);
  const nlohmann::json &imagen = j["imagenes"][0];
  EXPECT_EQ(imagen["limpia"], false);
  ASSERT_EQ(imagen["hallazgos"].size(), 1u);
  EXPECT_EQ(imagen["hallazgos"][0]["tipo"], "bloque-compartido");
  EXPECT_EQ(imagen["hallazgos"][0]["nivel"], "catalogo");
  EXPECT_EQ(imagen["hallazgos"][0]["objeto"], "entrada 0 del catálogo (0:GAME.BIN)");
  EXPECT_EQ(imagen["hallazgos"][0]["arreglo"], "ninguno");
  ASSERT_EQ(imagen["reparados"].size(), 1u);
  EXPECT_EQ(imagen["reparados"][0]["tipo"], "bytes-sobrantes");
  EXPECT_EQ(imagen["reparados"][0]["nivel"], "contenedor");
  EXPECT_EQ(imagen["reparados"][0]["arreglo"], "sobrantes");
}

// Sector and track edits: the line said, the exit code, and what cmp
// --sectores then finds between the image before and after.
struct CasoEdicion {
  const char *nombre;
  const char *imagen;            // "sano" (standard) or "sano-ext"
  std::vector<std::string> args; // after the command's image; "@x" is the file x in the folder
  int codigo;
  const char *salida;  // standard output whole, the folder's path taken out
  const char *errores; // in standard error
  const char *cambios; // cmp --sectores between before and after, whole
};

class Edicion : public testing::TestWithParam<CasoEdicion> {};

TEST_P(Edicion, SoloCambiaLoPedido) {
  const CasoEdicion &c = GetParam();
  CarpetaTemporal dir;
  const std::string ruta = dir.Archivo("d.dsk"), antes = dir.Archivo("antes.dsk");
  Escribir(ruta, Imagen(c.imagen));
  Escribir(antes, Imagen(c.imagen));
  Escribir(dir.Archivo("datos.bin"), {0xAA, 0xBB});
  std::vector<std::string> args{c.args.front(), ruta};
  for (std::size_t i = 1; i < c.args.size(); ++i) {
    args.push_back(c.args[i][0] == '@' ? dir.Archivo(c.args[i].substr(1)) : c.args[i]);
  }
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, c.codigo) << r.errores;
  EXPECT_EQ(SinCarpeta(r.salida, dir), c.salida);
  EXPECT_NE(SinCarpeta(r.errores, dir).find(c.errores), std::string::npos) << r.errores;
  const Resultado cmp = EjecutarCli({"cmp", antes, ruta, "--sectores"});
  EXPECT_EQ(SinCarpeta(cmp.salida, dir), c.cambios);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Edicion,
    testing::Values(
        CasoEdicion{"DatosEnHex",
                    "sano",
                    {"sector", "5", "0", "&C3", "--hex", "01 02 03", "--desde", "10"},
                    0,
                    "d.dsk: pista 5, cara 0, sector &C3: 3 bytes escritos desde el 10\n",
                    "",
                    "pista 5, cara 0, sector &C3: distintos desde el byte 10\n1 diferencia\n"},
        CasoEdicion{"DatosDeUnArchivo",
                    "sano-ext",
                    {"sector", "&05", "0", "0xC9", "--datos", "@datos.bin"},
                    0,
                    "d.dsk: pista 5, cara 0, sector &C9: 2 bytes escritos desde el 0 (de "
                    "datos.bin)\n",
                    "",
                    "pista 5, cara 0, sector &C9: distintos desde el byte 0\n1 diferencia\n"},
        CasoEdicion{"EstadoYCodigo",
                    "sano",
                    {"sector", "5", "0", "&C3", "--st1", "&20", "--st2", "&40", "--n", "3"},
                    0,
                    "d.dsk: pista 5, cara 0, sector &C3: ST1=&20, ST2=&40, N=3\n",
                    "",
                    "pista 5, cara 0, sector &C3: ID C=5 H=0 R=&C3 N=2 en antes.dsk, C=5 H=0 "
                    "R=&C3 N=3 en d.dsk; ST1=&00 ST2=&00 en antes.dsk, ST1=&20 ST2=&40 en "
                    "d.dsk\n1 diferencia\n"},
        CasoEdicion{"CopiasEnExtendida",
                    "sano-ext",
                    {"sector", "5", "0", "&C3", "--copias", "2"},
                    0,
                    "d.dsk: pista 5, cara 0, sector &C3: 2 copias\n",
                    "",
                    "pista 5, cara 0, sector &C3: 1 copia en antes.dsk, 2 en d.dsk; 512 bytes "
                    "guardados en antes.dsk, 1024 en d.dsk\n1 diferencia\n"},
        CasoEdicion{"CopiasEnEstandarNo",
                    "sano",
                    {"sector", "5", "0", "&C3", "--copias", "2"},
                    1,
                    "",
                    "la disposición estándar no puede guardarlo: pista 5, cara 0, sector &C3: 2 "
                    "copias en lo pedido, 1 en lo que guarda la imagen",
                    ""},
        CasoEdicion{"SectorQueNoEsta",
                    "sano",
                    {"sector", "5", "0", "&41", "--hex", "00"},
                    1,
                    "",
                    "la pista 5, cara 0 no tiene ningún sector &41",
                    ""},
        CasoEdicion{"HexMalo",
                    "sano",
                    {"sector", "5", "0", "&C1", "--hex", "E5 0"},
                    2,
                    "",
                    "valor no válido para --hex: E5 0",
                    ""},
        CasoEdicion{
            "NadaQueCambiar", "sano", {"sector", "5", "0", "&C1"}, 2, "", "nada que cambiar", ""},
        CasoEdicion{"FormatoConOtrosIds",
                    "sano-ext",
                    {"track", "6", "0", "--formatear", "&41-&44", "--n", "3", "--gap", "&52",
                     "--relleno", "0"},
                    0,
                    "d.dsk: pista 6, cara 0 formateada: 4 sectores (41 42 43 44) de N=3, GAP &52, "
                    "relleno &00\n",
                    "",
                    "pista 6, cara 0: sectores C1 C2 C3 C4 C5 C6 C7 C8 C9 en antes.dsk, 41 42 43 "
                    "44 en d.dsk\n"
                    "pista 6, cara 0, sector &C1: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C2: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C3: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C4: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C5: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C6: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C7: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C8: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &C9: solo en antes.dsk\n"
                    "pista 6, cara 0, sector &41: solo en d.dsk\n"
                    "pista 6, cara 0, sector &42: solo en d.dsk\n"
                    "pista 6, cara 0, sector &43: solo en d.dsk\n"
                    "pista 6, cara 0, sector &44: solo en d.dsk\n"
                    "pista 6, cara 0: GAP &4E y relleno &E5 en antes.dsk, GAP &52 y relleno &00 "
                    "en d.dsk\n"
                    "15 diferencias\n"},
        CasoEdicion{"DiezSectoresEnEstandarNo",
                    "sano",
                    {"track", "6", "0", "--formatear", "1-10"},
                    1,
                    "",
                    "en la disposición estándar todas las pistas ocupan 4864 bytes, y esta "
                    "ocuparía 5376",
                    ""},
        CasoEdicion{"SinFormato",
                    "sano",
                    {"track", "7", "0", "--sin-formato"},
                    0,
                    "d.dsk: pista 7, cara 0 sin formato\n",
                    "",
                    "pista 7, cara 0: 9 sectores en antes.dsk, ninguno en d.dsk\n1 diferencia\n"}),
    [](const testing::TestParamInfo<CasoEdicion> &i) { return std::string(i.param.nombre); });

// A track exported and imported in another's place: its sectors, IDs and all;
// an existing file is not overwritten unasked, and what is not a track is refused.
TEST(Track, SeExportaYSeImporta) {
  CarpetaTemporal dir;
  const std::string ruta = dir.Archivo("d.dsk"), pista = dir.Archivo("p.trk");
  Escribir(ruta, Imagen("sano-ext"));
  Resultado r = EjecutarCli({"track", ruta, "0", "0", "--exportar", pista});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(SinCarpeta(r.salida, dir),
            "d.dsk: pista 0, cara 0 -> p.trk (9 sectores, 4864 bytes)\n");
  r = EjecutarCli({"track", ruta, "0", "0", "--exportar", pista});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("ya existe"), std::string::npos) << r.errores;
  r = EjecutarCli({"track", ruta, "8", "0", "--importar", pista});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(SinCarpeta(r.salida, dir), "d.dsk: pista 8, cara 0 tomada de p.trk (9 sectores)\n");
  // Only track 8 changed: its sectors are track 0's, with their IDs.
  const std::string antes = dir.Archivo("antes.dsk");
  Escribir(antes, Imagen("sano-ext"));
  r = EjecutarCli({"cmp", antes, ruta, "--sectores"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.salida.find("pista 8, cara 0, sector &C1: ID C=8 H=0 R=&C1 N=2 en"),
            std::string::npos)
      << r.salida;
  std::size_t lineas = 0;
  for (std::size_t i = 0; i < r.salida.size(); i = r.salida.find('\n', i) + 1) {
    lineas += r.salida.compare(i, 16, "pista 8, cara 0,") == 0 ? 1 : 0;
  }
  EXPECT_EQ(lineas, 9u) << r.salida;
  EXPECT_NE(r.salida.find("\n9 diferencias\n"), std::string::npos) << r.salida;
  Escribir(pista, std::vector<std::uint8_t>(300, 0));
  r = EjecutarCli({"track", ruta, "9", "0", "--importar", pista});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("no es una pista"), std::string::npos) << r.errores;
}

} // namespace
