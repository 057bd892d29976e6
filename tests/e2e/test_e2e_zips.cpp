// Images inside zips over a long run, in the real program on a virtual X
// server: one viewed two hundred times from the keyboard, as a user goes up
// and down a file list, then the program ended by a signal. Each view used to
// leave a copy in the temporary folder, a signal left them all, and the zip's
// inflation budget ran out for the rest of the run at about the hundredth.
#include "Comun.h"
#include "EscritorioX.h"
#include "Generador.h"
#include "VentanaAlcove.h"
#include "ZipDePrueba.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using EscritorioX::Esperar;

std::vector<std::uint8_t> Disco(int archivos) {
  Generador::DiscoCpm d(Generador::GeometriaData());
  for (int i = 0; i < archivos; ++i)
    d.Agregar({0,
               "ARCHIVO" + std::to_string(i),
               "BIN",
               false,
               false,
               false,
               Generador::ContenidoPrueba(1000, static_cast<std::uint8_t>(i)),
               {},
               0});
  return d.Bytes();
}

// The program's resident memory, in KB.
long MemoriaKb(int pid) {
  std::ifstream estado("/proc/" + std::to_string(pid) + "/status");
  std::string linea;
  while (std::getline(estado, linea)) {
    if (linea.rfind("VmRSS:", 0) == 0)
      return std::stol(linea.substr(6));
  }
  return -1;
}

// The file-list events the window has handled, from its dump.
int Pulsaciones(const std::string &volcado) {
  std::ifstream f(volcado);
  std::string linea;
  int n = 0;
  while (std::getline(f, linea))
    n += linea.rfind("== File_Click", 0) == 0 ? 1 : 0;
  return n;
}

std::vector<std::string> Nombres(const fs::path &carpeta) {
  std::vector<std::string> n;
  for (const auto &e : fs::directory_iterator(carpeta))
    n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

TEST(ZipsEnXvfb, DoscientasVistasYUnaSenalNoDejanNadaEnLaCarpetaTemporal) {
  ASSERT_TRUE(EscritorioX::EnElPath("Xvfb")) << "Xvfb is missing: scripts/setup installs it";
  struct Caso {
    const char *nombre;
    int senal;
    int vistas;
  };
  for (const Caso &c : {Caso{"SIGTERM", SIGTERM, 200}, Caso{"SIGHUP", SIGHUP, 3}}) {
    SCOPED_TRACE(c.nombre);
    CarpetaTemporal carpeta;
    const fs::path temporal = carpeta.Ruta() / "tmp";
    fs::create_directories(carpeta.Ruta() / "run");
    fs::permissions(carpeta.Ruta() / "run", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory(temporal);
    Escribir(carpeta.Archivo("a.dsk"), Disco(2));
    Escribir(carpeta.Archivo("coleccion.zip"),
             zip_prueba::CrearZip({zip_prueba::Comprimido("juego.dsk", Disco(1))}));
    // What a run killed outright leaves: its copies, under its process id.
    const pid_t muerto = ::fork();
    if (muerto == 0)
      ::_exit(0);
    ::waitpid(muerto, nullptr, 0);
    const fs::path dejada = temporal / ("alcove-" + std::to_string(muerto) + "-q1w2e3");
    fs::create_directory(dejada);
    Escribir((dejada / "juego.dsk").string(), Disco(1));

    EscritorioX::ServidorVirtual x(1280, 1024);
    const std::string volcado = carpeta.Archivo("volcado.txt");
    EscritorioX::Proceso alcove(ALCOVE_BINARIO, {}, carpeta.Ruta(),
                                {{"DISPLAY", x.Nombre()},
                                 {"QT_QPA_PLATFORM", "xcb"},
                                 {"XDG_RUNTIME_DIR", (carpeta.Ruta() / "run").string()},
                                 {"TMPDIR", temporal.string()},
                                 {"ALCOVE_VOLCADO_VENTANA", volcado}});
    const auto v = x.EsperarVentana("Alcove beta 1", 20s);
    ASSERT_TRUE(v.has_value()) << "the window never showed";
    const VentanaAlcove lugares(*v);
    const auto bandas = [&](const QRect &zona) {
      return EscritorioX::BandasDeColor(x.Capturar(QRect(0, 0, 1280, 1024)),
                                        zona.adjusted(2, 2, -2, -2), Amarillo);
    };
    // a.dsk, then the image inside the zip.
    ASSERT_TRUE(Esperar([&] { return bandas(lugares.File(0)).size() == 2; }, 15s));
    EXPECT_EQ(Nombres(temporal), std::vector<std::string>{}) << "swept at the start";
    ASSERT_TRUE(PulsarNombre(x, x.Capturar(QRect(0, 0, 1280, 1024)), lugares.File(0), 0));
    ASSERT_TRUE(Esperar([&] { return Pulsaciones(volcado) == 1; }, 10s));

    // Down to the zip's image, up to a.dsk: one view each time down.
    long memoria = 0;
    int hechas = 0;
    for (const int tanda : {std::min(c.vistas, 20), c.vistas - std::min(c.vistas, 20)}) {
      for (int i = 0; i < tanda; ++i) {
        x.Tecla(XK_Down);
        x.Tecla(XK_Up);
      }
      hechas += tanda;
      ASSERT_TRUE(Esperar([&] { return Pulsaciones(volcado) == 1 + 2 * hechas; }, 60s))
          << Pulsaciones(volcado) << " of " << 1 + 2 * hechas;
      if (memoria == 0)
        memoria = MemoriaKb(alcove.Pid());
    }
    x.Tecla(XK_Down);
    ASSERT_TRUE(Esperar([&] { return Pulsaciones(volcado) == 2 + 2 * hechas; }, 10s));
    EXPECT_TRUE(Esperar([&] { return bandas(lugares.Filas(0)).size() == 1; }, 10s))
        << "the zip's image is listed";
    EXPECT_EQ(Nombres(temporal).size(), 1u) << "one copy, of the image shown";
    const long despues = MemoriaKb(alcove.Pid());
    std::cout << "memoria residente tras " << std::min(c.vistas, 20) << " vistas: " << memoria
              << " KB; tras " << c.vistas << ": " << despues << " KB\n";
    EXPECT_LT(despues - memoria, 16 * 1024) << "KB more after " << c.vistas << " views";

    ASSERT_EQ(::kill(alcove.Pid(), c.senal), 0);
    EXPECT_TRUE(Esperar([&] { return !alcove.Vivo(); }, 10s)) << "still running";
    EXPECT_EQ(Nombres(temporal), std::vector<std::string>{});
  }
}

} // namespace
