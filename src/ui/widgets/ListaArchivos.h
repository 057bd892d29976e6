#pragma once

#include "disk/Formato.h"

#include <QListView>
#include <QString>
#include <QStringList>
#include <QStringListModel>

#include <functional>
#include <string>
#include <vector>

// File list: the files of one folder whose names match "*.dsk", whatever their
// letter case, sorted by name. Selecting a file with the mouse or the keyboard
// (and clicking the selected one again) raises Click.
class ListaArchivos : public QListView {
  Q_OBJECT

public:
  explicit ListaArchivos(QWidget *padre = nullptr);

  [[nodiscard]] QString Path() const { return path_; }
  // Moves to folder `ruta` and lists it again, even when it is the same folder.
  // A path that is not a readable folder throws ErrorAlcove and changes nothing.
  void SetPath(const QString &ruta);
  // The selected file's name, without its folder; empty when none is selected.
  [[nodiscard]] QString FileName() const;
  // The same name as the host's bytes: names that are not valid UTF-8 show with
  // a replacement character but open by these.
  [[nodiscard]] std::string FileNameBytes() const;
  [[nodiscard]] static QString Pattern() { return QString::fromLatin1(Formato::PatronImagenes); }
  // The names listed, in the order shown.
  [[nodiscard]] QStringList Archivos() const { return modelo_.stringList(); }

  struct Archivo {
    QString nombre;    // as shown
    std::string bytes; // as the host names it
  };
  // The matching files of `carpeta`, sorted as the list shows them.
  [[nodiscard]] static std::vector<Archivo> ArchivosDe(const QString &carpeta);

  // Other images a folder holds (inside its zips), by their names from the
  // folder, listed after its own files; the list is drawn again at once.
  using OtrasImagenes = std::function<std::vector<std::string>(const std::string &carpeta)>;
  void FijarOtrasImagenes(OtrasImagenes otras);

signals:
  void Click();

protected:
  void mousePressEvent(QMouseEvent *evento) override;
  void mouseMoveEvent(QMouseEvent *evento) override;
  void keyPressEvent(QKeyEvent *evento) override;
  void currentChanged(const QModelIndex &actual, const QModelIndex &anterior) override;
  bool viewportEvent(QEvent *evento) override;

private:
  void Mostrar(std::vector<Archivo> archivos);

  [[nodiscard]] std::vector<Archivo> Todos(const QString &carpeta) const;

  OtrasImagenes otras_;
  QStringListModel modelo_;
  std::vector<std::string> bytes_; // one per row
  QString path_;
  bool porUsuario_ = false;      // inside a mouse press or key press
  bool elegidoAlPulsar_ = false; // the last press already raised Click
};
