#pragma once

#include "platform/sistema/EstadoMemoria.h"
#include "platform/sistema/InfoSistema.h"
#include "ui/controles/Controles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Acerca {
// The system text for a collection of operating-system objects: "S.O. " and the
// caption, then "Version: " and the version, then "S/N:" and the serial number,
// lines broken by CR LF. Only the last object counts; an empty collection gives
// empty text. A null caption reads as empty; a null version or serial number
// leaves out its whole line, label included, but not the line breaks. Throws
// whatever reading a property throws.
[[nodiscard]] std::string TextoSistema(const std::vector<Plataforma::ObjetoSistema> &objetos);

// Share of `total` in use, (total - disponible) / total * 100, rounded half to
// even. nullopt when it cannot be worked out: a total of 0, or a result outside
// the 16-bit range.
[[nodiscard]] std::optional<std::int16_t> PorcentajeEnUso(std::int64_t total,
                                                          std::int64_t disponible);
} // namespace Acerca

// The about window's decisions: the system text at load, both memory meters and
// their percentages at every tick, unloading at the button. An object of this
// class is one loading of the window, built by the host's window with its
// controls and the services, which must outlive it; the host calls Form_Load
// once, Timer_Timer every IntervaloMs while loaded and Cmd_Aceptar_Click on the
// button.
class F_Acerca {
public:
  struct Controles_ {
    Controles::Texto *TxT_Info = nullptr;
    Controles::Medidor *LEDMeter1 = nullptr;
    Controles::Texto *Lbl_Por1 = nullptr;
    Controles::Medidor *LEDMeter2 = nullptr;
    Controles::Texto *Lbl_Por2 = nullptr;
    Controles::Ventana *Ventana = nullptr;
  };

  F_Acerca(Controles_ controles, const Plataforma::ServicioInfoSistema &info,
           const Plataforma::ServicioMemoria &memoria);

  static constexpr int IntervaloMs = 60;

  // Any failure leaves the box as it was (empty), without a word.
  void Form_Load() noexcept;
  // Any failure ends the tick; what it already showed stays.
  void Timer_Timer() noexcept;
  void Cmd_Aceptar_Click();

private:
  Controles_ c_;
  const Plataforma::ServicioInfoSistema &info_;
  const Plataforma::ServicioMemoria &memoria_;
};
