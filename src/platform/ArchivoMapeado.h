#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A host file's bytes, mapped read-only into memory for as long as the object
// lives: readers take only the pages they touch, which matters when a search
// looks at the headers and catalogues of thousands of images.
class Cls_ArchivoMapeado {
public:
  // Maps `ruta`, which must be a regular file of at most `limite` bytes.
  // On failure Bytes() is empty and Error() holds an Errores number.
  Cls_ArchivoMapeado(const std::string &ruta, std::uintmax_t limite);
  ~Cls_ArchivoMapeado();
  Cls_ArchivoMapeado(const Cls_ArchivoMapeado &) = delete;
  Cls_ArchivoMapeado &operator=(const Cls_ArchivoMapeado &) = delete;

  [[nodiscard]] std::span<const std::uint8_t> Bytes() const { return {datos_, largo_}; }
  [[nodiscard]] std::int16_t Error() const { return error_; }

private:
  const std::uint8_t *datos_ = nullptr;
  std::size_t largo_ = 0;
  bool mapeado_ = false;
  std::int16_t error_ = 0;
};

// Reads at most `largo` bytes from the start of the file `ruta` into `destino`
// (resized to what was read). Only regular files can be read this way; other
// kinds fail without waiting. Returns an Errores number.
std::int16_t LeerPrincipioArchivo(const std::string &ruta, std::size_t largo,
                                  std::vector<std::uint8_t> &destino);
