#pragma once

#include <cstdint>
#include <span>
#include <string>

// Host files by number, the way the program's BASIC roots handed them out: the
// lowest free number from 1, one table for the whole process. All calls belong to
// the user-interface thread.
//
// Reads go through a block buffer and writes are gathered into runs, so byte-at-a-
// time callers do not pay a system call per byte. The buffer stays true across
// writes made through the same number. Failures throw ErrorAlcove.
namespace Plataforma {

enum class Acceso {
  Lectura,         // read only; the file must exist
  LecturaEscritura // read and write; created when missing, never emptied
};

inline constexpr std::int16_t MaximoNumeroArchivo = 511;

// Lowest number not in use; throws DemasiadosArchivos when all are taken.
std::int16_t SiguienteNumeroLibre();

// Opens `ruta` under `numero`. Only regular files open: a FIFO, device or folder
// is refused without blocking. Throws when the number is already open.
void AbrirArchivo(std::int16_t numero, const std::string &ruta, Acceso acceso);

// Largest file AbrirImagen opens: 2 GiB less one byte, so that every position
// fits a 32-bit count.
inline constexpr std::int64_t LongitudMaximaImagen = 0x7FFFFFFF;

// Opens `ruta` for reading under `numero` when it names a regular file of at
// most LongitudMaximaImagen bytes: one open, which never blocks, and one look
// at what was opened. Returns false, with nothing opened, for anything else (a
// folder, FIFO, device, a larger file). Throws when the open itself fails.
[[nodiscard]] bool AbrirImagen(std::int16_t numero, const std::string &ruta);

// Writes out pending bytes and closes. A number that is not open is ignored.
// The number is free afterwards even when the last write fails (and throws).
void CerrarArchivo(std::int16_t numero);

[[nodiscard]] bool EstaAbierto(std::int16_t numero) noexcept;

// Length in bytes, pending writes included.
std::int64_t Longitud(std::int16_t numero);

// One byte; a position at or past the end reads as 0. Negative positions throw.
// Inline: the byte-at-a-time callers stay within the read block almost always.
inline std::uint8_t LeerByte(std::int16_t numero, std::int64_t pos);

// destino.size() bytes from `pos`; the part past the end reads as zeros.
void LeerBytes(std::int16_t numero, std::int64_t pos, std::span<std::uint8_t> destino);

// One byte, gathered into the pending run.
void EscribirByte(std::int16_t numero, std::int64_t pos, std::uint8_t valor);
void EscribirBytes(std::int16_t numero, std::int64_t pos, std::span<const std::uint8_t> datos);

// Writes pending bytes to the host file now.
void Vaciar(std::int16_t numero);

// Cuts (or extends with zeros) the file to `longitud` bytes.
void FijarLongitud(std::int16_t numero, std::int64_t longitud);

// Turns a file opened for reading into one open for reading and writing, on the
// same file even if its path has been replaced meanwhile. Throws PermisoDenegado
// when the host refuses.
void PermitirEscritura(std::int16_t numero);

// True when `ruta` names the very file open under `numero` (same device and inode).
[[nodiscard]] bool EsElMismoArchivo(std::int16_t numero, const std::string &ruta) noexcept;

// How many numbers are open (for tests and diagnostics).
[[nodiscard]] int ArchivosAbiertos() noexcept;

namespace detalle {

// The hot part of an open file's state, kept where the inline paths can see it.
struct Vista {
  // Read block: bytes [inicioBloque, inicioBloque + validos) of the file.
  const std::uint8_t *bloque = nullptr;
  std::int64_t inicioBloque = 0;
  std::int64_t validos = 0;
  // Positions [protegidoDesde, protegidoHasta) are covered by the read block, so
  // writes there must also update it.
  std::int64_t protegidoDesde = 0;
  std::int64_t protegidoHasta = 0;
  // Pending write run: bytes [inicioPendiente, inicioPendiente + usados).
  std::uint8_t *pendiente = nullptr;
  std::int64_t inicioPendiente = 0;
  std::size_t usados = 0;
  std::size_t capacidad = 0; // 0 until the first write
};

inline Vista vistas[MaximoNumeroArchivo + 1];

std::uint8_t LeerByteLento(std::int16_t numero, std::int64_t pos);

} // namespace detalle

inline std::uint8_t LeerByte(std::int16_t numero, std::int64_t pos) {
  if (numero > 0 && numero <= MaximoNumeroArchivo) {
    const detalle::Vista &v = detalle::vistas[numero];
    if (pos >= v.inicioBloque && pos - v.inicioBloque < v.validos) {
      return v.bloque[pos - v.inicioBloque];
    }
  }
  return detalle::LeerByteLento(numero, pos);
}

} // namespace Plataforma
