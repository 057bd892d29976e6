// Every kind of image the table knows, and a .gz and a zip's member, opened
// by every reading command through the one door: one disk written as each
// kind, and each command's output compared with what it gives for the DSK
// image. A kind added to the table without an image here fails the walk. The
// write commands refuse the kinds that are only read, naming convert.
#include "Comun.h"
#include "Flujo.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ZipDePrueba.h"
#include "cpm/Escritura.h"
#include "cpm/Formatos.h"
#include "imagenes/Crudo.h"
#include "imagenes/Dsk.h"
#include "imagenes/Hfe.h"
#include "imagenes/Tipos.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;
namespace fs = std::filesystem;

DiscoCpm Disco(Disposicion disposicion) {
  DiscoCpm d(Generador::GeometriaData(), disposicion);
  d.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4})
      .Agregar({0,
                "GAME",
                "BIN",
                false,
                false,
                false,
                ConCabecera("GAME    BIN", 2, 0x4000, 0x4000, Patron(9000, 1)),
                {},
                0})
      .Agregar({1, "NOTES", "TXT", true, false, false, Patron(700, 2), {}, 0});
  return d;
}

imagenes::Superficie SuperficieDe(const std::vector<std::uint8_t> &dsk) {
  return imagenes::DesdeContenedor(imagenes::LeerContenedor(dsk));
}

// One revolution: every command reads the whole dump again, and the reading
// of several is tested on its own (tests/cpm/test_flujo.cpp).
Generador::OpcionesFlujo Flujo() {
  Generador::OpcionesFlujo o;
  o.vueltas = 1;
  o.deriva = 0.01;
  o.temblor = 100;
  return o;
}

// The same disk as a file of each kind, by the table's names.
const std::map<std::string, std::function<std::vector<std::uint8_t>()>> &Hacedores() {
  static const std::map<std::string, std::function<std::vector<std::uint8_t>()>> hacedores{
      {"extendido", [] { return Disco(Disposicion::Extendida).Bytes(); }},
      {"estandar", [] { return Disco(Disposicion::Estandar).Bytes(); }},
      {"hfe",
       [] { return imagenes::EscribirHfe(SuperficieDe(Disco(Disposicion::Extendida).Bytes())); }},
      {"raw",
       [] {
         return imagenes::EscribirCrudo(SuperficieDe(Disco(Disposicion::Extendida).Bytes()),
                                        cpm::GeometriaDe(*cpm::FormatoPorNombre("data")));
       }},
      // Flux as a drive wandering 1% in speed gives it, with jitter.
      {"scp", [] { return Generador::EscribirScp(Disco(Disposicion::Extendida), Flujo()); }},
      {"hfe3", [] { return Generador::EscribirHfeV3(Disco(Disposicion::Extendida), Flujo()); }},
  };
  return hacedores;
}

// The kinds whose image is a set of files, by the name of the file that opens it.
const std::map<std::string, std::function<Generador::Archivos()>> &Conjuntos() {
  static const std::map<std::string, std::function<Generador::Archivos()>> conjuntos{
      {"kryoflux",
       [] { return Generador::EscribirStreams(Disco(Disposicion::Extendida), Flujo()); }},
  };
  return conjuntos;
}

// One image to walk: its path and the options its reading needs.
struct Caso {
  std::string nombre;
  std::string ruta;
  std::vector<std::string> opciones; // "--formato data" for a raw dump
  const imagenes::Tipo *tipo;
};

class TiposDeImagen : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string dsk = dir.Archivo("base.dsk");

  void SetUp() override { Escribir(dsk, Disco(Disposicion::Extendida).Bytes()); }

  // Every kind of the table, then an HFE image inside a .gz and inside a zip.
  std::vector<Caso> Casos() {
    std::vector<Caso> casos;
    for (const imagenes::Tipo &t : imagenes::Tipos()) {
      const std::string nombre(t.nombre);
      std::string ruta = dir.Archivo("disco-" + nombre + "." + std::string(t.extensiones[0]));
      if (const auto hacer = Hacedores().find(nombre); hacer != Hacedores().end()) {
        Escribir(ruta, hacer->second());
      } else if (const auto conjunto = Conjuntos().find(nombre); conjunto != Conjuntos().end()) {
        // A set in a folder of its own, opened by its first file.
        fs::create_directory(RutaFs(dir.Archivo(nombre)));
        const Generador::Archivos archivos = conjunto->second();
        for (const auto &[archivo, bytes] : archivos) {
          Escribir(dir.Archivo(nombre + "/" + archivo), bytes);
        }
        // Named with the host's separator, as find names what it walks.
        ruta = Utf8(RutaFs(dir.Archivo(nombre)) / RutaFs(archivos.front().first));
      } else {
        ADD_FAILURE() << "ninguna imagen de prueba de tipo " << t.nombre;
        continue;
      }
      casos.push_back({std::string(t.nombre), ruta,
                       t.conGeometria ? std::vector<std::string>{"--formato", "data"}
                                      : std::vector<std::string>{},
                       &t});
    }
    const std::vector<std::uint8_t> hfe = Hacedores().at("hfe")();
    Escribir(dir.Archivo("comprimida.hfe.gz"), zip_prueba::Gzip(hfe));
    Escribir(dir.Archivo("coleccion.zip"),
             zip_prueba::CrearZip({zip_prueba::Comprimido("juegos/disco.HFE", hfe)}));
    casos.push_back({"gz", dir.Archivo("comprimida.hfe.gz"), {}, imagenes::TipoPorNombre("hfe")});
    casos.push_back({"zip",
                     dir.Archivo("coleccion.zip") + "/juegos/disco.HFE",
                     {},
                     imagenes::TipoPorNombre("hfe")});
    return casos;
  }
};

std::vector<std::string> Con(std::vector<std::string> args, const std::vector<std::string> &mas) {
  args.insert(args.end(), mas.begin(), mas.end());
  return args;
}

// From "Formato:" on, info says the same of every kind: format, tracks, sectors, problems.
std::string DesdeFormato(const std::string &info) {
  const auto i = info.find("Formato:");
  return i == std::string::npos ? info : info.substr(i);
}

std::map<std::string, std::vector<std::uint8_t>> Carpeta(const std::string &ruta) {
  std::map<std::string, std::vector<std::uint8_t>> archivos;
  for (const auto &e : fs::directory_iterator(RutaFs(ruta))) {
    archivos[Utf8(e.path().filename())] = Leer(Utf8(e.path()));
  }
  return archivos;
}

TEST_F(TiposDeImagen, CadaOrdenDeLecturaLeeCadaTipo) {
  const Resultado ls = EjecutarCli({"ls", "-l", dsk});
  const Resultado cat = EjecutarCli({"cat", dsk, "GAME.BIN"});
  const Resultado dump = EjecutarCli({"dump", dsk, "3", "0", "&C6"});
  const Resultado find = EjecutarCli({"find", "*", dsk});
  ASSERT_EQ(ls.codigo, 0) << ls.errores;
  ASSERT_EQ(EjecutarCli({"get", dsk, "*", "-o", dir.Archivo("base")}).codigo, 0);
  const auto sacados = Carpeta(dir.Archivo("base"));
  ASSERT_EQ(sacados.size(), 2U);
  for (const Caso &c : Casos()) {
    SCOPED_TRACE(c.nombre);
    const std::vector<std::string> &o = c.opciones;
    Resultado r = EjecutarCli(Con({"ls", "-l", c.ruta}, o));
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(r.salida, ls.salida);
    r = EjecutarCli(Con({"info", c.ruta}, o));
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_NE(r.salida.find("Disposición: " + std::string(c.tipo->disposicion) + "\n"),
              std::string::npos)
        << r.salida;
    // A raw dump's format is named: the DSK image read with the same name.
    EXPECT_EQ(DesdeFormato(r.salida), DesdeFormato(EjecutarCli(Con({"info", dsk}, o)).salida));
    r = EjecutarCli(Con({"cat", c.ruta, "GAME.BIN"}, o));
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(r.salida, cat.salida);
    r = EjecutarCli(Con({"dump", c.ruta, "3", "0", "&C6"}, o));
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(r.salida, dump.salida);
    const std::string destino = dir.Archivo("de-" + c.nombre);
    r = EjecutarCli(Con({"get", c.ruta, "*", "-o", destino}, o));
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(Carpeta(destino), sacados);
    for (const char *nivel : {"--archivos", "--sectores"}) {
      std::vector<std::string> args = Con({"cmp", dsk, c.ruta}, o);
      if (std::string(nivel) == "--sectores") {
        args.push_back(nivel);
      }
      r = EjecutarCli(args);
      EXPECT_EQ(r.codigo, 0) << nivel << ": " << r.salida << r.errores;
    }
    const std::string vuelta = dir.Archivo("vuelta-" + c.nombre + ".dsk");
    r = EjecutarCli(Con({"convert", c.ruta, vuelta}, o));
    EXPECT_EQ(r.codigo, 0) << r.errores;
    // Sector by sector the same disk; two DSK images compare their tracks'
    // GAP#3 and filler too, which a raw dump does not keep (it takes its
    // format's).
    r = EjecutarCli({"cmp", "--sectores", dsk, vuelta});
    if (c.tipo->conGeometria) {
      EXPECT_LE(r.codigo, 1) << r.errores;
      std::istringstream lineas(r.salida);
      for (std::string linea; std::getline(lineas, linea);) {
        EXPECT_TRUE(linea.find(": GAP &") != std::string::npos ||
                    linea.find("diferencia") != std::string::npos)
            << linea;
      }
    } else {
      EXPECT_EQ(r.codigo, 0) << r.salida;
    }
    // A raw dump tells nothing of its format: find, which reads any image
    // it meets, takes only kinds told by their bytes.
    if (!c.tipo->conGeometria) {
      r = EjecutarCli({"find", "*", c.ruta});
      EXPECT_EQ(r.codigo, 0) << r.errores;
      std::string esperado = find.salida;
      for (auto i = esperado.find(dsk); i != std::string::npos; i = esperado.find(dsk)) {
        esperado.replace(i, dsk.size(), c.ruta);
      }
      EXPECT_EQ(r.salida, esperado);
    }
  }
}

// find walks a folder for images of every kind told by its bytes, and the
// zips' members named so.
TEST_F(TiposDeImagen, FindRecorreTodosLosTipos) {
  const std::vector<Caso> casos = Casos();
  const Resultado r = EjecutarCli({"find", "NOTES.TXT", dir.Ruta().string()});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  for (const Caso &c : casos) {
    const bool hallada = r.salida.find(c.ruta + "\t1\tNOTES.TXT\t") != std::string::npos;
    EXPECT_EQ(hallada, !c.tipo->conGeometria || c.nombre == "gz" || c.nombre == "zip")
        << c.nombre << "\n"
        << r.salida;
  }
}

// The kinds that are only read are never written back: each write command
// refuses them, naming convert, and leaves the file as it was.
TEST_F(TiposDeImagen, LasOrdenesDeEscrituraRechazanLoQueSoloSeLee) {
  const std::string archivo = dir.Archivo("NUEVO.TXT");
  Escribir(archivo, Bytes("hola\n"));
  for (const Caso &c : Casos()) {
    if (c.tipo->enSitio || c.tipo->conGeometria || c.nombre == "gz" || c.nombre == "zip") {
      continue;
    }
    SCOPED_TRACE(c.nombre);
    const std::vector<std::uint8_t> antes = Leer(c.ruta);
    const std::vector<std::vector<std::string>> ordenes{{"put", c.ruta, archivo},
                                                        {"rm", c.ruta, "GAME.BIN"},
                                                        {"ren", c.ruta, "GAME.BIN", "JUEGO.BIN"},
                                                        {"attr", c.ruta, "GAME.BIN", "--ro"}};
    for (const auto &orden : ordenes) {
      const Resultado r = EjecutarCli(orden);
      EXPECT_EQ(r.codigo, 1) << orden[0];
      EXPECT_EQ(r.errores, "alcove-cli: " + c.ruta + ": las imágenes " +
                               std::string(c.tipo->descripcion) +
                               " solo se leen; conviértala en DSK con convert para cambiarla\n")
          << orden[0];
      EXPECT_EQ(Leer(c.ruta), antes) << orden[0];
    }
  }
}

} // namespace
