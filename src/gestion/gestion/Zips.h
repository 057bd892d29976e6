#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Disk images inside the zips of a folder, shown beside its own images and
// only ever read, as alcove-cli reads them.
namespace Gestion {

// The images inside the zips of `carpeta` (hidden ones left out), named from
// the folder: "coleccion.zip/juegos/abadia.dsk". Zips in name order, their
// members in the order the zip keeps them; a zip inside a zip is not opened.
[[nodiscard]] std::vector<std::string> ImagenesEnZips(const std::string &carpeta);

// Whether `nombre` names an image inside a zip, as ImagenesEnZips names them.
[[nodiscard]] bool EsMiembroDeZip(const std::string &ruta);

// The bytes of the image `ruta` names inside its zip; empty, or why not.
std::string LeerMiembro(const std::string &ruta, std::vector<std::uint8_t> &bytes);

} // namespace Gestion
