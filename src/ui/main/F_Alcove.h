#pragma once

#include "ui/widgets/ListaImagenes.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class Cls_Disco;
class GestorCatalogo;
class ListaArchivos;
class ListaCarpetas;
class ListaUnidades;
class QGroupBox;
class QLabel;
class QStatusBar;
class VistaCatalogo;

// The main window: two panes side by side (A left, index 0; B right, index 1),
// each picking a drive, a folder and a disk image and listing the image's
// catalogue, and one status bar that sums up the image opened last.
//
// The handlers have no error handling of their own; a failure ends the handler
// and passes to its caller. The window's connections catch it at the edge of
// the event and tell the user; what the window showed stays.
class F_Alcove : public QMainWindow {
  Q_OBJECT

public:
  explicit F_Alcove(QWidget *padre = nullptr);
  ~F_Alcove() override;
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

private:
  void CrearMenus();
  void CrearPanel(std::int16_t Index, QGroupBox *marco);
  void CrearBarraEstado(QWidget *cliente);
  void Conectar(std::int16_t Index);
  void Centrar();

  // Slot `Index` of Discos, created on first access. Throws for an index
  // outside 0..1.
  Cls_Disco &Disco(std::int16_t Index);
  void MostrarInfoDisco(std::int16_t index);

  std::array<std::unique_ptr<Cls_Disco>, 2> Discos;
  ListaImagenes Image_EXT;

  // Controls, owned by their Qt parents.
  QGroupBox *Frame1 = nullptr;
  QGroupBox *Frame2 = nullptr;
  std::array<ListaUnidades *, 2> Drive{};
  std::array<ListaCarpetas *, 2> Dir{};
  std::array<ListaArchivos *, 2> File{};
  std::array<VistaCatalogo *, 2> DSK{};
  std::array<QGroupBox *, 2> Fm_Info{};
  QStatusBar *StatusBar = nullptr;
  std::array<QLabel *, 4> Panels{};

  // The catalogue views as a disk manager (viewer, context menus, drag and drop).
  GestorCatalogo *Gestor = nullptr;
};
