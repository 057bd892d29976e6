#pragma once

#include "gestion/Acciones.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Cls_Disco;
class DialogosQt;
class ListaArchivos;
class QMenu;
class QMimeData;
class QTemporaryDir;
class QWidget;
class VistaCatalogo;

// One pane of the main window, as the disk manager reaches it.
struct PanelVentana {
  VistaCatalogo *vista = nullptr;
  ListaArchivos *archivos = nullptr;
  // The pane's disk object; nullptr while its slot is empty.
  std::function<const Cls_Disco *()> disco;
  // Opens an image in the pane and lists it, as choosing it in the file list does.
  std::function<void(const std::string &ruta)> listar;
};

// The catalogue views as a disk manager: double-click or Enter opens the
// viewer; right-click and the menu key open the context menu; rows dragged
// out are extracted, files dropped in are put on the image, rows dragged to the
// other pane are copied. Only events the main window leaves to nobody are
// taken; every decision is Gestion::Acciones'.
class GestorCatalogo : public QObject {
  Q_OBJECT

public:
  GestorCatalogo(QWidget *ventana, std::array<PanelVentana, 2> paneles);
  ~GestorCatalogo() override;

  // Pane `i` as the actions see it: its image, its folder, its selected rows.
  [[nodiscard]] Gestion::Panel Panel(int i) const;
  // The image pane `i` lists, as the user chose it; empty when none.
  [[nodiscard]] std::string Imagen(int i) const;
  [[nodiscard]] Gestion::Acciones &Acciones() { return acciones_; }

  // The viewer of the pane's current row.
  void Ver(int i);
  // The context menu at `punto` of the view's viewport, shown without waiting.
  QMenu *AbrirMenu(int i, QPoint punto, bool deTeclado);
  // What a drag of the selected rows carries; nullptr when nothing can go.
  [[nodiscard]] QMimeData *DatosArrastre(int i);
  // Whether pane `i` takes `datos`; with `soltar`, takes them (after the event).
  bool Recibir(int i, const QMimeData &datos, bool soltar);

protected:
  bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
  [[nodiscard]] int PanelDe(const QObject *objeto) const;
  void Escrito(int i); // lists again every pane that shows pane i's image
  void Hacer(int i, const std::function<bool()> &accion);
  void Arrastrar(int i);
  // An image inside a zip, chosen in the file list: the design's listing reads
  // files only, so it gets a private copy of the image, and the pane reads and
  // refuses writes by the image's own path.
  void AbrirMiembro(int i, const std::string &ruta);

  QWidget *ventana_;
  std::array<PanelVentana, 2> paneles_;
  // The views and viewports the filter watches, compared by address only:
  // they send events while they are being destroyed.
  std::array<const QObject *, 4> vigilados_{};
  std::unique_ptr<DialogosQt> propios_;
  Gestion::Acciones acciones_;
  std::vector<std::unique_ptr<QTemporaryDir>> temporales_;      // of drags, until the end
  int arrastrando_ = -1;                                        // pane of the drag under way
  Gestion::Panel origen_;                                       // its rows
  std::array<std::pair<std::string, std::string>, 2> miembros_; // copy, and the member it is
  int pulsado_ = -1;
  QPoint puntoPulsado_;
};
