#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

// Disk images inside .zip and .gz files, read where they lie. Plain functions
// over bytes: the caller reads the archive's pieces from wherever it keeps them.
// Every failure comes back as a reason in Spanish; nothing here throws on bad
// input, and no member is ever inflated past the limit it is given.
namespace comprimidos {

// Compression methods a zip may name; only these two are read.
inline constexpr std::uint16_t kGuardado = 0;
inline constexpr std::uint16_t kDeflate = 8;

// One entry of a zip's central directory.
struct Miembro {
  std::string ruta;         // as stored, in UTF-8 ('/' between folders)
  std::uint64_t tamano = 0; // uncompressed, as the directory claims
  std::uint64_t tamanoComprimido = 0;
  std::uint16_t metodo = kGuardado;
  bool cifrado = false;
  std::uint32_t crc = 0;
  std::uint64_t posicionCabecera = 0; // of its local header, from the archive's start
  // The member (its index) whose data this one's local header lies in, or
  // that has the same local header: how zip bombs make one member's data
  // count many times. kSinCompartir for a member of its own.
  std::uint32_t datosDe = kSinCompartir;
  static constexpr std::uint32_t kSinCompartir = 0xFFFFFFFF;

  [[nodiscard]] bool EsCarpeta() const { return !ruta.empty() && ruta.back() == '/'; }
};

struct Directorio {
  std::vector<Miembro> miembros; // in the directory's order
  std::string error;             // empty when the directory could be read whole
};

// Where the central directory lies, as the end record says.
struct FinDirectorio {
  std::uint64_t posicion = 0;
  std::uint64_t tamano = 0;
  std::uint64_t entradas = 0;
  std::string error;
};

// How much of a file's end can hold the end record (with its comment).
inline constexpr std::size_t kColaMaxima = 22 + 0xFFFF;

// Finds the end record in `cola`, the last bytes of an archive of
// `tamanoArchivo` bytes (all of it when smaller than kColaMaxima).
FinDirectorio LeerFin(std::span<const std::uint8_t> cola, std::uint64_t tamanoArchivo);

// The entries of a central directory: `bytes` are the `fin.tamano` bytes at
// `fin.posicion`. Names stored in the old DOS code page come back in UTF-8.
// Each member's `datosDe` is set: an entry whose local header is another's, or
// lies inside another's data, is marked as sharing it.
Directorio LeerDirectorio(std::span<const std::uint8_t> bytes, const FinDirectorio &fin);

// Both steps over a whole archive in memory.
Directorio ListarZip(std::span<const std::uint8_t> zip);

// A local header is at most this long; with the member's data after it.
inline constexpr std::size_t kCabeceraLocalMaxima = 30 + 2 * 0xFFFF;

// Where the member's data starts, counted from its local header, whose first
// bytes are `local`; 0 with `error` set when the header is not one.
std::uint64_t InicioDatos(std::span<const std::uint8_t> local, std::string &error);

// Whether a member can be read under `limite` bytes at all: empty when it can,
// otherwise why not (encrypted, an unknown method, too large, or more
// compressed bytes than deflate could ever make of it). Reads nothing.
std::string MotivoIlegible(const Miembro &m, std::uint64_t limite);

inline constexpr std::size_t kTodo = std::numeric_limits<std::size_t>::max();

// Why a member that shares another's data is not read ("sus datos
// comprimidos son los de otro miembro (a.dsk): posible bomba zip; no se
// lee"); empty for a member of its own. A zip's members read once each can
// then cost no more than deflate can make of the zip's bytes.
std::string MotivoCompartido(const Directorio &d, const Miembro &m);

// Deflate makes at most 1032 bytes of one (258 bytes from the two bits of its
// longest match).
inline constexpr std::uint64_t kRazonDeflate = 1032;

// How much of one zip a run may inflate: twice what deflate can make of all
// its bytes, so that each member can be read twice (the start, then the
// whole), and 16 MiB more, one image at the limit. More means the same data
// read over and over, as only a bomb needs.
[[nodiscard]] std::uint64_t PresupuestoInflado(std::uint64_t tamanoZip);

// The member's content from its data (`datos`, the compressed bytes after the
// local header; at least tamanoComprimido of them to read it whole). With
// `primeros` below its size, only that many bytes are inflated and the CRC is
// not checked; with fewer data than tamanoComprimido, only a start can come out.
// Never inflates more than `limite` bytes, nor more than the directory claims.
// Returns empty on success, otherwise why the member cannot be read.
std::string Extraer(std::span<const std::uint8_t> datos, const Miembro &m, std::uint64_t limite,
                    std::vector<std::uint8_t> &destino, std::size_t primeros = kTodo);

// The member read from a whole archive in memory.
std::string LeerMiembro(std::span<const std::uint8_t> zip, const Miembro &m, std::uint64_t limite,
                        std::vector<std::uint8_t> &destino, std::size_t primeros = kTodo);

// A gzip file's content (every member of a concatenated one), at most `limite`
// bytes; with `primeros`, only that start. Returns empty or why not.
std::string LeerGz(std::span<const std::uint8_t> gz, std::uint64_t limite,
                   std::vector<std::uint8_t> &destino, std::size_t primeros = kTodo);

// Names as alcove-cli takes them: "*.zip" and "*.gz", in any letter case.
[[nodiscard]] bool EsNombreZip(std::string_view nombre);
[[nodiscard]] bool EsNombreGz(std::string_view nombre);

// "16 MiB", "300 KiB", "12 bytes": a limit as people read it.
std::string TextoTamano(std::uint64_t bytes);

} // namespace comprimidos
