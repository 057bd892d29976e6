#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// 16 KB screen dumps: the CPC's video memory at &C000, saved as a file.
namespace Ver {

// A picture: `ancho` × `alto` pixels, three bytes (red, green, blue) a pixel,
// rows from the top.
struct Imagen {
  int ancho = 0;
  int alto = 0;
  std::vector<std::uint8_t> rgb;
  // The pixels add up to the size.
  [[nodiscard]] bool Valida() const {
    return ancho > 0 && alto > 0 &&
           rgb.size() == static_cast<std::size_t>(ancho) * static_cast<std::size_t>(alto) * 3;
  }
};

// The 16 inks, each one of the 27 colours by its firmware number (0..26, as
// INK takes them).
using Paleta = std::array<std::uint8_t, 16>;

// The inks the firmware sets at power-on; in mode 1 only the first 4 show, in
// mode 2 the first 2. Inks 14 and 15 flash: their first colour is given.
Paleta PaletaPorOmision();
// The colour (red, green, blue) of firmware colour 0..26.
std::array<std::uint8_t, 3> ColorFirmware(int numero);
// Up to 16 firmware colour numbers separated by commas, blanks or line ends
// ("1,24,20,6"); the inks not given keep the firmware's, and `dadas`, when
// given, gets how many were. Empty with `error` set when the text is not one.
std::optional<Paleta> LeerPaleta(std::string_view texto, std::string &error,
                                 std::size_t *dadas = nullptr);

// A palette file: its inks and, when it says, the mode its screen is in.
struct ArchivoPaleta {
  Paleta paleta;
  std::optional<int> modo;
};
// The bytes of a palette file, its AMSDOS header left out: OCP Art Studio's
// (.PAL: the screen mode, two bytes of ink flashing, then twelve Gate Array
// colours for each ink, of which the first is taken), or a text of firmware
// colours as LeerPaleta reads it. Nothing, with `error` set, when they are
// neither.
std::optional<ArchivoPaleta> LeerArchivoPaleta(std::span<const std::uint8_t> bytes,
                                               std::string &error);

struct Pantalla {
  Imagen imagen;
  bool parcial = false; // the bytes were fewer than a screen's
  std::string nota;     // why the picture is not the whole screen, or what was left over
};

// The screen as a 640 × 400 picture (each line drawn twice, each mode 0 pixel
// four wide and each mode 1 pixel two, so every mode keeps the monitor's
// shape). `modo` is 0, 1 or 2. Bytes past 16 KB are not drawn; missing ones
// leave their pixels black.
Pantalla PintarPantalla(std::span<const std::uint8_t> bytes, int modo, const Paleta &paleta);

// A file of a screen's size (16 KB, or the 16 336 bytes that leave out the last
// spare block) that its extension or its load address names as a screen.
bool PareceDePantalla(std::size_t largo, std::string_view extension,
                      std::optional<std::uint16_t> carga);

} // namespace Ver
