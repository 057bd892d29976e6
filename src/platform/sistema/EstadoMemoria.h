#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace Plataforma {

// Memory figures in bytes, as 64-bit counts.
struct EstadoMemoria {
  std::int64_t TotalFisica = 0;       // physical memory of the machine
  std::int64_t DisponibleFisica = 0;  // physical memory available to new work
  std::int64_t TotalVirtual = 0;      // address space this process may use
  std::int64_t DisponibleVirtual = 0; // of which not yet mapped
};

// Where the about window's meters get their figures. Consultar may throw.
class ServicioMemoria {
public:
  virtual ~ServicioMemoria() = default;
  [[nodiscard]] virtual EstadoMemoria Consultar() const = 0;
};

// The host's own figures.
[[nodiscard]] std::unique_ptr<ServicioMemoria> CrearMemoriaHost();

// Reads the value of `clave` (e.g. "MemTotal") from text in the layout of
// /proc/meminfo or /proc/self/status, "Clave:   1234 kB", in bytes. Throws
// ErrorAlcove when the key is missing or its value is not a count.
[[nodiscard]] std::int64_t LeerCampoKb(std::string_view texto, std::string_view clave);

} // namespace Plataforma
