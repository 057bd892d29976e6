#pragma once

#include "cpm/Disco.h"
#include "cpm/Escritura.h"
#include "imagenes/Problema.h"

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A disk checked and mended: the reader's problems, each with what it
// touches and what a repair would do, and the repair of what is unambiguous.
// There is no rule here of what is wrong: the reading's problem list is it.
namespace cpm {

enum class NivelDefecto { Contenedor, Catalogo };

// What a repair does with a finding.
enum class Arreglo {
  Ninguno,        // it is left as it is; the reason says why
  Firma,          // the layout's whole signature written
  TamanoPista,    // the header's track sizes from what the tracks' sectors take
  Sobrantes,      // the bytes after the last track dropped
  RegistrosTramo, // a whole extent's record count, from its blocks
  TramoRepetido,  // an entry repeating another byte for byte emptied (&E5)
  // Gone once the rest is mended: a file incomplete for a record count, a
  // sector missing where the header put its track.
  Consecuencia,
};

// A short stable name ("firma", "tamano-pista", ... "ninguno"), for scripts.
std::string_view NombreArreglo(Arreglo arreglo);

struct Defecto {
  imagenes::Problema problema;
  NivelDefecto nivel = NivelDefecto::Contenedor;
  std::string objeto; // what it touches: "pista 5, cara 0, sector &C3", "entrada 7 (0:GAME.BIN)"
  Arreglo arreglo = Arreglo::Ninguno;
  std::string reparacion; // what a repair does, or why it leaves it (Spanish)
};

struct Comprobacion {
  std::vector<Defecto> defectos; // in the reading's order
  [[nodiscard]] bool Limpia() const { return defectos.empty(); }
  [[nodiscard]] std::size_t Reparables() const;
};

// The tracks a repair never touches: those the protection's verdict
// (cpm::JuzgarProteccion) finds irregular or names a scheme by.
std::set<std::pair<int, int>> PistasProtegidas(const Disco &disco);

// Every problem of the reading but a format chosen by name, with the file or
// the track and sector it touches and what RepararDisco does with it. When
// something can be mended, the mended bytes are read again to tell which of
// the other problems go with it.
Comprobacion ComprobarDisco(const Disco &disco);

// Mends what ComprobarDisco marks with an Arreglo, in place, over a copy of
// `imagen` (whose reading `disco` is): the header first, then the catalogue
// as the mended header reads it. Protected tracks and anything ambiguous are
// left. The bytes are the image's own when nothing could be mended; a
// refusal only when the reading is not of these bytes.
Escrito RepararDisco(std::span<const std::uint8_t> imagen, const Disco &disco);

// The findings as check prints them, two lines each, `delante` before the
// first ("reparado: "): "  pista 5, cara 0: ... [tipo]" and what a repair does.
std::string TextoDefectos(const std::vector<Defecto> &defectos, const char *delante = "");
// "3 problemas, 2 reparables (--reparar)", or "sin problemas"; `comoReparar`
// in brackets after the reparable ones, when not empty.
std::string ResumenComprobacion(const Comprobacion &c, std::string_view comoReparar);

// The findings of `antes` that `despues` no longer has: what a repair mended.
std::vector<Defecto> Reparados(const Comprobacion &antes, const Comprobacion &despues);

} // namespace cpm
