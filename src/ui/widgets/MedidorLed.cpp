#include "ui/widgets/MedidorLed.h"

#include <QPainter>

#include <algorithm>

namespace Medidor {

QColor ColorSegmento(int indice, int segmentos, bool encendido) {
  const Disposicion::Color color = Color(indice, segmentos, encendido);
  return {color.rojo, color.verde, color.azul};
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

int MedidorLed::Segmentos() const { return Medidor::SegmentosEnAncho(width()); }

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
