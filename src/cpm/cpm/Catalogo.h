#pragma once

#include "cpm/Amsdos.h"
#include "cpm/Formatos.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Problema.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The CP/M catalogue: entries, extents and the files they make.
namespace cpm {

// One catalogue entry used by a file (one extent).
struct Extension {
  int entrada = 0;          // index in the catalogue
  int numero = 0;           // logical extent number, from EX, S2 and the extent mask
  int registros = 0;        // 128-byte records this entry holds (from EX low bits and RC)
  int bytesUltimo = 0;      // CP/M 3 byte count of the last record, 0 = whole record
  std::vector<int> bloques; // the nonzero block numbers, in order
};

struct Archivo {
  std::uint8_t usuario = 0;
  std::string nombre;                     // up to 8 characters, top bits cleared, blanks cut
  std::string extension;                  // up to 3
  bool soloLectura = false;               // bit 7 of the first extension byte
  bool sistema = false;                   // of the second
  bool archivado = false;                 // of the third
  std::uint64_t tamano = 0;               // bytes, as the catalogue gives them
  std::uint64_t longitud = 0;             // bytes extracted by default, of those readable
  bool longitudSabida = true;             // false: names-only reading without the whole file
  bool completo = true;                   // every byte can be read from the disk
  std::vector<Extension> extensiones;     // by extent number
  std::optional<CabeceraAmsdos> cabecera; // a valid header really read from disk

  [[nodiscard]] std::string NombreCompleto() const; // "NAME.EXT" or "NAME"
  // "NAME.EXT", or "U:NAME.EXT" for users other than 0: how messages name a file.
  [[nodiscard]] std::string NombreConUsuario() const;
};

// "U:NAME.EXT": user 0 shown only when `siempre` (where users are compared).
// The one way messages and listings name a file with its user.
[[nodiscard]] std::string NombreConUsuario(int usuario, const std::string &nombre,
                                           bool siempre = false);

// An entry that is not part of a file: deleted, or catalogue art and the like.
struct EntradaSuelta {
  int entrada = 0;
  std::uint8_t usuario = 0;             // byte 0 as stored
  std::array<std::uint8_t, 11> crudo{}; // name and extension bytes as stored
  std::string texto;                    // printable form: other bytes as '?'; blanks cut
  std::string motivo;                   // why it is not a file (odd entries)
};

struct Catalogo {
  std::vector<Archivo> archivos;       // by user, then name
  std::vector<EntradaSuelta> borradas; // user 0xE5 with a name
  // The deleted entries grouped into files, by name, as user 0 (the user is
  // lost); size, header and completeness as for live files.
  std::vector<Archivo> archivosBorrados;
  std::vector<EntradaSuelta> raras; // control or graphic codes, user above 15
  imagenes::Problemas problemas;
  bool entero = true; // every entry could be read
};

// How much of the disk LeerCatalogo looks at.
enum class Alcance {
  Todo, // each file's blocks checked, its sectors read, its AMSDOS header kept
  // The catalogue's own sectors, and each file's sectors looked up but not
  // read: the same files with the same names, attributes, extents, sizes,
  // headers and lengths, but no block is checked for sharing and `completo`
  // only tells of a missing extent. A file the bytes do not hold whole
  // leaves `longitudSabida` false. For listings by name.
  SoloNombres,
};

struct Patron;

// The catalogue's entries as the disk keeps them, 32 bytes each: its blocks in
// logical order, up to the format's count of entries or the first sector that
// cannot be read (a problem then, when `problemas` is given); a last entry cut
// short by it is left in part.
std::vector<std::uint8_t> LeerEntradasCatalogo(const imagenes::Contenedor &disco,
                                               const Formato &formato,
                                               imagenes::Problemas *problemas = nullptr);

// Why a character cannot be part of a CP/M name, in Spanish ("lleva blancos");
// empty when it can. The catalogue's names are checked by the rule put and
// ren follow.
std::string MotivoCaracterNombre(char c);

// Reads the catalogue through its blocks and builds the files. A names-only
// reading with a pattern looks only at the matching files' sectors.
Catalogo LeerCatalogo(const imagenes::Contenedor &disco, const Formato &formato,
                      Alcance alcance = Alcance::Todo, const Patron *patron = nullptr);

} // namespace cpm
