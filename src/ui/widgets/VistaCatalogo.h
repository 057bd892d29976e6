#pragma once

#include "ui/controles/FilasOrdenadas.h"
#include "ui/widgets/ListaImagenes.h"

#include <QAbstractTableModel>
#include <QString>
#include <QTreeView>

#include <array>
#include <cstdint>
#include <vector>

// A list view in report layout: rows of texts under column headings, a small
// icon before each row's first text, and a sorted mode that keeps the rows in
// order of one column's texts.
//
// The rows and their order are FilasOrdenadas', the rule every host's list
// view shares: texts compare ignoring letter case, character by character (no
// locale rules); rows whose texts are equal keep the order in which they were
// added, in either direction.
class ModeloCatalogo : public QAbstractTableModel {
  Q_OBJECT

public:
  static constexpr int Columnas = 4;
  using Textos = std::array<QString, Columnas>;
  // Role that gives the key of a row's small icon in the image list.
  static constexpr int RolClaveIcono = Qt::UserRole + 1;

  explicit ModeloCatalogo(QObject *padre = nullptr);

  void FijarCabeceras(const Textos &titulos, const std::array<Qt::Alignment, Columnas> &alineacion);
  // The small icons; the model keeps its own copy (the pictures are shared).
  void FijarImagenes(const ListaImagenes &imagenes) { imagenes_ = imagenes; }

  // Removes every row.
  void Clear();
  // Adds a row, placed by the sort order; returns its position (0-based).
  int Add(const Textos &textos, int iconoPequeno);

  [[nodiscard]] bool Sorted() const { return filas_.Sorted(); }
  [[nodiscard]] std::int16_t SortKey() const { return filas_.SortKey(); }
  [[nodiscard]] int SortOrder() const { return filas_.SortOrder(); }
  void SetSorted(bool ordenado);
  // Column 0..3; anything else throws ErrorAlcove.
  void SetSortKey(std::int16_t clave);
  // 0 ascending, 1 descending.
  void SetSortOrder(int orden);

  [[nodiscard]] QString Texto(int fila, int columna) const;
  [[nodiscard]] int IconoPequeno(int fila) const;
  [[nodiscard]] const ListaImagenes &Imagenes() const { return imagenes_; }
  // The order in which the row at `fila` was added since the last Clear, from
  // 0; -1 for no row. The rows carry no key: this tells which entry made one.
  [[nodiscard]] int Llegada(int fila) const { return filas_.Llegada(fila); }

  [[nodiscard]] int rowCount(const QModelIndex &padre = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex &padre = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex &indice, int rol) const override;
  [[nodiscard]] QVariant headerData(int seccion, Qt::Orientation orientacion,
                                    int rol) const override;

private:
  // Tells the views of the rows' new places.
  void Reordenar(const std::vector<int> &destino);

  FilasOrdenadas filas_;
  Textos titulos_;
  std::array<Qt::Alignment, Columnas> alineacion_{};
  ListaImagenes imagenes_;
};

class VistaCatalogo : public QTreeView {
  Q_OBJECT

public:
  explicit VistaCatalogo(QWidget *padre = nullptr);

  [[nodiscard]] ModeloCatalogo &ListItems() { return modelo_; }
  [[nodiscard]] const ModeloCatalogo &ListItems() const { return modelo_; }

signals:
  // A column heading was clicked; `columnHeader` is its 1-based position.
  void ColumnClick(int columnHeader);

private:
  ModeloCatalogo modelo_;
};
