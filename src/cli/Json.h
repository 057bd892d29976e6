#pragma once

#include "cpm/Disco.h"

#include <nlohmann/json.hpp>

#include <string>

// The JSON documents of `ls --json`, `find --json` and `info --json`. Their
// fields are described in README and only ever gain new ones.
namespace Cli {

inline constexpr int kVersionJson = 1;

// `tamanoBloque` of the disk's format gives the size in KB as CAT shows it.
nlohmann::json JsonArchivo(const cpm::Archivo &archivo, int tamanoBloque);
nlohmann::json JsonSuelta(const cpm::EntradaSuelta &entrada);
nlohmann::json JsonProblemas(const cpm::Problemas &problemas);
nlohmann::json JsonFormato(const cpm::Formato &formato);
// Files, deleted and odd entries, problems and free space of a readable disk.
nlohmann::json JsonCatalogo(const cpm::Disco &disco);

// Text of a document; names that are not UTF-8 (host paths) are replaced, not refused.
std::string TextoJson(const nlohmann::json &documento);

} // namespace Cli
