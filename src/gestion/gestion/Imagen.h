#pragma once

#include "cpm/Disco.h"
#include "platform/ReemplazoSeguro.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Gestion {

// Whether the image at `ruta` may be written back where it lies: an image
// inside a zip or a .gz is only ever read. The window offers its write
// actions greyed.
[[nodiscard]] bool SePuedeEscribir(const std::string &ruta);

// The last part of a path: a file's name without its folder.
[[nodiscard]] std::string NombreFinal(const std::string &ruta);

// An image file (or an image inside a zip or .gz, which is never written back)
// read whole by the exact reader, with what the file was, so
// that a change is written back only over the very bytes read. The reading
// points into the bytes: the object stays where it was built.
class ImagenLeida {
public:
  explicit ImagenLeida(std::string ruta);
  ImagenLeida(const ImagenLeida &) = delete;
  ImagenLeida &operator=(const ImagenLeida &) = delete;

  [[nodiscard]] const std::string &Ruta() const { return ruta_; }
  [[nodiscard]] std::span<const std::uint8_t> Bytes() const { return bytes_; }
  [[nodiscard]] const cpm::Disco &Disco() const { return disco_; }
  [[nodiscard]] const Plataforma::HuellaArchivo &Huella() const { return huella_; }
  // Empty when the file was read and holds a CPCEMU image; otherwise why not.
  [[nodiscard]] const std::string &Error() const { return error_; }

private:
  void Leer();

  std::string ruta_;
  std::vector<std::uint8_t> bytes_;
  Plataforma::HuellaArchivo huella_;
  cpm::Disco disco_;
  std::string error_;
};

} // namespace Gestion
