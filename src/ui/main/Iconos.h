#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

class ListaImagenes;

// The program's pictures, drawn here at start-up.
namespace Iconos {

// Keys of the small catalogue icons, in the order the image list holds them.
[[nodiscard]] QStringList ClavesCatalogo();

// The 16 x 16 picture for key `clave` on a silver background (the image list's
// mask colour); an unknown key gets the "Unknow" picture.
[[nodiscard]] QPixmap PintarIcono(const QString &clave);

// Fills `lista` with the catalogue icons in the order of ClavesCatalogo.
void LlenarImageEXT(ListaImagenes &lista);

// The window icon: a 3-inch CPC disk, at every size the program carries.
[[nodiscard]] QIcon IconoAlcove();

} // namespace Iconos
