// The disk manager in the real program on a virtual X server: rows dragged to
// a folder's window and files dropped from one, with real mouse events and a
// drop target and drag source of our own at the other end; pictures of the
// viewer and the context menu saved to be looked at.
#include "Comun.h"
#include "EscritorioX.h"
#include "Generador.h"
#include "Proceso.h"
#include "VentanaAlcove.h"
#include "cpm/Mapa.h"
#include "gestion/Sectores.h"

#include <QGuiApplication>
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using EscritorioX::Esperar;

std::vector<std::uint8_t> Disco() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  const std::string leeme = "HOLA DESDE EL CPC\r\n\x1A";
  d.Agregar({0, "LEEME", "TXT", false, false, false, {leeme.begin(), leeme.end()}, {}, 0});
  std::vector<std::uint8_t> programa =
      Generador::CabeceraAmsdos("LOADER  BAS", 0, 0x170, 0x170, 25);
  // 10 PRINT "HOLA" : 20 GOTO 10
  for (const int b : std::initializer_list<int>{
           0x0D, 0x00, 0x0A, 0x00, 0xBF, ' ', '"',  'H',  'O',  'L',  'A',  '"', 0x00,
           0x0A, 0x00, 0x14, 0x00, 0xA0, ' ', 0x1E, 0x0A, 0x00, 0x00, 0x00, 0x00})
    programa.push_back(static_cast<std::uint8_t>(b));
  d.Agregar({0, "LOADER", "BAS", false, false, false, programa, {}, 0});
  // A mode 1 screen: its top half ink 3 (bright red at power-on), the rest ink 0.
  std::vector<std::uint8_t> pantalla =
      Generador::CabeceraAmsdos("PANTALLASCR", 2, 0xC000, 0xC000, 16384);
  for (int i = 0; i < 16384; ++i)
    pantalla.push_back((i % 2048) / 80 < 12 ? 0xFF : 0x00);
  d.Agregar({0, "PANTALLA", "SCR", false, false, false, pantalla, {}, 0});
  return d.Bytes();
}

class GestorEnXvfb : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(EscritorioX::EnElPath("Xvfb")) << "Xvfb is missing: scripts/setup installs it";
    fs::create_directory(carpeta.Ruta() / "run");
    fs::create_directory(carpeta.Ruta() / "destino");
    fs::create_directory(carpeta.Ruta() / "cli");
    Escribir(carpeta.Archivo("a.dsk"), Disco());
    x.emplace(1280, 1024);
    alcove.emplace(ALCOVE_BINARIO, std::vector<std::string>{}, carpeta.Ruta(), Entorno());
    const auto v = x->EsperarVentana("Alcove beta 1", 20s);
    ASSERT_TRUE(v.has_value()) << "the window never showed";
    ventana = *v;
    const VentanaAlcove lugares(ventana);
    // The image opened in pane A with the mouse, its four rows drawn (the screen
    // and its header fill two extents, so two catalogue entries).
    ASSERT_TRUE(Esperar([&] { return Bandas(lugares.File(0)).size() == 1; }, 15s));
    ASSERT_TRUE(PulsarNombre(*x, x->Capturar(QRect(0, 0, 1280, 1024)), lugares.File(0), 0));
    ASSERT_TRUE(Esperar([&] { return Bandas(lugares.Filas(0)).size() == 4; }, 10s));
  }
  std::map<std::string, std::string> Entorno() const {
    return {{"DISPLAY", x->Nombre()},
            {"QT_QPA_PLATFORM", "xcb"},
            {"XDG_RUNTIME_DIR", (carpeta.Ruta() / "run").string()}};
  }
  std::vector<std::pair<int, int>> Bandas(const QRect &zona) {
    return EscritorioX::BandasDeColor(x->Capturar(QRect(0, 0, 1280, 1024)),
                                      zona.adjusted(2, 2, -2, -2), Amarillo);
  }
  // The middle of row `n` of pane A's catalogue, on the screen.
  QPoint Fila(std::size_t n) {
    const QRect filas = VentanaAlcove(ventana).Filas(0);
    const auto bandas = Bandas(filas);
    if (bandas.size() <= n) {
      ADD_FAILURE() << "row " << n << " is not drawn";
      return filas.center();
    }
    return {filas.left() + 40, filas.top() + 2 + (bandas[n].first + bandas[n].second) / 2};
  }
  void Guardar(const QImage &imagen, const char *nombre) {
    fs::create_directories(ALCOVE_CAPTURAS);
    imagen.save(QString::fromStdString((fs::path(ALCOVE_CAPTURAS) / nombre).string()));
  }

  CarpetaTemporal carpeta;
  std::optional<EscritorioX::ServidorVirtual> x;
  std::optional<EscritorioX::Proceso> alcove;
  QRect ventana;
};

TEST_F(GestorEnXvfb, ARowDraggedToAFolderArrivesExactAndAFileDroppedFromOneGoesOnTheImage) {
  // Out: LEEME.TXT, the first row, onto a window that copies what it gets.
  EscritorioX::Proceso destino(ALCOVE_ARRASTRE,
                               {"recibir", (carpeta.Ruta() / "destino").string(), "20", "880"},
                               carpeta.Ruta(), Entorno());
  ASSERT_TRUE(x->EsperarVentana("Destino de prueba", 20s).has_value());
  x->Arrastrar(Fila(0), QPoint(140, 940));
  const std::string llegado = carpeta.Archivo("destino/LEEME.TXT");
  ASSERT_TRUE(Esperar([&] { return fs::exists(llegado); }, 10s)) << "nothing was dropped";
  ASSERT_EQ(
      EjecutarCli({"get", carpeta.Archivo("a.dsk"), "LEEME.TXT", "-o", carpeta.Archivo("cli")})
          .codigo,
      0);
  EXPECT_EQ(Leer(llegado), Leer(carpeta.Archivo("cli/LEEME.TXT")));

  // In: a host file dragged from a window of its folder onto the rows.
  Escribir(carpeta.Archivo("extra.bin"), Generador::ContenidoPrueba(2000, 4));
  Escribir(carpeta.Archivo("cli/a.dsk"), Leer(carpeta.Archivo("a.dsk")));
  ASSERT_EQ(EjecutarCli({"put", carpeta.Archivo("cli/a.dsk"), carpeta.Archivo("extra.bin")}).codigo,
            0);
  EscritorioX::Proceso origen(ALCOVE_ARRASTRE,
                              {"enviar", "300", "880", carpeta.Archivo("extra.bin")},
                              carpeta.Ruta(), Entorno());
  ASSERT_TRUE(x->EsperarVentana("Origen de prueba", 20s).has_value());
  const QRect filas = VentanaAlcove(ventana).Filas(0);
  x->Arrastrar(QPoint(420, 940), filas.center());
  // The drop asks how the files go on the disk, as put takes them: the
  // answer it starts with is put's own.
  ASSERT_TRUE(x->EsperarVentana("Poner archivos", 20s).has_value()) << "the drop asked nothing";
  x->Tecla(XK_Return);
  ASSERT_TRUE(Esperar([&] { return Leer(carpeta.Archivo("a.dsk")) != Disco(); }, 10s))
      << "the image was not written";
  EXPECT_EQ(Leer(carpeta.Archivo("a.dsk")), Leer(carpeta.Archivo("cli/a.dsk")));
  EXPECT_TRUE(Esperar([&] { return Bandas(filas).size() == 5; }, 5s)) << "listed again";
  EXPECT_TRUE(alcove->Vivo());
}

TEST_F(GestorEnXvfb, TheContextMenuWearsTheProgramsColours) {
  // The rows' menu, opened with the right button beside the first row.
  const QPoint fila = Fila(0);
  x->ClicDerecho(fila.x(), fila.y());
  ASSERT_TRUE(x->EsperarMenu(10s)) << "the menu never opened";
  std::this_thread::sleep_for(700ms);
  const QImage menu = x->Capturar(QRect(fila, QSize(260, 240)));
  Guardar(menu, "menu.png");
  EXPECT_GT(EscritorioX::BandasDeColor(menu, menu.rect().adjusted(4, 4, -4, -4), Amarillo).size(),
            5u)
      << "the menu's items, yellow on dark blue";
  EXPECT_TRUE(alcove->Vivo());
}

TEST_F(GestorEnXvfb, TheViewerWearsTheProgramsColours) {
  // LOADER.BAS, the second row, opened with a double click.
  const QPoint segunda = Fila(1);
  x->DobleClic(segunda.x(), segunda.y());
  const auto visor = x->EsperarVentana("LOADER.BAS - Alcove", 10s);
  if (!visor)
    Guardar(x->Capturar(QRect(0, 0, 1280, 1024)), "sin-visor.png");
  ASSERT_TRUE(visor.has_value()) << "the viewer never showed";
  std::this_thread::sleep_for(500ms);
  const QImage ver = x->Capturar(*visor);
  Guardar(ver, "visor.png");
  EXPECT_GT(EscritorioX::ContarColor(ver, ver.rect(), AzulOscuro), ver.width() * ver.height() / 2);
  EXPECT_GT(EscritorioX::BandasDeColor(ver, ver.rect().adjusted(0, 40, 0, -10), Amarillo).size(),
            1u)
      << "the listing's lines";

  EXPECT_TRUE(alcove->Vivo());
}

TEST_F(GestorEnXvfb, AScreenOpensAsItsPicture) {
  // PANTALLA.SCR, the third row: its top half red, its bottom half blue.
  const QPoint tercera = Fila(2);
  x->DobleClic(tercera.x(), tercera.y());
  const auto visor = x->EsperarVentana("PANTALLA.SCR - Alcove", 10s);
  ASSERT_TRUE(visor.has_value()) << "the viewer never showed";
  std::this_thread::sleep_for(500ms);
  const QImage ver = x->Capturar(*visor);
  Guardar(ver, "visor-pantalla.png");
  const auto rojos = EscritorioX::ContarColor(ver, ver.rect(), QColor(255, 0, 0).rgb());
  EXPECT_GT(rojos, 640 * 150) << "the screen's red half";
  EXPECT_TRUE(alcove->Vivo());
}

// The canvas inside a capture of the map's window: the box of its blue.
QRect Lienzo(const QImage &imagen) {
  QRect caja;
  const QRgb fondo = qRgb(Gestion::FondoMapa.r, Gestion::FondoMapa.g, Gestion::FondoMapa.b);
  for (int y = 0; y < imagen.height(); ++y) {
    for (int x = 0; x < imagen.width(); ++x) {
      if (imagen.pixel(x, y) == fondo) {
        caja |= QRect(x, y, 1, 1);
      }
    }
  }
  return caja;
}

TEST_F(GestorEnXvfb, TheMapOpensASectorWrittenAsTheCliWritesItAndTheDiskIsChecked) {
  // "Mapa del disco…", the last item but one of the rows' menu.
  const QPoint fila = Fila(0);
  x->ClicDerecho(fila.x(), fila.y());
  ASSERT_TRUE(x->EsperarMenu(10s)) << "the menu never opened";
  std::this_thread::sleep_for(700ms);
  x->Tecla(XK_Up, 2);
  x->Tecla(XK_Return);
  const auto mapa = x->EsperarVentana("Mapa del disco: a.dsk", 10s);
  ASSERT_TRUE(mapa.has_value()) << "the map never showed";
  std::this_thread::sleep_for(500ms);
  const QImage imagen = x->Capturar(*mapa);
  Guardar(imagen, "mapa.png");
  const QRect lienzo = Lienzo(imagen);
  ASSERT_EQ(lienzo.size(), QSize(Gestion::AnchoMapa, Gestion::AltoMapa));
  // Where the map puts each sector, as the decisions draw it.
  const std::vector<std::uint8_t> bytes = Disco();
  const cpm::Disco disco = cpm::LeerDisco(bytes);
  const Gestion::DibujoMapa dibujo = Gestion::DibujarMapa(disco, cpm::Mapear(disco));
  for (const Gestion::CeldaMapa &c : dibujo.celdas) {
    EXPECT_EQ(imagen.pixel(lienzo.x() + c.x + c.ancho / 2, lienzo.y() + c.y + c.alto / 2),
              qRgb(c.color.r, c.color.g, c.color.b))
        << c.texto;
  }
  // LEEME.TXT's sector, track 0's &C5, opened with a double click: its first
  // byte typed over in hex and written.
  const auto leeme =
      std::find_if(dibujo.celdas.begin(), dibujo.celdas.end(),
                   [](const Gestion::CeldaMapa &c) { return c.pista == 0 && c.id == 0xC5; });
  ASSERT_NE(leeme, dibujo.celdas.end());
  ASSERT_NE(leeme->texto.find("LEEME.TXT"), std::string::npos) << leeme->texto;
  x->DobleClic(mapa->x() + lienzo.x() + leeme->x + leeme->ancho / 2,
               mapa->y() + lienzo.y() + leeme->y + leeme->alto / 2);
  const auto sector = x->EsperarVentana("Sector", 10s);
  ASSERT_TRUE(sector.has_value()) << "the sector view never showed";
  std::this_thread::sleep_for(500ms);
  Guardar(x->Capturar(*sector), "sector.png");
  x->Tecla(XK_Right, 6);
  x->Tecla(XK_4);
  x->Tecla(XK_1);
  x->Tecla(XK_Return); // "Escribir", as on Windows
  ASSERT_TRUE(Esperar([&] { return Leer(carpeta.Archivo("a.dsk")) != bytes; }, 10s))
      << "the sector was not written";
  Escribir(carpeta.Archivo("cli/a.dsk"), bytes);
  ASSERT_EQ(
      EjecutarCli({"sector", carpeta.Archivo("cli/a.dsk"), "0", "0", "&C5", "--hex", "41"}).codigo,
      0);
  EXPECT_EQ(Leer(carpeta.Archivo("a.dsk")), Leer(carpeta.Archivo("cli/a.dsk")));
  // The map comes back after the write; closed, the check of the rows' menu.
  ASSERT_TRUE(x->EsperarVentana("Mapa del disco: a.dsk", 10s).has_value());
  x->Tecla(XK_Escape);
  std::this_thread::sleep_for(500ms);
  const QPoint otra = Fila(0);
  x->ClicDerecho(otra.x(), otra.y());
  ASSERT_TRUE(x->EsperarMenu(10s)) << "the menu never opened";
  std::this_thread::sleep_for(700ms);
  x->Tecla(XK_Up);
  x->Tecla(XK_Return);
  const auto comprobar = x->EsperarVentana("Comprobar disco", 10s);
  ASSERT_TRUE(comprobar.has_value()) << "the check never showed";
  std::this_thread::sleep_for(500ms);
  Guardar(x->Capturar(*comprobar), "comprobar.png");
  x->Tecla(XK_Escape);
  EXPECT_TRUE(alcove->Vivo());
}

} // namespace

int main(int argc, char **argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication aplicacion(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
