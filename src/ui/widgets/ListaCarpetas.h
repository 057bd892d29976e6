#pragma once

#include <QString>
#include <QTreeWidget>

// Folder list: the chain of folders from the drive's root down to the current
// folder, each one step further in, then the current folder's subfolders. A
// double click or Enter on a folder makes it the current one.
class ListaCarpetas : public QTreeWidget {
  Q_OBJECT

public:
  explicit ListaCarpetas(QWidget *padre = nullptr);

  [[nodiscard]] QString Path() const { return path_; }
  // Moves to `ruta` (absolute, or relative to the current folder) and lists it.
  // The text of a drive of the drive list moves to that drive's current folder
  // (CarpetasUnidad), as a drive letter alone does on hosts that have them.
  // Raises Change when the path differs from the one before. A path that is not a
  // readable folder throws ErrorAlcove and changes nothing. Every folder reached
  // becomes its drive's current folder.
  void SetPath(const QString &ruta);

  // The full path of the folder shown in row `fila` (0 is the root), empty
  // outside the list.
  [[nodiscard]] QString RutaDeFila(int fila) const;

signals:
  // The current folder changed, by the user or by the program.
  void Change();

protected:
  void keyPressEvent(QKeyEvent *evento) override;
  // Folders are never folded: no branch marks.
  void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
  void Listar();
  void Abrir(QTreeWidgetItem *elemento);
  // Moves to the folder `ruta` itself, even when it is a drive's root.
  void IrA(const QString &ruta);

  QString path_;
};
