#include "platform/EscrituraSegura.h"

#include "platform/Errores.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
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

// Test hook: with ALCOVE_PRUEBA_ESCRITURA=pausa the process stops itself once
// each file's bytes are written and before they are put in place, so a test
// can look at the folder, change it or kill the process at that moment;
// "pausa-sin-tmpfile" also takes the path of hosts without O_TMPFILE.
const char *Prueba() { return std::getenv("ALCOVE_PRUEBA_ESCRITURA"); }

void PausaDePrueba() {
  const char *prueba = Prueba();
  if (prueba != nullptr && std::strncmp(prueba, "pausa", 5) == 0) {
    ::raise(SIGSTOP);
  }
}

// With "matar-al-renombrar", the process kills itself once a file that
// replaces another has its temporary name, just before the rename.
void MuerteDePrueba() {
  const char *prueba = Prueba();
  if (prueba != nullptr && std::strcmp(prueba, "matar-al-renombrar") == 0) {
    ::raise(SIGKILL);
  }
}

// Takes the lock of a file about to be replaced, as the image writers take it,
// waiting a little while someone holds it; false when it cannot be had.
bool Bloquear(int fd) {
  for (int intento = 0; intento < 400; ++intento) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      return true;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return false;
    }
    ::usleep(5000);
  }
  return false;
}

bool SinTmpfileDePrueba() {
  const char *prueba = Prueba();
  return prueba != nullptr && std::strcmp(prueba, "pausa-sin-tmpfile") == 0;
}

// Temporary names to remove when the process is interrupted. The signal
// handler reads this fixed table without allocating or locking; a slot is in
// use while its folder descriptor is not negative.
struct Pendiente {
  std::atomic<int> dir{-1};
  char nombre[256] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);
constexpr int kLibre = -1;
constexpr int kOcupandose = -2;
std::array<Pendiente, 8> pendientes;

constexpr std::array<int, 4> kSenales = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void AlInterrumpir(int senal) {
  const int guardado = errno;
  for (Pendiente &p : pendientes) {
    const int dir = p.dir.load();
    if (dir >= 0) {
      ::unlinkat(dir, p.nombre, 0);
    }
  }
  errno = guardado;
  // SA_RESETHAND put the default action back: the signal raised again ends
  // the process as it would have, once this handler returns.
  ::raise(senal);
}

// Installed once, and only for signals nobody else has taken or ignored.
void InstalarManejador() {
  static std::once_flag una;
  std::call_once(una, [] {
    struct sigaction nueva {};
    nueva.sa_handler = AlInterrumpir;
    nueva.sa_flags = SA_RESETHAND;
    sigemptyset(&nueva.sa_mask);
    for (const int senal : kSenales) {
      sigaddset(&nueva.sa_mask, senal);
    }
    for (const int senal : kSenales) {
      struct sigaction vieja {};
      if (::sigaction(senal, nullptr, &vieja) == 0 && (vieja.sa_flags & SA_SIGINFO) == 0 &&
          vieja.sa_handler == SIG_DFL) {
        ::sigaction(senal, &nueva, nullptr);
      }
    }
  });
}

// A temporary name in the table while it lives. A name that does not fit is
// not kept (no host name is that long).
class Registro {
public:
  Registro(int dir, const std::string &nombre) {
    for (Pendiente &p : pendientes) {
      int libre = kLibre;
      if (nombre.size() < sizeof p.nombre && p.dir.compare_exchange_strong(libre, kOcupandose)) {
        std::memcpy(p.nombre, nombre.c_str(), nombre.size() + 1);
        p.dir.store(dir);
        slot_ = &p;
        return;
      }
    }
  }
  ~Registro() {
    if (slot_ != nullptr) {
      slot_->dir.store(kLibre);
    }
  }
  Registro(const Registro &) = delete;
  Registro &operator=(const Registro &) = delete;

private:
  Pendiente *slot_ = nullptr;
};

// Through a hidden temporary name, removed on failure and on interruption.
int EscribirConNombre(int dir, const std::string &nombre, std::span<const std::uint8_t> bytes,
                      bool reemplazar) {
  const std::string temporal = NombreTemporal(nombre);
  const Registro registro(dir, temporal);
  Descriptor archivo(
      ::openat(dir, temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (archivo.Fd() < 0) {
    return errno;
  }
  int fallo = EscribirTodo(archivo.Fd(), bytes);
  if (archivo.Cerrar() != 0 && fallo == 0) {
    fallo = errno;
  }
  PausaDePrueba();
  if (fallo == 0) {
    fallo = PonerEnSuSitio(dir, temporal, nombre, reemplazar);
  }
  if (fallo != 0) {
    ::unlinkat(dir, temporal.c_str(), 0);
  }
  return fallo;
}

// Through a file with no name (O_TMPFILE), given one only when it is whole: a
// killed process leaves nothing. -1 when the file system cannot do it.
int EscribirSinNombre(int dir, const std::string &nombre, std::span<const std::uint8_t> bytes,
                      bool reemplazar) {
  const Descriptor archivo(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644));
  if (archivo.Fd() < 0) {
    return -1;
  }
  const int fallo = EscribirTodo(archivo.Fd(), bytes);
  if (fallo != 0) {
    return fallo;
  }
  PausaDePrueba();
  const std::string propio = "/proc/self/fd/" + std::to_string(archivo.Fd());
  // A link never replaces: the check and the placing are one step, and the
  // file has no name till it is whole.
  if (::linkat(AT_FDCWD, propio.c_str(), dir, nombre.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return 0;
  }
  if (errno != EEXIST || !reemplazar) {
    return errno == ENOENT ? -1 : errno; // no /proc: the named way
  }
  // Replacing needs a name to rename from, for the moment between the two
  // steps: under the lock of the file replaced, one of our own, where a copy
  // left by a run killed in that moment is removed.
  const Descriptor viejo(
      ::openat(dir, nombre.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  const bool bloqueado = viejo.Fd() >= 0 && Bloquear(viejo.Fd());
  const std::string temporal = bloqueado ? "." + nombre + ".alcove-nuevo" : NombreTemporal(nombre);
  if (bloqueado) {
    ::unlinkat(dir, temporal.c_str(), 0);
  }
  const Registro registro(dir, temporal);
  if (::linkat(AT_FDCWD, propio.c_str(), dir, temporal.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return errno == ENOENT ? -1 : errno;
  }
  MuerteDePrueba();
  if (::renameat(dir, temporal.c_str(), dir, nombre.c_str()) != 0) {
    const int error = errno;
    ::unlinkat(dir, temporal.c_str(), 0);
    return error;
  }
  return 0;
}

} // namespace

struct Carpeta::Estado {
  int fd = -1;
};

Carpeta::Carpeta(const std::string &ruta) : estado_(std::make_unique<Estado>()) {
  if (ruta.find('\0') != std::string::npos) {
    error_ = Errores::NombreArchivoIncorrecto;
    return;
  }
  estado_->fd = ::open(ruta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (estado_->fd < 0) {
    error_ = errno == ENOENT ? Errores::RutaNoEncontrada : Errores::DesdeHost(errno);
    return;
  }
  InstalarManejador();
}

Carpeta::~Carpeta() {
  if (estado_->fd >= 0) {
    ::close(estado_->fd);
  }
}

std::int16_t Carpeta::Escribir(const std::string &nombre, std::span<const std::uint8_t> bytes,
                               bool reemplazar) {
  if (error_ != Errores::Ninguno) {
    return error_;
  }
  if (!NombreAceptable(nombre)) {
    return Errores::NombreArchivoIncorrecto;
  }
  int fallo = SinTmpfileDePrueba() ? -1 : EscribirSinNombre(estado_->fd, nombre, bytes, reemplazar);
  if (fallo < 0) {
    fallo = EscribirConNombre(estado_->fd, nombre, bytes, reemplazar);
  }
  if (fallo == 0) {
    return Errores::Ninguno;
  }
  return fallo == EEXIST ? Errores::ArchivoYaExiste : Errores::DesdeHost(fallo);
}

bool Carpeta::Existe(const std::string &nombre) const {
  struct stat st {};
  // Anything but "not there" counts as there: a name we cannot look at is not free.
  return error_ == Errores::Ninguno &&
         (::fstatat(estado_->fd, nombre.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT);
}

std::int16_t EscribirEnCarpeta(const std::string &carpeta, const std::string &nombre,
                               std::span<const std::uint8_t> bytes, bool reemplazar) {
  if (!NombreAceptable(nombre)) {
    return Errores::NombreArchivoIncorrecto;
  }
  Carpeta destino(carpeta);
  return destino.Escribir(nombre, bytes, reemplazar);
}

} // namespace EscrituraSegura
