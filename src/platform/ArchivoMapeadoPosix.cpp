#include "platform/ArchivoMapeado.h"

#include "platform/Errores.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

Cls_ArchivoMapeado::Cls_ArchivoMapeado(const std::string &ruta, std::uintmax_t limite) {
  if (ruta.find('\0') != std::string::npos) {
    error_ = Errores::NombreArchivoIncorrecto;
    return;
  }
  // O_NONBLOCK: a FIFO named like an image must not hang the open.
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_ = Errores::DesdeHost(errno);
    return;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = Errores::DesdeHost(errno);
  } else if (!S_ISREG(st.st_mode)) {
    error_ = Errores::ArchivoNoEncontrado;
  } else if (static_cast<std::uintmax_t>(st.st_size) > limite) {
    error_ = Errores::ArgumentoNoValido;
  } else if (st.st_size > 0) {
    largo_ = static_cast<std::size_t>(st.st_size);
    void *p = ::mmap(nullptr, largo_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      error_ = Errores::DesdeHost(errno);
      largo_ = 0;
    } else {
      datos_ = static_cast<const std::uint8_t *>(p);
      mapeado_ = true;
    }
  }
  ::close(fd);
}

Cls_ArchivoMapeado::~Cls_ArchivoMapeado() {
  if (mapeado_) {
    ::munmap(const_cast<std::uint8_t *>(datos_), largo_);
  }
}

std::int16_t LeerPrincipioArchivo(const std::string &ruta, std::size_t largo,
                                  std::vector<std::uint8_t> &destino) {
  destino.clear();
  if (ruta.find('\0') != std::string::npos) {
    return Errores::NombreArchivoIncorrecto;
  }
  // No fstat: a folder fails to read (EISDIR) and a FIFO, opened non-blocking,
  // cannot be read at an offset (ESPIPE), so nothing can hang.
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return Errores::DesdeHost(errno);
  }
  std::int16_t error = Errores::Ninguno;
  destino.resize(largo);
  std::size_t leidos = 0;
  while (leidos < largo) {
    const ssize_t n =
        ::pread(fd, destino.data() + leidos, largo - leidos, static_cast<off_t>(leidos));
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
  ::close(fd);
  return error;
}
