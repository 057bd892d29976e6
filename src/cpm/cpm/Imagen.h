#pragma once

#include "cpm/Disco.h"
#include "imagenes/Superficie.h"
#include "imagenes/Tipos.h"
#include "platform/ReemplazoSeguro.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// An image file of any kind read whole through the one door from a path to a
// disk (imagenes/Fuente.h: a file, a .gz, a zip's member; imagenes/Tipos.h: its
// kind and its tracks), with its file system read: what every command of
// alcove-cli and the window open. The reading points into the bytes held
// here, so the object stays where it was built.
namespace cpm {

class Imagen {
public:
  // `opciones.formato` names the format the file system is read with, and a
  // raw dump's (one without a kind's signature is read as such a dump).
  explicit Imagen(std::string ruta, const OpcionesLectura &opciones = {});
  // The same, with the format it tells, to be changed: Huella() keeps what a
  // plain file was, so that a change is written back only over the very
  // bytes read.
  struct ParaCambiar {};
  Imagen(std::string ruta, ParaCambiar);
  Imagen(const Imagen &) = delete;
  Imagen &operator=(const Imagen &) = delete;

  [[nodiscard]] const std::string &Ruta() const { return ruta_; }
  [[nodiscard]] const Plataforma::HuellaArchivo &Huella() const { return huella_; }
  // Whether the file could be read (whatever it holds).
  [[nodiscard]] bool Cargada() const { return cargada_; }
  // The file's bytes (a .gz or a zip's member inflated).
  [[nodiscard]] std::span<const std::uint8_t> Bytes() const { return bytes_; }
  // Its kind; nullptr when no kind's signature is there.
  [[nodiscard]] const imagenes::Tipo *Tipo() const { return pistas_.tipo; }
  [[nodiscard]] const cpm::Disco &Disco() const { return disco_; }
  // Empty when the tracks could be read; otherwise why not, in Spanish.
  [[nodiscard]] const std::string &ErrorPistas() const { return errorPistas_; }
  // Empty when the catalogue could be read whole; otherwise why not: the
  // tracks, the format, or what is missing of the catalogue (CatalogoIncompleto).
  [[nodiscard]] std::string ErrorCatalogo() const;
  // A catalogue to show, even when only part of it could be read.
  [[nodiscard]] bool HayCatalogo() const { return errorPistas_.empty() && disco_.formato; }
  // Whether a change can be written back over it: a plain file (no zip's
  // member, no .gz) of a kind the file system writes in place; otherwise why
  // not, for a message ("las imágenes HFE v1 solo se leen; ...").
  [[nodiscard]] bool Escribible() const { return MotivoSoloLectura().empty(); }
  [[nodiscard]] std::string MotivoSoloLectura() const;
  // The disk as tracks and sectors that own their bytes (what cmp and
  // convert compare); empty when the tracks could not be read.
  [[nodiscard]] imagenes::Superficie Superficie() const;

private:
  void Leer(std::string error, const OpcionesLectura &opciones);

  std::string ruta_;
  std::vector<std::uint8_t> bytes_;
  Plataforma::HuellaArchivo huella_;
  imagenes::Pistas pistas_;
  cpm::Disco disco_;
  std::string errorPistas_;
  bool cargada_ = false;
};

// Empty when the catalogue of a disk with a format was read whole; otherwise
// what stopped it, e.g. "catálogo incompleto: falta el sector 193 de la pista 0,
// cara 0". The files of the part that was read are still in the catalogue.
std::string CatalogoIncompleto(const Disco &disco);

} // namespace cpm
