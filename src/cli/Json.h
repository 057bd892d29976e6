#pragma once

#include "cli/Salida.h"
#include "cpm/Disco.h"
#include "cpm/Imagen.h"
#include "cpm/Proteccion.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

// The JSON documents of `ls --json`, `find --json` and `info --json`. Their
// fields are described in README; within one version they only gain new ones.
namespace Cli {

inline constexpr int kVersionJson = 2;

// The length `get` writes by default: the AMSDOS header's for a file with a
// valid one, otherwise the size the catalogue gives.
std::uint64_t LongitudExacta(const cpm::Archivo &archivo);
// "basic", "basic-protegido", "binario", "otro": codes that are never translated.
std::string_view CodigoTipo(cpm::TipoAmsdos tipo);

// `tamanoBloque` of the disk's format gives the size in KB as CAT shows it.
nlohmann::json JsonArchivo(const cpm::Archivo &archivo, int tamanoBloque);
nlohmann::json JsonBorrada(const cpm::EntradaSuelta &entrada);
nlohmann::json JsonRara(const cpm::EntradaSuelta &entrada);
nlohmann::json JsonProblemas(const imagenes::Problemas &problemas);
nlohmann::json JsonFormato(const cpm::Formato &formato);
// Files, deleted and odd entries, problems and free space of a readable disk.
nlohmann::json JsonCatalogo(const cpm::Disco &disco);

// The copy-protection verdict in short, as `find --json` gives it with each
// match: `probable`, `veredicto`, `texto`, `esquema`, `certeza`, `incompleta`.
// `info --json` adds the evidence.
nlohmann::json JsonVeredicto(const cpm::Veredicto &veredicto);

// One image of `ls --json` and of `info --json`: what was read, or `imagen` and `error`.
nlohmann::json JsonLs(const cpm::Imagen &imagen);
nlohmann::json JsonInfo(const cpm::Imagen &imagen);

// Text of a document; names that are not UTF-8 (host paths) are replaced, not refused.
std::string TextoJson(const nlohmann::json &documento);

} // namespace Cli
