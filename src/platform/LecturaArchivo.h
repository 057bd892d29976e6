#pragma once

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

} // namespace Plataforma
