#pragma once

#include "cpm/Amsdos.h"
#include "cpm/Catalogo.h"
#include "cpm/Disco.h"
#include "imagenes/Crudo.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Writing disks: plain functions that take an image's bytes and its reading
// and give the new image's bytes, or a refusal with the reason. Only the bytes
// that must change are changed: the catalogue entries written or changed and
// the sectors of newly allocated blocks; every other byte is copied as it is.
namespace cpm {

enum class TipoRechazo {
  FormatoDesconocido, // no format told (or one that cannot be written)
  CatalogoIlegible,   // a catalogue sector missing, of another size, short, weak or with errors
  BloquesDanados,     // blocks shared by two files or outside the disk
  SectorInutilizable, // no block is free of bad sectors where one is needed
  NombreNoValido,     // a name CP/M cannot hold
  YaExiste,           // the name is taken (put without reemplazar, ren)
  SinSitio,           // not enough free blocks
  SinEntradas,        // not enough free catalogue entries
  NoEncontrado,       // the file given is not on this disk
  SoloLectura,        // rm of a read-only file without forzar
  Irrecuperable,      // a deleted file whose blocks are taken since
  OpcionNoValida,     // new: an unknown format name, tracks or sides it cannot have
  Cabecera,           // a header changed that the file lacks, added where there is one, or given a
                      // length its records cannot hold
};

struct Rechazo {
  TipoRechazo tipo;
  std::string texto; // Spanish, one line, saying why (SinSitio: how much is missing)
};

// A short stable name for the kind ("sin-sitio", ...), for scripts and tests.
std::string_view NombreTipo(TipoRechazo tipo);

// The result of a write: the new image, or a refusal and no bytes.
struct Escrito {
  std::vector<std::uint8_t> bytes;
  std::optional<Rechazo> rechazo;
  [[nodiscard]] bool Hecho() const { return !rechazo.has_value(); }
};

// ---------------------------------------------------------------------------
// A new formatted disk.

struct OpcionesNuevo {
  std::string formato = "data"; // a name of NombresFormatos()
  int pistas = 0;               // per side; 0: the format's own
  int caras = 0;                // 1 or 2; 0: the format's own
  bool extendida = false;       // the "EXTENDED CPC DSK" layout; else "MV - CPCEMU"
  std::string version;          // the creator field says "Alcove " + version (14 bytes at most)
};

// Every track formatted as the machine's own format command does it: its sector
// IDs in its interleave, its size code, GAP#3 and filler &E5. More tracks or
// sides than the format uses are formatted alike. A +3 disk gets its disk
// description in track 0, sector 1, telling the tracks and sides asked for.
Escrito NuevoDisco(const OpcionesNuevo &opciones);
// A format's tracks as NuevoDisco formats them, for reading and writing raw dumps.
imagenes::Geometria GeometriaDe(const Formato &formato);

// ---------------------------------------------------------------------------
// Names.

struct NombreCpm {
  std::uint8_t usuario = 0;
  std::array<char, 11> nombre{};           // 8 + 3, upper case, blank padded, top bits clear
  [[nodiscard]] std::string Texto() const; // "NAME.EXT", blanks cut
  bool operator==(const NombreCpm &) const = default;
};

// "NAME.EXT" or "N:NAME.EXT" (the prefix, 0..15, overrides `usuario`, which must
// be 0..15 too), upper-cased.
// Nothing, with `error` set (Spanish), for names too long, empty, or holding
// < > . , ; : = ? * [ ] | blanks or control bytes.
std::optional<NombreCpm> ValidarNombre(std::string_view texto, std::uint8_t usuario,
                                       std::string *error = nullptr);

// A change to an AMSDOS header's fields; those not given are kept.
struct CambioCabecera {
  std::optional<std::uint8_t> tipo; // byte 18 as AMSDOS keeps it: 0 BASIC, 1 protected, 2 binary
  std::optional<std::uint16_t> carga;
  std::optional<std::uint16_t> entrada;
  std::optional<std::uint32_t> longitud; // both its 16-bit and its 24-bit fields
};
// Sets the fields given in a header's 128 bytes, every other byte kept, and
// its checksum.
void CambiarCamposCabecera(std::span<std::uint8_t, TamanoCabeceraAmsdos> cabecera,
                           const CambioCabecera &cambio);

// A 128-byte AMSDOS header with its checksum: name and user fields as on the
// disk, `tipo` 0 BASIC, 2 binary; logical length `longitud`.
std::array<std::uint8_t, TamanoCabeceraAmsdos>
HacerCabeceraAmsdos(const NombreCpm &nombre, std::uint8_t tipo, std::uint16_t carga,
                    std::uint16_t entrada, std::uint32_t longitud);
constexpr std::uint8_t TipoAmsdosBasic = 0;
constexpr std::uint8_t TipoAmsdosBinario = 2;
constexpr std::uint16_t CargaBasic = 0x0170;

// `cuerpo` behind a header made for it: type 2 (binary) or type 0 (BASIC, load &0170).
std::vector<std::uint8_t> ConCabeceraBinaria(const NombreCpm &nombre,
                                             std::span<const std::uint8_t> cuerpo,
                                             std::uint16_t carga, std::uint16_t entrada);
std::vector<std::uint8_t> ConCabeceraBasic(const NombreCpm &nombre,
                                           std::span<const std::uint8_t> cuerpo);
// Why `largo` bytes loaded at `carga` cannot have a header made for them (its
// 16-bit length holds up to 65535, the CPC's memory ends at &FFFF), in
// Spanish; empty when they can.
std::string MotivoNoCabe(std::size_t largo, std::uint16_t carga);

// ---------------------------------------------------------------------------
// Changes to a disk. `imagen` is the image's bytes and `disco` their reading
// (LeerDisco of those same bytes). Archivo pointers point into disco.

// The catalogue's raw entries as stored, and the offset of each in the image.
struct EntradasEnImagen {
  std::vector<std::array<std::uint8_t, 32>> entradas;
  std::vector<std::size_t> posiciones;
};
// Every entry of the catalogue, or why they cannot be written in place: no
// format, or a catalogue sector missing, repeated, of another size, short,
// weak or read with errors.
std::optional<Rechazo> EntradasCatalogo(const Disco &disco, EntradasEnImagen &entradas);

// Why a disk cannot be written, in `rechazo`; true when it can. Checks the
// format, every catalogue sector, and blocks shared or outside the disk.
bool SePuedeEscribir(const Disco &disco, Rechazo *rechazo = nullptr);

// The space CP/M can still use: blocks no entry holds (every entry that is not
// &E5 counts) and whose sectors are all sound, and free catalogue entries.
// All zero when the disk cannot be written.
struct Espacio {
  int bloquesLibres = 0;
  int bloquesInutilizables = 0; // free, but some sector of theirs is missing or odd
  int entradasLibres = 0;
  int tamanoBloque = 0; // bytes
};
Espacio EspacioLibre(const Disco &disco);

// A file to put on the disk: its bytes as they go on the disk (an AMSDOS header
// included, when it has one). The last record is padded with ^Z (&1A); the size
// is recorded as CP/M records it (the last record's byte count where the format
// has it).
struct ArchivoNuevo {
  NombreCpm nombre;
  std::vector<std::uint8_t> contenido;
  bool soloLectura = false;
  bool sistema = false;
};

// Puts the files; blocks lowest free first (blocks with a bad sector are
// skipped), entries lowest free first. A name already on the disk is refused
// unless `reemplazar`, when the old file is erased in the same write. Nothing is
// written when blocks or entries are short.
Escrito PonerArchivos(std::span<const std::uint8_t> imagen, const Disco &disco,
                      std::span<const ArchivoNuevo> archivos, bool reemplazar);

// CP/M's ERA: byte 0 of every entry of each file becomes &E5; nothing else
// changes. A read-only file is refused unless `forzar`.
Escrito BorrarArchivos(std::span<const std::uint8_t> imagen, const Disco &disco,
                       std::span<const Archivo *const> archivos, bool forzar);

// A deleted file (of Catalogo::archivosBorrados) back on the disk under
// `usuario`: byte 0 of each of its entries, &E5, becomes the user; nothing
// else changes. Refused when a block of it is the catalogue's or a live
// file's now (MotivoIrrecuperable), or when the name is taken under that user.
Escrito RecuperarArchivo(std::span<const std::uint8_t> imagen, const Disco &disco,
                         const Archivo &borrado, std::uint8_t usuario);

// A new name (and user) in every entry of the file; attribute bits are kept.
Escrito RenombrarArchivo(std::span<const std::uint8_t> imagen, const Disco &disco,
                         const Archivo &archivo, const NombreCpm &nuevo);

// CP/M's SET: only bit 7 of bytes 9 (R/O), 10 (SYS) and 11 (archive) of every
// entry of each file; nothing: left as it is.
struct CambioAtributos {
  std::optional<bool> soloLectura, sistema, archivado;
};
Escrito CambiarAtributos(std::span<const std::uint8_t> imagen, const Disco &disco,
                         std::span<const Archivo *const> archivos, CambioAtributos cambio);

// A file's AMSDOS header rewritten in place, its checksum with it: only the
// sector holding the file's first record changes. Refused when the file has
// no AMSDOS header (a +3DOS one is not edited), or when the length given is
// more than the records after the header hold.
Escrito CambiarCabecera(std::span<const std::uint8_t> imagen, const Disco &disco,
                        const Archivo &archivo, const CambioCabecera &cambio);
// A header put in front of a file that has none: `cambio`'s fields, the
// type BASIC and the load address &0170 when not given, the entry address a
// binary's load address (a program's 0), the length the file's (its whole records, or its CP/M 3
// byte count). The file is written again in the same write, lowest free blocks first, keeping its
// name, user, R/O and SYS.
Escrito PonerCabecera(std::span<const std::uint8_t> imagen, const Disco &disco,
                      const Archivo &archivo, const CambioCabecera &cambio);
// The header taken off: the file becomes what get extracts, written again as
// PonerCabecera writes it.
Escrito QuitarCabecera(std::span<const std::uint8_t> imagen, const Disco &disco,
                       const Archivo &archivo);

} // namespace cpm
