#pragma once

#include "disk/Types_Def.h"

#include <array>
#include <cstdint>
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

struct FilaCatalogo {
  std::string Nombre; // first 8 characters of the entry's name, blanks kept
  std::string Ext;    // last 3 characters
  std::string KB;     // TextoKB of its records
  int Icono = 0;      // IndiceIcono of Ext

  friend bool operator==(const FilaCatalogo &, const FilaCatalogo &) = default;
};

// One row for every catalogue slot 0..63 that is not marked unused (32) or
// badly named (64), in slot order.
[[nodiscard]] std::vector<FilaCatalogo> FilasCatalogo(const CabeceraDisco &cabecera,
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
