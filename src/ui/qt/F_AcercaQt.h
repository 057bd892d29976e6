#pragma once

#include "platform/sistema/EstadoMemoria.h"
#include "platform/sistema/InfoSistema.h"
#include "ui/auxiliary/F_Acerca.h"

#include <QDialog>

#include <memory>

class QTimer;
namespace Enlaces {
class CuadroTexto;
class Etiqueta;
class Led;
} // namespace Enlaces

// Shows the about window modally, with no owner: every other window takes no
// input until it is closed, and the call returns only then. The window is
// loaded afresh each time.
void MostrarAcercaDe();
// The same, with the information and memory services given (tests use fakes).
void MostrarAcercaDe(const Plataforma::ServicioInfoSistema &info,
                     const Plataforma::ServicioMemoria &memoria);

// The about window made of Qt widgets: the picture, the system text and two
// memory meters, with F_Acerca's decisions behind them. An object of this class
// is one loading of the window; it holds references to the services, which must
// outlive it.
class F_AcercaQt final : public QDialog, private Controles::Ventana {
  Q_OBJECT

public:
  F_AcercaQt(const Plataforma::ServicioInfoSistema &info,
             const Plataforma::ServicioMemoria &memoria);
  ~F_AcercaQt() override;
  F_AcercaQt(const F_AcercaQt &) = delete;
  F_AcercaQt &operator=(const F_AcercaQt &) = delete;

  // The window now loaded, or nullptr.
  [[nodiscard]] static F_AcercaQt *Cargada();

private:
  void Unload() override;

  std::unique_ptr<Enlaces::CuadroTexto> txtInfo_;
  std::unique_ptr<Enlaces::Led> ledMeter1_, ledMeter2_;
  std::unique_ptr<Enlaces::Etiqueta> lblPor1_, lblPor2_;
  std::unique_ptr<F_Acerca> acerca_;
  QTimer *timer_ = nullptr;
};
