#include "ui/widgets/ListaCarpetas.h"
#include "ui/widgets/Rutas.h"

#include "platform/Errores.h"
#include "ui/widgets/CarpetasUnidad.h"
#include "ui/widgets/LimiteEvento.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include <vector>

namespace {

constexpr int RolRuta = Qt::UserRole;

// A small folder picture, open (for the chain) or shut (for the subfolders).
QIcon IconoCarpeta(bool abierta) {
  QPixmap imagen(16, 16);
  imagen.fill(Qt::transparent);
  QPainter p(&imagen);
  p.setPen(QColor(128, 96, 0));
  p.setBrush(QColor(255, 220, 80));
  p.drawRect(1, 4, 13, 9);
  p.drawRect(1, 2, 5, 2);
  if (abierta) {
    p.setBrush(QColor(255, 240, 160));
    const QPoint tapa[] = {{3, 7}, {15, 7}, {13, 13}, {1, 13}};
    p.drawPolygon(tapa, 4);
  }
  return QIcon(imagen);
}

} // namespace

ListaCarpetas::ListaCarpetas(QWidget *padre) : QTreeWidget(padre) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(9);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem *elemento, int) { Abrir(elemento); });
  path_ = QDir::cleanPath(QDir::currentPath());
  Listar();
}

void ListaCarpetas::SetPath(const QString &ruta) {
  IrA(CarpetasUnidad::EsUnidad(ruta) ? CarpetasUnidad::CarpetaActual(ruta) : ruta);
}

void ListaCarpetas::IrA(const QString &ruta) {
  const QString nueva = Rutas::RutaCompleta(path_, ruta);
  const QFileInfo info(nueva);
  if (!info.exists() || !info.isDir())
    LanzarError(Errores::RutaNoEncontrada);
  if (!QDir(nueva).isReadable())
    LanzarError(Errores::ErrorAccesoRuta);
  const bool cambia = nueva != path_;
  path_ = nueva;
  CarpetasUnidad::Recordar(path_);
  Listar();
  if (cambia)
    emit Change();
}

QString ListaCarpetas::RutaDeFila(int fila) const {
  int n = 0;
  for (QTreeWidgetItemIterator it(const_cast<ListaCarpetas *>(this)); *it; ++it, ++n) {
    if (n == fila)
      return (*it)->data(0, RolRuta).toString();
  }
  return {};
}

void ListaCarpetas::keyPressEvent(QKeyEvent *evento) {
  if ((evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter) && currentItem()) {
    Abrir(currentItem());
    evento->accept();
    return;
  }
  QTreeWidget::keyPressEvent(evento);
}

void ListaCarpetas::Abrir(QTreeWidgetItem *elemento) {
  if (elemento == nullptr)
    return;
  const QString ruta = elemento->data(0, RolRuta).toString();
  // A user's move: whatever fails is told here, the list stays where it was.
  Plataforma::ProtegerEvento(this, [this, ruta] { IrA(ruta); });
}

void ListaCarpetas::Listar() {
  clear();
  // The chain from the root down to the current folder.
  std::vector<QString> cadena;
  QDir dir(path_);
  cadena.push_back(dir.absolutePath());
  while (!dir.isRoot() && dir.cdUp())
    cadena.push_back(dir.absolutePath());

  const QIcon abierta = IconoCarpeta(true);
  const QIcon cerrada = IconoCarpeta(false);
  QTreeWidgetItem *padre = nullptr;
  for (auto it = cadena.rbegin(); it != cadena.rend(); ++it) {
    const QString nombre =
        padre == nullptr ? QDir::toNativeSeparators(*it) : QFileInfo(*it).fileName();
    auto *elemento = padre == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(padre);
    elemento->setText(0, nombre);
    elemento->setIcon(0, abierta);
    elemento->setData(0, RolRuta, *it);
    padre = elemento;
  }
  QTreeWidgetItem *actual = padre;

  const QFileInfoList subcarpetas =
      QDir(path_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo &sub : subcarpetas) {
    auto *elemento = new QTreeWidgetItem(actual);
    elemento->setText(0, sub.fileName());
    elemento->setIcon(0, cerrada);
    elemento->setData(0, RolRuta, sub.absoluteFilePath());
  }
  expandAll();
  setCurrentItem(actual);
  scrollToItem(actual, QAbstractItemView::PositionAtTop);
}
