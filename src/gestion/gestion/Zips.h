#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The images a pane lists besides a folder's own *.dsk files: images of the
// other kinds the table of kinds knows (HFE), and images inside the folder's
// zips. They are only ever read, as alcove-cli reads them, and the pane lists
// each through a copy: a zip's member as it is, an image of another kind as
// the DSK image its tracks make.
namespace Gestion {

// The images inside the zips of `carpeta` (hidden ones left out), named from
// the folder: "coleccion.zip/juegos/abadia.dsk". Zips in name order, their
// members in the order the zip keeps them; a zip inside a zip is not opened.
[[nodiscard]] std::vector<std::string> ImagenesEnZips(const std::string &carpeta);

// What follows a folder's *.dsk files in its list: its images of the other
// kinds told by their bytes ("juego.hfe"), in name order, then
// ImagenesEnZips (hidden files left out).
[[nodiscard]] std::vector<std::string> OtrasImagenes(const std::string &carpeta);

// Whether the pane lists `ruta` through a copy: an image inside a zip, as
// ImagenesEnZips names them, or one of a kind the file system does not read
// in place (told by its name, as the list shows it).
[[nodiscard]] bool SeListaPorCopia(const std::string &ruta);

// The bytes of that copy: a zip member's own, or the DSK image made from the
// tracks of an image of another kind. Empty, or why not.
std::string LeerParaListar(const std::string &ruta, std::vector<std::uint8_t> &bytes);

} // namespace Gestion
