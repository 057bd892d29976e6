#include "platform/Carpetas.h"

#include "platform/Errores.h"

#include <cerrno>
#include <filesystem>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace Plataforma {
namespace {

struct CerrarCarpeta {
  void operator()(DIR *d) const { ::closedir(d); }
};

// The entry's type as the listing gives it; file systems that do not give it
// cost a stat that does not follow links.
unsigned char Tipo(DIR *d, const dirent &e) {
  if (e.d_type != DT_UNKNOWN) {
    return e.d_type;
  }
  struct stat st {};
  if (::fstatat(::dirfd(d), e.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return DT_UNKNOWN;
  }
  if (S_ISDIR(st.st_mode)) {
    return DT_DIR;
  }
  if (S_ISLNK(st.st_mode)) {
    return DT_LNK;
  }
  return S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
}

} // namespace

std::int16_t ListarCarpeta(const std::string &carpeta,
                           const std::function<bool(const IdCarpeta &)> &entrar,
                           const std::function<bool(std::string_view)> &interesa,
                           const std::function<void(std::string_view, bool)> &alVer) {
  const std::unique_ptr<DIR, CerrarCarpeta> d(::opendir(carpeta.c_str()));
  if (!d) {
    return Errores::DesdeHost(errno);
  }
  struct stat propia {};
  if (::fstat(::dirfd(d.get()), &propia) == 0 &&
      !entrar(IdCarpeta{static_cast<std::uint64_t>(propia.st_dev),
                        static_cast<std::uint64_t>(propia.st_ino)})) {
    return Errores::Ninguno;
  }
  for (;;) {
    errno = 0;
    const dirent *e = ::readdir(d.get());
    if (e == nullptr) {
      break;
    }
    const std::string_view nombre = e->d_name;
    if (nombre == "." || nombre == "..") {
      continue;
    }
    const unsigned char tipo = Tipo(d.get(), *e);
    if (tipo == DT_DIR) {
      alVer(nombre, true);
    } else if ((tipo == DT_REG || tipo == DT_LNK) && interesa(nombre)) {
      struct stat st {};
      if (tipo == DT_LNK &&
          (::fstatat(::dirfd(d.get()), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))) {
        continue;
      }
      alVer(nombre, false);
    }
  }
  return errno != 0 ? Errores::DesdeHost(errno) : Errores::Ninguno;
}

std::int16_t CrearCarpetas(const std::string &carpeta) {
  std::error_code ec;
  std::filesystem::create_directories(carpeta, ec);
  return ec ? Errores::DesdeHost(ec.value()) : Errores::Ninguno;
}

} // namespace Plataforma
