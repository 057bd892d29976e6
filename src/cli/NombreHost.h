#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Cli {

// A host file name for a CP/M file: `nombre` and `ext` as the catalogue holds
// them (top bits already cleared), joined by '.' when there is an extension.
// The result is never empty, ".", ".." or hidden, and holds no path
// separator, control character or byte above 126: those become '_'.
std::string NombreHostSeguro(std::string_view nombre, std::string_view ext);

// `nombre` with "_2", "_3", ... before its extension ("A.BIN" gives "A_2.BIN"):
// the first that `ocupado` does not claim.
std::string NombreLibre(const std::string &nombre,
                        const std::function<bool(const std::string &)> &ocupado);

} // namespace Cli
