#pragma once

#include "imagenes/Campos.h"
#include "imagenes/Problema.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The image as tracks and sectors, knowing nothing of the file system on it:
// what the file system reads. Its bytes are a CPCEMU image ("MV - CPCEMU" or
// "EXTENDED CPC DSK"): the file's own, or one made from the tracks of an image
// of another kind (imagenes/Tipos.h). Sectors point into those bytes, which must
// outlive the Contenedor.
namespace imagenes {

enum class Disposicion { Estandar, Extendida };

struct Sector : IdSector {
  std::size_t longitudGuardada = 0;    // bytes stored for it (extended: the list's length)
  std::size_t desplazamiento = 0;      // offset of its first byte in the file
  int copias = 1;                      // more than 1: a weak sector stored several times
  std::span<const std::uint8_t> datos; // its first copy, cut to what the file holds
  // The nominal size of its code, 128 << N (N above 7 counts as 8, as the FDC does).
  [[nodiscard]] std::size_t LongitudNominal() const;
  // Stored at a length unlike its size code's, weak copies of that length apart.
  [[nodiscard]] bool LongitudRara() const;
};

// Not formatted (CabeceraPista::formateada false): size 0 in the extended
// table, or no block.
struct Pista : CabeceraPista {
  int pista = 0; // place in the image
  int cara = 0;
  std::size_t desplazamiento = 0; // of its Track-Info block
  std::size_t tamano = 0;         // as the header gives it
  std::size_t disponibles = 0;    // bytes of it the file holds
  std::uint8_t sectoresDeclarados = 0;
  std::vector<Sector> sectores; // in stored order
};

struct Contenedor {
  bool valido = false; // false: no layout recognised or no usable header
  Disposicion disposicion = Disposicion::Estandar;
  // What the image file is, as info names it: its layout ("MV - CPCEMU"), or
  // the kind its tracks were read from ("HFE v1"); its signature and creator
  // field, as texts (trailing blanks and NULs cut) and as the file stores
  // them (empty where its kind has none).
  std::string_view tipo;
  std::string firma;
  std::string creador;
  std::span<const std::uint8_t> firmaBytes, creadorBytes;
  int pistas = 0;
  int caras = 0;
  std::size_t tamanoPista = 0;      // standard layout: one size for all
  std::vector<std::size_t> tamanos; // extended layout: per track and side, 0 unformatted
  std::vector<Pista> pistasLeidas;  // index pista * caras + cara
  std::size_t tamanoArchivo = 0;
  std::size_t bytesSobrantes = 0; // after the last track
  bool faltanPistas = false;      // read from a start of the file that leaves tracks out
  // When the tracks are not where the header puts them but are found one
  // after another by what each Track-Info and its sectors take: each track's
  // size so (0 unformatted); empty otherwise.
  std::vector<std::size_t> tamanosPorSectores;
  Problemas problemas;
  std::span<const std::uint8_t> bytes;
};

// Parses the Disk-Info and every Track-Info block. Never throws for damaged
// input: problems are listed and what can be read is kept.
Contenedor LeerContenedor(std::span<const std::uint8_t> bytes);
// The same from the first bytes of an image file: the header is checked as
// LeerContenedor checks it, then only the tracks those bytes hold whole are
// read; the rest are left out (BuscarPista finds none), with no problem noted.
Contenedor LeerPrincipioContenedor(std::span<const std::uint8_t> principio);

// The track at (pista, cara), or nullptr when there is none.
const Pista *BuscarPista(const Contenedor &disco, int pista, int cara);
// The first sector with ID R on that track, wherever it is stored; nullptr if none.
const Sector *BuscarSector(const Contenedor &disco, int pista, int cara, std::uint8_t id);

// Every byte the image stores for a sector, its weak copies included; a
// standard track's padding past the sector's own 128 << N left out.
std::span<const std::uint8_t> BytesGuardados(const Contenedor &disco, const Sector &sector);

// Every byte the image stores for a sector, its weak copies included; a
// standard track's padding past the sector's own 128 << N left out.
std::span<const std::uint8_t> BytesGuardados(const Contenedor &disco, const Sector &sector);

std::string_view NombreDisposicion(Disposicion disposicion);

} // namespace imagenes
