#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <vector>

// An image list: small pictures found by key or by position. Positions count
// from 1, as the list views that use it expect; keys compare exactly.
class ListaImagenes {
public:
  // Pixels of `mascara` in an added picture become transparent.
  explicit ListaImagenes(QColor mascara = QColor(192, 192, 192)) : mascara_(mascara) {}

  void Agregar(const QString &clave, const QPixmap &imagen);

  [[nodiscard]] int Count() const { return static_cast<int>(imagenes_.size()); }
  // Key of image `posicion` (1..Count); empty outside.
  [[nodiscard]] QString Key(int posicion) const;
  // Position of the image with key `clave`; 0 when there is none.
  [[nodiscard]] int Index(const QString &clave) const;
  // Picture of image `posicion`; a null icon outside 1..Count.
  [[nodiscard]] QIcon Icono(int posicion) const;

private:
  struct Imagen {
    QString clave;
    QIcon icono;
  };
  QColor mascara_;
  std::vector<Imagen> imagenes_;
};
