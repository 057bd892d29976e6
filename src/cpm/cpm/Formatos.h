#pragma once

#include "imagenes/Contenedor.h"
#include "imagenes/Problema.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// CP/M disk formats: how tracks and sectors become blocks and a catalogue.
namespace cpm {

// How logical tracks run over the sides of a two-sided disk.
enum class OrdenCaras {
  Alternas,  // track 0 side 0, track 0 side 1, track 1 side 0, ...
  Sucesivas, // every track of side 0, then side 1 from its track 0
};

struct Formato {
  std::string_view nombre;          // "data", "system", ...
  std::string_view descripcion;     // in Spanish
  std::uint8_t primerSector = 0xC1; // lowest sector ID
  int sectoresPorPista = 9;
  int tamanoSector = 512; // bytes; its size code is log2(tamanoSector) - 7
  int pistas = 40;        // per side
  int caras = 1;
  OrdenCaras orden = OrdenCaras::Alternas;
  int reservadas = 0; // logical tracks before block 0
  int tamanoBloque = 1024;
  int entradas = 64;      // catalogue entries
  int bloques = 180;      // blocks on the disk (DSM + 1)
  bool bytesCpm3 = false; // writes the last record's byte count, as CP/M 3 (+3/PCW)

  [[nodiscard]] int CodigoTamano() const;     // N of the format's sectors
  [[nodiscard]] int BloquesCatalogo() const;  // blocks holding the catalogue
  [[nodiscard]] int MascaraExtension() const; // EXM
  [[nodiscard]] bool Bloques16() const;       // 16-bit block numbers (over 255 blocks)
};

// Every format this reader knows, in the order detection tries them.
std::span<const Formato> TablaFormatos();
// The names a caller may force ("data", "system", "ibm", "plus3", "pcw", ...).
std::vector<std::string_view> NombresFormatos();
// The format of that name (case-insensitive), or nothing.
std::optional<Formato> FormatoPorNombre(std::string_view nombre);
// +3 and PCW disks carry a description of their tracks and sides, so their
// file system grows with the disk; every other format's is fixed.
bool DescribeSuGeometria(const Formato &formato);
// Whether a new disk of this many tracks a side and sides leaves none of them
// unused by the format's file system (0: the format's own).
bool UsaLaGeometria(const Formato &formato, int pistas, int caras);
// The formats whose file system fills this many tracks a side and sides, in table order.
std::vector<std::string_view> FormatosDeGeometria(int pistas, int caras);

struct Deteccion {
  std::optional<Formato> formato; // nothing: the format cannot be told
  std::string motivo;             // why this one, in Spanish
  imagenes::Problemas problemas;
};

// From the sector IDs of the first track and, on +3/PCW disks, the 16-byte
// disk description in its first sector.
Deteccion DetectarFormato(const imagenes::Contenedor &disco);

// Where the logical sector `indice` (counted from the first logical track, 0 =
// first sector of the first track, reserved tracks included) lies.
struct Ubicacion {
  int pista = 0;
  int cara = 0;
  std::uint8_t id = 0;
};
Ubicacion UbicarSector(const Formato &formato, long long indice);

} // namespace cpm
