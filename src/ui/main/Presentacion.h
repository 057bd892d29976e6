#pragma once

#include "disk/Types_Def.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What the main window shows of a disk image, worked out without any window:
// the rows of a pane's catalogue view and the texts of the status bar, in UTF-8.
namespace Presentacion {

// Size column of a catalogue row: kilobytes of the entry's records (8 records to
// the KB), never below 1, right-aligned with blanks to 4 characters.
[[nodiscard]] std::string TextoKB(std::uint8_t Registros);

// Position (from 1) of the small icon for extension `ext` among the image keys
// `claves`: the first key equal to `ext`, exactly, else the key "Unknow".
[[nodiscard]] int IndiceIcono(const std::string &ext, const std::vector<std::string> &claves);

// One catalogue entry as stored: its place in the catalogue (from 0) and its
// 32 bytes.
struct EntradaCatalogo {
  int Indice = 0;
  std::array<std::uint8_t, 32> Bytes{};

  friend bool operator==(const EntradaCatalogo &, const EntradaCatalogo &) = default;
};

// The catalogue entries of an image file's bytes, where the disk keeps them:
// every entry of its catalogue blocks in logical order, as the exact reader
// finds them (a format may have more than 64). When the reader recognises no
// format, the 64 entries at file offset 512, bytes past the end read as 0.
[[nodiscard]] std::vector<EntradaCatalogo> EntradasDeImagen(std::span<const std::uint8_t> imagen);

// The "Attrib" text of an entry: "R/O" and "SYS" for its attribute bits (the
// top bits of the first two extension characters), "U3" for a user other than
// 0, separated by blanks; empty when none.
[[nodiscard]] std::string TextoAtributos(const EntradaCatalogo &entrada);

struct FilaCatalogo {
  std::string Nombre;      // the entry's 8 name characters, top bits cleared, blanks kept
  std::string Ext;         // its 3 extension characters, top bits cleared
  std::string KB;          // TextoKB of its records
  std::string Attrib;      // TextoAtributos
  int Icono = 0;           // IndiceIcono of Ext
  EntradaCatalogo Entrada; // the entry that makes the row

  friend bool operator==(const FilaCatalogo &, const FilaCatalogo &) = default;
};

// One row for every entry in use (user 0..15) whose name, looked at without
// its top bits, holds only printable characters, in catalogue order.
[[nodiscard]] std::vector<FilaCatalogo> FilasCatalogo(const std::vector<EntradaCatalogo> &entradas,
                                                      const std::vector<std::string> &claves);

// The four status bar texts, left to right.
using TextosEstado = std::array<std::string, 4>;

[[nodiscard]] TextosEstado EstadoInicial();
[[nodiscard]] std::string TextoFormato(std::int32_t Formato);
[[nodiscard]] std::string TextoPistasCaras(std::uint8_t Pistas, std::uint8_t Caras);
// The summary of an image: its file name (without folder, the host's bytes),
// layout, tracks and sides, creator.
[[nodiscard]] TextosEstado EstadoDisco(const std::string &NombreCFichero,
                                       const CabeceraDisco &cabecera);

} // namespace Presentacion
