#pragma once

#include "platform/Progreso.h"
#include "ui/controles/Controles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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

// One loading of the progress window on the host: its title line and its bar,
// minimum 0 and maximum 100. Destroying it unloads the window.
class VentanaProgreso {
public:
  virtual ~VentanaProgreso() = default;
  virtual Controles::Texto &Lbl_Titulo() = 0;
  virtual Controles::BarraProgreso &PBar() = 0;
  // Shows the window modelessly, repaints it and lets pending events run once.
  virtual void Mostrar() = 0;
};

// The small modeless window that shows how far a long operation has got: a title
// line and a bar. One shared instance serves the whole program (Instancia). The
// window is loaded by the first member that touches a control and unloaded by
// Ocultar; the range and the last position are kept by the object across loads.
// The host's window comes from the loader given; with none, nothing is shown.
class F_Progress final : public IndicadorProgreso {
public:
  using Cargador = std::function<std::unique_ptr<VentanaProgreso>()>;

  explicit F_Progress(Cargador cargador = {});
  ~F_Progress() override;
  F_Progress(const F_Progress &) = delete;
  F_Progress &operator=(const F_Progress &) = delete;

  [[nodiscard]] static F_Progress &Instancia();
  // Where this instance's window comes from from now on.
  void FijarCargador(Cargador cargador) { cargador_ = std::move(cargador); }

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
  [[nodiscard]] VentanaProgreso *Ventana() const { return ventana_.get(); }
  // Times the bar was written since the window was last loaded.
  [[nodiscard]] std::uint64_t EscriturasBarra() const { return escrituras_; }

private:
  // Loads the window if it is not; false when there is no window to load.
  bool Cargar();
  void OlvidarTramo() {
    tramoDesde_ = 1;
    tramoHasta_ = 0;
  }

  Cargador cargador_;
  std::unique_ptr<VentanaProgreso> ventana_;
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
