#pragma once

#include "ui/win32/Win32.h"

#include <filesystem>

// Makes the process's current folder `ruta` for the life of the object.
class CarpetaActual {
public:
  explicit CarpetaActual(const std::filesystem::path &ruta)
      : anterior_(std::filesystem::current_path()) {
    std::filesystem::current_path(ruta);
  }
  ~CarpetaActual() { std::filesystem::current_path(anterior_); }
  CarpetaActual(const CarpetaActual &) = delete;
  CarpetaActual &operator=(const CarpetaActual &) = delete;

private:
  std::filesystem::path anterior_;
};

// Lets the windows handle what they have been sent and posted.
inline void Procesar() {
  MSG m;
  while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
  }
}
