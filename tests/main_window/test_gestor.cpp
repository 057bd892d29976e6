// The window as a disk manager, offscreen: each action driven through the
// catalogue views' own events, the answers given by a script, the images
// compared byte for byte with what alcove-cli makes of the same request.
#include "Ayudas.h"
#include "Proceso.h"
#include "ProgramaBasic.h"
#include "ZipDePrueba.h"

#include "gestion/Dialogos.h"
#include "platform/Progreso.h"
#include "ui/gestor/DialogosQt.h"
#include "ui/gestor/F_Ver.h"
#include "ui/gestor/GestorCatalogo.h"
#include "ui/qt/F_AlcoveQt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <cstdlib>
#include <deque>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Generador::ArchivoCpm;

// The user, as a script: answers in order, and what was asked and told.
class Guion final : public Gestion::Dialogos {
public:
  std::deque<bool> confirmar;
  std::optional<std::string> texto;
  std::optional<Destino> carpeta;
  std::vector<std::string> archivos;
  std::optional<DiscoNuevo> disco;

  std::vector<std::string> preguntas;
  std::vector<bool> cabeceraOfrecida;
  std::string mostrado;
  QStringList *avisos = nullptr;

  bool Confirmar(const std::string &, const std::string &pregunta) override {
    preguntas.push_back(pregunta);
    if (confirmar.empty()) {
      ADD_FAILURE() << "unexpected question: " << pregunta;
      return false;
    }
    const bool si = confirmar.front();
    confirmar.pop_front();
    return si;
  }
  std::optional<std::string> PedirTexto(const std::string &, const std::string &pregunta,
                                        const std::string &) override {
    preguntas.push_back(pregunta);
    return texto;
  }
  std::optional<Destino> ElegirCarpeta(const std::string &, bool conCabecera) override {
    cabeceraOfrecida.push_back(conCabecera);
    return carpeta;
  }
  std::vector<std::string> ElegirArchivos(const std::string &) override { return archivos; }
  std::vector<std::size_t> ElegirVarios(const std::string &, const std::string &,
                                        const std::vector<std::string> &o) override {
    ofrecidos = o;
    return elegidos;
  }
  std::vector<std::size_t> elegidos;
  std::vector<std::string> ofrecidos;
  std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) override {
    EXPECT_FALSE(formatos.empty());
    return disco;
  }
  void Avisar(const std::string &mensaje) override { *avisos << QString::fromStdString(mensaje); }
  // "Propiedades" of one file: the text is shown as Mostrar shows it, and
  // `cabecera` answers for its header.
  std::optional<Cabecera> cabecera;
  std::optional<Cabecera> EditarPropiedades(const std::string &t, const Cabecera &,
                                            const std::vector<std::string> &) override {
    mostrado = t;
    return cabecera;
  }
  void Mostrar(const std::string &, const std::string &t) override { mostrado = t; }
};

// What the shared progress indicator was told.
class ProgresoVisto final : public IndicadorProgreso {
public:
  ProgresoVisto() { Plataforma::InstalarProgreso(this); }
  ~ProgresoVisto() override { Plataforma::InstalarProgreso(nullptr); }
  ProgresoVisto(const ProgresoVisto &) = delete;
  ProgresoVisto &operator=(const ProgresoVisto &) = delete;
  void SetDe(double v) override { de = v; }
  void SetA(double v) override { a = v; }
  void SetTitulo(const std::string &t) override { titulos.push_back(t); }
  void Mostrar() override { ++mostrado; }
  void SetValor(double v) override { valor = v; }
  void Ocultar() override { ++oculto; }
  double de = 0, a = 0, valor = 0;
  int mostrado = 0, oculto = 0;
  std::vector<std::string> titulos;
};

std::vector<std::uint8_t> ConCabecera(std::string_view nombre11, std::uint8_t tipo,
                                      std::uint16_t carga, std::vector<std::uint8_t> cuerpo) {
  std::vector<std::uint8_t> b = Generador::CabeceraAmsdos(
      nombre11, tipo, carga, carga, static_cast<std::uint32_t>(cuerpo.size()));
  b.insert(b.end(), cuerpo.begin(), cuerpo.end());
  return b;
}

// LOADER.BAS (BASIC, with header), 3:CODE.BIN (binary), LEEME.TXT
// (text), DATOS.BIN (no header), and a row the exact reading does not know.
std::vector<std::uint8_t> DiscoA() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar({0,
             "LOADER",
             "BAS",
             false,
             false,
             false,
             ConCabecera("LOADER  BAS", 0, 0x170, BytesProgramaCompleto()),
             {},
             0});
  d.Agregar({3,
             "CODE",
             "BIN",
             false,
             false,
             false,
             ConCabecera("CODE    BIN", 2, 0x4000, Generador::ContenidoPrueba(3000, 7)),
             {},
             0});
  const std::string leeme = "HOLA\r\nMUNDO\r\n\x1A";
  d.Agregar({0, "LEEME", "TXT", false, false, false, {leeme.begin(), leeme.end()}, {}, 0});
  d.Agregar({0, "DATOS", "BIN", false, false, false, Generador::ContenidoPrueba(5000, 3), {}, 0});
  // Blank names make a row, but no file of the exact reading.
  d.FijarEntrada(10, Generador::CrearEntrada(0, "           ", 8));
  return d.Bytes();
}

std::vector<std::uint8_t> DiscoB() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar({0, "OTRO", "BIN", false, false, false, Generador::ContenidoPrueba(100, 1), {}, 0});
  return d.Bytes();
}

class Gestor : public ::testing::Test {
protected:
  void SetUp() override {
    guion.avisos = &avisos.mensajes;
    Gestion::InstalarDialogos(&guion);
    Escribir(A(), DiscoA());
    Escribir(B(), DiscoB());
    Escribir(carpeta.Archivo("extra.bin"), Generador::ContenidoPrueba(700, 5));
    fs::create_directory(carpeta.Ruta() / "cli");
    fs::create_directory(carpeta.Ruta() / "fuera");
    actual = std::make_unique<CarpetaActual>(carpeta.Ruta());
    ventana = std::make_unique<F_AlcoveQt>();
    ventana->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
    PulsarArchivo(File(0), "a.dsk");
    PulsarArchivo(File(1), "b.dsk");
    ASSERT_EQ(DSK(0).ListItems().rowCount(), 5) << Nombres(0).join(",").toStdString();
  }
  void TearDown() override {
    ventana.reset();
    actual.reset();
    Gestion::InstalarDialogos(nullptr);
  }

  std::string A() const { return carpeta.Archivo("a.dsk"); }
  std::string B() const { return carpeta.Archivo("b.dsk"); }
  ListaArchivos &File(int i) {
    return *ventana->findChild<ListaArchivos *>(QStringLiteral("File_%1").arg(i));
  }
  VistaCatalogo &DSK(int i) {
    return *ventana->findChild<VistaCatalogo *>(QStringLiteral("DSK_%1").arg(i));
  }
  GestorCatalogo &G() { return *ventana->findChild<GestorCatalogo *>(); }

  // "NOMBRE.EXT" of each row, as shown, blanks cut.
  QStringList Nombres(int i) {
    QStringList nombres;
    const ModeloCatalogo &m = DSK(i).ListItems();
    for (int f = 0; f < m.rowCount(); ++f)
      nombres << m.Texto(f, 0).trimmed() + "." + m.Texto(f, 1).trimmed();
    return nombres;
  }
  // Selects the rows of those names; the first of them becomes the current row.
  void Elegir(int i, const QStringList &nombres) {
    VistaCatalogo &v = DSK(i);
    v.clearSelection();
    bool primera = true;
    const QStringList todos = Nombres(i);
    for (int f = 0; f < todos.size(); ++f) {
      if (!nombres.contains(todos[f]))
        continue;
      const QModelIndex indice = v.model()->index(f, 0);
      v.selectionModel()->setCurrentIndex(
          indice, (primera ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                      QItemSelectionModel::Rows);
      primera = false;
    }
    ASSERT_FALSE(primera) << "no row named " << nombres.join(',').toStdString();
  }
  // A right-click on the current row (or the empty area), then the item `accion`.
  void Menu(int i, const char *accion, bool vacio = false) {
    VistaCatalogo &v = DSK(i);
    const QPoint punto =
        vacio ? QPoint(10, v.viewport()->height() - 5) : v.visualRect(v.currentIndex()).center();
    QContextMenuEvent e(QContextMenuEvent::Mouse, punto, v.viewport()->mapToGlobal(punto));
    QApplication::sendEvent(v.viewport(), &e);
    auto *menu = v.findChild<QMenu *>(QStringLiteral("MenuCatalogo_%1").arg(i));
    ASSERT_NE(menu, nullptr);
    auto *item = menu->findChild<QAction *>(QString::fromLatin1(accion));
    ASSERT_NE(item, nullptr) << accion;
    item->trigger();
    menu->close(); // and gone: it deletes itself on closing
    QCoreApplication::processEvents();
  }
  // A copy of `imagen` changed by alcove-cli with `args` (IMAGEN stands for it).
  std::vector<std::uint8_t> PorCli(const std::string &imagen, std::vector<std::string> args) {
    const std::string copia = carpeta.Archivo("cli/copia.dsk");
    Escribir(copia, Leer(imagen));
    for (std::string &a : args)
      a = a == "IMAGEN" ? copia : a;
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, 0) << r.errores;
    return Leer(copia);
  }

  CarpetaTemporal carpeta;
  AvisosRecogidos avisos;
  Guion guion;
  std::unique_ptr<CarpetaActual> actual;
  std::unique_ptr<F_AlcoveQt> ventana;
};

TEST_F(Gestor, EachWriteGivesTheBytesAlcoveCliGivesAndThePaneListsTheImageAgain) {
  struct Caso {
    const char *nombre;
    QStringList filas; // empty: the empty area
    const char *accion;
    std::vector<bool> respuestas;
    std::optional<std::string> texto;
    std::vector<std::string> cli;
    QString aparece, desaparece;
  };
  const std::vector<Caso> casos{
      {"delete",
       {"DATOS.BIN"},
       "Borrar",
       {true},
       {},
       {"rm", "IMAGEN", "DATOS.BIN"},
       "",
       "DATOS.BIN"},
      {"delete two",
       {"LEEME.TXT", "LOADER.BAS"},
       "Borrar",
       {true},
       {},
       {"rm", "IMAGEN", "LEEME.TXT", "LOADER.BAS"},
       "",
       "LOADER.BAS"},
      {"rename",
       {"LEEME.TXT"},
       "CambiarNombre",
       {},
       "notas.txt",
       {"ren", "IMAGEN", "LEEME.TXT", "NOTAS.TXT"},
       "NOTAS.TXT",
       "LEEME.TXT"},
      // An attribute sets the top bit of an extension character: the listing
      // then leaves the row out, as it does any name with such a character.
      {"read-only",
       {"LEEME.TXT"},
       "SoloLectura",
       {},
       {},
       {"attr", "IMAGEN", "LEEME.TXT", "--ro"},
       "",
       "LEEME.TXT"},
      {"hidden",
       {"CODE.BIN"},
       "Oculto",
       {},
       {},
       {"attr", "IMAGEN", "3:CODE.BIN", "--sys"},
       "",
       "CODE.BIN"},
      {"put", {}, "PonerArchivos", {}, {}, {"put", "IMAGEN", "extra.bin"}, "EXTRA.BIN", ""},
      {"put over a name, replacing",
       {},
       "PonerArchivos",
       {true},
       {},
       {"put", "IMAGEN", "datos.bin", "--force"},
       "DATOS.BIN",
       ""},
  };
  Escribir(carpeta.Archivo("datos.bin"), Generador::ContenidoPrueba(300, 8));
  const std::vector<std::uint8_t> original = DiscoA();
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    Escribir(A(), original);
    PulsarArchivo(File(0), "a.dsk");
    const std::vector<std::uint8_t> esperado = PorCli(A(), c.cli);
    guion.confirmar.assign(c.respuestas.begin(), c.respuestas.end());
    guion.texto = c.texto;
    guion.archivos = {carpeta.Archivo(c.cli.back() == "--force" ? "datos.bin" : "extra.bin")};
    if (!c.filas.isEmpty())
      Elegir(0, c.filas);
    else
      DSK(0).clearSelection();
    Menu(0, c.accion, c.filas.isEmpty());
    EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
    avisos.mensajes.clear();
    EXPECT_TRUE(guion.confirmar.empty()) << "every question was asked";
    EXPECT_EQ(Leer(A()), esperado);
    const QStringList filas = Nombres(0);
    EXPECT_TRUE(c.aparece.isEmpty() || filas.contains(c.aparece)) << filas.join(',').toStdString();
    EXPECT_FALSE(!c.desaparece.isEmpty() && filas.contains(c.desaparece))
        << filas.join(',').toStdString();
  }
}

TEST_F(Gestor, RefusalsSayWhyAndLeaveTheImageByteForByte) {
  struct Caso {
    const char *nombre;
    QStringList filas;
    const char *accion;
    std::vector<bool> respuestas;
    std::optional<std::string> texto;
    std::string archivo; // to put
    const char *motivo;  // in the message; empty: no message
  };
  Escribir(carpeta.Archivo("enorme.bin"), Generador::ContenidoPrueba(200000, 2));
  Escribir(carpeta.Archivo("loader.bas"), {1, 2, 3});
  const std::vector<Caso> casos{
      {"answered no", {"DATOS.BIN"}, "Borrar", {false}, {}, "", ""},
      {"name taken",
       {"LEEME.TXT"},
       "CambiarNombre",
       {},
       "LOADER.BAS",
       "",
       "Ya hay un 0:LOADER.BAS en el disco"},
      {"bad name",
       {"LEEME.TXT"},
       "CambiarNombre",
       {},
       "A*B.TXT",
       "",
       "no vale como nombre de CP/M"},
      {"rename cancelled", {"LEEME.TXT"}, "CambiarNombre", {}, {}, "", ""},
      {"full disk", {}, "PonerArchivos", {}, {}, "enorme.bin", "No hay sitio"},
      {"replace declined", {}, "PonerArchivos", {false}, {}, "loader.bas", ""},
      {"unknown row", {"."}, "Borrar", {}, {}, "", "La lectura exacta del disco no tiene"},
      {"unknown row kept out of a rename",
       {"."},
       "CambiarNombre",
       {},
       {},
       "",
       "La lectura exacta del disco no tiene"},
  };
  const std::vector<std::uint8_t> original = Leer(A());
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    guion.confirmar.assign(c.respuestas.begin(), c.respuestas.end());
    guion.texto = c.texto;
    guion.archivos = {carpeta.Archivo(c.archivo)};
    if (!c.filas.isEmpty())
      Elegir(0, c.filas);
    else
      DSK(0).clearSelection();
    Menu(0, c.accion, c.filas.isEmpty());
    if (*c.motivo == '\0') {
      EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
    } else {
      ASSERT_EQ(avisos.mensajes.size(), 1);
      EXPECT_TRUE(avisos.mensajes.front().contains(QString::fromUtf8(c.motivo)))
          << avisos.mensajes.front().toStdString();
    }
    avisos.mensajes.clear();
    EXPECT_TRUE(guion.confirmar.empty());
    EXPECT_EQ(Leer(A()), original);
  }
}

TEST_F(Gestor, ADiskWhoseCatalogueCannotBeReadWholeIsNeverWritten) {
  Generador::DiscoCpm d(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  d.Agregar({0, "UNO", "BIN", false, false, false, Generador::ContenidoPrueba(100, 1), {}, 0});
  d.Debil(0, 0, 0xC2, 3); // the catalogue's second sector, stored three ways
  Escribir(B(), d.Bytes());
  PulsarArchivo(File(1), "b.dsk");
  const std::vector<std::uint8_t> original = Leer(B());
  guion.confirmar = {true};
  Elegir(1, {"UNO.BIN"});
  Menu(1, "Borrar");
  ASSERT_EQ(avisos.mensajes.size(), 1);
  EXPECT_TRUE(avisos.mensajes.front().contains("catálogo no se lee entero"))
      << avisos.mensajes.front().toStdString();
  EXPECT_EQ(Leer(B()), original);
}

TEST_F(Gestor, DoubleClickAndEnterOpenTheViewerAndAnUnknownRowShowsItsEntry) {
  VistaCatalogo &v = DSK(0);
  Elegir(0, {"LOADER.BAS"});
  DobleClic(v.viewport(), v.visualRect(v.currentIndex()).center());
  auto *ver = ventana->findChild<F_Ver *>();
  ASSERT_NE(ver, nullptr);
  EXPECT_TRUE(ver->Texto()->toPlainText().startsWith("10 CLS:PRINT \"HOLA\"\n20 "))
      << ver->Texto()->toPlainText().toStdString();
  EXPECT_EQ(ver->windowTitle(), "LOADER.BAS - Alcove");
  EXPECT_EQ(ver->Texto()->palette().color(QPalette::Base), QColor(0, 0, 170));
  EXPECT_EQ(ver->Texto()->palette().color(QPalette::Text), QColor(255, 255, 0));
  EXPECT_TRUE(ver->Texto()->font().bold());
  // The same file as a dump, from the viewers offered.
  ASSERT_EQ(ver->Vistas()->count(), 3);
  EXPECT_EQ(ver->Vistas()->itemText(2), "Hexadecimal");
  ver->Vistas()->setCurrentIndex(2);
  emit ver->Vistas()->activated(2);
  EXPECT_TRUE(ver->Texto()->toPlainText().startsWith("0170  ")) << "dumped from its load address";
  delete ver;

  Elegir(0, {"LEEME.TXT"});
  v.setFocus();
  QTest::keyClick(&v, Qt::Key_Return);
  ver = ventana->findChild<F_Ver *>();
  ASSERT_NE(ver, nullptr);
  EXPECT_EQ(ver->Texto()->toPlainText(), "HOLA\nMUNDO\n");
  EXPECT_FALSE(ver->Nota()->isVisibleTo(ver));
  delete ver;

  Elegir(0, {"."});
  QTest::keyClick(&v, Qt::Key_Enter);
  ver = ventana->findChild<F_Ver *>();
  ASSERT_NE(ver, nullptr);
  const QString texto = ver->Texto()->toPlainText();
  EXPECT_TRUE(texto.contains("La lectura exacta del disco no tiene este archivo"))
      << texto.toStdString();
  EXPECT_TRUE(texto.contains("Entrada 10 del catálogo")) << texto.toStdString();
  EXPECT_TRUE(texto.contains("0000  00 20 20 20 20 20 20 20  20 20 20 20 00 00 00 08"))
      << texto.toStdString();
  EXPECT_EQ(ver->Nota()->text(), "entrada desconocida");
  delete ver;
}

TEST_F(Gestor, TheViewerShowsAPictureWhenItIsGivenOne) {
  Gestion::Contenido c;
  c.titulo = "PANTALLA.SCR";
  c.vista = Ver::Vista::Pantalla;
  c.imagen = Gestion::Imagen{2, 1, {255, 0, 0, 0, 0, 170}};
  F_Ver ver(nullptr, c, {Ver::Vista::Pantalla, Ver::Vista::Hex}, {});
  EXPECT_TRUE(ver.MuestraImagen());
  // A small picture is enlarged by whole times to a screen's width; a screen
  // (640 x 400, its lines and pixels already doubled) keeps its own size.
  const QImage imagen = ver.Imagen()->pixmap().toImage();
  ASSERT_EQ(imagen.size(), QSize(640, 320));
  EXPECT_EQ(QColor(imagen.pixel(319, 319)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(imagen.pixel(320, 0)), QColor(0, 0, 170));
  c.imagen = Gestion::Imagen{640, 400, std::vector<std::uint8_t>(640 * 400 * 3, 255)};
  ver.Mostrar(c);
  EXPECT_EQ(ver.Imagen()->pixmap().size(), QSize(640, 400));
  c.imagen->rgb.pop_back(); // a picture that does not add up is not drawn
  c.texto = "0000  ...";
  ver.Mostrar(c);
  EXPECT_FALSE(ver.MuestraImagen());
}

TEST_F(Gestor, ExtractionWritesWhatGetWritesAndRemembersTheHeaderChoice) {
  ProgresoVisto progreso;
  const std::string fuera = carpeta.Archivo("fuera");
  Elegir(0, {"LOADER.BAS", "CODE.BIN"});
  guion.carpeta = Gestion::Dialogos::Destino{fuera, false};
  Menu(0, "Extraer");
  ASSERT_TRUE(
      EjecutarCli({"get", A(), "LOADER.BAS", "3:CODE.BIN", "-o", carpeta.Archivo("cli")}).codigo ==
      0);
  for (const char *n : {"LOADER.BAS", "CODE.BIN"})
    EXPECT_EQ(Leer(fuera + "/" + n), Leer(carpeta.Archivo(std::string("cli/") + n))) << n;
  EXPECT_EQ(progreso.mostrado, 1);
  EXPECT_EQ(progreso.oculto, 1);
  EXPECT_EQ(progreso.valor, progreso.a) << "the bar ends full";
  // Files go in the order the view shows them.
  EXPECT_EQ(progreso.titulos.back(), "Extrayendo LOADER.BAS");

  // Again, keeping the headers: the files are there, so the user is asked.
  guion.carpeta->conCabecera = true;
  guion.confirmar = {true};
  Menu(0, "Extraer");
  ASSERT_EQ(guion.preguntas.size(), 1u);
  EXPECT_NE(guion.preguntas[0].find("CODE.BIN y LOADER.BAS"), std::string::npos)
      << guion.preguntas[0];
  ASSERT_EQ(
      EjecutarCli({"get", A(), "LOADER.BAS", "--raw", "--force", "-o", carpeta.Archivo("cli")})
          .codigo,
      0);
  EXPECT_EQ(Leer(fuera + "/LOADER.BAS"), Leer(carpeta.Archivo("cli/LOADER.BAS")));
  // The choice made is offered the next time; declining keeps the files.
  guion.confirmar = {false};
  guion.carpeta->conCabecera = false;
  const std::vector<std::uint8_t> antes = Leer(fuera + "/LOADER.BAS");
  Menu(0, "Extraer");
  EXPECT_EQ(guion.cabeceraOfrecida, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(Leer(fuera + "/LOADER.BAS"), antes);
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

TEST_F(Gestor, PropertiesAndTheMenusOfTheKeyboardAndTheEmptyArea) {
  Elegir(0, {"CODE.BIN"});
  Menu(0, "Propiedades");
  EXPECT_NE(guion.mostrado.find("Tipo AMSDOS:  binario (&02)\n"), std::string::npos)
      << guion.mostrado;
  EXPECT_NE(guion.mostrado.find("Usuario:      3\n"), std::string::npos) << guion.mostrado;

  // The menu key opens the rows' menu at the current row, with the toggles as they are.
  VistaCatalogo &v = DSK(0);
  QContextMenuEvent tecla(QContextMenuEvent::Keyboard, QPoint(5, 5), v.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&v, &tecla);
  auto *menu = v.findChild<QMenu *>("MenuCatalogo_0");
  ASSERT_NE(menu, nullptr);
  QStringList textos;
  for (QAction *a : menu->actions()) {
    if (!a->isSeparator())
      textos << a->text();
  }
  EXPECT_EQ(textos, (QStringList{"Ver", "Extraer…", "Propiedades", "Borrar", "Cambiar nombre…",
                                 "Solo lectura", "Oculto"}));
  EXPECT_TRUE(menu->findChild<QAction *>("SoloLectura")->isCheckable());
  EXPECT_FALSE(menu->findChild<QAction *>("SoloLectura")->isChecked());
  EXPECT_FALSE(menu->findChild<QAction *>("Oculto")->isChecked());
  delete menu;
  // A right-click below the rows offers what a disk takes.
  const QPoint abajo(10, v.viewport()->height() - 5);
  QContextMenuEvent raton(QContextMenuEvent::Mouse, abajo, v.viewport()->mapToGlobal(abajo));
  QApplication::sendEvent(v.viewport(), &raton);
  menu = v.findChild<QMenu *>("MenuCatalogo_0");
  ASSERT_NE(menu, nullptr);
  textos.clear();
  for (QAction *a : menu->actions())
    textos << a->text();
  EXPECT_EQ(textos, (QStringList{"Nuevo disco…", "Poner archivos…", "Archivos sin fila…",
                                 "Propiedades del disco"}));
  EXPECT_TRUE(v.selectionModel()->selectedRows().isEmpty());
  delete menu;
}

// The disk's own properties, from the empty area's menu, and the status bar's
// tooltip name the copy protection of the image listed last.
TEST_F(Gestor, TheDisksPropertiesAndTheStatusBarNameItsProtection) {
  auto *barra = ventana->findChild<QStatusBar *>(QStringLiteral("StatusBar"));
  ASSERT_NE(barra, nullptr);
  EXPECT_EQ(barra->toolTip().toStdString(), "Protección anticopia: no se ve ninguna señal");
  Escribir(carpeta.Archivo("p.dsk"),
           Generador::CasoProteccionPorNombre("rainbow-incompleto").bytes);
  File(0).SetPath(File(0).Path());
  PulsarArchivo(File(0), "p.dsk");
  EXPECT_EQ(barra->toolTip().toStdString(),
            "Protección anticopia: Rainbow Arts (confirmada), volcado incompleto");
  // The four panels keep the summary they always had.
  EXPECT_EQ(barra->findChildren<QLabel *>().size(), 4);
  Menu(0, "PropiedadesDisco", true);
  EXPECT_NE(guion.mostrado.find("Disposición:  EXTENDED CPC DSK\nPistas:       42, 1 cara\n"),
            std::string::npos)
      << guion.mostrado;
  EXPECT_NE(guion.mostrado.find("Protección:   Rainbow Arts (confirmada), volcado incompleto\n"
                                "  pista 40, cara 0: 9 sectores, el 2.º guardado de ID &C6 con "
                                "error de CRC en los datos\n"),
            std::string::npos)
      << guion.mostrado;
  EXPECT_NE(guion.mostrado.find("  volcado incompleto: pista 40, cara 0, sector &C6: "),
            std::string::npos)
      << guion.mostrado;
  // The other pane's image, chosen last, is the one the tooltip tells of.
  PulsarArchivo(File(1), "a.dsk");
  EXPECT_EQ(barra->toolTip().toStdString(), "Protección anticopia: no se ve ninguna señal");
}

// An attribute hides a file's row; the empty area's menu gives it back.
TEST_F(Gestor, FilesHiddenByTheirAttributesGetTheirRowsBack) {
  Elegir(0, {"LEEME.TXT"});
  Menu(0, "SoloLectura");
  Elegir(0, {"DATOS.BIN"});
  Menu(0, "Oculto");
  ASSERT_FALSE(Nombres(0).contains("LEEME.TXT"));
  const std::vector<std::uint8_t> esperado = PorCli(A(), {"attr", "IMAGEN", "LEEME.TXT", "--rw"});
  const std::vector<std::uint8_t> antes = Leer(A());
  guion.elegidos = {}; // cancelled: nothing changes
  DSK(0).clearSelection();
  Menu(0, "SinFila", true);
  EXPECT_EQ(guion.ofrecidos,
            (std::vector<std::string>{"DATOS.BIN (oculto)", "LEEME.TXT (solo lectura)"}));
  EXPECT_EQ(Leer(A()), antes);
  guion.elegidos = {1};
  Menu(0, "SinFila", true);
  EXPECT_EQ(Leer(A()), esperado);
  EXPECT_TRUE(Nombres(0).contains("LEEME.TXT"));
  EXPECT_FALSE(Nombres(0).contains("DATOS.BIN"));
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

TEST_F(Gestor, ANewDiskIsAlcoveClisNewAndOpensInThePane) {
  guion.disco = Gestion::Dialogos::DiscoNuevo{"vacio", "data"};
  DSK(0).clearSelection();
  Menu(0, "NuevoDisco", true);
  ASSERT_TRUE(fs::exists(carpeta.Ruta() / "vacio.dsk")) << "the extension is added";
  ASSERT_EQ(EjecutarCli({"new", carpeta.Archivo("cli/vacio.dsk")}).codigo, 0);
  EXPECT_EQ(Leer(carpeta.Archivo("vacio.dsk")), Leer(carpeta.Archivo("cli/vacio.dsk")));
  EXPECT_TRUE(File(0).Archivos().contains("vacio.dsk"));
  EXPECT_EQ(DSK(0).ListItems().rowCount(), 0);
  EXPECT_EQ(ventana->findChild<QLabel *>("Panel_1")->text(), "vacio.dsk");
  // Over an existing file only when the user says so.
  guion.disco = Gestion::Dialogos::DiscoNuevo{"a.dsk", "system"};
  guion.confirmar = {false};
  const std::vector<std::uint8_t> a = Leer(A());
  Menu(0, "NuevoDisco", true);
  EXPECT_EQ(Leer(A()), a);
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

TEST_F(Gestor, DragsCarryExactFilesOutAndBetweenPanesAndDropsPutHostFiles) {
  // Out: the files get writes, in a folder of their own, with no window
  // while the button is held.
  ProgresoVisto progreso;
  Elegir(0, {"LOADER.BAS", "LEEME.TXT"});
  std::unique_ptr<QMimeData> datos(G().DatosArrastre(0));
  ASSERT_NE(datos, nullptr);
  EXPECT_EQ(progreso.mostrado, 0);
  ASSERT_EQ(datos->urls().size(), 2);
  ASSERT_EQ(
      EjecutarCli({"get", A(), "LOADER.BAS", "LEEME.TXT", "-o", carpeta.Archivo("cli")}).codigo, 0);
  for (const QUrl &url : datos->urls()) {
    const std::string nombre = url.fileName().toStdString();
    EXPECT_EQ(Leer(url.toLocalFile().toStdString()), Leer(carpeta.Archivo("cli/" + nombre)))
        << nombre;
  }
  // Onto the other pane: copied with their headers, as get --raw and put copy them.
  const std::vector<std::uint8_t> esperado = [&] {
    EXPECT_EQ(EjecutarCli({"get", A(), "LOADER.BAS", "LEEME.TXT", "--raw", "--force", "-o",
                           carpeta.Archivo("cli")})
                  .codigo,
              0);
    return PorCli(B(), {"put", "IMAGEN", carpeta.Archivo("cli/LEEME.TXT"),
                        carpeta.Archivo("cli/LOADER.BAS")});
  }();
  EXPECT_FALSE(G().Recibir(0, *datos, false)) << "a pane does not take its own rows";
  ASSERT_TRUE(G().Recibir(1, *datos, true));
  QCoreApplication::processEvents();
  EXPECT_EQ(Leer(B()), esperado);
  EXPECT_TRUE(Nombres(1).contains("LOADER.BAS"));

  // In from the host: put as alcove-cli's put, through a real drop event.
  const std::vector<std::uint8_t> conExtra = PorCli(B(), {"put", "IMAGEN", "extra.bin"});
  QMimeData archivos;
  archivos.setUrls({QUrl::fromLocalFile(QString::fromStdString(carpeta.Archivo("extra.bin")))});
  QWidget *destino = DSK(1).viewport();
  QDragEnterEvent entra(QPoint(20, 20), Qt::CopyAction, &archivos, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(destino, &entra);
  EXPECT_TRUE(entra.isAccepted());
  QDropEvent suelta(QPointF(20, 20), Qt::CopyAction, &archivos, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(destino, &suelta);
  QCoreApplication::processEvents();
  EXPECT_EQ(Leer(B()), conExtra);
  EXPECT_TRUE(Nombres(1).contains("EXTRA.BIN"));
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
  // Anything but local files is refused at the door.
  QMimeData texto;
  texto.setText("hola");
  QDragEnterEvent otro(QPoint(20, 20), Qt::CopyAction, &texto, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(destino, &otro);
  EXPECT_FALSE(otro.isAccepted());
}

// Rows dragged from another Alcove are only its files here: they are put on
// the image, never taken for this window's own rows of the pane they left.
TEST_F(Gestor, RowsDraggedFromAnotherAlcoveArriveAsTheirFiles) {
  const QByteArray otro = QByteArray::number(QCoreApplication::applicationPid() + 1);
  const std::vector<std::uint8_t> original = Leer(B());
  for (const QByteArray &filas : {QByteArray("0"), otro + " 0"}) {
    SCOPED_TRACE(filas.toStdString());
    Escribir(B(), original);
    PulsarArchivo(File(1), "b.dsk");
    Elegir(0, {"LOADER.BAS"});
    const std::vector<std::uint8_t> conExtra = PorCli(B(), {"put", "IMAGEN", "extra.bin"});
    QMimeData datos;
    datos.setUrls({QUrl::fromLocalFile(QString::fromStdString(carpeta.Archivo("extra.bin")))});
    datos.setData(QStringLiteral("application/x-alcove-filas"), filas);
    ASSERT_TRUE(G().Recibir(1, datos, true));
    QCoreApplication::processEvents();
    EXPECT_EQ(Leer(B()), conExtra);
    EXPECT_FALSE(Nombres(1).contains("LOADER.BAS"));
  }
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

TEST_F(Gestor, ImagesInsideZipsFollowTheFoldersOwnAndAreReadButNeverWritten) {
  const std::vector<std::uint8_t> zip =
      zip_prueba::CrearZip({zip_prueba::Comprimido("juegos/juego.dsk", DiscoB()),
                            zip_prueba::Guardado("leeme.txt", {1})});
  Escribir(carpeta.Archivo("coleccion.zip"), zip);
  File(0).SetPath(File(0).Path());
  EXPECT_EQ(File(0).Archivos(), (QStringList{"a.dsk", "b.dsk", "coleccion.zip/juegos/juego.dsk"}));
  PulsarArchivo(File(0), "coleccion.zip/juegos/juego.dsk");
  EXPECT_EQ(Nombres(0), (QStringList{"OTRO.BIN"}));
  EXPECT_EQ(ventana->findChild<QLabel *>("Panel_1")->text(), "juego.dsk");
  const std::string miembro = carpeta.Archivo("coleccion.zip/juegos/juego.dsk");
  EXPECT_EQ(G().Imagen(0), miembro);

  // Read: dragged out, the file is get's.
  Elegir(0, {"OTRO.BIN"});
  std::unique_ptr<QMimeData> datos(G().DatosArrastre(0));
  ASSERT_NE(datos, nullptr);
  ASSERT_EQ(EjecutarCli({"get", miembro, "OTRO.BIN", "-o", carpeta.Archivo("cli")}).codigo, 0);
  EXPECT_EQ(Leer(datos->urls().front().toLocalFile().toStdString()),
            Leer(carpeta.Archivo("cli/OTRO.BIN")));
  // Never written: the refusal says why and the zip stays as it was.
  guion.confirmar = {true};
  Menu(0, "Borrar");
  ASSERT_EQ(avisos.mensajes.size(), 1);
  EXPECT_TRUE(avisos.mensajes.front().contains("dentro de un .zip o un .gz solo se leen"))
      << avisos.mensajes.front().toStdString();
  EXPECT_EQ(guion.confirmar.size(), 1u) << "refused before asking";
  EXPECT_EQ(Leer(carpeta.Archivo("coleccion.zip")), zip);
}

} // namespace

namespace {

// The Qt dialog of "Propiedades": the text and the header's fields as given,
// the box that enables them, and the fields as the user leaves them.
TEST(DialogosQtPropiedades, CamposComoSeDejan) {
  DialogosQt dialogos(nullptr);
  const Gestion::Dialogos::Cabecera inicial{true, "binario", "&4000", "&4000", "3000"};
  struct Visto {
    QString texto, tipo;
    bool habilitadoAntes = false, habilitadoDespues = true;
  };
  static Visto visto;
  QTimer::singleShot(0, [] {
    auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (d == nullptr) {
      ADD_FAILURE() << "no dialog open";
      return;
    }
    visto.texto = d->findChild<QPlainTextEdit *>()->toPlainText();
    auto *tipo = d->findChild<QComboBox *>("CabeceraTipo");
    auto *carga = d->findChild<QLineEdit *>("CabeceraCarga");
    auto *con = d->findChild<QCheckBox *>("CabeceraCon");
    visto.tipo = tipo->currentText();
    visto.habilitadoAntes = carga->isEnabled();
    carga->setText(QStringLiteral("&4100"));
    tipo->setCurrentText(QStringLiteral("BASIC"));
    // Where screenshots are kept, when asked for: a person looks at them.
    if (const char *capturas = std::getenv("ALCOVE_CAPTURAS"))
      d->grab().save(QString::fromLocal8Bit(capturas) + "/propiedades-qt.png");
    con->setChecked(false);
    visto.habilitadoDespues = carga->isEnabled();
    con->setChecked(true);
    d->accept();
  });
  const auto r = dialogos.EditarPropiedades("Archivo:      CODE.BIN\n", inicial,
                                            {"BASIC", "BASIC protegido", "binario"});
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(*r, (Gestion::Dialogos::Cabecera{true, "BASIC", "&4100", "&4000", "3000"}));
  EXPECT_EQ(visto.texto, QStringLiteral("Archivo:      CODE.BIN\n"));
  EXPECT_EQ(visto.tipo, QStringLiteral("binario"));
  EXPECT_TRUE(visto.habilitadoAntes);
  EXPECT_FALSE(visto.habilitadoDespues);

  QTimer::singleShot(0, [] {
    if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
      d->reject();
  });
  EXPECT_FALSE(dialogos.EditarPropiedades("", inicial, {"BASIC"}).has_value());
}

} // namespace
