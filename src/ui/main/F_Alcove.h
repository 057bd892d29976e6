#pragma once

#include "ui/controles/Controles.h"
#include "ui/main/Presentacion.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Cls_Disco;

// The main window's decisions: two panes side by side (A left, index 0; B
// right, index 1), each picking a drive, a folder and a disk image and listing
// the image's catalogue, and one status bar that sums up the image opened last.
// It works on the host's controls through their operations alone; each host's
// window builds the controls, hands them over and calls the handlers as its
// controls' events arrive.
//
// The handlers have no error handling of their own; a failure ends the handler
// and passes to its caller, the host window's event boundary.
class F_Alcove {
public:
  // The window's controls, by their names; the control arrays indexed by pane.
  // Not owned: they must outlive the object.
  struct Controles_ {
    std::array<Controles::ListaUnidades *, 2> Drive{};
    std::array<Controles::ListaCarpetas *, 2> Dir{};
    std::array<Controles::ListaArchivos *, 2> File{};
    std::array<Controles::VistaLista *, 2> DSK{};
    Controles::BarraEstado *StatusBar = nullptr;
    const Controles::ListaImagenes *Image_EXT = nullptr;
    // Shows the about window modally and returns once it is closed.
    std::function<void()> MostrarAcercaDe;
  };

  explicit F_Alcove(Controles_ controles);
  ~F_Alcove();
  F_Alcove(const F_Alcove &) = delete;
  F_Alcove &operator=(const F_Alcove &) = delete;

  void Form_Load();
  // Drive(Index) -> path of Dir(Index).
  void Drive_Change(std::int16_t Index);
  // Dir(Index) -> path of File(Index).
  void Dir_Change(std::int16_t Index);
  // Opens the file chosen in File(Index) in the pane and lists its catalogue.
  void File_Click(std::int16_t Index);
  // Opens the image at `ruta` in the pane and lists its catalogue: what
  // File_Click does once it has joined the path.
  void ListarImagen(std::int16_t Index, const std::string &ruta);
  // Sorts DSK(Index) by column `ColumnHeader` (1-based), ascending.
  void DSK_ColumnClick(std::int16_t Index, int ColumnHeader);
  void menu_Ayuda_Click(std::int16_t Index);

  // Whether slot `Index` of Discos holds a disk object yet. Asking creates nothing.
  [[nodiscard]] bool ExisteDisco(int Index) const;
  // Slot `Index`'s disk object, or nullptr while the slot is empty. Asking
  // creates nothing.
  [[nodiscard]] const Cls_Disco *DiscoSiExiste(int Index) const;
  // The image file pane `Index` lists, as it was opened; empty while none is.
  [[nodiscard]] std::string ImagenListada(int Index) const;
  // The pane's image file let go, and taken again from the same path, with
  // nothing shown changed: a write that replaces the file goes between them,
  // as Windows replaces no file that a handle holds open. Nothing for an
  // empty slot.
  void CerrarImagen(std::int16_t Index);
  void ReabrirImagen(std::int16_t Index);

  // The catalogue entry of the row that arrived `llegada`-th in DSK(Index)
  // (Controles::VistaLista::Llegada); nullptr for no such row.
  [[nodiscard]] const Presentacion::EntradaCatalogo *EntradaDeFila(int Index, int llegada) const;

  // Writes what the window shows to the tests' dump, if one was asked for.
  void Volcar(const std::string &suceso) const noexcept;

private:
  // Slot `Index` of Discos, created on first access. Throws for an index
  // outside 0..1.
  Cls_Disco &Disco(std::int16_t Index);
  void MostrarInfoDisco(std::int16_t index);

  std::array<std::unique_ptr<Cls_Disco>, 2> Discos;
  // Each pane's listed entries, in the order their rows were added.
  std::array<std::vector<Presentacion::EntradaCatalogo>, 2> Listadas;
  Controles_ c_;
};
