#include "ui/auxiliary/Portada.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <string_view>

namespace {

constexpr int Ancho = 320;
constexpr int Alto = 200;

// Palette: a few plain inks, a rainbow for the raster title and a blue-to-purple
// ramp for the border.
enum Tinta : std::uint8_t {
  Negro = 0,
  Papel = 1,
  Amarillo = 2,
  Blanco = 3,
  GrisOscuro = 4,
  GrisClaro = 5,
  Metal = 6,
  AzulEtiqueta = 7,
  Arcoiris = 16, // 120 entries
  Borde = 136,   // 120 entries
};
constexpr int TonosArcoiris = 120;
constexpr int TonosBorde = 120;

using Disposicion::Color;

Color Rgb(int r, int g, int b) {
  return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

// A fully saturated, fully bright colour of hue `tono` (0..359 degrees).
Color Tono(int tono) {
  const int sector = tono / 60;
  const int subida = (tono % 60) * 255 / 60;
  const int bajada = 255 - subida;
  switch (sector) {
  case 0: return Rgb(255, subida, 0);
  case 1: return Rgb(bajada, 255, 0);
  case 2: return Rgb(0, 255, subida);
  case 3: return Rgb(0, bajada, 255);
  case 4: return Rgb(subida, 0, 255);
  default: return Rgb(255, 0, bajada);
  }
}

std::array<Color, 256> Paleta() {
  std::array<Color, 256> tabla{};
  tabla[Papel] = Disposicion::AzulOscuro;
  tabla[Amarillo] = Disposicion::Amarillo;
  tabla[Blanco] = Rgb(255, 255, 255);
  tabla[GrisOscuro] = Rgb(40, 40, 48);
  tabla[GrisClaro] = Rgb(200, 200, 200);
  tabla[Metal] = Rgb(150, 155, 165);
  tabla[AzulEtiqueta] = Rgb(60, 90, 200);
  for (int i = 0; i < TonosArcoiris; ++i) {
    tabla[static_cast<std::size_t>(Arcoiris + i)] = Tono(i * 300 / TonosArcoiris);
  }
  for (int i = 0; i < TonosBorde; ++i) {
    // From deep blue at the top to purple at the bottom, darker towards the middle.
    const double t = static_cast<double>(i) / (TonosBorde - 1);
    const double brillo = 0.55 + 0.45 * std::fabs(2.0 * t - 1.0);
    tabla[static_cast<std::size_t>(Borde + i)] =
        Rgb(static_cast<int>(150 * t * brillo), static_cast<int>(40 * brillo),
            static_cast<int>(230 * brillo));
  }
  return tabla;
}

// Our own 8 x 8 letters, two pixels thick, for the few characters the screen uses.
struct Letra {
  char caracter;
  std::array<std::string_view, 7> filas;
};

constexpr std::array<Letra, 15> Letras{{
    {'A', {"..XXXX..", ".XX..XX.", "XX....XX", "XX....XX", "XXXXXXXX", "XX....XX", "XX....XX"}},
    {'B', {"XXXXXX..", "XX...XX.", "XX...XX.", "XXXXXX..", "XX...XX.", "XX...XX.", "XXXXXX.."}},
    {'C', {".XXXXX..", "XX...XX.", "XX......", "XX......", "XX......", "XX...XX.", ".XXXXX.."}},
    {'D', {"XXXXX...", "XX..XX..", "XX...XX.", "XX...XX.", "XX...XX.", "XX..XX..", "XXXXX..."}},
    {'E', {"XXXXXXX.", "XX......", "XX......", "XXXXXX..", "XX......", "XX......", "XXXXXXX."}},
    {'I', {".XXXXXX.", "...XX...", "...XX...", "...XX...", "...XX...", "...XX...", ".XXXXXX."}},
    {'L', {"XX......", "XX......", "XX......", "XX......", "XX......", "XX......", "XXXXXXX."}},
    {'O', {".XXXXX..", "XX...XX.", "XX...XX.", "XX...XX.", "XX...XX.", "XX...XX.", ".XXXXX.."}},
    {'P', {"XXXXXX..", "XX...XX.", "XX...XX.", "XXXXXX..", "XX......", "XX......", "XX......"}},
    {'R', {"XXXXXX..", "XX...XX.", "XX...XX.", "XXXXXX..", "XX.XX...", "XX..XX..", "XX...XX."}},
    {'S', {".XXXXX..", "XX...XX.", "XX......", ".XXXXX..", ".....XX.", "XX...XX.", ".XXXXX.."}},
    {'T', {"XXXXXXXX", "...XX...", "...XX...", "...XX...", "...XX...", "...XX...", "...XX..."}},
    {'V', {"XX....XX", "XX....XX", "XX....XX", "XX....XX", ".XX..XX.", "..XXXX..", "...XX..."}},
    {'1', {"...XX...", "..XXX...", ".XXXX...", "...XX...", "...XX...", "...XX...", ".XXXXXX."}},
    {'.', {"........", "........", "........", "........", "........", "..XX....", "..XX...."}},
}};

class Lienzo {
public:
  Lienzo() {
    imagen_.ancho = Ancho;
    imagen_.alto = Alto;
    imagen_.paleta = Paleta();
    imagen_.indices.assign(static_cast<std::size_t>(Ancho * Alto), 0);
  }

  void Punto(int x, int y, std::uint8_t tinta) {
    if (x >= 0 && x < Ancho && y >= 0 && y < Alto) {
      imagen_.indices[static_cast<std::size_t>(y * Ancho + x)] = tinta;
    }
  }

  void Rectangulo(int x, int y, int ancho, int alto, std::uint8_t tinta) {
    for (int fila = y; fila < y + alto; ++fila) {
      for (int col = x; col < x + ancho; ++col) {
        Punto(col, fila, tinta);
      }
    }
  }

  // Text at (x, y), each pixel of a letter drawn as escala x escala. The ink of a
  // pixel row may change down the letters (`tintaFila` gets the row on screen).
  template <typename TintaFila>
  requires std::invocable<TintaFila, int>
  void Texto(std::string_view texto, int x, int y, int escala, TintaFila tintaFila) {
    for (const char c : texto) {
      const auto letra = std::find_if(Letras.begin(), Letras.end(),
                                      [c](const Letra &l) { return l.caracter == c; });
      if (letra != Letras.end()) {
        for (int fila = 0; fila < 7; ++fila) {
          for (int col = 0; col < 8; ++col) {
            if (letra->filas[static_cast<std::size_t>(fila)][static_cast<std::size_t>(col)] ==
                'X') {
              for (int dy = 0; dy < escala; ++dy) {
                const int py = y + fila * escala + dy;
                for (int dx = 0; dx < escala; ++dx) {
                  Punto(x + col * escala + dx, py, tintaFila(py));
                }
              }
            }
          }
        }
      }
      x += 8 * escala;
    }
  }

  void Texto(std::string_view texto, int x, int y, int escala, std::uint8_t tinta) {
    Texto(texto, x, y, escala, [tinta](int) { return tinta; });
  }

  [[nodiscard]] Portada Imagen() const { return imagen_; }

private:
  Portada imagen_;
};

// A 3-inch disk as the CPC used them: a dark case, the metal shutter with the
// hub window at the top and a paper label below.
void Disco(Lienzo &lienzo, int x, int y) {
  lienzo.Rectangulo(x, y, 48, 56, GrisOscuro);
  lienzo.Rectangulo(x + 14, y, 20, 22, Metal);
  lienzo.Rectangulo(x + 20, y + 6, 8, 10, Negro);
  lienzo.Rectangulo(x + 6, y + 28, 36, 24, Blanco);
  for (int linea = 0; linea < 3; ++linea) {
    lienzo.Rectangulo(x + 9, y + 33 + linea * 6, 30, 1, AzulEtiqueta);
  }
  lienzo.Rectangulo(x + 2, y + 2, 3, 3, Negro); // write-protect hole
}

} // namespace

Portada DibujarPortada() {
  Lienzo lienzo;

  // Border in raster bars, one colour per line as on the real machine.
  for (int y = 0; y < Alto; ++y) {
    lienzo.Rectangulo(0, y, Ancho, 1,
                      static_cast<std::uint8_t>(Borde + y * (TonosBorde - 1) / (Alto - 1)));
  }
  // The paper sits so that a border shows on every side even when the box that
  // holds the picture is a few pixels smaller than it.
  constexpr int PapelX = 12;
  constexpr int PapelY = 12;
  constexpr int PapelAncho = 289;
  constexpr int PapelAlto = 163;
  lienzo.Rectangulo(PapelX, PapelY, PapelAncho, PapelAlto, Papel);

  // Title: rainbow rasters down the letters over a black shadow.
  constexpr int EscalaTitulo = 4;
  constexpr int TituloY = 22;
  constexpr int TituloX = PapelX + (PapelAncho - 6 * 8 * EscalaTitulo) / 2;
  lienzo.Texto("ALCOVE", TituloX + 3, TituloY + 3, EscalaTitulo, Negro);
  lienzo.Texto("ALCOVE", TituloX, TituloY, EscalaTitulo, [](int y) {
    const int fila = std::clamp(y - TituloY, 0, 7 * EscalaTitulo - 1);
    return static_cast<std::uint8_t>(Arcoiris +
                                     fila * (TonosArcoiris - 1) / (7 * EscalaTitulo - 1));
  });
  lienzo.Texto("BETA 1", PapelX + (PapelAncho - 6 * 16) / 2, 60, 2, Amarillo);

  // A rainbow rule under the title.
  for (int x = PapelX + 8; x < PapelX + PapelAncho - 8; ++x) {
    const int tono = (x - PapelX - 8) * (TonosArcoiris - 1) / (PapelAncho - 17);
    lienzo.Rectangulo(x, 80, 1, 2, static_cast<std::uint8_t>(Arcoiris + tono));
  }

  Disco(lienzo, PapelX + 16, 92);
  lienzo.Texto("VISOR DE", PapelX + 80, 98, 2, Blanco);
  lienzo.Texto("DISCOS CPC", PapelX + 80, 120, 2, Blanco);

  // The prompt and its cursor, as the machine waits for a command.
  lienzo.Texto("LISTO", PapelX + 8, 152, 1, Amarillo);
  lienzo.Rectangulo(PapelX + 8, 161, 8, 8, Amarillo);

  return lienzo.Imagen();
}
