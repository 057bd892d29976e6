// alcove-cli never claims more than it did: an unreadable catalogue is not an
// empty disk, a failed write is not a success, no file of a run is lost to
// another, and nothing from a disk reaches a terminal as a command.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ZipDePrueba.h"
#include "ver/Protegido.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

using Generador::DiscoCpm;
using nlohmann::json;

// A data disk with one file, and the same disk with &C1 of another size (no
// entry readable) or without &C3 (the second half of the entries).
class CliCatalogoIncompleto : public testing::Test {
protected:
  CarpetaTemporal dir;
  // Joined with the host's separator, as find joins the folder and the name.
  std::string sinNada = (dir.Ruta() / "sin_nada" / "disco.dsk").string();
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
      "catálogo incompleto: tiene el código de tamaño 3 el sector &C1 de la pista 0, cara 0";
  const std::string faltaC3 = "catálogo incompleto: falta el sector &C3 de la pista 0, cara 0";
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
            "catálogo incompleto: falta el sector &C1 de la pista 0, cara 0"},
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
           // &C1 of size code 3, stored at 512 bytes: its code and its stored length.
           {sinNada, 1, "3 problemas en la lectura (alcove-cli info los detalla)"},
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

namespace {

std::set<std::string> Nombres(const std::filesystem::path &carpeta) {
  std::set<std::string> nombres;
  for (const auto &e : std::filesystem::directory_iterator(carpeta)) {
    nombres.insert(e.path().filename().string());
  }
  return nombres;
}

#if defined(_WIN32)
// Stopping a process (SIGSTOP), links to folders and O_TMPFILE are POSIX's.
TEST(CliEscritura, DestinoAbiertoUnaSolaVez) {
  GTEST_SKIP() << "sin SIGSTOP ni enlaces a carpetas en Windows";
}
TEST(CliEscritura, InterrumpidoNoDejaTemporales) { GTEST_SKIP() << "sin SIGSTOP en Windows"; }
#else
// alcove-cli run with the writing test hook: it stops itself (SIGSTOP) once a
// file's bytes are written and before they are put in place.
class ProcesoPausado {
public:
  ProcesoPausado(const std::vector<std::string> &args, const std::string &modo) {
    std::vector<std::string> todos{ALCOVE_CLI};
    todos.insert(todos.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : todos) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::string variable = "ALCOVE_PRUEBA_ESCRITURA=" + modo;
    std::vector<char *> entorno{variable.data()};
    for (char **e = environ; *e != nullptr; ++e) {
      entorno.push_back(*e);
    }
    entorno.push_back(nullptr);
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    for (const int fd : {0, 1, 2}) {
      posix_spawn_file_actions_addopen(&acciones, fd, "/dev/null", O_RDWR, 0);
    }
    if (::posix_spawn(&pid_, argv[0], &acciones, nullptr, argv.data(), entorno.data()) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&acciones);
  }
  ~ProcesoPausado() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ProcesoPausado(const ProcesoPausado &) = delete;
  ProcesoPausado &operator=(const ProcesoPausado &) = delete;

  // True when it has stopped; false when it has ended (or did not start, or
  // took over 30 s, when it is killed).
  bool EsperarPausa() {
    for (int i = 0; pid_ > 0 && i < 3000; ++i) {
      int estado = 0;
      const pid_t r = ::waitpid(pid_, &estado, WNOHANG | WUNTRACED);
      if (r == pid_ && WIFSTOPPED(estado)) {
        return true;
      }
      if (r == pid_) {
        estado_ = estado;
        pid_ = -1;
        return false;
      }
      ::usleep(10000);
    }
    return false;
  }
  void Senal(int senal) const { ::kill(pid_, senal); }
  // Lets it go on through every later stop, to its end.
  void Terminar() {
    do {
      Senal(SIGCONT);
    } while (EsperarPausa());
  }
  [[nodiscard]] int Estado() const { return estado_; }

private:
  pid_t pid_ = -1;
  int estado_ = -1;
};

bool HayOTmpfile(const std::filesystem::path &carpeta) {
  const int fd = ::open(carpeta.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
  }
  return fd >= 0;
}

class CliEscritura : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string imagen = dir.Archivo("disco.dsk");
  std::filesystem::path destino = dir.Ruta() / "destino";

  void SetUp() override {
    Generador::ImagenDsk img;
    for (const char *nombre : {"A", "B", "C"}) {
      img.AgregarFichero({0, nombre, "BIN", false, false, Patron(3000, 1)});
    }
    Escribir(imagen, img.Bytes());
    std::filesystem::create_directory(destino);
  }
};

// The folder is opened once: swapping it for a link halfway steers nothing.
TEST_F(CliEscritura, DestinoAbiertoUnaSolaVez) {
  const std::filesystem::path otro = dir.Ruta() / "otro";
  const std::filesystem::path movido = dir.Ruta() / "movido";
  std::filesystem::create_directory(otro);
  ProcesoPausado p({"get", imagen, "*", "-o", destino.string()}, "pausa");
  ASSERT_TRUE(p.EsperarPausa());
  std::filesystem::rename(destino, movido);
  std::filesystem::create_directory_symlink(otro, destino);
  p.Terminar();
  ASSERT_TRUE(WIFEXITED(p.Estado()));
  EXPECT_EQ(WEXITSTATUS(p.Estado()), 0);
  EXPECT_EQ(Nombres(movido), (std::set<std::string>{"A.BIN", "B.BIN", "C.BIN"}));
  EXPECT_EQ(Nombres(otro), std::set<std::string>{});
}

// Killed between two files, a run leaves the files it finished and nothing
// else: no temporary file under any name.
TEST_F(CliEscritura, InterrumpidoNoDejaTemporales) {
  struct Caso {
    const char *modo;
    int senal;
  };
  const bool tmpfile = HayOTmpfile(destino);
  for (const Caso &c : std::vector<Caso>{{"pausa", SIGKILL},
                                         {"pausa", SIGTERM},
                                         {"pausa-sin-tmpfile", SIGTERM},
                                         {"pausa-sin-tmpfile", SIGINT}}) {
    SCOPED_TRACE(std::string(c.modo) + " " + strsignal(c.senal));
    if (c.senal == SIGKILL && !tmpfile) {
      continue; // only a file with no name survives kill -9 unseen
    }
    std::filesystem::remove_all(destino);
    std::filesystem::create_directory(destino);
    ProcesoPausado p({"get", imagen, "*", "-o", destino.string()}, c.modo);
    ASSERT_TRUE(p.EsperarPausa());
    p.Senal(SIGCONT);
    ASSERT_TRUE(p.EsperarPausa()); // A.BIN is in place, B.BIN's bytes are written
    const std::size_t temporales = std::string(c.modo) == "pausa" && tmpfile ? 0 : 1;
    EXPECT_EQ(Nombres(destino).size(), 1 + temporales);
    p.Senal(c.senal);
    p.Senal(SIGCONT);
    EXPECT_FALSE(p.EsperarPausa());
    ASSERT_TRUE(WIFSIGNALED(p.Estado()));
    EXPECT_EQ(WTERMSIG(p.Estado()), c.senal);
    EXPECT_EQ(Nombres(destino), std::set<std::string>{"A.BIN"});
  }
}

#endif

} // namespace

namespace {

// Names that become the same host name, and a user prefix that meets a real
// name: every file of a run gets its own host name, and --force replaces only
// what was there before the run.
TEST(CliGetNombres, CadaArchivoDeUnaVezConSuNombre) {
  CarpetaTemporal dir;
  struct Disco {
    std::uint8_t usuario;
    const char *nombre, *ext;
  };
  const std::vector<Disco> enDisco = {{0, "A/B", ""},       {0, "A:B", ""},     {0, "A*B", ""},
                                      {0, "1_GAME", "BIN"}, {0, "GAME", "BIN"}, {1, "GAME", "BIN"}};
  Generador::ImagenDsk img;
  std::multiset<std::vector<std::uint8_t>> contenidos;
  for (std::size_t i = 0; i < enDisco.size(); ++i) {
    const auto bytes = Patron(128 * (i + 1), static_cast<std::uint8_t>(i));
    img.AgregarFichero(
        {enDisco[i].usuario, enDisco[i].nombre, enDisco[i].ext, false, false, bytes});
    contenidos.insert(bytes);
  }
  const std::string imagen = dir.Archivo("disco.dsk");
  Escribir(imagen, img.Bytes());
  const std::vector<std::uint8_t> viejo{9, 9, 9};

  struct Caso {
    const char *nombre;
    std::vector<std::string> antes; // files in the folder before the run
    bool forzar;
    int codigo;
    std::set<std::string> viejosQuedan; // of those, the ones left as they were
  };
  for (const Caso &c : std::vector<Caso>{
           {"CarpetaVacia", {}, false, 0, {}},
           {"SinForce", {"A_B", "A_B_2"}, false, 1, {"A_B", "A_B_2"}},
           {"ConForce", {"A_B", "A_B_2"}, true, 0, {"A_B_2"}},
       }) {
    SCOPED_TRACE(c.nombre);
    const std::filesystem::path destino = dir.Ruta() / c.nombre;
    std::filesystem::create_directory(destino);
    for (const std::string &n : c.antes) {
      Escribir((destino / n).string(), viejo);
    }
    std::vector<std::string> args{"get", imagen, "*", "*.*", "-o", destino.string()};
    if (c.forzar) {
      args.push_back("--force");
    }
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, c.codigo) << r.errores;
    std::multiset<std::vector<std::uint8_t>> escritos;
    for (const std::string &n : Nombres(destino)) {
      const auto bytes = Leer((destino / n).string());
      if (bytes == viejo) {
        EXPECT_EQ(c.viejosQuedan.count(n), 1U) << n;
      } else {
        escritos.insert(bytes);
      }
    }
    // Every file of the disk once, and one line for each on the output.
    const std::size_t rechazados = c.codigo == 0 ? 0 : 1;
    EXPECT_EQ(escritos.size() + rechazados, contenidos.size());
    for (const auto &b : escritos) {
      EXPECT_EQ(contenidos.count(b), 1U);
    }
    EXPECT_EQ(Lineas(r.salida).size(), contenidos.size() - rechazados) << r.salida;
    EXPECT_EQ(Lineas(r.errores).size(), rechazados) << r.errores;
  }
}

// Something that is there but is not what the command wants is named for what it is.
TEST(CliGetNombres, LoQueNoEsUnaImagenOUnaCarpeta) {
  CarpetaTemporal dir;
  const std::string carpeta = dir.Archivo("carpeta.dsk");
  const std::string fifo = dir.Archivo("tubo.dsk");
  const std::string imagen = dir.Archivo("disco.dsk");
  std::filesystem::create_directory(carpeta);
#if defined(_WIN32)
  const bool hayFifo = false; // Windows has no FIFOs
#else
  const bool hayFifo = true;
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "A", "BIN", false, false, Patron(100, 1)});
  Escribir(imagen, img.Bytes());
  struct Caso {
    std::vector<std::string> args;
    std::string error;
  };
  for (const Caso &c : std::vector<Caso>{
           {{"ls", carpeta}, carpeta + ": es una carpeta, no una imagen de disco"},
           {{"info", fifo}, fifo + ": es un FIFO, no una imagen de disco"},
           {{"cat", carpeta, "A.BIN"}, carpeta + ": es una carpeta, no una imagen de disco"},
           {{"get", imagen, "*", "-o", imagen}, imagen + ": no es una carpeta"},
       }) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    if (!hayFifo && c.args[1] == fifo) {
      continue;
    }
    const Resultado r = EjecutarCli(c.args);
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.errores, "alcove-cli: " + c.error + "\n");
  }
}

} // namespace

namespace {

// What a disk holds reaches a terminal only as visible text; piped, as it is.
class CliCat : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string imagen = dir.Archivo("disco.dsk");
  // LIST of a REM holding what retitles a terminal, writes its clipboard
  // (OSC 52) and clears it (a C1 CSI).
  std::string rem = "10 REM \x1B]52;c;eA==\x07\x9B"
                    "2J\n";
  std::vector<std::uint8_t> protegido = Patron(40, 5);
  std::vector<std::uint8_t> binario = Bytes("AB\x1B[2J\x9B"
                                            "CD\r\nEF\n");

  void SetUp() override {
    // One line record: length, number 10, REM and its text, &00; then the end.
    const std::string cola = rem.substr(7, rem.size() - 8);
    std::vector<std::uint8_t> linea = {0, 0, 10, 0, 0xC5, ' '};
    for (const char c : cola) {
      linea.push_back(static_cast<std::uint8_t>(c));
    }
    linea.push_back(0);
    linea[0] = static_cast<std::uint8_t>(linea.size());
    linea.push_back(0);
    linea.push_back(0);
    protegido = Ver::ProtegerBasic(linea); // the same program, saved protected
    Generador::ImagenDsk img;
    img.Creador("EVIL\x1B]0;X\x07")
        .AgregarFichero(
            {0, "ESC", "BAS", false, false, ConCabecera("ESC     BAS", 0, 0x170, 0, linea)})
        .AgregarFichero(
            {0, "PROT", "BAS", false, false, ConCabecera("PROT    BAS", 1, 0x170, 0, protegido)})
        .AgregarFichero(
            {0, "CODE", "BIN", false, false, ConCabecera("CODE    BIN", 2, 0x4000, 0, binario)})
        .AgregarFichero({0, "NOTAS", "TXT", false, false, Bytes("HOLA\r\n\x1A")});
    Escribir(imagen, img.Bytes());
  }
};

TEST_F(CliCat, TerminalVeLosControlesYUnTuboLosBytes) {
  const bool hayTerminal = TerminalNoDisponible().empty();
  struct Caso {
    const char *nombre;
    std::vector<std::string> args;
    bool terminal;
    std::string salida; // whole, or its start when `inicio`
    bool inicio = false;
  };
  // --texto gives a text's line ends as LF.
  const std::string binarioTexto = "AB\x1B[2J\x9B"
                                   "CD\nEF\n";
  for (const Caso &c : std::vector<Caso>{
           {"BasicATerminal", {"ESC.BAS"}, true, "10 REM \\x1B]52;c;eA==\\x07\\x9B2J\r\n"},
           {"BasicATubo", {"ESC.BAS"}, false, rem},
           {"TextoForzadoATerminal", {"CODE.BIN", "--texto"}, true, "AB\\x1B[2J\\x9BCD\r\nEF\r\n"},
           {"TextoForzadoATubo", {"CODE.BIN", "--texto"}, false, binarioTexto},
           {"TextoSinCabeceraHastaCtrlZ", {"NOTAS.TXT", "--texto"}, false, "HOLA\n"},
           {"CrudoATerminal", {"CODE.BIN", "--raw"}, true, "\\x00", true},
           {"HexATubo",
            {"CODE.BIN", "--hex"},
            false,
            "4000  41 42 1B 5B 32 4A 9B 43  44 0D 0A 45 46 0A ",
            true},
           // A protected program is listed as any other; --hex dumps its stored bytes.
           {"ProtegidoATerminal", {"PROT.BAS"}, true, "10 REM \\x1B]52;c;eA==\\x07\\x9B2J\r\n"},
           {"ProtegidoATubo", {"PROT.BAS"}, false, rem},
           {"ProtegidoHex", {"PROT.BAS", "--hex"}, false, "0170  ", true},
           {"ProtegidoTexto", {"PROT.BAS", "--texto"}, false, rem},
       }) {
    SCOPED_TRACE(c.nombre);
    if (c.terminal && !hayTerminal) {
      continue;
    }
    std::vector<std::string> args{"cat", imagen};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Resultado r = EjecutarCli(args, c.terminal);
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(c.inicio ? r.salida.substr(0, c.salida.size()) : r.salida, c.salida);
    if (c.terminal) {
      EXPECT_EQ(r.salida.find_first_of("\x1B\x07\x9B"), std::string::npos);
    }
  }
  EXPECT_EQ(EjecutarCli({"cat", imagen, "CODE.BIN", "--hex", "--texto"}).codigo, 2);
}

// info shows the header's bytes as visible text too; several images are
// told apart by a blank line and their names.
TEST_F(CliCat, InfoYVariasImagenes) {
  Resultado r = EjecutarCli({"info", imagen});
  EXPECT_NE(r.salida.find("Creador: EVIL\\x1B]0;X\\x07\n"), std::string::npos) << r.salida;
  const std::string otra = dir.Archivo("otra.dsk");
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "UNO", "TXT", false, false, Bytes("1")});
  Escribir(otra, img.Bytes());
  const std::string listaOtra = EjecutarCli({"ls", otra}).salida;
  const std::string listaImagen = EjecutarCli({"ls", imagen}).salida;
  r = EjecutarCli({"ls", otra, imagen});
  EXPECT_EQ(r.salida, otra + ":\n" + listaOtra + "\n" + imagen + ":\n" + listaImagen);
}

} // namespace

namespace {

// The same get run again with --force gives the same names: a user's number
// in front is a name the user can foresee, replaced like the file's own.
TEST(CliGetNombres, OtraVezConForceLosMismosNombres) {
  CarpetaTemporal dir;
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "CODE", "BIN", false, false, Patron(200, 1)})
      .AgregarFichero({3, "CODE", "BIN", false, false, Patron(300, 2)});
  const std::string imagen = dir.Archivo("disco.dsk");
  Escribir(imagen, img.Bytes());
  const std::string destino = dir.Archivo("fuera");
  for (int vez = 0; vez < 2; ++vez) {
    const Resultado r = EjecutarCli({"get", imagen, "*.*", "-o", destino, "--force"});
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(Nombres(destino), (std::set<std::string>{"CODE.BIN", "3_CODE.BIN"}));
  }
  EXPECT_EQ(Leer(destino + "/3_CODE.BIN"), HastaRegistro(Patron(300, 2)));
}

} // namespace

namespace {

// Names from zips and from the host reach a terminal only as visible text, on
// standard output and in error lines alike: a member's name cannot retitle the
// window, clear it or write the clipboard. Piped, and in JSON, they are exact.
TEST(CliNombresEnTerminal, ControlesVisibles) {
  if (const std::string motivo = TerminalNoDisponible(); !motivo.empty()) {
    GTEST_SKIP() << motivo;
  }
  CarpetaTemporal dir;
  // A window title (OSC 0), a clipboard write (OSC 52), a clear (CSI), and a
  // C1 CSI written as UTF-8.
  const std::string malo = "\x1B]0;T\x07\x1B]52;c;eA==\x07\x1B[2J\xC2\x9B"
                           "2J.dsk";
  const std::string visto = "\\x1B]0;T\\x07\\x1B]52;c;eA==\\x07\\x1B[2J\\xC2\\x9B2J.dsk";
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "A", "BIN", false, false, Patron(300, 1)});
  auto roto = zip_prueba::Comprimido("roto" + malo, img.Bytes());
  roto.danarEn = 0;
  const std::string zip = dir.Archivo("col.zip");
  Escribir(zip, zip_prueba::CrearZip({zip_prueba::Comprimido(malo, img.Bytes()), roto}));
  Escribir(dir.Archivo("suelto" + malo), img.Bytes());
  const std::string fuera = dir.Archivo("fuera" + malo);
  struct Caso {
    const char *nombre;
    std::vector<std::string> args;
    std::string enSalida;  // as the terminal shows it
    std::string enErrores; // the same
  };
  for (const Caso &c : std::vector<Caso>{
           {"ls", {"ls", zip}, zip + "/" + visto + ":", zip + "/roto" + visto + ": "},
           {"info", {"info", zip}, zip + "/" + visto + ":", zip + "/roto" + visto + ": "},
           {"find", {"find", "*", dir.Ruta().string()}, zip + "/" + visto + "\t0\tA.BIN", ""},
           {"findSuelto", {"find", "*", dir.Ruta().string()}, "suelto" + visto + "\t0\tA.BIN", ""},
           {"get",
            {"get", zip + "/" + malo, "*", "-o", fuera},
            "A.BIN -> " + dir.Archivo("fuera" + visto),
            ""},
           {"error", {"cat", zip + "/roto" + malo, "A.BIN"}, "", zip + "/roto" + visto + ": "},
       }) {
    SCOPED_TRACE(c.nombre);
    OpcionesCli terminal;
    terminal.salida = SalidaCli::Terminal;
    terminal.erroresEnTerminal = true;
    const Resultado r = EjecutarCli(c.args, terminal);
    EXPECT_NE(r.salida.find(c.enSalida), std::string::npos) << r.salida;
    EXPECT_NE(r.errores.find(c.enErrores), std::string::npos) << r.errores;
    for (const std::string &texto : {r.salida, r.errores}) {
      EXPECT_EQ(texto.find_first_of("\x1B\x07"), std::string::npos) << texto;
      EXPECT_EQ(texto.find("\xC2\x9B"), std::string::npos) << texto;
    }
    std::filesystem::remove_all(RutaFs(fuera));
    const Resultado tubo = EjecutarCli(c.args);
    if (!c.enSalida.empty()) {
      EXPECT_NE(tubo.salida.find(malo), std::string::npos) << tubo.salida;
    }
    if (!c.enErrores.empty()) {
      EXPECT_NE(tubo.errores.find(malo), std::string::npos) << tubo.errores;
    }
  }
  // JSON to a terminal: the same names, with nothing a terminal obeys.
  OpcionesCli terminal;
  terminal.salida = SalidaCli::Terminal;
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"ls", "--json", zip + "/" + malo},
           {"find", "--json", "*", zip},
       }) {
    SCOPED_TRACE(args[0]);
    const Resultado r = EjecutarCli(args, terminal);
    EXPECT_EQ(r.salida.find_first_of("\x1B\x07\x7F"), std::string::npos) << r.salida;
    EXPECT_EQ(r.salida.find("\xC2\x9B"), std::string::npos) << r.salida;
    const json j = json::parse(r.salida, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.salida;
    const json &imagen = args[0] == "ls" ? j["imagenes"][0] : j["coincidencias"][0];
    EXPECT_EQ(imagen["imagen"], zip + "/" + malo);
  }
}

} // namespace

namespace {

// Catalogue entries that all point at the same blocks make a disk seem to hold
// far more than its image: get writes no more than the image's bytes, stops
// with one line that says why, and leaves the rest unwritten.
TEST(CliGetAcotado, NoSacaMasDeLoQueCabeEnLaImagen) {
  CarpetaTemporal dir;
  DiscoCpm disco(Generador::GeometriaData());
  std::vector<int> bloques;
  for (int b = 2; b < 18; ++b) {
    bloques.push_back(b);
  }
  const auto datos = Patron(16 * 1024, 3);
  for (int i = 0; i < 40; ++i) {
    const std::string numero = (i < 10 ? "0" : "") + std::to_string(i);
    disco.Agregar({0, "COPIA" + numero, "BIN", false, false, false, datos, {}, 0}, bloques);
  }
  const std::string imagen = dir.Archivo("cruzado.dsk");
  const auto bytes = disco.Bytes();
  Escribir(imagen, bytes);
  const std::size_t caben = bytes.size() / datos.size();
  const std::string destino = dir.Archivo("fuera");
  const Resultado r = EjecutarCli({"get", imagen, "*.BIN", "-o", destino});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_EQ(Lineas(r.salida).size(), caben) << r.salida;
  EXPECT_EQ(Nombres(destino).size(), caben);
  ASSERT_LT(caben, 40U);
  EXPECT_EQ(r.errores, "alcove-cli: " + imagen + ": se detiene antes de COPIA" +
                           std::to_string(caben) + ".BIN: lo escrito pasaría de los " +
                           std::to_string(bytes.size()) +
                           " bytes de la imagen, así que sus archivos comparten bloques; quedan " +
                           std::to_string(40 - caben) + " archivos sin escribir\n");
  // A disk whose files share nothing is written whole, however full.
  Generador::ImagenDsk lleno;
  for (int i = 0; i < 10; ++i) {
    lleno.AgregarFichero({0, "F" + std::to_string(i), "BIN", false, false, Patron(17 * 1024, 1)});
  }
  const std::string sano = dir.Archivo("lleno.dsk");
  Escribir(sano, lleno.Bytes());
  const Resultado todo = EjecutarCli({"get", sano, "*", "-o", dir.Archivo("todo")});
  EXPECT_EQ(todo.codigo, 0) << todo.errores;
  EXPECT_EQ(Lineas(todo.salida).size(), 10U);
}

} // namespace
