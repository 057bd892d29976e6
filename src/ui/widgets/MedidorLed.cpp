#include "ui/widgets/MedidorLed.h"

#include <QPainter>

#include <algorithm>

namespace Medidor {

int SegmentosEncendidos(int porcentaje, int segmentos) {
  if (segmentos <= 0) {
    return 0;
  }
  // A segment lights as soon as the level enters it, so any use at all shows.
  const int nivel = std::clamp(porcentaje, 0, 100);
  return (nivel * segmentos + 99) / 100;
}

QColor ColorSegmento(int indice, int segmentos, bool encendido) {
  // Position of the segment's right edge along the row, in percent.
  const int posicion = segmentos > 0 ? (indice + 1) * 100 / segmentos : 100;
  QColor color;
  if (posicion <= 60) {
    color = QColor(0, 230, 0);
  } else if (posicion <= 85) {
    color = QColor(255, 230, 0);
  } else {
    color = QColor(255, 30, 0);
  }
  // Kept to 8 bits a channel, which is what the screen gets.
  return encendido ? color : QColor(color.darker(500).rgb());
}

} // namespace Medidor

MedidorLed::MedidorLed(QWidget *padre) : QWidget(padre) { setAttribute(Qt::WA_OpaquePaintEvent); }

void MedidorLed::PonerValor(std::int16_t porcentaje) {
  if (porcentaje == valor_) {
    return;
  }
  const int antes = Encendidos();
  valor_ = porcentaje;
  if (Encendidos() != antes) {
    update();
  }
}

int MedidorLed::Segmentos() const {
  return std::max(1, (width() + Separacion) / (AnchoSegmento + Separacion));
}

int MedidorLed::Encendidos() const { return Medidor::SegmentosEncendidos(valor_, Segmentos()); }

QSize MedidorLed::sizeHint() const { return {73, 17}; }

void MedidorLed::paintEvent(QPaintEvent * /*evento*/) {
  QPainter pintor(this);
  pintor.fillRect(rect(), Qt::black);
  const int total = Segmentos();
  const int encendidos = Encendidos();
  const int anchoFila = total * (AnchoSegmento + Separacion) - Separacion;
  const int x0 = std::max(0, (width() - anchoFila) / 2);
  const int alto = std::max(1, height() - 4);
  for (int i = 0; i < total; ++i) {
    const QRect segmento(x0 + i * (AnchoSegmento + Separacion), 2, AnchoSegmento, alto);
    pintor.fillRect(segmento, Medidor::ColorSegmento(i, total, i < encendidos));
  }
}
