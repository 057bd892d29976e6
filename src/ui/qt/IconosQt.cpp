#include "ui/qt/IconosQt.h"

#include "ui/auxiliary/Portada.h"
#include "ui/main/Iconos.h"
#include "ui/widgets/ListaImagenes.h"

#include <QDir>

namespace Iconos {

QPixmap PixmapIcono(const QString &clave) {
  const Pixeles pixeles = PintarIcono(clave.toStdString());
  QImage imagen(Lado, Lado, QImage::Format_RGB32);
  for (int y = 0; y < Lado; ++y) {
    for (int x = 0; x < Lado; ++x) {
      const Disposicion::Color c = pixeles[static_cast<std::size_t>(y * Lado + x)];
      imagen.setPixel(x, y, qRgb(c.rojo, c.verde, c.azul));
    }
  }
  return QPixmap::fromImage(imagen);
}

void LlenarImageEXT(ListaImagenes &lista) {
  for (const std::string &clave : ClavesCatalogo()) {
    const QString q = QString::fromStdString(clave);
    lista.Agregar(q, PixmapIcono(q));
  }
}

QIcon IconoAlcove() {
  // Every size drawn at build time from data/icono/alcove.svg, the file the
  // desktop's menu shows too.
  QIcon icono;
  const QDir carpeta(QStringLiteral(":/alcove/iconos"));
  for (const QString &nombre : carpeta.entryList({QStringLiteral("alcove-*.png")}, QDir::Files)) {
    const QPixmap imagen(carpeta.filePath(nombre));
    if (!imagen.isNull())
      icono.addPixmap(imagen);
  }
  return icono;
}

QImage ImagenPortada() {
  const Portada portada = DibujarPortada();
  QImage imagen(portada.ancho, portada.alto, QImage::Format_Indexed8);
  QList<QRgb> tabla;
  for (const Disposicion::Color &c : portada.paleta)
    tabla << qRgb(c.rojo, c.verde, c.azul);
  imagen.setColorTable(tabla);
  for (int y = 0; y < portada.alto; ++y) {
    const auto *fila = portada.indices.data() + static_cast<std::size_t>(y * portada.ancho);
    std::copy(fila, fila + portada.ancho, imagen.scanLine(y));
  }
  return imagen;
}

} // namespace Iconos
