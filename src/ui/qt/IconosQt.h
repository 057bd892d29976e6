#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

class ListaImagenes;

// The program's pictures as Qt shows them.
namespace Iconos {

// The catalogue picture for key `clave` (Iconos::PintarIcono) as a pixmap.
[[nodiscard]] QPixmap PixmapIcono(const QString &clave);

// Fills `lista` with the catalogue icons in the order of ClavesCatalogo.
void LlenarImageEXT(ListaImagenes &lista);

// The window icon: a 3-inch CPC disk, at every size the program carries.
[[nodiscard]] QIcon IconoAlcove();

// The about window's picture as an indexed image.
[[nodiscard]] QImage ImagenPortada();

} // namespace Iconos
