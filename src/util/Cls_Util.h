#pragma once

#include "disk/Types_Def.h"

#include <cstdint>
#include <string>

// Questions about single host files, and deleting or renaming them. No failure
// escapes: each operation reports it in its result.
class Cls_Util {
public:
  // Deletes the file at `Ruta`. 0 on success or when there is no such file,
  // otherwise the number of the failing step (Errores).
  std::int16_t Eliminar(const std::string &Ruta);

  // Moves the file at `De` to `A`, never over an existing file. 0 on success or
  // when there is no file at `De`, otherwise the number of the failing step.
  std::int16_t Renombrar(const std::string &De, const std::string &A);

  // Describes the file at `Ruta`; Existe is false for anything but a regular
  // file of less than 2 GiB, and for every failure.
  [[nodiscard]] DatosFichero InfoFichero(const std::string &Ruta);
};
