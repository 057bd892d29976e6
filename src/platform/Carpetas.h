#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Folders: listing one and making one. Paths are UTF-8.
namespace Plataforma {

// A folder's identity (device and node): the same folder reached by two
// paths has one.
struct IdCarpeta {
  std::uint64_t dispositivo = 0;
  std::uint64_t nodo = 0;
  auto operator<=>(const IdCarpeta &) const = default;
};

// Lists `carpeta` once. `entrar`, when the folder's identity is known, says
// whether to list it at all (false: nothing is reported, and 0 is returned).
// `alVer` hears of each subfolder (true) and of each regular file (false)
// whose name `interesa` accepts, in the listing's order.
// A link to a folder is never reported, so a walk over the result cannot loop;
// a link to a regular file counts as one, and only links whose names interest
// cost an extra look. Returns an Errores number: 0 when the folder was listed
// whole, the host's failure otherwise (entries seen before it were reported).
std::int16_t
ListarCarpeta(const std::string &carpeta, const std::function<bool(const IdCarpeta &)> &entrar,
              const std::function<bool(std::string_view nombre)> &interesa,
              const std::function<void(std::string_view nombre, bool esCarpeta)> &alVer);

// Makes `carpeta` and any missing folder above it. Returns an Errores number:
// 0 when it was made or was there, why it could not be made otherwise.
std::int16_t CrearCarpetas(const std::string &carpeta);

} // namespace Plataforma
