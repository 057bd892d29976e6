// alcove-cli on images inside zips and .gz files, made here from generator
// images: read where they lie, named by the zip's path and the member's.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ZipDePrueba.h"
#include "imagenes/Fuente.h"

#include <gtest/gtest.h>
#include <iostream>
#include <nlohmann/json.hpp>

namespace {

using Generador::ImagenDsk;
using nlohmann::json;
using zip_prueba::Comprimido;
using zip_prueba::Guardado;

std::vector<std::uint8_t> Disco(std::uint8_t usuario, const char *nombre, std::size_t largo) {
  ImagenDsk img;
  img.AgregarFichero({usuario, nombre, "BAS", false, false, Patron(largo, 1)})
      .AgregarFichero({0, "DATOS", "BIN", false, false, Patron(300, 2)});
  return img.Bytes();
}

// planos/ holds the images as plain files; busqueda/ the same inside a
// collection zip (with broken members, a text and a nested zip), a .gz, a zip
// in another letter case and a file named .zip that is none.
class CliZip : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::filesystem::path planos = dir.Ruta() / "planos";
  std::filesystem::path busqueda = dir.Ruta() / "busqueda";
  std::vector<std::uint8_t> uno = Disco(0, "JUEGO", 1000);
  std::vector<std::uint8_t> dos = Disco(2, "OTRO", 200);
  std::string col = (busqueda / "col.zip").string();

  void SetUp() override {
    std::filesystem::create_directories(planos);
    std::filesystem::create_directories(busqueda / "SUB");
    Escribir((planos / "uno.dsk").string(), uno);
    Escribir((planos / "dos.dsk").string(), dos);
    auto roto = Comprimido("rotos/roto.dsk", uno);
    roto.danarEn = 0;
    auto crc = Comprimido("rotos/crc.dsk", dos);
    crc.crc = 1234;
    auto cifrado = Comprimido("rotos/cifrado.dsk", uno);
    cifrado.cifrado = true;
    const std::vector<std::uint8_t> ceros(17 * 1024 * 1024, 0);
    Escribir(col, zip_prueba::CrearZip({
                      Guardado("juegos/", {}),
                      Comprimido("juegos/abadia.dsk", uno),
                      Guardado("juegos/viejos/DOS.DSK", dos),
                      Comprimido("leeme.txt", Bytes("hola")),
                      Guardado("dentro.zip", zip_prueba::CrearZip({Comprimido("x.dsk", uno)})),
                      roto,
                      crc,
                      cifrado,
                      zip_prueba::QueDice(Comprimido("rotos/bomba.dsk", ceros), 1000),
                      zip_prueba::QueDice(Guardado("rotos/grande.dsk", uno), 20 << 20),
                  }));
    Escribir((busqueda / "suelto.dsk.gz").string(), zip_prueba::Gzip(dos));
    Escribir((busqueda / "SUB" / "otra.ZIP").string(),
             zip_prueba::CrearZip({Comprimido("tres.dsk", uno)}));
    Escribir((busqueda / "malo.zip").string(), Patron(3000, 4));
  }
};

// Every reading command gives on a member and on a .gz what it gives on the
// plain image.
TEST_F(CliZip, MiembroYGzComoImagen) {
  Escribir((planos / "dos.dsk.gz").string(), zip_prueba::Gzip(dos));
  struct Caso {
    const char *nombre;
    std::vector<std::string> antes, despues;
  };
  const std::vector<Caso> casos = {
      {"ls", {"ls", "-l"}, {}},
      {"info", {"info"}, {}},
      {"ls --json", {"ls", "--json"}, {}},
      {"cat", {"cat"}, {"DATOS.BIN", "--raw"}},
      {"dump", {"dump"}, {"0", "0", "&C1"}},
  };
  const std::vector<std::pair<std::string, std::string>> imagenes = {
      {(planos / "uno.dsk").string(), col + "/juegos/abadia.dsk"},
      {(planos / "dos.dsk").string(), col + "/juegos/viejos/DOS.DSK"},
      {(planos / "dos.dsk").string(), (planos / "dos.dsk.gz").string()},
  };
  for (const Caso &c : casos) {
    for (const auto &[plano, dentro] : imagenes) {
      SCOPED_TRACE(std::string(c.nombre) + " " + dentro);
      const auto argumentos = [&c](const std::string &imagen) {
        std::vector<std::string> a = c.antes;
        a.push_back(imagen);
        a.insert(a.end(), c.despues.begin(), c.despues.end());
        return a;
      };
      const Resultado esperado = EjecutarCli(argumentos(plano));
      const Resultado r = EjecutarCli(argumentos(dentro));
      EXPECT_EQ(r.codigo, 0) << r.errores;
      ASSERT_EQ(esperado.codigo, 0) << esperado.errores;
      std::string salida = esperado.salida;
      const auto reemplazar = [&salida](const std::string &de, const std::string &a) {
        for (std::size_t i = salida.find(de); i != std::string::npos;
             i = salida.find(de, i + a.size())) {
          salida.replace(i, de.size(), a);
        }
      };
      // JSON writes a Windows path's backslashes escaped.
      const auto enJson = [](const std::string &ruta) {
        const std::string texto = json(ruta).dump();
        return texto.substr(1, texto.size() - 2);
      };
      reemplazar(plano, dentro);
      if (enJson(plano) != plano) {
        reemplazar(enJson(plano), enJson(dentro));
      }
      EXPECT_EQ(r.salida, salida);
    }
  }
  const std::string destino = (dir.Ruta() / "sacado").string();
  const Resultado get = EjecutarCli({"get", col + "/juegos/abadia.dsk", "*.BAS", "-o", destino});
  EXPECT_EQ(get.codigo, 0) << get.errores;
  EXPECT_EQ(Leer(destino + "/JUEGO.BAS"), HastaRegistro(Patron(1000, 1)));
}

// A zip named alone: every image inside, in member order, under its full
// name; each broken member one line, and the others still listed.
TEST_F(CliZip, ZipSoloEnInfoYLs) {
  const Resultado r = EjecutarCli({"ls", col});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(r.salida.find(col + "/juegos/abadia.dsk:\n"), 0U) << r.salida;
  EXPECT_NE(r.salida.find("\n" + col + "/juegos/viejos/DOS.DSK:\n"), std::string::npos);
  EXPECT_EQ(r.salida.find("/rotos/"), std::string::npos) << "broken members list nothing";
  const auto errores = Lineas(r.errores);
  ASSERT_EQ(errores.size(), 5U) << r.errores;
  const std::vector<std::pair<const char *, const char *>> motivos = {
      {"roto.dsk", "datos comprimidos dañados"},
      {"crc.dsk", "CRC incorrecto"},
      {"cifrado.dsk", "cifrado"},
      {"bomba.dsk", "más bytes de los que declara el zip"},
      {"grande.dsk", "ocupa 20 MiB descomprimido; el límite es 16 MiB"}};
  for (std::size_t i = 0; i < motivos.size(); ++i) {
    EXPECT_EQ(errores[i].rfind("alcove-cli: " + col + "/rotos/" + motivos[i].first + ": ", 0), 0U)
        << errores[i];
    EXPECT_NE(errores[i].find(motivos[i].second), std::string::npos) << errores[i];
  }

  const json d = json::parse(EjecutarCli({"info", "--json", col}).salida);
  ASSERT_EQ(d["imagenes"].size(), 7U);
  EXPECT_EQ(d["imagenes"][1]["imagen"], col + "/juegos/viejos/DOS.DSK");
  EXPECT_EQ(d["imagenes"][1]["pistas"], 40);

  const Resultado vacio = EjecutarCli({"info", (busqueda / "malo.zip").string()});
  EXPECT_EQ(vacio.codigo, 1);
  EXPECT_EQ(vacio.errores, "alcove-cli: " + (busqueda / "malo.zip").string() +
                               ": no es un archivo zip (no tiene directorio central)\n");
}

// A directory damaged after its first entry: that member is still read, and
// the damage is one line.
TEST_F(CliZip, DirectorioDanadoDespuesDeUnMiembro) {
  auto zip = zip_prueba::CrearZip({Comprimido("a.dsk", uno), Comprimido("b.dsk", dos)});
  const std::string central = "PK\x01\x02";
  const auto primera = std::search(zip.begin(), zip.end(), central.begin(), central.end());
  const auto segunda = std::search(primera + 1, zip.end(), central.begin(), central.end());
  ASSERT_NE(segunda, zip.end());
  *segunda = 'X';
  const std::string parcial = (dir.Ruta() / "parcial.zip").string();
  Escribir(parcial, zip);
  const Resultado r = EjecutarCli({"ls", parcial});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(
      r.salida,
      EjecutarCli({"ls", (planos / "uno.dsk").string()}).salida.insert(0, parcial + "/a.dsk:\n"));
  EXPECT_EQ(r.errores, "alcove-cli: " + parcial + ": directorio central dañado en la entrada 2\n");
}

TEST_F(CliZip, NombresQueNoSonImagenes) {
  struct Caso {
    std::vector<std::string> args;
    std::string error;
  };
  const std::vector<Caso> casos = {
      {{"ls", col + "/juegos/nada.dsk"}, col + "/juegos/nada.dsk: no está en " + col},
      {{"cat", col, "X"},
       col + ": es un archivo zip; nombre una imagen de dentro: " + col + "/NOMBRE.dsk"},
      {{"info", (busqueda / "malo.zip").string() + "/a.dsk"},
       (busqueda / "malo.zip").string() + "/a.dsk: " + (busqueda / "malo.zip").string() +
           ": no es un archivo zip (no tiene directorio central)"},
      {{"ls", col + "/leeme.txt"}, col + "/leeme.txt: no es una imagen de disco CPCEMU"},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.args[1]);
    const Resultado r = EjecutarCli(c.args);
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.errores.rfind("alcove-cli: " + c.error, 0), 0U) << r.errores;
  }
}

// find walks into every zip it meets and into a zip given as a folder, the
// members in member order where the zip's name falls in the walk; each broken
// member and the zip that is none are said in their place. Text output reads
// only the start of each member, JSON reads members whole.
TEST_F(CliZip, FindEntraEnLosZips) {
  // Host files joined with the host's separator, members inside a zip with '/'.
  const std::string b = busqueda.string();
  const std::string gz = (busqueda / "suelto.dsk.gz").string();
  const std::string otra = (busqueda / "SUB" / "otra.ZIP").string();
  const Resultado hilo1 = EjecutarCli({"find", "*.BAS", b, "-j", "1"});
  EXPECT_EQ(hilo1.codigo, 0) << "something matched";
  EXPECT_EQ(Lineas(hilo1.salida),
            (std::vector<std::string>{
                col + "/juegos/abadia.dsk\t0\tJUEGO.BAS\t1024",
                col + "/juegos/viejos/DOS.DSK\t2\tOTRO.BAS\t256",
                // Its catalogue is whole; the CRC covers what the text search does not read.
                col + "/rotos/crc.dsk\t2\tOTRO.BAS\t256",
                gz + "\t2\tOTRO.BAS\t256",
                otra + "/tres.dsk\t0\tJUEGO.BAS\t1024",
            }));
  const auto errores = Lineas(hilo1.errores);
  const std::vector<std::string> donde = {
      col + "/rotos/roto.dsk: ", col + "/rotos/cifrado.dsk: ", col + "/rotos/bomba.dsk: ",
      col + "/rotos/grande.dsk: ", (busqueda / "malo.zip").string() + ": "};
  ASSERT_EQ(errores.size(), donde.size() + 1) << hilo1.errores;
  for (std::size_t i = 0; i < donde.size(); ++i) {
    EXPECT_EQ(errores[i].rfind("alcove-cli: " + donde[i], 0), 0U) << errores[i];
  }
  EXPECT_EQ(errores.back(), "alcove-cli: find: 1 zip dentro de otro zip no se ha abierto");
  const Resultado hilos2 = EjecutarCli({"find", "*.BAS", b, "-j", "2"});
  EXPECT_EQ(hilos2.salida, hilo1.salida);
  EXPECT_EQ(hilos2.errores, hilo1.errores);

  const json j = json::parse(EjecutarCli({"find", "2:*", b, "--json"}).salida);
  EXPECT_EQ(j["imagenes_leidas"], 9);
  ASSERT_EQ(j["coincidencias"].size(), 2U);
  EXPECT_EQ(j["coincidencias"][0]["imagen"], col + "/juegos/viejos/DOS.DSK");
  EXPECT_EQ(j["coincidencias"][1]["imagen"], gz);
  EXPECT_EQ(j["errores"].size(), 5U); // the bad CRC too, read whole
  EXPECT_EQ(j["errores"][1]["imagen"], col + "/rotos/crc.dsk");

  const Resultado solo = EjecutarCli({"find", "*.BAS", otra});
  EXPECT_EQ(solo.codigo, 0) << solo.errores;
  EXPECT_EQ(solo.salida, otra + "/tres.dsk\t0\tJUEGO.BAS\t1024\n");
}

// The writing commands refuse an image inside a zip or a .gz, and touch nothing.
TEST_F(CliZip, EscrituraRechazada) {
  const std::string gz = (busqueda / "suelto.dsk.gz").string();
  const std::string host = (dir.Ruta() / "NUEVO.BIN").string();
  Escribir(host, Patron(100, 3));
  struct Caso {
    const char *nombre;
    std::vector<std::string> args; // the image is args[1]
  };
  const std::vector<Caso> casos = {
      {"new en un zip", {"new", col + "/juegos/nuevo.dsk"}},
      {"new .gz", {"new", (busqueda / "nuevo.dsk.gz").string()}},
      {"new .zip", {"new", (busqueda / "nuevo.zip").string()}},
      {"put", {"put", col + "/juegos/abadia.dsk", host}},
      {"rm", {"rm", gz, "*.BAS"}},
      {"ren", {"ren", col + "/juegos/abadia.dsk", "JUEGO.BAS", "OTRO.BAS"}},
      {"attr", {"attr", col + "/juegos/viejos/DOS.DSK", "*.*", "--ro"}},
      {"attr zip", {"attr", col, "*.*", "--ro"}},
  };
  const auto zip = Leer(col);
  const auto suelto = Leer(gz);
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    const Resultado r = EjecutarCli(c.args);
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.errores,
              "alcove-cli: " + c.args[1] + ": " + imagenes::MotivoRutaComprimida() + "\n");
    EXPECT_EQ(r.salida, "");
  }
  EXPECT_EQ(Leer(col), zip);
  EXPECT_EQ(Leer(gz), suelto);
  EXPECT_FALSE(std::filesystem::exists(busqueda / "nuevo.dsk.gz"));
  EXPECT_FALSE(std::filesystem::exists(busqueda / "nuevo.zip"));
}

TEST_F(CliZip, RutasQueNoSePuedenEscribir) {
  std::filesystem::create_directories(busqueda / "carpeta.zip");
  for (const std::string &si : {col, col + "/juegos/abadia.dsk", col + "/nada.dsk",
                                (busqueda / "suelto.dsk.gz").string(), std::string("nuevo.ZIP")}) {
    EXPECT_TRUE(imagenes::EsRutaComprimida(si)) << si;
  }
  for (const std::string &no :
       {(planos / "uno.dsk").string(), (busqueda / "carpeta.zip" / "a.dsk").string(),
        std::string("nuevo.dsk")}) {
    EXPECT_FALSE(imagenes::EsRutaComprimida(no)) << no;
  }
}

// Entries that share one member's data, as zip bombs are made, are refused
// unread: the data is inflated once, for the first of them, however many
// entries point into it.
TEST_F(CliZip, DatosCompartidosSeLeenUnaVez) {
  std::vector<zip_prueba::Miembro> miembros = {Comprimido("a.dsk", uno)};
  for (int i = 0; i < 40; ++i) {
    auto m = Comprimido("copia" + std::to_string(i) + ".dsk", uno);
    m.datosDe = 0;
    miembros.push_back(m);
  }
  auto dentro = Comprimido("dentro.dsk", uno);
  dentro.datosDe = 0;
  dentro.desplazar = 40; // a local header of its own inside a's data
  miembros.push_back(dentro);
  const std::string bomba = dir.Archivo("bomba.zip");
  Escribir(bomba, zip_prueba::CrearZip(miembros));
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"ls", bomba},
           {"find", "*", bomba},
           {"find", "*", bomba, "--json"},
       }) {
    SCOPED_TRACE(testing::PrintToString(args));
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, args[0] == "ls" ? 1 : 0);
    const auto errores = Lineas(r.errores);
    ASSERT_EQ(errores.size(), 41U) << r.errores;
    if (args.back() == "--json") {
      const json j = json::parse(r.salida);
      EXPECT_EQ(j["coincidencias"].size(), 2U);
      EXPECT_EQ(j["coincidencias"][0]["imagen"], bomba + "/a.dsk");
      EXPECT_EQ(j["errores"].size(), 41U);
    } else {
      EXPECT_NE(r.salida.find(bomba + "/a.dsk"), std::string::npos) << r.salida;
      EXPECT_EQ(r.salida.find("copia"), std::string::npos) << r.salida;
    }
    EXPECT_EQ(errores[0], "alcove-cli: " + bomba +
                              "/copia0.dsk: sus datos comprimidos son los de otro miembro (a.dsk): "
                              "posible bomba zip; no se lee");
    EXPECT_EQ(errores[40].rfind("alcove-cli: " + bomba + "/dentro.dsk: ", 0), 0U) << errores[40];
  }
}

// Whatever reads a zip's members over and over, a run inflates no more of one
// zip than twice what deflate can make of its bytes (1032 to 1), and 16 MiB more.
TEST_F(CliZip, PresupuestoDeDescompresion) {
  const std::string zip = dir.Archivo("uno.zip");
  Escribir(zip, zip_prueba::CrearZip({Comprimido("a.dsk", uno)}));
  const std::uint64_t presupuesto = 2 * 1032 * std::filesystem::file_size(zip) + (16 << 20);
  const std::size_t caben = static_cast<std::size_t>(presupuesto / uno.size());
  std::vector<std::string> args{"info"};
  args.insert(args.end(), caben + 2, zip + "/a.dsk");
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, 1);
  std::size_t leidas = 0;
  for (const std::string &l : Lineas(r.salida)) {
    leidas += l.rfind("Disposición: ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(leidas, caben);
  const auto errores = Lineas(r.errores);
  ASSERT_EQ(errores.size(), 2U) << r.errores;
  EXPECT_EQ(errores[0].rfind(
                "alcove-cli: " + zip + "/a.dsk: presupuesto de descompresión del zip agotado (", 0),
            0U)
      << errores[0];
}

// A name two members hold names the first; the others are said to be hidden,
// not read as the first again. A name in another letter case finds the one
// member it can mean, as image names are found, and lists them when it could
// mean several.
TEST_F(CliZip, NombresRepetidosYMayusculas) {
  const std::string zip = dir.Archivo("nombres.zip");
  Escribir(zip,
           zip_prueba::CrearZip({Comprimido("Juegos/Abadia.DSK", uno), Comprimido("a.dsk", uno),
                                 Comprimido("a.dsk", dos), Comprimido("a.dsk", dos),
                                 Comprimido("x.dsk", uno), Comprimido("X.DSK", dos)}));
  const std::string oculto =
      "alcove-cli: " + zip +
      "/a.dsk: el zip guarda 3 miembros con este nombre: se lee el primero y los otros 2 quedan "
      "ocultos\n";
  Resultado r = EjecutarCli({"ls", zip});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(r.errores, oculto);
  std::size_t titulos = 0;
  for (const std::string &l : Lineas(r.salida)) {
    titulos += l.rfind(zip + "/", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(titulos, 4U) << r.salida;
  r = EjecutarCli({"find", "*.BAS", zip});
  EXPECT_EQ(r.codigo, 0);
  EXPECT_EQ(r.errores, oculto);
  EXPECT_EQ(r.salida.find(zip + "/a.dsk\t2\tOTRO.BAS"), std::string::npos) << r.salida;
  EXPECT_NE(r.salida.find(zip + "/a.dsk\t0\tJUEGO.BAS"), std::string::npos) << r.salida;

  const std::string lsUno = EjecutarCli({"ls", (planos / "uno.dsk").string()}).salida;
  const std::string lsDos = EjecutarCli({"ls", (planos / "dos.dsk").string()}).salida;
  struct Caso {
    std::string miembro;
    int codigo;
    std::string salida;
    std::string error{};
  };
  for (const Caso &c : std::vector<Caso>{
           {"Juegos/Abadia.DSK", 0, lsUno},
           {"juegos/abadia.dsk", 0, lsUno},
           {"A.DSK", 0, lsUno},
           {"X.DSK", 0, lsDos},
           {"x.Dsk", 1, "", "no está en " + zip + "; con otras mayúsculas hay x.dsk y X.DSK"},
           {"b.dsk", 1, "", "no está en " + zip},
       }) {
    SCOPED_TRACE(c.miembro);
    r = EjecutarCli({"ls", zip + "/" + c.miembro});
    EXPECT_EQ(r.codigo, c.codigo);
    EXPECT_EQ(r.salida, c.salida);
    EXPECT_EQ(r.errores, c.error.empty()
                             ? ""
                             : "alcove-cli: " + zip + "/" + c.miembro + ": " + c.error + "\n");
  }
}

// The directories read in a run stay in memory only while their members are
// on their way: a zip walked under many names is read once (the same file is
// known by its device and inode), and many zips in a row take the memory of a
// few.
TEST(CliZipMemoria, AcotadaPorLosZipsEnCurso) {
  CarpetaTemporal dir;
  std::vector<zip_prueba::Miembro> miembros;
  for (int i = 0; i < 40000; ++i) {
    miembros.push_back(Guardado("una/carpeta/con/nombre-" + std::to_string(i) + ".txt", {}));
  }
  const auto zip = zip_prueba::CrearZip(miembros);
  const std::filesystem::path uno = dir.Ruta() / "uno";
  const std::filesystem::path enlaces = dir.Ruta() / "enlaces";
  const std::filesystem::path pocas = dir.Ruta() / "pocas";
  const std::filesystem::path muchas = dir.Ruta() / "muchas";
  for (const auto &c : {uno, enlaces, pocas, muchas}) {
    std::filesystem::create_directory(c);
  }
  Escribir(Utf8(uno / "a.zip"), zip);
  for (int i = 0; i < 16; ++i) {
    const std::string nombre = "z" + std::to_string(i) + ".zip";
    std::filesystem::create_hard_link(uno / "a.zip", enlaces / nombre);
    Escribir(Utf8(muchas / nombre), zip);
    if (i < 4) {
      Escribir(Utf8(pocas / nombre), zip);
    }
  }
  // AddressSanitizer keeps freed memory in a quarantine of 256 MB, so the
  // peak there grows with everything ever freed (CI saw 252 MB for 16 zips).
  bool conAsan = false;
#if defined(__SANITIZE_ADDRESS__)
  conAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  conAsan = true;
#endif
#endif
  if (conAsan) {
    GTEST_SKIP() << "con AddressSanitizer la memoria liberada espera en su cuarentena";
  }
  // The zips in flight are as many as the threads reading them: two, on
  // any machine, or a machine with more cores holds more of them at once.
  const auto memoria = [](const std::filesystem::path &carpeta) {
    const Resultado r = EjecutarCli({"find", "-j", "2", "*.*", Utf8(carpeta)});
    EXPECT_EQ(r.codigo, 1) << r.errores; // nothing matched
    return r.memoriaMaximaKb;
  };
  const long base = memoria(uno);
  if (base == 0) {
    GTEST_SKIP() << "el sistema no dice cuánta memoria usó el proceso";
  }
  const long conEnlaces = memoria(enlaces);
  const long conPocas = memoria(pocas);
  const long conMuchas = memoria(muchas);
  EXPECT_LT(conEnlaces, base * 3 / 2);
  EXPECT_LT(conMuchas, conPocas * 3 / 2);
  std::cout << "[          ] KB: 1 zip " << base << ", 16 enlaces " << conEnlaces << ", 4 copias "
            << conPocas << ", 16 copias " << conMuchas << "\n";
}

} // namespace
