#pragma once

#include "cpm/Disco.h"
#include "gestion/Entrada.h"
#include "ver/Pantalla.h"
#include "ver/Vista.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What the viewer window shows of a file, worked out without any window.
namespace Gestion {

// A picture, as the screen viewer draws one.
using Imagen = Ver::Imagen;

// How a screen is drawn: its mode and inks, and what the viewer offers of them.
struct OpcionesPantalla {
  int modo = 1;                     // 0, 1 or 2
  std::vector<std::string> paletas; // "Firmware", then the disk's palette files
  std::size_t paleta = 0;           // the one drawn with
};

struct Contenido {
  std::string titulo; // the window's caption
  Ver::Vista vista = Ver::Vista::Hex;
  std::string texto;                        // UTF-8, in a fixed-width font; empty with a picture
  std::optional<Imagen> imagen;             // a picture instead of the text
  std::string nota;                         // one line under it when something is wrong, else empty
  std::optional<OpcionesPantalla> pantalla; // a screen's, which the viewer lets change
};

// A screen's mode and inks, to draw it with.
struct Pintura {
  int modo = 1;
  Ver::Paleta paleta = Ver::PaletaPorOmision();
};

// The viewers offered for a file that `propia` fits: that one first, then
// text and the hex dump.
[[nodiscard]] std::vector<Ver::Vista> VistasPosibles(Ver::Vista propia);

// `archivo` of `disco` as `vista`, or as the viewer that fits it; a screen
// drawn with `pintura`.
[[nodiscard]] Contenido ContenidoArchivo(const cpm::Disco &disco, const cpm::Archivo &archivo,
                                         std::optional<Ver::Vista> vista = std::nullopt,
                                         const Pintura &pintura = {});

// The palette files of `disco` (its files that read as one, by name), and the
// one a screen `pantalla` goes with: the one of its own name, else the only
// one there is; nothing else.
struct PaletasDelDisco {
  std::vector<const cpm::Archivo *> archivos;
  std::vector<Ver::ArchivoPaleta> paletas;
  std::optional<std::size_t> suya;
};
[[nodiscard]] PaletasDelDisco Paletas(const cpm::Disco &disco, const cpm::Archivo &pantalla);

// A row that the exact reading does not know: why, and the entry's bytes.
[[nodiscard]] Contenido ContenidoDesconocido(const EntradaCruda &entrada, int ranura,
                                             const std::string &motivo);

// Bytes of the CPC's text as UTF-8 for a window: line ends (CR LF, CR or LF)
// become "\n", the tab stays, other control bytes show as '.', and bytes from
// &A0 up as Latin-1, as the window shows names.
[[nodiscard]] std::string TextoVisible(std::span<const std::uint8_t> bytes);

} // namespace Gestion
