// The real alcove-cli run as a process on images written by our generator.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ProgramaBasic.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

namespace {

using Generador::Fichero;
using Generador::ImagenDsk;
using nlohmann::json;

std::string Formatear10(std::size_t n) {
  std::string s = std::to_string(n);
  return std::string(10 - std::min<std::size_t>(s.size(), 10), ' ') + s;
}

// One disk with what `ls`, `get` and `cat` must tell apart: AMSDOS files
// (BASIC, binary), a plain text, a read-only and a system file, a file of
// three extents, the same name under user 3, a deleted entry and catalogue art.
class Cli : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string imagen = dir.Archivo("disco.dsk");
  std::vector<std::uint8_t> basic =
      ConCabecera("DEMO    BAS", 0, 0x170, 0, BytesProgramaCompleto());
  std::vector<std::uint8_t> codigo = Patron(3000, 1);
  std::vector<std::uint8_t> binario = ConCabecera("CODE    BIN", 2, 0x4000, 0x4010, codigo);
  std::vector<std::uint8_t> texto = Bytes("10 PRINT\r\nHOLA\r\n\x1A");
  std::vector<std::uint8_t> grande = Patron(40 * 1024, 9);

  void SetUp() override {
    ImagenDsk img;
    img.AgregarFichero({0, "DEMO", "BAS", false, false, basic})
        .AgregarFichero({0, "CODE", "BIN", true, false, binario})
        .AgregarFichero({0, "NOTAS", "TXT", false, false, texto})
        .AgregarFichero({0, "OCULTO", "SYS", false, true, Patron(512, 2)})
        .AgregarFichero({0, "GRANDE", "DAT", false, false, grande})
        .AgregarFichero({3, "CODE", "BIN", false, false, Patron(256, 3)})
        .AgregarFichero({0xE5, "VIEJO", "TXT", false, false, Patron(128, 4)})
        .AgregarEntrada(Generador::CrearEntrada(0,
                                                std::string("\x1C\x1D\x1E\x1F\x1C\x1D\x1E\x1F"
                                                            "\x1C\x1D\x1E"),
                                                0));
    Escribir(imagen, img.Bytes());
  }
};

TEST_F(Cli, LsComoCat) {
  const Resultado r = EjecutarCli({"ls", imagen});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.errores, "");
  EXPECT_EQ(Lineas(r.salida),
            (std::vector<std::string>{
                " 0:CODE    .BIN    4K",
                " 3:CODE    .BIN    1K",
                " 0:DEMO    .BAS    1K",
                " 0:GRANDE  .DAT   40K",
                " 0:NOTAS   .TXT    1K",
                "5 archivos, 130K libres, 1 de sistema sin listar (-a), 1 entrada "
                "borrada, 1 entrada rara",
            }));
  const Resultado todos = EjecutarCli({"ls", "-a", "--borrados", imagen});
  EXPECT_NE(todos.salida.find(" 0:OCULTO  .SYS    1K\n"), std::string::npos) << todos.salida;
  EXPECT_NE(todos.salida.find("Archivos borrados:\nVIEJO   .TXT    1K\n"), std::string::npos)
      << todos.salida;
  EXPECT_NE(todos.salida.find("6 archivos, 130K libres, 1 entrada borrada, 1 entrada rara\n"),
            std::string::npos)
      << todos.salida;
}

// One size to trust: ls -l, find and get give a file the same byte count,
// beside the KB CAT counts.
TEST_F(Cli, LsLargo) {
  const Resultado r = EjecutarCli({"ls", "-l", imagen});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  const auto lineas = Lineas(r.salida);
  ASSERT_EQ(lineas.size(), 7U) << r.salida;
  EXPECT_EQ(lineas[0], "Usu Nombre       R/O SYS ARC Disco       Bytes  Tipo             Carga  "
                       " Entrada");
  EXPECT_EQ(lineas[1],
            "  0 CODE    .BIN sí  -  -      4K       3000  binario          &4000   &4010");
  EXPECT_EQ(lineas[2], "  3 CODE    .BIN  -  -  -      1K        256");
  EXPECT_EQ(lineas[3].substr(0, 44),
            "  0 DEMO    .BAS  -  -  -      1K " + Formatear10(BytesProgramaCompleto().size()));
  EXPECT_NE(lineas[3].find("BASIC            &0170   &0000"), std::string::npos) << lineas[3];
  EXPECT_EQ(lineas[4], "  0 GRANDE  .DAT  -  -  -     40K      40960");

  const Resultado f = EjecutarCli({"find", "*.BIN", dir.Ruta().string()});
  EXPECT_EQ(Lineas(f.salida), (std::vector<std::string>{imagen + "\t0\tCODE.BIN\t3000",
                                                        imagen + "\t3\tCODE.BIN\t256"}));
  const Resultado g = EjecutarCli({"get", imagen, "0:CODE.BIN", "-o", dir.Archivo("fuera")});
  EXPECT_NE(g.salida.find("(3000 bytes)"), std::string::npos) << g.salida;
}

TEST_F(Cli, LsJson) {
  const Resultado r = EjecutarCli({"ls", "--json", imagen});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  const json j = json::parse(r.salida);
  EXPECT_EQ(j["version"], 2);
  ASSERT_EQ(j["imagenes"].size(), 1U);
  const json &d = j["imagenes"][0];
  EXPECT_EQ(d["imagen"], imagen);
  EXPECT_EQ(d["disposicion"], "MV - CPCEMU");
  EXPECT_EQ(d["creador"], "ALCOVE DSKGEN");
  EXPECT_EQ(d["creador_bytes"].size(), 14U);
  EXPECT_EQ(d["formato"]["nombre"], "data");
  EXPECT_EQ(d["kb_libres"], 130);
  EXPECT_EQ(d["kb_capacidad"], 178);
  ASSERT_EQ(d["archivos"].size(), 6U); // system files too
  const json &code = d["archivos"][0];
  EXPECT_EQ(code["usuario"], 0);
  EXPECT_EQ(code["nombre"], "CODE");
  EXPECT_EQ(code["extension"], "BIN");
  EXPECT_EQ(code["solo_lectura"], true);
  EXPECT_EQ(code["sistema"], false);
  EXPECT_EQ(code["archivado"], false);
  EXPECT_EQ(code["tamano"], 3200);
  EXPECT_EQ(code["longitud"], 3000); // what get writes: the header's length
  EXPECT_EQ(code["completo"], true);
  EXPECT_EQ(code["amsdos"]["tipo"], "binario");
  EXPECT_EQ(code["amsdos"]["tipo_codigo"], 2);
  EXPECT_EQ(code["amsdos"]["carga"], 0x4000);
  EXPECT_EQ(code["amsdos"]["entrada"], 0x4010);
  EXPECT_EQ(code["amsdos"]["longitud"], 3000);
  EXPECT_EQ(d["archivos"][2]["amsdos"]["tipo"], "basic");
  EXPECT_EQ(d["archivos"][2]["amsdos"]["tipo_texto"], "BASIC");
  EXPECT_EQ(d["archivos"][2]["longitud"], BytesProgramaCompleto().size());
  EXPECT_EQ(d["archivos"][1]["usuario"], 3);
  EXPECT_TRUE(d["archivos"][1]["amsdos"].is_null());
  EXPECT_EQ(d["archivos"][1]["longitud"], 256); // no header: whole records
  EXPECT_EQ(d["archivos"][3]["tamano"], 40 * 1024);
  EXPECT_EQ(d["archivos"][3]["entradas_catalogo"], 3);
  EXPECT_EQ(d["archivos"][5]["sistema"], true);
  ASSERT_EQ(d["borradas"].size(), 1U);
  EXPECT_EQ(d["borradas"][0]["texto"], "VIEJO.TXT");
  EXPECT_FALSE(d["borradas"][0].contains("usuario")); // &E5 is the mark, not a user
  ASSERT_EQ(d["raras"].size(), 1U);
  EXPECT_EQ(d["raras"][0]["byte_usuario"], 0);
  EXPECT_EQ(d["raras"][0]["bytes"].size(), 11U);
  // One type per key, whatever the file.
  for (const json &a : d["archivos"]) {
    EXPECT_FALSE(a.contains("extensiones")) << a;
    EXPECT_TRUE(a["longitud"].is_number_unsigned()) << a;
    EXPECT_TRUE(a["amsdos"].is_null() || a["amsdos"]["tipo"].is_string()) << a;
  }
}

TEST_F(Cli, JsonConImagenIlegible) {
  const std::string basura = dir.Archivo("basura.dsk");
  Escribir(basura, Patron(5000, 1));
  for (const char *orden : {"ls", "info"}) {
    SCOPED_TRACE(orden);
    const Resultado r = EjecutarCli({orden, "--json", basura, imagen});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
    const json j = json::parse(r.salida);
    EXPECT_EQ(j["version"], 2);
    ASSERT_EQ(j["imagenes"].size(), 2U);
    EXPECT_EQ(j["imagenes"][0]["imagen"], basura);
    EXPECT_TRUE(j["imagenes"][0]["error"].is_string());
    EXPECT_EQ(j["imagenes"][1]["imagen"], imagen);
    EXPECT_FALSE(j["imagenes"][1].contains("error"));
  }
}

TEST_F(Cli, GetExactoEnAmbosModos) {
  const std::string destino = dir.Archivo("fuera");
  Resultado r =
      EjecutarCli({"get", imagen, "*.BIN", "DEMO.BAS", "0:NOTAS.*", "grande.dat", "-o", destino});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Leer(destino + "/CODE.BIN"), codigo);                  // header gone, cut to 3000
  EXPECT_EQ(Leer(destino + "/3_CODE.BIN"), Patron(256, 3));        // user 3's, beside it
  EXPECT_EQ(Leer(destino + "/DEMO.BAS"), BytesProgramaCompleto()); // cut to the header's length
  EXPECT_EQ(Leer(destino + "/NOTAS.TXT"), HastaRegistro(texto));   // no header: every record
  EXPECT_EQ(Leer(destino + "/GRANDE.DAT"), grande);

  const std::string crudo = dir.Archivo("crudo");
  r = EjecutarCli({"get", imagen, "CODE.BIN", "DEMO.BAS", "-o", crudo, "--raw"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Leer(crudo + "/CODE.BIN"), HastaRegistro(binario));
  EXPECT_EQ(Leer(crudo + "/DEMO.BAS"), HastaRegistro(basic));
}

TEST_F(Cli, GetNoReemplazaSinForce) {
  const std::string destino = dir.Archivo("fuera");
  std::filesystem::create_directory(destino);
  Escribir(destino + "/CODE.BIN", {9, 9});
  Resultado r = EjecutarCli({"get", imagen, "0:*.BIN", "NOTAS.TXT", "-o", destino});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(Leer(destino + "/CODE.BIN"), (std::vector<std::uint8_t>{9, 9}));
  EXPECT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
  EXPECT_NE(r.errores.find(Utf8(RutaFs(destino) / "CODE.BIN")), std::string::npos) << r.errores;
  EXPECT_EQ(Leer(destino + "/NOTAS.TXT"), HastaRegistro(texto)); // the rest was done
  r = EjecutarCli({"get", imagen, "0:CODE.BIN", "-o", destino, "--force"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Leer(destino + "/CODE.BIN"), codigo);
}

TEST_F(Cli, GetNoEscribeFueraDelDestino) {
  ImagenDsk img;
  img.AgregarFichero({0, "../ESC", "", false, false, Patron(100, 1)})
      .AgregarFichero({0, "A/B", "C", false, false, Patron(100, 2)})
      .AgregarFichero({0, "..", "", false, false, Patron(100, 3)})
      .AgregarFichero({0, "/ETC", "/", false, false, Patron(100, 4)})
      .AgregarFichero({0, std::string("X\x01\n\x1B", 4), "\x7F", false, false, Patron(100, 5)})
      .AgregarFichero({1, ".", "", false, false, Patron(100, 6)});
  const std::string hostil = dir.Archivo("hostil.dsk");
  Escribir(hostil, img.Bytes());
  const std::filesystem::path caja = dir.Ruta() / "caja";
  const std::filesystem::path destino = caja / "destino";
  std::filesystem::create_directories(destino);
  const Resultado r = EjecutarCli({"get", hostil, "*.*", "*", "-o", destino.string()});
  EXPECT_LE(r.codigo, 1) << r.errores;
  // Only the destination folder is in the box, and it holds plain files with plain names.
  std::set<std::string> enCaja;
  for (const auto &e : std::filesystem::recursive_directory_iterator(caja)) {
    enCaja.insert(std::filesystem::relative(e.path(), caja).generic_string());
  }
  EXPECT_EQ(enCaja.count("destino"), 1U);
  std::size_t escritos = 0;
  for (const std::string &ruta : enCaja) {
    if (ruta == "destino") {
      continue;
    }
    ++escritos;
    ASSERT_EQ(ruta.rfind("destino/", 0), 0U) << ruta;
    const std::string nombre = ruta.substr(8);
    EXPECT_EQ(nombre.find('/'), std::string::npos) << nombre;
    EXPECT_NE(nombre.front(), '.') << nombre;
    for (const char c : nombre) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7F) << nombre;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(caja / ruta)) << ruta;
  }
  EXPECT_GE(escritos, 5U) << r.salida << r.errores; // every file the reader lists as one
  EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "ESC"));
  EXPECT_FALSE(std::filesystem::exists(caja / "ESC"));
}

TEST_F(Cli, CatListaBasicYDaBytes) {
  Resultado r = EjecutarCli({"cat", imagen, "demo.bas"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, ProgramaCompleto().Listado());
  r = EjecutarCli({"cat", imagen, "DEMO.BAS", "--raw"});
  const auto crudo = HastaRegistro(basic);
  EXPECT_EQ(r.salida, std::string(crudo.begin(), crudo.end()));
  // Not a terminal: a binary's content as it is.
  r = EjecutarCli({"cat", imagen, "0:CODE.BIN"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, std::string(codigo.begin(), codigo.end()));
  r = EjecutarCli({"cat", imagen, "*.BIN"}); // two files
  EXPECT_EQ(r.codigo, 2);
  EXPECT_EQ(r.salida, "");
}

TEST_F(Cli, CatAUnTerminal) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows no tiene pseudoterminales";
#else
  if (const std::string motivo = TerminalNoDisponible(); !motivo.empty()) {
    GTEST_SKIP() << "no se puede abrir un pseudoterminal: " << motivo;
  }
  Resultado r = EjecutarCli({"cat", imagen, "0:CODE.BIN"}, true);
  EXPECT_EQ(r.codigo, 0) << r.errores;
  // A hex dump from the load address, one line per 16 bytes.
  EXPECT_EQ(
      r.salida.rfind("4000  01 08 0F 16 1D 24 2B 32  39 40 47 4E 55 5C 63 6A  |.....$+29@GNU\\cj|"
                     "\r\n",
                     0),
      0U)
      << r.salida.substr(0, 200);
  EXPECT_EQ(Lineas(r.salida).size(), (codigo.size() + 15) / 16);
  r = EjecutarCli({"cat", imagen, "NOTAS.TXT"}, true); // text up to ^Z
  EXPECT_EQ(r.salida, "10 PRINT\r\r\nHOLA\r\r\n");
  r = EjecutarCli({"cat", imagen, "0:CODE.BIN", "--raw"}, true);
  EXPECT_EQ(r.salida.find("4000  "), std::string::npos);
#endif
}

// Folder and image names outside ASCII reach the program and come back as they
// were: arguments, paths and output are UTF-8 on every host.
TEST_F(Cli, NombresNoAscii) {
  const std::string carpeta = dir.Archivo("discos ñandú");
  std::filesystem::create_directories(RutaFs(carpeta) / RutaFs("日本"));
  const std::string disco = Utf8(RutaFs(carpeta) / RutaFs("日本") / RutaFs("canción é.dsk"));
  Escribir(disco, Leer(imagen));
  Resultado r = EjecutarCli({"ls", disco});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, EjecutarCli({"ls", imagen}).salida);

  r = EjecutarCli({"find", "DEMO.BAS", carpeta});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida.rfind(disco + "\t0\tDEMO.BAS\t", 0), 0U) << r.salida;
  EXPECT_EQ(Lineas(r.salida).size(), 1U) << r.salida;

  const std::string destino = Utf8(RutaFs(carpeta) / RutaFs("salida ü"));
  r = EjecutarCli({"get", disco, "NOTAS.TXT", "-o", destino});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Leer(Utf8(RutaFs(destino) / "NOTAS.TXT")), HastaRegistro(texto));
  EXPECT_NE(r.salida.find(" -> " + destino), std::string::npos) << r.salida;

  const std::string falta = carpeta + "/falta ñ.dsk";
  r = EjecutarCli({"ls", falta});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(r.errores, "alcove-cli: " + falta + ": no se ha encontrado el archivo\n");
#if defined(_WIN32)
  // cmd.exe hands wildcards over as they are: the program expands them.
  r = EjecutarCli({"ls", carpeta + "\\日本\\*.DSK"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, EjecutarCli({"ls", disco}).salida);
  r = EjecutarCli({"cat", carpeta + "\\日本\\canci?n*", "NOTAS.TXT"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, EjecutarCli({"cat", disco, "NOTAS.TXT"}).salida);
#endif
}

TEST_F(Cli, DumpPorId) {
  Resultado r = EjecutarCli({"dump", imagen, "0", "0", "&C1"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  const auto lineas = Lineas(r.salida);
  ASSERT_EQ(lineas.size(), 1U + 32U) << r.salida;
  EXPECT_EQ(lineas[0], "pista 0, cara 0, sector &C1: C=0 H=0 R=&C1 N=2 ST1=&00 ST2=&00, 512 "
                       "bytes en la imagen");
  // The catalogue's first entry: user 0, "DEMO    BAS", 4 records.
  EXPECT_EQ(lineas[1].substr(0, 56), "0000  00 44 45 4D 4F 20 20 20  20 42 41 53 00 00 00 04  ");
  // The second: "CODE    BIN" with R/O set on the first extension byte.
  EXPECT_EQ(lineas[3].substr(0, 56), "0020  00 43 4F 44 45 20 20 20  20 C2 49 4E 00 00 00 19  ");
  EXPECT_EQ(EjecutarCli({"dump", imagen, "0", "0", "193"}).salida, r.salida);
  EXPECT_EQ(EjecutarCli({"dump", imagen, "&00", "0x0", "C1h"}).salida, r.salida);
  r = EjecutarCli({"dump", imagen, "0", "0", "&41"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("sector &41"), std::string::npos) << r.errores;
  EXPECT_EQ(EjecutarCli({"dump", imagen, "0", "0", "&XY"}).codigo, 2);
  EXPECT_EQ(EjecutarCli({"dump", imagen, "0", "2", "&C1"}).codigo, 2);
}

TEST_F(Cli, Info) {
  const Resultado r = EjecutarCli({"info", imagen});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find("Creador: ALCOVE DSKGEN\n"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("Pistas: 40  Caras: 1\n"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("Formato: data"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("  00.0-39.0   9 sectores N=2: C1 C2 C3 C4 C5 C6 C7 C8 C9\n"),
            std::string::npos)
      << r.salida;
  EXPECT_NE(r.salida.find("Protección anticopia: no se ve ninguna señal"), std::string::npos);
  const json j = json::parse(EjecutarCli({"info", "--json", imagen}).salida);
  EXPECT_EQ(j["version"], 2);
  const json &d = j["imagenes"][0];
  EXPECT_EQ(d["pistas"], 40);
  EXPECT_EQ(d["formato"]["tamano_bloque"], 1024);
  EXPECT_EQ(d["firma"], "MV - CPCEMU Disk-File Disk-Info"); // CR and LF gone
  ASSERT_EQ(d["firma_bytes"].size(), 34U);
  EXPECT_EQ(d["firma_bytes"][21], '\r');
  EXPECT_EQ(d["creador"], "ALCOVE DSKGEN");
  ASSERT_EQ(d["tabla_pistas"].size(), 40U);
  const json &pista = d["tabla_pistas"][39];
  EXPECT_EQ(pista["pista"], 39);
  EXPECT_EQ(pista["formateada"], true);
  ASSERT_EQ(pista["sectores"].size(), 9U);
  EXPECT_EQ(pista["sectores"][0]["r"], 0xC1);
  EXPECT_EQ(pista["sectores"][0]["c"], 39);
  EXPECT_EQ(pista["sectores"][0]["bytes_guardados"], 512);
  EXPECT_EQ(pista["sectores"][0]["rarezas"], json::array());
  EXPECT_EQ(d["proteccion"]["probable"], false);
}

TEST_F(Cli, ErroresDeUsoYDeLectura) {
  struct Caso {
    std::vector<std::string> args;
    int codigo;
    std::string enError; // text the one error line holds
  };
  const std::string falta = dir.Archivo("falta.dsk");
  const std::string basura = dir.Archivo("basura.dsk");
  Escribir(basura, Patron(5000, 1));
  for (const Caso &c : std::vector<Caso>{
           {{}, 2, "falta la orden"},
           {{"borrar", imagen}, 2, "orden desconocida: borrar"},
           {{"ls"}, 2, "falta IMAGEN"},
           {{"ls", "--nada", imagen}, 2, "--nada"},
           {{"dump", imagen, "&XY", "0", "&C1"}, 2, "pista no válida: &XY"},
           {{"dump", imagen, "0", "2", "&C1"}, 2, "cara no válida: 2"},
           {{"get", imagen, "16:X"}, 2, "16:X"},
           {{"find", "*.BAS", dir.Ruta().string(), "-j", "0"}, 2, "valor no válido para -j"},
           {{"ls", falta}, 1, falta},
           {{"ls", basura, imagen}, 1, basura},
           {{"info", basura}, 1, basura},
           {{"get", imagen, "NADA.BIN", "-o", dir.Archivo("o")}, 1, imagen},
           {{"cat", falta, "X"}, 1, falta},
           {{"ls", "--formato", "nada", imagen}, 2, "nada"},
           {{"ls", "--formato", "plus", imagen}, 2, "formato desconocido; ¿quería decir plus3?"},
           // Every usage error in Spanish, naming what was wrong and the nearest right word.
           {{"lss", imagen}, 2, "orden desconocida: lss; ¿quería decir ls?"},
           {{"ls", "--jsno", imagen}, 2, "opción desconocida: --jsno; ¿quería decir --json?"},
           {{"ls", "-x", imagen}, 2, "opción desconocida: -x (las opciones de ls: -h, --help"},
           {{"--verison"}, 2, "opción desconocida: --verison; ¿quería decir --version?"},
           {{"cat", imagen}, 2, "falta NOMBRE"},
           {{"cat", imagen, "A", "B", "C"}, 2, "sobran los argumentos B C"},
           {{"info", imagen, "--formato"}, 2, "falta el valor de --formato"},
           {{"find", "*.BAS", dir.Ruta().string(), "-j"}, 2, "falta el valor de -j"},
           {{"find", "*.BAS", dir.Ruta().string(), "-j", "dos"}, 2, "valor no válido para -j: dos"},
           // An empty value is no value: never the option's default.
           {{"cat", imagen, "DEMO.BAS", "--png", ""}, 2, "valor vacío para --png"},
           {{"cat", imagen, "DEMO.BAS", "--modo", ""}, 2, "valor vacío para --modo"},
           {{"cat", imagen, "DEMO.BAS", "--desde", ""}, 2, "valor vacío para --desde"},
           {{"cat", imagen, "DEMO.BAS", "--paleta", ""}, 2, "valor vacío para --paleta"},
           {{"get", imagen, "DEMO.BAS", "-o", ""}, 2, "valor vacío para -o"},
           {{"ls", "--formato", "", imagen}, 2, "valor vacío para --formato"},
           {{"find", "*.BAS", dir.Ruta().string(), "-j", ""}, 2, "valor vacío para -j"},
       }) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Resultado r = EjecutarCli(c.args);
    EXPECT_EQ(r.codigo, c.codigo);
    EXPECT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
    EXPECT_NE(r.errores.find(c.enError), std::string::npos) << r.errores;
    for (const char *ingles : {"required", "missing", "Could not", "expected", "POSITIVE"}) {
      EXPECT_EQ(r.errores.find(ingles), std::string::npos) << r.errores;
    }
  }
  EXPECT_EQ(EjecutarCli({"ls", "--formato", "DATA", imagen}).salida,
            EjecutarCli({"ls", imagen}).salida);
  // The readable image of the two is still listed.
  EXPECT_NE(EjecutarCli({"ls", basura, imagen}).salida.find("DEMO    .BAS"), std::string::npos);
}

TEST(CliAyuda, AyudaYVersion) {
  Resultado r = EjecutarCli({"--help"});
  EXPECT_EQ(r.codigo, 0);
  for (const char *orden :
       {"info", "ls", "get", "cat", "dump", "find", "new", "put", "rm", "ren", "attr"}) {
    EXPECT_NE(r.salida.find(std::string("  ") + orden + " "), std::string::npos) << orden;
    const Resultado sub = EjecutarCli({orden, "--help"});
    EXPECT_EQ(sub.codigo, 0) << orden;
    EXPECT_NE(sub.salida.find("Uso: alcove-cli " + std::string(orden)), std::string::npos)
        << sub.salida;
    EXPECT_EQ(sub.salida.find("POSITIVE"), std::string::npos) << sub.salida;
    // The help flag before the command is read as it is after it.
    EXPECT_EQ(EjecutarCli({"--help", orden}).salida, sub.salida);
  }
  EXPECT_NE(EjecutarCli({"find", "--help"}).salida.find("  -j N "), std::string::npos);
  r = EjecutarCli({"--version"});
  EXPECT_EQ(r.codigo, 0);
  EXPECT_EQ(r.salida.rfind("alcove-cli ", 0), 0U) << r.salida;
  EXPECT_EQ(EjecutarCli({"--version", "ls"}).salida, r.salida); // the same through the parser
}

// get --borrados brings a deleted file back while its blocks are free, and
// refuses, saying why, once a live file has taken one.
TEST(CliBorrados, GetRecuperaSiNadieTomoSusBloques) {
  CarpetaTemporal dir;
  const auto archivo = [](std::uint8_t usuario, const char *nombre, std::vector<std::uint8_t> v) {
    Generador::ArchivoCpm a;
    a.usuario = usuario;
    a.nombre = nombre;
    a.ext = "BIN";
    a.datos = std::move(v);
    return a;
  };
  const auto viejo = ConCabecera("VIEJO   BIN", 2, 0x4000, 0, Patron(2500, 5));
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(archivo(0xE5, "VIEJO", viejo)).Agregar(archivo(0xE5, "PISADO", Patron(2000, 6)));
  d.Agregar(archivo(0, "NUEVO", Patron(100, 7)), {d.UltimosBloques().front()});
  const std::string imagen = dir.Archivo("borrados.dsk");
  Escribir(imagen, d.Bytes());

  const Resultado ls = EjecutarCli({"ls", "-l", "--borrados", imagen});
  EXPECT_EQ(ls.codigo, 0) << ls.errores;
  EXPECT_NE(ls.salida.find("Archivos borrados:\n"
                           "  - PISADO  .BIN  -  -  -      2K       2048  (no recuperable: su "
                           "bloque 5 es ahora de 0:NUEVO.BIN)\n"
                           "  - VIEJO   .BIN  -  -  -      3K       2500  binario"),
            std::string::npos)
      << ls.salida;

  const std::string destino = dir.Archivo("fuera");
  Resultado r = EjecutarCli({"get", "--borrados", imagen, "VIEJO.BIN", "-o", destino});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Leer(destino + "/VIEJO.BIN"), Patron(2500, 5));
  r = EjecutarCli({"get", "--borrados", imagen, "PISADO.BIN", "-o", destino});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(r.errores, "alcove-cli: " + imagen +
                           ": no se recupera el borrado PISADO.BIN: su bloque 5 es ahora de "
                           "0:NUEVO.BIN\n");
  EXPECT_FALSE(std::filesystem::exists(destino + "/PISADO.BIN"));
  // Without --borrados only live files are looked at.
  r = EjecutarCli({"get", imagen, "VIEJO.BIN", "-o", destino});
  EXPECT_EQ(r.codigo, 1);
}

// A 42-track DATA disk with a file on tracks 40 and 41: get writes it whole
// and succeeds; info notes where its blocks lie.
TEST(CliTrasElFinal, GetLoEscribeEntero) {
  CarpetaTemporal dir;
  Generador::ArchivoCpm lejos;
  lejos.nombre = "LEJOS";
  lejos.ext = "BIN";
  lejos.datos = Patron(9 * 1024, 8);
  Generador::DiscoCpm d(Generador::GeometriaData(), Generador::Disposicion::Estandar, 42);
  d.Agregar(lejos, {180, 181, 182, 183, 184, 185, 186, 187, 188});
  const std::string imagen = dir.Archivo("42.dsk");
  Escribir(imagen, d.Bytes());
  const Resultado r = EjecutarCli({"get", imagen, "LEJOS.BIN", "-o", dir.Archivo("fuera")});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Leer(dir.Archivo("fuera") + "/LEJOS.BIN"), lejos.datos);
  EXPECT_NE(EjecutarCli({"info", imagen})
                .salida.find("bloque-tras-el-final: 9 bloques de LEJOS.BIN, desde el 180, están "
                             "tras el último del formato (179), desde la pista 40, que la imagen "
                             "tiene; se leen, como en un CPC\n"),
            std::string::npos);
}

// A tree of images, some broken, searched with one and with two threads.
TEST(CliFind, ArbolConImagenesRotas) {
  CarpetaTemporal dir;
  const auto &r = dir.Ruta();
  std::filesystem::create_directories(r / "a" / "b");
  std::filesystem::create_directories(r / "c");
  const auto disco = [](std::uint8_t usuario, const char *nombre, std::size_t largo) {
    ImagenDsk img;
    img.AgregarFichero({usuario, nombre, "BAS", false, false, Patron(largo, 1)})
        .AgregarFichero({0, "DATOS", "BIN", false, false, Patron(300, 2)});
    return img.Bytes();
  };
  Escribir((r / "uno.dsk").string(), disco(0, "JUEGO", 1000));
  Escribir((r / "a" / "DOS.DSK").string(), disco(2, "OTRO", 200));
  Escribir((r / "a" / "b" / "tres.Dsk").string(), disco(0, "JUEGO", 5000));
  Escribir((r / "a" / "b" / "nada.txt").string(), disco(0, "NO", 10));
  Escribir((r / "c" / "roto.dsk").string(), Patron(3000, 7));
  auto cortado = disco(0, "X", 10);
  cortado.resize(100);
  Escribir((r / "c" / "corto.dsk").string(), cortado);
  Escribir((r / "c" / "vacio.dsk").string(), {});

  // Something matched: 0, though some images could not be read.
  const Resultado uno = EjecutarCli({"find", "*.BAS", r.string(), "-j", "1"});
  EXPECT_EQ(uno.codigo, 0);
  EXPECT_EQ(
      Lineas(uno.salida),
      (std::vector<std::string>{(r / "uno.dsk").string() + "\t0\tJUEGO.BAS\t1024",
                                (r / "a" / "DOS.DSK").string() + "\t2\tOTRO.BAS\t256",
                                (r / "a" / "b" / "tres.Dsk").string() + "\t0\tJUEGO.BAS\t5120"}));
  const auto errores = Lineas(uno.errores);
  EXPECT_EQ(errores.size(), 3U) << uno.errores;
  for (const char *roto : {"roto.dsk", "corto.dsk", "vacio.dsk"}) {
    EXPECT_NE(uno.errores.find((r / "c" / roto).string() + ": "), std::string::npos) << roto;
  }
  const Resultado dos = EjecutarCli({"find", "*.BAS", r.string(), "-j", "2"});
  EXPECT_EQ(dos.salida, uno.salida);
  EXPECT_EQ(dos.codigo, 0);
  EXPECT_EQ(EjecutarCli({"find", "*.BAS", r.string()}).salida, uno.salida);

  const Resultado j = EjecutarCli({"find", "0:JUEGO.*", r.string(), "--json"});
  const json d = json::parse(j.salida);
  EXPECT_EQ(d["version"], 2);
  EXPECT_EQ(d["imagenes_leidas"], 6);
  ASSERT_EQ(d["coincidencias"].size(), 2U);
  EXPECT_EQ(d["coincidencias"][1]["imagen"], (r / "a" / "b" / "tres.Dsk").string());
  EXPECT_EQ(d["coincidencias"][1]["tamano"], 5120);
  EXPECT_EQ(d["errores"].size(), 3U);

  const Resultado limpio = EjecutarCli({"find", "*.BAS", (r / "a").string()});
  EXPECT_EQ(limpio.codigo, 0) << limpio.errores;
  EXPECT_EQ(limpio.errores, "");
  EXPECT_EQ(Lineas(limpio.salida).size(), 2U);
}

// A sector whose ID claims another size: the text and the JSON tell the same.
TEST(CliInfo, CodigoDeTamanoDistintoEnTextoYJson) {
  CarpetaTemporal dir;
  Generador::DiscoCpm disco(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  disco.CodigoTamano(10, 0, 0xC4, 3);
  Escribir(dir.Archivo("n3.dsk"), disco.Bytes());
  const Resultado r = EjecutarCli({"info", dir.Archivo("n3.dsk")});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find("sector &C4: 512 bytes guardados de 1024 N=3 distinto del formato\n"),
            std::string::npos)
      << r.salida;
  // One odd sector alone is no protection, and its oddities are counted.
  EXPECT_NE(
      r.salida.find("Protección anticopia: ninguna conocida; sectores raros sueltos, como los "
                    "de un disco de trabajo\n  pista 10, cara 0, sector &C4: N=3, guarda 512 "
                    "bytes\n  sectores raros: 1 con bytes guardados de más o de menos, 1 de "
                    "código de tamaño distinto del formato\n"),
      std::string::npos)
      << r.salida;
  const json j = json::parse(EjecutarCli({"info", "--json", dir.Archivo("n3.dsk")}).salida);
  const json &d = j["imagenes"][0];
  EXPECT_EQ(d["proteccion"]["sectores_tamano_guardado"], 1);
  EXPECT_EQ(d["proteccion"]["sectores_codigo_distinto"], 1);
  EXPECT_EQ(d["proteccion"]["probable"], false);
  EXPECT_EQ(d["proteccion"]["veredicto"], "sueltos");
  const json &s = d["tabla_pistas"][10]["sectores"][3];
  EXPECT_EQ(s["r"], 0xC4);
  EXPECT_EQ(s["n"], 3);
  EXPECT_EQ(s["rarezas"], json::array({"tamano-guardado", "codigo-tamano-distinto"}));
}

// A file missing a sector: get writes what can be read and says why in one
// line, the reader's sentence carried on after a colon.
TEST(CliIncompleto, GetDiceQueFalta) {
  CarpetaTemporal dir;
  Generador::DiscoCpm disco(Generador::GeometriaData());
  disco.Agregar({0, "CODE", "BIN", false, false, false, Patron(3000, 1), {}, 0});
  const Generador::DiscoCpm::Lugar l = disco.UbicarBloque(disco.UltimosBloques().back());
  disco.QuitarSector(l.pista, l.cara, l.id);
  Escribir(dir.Archivo("roto.dsk"), disco.Bytes());
  const Resultado r =
      EjecutarCli({"get", dir.Archivo("roto.dsk"), "CODE.BIN", "-o", dir.Archivo("o")});
  EXPECT_EQ(r.codigo, 1);
  ASSERT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
  const std::string tras = "CODE.BIN incompleto: ";
  const auto donde = r.errores.find(tras);
  ASSERT_NE(donde, std::string::npos) << r.errores;
  const char primera = r.errores[donde + tras.size()];
  EXPECT_TRUE(primera >= 'a' && primera <= 'z') << r.errores;
  EXPECT_NE(r.errores.find("; escritos 2048 bytes"), std::string::npos) << r.errores;
}

// The broken images kept out of samples/: still read, and their faults told.
TEST(CliMuestrasRaras, NombresMalosYSinFirma) {
  CarpetaTemporal dir;
  Generador::GenerarMuestrasRaras(dir.Ruta());
  Resultado r = EjecutarCli({"ls", "-a", dir.Archivo("nombres.dsk")});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find(" 0:BAD!NAME.BAS"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find(" 3:MAX     .DAT"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("(incompleto)"), std::string::npos) << r.salida;
  const json j = json::parse(EjecutarCli({"ls", "--json", dir.Archivo("nombres.dsk")}).salida);
  EXPECT_EQ(j["imagenes"][0]["archivos"].size(), 5U);
  EXPECT_FALSE(j["imagenes"][0]["problemas"].empty());
  r = EjecutarCli({"ls", dir.Archivo("desconocido.dsk")});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("no es una imagen de disco CPCEMU: el archivo no empieza por"),
            std::string::npos)
      << r.errores;
}

} // namespace

namespace {

// Disks as real ones are: interleaved sectors, the SYSTEM format with its
// catalogue on track 2, and a protected disk with weak and faulty sectors.
TEST(CliDiscosReales, IntercaladoSistemaYProtegido) {
  CarpetaTemporal dir;
  Generador::DiscoCpm sistema(Generador::GeometriaSystem());
  sistema.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4})
      .Agregar({0, "JUEGO", "BAS", false, false, false, Patron(2000, 1), {}, 0})
      .Agregar({1, "JUEGO", "BAS", false, false, false, Patron(300, 2), {}, 0});
  Escribir(dir.Archivo("sistema.dsk"), sistema.Bytes());
  Generador::DiscoCpm protegido(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  protegido.Agregar({0, "CARGADOR", "BIN", false, false, false, Patron(700, 3), {}, 0})
      .Debil(39, 0, 0xC3, 3)
      .Estado(38, 0, 0xC5, 0x20, 0x20)
      .SinFormato(37, 0);
  Escribir(dir.Archivo("protegido.dsk"), protegido.Bytes());

  Resultado r = EjecutarCli({"ls", dir.Archivo("sistema.dsk")});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(
      Lineas(r.salida),
      (std::vector<std::string>{" 0:JUEGO   .BAS    2K", " 1:JUEGO   .BAS    1K",
                                "2 archivos, 166K libres, 0 entradas borradas, 0 entradas raras"}));
  // The search reads only the start of a disk for text and the whole of it
  // for JSON: both find the same files.
  r = EjecutarCli({"find", "*.BAS", dir.Ruta().string()});
  EXPECT_EQ(Lineas(r.salida),
            (std::vector<std::string>{dir.Archivo("sistema.dsk") + "\t0\tJUEGO.BAS\t2048",
                                      dir.Archivo("sistema.dsk") + "\t1\tJUEGO.BAS\t384"}));
  const json j = json::parse(EjecutarCli({"find", "*.BAS", dir.Ruta().string(), "--json"}).salida);
  ASSERT_EQ(j["coincidencias"].size(), 2U);
  EXPECT_EQ(j["coincidencias"][1]["usuario"], 1);
  EXPECT_EQ(j["coincidencias"][1]["tamano"], 384);

  r = EjecutarCli({"info", dir.Archivo("protegido.dsk")});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(
      r.salida.find("Disposición: EXTENDED CPC DSK\nFirma: EXTENDED CPC DSK File Disk-Info\n"),
      std::string::npos)
      << r.salida;
  EXPECT_NE(r.salida.find("  00.0-36.0   9 sectores N=2: C1 C2 C3 C4 C5 C6 C7 C8 C9\n  37.0       "
                          "sin formatear\n"),
            std::string::npos)
      << r.salida;
  EXPECT_NE(r.salida.find("sector &C3: débil (3 copias)\n"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("sector &C5: ST1=&20 ST2=&20"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find("Protección anticopia: protección desconocida\n"
                          "  pista 38, cara 0: 9 sectores de 512 bytes, IDs C1..C9; &C5 N=2, error "
                          "de CRC en los datos\n"
                          "  pista 39, cara 0: 9 sectores de 512 bytes, IDs C1..C9; &C3 N=2, débil "
                          "(3 copias)\n"
                          "  sectores raros: 1 con bits de error del FDC, 1 débil\n"),
            std::string::npos)
      << r.salida;
  const json j2 = json::parse(EjecutarCli({"info", "--json", dir.Archivo("protegido.dsk")}).salida);
  const json &d = j2["imagenes"][0];
  EXPECT_EQ(d["disposicion"], "EXTENDED CPC DSK");
  const json &p = d["proteccion"];
  EXPECT_EQ(p["probable"], true);
  EXPECT_EQ(p["veredicto"], "desconocida");
  EXPECT_EQ(p["texto"], "protección desconocida");
  EXPECT_EQ(p["esquema"], nullptr);
  EXPECT_EQ(p["pistas"].size(), 2U);
  EXPECT_EQ(p["pistas"][1]["pista"], 39);
  EXPECT_EQ(p["pistas"][1]["sector"], nullptr);
  for (const auto &[clave, cuenta] : {std::pair{"sectores_error_fdc", 1},
                                      {"sectores_debiles", 1},
                                      {"sectores_tamano_guardado", 0},
                                      {"sectores_codigo_distinto", 0}}) {
    EXPECT_EQ(p[clave], cuenta) << clave;
  }
  EXPECT_EQ(d["tabla_pistas"][37]["formateada"], false);
  EXPECT_EQ(d["tabla_pistas"][37]["sectores"], json::array());
  const json &debil = d["tabla_pistas"][39]["sectores"][2];
  EXPECT_EQ(debil["r"], 0xC3);
  EXPECT_EQ(debil["copias"], 3);
  EXPECT_EQ(debil["rarezas"], json::array({"debil"}));
  const json &fallo = d["tabla_pistas"][38]["sectores"][4];
  EXPECT_EQ(fallo["r"], 0xC5);
  EXPECT_EQ(fallo["st1"], 0x20);
  EXPECT_EQ(fallo["rarezas"], json::array({"error-fdc"}));
}

} // namespace
