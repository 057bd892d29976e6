#pragma once

#include "gestion/Paneles.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <memory>
#include <string>

class DialogosQt;
class ListaArchivos;
class QMenu;
class QMimeData;
class QWidget;
class VistaCatalogo;

// The catalogue views as a disk manager, on Qt: double-click or Enter opens
// the viewer; right-click and the menu key open the context menu; rows dragged
// out are extracted, files dropped in are put on the image, rows dragged to the
// other pane are copied. Only events the main window leaves to nobody are
// taken; every decision is Gestion::GestorPaneles'.
class GestorCatalogo : public QObject {
  Q_OBJECT

public:
  // The views and file lists of both panes, and the same controls as the
  // decisions see them.
  GestorCatalogo(QWidget *ventana, std::array<VistaCatalogo *, 2> vistas,
                 std::array<ListaArchivos *, 2> archivos,
                 std::array<Gestion::PanelVentana, 2> paneles);
  ~GestorCatalogo() override;

  [[nodiscard]] Gestion::Panel Panel(int i) const { return paneles_->Panel(i); }
  [[nodiscard]] std::string Imagen(int i) const { return paneles_->Imagen(i); }
  [[nodiscard]] Gestion::Acciones &Acciones() { return paneles_->Acciones(); }

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
  void Arrastrar(int i);

  QWidget *ventana_;
  std::array<VistaCatalogo *, 2> vistas_;
  // The views and viewports the filter watches, compared by address only:
  // they send events while they are being destroyed.
  std::array<const QObject *, 4> vigilados_{};
  std::unique_ptr<DialogosQt> propios_;
  std::unique_ptr<Gestion::GestorPaneles> paneles_;
  int pulsado_ = -1;
  QPoint puntoPulsado_;
};
