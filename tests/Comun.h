#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

// A fresh folder under the system's temporary folder, removed with its contents.
class CarpetaTemporal {
public:
  CarpetaTemporal() {
    std::string plantilla = (std::filesystem::temp_directory_path() / "alcove-XXXXXX").string();
    if (::mkdtemp(plantilla.data()) == nullptr) {
      std::abort();
    }
    ruta_ = plantilla;
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
    return (ruta_ / nombre).string();
  }

private:
  std::filesystem::path ruta_;
};

inline void Escribir(const std::string &ruta, const std::vector<std::uint8_t> &bytes) {
  std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> Leer(const std::string &ruta) {
  std::ifstream f(ruta, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

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
