#pragma once

#include "platform/ReemplazoSeguro.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// From a path to an image's bytes, the one way every command and the window
// take: images read where they lie, plain files, .gz files, and members of
// zips named by the zip's path, '/', and the member's path:
// "coleccion.zip/juegos/abadia.dsk". A zip's directory is read once for as
// long as its members are being read, whatever name the zip goes by; a member
// is found by its name, or in another letter case when only one fits.
namespace imagenes {

// No real disk image comes near this; anything larger is refused unread.
constexpr std::uintmax_t TamanoMaximoArchivo = 16u * 1024u * 1024u;

// The image named `ruta` read whole into `bytes`, at most TamanoMaximoArchivo.
// With `huella`, a plain file's is kept there, so that a change is written
// back only over the very bytes read (an image inside a zip or a .gz is never
// written back, and leaves it as it was). Returns empty, or why it cannot be
// read, in Spanish.
std::string CargarImagen(const std::string &ruta, std::vector<std::uint8_t> &bytes,
                         Plataforma::HuellaArchivo *huella = nullptr);
// Why a file could not be read as an image, from LecturaArchivo's Errores
// number; empty for Errores::Ninguno.
std::string MotivoLectura(const std::string &ruta, std::int16_t error);

// Only its first `largo` bytes (fewer when it is shorter); a zip member or a
// .gz inflates no further than that, and its CRC is not checked. `tamano`,
// when given, gets the whole image's size: a file's, a member's as its zip
// declares it; a .gz's is not known before it is inflated, so it gets the
// bytes read.
std::string CargarPrincipio(const std::string &ruta, std::size_t largo,
                            std::vector<std::uint8_t> &bytes, std::uintmax_t *tamano = nullptr);

// Starts another reading. What is inflated of a zip is paid from the zip's
// budget (twice what deflate can make of its bytes, and 16 MiB more), and
// the budget covers one reading: a run of alcove-cli is one, the window starts
// one for each thing the user does, or its views over hours would add up to
// a bomb.
void EmpezarLectura();

// True for what the writing commands must refuse: a .gz, a .zip, a member of a zip.
[[nodiscard]] bool EsRutaComprimida(const std::string &ruta);
// True for a member of a zip: "coleccion.zip/juegos/abadia.dsk", the zip a file.
[[nodiscard]] bool EsMiembroDeZip(const std::string &ruta);
// Their message: "alcove-cli: RUTA: " + this.
[[nodiscard]] std::string MotivoRutaComprimida();

// Names as `find` takes them besides images: a .zip, and an image's .gz ("x.dsk.gz", "x.hfe.gz").
[[nodiscard]] bool EsNombreZip(std::string_view nombre);
[[nodiscard]] bool EsNombreImagenGz(std::string_view nombre);

// The images of the zip at `zip` (members named like images of a kind told by
// its bytes, imagenes::EsNombreDeImagen, in member order)
// by full name, until `alEncontrar` returns false. Zips inside it are not
// opened: each goes to `alAnidado`, when given. A name held by several members
// names the first; the others, which no name can reach, go to `alOculto`
// once a name, with the reason, in the place of the first of them. Returns
// empty or why the zip cannot be listed (whole: the members before a damage
// are still given).
using AlOculto = std::function<void(const std::string &, const std::string &)>;
std::string ImagenesDeZip(const std::string &zip,
                          const std::function<bool(const std::string &)> &alEncontrar,
                          const std::function<void(const std::string &)> &alAnidado,
                          const AlOculto &alOculto = {});

} // namespace imagenes
