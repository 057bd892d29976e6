#include "ui/widgets/Marco.h"

#include <QPainter>

Marco::Marco(const QString &titulo, QWidget *padre) : QGroupBox(titulo, padre) {
  setAutoFillBackground(true);
}

void Marco::paintEvent(QPaintEvent * /*evento*/) {
  QPainter p(this);
  const QFontMetrics medidas(font());
  const QRect borde = rect().adjusted(0, medidas.height() / 2, -1, -1);
  // Etched: a shadow line with a light line just inside it.
  p.setPen(QColor(128, 128, 128));
  p.drawRect(borde.adjusted(0, 0, -1, -1));
  p.setPen(Qt::white);
  p.drawRect(borde.adjusted(1, 1, 0, 0));
  if (title().isEmpty())
    return;
  const QRect caja(6, 0, medidas.horizontalAdvance(title()) + 4, medidas.height());
  p.fillRect(caja, palette().color(QPalette::Window));
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(caja, Qt::AlignCenter | Qt::TextSingleLine, title());
}
