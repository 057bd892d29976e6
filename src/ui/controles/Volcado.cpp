#include "ui/controles/Volcado.h"

#include <cstdio>
#include <cstdlib>

namespace Volcado {

std::string Registro(const std::string &suceso, const Controles::BarraEstado &estado,
                     const std::array<const Controles::VistaLista *, 2> &vistas) {
  std::string texto = "== " + suceso + "\nEstado";
  for (int p = 1; p <= Controles::BarraEstado::Paneles; ++p)
    texto += '|' + estado.PanelText(p);
  texto += '\n';
  for (std::size_t i = 0; i < vistas.size(); ++i) {
    const Controles::VistaLista &vista = *vistas[i];
    for (int f = 0; f < vista.Filas(); ++f) {
      texto += i == 0 ? 'A' : 'B';
      for (int c = 0; c < Controles::VistaLista::Columnas; ++c)
        texto += '|' + vista.Texto(f, c);
      texto += '|' + vista.ClaveIcono(f) + '\n';
    }
  }
  return texto;
}

void Anotar(const std::string &suceso, const Controles::BarraEstado &estado,
            const std::array<const Controles::VistaLista *, 2> &vistas) noexcept {
  const char *ruta = std::getenv(Variable);
  if (ruta == nullptr || *ruta == '\0')
    return;
  try {
    const std::string texto = Registro(suceso, estado, vistas);
    if (std::FILE *f = std::fopen(ruta, "ab")) {
      std::fwrite(texto.data(), 1, texto.size(), f);
      std::fclose(f);
    }
  } catch (...) {
    // A dump for the tests never takes the window down.
  }
}

} // namespace Volcado
