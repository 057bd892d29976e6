#pragma once

#include <array>
#include <cstdint>

// Where every control of the windows sits and how it looks, shared by every
// host's binding. Positions and sizes are Left, Top, Width, Height in twips
// (1/1440 inch), relative to the pane's frame for a pane's controls and to the
// window's client area otherwise.
namespace Disposicion {

struct Lugar {
  int izquierda, arriba, ancho, alto;
};

struct Color {
  std::uint8_t rojo, verde, azul;
  friend constexpr bool operator==(Color, Color) = default;
};
inline constexpr Color AzulOscuro{0, 0, 170};
inline constexpr Color Amarillo{255, 255, 0};
inline constexpr Color Negro{0, 0, 0};
// The image list's mask colour.
inline constexpr Color Plata{192, 192, 192};

// How a row, a heading or a box's field is painted: its background and its
// text. Every host draws the panes' lists, the drive box and the catalogue's
// headings so, and a chosen row inverted, as the CPC's cursor shows.
struct Tinta {
  Color fondo, texto;
  friend constexpr bool operator==(Tinta, Tinta) = default;
};
[[nodiscard]] constexpr Tinta TintaFila(bool elegida) {
  return elegida ? Tinta{Amarillo, AzulOscuro} : Tinta{AzulOscuro, Amarillo};
}
inline constexpr Tinta TintaCabecera = TintaFila(false);

inline constexpr const char *Tipografia = "Courier New";

// ---- The main window ----

inline constexpr const char *TituloPrincipal = "Alcove beta 1";
inline constexpr Lugar Cliente{0, 0, 13410, 8265};

struct LugaresPanel {
  Lugar marco, drive, dir, file, dsk, info;
};
inline constexpr std::array<LugaresPanel, 2> Paneles{{
    {{0, 0, 6675, 7710},
     {165, 180, 4005, 360},
     {135, 675, 4005, 1980},
     {4230, 180, 2310, 2490},
     {135, 2700, 6405, 3930},
     {135, 6705, 6405, 915}},
    {{6750, 0, 6675, 7710},
     {90, 135, 4005, 360},
     {90, 675, 4005, 1980},
     {4185, 135, 2310, 2490},
     {90, 2700, 6405, 3930},
     {135, 6705, 6405, 915}},
}};
// Both pane frames carry the same caption.
inline constexpr const char *TituloMarco = "Frame1";
inline constexpr const char *TituloInfo = "Informacion Archivo";
inline constexpr Lugar Estado{0, 7725, 13410, 540};
// Status panel widths in pixels at 96 dots per inch; the creator text takes
// what is left.
inline constexpr std::array<int, 4> AnchosPaneles{200, 150, 110, 0};

enum class Alineacion { Izquierda, Derecha };
struct Columna {
  const char *titulo;
  int ancho; // twips
  Alineacion alineacion;
};
inline constexpr std::array<Columna, 4> Columnas{{
    {"Nombre", 1800, Alineacion::Izquierda},
    {"EXT", 800, Alineacion::Derecha},
    {"KB", 1000, Alineacion::Derecha},
    {"Attrib", 1440, Alineacion::Izquierda},
}};

inline constexpr double PuntosListas = 9.75;
inline constexpr double PuntosCatalogo = 12;

inline constexpr const char *MenuDiscoA = "Disco A";
inline constexpr const char *MenuDiscoB = "Disco B";
inline constexpr const char *MenuAyuda = "Ayuda";
inline constexpr const char *MenuAcerca = "Acerca de Alcove";

// ---- The progress window ----

inline constexpr Lugar ClienteProgreso{0, 0, 6840, 915};
inline constexpr Lugar LblTitulo{0, 0, 6975, 330};
inline constexpr Lugar Shape{0, 315, 6855, 615};
inline constexpr Lugar PBar{105, 420, 6615, 375};
inline constexpr const char *TituloInicial = "Titulo";
inline constexpr double PuntosTitulo = 14.25;

// ---- The about window ----

inline constexpr const char *TituloAcerca = "Acerca de Alcove beta 1";
inline constexpr Lugar ClienteAcerca{0, 0, 4935, 4470};
inline constexpr Lugar Picture1{135, 90, 4695, 2805};
inline constexpr Lugar TxtInfo{0, 3015, 4950, 735};
inline constexpr Lugar FrameMemoria{0, 3600, 3195, 855};
// Inside Frame_Memoria.
inline constexpr Lugar Label1{0, 240, 1515, 240};
inline constexpr Lugar LEDMeter1{1575, 225, 1095, 255};
inline constexpr Lugar LblPor1{2745, 240, 375, 240};
inline constexpr Lugar Label2{0, 480, 1515, 240};
inline constexpr Lugar LEDMeter2{1575, 495, 1095, 255};
inline constexpr Lugar LblPor2{2745, 480, 375, 240};
inline constexpr Lugar CmdAceptar{3285, 3825, 1560, 555};
inline constexpr const char *TextoLabel1 = "mem.  Fisica:";
inline constexpr const char *TextoLabel2 = "mem. Virtual:";
inline constexpr const char *TextoAceptar = "Aceptar";
inline constexpr double PuntosInfo = 8.25;
inline constexpr double PuntosBoton = 9.75;
inline constexpr int IntervaloTimerMs = 60;

// Twips to pixels at `puntosPorPulgada` dots per inch, to the nearest pixel
// (ties to the even one): 15 twips to a pixel at 96.
[[nodiscard]] constexpr int TwipsAPixeles(int twips, int puntosPorPulgada = 96) {
  const long long n = static_cast<long long>(twips) * puntosPorPulgada;
  long long cociente = n / 1440;
  const long long resto = n % 1440;
  const long long doble = 2 * (resto < 0 ? -resto : resto);
  const long long paso = n < 0 ? -1 : 1;
  if (doble > 1440 || (doble == 1440 && cociente % 2 != 0))
    cociente += paso;
  return static_cast<int>(cociente);
}

// A font's height in pixels for `puntos` points (72 to the inch).
[[nodiscard]] constexpr int PuntosAPixeles(double puntos, int puntosPorPulgada = 96) {
  const double pixeles = puntos * puntosPorPulgada / 72.0;
  return static_cast<int>(pixeles + 0.5);
}

} // namespace Disposicion
