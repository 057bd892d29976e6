#pragma once

#include "cpm/Proteccion.h"
#include "imagenes/Superficie.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The table of copy-protection schemes: each row the shape of a scheme's
// tracks and the signatures in its sectors, as data the engine in
// Proteccion.cpp walks. A few shapes no field can say are small functions.
namespace cpm::proteccion {

using imagenes::Pista;
using imagenes::PistaSuperficie;
using imagenes::Sector;
using imagenes::SectorSuperficie;
using imagenes::TextoId;
using imagenes::TextoPista;

// A disk's tracks and sectors as the verdict reads them: views into the bytes
// of the model they came from (a Contenedor's file, a Superficie's sectors),
// so that judging a disk copies none of its sectors.
struct SectorVista : imagenes::IdSector {
  int copias = 1;
  std::span<const std::uint8_t> datos; // every byte stored for it, all copies
  [[nodiscard]] std::size_t LongitudNominal() const;
};

struct PistaVista {
  std::uint8_t pistaCabecera = 0;
  std::vector<SectorVista> sectores; // in stored order
};

struct VistaDisco {
  int pistas = 0, caras = 0;
  std::vector<PistaVista> pistasCaras; // index pista * caras + cara
  [[nodiscard]] const PistaVista *Pista(int pista, int cara) const;
};

VistaDisco VistaDe(const Superficie &disco);
// A standard image's sectors keep 128 << N bytes of their track's stored
// length, as DesdeContenedor keeps them.
VistaDisco VistaDe(const Contenedor &disco);

enum class Plataforma : std::uint8_t { Cualquiera, Cpc, Mas3 };

// Which stored sector a condition or a signature is about: an index from 0,
// or one of these.
constexpr int Nada = -9;   // an unused slot of the table
constexpr int Ultimo = -1; // the last stored sector
constexpr int Alguno = -2; // any sector of the track
constexpr int Cada = -3;   // every sector of the track

// The FDC status a sector must show (ST1 bit 7, end of cylinder, is never an error).
enum class Estado : std::uint8_t {
  Cualquiera,
  Sano,       // no status bits
  ErrorDatos, // data CRC error: ST1 and ST2 bit 5
  ErrorId,    // ID CRC error: ST1 bit 5, ST2 bit 5 clear
  Borrado,    // deleted data mark: ST2 bit 6
  ErrorSt1,   // ST1 bit 5, whatever ST2 says
  Error20,    // ST1 = ST2 = &20 exactly
};

struct CondSector {
  int cual = Nada;
  int r = -1; // ID, -1 any
  int n = -1; // size code, -1 any
  Estado estado = Estado::Cualquiera;
  std::size_t minimo = 0;       // bytes stored for one copy, at least
  int cDesde = -1, cHasta = -1; // the cylinder its ID names
  int veces = 1;                // Alguno: how many sectors must meet it
};

constexpr std::size_t MaxConds = 2;

// A track's shape. Conditions name sectors; the rest of the track must then
// have `nResto` and, with `sanos`, no status bits.
struct Forma {
  int minimo = 1, maximo = 255; // sector count
  bool vacia = false;           // no sectors at all
  int nResto = -1;
  bool sanos = false;
  std::span<const std::uint8_t> ids{}; // every ID, or the first ones in stored order
  bool idsEnOrden = true;              // false: the same IDs in any order
  std::array<CondSector, MaxConds> conds{};
  bool (*extra)(const PistaVista &) = nullptr;
};

// Tracks [desde, hasta] (on any side) and the shape one of them must have.
struct CondPista {
  int desde = -1, hasta = -1; // -1: no condition
  Forma forma{};
};

// A piece of a signature: bytes at an offset of a sector, or anywhere in it (-1).
struct Pieza {
  std::string_view bytes{};
  int en = -1;
};

// What a code check found, for the evidence; empty when it does not match.
using Comprobacion = std::string (*)(std::span<const std::uint8_t> datos);

struct Firma {
  std::string_view variante{};          // added to the scheme's name: "KBI-19 (CAAV)"
  int pistaDesde = -1, pistaHasta = -1; // -1: the track whose shape matched
  int cual = Nada;                      // which sector; Alguno: any
  int r = -1;                           // or the sector of this ID
  Pieza a{}, b{};                       // b, when it has bytes, must be in the same sector
  Comprobacion comprobar = nullptr;     // a check of the sector's bytes, after the pieces
  bool sinCaso = false;                 // letters in any case
};

constexpr std::size_t MaxFirmas = 4;

// The bytes of a weak sector that differ from read to read.
struct Tramos {
  std::array<std::pair<std::size_t, std::size_t>, 2> t{}; // [desde, hasta)
  std::size_t n = 0;
};

struct Debil {
  int cond = -1; // the condition of `Forma::conds` that names the weak sector
  Tramos (*tramos)(const PistaVista &pista, const SectorVista &debil) = nullptr;
};

// What else a dump of the scheme may lack, and how it is completed.
struct Arreglo {
  // What is missing on the track whose shape matched; nothing when it is whole.
  std::optional<std::string> (*falta)(const PistaVista &pista) = nullptr;
  // Completes that track; what was done, one text per sector.
  std::vector<Prueba> (*completar)(PistaSuperficie &pista, int numero, int cara) = nullptr;
};

struct Esquema {
  std::string_view nombre;
  Plataforma plataforma = Plataforma::Cualquiera;
  std::string_view forma{}; // the shape in words, for the evidence
  CondPista pista{};        // the track that carries it
  CondPista otra{};         // another track that must be there, on the same side
  bool bastaForma = false;  // the shape alone names it (probable); else a signature must match
  std::array<Firma, MaxFirmas> firmas{};
  Debil debil{};
  Arreglo arreglo{};
};

std::span<const Esquema> TablaEsquemas();

// The stored sectors each condition of a shape named.
using Nombrados = std::array<std::vector<std::size_t>, MaxConds>;

// One row matched on one track.
struct Coincidencia {
  const Esquema *fila = nullptr;
  int pista = 0, cara = 0;
  Nombrados nombrados;
  std::optional<Prueba> firma; // the signature that matched; nothing: the shape alone
  std::string_view variante;
};

// Every row that names the disk, the best match of each scheme once:
// confirmed ones first, then in the table's order.
std::vector<Coincidencia> Coincidencias(const VistaDisco &disco);
// The weak sector of a match, or nullptr when its row names none.
const SectorVista *SectorDebil(const Coincidencia &x, const VistaDisco &disco);

// Whether FDC status bytes show `estado`.
bool TieneEstado(std::uint8_t st1, std::uint8_t st2, Estado estado);
// The same of a sector of either model.
template <class S> bool TieneEstado(const S &s, Estado estado) {
  return TieneEstado(s.st1, s.st2, estado);
}
// Bytes stored for one copy of a sector, and that copy.
template <class S> std::size_t LongitudCopia(const S &s) {
  return s.copias > 1 ? s.datos.size() / static_cast<std::size_t>(s.copias) : s.datos.size();
}
template <class S> std::span<const std::uint8_t> PrimeraCopia(const S &s) {
  return std::span<const std::uint8_t>(s.datos).first(LongitudCopia(s));
}

} // namespace cpm::proteccion
