#include "ui/widgets/VistaCatalogo.h"

#include "platform/Errores.h"
#include "ui/widgets/ListaImagenes.h"

#include <QHeaderView>

#include <algorithm>
#include <numeric>

ModeloCatalogo::ModeloCatalogo(QObject *padre) : QAbstractTableModel(padre) {
  alineacion_.fill(Qt::AlignLeft | Qt::AlignVCenter);
}

void ModeloCatalogo::FijarCabeceras(const Textos &titulos,
                                    const std::array<Qt::Alignment, Columnas> &alineacion) {
  titulos_ = titulos;
  alineacion_ = alineacion;
  emit headerDataChanged(Qt::Horizontal, 0, Columnas - 1);
}

void ModeloCatalogo::Clear() {
  beginResetModel();
  filas_.clear();
  siguienteLlegada_ = 0;
  endResetModel();
}

bool ModeloCatalogo::Antes(const Fila &a, const Fila &b) const {
  const auto columna = static_cast<std::size_t>(clave_);
  const int comparacion = a.textos[columna].compare(b.textos[columna], Qt::CaseInsensitive);
  if (comparacion != 0)
    return orden_ == 0 ? comparacion < 0 : comparacion > 0;
  return a.llegada < b.llegada;
}

int ModeloCatalogo::Add(const Textos &textos, int iconoPequeno) {
  Fila nueva{textos, iconoPequeno, siguienteLlegada_++};
  auto sitio = filas_.end();
  if (ordenado_) {
    sitio = std::upper_bound(filas_.begin(), filas_.end(), nueva,
                             [this](const Fila &a, const Fila &b) { return Antes(a, b); });
  }
  const int posicion = static_cast<int>(sitio - filas_.begin());
  beginInsertRows({}, posicion, posicion);
  filas_.insert(sitio, std::move(nueva));
  endInsertRows();
  return posicion;
}

void ModeloCatalogo::SetSorted(bool ordenado) {
  ordenado_ = ordenado;
  Reordenar();
}

void ModeloCatalogo::SetSortKey(std::int16_t clave) {
  if (clave < 0 || clave >= Columnas)
    LanzarError(Errores::ArgumentoNoValido);
  clave_ = clave;
  Reordenar();
}

void ModeloCatalogo::SetSortOrder(int orden) {
  orden_ = orden == 0 ? 0 : 1;
  Reordenar();
}

void ModeloCatalogo::Reordenar() {
  if (!ordenado_ || filas_.size() < 2)
    return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<std::size_t> nuevoOrden(filas_.size());
  std::iota(nuevoOrden.begin(), nuevoOrden.end(), std::size_t{0});
  std::stable_sort(nuevoOrden.begin(), nuevoOrden.end(),
                   [this](std::size_t a, std::size_t b) { return Antes(filas_[a], filas_[b]); });
  std::vector<Fila> ordenadas;
  ordenadas.reserve(filas_.size());
  std::vector<int> destino(filas_.size());
  for (std::size_t nueva = 0; nueva < nuevoOrden.size(); ++nueva) {
    destino[nuevoOrden[nueva]] = static_cast<int>(nueva);
    ordenadas.push_back(std::move(filas_[nuevoOrden[nueva]]));
  }
  filas_ = std::move(ordenadas);
  const QModelIndexList antes = persistentIndexList();
  QModelIndexList despues;
  despues.reserve(antes.size());
  for (const QModelIndex &indice : antes) {
    despues << index(destino[static_cast<std::size_t>(indice.row())], indice.column());
  }
  changePersistentIndexList(antes, despues);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString ModeloCatalogo::Texto(int fila, int columna) const {
  if (fila < 0 || fila >= rowCount() || columna < 0 || columna >= Columnas)
    return {};
  return filas_[static_cast<std::size_t>(fila)].textos[static_cast<std::size_t>(columna)];
}

int ModeloCatalogo::IconoPequeno(int fila) const {
  if (fila < 0 || fila >= rowCount())
    return 0;
  return filas_[static_cast<std::size_t>(fila)].icono;
}

int ModeloCatalogo::Llegada(int fila) const {
  if (fila < 0 || fila >= rowCount())
    return -1;
  return static_cast<int>(filas_[static_cast<std::size_t>(fila)].llegada);
}

int ModeloCatalogo::rowCount(const QModelIndex &padre) const {
  return padre.isValid() ? 0 : static_cast<int>(filas_.size());
}

int ModeloCatalogo::columnCount(const QModelIndex &padre) const {
  return padre.isValid() ? 0 : Columnas;
}

QVariant ModeloCatalogo::data(const QModelIndex &indice, int rol) const {
  if (!indice.isValid())
    return {};
  const Fila &fila = filas_[static_cast<std::size_t>(indice.row())];
  const auto columna = static_cast<std::size_t>(indice.column());
  switch (rol) {
  case Qt::DisplayRole: return fila.textos[columna];
  case Qt::TextAlignmentRole: return static_cast<int>(alineacion_[columna].toInt());
  case Qt::DecorationRole:
    if (columna == 0)
      return imagenes_.Icono(fila.icono);
    return {};
  case RolClaveIcono: return imagenes_.Key(fila.icono);
  default: return {};
  }
}

QVariant ModeloCatalogo::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
  if (orientacion != Qt::Horizontal || seccion < 0 || seccion >= Columnas)
    return {};
  if (rol == Qt::DisplayRole)
    return titulos_[static_cast<std::size_t>(seccion)];
  if (rol == Qt::TextAlignmentRole) {
    return static_cast<int>(alineacion_[static_cast<std::size_t>(seccion)].toInt());
  }
  return {};
}

VistaCatalogo::VistaCatalogo(QWidget *padre) : QTreeView(padre) {
  setModel(&modelo_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The columns are wide enough for their texts: cut nothing short.
  setTextElideMode(Qt::ElideNone);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  connect(header(), &QHeaderView::sectionClicked, this,
          [this](int seccion) { emit ColumnClick(seccion + 1); });
}
