#pragma once

#include "disk/Types_Def.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the main window shows of a disk image, worked out without any window:
// the rows of a pane's catalogue view and the texts of the status bar.
namespace Presentacion {

// Text read from an image: one byte, one character of the single-byte set.
[[nodiscard]] QString TextoDisco(const std::string &bytes);
// A host file name as the host encodes file names.
[[nodiscard]] QString TextoNombreHost(const std::string &bytes);

// Size column of a catalogue row: kilobytes of the entry's records (8 records to
// the KB), never below 1, right-aligned with blanks to 4 characters.
[[nodiscard]] QString TextoKB(std::uint8_t Registros);

// Position (from 1) of the small icon for extension `ext` among the image keys
// `claves`: the first key equal to `ext`, exactly, else the key "Unknow".
[[nodiscard]] int IndiceIcono(const QString &ext, const QStringList &claves);

struct FilaCatalogo {
  QString Nombre; // first 8 characters of the entry's name, blanks kept
  QString Ext;    // last 3 characters
  QString KB;     // TextoKB of its records
  int Icono = 0;  // IndiceIcono of Ext

  friend bool operator==(const FilaCatalogo &, const FilaCatalogo &) = default;
};

// One row for every catalogue slot 0..63 that is not marked unused (32) or
// badly named (64), in slot order.
[[nodiscard]] std::vector<FilaCatalogo> FilasCatalogo(const CabeceraDisco &cabecera,
                                                      const QStringList &claves);

// The four status bar texts, left to right.
using TextosEstado = std::array<QString, 4>;

[[nodiscard]] TextosEstado EstadoInicial();
[[nodiscard]] QString TextoFormato(std::int32_t Formato);
[[nodiscard]] QString TextoPistasCaras(std::uint8_t Pistas, std::uint8_t Caras);
// The summary of an image: its file name (without folder), layout, tracks and
// sides, creator.
[[nodiscard]] TextosEstado EstadoDisco(const std::string &NombreCFichero,
                                       const CabeceraDisco &cabecera);

} // namespace Presentacion
