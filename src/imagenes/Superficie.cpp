#include "imagenes/Superficie.h"

#include <algorithm>

namespace imagenes {
namespace {

std::size_t Nominal(std::uint8_t n) { return std::size_t{128} << std::min<std::uint8_t>(n, 8); }

} // namespace

std::size_t SectorSuperficie::LongitudNominal() const { return Nominal(n); }

const PistaSuperficie *Superficie::Pista(int pista, int cara) const {
  if (pista < 0 || cara < 0 || pista >= pistas || cara >= caras) {
    return nullptr;
  }
  const auto i = static_cast<std::size_t>(pista * caras + cara);
  return i < pistasCaras.size() ? &pistasCaras[i] : nullptr;
}

std::array<std::uint8_t, cpcemu::LargoCreador> CampoCreador(std::string_view texto) {
  std::array<std::uint8_t, cpcemu::LargoCreador> campo{};
  campo.fill(' ');
  std::copy_n(texto.begin(), std::min(texto.size(), campo.size()), campo.begin());
  return campo;
}

bool CreadorVacio(const std::array<std::uint8_t, cpcemu::LargoCreador> &creador) {
  return std::all_of(creador.begin(), creador.end(),
                     [](std::uint8_t c) { return c == ' ' || c == 0; });
}

} // namespace imagenes
