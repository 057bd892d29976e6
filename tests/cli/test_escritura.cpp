// The writing commands run as processes: new, put, rm, unrm, ren and attr, read back
// through ls and get; every refusal and every failure leaves the image as it was.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <chrono>
#include <csignal>
#include <functional>
#include <iostream>
#include <random>
#include <set>

#if !defined(_WIN32)
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

using Generador::ImagenDsk;
using nlohmann::json;
namespace fs = std::filesystem;

std::set<std::string> Nombres(const fs::path &carpeta) {
  std::set<std::string> n;
  for (const auto &e : fs::directory_iterator(carpeta)) {
    n.insert(e.path().filename().string());
  }
  return n;
}

// The files `ls --json` lists on the image, by "U:NOMBRE.EXT".
std::map<std::string, json> Archivos(const std::string &imagen) {
  const Resultado r = EjecutarCli({"ls", "--json", imagen});
  std::map<std::string, json> m;
  if (r.codigo != 0) {
    ADD_FAILURE() << r.errores;
    return m;
  }
  const json todo = json::parse(r.salida);
  for (const json &a : todo["imagenes"][0]["archivos"]) {
    const std::string ext = a["extension"];
    m[std::to_string(a["usuario"].get<int>()) + ":" + a["nombre"].get<std::string>() +
      (ext.empty() ? "" : "." + ext)] = a;
  }
  return m;
}

// A file's content as get gives it (header taken off when it has one).
std::vector<std::uint8_t> Extraer(const CarpetaTemporal &dir, const std::string &imagen,
                                  const std::string &nombre,
                                  const std::vector<std::string> &opciones = {}) {
  const std::string destino = dir.Archivo("extraidos");
  fs::remove_all(destino);
  std::vector<std::string> args{"get", imagen, nombre, "-o", destino};
  args.insert(args.end(), opciones.begin(), opciones.end());
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, 0) << r.errores;
  const auto escritos = Nombres(destino);
  return escritos.size() == 1 ? Leer(destino + "/" + *escritos.begin())
                              : std::vector<std::uint8_t>{};
}

// A DATA disk with a few files, as other tools leave them.
class Escritura : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string imagen = dir.Archivo("disco.dsk");
  std::vector<std::uint8_t> codigo = Patron(3000, 1);

  void SetUp() override {
    ImagenDsk img;
    img.AgregarFichero(
           {0, "CODE", "BIN", false, false, ConCabecera("CODE    BIN", 2, 0x4000, 0x4000, codigo)})
        .AgregarFichero({0, "NOTAS", "TXT", false, false, Bytes("HOLA\r\n\x1A")})
        .AgregarFichero({0, "FIJO", "BIN", true, false, Patron(700, 2)})
        .AgregarFichero({3, "CODE", "BIN", false, false, Patron(256, 3)});
    Escribir(imagen, img.Bytes());
  }
  std::string Host(const std::string &nombre, const std::vector<std::uint8_t> &bytes) {
    fs::create_directories(dir.Ruta() / "host");
    const std::string ruta = dir.Archivo("host/" + nombre);
    Escribir(ruta, bytes);
    return ruta;
  }
};

TEST(EscrituraNew, DiscosVaciosDeCadaFormato) {
  CarpetaTemporal dir;
  struct Caso {
    std::vector<std::string> opciones;
    const char *formato;
    int pistas, caras, kbLibres;
    const char *disposicion;
  };
  for (const Caso &c : std::vector<Caso>{
           {{}, "data", 40, 1, 178, "MV - CPCEMU"},
           {{"--extendida"}, "data", 40, 1, 178, "EXTENDED CPC DSK"},
           {{"--formato", "system"}, "system", 40, 1, 169, "MV - CPCEMU"},
           {{"--formato", "ibm"}, "ibm", 40, 1, 154, "MV - CPCEMU"},
           {{"--formato", "plus3"}, "plus3", 40, 1, 173, "MV - CPCEMU"},
           // The 3.5-inch disks of ROMDOS: 80 tracks, two sides, 2 KB blocks.
           {{"--formato", "romdos-d2"}, "romdos-d2", 80, 2, 712, "MV - CPCEMU"},
           {{"--formato", "romdos-d10", "--extendida"},
            "romdos-d10",
            80,
            2,
            796,
            "EXTENDED CPC DSK"},
           {{"--formato", "romdos-d20"}, "romdos-d20", 80, 2, 792, "MV - CPCEMU"},
       }) {
    SCOPED_TRACE(c.formato);
    const std::string imagen = dir.Archivo(std::string(c.formato) + c.disposicion[0] + ".dsk");
    std::vector<std::string> args{"new", imagen};
    args.insert(args.end(), c.opciones.begin(), c.opciones.end());
    const Resultado r = EjecutarCli(args);
    ASSERT_EQ(r.codigo, 0) << r.errores;
    EXPECT_NE(r.salida.find(std::to_string(c.kbLibres) + "K libres"), std::string::npos)
        << r.salida;
    const json j = json::parse(EjecutarCli({"info", "--json", imagen}).salida)["imagenes"][0];
    EXPECT_EQ(j["formato"]["nombre"], c.formato);
    EXPECT_EQ(j["pistas"], c.pistas);
    EXPECT_EQ(j["caras"], c.caras);
    EXPECT_EQ(j["disposicion"], c.disposicion);
    EXPECT_EQ(j["creador"].get<std::string>().rfind("Alcove ", 0), 0U) << j["creador"];
    const Resultado ls = EjecutarCli({"ls", imagen});
    EXPECT_EQ(ls.codigo, 0) << ls.errores;
    EXPECT_NE(ls.salida.find("0 archivos, " + std::to_string(c.kbLibres) + "K libres"),
              std::string::npos)
        << ls.salida;
  }
  // A geometry the format's file system would leave unused: the formats that use it.
  const std::string doble = dir.Archivo("doble.dsk");
  const Resultado r = EjecutarCli({"new", doble, "--pistas", "80", "--caras", "2"});
  EXPECT_EQ(r.codigo, 2);
  EXPECT_EQ(r.errores,
            "alcove-cli: uso: el formato data usa 40 pistas y 1 cara, y las demás quedarían sin "
            "usar; con 80 pistas y 2 caras: --formato pcw720, romdos-d2, romdos-d10 o "
            "romdos-d20 (plus3 se ajusta a las que se pidan)\n");
  EXPECT_FALSE(fs::exists(doble));
  // A +3 disk's description says how many it has.
  ASSERT_EQ(
      EjecutarCli({"new", doble, "--formato", "plus3", "--pistas", "80", "--caras", "2"}).codigo,
      0);
  const json j = json::parse(EjecutarCli({"info", "--json", doble}).salida)["imagenes"][0];
  EXPECT_EQ(j["pistas"], 80);
  EXPECT_EQ(j["caras"], 2);
  EXPECT_EQ(j["formato"]["caras"], 2);
}

TEST(EscrituraNew, NoPisaSinForce) {
  CarpetaTemporal dir;
  const std::string imagen = dir.Archivo("disco.dsk");
  const auto viejo = Patron(1000, 1);
  Escribir(imagen, viejo);
#if !defined(_WIN32) // no POSIX permission bits on Windows
  ::chmod(imagen.c_str(), 0640);
#endif
  Resultado r = EjecutarCli({"new", imagen});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("--force"), std::string::npos) << r.errores;
  EXPECT_EQ(Leer(imagen), viejo);
  r = EjecutarCli({"new", imagen, "--force"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(EjecutarCli({"ls", imagen}).codigo, 0);
#if !defined(_WIN32)
  EXPECT_EQ(fs::status(imagen).permissions(), fs::perms(0640));
#endif
  for (const auto &[opcion, valor, porque] : std::vector<std::array<std::string, 3>>{
           {"--formato", "nada", "formato desconocido"},
           {"--caras", "3", "--caras: 3 (1 o 2)"},
           {"--pistas", "0", "--pistas: 0 (un número de pistas, mayor que 0)"},
           {"--pistas", "39", "admite de 40 a 85 pistas, no 39"},
       }) {
    const Resultado uso = EjecutarCli({"new", dir.Archivo("a.dsk"), opcion, valor});
    EXPECT_EQ(uso.codigo, 2) << opcion;
    EXPECT_NE(uso.errores.find(porque), std::string::npos) << uso.errores;
  }
  EXPECT_EQ(Nombres(dir.Ruta()), std::set<std::string>{"disco.dsk"});
}

// What CP/M keeps of a file without a header: every record, the last padded with ^Z.
std::vector<std::uint8_t> ConRelleno(std::vector<std::uint8_t> v) {
  v.resize((v.size() + 127) / 128 * 128, 0x1A);
  return v;
}

TEST_F(Escritura, PutYGetDanLosMismosBytes) {
  const auto juego = Patron(40 * 1024, 5);
  const auto basic = Patron(900, 6);
  const auto texto = Bytes("10 PRINT \"HOLA\"\r\n");
  const auto propio = ConCabecera("PROPIO  BIN", 2, 0x8000, 0x8003, Patron(500, 7));
  Resultado r = EjecutarCli({"put", imagen, Host("game", juego), "--tipo", "binario", "--carga",
                             "&4000", "--entrada", "&4010", "--nombre", "GAME.BIN"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find("-> GAME.BIN ("), std::string::npos) << r.salida;
  r = EjecutarCli({"put", imagen, Host("prog.bas", basic), "--tipo", "basic", "--usuario", "2"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  r = EjecutarCli(
      {"put", imagen, Host("leeme.txt", texto), Host("propio.bin", propio), "--ro", "--sys"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Lineas(r.salida).size(), 2U) << r.salida;
  // Looks like it has a header, but ascii never treats it as one; --raw keeps its bytes.
  r = EjecutarCli({"put", imagen, Host("ascii.txt", propio), "--tipo", "ascii", "--raw"});
  ASSERT_EQ(r.codigo, 0) << r.errores;

  const auto a = Archivos(imagen);
  ASSERT_EQ(a.size(), 9U);
  EXPECT_EQ(a.at("0:GAME.BIN")["amsdos"]["tipo_codigo"], 2);
  EXPECT_EQ(a.at("0:GAME.BIN")["amsdos"]["carga"], 0x4000);
  EXPECT_EQ(a.at("0:GAME.BIN")["amsdos"]["entrada"], 0x4010);
  EXPECT_EQ(a.at("0:GAME.BIN")["amsdos"]["longitud"], 40 * 1024);
  EXPECT_EQ(a.at("2:PROG.BAS")["amsdos"]["tipo_codigo"], 0);
  EXPECT_EQ(a.at("2:PROG.BAS")["amsdos"]["carga"], 0x170);
  EXPECT_TRUE(a.at("0:LEEME.TXT")["amsdos"].is_null());
  for (const char *n : {"0:LEEME.TXT", "0:PROPIO.BIN"}) {
    EXPECT_EQ(a.at(n)["solo_lectura"], true) << n;
    EXPECT_EQ(a.at(n)["sistema"], true) << n;
  }
  EXPECT_EQ(a.at("0:GAME.BIN")["solo_lectura"], false);
  EXPECT_EQ(Extraer(dir, imagen, "GAME.BIN"), juego);
  EXPECT_EQ(Extraer(dir, imagen, "2:PROG.BAS"), basic);
  EXPECT_EQ(Extraer(dir, imagen, "LEEME.TXT"), ConRelleno(texto));
  EXPECT_EQ(Extraer(dir, imagen, "PROPIO.BIN"), Patron(500, 7));
  EXPECT_EQ(Extraer(dir, imagen, "PROPIO.BIN", {"--raw"}), ConRelleno(propio));
  EXPECT_EQ(Extraer(dir, imagen, "ASCII.TXT", {"--raw"}), ConRelleno(propio));
  EXPECT_EQ(Extraer(dir, imagen, "0:CODE.BIN"), codigo); // what was there stays
}

// auto takes a .BAS text the CPC would refuse as the text it is, and says so.
TEST_F(Escritura, AutoDejaComoTextoElBasicQueElCpcRechazaria) {
  const auto texto = Bytes("10 CLS\r\n20 PRINT &12345\r\n");
  const std::string host = Host("malo.bas", texto);
  const Resultado r = EjecutarCli({"put", imagen, host});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.errores,
            "alcove-cli: " + host +
                ": se deja como texto: línea 20: &12345 no cabe en 16 bits (--tipo basic "
                "lo rechaza, --tipo ascii lo calla)\n");
  EXPECT_NE(r.salida.find("MALO.BAS (128 bytes, sin cabecera"), std::string::npos) << r.salida;
  EXPECT_EQ(Extraer(dir, imagen, "MALO.BAS"), ConRelleno(texto));
}

// header edits a header in place, adds and removes one; each step is read
// back through ls --json and get. A refusal leaves the image as it was.
TEST_F(Escritura, HeaderCambiaPoneYQuitaLaCabecera) {
  struct Paso {
    std::vector<std::string> args;
    int codigo;
    std::string salida; // stdout, or a part of stderr when the step is refused
    const char *archivo;
    json amsdos; // what ls --json says of the file's header afterwards
    std::vector<std::uint8_t> leido;
  };
  // The generator fills the rest of a file's last record with &E5.
  const auto relleno = [](std::vector<std::uint8_t> v, std::size_t n) {
    v.resize(n, 0xE5);
    return v;
  };
  const json codigo4010 = {
      {"tipo_codigo", 0}, {"carga", 0x4000}, {"entrada", 0x4010}, {"longitud", 3000}};
  for (const Paso &p : std::vector<Paso>{
           {{"0:CODE.BIN"},
            0,
            "CODE.BIN: cabecera AMSDOS: binario (&02), carga &4000, ejecución &4000, 3000 bytes\n",
            "0:CODE.BIN",
            {{"tipo_codigo", 2}, {"carga", 0x4000}, {"entrada", 0x4000}, {"longitud", 3000}},
            codigo},
           {{"0:CODE.BIN", "--tipo", "basic", "--entrada", "&4010"},
            0,
            "CODE.BIN: cabecera AMSDOS cambiada: BASIC (&00), carga &4000, 3000 bytes\n",
            "0:CODE.BIN",
            codigo4010,
            codigo},
           // 3000 bytes and the header take 25 records: 3072 bytes after the header.
           {{"0:CODE.BIN", "--largo", "3073"},
            1,
            "los registros de 0:CODE.BIN guardan 3072 bytes tras la cabecera, y no 3073",
            "0:CODE.BIN",
            codigo4010,
            codigo},
           {{"0:CODE.BIN", "--largo", "3072", "--tipo", "&02"},
            0,
            "CODE.BIN: cabecera AMSDOS cambiada: binario (&02), carga &4000, ejecución &4010, "
            "3072 bytes\n",
            "0:CODE.BIN",
            {{"tipo_codigo", 2}, {"carga", 0x4000}, {"entrada", 0x4010}, {"longitud", 3072}},
            relleno(codigo, 3072)},
           {{"0:CODE.BIN", "--quitar"},
            0,
            "CODE.BIN: cabecera quitada, 3072 bytes\n",
            "0:CODE.BIN",
            nullptr,
            relleno(codigo, 3072)},
           {{"0:CODE.BIN", "--poner", "--tipo", "binario", "--carga", "&8000"},
            0,
            "CODE.BIN: cabecera AMSDOS añadida: binario (&02), carga &8000, ejecución &8000, "
            "3072 bytes\n",
            "0:CODE.BIN",
            {{"tipo_codigo", 2}, {"carga", 0x8000}, {"entrada", 0x8000}, {"longitud", 3072}},
            relleno(codigo, 3072)},
           {{"3:CODE.BIN", "--poner", "--largo", "200"},
            0,
            "3:CODE.BIN: cabecera AMSDOS añadida: BASIC (&00), carga &0170, 200 bytes\n",
            "3:CODE.BIN",
            {{"tipo_codigo", 0}, {"carga", 0x170}, {"entrada", 0}, {"longitud", 200}},
            relleno(Patron(256, 3), 200)},
           {{"3:CODE.BIN", "--poner"},
            1,
            "3:CODE.BIN ya tiene cabecera AMSDOS",
            "3:CODE.BIN",
            {{"tipo_codigo", 0}, {"carga", 0x170}, {"entrada", 0}, {"longitud", 200}},
            relleno(Patron(256, 3), 200)},
           {{"NOTAS.TXT", "--carga", "&4000"},
            1,
            "0:NOTAS.TXT no tiene cabecera AMSDOS",
            "0:NOTAS.TXT",
            nullptr,
            relleno(Bytes("HOLA\r\n\x1A"), 128)},
           // A read-only file keeps R/O when it is written again.
           {{"FIJO.BIN", "--poner", "--tipo", "binario", "--carga", "&1000"},
            0,
            "FIJO.BIN: cabecera AMSDOS añadida: binario (&02), carga &1000, ejecución &1000, 768 "
            "bytes\n",
            "0:FIJO.BIN",
            {{"tipo_codigo", 2}, {"carga", 0x1000}, {"entrada", 0x1000}, {"longitud", 768}},
            relleno(Patron(700, 2), 768)},
       }) {
    SCOPED_TRACE(p.args.front() + " " + std::to_string(p.args.size()));
    const auto antes = Leer(imagen);
    std::vector<std::string> args{"header", imagen};
    args.insert(args.end(), p.args.begin(), p.args.end());
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, p.codigo) << r.errores;
    if (p.codigo == 0) {
      EXPECT_EQ(r.salida, p.salida);
    } else {
      EXPECT_NE(r.errores.find(p.salida), std::string::npos) << r.errores;
      EXPECT_EQ(Leer(imagen), antes);
    }
    const json a = Archivos(imagen).at(p.archivo);
    if (p.amsdos.is_null()) {
      EXPECT_TRUE(a["amsdos"].is_null()) << a.dump();
    } else {
      for (const auto &[campo, valor] : p.amsdos.items()) {
        EXPECT_EQ(a["amsdos"][campo], valor) << campo;
      }
      EXPECT_EQ(a["amsdos"]["cabecera"], "AMSDOS");
    }
    EXPECT_EQ(Extraer(dir, imagen, p.archivo), p.leido);
  }
  EXPECT_EQ(Archivos(imagen).at("0:FIJO.BIN")["solo_lectura"], true);
}

// A change in place rewrites the one sector of the file's first record.
TEST_F(Escritura, HeaderCambiaSoloElPrimerRegistro) {
  const auto antes = Leer(imagen);
  ASSERT_EQ(EjecutarCli({"header", imagen, "0:CODE.BIN", "--carga", "&4100"}).codigo, 0);
  const auto despues = Leer(imagen);
  ASSERT_EQ(despues.size(), antes.size());
  std::vector<std::size_t> distintos;
  for (std::size_t i = 0; i < antes.size(); ++i) {
    if (antes[i] != despues[i]) {
      distintos.push_back(i);
    }
  }
  // The load address and the checksum: at most four bytes, within one record.
  ASSERT_FALSE(distintos.empty());
  EXPECT_LE(distintos.size(), 4U);
  EXPECT_LT(distintos.back() - distintos.front(), 128U);
}

TEST_F(Escritura, HeaderUsoIncorrecto) {
  for (const auto &[args, porque] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"C*.BIN"}, "header cambia la cabecera de un solo archivo: C*.BIN lleva comodines"},
           {{"0:CODE.BIN", "--quitar", "--tipo", "basic"}, "--quitar no va con"},
           {{"0:CODE.BIN", "--tipo", "raro"}, "valor no válido para --tipo: raro"},
           {{"0:CODE.BIN", "--largo", "x"}, "valor no válido para --largo: x"},
           {{"0:CODE.BIN", "--carga", "&10000"}, "&10000"}}) {
    std::vector<std::string> todo{"header", imagen};
    todo.insert(todo.end(), args.begin(), args.end());
    const auto antes = Leer(imagen);
    const Resultado r = EjecutarCli(todo);
    EXPECT_EQ(r.codigo, 2) << porque;
    EXPECT_NE(r.errores.find(porque), std::string::npos) << r.errores;
    EXPECT_EQ(Leer(imagen), antes);
  }
}

// The +3's own header: ls -l and the JSON say what it is, get strips it,
// header takes it off but does not edit it.
TEST(EscrituraPlus3, CabeceraPlus3dos) {
  CarpetaTemporal dir;
  const std::string imagen = dir.Archivo("mas3.dsk");
  const auto cuerpo = Patron(500, 9);
  std::vector<std::uint8_t> p3(128, 0);
  const std::string firma = "PLUS3DOS\x1A\x01\x00";
  std::copy(firma.begin(), firma.end(), p3.begin());
  const std::uint32_t total = 128 + 500;
  p3[11] = total & 0xFF;
  p3[12] = total >> 8;
  p3[15] = 3; // CODE
  p3[16] = 500 & 0xFF;
  p3[17] = 500 >> 8;
  p3[19] = 0x80; // loads at &8000
  unsigned suma = 0;
  for (std::size_t i = 0; i < 127; ++i) {
    suma += p3[i];
  }
  p3[127] = static_cast<std::uint8_t>(suma);
  p3.insert(p3.end(), cuerpo.begin(), cuerpo.end());
  ImagenDsk img;
  img.AgregarFichero({0, "P3", "BIN", false, false, p3});
  Escribir(imagen, img.Bytes());

  Resultado r = EjecutarCli({"ls", "-l", imagen});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_NE(r.salida.find("       500  +3DOS CODE       &8000   &0000"), std::string::npos)
      << r.salida;
  const json a = Archivos(imagen).at("0:P3.BIN");
  EXPECT_EQ(a["longitud"], 500);
  EXPECT_EQ(a["amsdos"]["cabecera"], "+3DOS");
  EXPECT_EQ(a["amsdos"]["tipo"], "plus3-codigo");
  EXPECT_EQ(a["amsdos"]["tipo_codigo"], 3);
  EXPECT_EQ(a["amsdos"]["carga"], 0x8000);
  EXPECT_EQ(Extraer(dir, imagen, "P3.BIN"), cuerpo);
  auto crudo = p3;
  crudo.resize(640, 0xE5); // the generator fills the last record with &E5
  EXPECT_EQ(Extraer(dir, imagen, "P3.BIN", {"--raw"}), crudo);

  r = EjecutarCli({"header", imagen, "P3.BIN", "--carga", "&4000"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("0:P3.BIN tiene una cabecera +3DOS, que no se cambia"),
            std::string::npos)
      << r.errores;
  r = EjecutarCli({"header", imagen, "P3.BIN", "--quitar"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Extraer(dir, imagen, "P3.BIN"), ConRelleno(cuerpo));
}

// Addresses take every form dump takes, up to &FFFF. A bare number is
// decimal; one that would also read as hex (iDSK's way) draws a warning.
TEST_F(Escritura, DireccionesComoDump) {
  const std::string archivo = Host("x.bin", Patron(10, 1));
  struct Caso {
    std::string texto;
    int valor;
    std::string aviso; // on stderr, after "alcove-cli: --carga: "
  };
  int n = 0;
  for (const Caso &c : std::vector<Caso>{
           {"&4000", 0x4000, ""},
           {"#4000", 0x4000, ""},
           {"$4000", 0x4000, ""},
           {"0x4000", 0x4000, ""},
           {"4000h", 0x4000, ""},
           {"16384", 0x4000, ""},
           {"&FFF6", 0xFFF6, ""}, // the highest its 10 bytes fit at, up to &FFFF
           {"0", 0, ""},
           {"999", 999, ""},
           {"4000", 4000,
            "4000 se lee como decimal (&0FA0); para &4000 escriba &4000, entre comillas"},
           {"0100", 100,
            "0100 se lee como decimal (&0064); para &0100 escriba &0100, entre comillas"},
           {"0009", 9, ""}, // the same number either way
       }) {
    SCOPED_TRACE(c.texto);
    const std::string nombre = "D" + std::to_string(n++) + ".BIN";
    const Resultado r = EjecutarCli(
        {"put", imagen, archivo, "--tipo", "binario", "--carga", c.texto, "--nombre", nombre});
    ASSERT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(r.errores, c.aviso.empty() ? "" : "alcove-cli: --carga: " + c.aviso + "\n");
    const json cabecera = Archivos(imagen).at("0:" + nombre)["amsdos"];
    EXPECT_EQ(cabecera["carga"], c.valor);
    EXPECT_EQ(cabecera["entrada"], c.valor); // the load address when not given
  }
}

// What put says of each file: the length ls -l and get give (the file
// without its header), whether a header was added or kept, and what it did to
// the line ends of a text; get --texto and cat --texto give a Unix text back
// as it was.
TEST_F(Escritura, PutDiceLoQueGuarda) {
  struct Caso {
    std::string archivo; // on the host
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> opciones;
    std::string linea;               // what put prints after "ARCHIVO -> "
    std::vector<std::uint8_t> leido; // what get gives back
    std::string texto;               // get --texto and cat --texto; "-": not asked
  };
  const std::string unix = "10 PRINT \"HOLA\"\nLINEA DOS\n";
  const auto latin1 = Bytes("CAF\xC9\n");
  const auto propio = ConCabecera("PROPIO  BIN", 2, 0x8000, 0x8003, Patron(500, 7));
  // A BASIC program typed on the host, and what the CPC keeps for it.
  const auto cargador = Bytes("20 GOTO 10\r\n10 mode 1\n");
  const std::vector<std::uint8_t> fichas{8,  0, 10,   0,   0xAD, ' ', 0x0F, 0, 10, 0,
                                         20, 0, 0xA0, ' ', 0x1E, 10,  0,    0, 0,  0};
  for (const Caso &c : std::vector<Caso>{
           // A .BAS name: auto tokenises it; basic does whatever the name.
           {"cargador.bas",
            cargador,
            {},
            "CARGADOR.BAS (20 bytes, BASIC tokenizado de 2 líneas, cabecera AMSDOS añadida: "
            "BASIC, carga &0170)",
            fichas,
            "-"},
           {"cargador.txt",
            cargador,
            {"--tipo", "basic"},
            "CARGADOR.TXT (20 bytes, BASIC tokenizado de 2 líneas, cabecera AMSDOS añadida: "
            "BASIC, carga &0170)",
            fichas,
            "-"},
           // Any other name, or --raw, keeps a text as text.
           {"texto.bas",
            cargador,
            {"--raw"},
            "TEXTO.BAS (128 bytes, sin cabecera, 22 del archivo y 106 de relleno ^Z)",
            ConRelleno(cargador),
            "-"},
           {"unix.txt",
            Bytes(unix),
            {},
            "UNIX.TXT (128 bytes, sin cabecera, 2 líneas pasadas a CR LF, 28 del archivo y 100 "
            "de relleno ^Z)",
            ConRelleno(Bytes("10 PRINT \"HOLA\"\r\nLINEA DOS\r\n")),
            unix},
           {"cpm.txt",
            Bytes("A\r\nB\r\n"),
            {},
            "CPM.TXT (128 bytes, sin cabecera, 6 del archivo y 122 de relleno ^Z)",
            ConRelleno(Bytes("A\r\nB\r\n")),
            "A\nB\n"},
           {"exacto.txt",
            Bytes("A\nB\n"),
            {"--raw"},
            "EXACTO.TXT (128 bytes, sin cabecera, 4 del archivo y 124 de relleno ^Z)",
            ConRelleno(Bytes("A\nB\n")),
            "A\nB\n"},
           // Not plain ASCII: auto keeps it as it is, ascii says it is text.
           {"cafe.txt",
            latin1,
            {},
            "CAFE.TXT (128 bytes, sin cabecera, 5 del archivo y 123 de relleno ^Z)",
            ConRelleno(latin1),
            "-"},
           {"cafe2.txt",
            latin1,
            {"--tipo", "ascii"},
            "CAFE2.TXT (128 bytes, sin cabecera, 1 línea pasada a CR LF, 6 del archivo y 122 de "
            "relleno ^Z)",
            ConRelleno(Bytes("CAF\xC9\r\n")),
            "-"},
           {"game",
            Patron(40960, 5),
            {"--tipo", "binario", "--carga", "&4000", "--entrada", "&4010", "--nombre", "GAME.BIN"},
            "GAME.BIN (40960 bytes, cabecera AMSDOS añadida: binario, carga &4000, ejecución "
            "&4010)",
            Patron(40960, 5),
            "-"},
           // The most &4000 can take: up to &FFFF.
           {"tope.bin",
            Patron(49152, 6),
            {"--tipo", "binario", "--carga", "&4000"},
            "TOPE.BIN (49152 bytes, cabecera AMSDOS añadida: binario, carga &4000, ejecución "
            "&4000)",
            Patron(49152, 6),
            "-"},
           {"propio.bin",
            propio,
            {},
            "PROPIO.BIN (500 bytes, con su cabecera AMSDOS: binario, carga &8000, ejecución "
            "&8003)",
            Patron(500, 7),
            "-"},
           // A user is a decimal number, leading zeros and all.
           {"prog.bas",
            Patron(900, 8),
            {"--tipo", "basic", "--usuario", "010"},
            "10:PROG.BAS (900 bytes, cabecera AMSDOS añadida: BASIC, carga &0170)",
            Patron(900, 8),
            "-"},
       }) {
    SCOPED_TRACE(c.archivo);
    const std::string host = Host(c.archivo, c.bytes);
    std::vector<std::string> args{"put", imagen, host};
    args.insert(args.end(), c.opciones.begin(), c.opciones.end());
    const Resultado r = EjecutarCli(args);
    ASSERT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(r.errores, "");
    EXPECT_EQ(r.salida, host + " -> " + c.linea + "\n");
    const std::string nombre = c.linea.substr(0, c.linea.find(" ("));
    const auto leido = Extraer(dir, imagen, nombre);
    EXPECT_EQ(leido, c.leido);
    const json a =
        Archivos(imagen).at(nombre.find(':') == std::string::npos ? "0:" + nombre : nombre);
    EXPECT_EQ(a["longitud"], leido.size());
    EXPECT_EQ(
        c.linea.substr(nombre.size() + 2, c.linea.find(' ', nombre.size() + 2) - nombre.size() - 2),
        std::to_string(leido.size()));
    if (c.texto != "-") {
      EXPECT_EQ(Extraer(dir, imagen, nombre, {"--texto"}), Bytes(c.texto));
      const Resultado cat = EjecutarCli({"cat", imagen, nombre, "--texto"});
      EXPECT_EQ(cat.codigo, 0) << cat.errores;
      EXPECT_EQ(cat.salida, c.texto);
    }
  }
}

// Every refusal and usage error: the exit code, one line saying why, and the
// image byte for byte as it was, with nothing else left in its folder.
TEST_F(Escritura, RechazosNoTocanLaImagen) {
  struct Caso {
    std::vector<std::string> args;
    int codigo;
    std::string enError;
  };
  const std::string pequeno = Host("p.bin", Patron(100, 1));
  const std::string enorme = Host("enorme.bin", Patron(175 * 1024, 2));
  const std::string conEspacio = Host("mi juego.bin", Patron(10, 3));
  const std::string largo = Host("nombrelargo.bin", Patron(10, 4));
  const std::string code = Host("code.bin", Patron(10, 5));
  const std::string setenta = Host("setenta.bin", Patron(70000, 6));
  const std::string k64 = Host("k64.bin", Patron(65536, 7));
  const std::string largoBas = Host("largo.bas", Bytes("10 CLS\n20 REM " + std::string(300, 'x')));
  for (const Caso &c : std::vector<Caso>{
           // A line the CPC would refuse: basic says which and why.
           {{"put", imagen, largoBas, "--tipo", "basic"},
            1,
            largoBas + ": línea 20: tiene 307 caracteres y el CPC admite 255"},
           {{"put", imagen, code}, 1, "ya hay un 0:CODE.BIN en el disco (--force lo reemplaza)"},
           {{"put", imagen, dir.Archivo("host")}, 1, dir.Archivo("host") + ": es una carpeta"},
           // The header's 16-bit length and the CPC's 64 KB hold no more.
           {{"put", imagen, setenta, "--tipo", "binario", "--carga", "&4000"},
            1,
            "no cabe en la memoria del CPC: 70000 bytes desde &4000 pasan de &FFFF (desde ahí "
            "caben 49152)"},
           {{"put", imagen, k64, "--tipo", "binario", "--carga", "0"},
            1,
            "la cabecera AMSDOS guarda hasta 65535 bytes y el archivo tiene 65536"},
           // Unquoted, the shell takes "&4000" for itself and leaves --carga bare.
           {{"put", imagen, pequeno, "--tipo", "binario", "--carga"}, 2, "entre comillas"},
           {{"put", imagen, pequeno, "--tipo", "binario", "--carga="}, 2, "entre comillas"},
           {{"put", imagen, enorme}, 1, "K"},
           {{"put", imagen, conEspacio}, 1, "mi juego.bin"},
           {{"put", imagen, largo}, 1, "nombrelargo.bin"},
           {{"put", imagen, pequeno, "--nombre", "A*.BIN"}, 1, "A*.BIN"},
           {{"put", imagen, pequeno, "--nombre", "A.B;C"}, 1, "A.B;C"},
           {{"put", imagen, pequeno, dir.Archivo("no-esta.bin")}, 1, "no-esta.bin"},
           {{"put", imagen, pequeno, pequeno}, 1, "P.BIN"},
           {{"put", imagen, pequeno, "--tipo", "binario"}, 2, "--carga"},
           {{"put", imagen, pequeno, "--tipo", "binario", "--carga", "&10000"}, 2, "&10000"},
           {{"put", imagen, pequeno, "--tipo", "binario", "--carga", "&4000", "--entrada", "x"},
            2,
            "--entrada"},
           {{"put", imagen, pequeno, "--carga", "&4000"}, 2, "--tipo binario"},
           {{"put", imagen, pequeno, code, "--nombre", "X.BIN"}, 2, "--nombre"},
           {{"put", imagen, pequeno, "--tipo", "zip"},
            2,
            "--tipo: zip (auto, binario, basic o ascii)"},
           {{"put", imagen, pequeno, "--tipo", "binaro"},
            2,
            "--tipo: binaro; ¿quería decir binario?"},
           {{"put", imagen, pequeno, "--usuario", "16"}, 2, "--usuario: 16 (de 0 a 15)"},
           {{"put", imagen, pequeno, "--usuario", "-1"}, 2, "--usuario: -1 (de 0 a 15)"},
           {{"rm", imagen, "NADA.*"}, 1, "NADA.*"},
           {{"rm", imagen, "NOTAS.TXT", "NADA.*"}, 1, "NADA.*"},
           {{"rm", imagen, "FIJO.BIN"}, 1, "0:FIJO.BIN es de solo lectura (--force lo borra)"},
           // A name of several users is one of them, as ren takes it; --todos means all.
           {{"rm", imagen, "CODE.BIN"}, 1, "diga cuál: 0:CODE.BIN o 3:CODE.BIN, o dé --todos"},
           {{"rm", imagen, "*.bin"}, 1, "diga cuál: 0:*.bin o 3:*.bin, o dé --todos"},
           {{"rm", imagen, "17:X"}, 2, "17:X"},
           {{"ren", imagen, "NOTAS.TXT", "FIJO.BIN"}, 1, "FIJO.BIN"},
           {{"ren", imagen, "NOTAS.TXT", "MAL NOMBRE"}, 1, "MAL NOMBRE"},
           {{"ren", imagen, "NADA.TXT", "OTRO.TXT"}, 1, "NADA.TXT"},
           {{"ren", imagen, "CODE.BIN", "OTRO.BIN"}, 1, "diga cuál: 0:CODE.BIN o 3:CODE.BIN"},
           {{"ren", imagen, "*.TXT", "OTRO.TXT"}, 2, "*.TXT"},
           {{"attr", imagen, "NOTAS.TXT"}, 2, "--ro"},
           {{"attr", imagen, "NOTAS.TXT", "--ro", "--rw"}, 2, "no pueden ir juntas"},
           {{"attr", imagen, "NADA.TXT", "--ro"}, 1, "NADA.TXT"},
           {{"put", dir.Archivo("falta.dsk"), pequeno}, 1, "falta.dsk"},
           {{"rm", pequeno, "X"}, 1, pequeno},
       }) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const auto antes = Leer(imagen);
    const Resultado r = EjecutarCli(c.args);
    EXPECT_EQ(r.codigo, c.codigo);
    EXPECT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
    EXPECT_NE(r.errores.find(c.enError), std::string::npos) << r.errores;
    EXPECT_EQ(r.errores.rfind("alcove-cli: ", 0), 0U) << r.errores;
    EXPECT_EQ(Leer(imagen), antes);
    EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "host"}));
  }
}

// Counts agree with their words: one block, one entry, one K, and several.
TEST(EscrituraCuentas, UnoYVarios) {
  CarpetaTemporal dir;
  const auto archivo = [](const std::string &nombre, std::size_t largo) {
    return Generador::ArchivoCpm{0, nombre, "BIN", false, false, false, Patron(largo, 1), {}, 0};
  };
  Generador::DiscoCpm casiLleno(Generador::GeometriaData()); // one block free
  casiLleno.Agregar(archivo("GRANDE", 177 * 1024));
  Generador::DiscoCpm catalogo(Generador::GeometriaData()); // one entry free
  for (int i = 0; i < 63; ++i) {
    catalogo.Agregar(archivo("F" + std::to_string(i), 100));
  }
  const auto host = [&dir](const std::string &nombre, std::size_t largo) {
    Escribir(dir.Archivo(nombre), Patron(largo, 2));
    return dir.Archivo(nombre);
  };
  const std::string k2 = host("k2.bin", 2048), k4 = host("k4.bin", 4096);
  const std::string a = host("a.bin", 10), b = host("b.bin", 10);
  struct Caso {
    std::vector<std::uint8_t> disco;
    std::vector<std::string> args; // after the image
    std::string salida;            // found in standard output
    std::string error;             // standard error after "alcove-cli: IMAGEN: "
  };
  for (const Caso &c : std::vector<Caso>{
           {casiLleno.Bytes(), {}, "1 archivo, 1K libre, 0 entradas borradas", ""},
           {casiLleno.Bytes(),
            {k2},
            "",
            "no hay sitio: hacen falta 2 bloques (2 KB) y queda 1 libre; falta 1 (1 KB)"},
           {casiLleno.Bytes(),
            {k4},
            "",
            "no hay sitio: hacen falta 4 bloques (4 KB) y queda 1 libre; faltan 3 (3 KB)"},
           {catalogo.Bytes(),
            {a, b},
            "",
            "no hay sitio en el catálogo: hacen falta 2 entradas y queda 1 libre; falta 1"},
       }) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const std::string imagen = dir.Archivo("disco.dsk");
    Escribir(imagen, c.disco);
    std::vector<std::string> args{c.args.empty() ? "ls" : "put", imagen};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, c.error.empty() ? 0 : 1);
    EXPECT_NE(r.salida.find(c.salida), std::string::npos) << r.salida;
    EXPECT_EQ(r.errores, c.error.empty() ? "" : "alcove-cli: " + imagen + ": " + c.error + "\n");
  }
}

// Disks that cannot be read cleanly are never written, whatever the command.
TEST(EscrituraDanados, NoSeEscriben) {
  CarpetaTemporal dir;
  const auto archivo =
      Generador::ArchivoCpm{0, "JUEGO", "BIN", false, false, false, Patron(3000, 1), {}, 0};
  Generador::DiscoCpm sinCatalogo(Generador::GeometriaData());
  sinCatalogo.Agregar(archivo).QuitarSector(0, 0, 0xC2);
  Generador::DiscoCpm compartido(Generador::GeometriaData());
  compartido.Agregar(archivo);
  auto otro = Generador::CrearEntrada(0, "OTRO    BIN", 8);
  otro[16] = static_cast<std::uint8_t>(compartido.UltimosBloques().front()); // JUEGO's block
  compartido.FijarEntrada(5, otro);
  Generador::Geometria rara = Generador::GeometriaData();
  rara.primerSector = 0x91; // ParaDOS 80, whose format the reader does not know
  Generador::DiscoCpm desconocido(rara);
  desconocido.Agregar(archivo);
  const std::string host = dir.Archivo("nuevo.bin");
  Escribir(host, Patron(100, 2));
  struct Caso {
    std::string nombre;
    std::vector<std::uint8_t> bytes;
    std::string porque;
  };
  for (const auto &[nombre, bytes, porque] :
       std::vector<Caso>{{"sin-catalogo.dsk", sinCatalogo.Bytes(), "catálogo"},
                         {"compartido.dsk", compartido.Bytes(), "bloque 2"},
                         {"desconocido.dsk", desconocido.Bytes(), "formato desconocido"}}) {
    const std::string imagen = dir.Archivo(nombre);
    Escribir(imagen, bytes);
    for (const auto &args :
         std::vector<std::vector<std::string>>{{"put", imagen, host},
                                               {"rm", imagen, "JUEGO.BIN"},
                                               {"ren", imagen, "JUEGO.BIN", "OTRO.BAS"},
                                               {"attr", imagen, "JUEGO.BIN", "--ro"}}) {
      SCOPED_TRACE(nombre + " " + args[0]);
      const Resultado r = EjecutarCli(args);
      EXPECT_EQ(r.codigo, 1);
      EXPECT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
      EXPECT_NE(r.errores.find(imagen + ": "), std::string::npos) << r.errores;
      EXPECT_NE(r.errores.find(porque), std::string::npos) << r.errores;
      EXPECT_EQ(Leer(imagen), bytes);
    }
  }
}

TEST_F(Escritura, RmRenAttrIdaYVuelta) {
  Resultado r = EjecutarCli({"rm", imagen, "NOTAS.TXT", "FIJO.BIN", "--force"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "NOTAS.TXT borrado\nFIJO.BIN borrado\n2 archivos borrados\n");
  const Resultado ls = EjecutarCli({"ls", "--borrados", imagen});
  EXPECT_NE(ls.salida.find("Archivos borrados:\n"), std::string::npos) << ls.salida;
  EXPECT_NE(ls.salida.find("\nNOTAS   .TXT    1K\n"), std::string::npos) << ls.salida;

  r = EjecutarCli({"ren", imagen, "3:CODE.BIN", "5:OTRO.DAT"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "3:CODE.BIN -> 5:OTRO.DAT\n");
  r = EjecutarCli({"attr", imagen, "*.*", "--ro", "--sys", "--arc"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "CODE.BIN: R/O sí, SYS sí, ARC sí\n5:OTRO.DAT: R/O sí, SYS sí, ARC sí\n"
                      "2 archivos cambiados\n");
  auto a = Archivos(imagen);
  ASSERT_EQ(a.size(), 2U);
  for (const auto &[nombre, j] : a) {
    EXPECT_EQ(j["solo_lectura"], true) << nombre;
    EXPECT_EQ(j["sistema"], true) << nombre;
    EXPECT_EQ(j["archivado"], true) << nombre;
  }
  EXPECT_EQ(Extraer(dir, imagen, "5:OTRO.DAT"), Patron(256, 3));
  // A renamed file keeps its attributes; only the bits asked for change.
  ASSERT_EQ(EjecutarCli({"ren", imagen, "0:CODE.BIN", "JUEGO.BIN"}).codigo, 0);
  r = EjecutarCli({"attr", imagen, "JUEGO.BIN", "--rw", "--dir"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "JUEGO.BIN: R/O no, SYS no\n1 archivo cambiado\n");
  a = Archivos(imagen);
  EXPECT_EQ(a.at("0:JUEGO.BIN")["solo_lectura"], false);
  EXPECT_EQ(a.at("0:JUEGO.BIN")["sistema"], false);
  EXPECT_EQ(a.at("0:JUEGO.BIN")["archivado"], true);
  EXPECT_EQ(a.at("5:OTRO.DAT")["solo_lectura"], true);
  ASSERT_EQ(EjecutarCli({"attr", imagen, "JUEGO.BIN", "--no-arc"}).codigo, 0);
  EXPECT_EQ(Archivos(imagen).at("0:JUEGO.BIN")["archivado"], false);
  EXPECT_EQ(Extraer(dir, imagen, "JUEGO.BIN"), codigo);
  // With --force, put replaces the old file in the same write.
  const auto nuevo = Patron(5000, 9);
  EXPECT_EQ(EjecutarCli({"put", imagen, Host("juego.bin", nuevo)}).codigo, 1);
  r = EjecutarCli({"put", imagen, Host("juego.bin", nuevo), "--force"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Extraer(dir, imagen, "JUEGO.BIN"), ConRelleno(nuevo));
  EXPECT_EQ(Archivos(imagen).size(), 2U);
  // Files of users 0 and 5: all of them only with --todos.
  r = EjecutarCli({"rm", imagen, "*.*", "--force"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("--todos"), std::string::npos) << r.errores;
  r = EjecutarCli({"rm", imagen, "*.*", "--force", "--todos"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "JUEGO.BIN borrado\n5:OTRO.DAT borrado\n2 archivos borrados\n");
  EXPECT_TRUE(Archivos(imagen).empty());
}

// unrm brings back what rm erased, as get --borrados reads it, under the
// user asked for; never a file whose blocks another has taken since, nor over
// a live name; all or nothing.
TEST_F(Escritura, UnrmDevuelveLoQueRmBorroSiNadieOcupaSusBloques) {
  ASSERT_EQ(EjecutarCli({"rm", imagen, "NOTAS.TXT", "FIJO.BIN", "0:CODE.BIN", "--force"}).codigo,
            0);
  const std::string antes = dir.Archivo("antes");
  ASSERT_EQ(EjecutarCli({"get", "--borrados", imagen, "*.*", "-o", antes}).codigo, 0);
  // A new file takes the lowest free entry, CODE.BIN's, and the lowest free
  // blocks: CODE.BIN's four and NOTAS.TXT's one.
  ASSERT_EQ(EjecutarCli({"put", imagen, Host("nuevo.bin", Patron(4500, 4))}).codigo, 0);
  const std::vector<std::uint8_t> borrado = Leer(imagen);
  struct Caso {
    const char *nombre;
    std::vector<std::string> args;
    int codigo;
    const char *mensaje;
  };
  const std::vector<Caso> rechazos{
      {"blocks taken", {"NOTAS.TXT"}, 1, "no se puede recuperar NOTAS.TXT: su bloque"},
      {"one refused refuses all", {"FIJO.BIN", "NOTAS.TXT"}, 1, "su bloque"},
      {"its entry taken", {"CODE.BIN"}, 1, "ningún archivo borrado coincide con CODE.BIN"},
      {"a user that is none", {"FIJO.BIN", "--usuario", "16"}, 2, "de 0 a 15"},
  };
  for (const Caso &c : rechazos) {
    SCOPED_TRACE(c.nombre);
    std::vector<std::string> args{"unrm", imagen};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, c.codigo);
    EXPECT_NE(r.errores.find(c.mensaje), std::string::npos) << r.errores;
    EXPECT_EQ(Leer(imagen), borrado);
  }
  Resultado r = EjecutarCli({"unrm", imagen, "fijo.bin", "--usuario", "3"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, "FIJO.BIN recuperado como 3:FIJO.BIN\n1 archivo recuperado\n");
  EXPECT_EQ(Archivos(imagen).at("3:FIJO.BIN")["solo_lectura"], true)
      << "its attributes come back with it";
  EXPECT_EQ(Extraer(dir, imagen, "3:FIJO.BIN"), Leer(antes + "/FIJO.BIN"));
  // Once back, it is a live file: not twice.
  r = EjecutarCli({"unrm", imagen, "FIJO.BIN"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("ningún archivo borrado coincide con FIJO.BIN"), std::string::npos)
      << r.errores;
  // Nor over a live file of that name and user.
  ASSERT_EQ(EjecutarCli({"rm", imagen, "3:FIJO.BIN", "--force"}).codigo, 0);
  ASSERT_EQ(EjecutarCli({"ren", imagen, "3:CODE.BIN", "FIJO.BIN"}).codigo, 0);
  const std::vector<std::uint8_t> conNombre = Leer(imagen);
  r = EjecutarCli({"unrm", imagen, "FIJO.BIN", "--usuario", "3"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("ya hay un 3:FIJO.BIN en el disco"), std::string::npos) << r.errores;
  EXPECT_EQ(Leer(imagen), conNombre);
}

#if defined(_WIN32)
// These stop, kill or limit the child with POSIX signals and rlimits, or need links.
TEST_F(Escritura, EnlaceYPermisos) {
  GTEST_SKIP() << "sin enlaces sin privilegios ni bits de permiso POSIX en Windows";
}
TEST_F(Escritura, DiscoLlenoYMuerteAMitad) {
  GTEST_SKIP() << "sin RLIMIT_FSIZE ni SIGXFSZ en Windows";
}
TEST_F(Escritura, SistemaDeArchivosLleno) { GTEST_SKIP() << "sin mount ni tmpfs en Windows"; }
TEST_F(Escritura, MatadoEnCualquierMomento) { GTEST_SKIP() << "sin SIGSTOP ni SIGKILL en Windows"; }
TEST_F(Escritura, CambiadaMientrasTanto) { GTEST_SKIP() << "sin SIGSTOP en Windows"; }
TEST_F(Escritura, DosALaVezNoPierdenNada) { GTEST_SKIP() << "sin SIGSTOP en Windows"; }
#else
// IMAGEN through a link: the file it points to changes, the link stays, and
// the permission bits are kept.
TEST_F(Escritura, EnlaceYPermisos) {
  fs::create_directory(dir.Ruta() / "enlaces");
  const std::string enlace = dir.Archivo("enlaces/disco.dsk");
  fs::create_symlink(imagen, enlace);
  ::chmod(imagen.c_str(), 0604);
  const Resultado r = EjecutarCli({"put", enlace, Host("nuevo.bin", Patron(2000, 1))});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_TRUE(fs::is_symlink(enlace));
  EXPECT_EQ(fs::read_symlink(enlace), imagen);
  EXPECT_EQ(Archivos(imagen).count("0:NUEVO.BIN"), 1U);
  EXPECT_EQ(fs::status(imagen).permissions(), fs::perms(0604));
  EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "enlaces", "host"}));
  EXPECT_EQ(Nombres(dir.Ruta() / "enlaces"), std::set<std::string>{"disco.dsk"});
}

// A child started with its own file size limit; with `ignorar`, SIGXFSZ is
// ignored, so writes past the limit fail (as on a full disk) instead of
// killing it.
Resultado ConLimiteDeTamano(const std::vector<std::string> &args, rlim_t limite, bool ignorar) {
  rlimit antes{}, nucleo{};
  ::getrlimit(RLIMIT_FSIZE, &antes);
  ::getrlimit(RLIMIT_CORE, &nucleo);
  const auto senal = ::signal(SIGXFSZ, ignorar ? SIG_IGN : SIG_DFL);
  rlimit nuevo = antes;
  nuevo.rlim_cur = limite;
  const rlimit sinNucleo{0, nucleo.rlim_max};
  ::setrlimit(RLIMIT_CORE, &sinNucleo);
  ::setrlimit(RLIMIT_FSIZE, &nuevo);
  Resultado r = EjecutarCli(args);
  ::setrlimit(RLIMIT_FSIZE, &antes);
  ::setrlimit(RLIMIT_CORE, &nucleo);
  ::signal(SIGXFSZ, senal);
  return r;
}

TEST_F(Escritura, DiscoLlenoYMuerteAMitad) {
  const auto antes = Leer(imagen);
  const std::string archivo = Host("juego.bin", Patron(20000, 1));
  // The write fails part-way: refused, said, nothing left.
  Resultado r = ConLimiteDeTamano({"put", imagen, archivo}, antes.size() / 2, true);
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("la imagen queda como estaba"), std::string::npos) << r.errores;
  EXPECT_EQ(Leer(imagen), antes);
  EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "host"}));
  // The process is killed by the kernel in the middle of writing.
  r = ConLimiteDeTamano({"put", imagen, archivo}, antes.size() / 2, false);
  EXPECT_EQ(r.codigo, 128 + SIGXFSZ);
  EXPECT_EQ(Leer(imagen), antes);
  EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "host"}));
}

// A real full file system: a tiny tmpfs with room for the image but not for
// its new copy. Needs root (mount); skipped otherwise.
TEST_F(Escritura, SistemaDeArchivosLleno) {
  const fs::path punto = dir.Ruta() / "tmpfs";
  fs::create_directory(punto);
  if (::mount("alcove", punto.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "no se puede montar un tmpfs aquí";
  }
  const std::string enTmpfs = (punto / "disco.dsk").string();
  const auto antes = Leer(imagen);
  Escribir(enTmpfs, antes);
  const Resultado r = EjecutarCli({"put", enTmpfs, Host("juego.bin", Patron(20000, 1))});
  const auto despues = Leer(enTmpfs);
  const auto quedan = Nombres(punto);
  ::umount(punto.c_str());
  EXPECT_EQ(r.codigo, 1);
  EXPECT_NE(r.errores.find("no se ha podido escribir: disco lleno"), std::string::npos)
      << r.errores;
  EXPECT_EQ(despues, antes);
  EXPECT_EQ(quedan, std::set<std::string>{"disco.dsk"});
}

// Starts alcove-cli with its output thrown away; with `parar`, it stops itself
// just before replacing the image.
pid_t Lanzar(std::vector<std::string> args, bool parar) {
  args.insert(args.begin(), ALCOVE_CLI);
  std::vector<char *> argv;
  for (std::string &a : args) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  std::vector<std::string> entorno;
  for (char **e = environ; *e != nullptr; ++e) {
    entorno.emplace_back(*e);
  }
  if (parar) {
    entorno.emplace_back("ALCOVE_PRUEBA_PARAR_ANTES_DE_REEMPLAZAR=1");
  }
  std::vector<char *> envp;
  for (std::string &e : entorno) {
    envp.push_back(e.data());
  }
  envp.push_back(nullptr);
  posix_spawn_file_actions_t acciones;
  posix_spawn_file_actions_init(&acciones);
  posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&acciones, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  ::posix_spawn(&pid, argv[0], &acciones, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&acciones);
  return pid;
}

// Killed at any moment, the image is the old one or the new one, whole, and
// no temporary name ever takes its place.
TEST_F(Escritura, MatadoEnCualquierMomento) {
  const auto viejo = Leer(imagen);
  const std::string archivo = Host("juego.bin", Patron(60000, 1));
  const auto inicio = std::chrono::steady_clock::now();
  ASSERT_EQ(EjecutarCli({"put", imagen, archivo}).codigo, 0);
  // Kills spread over a whole run and a little after it.
  const auto duracion = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - inicio)
                            .count();
  const auto nuevo = Leer(imagen);
  ASSERT_NE(nuevo, viejo);
  std::mt19937 azar(17);
  int viejos = 0, nuevos = 0;
  for (int i = 0; i < 60; ++i) {
    Escribir(imagen, viejo);
    const pid_t pid = Lanzar({"put", imagen, archivo}, false);
    ASSERT_GT(pid, 0);
    ::usleep(static_cast<useconds_t>(azar() % static_cast<unsigned>(duracion * 3 / 2 + 1)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const auto ahora = Leer(imagen);
    ASSERT_TRUE(ahora == viejo || ahora == nuevo) << "vuelta " << i;
    (ahora == viejo ? viejos : nuevos)++;
    for (const std::string &n : Nombres(dir.Ruta())) {
      // The name given to the new file only to rename it at once may remain,
      // till the next write.
      EXPECT_TRUE(n == "disco.dsk" || n == "host" || n == ".disco.dsk.alcove-nuevo") << n;
    }
  }
  std::cout << "[          ] viejas " << viejos << ", nuevas " << nuevos << "\n";
}

// Someone changes the image between our reading and our writing: refused,
// and their change is what stays.
TEST_F(Escritura, CambiadaMientrasTanto) {
  struct Caso {
    const char *nombre;
    std::function<void(const std::string &)> cambio;
  };
  for (const Caso &c : std::vector<Caso>{
           {"otro programa la reescribe",
            [](const std::string &ruta) {
              auto b = Leer(ruta);
              b[600] ^= 0xFF;
              Escribir(ruta, b);
            }},
           {"otra igual en su lugar",
            [](const std::string &ruta) {
              Escribir(ruta + ".x", Leer(ruta));
              fs::rename(ruta + ".x", ruta);
            }},
       }) {
    SCOPED_TRACE(c.nombre);
    SetUp();
    const pid_t pid = Lanzar({"put", imagen, Host("x.bin", Patron(100, 1))}, true);
    ASSERT_GT(pid, 0);
    int estado = 0;
    ASSERT_EQ(::waitpid(pid, &estado, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(estado));
    c.cambio(imagen);
    const auto cambiada = Leer(imagen);
    ::kill(pid, SIGCONT);
    ASSERT_EQ(::waitpid(pid, &estado, 0), pid);
    EXPECT_TRUE(WIFEXITED(estado));
    EXPECT_EQ(WEXITSTATUS(estado), 1);
    EXPECT_EQ(Leer(imagen), cambiada);
    EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "host"}));
  }
}

// Two puts on one image at the same time: each either writes with the other's
// file kept, or is refused; neither change is ever lost.
TEST_F(Escritura, DosALaVezNoPierdenNada) {
  const auto original = Leer(imagen);
  const std::string a = Host("a.bin", Patron(20000, 1));
  const std::string b = Host("b.bin", Patron(20000, 2));
  int hechos = 0;
  for (int vuelta = 0; vuelta < 20; ++vuelta) {
    Escribir(imagen, original);
    const pid_t pa = Lanzar({"put", imagen, a}, false);
    const pid_t pb = Lanzar({"put", imagen, b}, false);
    int ea = 0, eb = 0;
    ASSERT_EQ(::waitpid(pa, &ea, 0), pa);
    ASSERT_EQ(::waitpid(pb, &eb, 0), pb);
    ASSERT_TRUE(WIFEXITED(ea) && WIFEXITED(eb));
    const auto archivos = Archivos(imagen);
    for (const auto &[estado, nombre] : {std::pair{ea, "0:A.BIN"}, std::pair{eb, "0:B.BIN"}}) {
      EXPECT_LE(WEXITSTATUS(estado), 1);
      if (WEXITSTATUS(estado) == 0) {
        EXPECT_EQ(archivos.count(nombre), 1U) << "vuelta " << vuelta << ": " << nombre;
        ++hechos;
      }
    }
    EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "host"}));
  }
  EXPECT_GE(hechos, 20);
}

#endif

TEST(EscrituraAyuda, CadaOrdenTieneAyuda) {
  for (const char *orden : {"new", "put", "rm", "unrm", "ren", "attr"}) {
    const Resultado r = EjecutarCli({orden, "--help"});
    EXPECT_EQ(r.codigo, 0) << orden;
    EXPECT_NE(r.salida.find("Uso: alcove-cli " + std::string(orden)), std::string::npos)
        << r.salida;
  }
  // new's help names every format --formato takes, as an unknown name lists them.
  const std::string error = EjecutarCli({"new", "x.dsk", "--formato", "ninguno"}).errores;
  const auto conocidos = error.find("los conocidos: ");
  ASSERT_NE(conocidos, std::string::npos) << error;
  const std::string ayuda = EjecutarCli({"new", "--help"}).salida;
  std::string lista = error.substr(conocidos + 15);
  lista.pop_back(); // the line end
  for (std::size_t i = 0; i < lista.size();) {
    const std::size_t fin = std::min(lista.find(", ", i), lista.size());
    const std::string nombre = lista.substr(i, fin - i);
    EXPECT_NE(ayuda.find(" " + nombre), std::string::npos) << nombre << "\n" << ayuda;
    i = fin + 2;
  }
  EXPECT_NE(lista.find("romdos-d10"), std::string::npos) << lista;
}

} // namespace
