#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Pictures as PNG files, through the host's own encoder: libpng on Linux, the
// Windows Imaging Component on Windows.
namespace Plataforma {

// The PNG file of an `ancho` × `alto` picture of RGB bytes (three a pixel,
// rows from the top). Nothing, with a Spanish `error`, when it cannot be made.
std::optional<std::vector<std::uint8_t>>
CodificarPng(int ancho, int alto, std::span<const std::uint8_t> rgb, std::string &error);

} // namespace Plataforma
