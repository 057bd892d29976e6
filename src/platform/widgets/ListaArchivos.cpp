#include "platform/widgets/ListaArchivos.h"

#include "platform/Errores.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

ListaArchivos::ListaArchivos(QWidget *padre) : QListView(padre) {
  setModel(&modelo_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A press that does not change the selection still means "this file": the
  // click that follows raises Click once.
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &indice) {
    if (indice.isValid() && !elegidoAlPulsar_)
      emit Click();
  });
  path_ = QDir::cleanPath(QDir::currentPath());
  modelo_.setStringList(ArchivosDe(path_));
}

QStringList ListaArchivos::ArchivosDe(const QString &carpeta) {
  // Name filters of QDir ignore letter case unless told otherwise. Hidden files
  // and broken links stay out, as they would in a file manager.
  QStringList nombres;
  QDirIterator it(carpeta, {Pattern()}, QDir::Files);
  while (it.hasNext())
    nombres << it.nextFileInfo().fileName();
  std::sort(nombres.begin(), nombres.end(), [](const QString &a, const QString &b) {
    const int sinCaso = a.compare(b, Qt::CaseInsensitive);
    return sinCaso != 0 ? sinCaso < 0 : a < b;
  });
  return nombres;
}

void ListaArchivos::SetPath(const QString &ruta) {
  const QString limpia =
      QDir::cleanPath(QDir::isAbsolutePath(QDir::fromNativeSeparators(ruta))
                          ? QDir::fromNativeSeparators(ruta)
                          : QDir(path_).absoluteFilePath(QDir::fromNativeSeparators(ruta)));
  const QFileInfo info(limpia);
  if (!info.exists() || !info.isDir())
    LanzarError(Errores::RutaNoEncontrada);
  if (!QDir(limpia).isReadable())
    LanzarError(Errores::ErrorAccesoRuta);
  QStringList nombres = ArchivosDe(limpia);
  path_ = limpia;
  modelo_.setStringList(std::move(nombres));
}

QString ListaArchivos::FileName() const {
  const QModelIndex indice = currentIndex();
  return indice.isValid() ? indice.data().toString() : QString();
}

void ListaArchivos::mousePressEvent(QMouseEvent *evento) {
  elegidoAlPulsar_ = false;
  porUsuario_ = true;
  QListView::mousePressEvent(evento);
  porUsuario_ = false;
}

void ListaArchivos::mouseMoveEvent(QMouseEvent *evento) {
  // Dragging across the list moves the selection: each file reached is chosen.
  porUsuario_ = true;
  QListView::mouseMoveEvent(evento);
  porUsuario_ = false;
}

void ListaArchivos::keyPressEvent(QKeyEvent *evento) {
  porUsuario_ = true;
  QListView::keyPressEvent(evento);
  porUsuario_ = false;
}

void ListaArchivos::currentChanged(const QModelIndex &actual, const QModelIndex &anterior) {
  QListView::currentChanged(actual, anterior);
  if (porUsuario_ && actual.isValid()) {
    elegidoAlPulsar_ = true;
    emit Click();
  }
}
