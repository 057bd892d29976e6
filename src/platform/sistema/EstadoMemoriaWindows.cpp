#include "platform/sistema/EstadoMemoria.h"

#include "platform/Errores.h"
#include "platform/TextoWindows.h"

namespace Plataforma {
namespace {

// GlobalMemoryStatusEx: the machine's physical memory, and this process's
// user-mode address space (the old 32-bit call's figures, in 64 bits).
class MemoriaWindows final : public ServicioMemoria {
public:
  [[nodiscard]] EstadoMemoria Consultar() const override {
    MEMORYSTATUSEX estado{};
    estado.dwLength = sizeof(estado);
    if (::GlobalMemoryStatusEx(&estado) == 0)
      LanzarErrorHost(static_cast<int>(::GetLastError()));
    const auto bytes = [](DWORDLONG n) { return static_cast<std::int64_t>(n); };
    return {bytes(estado.ullTotalPhys), bytes(estado.ullAvailPhys), bytes(estado.ullTotalVirtual),
            bytes(estado.ullAvailVirtual)};
  }
};

} // namespace

std::unique_ptr<ServicioMemoria> CrearMemoriaHost() { return std::make_unique<MemoriaWindows>(); }

} // namespace Plataforma
