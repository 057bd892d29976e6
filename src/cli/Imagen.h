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
// Writes to standard output: as they are to a file or pipe, made visible to a
// terminal (ParaFlujo; `json` for a JSON document). A failure is kept for
// TerminarSalida.
void EscribirSalida(std::string_view texto, bool json = false);
// Flushes standard output. When any write to it failed (ours, stdio's or
// CLI11's), says so in one line and turns `codigo` 0 into 1.
int TerminarSalida(int codigo);
// Keeps the host's error number of a failed write to standard output made
// without EscribirSalida, for TerminarSalida to report once.
void AnotarFalloSalida(int numero);

// What a path names when it is there but is not a regular file: "es una
// carpeta", "es un FIFO", ...; empty otherwise.
std::string QueEs(const std::string &ruta);
// Why a file could not be read as an image, from LecturaArchivo's Errores
// number; empty for Errores::Ninguno.
std::string MotivoLectura(const std::string &ruta, std::int16_t error);

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
  // Empty when the catalogue could be read whole; otherwise why not: the
  // tracks, the format, or what is missing of the catalogue (CatalogoIncompleto).
  [[nodiscard]] std::string ErrorCatalogo() const;
  // A catalogue to show, even when only part of it could be read.
  [[nodiscard]] bool HayCatalogo() const { return errorPistas_.empty() && disco_.formato; }

private:
  // Reads the bytes loaded, unless `error` says why they could not be.
  void Leer(std::string error, const std::string &formato);

  std::string ruta_;
  std::vector<std::uint8_t> bytes_;
  cpm::Disco disco_;
  std::string errorPistas_;
};

// Empty when the catalogue of a disk with a format was read whole; otherwise
// what stopped it, e.g. "catálogo incompleto: falta el sector 193 de la pista 0,
// cara 0". The files of the part that was read are still in the catalogue.
std::string CatalogoIncompleto(const cpm::Disco &disco);
// A sentence of the reader's, its capital lowered to follow a colon in a message.
std::string TrasDosPuntos(std::string frase);

// "NOMBRE.EXT", or "U:NOMBRE.EXT" for users other than 0.
std::string NombreConUsuario(const cpm::Archivo &archivo);

} // namespace Cli
