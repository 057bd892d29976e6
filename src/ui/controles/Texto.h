#pragma once

#include <string>
#include <string_view>

// Texts the windows show are UTF-8; these turn what the program reads into it.
namespace Texto {

// Bytes read from an image: each byte is one character of the single-byte set
// (Latin-1), whatever it is.
[[nodiscard]] std::string DesdeBytesDisco(std::string_view bytes);

// A host file name: UTF-8 as it comes, each byte that is not part of a valid
// UTF-8 sequence shown as U+FFFD (names written by old tools in Latin-1).
[[nodiscard]] std::string DesdeNombreHost(std::string_view bytes);

// Compares two UTF-8 texts character by character, ignoring the case of the
// letters of ASCII and Latin-1, with no locale rules: <0, 0 or >0.
[[nodiscard]] int CompararSinCaso(std::string_view a, std::string_view b);

// The tooltip of a text that a control shows `ancho` pixels wide and that needs
// `necesita` whole: the text when the control cuts it, nothing when it fits
// (the control's own tooltip, if it has one, shows then).
[[nodiscard]] std::string AyudaSiCortado(std::string_view texto, int necesita, int ancho);

// The tooltip of a text of many lines shown `columnas` characters wide in a
// fixed-pitch font: each line the width cuts, whole, broken at its blanks (a
// list after its commas) into lines that fit, those after the first indented
// by `sangria`; a word wider than the box is broken where the box ends.
// Nothing when every line fits.
[[nodiscard]] std::string AyudaDeLineasCortadas(std::string_view texto, std::size_t columnas,
                                                std::size_t sangria);

} // namespace Texto
