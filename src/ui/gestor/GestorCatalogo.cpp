#include "ui/gestor/GestorCatalogo.h"

#include "ui/gestor/DialogosQt.h"
#include "ui/gestor/F_Ver.h"
#include "ui/widgets/Estilo.h"
#include "ui/widgets/LimiteEvento.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/VistaCatalogo.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

// What a drag between the two panes carries besides the files: the pane it left.
const QString FormatoFilas = QStringLiteral("application/x-alcove-filas");
constexpr double PuntosMenu = 9.75;

std::string Bytes(const QString &ruta) { return QFile::encodeName(ruta).toStdString(); }
QString Utf8(const std::string &texto) { return QString::fromStdString(texto); }

// The pane a drag of rows left, and this process's id: rows of another
// Alcove's window are only its files here.
QByteArray Filas(int panel) {
  return QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(panel);
}

// What a drop brings, as the decisions take it; nothing when it brings
// anything but rows of this window or local files.
std::optional<Gestion::Soltado> Soltado(const QMimeData &datos) {
  Gestion::Soltado soltado;
  const QList<QByteArray> filas = datos.data(FormatoFilas).split(' ');
  bool proceso = false, panel = false;
  if (filas.size() == 2 && filas[0].toLongLong(&proceso) == QCoreApplication::applicationPid() &&
      proceso) {
    soltado.panel = filas[1].toInt(&panel);
    if (panel)
      return soltado;
    soltado.panel = -1;
  }
  if (!datos.hasUrls())
    return std::nullopt;
  for (const QUrl &url : datos.urls()) {
    if (!url.isLocalFile())
      return std::nullopt;
    soltado.rutas.push_back(Bytes(url.toLocalFile()));
  }
  return soltado;
}

} // namespace

GestorCatalogo::GestorCatalogo(QWidget *ventana, std::array<VistaCatalogo *, 2> vistas,
                               std::array<ListaArchivos *, 2> archivos,
                               std::array<Gestion::PanelVentana, 2> paneles)
    : QObject(ventana), ventana_(ventana), vistas_(vistas),
      propios_(std::make_unique<DialogosQt>(ventana)) {
  paneles_ = std::make_unique<Gestion::GestorPaneles>(
      std::move(paneles), Gestion::DialogosEnUso(*propios_), [this](Gestion::Visor visor) {
        auto *ver = new F_Ver(ventana_, std::move(visor));
        ver->show();
      });
  for (int i = 0; i < 2; ++i) {
    VistaCatalogo *vista = vistas_[static_cast<std::size_t>(i)];
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
    // After the window's own handler, which cannot open images inside zips.
    connect(archivos[static_cast<std::size_t>(i)], &ListaArchivos::Click, this, [this, i] {
      Plataforma::ProtegerEvento(ventana_, [this, i] { paneles_->ArchivoElegido(i); });
    });
  }
}

GestorCatalogo::~GestorCatalogo() = default;

int GestorCatalogo::PanelDe(const QObject *objeto) const {
  const auto it = std::find(vigilados_.begin(), vigilados_.end(), objeto);
  return it == vigilados_.end() ? -1 : static_cast<int>(it - vigilados_.begin()) / 2;
}

void GestorCatalogo::Ver(int i) { paneles_->Ver(i); }

QMenu *GestorCatalogo::AbrirMenu(int i, QPoint punto, bool deTeclado) {
  VistaCatalogo *vista = vistas_[static_cast<std::size_t>(i)];
  const QModelIndex debajo = vista->indexAt(punto);
  const std::vector<Gestion::OpcionMenu> opciones =
      paneles_->Menu(i, debajo.isValid() ? debajo.row() : -1, deTeclado);
  if (deTeclado && vista->currentIndex().isValid())
    punto = vista->visualRect(vista->currentIndex()).center();
  auto *menu = new QMenu(vista);
  menu->setObjectName(QStringLiteral("MenuCatalogo_%1").arg(i));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The program's look, as the lists around it.
  menu->setFont(Estilo::Courier(PuntosMenu));
  Estilo::AmarilloSobreAzul(menu);
  for (const Gestion::OpcionMenu &opcion : opciones) {
    if (opcion.Separador()) {
      menu->addSeparator();
      continue;
    }
    QAction *accion = menu->addAction(Utf8(opcion.texto));
    accion->setObjectName(Utf8(opcion.nombre));
    accion->setEnabled(opcion.habilitada);
    accion->setCheckable(opcion.marcable);
    accion->setChecked(opcion.marcada);
    // Run once the menu's own handler has returned: the menu deletes itself on
    // closing, and an action lets events run (its dialogs, the progress
    // window), which would delete it under that handler.
    connect(accion, &QAction::triggered, this, [this, hacer = opcion.hacer] {
      QMetaObject::invokeMethod(
          this, [this, hacer] { Plataforma::ProtegerEvento(ventana_, hacer); },
          Qt::QueuedConnection);
    });
  }
  menu->popup(vista->viewport()->mapToGlobal(punto));
  return menu;
}

QMimeData *GestorCatalogo::DatosArrastre(int i) {
  const std::vector<std::string> rutas = paneles_->Arrastrar(i);
  if (rutas.empty())
    return nullptr;
  auto *datos = new QMimeData;
  QList<QUrl> urls;
  for (const std::string &ruta : rutas)
    urls << QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(ruta)));
  datos->setUrls(urls);
  datos->setData(FormatoFilas, Filas(i));
  return datos;
}

void GestorCatalogo::Arrastrar(int i) {
  QMimeData *datos = DatosArrastre(i);
  if (datos == nullptr)
    return;
  auto *arrastre = new QDrag(vistas_[static_cast<std::size_t>(i)]);
  arrastre->setMimeData(datos);
  paneles_->FinArrastre(arrastre->exec(Qt::CopyAction) != Qt::IgnoreAction);
}

bool GestorCatalogo::Recibir(int i, const QMimeData &datos, bool soltar) {
  const std::optional<Gestion::Soltado> soltado = Soltado(datos);
  if (!soltado)
    return false;
  std::function<void()> trabajo = paneles_->Recibir(i, *soltado);
  if (!trabajo)
    return false;
  if (soltar) {
    // After the drop has ended: the other end is not kept waiting on a question.
    QTimer::singleShot(0, this, [this, trabajo = std::move(trabajo)] {
      Plataforma::ProtegerEvento(ventana_, trabajo);
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
  VistaCatalogo *vista = vistas_[static_cast<std::size_t>(i)];
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
      Plataforma::ProtegerEvento(ventana_, [&] { paneles_->BorrarSeleccion(i); });
      return true;
    }
    if (tecla->key() == Qt::Key_F2) {
      Plataforma::ProtegerEvento(ventana_, [&] { paneles_->RenombrarSeleccion(i); });
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
