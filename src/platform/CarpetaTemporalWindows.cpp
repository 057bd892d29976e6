#include "platform/CarpetaTemporal.h"

#include "platform/TextoWindows.h"

#include <atomic>
#include <filesystem>
#include <system_error>

namespace Plataforma {
namespace {

// The user's temporary folder, with no separator at the end; empty when the
// host gives none.
std::wstring Base() {
  wchar_t base[MAX_PATH + 2] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH + 1)
    return {};
  std::wstring raiz(base, n);
  while (!raiz.empty() && (raiz.back() == L'\\' || raiz.back() == L'/'))
    raiz.pop_back();
  return raiz;
}

// Whether process `pid` still runs: one this user may not examine does.
bool Vivo(DWORD pid) {
  const HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (h == nullptr)
    return ::GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD codigo = 0;
  const bool vivo = ::GetExitCodeProcess(h, &codigo) == 0 || codigo == STILL_ACTIVE;
  ::CloseHandle(h);
  return vivo;
}

} // namespace

CarpetaTemporal::CarpetaTemporal() {
  const std::wstring raiz = Base();
  if (raiz.empty())
    return;
  static std::atomic<unsigned> contador{0};
  // A name no other process picks: this one's id, a count and the clock; a
  // folder of that name already there is never taken over.
  for (int intento = 0; intento < 100; ++intento) {
    const std::wstring ruta = raiz + L"\\alcove-" + std::to_wstring(::GetCurrentProcessId()) +
                              L"-" + std::to_wstring(contador++) + L"-" +
                              std::to_wstring(::GetTickCount() & 0xFFFFU);
    if (::CreateDirectoryW(ruta.c_str(), nullptr) != 0) {
      ruta_ = Estrecho(ruta);
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
      return;
  }
}

CarpetaTemporal::~CarpetaTemporal() {
  if (ruta_.empty())
    return;
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(Ancho(ruta_)), ec);
}

void BarrerCarpetasTemporales() noexcept {
  try {
    namespace fs = std::filesystem;
    const std::wstring raiz = Base();
    if (raiz.empty())
      return;
    std::error_code ec;
    // The temporary folder is the user's own: what is in it is this user's.
    for (auto it = fs::directory_iterator(fs::path(raiz), ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
      const DWORD pid = ProcesoDeCarpeta(Estrecho(it->path().filename().wstring()));
      if (pid == 0 || pid == ::GetCurrentProcessId())
        continue;
      // A real folder (never a link or junction) whose process has gone.
      const DWORD atributos = ::GetFileAttributesW(it->path().c_str());
      if (atributos == INVALID_FILE_ATTRIBUTES || (atributos & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
          (atributos & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || Vivo(pid))
        continue;
      std::error_code borrado;
      fs::remove_all(it->path(), borrado);
    }
  } catch (...) {
    // A folder that cannot be swept is left for the next start.
  }
}

} // namespace Plataforma
