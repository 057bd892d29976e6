// The disk manager's Qt binding, offscreen: the catalogue views' own events
// (right-click, the menu key, double-click, Enter, Delete, F2, drags and
// drops) reach the decisions, and the menus, the viewer and the dialogs show
// what the decisions give. What each action does is tested once, on the
// decisions (tests/gestion/test_paneles.cpp).
#include "Ayudas.h"
#include "Dobles.h"
#include "Proceso.h"
#include "ProgramaBasic.h"
#include "ZipDePrueba.h"

#include "Flujo.h"
#include "gestion/Dialogos.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Dsk.h"
#include "imagenes/Hfe.h"
#include "ui/gestor/DialogosQt.h"
#include "ui/gestor/F_Ver.h"
#include "ui/gestor/GestorCatalogo.h"
#include "ui/qt/Auxiliares.h"
#include "ui/qt/F_AlcoveQt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <cstdlib>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Generador::ArchivoCpm;

std::vector<std::uint8_t> ConCabecera(std::string_view nombre11, std::uint8_t tipo,
                                      std::uint16_t carga, std::vector<std::uint8_t> cuerpo) {
  std::vector<std::uint8_t> b = Generador::CabeceraAmsdos(
      nombre11, tipo, carga, carga, static_cast<std::uint32_t>(cuerpo.size()));
  b.insert(b.end(), cuerpo.begin(), cuerpo.end());
  return b;
}

ArchivoCpm Archivo(std::uint8_t usuario, const char *nombre, const char *ext,
                   std::vector<std::uint8_t> datos) {
  ArchivoCpm a;
  a.usuario = usuario;
  a.nombre = nombre;
  a.ext = ext;
  a.datos = std::move(datos);
  return a;
}

// LOADER.BAS (BASIC, with header), 3:CODE.BIN (binary), LEEME.TXT (text).
std::vector<std::uint8_t> DiscoA() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(
      Archivo(0, "LOADER", "BAS", ConCabecera("LOADER  BAS", 0, 0x170, BytesProgramaCompleto())));
  d.Agregar(Archivo(3, "CODE", "BIN",
                    ConCabecera("CODE    BIN", 2, 0x4000, Generador::ContenidoPrueba(3000, 7))));
  const std::string leeme = "HOLA\r\nMUNDO\r\n\x1A";
  d.Agregar(Archivo(0, "LEEME", "TXT", {leeme.begin(), leeme.end()}));
  return d.Bytes();
}

Generador::DiscoCpm DiscoCpmB() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(Archivo(0, "OTRO", "BIN", Generador::ContenidoPrueba(100, 1)));
  return d;
}

std::vector<std::uint8_t> DiscoB() { return DiscoCpmB().Bytes(); }

class Gestor : public ::testing::Test {
protected:
  void SetUp() override {
    Gestion::InstalarDialogos(&guion);
    Escribir(A(), DiscoA());
    Escribir(B(), DiscoB());
    Escribir(carpeta.Archivo("extra.bin"), Generador::ContenidoPrueba(700, 5));
    fs::create_directory(carpeta.Ruta() / "cli");
    actual = std::make_unique<CarpetaActual>(carpeta.Ruta());
    ventana = std::make_unique<F_AlcoveQt>();
    ventana->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
    PulsarArchivo(File(0), "a.dsk");
    PulsarArchivo(File(1), "b.dsk");
    ASSERT_EQ(DSK(0).ListItems().rowCount(), 3) << Nombres(0).join(",").toStdString();
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
  // Makes the row of that name the only selected and current one.
  void Elegir(int i, const QString &nombre) {
    const int f = static_cast<int>(Nombres(i).indexOf(nombre));
    ASSERT_GE(f, 0) << nombre.toStdString();
    DSK(i).selectionModel()->setCurrentIndex(DSK(i).model()->index(f, 0),
                                             QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
  }
  // A right-click at `punto` of pane i's viewport; the menu it opened.
  QMenu *ClicDerecho(int i, QPoint punto) {
    VistaCatalogo &v = DSK(i);
    QContextMenuEvent e(QContextMenuEvent::Mouse, punto, v.viewport()->mapToGlobal(punto));
    QApplication::sendEvent(v.viewport(), &e);
    return v.findChild<QMenu *>(QStringLiteral("MenuCatalogo_%1").arg(i));
  }
  static QStringList Textos(const QMenu &menu) {
    QStringList textos;
    for (QAction *a : menu.actions()) {
      if (!a->isSeparator())
        textos << a->text() + (a->isEnabled() ? "" : " (no)");
    }
    return textos;
  }
  // A copy of `imagen` changed by alcove-cli with `args` (IMAGEN stands for it).
  std::vector<std::uint8_t> PorCli(const std::string &imagen, std::vector<std::string> args) {
    return ::PorCli(carpeta, imagen, std::move(args));
  }

  CarpetaTemporal carpeta;
  AvisosRecogidos avisos;
  Guion guion;
  std::unique_ptr<CarpetaActual> actual;
  std::unique_ptr<F_AlcoveQt> ventana;
};

TEST_F(Gestor, TheMenusAreTheDecisionsInTheProgramsLookAndTheirItemsRunThem) {
  VistaCatalogo &v = DSK(0);
  // A right-click on a row makes it the selection and lists the decisions' items.
  v.clearSelection();
  Elegir(0, "CODE.BIN");
  const QPoint sobre = v.visualRect(v.currentIndex()).center();
  v.clearSelection();
  QMenu *menu = ClicDerecho(0, sobre);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Textos(*menu),
            (QStringList{"Ver", "Extraer…", "Propiedades", "Borrar", "Cambiar nombre…",
                         "Solo lectura", "Oculto", "Mapa del disco…", "Comprobar disco"}));
  EXPECT_EQ(v.selectionModel()->selectedRows().size(), 1);
  EXPECT_TRUE(menu->findChild<QAction *>("SoloLectura")->isCheckable());
  EXPECT_TRUE(menu->font().bold());
  EXPECT_EQ(menu->palette().color(QPalette::Window), QColor(0, 0, 170));
  EXPECT_EQ(menu->palette().color(QPalette::WindowText), QColor(255, 255, 0));
  // Its item runs the decision: the file is deleted as rm deletes it.
  const std::vector<std::uint8_t> esperado = PorCli(A(), {"rm", "IMAGEN", "3:CODE.BIN"});
  guion.confirmar = {true};
  menu->findChild<QAction *>("Borrar")->trigger();
  delete menu;
  QCoreApplication::processEvents();
  EXPECT_EQ(Leer(A()), esperado);
  EXPECT_FALSE(Nombres(0).contains("CODE.BIN"));

  // The menu key opens it at the current row; below the rows, the pane's.
  Elegir(0, "LEEME.TXT");
  QContextMenuEvent tecla(QContextMenuEvent::Keyboard, QPoint(5, 5), v.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&v, &tecla);
  menu = v.findChild<QMenu *>("MenuCatalogo_0");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Textos(*menu).size(), 9);
  EXPECT_EQ(v.selectionModel()->selectedRows().size(), 1);
  delete menu;
  menu = ClicDerecho(0, QPoint(10, v.viewport()->height() - 5));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Textos(*menu),
            (QStringList{"Nuevo disco…", "Poner archivos…", "Archivos borrados…",
                         "Propiedades del disco", "Mapa del disco…", "Comprobar disco"}));
  EXPECT_TRUE(v.selectionModel()->selectedRows().isEmpty());
  delete menu;
  EXPECT_TRUE(guion.avisos.empty());
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

TEST_F(Gestor, DoubleClickEnterDeleteAndF2ReachTheDecisions) {
  VistaCatalogo &v = DSK(0);
  Elegir(0, "LOADER.BAS");
  DobleClic(v.viewport(), v.visualRect(v.currentIndex()).center());
  auto *ver = ventana->findChild<F_Ver *>();
  ASSERT_NE(ver, nullptr);
  EXPECT_TRUE(ver->Texto()->toPlainText().startsWith("10 CLS:PRINT \"HOLA\"\n20 "))
      << ver->Texto()->toPlainText().toStdString();
  EXPECT_EQ(ver->windowTitle(), "LOADER.BAS - Alcove");
  EXPECT_EQ(ver->Texto()->palette().color(QPalette::Base), QColor(0, 0, 170));
  EXPECT_EQ(ver->Texto()->palette().color(QPalette::Text), QColor(255, 255, 0));
  // Another viewer of the same file, from the ones offered.
  ASSERT_EQ(ver->Vistas()->count(), 3);
  EXPECT_EQ(ver->Vistas()->itemText(2), "Hexadecimal");
  ver->Vistas()->setCurrentIndex(2);
  emit ver->Vistas()->activated(2);
  EXPECT_TRUE(ver->Texto()->toPlainText().startsWith("0170  ")) << "dumped from its load address";
  delete ver;

  Elegir(0, "LEEME.TXT");
  v.setFocus();
  QTest::keyClick(&v, Qt::Key_Return);
  ver = ventana->findChild<F_Ver *>();
  ASSERT_NE(ver, nullptr);
  EXPECT_EQ(ver->Texto()->toPlainText(), "HOLA\nMUNDO\n");
  EXPECT_FALSE(ver->Nota()->isVisibleTo(ver));
  delete ver;

  // F2 renames, Delete deletes, as the decisions ask.
  guion.texto = "notas.txt";
  QTest::keyClick(&v, Qt::Key_F2);
  EXPECT_TRUE(Nombres(0).contains("NOTAS.TXT"));
  Elegir(0, "NOTAS.TXT");
  guion.confirmar = {true};
  QTest::keyClick(&v, Qt::Key_Delete);
  EXPECT_FALSE(Nombres(0).contains("NOTAS.TXT"));
  EXPECT_TRUE(guion.confirmar.empty());
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

TEST_F(Gestor, TheViewerShowsAPictureWhenItIsGivenOne) {
  Gestion::Contenido c;
  c.titulo = "PANTALLA.SCR";
  c.vista = Ver::Vista::Pantalla;
  c.imagen = Gestion::Imagen{2, 1, {255, 0, 0, 0, 0, 170}};
  Gestion::Visor visor;
  visor.contenido = c;
  visor.vistas = {Ver::Vista::Pantalla, Ver::Vista::Hex};
  F_Ver ver(nullptr, visor);
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
  VistaCatalogo &v = DSK(0);
  QMenu *menu = ClicDerecho(0, QPoint(10, v.viewport()->height() - 5));
  ASSERT_NE(menu, nullptr);
  menu->findChild<QAction *>("PropiedadesDisco")->trigger();
  delete menu;
  QCoreApplication::processEvents();
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

TEST_F(Gestor, DragsCarryFilesAndTheirPaneAndDropsAreTakenOnlyWhereTheDecisionsTakeThem) {
  // Out: the files, and the pane they left, as this process tells it.
  Elegir(0, "LOADER.BAS");
  std::unique_ptr<QMimeData> datos(G().DatosArrastre(0));
  ASSERT_NE(datos, nullptr);
  ASSERT_EQ(datos->urls().size(), 1);
  ASSERT_EQ(EjecutarCli({"get", A(), "LOADER.BAS", "-o", carpeta.Archivo("cli")}).codigo, 0);
  EXPECT_EQ(Leer(datos->urls().front().toLocalFile().toStdString()),
            Leer(carpeta.Archivo("cli/LOADER.BAS")));
  EXPECT_EQ(datos->data("application/x-alcove-filas"),
            QByteArray::number(QCoreApplication::applicationPid()) + " 0");
  EXPECT_FALSE(G().Recibir(0, *datos, false)) << "a pane does not take its own rows";
  ASSERT_TRUE(G().Recibir(1, *datos, true));
  QCoreApplication::processEvents();
  EXPECT_TRUE(Nombres(1).contains("LOADER.BAS")) << "copied onto the other pane";
  // The copy's rows are what the write made: they are selected.
  EXPECT_EQ(DSK(1).selectionModel()->selectedRows().size(), 1);

  // Rows dragged from another Alcove are only its files here.
  const std::vector<std::uint8_t> conExtra =
      PorCli(B(), {"put", "IMAGEN", carpeta.Archivo("extra.bin")});
  QMimeData otro;
  otro.setUrls({QUrl::fromLocalFile(QString::fromStdString(carpeta.Archivo("extra.bin")))});
  otro.setData(QStringLiteral("application/x-alcove-filas"),
               QByteArray::number(QCoreApplication::applicationPid() + 1) + " 0");
  // In from the host, through a real drop event: put as alcove-cli's put.
  QWidget *destino = DSK(1).viewport();
  QDragEnterEvent entra(QPoint(20, 20), Qt::CopyAction, &otro, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(destino, &entra);
  EXPECT_TRUE(entra.isAccepted());
  QDropEvent suelta(QPointF(20, 20), Qt::CopyAction, &otro, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(destino, &suelta);
  QCoreApplication::processEvents();
  EXPECT_TRUE(Nombres(1).contains("EXTRA.BIN"));
  ASSERT_EQ(guion.ponerArchivos.size(), 1U) << "asked once for the drop";
  EXPECT_EQ(guion.ponerArchivos[0], std::vector<std::string>{"extra.bin"});
  // Anything but local files is refused at the door.
  QMimeData texto;
  texto.setText("hola");
  QDragEnterEvent ajeno(QPoint(20, 20), Qt::CopyAction, &texto, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(destino, &ajeno);
  EXPECT_FALSE(ajeno.isAccepted());
  EXPECT_TRUE(guion.avisos.empty());
  EXPECT_TRUE(avisos.mensajes.isEmpty()) << avisos.mensajes.join('\n').toStdString();
}

// Images the pane lists through a copy: a zip's member, and images of the
// kinds only read (HFE, an SCP flux dump). Each follows the folder's own images
// and opens in the pane, its writes greyed in the menu.
TEST_F(Gestor, ImagesOfEveryKindAndInsideZipsAreInTheFileListAndOpenInThePane) {
  const std::vector<std::uint8_t> hfe =
      imagenes::EscribirHfe(imagenes::DesdeContenedor(imagenes::LeerContenedor(DiscoB())));
  const std::vector<std::uint8_t> zip =
      zip_prueba::CrearZip({zip_prueba::Comprimido("juegos/juego.dsk", DiscoB()),
                            zip_prueba::Guardado("leeme.txt", {1})});
  const std::vector<std::uint8_t> scp = Generador::EscribirScp(DiscoCpmB(), {});
  struct Caso {
    const char *archivo; // written in the folder
    const std::vector<std::uint8_t> &bytes;
    const char *listada;  // as the file list shows it
    const char *etiqueta; // the pane's label
  };
  const Caso casos[] = {
      {"coleccion.zip", zip, "coleccion.zip/juegos/juego.dsk", "juego.dsk"},
      {"juego.hfe", hfe, "juego.hfe", "juego.hfe"},
      {"juego.scp", scp, "juego.scp", "juego.scp"},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.archivo);
    Escribir(carpeta.Archivo(c.archivo), c.bytes);
    File(0).SetPath(File(0).Path());
    EXPECT_EQ(File(0).Archivos(), (QStringList{"a.dsk", "b.dsk", c.listada}));
    PulsarArchivo(File(0), c.listada);
    EXPECT_EQ(Nombres(0), (QStringList{"OTRO.BIN"}));
    EXPECT_EQ(ventana->findChild<QLabel *>("Panel_1")->text(), c.etiqueta);
    EXPECT_EQ(G().Imagen(0), carpeta.Archivo(c.listada));
    // Its writes are greyed in the menu.
    Elegir(0, "OTRO.BIN");
    QMenu *menu = ClicDerecho(0, DSK(0).visualRect(DSK(0).currentIndex()).center());
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->findChild<QAction *>("Borrar")->isEnabled());
    EXPECT_TRUE(menu->findChild<QAction *>("Extraer")->isEnabled());
    delete menu;
    fs::remove(carpeta.Ruta() / c.archivo);
  }
}

// Qt's own texts come in Spanish from Qt's translations (scripts/setup
// installs them), as the program speaks: its file choosers' labels and buttons.
TEST(TraduccionesQt, QtsOwnTextsAreSpanish) {
  ASSERT_TRUE(InstalarTraduccionesQt()) << "qt6-translations-l10n is not installed";
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), "&Abrir");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
}

// Qt's own dialog, answered by its controls from a timer: what it gives back
// is what they held, and it starts from what it was given.
TEST(DialogosQtReales, ThePutDialogGivesWhatItsControlsHold) {
  DialogosQt dialogos(nullptr);
  Gestion::Dialogos::OpcionesPoner inicial;
  inicial.tipo = cpm::TipoPoner::Basic;
  inicial.usuario = 2;
  bool visto = false;
  QTimer::singleShot(0, [&] {
    auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->objectName(), "PonerArchivos");
    auto *tipo = d->findChild<QComboBox *>("Tipo");
    auto *carga = d->findChild<QLineEdit *>("Carga");
    EXPECT_EQ(tipo->currentIndex(), 2) << "BASIC, as given";
    EXPECT_FALSE(carga->isEnabled()) << "addresses are a binary file's only";
    tipo->setCurrentIndex(1);
    EXPECT_TRUE(carga->isEnabled());
    carga->setText(" &4000 ");
    d->findChild<QSpinBox *>("Usuario")->setValue(7);
    d->findChild<QCheckBox *>("SoloLectura")->setChecked(true);
    visto = true;
    d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
  });
  const auto o = dialogos.PedirOpcionesPoner({"juego.bin"}, inicial);
  ASSERT_TRUE(visto);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->tipo, cpm::TipoPoner::Binario);
  EXPECT_EQ(o->carga, "&4000");
  EXPECT_EQ(o->entrada, "");
  EXPECT_EQ(o->usuario, 7);
  EXPECT_TRUE(o->soloLectura);
  EXPECT_FALSE(o->sistema);
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

namespace {

// The lines of a properties box that its width cuts show whole in its
// tooltip, broken into lines that fit under their value; none when all fit.
TEST(DialogosQtPropiedades, LasLineasCortadasSeVenEnterasEnLaAyuda) {
  DialogosQt dialogos(nullptr);
  static QString ayuda;
  const auto mirar = [] {
    QTimer::singleShot(0, [] {
      auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      if (d == nullptr) {
        ADD_FAILURE() << "no dialog open";
        return;
      }
      auto *caja = d->findChild<QPlainTextEdit *>("TextoPropiedades");
      const QPoint punto = caja->viewport()->rect().center();
      QHelpEvent evento(QEvent::ToolTip, punto, caja->viewport()->mapToGlobal(punto));
      QCoreApplication::sendEvent(caja->viewport(), &evento);
      // Shown as the box's letters show it; nothing in a block list needs escaping.
      ayuda = QToolTip::isVisible() ? QToolTip::text() : QString();
      if (ayuda.startsWith(QStringLiteral("<pre>")) && ayuda.endsWith(QStringLiteral("</pre>")))
        ayuda = ayuda.mid(5, ayuda.size() - 11);
      QToolTip::hideText();
      d->accept();
    });
  };
  mirar();
  dialogos.Mostrar("Propiedades", "Usuario:      3\nBloques:      2\n");
  EXPECT_EQ(ayuda, QString());

  std::string bloques = "Bloques:      200 bloques de 1024 bytes: ";
  for (int b = 2; b < 202; ++b)
    bloques += std::to_string(b) + (b < 201 ? ", " : "");
  mirar();
  dialogos.Mostrar("Propiedades", "Usuario:      3\n" + bloques + "\n");
  const QStringList lineas = ayuda.split(u'\n');
  ASSERT_GT(lineas.size(), 2) << ayuda.toStdString();
  QString junto = lineas[0];
  for (qsizetype i = 1; i < lineas.size(); ++i) {
    EXPECT_TRUE(lineas[i].startsWith(QString(14, u' '))) << lineas[i].toStdString();
    junto += u' ' + lineas[i].mid(14);
  }
  EXPECT_EQ(junto.toStdString(), bloques);
}

} // namespace
