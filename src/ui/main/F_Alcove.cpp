#include "ui/main/F_Alcove.h"

#include "disk/Cls_Disco.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "ui/auxiliary/F_Acerca.h"
#include "ui/gestor/GestorCatalogo.h"
#include "ui/main/Iconos.h"
#include "ui/main/Presentacion.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/LimiteEvento.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/ListaCarpetas.h"
#include "ui/widgets/ListaUnidades.h"
#include "ui/widgets/Marco.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/VistaCatalogo.h"

#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

using Plataforma::RectTwips;
using Plataforma::TwipsAPixeles;

namespace {

// Where each pane's controls sit in its frame, in twips: Left, Top, Width, Height.
struct Lugar {
  int izquierda, arriba, ancho, alto;
  [[nodiscard]] QRect Rect() const { return RectTwips(izquierda, arriba, ancho, alto); }
};
struct LugaresPanel {
  Lugar marco, drive, dir, file, dsk, info;
};
constexpr std::array<LugaresPanel, 2> Lugares{{
    {{0, 0, 6675, 7710},
     {165, 180, 4005, 360},
     {135, 675, 4005, 1980},
     {4230, 180, 2310, 2490},
     {135, 2700, 6405, 3930},
     {135, 6705, 6405, 915}},
    {{6750, 0, 6675, 7710},
     {90, 135, 4005, 360},
     {90, 675, 4005, 1980},
     {4185, 135, 2310, 2490},
     {90, 2700, 6405, 3930},
     {135, 6705, 6405, 915}},
}};
constexpr Lugar LugarCliente{0, 0, 13410, 8265};
constexpr Lugar LugarEstado{0, 7725, 13410, 540};

// Catalogue columns: heading, width in twips, alignment.
struct Columna {
  const char *titulo;
  int ancho;
  Qt::Alignment alineacion;
};
const std::array<Columna, 4> Columnas{{
    {"Nombre", 1800, Qt::AlignLeft | Qt::AlignVCenter},
    {"EXT", 800, Qt::AlignRight | Qt::AlignVCenter},
    {"KB", 1000, Qt::AlignRight | Qt::AlignVCenter},
    {"Attrib", 1440, Qt::AlignLeft | Qt::AlignVCenter},
}};

constexpr double PuntosListas = 9.75;
constexpr double PuntosCatalogo = 12;

// The pane's position in the control arrays; anything but 0 or 1 is refused.
std::size_t Ranura(int Index) {
  if (Index < 0 || Index > 1)
    LanzarError(Errores::SubindiceFueraDeIntervalo);
  return static_cast<std::size_t>(Index);
}

} // namespace

F_Alcove::F_Alcove(QWidget *padre)
    : QMainWindow(padre, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                             Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("F_Alcove"));
  setWindowTitle(QStringLiteral("Alcove beta 1"));
  setWindowIcon(Iconos::IconoAlcove());
  Iconos::LlenarImageEXT(Image_EXT);

  auto *cliente = new QWidget(this);
  cliente->setObjectName(QStringLiteral("Cliente"));
  cliente->setFixedSize(LugarCliente.Rect().size());
  setCentralWidget(cliente);
  CrearMenus();

  Frame1 = new Marco(QStringLiteral("Frame1"), cliente);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame2 = new Marco(QStringLiteral("Frame1"), cliente);
  Frame2->setObjectName(QStringLiteral("Frame2"));
  for (std::int16_t i = 0; i < 2; ++i) {
    QGroupBox *marco = i == 0 ? Frame1 : Frame2;
    marco->setGeometry(Lugares[static_cast<std::size_t>(i)].marco.Rect());
    // Black behind the controls; the caption keeps the default text colour.
    QPalette paleta = marco->palette();
    paleta.setColor(QPalette::Window, Qt::black);
    marco->setPalette(paleta);
    marco->setAutoFillBackground(true);
    CrearPanel(i, marco);
  }
  CrearBarraEstado(cliente);

  // No control follows the window's size: it has one size only.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  Centrar();
  for (std::int16_t i = 0; i < 2; ++i)
    Conectar(i);
  // Events the panes leave open: the catalogue views as a disk manager. The
  // disk slots are looked at, never created, from there.
  std::array<PanelVentana, 2> paneles;
  for (std::int16_t i = 0; i < 2; ++i) {
    const auto p = static_cast<std::size_t>(i);
    paneles[p] = {DSK[p], File[p],
                  [this, p] { return static_cast<const Cls_Disco *>(Discos[p].get()); },
                  [this, i](const std::string &ruta) { ListarImagen(i, ruta); }};
  }
  Gestor = new GestorCatalogo(this, std::move(paneles));
  Form_Load();
}

F_Alcove::~F_Alcove() = default;

void F_Alcove::CrearMenus() {
  QMenuBar *barra = menuBar();
  // Top-level captions carry no access keys.
  auto *discoA = barra->addMenu(QStringLiteral("Disco A"));
  discoA->setObjectName(QStringLiteral("MenDiscoA"));
  auto *discoB = barra->addMenu(QStringLiteral("Disco B"));
  discoB->setObjectName(QStringLiteral("MenDiscoB"));
  auto *ayuda = barra->addMenu(QStringLiteral("Ayuda"));
  ayuda->setObjectName(QStringLiteral("Ayuda"));
  QAction *acerca = ayuda->addAction(QStringLiteral("Acerca de Alcove"));
  acerca->setObjectName(QStringLiteral("menu_Ayuda_1"));
  connect(acerca, &QAction::triggered, this,
          [this] { Plataforma::ProtegerEvento(this, [this] { menu_Ayuda_Click(1); }); });
}

void F_Alcove::CrearPanel(std::int16_t Index, QGroupBox *marco) {
  const auto p = static_cast<std::size_t>(Index);
  const LugaresPanel &lugar = Lugares[p];
  const QString sufijo = QStringLiteral("_%1").arg(Index);
  const QFont fuenteListas = Estilo::Courier(PuntosListas);

  Drive[p] = new ListaUnidades(marco);
  Drive[p]->setObjectName(QStringLiteral("Drive") + sufijo);
  Drive[p]->setGeometry(lugar.drive.Rect());
  Drive[p]->setFont(fuenteListas);

  Dir[p] = new ListaCarpetas(marco);
  Dir[p]->setObjectName(QStringLiteral("Dir") + sufijo);
  Dir[p]->setGeometry(lugar.dir.Rect());
  Dir[p]->setFont(fuenteListas);

  File[p] = new ListaArchivos(marco);
  File[p]->setObjectName(QStringLiteral("File") + sufijo);
  File[p]->setGeometry(lugar.file.Rect());
  File[p]->setFont(fuenteListas);

  DSK[p] = new VistaCatalogo(marco);
  DSK[p]->setObjectName(QStringLiteral("DSK") + sufijo);
  DSK[p]->setGeometry(lugar.dsk.Rect());
  DSK[p]->setFont(Estilo::Courier(PuntosCatalogo));
  DSK[p]->setIconSize(QSize(16, 16));
  ModeloCatalogo &filas = DSK[p]->ListItems();
  ModeloCatalogo::Textos titulos;
  std::array<Qt::Alignment, ModeloCatalogo::Columnas> alineacion{};
  for (std::size_t c = 0; c < Columnas.size(); ++c) {
    titulos[c] = QString::fromLatin1(Columnas[c].titulo);
    alineacion[c] = Columnas[c].alineacion;
  }
  filas.FijarCabeceras(titulos, alineacion);
  filas.FijarImagenes(Image_EXT);
  for (std::size_t c = 0; c < Columnas.size(); ++c) {
    DSK[p]->header()->resizeSection(static_cast<int>(c), TwipsAPixeles(Columnas[c].ancho));
  }

  Fm_Info[p] = new Marco(QStringLiteral("Informacion Archivo"), marco);
  Fm_Info[p]->setObjectName(QStringLiteral("Fm_Info") + sufijo);
  Fm_Info[p]->setGeometry(lugar.info.Rect());
  Fm_Info[p]->setFont(fuenteListas);

  for (QWidget *control :
       std::initializer_list<QWidget *>{Drive[p], Dir[p], File[p], DSK[p], Fm_Info[p]}) {
    Estilo::AmarilloSobreAzul(control);
  }
}

void F_Alcove::CrearBarraEstado(QWidget *cliente) {
  StatusBar = new QStatusBar(cliente);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setGeometry(LugarEstado.Rect());
  StatusBar->setSizeGripEnabled(false);
  const Presentacion::TextosEstado iniciales = Presentacion::EstadoInicial();
  // Widths in pixels; the creator text takes what is left.
  constexpr std::array<int, 4> anchos{200, 150, 110, 0};
  for (std::size_t i = 0; i < Panels.size(); ++i) {
    Panels[i] = new QLabel(iniciales[i], StatusBar);
    Panels[i]->setObjectName(QStringLiteral("Panel_%1").arg(i + 1));
    Panels[i]->setTextFormat(Qt::PlainText);
    Panels[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    if (anchos[i] > 0)
      Panels[i]->setFixedWidth(anchos[i]);
    StatusBar->addWidget(Panels[i], anchos[i] > 0 ? 0 : 1);
  }
}

void F_Alcove::Conectar(std::int16_t Index) {
  const auto p = static_cast<std::size_t>(Index);
  connect(Drive[p], &ListaUnidades::Change, this, [this, Index, p] {
    // A drive that cannot be reached leaves the pane on the drive it showed.
    if (!Plataforma::ProtegerEvento(this, [this, Index] { Drive_Change(Index); })) {
      Drive[p]->DeshacerCambio();
    }
  });
  connect(Dir[p], &ListaCarpetas::Change, this, [this, Index] {
    Plataforma::ProtegerEvento(this, [this, Index] { Dir_Change(Index); });
  });
  connect(File[p], &ListaArchivos::Click, this, [this, Index] {
    Plataforma::ProtegerEvento(this, [this, Index] { File_Click(Index); });
  });
  connect(DSK[p], &VistaCatalogo::ColumnClick, this, [this, Index](int columna) {
    Plataforma::ProtegerEvento(this, [this, Index, columna] { DSK_ColumnClick(Index, columna); });
  });
}

void F_Alcove::Centrar() {
  adjustSize();
  const QScreen *pantalla = screen();
  if (pantalla == nullptr)
    return;
  const QRect zona = pantalla->availableGeometry();
  move(zona.center() - rect().center());
}

void F_Alcove::Form_Load() {
  // Nothing to do: the lists start on the current drive and folder by themselves.
}

bool F_Alcove::ExisteDisco(int Index) const { return Discos[Ranura(Index)] != nullptr; }

Cls_Disco &F_Alcove::Disco(std::int16_t Index) {
  std::unique_ptr<Cls_Disco> &ranura = Discos[Ranura(Index)];
  if (!ranura)
    ranura = std::make_unique<Cls_Disco>();
  return *ranura;
}

void F_Alcove::Drive_Change(std::int16_t Index) {
  const std::size_t p = Ranura(Index);
  ListaUnidades &drive = *Drive[p];
  ListaCarpetas &dir = *Dir[p];
  dir.SetPath(drive.Drive());
}

void F_Alcove::Dir_Change(std::int16_t Index) {
  const std::size_t p = Ranura(Index);
  ListaCarpetas &dir = *Dir[p];
  ListaArchivos &file = *File[p];
  file.SetPath(dir.Path());
}

void F_Alcove::File_Click(std::int16_t Index) {
  Disco(Index);
  const std::size_t p = Ranura(Index);
  const ListaArchivos &file = *File[p];
  // Folder, separator, name, joined as they are: at the root the separator doubles.
  // The name goes as the host's bytes, so that names that are not UTF-8 open.
  const std::string ruta = QFile::encodeName(file.Path()).toStdString() +
                           Plataforma::SeparadorRuta + file.FileNameBytes();
  ListarImagen(Index, ruta);
}

void F_Alcove::ListarImagen(std::int16_t Index, const std::string &ruta) {
  Cls_Disco &disco = Disco(Index);
  const std::size_t p = Ranura(Index);
  disco.Cargar(ruta);
  MostrarInfoDisco(Index);

  ModeloCatalogo &filas = DSK[p]->ListItems();
  filas.Clear();
  // An object that never held an image has nothing to list.
  if (disco.NombreFichero.empty())
    return;
  QStringList claves;
  for (int j = 1; j <= Image_EXT.Count(); ++j)
    claves << Image_EXT.Key(j);
  for (const Presentacion::FilaCatalogo &fila :
       Presentacion::FilasCatalogo(disco.Cabecera(), claves)) {
    filas.Add({fila.Nombre, fila.Ext, fila.KB, QString()}, fila.Icono);
  }
}

void F_Alcove::MostrarInfoDisco(std::int16_t index) {
  QLabel *panel1 = Panels[0];
  Cls_Disco &disco = Disco(index);
  const Presentacion::TextosEstado textos =
      Presentacion::EstadoDisco(disco.NombreCFichero(), disco.Cabecera());
  panel1->setText(textos[0]);
  for (std::size_t i = 1; i < Panels.size(); ++i)
    Panels[i]->setText(textos[i]);
}

void F_Alcove::DSK_ColumnClick(std::int16_t Index, int ColumnHeader) {
  ModeloCatalogo &vista = DSK[Ranura(Index)]->ListItems();
  vista.SetSortOrder(0);
  vista.SetSortKey(static_cast<std::int16_t>(ColumnHeader - 1));
}

void F_Alcove::menu_Ayuda_Click(std::int16_t /*Index*/) { MostrarAcercaDe(); }
