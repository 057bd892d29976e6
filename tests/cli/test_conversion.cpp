// convert, cmp and info --sumas run as processes: what they print, their exit
// codes, and the files they leave (a refusal leaves none).
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "platform/sumas/Sha256.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;
namespace fs = std::filesystem;

DiscoCpm Disco() {
  return DiscoConJuego().Agregar({0, "NOTES", "TXT", true, false, false, Patron(700, 2), {}, 0});
}

struct CasoConvert {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> imagen; // written as origen.dsk
  std::vector<std::string> args; // after "convert origen.dsk"; "@" is the folder
  int codigo;
  const char *salida;  // in standard output
  const char *errores; // in standard error
  const char *escrito; // the file left in the folder besides origen.dsk, or nullptr for none
};

class Convert : public testing::TestWithParam<CasoConvert> {};

TEST_P(Convert, SalidaCodigoYArchivos) {
  const CasoConvert &c = GetParam();
  CarpetaTemporal dir;
  const std::string origen = dir.Archivo("origen.dsk");
  Escribir(origen, c.imagen());
  std::vector<std::string> args{"convert", origen};
  for (const std::string &a : c.args) {
    args.push_back(a[0] == '@' ? dir.Archivo(a.substr(1)) : a);
  }
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, c.codigo) << r.errores;
  EXPECT_NE(r.salida.find(c.salida), std::string::npos) << r.salida;
  EXPECT_NE(r.errores.find(c.errores), std::string::npos) << r.errores;
  std::vector<std::string> otros;
  for (const auto &e : fs::directory_iterator(dir.Ruta())) {
    if (e.path().filename() != "origen.dsk") {
      otros.push_back(e.path().filename().string());
    }
  }
  EXPECT_EQ(otros, c.escrito == nullptr ? std::vector<std::string>{}
                                        : std::vector<std::string>{c.escrito});
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Convert,
    testing::Values(
        CasoConvert{"AHfePorLaExtension",
                    [] { return Disco().Bytes(); },
                    {"@x.hfe"},
                    0,
                    "(HFE v1, 1004544 bytes)\n",
                    "",
                    "x.hfe"},
        CasoConvert{"ExtendidaAEstandarPorLaExtension",
                    [] { return Disco().Bytes(); },
                    {"@x.dsk"},
                    0,
                    "(DSK estándar, ",
                    "",
                    "x.dsk"},
        CasoConvert{"ARawConSuFormato",
                    [] { return Disco().Bytes(); },
                    {"@x.img"},
                    0,
                    "(volcado crudo, 184320 bytes)",
                    "",
                    "x.img"},
        CasoConvert{"RechazoSinNadaEscrito",
                    [] { return Disco().Debil(2, 0, 0xC4, 3).Bytes(); },
                    {"@x.dsk", "--a", "estandar"},
                    1,
                    "",
                    "x.dsk: no se ha escrito: la imagen estandar no guardaría 1 detalle del "
                    "disco (--force la escribe igualmente):\n  pista 2, cara 0, sector &C4: 3 "
                    "copias en el origen, 1 en la imagen nueva; 1536 bytes guardados en el "
                    "origen, 512 en la imagen nueva; sin ello, la protección desconocida de "
                    "esta pista quizá deje de funcionar\n",
                    nullptr},
        CasoConvert{
            "ForzadaDiceLoQuePierde",
            [] { return Disco().Debil(2, 0, 0xC4, 3).Bytes(); },
            {"@x.hfe", "--force"},
            0,
            "(HFE v1,",
            "escrita sin 1 detalle del disco (--force):\n  pista 2, cara 0, sector &C4: 3 copias",
            "x.hfe"},
        CasoConvert{"ExtensionDesconocida",
                    [] { return Disco().Bytes(); },
                    {"@x.bin"},
                    2,
                    "",
                    "dígalo con --a",
                    nullptr},
        CasoConvert{"TipoDesconocido",
                    [] { return Disco().Bytes(); },
                    {"@x.dsk", "--a", "scp"},
                    2,
                    "",
                    "valor no válido para --a",
                    nullptr},
        CasoConvert{"CrudoSinFormato",
                    [] { return std::vector<std::uint8_t>(184320, 0xE5); },
                    {"@x.dsk"},
                    1,
                    "",
                    "un volcado crudo necesita --formato",
                    nullptr},
        CasoConvert{"CrudoConFormato",
                    [] { return std::vector<std::uint8_t>(184320, 0xE5); },
                    {"@x.dsk", "--formato", "system"},
                    0,
                    "(DSK estándar, 194816 bytes)",
                    "",
                    "x.dsk"},
        // A dump of more tracks than any drive steps to is refused with its own count.
        CasoConvert{"CrudoDeDemasiadasPistas",
                    [] { return std::vector<std::uint8_t>(300 * 9 * 512, 0xE5); },
                    {"@x.dsk", "--formato", "data"},
                    1,
                    "",
                    "el formato data admite de 40 a 85 pistas, no 300",
                    nullptr},
        // A weak sector dumped once gets its second copy; the layout is the extended one.
        CasoConvert{"CompletaUnVolcado",
                    [] { return Generador::CasoProteccionPorNombre("speedlock-incompleto").bytes; },
                    {"@c.dsk", "--completar"},
                    0,
                    "completado: pista 0, cara 0, sector &C8: una segunda copia de 512 bytes, con "
                    "los bytes 336..367 invertidos\n",
                    "",
                    "c.dsk"},
        CasoConvert{"CompletarSinNadaQueCompletar",
                    [] { return Generador::CasoProteccionPorNombre("intercalado").bytes; },
                    {"@c.dsk", "--completar"},
                    1,
                    "",
                    "no hay nada que completar: ningún esquema de protección conocido dice que a "
                    "este volcado le falte algo\n",
                    nullptr},
        CasoConvert{"HfeDiceQueProteccionFallara",
                    [] { return Generador::CasoProteccionPorNombre("speedlock").bytes; },
                    {"@s.hfe"},
                    1,
                    "",
                    "1 en la imagen nueva; 1536 bytes guardados en el origen, 512 en la imagen "
                    "nueva; sin ello, la protección Speedlock (confirmada) dejará de funcionar\n",
                    nullptr},
        // A source cut short converts only with --force, and says what it lacks.
        CasoConvert{"OrigenCortado",
                    [] {
                      auto b = Disco().Bytes();
                      b.resize(30000);
                      return b;
                    },
                    {"@x.dsk", "--a", "extendido"},
                    1,
                    "",
                    "pista 6, cara 0: el archivo no la tiene entera; lo que falta no pasa a la "
                    "imagen nueva",
                    nullptr},
        CasoConvert{"NoEsUnaImagen",
                    [] { return Bytes("hola"); },
                    {"@x.hfe"},
                    1,
                    "",
                    "no es una imagen DSK, HFE, SCP ni KryoFlux",
                    nullptr}),
    [](const testing::TestParamInfo<CasoConvert> &i) { return std::string(i.param.nombre); });

// An existing DESTINO is kept unless --reemplazar; the source may be replaced by its own
// conversion.
TEST(ConvertArchivos, DestinoExistente) {
  CarpetaTemporal dir;
  const std::string origen = dir.Archivo("o.dsk"), destino = dir.Archivo("d.hfe");
  Escribir(origen, Disco().Bytes());
  Escribir(destino, Bytes("mio"));
  Resultado r = EjecutarCli({"convert", origen, destino});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("ya existe; se deja como está (--reemplazar la reemplaza)"),
            std::string::npos);
  EXPECT_EQ(Leer(destino), Bytes("mio"));
  r = EjecutarCli({"convert", origen, destino, "--reemplazar"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  const std::vector<std::uint8_t> escrito = Leer(destino);
  ASSERT_GE(escrito.size(), 8U);
  EXPECT_EQ(std::string(escrito.begin(), escrito.begin() + 8), "HXCPICFE");
}

// DSK -> HFE -> DSK -> standard: the same files and the same sectors all the way.
TEST(Cmp, LaVueltaEsElMismoDisco) {
  CarpetaTemporal dir;
  const std::string a = dir.Archivo("a.dsk"), h = dir.Archivo("a.hfe"), b = dir.Archivo("b.dsk"),
                    s = dir.Archivo("s.dsk");
  Escribir(a, Disco().Estado(3, 0, 0xC2, 0x20, 0x20).Estado(4, 0, 0xC7, 0, 0x40).Bytes());
  ASSERT_EQ(EjecutarCli({"convert", a, h}).codigo, 0);
  ASSERT_EQ(EjecutarCli({"convert", h, b}).codigo, 0);
  ASSERT_EQ(EjecutarCli({"convert", b, s}).codigo, 0);
  for (const std::string &otra : {h, b, s}) {
    for (const char *nivel : {"", "--sectores"}) {
      std::vector<std::string> args{"cmp", a, otra};
      if (*nivel != 0) {
        args.push_back(nivel);
      }
      const Resultado r = EjecutarCli(args);
      EXPECT_EQ(r.codigo, 0) << otra << " " << nivel << "\n" << r.salida << r.errores;
      EXPECT_EQ(r.salida, "");
    }
  }
}

struct CasoCmp {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> otra; // compared with Disco()
  bool sectores;
  int codigo;
  const char *salida;
};

class CmpCasos : public testing::TestWithParam<CasoCmp> {};

TEST_P(CmpCasos, DiferenciasYCodigo) {
  const CasoCmp &c = GetParam();
  CarpetaTemporal dir;
  const std::string a = dir.Archivo("a.dsk"), b = dir.Archivo("b.dsk");
  Escribir(a, Disco().Bytes());
  Escribir(b, c.otra());
  std::vector<std::string> args{"cmp", a, b};
  if (c.sectores) {
    args.push_back("--sectores");
  }
  Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, c.codigo) << r.errores;
  // Paths as given, then cut down to their names for the expectation.
  for (const auto &[ruta, nombre] : {std::pair{a, "a.dsk"}, {b, "b.dsk"}}) {
    for (auto i = r.salida.find(ruta); i != std::string::npos; i = r.salida.find(ruta)) {
      r.salida.replace(i, ruta.size(), nombre);
    }
  }
  EXPECT_EQ(r.salida, c.salida) << r.errores;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, CmpCasos,
    testing::Values(
        CasoCmp{"Iguales", [] { return Disco().Bytes(); }, false, 0, ""},
        CasoCmp{"UnArchivoDeMas",
                [] {
                  return Disco()
                      .Agregar({1, "MAS", "BAS", false, false, false, Patron(10, 3), {}, 0})
                      .Bytes();
                },
                false, 1, "1:MAS.BAS: solo en b.dsk\n1 diferencia\n"},
        CasoCmp{"AtributoYCabecera",
                [] {
                  return DiscoConJuego(0x4001)
                      .Agregar({0, "NOTES", "TXT", false, false, false, Patron(700, 2), {}, 0})
                      .Bytes();
                },
                false, 1,
                "GAME.BIN: distintos desde el byte 21 (en la cabecera AMSDOS)\nNOTES.TXT: R/O en "
                "a.dsk, ningún atributo en b.dsk\n2 diferencias\n"},
        CasoCmp{"MismosArchivosOtrosSectores",
                [] { return Disco().Estado(20, 0, 0xC1, 0x80, 0).Bytes(); }, false, 0, ""},
        CasoCmp{"OtrosSectores", [] { return Disco().Estado(20, 0, 0xC1, 0x80, 0).Bytes(); }, true,
                1,
                "pista 20, cara 0, sector &C1: ST1=&00 ST2=&00 en a.dsk, ST1=&80 ST2=&00 en "
                "b.dsk\n1 diferencia\n"},
        CasoCmp{"NoEsImagen", [] { return Bytes("nada"); }, false, 2, ""}),
    [](const testing::TestParamInfo<CasoCmp> &i) { return std::string(i.param.nombre); });

TEST(CmpUso, FaltaUnaImagen) {
  const Resultado r = EjecutarCli({"cmp", "a.dsk"});
  EXPECT_EQ(r.codigo, 2);
  EXPECT_NE(r.errores.find("falta IMAGEN2"), std::string::npos) << r.errores;
}

std::string Sha(const std::vector<std::uint8_t> &b) {
  return Plataforma::TextoHex(Plataforma::CalcularSha256(b));
}

// A file's sum is that of what get writes; an extended image and its standard
// conversion have the same disk sum; JSON says the same.
TEST(InfoSumas, ArchivosYDisco) {
  CarpetaTemporal dir;
  const std::string a = dir.Archivo("a.dsk"), s = dir.Archivo("s.dsk");
  Escribir(a, Disco().Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4}).Bytes());
  ASSERT_EQ(EjecutarCli({"convert", a, s}).codigo, 0);
  const Resultado r = EjecutarCli({"info", "--sumas", a});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find("SHA-256 de los archivos:\n  " + Sha(Patron(5000, 1)) + "  GAME.BIN\n  " +
                          Sha(HastaRegistro(Patron(700, 2))) + "  NOTES.TXT\n"),
            std::string::npos)
      << r.salida;
  const auto linea = [](const std::string &texto) {
    const auto i = texto.find("SHA-256 de los datos del disco: ");
    return i == std::string::npos ? std::string() : texto.substr(i, texto.find('\n', i) - i);
  };
  EXPECT_FALSE(linea(r.salida).empty());
  EXPECT_EQ(linea(EjecutarCli({"info", "--sumas", s}).salida), linea(r.salida));
  const Resultado j = EjecutarCli({"info", "--sumas", "--json", a});
  ASSERT_EQ(j.codigo, 0);
  const nlohmann::json sumas = nlohmann::json::parse(j.salida)["imagenes"][0]["sumas"];
  EXPECT_EQ("SHA-256 de los datos del disco: " + sumas["disco"].get<std::string>(),
            linea(r.salida));
  EXPECT_EQ(sumas["archivos"][0]["sha256"], Sha(Patron(5000, 1)));
  EXPECT_EQ(sumas["archivos"][1]["nombre"], "NOTES");
}

} // namespace
