#include "platform/png/Png.h"

#include "platform/BibliotecaPosix.h"

#include <png.h>

#include <csetjmp>

namespace Plataforma {
namespace {

// libpng, loaded when the first picture is written (ALCOVE_SONAME_PNG, from
// the build).
struct Libpng {
  decltype(&png_create_write_struct) crear;
  decltype(&png_create_info_struct) crearInfo;
  decltype(&png_destroy_write_struct) destruir;
  decltype(&png_set_longjmp_fn) saltos;
  decltype(&png_set_write_fn) escritura;
  decltype(&png_get_io_ptr) destino;
  decltype(&png_set_IHDR) cabecera;
  decltype(&png_write_info) escribirInfo;
  decltype(&png_write_row) escribirFila;
  decltype(&png_write_end) terminar;
};

const Libpng &Funciones() {
  static const Libpng png = [] {
    const Biblioteca::Cargada b(ALCOVE_SONAME_PNG);
    return Libpng{b.Buscar("png_create_write_struct"),
                  b.Buscar("png_create_info_struct"),
                  b.Buscar("png_destroy_write_struct"),
                  b.Buscar("png_set_longjmp_fn"),
                  b.Buscar("png_set_write_fn"),
                  b.Buscar("png_get_io_ptr"),
                  b.Buscar("png_set_IHDR"),
                  b.Buscar("png_write_info"),
                  b.Buscar("png_write_row"),
                  b.Buscar("png_write_end")};
  }();
  return png;
}

void Agregar(png_structp png, png_bytep datos, png_size_t largo) {
  auto *destino = static_cast<std::vector<std::uint8_t> *>(Funciones().destino(png));
  destino->insert(destino->end(), datos, datos + largo);
}

void SinVaciar(png_structp /*png*/) {}

// libpng reports its errors by longjmp; its functions are found before the
// first setjmp, and no object here needs its destructor run across the jump.
bool Codificar(const Libpng &f, int ancho, int alto, std::span<const std::uint8_t> rgb,
               std::vector<std::uint8_t> &destino) {
  png_structp png = f.crear(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    return false;
  }
  png_infop info = f.crearInfo(png);
  // What png_jmpbuf(png) expands to, through the loaded library.
  if (info == nullptr || setjmp(*f.saltos(png, longjmp, sizeof(jmp_buf))) != 0) {
    f.destruir(&png, &info);
    return false;
  }
  f.escritura(png, &destino, Agregar, SinVaciar);
  f.cabecera(png, info, static_cast<png_uint_32>(ancho), static_cast<png_uint_32>(alto), 8,
             PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
             PNG_FILTER_TYPE_DEFAULT);
  f.escribirInfo(png, info);
  const auto fila = static_cast<std::size_t>(ancho) * 3;
  for (int y = 0; y < alto; ++y) {
    f.escribirFila(png, rgb.data() + static_cast<std::size_t>(y) * fila);
  }
  f.terminar(png, nullptr);
  f.destruir(&png, &info);
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
  const Libpng *f = nullptr;
  try {
    f = &Funciones();
  } catch (const ErrorAlcove &e) {
    error = e.what();
    return std::nullopt;
  }
  if (!Codificar(*f, ancho, alto, rgb, destino)) {
    error = "libpng no pudo escribir la imagen";
    return std::nullopt;
  }
  return destino;
}

} // namespace Plataforma
