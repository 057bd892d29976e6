#pragma once

#include "imagenes/Comparacion.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Superficie.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The two CPCEMU layouts as kinds of image (the table's first rows): read in
// place as a Contenedor (imagenes/Contenedor.h), and as a Superficie; written
// from a Superficie.
namespace imagenes {

// Why the bytes are no CPCEMU image: "no es una imagen de disco CPCEMU: " and
// the first problem of their reading.
std::string MotivoNoDsk(const Contenedor &disco);
// A text field of a header as people read it: trailing blanks and NULs cut.
std::string TextoCampo(std::span<const std::uint8_t> campo);

// The tracks of a DSK image as the reader sees them. A standard image's
// sectors keep 128 << N bytes of their track's stored length (the rest is
// the layout's padding); an extended image's keep every stored byte.
Superficie DesdeContenedor(const Contenedor &disco);

// Either layout read as tracks and sectors; nothing, with the reason
// (MotivoNoDsk), when the bytes are no CPCEMU image.
Lectura LeerDsk(std::span<const std::uint8_t> bytes);

// Images of the two CPCEMU layouts. Nothing when the layout cannot take the
// disk at all, with the reason in `error` (more tracks than its table has, a
// track larger than its size fields hold). What fits is written as it is;
// what a layout cannot hold of a sector (weak copies in the standard one, say)
// is left out, and a comparison of its reading with the surface tells it.
std::optional<std::vector<std::uint8_t>> EscribirExtendida(const Superficie &s,
                                                           std::string *error = nullptr);
std::optional<std::vector<std::uint8_t>> EscribirEstandar(const Superficie &s,
                                                          std::string *error = nullptr);

// One formatted track's bytes as each layout stores it: its Track-Info block
// and its sectors. An extended track is padded to a multiple of 256 bytes; a
// standard one is not padded to its image's one size. What the layout cannot
// hold is left out, as by the writers above.
std::vector<std::uint8_t> PistaExtendida(const PistaSuperficie &p);
std::vector<std::uint8_t> PistaEstandar(const PistaSuperficie &p);

// What the standard layout cannot hold though its reading gives it back: one
// stored length for every sector of a track. Added to `perdidas`, but for the
// sectors already there.
void LimitesEstandar(const Superficie &s, std::vector<Diferencia> &perdidas);

} // namespace imagenes
