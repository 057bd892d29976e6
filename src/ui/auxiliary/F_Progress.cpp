#include "ui/auxiliary/F_Progress.h"

#include "util/Redondeo.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Progreso {

std::int32_t RedondearInt32(double x) {
  // Positions are whole numbers, so this is nearly always already one: take it
  // as it is (the bar is moved once per byte copied).
  if (x > -2147483648.0 && x < 2147483647.0) {
    const auto entero = static_cast<std::int32_t>(x);
    if (static_cast<double>(entero) == x) {
      return entero;
    }
  }
  if (std::isnan(x)) {
    return 0;
  }
  constexpr double minimo = std::numeric_limits<std::int32_t>::min();
  constexpr double maximo = std::numeric_limits<std::int32_t>::max();
  const double redondeado = RedondearPar(x);
  return static_cast<std::int32_t>(std::clamp(redondeado, minimo, maximo));
}

std::uint8_t ValorBarra(double valor, double de, double a) {
  const std::int64_t n = RedondearInt32((valor - de) * 100.0);
  const std::int64_t d = RedondearInt32(a);
  if (d == 0) {
    return 100;
  }
  // In 64 bits, so INT32_MIN / -1 is an ordinary quotient.
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(n / d + 1, 0, 100));
}

} // namespace Progreso

F_Progress::F_Progress(Cargador cargador) : cargador_(std::move(cargador)) {}

F_Progress::~F_Progress() = default;

F_Progress &F_Progress::Instancia() {
  static F_Progress instancia;
  return instancia;
}

bool F_Progress::Cargar() {
  if (!ventana_ && cargador_) {
    ventana_ = cargador_();
    escrituras_ = 0;
    OlvidarTramo();
  }
  return ventana_ != nullptr;
}

void F_Progress::SetValor(double valor) {
  valor_ = valor;
  // Called once per byte copied. While the position stays in the stretch that
  // gives the bar value already shown (and read back), neither the arithmetic nor
  // the bar has anything to do; leaving early keeps an 8 MiB copy quick.
  const double n = (valor - de_) * 100.0;
  if (ventana_ && n >= tramoDesde_ && n < tramoHasta_ &&
      static_cast<double>(static_cast<std::int64_t>(n)) == n) {
    return;
  }
  barra_ = Progreso::ValorBarra(valor, de_, a_);
  if (!Cargar())
    return;
  Controles::BarraProgreso &pBar = ventana_->PBar();
  if (static_cast<float>(pBar.Value()) != static_cast<float>(barra_)) {
    pBar.SetValue(barra_);
    ++escrituras_;
  }
  const std::int64_t entero = Progreso::RedondearInt32(n);
  const std::int64_t divisor = Progreso::RedondearInt32(a_);
  if (divisor > 0 && entero >= 0 && entero / divisor + 1 <= 100) {
    tramoDesde_ = static_cast<double>(entero / divisor * divisor);
    tramoHasta_ = static_cast<double>((entero / divisor + 1) * divisor);
  } else {
    OlvidarTramo();
  }
}

double F_Progress::SinCambiosHasta() const {
  // Only for whole ranges starting at a whole De, where (p - De) * 100 is exact:
  // p keeps the bar while 100 (p - De) < tramoHasta_. The quotient may round
  // down, which only makes the answer more cautious.
  const bool exacto =
      std::fabs(de_) < 0x1p52 && static_cast<double>(static_cast<std::int64_t>(de_)) == de_;
  if (!ventana_ || tramoDesde_ >= tramoHasta_ || !exacto) {
    return -std::numeric_limits<double>::infinity();
  }
  return de_ + std::ceil(tramoHasta_ / 100.0);
}

void F_Progress::SetTitulo(const std::string &texto) {
  if (Cargar())
    ventana_->Lbl_Titulo().SetText(texto);
}

void F_Progress::Mostrar() {
  if (Cargar())
    ventana_->Mostrar();
}

void F_Progress::Ocultar() { ventana_.reset(); }
