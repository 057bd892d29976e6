#include "gestion/Dialogos.h"

namespace Gestion {
namespace {
Dialogos *instalados = nullptr;
} // namespace

void InstalarDialogos(Dialogos *dialogos) { instalados = dialogos; }
Dialogos *DialogosInstalados() { return instalados; }
Dialogos &DialogosEnUso(Dialogos &propios) { return instalados != nullptr ? *instalados : propios; }

} // namespace Gestion
