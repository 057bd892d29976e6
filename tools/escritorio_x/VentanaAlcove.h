#pragma once

#include "EscritorioX.h"

#include <QImage>
#include <QRect>

#include <string>
#include <vector>

// Where the main window's controls are on the screen, measured from outside:
// the client area is 894 pixels wide and 551 high and lies under the menu bar;
// a frame the window draws round itself (Wine's, with no window manager) is
// as wide on every side.
struct VentanaAlcove {
  static constexpr int AnchoCliente = 894;
  static constexpr int AltoCliente = 551;
  static constexpr int AltoCabecera = 24; // catalogue column headings, at most

  explicit VentanaAlcove(const QRect &ventana)
      : origen(ventana.left() + Borde(ventana),
               ventana.bottom() + 1 - Borde(ventana) - AltoCliente) {}
  [[nodiscard]] static int Borde(const QRect &ventana) {
    return ventana.width() > AnchoCliente ? (ventana.width() - AnchoCliente) / 2 : 0;
  }

  // Controls of pane `i`, in screen coordinates.
  [[nodiscard]] QRect Marco(int i) const { return En(i, {0, 0, 445, 514}); }
  [[nodiscard]] QRect Dir(int i) const {
    return i == 0 ? En(0, {9, 45, 267, 132}) : En(1, {6, 45, 267, 132});
  }
  [[nodiscard]] QRect File(int i) const {
    return i == 0 ? En(0, {282, 12, 154, 166}) : En(1, {279, 9, 154, 166});
  }
  [[nodiscard]] QRect DSK(int i) const {
    return i == 0 ? En(0, {9, 180, 427, 262}) : En(1, {6, 180, 427, 262});
  }
  // The rows part of a catalogue view, inside its border and below its headings.
  [[nodiscard]] QRect Filas(int i) const { return DSK(i).adjusted(3, AltoCabecera + 2, -3, -3); }
  [[nodiscard]] QRect Info(int i) const { return En(i, {9, 447, 427, 61}); }

  QPoint origen;

private:
  [[nodiscard]] QRect En(int i, const QRect &r) const {
    return r.translated(origen + QPoint(i == 0 ? 0 : 450, 0));
  }
};

inline constexpr QRgb AzulOscuro = 0xFF0000AA;
inline constexpr QRgb Amarillo = 0xFFFFFF00;

// Clicks the `n`-th name (from 0) of a file list, finding the names by their
// yellow text. False when the list shows fewer names.
inline bool PulsarNombre(EscritorioX::ServidorVirtual &x, const QImage &pantalla,
                         const QRect &lista, std::size_t n) {
  const auto bandas = EscritorioX::BandasDeColor(pantalla, lista.adjusted(2, 2, -2, -2), Amarillo);
  if (bandas.size() <= n)
    return false;
  const int y = lista.top() + 2 + (bandas[n].first + bandas[n].second) / 2;
  x.Clic(lista.left() + 30, y);
  return true;
}
