#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/Rutas.h"
#include "util/AlSalir.h"

#include <cerrno>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// How the attribute word is read on Linux, which keeps no such word:
//   SoloLectura (1)  the owner may not write the file
//   Oculto (2)       the name begins with "."
//   Comprimido (2048) the file system stores the file compressed (statx)
//   Normal (128)     none of the above
//   Sistema, Directorio, Archivo, Temporal, SinConexion: never set (only regular
//   files are described at all, and the rest has no Linux counterpart).
// Clearing the word gives the owner write permission; the name stays as it is.

namespace Plataforma {
namespace {

std::string SinCarpeta(const std::string &ruta) {
  const auto barra = ruta.rfind('/');
  return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// Days from 1 January 1970 to the given civil date (proleptic Gregorian).
std::int64_t DiasDesdeCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Estado {
  mode_t modo = 0;
  std::int64_t tamano = 0;
  std::uint64_t atributosHost = 0;
  struct timespec acceso {
  }, modificacion{}, cambio{}, nacimiento{};
  bool tieneNacimiento = false;
};

// statx when the kernel has it (it knows creation times), stat otherwise.
bool Consultar(const std::string &ruta, Estado &e) {
  struct statx sx {};
  if (::statx(AT_FDCWD, ruta.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
              &sx) == 0) {
    const auto ts = [](const struct statx_timestamp &t) {
      return timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)};
    };
    e.modo = sx.stx_mode;
    e.tamano = static_cast<std::int64_t>(sx.stx_size);
    e.atributosHost = sx.stx_attributes & sx.stx_attributes_mask;
    e.acceso = ts(sx.stx_atime);
    e.modificacion = ts(sx.stx_mtime);
    e.cambio = ts(sx.stx_ctime);
    e.tieneNacimiento = (sx.stx_mask & STATX_BTIME) != 0;
    e.nacimiento = ts(sx.stx_btime);
    return true;
  }
  if (errno != ENOSYS) {
    return false;
  }
  struct stat st {};
  if (::stat(ruta.c_str(), &st) != 0) {
    return false;
  }
  e.modo = st.st_mode;
  e.tamano = static_cast<std::int64_t>(st.st_size);
  e.acceso = st.st_atim;
  e.modificacion = st.st_mtim;
  e.cambio = st.st_ctim;
  return true;
}

double Fecha(const timespec &t) { return FechaDesdeUnix(t.tv_sec, t.tv_nsec); }

} // namespace

double FechaDesdeUnix(std::int64_t segundos, std::int64_t nanosegundos) {
  const auto t = static_cast<time_t>(segundos);
  struct tm local {};
  if (::localtime_r(&t, &local) == nullptr) {
    return 0;
  }
  constexpr std::int64_t DiasHasta1970 = 25569; // 30 December 1899 to 1 January 1970
  const std::int64_t dias =
      DiasDesdeCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                     static_cast<unsigned>(local.tm_mday)) +
      DiasHasta1970;
  const double segundosDelDia = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                                static_cast<double>(nanosegundos) / 1e9;
  return static_cast<double>(dias) + segundosDelDia / 86400.0;
}

ArchivoHost ObtenerArchivo(const std::string &ruta) {
  if (ruta.empty() || ContieneNulo(ruta)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  Estado e;
  if (!Consultar(ruta, e)) {
    LanzarErrorHost(errno);
  }
  if (!S_ISREG(e.modo)) {
    LanzarError(Errores::ArchivoNoEncontrado);
  }
  ArchivoHost a;
  a.Nombre = SinCarpeta(ruta);
  if ((e.modo & S_IWUSR) == 0) {
    a.Atributos |= Atributo::SoloLectura;
  }
  if (!a.Nombre.empty() && a.Nombre.front() == '.') {
    a.Atributos |= Atributo::Oculto;
  }
  if ((e.atributosHost & STATX_ATTR_COMPRESSED) != 0) {
    a.Atributos |= Atributo::Comprimido;
  }
  if (a.Atributos == 0) {
    a.Atributos = Atributo::Normal;
  }
  // Without a recorded birth time, the older of the change and modification
  // times is the nearest the host knows.
  const timespec &antiguo =
      (e.cambio.tv_sec < e.modificacion.tv_sec ||
       (e.cambio.tv_sec == e.modificacion.tv_sec && e.cambio.tv_nsec < e.modificacion.tv_nsec))
          ? e.cambio
          : e.modificacion;
  a.FechaCreacion = Fecha(e.tieneNacimiento ? e.nacimiento : antiguo);
  a.FechaAcceso = Fecha(e.acceso);
  a.FechaModificacion = Fecha(e.modificacion);
  a.Tamano = e.tamano;
  return a;
}

bool EsArchivoRegular(const std::string &ruta) {
  if (ruta.empty() || ContieneNulo(ruta)) {
    return false; // no file can have such a name
  }
  struct stat st {};
  if (::stat(ruta.c_str(), &st) == 0) {
    return S_ISREG(st.st_mode);
  }
  switch (errno) {
  case ENOENT:
  case ENOTDIR: return false; // nothing by that name
  case ENAMETOOLONG: LanzarError(Errores::RutaNoEncontrada);
  default: LanzarErrorHost(errno); // a loop, a folder that cannot be searched, I/O
  }
}

PermisosGuardados LimpiarAtributos(const std::string &ruta) {
  if (ContieneNulo(ruta)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  struct stat st {};
  if (::lstat(ruta.c_str(), &st) != 0) {
    LanzarErrorHost(errno);
  }
  PermisosGuardados previos{static_cast<std::uint32_t>(st.st_mode & 07777), false};
  if (S_ISLNK(st.st_mode) || (st.st_mode & S_IWUSR) != 0) {
    return previos;
  }
  if (::chmod(ruta.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
    LanzarErrorHost(errno);
  }
  previos.cambiados = true;
  return previos;
}

void RestaurarAtributos(const std::string &ruta, PermisosGuardados previos) {
  if (previos.cambiados && !ContieneNulo(ruta)) {
    ::chmod(ruta.c_str(), static_cast<mode_t>(previos.modo));
  }
}

void BorrarArchivo(const std::string &ruta) {
  if (ContieneNulo(ruta)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  if (::unlink(ruta.c_str()) != 0) {
    LanzarErrorHost(errno);
  }
}

namespace {

// Moves across file systems: copy into a destination that must not exist yet,
// keep mode and times, then remove the source. A failed copy leaves no trace.
void MoverCopiando(const std::string &de, const std::string &a) {
  const int origen = ::open(de.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (origen < 0) {
    LanzarErrorHost(errno);
  }
  const AlSalir cierreOrigen([origen] { ::close(origen); });
  struct stat st {};
  if (::fstat(origen, &st) != 0) {
    LanzarErrorHost(errno);
  }
  const int destino =
      ::open(a.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
  if (destino < 0) {
    LanzarErrorHost(errno);
  }
  int fallo = 0;
  {
    const AlSalir cierreDestino([destino] { ::close(destino); });
    char buffer[64 * 1024];
    for (;;) {
      const ssize_t n = ::read(origen, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        fallo = n < 0 ? errno : 0;
        break;
      }
      for (ssize_t hecho = 0; hecho < n && fallo == 0;) {
        const ssize_t w = ::write(destino, buffer + hecho, static_cast<size_t>(n - hecho));
        if (w < 0 && errno != EINTR) {
          fallo = errno;
        } else if (w > 0) {
          hecho += w;
        }
      }
      if (fallo != 0) {
        break;
      }
    }
    if (fallo == 0) {
      const struct timespec tiempos[2] = {st.st_atim, st.st_mtim};
      ::futimens(destino, tiempos);
      if (::fsync(destino) != 0) {
        fallo = errno;
      }
    }
  }
  if (fallo == 0 && ::unlink(de.c_str()) != 0) {
    fallo = errno;
  }
  if (fallo != 0) {
    ::unlink(a.c_str());
    LanzarErrorHost(fallo);
  }
}

} // namespace

void MoverArchivo(const std::string &de, const std::string &a) {
  if (ContieneNulo(de) || ContieneNulo(a)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  // rename() would silently replace `a`; RENAME_NOREPLACE refuses atomically.
  if (::renameat2(AT_FDCWD, de.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE) == 0) {
    return;
  }
  const int e = errno;
  if (e == ENOENT) {
    // The source was there a moment ago: what is missing is the destination's folder.
    struct stat st {};
    LanzarError(::lstat(de.c_str(), &st) == 0 ? Errores::RutaNoEncontrada
                                              : Errores::ArchivoNoEncontrado);
  }
  if (e == EXDEV) {
    MoverCopiando(de, a);
    return;
  }
  if (e != EINVAL && e != ENOSYS) {
    LanzarErrorHost(e);
  }
  // File systems without RENAME_NOREPLACE: a hard link also refuses to replace.
  if (::link(de.c_str(), a.c_str()) == 0) {
    if (::unlink(de.c_str()) != 0) {
      const int fallo = errno;
      ::unlink(a.c_str());
      LanzarErrorHost(fallo);
    }
    return;
  }
  if (errno != EPERM && errno != ENOTSUP) {
    LanzarErrorHost(errno);
  }
  // No hard links either (FAT volumes): check, then rename.
  struct stat st {};
  if (::lstat(a.c_str(), &st) == 0) {
    LanzarError(Errores::ArchivoYaExiste);
  }
  if (::rename(de.c_str(), a.c_str()) != 0) {
    LanzarErrorHost(errno);
  }
}

} // namespace Plataforma
