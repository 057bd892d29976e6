// `find` run as a process: threads, streaming, exit codes and messages.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"

#include "cli/Json.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#if defined(_WIN32)
TEST(CliFind, ProcesosPosix) {
  GTEST_SKIP()
      << "estas pruebas de find lanzan y paran procesos con fork, señales y rlimits de POSIX";
}
#else
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Cli::TextoJson;
using Generador::ImagenDsk;
using nlohmann::json;

// A user id no process of this machine runs as, for a child held by
// RLIMIT_NPROC, which counts every process of its user: run as nobody, the
// exec itself failed (126) while other programs ran as nobody.
uid_t UsuarioSinProcesos() {
  std::set<uid_t> usados;
  for (const auto &e : std::filesystem::directory_iterator("/proc")) {
    std::ifstream estado(e.path() / "status");
    std::string linea;
    while (std::getline(estado, linea)) {
      if (linea.rfind("Uid:", 0) == 0) {
        usados.insert(static_cast<uid_t>(std::stoul(linea.substr(4))));
        break;
      }
    }
  }
  uid_t u = 61000;
  while (usados.count(u) != 0 || ::getpwuid(u) != nullptr) {
    ++u;
  }
  return u;
}

// How to run the program for one case.
struct Ejecucion {
  Ejecucion(std::vector<std::string> a, std::optional<rlim_t> m = std::nullopt)
      : args(std::move(a)), maxProcesos(m) {}
  std::vector<std::string> args;
  std::optional<rlim_t> maxProcesos; // RLIMIT_NPROC in the child: threads fail to start
  uid_t usuario = 0;                 // whom a child with maxProcesos runs as, under root
  bool juntarSalidas = false;        // stdout and stderr into one pipe, in write order
  bool ignorarSigpipe = false;       // the child inherits SIGPIPE ignored: writes give EPIPE
  std::size_t cerrarTrasBytes = 0;   // close the reading end after this much output (0: never)
  int senalTrasSalida = 0;           // sent to the child once its first output has come
  std::string salidaA;               // a file for stdout instead of the pipe
  int limiteSegundos = 20;           // then the child is killed and the case fails
};

struct Salida {
  int codigo = -1; // 128 + signal when killed by one
  bool agotado = false;
  std::string salida;
  std::string errores;
};

[[noreturn]] void ProcesoHijo(const Ejecucion &e, int fdSalida, int fdErrores) {
  ::dup2(e.salidaA.empty() ? fdSalida : ::open(e.salidaA.c_str(), O_WRONLY), STDOUT_FILENO);
  ::dup2(e.juntarSalidas ? fdSalida : fdErrores, STDERR_FILENO);
  const int nulo = ::open("/dev/null", O_RDONLY);
  ::dup2(nulo, STDIN_FILENO);
  ::signal(SIGPIPE, e.ignorarSigpipe ? SIG_IGN : SIG_DFL);
  if (e.maxProcesos) {
    // Root is not held by RLIMIT_NPROC: the child becomes a user of its own first.
    if (::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(e.usuario) != 0 || ::setuid(e.usuario) != 0) {
        ::_exit(125);
      }
    }
    // LeakSanitizer, in sanitizer builds, needs a thread of its own at exit.
    const char *asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(asan != nullptr ? asan : "") + ":detect_leaks=0").c_str(),
             1);
    const rlimit limite{*e.maxProcesos, *e.maxProcesos};
    if (::setrlimit(RLIMIT_NPROC, &limite) != 0) {
      ::_exit(125);
    }
  }
  std::vector<std::string> todos{ALCOVE_CLI};
  todos.insert(todos.end(), e.args.begin(), e.args.end());
  std::vector<char *> argv;
  for (std::string &a : todos) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(126);
}

// Runs alcove-cli as a child with a time limit, reading both outputs.
Salida Ejecutar(const Ejecucion &e) {
  int salida[2];
  int errores[2];
  if (::pipe2(salida, O_CLOEXEC) != 0 || ::pipe2(errores, O_CLOEXEC) != 0) {
    return {};
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ProcesoHijo(e, salida[1], errores[1]);
  }
  ::close(salida[1]);
  ::close(errores[1]);
  Salida r;
  const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(e.limiteSegundos);
  pollfd fds[2] = {{salida[0], POLLIN, 0}, {errores[0], POLLIN, 0}};
  std::string *destinos[2] = {&r.salida, &r.errores};
  int abiertos = 2;
  bool senalEnviada = false;
  while (abiertos > 0 && pid > 0) {
    const auto quedan = std::chrono::duration_cast<std::chrono::milliseconds>(
        fin - std::chrono::steady_clock::now());
    if (quedan.count() <= 0) {
      r.agotado = true;
      ::kill(pid, SIGKILL);
      break;
    }
    if (::poll(fds, 2, static_cast<int>(quedan.count())) < 0 && errno != EINTR) {
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      char buffer[65536];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        destinos[i]->append(buffer, static_cast<std::size_t>(n));
        if (i == 0 && e.senalTrasSalida != 0 && !senalEnviada) {
          ::kill(pid, e.senalTrasSalida);
          senalEnviada = true;
        }
      }
      const bool cortar = i == 0 && e.cerrarTrasBytes > 0 && r.salida.size() >= e.cerrarTrasBytes;
      if (n == 0 || (n < 0 && errno != EINTR) || cortar) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --abiertos;
      }
    }
  }
  for (const pollfd &f : fds) {
    if (f.fd >= 0) {
      ::close(f.fd);
    }
  }
  int estado = 0;
  ::waitpid(pid, &estado, 0);
  r.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
  return r;
}

std::vector<std::uint8_t> Disco(const std::vector<std::string> &nombres, std::size_t largo = 300) {
  ImagenDsk img;
  for (const std::string &n : nombres) {
    const auto punto = n.find('.');
    img.AgregarFichero({0, n.substr(0, punto),
                        punto == std::string::npos ? "" : n.substr(punto + 1), false, false,
                        Patron(largo, 1)});
  }
  return img.Bytes();
}

// A thread that cannot start means fewer threads. A limit on processes stands
// for the system running out of threads (and keeps a failing run from taking
// the machine's).
TEST(CliFindHilos, NuncaSeQuedaEsperando) {
  CarpetaTemporal dir;
  std::filesystem::permissions(dir.Ruta(), std::filesystem::perms::all,
                               std::filesystem::perm_options::add);
  for (int i = 0; i < 12; ++i) {
    Escribir(dir.Archivo("d" + std::to_string(i) + ".dsk"), Disco({"JUEGO.BAS"}));
  }
  const std::string uno = dir.Archivo("d0.dsk");
  std::filesystem::permissions(uno, std::filesystem::perms::all,
                               std::filesystem::perm_options::add);
  const std::string carpeta = dir.Ruta().string();
  struct Caso {
    const char *nombre;
    Ejecucion ejecucion;
    std::size_t lineas;
  };
  for (const Caso &c : std::vector<Caso>{
           {"CienMilHilosUnaImagen", {{"find", "*.BAS", uno, "-j", "100000"}, 64}, 1},
           {"CienMilHilosDoceImagenes", {{"find", "*.BAS", carpeta, "-j", "100000"}, 64}, 12},
           {"SoloArrancanDosHilos", {{"find", "*.BAS", carpeta, "-j", "8"}, 3}, 12},
           {"NoArrancaNinguno", {{"find", "*.BAS", carpeta, "-j", "8"}, 1}, 12},
           {"JsonSoloArrancanDosHilos", {{"find", "*.BAS", carpeta, "-j", "8", "--json"}, 3}, 0},
       }) {
    SCOPED_TRACE(c.nombre);
    Ejecucion e = c.ejecucion;
    e.usuario = UsuarioSinProcesos();
    const Salida r = Ejecutar(e);
    ASSERT_FALSE(r.agotado) << "sigue esperando";
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(r.errores, "");
    if (c.lineas > 0) {
      EXPECT_EQ(Lineas(r.salida).size(), c.lineas) << r.salida;
    }
  }
}

// What every other command refuses, `find` refuses too: one line on stderr,
// nothing listed.
TEST(CliFindLectura, RehusaLoQueElLectorRehusa) {
  CarpetaTemporal dir;
  auto pistas205 = Disco({"JUEGO.BAS"});
  pistas205[0x30] = 205;
  auto enorme = Disco({"JUEGO.BAS"});
  enorme.resize(16 * 1024 * 1024 + 1, 0);
  for (const auto &[nombre, bytes] : std::vector<std::pair<std::string, std::vector<std::uint8_t>>>{
           {"pistas205.dsk", pistas205}, {"enorme.dsk", enorme}}) {
    SCOPED_TRACE(nombre);
    const std::string ruta = dir.Archivo(nombre);
    Escribir(ruta, bytes);
    ASSERT_EQ(EjecutarCli({"ls", ruta}).codigo, 1);
    const Salida r = Ejecutar({{"find", "*.BAS", dir.Ruta().string()}});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.salida, "");
    EXPECT_EQ(Lineas(r.errores).size(), 1U) << r.errores;
    EXPECT_EQ(r.errores.rfind("alcove-cli: " + ruta + ": ", 0), 0U) << r.errores;
    std::filesystem::remove(ruta);
  }
}

// Each image's matches are written as soon as it is read, in the walk's
// order: a folder's images by name, then its subfolders by name. With both
// outputs in one pipe, a message comes exactly where its image is.
class CliFindArbol : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string r = dir.Ruta().string();

  void SetUp() override {
    std::filesystem::create_directories(dir.Ruta() / "b");
    std::filesystem::create_directories(dir.Ruta() / "a");
    Escribir(r + "/z.dsk", Disco({"JUEGO.BAS", "JUEGO"}));
    Escribir(r + "/m.dsk", Patron(3000, 7)); // a PC disk, say
    Escribir(r + "/c.DSK", Disco({"OTRO.BAS"}));
    Escribir(r + "/b/uno.dsk", Disco({"JUEGO.BIN"}));
    Escribir(r + "/a/dos.dsk", Disco({"JUEGO.BAS"}, 5000));
    auto cabecera = Disco({"X.BAS"});
    cabecera.resize(100); // a CPC image cut short: always said
    Escribir(r + "/a/corta.dsk", cabecera);
  }
};

TEST_F(CliFindArbol, OrdenSalidaYCodigos) {
  const std::string malo = "alcove-cli: " + r + "/m.dsk: no es una imagen de disco CPCEMU";
  const std::string corta = "alcove-cli: " + r + "/a/corta.dsk: no es una imagen de disco CPCEMU";
  struct Caso {
    const char *nombre;
    std::vector<std::string> args;
    int codigo;
    std::vector<std::string> lineas; // stdout and stderr as they came; a line may be a prefix
  };
  for (const Caso &c : std::vector<Caso>{
           {"TodoEnOrden",
            {"find", "*.BAS", r, "-j", "3"},
            0,
            {r + "/c.DSK\t0\tOTRO.BAS\t384", malo, r + "/z.dsk\t0\tJUEGO.BAS\t384", corta,
             r + "/a/dos.dsk\t0\tJUEGO.BAS\t5120"}},
           {"Silencioso",
            {"find", "JUEGO.*", r, "-q"},
            0,
            {r + "/z.dsk\t0\tJUEGO\t384", r + "/z.dsk\t0\tJUEGO.BAS\t384", corta,
             r + "/a/dos.dsk\t0\tJUEGO.BAS\t5120", r + "/b/uno.dsk\t0\tJUEGO.BIN\t384",
             "alcove-cli: find: 1 archivo omitido: no es una imagen de disco de CPC"}},
           {"CarpetaDosVecesUnaSola",
            {"find", "-q", "*.BIN", r + "/b", r, r + "/b/"},
            0,
            {r + "/b/uno.dsk\t0\tJUEGO.BIN\t384", corta,
             "alcove-cli: find: 1 archivo omitido: no es una imagen de disco de CPC"}},
           {"ImagenSuelta",
            {"find", "*", r + "/z.dsk"},
            0,
            {r + "/z.dsk\t0\tJUEGO\t384", r + "/z.dsk\t0\tJUEGO.BAS\t384"}},
           {"NadaCoincide", {"find", "*.TXT", r + "/a"}, 1, {corta}},
           {"SinPuntoSinExtension",
            {"find", "OTRO", r + "/c.DSK"},
            1,
            {"alcove-cli: OTRO: ningún archivo coincide; sin punto solo coincide con nombres sin "
             "extensión: pruebe OTRO.*"}},
           {"SinPuntoConCoincidencia",
            {"find", "JUEGO", r + "/z.dsk"},
            0,
            {r + "/z.dsk\t0\tJUEGO\t384"}},
           {"PatronMalo",
            {"find", "A.B.C", r},
            2,
            {"alcove-cli: A.B.C: patrón no válido: un nombre lleva un solo punto"}},
           {"CarpetaQueFalta",
            {"find", "*.BAS", r + "/falta"},
            1,
            {"alcove-cli: " + r + "/falta: "}},
       }) {
    SCOPED_TRACE(c.nombre);
    Ejecucion e{c.args};
    e.juntarSalidas = true;
    const Salida s = Ejecutar(e);
    ASSERT_FALSE(s.agotado);
    EXPECT_EQ(s.codigo, c.codigo) << s.salida;
    const auto lineas = Lineas(s.salida);
    ASSERT_EQ(lineas.size(), c.lineas.size()) << s.salida;
    for (std::size_t i = 0; i < lineas.size(); ++i) {
      EXPECT_EQ(lineas[i].rfind(c.lineas[i], 0), 0U) << lineas[i] << "\n  no empieza por\n"
                                                     << c.lineas[i];
    }
  }
}

// JSON is written image by image too, and is the same document as a whole.
TEST_F(CliFindArbol, JsonPorPartes) {
  const Salida s = Ejecutar({{"find", "JUEGO.*", r, "--json", "-q"}});
  EXPECT_EQ(s.codigo, 0) << s.errores;
  const json d = json::parse(s.salida);
  EXPECT_EQ(d["version"], 2);
  EXPECT_EQ(d["imagenes_leidas"], 6);
  ASSERT_EQ(d["coincidencias"].size(), 4U);
  EXPECT_EQ(d["coincidencias"][2]["imagen"], r + "/a/dos.dsk");
  EXPECT_EQ(d["coincidencias"][2]["tamano"], 5120);
  EXPECT_EQ(d["errores"].size(), 2U);
  EXPECT_EQ(s.salida, TextoJson(d)) << "no es el texto de siempre";
  const json vacio = json::parse(Ejecutar({{"find", "*.TXT", r + "/b", "--json"}}).salida);
  EXPECT_EQ(vacio["coincidencias"], json::array());
  EXPECT_EQ(vacio["errores"], json::array());
}

// A failed write is said, and is a failure whatever was found.
TEST_F(CliFindArbol, SalidaQueNoSePuedeEscribir) {
  for (const bool enJson : {false, true}) {
    SCOPED_TRACE(enJson ? "json" : "texto");
    Ejecucion e{{"find", "JUEGO.*", r, "-q"}};
    if (enJson) {
      e.args.emplace_back("--json");
    }
    e.salidaA = "/dev/full";
    const Salida s = Ejecutar(e);
    EXPECT_EQ(s.codigo, 1);
    EXPECT_NE(s.errores.find("alcove-cli: salida estándar: no se ha podido escribir entera"),
              std::string::npos)
        << s.errores;
  }
}

// Many images, each with a match: enough output to fill a pipe.
class CliFindMuchas : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string r = dir.Ruta().string();

  void SetUp() override {
    Escribir(r + "/0.dsk", Disco({"A.BAS", "B.BAS", "C.BAS", "D.BAS", "E.BAS", "F.BAS"}));
    for (int i = 1; i < 3000; ++i) {
      std::filesystem::create_hard_link(r + "/0.dsk", r + "/" + std::to_string(i) + ".dsk");
    }
  }
};

// `find | head -1` ends at once and quietly, whether the signal or the
// error tells it the reader has gone.
TEST_F(CliFindMuchas, LectorQueSeVa) {
  for (const bool ignorar : {false, true}) {
    SCOPED_TRACE(ignorar ? "EPIPE" : "SIGPIPE");
    Ejecucion e{{"find", "*.BAS", r, "-j", "2"}};
    e.cerrarTrasBytes = 1;
    e.ignorarSigpipe = ignorar;
    const Salida s = Ejecutar(e);
    ASSERT_FALSE(s.agotado);
    EXPECT_EQ(s.codigo, ignorar ? 0 : 128 + SIGPIPE);
    EXPECT_EQ(s.errores, "");
  }
}

// Ctrl-C stops the search, keeps what was found whole, and ends by the signal.
TEST_F(CliFindMuchas, CtrlCGuardaLoEncontrado) {
  for (const bool enJson : {false, true}) {
    SCOPED_TRACE(enJson ? "json" : "texto");
    Ejecucion e{{"find", "*.BAS", r, "-j", "1"}};
    if (enJson) {
      e.args.emplace_back("--json");
    }
    e.senalTrasSalida = SIGINT;
    // On a busy machine the search may end before the signal comes: again.
    Salida s = Ejecutar(e);
    for (int vez = 0; vez < 3 && s.codigo == 0; ++vez) {
      s = Ejecutar(e);
    }
    ASSERT_FALSE(s.agotado);
    EXPECT_EQ(s.codigo, 128 + SIGINT);
    EXPECT_EQ(s.errores, "");
    ASSERT_FALSE(s.salida.empty());
    std::size_t encontradas = 0;
    if (enJson) {
      const json d = json::parse(s.salida);
      encontradas = d["coincidencias"].size();
    } else {
      EXPECT_EQ(s.salida.back(), '\n');
      encontradas = Lineas(s.salida).size();
    }
    EXPECT_GT(encontradas, 0U);
    EXPECT_LT(encontradas, 6U * 3000U) << "la búsqueda no se paró";
    EXPECT_EQ(encontradas % 6, 0U) << "una imagen a medias";
  }
}

// ls and info write their JSON image by image too: the same document.
TEST(CliJsonPorPartes, LsEInfo) {
  CarpetaTemporal dir;
  const std::string bueno = dir.Archivo("bueno.dsk");
  const std::string malo = dir.Archivo("malo.dsk");
  Escribir(bueno, Disco({"JUEGO.BAS", "DATOS.BIN"}));
  Escribir(malo, Patron(3000, 7));
  for (const char *orden : {"ls", "info"}) {
    SCOPED_TRACE(orden);
    const Resultado r = EjecutarCli({orden, "--json", bueno, malo, bueno});
    EXPECT_EQ(r.codigo, 1);
    const json d = json::parse(r.salida);
    EXPECT_EQ(r.salida, TextoJson(d));
    ASSERT_EQ(d["imagenes"].size(), 3U);
    EXPECT_EQ(d["imagenes"][1]["imagen"], malo);
    EXPECT_TRUE(d["imagenes"][1].contains("error"));
    EXPECT_EQ(d["imagenes"][0], d["imagenes"][2]);
    EXPECT_EQ(EjecutarCli({orden, "--json", malo}).salida,
              TextoJson({{"imagenes", {d["imagenes"][1]}}, {"version", d["version"]}}));
  }
}

} // namespace
#endif
