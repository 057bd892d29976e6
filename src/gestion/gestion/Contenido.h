#pragma once

#include "cpm/Disco.h"
#include "gestion/Entrada.h"
#include "ver/Vista.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What the viewer window shows of a file, worked out without any window.
namespace Gestion {

// A picture: `ancho` x `alto` pixels, three bytes (red, green, blue) each, row
// by row from the top.
struct Imagen {
  int ancho = 0;
  int alto = 0;
  std::vector<std::uint8_t> rgb;
  [[nodiscard]] bool Valida() const {
    return ancho > 0 && alto > 0 &&
           rgb.size() == static_cast<std::size_t>(ancho) * static_cast<std::size_t>(alto) * 3;
  }
};

struct Contenido {
  std::string titulo; // the window's caption
  Ver::Vista vista = Ver::Vista::Hex;
  std::string texto;            // UTF-8, in a fixed-width font; empty with a picture
  std::optional<Imagen> imagen; // a picture instead of the text
  std::string nota;             // one line under it when something is wrong, else empty
};

// The viewers offered for a file that `propia` fits: that one first, then
// text and the hex dump.
[[nodiscard]] std::vector<Ver::Vista> VistasPosibles(Ver::Vista propia);

// `archivo` of `disco` as `vista`, or as the viewer that fits it.
[[nodiscard]] Contenido ContenidoArchivo(const cpm::Disco &disco, const cpm::Archivo &archivo,
                                         std::optional<Ver::Vista> vista = std::nullopt);

// A row that the exact reading does not know: why, and the entry's bytes.
[[nodiscard]] Contenido ContenidoDesconocido(const EntradaCruda &entrada, int ranura,
                                             const std::string &motivo);

// The name of a viewer in the window's menu: "BASIC", "Texto", ...
[[nodiscard]] std::string TituloVista(Ver::Vista vista);

// Bytes of the CPC's text as UTF-8 for a window: line ends (CR LF, CR or LF)
// become "\n", the tab stays, other control bytes show as '.', and bytes from
// &A0 up as Latin-1, as the window shows names.
[[nodiscard]] std::string TextoVisible(std::span<const std::uint8_t> bytes);

} // namespace Gestion
