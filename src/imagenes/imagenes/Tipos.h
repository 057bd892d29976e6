#pragma once

#include "imagenes/Comparacion.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Superficie.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The kinds of image file, one row each. A kind is a file of its own (its
// reader to tracks and sectors, and its writer when it has one) and one row
// of this table; everything else (which commands open it, how the window
// lists it, what convert makes of it) comes from the row.
namespace imagenes {

struct Geometria; // imagenes/Crudo.h

struct OpcionesLectura {
  const Geometria *geometria = nullptr; // a raw dump's format: to read one, and to write one
  std::string version; // the creator field of a disk read from a raw dump says "Alcove " + version
};

struct Tipo {
  std::string_view nombre;      // convert's --a: "extendido", "estandar", "hfe", "raw"
  std::string_view descripcion; // for people: "DSK extendido", "HFE v1"
  std::string_view disposicion; // what info calls it: "EXTENDED CPC DSK", "HFE v1"
  std::string_view familia;     // what messages call its family: "DSK", "HFE"
  std::array<std::string_view, 2> extensiones; // of its files, lower case, no dot; "" unused
  // Where its signature and its creator field lie in the file, for info
  // (length 0: it has none).
  std::size_t largoFirma = 0;
  std::size_t posCreador = 0, largoCreador = 0;
  // Whether the bytes are of this kind, by their signature. nullptr: a kind
  // without one (a raw dump), read only when a format is given for it.
  bool (*reconocer)(std::span<const std::uint8_t> bytes) = nullptr;
  // The disk in the bytes; never throws for damaged input.
  Lectura (*leer)(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones) = nullptr;
  // An image of this kind holding the disk, or nothing with the reason.
  // nullptr: the kind is only read.
  std::optional<std::vector<std::uint8_t>> (*escribir)(const Superficie &disco,
                                                       const OpcionesLectura &opciones,
                                                       std::string &error) = nullptr;
  // What it cannot hold though reading it back gives it (nullptr: nothing
  // beyond what reading it back shows); added to the list of what is lost.
  void (*limites)(const Superficie &disco, std::vector<Diferencia> &perdidas) = nullptr;
  // The file system reads and writes its bytes in place (a CPCEMU layout).
  // The others are read into an extended image made for the reading, and
  // never written back: the write commands refuse them, naming convert.
  bool enSitio = false;
  bool conGeometria = false; // read and written for a format only (a raw dump)
  std::string_view comoDsk;  // what a ".dsk" DESTINO of convert is, from this kind
};

// Every kind, in the order convert's help lists them.
std::span<const Tipo> Tipos();
const Tipo *TipoPorNombre(std::string_view nombre);
// The kind the bytes are by their signature; nullptr for none.
const Tipo *TipoDeBytes(std::span<const std::uint8_t> bytes);
// The kind bytes without a signature are read as when a format is given: raw.
const Tipo *TipoConGeometria();
// The kinds whose files `ruta` is named like, by its extension (any case).
std::vector<const Tipo *> TiposPorExtension(std::string_view ruta);
// True for the names of files of a kind told by its bytes ("x.dsk", "x.HFE"):
// what a folder's image list and find's walk take. A name alone (".dsk") is none.
bool EsNombreDeImagen(std::string_view nombre);
// "dsk", "hfe": those extensions, for help texts and dialogs.
std::vector<std::string_view> ExtensionesDeImagen();
// "DSK", "HFE": the families of the kinds told by their bytes.
std::vector<std::string_view> Familias();
// "no es una imagen DSK ni HFE": what bytes of none of those kinds are told.
std::string NingunTipo();

// The tracks of an image of any kind, as the file system reads them: the kind
// told by the bytes (a raw dump when they have none and a geometry is given),
// and its tracks as a CPCEMU image: the bytes themselves for a kind read in
// place, an extended image made from its tracks for the others, named as the
// file is (its kind, its signature and creator as the file stores them), the
// problems of reading its tracks first. The container points into `bytes`
// and into the image made, which moves with the object.
struct Pistas {
  Pistas() = default;
  Pistas(Pistas &&) = default;
  Pistas &operator=(Pistas &&) = default;
  Pistas(const Pistas &) = delete;
  Pistas &operator=(const Pistas &) = delete;

  const Tipo *tipo = nullptr;      // nullptr: no kind's signature
  std::vector<std::uint8_t> hecha; // the image made, for a kind not read in place
  Contenedor contenedor;
  std::string error; // why it cannot be read; empty when it can
};
Pistas LeerPistas(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones);

} // namespace imagenes
