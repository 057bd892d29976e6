#pragma once

#include "gestion/Paneles.h"
#include "ui/win32/ArrastreW.h"
#include "ui/win32/DialogosW.h"
#include "ui/win32/F_VerW.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

// The catalogue views as a disk manager, on Win32: a double-click or Enter on a
// row opens the viewer; a right-click, the menu key or Shift+F10 open the
// context menu; Delete and F2 delete and rename; rows dragged out go as files
// (DoDragDrop), files dropped in are put on the image and rows dragged to the
// other pane are copied (a drop target on each view). The main window hands
// over the messages of its views; every decision is Gestion::GestorPaneles'.
// No exception leaves a handler or a COM call.
class GestorW {
public:
  // A posted message: work left for after the message that asked for it (a
  // drop's, once the drop has ended; a menu item's or a key's, once the list
  // view's handler has returned).
  static constexpr UINT MensajePendiente = WM_APP + 1;

  GestorW(HWND ventana, std::array<HWND, 2> vistas, std::array<Gestion::PanelVentana, 2> paneles);
  ~GestorW();
  GestorW(const GestorW &) = delete;
  GestorW &operator=(const GestorW &) = delete;

  // The main window's messages that concern the views: true when taken, with
  // the result in `resultado`.
  bool Notificacion(const NMHDR &aviso, LRESULT &resultado);
  bool MenuContextual(HWND desde, LPARAM punto);
  bool DibujoMenu(UINT mensaje, LPARAM lp);
  // MensajePendiente.
  void Pendientes();
  // After the window's own File_Click.
  void ArchivoElegido(int i);

  [[nodiscard]] Gestion::GestorPaneles &Paneles() { return *paneles_; }
  // The viewers still open, oldest first.
  [[nodiscard]] std::vector<F_VerW *> Visores();
  // What a drag of pane i's rows carries (extracting them); empty when nothing.
  [[nodiscard]] Win32::Com<IDataObject> DatosArrastre(int i);
  // Pane i's drop target, as OLE reaches it.
  [[nodiscard]] IDropTarget *Destino(int i) const;

  // Chooses an item of a context menu: its identifier, 0 for none. The
  // default one is the menu itself (TrackPopupMenuEx); tests put in their own.
  using ElectorMenu = std::function<int(HMENU menu, HWND dueno, POINT punto)>;
  static ElectorMenu InstalarElectorMenu(ElectorMenu elector);
  // The items of the menu being chosen from; item k has identifier k + 1.
  [[nodiscard]] const std::vector<Gestion::OpcionMenu> &Opciones() const { return opciones_; }

private:
  [[nodiscard]] int PanelDe(HWND vista) const;
  void AbrirMenu(int i, POINT pantalla, bool deTeclado);
  void Arrastrar(int i);
  DWORD Responder(int i, IDataObject *datos, bool soltar);
  // Runs `trabajo` once the message being handled has returned: an action lets
  // messages run (its dialogs, the progress window), and the list view that
  // asked for it lists the image again.
  void Despues(std::function<void()> trabajo);

  HWND ventana_;
  std::array<HWND, 2> vistas_;
  bool ole_ = false;
  DialogosW propios_;
  std::unique_ptr<Gestion::GestorPaneles> paneles_;
  std::array<std::unique_ptr<Win32::DestinoSoltar>, 2> destinos_;
  std::vector<std::unique_ptr<F_VerW>> visores_;
  std::vector<Gestion::OpcionMenu> opciones_;
  std::vector<std::function<void()>> pendientes_;
};
