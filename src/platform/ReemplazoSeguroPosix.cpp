#include "platform/ReemplazoSeguro.h"

#include "platform/Errores.h"
#include "platform/Rutas.h"
#include "util/AlSalir.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string_view>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace Plataforma {
namespace {

// Internal results besides errno values: the file is not what was read; the
// write is refused, with the reason in the Escritura.
constexpr int kCambiado = -1;
constexpr int kRechazado = -2;

HuellaArchivo HuellaDe(const struct stat &st, std::uint64_t resumen) {
  HuellaArchivo h;
  h.dispositivo = static_cast<std::uint64_t>(st.st_dev);
  h.identificador = static_cast<std::uint64_t>(st.st_ino);
  h.tamano = static_cast<std::int64_t>(st.st_size);
  h.modificacion = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  h.resumen = resumen;
  return h;
}

// Reads `largo` bytes from the start of `fd`, wherever it stands; 0 or an
// errno value. A file cut short meanwhile gives fewer.
int LeerDescriptor(int fd, std::size_t largo, std::vector<std::uint8_t> &destino) {
  destino.resize(largo);
  std::size_t leidos = 0;
  while (leidos < largo) {
    const ssize_t n =
        ::pread(fd, destino.data() + leidos, largo - leidos, static_cast<off_t>(leidos));
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

// A name no other process uses: for writers that hold no lock.
std::string NombreTemporal(const std::string &nombre) {
  static std::atomic<unsigned> contador{0};
  return "." + nombre + ".alcove-" + std::to_string(::getpid()) + "-" + std::to_string(contador++);
}

// Test hooks: with ALCOVE_PRUEBA_ESCRITURA=matar-al-renombrar the process kills
// itself once the new file has its temporary name, just before the rename;
// "matar-al-renombrar-sin-tmpfile" also takes the path of hosts without O_TMPFILE.
std::string_view Prueba() {
  const char *prueba = std::getenv("ALCOVE_PRUEBA_ESCRITURA");
  return prueba != nullptr ? prueba : "";
}

void MuerteDePrueba() {
  if (Prueba().starts_with("matar-al-renombrar")) {
    ::raise(SIGKILL);
  }
}

// The file being replaced, open from the start: what the new file takes its
// owner, mode and attributes from, and what its writers lock.
class Viejo {
public:
  Viejo() = default;
  ~Viejo() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Viejo(const Viejo &) = delete;
  Viejo &operator=(const Viejo &) = delete;

  // 0, kCambiado when `nombre` is no regular file (any more), or errno.
  int Abrir(int dir, const std::string &nombre) {
    fd_ = ::openat(dir, nombre.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
      return errno == ENOENT || errno == ELOOP ? kCambiado : errno;
    }
    if (::fstat(fd_, &st_) != 0) {
      return errno;
    }
    return S_ISREG(st_.st_mode) ? 0 : kCambiado;
  }

  [[nodiscard]] int Fd() const { return fd_; }
  [[nodiscard]] const struct stat &Estado() const { return st_; }

  // Takes the file's lock (flock) once, waiting a little while another writer
  // holds it: our own writers hold it only from their last check to their
  // rename. 0 or errno; file systems without locks go on without one.
  int Bloquear() {
    for (int intento = 0; !bloqueado_ && intento < 400; ++intento) {
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        bloqueado_ = exclusivo_ = true;
      } else if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) {
        bloqueado_ = true;
      } else if (errno != EWOULDBLOCK && errno != EINTR) {
        return errno;
      } else {
        ::usleep(5000);
      }
    }
    return bloqueado_ ? 0 : EWOULDBLOCK; // two seconds: someone else keeps it
  }
  // True once locked for real: no other writer of ours is between its check
  // and its rename.
  [[nodiscard]] bool Exclusivo() const { return exclusivo_; }

  // True while `nombre` in `dir` names this very file.
  [[nodiscard]] bool Nombrado(int dir, const std::string &nombre) const {
    struct stat st {};
    return ::fstatat(dir, nombre.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           st.st_dev == st_.st_dev && st.st_ino == st_.st_ino;
  }

private:
  int fd_ = -1;
  struct stat st_ {};
  bool bloqueado_ = false;
  bool exclusivo_ = false;
};

// 0, or kRechazado when the caller could not open `nombre` for writing (its
// mode, an ACL, a read-only mount, an immutable file); errno otherwise.
int PuedeEscribir(int dir, const std::string &nombre) {
  if (::faccessat(dir, nombre.c_str(), W_OK, AT_EACCESS) == 0) {
    return 0;
  }
  return errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY ? kRechazado
                                                                                 : errno;
}

// --- What the new file keeps of the old one ------------------------------------

// Extended attributes by name; ACLs are among them (system.posix_acl_access).
using Atributos = std::map<std::string, std::vector<char>>;

// One attribute's value; ENODATA when it went meanwhile.
int LeerAtributo(int fd, const std::string &nombre, std::vector<char> &valor) {
  for (;;) {
    const ssize_t n = ::fgetxattr(fd, nombre.c_str(), nullptr, 0);
    if (n < 0) {
      return errno;
    }
    valor.resize(static_cast<std::size_t>(n) + 1);
    const ssize_t m = ::fgetxattr(fd, nombre.c_str(), valor.data(), valor.size());
    if (m >= 0) {
      valor.resize(static_cast<std::size_t>(m));
      return 0;
    }
    if (errno != ERANGE) {
      return errno; // ERANGE: it grew between the two calls
    }
  }
}

// 0 or errno; a file system without extended attributes has none.
int LeerAtributos(int fd, Atributos &atributos) {
  atributos.clear();
  std::vector<char> nombres;
  for (;;) {
    const ssize_t n = ::flistxattr(fd, nullptr, 0);
    if (n < 0) {
      return errno == ENOTSUP ? 0 : errno;
    }
    nombres.resize(static_cast<std::size_t>(n) + 1);
    const ssize_t m = ::flistxattr(fd, nombres.data(), nombres.size());
    if (m >= 0) {
      nombres.resize(static_cast<std::size_t>(m));
      break;
    }
    if (errno != ERANGE) {
      return errno;
    }
  }
  // Names one after another, each ended by a NUL.
  for (std::size_t i = 0; i < nombres.size();) {
    const std::size_t fin =
        std::find(nombres.begin() + static_cast<std::ptrdiff_t>(i), nombres.end(), '\0') -
        nombres.begin();
    const std::string nombre(nombres.data() + i, fin - i);
    i = fin + 1;
    std::vector<char> valor;
    if (const int fallo = LeerAtributo(fd, nombre, valor); fallo == ENODATA) {
      continue;
    } else if (fallo != 0) {
      return fallo;
    }
    atributos.emplace(nombre, std::move(valor));
  }
  return 0;
}

std::string QueAtributo(const std::string &nombre) {
  return nombre == "system.posix_acl_access" ? "su ACL" : "su atributo extendido " + nombre;
}

std::string PorQue(int numero) {
  std::string texto = Errores::Mensaje(Errores::DesdeHost(numero));
  if (!texto.empty() && texto[0] >= 'A' && texto[0] <= 'Z') {
    texto[0] = static_cast<char>(texto[0] - 'A' + 'a');
  }
  return texto;
}

// The old file's extended attributes on the new file `fd`, and none other
// (one a folder's default ACL gave it, say). 0, errno, or kRechazado with
// `motivo` set.
int CopiarAtributos(int fd, const Viejo &viejo, std::string &motivo) {
  Atributos suyos;
  Atributos nuestros;
  if (const int fallo = LeerAtributos(viejo.Fd(), suyos)) {
    return fallo;
  }
  if (const int fallo = LeerAtributos(fd, nuestros)) {
    return fallo;
  }
  for (const auto &[nombre, valor] : nuestros) {
    if (suyos.count(nombre) == 0 && ::fremovexattr(fd, nombre.c_str()) != 0 && errno != ENODATA) {
      motivo = "no se puede quitar " + QueAtributo(nombre) + ", que ella no tiene (" +
               PorQue(errno) + ")";
      return kRechazado;
    }
  }
  for (const auto &[nombre, valor] : suyos) {
    const auto ya = nuestros.find(nombre);
    if ((ya == nuestros.end() || ya->second != valor) &&
        ::fsetxattr(fd, nombre.c_str(), valor.data(), valor.size(), 0) != 0) {
      motivo = "no se puede conservar " + QueAtributo(nombre) + " (" + PorQue(errno) + ")";
      return kRechazado;
    }
  }
  return 0;
}

// Gives the new file `fd` the old one's owner, group, extended attributes and
// mode, in that order: a change of owner clears the set-ID bits, and setting an
// ACL sets the group bits. 0, errno, or kRechazado with `motivo` set.
int Heredar(int fd, const Viejo &viejo, std::string &motivo) {
  const struct stat &suyo = viejo.Estado();
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return errno;
  }
  // Only root gives a file away, and a user gives it only to a group of their
  // own. Where the file system keeps no owners both files have the same ones.
  const bool dueno = st.st_uid != suyo.st_uid;
  const bool grupo = st.st_gid != suyo.st_gid;
  if ((dueno || grupo) && ::fchown(fd, dueno ? suyo.st_uid : static_cast<uid_t>(-1),
                                   grupo ? suyo.st_gid : static_cast<gid_t>(-1)) != 0) {
    if (errno != EPERM) {
      return errno;
    }
    motivo = dueno ? "no se puede conservar su dueño (es de otro usuario)"
                   : "no se puede conservar su grupo (no es uno de los suyos)";
    return kRechazado;
  }
  if (const int fallo = CopiarAtributos(fd, viejo, motivo)) {
    return fallo;
  }
  // Asked only when they differ: FAT file systems refuse modes they cannot keep.
  if (::fstat(fd, &st) != 0) {
    return errno;
  }
  if ((st.st_mode & 07777) != (suyo.st_mode & 07777) && ::fchmod(fd, suyo.st_mode & 07777) != 0) {
    return errno;
  }
  // The kernel drops a set-group-ID bit quietly for a group not one's own.
  if (::fstat(fd, &st) != 0) {
    return errno;
  }
  if ((st.st_mode & 07777) != (suyo.st_mode & 07777)) {
    char modo[8];
    std::snprintf(modo, sizeof modo, "%04o", static_cast<unsigned>(suyo.st_mode & 07777));
    motivo = std::string("no se puede conservar su modo ") + modo;
    return kRechazado;
  }
  return 0;
}

// --- Writing ---------------------------------------------------------------------

// Everything a write needs: where, what, the file it replaces, and the last
// check before the rename (0 to go on, kCambiado or an errno value to stop).
struct Escritura {
  int dir;
  const std::string &nombre;
  std::span<const std::uint8_t> bytes;
  Viejo *viejo; // the file replaced; null when there is none
  bool reemplazar;
  std::function<int()> comprobar;
  std::string motivo; // of a refusal (kRechazado)
};

// Fills the file, gives it what it keeps of the old one and flushes it; 0,
// errno or kRechazado.
int Llenar(int fd, Escritura &e) {
  if (const int fallo = EscribirTodo(fd, e.bytes)) {
    return fallo;
  }
  if (e.viejo != nullptr) {
    if (const int fallo = Heredar(fd, *e.viejo, e.motivo)) {
      return fallo;
    }
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// The lock of the old file and the last check; 0 or why not.
int Asegurar(Escritura &e) {
  if (e.viejo != nullptr) {
    if (const int fallo = e.viejo->Bloquear()) {
      return fallo;
    }
  }
  return e.comprobar();
}

// The name the new file takes to be renamed: while we hold the old file's
// lock, ".NAME.alcove-nuevo" is ours alone, and one there already is the copy
// of a writer killed before its rename, removed now; otherwise one that no
// other process uses.
std::string Temporal(const Escritura &e) {
  if (e.viejo != nullptr && e.viejo->Exclusivo() && e.viejo->Nombrado(e.dir, e.nombre)) {
    std::string propio = "." + e.nombre + ".alcove-nuevo";
    ::unlinkat(e.dir, propio.c_str(), 0);
    return propio;
  }
  return NombreTemporal(e.nombre);
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

// The file is written without a name (O_TMPFILE), so a process killed while
// writing leaves nothing behind. A new file gets its own name at once; one
// that replaces another gets a temporary name only to be renamed.
// Returns 0, an errno value, kCambiado, kRechazado, or ENOTSUP when the host
// cannot do this here.
int EscribirAnonimo(Escritura &e) {
  const int fd = ::openat(e.dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, e.viejo ? 0600 : 0666);
  if (fd < 0) {
    return errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL ? ENOTSUP : errno;
  }
  const AlSalir cerrar([fd] { ::close(fd); });
  if (const int fallo = Llenar(fd, e)) {
    return fallo;
  }
  if (const int fallo = Asegurar(e)) {
    return fallo;
  }
  const std::string propio = "/proc/self/fd/" + std::to_string(fd);
  if (e.viejo == nullptr &&
      ::linkat(AT_FDCWD, propio.c_str(), e.dir, e.nombre.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return 0;
  }
  if (e.viejo == nullptr && (errno != EEXIST || !e.reemplazar)) {
    return errno == EEXIST ? EEXIST : ENOTSUP; // no /proc: write it again with a name
  }
  const std::string temporal = Temporal(e);
  if (::linkat(AT_FDCWD, propio.c_str(), e.dir, temporal.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return errno == EEXIST ? EEXIST : ENOTSUP;
  }
  MuerteDePrueba();
  const int fallo = Colocar(e.dir, temporal, e.nombre, true);
  if (fallo != 0) {
    ::unlinkat(e.dir, temporal.c_str(), 0);
  }
  return fallo;
}

// The same with a temporary name from the start, for hosts without O_TMPFILE.
// A file that replaces another is locked first, so that its name is ours.
int EscribirConNombre(Escritura &e) {
  if (e.viejo != nullptr) {
    if (const int fallo = e.viejo->Bloquear()) {
      return fallo;
    }
  }
  const std::string temporal = Temporal(e);
  const int fd =
      ::openat(e.dir, temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
               e.viejo ? 0600 : 0666);
  if (fd < 0) {
    return errno;
  }
  int fallo = Llenar(fd, e);
  if (::close(fd) != 0 && fallo == 0) {
    fallo = errno;
  }
  if (fallo == 0) {
    fallo = Asegurar(e);
  }
  if (fallo == 0) {
    MuerteDePrueba();
    fallo = Colocar(e.dir, temporal, e.nombre, e.reemplazar);
  }
  if (fallo != 0) {
    ::unlinkat(e.dir, temporal.c_str(), 0);
  }
  return fallo;
}

// Writes, renames and flushes the folder, so the rename itself is on the disk.
int Escribir(Escritura &e) {
  int fallo = Prueba().ends_with("sin-tmpfile") ? ENOTSUP : EscribirAnonimo(e);
  if (fallo == ENOTSUP) {
    fallo = EscribirConNombre(e);
  }
  if (fallo == 0) {
    // The file is in place whatever this says: nothing is left to undo.
    ::fsync(e.dir);
  }
  return fallo;
}

// Whether `nombre` in `dir` is still the file `leida` describes, bytes
// included; `viejo` holds it open (and locked).
int Comprobar(int dir, const std::string &nombre, const HuellaArchivo &leida, const Viejo &viejo) {
  struct stat st {};
  if (::fstat(viejo.Fd(), &st) != 0) {
    return errno;
  }
  // The writer that held the lock may have put another file under the name.
  if (!viejo.Nombrado(dir, nombre) || HuellaDe(st, leida.resumen) != leida) {
    return kCambiado;
  }
  std::vector<std::uint8_t> ahora;
  if (const int fallo = LeerDescriptor(viejo.Fd(), static_cast<std::size_t>(st.st_size), ahora)) {
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
    return {fallo == ENOENT ? std::int16_t{0} : Errores::DesdeHost(fallo), fallo == ENOENT, {}};
  }
  const int dir = AbrirCarpeta(d);
  if (dir < 0) {
    return {Errores::DesdeHost(errno), false, {}};
  }
  const AlSalir cerrar([dir] { ::close(dir); });
  Viejo viejo; // released once the new file is in place
  int fallo = viejo.Abrir(dir, d.nombre);
  if (fallo == 0 && HuellaDe(viejo.Estado(), leida.resumen) != leida) {
    fallo = kCambiado;
  }
  if (fallo == 0) {
    fallo = PuedeEscribir(dir, d.nombre);
  }
  if (fallo == kRechazado) {
    return {Errores::Ninguno, false, kSoloLectura};
  }
  Escritura e{dir,    d.nombre, bytes,
              &viejo, true,     [&] { return Comprobar(dir, d.nombre, leida, viejo); },
              {}};
  if (fallo == 0) {
    fallo = Escribir(e);
  }
  if (fallo == kCambiado) {
    return {Errores::Ninguno, true, {}}; // gone or changed: nothing written
  }
  if (fallo == kRechazado) {
    return {Errores::Ninguno, false, e.motivo};
  }
  return {fallo == 0 ? Errores::Ninguno : Errores::DesdeHost(fallo), false, {}};
}

std::int16_t CrearArchivo(const std::string &ruta, std::span<const std::uint8_t> bytes,
                          bool reemplazar, std::string *rechazo) {
  Destino d;
  if (const int fallo = Resolver(ruta, d)) {
    return fallo == EINVAL ? Errores::NombreArchivoIncorrecto : Errores::DesdeHost(fallo);
  }
  const int dir = AbrirCarpeta(d);
  if (dir < 0) {
    return Errores::DesdeHost(errno);
  }
  const AlSalir cerrar([dir] { ::close(dir); });
  Viejo viejo;
  bool hay = false;
  struct stat st {};
  if (::fstatat(dir, d.nombre.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!reemplazar) {
      return Errores::ArchivoYaExiste;
    }
    if (!S_ISREG(st.st_mode)) {
      return Errores::ErrorAccesoRuta; // never a folder or a device
    }
    int fallo = viejo.Abrir(dir, d.nombre);
    hay = fallo == 0;
    if (hay) {
      fallo = PuedeEscribir(dir, d.nombre);
    }
    if (fallo == kRechazado && rechazo != nullptr) {
      *rechazo = kSoloLectura;
    }
    if (fallo != 0 && fallo != kCambiado) { // a file gone meanwhile is just made anew
      return fallo == kRechazado ? Errores::PermisoDenegado : Errores::DesdeHost(fallo);
    }
  }
  Escritura e{dir, d.nombre, bytes, hay ? &viejo : nullptr, reemplazar, [] { return 0; }, {}};
  const int fallo = Escribir(e);
  if (fallo == kRechazado) {
    if (rechazo != nullptr) {
      *rechazo = e.motivo;
    }
    return Errores::PermisoDenegado;
  }
  return fallo == 0 ? Errores::Ninguno : Errores::DesdeHost(fallo);
}

} // namespace Plataforma
