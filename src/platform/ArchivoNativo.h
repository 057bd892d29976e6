#pragma once

#include "platform/ArchivosHost.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The host calls under the numbered files of ArchivosHost.cpp, one file per host
// (ArchivoNativoPosix.cpp, ArchivoNativoWindows.cpp). Failures throw ErrorAlcove.
namespace Plataforma::Nativo {

// A descriptor or a HANDLE; -1 is none on both hosts.
using Manejador = std::intptr_t;
inline constexpr Manejador SinManejador = -1;

enum class Tipo { Regular, Carpeta, Otro };

struct Abierto {
  Manejador manejador = SinManejador;
  Tipo tipo = Tipo::Otro;
  std::int64_t longitud = 0;
};

// Opens `ruta` (UTF-8) without ever waiting on a FIFO or device, and says what
// was opened. Creating a file in a folder that does not exist throws
// RutaNoEncontrada.
Abierto Abrir(const std::string &ruta, Acceso acceso);

// Reads from `pos` until `largo` bytes or the end; returns the bytes read.
std::size_t LeerEn(Manejador m, std::int64_t pos, std::uint8_t *destino, std::size_t largo);
void EscribirEn(Manejador m, std::int64_t pos, const std::uint8_t *datos, std::size_t largo);
void FijarLongitud(Manejador m, std::int64_t longitud);

// Closes; throws when the host reports a failure (the handle is gone anyway).
void Cerrar(Manejador m);
// Closes, ignoring failures (for destructors).
void Soltar(Manejador m) noexcept;

// A handle for reading and writing the very file `m` reads, even if `ruta` now
// names another; throws PermisoDenegado when the host refuses and
// ErrorAccesoRuta when the file cannot be reached again.
Manejador ReabrirParaEscribir(Manejador m, const std::string &ruta);

// True when `ruta` names the file open as `m`.
bool MismoArchivo(Manejador m, const std::string &ruta) noexcept;

} // namespace Plataforma::Nativo
