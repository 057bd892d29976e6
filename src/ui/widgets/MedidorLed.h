#pragma once

#include "ui/auxiliary/Medidor.h"

#include <QColor>
#include <QWidget>

#include <cstdint>

// A row of LEDs that lights from the left as its level rises: green at first, then
// yellow, red at the top. The level is a percentage; values below 0 light nothing
// and values above 100 light every segment.
class MedidorLed : public QWidget {
  Q_OBJECT

public:
  explicit MedidorLed(QWidget *padre = nullptr);

  // The meter's one run-time call: the percentage to show.
  void PonerValor(std::int16_t porcentaje);
  [[nodiscard]] std::int16_t Valor() const { return valor_; }

  // Segments that fit in the present width, and how many of them are lit.
  [[nodiscard]] int Segmentos() const;
  [[nodiscard]] int Encendidos() const;

  [[nodiscard]] QSize sizeHint() const override;

  static constexpr int AnchoSegmento = Medidor::AnchoSegmento;
  static constexpr int Separacion = Medidor::Separacion;

protected:
  void paintEvent(QPaintEvent *evento) override;

private:
  std::int16_t valor_ = 0;
};

namespace Medidor {
// Medidor::Color as Qt paints it.
[[nodiscard]] QColor ColorSegmento(int indice, int segmentos, bool encendido);
} // namespace Medidor
