#include "ui/qt/F_AlcoveQt.h"

#include "ui/controles/Disposicion.h"
#include "ui/gestor/GestorCatalogo.h"
#include "ui/main/Presentacion.h"
#include "ui/qt/F_AcercaQt.h"
#include "ui/qt/IconosQt.h"
#include "ui/widgets/Enlaces.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/LimiteEvento.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/ListaCarpetas.h"
#include "ui/widgets/ListaUnidades.h"
#include "ui/widgets/Marco.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/VistaCatalogo.h"

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

Qt::Alignment AlineacionQt(Disposicion::Alineacion a) {
  return (a == Disposicion::Alineacion::Derecha ? Qt::AlignRight : Qt::AlignLeft) |
         Qt::AlignVCenter;
}

QString Latin1(const char *texto) { return QString::fromLatin1(texto); }

} // namespace

F_AlcoveQt::F_AlcoveQt(QWidget *padre)
    : QMainWindow(padre, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                             Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("F_Alcove"));
  setWindowTitle(Latin1(Disposicion::TituloPrincipal));
  setWindowIcon(Iconos::IconoAlcove());
  Iconos::LlenarImageEXT(Image_EXT);

  auto *cliente = new QWidget(this);
  cliente->setObjectName(QStringLiteral("Cliente"));
  cliente->setFixedSize(RectTwips(Disposicion::Cliente).size());
  setCentralWidget(cliente);
  CrearMenus();

  Frame1 = new Marco(Latin1(Disposicion::TituloMarco), cliente);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame2 = new Marco(Latin1(Disposicion::TituloMarco), cliente);
  Frame2->setObjectName(QStringLiteral("Frame2"));
  for (std::int16_t i = 0; i < 2; ++i) {
    QGroupBox *marco = i == 0 ? Frame1 : Frame2;
    marco->setGeometry(RectTwips(Disposicion::Paneles[static_cast<std::size_t>(i)].marco));
    // Black behind the controls; the caption keeps the default text colour.
    QPalette paleta = marco->palette();
    paleta.setColor(QPalette::Window, Qt::black);
    marco->setPalette(paleta);
    marco->setAutoFillBackground(true);
    CrearPanel(i, marco);
  }
  CrearBarraEstado(cliente);

  F_Alcove::Controles_ controles;
  for (std::size_t p = 0; p < 2; ++p) {
    unidades_[p] = std::make_unique<Enlaces::Unidades>(*Drive[p]);
    carpetas_[p] = std::make_unique<Enlaces::Carpetas>(*Dir[p]);
    archivos_[p] = std::make_unique<Enlaces::Archivos>(*File[p]);
    vistas_[p] = std::make_unique<Enlaces::Vista>(*DSK[p]);
    controles.Drive[p] = unidades_[p].get();
    controles.Dir[p] = carpetas_[p].get();
    controles.File[p] = archivos_[p].get();
    controles.DSK[p] = vistas_[p].get();
  }
  estado_ = std::make_unique<Enlaces::Estado>(Panels);
  controles.StatusBar = estado_.get();
  controles.Image_EXT = &Image_EXT;
  controles.MostrarAcercaDe = [] { MostrarAcercaDe(); };
  formulario_ = std::make_unique<F_Alcove>(std::move(controles));

  // No control follows the window's size: it has one size only.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  Centrar();
  for (std::int16_t i = 0; i < 2; ++i)
    Conectar(i);
  // Events the panes leave open: the catalogue views as a disk manager. The
  // disk slots are looked at, never created, from there.
  std::array<Gestion::PanelVentana, 2> paneles;
  for (std::int16_t i = 0; i < 2; ++i) {
    const auto p = static_cast<std::size_t>(i);
    paneles[p] = {vistas_[p].get(),
                  archivos_[p].get(),
                  [this, i] { return formulario_->ImagenListada(i); },
                  [this, i](int llegada) { return formulario_->EntradaDeFila(i, llegada); },
                  [this, i](const std::string &ruta) { formulario_->ListarImagen(i, ruta); },
                  [this, i] { formulario_->CerrarImagen(i); },
                  [this, i] { formulario_->ReabrirImagen(i); },
                  [this](const std::string &nota) { PonerNotaDisco(nota); }};
  }
  Gestor = new GestorCatalogo(this, DSK, File, std::move(paneles));
  formulario_->Form_Load();
}

F_AlcoveQt::~F_AlcoveQt() = default;

// The note on the disk listed last, over the whole status bar: its panels keep
// their four texts, and each shows the bar's tooltip as it has none of its own.
void F_AlcoveQt::PonerNotaDisco(const std::string &nota) {
  StatusBar->setToolTip(QString::fromStdString(nota));
}

bool F_AlcoveQt::Evento(const std::string &suceso, const std::function<void()> &manejador) {
  const bool bien = Plataforma::ProtegerEvento(this, manejador);
  formulario_->Volcar(suceso);
  return bien;
}

void F_AlcoveQt::CrearMenus() {
  QMenuBar *barra = menuBar();
  // Top-level captions carry no access keys.
  auto *discoA = barra->addMenu(Latin1(Disposicion::MenuDiscoA));
  discoA->setObjectName(QStringLiteral("MenDiscoA"));
  auto *discoB = barra->addMenu(Latin1(Disposicion::MenuDiscoB));
  discoB->setObjectName(QStringLiteral("MenDiscoB"));
  auto *ayuda = barra->addMenu(Latin1(Disposicion::MenuAyuda));
  ayuda->setObjectName(QStringLiteral("Ayuda"));
  QAction *acerca = ayuda->addAction(Latin1(Disposicion::MenuAcerca));
  acerca->setObjectName(QStringLiteral("menu_Ayuda_1"));
  connect(acerca, &QAction::triggered, this,
          [this] { Evento("menu_Ayuda_Click", [this] { formulario_->menu_Ayuda_Click(1); }); });
}

void F_AlcoveQt::CrearPanel(std::int16_t Index, QGroupBox *marco) {
  const auto p = static_cast<std::size_t>(Index);
  const Disposicion::LugaresPanel &lugar = Disposicion::Paneles[p];
  const QString sufijo = QStringLiteral("_%1").arg(Index);
  const QFont fuenteListas = Estilo::Courier(Disposicion::PuntosListas);

  Drive[p] = new ListaUnidades(marco);
  Drive[p]->setObjectName(QStringLiteral("Drive") + sufijo);
  Drive[p]->setGeometry(RectTwips(lugar.drive));
  Drive[p]->setFont(fuenteListas);

  Dir[p] = new ListaCarpetas(marco);
  Dir[p]->setObjectName(QStringLiteral("Dir") + sufijo);
  Dir[p]->setGeometry(RectTwips(lugar.dir));
  Dir[p]->setFont(fuenteListas);

  File[p] = new ListaArchivos(marco);
  File[p]->setObjectName(QStringLiteral("File") + sufijo);
  File[p]->setGeometry(RectTwips(lugar.file));
  File[p]->setFont(fuenteListas);

  DSK[p] = new VistaCatalogo(marco);
  DSK[p]->setObjectName(QStringLiteral("DSK") + sufijo);
  DSK[p]->setGeometry(RectTwips(lugar.dsk));
  DSK[p]->setFont(Estilo::Courier(Disposicion::PuntosCatalogo));
  DSK[p]->setIconSize(QSize(16, 16));
  ModeloCatalogo &filas = DSK[p]->ListItems();
  ModeloCatalogo::Textos titulos;
  std::array<Qt::Alignment, ModeloCatalogo::Columnas> alineacion{};
  for (std::size_t c = 0; c < Disposicion::Columnas.size(); ++c) {
    titulos[c] = Latin1(Disposicion::Columnas[c].titulo);
    alineacion[c] = AlineacionQt(Disposicion::Columnas[c].alineacion);
  }
  filas.FijarCabeceras(titulos, alineacion);
  filas.FijarImagenes(Image_EXT);
  for (std::size_t c = 0; c < Disposicion::Columnas.size(); ++c) {
    DSK[p]->header()->resizeSection(static_cast<int>(c),
                                    TwipsAPixeles(Disposicion::Columnas[c].ancho));
  }

  Fm_Info[p] = new Marco(Latin1(Disposicion::TituloInfo), marco);
  Fm_Info[p]->setObjectName(QStringLiteral("Fm_Info") + sufijo);
  Fm_Info[p]->setGeometry(RectTwips(lugar.info));
  Fm_Info[p]->setFont(fuenteListas);

  for (QWidget *control :
       std::initializer_list<QWidget *>{Drive[p], Dir[p], File[p], DSK[p], Fm_Info[p]}) {
    Estilo::AmarilloSobreAzul(control);
  }
}

void F_AlcoveQt::CrearBarraEstado(QWidget *cliente) {
  StatusBar = new QStatusBar(cliente);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setGeometry(RectTwips(Disposicion::Estado));
  StatusBar->setSizeGripEnabled(false);
  const Presentacion::TextosEstado iniciales = Presentacion::EstadoInicial();
  for (std::size_t i = 0; i < Panels.size(); ++i) {
    const int ancho = Disposicion::AnchosPaneles[i];
    Panels[i] = new QLabel(QString::fromStdString(iniciales[i]), StatusBar);
    Panels[i]->setObjectName(QStringLiteral("Panel_%1").arg(i + 1));
    Panels[i]->setTextFormat(Qt::PlainText);
    Panels[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    if (ancho > 0)
      Panels[i]->setFixedWidth(ancho);
    StatusBar->addWidget(Panels[i], ancho > 0 ? 0 : 1);
  }
}

void F_AlcoveQt::Conectar(std::int16_t Index) {
  const auto p = static_cast<std::size_t>(Index);
  const std::string pane = "(" + std::to_string(Index) + ")";
  connect(Drive[p], &ListaUnidades::Change, this, [this, Index, p, pane] {
    // A drive that cannot be reached leaves the pane on the drive it showed.
    if (!Evento("Drive_Change" + pane, [this, Index] { formulario_->Drive_Change(Index); })) {
      Drive[p]->DeshacerCambio();
    }
  });
  connect(Dir[p], &ListaCarpetas::Change, this, [this, Index, pane] {
    Evento("Dir_Change" + pane, [this, Index] { formulario_->Dir_Change(Index); });
  });
  connect(File[p], &ListaArchivos::Click, this, [this, Index, pane] {
    Evento("File_Click" + pane, [this, Index] { formulario_->File_Click(Index); });
  });
  connect(DSK[p], &VistaCatalogo::ColumnClick, this, [this, Index, pane](int columna) {
    Evento("DSK_ColumnClick" + pane + " " + std::to_string(columna),
           [this, Index, columna] { formulario_->DSK_ColumnClick(Index, columna); });
  });
}

void F_AlcoveQt::Centrar() {
  adjustSize();
  const QScreen *pantalla = screen();
  if (pantalla == nullptr)
    return;
  const QRect zona = pantalla->availableGeometry();
  move(zona.center() - rect().center());
}
