// The real program on a real (virtual) X server: images clicked with real mouse
// events, and what reaches the screen read back and checked.
#include "Comun.h"
#include "EscritorioX.h"
#include "Generador.h"
#include "VentanaAlcove.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using EscritorioX::BandasDeColor;
using EscritorioX::ContarColor;

bool EsTexto(QRgb p) { return qRed(p) > 150 && qGreen(p) > 150 && qBlue(p) < 110; }

// `texto` as the catalogue view draws it: Courier New (or Liberation Mono) bold
// 12 pt, yellow on dark blue; true where a pixel is text.
std::vector<std::vector<bool>> Plantilla(const QString &texto) {
  QFont::insertSubstitution("Courier New", "Liberation Mono");
  QFont fuente("Courier New");
  fuente.setPointSizeF(12);
  fuente.setBold(true);
  const QFontMetrics medidas(fuente);
  QImage imagen(medidas.horizontalAdvance(texto) + 2, medidas.height() + 2, QImage::Format_RGB32);
  imagen.fill(AzulOscuro);
  {
    QPainter p(&imagen);
    p.setFont(fuente);
    p.setPen(QColor(Amarillo));
    p.drawText(1, 1 + medidas.ascent(), texto);
  }
  // Trimmed to the rows and columns that hold text.
  int x0 = imagen.width(), x1 = -1, y0 = imagen.height(), y1 = -1;
  for (int y = 0; y < imagen.height(); ++y) {
    for (int x = 0; x < imagen.width(); ++x) {
      if (!EsTexto(imagen.pixel(x, y)))
        continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  }
  std::vector<std::vector<bool>> mascara;
  for (int y = y0; y <= y1; ++y) {
    mascara.emplace_back();
    for (int x = x0; x <= x1; ++x)
      mascara.back().push_back(EsTexto(imagen.pixel(x, y)));
  }
  return mascara;
}

// Best overlap (intersection over union of text pixels) of `texto` anywhere in
// `zona` of the screenshot: 1 is a perfect match.
double Coincidencia(const QImage &pantalla, const QRect &zona, const QString &texto) {
  const auto plantilla = Plantilla(texto);
  const int alto = static_cast<int>(plantilla.size());
  const int ancho = alto > 0 ? static_cast<int>(plantilla[0].size()) : 0;
  std::vector<std::vector<bool>> region(static_cast<std::size_t>(zona.height()));
  for (int y = 0; y < zona.height(); ++y) {
    for (int x = 0; x < zona.width(); ++x) {
      region[static_cast<std::size_t>(y)].push_back(
          EsTexto(pantalla.pixel(zona.x() + x, zona.y() + y)));
    }
  }
  double mejor = 0;
  for (int dy = 0; dy + alto <= zona.height(); ++dy) {
    for (int dx = 0; dx + ancho <= zona.width(); ++dx) {
      int ambos = 0, alguno = 0;
      for (int y = 0; y < alto; ++y) {
        const auto &fila = region[static_cast<std::size_t>(dy + y)];
        const auto &molde = plantilla[static_cast<std::size_t>(y)];
        for (int x = 0; x < ancho; ++x) {
          const bool a = molde[static_cast<std::size_t>(x)];
          const bool b = fila[static_cast<std::size_t>(dx + x)];
          ambos += (a && b) ? 1 : 0;
          alguno += (a || b) ? 1 : 0;
        }
      }
      if (alguno > 0)
        mejor = std::max(mejor, static_cast<double>(ambos) / alguno);
    }
  }
  return mejor;
}

// Waits until `cumple` holds for a fresh screenshot; returns the last one.
template <class Condicion>
QImage EsperarPantalla(EscritorioX::ServidorVirtual &x, const QRect &zona, Condicion cumple,
                       std::chrono::milliseconds plazo) {
  const auto limite = std::chrono::steady_clock::now() + plazo;
  QImage pantalla = x.Capturar(zona);
  while (!cumple(pantalla) && std::chrono::steady_clock::now() < limite) {
    std::this_thread::sleep_for(50ms);
    pantalla = x.Capturar(zona);
  }
  return pantalla;
}

TEST(AlcoveEnXvfb, ClickedImagesShowTheirCataloguesYellowOnDarkBlue) {
  ASSERT_TRUE(EscritorioX::EnElPath("Xvfb")) << "Xvfb is missing: scripts/setup installs it";
  CarpetaTemporal carpeta;
  using Generador::CrearEntrada;
  Generador::EscribirArchivo(carpeta.Ruta() / "alfa.dsk",
                             Generador::ImagenDsk()
                                 .AgregarEntrada(CrearEntrada(0, "ZEBRA   BIN", 128))
                                 .AgregarEntrada(CrearEntrada(0, "ALCOVE  BAS", 16))
                                 .AgregarEntrada(CrearEntrada(0, "MIDDLE  TXT", 40))
                                 .Bytes());
  Generador::EscribirArchivo(carpeta.Ruta() / "beta.dsk",
                             Generador::ImagenDsk(Generador::Disposicion::Extendida, 42, 2)
                                 .AgregarEntrada(CrearEntrada(0, "QUIXOTE BIN", 64))
                                 .AgregarEntrada(CrearEntrada(0, "HORSE   BAK", 8))
                                 .Bytes());
  std::filesystem::create_directory(carpeta.Ruta() / "run");

  EscritorioX::ServidorVirtual x(1024, 768);
  EscritorioX::Proceso alcove(ALCOVE_BINARIO, {}, carpeta.Ruta(),
                              {{"DISPLAY", x.Nombre()},
                               {"QT_QPA_PLATFORM", "xcb"},
                               {"XDG_RUNTIME_DIR", (carpeta.Ruta() / "run").string()}});
  const std::optional<QRect> ventana = x.EsperarVentana("Alcove beta 1", 20s);
  ASSERT_TRUE(ventana.has_value()) << "the window never showed";
  ASSERT_EQ(ventana->width(), VentanaAlcove::AnchoCliente);
  const VentanaAlcove v(*ventana);
  // Screenshots are of the window only; rectangles below are moved into it.
  const auto enVentana = [&](const QRect &r) { return r.translated(-ventana->topLeft()); };

  // Both file lists drawn: two names each.
  QImage antes = EsperarPantalla(
      x, *ventana,
      [&](const QImage &p) {
        return BandasDeColor(p, enVentana(v.File(0)).adjusted(2, 2, -2, -2), Amarillo).size() ==
                   2 &&
               BandasDeColor(p, enVentana(v.File(1)).adjusted(2, 2, -2, -2), Amarillo).size() == 2;
      },
      15s);
  ASSERT_EQ(BandasDeColor(antes, enVentana(v.File(0)).adjusted(2, 2, -2, -2), Amarillo).size(), 2u);
  EXPECT_EQ(ContarColor(antes, enVentana(v.Filas(0)), Amarillo), 0) << "nothing listed yet";

  // alfa.dsk in pane A, beta.dsk in pane B, with the mouse.
  {
    QImage pantalla = x.Capturar(QRect(0, 0, 1024, 768));
    ASSERT_TRUE(PulsarNombre(x, pantalla, v.File(0), 0));
    ASSERT_TRUE(PulsarNombre(x, pantalla, v.File(1), 1));
  }
  const auto filasEn = [&](const QImage &p, int i) {
    return BandasDeColor(p, enVentana(v.Filas(i)), Amarillo).size();
  };
  const QImage despues = EsperarPantalla(
      x, *ventana, [&](const QImage &p) { return filasEn(p, 0) == 3 && filasEn(p, 1) == 2; }, 10s);
  ASSERT_TRUE(alcove.Vivo());
  despues.save(QString::fromStdString((carpeta.Ruta() / "pantalla.png").string()));
  EXPECT_EQ(filasEn(despues, 0), 3u) << "alfa.dsk has three files";
  EXPECT_EQ(filasEn(despues, 1), 2u) << "beta.dsk has two files";

  // Dark blue where the panes' controls are, black between them.
  for (int i = 0; i < 2; ++i) {
    for (const QRect &control : {v.Dir(i), v.File(i), v.DSK(i), v.Info(i)}) {
      const QRect r = enVentana(control);
      const QPoint cerca(r.center().x(), r.bottom() - 12); // clear of borders and text
      EXPECT_EQ(despues.pixel(cerca) & 0xFFFFFF, AzulOscuro & 0xFFFFFF)
          << "pane " << i << " at " << cerca.x() << "," << cerca.y();
    }
    EXPECT_GT(ContarColor(despues, enVentana(v.DSK(i)), AzulOscuro), 427 * 262 / 2);
    EXPECT_EQ(despues.pixel(enVentana(v.Marco(i)).left() + 200, enVentana(v.Marco(i)).top() + 178) &
                  0xFFFFFF,
              0u);
  }

  // The names themselves, each in its own pane only.
  const QRect filasA = enVentana(v.Filas(0));
  const QRect filasB = enVentana(v.Filas(1));
  const auto comprobar = [&](const char *nombre, const QRect &suyo, const QRect &otro) {
    const double aqui = Coincidencia(despues, suyo, nombre);
    const double alli = Coincidencia(despues, otro, nombre);
    std::printf("%-8s own pane %.2f, other pane %.2f\n", nombre, aqui, alli);
    EXPECT_GT(aqui, 0.95) << nombre << " in its own pane";
    EXPECT_LT(alli, 0.8) << nombre << " in the other pane";
  };
  for (const char *nombre : {"ALCOVE", "MIDDLE", "ZEBRA"})
    comprobar(nombre, filasA, filasB);
  for (const char *nombre : {"QUIXOTE", "HORSE"})
    comprobar(nombre, filasB, filasA);
  // Sorted by name: ALCOVE above MIDDLE above ZEBRA.
  const auto bandas = BandasDeColor(despues, filasA, Amarillo);
  ASSERT_EQ(bandas.size(), 3u);
  const auto filaDe = [&](const char *nombre) {
    for (std::size_t b = 0; b < bandas.size(); ++b) {
      const QRect banda(filasA.left(), filasA.top() + bandas[b].first - 2, 120,
                        bandas[b].second - bandas[b].first + 5);
      if (Coincidencia(despues, banda, nombre) > 0.9)
        return static_cast<int>(b);
    }
    return -1;
  };
  EXPECT_EQ(filaDe("ALCOVE"), 0);
  EXPECT_EQ(filaDe("MIDDLE"), 1);
  EXPECT_EQ(filaDe("ZEBRA"), 2);
}

// What xprop says of `propiedades` of window `id` on display `pantalla`.
std::string Xprop(const std::string &pantalla, unsigned long id, const std::string &propiedades) {
  const std::string orden =
      "xprop -display " + pantalla + " -id " + std::to_string(id) + " " + propiedades + " 2>&1";
  std::string salida;
  if (FILE *tubo = ::popen(orden.c_str(), "r")) {
    char trozo[256];
    while (std::fgets(trozo, sizeof trozo, tubo) != nullptr)
      salida += trozo;
    ::pclose(tubo);
  }
  return salida;
}

// The text after "NAME(TYPE) = " on the line of property `nombre`, or nullopt
// when xprop printed no such line.
std::optional<std::string> ValorXprop(const std::string &salida, const std::string &nombre) {
  std::size_t inicio = 0;
  while (inicio < salida.size()) {
    const std::size_t fin = std::min(salida.find('\n', inicio), salida.size());
    const std::string linea = salida.substr(inicio, fin - inicio);
    inicio = fin + 1;
    if (linea.rfind(nombre + "(", 0) != 0)
      continue;
    const std::size_t igual = linea.find(" = ");
    return igual == std::string::npos ? std::string() : linea.substr(igual + 3);
  }
  return std::nullopt;
}

// Qt offers the program's name where a window's title is empty; the progress
// window must show no caption text at all, whatever the window manager reads.
TEST(AlcoveEnXvfb, TheProgressWindowHoldsNoCaptionTextForTheXServer) {
  ASSERT_TRUE(EscritorioX::EnElPath("Xvfb")) << "Xvfb is missing: scripts/setup installs it";
  ASSERT_TRUE(EscritorioX::EnElPath("xprop"))
      << "xprop is missing: scripts/setup installs x11-utils";
  CarpetaTemporal carpeta;
  std::filesystem::create_directory(carpeta.Ruta() / "run");
  EscritorioX::ServidorVirtual x(1024, 768);
  EscritorioX::Proceso progreso(ALCOVE_MUESTRA_PROGRESO, {}, carpeta.Ruta(),
                                {{"DISPLAY", x.Nombre()},
                                 {"QT_QPA_PLATFORM", "xcb"},
                                 {"XDG_RUNTIME_DIR", (carpeta.Ruta() / "run").string()}});
  const std::optional<unsigned long> id = x.EsperarVentanaDe(progreso.Pid(), 20s);
  ASSERT_TRUE(id.has_value()) << "the progress window never showed";
  // Let the program settle, in case anything wrote the title again after mapping.
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(progreso.Vivo());

  // The window found is Alcove's, and xprop reads its properties.
  const std::string clase = Xprop(x.Nombre(), *id, "WM_CLASS");
  EXPECT_NE(clase.find("\"Alcove\""), std::string::npos) << clase;

  const std::string nombres = Xprop(x.Nombre(), *id, "_NET_WM_NAME WM_NAME");
  std::printf("%s", nombres.c_str());
  for (const char *propiedad : {"_NET_WM_NAME", "WM_NAME"}) {
    SCOPED_TRACE(propiedad);
    const std::optional<std::string> valor = ValorXprop(nombres, propiedad);
    ASSERT_TRUE(valor.has_value()) << nombres;
    EXPECT_TRUE(valor->empty() || *valor == "\"\"") << "caption text: " << *valor;
  }
}

} // namespace

int main(int argc, char **argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication aplicacion(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
