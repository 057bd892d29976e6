#include "gestion/Dialogos.h"

namespace Gestion {
namespace {
Dialogos *instalados = nullptr;
} // namespace

void InstalarDialogos(Dialogos *dialogos) { instalados = dialogos; }

std::string Enumerar(const std::vector<std::string> &cosas) {
  std::string s;
  for (std::size_t i = 0; i < cosas.size(); ++i)
    s += (i == 0 ? "" : i + 1 == cosas.size() ? " y " : ", ") + cosas[i];
  return s;
}

std::string ArchivosQueVan(const std::vector<std::string> &nombres) {
  return (nombres.size() == 1 ? std::string("1 archivo: ")
                              : std::to_string(nombres.size()) + " archivos: ") +
         Enumerar(nombres);
}
Dialogos *DialogosInstalados() { return instalados; }
Dialogos &DialogosEnUso(Dialogos &propios) { return instalados != nullptr ? *instalados : propios; }

} // namespace Gestion
