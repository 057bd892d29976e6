// The host's controls as the main window uses them: twips, drive, folder and file
// lists, the catalogue view and the event boundary.
#include "Ayudas.h"

#include "platform/Errores.h"
#include "ui/widgets/CarpetasUnidad.h"
#include "ui/widgets/Enlaces.h"
#include "ui/widgets/ListaCarpetas.h"
#include "ui/widgets/ListaImagenes.h"
#include "ui/widgets/ListaUnidades.h"
#include "ui/widgets/Twips.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QToolTip>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(Twips, FifteenToThePixelRoundedToNearest) {
  using Plataforma::TwipsAPixeles;
  EXPECT_EQ(TwipsAPixeles(13410), 894);
  EXPECT_EQ(TwipsAPixeles(8265), 551);
  EXPECT_EQ(TwipsAPixeles(800), 53);  // 53.33
  EXPECT_EQ(TwipsAPixeles(1000), 67); // 66.67
  EXPECT_EQ(TwipsAPixeles(7), 0);
  EXPECT_EQ(TwipsAPixeles(8), 1);
  EXPECT_EQ(TwipsAPixeles(-8), -1);
  EXPECT_EQ(TwipsAPixeles(-22), -1);
  EXPECT_EQ(Plataforma::RectTwips(6750, 0, 6675, 7710), QRect(450, 0, 445, 514));
}

TEST(ListaArchivos, ListsDskFilesOfAnyCaseSortedWithoutFoldersOrHiddenFiles) {
  CarpetaTemporal carpeta;
  for (const char *nombre : {"b.dsk", "A.DSK", "c.Dsk", "notas.txt", "x.dsk.bak", ".oculto.dsk"}) {
    Escribir(carpeta.Archivo(nombre), {1});
  }
  fs::create_directory(carpeta.Ruta() / "carpeta.dsk");
  fs::create_symlink(carpeta.Ruta() / "no-existe", carpeta.Ruta() / "roto.dsk");
  ListaArchivos lista;
  lista.SetPath(QRuta(carpeta.Ruta()));
  EXPECT_EQ(lista.Archivos(), (QStringList{"A.DSK", "b.dsk", "c.Dsk"}));
  EXPECT_EQ(lista.Path(), QRuta(carpeta.Ruta()));
  EXPECT_EQ(lista.FileName(), "");
}

TEST(ListaArchivos, WritingThePathRelistsAndABadPathChangesNothing) {
  CarpetaTemporal carpeta;
  Escribir(carpeta.Archivo("uno.dsk"), {1});
  ListaArchivos lista;
  lista.SetPath(QRuta(carpeta.Ruta()));
  Escribir(carpeta.Archivo("dos.dsk"), {1});
  lista.SetPath(QRuta(carpeta.Ruta()));
  EXPECT_EQ(lista.Archivos(), (QStringList{"dos.dsk", "uno.dsk"}));

  try {
    lista.SetPath(QRuta(carpeta.Ruta() / "falta"));
    FAIL() << "a missing folder was accepted";
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::RutaNoEncontrada);
  }
  EXPECT_THROW(lista.SetPath(QRuta(carpeta.Ruta() / "uno.dsk")), ErrorAlcove);
  EXPECT_EQ(lista.Path(), QRuta(carpeta.Ruta()));
  EXPECT_EQ(lista.Archivos().size(), 2);
}

TEST(ListaArchivos, MouseAndKeyboardSelectionRaiseClickOnceEach) {
  CarpetaTemporal carpeta;
  for (const char *nombre : {"a.dsk", "b.dsk", "c.dsk"})
    Escribir(carpeta.Archivo(nombre), {1});
  ListaArchivos lista;
  lista.resize(200, 200);
  lista.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lista));
  lista.SetPath(QRuta(carpeta.Ruta()));
  QSignalSpy clicks(&lista, &ListaArchivos::Click);

  PulsarArchivo(lista, "b.dsk");
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(lista.FileName(), "b.dsk");
  // The same file again is chosen again.
  PulsarArchivo(lista, "b.dsk");
  EXPECT_EQ(clicks.count(), 2);
  QTest::keyClick(&lista, Qt::Key_Down);
  EXPECT_EQ(clicks.count(), 3);
  EXPECT_EQ(lista.FileName(), "c.dsk");
  // Relisting by program chooses nothing.
  lista.SetPath(QRuta(carpeta.Ruta()));
  EXPECT_EQ(clicks.count(), 3);
  EXPECT_EQ(lista.FileName(), "");
}

// A name or a status text cut at its control's edge shows whole in a tooltip;
// one that fits has none of its own (the status bar's note shows instead).
TEST(ListaArchivos, CutNamesAndStatusTextsShowWholeInATooltip) {
  const QString largo = QStringLiteral("una-coleccion-de-juegos-de-1986-copiada-entera.dsk");
  CarpetaTemporal carpeta;
  for (const QString &nombre : {QStringLiteral("a.dsk"), largo}) {
    Escribir(carpeta.Archivo(nombre.toStdString()), {1});
  }
  ListaArchivos lista;
  lista.resize(120, 200);
  lista.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lista));
  lista.SetPath(QRuta(carpeta.Ruta()));

  std::array<QLabel *, Controles::BarraEstado::Paneles> paneles{};
  std::vector<std::unique_ptr<QLabel>> etiquetas;
  for (QLabel *&panel : paneles) {
    etiquetas.push_back(std::make_unique<QLabel>());
    panel = etiquetas.back().get();
    panel->resize(120, 20);
  }
  Enlaces::Estado estado(paneles);

  struct Caso {
    QString texto;
    QString ayuda;
  };
  // The one that fits first: a tooltip shown stays visible a moment after.
  for (const Caso &c : {Caso{QStringLiteral("a.dsk"), QString()}, Caso{largo, largo}}) {
    const int fila = static_cast<int>(lista.Archivos().indexOf(c.texto));
    ASSERT_GE(fila, 0) << c.texto.toStdString();
    const QPoint punto = lista.visualRect(lista.model()->index(fila, 0)).center();
    QHelpEvent ayuda(QEvent::ToolTip, punto, lista.viewport()->mapToGlobal(punto));
    QCoreApplication::sendEvent(lista.viewport(), &ayuda);
    EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), c.ayuda)
        << c.texto.toStdString();
    estado.SetPanelText(2, c.texto.toStdString());
    EXPECT_EQ(paneles[1]->text(), c.texto);
    EXPECT_EQ(paneles[1]->toolTip(), c.ayuda) << c.texto.toStdString();
  }
  QToolTip::hideText();
}

TEST(ListaCarpetas, ShowsTheChainThenTheSubfoldersAndRaisesChangeOnEveryChange) {
  CarpetaTemporal carpeta;
  fs::create_directories(carpeta.Ruta() / "uno" / "dentro");
  fs::create_directory(carpeta.Ruta() / "Dos");
  fs::create_directory(carpeta.Ruta() / ".oculta");
  Escribir(carpeta.Archivo("fichero.dsk"), {1});
  ListaCarpetas lista;
  QSignalSpy cambios(&lista, &ListaCarpetas::Change);
  const QString base = QRuta(carpeta.Ruta());
  lista.SetPath(base);
  EXPECT_EQ(cambios.count(), 1);

  // Rows: "/", every folder down to base, then base's subfolders.
  const int profundidad = static_cast<int>(base.count(u'/'));
  EXPECT_EQ(lista.RutaDeFila(0), "/");
  EXPECT_EQ(lista.RutaDeFila(profundidad), base);
  EXPECT_EQ(lista.RutaDeFila(profundidad + 1), base + "/Dos");
  EXPECT_EQ(lista.RutaDeFila(profundidad + 2), base + "/uno");
  EXPECT_EQ(lista.RutaDeFila(profundidad + 3), "");

  lista.SetPath("uno/dentro"); // relative to where the list is
  EXPECT_EQ(lista.Path(), base + "/uno/dentro");
  EXPECT_EQ(cambios.count(), 2);
  lista.SetPath("..");
  EXPECT_EQ(lista.Path(), base + "/uno");
  EXPECT_EQ(cambios.count(), 3);
  lista.SetPath(base + "/uno"); // no change of path, no event
  EXPECT_EQ(cambios.count(), 3);
  EXPECT_THROW(lista.SetPath(base + "/falta"), ErrorAlcove);
  EXPECT_EQ(lista.Path(), base + "/uno");
  EXPECT_EQ(cambios.count(), 3);
}

TEST(ListaCarpetas, DoubleClickOrEnterOpensAFolderAndAVanishedOneIsReported) {
  CarpetaTemporal carpeta;
  fs::create_directory(carpeta.Ruta() / "a");
  fs::create_directory(carpeta.Ruta() / "b");
  AvisosRecogidos avisos;
  ListaCarpetas lista;
  lista.resize(300, 400);
  lista.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lista));
  const QString base = QRuta(carpeta.Ruta());
  lista.SetPath(base);
  const int filaA = static_cast<int>(base.count(u'/')) + 1;
  ASSERT_EQ(lista.RutaDeFila(filaA), base + "/a");

  auto centroDe = [&lista](const QString &ruta) {
    for (QTreeWidgetItemIterator it(&lista); *it; ++it) {
      if ((*it)->data(0, Qt::UserRole).toString() == ruta) {
        return lista.visualItemRect(*it).center();
      }
    }
    return QPoint(-1, -1);
  };
  DobleClic(lista.viewport(), centroDe(base + "/a"));
  EXPECT_EQ(lista.Path(), base + "/a");

  lista.SetPath(base);
  QTest::mouseClick(lista.viewport(), Qt::LeftButton, {}, centroDe(base + "/b"));
  EXPECT_EQ(lista.Path(), base) << "a single click only selects";
  QTest::keyClick(&lista, Qt::Key_Return);
  EXPECT_EQ(lista.Path(), base + "/b");

  lista.SetPath(base);
  fs::remove(carpeta.Ruta() / "a");
  DobleClic(lista.viewport(), centroDe(base + "/a"));
  EXPECT_EQ(lista.Path(), base);
  ASSERT_EQ(avisos.mensajes.size(), 1);
  EXPECT_EQ(avisos.mensajes[0], QString::fromUtf8(Errores::Mensaje(Errores::RutaNoEncontrada)));
}

TEST(ListaUnidades, OffersRootAndMountedFoldersAndFindsTheDriveOfAPath) {
  const QStringList unidades = ListaUnidades::UnidadesDelSistema();
  ASSERT_FALSE(unidades.isEmpty());
  EXPECT_EQ(unidades.front(), "/");
  for (const QString &u : unidades)
    EXPECT_TRUE(QFileInfo(u).isDir()) << u.toStdString();
  QStringList sinRepetir = unidades;
  EXPECT_EQ(sinRepetir.removeDuplicates(), 0);

  const QStringList montadas{"/", "/mnt", "/mnt/usb", "/media/cd"};
  EXPECT_EQ(ListaUnidades::UnidadDe("/home/x", montadas), "/");
  EXPECT_EQ(ListaUnidades::UnidadDe("/mnt/usb/juegos", montadas), "/mnt/usb");
  EXPECT_EQ(ListaUnidades::UnidadDe("/mnt/usbx", montadas), "/mnt");
  EXPECT_EQ(ListaUnidades::UnidadDe("/media/cd", montadas), "/media/cd");

  ListaUnidades lista;
  EXPECT_EQ(lista.Drive(), ListaUnidades::UnidadDe(QDir::currentPath(), unidades));
}

// Drives given to the lists instead of the host's, for the life of the object.
class UnidadesDadas {
public:
  explicit UnidadesDadas(QStringList unidades)
      : unidades_(std::make_shared<QStringList>(std::move(unidades))) {
    CarpetasUnidad::FijarFuente([lista = unidades_] { return *lista; });
  }
  ~UnidadesDadas() { CarpetasUnidad::FijarFuente({}); }
  UnidadesDadas(const UnidadesDadas &) = delete;
  UnidadesDadas &operator=(const UnidadesDadas &) = delete;

  // A volume mounted after the start.
  void Agregar(const QString &unidad) { *unidades_ << unidad; }

private:
  std::shared_ptr<QStringList> unidades_;
};

TEST(CarpetasUnidad, EachDriveStartsAtTheStartingFolderOrItsRootAndKeepsTheLastOneVisited) {
  CarpetaTemporal carpeta;
  const QString t = QRuta(carpeta.Ruta());
  ASSERT_TRUE(QDir(t).mkpath("inicio"));
  ASSERT_TRUE(QDir(t).mkpath("m/x"));
  const CarpetaActual actual(carpeta.Ruta() / "inicio");
  const UnidadesDadas unidades({"/", t, t + "/m"});

  EXPECT_TRUE(CarpetasUnidad::EsUnidad(t));
  EXPECT_FALSE(CarpetasUnidad::EsUnidad(t + "/inicio"));
  EXPECT_FALSE(CarpetasUnidad::EsUnidad(""));
  EXPECT_EQ(CarpetasUnidad::CarpetaActual(t), t + "/inicio");
  EXPECT_EQ(CarpetasUnidad::CarpetaActual(t + "/m"), t + "/m");

  // A folder on the inner drive is remembered for it, not for the outer one.
  CarpetasUnidad::Recordar(t + "/m/x");
  EXPECT_EQ(CarpetasUnidad::CarpetaActual(t + "/m"), t + "/m/x");
  EXPECT_EQ(CarpetasUnidad::CarpetaActual(t), t + "/inicio");

  // The drive lists offer the drives given, on the drive of the present folder.
  ListaUnidades lista;
  QStringList ofrecidas;
  for (int i = 0; i < lista.count(); ++i)
    ofrecidas << lista.itemText(i);
  EXPECT_EQ(ofrecidas, (QStringList{"/", t, t + "/m"}));
  EXPECT_EQ(lista.Drive(), t);
}

TEST(CarpetasUnidad, AFolderThatHasGoneGivesWayToItsParentOnTheSameDriveOrTheRoot) {
  CarpetaTemporal carpeta;
  const QString t = QRuta(carpeta.Ruta());
  ASSERT_TRUE(QDir(t).mkpath("a/b/c"));
  ASSERT_TRUE(QDir(t).mkpath("m/y"));
  UnidadesDadas unidades({"/", t, t + "/m"});

  CarpetasUnidad::Recordar(t + "/a/b/c");
  CarpetasUnidad::Recordar(t + "/m/y");
  // "a/b" becomes a drive of its own, as a volume mounted there would, and the
  // remembered folder goes: its parent is on another drive now.
  unidades.Agregar(t + "/a/b");
  ASSERT_TRUE(QDir(t + "/a/b/c").removeRecursively());
  EXPECT_EQ(CarpetasUnidad::CarpetaActual(t), t + "/a");

  // A drive whose root has gone too: its root all the same, for the folder list
  // to refuse.
  ASSERT_TRUE(QDir(t + "/m").removeRecursively());
  EXPECT_EQ(CarpetasUnidad::CarpetaActual(t + "/m"), t + "/m");
  ListaCarpetas dir;
  EXPECT_THROW(dir.SetPath(t + "/m"), ErrorAlcove);
}

TEST(ListaUnidades, EveryChangeIsAnEventAndACancelledOneGoesBackQuietly) {
  ListaUnidades lista;
  lista.addItem("/tmp");
  lista.addItem("/var");
  QSignalSpy cambios(&lista, &ListaUnidades::Change);
  lista.setCurrentIndex(lista.findText("/tmp"));
  lista.setCurrentIndex(lista.findText("/var"));
  EXPECT_EQ(cambios.count(), 2);
  lista.DeshacerCambio();
  EXPECT_EQ(lista.Drive(), "/tmp");
  EXPECT_EQ(cambios.count(), 2);
}

TEST(ListaImagenes, KeysArePositionsFromOneAndCompareExactly) {
  ListaImagenes lista;
  QPixmap plata(16, 16);
  plata.fill(QColor(192, 192, 192));
  lista.Agregar("Unknow", plata);
  lista.Agregar("BIN", plata);
  EXPECT_EQ(lista.Count(), 2);
  EXPECT_EQ(lista.Key(1), "Unknow");
  EXPECT_EQ(lista.Key(2), "BIN");
  EXPECT_EQ(lista.Key(3), "");
  EXPECT_EQ(lista.Index("BIN"), 2);
  EXPECT_EQ(lista.Index("bin"), 0);
  EXPECT_TRUE(lista.Icono(0).isNull());
  // Silver is the mask colour: an all-silver picture is all transparent.
  const QImage vista = lista.Icono(1).pixmap(16, 16).toImage();
  EXPECT_EQ(qAlpha(vista.pixel(5, 5)), 0);
}

ModeloCatalogo::Textos Fila(const char *nombre, const char *ext, const char *kb = "   1") {
  return {nombre, ext, kb, ""};
}

TEST(ModeloCatalogo, SortedAscendingByNameIgnoringCaseAndEqualTextsKeepArrivalOrder) {
  ModeloCatalogo modelo;
  modelo.Add(Fila("b       ", "BIN", "   1"), 1);
  modelo.Add(Fila("A       ", "BAS", "  16"), 2);
  modelo.Add(Fila("B       ", "BAK", "   2"), 3);
  modelo.Add(Fila("a       ", "TXT", "   1"), 4);
  auto columna = [&modelo](int c) {
    QStringList t;
    for (int f = 0; f < modelo.rowCount(); ++f)
      t << modelo.Texto(f, c);
    return t;
  };
  EXPECT_EQ(columna(0), (QStringList{"A       ", "a       ", "b       ", "B       "}));
  EXPECT_EQ(modelo.IconoPequeno(0), 2);

  modelo.SetSortKey(2); // "KB": right-aligned numbers order as numbers
  EXPECT_EQ(columna(2), (QStringList{"   1", "   1", "   2", "  16"}));
  EXPECT_EQ(columna(0)[0], "b       ") << "equal sizes keep the order they were added in";
  EXPECT_EQ(columna(0)[1], "a       ");
  modelo.SetSortKey(2);
  EXPECT_EQ(columna(0)[0], "b       ") << "sorting again by the same key changes nothing";

  modelo.SetSortKey(3); // all empty: the order they arrived in
  EXPECT_EQ(columna(1), (QStringList{"BIN", "BAS", "BAK", "TXT"}));
  modelo.SetSortOrder(1);
  modelo.SetSortKey(1);
  EXPECT_EQ(columna(1), (QStringList{"TXT", "BIN", "BAS", "BAK"}));
  EXPECT_THROW(modelo.SetSortKey(4), ErrorAlcove);
  EXPECT_THROW(modelo.SetSortKey(-1), ErrorAlcove);
  EXPECT_EQ(modelo.SortKey(), 1);
}

TEST(ModeloCatalogo, UnsortedAppendsAndClearKeepsTheSortState) {
  ModeloCatalogo modelo;
  modelo.SetSorted(false);
  modelo.Add(Fila("Z", "1"), 1);
  modelo.Add(Fila("A", "2"), 1);
  EXPECT_EQ(modelo.Texto(0, 0), "Z");
  modelo.SetSorted(true);
  EXPECT_EQ(modelo.Texto(0, 0), "A");
  modelo.SetSortKey(1);
  modelo.Clear();
  EXPECT_EQ(modelo.rowCount(), 0);
  EXPECT_EQ(modelo.SortKey(), 1);
  modelo.Add(Fila("A", "9"), 1);
  modelo.Add(Fila("Z", "0"), 1);
  EXPECT_EQ(modelo.Texto(0, 0), "Z");
}

TEST(VistaCatalogo, TheSelectedRowFollowsAResortAndHeadingsReportTheirPosition) {
  VistaCatalogo vista;
  vista.resize(400, 300);
  vista.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&vista));
  ModeloCatalogo &modelo = vista.ListItems();
  modelo.Add(Fila("AAA", "ZZZ"), 1);
  modelo.Add(Fila("BBB", "YYY"), 1);
  vista.setCurrentIndex(modelo.index(0, 0)); // "AAA"
  modelo.SetSortKey(1);
  EXPECT_EQ(vista.currentIndex().row(), 1);
  EXPECT_EQ(vista.currentIndex().data().toString(), "AAA");

  QSignalSpy pulsaciones(&vista, &VistaCatalogo::ColumnClick);
  PulsarCabecera(vista, 2);
  ASSERT_EQ(pulsaciones.count(), 1);
  EXPECT_EQ(pulsaciones[0][0].toInt(), 3);
}

TEST(LimiteEvento, FailuresAreToldAndSwallowedAndTheHandlerReportsIt) {
  AvisosRecogidos avisos;
  EXPECT_TRUE(Plataforma::ProtegerEvento(nullptr, [] {}));
  EXPECT_FALSE(Plataforma::ProtegerEvento(nullptr, [] { LanzarError(Errores::DiscoNoPreparado); }));
  EXPECT_FALSE(Plataforma::ProtegerEvento(nullptr, [] { throw std::runtime_error("boom"); }));
  EXPECT_FALSE(Plataforma::ProtegerEvento(nullptr, [] { throw 42; }));
  EXPECT_FALSE(Plataforma::ProtegerEvento(nullptr, [] { throw std::bad_alloc(); }));
  ASSERT_EQ(avisos.mensajes.size(), 4);
  EXPECT_EQ(avisos.mensajes[0], QString::fromUtf8(Errores::Mensaje(Errores::DiscoNoPreparado)));
  // Library texts are English and not for the user: a Spanish text stands in.
  EXPECT_EQ(avisos.mensajes[1], "Error inesperado");
  EXPECT_EQ(avisos.mensajes[2], "Error inesperado");
  EXPECT_EQ(avisos.mensajes[3], QString::fromUtf8(Errores::Mensaje(Errores::MemoriaInsuficiente)));
}

} // namespace
