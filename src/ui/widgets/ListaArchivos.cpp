#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/Rutas.h"

#include "disk/Formato.h"
#include "platform/Errores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <filesystem>
#include <system_error>

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
  Mostrar(ArchivosDe(path_));
}

void ListaArchivos::Mostrar(std::vector<Archivo> archivos) {
  QStringList nombres;
  nombres.reserve(static_cast<qsizetype>(archivos.size()));
  bytes_.clear();
  bytes_.reserve(archivos.size());
  for (Archivo &a : archivos) {
    nombres << a.nombre;
    bytes_.push_back(std::move(a.bytes));
  }
  modelo_.setStringList(nombres);
}

std::vector<ListaArchivos::Archivo> ListaArchivos::ArchivosDe(const QString &carpeta) {
  // Names are taken as the host's bytes, so that an image whose name is not
  // valid UTF-8 is listed and opens. The extension matches whatever its case;
  // hidden files and broken links stay out, as they would in a file manager.
  std::vector<Archivo> archivos;
  std::error_code ec;
  const std::filesystem::path raiz(QFile::encodeName(carpeta).toStdString());
  for (std::filesystem::directory_iterator it(raiz, ec), fin; !ec && it != fin; it.increment(ec)) {
    std::string nombre = it->path().filename().native();
    if (nombre.front() == '.')
      continue;
    std::error_code ecTipo;
    if (!Formato::EsNombreDeImagen(nombre) || !it->is_regular_file(ecTipo))
      continue;
    archivos.push_back({QFile::decodeName(QByteArray::fromStdString(nombre)), std::move(nombre)});
  }
  std::sort(archivos.begin(), archivos.end(), [](const Archivo &a, const Archivo &b) {
    const int sinCaso = a.nombre.compare(b.nombre, Qt::CaseInsensitive);
    return sinCaso != 0 ? sinCaso < 0 : a.bytes < b.bytes;
  });
  return archivos;
}

void ListaArchivos::SetPath(const QString &ruta) {
  const QString limpia = Rutas::RutaCompleta(path_, ruta);
  const QFileInfo info(limpia);
  if (!info.exists() || !info.isDir())
    LanzarError(Errores::RutaNoEncontrada);
  if (!QDir(limpia).isReadable())
    LanzarError(Errores::ErrorAccesoRuta);
  std::vector<Archivo> archivos = Todos(limpia);
  path_ = limpia;
  Mostrar(std::move(archivos));
}

std::vector<ListaArchivos::Archivo> ListaArchivos::Todos(const QString &carpeta) const {
  std::vector<Archivo> archivos = ArchivosDe(carpeta);
  if (otras_) {
    for (std::string &nombre : otras_(QFile::encodeName(carpeta).toStdString()))
      archivos.push_back({QFile::decodeName(QByteArray::fromStdString(nombre)), std::move(nombre)});
  }
  return archivos;
}

void ListaArchivos::FijarOtrasImagenes(OtrasImagenes otras) {
  otras_ = std::move(otras);
  Mostrar(Todos(path_));
}

QString ListaArchivos::FileName() const {
  const QModelIndex indice = currentIndex();
  return indice.isValid() ? indice.data().toString() : QString();
}

std::string ListaArchivos::FileNameBytes() const {
  const QModelIndex indice = currentIndex();
  const auto fila = static_cast<std::size_t>(indice.row());
  return indice.isValid() && fila < bytes_.size() ? bytes_[fila] : std::string();
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

// A name wider than the list is cut at its edge: its tooltip shows it whole.
bool ListaArchivos::viewportEvent(QEvent *evento) {
  if (evento->type() != QEvent::ToolTip) {
    return QListView::viewportEvent(evento);
  }
  const auto *ayuda = static_cast<QHelpEvent *>(evento);
  const QModelIndex indice = indexAt(ayuda->pos());
  const QString nombre = indice.isValid() ? indice.data().toString() : QString();
  // The item's text sits inside the style's focus margins, as views draw it.
  const int margen = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  // A long name widens the list past its edge (scrolled) or is elided: either
  // way what shows of it is the part of its row inside the viewport.
  const QRect celda =
      indice.isValid() ? visualRect(indice).intersected(viewport()->rect()) : QRect();
  if (!nombre.isEmpty() && fontMetrics().horizontalAdvance(nombre) > celda.width() - 2 * margen) {
    QToolTip::showText(ayuda->globalPos(), nombre, viewport(), celda);
  } else {
    QToolTip::hideText();
    evento->ignore();
  }
  return true;
}
