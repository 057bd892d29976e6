#include "ui/widgets/ListaImagenes.h"

#include <QBitmap>

void ListaImagenes::Agregar(const QString &clave, const QPixmap &imagen) {
  QPixmap conMascara = imagen;
  conMascara.setMask(imagen.createMaskFromColor(mascara_, Qt::MaskInColor));
  imagenes_.push_back({clave.toStdString(), QIcon(conMascara)});
}

std::string ListaImagenes::Key(int posicion) const {
  if (posicion < 1 || posicion > Count())
    return {};
  return imagenes_[static_cast<std::size_t>(posicion - 1)].clave;
}

int ListaImagenes::Index(const std::string &clave) const {
  for (int j = 1; j <= Count(); ++j) {
    if (imagenes_[static_cast<std::size_t>(j - 1)].clave == clave)
      return j;
  }
  return 0;
}

QIcon ListaImagenes::Icono(int posicion) const {
  if (posicion < 1 || posicion > Count())
    return {};
  return imagenes_[static_cast<std::size_t>(posicion - 1)].icono;
}
