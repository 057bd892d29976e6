#pragma once

#include "imagenes/Comparacion.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Superficie.h"

#include <string>
#include <string_view>
#include <vector>

// Copy protection named from a disk's tracks: which scheme, how sure, and
// what on the disk says so, for any kind of image once it is tracks and
// sectors. Every scheme is one row of a table (src/cpm/Esquemas.cpp): the
// shape of its tracks and the signatures in its sectors.
namespace cpm {

// Protection is told from tracks and sectors, below the file system.
using imagenes::Contenedor;
using imagenes::Diferencia;
using imagenes::Superficie;

enum class Certeza {
  Confirmada, // a signature text or code matched
  Probable,   // only the shape of the tracks matched
};

enum class ClaseVeredicto {
  Ninguna,     // every track laid out alike, nothing odd
  Esquema,     // a scheme of the table names it
  Desconocida, // irregular, with FDC errors, weak sectors or odd lengths, and no rule names it
  Formato,     // tracks unlike the rest but clean: a format of its own, not a protection
  Desgaste,    // lone CRC errors on the last tracks of a plain disk: worn media
  Sueltos,     // a few isolated odd sectors on a plain disk, as on a work disk
};

// Something seen on the disk: where, and what.
struct Prueba {
  int pista = -1, cara = -1;
  int sector = -1;   // sector ID (R), or -1 when it is about the whole track
  std::string texto; // Spanish: "sector débil (3 copias) con error de CRC en los datos"
};

struct Hallazgo {
  std::string esquema; // "Speedlock", "KBI-19 (CAAV)", ...
  Certeza certeza = Certeza::Probable;
  std::vector<Prueba> pruebas;
  // An incomplete dump: what the disk needs and the image does not hold, so
  // an emulator or a floppy emulator will not load it.
  std::vector<Prueba> faltas;
  // Whether CompletarVolcado can add what is missing.
  bool completable = false;
};

struct Veredicto {
  ClaseVeredicto clase = ClaseVeredicto::Ninguna;
  std::vector<Hallazgo> hallazgos; // Esquema: confirmed ones first, then in the table's order
  // The tracks behind any other class but Ninguna, one each: what makes it irregular.
  std::vector<Prueba> pistas;
  bool mas3 = false; // read as a +3 disk (the first ID of track 0 below &41)

  [[nodiscard]] bool Protegido() const {
    return clase == ClaseVeredicto::Esquema || clase == ClaseVeredicto::Desconocida;
  }
  [[nodiscard]] bool Incompleto() const;
};

// Of any image once it is tracks and sectors; of a DSK image as it is read,
// without copying its sectors.
Veredicto JuzgarProteccion(const Superficie &disco);
Veredicto JuzgarProteccion(const Contenedor &disco);

// The verdict in a few words: "Speedlock (confirmada)", "protección desconocida"...
std::string TextoVeredicto(const Veredicto &veredicto);
// Stable codes for scripts: "ninguna", "esquema", "desconocida", "formato",
// "desgaste", "sueltos"; "confirmada", "probable".
std::string_view CodigoClase(ClaseVeredicto clase);
std::string_view CodigoCerteza(Certeza certeza);
// "pista 0, cara 0, sector &C8" or "pista 0, cara 0": the place of a Prueba.
std::string LugarPrueba(const Prueba &prueba);
// The verdict's evidence for people, one line each, after `sangria`: what was
// seen, what an incomplete dump lacks, the tracks behind any other class, and
// the other schemes that fit too.
std::string TextoPruebas(const Veredicto &veredicto, std::string_view sangria);

// Every scheme the table can name, once each, in its order.
std::vector<std::string_view> EsquemasConocidos();

// --- Completing a dump ---------------------------------------------------------

struct Completado {
  Superficie disco;             // the completed disk; as it was when nothing was done
  std::vector<Prueba> anadidos; // what was added (or taken away), sector by sector
  std::string error;            // why nothing could be done, in Spanish; empty when done
  [[nodiscard]] bool Hecho() const { return error.empty(); }
};

// A dump that a named scheme says is incomplete, made to play: a weak sector
// stored once gets a second copy whose weak span differs (each weak byte
// inverted), an OperaSoft 32K sector stored without data gets the bytes a
// working image holds, and the junk sectors of the Titus mastering error go.
// The first copy of every sector, and so every program's bytes, stays as it
// was. Anything else is refused.
Completado CompletarVolcado(const Superficie &disco);

// Losses of a conversion that take a named protection with them: the first
// loss on each scheme's tracks and sectors says which protection will then fail.
void AvisarProteccionesPerdidas(const Superficie &origen, std::vector<Diferencia> &perdidas);

} // namespace cpm
