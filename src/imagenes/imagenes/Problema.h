#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A damaged or odd disk is reported, never thrown: every step of the reading
// (the image's tracks here, the file system on them in cpm) adds records to a
// list and goes on with what it could read.
namespace imagenes {

enum class TipoProblema {
  // The image file and its layout.
  ArchivoIlegible,     // the host file could not be read, or is over the size limit
  FirmaDesconocida,    // neither layout's signature
  CabeceraCorta,       // shorter than the 256-byte Disk-Info block
  GeometriaInvalida,   // zero or absurd track or side counts
  PistaAusente,        // a track the header promises is not in the file
  PistaCorta,          // a track the file cuts short
  PistaSinFirma,       // a Track-Info block without its signature
  PistaNumeroDistinto, // the Track-Info's track or side differs from its place
  SectoresDeMas,       // a sector list longer than the block can hold
  SectorCorto,         // a sector's bytes cut by the end of its track or the file
  SectorDebil,         // several stored copies of one sector; the first is used
  SectorRepetido,      // two sectors with the same ID on one track
  SectorError,         // ST1/ST2 report a read error when the image was made
  SectorPasaElIndice, // a data field longer than the rest of the revolution, read on past the index
  BytesSobrantes,     // bytes after the last track
  LecturaFlujo,       // what reading a flux dump had to say (a pass that failed, no index...)
  PistaFm,            // a track of a flux dump recorded in FM, which is not decoded
  FirmaRara,          // the layout's signature, but not the whole of it: an old or odd writer
  // The header's track size (or a track's in the extended table) unlike what
  // its Track-Info and sectors take, where the tracks are found when read by
  // their own sizes (Contenedor::tamanosPorSectores).
  TamanoPistaDistinto,
  LongitudGuardadaDistinta, // bytes stored for a sector unlike its size code's (not weak copies)
  // The format.
  FormatoDesconocido,  // the first track does not tell the format
  FormatoForzado,      // the caller chose the format by name
  FormatoNombreMalo,   // the caller named a format that does not exist
  DescripcionInvalida, // a +3/PCW disk description that cannot be honoured
  // The catalogue and its files.
  SectorAusente,        // a sector the format needs is not on its track
  SectorTamanoDistinto, // its size code differs from the format's: unreadable
  BloqueFueraDelDisco,
  BloqueTrasElFinal, // past the format's last block, on tracks the image has: read
  BloqueCompartido,
  ExtensionAusente,    // a gap in a file's extent numbers
  ExtensionRepetida,   // the same extent number twice; the first one is kept
  RegistrosDeMas,      // an extent's record count runs past its blocks
  RegistrosDeMenos,    // an extent before the file's last one is not full: a gap in the file
  UsuarioFueraDeRango, // an entry of a user above 15 (not deleted, not a CP/M 3 label or dates)
  NombreInvalido,      // a name with characters CP/M cannot hold, or blank
  ArchivoIncompleto,   // a file some of whose bytes cannot be read
  // Extraction.
  CabeceraAmsdosInvalida, // "file" mode asked of a file without a valid header
  LongitudCabeceraExcede, // the header's length runs past the bytes on disk
};

// Where a problem is; -1 when that coordinate does not apply.
struct Lugar {
  int pista = -1;
  int cara = -1;
  int sector = -1;  // sector ID (R)
  int entrada = -1; // catalogue entry index
  int bloque = -1;
  long long desplazamiento = -1; // offset in the image file
};

struct Problema {
  TipoProblema tipo;
  std::string texto; // Spanish, for people
  Lugar lugar;
};

using Problemas = std::vector<Problema>;

// A short stable name for the kind ("sector-debil", ...), for scripts and JSON.
std::string_view NombreTipo(TipoProblema tipo);

// A sector ID as texts for people write it: "&C1".
std::string TextoId(std::uint8_t id);
// A track as texts for people name it: "pista 5, cara 0".
std::string TextoPista(int pista, int cara);

} // namespace imagenes
