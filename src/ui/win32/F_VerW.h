#pragma once

#include "gestion/Paneles.h"
#include "ui/win32/Win32.h"

#include <optional>
#include <string>
#include <vector>

// The viewer on Win32: one file of a disk shown as what it is (a BASIC
// listing, text, a hex dump, a picture), in the program's yellow on dark blue
// with Courier New bold; a choice of viewers above, and for a screen its mode,
// its palette and "Guardar como PNG…"; a line under it when something is
// wrong. Modeless, owned by the main window; Esc closes it.
class F_VerW {
public:
  F_VerW(HWND dueno, Gestion::Visor visor);
  ~F_VerW();
  F_VerW(const F_VerW &) = delete;
  F_VerW &operator=(const F_VerW &) = delete;

  // Shows `contenido`: its text, or its picture when it has a valid one.
  void Mostrar(const Gestion::Contenido &contenido);

  // Null once the window has been closed.
  [[nodiscard]] HWND Hwnd() const { return w_; }
  [[nodiscard]] HWND Vistas() const { return vistas_; }
  [[nodiscard]] HWND Modos() const { return modos_; }
  [[nodiscard]] HWND Paletas() const { return paletas_; }
  [[nodiscard]] HWND GuardarPng() const { return guardar_; }
  [[nodiscard]] HWND Cuadro() const { return texto_; }
  // The text shown, lines ended by "\n" as the viewers make them.
  [[nodiscard]] std::string Texto() const;
  [[nodiscard]] std::string Nota() const;
  [[nodiscard]] bool NotaVisible() const;
  [[nodiscard]] bool MuestraImagen() const { return imagen_.has_value(); }

private:
  static LRESULT CALLBACK Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp);
  LRESULT Mensaje(UINT mensaje, WPARAM wp, LPARAM lp);
  void Disponer();
  void PintarImagen(HDC dc) const;
  void OtraVista();
  void Comando(int id, int codigo);

  HWND w_ = nullptr;
  HWND etiqueta_ = nullptr, vistas_ = nullptr, texto_ = nullptr, nota_ = nullptr;
  HWND etiquetaModo_ = nullptr, modos_ = nullptr, etiquetaPaleta_ = nullptr, paletas_ = nullptr,
       guardar_ = nullptr;
  Gestion::Visor visor_; // its content is what is shown now
  std::optional<Gestion::Imagen> imagen_;
};
