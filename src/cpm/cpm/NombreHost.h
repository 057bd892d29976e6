#pragma once

#include "cpm/Catalogo.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>

// Host file names for the files of a disk, shared by every program that
// extracts them.
namespace cpm {

// A host file name for a CP/M file: `nombre` and `ext` as the catalogue holds
// them (top bits already cleared), joined by '.' when there is an extension.
// The result is never empty, ".", ".." or hidden, and holds no path
// separator, control character or byte above 126: those become '_'. It names
// no Windows device (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9; '_'
// goes in front) on any host, and does not end in a dot or blank (the last one
// becomes '_').
std::string NombreHostSeguro(std::string_view nombre, std::string_view ext);

// `nombre` with "_2", "_3", ... before its extension ("A.BIN" gives "A_2.BIN"):
// the first that `ocupado` does not claim.
std::string NombreLibre(const std::string &nombre,
                        const std::function<bool(const std::string &)> &ocupado);

struct NombreElegido {
  std::string nombre;
  bool reemplazable; // only a file that was there before the run may be replaced
};

// The host name of one file of several extracted into one folder in one run:
// the file's own; when another file of the run took it, the user's number in
// front ("3_CODE.BIN", a name foreseen as the file's own is, so `reemplazar`
// still applies); when that is taken too, "_2", "_3"... until free of the run's
// names (`deEstaVez`, which gets the one chosen) and of what `existe` says the
// folder holds.
NombreElegido ElegirNombreHost(const Archivo &archivo, std::set<std::string> &deEstaVez,
                               bool reemplazar,
                               const std::function<bool(const std::string &)> &existe);

} // namespace cpm
