#pragma once

#include "platform/Progreso.h"

#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QWidget;

namespace Progreso {
// Rounds to the nearest whole number, ties to even, as a 32-bit signed value.
// Values beyond the 32-bit range give the nearest end of it; NaN gives 0.
[[nodiscard]] std::int32_t RedondearInt32(double x);

// The bar's value for position `valor` of the range `de`..`a`:
// n = round((valor - de) * 100), d = round(a), bar = n / d (truncated) + 1.
// The divisor is `a` itself. The result is kept inside the bar's 0..100, and a
// divisor that rounds to 0 gives a full bar.
[[nodiscard]] std::uint8_t ValorBarra(double valor, double de, double a);
} // namespace Progreso

// The small modeless window that shows how far a long operation has got: a title
// line and a bar. One shared instance serves the whole program (Instancia). The
// window is loaded by the first member that touches a control and unloaded by
// Ocultar; the range and the last position are kept by the object across loads.
class F_Progress final : public IndicadorProgreso {
public:
  F_Progress();
  ~F_Progress() override;
  F_Progress(const F_Progress &) = delete;
  F_Progress &operator=(const F_Progress &) = delete;

  [[nodiscard]] static F_Progress &Instancia();

  void SetDe(double valor) override {
    de_ = valor;
    OlvidarTramo();
  }
  [[nodiscard]] double De() const { return de_; }
  void SetA(double valor) override {
    a_ = valor;
    OlvidarTramo();
  }
  [[nodiscard]] double A() const { return a_; }
  // Stores the position and moves the bar, which is written only when its value
  // changes. Leaves the window hidden if it was.
  void SetValor(double valor) override;
  [[nodiscard]] double Valor() const { return valor_; }
  // Whole positions below this one keep the bar as it is now.
  [[nodiscard]] double SinCambiosHasta() const override;
  // Text of the title line; the window's own caption stays empty.
  void SetTitulo(const std::string &texto) override;
  // Shows the window modelessly, paints it and lets pending events run once.
  void Mostrar() override;
  // Unloads the window: it disappears and its controls are destroyed.
  void Ocultar() override;

  // The loaded window, or nullptr while unloaded.
  [[nodiscard]] QWidget *Ventana() const { return ventana_.get(); }
  // Times the bar was written since the window was last loaded.
  [[nodiscard]] std::uint64_t EscriturasBarra() const { return escrituras_; }

private:
  void Cargar();
  void OlvidarTramo() {
    tramoDesde_ = 1;
    tramoHasta_ = 0;
  }

  std::unique_ptr<QWidget> ventana_;
  QLabel *lblTitulo_ = nullptr;
  QProgressBar *pBar_ = nullptr;
  double de_ = 0.0;
  double a_ = 0.0;
  double valor_ = 0.0;
  std::uint8_t barra_ = 0;
  std::uint64_t escrituras_ = 0;
  // Whole values of (Valor - De) * 100 in [tramoDesde_, tramoHasta_) give the
  // bar value last shown; empty when unknown.
  double tramoDesde_ = 1;
  double tramoHasta_ = 0;
};
