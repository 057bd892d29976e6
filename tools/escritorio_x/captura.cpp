// alcove-captura SALIDA.png [PROGRAMA ARGUMENTO...]: the picture of the main
// window for the README. It starts Alcove (or the program given: Wine with
// alcove.exe) on a virtual X server in a folder of the sample images, opens one
// image in each pane with the mouse and saves the window.
#include "EscritorioX.h"
#include "Generador.h"
#include "VentanaAlcove.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The sample images in the order the file list shows them.
std::vector<std::string> Listado(const std::filesystem::path &carpeta) {
  std::vector<std::string> nombres;
  for (const auto &e : std::filesystem::directory_iterator(carpeta)) {
    std::string n = e.path().filename().string();
    std::string minus = n;
    std::transform(minus.begin(), minus.end(), minus.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (e.is_regular_file() && minus.size() > 4 && minus.ends_with(".dsk"))
      nombres.push_back(n);
  }
  std::sort(nombres.begin(), nombres.end(), [](const std::string &a, const std::string &b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
  });
  return nombres;
}

std::size_t Posicion(const std::vector<std::string> &nombres, const std::string &nombre,
                     std::size_t siNo) {
  const auto it = std::find(nombres.begin(), nombres.end(), nombre);
  return it == nombres.end() ? siNo : static_cast<std::size_t>(it - nombres.begin());
}

int Capturar(const std::string &salida, const std::vector<std::string> &programa) {
  // A short, steady path: the folder list shows it in the picture.
  const std::filesystem::path carpeta = std::filesystem::temp_directory_path() / "alcove";
  std::error_code ec;
  std::filesystem::remove_all(carpeta, ec);
  std::filesystem::create_directories(carpeta / "muestras");
  std::filesystem::create_directories(carpeta / "run");
  Generador::GenerarMuestras(carpeta / "muestras");
  const auto nombres = Listado(carpeta / "muestras");
  int resultado = 1;
  {
    EscritorioX::ServidorVirtual x(1280, 1024); // room for Wine, which places the window lower
    EscritorioX::Proceso alcove(programa.front(), {programa.begin() + 1, programa.end()},
                                carpeta / "muestras",
                                {{"DISPLAY", x.Nombre()},
                                 {"QT_QPA_PLATFORM", "xcb"},
                                 {"XDG_RUNTIME_DIR", (carpeta / "run").string()}});
    // Wine takes its time the first time it starts in a prefix.
    const auto ventana = x.EsperarVentana("Alcove beta 1", 90s);
    if (!ventana) {
      std::cerr << "alcove-captura: the window never showed\n";
    } else {
      const VentanaAlcove v(*ventana);
      std::this_thread::sleep_for(2s); // first paint
      const QImage pantalla = x.Capturar(QRect(0, 0, 1280, 1024));
      const bool a = PulsarNombre(x, pantalla, v.File(0), Posicion(nombres, "juegos.dsk", 0));
      const bool b = PulsarNombre(x, pantalla, v.File(1), Posicion(nombres, "extendido.dsk", 1));
      std::this_thread::sleep_for(1s);
      if (a && b && x.Capturar(*ventana).save(QString::fromStdString(salida), "PNG")) {
        std::cout << salida << '\n';
        resultado = 0;
      } else {
        std::cerr << "alcove-captura: could not open the images or write " << salida << '\n';
      }
    }
  }
  std::filesystem::remove_all(carpeta, ec);
  return resultado;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::cerr << "uso: alcove-captura SALIDA.png [PROGRAMA ARGUMENTO...]\n";
    return 2;
  }
  std::vector<std::string> programa(argv + 2, argv + argc);
  if (programa.empty())
    programa.emplace_back(ALCOVE_BINARIO);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication aplicacion(argc, argv);
  try {
    return Capturar(argv[1], programa);
  } catch (const std::exception &e) {
    std::cerr << "alcove-captura: " << e.what() << '\n';
    return 1;
  }
}
