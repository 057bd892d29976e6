#include "ui/main/Iconos.h"

#include "ui/widgets/Estilo.h"
#include "ui/widgets/ListaImagenes.h"

#include <QDir>
#include <QFont>
#include <QPainter>

namespace Iconos {

namespace {

const QColor Plata(192, 192, 192);

// A sheet of paper with a folded corner, the base of every file picture.
void PintarHoja(QPainter &p, const QColor &papel) {
  const QPoint contorno[] = {{2, 0}, {10, 0}, {14, 4}, {14, 15}, {2, 15}};
  p.setPen(QColor(64, 64, 64));
  p.setBrush(papel);
  p.drawPolygon(contorno, 5);
  p.drawLine(10, 0, 10, 4);
  p.drawLine(10, 4, 14, 4);
}

void PintarDesconocido(QPainter &p) {
  PintarHoja(p, Qt::white);
  QFont fuente;
  fuente.setPixelSize(12);
  fuente.setBold(true);
  p.setFont(fuente);
  p.setPen(Estilo::AzulOscuro());
  p.drawText(QRect(2, 2, 12, 13), Qt::AlignCenter, QStringLiteral("?"));
}

void PintarBasic(QPainter &p) {
  PintarHoja(p, Qt::white);
  // A listing: line numbers in red, statements in blue.
  for (int y = 3; y <= 13; y += 2) {
    p.fillRect(4, y, 2, 1, QColor(200, 0, 0));
    p.fillRect(7, y, (y % 4 == 1) ? 6 : 4, 1, Estilo::AzulOscuro());
  }
}

void PintarBinario(QPainter &p) {
  PintarHoja(p, Qt::white);
  // Bits: a little grid of set and clear cells.
  static constexpr int bits[4] = {0b101, 0b011, 0b110, 0b100};
  for (int fila = 0; fila < 4; ++fila) {
    for (int col = 0; col < 3; ++col) {
      const bool uno = ((bits[fila] >> (2 - col)) & 1) != 0;
      p.fillRect(4 + col * 3, 3 + fila * 3, 2, 2,
                 uno ? Estilo::AzulOscuro() : QColor(176, 176, 176));
    }
  }
}

void PintarCopia(QPainter &p) {
  PintarHoja(p, QColor(255, 255, 200));
  // A round arrow: the copy kept of an earlier version.
  p.setPen(QPen(QColor(0, 128, 0), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(4.5, 6, 7, 7), 90 * 16, 270 * 16);
  const QPointF punta[] = {{8, 4}, {10.5, 6.5}, {8, 8.5}};
  p.setBrush(QColor(0, 128, 0));
  p.setPen(Qt::NoPen);
  p.drawPolygon(punta, 3);
}

} // namespace

QStringList ClavesCatalogo() {
  return {QStringLiteral("Unknow"), QStringLiteral("BAK"), QStringLiteral("BAS"),
          QStringLiteral("BIN")};
}

QPixmap PintarIcono(const QString &clave) {
  QPixmap imagen(16, 16);
  imagen.fill(Plata);
  QPainter p(&imagen);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (clave == QLatin1String("BAK")) {
    PintarCopia(p);
  } else if (clave == QLatin1String("BAS")) {
    PintarBasic(p);
  } else if (clave == QLatin1String("BIN")) {
    PintarBinario(p);
  } else {
    PintarDesconocido(p);
  }
  return imagen;
}

void LlenarImageEXT(ListaImagenes &lista) {
  for (const QString &clave : ClavesCatalogo())
    lista.Agregar(clave, PintarIcono(clave));
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

} // namespace Iconos
