#include "platform/CarpetaTemporal.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace Plataforma {

CarpetaTemporal::CarpetaTemporal() {
  const char *base = std::getenv("TMPDIR");
  std::string patron = base != nullptr && *base == '/' ? base : "/tmp";
  while (patron.size() > 1 && patron.back() == '/')
    patron.pop_back();
  patron += "/alcove-XXXXXX";
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

} // namespace Plataforma
