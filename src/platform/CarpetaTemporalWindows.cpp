#include "platform/CarpetaTemporal.h"

#include "platform/TextoWindows.h"

#include <atomic>
#include <filesystem>
#include <system_error>

namespace Plataforma {

CarpetaTemporal::CarpetaTemporal() {
  wchar_t base[MAX_PATH + 2] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH + 1)
    return;
  std::wstring raiz(base, n);
  while (!raiz.empty() && (raiz.back() == L'\\' || raiz.back() == L'/'))
    raiz.pop_back();
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

} // namespace Plataforma
