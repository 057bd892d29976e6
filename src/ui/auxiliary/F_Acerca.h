#pragma once

#include "platform/sistema/EstadoMemoria.h"
#include "platform/sistema/InfoSistema.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class MedidorLed;
class QLabel;
class QPlainTextEdit;
class QTimer;

// Shows the about window modally, with no owner: every other window takes no
// input until it is closed, and the call returns only then. The window is
// loaded afresh each time.
void MostrarAcercaDe();
// The same, with the information and memory services given (tests use fakes).
void MostrarAcercaDe(const Plataforma::ServicioInfoSistema &info,
                     const Plataforma::ServicioMemoria &memoria);

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

// The about window: the picture, the system text and two memory meters refreshed
// every 60 ms while it is loaded. An object of this class is one loading of the
// window; it holds references to the services, which must outlive it.
class F_Acerca final : public QDialog {
  Q_OBJECT

public:
  F_Acerca(const Plataforma::ServicioInfoSistema &info, const Plataforma::ServicioMemoria &memoria);
  ~F_Acerca() override;
  F_Acerca(const F_Acerca &) = delete;
  F_Acerca &operator=(const F_Acerca &) = delete;

  // The window now loaded, or nullptr.
  [[nodiscard]] static F_Acerca *Cargada();

  static constexpr int IntervaloMs = 60;

private:
  void Form_Load();
  void Timer_Timer();
  void Cmd_Aceptar_Click();

  const Plataforma::ServicioInfoSistema &info_;
  const Plataforma::ServicioMemoria &memoria_;
  QPlainTextEdit *txtInfo_ = nullptr;
  MedidorLed *ledMeter1_ = nullptr;
  MedidorLed *ledMeter2_ = nullptr;
  QLabel *lblPor1_ = nullptr;
  QLabel *lblPor2_ = nullptr;
  QTimer *timer_ = nullptr;
};
