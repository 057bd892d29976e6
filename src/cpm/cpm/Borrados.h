#pragma once

#include "cpm/Disco.h"

#include <string>

// Deleted files (Catalogo::archivosBorrados) and whether they can come back.
namespace cpm {

// Why a deleted file cannot be recovered, in Spanish; empty when it can: none
// of its blocks is the catalogue's or has been taken by a live file since.
// Whether its bytes can all be read is Archivo::completo, as for live files.
std::string MotivoIrrecuperable(const Disco &disco, const Archivo &borrado);

} // namespace cpm
