#pragma once

#include "ui/controles/Controles.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <string>
#include <vector>

// An image list: small pictures found by key or by position. Positions count
// from 1, as the list views that use it expect; keys compare exactly.
class ListaImagenes final : public Controles::ListaImagenes {
public:
  // Pixels of `mascara` in an added picture become transparent.
  explicit ListaImagenes(QColor mascara = QColor(192, 192, 192)) : mascara_(mascara) {}

  void Agregar(const QString &clave, const QPixmap &imagen);

  [[nodiscard]] int Count() const override { return static_cast<int>(imagenes_.size()); }
  // Key of image `posicion` (1..Count); empty outside.
  [[nodiscard]] std::string Key(int posicion) const override;
  // Position of the image with key `clave`; 0 when there is none.
  [[nodiscard]] int Index(const std::string &clave) const override;
  // Picture of image `posicion`; a null icon outside 1..Count.
  [[nodiscard]] QIcon Icono(int posicion) const;

private:
  struct Imagen {
    std::string clave;
    QIcon icono;
  };
  QColor mascara_;
  std::vector<Imagen> imagenes_;
};
