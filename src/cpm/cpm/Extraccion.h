#pragma once

#include "cpm/Catalogo.h"
#include "cpm/Formatos.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Problema.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// A file's bytes, exactly as the disk holds them.
namespace cpm {

enum class ModoExtraccion {
  Crudo,   // "raw": every byte of the file, the AMSDOS header kept
  Archivo, // "file": header removed, cut to its logical length; only with a valid header
};

struct Extraido {
  std::vector<std::uint8_t> bytes; // only bytes really read; never padding
  bool completo = true;
  imagenes::Problemas problemas;
};

Extraido Extraer(const imagenes::Contenedor &disco, const Formato &formato, const Archivo &archivo,
                 ModoExtraccion modo);

std::optional<ModoExtraccion> ModoPorNombre(std::string_view nombre); // "raw", "file"

// The bytes of one block, appended to `destino`; false when some sector of it
// could not be read (the bytes up to it are appended, problems are listed).
bool LeerBloque(const imagenes::Contenedor &disco, const Formato &formato, int bloque,
                std::vector<std::uint8_t> &destino, imagenes::Problemas *problemas = nullptr);

} // namespace cpm
