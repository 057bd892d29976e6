#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

// Paths in UTF-8, the program's own encoding, to and from std::filesystem
// (whose narrow strings are in the ANSI code page on Windows).
inline std::filesystem::path RutaFs(const std::string &utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path &ruta) {
  const std::u8string u = ruta.u8string();
  return {u.begin(), u.end()};
}

// A fresh folder under the system's temporary folder, removed with its contents.
class CarpetaTemporal {
public:
  CarpetaTemporal() {
    std::random_device azar;
    std::error_code ec;
    for (int intento = 0; intento < 100; ++intento) {
      ruta_ = std::filesystem::temp_directory_path() /
              ("alcove-" + std::to_string(azar()) + std::to_string(azar()));
      if (std::filesystem::create_directory(ruta_, ec)) {
        return;
      }
    }
    std::abort();
  }
  ~CarpetaTemporal() {
    std::error_code ec;
    // Make everything removable again, whatever a test did to permissions.
    for (auto it = std::filesystem::recursive_directory_iterator(ruta_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(ruta_, ec);
  }
  CarpetaTemporal(const CarpetaTemporal &) = delete;
  CarpetaTemporal &operator=(const CarpetaTemporal &) = delete;

  [[nodiscard]] const std::filesystem::path &Ruta() const { return ruta_; }
  [[nodiscard]] std::string Archivo(const std::string &nombre) const {
    return Utf8(ruta_ / RutaFs(nombre));
  }

private:
  std::filesystem::path ruta_;
};

inline void Escribir(const std::string &ruta, const std::vector<std::uint8_t> &bytes) {
  std::ofstream f(RutaFs(ruta), std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> Leer(const std::string &ruta) {
  std::ifstream f(RutaFs(ruta), std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

#if defined(_WIN32)
inline bool EsRoot() { return false; }

// Open handles of this process.
inline int DescriptoresAbiertos() {
  DWORD n = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &n);
  return static_cast<int>(n);
}

// Under Wine, which keeps a few things of Windows its own way.
inline bool EnWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Whether the count above follows the handles opened (Wine does not keep it).
inline bool RecuentoDeDescriptores() {
  const int antes = DescriptoresAbiertos();
  const HANDLE h = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const bool sigue = DescriptoresAbiertos() == antes + 1;
  ::CloseHandle(h);
  return sigue;
}
#else
inline bool RecuentoDeDescriptores() { return true; }
inline bool EnWine() { return false; }

// Root ignores permission bits; tests that need a refusal skip under it.
inline bool EsRoot() { return ::geteuid() == 0; }

// Open descriptors of this process.
inline int DescriptoresAbiertos() {
  int n = 0;
  for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++n;
  }
  return n;
}
#endif
