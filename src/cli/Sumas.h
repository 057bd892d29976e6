#pragma once

#include "cpm/Imagen.h"

#include <nlohmann/json.hpp>

#include <string>

// info --sumas: SHA-256 checksums that tell disks and files apart across a
// collection, whatever layout or interleave the image has.
namespace Cli {

// The disk's data: every sector's bytes as a reading gives them (the first
// copy, up to 128 << N), track by track, side 0 then side 1 of each
// cylinder, each track's sectors by ID (in stored order where IDs repeat).
// An extended image and its standard conversion, or a disk and its raw
// dump read back, give the same sum.
std::string SumaDisco(const cpm::Disco &disco);

// The lines info adds: the disk's sum, then one per file of the bytes `get`
// writes of it, as sha256sum prints them.
std::string TextoSumas(const cpm::Imagen &imagen);
// The same for info --json: {"disco": ..., "archivos": [...]}.
nlohmann::json JsonSumas(const cpm::Imagen &imagen);

} // namespace Cli
