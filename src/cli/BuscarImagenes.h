#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Cli {

// Every regular file named *.dsk (any case) under the folders, recursively,
// with the images in zips and .gz files as RecorrerCarpetas finds them,
// sorted by their bytes. Symbolic links to folders are not followed, so a loop cannot hang
// the search. A folder that cannot be read is passed to `alFallar` with the
// reason, and the search goes on.
std::vector<std::filesystem::path> BuscarImagenes(
    const std::vector<std::filesystem::path> &carpetas,
    const std::function<void(const std::filesystem::path &, const std::string &)> &alFallar);

// The same with paths as plain strings, joined with '/': no path object is
// built for each of thousands of images.
std::vector<std::string>
BuscarRutasImagenes(const std::vector<std::string> &carpetas,
                    const std::function<void(const std::string &, const std::string &)> &alFallar);

// The walk alone: `alEncontrar` hears of each image as its folder is listed,
// in the listing's order; an image under two of the folders comes twice.
// Images include an image's .gz ("x.dsk.gz") and the images inside each zip
// ("x.zip/y/z.dsk", in member order); a folder may be a zip. Zips inside a
// zip are not opened: each goes to `alAnidado`.
void RecorrerCarpetas(const std::vector<std::string> &carpetas,
                      const std::function<void(const std::string &)> &alEncontrar,
                      const std::function<void(const std::string &, const std::string &)> &alFallar,
                      const std::function<void(const std::string &)> &alAnidado = {});

} // namespace Cli
