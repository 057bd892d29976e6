#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the file utilities need to know of a host file, and the few changes they
// make. Paths are UTF-8 byte strings: passed to a POSIX host unchanged, and
// converted to UTF-16 for Windows' calls.
namespace Plataforma {

// Separator between folder and file name on this host.
// Characters after which a file's name begins: on Windows both slashes and a
// drive's colon ("c:a.dsk").
#if defined(_WIN32)
inline constexpr char SeparadorRuta = '\\';
inline constexpr std::string_view SeparadoresRuta = "/\\:";
#else
inline constexpr char SeparadorRuta = '/';
inline constexpr std::string_view SeparadoresRuta = "/";
#endif

// Attribute bits, numbered as the file utilities' record expects them.
namespace Atributo {
inline constexpr std::uint32_t SoloLectura = 1;
inline constexpr std::uint32_t Oculto = 2;
inline constexpr std::uint32_t Sistema = 4;
inline constexpr std::uint32_t Directorio = 16;
inline constexpr std::uint32_t Archivo = 32;
inline constexpr std::uint32_t Normal = 128;
inline constexpr std::uint32_t Temporal = 256;
inline constexpr std::uint32_t Comprimido = 2048;
inline constexpr std::uint32_t SinConexion = 4096;
} // namespace Atributo

struct ArchivoHost {
  std::uint32_t Atributos = 0;
  double FechaCreacion = 0; // days since 30 December 1899, local time
  double FechaAcceso = 0;
  double FechaModificacion = 0;
  std::int64_t Tamano = 0;
  std::string Nombre; // without its folder
};

// The properties of the regular file at `ruta` (links followed); throws
// ErrorAlcove when the path names anything else or nothing.
ArchivoHost ObtenerArchivo(const std::string &ruta);

// True when `ruta` names a regular file, of any size (links followed); false
// when it names nothing or something else (a folder, FIFO, device). A path that
// cannot be examined throws: too long (RutaNoEncontrada), a loop of links, a
// folder on the way that cannot be searched, an I/O error.
[[nodiscard]] bool EsArchivoRegular(const std::string &ruta);

// The host's own permission state, kept so that a failed change can be undone.
struct PermisosGuardados {
  std::uint32_t modo = 0;
  bool cambiados = false; // false: nothing was changed, nothing to restore
};

// Clears every attribute that can be cleared; returns what there was before. A
// symbolic link is left alone: deleting or moving it never touches its target.
PermisosGuardados LimpiarAtributos(const std::string &ruta);
void RestaurarAtributos(const std::string &ruta, PermisosGuardados previos);

// Deletes a file. Throws on failure.
void BorrarArchivo(const std::string &ruta);

// Moves a file; never replaces an existing destination. Throws on failure.
void MoverArchivo(const std::string &de, const std::string &a);

// Days since 30 December 1899 00:00 local time for a host time stamp.
double FechaDesdeUnix(std::int64_t segundos, std::int64_t nanosegundos);

} // namespace Plataforma
