#include "ui/widgets/VistaCatalogo.h"

#include "ui/widgets/ListaImagenes.h"

#include <QHeaderView>

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
  filas_.Clear();
  endResetModel();
}

namespace {
std::string Utf8(const QString &texto) { return texto.toUtf8().toStdString(); }
} // namespace

int ModeloCatalogo::Add(const Textos &textos, int iconoPequeno) {
  FilasOrdenadas::Textos utf8;
  for (std::size_t c = 0; c < utf8.size(); ++c)
    utf8[c] = Utf8(textos[c]);
  const int posicion = filas_.PosicionDe(utf8);
  beginInsertRows({}, posicion, posicion);
  filas_.Add(utf8, iconoPequeno);
  endInsertRows();
  return posicion;
}

void ModeloCatalogo::SetSorted(bool ordenado) { Reordenar(filas_.SetSorted(ordenado)); }

void ModeloCatalogo::SetSortKey(std::int16_t clave) { Reordenar(filas_.SetSortKey(clave)); }

void ModeloCatalogo::SetSortOrder(int orden) { Reordenar(filas_.SetSortOrder(orden)); }

void ModeloCatalogo::Reordenar(const std::vector<int> &destino) {
  if (destino.size() < 2)
    return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
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
  return QString::fromStdString(filas_[fila].textos[static_cast<std::size_t>(columna)]);
}

int ModeloCatalogo::IconoPequeno(int fila) const {
  if (fila < 0 || fila >= rowCount())
    return 0;
  return filas_[fila].icono;
}

int ModeloCatalogo::rowCount(const QModelIndex &padre) const {
  return padre.isValid() ? 0 : filas_.size();
}

int ModeloCatalogo::columnCount(const QModelIndex &padre) const {
  return padre.isValid() ? 0 : Columnas;
}

QVariant ModeloCatalogo::data(const QModelIndex &indice, int rol) const {
  if (!indice.isValid())
    return {};
  const FilasOrdenadas::Fila &fila = filas_[indice.row()];
  const auto columna = static_cast<std::size_t>(indice.column());
  switch (rol) {
  case Qt::DisplayRole: return QString::fromStdString(fila.textos[columna]);
  case Qt::TextAlignmentRole: return static_cast<int>(alineacion_[columna].toInt());
  case Qt::DecorationRole:
    if (columna == 0)
      return imagenes_.Icono(fila.icono);
    return {};
  case RolClaveIcono: return QString::fromStdString(imagenes_.Key(fila.icono));
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
