#include "platform/EscrituraSegura.h"

#include "platform/Errores.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace EscrituraSegura {
namespace {

// Closes the descriptor it holds when it goes.
class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  [[nodiscard]] int Fd() const { return fd_; }
  int Cerrar() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

private:
  int fd_;
};

bool NombreAceptable(const std::string &nombre) {
  return !nombre.empty() && nombre != "." && nombre != ".." &&
         nombre.find('/') == std::string::npos && nombre.find('\0') == std::string::npos;
}

std::string NombreTemporal(const std::string &nombre) {
  static std::atomic<unsigned> contador{0};
  return "." + nombre + ".alcove-" + std::to_string(::getpid()) + "-" + std::to_string(contador++);
}

int EscribirTodo(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return 0;
}

// Puts the temporary file in place; 0 or an errno value.
int PonerEnSuSitio(int dir, const std::string &temporal, const std::string &nombre,
                   bool reemplazar) {
  if (reemplazar) {
    return ::renameat(dir, temporal.c_str(), dir, nombre.c_str()) == 0 ? 0 : errno;
  }
  if (::renameat2(dir, temporal.c_str(), dir, nombre.c_str(), RENAME_NOREPLACE) == 0) {
    return 0;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return errno;
  }
  // File systems without RENAME_NOREPLACE: a hard link also refuses to replace.
  if (::linkat(dir, temporal.c_str(), dir, nombre.c_str(), 0) != 0) {
    return errno;
  }
  ::unlinkat(dir, temporal.c_str(), 0);
  return 0;
}

} // namespace

std::int16_t EscribirEnCarpeta(const std::string &carpeta, const std::string &nombre,
                               std::span<const std::uint8_t> bytes, bool reemplazar) {
  if (!NombreAceptable(nombre) || carpeta.find('\0') != std::string::npos) {
    return Errores::NombreArchivoIncorrecto;
  }
  const Descriptor dir(::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Fd() < 0) {
    return errno == ENOENT ? Errores::RutaNoEncontrada : Errores::DesdeHost(errno);
  }
  const std::string temporal = NombreTemporal(nombre);
  Descriptor archivo(::openat(dir.Fd(), temporal.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (archivo.Fd() < 0) {
    return Errores::DesdeHost(errno);
  }
  int fallo = EscribirTodo(archivo.Fd(), bytes);
  if (archivo.Cerrar() != 0 && fallo == 0) {
    fallo = errno;
  }
  if (fallo == 0) {
    fallo = PonerEnSuSitio(dir.Fd(), temporal, nombre, reemplazar);
  }
  if (fallo != 0) {
    ::unlinkat(dir.Fd(), temporal.c_str(), 0);
    return fallo == EEXIST ? Errores::ArchivoYaExiste : Errores::DesdeHost(fallo);
  }
  return Errores::Ninguno;
}

} // namespace EscrituraSegura
