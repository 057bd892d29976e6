#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Builds CPCEMU disk images for the samples, the tests, the benchmarks and the
// fuzzer's seeds. Images use the CPC's DATA format: 9 sectors of 512 bytes a
// track (ids &C1..&C9, stored in order), 1 KB blocks, the catalogue in blocks 0
// and 1, so it lies at file offset 512 as the loader expects.
namespace Generador {

enum class Disposicion { Estandar, Extendida };

using Entrada = std::array<std::uint8_t, 32>;

// A raw 32-byte catalogue entry. `nombre11` is 8 name and 3 extension
// characters, padded with blanks when shorter.
Entrada CrearEntrada(std::uint8_t usuario, std::string_view nombre11, std::uint8_t registros,
                     std::uint8_t extension = 0);

// A file to place on the disk: its data fill blocks, and one catalogue entry is
// written for every 16 KB extent.
struct Fichero {
  std::uint8_t usuario = 0;
  std::string nombre; // up to 8 characters
  std::string ext;    // up to 3 characters
  bool soloLectura = false;
  bool sistema = false;
  std::vector<std::uint8_t> datos;
};

class ImagenDsk {
public:
  explicit ImagenDsk(Disposicion disposicion = Disposicion::Estandar, std::uint8_t pistas = 40,
                     std::uint8_t caras = 1);

  // The creator field (14 bytes, blank padded).
  ImagenDsk &Creador(std::string_view texto);
  // Replaces the 34-byte signature field (zero padded), e.g. for unrecognised images.
  ImagenDsk &Firma(std::string_view texto);
  // Adds a file, its data and its catalogue entries. Throws when the disk is full.
  ImagenDsk &AgregarFichero(const Fichero &fichero);
  // Puts a raw entry in the next free catalogue slot, or in slot `ranura`.
  ImagenDsk &AgregarEntrada(const Entrada &entrada);
  ImagenDsk &FijarEntrada(int ranura, const Entrada &entrada);

  // The whole image file.
  [[nodiscard]] std::vector<std::uint8_t> Bytes() const;

private:
  Disposicion disposicion_;
  std::uint8_t pistas_;
  std::uint8_t caras_;
  std::array<std::uint8_t, 34> firma_{};
  std::array<std::uint8_t, 14> creador_{};
  std::array<Entrada, 64> catalogo_{};
  std::array<bool, 64> ocupada_{};
  std::vector<std::uint8_t> datos_; // sector data of all tracks, in file order
  int siguienteBloque_ = 2;
};

// Writes bytes to a file, replacing it.
void EscribirArchivo(const std::filesystem::path &ruta, const std::vector<std::uint8_t> &bytes);

// Writes the sample images of the samples folder into `carpeta`.
void GenerarMuestras(const std::filesystem::path &carpeta);

} // namespace Generador
