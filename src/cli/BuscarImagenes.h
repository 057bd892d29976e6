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

// The walk of `find`: `alEncontrar` hears of each image as its folder is
// listed: a folder's images in name order, then each of its subfolders in
// name order, walked the same way. A folder is walked once however often it
// is met. A regular file named instead of a folder is passed on as it is.
// The walk stops when `alEncontrar` returns false.
// Images include an image's .gz ("x.dsk.gz") and the images inside each zip
// ("x.zip/y/z.dsk", in member order, where the zip's name falls); a zip named
// instead of a folder is walked as one. Zips inside a zip are not opened: each
// goes to `alAnidado`. A zip that cannot be listed goes to `alFallar`, after
// the images read from it before the damage.
void RecorrerCarpetas(const std::vector<std::string> &carpetas,
                      const std::function<bool(const std::string &)> &alEncontrar,
                      const std::function<void(const std::string &, const std::string &)> &alFallar,
                      const std::function<void(const std::string &)> &alAnidado = {});

} // namespace Cli
