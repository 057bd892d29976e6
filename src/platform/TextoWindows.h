#pragma once

// UTF-8 inside the program, UTF-16 at the Windows calls. Only the *Windows.cpp
// files include this.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace Plataforma {

// UTF-8 to UTF-16; a byte that is not UTF-8 becomes U+FFFD.
inline std::wstring Ancho(std::string_view texto) {
  if (texto.empty()) {
    return {};
  }
  const int largo = static_cast<int>(texto.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, texto.data(), largo, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, texto.data(), largo, w.data(), n);
  return w;
}

// UTF-16 to UTF-8.
inline std::string Estrecho(std::wstring_view texto) {
  if (texto.empty()) {
    return {};
  }
  const int largo = static_cast<int>(texto.size());
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, texto.data(), largo, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, texto.data(), largo, s.data(), n, nullptr, nullptr);
  return s;
}

// Closes the HANDLE it holds when it goes.
class HandleWindows {
public:
  explicit HandleWindows(HANDLE h) : h_(h) {}
  ~HandleWindows() {
    if (Valido()) {
      ::CloseHandle(h_);
    }
  }
  HandleWindows(const HandleWindows &) = delete;
  HandleWindows &operator=(const HandleWindows &) = delete;
  [[nodiscard]] HANDLE Get() const { return h_; }
  [[nodiscard]] bool Valido() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Hands the HANDLE over; it is no longer closed here.
  HANDLE Liberar() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  // Closes now; false when the host reports a failure.
  bool Cerrar() {
    const bool bien = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return bien;
  }

private:
  HANDLE h_;
};

} // namespace Plataforma
