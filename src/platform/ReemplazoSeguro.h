#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Changing a file that already exists, such as a disk image, so that it is
// always either the old file or the new one, whole. The new bytes go to a
// temporary file in the folder of the real file (the one a symbolic link points
// to; the link stays), are flushed to the disk, and are then renamed over it,
// with its owner, group, mode, ACLs and extended attributes (its attributes on
// Windows). A file its user could not open for writing, or whose owner, group
// or attributes the new file could not keep, is refused; so is a file changed
// by someone else since it was read.
//
// From the last check to the rename the old file is locked, and under that
// lock the temporary name ".NAME.alcove-nuevo" belongs to the writer holding
// it: a process killed between naming the new file and renaming it leaves
// that one hidden copy, which the next write to the file removes.
namespace Plataforma {

// What a file was when it was read. Any difference when it is about to be
// replaced means someone else changed it meanwhile.
struct HuellaArchivo {
  std::uint64_t dispositivo = 0;
  std::uint64_t identificador = 0; // the inode, or the host's file index
  std::int64_t tamano = 0;
  std::int64_t modificacion = 0; // nanoseconds since the host's epoch
  std::uint64_t resumen = 0;     // of the bytes read (ResumenBytes)

  bool operator==(const HuellaArchivo &) const = default;
};

// A fast hash of the bytes, to see that a file still holds what was read. Not
// meant to resist anyone who crafts a collision.
[[nodiscard]] std::uint64_t ResumenBytes(std::span<const std::uint8_t> bytes);

// Reads the regular file `ruta` (links followed) whole into `destino` when it
// holds at most `limite` bytes, and says what it was in `huella`. Returns an
// Errores number, as LeerArchivoEntero does.
std::int16_t LeerParaReemplazar(const std::string &ruta, std::uintmax_t limite,
                                std::vector<std::uint8_t> &destino, HuellaArchivo &huella);

struct Reemplazo {
  std::int16_t error = 0; // an Errores number; 0 when the file was written
  bool cambiado = false;  // refused: the file is no longer what was read
  std::string rechazo;    // refused, and why, in Spanish: "la imagen es de solo lectura"
};

// The refusal of a file its user may not write.
inline constexpr const char *kSoloLectura = "la imagen es de solo lectura";

// Replaces the file `ruta` names, read as `leida`, by `bytes`. On any failure
// or refusal the file is left as it was and no temporary file remains. The last
// check comes just before the rename: a change made in between, a few
// microseconds, cannot be seen.
Reemplazo ReemplazarArchivo(const std::string &ruta, const HuellaArchivo &leida,
                            std::span<const std::uint8_t> bytes);

// Writes a new file `ruta` the same safe way. An existing file (or the one a
// link points to) is replaced only with `reemplazar`, keeping what
// ReemplazarArchivo keeps and refused as it refuses (PermisoDenegado, the
// reason in `rechazo` when given); without it, ArchivoYaExiste is returned and
// nothing is touched.
std::int16_t CrearArchivo(const std::string &ruta, std::span<const std::uint8_t> bytes,
                          bool reemplazar, std::string *rechazo = nullptr);

} // namespace Plataforma
