#pragma once

#include "cli/Listado.h"
#include "cpm/Imagen.h"

#include <optional>
#include <string>
#include <vector>

// The commands of alcove-cli. Each writes its output and its one-line errors
// and returns the exit code: 0 all done, 1 some input could not be read or
// written, 2 a usage error.
namespace Cli {

struct OrdenInfo {
  std::vector<std::string> imagenes;
  std::string formato;
  bool json = false;
  bool sumas = false; // SHA-256 of the disk's data and of each file
};
int EjecutarInfo(const OrdenInfo &orden);

struct OrdenLs {
  std::vector<std::string> imagenes;
  std::string formato;
  OpcionesLs opciones;
  bool json = false;
};
int EjecutarLs(const OrdenLs &orden);

struct OrdenGet {
  std::string imagen;
  std::vector<std::string> patrones;
  std::string destino = ".";
  std::string formato;
  bool crudo = false;
  bool forzar = false;
  bool borrados = false; // among the deleted files, when their blocks are still free
  bool texto = false;    // text up to its ^Z, CR LF made LF
};
int EjecutarGet(const OrdenGet &orden);

struct OrdenCat {
  std::string imagen;
  std::string nombre;
  std::string formato;
  bool crudo = false;
  bool hex = false;        // the hex dump, wherever the output goes
  bool texto = false;      // text (BASIC listed), wherever the output goes
  std::string tipo;        // a viewer's name (--tipo, --z80): shown so, wherever the output goes
  std::string desde;       // the address the file is loaded at, for the listing (--desde)
  std::string png;         // a screen drawn into this PNG file (--png)
  bool forzar = false;     // the PNG replaces a file already there (--force)
  std::optional<int> modo; // the screen's mode (--modo); none: the palette file's, else 1
  std::string paleta;      // firmware colours, or a palette file named with its folder (--paleta)
};
int EjecutarCat(const OrdenCat &orden);

struct OrdenDump {
  std::string imagen;
  int pista = 0;
  int cara = 0;
  std::string sector;  // "&C1", "0xC1" or decimal
  std::string formato; // a raw dump's: its tracks are known only through it
};
int EjecutarDump(const OrdenDump &orden);

struct OrdenFind {
  std::string patron;
  std::vector<std::string> carpetas;
  unsigned hilos = 0; // 0: every core
  bool json = false;
  bool silencioso = false; // files that are not CPC disk images only counted
};
int EjecutarFind(const OrdenFind &orden);

// For info, ls and check: each zip among `rutas` replaced by its images. A
// zip that cannot be listed, or that holds none, is reported and makes `salida` 1.
std::vector<std::string> ExpandirZips(const std::vector<std::string> &rutas, int &salida);

// Says on stderr why the image's catalogue cannot be read whole, if it cannot,
// and sets `salida` to 1; true when part of it can be read.
bool CatalogoLegible(const cpm::Imagen &imagen, int &salida);

// The files matching any of the patterns, each once, in catalogue order. A
// pattern matching nothing is reported, when the whole catalogue was read, and
// sets `salida` to 1; a malformed one is reported, sets it to 2 and gives nothing.
std::optional<std::vector<const cpm::Archivo *>>
Seleccionar(const cpm::Disco &disco, const std::vector<std::string> &patrones,
            const std::string &imagen, int &salida, bool borrados = false);

// A number written as "&C1", "#C1", "$C1", "0xC1", "C1h" or decimal, up to six
// digits (so any 16-bit address, "&4000"); -1 when it is none of those forms.
int LeerNumero(const std::string &texto);
// A count (-j, --pistas): decimal digits only, more than 0; -1 when it is not one.
int LeerCantidad(const std::string &texto);
// Decimal digits only, leading zeros and all ("010" is 10), up to six; -1 otherwise.
int LeerDecimal(const std::string &texto);

} // namespace Cli
