#include "platform/ArchivoNativo.h"
#include "platform/Errores.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plataforma::Nativo {
namespace {

int Fd(Manejador m) { return static_cast<int>(m); }

Tipo TipoDe(const struct stat &st) {
  if (S_ISREG(st.st_mode)) {
    return Tipo::Regular;
  }
  return S_ISDIR(st.st_mode) ? Tipo::Carpeta : Tipo::Otro;
}

} // namespace

Abierto Abrir(const std::string &ruta, Acceso acceso) {
  // O_NONBLOCK: a FIFO or device named like an image must never hang the open.
  // On the regular files that are kept it changes nothing.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  flags |= acceso == Acceso::Lectura ? O_RDONLY : (O_RDWR | O_CREAT);
  const int fd = ::open(ruta.c_str(), flags, 0666);
  if (fd < 0) {
    // Creating a file in a folder that does not exist: the path is what is missing.
    LanzarError(errno == ENOENT && acceso == Acceso::LecturaEscritura ? Errores::RutaNoEncontrada
                                                                      : Errores::DesdeHost(errno));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    LanzarErrorHost(e);
  }
  return {fd, TipoDe(st), static_cast<std::int64_t>(st.st_size)};
}

std::size_t LeerEn(Manejador m, std::int64_t pos, std::uint8_t *destino, std::size_t largo) {
  std::size_t leidos = 0;
  while (leidos < largo) {
    const ssize_t n = ::pread(Fd(m), destino + leidos, largo - leidos,
                              static_cast<off_t>(pos + static_cast<std::int64_t>(leidos)));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      LanzarErrorHost(errno);
    }
    if (n == 0) {
      break;
    }
    leidos += static_cast<std::size_t>(n);
  }
  return leidos;
}

void EscribirEn(Manejador m, std::int64_t pos, const std::uint8_t *datos, std::size_t largo) {
  std::size_t escritos = 0;
  while (escritos < largo) {
    const ssize_t n = ::pwrite(Fd(m), datos + escritos, largo - escritos,
                               static_cast<off_t>(pos + static_cast<std::int64_t>(escritos)));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      LanzarErrorHost(errno);
    }
    escritos += static_cast<std::size_t>(n);
  }
}

void FijarLongitud(Manejador m, std::int64_t longitud) {
  if (::ftruncate(Fd(m), static_cast<off_t>(longitud)) != 0) {
    LanzarErrorHost(errno);
  }
}

void Cerrar(Manejador m) {
  if (::close(Fd(m)) != 0 && errno != EINTR) {
    LanzarErrorHost(errno);
  }
}

void Soltar(Manejador m) noexcept { ::close(Fd(m)); }

Manejador ReabrirParaEscribir(Manejador m, const std::string &ruta) {
  // Reopening through /proc reaches the very inode we hold, even if its path
  // now names another file; the host still checks the permissions.
  const std::string propio = "/proc/self/fd/" + std::to_string(Fd(m));
  int fd = ::open(propio.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(ruta.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
      struct stat nuevo {
      }, viejo{};
      if (::fstat(fd, &nuevo) != 0 || ::fstat(Fd(m), &viejo) != 0 || nuevo.st_dev != viejo.st_dev ||
          nuevo.st_ino != viejo.st_ino) {
        ::close(fd);
        LanzarError(Errores::ErrorAccesoRuta);
      }
    }
  }
  if (fd < 0) {
    LanzarErrorHost(errno);
  }
  return fd;
}

bool MismoArchivo(Manejador m, const std::string &ruta) noexcept {
  struct stat abierto {
  }, otro{};
  return ::fstat(Fd(m), &abierto) == 0 && ::stat(ruta.c_str(), &otro) == 0 &&
         abierto.st_dev == otro.st_dev && abierto.st_ino == otro.st_ino;
}

} // namespace Plataforma::Nativo
