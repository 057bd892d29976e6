#pragma once

#include "ui/main/F_Alcove.h"
#include "ui/win32/Controles32.h"
#include "ui/win32/GestorW.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

// The main window made of Win32 common controls, F_Alcove's decisions behind
// them: it lays the controls out at the screen's DPI, hears their notifications
// and calls F_Alcove's handlers through the event boundary. No exception leaves
// its window procedure.
class F_AlcoveW {
public:
  F_AlcoveW();
  ~F_AlcoveW();
  F_AlcoveW(const F_AlcoveW &) = delete;
  F_AlcoveW &operator=(const F_AlcoveW &) = delete;

  [[nodiscard]] HWND Hwnd() const { return w_; }
  [[nodiscard]] F_Alcove &Formulario() { return *formulario_; }
  // A control by its name ("File_0", "DSK_1", "StatusBar", "NotaDisco" for the
  // status bar's tooltip...); null if none.
  [[nodiscard]] HWND Control(const std::string &nombre) const;
  [[nodiscard]] Win32::CarpetasW &Dir(int i) { return *dir_[static_cast<std::size_t>(i)]; }
  [[nodiscard]] Win32::ArchivosW &File(int i) { return *file_[static_cast<std::size_t>(i)]; }
  [[nodiscard]] Win32::VistaW &DSK(int i) { return *dsk_[static_cast<std::size_t>(i)]; }
  // The catalogue views as a disk manager.
  [[nodiscard]] GestorW &Gestor() { return *gestor_; }

  // Control identifiers: pane i's control k is IdPanel + 10 i + k.
  enum : int { IdDrive = 0, IdDir = 1, IdFile = 2, IdDSK = 3, IdFrame = 4, IdInfo = 5 };
  static constexpr int IdPanel = 100;
  static constexpr int IdEstado = 200;
  static constexpr int IdMenuAcerca = 301;

private:
  static LRESULT CALLBACK Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp);
  LRESULT Mensaje(UINT mensaje, WPARAM wp, LPARAM lp);
  void CrearMenus();
  void CrearPanel(std::size_t p);
  void CrearBarraEstado();
  void PonerNotaDisco(const std::string &nota);
  void PintarFondo(HDC dc) const;
  bool Evento(const std::string &suceso, const std::function<void()> &manejador);
  void Comando(int id, int aviso);
  void SoltarGestor() noexcept;

  HWND w_ = nullptr;
  HMENU menu_ = nullptr;
  std::array<HWND, 2> frames_{}, infos_{}, drives_{}, dirs_{}, files_{}, vistas_{};
  HWND estadoW_ = nullptr;
  HWND notaW_ = nullptr; // the status bar's tooltip, made when first needed
  Win32::ImagenesW imagenes_;
  std::array<std::unique_ptr<Win32::UnidadesW>, 2> drive_;
  std::array<std::unique_ptr<Win32::CarpetasW>, 2> dir_;
  std::array<std::unique_ptr<Win32::ArchivosW>, 2> file_;
  std::array<std::unique_ptr<Win32::VistaW>, 2> dsk_;
  std::unique_ptr<Win32::EstadoW> estado_;
  std::unique_ptr<F_Alcove> formulario_;
  std::unique_ptr<GestorW> gestor_;
};
