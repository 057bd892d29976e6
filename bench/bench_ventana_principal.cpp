// The main window's two hot paths: relisting a folder of 10,000 images in a file
// list (beside listing the same folder with std::filesystem), and opening an
// image of 64 catalogue entries in a pane, from the click to the rows painted.
#include "Proporciones.h"

#include "Generador.h"
#include "ui/qt/F_AlcoveQt.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/VistaCatalogo.h"

#include <QApplication>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int Imagenes = 10000;

struct Carpetas {
  CarpetaBench raiz{"principal"};
  fs::path muchas = raiz.Ruta() / "muchas";
  fs::path una = raiz.Ruta() / "una";

  Carpetas() {
    fs::create_directories(muchas);
    fs::create_directories(una);
    // Mixed letter case, and other files the filter has to pass over.
    for (int i = 0; i < Imagenes; ++i) {
      const std::string nombre =
          "img" + std::to_string(i) + (i % 10 == 0 ? ".DSK" : (i % 10 == 1 ? ".Dsk" : ".dsk"));
      std::ofstream(muchas / nombre).put('x');
    }
    for (int i = 0; i < 1000; ++i)
      std::ofstream(muchas / ("nota" + std::to_string(i) + ".txt"));
    Generador::ImagenDsk imagen;
    for (int i = 0; i < 64; ++i) {
      char nombre[12];
      std::snprintf(nombre, sizeof nombre, "FILE%04dBIN", 64 - i);
      imagen.AgregarEntrada(Generador::CrearEntrada(0, nombre, static_cast<std::uint8_t>(i * 4)));
    }
    Generador::EscribirArchivo(una / "sesenta.dsk", imagen.Bytes());
  }
};

Carpetas &C() {
  static Carpetas c;
  return c;
}

bool EsDsk(const fs::path &ruta) {
  std::string ext = ruta.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".dsk";
}

// The same job by hand: the regular files whose names end in ".dsk" in any
// case, sorted ignoring case.
void Base_ListarStdFilesystem10000(benchmark::State &state) {
  for (auto _ : state) {
    std::vector<std::string> nombres;
    for (const fs::directory_entry &e : fs::directory_iterator(C().muchas)) {
      if (e.is_regular_file() && EsDsk(e.path()))
        nombres.push_back(e.path().filename().string());
    }
    std::sort(nombres.begin(), nombres.end(), [](const std::string &a, const std::string &b) {
      return std::lexicographical_compare(
          a.begin(), a.end(), b.begin(), b.end(),
          [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    });
    if (nombres.size() != Imagenes)
      state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(nombres.data());
  }
}
BENCHMARK(Base_ListarStdFilesystem10000)->Unit(benchmark::kMillisecond);

// Writing the path of a file list on screen relists the folder; the list is
// painted before the clock stops.
void RelistarListaArchivos10000(benchmark::State &state) {
  ListaArchivos lista;
  lista.resize(154, 166);
  lista.show();
  const QString ruta = QString::fromStdString(C().muchas.string());
  for (auto _ : state) {
    lista.SetPath(ruta);
    lista.viewport()->repaint();
    QApplication::processEvents();
  }
  if (lista.Archivos().size() != Imagenes)
    state.SkipWithError("wrong count");
}
BENCHMARK(RelistarListaArchivos10000)->Unit(benchmark::kMillisecond);

// A mouse click on an image of 64 entries in pane A, to its rows painted.
void AbrirImagen64(benchmark::State &state) {
  F_AlcoveQt ventana;
  ventana.show();
  auto *file = ventana.findChild<ListaArchivos *>("File_0");
  auto *dsk = ventana.findChild<VistaCatalogo *>("DSK_0");
  file->SetPath(QString::fromStdString(C().una.string()));
  QApplication::processEvents();
  const QPoint punto = file->visualRect(file->model()->index(0, 0)).center();
  for (auto _ : state) {
    QTest::mouseClick(file->viewport(), Qt::LeftButton, {}, punto);
    dsk->viewport()->repaint();
    QApplication::processEvents();
  }
  if (dsk->ListItems().rowCount() != 64)
    state.SkipWithError("the rows are not there");
}
BENCHMARK(AbrirImagen64)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication aplicacion(argc, argv);
  C();
  return EjecutarConProporciones(argc, argv,
                                 {{"RelistarListaArchivos10000", "Base_ListarStdFilesystem10000"}});
}
