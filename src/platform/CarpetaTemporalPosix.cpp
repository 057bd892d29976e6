#include "platform/CarpetaTemporal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace Plataforma {
namespace {

// TMPDIR when it is an absolute path, else /tmp; no separator at the end.
std::string Base() {
  const char *base = std::getenv("TMPDIR");
  std::string ruta = base != nullptr && *base == '/' ? base : "/tmp";
  while (ruta.size() > 1 && ruta.back() == '/')
    ruta.pop_back();
  return ruta;
}

} // namespace

CarpetaTemporal::CarpetaTemporal() {
  const std::string patron = Base() + "/alcove-" + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> nombre(patron.begin(), patron.end());
  nombre.push_back('\0');
  // mkdtemp makes it for this user alone (mode 0700).
  if (::mkdtemp(nombre.data()) != nullptr)
    ruta_ = nombre.data();
}

CarpetaTemporal::~CarpetaTemporal() {
  if (ruta_.empty())
    return;
  std::error_code ec;
  std::filesystem::remove_all(ruta_, ec);
}

void BarrerCarpetasTemporales() noexcept {
  try {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto it = fs::directory_iterator(Base(), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
      const pid_t pid = static_cast<pid_t>(ProcesoDeCarpeta(it->path().filename().string()));
      if (pid <= 0 || pid == ::getpid())
        continue;
      // A folder of this user's (never one a link names), whose process has
      // gone: one still running, of any user, keeps it.
      struct stat st {};
      if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
          st.st_uid != ::geteuid() || ::kill(pid, 0) == 0 || errno != ESRCH)
        continue;
      std::error_code borrado;
      fs::remove_all(it->path(), borrado);
    }
  } catch (...) {
    // A folder that cannot be swept is left for the next start.
  }
}

} // namespace Plataforma
