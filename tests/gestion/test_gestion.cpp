// What the window's disk manager decides, over disks made by the generator.
#include "Comun.h"
#include "Dobles.h"
#include "Generador.h"
#include "ProgramaBasic.h"
#include "ZipDePrueba.h"
#include "gestion/Acciones.h"
#include "gestion/Contenido.h"
#include "gestion/Entrada.h"
#include "gestion/Propiedades.h"
#include "gestion/Zips.h"
#include "ver/Basic.h"
#include "ver/Protegido.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace {

using Generador::ArchivoCpm;

std::vector<std::uint8_t> ConCabecera(std::string_view nombre11, std::uint8_t tipo,
                                      std::uint16_t carga, std::vector<std::uint8_t> cuerpo) {
  std::vector<std::uint8_t> b = Generador::CabeceraAmsdos(
      nombre11, tipo, carga, carga, static_cast<std::uint32_t>(cuerpo.size()));
  b.insert(b.end(), cuerpo.begin(), cuerpo.end());
  return b;
}

std::vector<std::uint8_t> Texto(const std::string &s) { return {s.begin(), s.end()}; }

// A DATA disk and its catalogue's entries, as the rows take them.
struct Disco {
  std::vector<std::uint8_t> bytes;
  cpm::Disco disco;
  explicit Disco(const std::vector<ArchivoCpm> &archivos) {
    Generador::DiscoCpm d(Generador::GeometriaData());
    for (const ArchivoCpm &a : archivos)
      d.Agregar(a);
    bytes = d.Bytes();
    disco = cpm::LeerDisco(bytes);
  }
  [[nodiscard]] Gestion::EntradaCruda Entrada(int ranura) const {
    const std::vector<std::uint8_t> entradas =
        cpm::LeerEntradasCatalogo(disco.contenedor, *disco.formato);
    Gestion::EntradaCruda e{};
    std::copy_n(entradas.begin() + ranura * 32, 32, e.begin());
    return e;
  }
};

const std::vector<ArchivoCpm> &Archivos() {
  static const std::vector<ArchivoCpm> archivos{
      {0,
       "LOADER",
       "BAS",
       false,
       false,
       false,
       ConCabecera("LOADER  BAS", 0, 0x170, BytesProgramaCompleto()),
       {},
       0},
      {3,
       "CODE",
       "BIN",
       true,
       true,
       false,
       ConCabecera("CODE    BIN", 2, 0x4000, Generador::ContenidoPrueba(3000, 7)),
       {},
       0},
      {0, "LEEME", "TXT", false, false, true, Texto("HOLA\r\nMUNDO\r\n\x1A\x1A\x1A"), {}, 0},
      {0, "CODE", "BIN", false, false, false, Generador::ContenidoPrueba(200, 9), {}, 0},
  };
  return archivos;
}

TEST(EntradaDeFila, EachRowFindsTheFileOfItsUserNameAndExtensionOrNone) {
  const Disco d(Archivos());
  struct Caso {
    const char *nombre;
    Gestion::EntradaCruda entrada;
    int usuario; // of the file found; -1: none
    const char *archivo;
  };
  Gestion::EntradaCruda atributos = d.Entrada(1); // 3:CODE.BIN, R/O and SYS bits set
  Gestion::EntradaCruda otroUsuario = d.Entrada(1);
  otroUsuario[0] = 5;
  Gestion::EntradaCruda basura{};
  basura.fill(0x41);
  basura[0] = 0;
  const std::vector<Caso> casos{
      {"first slot", d.Entrada(0), 0, "LOADER.BAS"},
      {"attribute bits do not count", atributos, 3, "CODE.BIN"},
      {"same name, user 0", d.Entrada(3), 0, "CODE.BIN"},
      {"a user with no such file", otroUsuario, -1, ""},
      {"garbage", basura, -1, ""},
  };
  EXPECT_NE(atributos[9] & 0x80, 0) << "the R/O bit is set in the entry";
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    const cpm::Archivo *a = Gestion::ArchivoDeEntrada(d.disco, c.entrada);
    if (c.usuario < 0) {
      EXPECT_EQ(a, nullptr);
      continue;
    }
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->usuario, c.usuario);
    EXPECT_EQ(a->NombreCompleto(), c.archivo);
  }
  EXPECT_EQ(Gestion::TextoEntrada(atributos), "CODE.BIN");
}

TEST(Contenido, CadaArchivoSeMuestraComoLoQueEs) {
  const Disco d(Archivos());
  struct Caso {
    int ranura;
    Ver::Vista vista;
    std::string empieza; // the text starts so
    std::string nota;
  };
  const std::vector<Caso> casos{
      {0, Ver::Vista::Basic, ProgramaCompleto().Listado().substr(0, 20), ""},
      {1, Ver::Vista::Z80, "4000  ", ""}, // disassembled from its load address
      {2, Ver::Vista::Texto, "HOLA\nMUNDO\n", ""},
      {3, Ver::Vista::Hex, "0000  ", ""},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.ranura);
    const cpm::Archivo *a = Gestion::ArchivoDeEntrada(d.disco, d.Entrada(c.ranura));
    ASSERT_NE(a, nullptr);
    const Gestion::Contenido contenido = Gestion::ContenidoArchivo(d.disco, *a);
    EXPECT_EQ(contenido.vista, c.vista);
    EXPECT_EQ(contenido.texto.substr(0, c.empieza.size()), c.empieza);
    EXPECT_EQ(contenido.nota, c.nota);
  }
  // Text ends at its ^Z; the BASIC program can still be seen as a dump.
  const cpm::Archivo *texto = Gestion::ArchivoDeEntrada(d.disco, d.Entrada(2));
  EXPECT_EQ(Gestion::ContenidoArchivo(d.disco, *texto).texto, "HOLA\nMUNDO\n");
  const cpm::Archivo *basic = Gestion::ArchivoDeEntrada(d.disco, d.Entrada(0));
  EXPECT_EQ(Gestion::ContenidoArchivo(d.disco, *basic, Ver::Vista::Hex).texto.substr(0, 6),
            "0170  ");
  EXPECT_EQ(Gestion::VistasPosibles(Ver::Vista::Basic),
            (std::vector<Ver::Vista>{Ver::Vista::Basic, Ver::Vista::Texto, Ver::Vista::Hex}));
  EXPECT_EQ(Gestion::VistasPosibles(Ver::Vista::Hex),
            (std::vector<Ver::Vista>{Ver::Vista::Hex, Ver::Vista::Texto}));
}

TEST(Contenido, UnProgramaProtegidoSeListaYUnoDanadoDiceDondeParo) {
  std::vector<std::uint8_t> roto = BytesProgramaCompleto();
  roto.resize(roto.size() - 2);
  roto[0] = 0xFF; // the first line claims more bytes than there are
  const Disco d(
      {{0,
        "SECRETO",
        "BAS",
        false,
        false,
        false,
        ConCabecera("SECRETO BAS", 1, 0x170, Ver::ProtegerBasic(BytesProgramaCompleto())),
        {},
        0},
       {0, "ROTO", "BAS", false, false, false, ConCabecera("ROTO    BAS", 0, 0x170, roto), {}, 0}});
  const Gestion::Contenido protegido =
      Gestion::ContenidoArchivo(d.disco, *Gestion::ArchivoDeEntrada(d.disco, d.Entrada(0)));
  EXPECT_EQ(protegido.vista, Ver::Vista::BasicProtegido);
  EXPECT_EQ(protegido.nota, "");
  const std::string listado = ProgramaCompleto().Listado();
  EXPECT_EQ(protegido.texto,
            Gestion::TextoVisible(
                {reinterpret_cast<const std::uint8_t *>(listado.data()), listado.size()}));
  const Gestion::Contenido danado =
      Gestion::ContenidoArchivo(d.disco, *Gestion::ArchivoDeEntrada(d.disco, d.Entrada(1)));
  EXPECT_EQ(danado.vista, Ver::Vista::Basic);
  EXPECT_EQ(danado.nota.rfind("listado interrumpido: ", 0), 0u) << danado.nota;
}

TEST(Contenido, AnUnknownRowShowsWhyAndTheHexOfItsEntry) {
  Gestion::EntradaCruda e{};
  e.fill(0x20);
  e[0] = 0;
  e[1] = 'X';
  const Gestion::Contenido c = Gestion::ContenidoDesconocido(e, 5, "no está");
  EXPECT_EQ(c.titulo, "X");
  EXPECT_NE(c.texto.find("no está"), std::string::npos);
  EXPECT_NE(c.texto.find("Entrada 5 del catálogo"), std::string::npos) << c.texto;
  EXPECT_NE(c.texto.find("0000  00 58 20 20"), std::string::npos) << c.texto;
}

TEST(Contenido, TextForAWindowHasOneLineEndAndNoControlBytes) {
  const std::vector<std::uint8_t> bytes{'A',  '\r', '\n', 'B',  '\r', 'C',
                                        '\n', '\t', 0x07, 0x7F, 0x9F, 0xE9};
  EXPECT_EQ(Gestion::TextoVisible(bytes), "A\nB\nC\n\t...\xC3\xA9");
}

TEST(Propiedades, TellTypeAddressesLengthUserAttributesAndBlocks) {
  const Disco d(Archivos());
  const cpm::Archivo *code = Gestion::ArchivoDeEntrada(d.disco, d.Entrada(1));
  ASSERT_NE(code, nullptr);
  const std::string texto = Gestion::TextoPropiedades(d.disco, *code);
  for (const char *linea : {"Archivo:      CODE.BIN\n", "Usuario:      3\n",
                            "Tipo AMSDOS:  binario (&02)\n", "Carga:        &4000\n",
                            "Ejecución:    &4000\n", "Longitud:     3000 bytes (sin la cabecera)\n",
                            "Atributos:    solo lectura, oculto (de sistema)\n",
                            "Entradas:     1 entrada del catálogo\n"}) {
    EXPECT_NE(texto.find(linea), std::string::npos) << linea << "\nin:\n" << texto;
  }
  // 3128 bytes in 1 KB blocks: four of them, listed.
  EXPECT_NE(texto.find("Bloques:      4 bloques de 1024 bytes: "), std::string::npos) << texto;
  const cpm::Archivo *leeme = Gestion::ArchivoDeEntrada(d.disco, d.Entrada(2));
  const std::string sin = Gestion::TextoPropiedades(d.disco, *leeme);
  EXPECT_NE(sin.find("Tipo AMSDOS:  sin cabecera\n"), std::string::npos) << sin;
  EXPECT_NE(sin.find("Atributos:    archivado\n"), std::string::npos) << sin;
  EXPECT_EQ(sin.find("Carga:"), std::string::npos);
}

struct CasoPropiedades {
  const char *nombre;
  int ranura; // the row's catalogue slot
  std::function<std::optional<Gestion::Dialogos::Cabecera>(Gestion::Dialogos::Cabecera)> respuesta;
  bool cambia;
  const char *aviso; // the start of what the user is told; "" for nothing
  // The file's header afterwards: type byte, load, entry, length; none when it has none.
  std::optional<std::array<std::uint32_t, 4>> cabecera;
};

class PropiedadesEditadas : public testing::TestWithParam<CasoPropiedades> {};

TEST_P(PropiedadesEditadas, CambianLaCabeceraONada) {
  const CasoPropiedades &c = GetParam();
  const Disco d(Archivos());
  CarpetaTemporal carpeta;
  const std::string ruta = carpeta.Archivo("a.dsk");
  Escribir(ruta, d.bytes);
  Guion dialogos;
  dialogos.cabecera = c.respuesta;
  Gestion::Acciones acciones(dialogos);
  const Gestion::Panel panel{ruta, carpeta.Archivo(""), {{0, d.Entrada(c.ranura)}}};
  EXPECT_EQ(acciones.Propiedades(panel), c.cambia);
  ASSERT_TRUE(dialogos.cabeceraEditable.has_value());
  EXPECT_EQ(dialogos.tiposOfrecidos,
            (std::vector<std::string>{"BASIC", "BASIC protegido", "binario"}));
  EXPECT_NE(dialogos.mostrado.find("Archivo:"), std::string::npos);
  if (*c.aviso == '\0') {
    EXPECT_TRUE(dialogos.avisos.empty()) << dialogos.avisos.front();
  } else {
    ASSERT_EQ(dialogos.avisos.size(), 1U);
    EXPECT_EQ(dialogos.avisos[0].rfind(c.aviso, 0), 0U) << dialogos.avisos[0];
  }
  if (!c.cambia) {
    EXPECT_EQ(Leer(ruta), d.bytes);
  }
  const std::vector<std::uint8_t> bytes = Leer(ruta); // the reading points into them
  const cpm::Disco despues = cpm::LeerDisco(bytes);
  const cpm::Archivo *a = Gestion::ArchivoDeEntrada(despues, d.Entrada(c.ranura));
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->cabecera.has_value(), c.cabecera.has_value());
  if (c.cabecera) {
    EXPECT_EQ((std::array<std::uint32_t, 4>{a->cabecera->tipoCrudo, a->cabecera->carga,
                                            a->cabecera->entrada, a->cabecera->longitud}),
              *c.cabecera);
  }
}

using Cabecera = Gestion::Dialogos::Cabecera;
// The user's answers: each changes what was offered.
std::function<std::optional<Cabecera>(Cabecera)> Con(std::function<void(Cabecera &)> cambio) {
  return [cambio](Cabecera c) -> std::optional<Cabecera> {
    cambio(c);
    return c;
  };
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PropiedadesEditadas,
    testing::Values(
        // 3:CODE.BIN: binary at &4000, 3000 bytes; 0:CODE.BIN: 200 bytes, no header.
        CasoPropiedades{"CambiaLaCarga", 1, Con([](Cabecera &c) { c.carga = "&4100"; }), true, "",
                        std::array<std::uint32_t, 4>{2, 0x4100, 0x4000, 3000}},
        CasoPropiedades{"TipoPorSuByte", 1, Con([](Cabecera &c) {
                          c.tipo = "&06";
                          c.entrada = "#4010";
                        }),
                        true, "", std::array<std::uint32_t, 4>{6, 0x4000, 0x4010, 3000}},
        CasoPropiedades{"SinCambios", 1, Con([](Cabecera &) {}), false, "",
                        std::array<std::uint32_t, 4>{2, 0x4000, 0x4000, 3000}},
        CasoPropiedades{"Cancelada", 1, [](Cabecera) { return std::optional<Cabecera>(); }, false,
                        "", std::array<std::uint32_t, 4>{2, 0x4000, 0x4000, 3000}},
        CasoPropiedades{"CargaQueNoVale", 1, Con([](Cabecera &c) { c.carga = "&12345"; }), false,
                        "No se ha cambiado la cabecera.\nCarga: \"&12345\" no vale (de &0000 a "
                        "&FFFF).",
                        std::array<std::uint32_t, 4>{2, 0x4000, 0x4000, 3000}},
        CasoPropiedades{"LongitudQueNoCabe", 1, Con([](Cabecera &c) { c.longitud = "3100"; }),
                        false, "No se ha cambiado la cabecera.\nLos registros de 3:CODE.BIN",
                        std::array<std::uint32_t, 4>{2, 0x4000, 0x4000, 3000}},
        CasoPropiedades{"QuitaLaCabecera", 1, Con([](Cabecera &c) { c.con = false; }), true, "",
                        std::nullopt},
        CasoPropiedades{"PoneUnaCabecera", 3, Con([](Cabecera &c) {
                          c.con = true;
                          c.tipo = "BASIC";
                          c.carga = "&0170";
                        }),
                        true, "", std::array<std::uint32_t, 4>{0, 0x170, 0x4000, 256}}),
    [](const testing::TestParamInfo<CasoPropiedades> &i) { return std::string(i.param.nombre); });

// Several files, or an image inside a zip: the properties are only shown.
TEST(Propiedades, VariosArchivosOUnZipSoloSeMuestran) {
  const Disco d(Archivos());
  CarpetaTemporal carpeta;
  const std::string ruta = carpeta.Archivo("a.dsk");
  Escribir(ruta, d.bytes);
  Guion dialogos;
  dialogos.cabecera = [](Cabecera c) { return std::optional<Cabecera>(c); };
  Gestion::Acciones acciones(dialogos);
  Gestion::Panel panel{ruta, carpeta.Archivo(""), {{0, d.Entrada(1)}, {1, d.Entrada(2)}}};
  EXPECT_FALSE(acciones.Propiedades(panel));
  EXPECT_FALSE(dialogos.cabeceraEditable.has_value());
  EXPECT_NE(dialogos.mostrado.find("CODE.BIN"), std::string::npos);
  EXPECT_NE(dialogos.mostrado.find("LEEME.TXT"), std::string::npos);
  Escribir(carpeta.Archivo("j.zip"),
           zip_prueba::CrearZip({zip_prueba::Guardado("a.dsk", d.bytes)}));
  panel = {carpeta.Archivo("j.zip/a.dsk"), carpeta.Archivo(""), {{0, d.Entrada(1)}}};
  dialogos.mostrado.clear();
  EXPECT_FALSE(acciones.Propiedades(panel));
  EXPECT_FALSE(dialogos.cabeceraEditable.has_value());
  EXPECT_NE(dialogos.mostrado.find("CODE.BIN"), std::string::npos);
}

// A read-only file is never deleted, nor a member of a zip written.
TEST(Acciones, AReadOnlyFileOrAnImageInsideAZipIsRefusedAndLeftAsItWas) {
  const Disco d(
      {{0, "FIJO", "BIN", true, false, false, Generador::ContenidoPrueba(300, 1), {}, 0}});
  CarpetaTemporal carpeta;
  const std::string ruta = carpeta.Archivo("a.dsk");
  Escribir(ruta, d.bytes);
  Guion dialogos;
  dialogos.confirmar = {true};
  Gestion::Acciones acciones(dialogos);
  Gestion::Panel panel{ruta, carpeta.Archivo(""), {{0, d.Entrada(0)}}};
  EXPECT_FALSE(acciones.Borrar(panel));
  ASSERT_EQ(dialogos.avisos.size(), 1u);
  EXPECT_EQ(dialogos.avisos[0], "No se ha borrado nada.\n0:FIJO.BIN es de solo lectura.");
  EXPECT_EQ(Leer(ruta), d.bytes);

  Escribir(carpeta.Archivo("juegos.zip"),
           zip_prueba::CrearZip({zip_prueba::Guardado("a.dsk", d.bytes),
                                 zip_prueba::Guardado("otro/b.DSK", d.bytes),
                                 zip_prueba::Guardado("leeme.txt", {1})}));
  Escribir(carpeta.Archivo(".oculto.zip"),
           zip_prueba::CrearZip({zip_prueba::Guardado("c.dsk", d.bytes)}));
  // The zips' images, named from the folder; hidden zips and other members stay out.
  EXPECT_EQ(Gestion::ImagenesEnZips(Utf8(carpeta.Ruta())),
            (std::vector<std::string>{"juegos.zip/a.dsk", "juegos.zip/otro/b.DSK"}));
  panel.imagen = carpeta.Archivo("juegos.zip/a.dsk");
  EXPECT_FALSE(acciones.CambiarAtributo(panel, Gestion::Atributo::SoloLectura, false));
  ASSERT_EQ(dialogos.avisos.size(), 2u);
  EXPECT_EQ(dialogos.avisos[1].rfind("No se han cambiado los atributos.\nLas imágenes dentro de "
                                     "un .zip o un .gz solo se leen",
                                     0),
            0u)
      << dialogos.avisos[1];
}

// Folders and zips are named in any language: on Windows the names go to the
// host as UTF-16, not through the local code page.
TEST(Zips, AFolderAndAZipOfAnyNameListTheirImages) {
  const Disco d(
      {{0, "UNO", "BIN", false, false, false, Generador::ContenidoPrueba(100, 1), {}, 0}});
  CarpetaTemporal carpeta;
  const std::string dentro = carpeta.Archivo("Colecci\xC3\xB3n \xE2\x82\xAC");
  std::filesystem::create_directory(RutaFs(dentro));
  Escribir(dentro + "/Juegos \xCE\xA9.zip",
           zip_prueba::CrearZip({zip_prueba::Guardado("a.dsk", d.bytes)}));
  EXPECT_EQ(Gestion::ImagenesEnZips(dentro), std::vector<std::string>{"Juegos \xCE\xA9.zip/a.dsk"});
}

} // namespace

namespace {

// "Poner archivos…" and drops follow put --tipo auto: a BASIC program typed
// as text going to a .BAS name is tokenised, any other text stays a text.
TEST(Acciones, PonerArchivosTokenizaUnBasicEscritoComoTexto) {
  const Disco d(Archivos());
  CarpetaTemporal carpeta;
  const std::string ruta = carpeta.Archivo("a.dsk");
  Escribir(ruta, d.bytes);
  const std::string programa = "20 GOTO 10\r\n10 PRINT \"HOLA\"\r\n";
  Escribir(carpeta.Archivo("menu.bas"), Texto(programa));
  Escribir(carpeta.Archivo("menu.txt"), Texto(programa));
  Guion dialogos;
  Gestion::Acciones acciones(dialogos);
  const Gestion::Panel panel{ruta, carpeta.Archivo(""), {}};
  ASSERT_TRUE(
      acciones.PonerArchivos(panel, {carpeta.Archivo("menu.bas"), carpeta.Archivo("menu.txt")}));
  EXPECT_TRUE(dialogos.avisos.empty());
  const std::vector<std::uint8_t> bytes = Leer(ruta); // the reading points into them
  const cpm::Disco despues = cpm::LeerDisco(bytes);
  const auto buscar = [&](const char *nombre) -> const cpm::Archivo * {
    for (const cpm::Archivo &a : despues.catalogo.archivos) {
      if (a.usuario == 0 && a.NombreCompleto() == nombre) {
        return &a;
      }
    }
    return nullptr;
  };
  const cpm::Archivo *bas = buscar("MENU.BAS");
  ASSERT_NE(bas, nullptr);
  ASSERT_TRUE(bas->cabecera.has_value());
  EXPECT_EQ(bas->cabecera->tipo, cpm::TipoAmsdos::Basic);
  EXPECT_EQ(Ver::ListarBasic(cpm::ExtraerArchivo(despues, *bas, cpm::ModoExtraccion::Archivo).bytes)
                .texto,
            "10 PRINT \"HOLA\"\n20 GOTO 10\n");
  const cpm::Archivo *txt = buscar("MENU.TXT");
  ASSERT_NE(txt, nullptr);
  EXPECT_FALSE(txt->cabecera.has_value());
}

} // namespace
