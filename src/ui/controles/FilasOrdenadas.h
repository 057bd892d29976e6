#pragma once

#include "ui/controles/Controles.h"

#include <cstdint>
#include <vector>

// The rows of a list view in report layout and its sorted mode, for every
// host's list view to show: rows are placed by one column's texts, compared
// ignoring letter case (Texto::CompararSinCaso); rows whose texts are equal keep
// the order in which they were added, in either direction.
class FilasOrdenadas {
public:
  using Textos = Controles::VistaLista::Textos;
  struct Fila {
    Textos textos;
    int icono = 0;
    std::uint64_t llegada = 0; // order of addition, for equal texts
  };

  void Clear() {
    filas_.clear();
    siguienteLlegada_ = 0;
  }
  // Adds a row where the sort order puts it (at the end when unsorted); returns
  // its position.
  int Add(const Textos &textos, int icono);
  // Where Add would put a row with `textos` now.
  [[nodiscard]] int PosicionDe(const Textos &textos) const;

  [[nodiscard]] bool Sorted() const { return ordenado_; }
  [[nodiscard]] std::int16_t SortKey() const { return clave_; }
  [[nodiscard]] int SortOrder() const { return orden_; }
  // Each of these sorts the rows again and returns, for each row's old position,
  // its new one.
  std::vector<int> SetSorted(bool ordenado);
  // Column 0..3; anything else throws ErrorAlcove and changes nothing.
  std::vector<int> SetSortKey(std::int16_t clave);
  // 0 ascending, anything else descending.
  std::vector<int> SetSortOrder(int orden);

  [[nodiscard]] int size() const { return static_cast<int>(filas_.size()); }
  [[nodiscard]] const Fila &operator[](int posicion) const {
    return filas_[static_cast<std::size_t>(posicion)];
  }
  // The order in which the row at `posicion` was added since the last Clear,
  // from 0; -1 for no row.
  [[nodiscard]] int Llegada(int posicion) const {
    return posicion < 0 || posicion >= size()
               ? -1
               : static_cast<int>(filas_[static_cast<std::size_t>(posicion)].llegada);
  }

private:
  [[nodiscard]] bool Antes(const Fila &a, const Fila &b) const;
  std::vector<int> Reordenar();

  std::vector<Fila> filas_;
  std::uint64_t siguienteLlegada_ = 0;
  bool ordenado_ = true;
  std::int16_t clave_ = 0;
  int orden_ = 0;
};
