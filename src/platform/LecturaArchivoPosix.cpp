#include "platform/LecturaArchivo.h"

#include "platform/Errores.h"
#include "platform/Rutas.h"
#include "util/AlSalir.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plataforma {
namespace {

// pread until `largo` bytes or the end; returns an Errores number and leaves
// `destino` holding what was read.
std::int16_t LeerHasta(int fd, std::size_t largo, std::vector<std::uint8_t> &destino,
                       std::uint64_t desde = 0) {
  destino.resize(largo);
  std::size_t leidos = 0;
  std::int16_t error = Errores::Ninguno;
  while (leidos < largo) {
    const ssize_t n =
        ::pread(fd, destino.data() + leidos, largo - leidos, static_cast<off_t>(desde + leidos));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      error = Errores::DesdeHost(errno);
    }
    if (n <= 0) {
      break;
    }
    leidos += static_cast<std::size_t>(n);
  }
  destino.resize(leidos);
  return error;
}

// Empties `destino` and opens `ruta` for reading without ever waiting (a FIFO
// named like an image must not hang the open); -1 and `error` on failure.
int AbrirParaLeer(const std::string &ruta, std::vector<std::uint8_t> &destino,
                  std::int16_t &error) {
  destino.clear();
  if (ContieneNulo(ruta)) {
    error = Errores::NombreArchivoIncorrecto;
    return -1;
  }
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = Errores::DesdeHost(errno);
  }
  return fd;
}

} // namespace

std::int16_t LeerArchivoEntero(const std::string &ruta, std::uintmax_t limite,
                               std::vector<std::uint8_t> &destino) {
  std::int16_t error = Errores::Ninguno;
  const int fd = AbrirParaLeer(ruta, destino, error);
  if (fd < 0) {
    return error;
  }
  const AlSalir cerrar([fd] { ::close(fd); });
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return Errores::DesdeHost(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return Errores::ArchivoNoEncontrado;
  }
  if (static_cast<std::uintmax_t>(st.st_size) > limite) {
    return Errores::ArgumentoNoValido;
  }
  // A file cut short meanwhile gives what it still holds.
  return LeerHasta(fd, static_cast<std::size_t>(st.st_size), destino);
}

std::int16_t LeerPrincipioArchivo(const std::string &ruta, std::size_t largo,
                                  std::vector<std::uint8_t> &destino, std::uintmax_t *tamano) {
  // No fstat: a folder fails to read (EISDIR) and a FIFO, opened non-blocking,
  // cannot be read at an offset (ESPIPE), so nothing can hang.
  std::int16_t error = Errores::Ninguno;
  const int fd = AbrirParaLeer(ruta, destino, error);
  if (fd < 0) {
    return error;
  }
  const AlSalir cerrar([fd] { ::close(fd); });
  if (tamano != nullptr) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      return Errores::DesdeHost(errno);
    }
    *tamano = static_cast<std::uintmax_t>(st.st_size);
  }
  return LeerHasta(fd, largo, destino);
}

ClaseArchivo Clase(const std::string &ruta) {
  struct stat st {};
  if (ContieneNulo(ruta)) {
    return ClaseArchivo::Desconocida;
  }
  if (::stat(ruta.c_str(), &st) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? ClaseArchivo::NoExiste : ClaseArchivo::Desconocida;
  }
  if (S_ISREG(st.st_mode)) {
    return ClaseArchivo::Normal;
  }
  if (S_ISDIR(st.st_mode)) {
    return ClaseArchivo::Carpeta;
  }
  if (S_ISFIFO(st.st_mode)) {
    return ClaseArchivo::Fifo;
  }
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    return ClaseArchivo::Dispositivo;
  }
  return S_ISSOCK(st.st_mode) ? ClaseArchivo::Socket : ClaseArchivo::Desconocida;
}

std::int16_t LeerTramoArchivo(const std::string &ruta, std::uint64_t desde, std::size_t largo,
                              std::vector<std::uint8_t> &destino) {
  std::int16_t error = Errores::Ninguno;
  const int fd = AbrirParaLeer(ruta, destino, error);
  if (fd < 0) {
    return error;
  }
  const AlSalir cerrar([fd] { ::close(fd); });
  return LeerHasta(fd, largo, destino, desde);
}

std::int16_t LeerEstadoArchivo(const std::string &ruta, EstadoArchivo &estado) {
  if (ContieneNulo(ruta)) {
    return Errores::NombreArchivoIncorrecto;
  }
  struct stat st {};
  if (::stat(ruta.c_str(), &st) != 0) {
    return Errores::DesdeHost(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return Errores::ArchivoNoEncontrado;
  }
  estado.tamano = static_cast<std::uint64_t>(st.st_size);
  estado.cambio = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return Errores::Ninguno;
}

} // namespace Plataforma
