// The disk manager over a long run: menus clicked as a mouse clicks them, and
// the private copies that images inside zips and drags leave in the
// temporary folder.
#include "Ayudas.h"
#include "ZipDePrueba.h"

#include "gestion/Dialogos.h"
#include "ui/gestor/GestorCatalogo.h"
#include "ui/qt/Auxiliares.h"
#include "ui/qt/F_AlcoveQt.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>

#include <memory>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The user, answering every question: and whether the menu was still there
// when an action asked.
class Respuestas final : public Gestion::Dialogos {
public:
  QPointer<QMenu> menu;
  std::string carpeta;
  std::vector<std::string> preguntas; // each call, by its name
  int conMenuVivo = 0;

  bool Confirmar(const std::string &, const std::string &) override {
    return Anotar("Confirmar"), true;
  }
  std::optional<std::string> PedirTexto(const std::string &, const std::string &,
                                        const std::string &) override {
    Anotar("PedirTexto");
    return "NUEVO.TXT";
  }
  std::optional<Destino> ElegirCarpeta(const std::string &, bool) override {
    Anotar("ElegirCarpeta");
    return Destino{carpeta, false};
  }
  std::vector<std::string> ElegirArchivos(const std::string &) override {
    Anotar("ElegirArchivos");
    return {};
  }
  std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &) override {
    Anotar("PedirDiscoNuevo");
    return std::nullopt;
  }
  std::optional<std::string> ElegirArchivoNuevo(const std::string &, const std::string &,
                                                const std::string &) override {
    Anotar("ElegirArchivoNuevo");
    return std::nullopt;
  }
  std::optional<OpcionesPoner> PedirOpcionesPoner(const std::vector<std::string> &,
                                                  const OpcionesPoner &) override {
    Anotar("PedirOpcionesPoner");
    return std::nullopt;
  }
  std::optional<BorradoElegido> ElegirBorrado(const std::vector<std::string> &, bool) override {
    Anotar("ElegirBorrado");
    return std::nullopt;
  }
  void Informar(const std::string &m) override { Anotar("Informar: " + m); }
  std::optional<Cabecera> EditarPropiedades(const std::string &, const Cabecera &,
                                            const std::vector<std::string> &) override {
    Anotar("EditarPropiedades");
    return std::nullopt;
  }
  void Avisar(const std::string &m) override { Anotar("Avisar: " + m); }
  void Mostrar(const std::string &, const std::string &) override { Anotar("Mostrar"); }

private:
  void Anotar(const std::string &que) {
    preguntas.push_back(que);
    if (!menu.isNull())
      ++conMenuVivo;
  }
};

std::vector<std::uint8_t> Disco() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  const std::string leeme = "HOLA\r\n\x1A";
  d.Agregar({0, "LEEME", "TXT", false, false, false, {leeme.begin(), leeme.end()}, {}, 0});
  d.Agregar({0, "OTRO", "BIN", false, false, false, Generador::ContenidoPrueba(3000, 2), {}, 0});
  return d.Bytes();
}

class MenusClicados : public ::testing::Test {
protected:
  void SetUp() override {
    // The real progress window, which lets events run while it shows.
    InstalarVentanasAuxiliares();
    Gestion::InstalarDialogos(&respuestas);
    Escribir(carpeta.Archivo("a.dsk"), Disco());
    fs::create_directory(carpeta.Ruta() / "fuera");
    respuestas.carpeta = carpeta.Archivo("fuera");
    actual = std::make_unique<CarpetaActual>(carpeta.Ruta());
    ventana = std::make_unique<F_AlcoveQt>();
    ventana->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
    PulsarArchivo(*ventana->findChild<ListaArchivos *>(QStringLiteral("File_0")), "a.dsk");
    ASSERT_EQ(Vista().ListItems().rowCount(), 2);
  }
  void TearDown() override {
    ventana.reset();
    actual.reset();
    Gestion::InstalarDialogos(nullptr);
  }
  VistaCatalogo &Vista(int i = 0) {
    return *ventana->findChild<VistaCatalogo *>(QStringLiteral("DSK_%1").arg(i));
  }
  ListaArchivos &File(int i) {
    return *ventana->findChild<ListaArchivos *>(QStringLiteral("File_%1").arg(i));
  }
  // A right-click on the first row, or below the rows; the menu it opens.
  QMenu *AbrirMenu(bool vacio) {
    VistaCatalogo &v = Vista();
    if (!vacio)
      v.setCurrentIndex(v.model()->index(0, 0));
    const QPoint punto = vacio ? QPoint(10, v.viewport()->height() - 5)
                               : v.visualRect(v.model()->index(0, 0)).center();
    QContextMenuEvent e(QContextMenuEvent::Mouse, punto, v.viewport()->mapToGlobal(punto));
    QApplication::sendEvent(v.viewport(), &e);
    return v.findChild<QMenu *>(QStringLiteral("MenuCatalogo_0"));
  }

  GestorCatalogo &G() { return *ventana->findChild<GestorCatalogo *>(); }

  CarpetaTemporal carpeta;
  AvisosRecogidos avisos;
  Respuestas respuestas;
  std::unique_ptr<CarpetaActual> actual;
  std::unique_ptr<F_AlcoveQt> ventana;
};

// A menu deletes itself once closed, and an action lets events run (its
// dialogs, the progress window): run inside the menu's own click, it had the
// menu deleted under that handler, and the next right-click aborted the
// program. Each action runs once the menu's handler has returned.
TEST_F(MenusClicados, CadaAccionCorreCuandoElMenuYaHaVuelto) {
  struct Caso {
    const char *accion;
    bool vacio;          // the menu below the rows
    const char *primera; // the first question the action asks
  };
  for (const Caso &c : std::vector<Caso>{{"Extraer", false, "ElegirCarpeta"},
                                         {"Propiedades", false, "EditarPropiedades"},
                                         {"CambiarNombre", false, "PedirTexto"},
                                         {"Borrar", false, "Confirmar"},
                                         {"PonerArchivos", true, "ElegirArchivos"},
                                         {"NuevoDisco", true, "PedirDiscoNuevo"}}) {
    SCOPED_TRACE(c.accion);
    respuestas.preguntas.clear();
    respuestas.conMenuVivo = 0;
    QMenu *menu = AbrirMenu(c.vacio);
    ASSERT_NE(menu, nullptr);
    respuestas.menu = menu;
    QAction *item = menu->findChild<QAction *>(QString::fromLatin1(c.accion));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_TRUE(respuestas.preguntas.empty())
        << "ran inside the menu's click: " << respuestas.preguntas.front();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_FALSE(respuestas.preguntas.empty()) << "the action never ran";
    EXPECT_EQ(respuestas.preguntas.front(), c.primera);
    EXPECT_EQ(respuestas.conMenuVivo, 0) << "the menu was still there";
    EXPECT_TRUE(respuestas.menu.isNull()) << "the closed menu is deleted";
  }
  // The extraction wrote its file; the next right-click still opens a menu.
  EXPECT_TRUE(fs::exists(carpeta.Ruta() / "fuera" / "LEEME.TXT"));
  QMenu *otro = AbrirMenu(false);
  ASSERT_NE(otro, nullptr);
  otro->close();
  QCoreApplication::processEvents();
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

// Every view of an image inside a zip gets the pane a private copy; each member
// has one copy, which goes once no pane shows it; a drag's folder goes when
// the next drag begins; and folders that dead runs left behind are swept when
// the window starts. The copies had piled up, one a view and one a drag.
class CopiasPrivadas : public MenusClicados {
protected:
  void SetUp() override {
    temporal = carpeta.Ruta() / "tmp";
    fs::create_directory(temporal);
    const char *antes = std::getenv("TMPDIR");
    tmpdirAnterior = antes != nullptr ? std::optional<std::string>(antes) : std::nullopt;
    ::setenv("TMPDIR", temporal.c_str(), 1);
    // A run that died, this one (alive), and names that are not the window's.
    const pid_t hijo = ::fork();
    if (hijo == 0)
      ::_exit(0);
    ::waitpid(hijo, nullptr, 0);
    muerta = "alcove-" + std::to_string(hijo) + "-abc123";
    fs::create_directory(temporal / muerta);
    Escribir((temporal / muerta / "X.DSK").string(), {1});
    quedan = {"alcove-" + std::to_string(::getpid()) + "-viva01", "alcove-12345678",
              "alcove-" + std::to_string(hijo) + "-archivo", "otra-" + std::to_string(hijo) + "-x"};
    for (const std::string &n : quedan) {
      if (n.find("archivo") != std::string::npos)
        Escribir((temporal / n).string(), {1});
      else
        fs::create_directory(temporal / n);
    }
    Escribir(carpeta.Archivo("coleccion.zip"),
             zip_prueba::CrearZip({zip_prueba::Comprimido("uno.dsk", Disco()),
                                   zip_prueba::Comprimido("dos.dsk", Disco())}));
    MenusClicados::SetUp();
  }
  void TearDown() override {
    MenusClicados::TearDown();
    if (tmpdirAnterior)
      ::setenv("TMPDIR", tmpdirAnterior->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
  }
  // What the window keeps in the temporary folder.
  int Copias() {
    int n = 0;
    for (const auto &e : fs::directory_iterator(temporal)) {
      const std::string nombre = e.path().filename().string();
      n += std::find(quedan.begin(), quedan.end(), nombre) == quedan.end() ? 1 : 0;
    }
    return n;
  }
  void Ver(int i, const QString &nombre) {
    PulsarArchivo(File(i), nombre);
    ASSERT_EQ(Vista(i).ListItems().rowCount(), 2) << nombre.toStdString();
  }

  fs::path temporal;
  std::optional<std::string> tmpdirAnterior;
  std::string muerta;
  std::vector<std::string> quedan;
};

TEST_F(CopiasPrivadas, UnaPorMiembroMientrasUnPanelLaMuestre) {
  EXPECT_FALSE(fs::exists(temporal / muerta)) << "left by a run that died";
  for (const std::string &n : quedan)
    EXPECT_TRUE(fs::exists(temporal / n)) << n;
  EXPECT_EQ(Copias(), 0);
  for (int vez = 0; vez < 20; ++vez) {
    Ver(0, "coleccion.zip/uno.dsk");
    EXPECT_EQ(Copias(), 1) << "view " << vez;
    Ver(0, "a.dsk");
    EXPECT_EQ(Copias(), 0) << "view " << vez;
  }
  struct Paso {
    int panel;
    const char *imagen;
    int copias;
  };
  for (const Paso &p : std::vector<Paso>{{0, "coleccion.zip/uno.dsk", 1},
                                         {1, "coleccion.zip/uno.dsk", 1}, // the same copy
                                         {0, "coleccion.zip/dos.dsk", 2},
                                         {1, "a.dsk", 1},
                                         {1, "coleccion.zip/dos.dsk", 1}}) {
    SCOPED_TRACE(std::to_string(p.panel) + " " + p.imagen);
    Ver(p.panel, p.imagen);
    EXPECT_EQ(Copias(), p.copias);
  }
  // Dragged rows are extracted into a folder of their own, which the next drag's replaces.
  Vista(0).selectAll();
  for (int vez = 0; vez < 3; ++vez) {
    std::unique_ptr<QMimeData> datos(G().DatosArrastre(0));
    ASSERT_NE(datos, nullptr);
    EXPECT_EQ(datos->urls().size(), 2);
    EXPECT_EQ(Copias(), 2);
  }
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
  ventana.reset();
  EXPECT_EQ(Copias(), 0) << "the window took its copies with it";
}

} // namespace
