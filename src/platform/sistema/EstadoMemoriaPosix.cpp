#include "platform/sistema/EstadoMemoria.h"

#include "platform/Errores.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

namespace Plataforma {
namespace {

// The whole of a small file of /proc (whose size is reported as 0, so it is read
// until the end).
std::string LeerFicheroProc(const char *ruta) {
  const int fd = ::open(ruta, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    LanzarErrorHost(errno);
  }
  std::string texto;
  std::array<char, 4096> bloque{};
  for (;;) {
    const ssize_t leidos = ::read(fd, bloque.data(), bloque.size());
    if (leidos < 0) {
      if (errno == EINTR) {
        continue;
      }
      const int error = errno;
      ::close(fd);
      LanzarErrorHost(error);
    }
    if (leidos == 0) {
      break;
    }
    texto.append(bloque.data(), static_cast<std::size_t>(leidos));
  }
  ::close(fd);
  return texto;
}

// The user part of the address space a process gets from the kernel: 128 TiB for
// a 64-bit process (47 bits, what x86-64 and arm64 give unless a program asks for
// more), 3 GiB for a 32-bit one.
constexpr std::int64_t EspacioUsuario =
    sizeof(void *) == 8 ? (std::int64_t{1} << 47) : (std::int64_t{3} << 30);

// Physical figures come from /proc/meminfo: MemTotal, and MemAvailable (the
// kernel's estimate of what new work can have without swapping), or MemFree on
// kernels that lack it.
//
// Virtual figures describe this process's address space, as the old 32-bit
// figures did: the total is the address-space limit (RLIMIT_AS) when one is set,
// otherwise the user part of the address space, and what is available is that
// total less the size of everything mapped now (VmSize in /proc/self/status).
// Without a limit a 64-bit process uses a tiny share of 128 TiB, so its meter
// stays near 0%; with `ulimit -v` it shows how close the process is to the limit.
class MemoriaPosix final : public ServicioMemoria {
public:
  [[nodiscard]] EstadoMemoria Consultar() const override {
    EstadoMemoria estado;
    const std::string meminfo = LeerFicheroProc("/proc/meminfo");
    estado.TotalFisica = LeerCampoKb(meminfo, "MemTotal");
    try {
      estado.DisponibleFisica = LeerCampoKb(meminfo, "MemAvailable");
    } catch (const ErrorAlcove &) {
      estado.DisponibleFisica = LeerCampoKb(meminfo, "MemFree");
    }

    estado.TotalVirtual = EspacioUsuario;
    rlimit limite{};
    if (::getrlimit(RLIMIT_AS, &limite) == 0 && limite.rlim_cur != RLIM_INFINITY &&
        limite.rlim_cur < static_cast<rlim_t>(EspacioUsuario)) {
      estado.TotalVirtual = static_cast<std::int64_t>(limite.rlim_cur);
    }
    const std::int64_t enUso = LeerCampoKb(LeerFicheroProc("/proc/self/status"), "VmSize");
    estado.DisponibleVirtual = std::max<std::int64_t>(0, estado.TotalVirtual - enUso);
    return estado;
  }
};

} // namespace

std::unique_ptr<ServicioMemoria> CrearMemoriaHost() { return std::make_unique<MemoriaPosix>(); }

} // namespace Plataforma
