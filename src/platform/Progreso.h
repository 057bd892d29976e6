#pragma once

#include <limits>
#include <string>

// A long operation reports its progress through the one shared indicator. The
// windows install the progress window here; without windows it is a quiet no-op.
class IndicadorProgreso {
public:
  virtual ~IndicadorProgreso() = default;
  virtual void SetDe(double valor) = 0;
  virtual void SetA(double valor) = 0;
  virtual void SetTitulo(const std::string &texto) = 0;
  virtual void Mostrar() = 0;
  virtual void SetValor(double valor) = 0;
  virtual void Ocultar() = 0;

  // Whole positions from the last one reported up to (not including) this value
  // would change nothing on screen: a caller reporting every position of a long
  // run may leave them out, as long as it reports the run's last position.
  [[nodiscard]] virtual double SinCambiosHasta() const {
    return -std::numeric_limits<double>::infinity();
  }
};

namespace Plataforma {
// The shared indicator; never null.
IndicadorProgreso &ProgresoCompartido();
// Installs `indicador` (not owned; must outlive its use), or the quiet one for nullptr.
void InstalarProgreso(IndicadorProgreso *indicador);
} // namespace Plataforma
