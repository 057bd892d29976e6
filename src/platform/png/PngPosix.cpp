#include "platform/png/Png.h"

#include <png.h>

#include <csetjmp>

namespace Plataforma {
namespace {

void Agregar(png_structp png, png_bytep datos, png_size_t largo) {
  auto *destino = static_cast<std::vector<std::uint8_t> *>(png_get_io_ptr(png));
  destino->insert(destino->end(), datos, datos + largo);
}

void SinVaciar(png_structp /*png*/) {}

// libpng reports its errors by longjmp; this function holds no object that
// needs its destructor run across that jump.
bool Codificar(int ancho, int alto, std::span<const std::uint8_t> rgb,
               std::vector<std::uint8_t> &destino) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &destino, Agregar, SinVaciar);
  png_set_IHDR(png, info, static_cast<png_uint_32>(ancho), static_cast<png_uint_32>(alto), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const auto fila = static_cast<std::size_t>(ancho) * 3;
  for (int y = 0; y < alto; ++y) {
    png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * fila);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>>
CodificarPng(int ancho, int alto, std::span<const std::uint8_t> rgb, std::string &error) {
  if (ancho <= 0 || alto <= 0 ||
      rgb.size() != static_cast<std::size_t>(ancho) * static_cast<std::size_t>(alto) * 3) {
    error = "imagen sin píxeles o de tamaño incoherente";
    return std::nullopt;
  }
  std::vector<std::uint8_t> destino;
  if (!Codificar(ancho, alto, rgb, destino)) {
    error = "libpng no pudo escribir la imagen";
    return std::nullopt;
  }
  return destino;
}

} // namespace Plataforma
