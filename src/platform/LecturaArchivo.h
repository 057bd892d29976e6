#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Whole small files read into memory, for readers that work on bytes. A copy,
// not a mapping: another program cutting the file short meanwhile can never
// make a reader fault.
namespace Plataforma {

// Reads the regular file `ruta` whole into `destino` when it holds at most
// `limite` bytes. Returns an Errores number: ArchivoNoEncontrado for anything
// but a regular file (never waiting on a FIFO), ArgumentoNoValido when it is
// larger than `limite` (nothing is read), the host's failure otherwise.
std::int16_t LeerArchivoEntero(const std::string &ruta, std::uintmax_t limite,
                               std::vector<std::uint8_t> &destino);

// Reads at most `largo` bytes from the start of the file `ruta` into `destino`
// (resized to what was read), and its whole size into `tamano` when given.
// Only regular files can be read this way; other kinds fail without waiting.
// Returns an Errores number.
std::int16_t LeerPrincipioArchivo(const std::string &ruta, std::size_t largo,
                                  std::vector<std::uint8_t> &destino,
                                  std::uintmax_t *tamano = nullptr);

// What a path names, its links followed; a reader that refuses anything but
// a regular file can then say what it was given.
enum class ClaseArchivo { NoExiste, Desconocida, Normal, Carpeta, Fifo, Dispositivo, Socket };
ClaseArchivo Clase(const std::string &ruta);

// Reads at most `largo` bytes from offset `desde` of the regular file `ruta`
// into `destino` (resized to what was read: fewer past the end). Same rules as
// LeerPrincipioArchivo. For archives read piece by piece.
std::int16_t LeerTramoArchivo(const std::string &ruta, std::uint64_t desde, std::size_t largo,
                              std::vector<std::uint8_t> &destino);

// Which file a path names, whatever name it goes by (a hard link, another
// spelling of the path), with its size and last change, enough to tell
// whether it changed since.
struct EstadoArchivo {
  std::uint64_t dispositivo = 0;   // the device, or the volume's serial number
  std::uint64_t identificador = 0; // the inode, or the file index
  std::uint64_t tamano = 0;
  std::int64_t cambio = 0; // host units (nanoseconds on POSIX)
  friend auto operator<=>(const EstadoArchivo &, const EstadoArchivo &) = default;
};

// The state of `ruta` when it names a regular file (links followed);
// ArchivoNoEncontrado for anything else. Returns an Errores number.
std::int16_t LeerEstadoArchivo(const std::string &ruta, EstadoArchivo &estado);

} // namespace Plataforma
