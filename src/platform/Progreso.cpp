#include "platform/Progreso.h"

namespace {
class ProgresoMudo final : public IndicadorProgreso {
public:
  void SetDe(double) override {}
  void SetA(double) override {}
  void SetTitulo(const std::string &) override {}
  void Mostrar() override {}
  void SetValor(double) override {}
  void Ocultar() override {}
  // Nothing is ever shown, so no position needs reporting.
  [[nodiscard]] double SinCambiosHasta() const override {
    return std::numeric_limits<double>::infinity();
  }
};

ProgresoMudo mudo;
IndicadorProgreso *instalado = &mudo;
} // namespace

namespace Plataforma {
IndicadorProgreso &ProgresoCompartido() { return *instalado; }
void InstalarProgreso(IndicadorProgreso *indicador) { instalado = indicador ? indicador : &mudo; }
} // namespace Plataforma
