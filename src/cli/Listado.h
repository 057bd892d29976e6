#pragma once

#include "cpm/Disco.h"

#include <string>
#include <vector>

// The text of `ls` and `info`.
namespace Cli {

struct OpcionesLs {
  bool largo = false;    // -l
  bool todos = false;    // -a: system files too
  bool borrados = false; // --borrados
};

// Files sorted by name, extension and user, as CAT sorts them; system files
// only with `incluirSistema`.
std::vector<const cpm::Archivo *> ArchivosOrdenados(const cpm::Catalogo &catalogo,
                                                    bool incluirSistema);
// KB the file takes on the disk, whole blocks counted, as CAT shows it.
std::uint64_t KbOcupados(const cpm::Archivo &archivo, int tamanoBloque);
// KB of the disk's blocks that no file uses.
std::uint64_t KbLibres(const cpm::Disco &disco);

// The listing of a disk with a catalogue, whole or not: a line saying what
// stopped the catalogue, the line that counts what was left out, and one that
// counts the problems the reader found, when it found any.
std::string TextoLs(const cpm::Disco &disco, const OpcionesLs &opciones);

// What `info` prints of a disk whose tracks could be read.
std::string TextoInfo(const cpm::Disco &disco);

} // namespace Cli
