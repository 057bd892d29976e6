#include "ui/gestor/GestorCatalogo.h"

#include "disk/Cls_Disco.h"
#include "gestion/Entrada.h"
#include "gestion/Zips.h"
#include "platform/InfoArchivo.h"
#include "ui/gestor/DialogosQt.h"
#include "ui/gestor/F_Ver.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/LimiteEvento.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/VistaCatalogo.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

// What a drag between the two panes carries besides the files: the pane it left.
const QString FormatoFilas = QStringLiteral("application/x-alcove-filas");
constexpr double PuntosMenu = 9.75;

std::string Bytes(const QString &ruta) { return QFile::encodeName(ruta).toStdString(); }

Gestion::Dialogos &Elegidos(DialogosQt &propios) {
  Gestion::Dialogos *instalados = Gestion::DialogosInstalados();
  return instalados != nullptr ? *instalados : propios;
}

// The local files a drop brings; none when it brings anything else.
std::vector<std::string> ArchivosLocales(const QMimeData &datos) {
  std::vector<std::string> rutas;
  if (!datos.hasUrls())
    return rutas;
  for (const QUrl &url : datos.urls()) {
    if (!url.isLocalFile())
      return {};
    rutas.push_back(Bytes(url.toLocalFile()));
  }
  return rutas;
}

} // namespace

GestorCatalogo::GestorCatalogo(QWidget *ventana, std::array<PanelVentana, 2> paneles)
    : QObject(ventana), ventana_(ventana), paneles_(std::move(paneles)),
      propios_(std::make_unique<DialogosQt>(ventana)), acciones_(Elegidos(*propios_)) {
  for (int i = 0; i < 2; ++i) {
    VistaCatalogo *vista = paneles_[static_cast<std::size_t>(i)].vista;
    // Several rows at once, for extracting, deleting and dragging them together.
    vista->setSelectionMode(QAbstractItemView::ExtendedSelection);
    vista->setDragEnabled(true); // a press on a selected row keeps the others selected
    vista->viewport()->setAcceptDrops(true);
    vigilados_[static_cast<std::size_t>(2 * i)] = vista;
    vigilados_[static_cast<std::size_t>(2 * i + 1)] = vista->viewport();
    vista->installEventFilter(this);
    vista->viewport()->installEventFilter(this);
    connect(vista, &QAbstractItemView::activated, this,
            [this, i] { Plataforma::ProtegerEvento(ventana_, [this, i] { Ver(i); }); });
    // Images inside the folder's zips follow its own, read-only.
    ListaArchivos *lista = paneles_[static_cast<std::size_t>(i)].archivos;
    lista->FijarOtrasImagenes(Gestion::ImagenesEnZips);
    // After the window's own handler, which cannot open them.
    connect(lista, &ListaArchivos::Click, this, [this, i, lista] {
      const std::string ruta =
          Bytes(lista->Path()) + Plataforma::SeparadorRuta + lista->FileNameBytes();
      if (!lista->FileNameBytes().empty() && Gestion::EsMiembroDeZip(ruta))
        Plataforma::ProtegerEvento(ventana_, [&] { AbrirMiembro(i, ruta); });
    });
  }
}

GestorCatalogo::~GestorCatalogo() = default;

int GestorCatalogo::PanelDe(const QObject *objeto) const {
  const auto it = std::find(vigilados_.begin(), vigilados_.end(), objeto);
  return it == vigilados_.end() ? -1 : static_cast<int>(it - vigilados_.begin()) / 2;
}

std::string GestorCatalogo::Imagen(int i) const {
  const Cls_Disco *disco = paneles_[static_cast<std::size_t>(i)].disco();
  if (disco == nullptr)
    return {};
  const auto &[copia, miembro] = miembros_[static_cast<std::size_t>(i)];
  return !copia.empty() && disco->NombreFichero == copia ? miembro : disco->NombreFichero;
}

void GestorCatalogo::AbrirMiembro(int i, const std::string &ruta) {
  std::vector<std::uint8_t> bytes;
  if (const std::string error = Gestion::LeerMiembro(ruta, bytes); !error.empty()) {
    Elegidos(*propios_).Avisar(ruta + ": " + error + ".");
    return;
  }
  auto carpeta = std::make_unique<QTemporaryDir>();
  const QString nombre = QFile::decodeName(
      QByteArray::fromStdString(ruta.substr(ruta.find_last_of(Plataforma::SeparadoresRuta) + 1)));
  QFile copia(carpeta->filePath(nombre));
  if (!carpeta->isValid() || !copia.open(QIODevice::WriteOnly) ||
      copia.write(reinterpret_cast<const char *>(bytes.data()),
                  static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
    Elegidos(*propios_).Avisar(ruta + ": no se ha podido leer la imagen.");
    return;
  }
  copia.close();
  miembros_[static_cast<std::size_t>(i)] = {Bytes(copia.fileName()), ruta};
  temporales_.push_back(std::move(carpeta));
  paneles_[static_cast<std::size_t>(i)].listar(miembros_[static_cast<std::size_t>(i)].first);
}

Gestion::Panel GestorCatalogo::Panel(int i) const {
  const PanelVentana &p = paneles_[static_cast<std::size_t>(i)];
  Gestion::Panel panel;
  panel.imagen = Imagen(i);
  panel.carpeta = Bytes(p.archivos->Path());
  const Cls_Disco *disco = p.disco();
  if (disco == nullptr || panel.imagen.empty())
    return panel;
  // Rows were added in slot order: the order of a row's arrival is its slot's
  // place among the listed ones.
  const std::vector<int> ranuras = Gestion::RanurasListadas(disco->Cabecera());
  QModelIndexList elegidas = p.vista->selectionModel()->selectedRows();
  std::sort(elegidas.begin(), elegidas.end(),
            [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
  for (const QModelIndex &indice : elegidas) {
    const int llegada = p.vista->ListItems().Llegada(indice.row());
    if (llegada < 0 || static_cast<std::size_t>(llegada) >= ranuras.size())
      continue;
    Gestion::Panel::Fila fila;
    fila.ranura = ranuras[static_cast<std::size_t>(llegada)];
    const double desde = static_cast<double>(Gestion::PosCatalogoFijo) +
                         static_cast<double>(fila.ranura) * Gestion::LargoEntrada;
    for (std::size_t k = 0; k < Gestion::LargoEntrada; ++k)
      fila.entrada[k] = disco->NumByte(desde + static_cast<double>(k));
    panel.filas.push_back(fila);
  }
  return panel;
}

void GestorCatalogo::Escrito(int i) {
  const std::string imagen = Imagen(i);
  // The other pane first: the status bar ends up telling of this one.
  for (const int j : {1 - i, i}) {
    if (Imagen(j) == imagen)
      paneles_[static_cast<std::size_t>(j)].listar(imagen);
  }
}

void GestorCatalogo::Hacer(int i, const std::function<bool()> &accion) {
  Plataforma::ProtegerEvento(ventana_, [&] {
    if (accion())
      Escrito(i);
  });
}

void GestorCatalogo::Ver(int i) {
  Gestion::Panel panel = Panel(i);
  const VistaCatalogo *vista = paneles_[static_cast<std::size_t>(i)].vista;
  // The current row, even when others are selected with it.
  const QModelIndex actual = vista->currentIndex();
  Gestion::Panel solo = panel;
  solo.filas.clear();
  const Cls_Disco *disco = paneles_[static_cast<std::size_t>(i)].disco();
  if (actual.isValid() && disco != nullptr) {
    const std::vector<int> ranuras = Gestion::RanurasListadas(disco->Cabecera());
    const int llegada = vista->ListItems().Llegada(actual.row());
    for (const Gestion::Panel::Fila &f : panel.filas) {
      if (llegada >= 0 && static_cast<std::size_t>(llegada) < ranuras.size() &&
          f.ranura == ranuras[static_cast<std::size_t>(llegada)])
        solo.filas.push_back(f);
    }
  }
  if (solo.filas.empty() && !panel.filas.empty())
    solo.filas.push_back(panel.filas.front());
  if (solo.filas.empty())
    return;
  const Gestion::Panel::Fila fila = solo.filas.front();
  std::vector<Ver::Vista> vistas;
  const Gestion::Contenido contenido = acciones_.Ver(solo, fila, std::nullopt, &vistas);
  auto *ver = new F_Ver(ventana_, contenido, vistas,
                        [this, solo, fila](Ver::Vista v) { return acciones_.Ver(solo, fila, v); });
  ver->show();
}

QMenu *GestorCatalogo::AbrirMenu(int i, QPoint punto, bool deTeclado) {
  VistaCatalogo *vista = paneles_[static_cast<std::size_t>(i)].vista;
  if (!deTeclado) {
    // A right-click on a row not selected makes it the selection, as file managers do.
    const QModelIndex indice = vista->indexAt(punto);
    if (!indice.isValid()) {
      vista->clearSelection();
    } else if (!vista->selectionModel()->isSelected(indice)) {
      vista->selectionModel()->setCurrentIndex(indice, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    }
  } else if (vista->currentIndex().isValid()) {
    punto = vista->visualRect(vista->currentIndex()).center();
  }
  const Gestion::Panel panel = Panel(i);
  auto *menu = new QMenu(vista);
  menu->setObjectName(QStringLiteral("MenuCatalogo_%1").arg(i));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The program's look, as the lists around it.
  menu->setFont(Estilo::Courier(PuntosMenu));
  Estilo::AmarilloSobreAzul(menu);
  const auto agregar = [&](const QString &nombre, const QString &texto,
                           const std::function<void()> &hacer) {
    QAction *accion = menu->addAction(texto);
    accion->setObjectName(nombre);
    connect(accion, &QAction::triggered, this,
            [this, hacer] { Plataforma::ProtegerEvento(ventana_, hacer); });
    return accion;
  };
  if (panel.filas.empty()) {
    agregar(QStringLiteral("NuevoDisco"), QStringLiteral("Nuevo disco…"), [this, panel, i] {
      const auto ruta = acciones_.NuevoDisco(panel);
      if (!ruta)
        return;
      ListaArchivos &lista = *paneles_[static_cast<std::size_t>(i)].archivos;
      lista.SetPath(lista.Path()); // the new file shows in the list
      paneles_[static_cast<std::size_t>(i)].listar(*ruta);
    });
    QAction *poner = agregar(
        QStringLiteral("PonerArchivos"), QStringLiteral("Poner archivos…"),
        [this, panel, i] { Hacer(i, [&] { return acciones_.ElegirYPonerArchivos(panel); }); });
    poner->setEnabled(!panel.imagen.empty());
    agregar(QStringLiteral("SinFila"), QStringLiteral("Archivos sin fila…"), [this, panel, i] {
      Hacer(i, [&] { return acciones_.DevolverFilas(panel); });
    })->setEnabled(!panel.imagen.empty());
  } else {
    const Gestion::EstadoSeleccion estado = acciones_.Estado(panel);
    agregar(QStringLiteral("Ver"), QStringLiteral("Ver"), [this, i] { Ver(i); });
    agregar(QStringLiteral("Extraer"), QStringLiteral("Extraer…"),
            [this, panel] { acciones_.Extraer(panel); });
    agregar(QStringLiteral("Propiedades"), QStringLiteral("Propiedades"),
            [this, panel] { acciones_.Propiedades(panel); });
    menu->addSeparator();
    agregar(QStringLiteral("Borrar"), QStringLiteral("Borrar"),
            [this, panel, i] { Hacer(i, [&] { return acciones_.Borrar(panel); }); });
    agregar(QStringLiteral("CambiarNombre"), QStringLiteral("Cambiar nombre…"), [this, panel, i] {
      Hacer(i, [&] { return acciones_.CambiarNombre(panel); });
    })->setEnabled(estado.archivos + estado.desconocidas == 1);
    menu->addSeparator();
    const auto conmutador = [&](const QString &nombre, const QString &texto,
                                Gestion::Atributo atributo, bool puesto) {
      QAction *a = agregar(nombre, texto, [this, panel, i, atributo, puesto] {
        Hacer(i, [&] { return acciones_.CambiarAtributo(panel, atributo, !puesto); });
      });
      a->setCheckable(true);
      a->setChecked(puesto);
    };
    conmutador(QStringLiteral("SoloLectura"), QStringLiteral("Solo lectura"),
               Gestion::Atributo::SoloLectura, estado.soloLectura);
    conmutador(QStringLiteral("Oculto"), QStringLiteral("Oculto"), Gestion::Atributo::Oculto,
               estado.oculto);
  }
  menu->popup(vista->viewport()->mapToGlobal(punto));
  return menu;
}

QMimeData *GestorCatalogo::DatosArrastre(int i) {
  Gestion::Panel panel = Panel(i);
  if (panel.filas.empty())
    return nullptr;
  auto carpeta = std::make_unique<QTemporaryDir>();
  if (!carpeta->isValid())
    return nullptr;
  const std::vector<std::string> rutas = acciones_.ExtraerEn(panel, Bytes(carpeta->path()));
  if (rutas.empty())
    return nullptr;
  temporales_.push_back(std::move(carpeta));
  auto *datos = new QMimeData;
  QList<QUrl> urls;
  for (const std::string &ruta : rutas)
    urls << QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(ruta)));
  datos->setUrls(urls);
  datos->setData(FormatoFilas, QByteArray::number(i));
  origen_ = std::move(panel);
  return datos;
}

void GestorCatalogo::Arrastrar(int i) {
  QMimeData *datos = DatosArrastre(i);
  if (datos == nullptr)
    return;
  auto *arrastre = new QDrag(paneles_[static_cast<std::size_t>(i)].vista);
  arrastre->setMimeData(datos);
  arrastrando_ = i;
  arrastre->exec(Qt::CopyAction);
  arrastrando_ = -1;
}

bool GestorCatalogo::Recibir(int i, const QMimeData &datos, bool soltar) {
  if (datos.hasFormat(FormatoFilas)) {
    // Rows of this window: from the other pane they are copied; onto their own, nothing.
    const int desde = datos.data(FormatoFilas).toInt();
    if (desde == i || desde < 0 || desde > 1)
      return false;
    if (soltar) {
      const Gestion::Panel origen = desde == arrastrando_ ? origen_ : Panel(desde);
      // After the drop has ended: the other end is not kept waiting on a question.
      QTimer::singleShot(0, this, [this, origen, i] {
        Hacer(i, [&] { return acciones_.Copiar(origen, Panel(i)); });
      });
    }
    return true;
  }
  const std::vector<std::string> rutas = ArchivosLocales(datos);
  if (rutas.empty())
    return false;
  if (soltar) {
    QTimer::singleShot(0, this, [this, rutas, i] {
      Hacer(i, [&] { return acciones_.PonerArchivos(Panel(i), rutas); });
    });
  }
  return true;
}

bool GestorCatalogo::eventFilter(QObject *objeto, QEvent *evento) {
  const int i = PanelDe(objeto);
  const auto tipo = evento->type();
  const bool nuestro = tipo == QEvent::ContextMenu || tipo == QEvent::KeyPress ||
                       tipo == QEvent::MouseButtonPress || tipo == QEvent::MouseMove ||
                       tipo == QEvent::MouseButtonRelease || tipo == QEvent::DragEnter ||
                       tipo == QEvent::DragMove || tipo == QEvent::Drop;
  if (i < 0 || !nuestro)
    return QObject::eventFilter(objeto, evento);
  VistaCatalogo *vista = paneles_[static_cast<std::size_t>(i)].vista;
  const bool enVista = objeto == vigilados_[static_cast<std::size_t>(2 * i + 1)];
  switch (evento->type()) {
  case QEvent::ContextMenu: {
    const auto *menu = static_cast<QContextMenuEvent *>(evento);
    const bool teclado = menu->reason() == QContextMenuEvent::Keyboard;
    // A mouse's point is the viewport's; the view's own is moved into it.
    const QPoint punto = enVista ? menu->pos() : vista->viewport()->mapFrom(vista, menu->pos());
    Plataforma::ProtegerEvento(ventana_, [&] { AbrirMenu(i, punto, teclado); });
    return true;
  }
  case QEvent::KeyPress: {
    const auto *tecla = static_cast<QKeyEvent *>(evento);
    if (objeto != vista || tecla->modifiers() != Qt::NoModifier)
      break;
    if (tecla->key() == Qt::Key_Delete) {
      Hacer(i, [&] { return Panel(i).filas.empty() ? false : acciones_.Borrar(Panel(i)); });
      return true;
    }
    if (tecla->key() == Qt::Key_F2) {
      Hacer(i, [&] { return Panel(i).filas.empty() ? false : acciones_.CambiarNombre(Panel(i)); });
      return true;
    }
    break;
  }
  case QEvent::MouseButtonPress: {
    const auto *raton = static_cast<QMouseEvent *>(evento);
    pulsado_ = enVista && raton->button() == Qt::LeftButton &&
                       vista->indexAt(raton->position().toPoint()).isValid()
                   ? i
                   : -1;
    puntoPulsado_ = raton->position().toPoint();
    break;
  }
  case QEvent::MouseMove: {
    const auto *raton = static_cast<QMouseEvent *>(evento);
    if (pulsado_ != i || !enVista || (raton->buttons() & Qt::LeftButton) == 0)
      break;
    if ((raton->position().toPoint() - puntoPulsado_).manhattanLength() <
        QApplication::startDragDistance())
      return true;
    pulsado_ = -1;
    Plataforma::ProtegerEvento(ventana_, [&] { Arrastrar(i); });
    return true;
  }
  case QEvent::MouseButtonRelease: pulsado_ = -1; break;
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop: {
    if (!enVista)
      break;
    auto *soltar = static_cast<QDropEvent *>(evento);
    const bool dejar = evento->type() == QEvent::Drop;
    bool tomado = false;
    Plataforma::ProtegerEvento(ventana_, [&] {
      tomado = soltar->mimeData() != nullptr && Recibir(i, *soltar->mimeData(), dejar);
    });
    if (tomado) {
      soltar->setDropAction(Qt::CopyAction);
      soltar->accept();
    } else {
      soltar->ignore();
    }
    return true;
  }
  default: break;
  }
  return QObject::eventFilter(objeto, evento);
}
