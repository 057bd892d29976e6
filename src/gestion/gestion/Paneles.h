#pragma once

#include "gestion/Acciones.h"
#include "ui/controles/Controles.h"
#include "ui/main/Presentacion.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Plataforma {
class CarpetaTemporal;
}

namespace Gestion {

// One pane of the main window, as the disk manager reaches it.
struct PanelVentana {
  Controles::VistaLista *vista = nullptr;
  Controles::ListaArchivos *archivos = nullptr;
  // The image the pane lists, as it was opened; empty while none is.
  std::function<std::string()> imagen;
  // The catalogue entry of the row that arrived `llegada`-th in the view
  // (Controles::VistaLista::Llegada); nullptr for no such row.
  std::function<const Presentacion::EntradaCatalogo *(int llegada)> entrada;
  // Opens an image in the pane and lists it, as choosing it in the file list does.
  std::function<void(const std::string &ruta)> listar;
  // Lets the pane's image file go, and takes it again with nothing shown
  // changed: a write replaces the file between them.
  std::function<void()> cerrar;
  std::function<void()> reabrir;
  // Shows a note on the disk listed last beside the status bar's summary
  // (its tooltip): what protects it. Optional.
  std::function<void(const std::string &nota)> notaDisco;
};

// A viewer window's first content, the viewers it offers and how it gets the
// file as another of them.
struct Visor {
  Contenido contenido;
  std::vector<Ver::Vista> vistas;
  std::function<Contenido(Ver::Vista)> calcular;
  // A screen (Contenido::pantalla) drawn again from what it shows now: in
  // another mode, with the same inks; or with another palette, in the mode
  // that palette's file gives (the same one when it gives none).
  std::function<Contenido(const Contenido &actual, int modo)> otroModo;
  std::function<Contenido(const Contenido &actual, std::size_t paleta)> otraPaleta;
  // "Guardar como PNG…": the picture shown, to a file the user names.
  std::function<void(const Contenido &actual)> guardarPng;
};

// One item of a context menu. A separator has no name.
struct OpcionMenu {
  std::string nombre; // stable, for the tests: "Ver", "Borrar", "NuevoDisco"...
  std::string texto;  // as shown
  bool habilitada = true;
  bool marcable = false;
  bool marcada = false;
  std::function<void()> hacer; // the host runs it at its event boundary

  [[nodiscard]] bool Separador() const { return nombre.empty(); }
};

// What a drop brings to a pane.
struct Soltado {
  // The pane of this window whose rows were dragged; -1 for files of the host.
  int panel = -1;
  std::vector<std::string> rutas; // files of the host, for panel -1
};

// The two catalogue views of the main window as a disk manager: what a
// double-click, Enter, the context menus, the keys and drags and drops do
// there, decided for every host. Each host's window hears its controls' events
// and calls these at its event boundary; failures pass to it. Every write is
// Acciones'.
class GestorPaneles {
public:
  // `abrirVisor` shows a viewer window, modeless.
  GestorPaneles(std::array<PanelVentana, 2> paneles, Dialogos &dialogos,
                std::function<void(Visor)> abrirVisor);
  ~GestorPaneles();
  GestorPaneles(const GestorPaneles &) = delete;
  GestorPaneles &operator=(const GestorPaneles &) = delete;

  // Pane `i` as the actions see it: its image, its folder, its selected rows.
  [[nodiscard]] Gestion::Panel Panel(int i) const;
  // The image pane `i` lists, as the user chose it; empty when none.
  [[nodiscard]] std::string Imagen(int i) const;
  [[nodiscard]] Gestion::Acciones &Acciones() { return acciones_; }

  // Double-click or Enter: the viewer of the pane's current row.
  void Ver(int i);
  // The context menu of pane `i`: of the selected rows, or of the pane when
  // none is. From the mouse, `fila` is the row under it (-1: none), which
  // becomes the selection unless it is selected already.
  [[nodiscard]] std::vector<OpcionMenu> Menu(int i, int fila, bool deTeclado);
  // The Delete and F2 keys on the view.
  void BorrarSeleccion(int i);
  void RenombrarSeleccion(int i);

  // After the window's own File_Click: an image inside a zip, which the
  // design's listing cannot open, gets a private copy that the pane lists,
  // while the actions read and refuse writes by the member's own path. A
  // member has one copy, which both panes share and which goes once neither
  // shows it.
  void ArchivoElegido(int i);

  // A drag of pane `i`'s selected rows begins: the files extracted into a
  // private folder, for the other end to copy. Nothing when no row can go.
  [[nodiscard]] std::vector<std::string> Arrastrar(int i);
  // The drag has ended. A folder whose files were dropped stays until the next
  // drag begins, or the window goes: the program that took them may still be
  // copying them (file managers copy after the drop); one whose files went
  // nowhere goes at once.
  void FinArrastre(bool soltado);
  // What pane `i` does with a drop: nothing (refused), or the work to run
  // once the drop has ended, so that the other end is not kept waiting on a
  // question.
  [[nodiscard]] std::function<void()> Recibir(int i, const Soltado &soltado);

private:
  void Escrito(int i);   // lists again every pane that shows pane i's image
  void NotaDisco(int i); // the note on pane i's image, which it has just listed
  void Hacer(int i, const std::function<bool()> &accion);
  void AbrirMiembro(int i, const std::string &ruta);
  void SoltarCopias(); // the copies no pane shows
  void NuevoDisco(int i, const Gestion::Panel &panel);
  void MapaDisco(int i, const Gestion::Panel &panel);
  [[nodiscard]] const PanelVentana &P(int i) const;
  // The entry of the row at `fila` of pane i's view; nothing for no row.
  [[nodiscard]] std::optional<Gestion::Panel::Fila> FilaDe(int i, int fila) const;

  std::array<PanelVentana, 2> paneles_;
  Dialogos &dialogos_;
  Gestion::Acciones acciones_;
  std::function<void(Visor)> abrirVisor_;
  // A private copy of an image inside a zip, which panes list in its place.
  struct Copia {
    std::string miembro; // as the user chose it: "coleccion.zip/juego.dsk"
    std::string ruta;    // the copy
    std::uint64_t resumen = 0;
    std::size_t largo = 0;
    std::unique_ptr<Plataforma::CarpetaTemporal> carpeta;
  };
  std::vector<Copia> copias_;
  std::unique_ptr<Plataforma::CarpetaTemporal> arrastre_; // the last drag's files
  int arrastrando_ = -1;                                  // pane being dragged
  Gestion::Panel origen_;                                 // its rows
};

} // namespace Gestion
