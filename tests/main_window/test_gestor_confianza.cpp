// The disk manager over a long run: menus clicked as a mouse clicks them.
#include "Ayudas.h"

#include "gestion/Dialogos.h"
#include "ui/gestor/GestorCatalogo.h"
#include "ui/qt/Auxiliares.h"
#include "ui/qt/F_AlcoveQt.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>

#include <memory>

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
  std::vector<std::size_t> ElegirVarios(const std::string &, const std::string &,
                                        const std::vector<std::string> &) override {
    Anotar("ElegirVarios");
    return {};
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
                                         {"Propiedades", false, "Mostrar"},
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

} // namespace
