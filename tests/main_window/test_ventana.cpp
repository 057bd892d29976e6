// The main window driven through its real controls, found by name.
#include "Ayudas.h"

#include "platform/ArchivosHost.h"
#include "platform/Errores.h"
#include "ui/qt/F_AcercaQt.h"
#include "ui/qt/F_AlcoveQt.h"
#include "ui/widgets/CarpetasUnidad.h"
#include "ui/widgets/ListaCarpetas.h"
#include "ui/widgets/ListaUnidades.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

#include <memory>

namespace {

namespace fs = std::filesystem;
using Generador::CrearEntrada;
using Generador::ImagenDsk;

// One catalogue row as the view shows it, with its icon's key.
struct Fila {
  QString nombre, ext, kb, icono, attrib = {};
  friend bool operator==(const Fila &, const Fila &) = default;
  friend std::ostream &operator<<(std::ostream &os, const Fila &f) {
    return os << '[' << f.nombre.toStdString() << '|' << f.ext.toStdString() << '|'
              << f.kb.toStdString() << '|' << f.icono.toStdString() << '|' << f.attrib.toStdString()
              << ']';
  }
};

// A standard image whose catalogue holds every kind of entry the listing meets.
ImagenDsk ImagenJuegos() {
  ImagenDsk imagen(Generador::Disposicion::Estandar, 40, 1);
  imagen.Creador("TEST CREADOR");
  imagen
      .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 128, 0)) // three extents
      .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 128, 1))
      .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 16, 2))
      .AgregarEntrada(CrearEntrada(0xE5, "OLD     BAS", 10)) // deleted
      .AgregarEntrada(CrearEntrada(0, "BAD\x01NAMEBAS", 10)) // control character
      .AgregarEntrada(CrearEntrada(0, "HIGH\xC1   BIN", 8))  // top bit set: an attribute
      .AgregarEntrada(CrearEntrada(0, "PIPE|   TXT", 8))     // code 124: printable
      .AgregarEntrada(CrearEntrada(16, "USER16  BIN", 16))   // user above 15
      .AgregarEntrada(CrearEntrada(3, "notes   bin", 0))     // lower case, 0 records
      .AgregarEntrada(CrearEntrada(15, "LOADER  BAS", 255))
      .AgregarEntrada(CrearEntrada(0, "ZAP     BAK", 16))
      .AgregarEntrada(CrearEntrada(0, "CURLY{  TXT", 8))   // code 123 is fine
      .AgregarEntrada(CrearEntrada(0, "CR\r     TXT", 8)); // CR reads as a blank
  return imagen;
}

const std::vector<Fila> FilasJuegos{
    {"CR      ", "TXT", "   1", "Unknow"},     {"CURLY{  ", "TXT", "   1", "Unknow"},
    {"GAME    ", "BIN", "  16", "BIN"},        {"GAME    ", "BIN", "  16", "BIN"},
    {"GAME    ", "BIN", "   2", "BIN"},        {"HIGHA   ", "BIN", "   1", "BIN"},
    {"LOADER  ", "BAS", "  31", "BAS", "U15"}, {"notes   ", "bin", "   1", "Unknow", "U3"},
    {"PIPE|   ", "TXT", "   1", "Unknow"},     {"ZAP     ", "BAK", "   2", "BAK"},
};

ImagenDsk ImagenExtendida() {
  ImagenDsk imagen(Generador::Disposicion::Extendida, 42, 2);
  imagen.Creador("OTRO");
  imagen.AgregarEntrada(CrearEntrada(0, "BETA    BAS", 24))
      .AgregarEntrada(CrearEntrada(0, "ALFA    BIN", 80));
  return imagen;
}

class VentanaPrincipal : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(carpeta.Ruta() / "sub" / "dentro");
    fs::create_directory(carpeta.Ruta() / "otra");
    EscribirImagen(carpeta.Ruta() / "juegos.dsk", ImagenJuegos());
    EscribirImagen(carpeta.Ruta() / "extendido.DSK", ImagenExtendida());
    EscribirImagen(carpeta.Ruta() / "sub" / "sub.dsk", ImagenExtendida());
    Escribir(carpeta.Archivo("leeme.txt"), {1, 2, 3});
    actual = std::make_unique<CarpetaActual>(carpeta.Ruta());
    ventana = std::make_unique<F_AlcoveQt>();
    ventana->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
  }
  void TearDown() override {
    ventana.reset();
    actual.reset();
  }

  template <class T> T &Control(const QString &nombre) {
    T *control = ventana->findChild<T *>(nombre);
    if (control == nullptr)
      throw std::runtime_error("no control " + nombre.toStdString());
    return *control;
  }
  ListaUnidades &Drive(int i) { return Control<ListaUnidades>(QStringLiteral("Drive_%1").arg(i)); }
  ListaCarpetas &Dir(int i) { return Control<ListaCarpetas>(QStringLiteral("Dir_%1").arg(i)); }
  ListaArchivos &File(int i) { return Control<ListaArchivos>(QStringLiteral("File_%1").arg(i)); }
  VistaCatalogo &DSK(int i) { return Control<VistaCatalogo>(QStringLiteral("DSK_%1").arg(i)); }
  QStringList Paneles() {
    QStringList textos;
    for (int i = 1; i <= 4; ++i)
      textos << Control<QLabel>(QStringLiteral("Panel_%1").arg(i)).text();
    return textos;
  }
  std::vector<Fila> Filas(int i) {
    std::vector<Fila> filas;
    const ModeloCatalogo &m = DSK(i).ListItems();
    for (int f = 0; f < m.rowCount(); ++f) {
      filas.push_back({m.Texto(f, 0), m.Texto(f, 1), m.Texto(f, 2),
                       m.data(m.index(f, 0), ModeloCatalogo::RolClaveIcono).toString(),
                       m.Texto(f, 3)});
    }
    return filas;
  }
  QString Base() const { return QRuta(carpeta.Ruta()); }

  CarpetaTemporal carpeta;
  AvisosRecogidos avisos;
  std::unique_ptr<CarpetaActual> actual;
  std::unique_ptr<F_AlcoveQt> ventana;
};

TEST_F(VentanaPrincipal, ControlsSitWhereTheLayoutPutsThemWithTheirTextsColoursAndFonts) {
  EXPECT_EQ(ventana->windowTitle(), "Alcove beta 1");
  EXPECT_EQ(ventana->centralWidget()->size(), QSize(894, 551));
  EXPECT_EQ(ventana->minimumSize(), ventana->maximumSize()) << "fixed size";
  EXPECT_FALSE(ventana->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(ventana->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(ventana->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(ventana->windowIcon().isNull());

  auto &frame1 = Control<QGroupBox>("Frame1");
  auto &frame2 = Control<QGroupBox>("Frame2");
  EXPECT_EQ(frame1.geometry(), QRect(0, 0, 445, 514));
  EXPECT_EQ(frame2.geometry(), QRect(450, 0, 445, 514));
  EXPECT_EQ(frame1.title(), "Frame1");
  EXPECT_EQ(frame2.title(), "Frame1");
  EXPECT_EQ(frame2.palette().color(QPalette::Window), QColor(Qt::black));

  struct Esperado {
    const char *nombre;
    QRect lugar;
    QWidget *padre;
  };
  const std::vector<Esperado> lugares{
      {"Drive_0", {11, 12, 267, 24}, &frame1},   {"Drive_1", {6, 9, 267, 24}, &frame2},
      {"Dir_0", {9, 45, 267, 132}, &frame1},     {"Dir_1", {6, 45, 267, 132}, &frame2},
      {"File_0", {282, 12, 154, 166}, &frame1},  {"File_1", {279, 9, 154, 166}, &frame2},
      {"DSK_0", {9, 180, 427, 262}, &frame1},    {"DSK_1", {6, 180, 427, 262}, &frame2},
      {"Fm_Info_0", {9, 447, 427, 61}, &frame1}, {"Fm_Info_1", {9, 447, 427, 61}, &frame2},
  };
  for (const Esperado &e : lugares) {
    auto &control = Control<QWidget>(e.nombre);
    EXPECT_EQ(control.geometry(), e.lugar) << e.nombre;
    EXPECT_EQ(control.parentWidget(), e.padre) << e.nombre;
    EXPECT_EQ(control.palette().color(QPalette::Base), QColor(0, 0, 170)) << e.nombre;
    EXPECT_EQ(control.palette().color(QPalette::Text), QColor(255, 255, 0)) << e.nombre;
    const QFont fuente = control.font();
    EXPECT_EQ(fuente.family(), "Courier New") << e.nombre;
    EXPECT_TRUE(fuente.bold()) << e.nombre;
    EXPECT_DOUBLE_EQ(fuente.pointSizeF(), QString(e.nombre).startsWith("DSK") ? 12.0 : 9.75)
        << e.nombre;
    const QString real = QFontInfo(fuente).family();
    EXPECT_TRUE(real == "Courier New" || real == "Liberation Mono") << real.toStdString();
  }
  EXPECT_EQ(Control<QGroupBox>("Fm_Info_1").title(), "Informacion Archivo");
  EXPECT_EQ(Control<QStatusBar>("StatusBar").geometry(), QRect(0, 515, 894, 36));

  for (int i = 0; i < 2; ++i) {
    const ModeloCatalogo &m = DSK(i).ListItems();
    QStringList titulos;
    for (int c = 0; c < 4; ++c)
      titulos << m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(titulos, (QStringList{"Nombre", "EXT", "KB", "Attrib"}));
    const std::array<int, 4> anchos{120, 53, 67, 96};
    const std::array<Qt::Alignment, 4> alineaciones{Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight,
                                                    Qt::AlignLeft};
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(DSK(i).header()->sectionSize(c), anchos[static_cast<std::size_t>(c)]);
      const auto alineacion =
          Qt::Alignment(m.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
      EXPECT_TRUE(alineacion & alineaciones[static_cast<std::size_t>(c)]) << c;
    }
  }
}

TEST_F(VentanaPrincipal, MenusAreDiscoADiscoBAndAyudaWhoseItemOpensTheAboutWindow) {
  QStringList titulos;
  for (QAction *accion : ventana->menuBar()->actions())
    titulos << accion->text();
  EXPECT_EQ(titulos, (QStringList{"Disco A", "Disco B", "Ayuda"}));
  EXPECT_TRUE(Control<QMenu>("MenDiscoA").actions().isEmpty());
  EXPECT_TRUE(Control<QMenu>("MenDiscoB").actions().isEmpty());
  auto &ayuda = Control<QMenu>("Ayuda");
  ASSERT_EQ(ayuda.actions().size(), 1);
  QAction &acerca = Control<QAction>("menu_Ayuda_1");
  EXPECT_EQ(&acerca, ayuda.actions().front());
  EXPECT_EQ(acerca.text(), "Acerca de Alcove");

  // The about window is modal: the call returns once it is closed.
  bool vista = false;
  QTimer::singleShot(50, [&vista] {
    if (F_AcercaQt *abierta = F_AcercaQt::Cargada()) {
      vista = abierta->isVisible() && abierta->isModal();
      abierta->close();
    }
  });
  acerca.trigger();
  EXPECT_TRUE(vista);
  EXPECT_EQ(F_AcercaQt::Cargada(), nullptr);
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

TEST_F(VentanaPrincipal, StartsInTheCurrentFolderWithEmptyViewsAndTheFirstStatusTexts) {
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Drive(i).Drive(),
              ListaUnidades::UnidadDe(Base(), ListaUnidades::UnidadesDelSistema()));
    EXPECT_EQ(Dir(i).Path(), Base());
    EXPECT_EQ(File(i).Path(), Base());
    EXPECT_EQ(File(i).Archivos(), (QStringList{"extendido.DSK", "juegos.dsk"}));
    EXPECT_EQ(DSK(i).ListItems().rowCount(), 0);
    EXPECT_FALSE(ventana->Formulario().ExisteDisco(i));
  }
  EXPECT_EQ(Paneles(), (QStringList{"Disco", "Formato Imagen", "Pistas / Caras", ""}));
}

TEST_F(VentanaPrincipal, NavigatingOnePaneLeavesTheOtherPaneTheViewsAndTheStatusAlone) {
  PulsarArchivo(File(0), "juegos.dsk");
  PulsarArchivo(File(1), "extendido.DSK");
  const QStringList estado = Paneles();
  const std::vector<Fila> filas0 = Filas(0);
  const std::vector<Fila> filas1 = Filas(1);

  const QString unidadB = Drive(1).Drive();
  // A drive for pane A: a volume mounted on "sub".
  const QString volumen = Base() + "/sub";
  Drive(0).addItem(volumen);
  Drive(0).setCurrentIndex(Drive(0).findText(volumen));
  EXPECT_EQ(Dir(0).Path(), volumen);
  EXPECT_EQ(File(0).Path(), volumen);
  EXPECT_EQ(File(0).Archivos(), QStringList{"sub.dsk"});
  EXPECT_EQ(Dir(1).Path(), Base());
  EXPECT_EQ(File(1).Archivos(), (QStringList{"extendido.DSK", "juegos.dsk"}));

  // A folder in pane B, opened by double click: "otra" holds no images.
  const QString otra = Base() + "/otra";
  QPoint punto(-1, -1);
  for (QTreeWidgetItemIterator it(&Dir(1)); *it; ++it) {
    if ((*it)->data(0, Qt::UserRole).toString() == otra)
      punto = Dir(1).visualItemRect(*it).center();
  }
  DobleClic(Dir(1).viewport(), punto);
  EXPECT_EQ(Dir(1).Path(), otra);
  EXPECT_EQ(File(1).Path(), otra);
  EXPECT_TRUE(File(1).Archivos().isEmpty());
  EXPECT_EQ(Dir(0).Path(), volumen);
  EXPECT_EQ(Drive(1).Drive(), unidadB);

  EXPECT_EQ(Paneles(), estado);
  EXPECT_EQ(Filas(0), filas0);
  EXPECT_EQ(Filas(1), filas1);
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

TEST_F(VentanaPrincipal, ClickingAnImageListsEveryShowableEntryWithIconsAndFillsTheStatusBar) {
  PulsarArchivo(File(0), "juegos.dsk");
  EXPECT_EQ(Filas(0), FilasJuegos);
  EXPECT_EQ(Paneles(), (QStringList{"juegos.dsk", " MV-CPC EMU ", " T:40 S:1 ", "TEST CREADOR"}));
  EXPECT_TRUE(ventana->Formulario().ExisteDisco(0));
  EXPECT_FALSE(ventana->Formulario().ExisteDisco(1));
  EXPECT_EQ(DSK(1).ListItems().rowCount(), 0);

  // Again, by keyboard this time: the same rows, not twice as many.
  File(0).setFocus();
  QTest::keyClick(&File(0), Qt::Key_Up);
  QTest::keyClick(&File(0), Qt::Key_Down);
  EXPECT_EQ(Filas(0), FilasJuegos);
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

TEST_F(VentanaPrincipal, TheFirstImageInPaneBCreatesSlotOneOnlyAndTakesOverTheStatusBar) {
  PulsarArchivo(File(1), "extendido.DSK");
  EXPECT_FALSE(ventana->Formulario().ExisteDisco(0));
  EXPECT_TRUE(ventana->Formulario().ExisteDisco(1));
  EXPECT_EQ(Filas(1), (std::vector<Fila>{{"ALFA    ", "BIN", "  10", "BIN"},
                                         {"BETA    ", "BAS", "   3", "BAS"}}));
  EXPECT_EQ(Paneles(), (QStringList{"extendido.DSK", " EXTENDED-CPC DSK ", " T:42 S:2 ", "OTRO"}));

  PulsarArchivo(File(0), "juegos.dsk");
  EXPECT_EQ(Paneles()[0], "juegos.dsk");
  EXPECT_EQ(Filas(1).size(), 2u) << "pane B keeps its rows";
  // Only choosing a file again brings a pane's summary back.
  PulsarCabecera(DSK(1), 0);
  EXPECT_EQ(Paneles()[0], "juegos.dsk");
}

TEST_F(VentanaPrincipal, AVanishedFileLeavesTheEarlierImageShown) {
  PulsarArchivo(File(0), "juegos.dsk");
  fs::remove(carpeta.Ruta() / "extendido.DSK");
  PulsarArchivo(File(0), "extendido.DSK"); // still listed, gone from the disk
  EXPECT_EQ(Filas(0), FilasJuegos);
  EXPECT_EQ(Paneles(), (QStringList{"juegos.dsk", " MV-CPC EMU ", " T:40 S:1 ", "TEST CREADOR"}));
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

TEST_F(VentanaPrincipal, AnImageThatCannotBeOpenedIsToldOnceAndTheWindowKeepsWhatItShowed) {
  PulsarArchivo(File(0), "juegos.dsk");
  // Every host file number taken: pane B's first image cannot be opened.
  const std::string ocupado = (carpeta.Ruta() / "juegos.dsk").string();
  std::vector<std::int16_t> numeros;
  for (;;) {
    try {
      const std::int16_t n = Plataforma::SiguienteNumeroLibre();
      Plataforma::AbrirArchivo(n, ocupado, Plataforma::Acceso::Lectura);
      numeros.push_back(n);
    } catch (const ErrorAlcove &) {
      break;
    }
  }
  PulsarArchivo(File(1), "extendido.DSK");
  for (const std::int16_t n : numeros)
    Plataforma::CerrarArchivo(n);
  ASSERT_EQ(avisos.mensajes.size(), 1);
  EXPECT_EQ(avisos.mensajes[0], QString::fromUtf8(Errores::Mensaje(Errores::DemasiadosArchivos)));
  EXPECT_EQ(Paneles(), (QStringList{"juegos.dsk", " MV-CPC EMU ", " T:40 S:1 ", "TEST CREADOR"}));
  EXPECT_EQ(Filas(0), FilasJuegos);
  EXPECT_TRUE(Filas(1).empty());
  // Once numbers are free again the same click opens it.
  PulsarArchivo(File(1), "extendido.DSK");
  EXPECT_FALSE(Filas(1).empty());
}

TEST_F(VentanaPrincipal, AnImageNamedInLatin1IsListedAndOpens) {
  // "été.dsk" as an old Windows or Amstrad tool would write it: not UTF-8.
  EscribirImagen(carpeta.Ruta() / "\xE9t\xE9.dsk", ImagenJuegos());
  File(0).SetPath(Base());
  const QString mostrado = QString::fromUtf8("\uFFFDt\uFFFD.dsk");
  ASSERT_TRUE(File(0).Archivos().contains(mostrado)) << File(0).Archivos().join(',').toStdString();
  PulsarArchivo(File(0), mostrado);
  EXPECT_TRUE(avisos.mensajes.isEmpty());
  EXPECT_EQ(Filas(0), FilasJuegos);
  EXPECT_EQ(Paneles()[0], mostrado);
}

TEST_F(VentanaPrincipal, APaneThatNeverHeldAnImageListsNothing) {
  PulsarArchivo(File(0), "juegos.dsk");
  fs::remove(carpeta.Ruta() / "extendido.DSK");
  PulsarArchivo(File(1), "extendido.DSK");
  EXPECT_TRUE(ventana->Formulario().ExisteDisco(1));
  EXPECT_TRUE(Filas(1).empty());
  EXPECT_EQ(Paneles(), (QStringList{"", "", " T:0 S:0 ", ""}));
  EXPECT_EQ(Filas(0), FilasJuegos);
}

TEST_F(VentanaPrincipal, ImagesWithoutRowsOrSignatureStillFillTheStatusBar) {
  ImagenDsk borrados;
  for (int i = 0; i < 64; ++i)
    borrados.FijarEntrada(i, CrearEntrada(0xE5, "GONE    BIN", 16));
  borrados.Creador("");
  EscribirImagen(carpeta.Ruta() / "borrado.dsk", borrados);
  ImagenDsk rara = ImagenExtendida();
  rara.Firma("NOT A DISK IMAGE");
  EscribirImagen(carpeta.Ruta() / "rara.dsk", rara);
  File(0).SetPath(Base()); // relists pane A's files
  PulsarArchivo(File(0), "borrado.dsk");
  EXPECT_TRUE(Filas(0).empty());
  EXPECT_EQ(Paneles(), (QStringList{"borrado.dsk", " MV-CPC EMU ", " T:40 S:1 ", ""}));
  PulsarArchivo(File(0), "rara.dsk");
  EXPECT_EQ(Paneles(), (QStringList{"rara.dsk", "", " T:42 S:2 ", "OTRO"}));
  // A creator that ends in zero bytes, as some tools fill it: the status bar
  // shows what comes before them, as Windows' own does, never a box for each.
  ImagenDsk ceros = ImagenExtendida();
  ceros.Creador(std::string_view("CPCDiskXP\0\0\0\0\0", 14));
  EscribirImagen(carpeta.Ruta() / "ceros.dsk", ceros);
  File(0).SetPath(Base());
  PulsarArchivo(File(0), "ceros.dsk");
  EXPECT_EQ(Paneles().back(), "CPCDiskXP");
}

TEST_F(VentanaPrincipal, HeadingClicksSortOnePaneAscendingAndTheOrderOutlivesANewListing) {
  PulsarArchivo(File(0), "juegos.dsk");
  PulsarArchivo(File(1), "juegos.dsk");
  auto kb = [](const std::vector<Fila> &filas) {
    QStringList t;
    for (const Fila &f : filas)
      t << f.kb;
    return t;
  };
  auto ext = [](const std::vector<Fila> &filas) {
    QStringList t;
    for (const Fila &f : filas)
      t << f.ext;
    return t;
  };

  PulsarCabecera(DSK(1), 1); // "EXT" in pane B
  const QStringList porExt{"BAK", "BAS", "BIN", "BIN", "BIN", "BIN", "bin", "TXT", "TXT", "TXT"};
  EXPECT_EQ(ext(Filas(1)), porExt);
  EXPECT_EQ(Filas(0), FilasJuegos) << "pane A keeps its order";
  PulsarCabecera(DSK(1), 1); // no toggle
  EXPECT_EQ(ext(Filas(1)), porExt);
  EXPECT_EQ(DSK(1).ListItems().SortKey(), 1);
  EXPECT_EQ(DSK(1).ListItems().SortOrder(), 0);
  EXPECT_EQ(DSK(0).ListItems().SortKey(), 0);
  // Equal texts keep catalogue order: the three BIN rows are GAME's extents.
  EXPECT_EQ(kb(Filas(1)).mid(2, 3), (QStringList{"  16", "  16", "   2"}));

  PulsarCabecera(DSK(0), 2); // "KB" in pane A: right-aligned, so numeric
  EXPECT_EQ(kb(Filas(0)), (QStringList{"   1", "   1", "   1", "   1", "   1", "   2", "   2",
                                       "  16", "  16", "  31"}));

  PulsarArchivo(File(1), "extendido.DSK");
  EXPECT_EQ(ext(Filas(1)), (QStringList{"BAS", "BIN"}));
  PulsarCabecera(DSK(1), 3); // "Attrib": by its text, equal ones in catalogue order
  PulsarArchivo(File(1), "juegos.dsk");
  QStringList nombres;
  for (const Fila &f : Filas(1))
    nombres << f.nombre.trimmed();
  EXPECT_EQ(nombres, (QStringList{"GAME", "GAME", "GAME", "HIGHA", "PIPE|", "ZAP", "CURLY{", "CR",
                                  "LOADER", "notes"}));
}

TEST_F(VentanaPrincipal, TheCatalogueColumnsShowTheirWidestTextsWhole) {
  ModeloCatalogo &filas = DSK(0).ListItems();
  filas.Add({"WWWWWWWW", "WWW", "  31", ""}, 1);
  filas.Add({"MMMMMMMM", "MMM", "  16", ""}, 4);
  QApplication::processEvents();
  // What the view's delegate needs for each cell, icon and margins included.
  const QAbstractItemView &vista = DSK(0);
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(DSK(0).header()->sectionSize(c), vista.sizeHintForColumn(c)) << "column " << c;
  }
}

TEST_F(VentanaPrincipal, FailuresAreToldOnceAndThePaneKeepsWhatItShowed) {
  PulsarArchivo(File(0), "juegos.dsk");
  const QString unidad = Drive(0).Drive();
  Drive(0).addItem(Base() + "/desmontado");
  Drive(0).setCurrentIndex(Drive(0).count() - 1);
  ASSERT_EQ(avisos.mensajes.size(), 1);
  EXPECT_EQ(avisos.mensajes[0], QString::fromUtf8(Errores::Mensaje(Errores::RutaNoEncontrada)));
  EXPECT_EQ(Drive(0).Drive(), unidad);
  EXPECT_EQ(Dir(0).Path(), Base());
  EXPECT_EQ(File(0).Archivos(), (QStringList{"extendido.DSK", "juegos.dsk"}));
  EXPECT_EQ(Filas(0), FilasJuegos);
  EXPECT_EQ(Paneles()[0], "juegos.dsk");

  // Handlers themselves hand failures on; an index out of range touches nothing.
  try {
    ventana->Formulario().File_Click(2);
    FAIL() << "index 2 was accepted";
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::SubindiceFueraDeIntervalo);
  }
  EXPECT_THROW(ventana->Formulario().DSK_ColumnClick(-1, 1), ErrorAlcove);
  EXPECT_THROW(ventana->Formulario().DSK_ColumnClick(0, 5), ErrorAlcove);
  EXPECT_THROW((void)ventana->Formulario().ExisteDisco(2), ErrorAlcove);
  EXPECT_FALSE(ventana->Formulario().ExisteDisco(1));
  EXPECT_EQ(Paneles()[0], "juegos.dsk");
}

// A second drive beside the one the tests' folder is on: the host's /dev/shm (a
// tmpfs mounted on its own) when the drive list offers it and it is writable
// (Qt's list of volumes leaves out those under /dev, so it seldom does);
// otherwise, or with ALCOVE_UNIDADES_DE_PRUEBA set, a temporary folder given to
// the drive lists as a drive. Either way the remembered folders start afresh, from the present
// folder, and the host's drives come back with the object.
class SegundaUnidad {
public:
  SegundaUnidad() {
    const QString shm = QStringLiteral("/dev/shm");
    const bool usarHost = std::getenv("ALCOVE_UNIDADES_DE_PRUEBA") == nullptr &&
                          ListaUnidades::UnidadesDelSistema().contains(shm);
    if (usarHost) {
      auto propia = std::make_unique<QTemporaryDir>(shm + "/alcove-XXXXXX");
      if (propia->isValid()) {
        unidad_ = shm;
        carpeta_ = std::move(propia);
      }
    }
    if (carpeta_ == nullptr) {
      carpeta_ = std::make_unique<QTemporaryDir>();
      unidad_ = QDir::cleanPath(carpeta_->path());
      CarpetasUnidad::FijarFuente([segunda = unidad_] {
        return QStringList{QStringLiteral("/"), segunda};
      });
      std::printf("[ drives   ] / and %s, given to the lists\n", qPrintable(unidad_));
    } else {
      CarpetasUnidad::FijarFuente({});
      std::printf("[ drives   ] the host's, %s among them\n", qPrintable(unidad_));
    }
  }
  ~SegundaUnidad() { CarpetasUnidad::FijarFuente({}); }
  SegundaUnidad(const SegundaUnidad &) = delete;
  SegundaUnidad &operator=(const SegundaUnidad &) = delete;

  // The drive's text in the drive lists.
  [[nodiscard]] const QString &Unidad() const { return unidad_; }
  // A folder of our own on that drive, removed with the object.
  [[nodiscard]] QString Propia() const { return QDir::cleanPath(carpeta_->path()); }

private:
  QString unidad_;
  std::unique_ptr<QTemporaryDir> carpeta_;
};

class VentanaDosUnidades : public VentanaPrincipal {
protected:
  void SetUp() override {
    VentanaPrincipal::SetUp();
    // The drives and the starting folder are read as the window is built.
    ventana.reset();
    segunda = std::make_unique<SegundaUnidad>();
    primera = ListaUnidades::UnidadDe(Base(), CarpetasUnidad::Unidades());
    ventana = std::make_unique<F_AlcoveQt>();
    ventana->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
    ASSERT_NE(Drive(0).findText(segunda->Unidad()), -1);
    ASSERT_NE(primera, segunda->Unidad());
  }
  void TearDown() override {
    VentanaPrincipal::TearDown();
    segunda.reset();
  }

  void ElegirUnidad(int i, const QString &unidad) {
    const int indice = Drive(i).findText(unidad);
    ASSERT_GE(indice, 0) << unidad.toStdString();
    Drive(i).setCurrentIndex(indice);
  }
  // A double click on the row of folder `ruta` in pane i's folder list.
  void AbrirCarpeta(int i, const QString &ruta) {
    for (QTreeWidgetItemIterator it(&Dir(i)); *it; ++it) {
      if ((*it)->data(0, Qt::UserRole).toString() == ruta) {
        DobleClic(Dir(i).viewport(), Dir(i).visualItemRect(*it).center());
        return;
      }
    }
    FAIL() << ruta.toStdString() << " is not listed in pane " << i;
  }

  std::unique_ptr<SegundaUnidad> segunda;
  QString primera;
};

TEST_F(VentanaDosUnidades, EachDriveGoesBackToTheLastFolderEitherPaneVisitedOnIt) {
  const QString otra = segunda->Unidad();
  const QString propia = segunda->Propia();
  QDir(propia).mkpath("dentro");

  // Nothing visited on the other drive yet: its root.
  ElegirUnidad(0, otra);
  EXPECT_EQ(Dir(0).Path(), otra);
  EXPECT_EQ(File(0).Path(), otra);
  AbrirCarpeta(0, propia);
  AbrirCarpeta(0, propia + "/dentro");
  ASSERT_EQ(Dir(0).Path(), propia + "/dentro");

  // Back on the first drive: the folder the program started in.
  ElegirUnidad(0, primera);
  EXPECT_EQ(Dir(0).Path(), Base());
  EXPECT_EQ(File(0).Archivos(), (QStringList{"extendido.DSK", "juegos.dsk"}));

  // Pane B finds the folder pane A left on the other drive.
  ElegirUnidad(1, otra);
  EXPECT_EQ(Dir(1).Path(), propia + "/dentro");
  EXPECT_EQ(File(1).Path(), propia + "/dentro");

  // Pane B goes into "sub" on the first drive; pane A, sent there again, follows.
  ElegirUnidad(1, primera);
  EXPECT_EQ(Dir(1).Path(), Base());
  AbrirCarpeta(1, Base() + "/sub");
  ElegirUnidad(0, otra);
  ElegirUnidad(0, primera);
  EXPECT_EQ(Dir(0).Path(), Base() + "/sub");
  EXPECT_EQ(File(0).Archivos(), QStringList{"sub.dsk"});

  // The root's own row in the folder list is the root, not the drive's folder.
  ElegirUnidad(1, otra);
  AbrirCarpeta(1, otra);
  EXPECT_EQ(Dir(1).Path(), otra);
  ElegirUnidad(0, otra);
  EXPECT_EQ(Dir(0).Path(), otra);
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

TEST_F(VentanaDosUnidades, ADriveWhoseFolderHasGoneGoesToItsNearestParentThereOrItsRoot) {
  struct Caso {
    const char *nombre;
    const char *borrada; // under the remembered a/b/c; empty: nothing removed
    const char *destino; // under the drive's own folder; null: the drive's root
  };
  const Caso casos[] = {
      {"still there", "", "a/b/c"},
      {"the folder gone", "a/b/c", "a/b"},
      {"two levels gone", "a/b", "a"},
      {"the whole case gone", nullptr, nullptr},
  };
  for (const Caso &caso : casos) {
    SCOPED_TRACE(caso.nombre);
    auto propia = std::make_unique<QTemporaryDir>(segunda->Propia() + "/caso-XXXXXX");
    ASSERT_TRUE(propia->isValid());
    const QString raiz = QDir::cleanPath(propia->path());
    ASSERT_TRUE(QDir(raiz).mkpath("a/b/c"));
    Dir(0).SetPath(raiz + "/a/b/c");
    ElegirUnidad(0, primera);
    if (caso.borrada == nullptr) {
      propia.reset();
    } else if (*caso.borrada != '\0') {
      ASSERT_TRUE(QDir(raiz + "/" + caso.borrada).removeRecursively());
    }
    ElegirUnidad(0, segunda->Unidad());
    const QString esperado = caso.destino == nullptr
                                 ? segunda->Propia()
                                 : raiz + "/" + QString::fromLatin1(caso.destino);
    EXPECT_EQ(Dir(0).Path(), esperado);
    EXPECT_EQ(Drive(0).Drive(), segunda->Unidad());
    ElegirUnidad(0, primera);
  }
  EXPECT_TRUE(avisos.mensajes.isEmpty());
}

} // namespace
