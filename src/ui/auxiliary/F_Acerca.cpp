#include "ui/auxiliary/F_Acerca.h"

#include "util/Redondeo.h"

#include <limits>

namespace Acerca {

std::string TextoSistema(const std::vector<Plataforma::ObjetoSistema> &objetos) {
  static constexpr const char *SaltoLinea = "\r\n";
  std::string texto;
  for (const auto &objeto : objetos) {
    texto = "S.O. " + objeto.Propiedad("Caption").value_or(std::string()) + SaltoLinea;
    if (const auto version = objeto.Propiedad("Version")) {
      texto += "Version: " + *version;
    }
    texto += SaltoLinea;
    if (const auto serie = objeto.Propiedad("SerialNumber")) {
      texto += "S/N:" + *serie;
    }
  }
  return texto;
}

std::optional<std::int16_t> PorcentajeEnUso(std::int64_t total, std::int64_t disponible) {
  if (total == 0) {
    return std::nullopt;
  }
  const double totalD = static_cast<double>(total);
  const double p = RedondearPar((totalD - static_cast<double>(disponible)) / totalD * 100.0);
  if (!(p >= std::numeric_limits<std::int16_t>::min() &&
        p <= std::numeric_limits<std::int16_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(p);
}

} // namespace Acerca

F_Acerca::F_Acerca(Controles_ controles, const Plataforma::ServicioInfoSistema &info,
                   const Plataforma::ServicioMemoria &memoria)
    : c_(controles), info_(info), memoria_(memoria) {}

void F_Acerca::Form_Load() noexcept {
  try {
    const std::string texto = Acerca::TextoSistema(info_.SistemasOperativos());
    c_.TxT_Info->SetText(texto);
  } catch (...) {
  }
}

void F_Acerca::Timer_Timer() noexcept {
  try {
    const Plataforma::EstadoMemoria estado = memoria_.Consultar();
    const auto fisica = Acerca::PorcentajeEnUso(estado.TotalFisica, estado.DisponibleFisica);
    if (!fisica) {
      return;
    }
    c_.LEDMeter1->PonerValor(*fisica);
    c_.Lbl_Por1->SetText(std::to_string(*fisica) + "%");
    const auto virtual_ = Acerca::PorcentajeEnUso(estado.TotalVirtual, estado.DisponibleVirtual);
    if (!virtual_) {
      return;
    }
    c_.LEDMeter2->PonerValor(*virtual_);
    c_.Lbl_Por2->SetText(std::to_string(*virtual_) + "%");
  } catch (...) {
  }
}

void F_Acerca::Cmd_Aceptar_Click() { c_.Ventana->Unload(); }
