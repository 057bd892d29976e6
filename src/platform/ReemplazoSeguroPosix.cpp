#include "platform/ReemplazoSeguro.h"

#include "platform/Errores.h"
#include "platform/Rutas.h"
#include "util/AlSalir.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plataforma {
namespace {

// Internal result of the check before the rename: the file is not what was read.
constexpr int kCambiado = -1;

HuellaArchivo HuellaDe(const struct stat &st, std::uint64_t resumen) {
  HuellaArchivo h;
  h.dispositivo = static_cast<std::uint64_t>(st.st_dev);
  h.identificador = static_cast<std::uint64_t>(st.st_ino);
  h.tamano = static_cast<std::int64_t>(st.st_size);
  h.modificacion = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  h.resumen = resumen;
  return h;
}

// Reads `largo` bytes from the start of `fd`; 0 or an errno value. A file cut
// short meanwhile gives fewer.
int LeerDescriptor(int fd, std::size_t largo, std::vector<std::uint8_t> &destino) {
  destino.resize(largo);
  std::size_t leidos = 0;
  while (leidos < largo) {
    const ssize_t n = ::read(fd, destino.data() + leidos, largo - leidos);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return errno;
    }
    if (n == 0) {
      break;
    }
    leidos += static_cast<std::size_t>(n);
  }
  destino.resize(leidos);
  return 0;
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

// The folder and name of the real file: the one `ruta` names through any
// links. A file that does not exist yet is named in its folder's real path.
struct Destino {
  std::string carpeta;
  std::string nombre;
};

void Partir(const std::string &ruta, Destino &d) {
  const auto barra = ruta.rfind('/');
  d.carpeta = barra == std::string::npos ? "." : barra == 0 ? "/" : ruta.substr(0, barra);
  d.nombre = barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// 0 or an errno value.
int Resolver(const std::string &ruta, Destino &d) {
  if (ruta.empty() || ContieneNulo(ruta)) {
    return EINVAL;
  }
  if (char *real = ::realpath(ruta.c_str(), nullptr)) {
    Partir(real, d);
    std::free(real);
    return 0;
  }
  const int fallo = errno;
  struct stat st {};
  if (fallo != ENOENT || ::lstat(ruta.c_str(), &st) == 0) {
    return fallo; // a link pointing at nothing is ENOENT too
  }
  Partir(ruta, d);
  if (d.nombre.empty() || d.nombre == "." || d.nombre == "..") {
    return EINVAL;
  }
  char *real = ::realpath(d.carpeta.c_str(), nullptr);
  if (real == nullptr) {
    return errno;
  }
  d.carpeta = real;
  std::free(real);
  return 0;
}

std::string NombreTemporal(const std::string &nombre) {
  static std::atomic<unsigned> contador{0};
  return "." + nombre + ".alcove-" + std::to_string(::getpid()) + "-" + std::to_string(contador++);
}

// The owner and permission bits the new file takes from the one it replaces.
struct Permisos {
  uid_t usuario;
  gid_t grupo;
  mode_t modo;
};

// Fills the file, gives it the old file's permissions and flushes it; 0 or errno.
int Llenar(int fd, std::span<const std::uint8_t> bytes, const std::optional<Permisos> &permisos) {
  struct stat st {};
  if (permisos && ::fstat(fd, &st) == 0) {
    // Only root can give a file away, and only where the file system keeps
    // owners: elsewhere the new file is as much the user's as the old one was.
    if ((st.st_uid != permisos->usuario || st.st_gid != permisos->grupo) && ::geteuid() == 0) {
      [[maybe_unused]] const int ignorado = ::fchown(fd, permisos->usuario, permisos->grupo);
    }
    // Asked only when they differ: FAT file systems refuse modes they cannot keep.
    if ((st.st_mode & 07777) != (permisos->modo & 07777) &&
        ::fchmod(fd, permisos->modo & 07777) != 0) {
      return errno;
    }
  }
  if (const int fallo = EscribirTodo(fd, bytes)) {
    return fallo;
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// Puts the written file `temporal` in place as `nombre`; 0 or errno.
int Colocar(int dir, const std::string &temporal, const std::string &nombre, bool reemplazar) {
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

// Everything a write needs: where, what, and the last check before the rename
// (0 to go on, kCambiado or an errno value to stop).
struct Escritura {
  int dir;
  const std::string &nombre;
  std::span<const std::uint8_t> bytes;
  std::optional<Permisos> permisos;
  bool reemplazar;
  std::function<int()> comprobar;
};

// The file is written without a name (O_TMPFILE), so a process killed while
// writing leaves nothing behind; it gets a name only to be renamed at once.
// Returns 0, an errno value, or ENOTSUP when the host cannot do this here.
int EscribirAnonimo(const Escritura &e) {
  const int fd = ::openat(e.dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, e.permisos ? 0600 : 0666);
  if (fd < 0) {
    return errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL ? ENOTSUP : errno;
  }
  const AlSalir cerrar([fd] { ::close(fd); });
  if (const int fallo = Llenar(fd, e.bytes, e.permisos)) {
    return fallo;
  }
  if (const int fallo = e.comprobar()) {
    return fallo;
  }
  const std::string temporal = e.reemplazar ? NombreTemporal(e.nombre) : e.nombre;
  const std::string propio = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, propio.c_str(), e.dir, temporal.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return errno == EEXIST ? EEXIST : ENOTSUP; // no /proc: write it again with a name
  }
  if (!e.reemplazar) {
    return 0;
  }
  const int fallo = Colocar(e.dir, temporal, e.nombre, true);
  if (fallo != 0) {
    ::unlinkat(e.dir, temporal.c_str(), 0);
  }
  return fallo;
}

// The same with a temporary name from the start, for hosts without O_TMPFILE.
int EscribirConNombre(const Escritura &e) {
  const std::string temporal = NombreTemporal(e.nombre);
  const int fd =
      ::openat(e.dir, temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
               e.permisos ? 0600 : 0666);
  if (fd < 0) {
    return errno;
  }
  int fallo = Llenar(fd, e.bytes, e.permisos);
  if (::close(fd) != 0 && fallo == 0) {
    fallo = errno;
  }
  if (fallo == 0) {
    fallo = e.comprobar();
  }
  if (fallo == 0) {
    fallo = Colocar(e.dir, temporal, e.nombre, e.reemplazar);
  }
  if (fallo != 0) {
    ::unlinkat(e.dir, temporal.c_str(), 0);
  }
  return fallo;
}

// Writes, renames and flushes the folder, so the rename itself is on the disk.
int Escribir(const Escritura &e) {
  int fallo = EscribirAnonimo(e);
  if (fallo == ENOTSUP) {
    fallo = EscribirConNombre(e);
  }
  if (fallo == 0) {
    // The file is in place whatever this says: nothing is left to undo.
    ::fsync(e.dir);
  }
  return fallo;
}

// Takes the file's lock (flock), waiting a little while another writer holds
// it: our own writers hold it only from their last check to their rename. 0 or
// errno; file systems without locks go on without one.
int Bloquear(int fd) {
  for (int intento = 0; intento < 400; ++intento) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      return 0;
    }
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) {
      return 0;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return errno;
    }
    ::usleep(5000);
  }
  return EWOULDBLOCK; // two seconds: someone else keeps it
}

// Whether `nombre` in `dir` is still the file `leida` describes, bytes included.
// The file is left locked in `cerrojo`, which the caller closes after its
// rename: another writer that locks it too cannot replace it in between.
int Comprobar(int dir, const std::string &nombre, const HuellaArchivo &leida, int &cerrojo) {
  if (cerrojo >= 0) {
    ::close(cerrojo); // a second attempt, with a named file: our own lock would stop it
  }
  cerrojo = ::openat(dir, nombre.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (cerrojo < 0) {
    return errno == ENOENT || errno == ELOOP ? kCambiado : errno;
  }
  if (const int fallo = Bloquear(cerrojo)) {
    return fallo;
  }
  struct stat st {};
  struct stat nombrado {};
  if (::fstat(cerrojo, &st) != 0) {
    return errno;
  }
  // The writer that held the lock may have put another file under the name.
  if (::fstatat(dir, nombre.c_str(), &nombrado, AT_SYMLINK_NOFOLLOW) != 0 ||
      nombrado.st_dev != st.st_dev || nombrado.st_ino != st.st_ino) {
    return kCambiado;
  }
  if (!S_ISREG(st.st_mode) || HuellaDe(st, leida.resumen) != leida) {
    return kCambiado;
  }
  std::vector<std::uint8_t> ahora;
  if (const int fallo = LeerDescriptor(cerrojo, static_cast<std::size_t>(st.st_size), ahora)) {
    return fallo;
  }
  return ResumenBytes(ahora) == leida.resumen ? 0 : kCambiado;
}

// The folder of `d`, opened; -1 and errno on failure.
int AbrirCarpeta(const Destino &d) {
  return ::open(d.carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

std::int16_t LeerParaReemplazar(const std::string &ruta, std::uintmax_t limite,
                                std::vector<std::uint8_t> &destino, HuellaArchivo &huella) {
  destino.clear();
  if (ContieneNulo(ruta)) {
    return Errores::NombreArchivoIncorrecto;
  }
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return Errores::DesdeHost(errno);
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
  if (const int fallo = LeerDescriptor(fd, static_cast<std::size_t>(st.st_size), destino)) {
    return Errores::DesdeHost(fallo);
  }
  huella = HuellaDe(st, ResumenBytes(destino));
  return Errores::Ninguno;
}

Reemplazo ReemplazarArchivo(const std::string &ruta, const HuellaArchivo &leida,
                            std::span<const std::uint8_t> bytes) {
  Destino d;
  if (const int fallo = Resolver(ruta, d)) {
    return {fallo == ENOENT ? std::int16_t{0} : Errores::DesdeHost(fallo), fallo == ENOENT};
  }
  const int dir = AbrirCarpeta(d);
  if (dir < 0) {
    return {Errores::DesdeHost(errno), false};
  }
  const AlSalir cerrar([dir] { ::close(dir); });
  struct stat st {};
  if (::fstatat(dir, d.nombre.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      HuellaDe(st, leida.resumen) != leida) {
    return {Errores::Ninguno, true}; // gone or changed already: nothing written
  }
  int cerrojo = -1; // released once the new file is in place
  const AlSalir soltar([&cerrojo] {
    if (cerrojo >= 0) {
      ::close(cerrojo);
    }
  });
  const Escritura e{dir,   d.nombre,
                    bytes, Permisos{st.st_uid, st.st_gid, st.st_mode},
                    true,  [&] { return Comprobar(dir, d.nombre, leida, cerrojo); }};
  const int fallo = Escribir(e);
  if (fallo == kCambiado) {
    return {Errores::Ninguno, true};
  }
  return {fallo == 0 ? Errores::Ninguno : Errores::DesdeHost(fallo), false};
}

std::int16_t CrearArchivo(const std::string &ruta, std::span<const std::uint8_t> bytes,
                          bool reemplazar) {
  Destino d;
  if (const int fallo = Resolver(ruta, d)) {
    return fallo == EINVAL ? Errores::NombreArchivoIncorrecto : Errores::DesdeHost(fallo);
  }
  const int dir = AbrirCarpeta(d);
  if (dir < 0) {
    return Errores::DesdeHost(errno);
  }
  const AlSalir cerrar([dir] { ::close(dir); });
  std::optional<Permisos> permisos;
  struct stat st {};
  if (::fstatat(dir, d.nombre.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!reemplazar) {
      return Errores::ArchivoYaExiste;
    }
    if (!S_ISREG(st.st_mode)) {
      return Errores::ErrorAccesoRuta; // never a folder or a device
    }
    permisos = Permisos{st.st_uid, st.st_gid, st.st_mode};
  }
  const Escritura e{dir, d.nombre, bytes, permisos, reemplazar, [] { return 0; }};
  const int fallo = Escribir(e);
  return fallo == 0 ? Errores::Ninguno : Errores::DesdeHost(fallo);
}

} // namespace Plataforma
