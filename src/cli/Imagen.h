#pragma once

#include "cpm/Disco.h"
#include "platform/ReemplazoSeguro.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

// Exit codes of the program.
inline constexpr int kSalidaBien = 0;
inline constexpr int kSalidaFallo = 1; // some input could not be read or written
inline constexpr int kSalidaUso = 2;

// One line on standard error: "alcove-cli: QUE: MENSAJE".
void AvisarError(std::string_view que, std::string_view mensaje);
// Writes bytes to standard output as they are.
void EscribirSalida(std::string_view texto);

// An image file read into memory and read by the exact reader. The disk points
// into those bytes, so the object stays where it was built.
class Cls_Imagen {
public:
  Cls_Imagen(std::string ruta, const std::string &formato);
  // The same, saying in `huella` what the file was, so that a change is written
  // back only over the very bytes read.
  Cls_Imagen(std::string ruta, const std::string &formato, Plataforma::HuellaArchivo &huella);
  Cls_Imagen(const Cls_Imagen &) = delete;
  Cls_Imagen &operator=(const Cls_Imagen &) = delete;

  [[nodiscard]] const std::string &Ruta() const { return ruta_; }
  [[nodiscard]] const cpm::Disco &Disco() const { return disco_; }
  [[nodiscard]] std::span<const std::uint8_t> Bytes() const { return bytes_; }
  // Empty when the tracks could be read; otherwise why not, in Spanish.
  [[nodiscard]] const std::string &ErrorPistas() const { return errorPistas_; }
  // Empty when the catalogue could be read; otherwise why not.
  [[nodiscard]] std::string ErrorCatalogo() const;

private:
  void Leer(std::int16_t error, const std::string &formato);

  std::string ruta_;
  std::vector<std::uint8_t> bytes_;
  cpm::Disco disco_;
  std::string errorPistas_;
};

// "NOMBRE.EXT", or "U:NOMBRE.EXT" for users other than 0.
std::string NombreConUsuario(const cpm::Archivo &archivo);

} // namespace Cli
