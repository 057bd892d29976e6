#include "ui/controles/FilasOrdenadas.h"

#include "platform/Errores.h"
#include "ui/controles/Texto.h"

#include <algorithm>
#include <numeric>

bool FilasOrdenadas::Antes(const Fila &a, const Fila &b) const {
  const auto columna = static_cast<std::size_t>(clave_);
  const int comparacion = Texto::CompararSinCaso(a.textos[columna], b.textos[columna]);
  if (comparacion != 0)
    return orden_ == 0 ? comparacion < 0 : comparacion > 0;
  return a.llegada < b.llegada;
}

int FilasOrdenadas::PosicionDe(const Textos &textos) const {
  if (!ordenado_)
    return size();
  const Fila nueva{textos, 0, siguienteLlegada_};
  const auto sitio = std::upper_bound(filas_.begin(), filas_.end(), nueva,
                                      [this](const Fila &a, const Fila &b) { return Antes(a, b); });
  return static_cast<int>(sitio - filas_.begin());
}

int FilasOrdenadas::Add(const Textos &textos, int icono) {
  const int posicion = PosicionDe(textos);
  filas_.insert(filas_.begin() + posicion, Fila{textos, icono, siguienteLlegada_++});
  return posicion;
}

std::vector<int> FilasOrdenadas::SetSorted(bool ordenado) {
  ordenado_ = ordenado;
  return Reordenar();
}

std::vector<int> FilasOrdenadas::SetSortKey(std::int16_t clave) {
  if (clave < 0 || clave >= Controles::VistaLista::Columnas)
    LanzarError(Errores::ArgumentoNoValido);
  clave_ = clave;
  return Reordenar();
}

std::vector<int> FilasOrdenadas::SetSortOrder(int orden) {
  orden_ = orden == 0 ? 0 : 1;
  return Reordenar();
}

std::vector<int> FilasOrdenadas::Reordenar() {
  std::vector<int> destino(filas_.size());
  std::iota(destino.begin(), destino.end(), 0);
  if (!ordenado_ || filas_.size() < 2)
    return destino;
  std::vector<std::size_t> nuevoOrden(filas_.size());
  std::iota(nuevoOrden.begin(), nuevoOrden.end(), std::size_t{0});
  std::stable_sort(nuevoOrden.begin(), nuevoOrden.end(),
                   [this](std::size_t a, std::size_t b) { return Antes(filas_[a], filas_[b]); });
  std::vector<Fila> ordenadas;
  ordenadas.reserve(filas_.size());
  for (std::size_t nueva = 0; nueva < nuevoOrden.size(); ++nueva) {
    destino[nuevoOrden[nueva]] = static_cast<int>(nueva);
    ordenadas.push_back(std::move(filas_[nuevoOrden[nueva]]));
  }
  filas_ = std::move(ordenadas);
  return destino;
}
