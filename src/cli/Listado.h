#pragma once

#include "cpm/Disco.h"
#include "cpm/Proteccion.h"

#include <string>
#include <vector>

// The text of `ls` and `info`.
namespace Cli {

struct OpcionesLs {
  bool largo = false;    // -l
  bool todos = false;    // -a: system files too
  bool borrados = false; // --borrados
  bool cat = false;      // --cat: the bytes the CPC's CAT prints
};

// "1 archivo", "2 archivos".
std::string Plural(std::size_t n, const char *uno, const char *varios);
// "a", "a o b", "a, b o c".
std::string Enumerar(const std::vector<std::string> &cosas);

// Files sorted by name, extension and user, as CAT sorts them; system files
// only with `incluirSistema`.
std::vector<const cpm::Archivo *> ArchivosOrdenados(const cpm::Catalogo &catalogo,
                                                    bool incluirSistema);
// KB the file takes on the disk, whole blocks counted, as CAT shows it.
std::uint64_t KbOcupados(const cpm::Archivo &archivo, int tamanoBloque);
// KB of the disk's blocks that no file uses.
std::uint64_t KbLibres(const cpm::Disco &disco);
// KB of the disk's blocks for files: every block but the catalogue's (178 on a DATA disk).
std::uint64_t KbCapacidad(const cpm::Disco &disco);

// The listing of a disk with a catalogue, whole or not: a line saying what
// stopped the catalogue, the line that counts what was left out, and one that
// counts the problems the reader found, when it found any.
std::string TextoLs(const cpm::Disco &disco, const OpcionesLs &opciones);

// What `info` prints of a disk whose tracks could be read.
std::string TextoInfo(const cpm::Disco &disco);

// What is odd about one sector, as `info` tells it.
struct RarezasSector {
  bool errorFdc = false;       // ST1 or ST2 holds error bits
  bool debil = false;          // stored several times (weak)
  bool tamanoGuardado = false; // stored length differs from its size code's
  bool codigoDistinto = false; // size code differs from the format's
  bool pistaDistinta = false;  // C differs from the track
  [[nodiscard]] bool Alguna() const {
    return errorFdc || debil || tamanoGuardado || codigoDistinto || pistaDistinta;
  }
};
// `codigoFormato` is the format's size code, or -1 when the format is unknown.
RarezasSector Rarezas(const imagenes::Pista &pista, const imagenes::Sector &sector,
                      int codigoFormato);
int CodigoFormato(const cpm::Disco &disco);

// The signs of copy protection: how many sectors show each kind of oddity.
struct SenalesProteccion {
  int errores = 0, debiles = 0, tamanos = 0, codigos = 0;
  [[nodiscard]] bool Probable() const { return errores + debiles + tamanos + codigos > 0; }
};
SenalesProteccion Senales(const cpm::Disco &disco);
// The copy-protection verdict of the disk's tracks.
cpm::Veredicto VeredictoDe(const cpm::Disco &disco);

// A header text on one line: control bytes (CR, LF, NUL...) become one blank, ends trimmed.
std::string TextoUnaLinea(const std::string &texto);

} // namespace Cli
