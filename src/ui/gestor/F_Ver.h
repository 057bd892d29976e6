#pragma once

#include "gestion/Contenido.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QStackedWidget;

// The viewer: one file of a disk shown as what it is (a BASIC listing, text,
// a hex dump, a picture), in the program's yellow on dark blue. A choice of
// viewers above; a line under it says when something is wrong.
class F_Ver : public QWidget {
  Q_OBJECT

public:
  // The content for another viewer of the same file.
  using Calcular = std::function<Gestion::Contenido(Ver::Vista)>;

  F_Ver(QWidget *padre, const Gestion::Contenido &contenido, std::vector<Ver::Vista> vistas,
        Calcular calcular);

  // Shows `contenido`: its text, or its picture when it has a valid one.
  void Mostrar(const Gestion::Contenido &contenido);

  [[nodiscard]] QPlainTextEdit *Texto() const { return texto_; }
  [[nodiscard]] QLabel *Imagen() const { return imagen_; }
  [[nodiscard]] QLabel *Nota() const { return nota_; }
  [[nodiscard]] QComboBox *Vistas() const { return vistas_; }
  [[nodiscard]] bool MuestraImagen() const;

protected:
  void keyPressEvent(QKeyEvent *evento) override;

private:
  QComboBox *vistas_ = nullptr;
  QStackedWidget *pila_ = nullptr;
  QPlainTextEdit *texto_ = nullptr;
  QScrollArea *marcoImagen_ = nullptr;
  QLabel *imagen_ = nullptr;
  QLabel *nota_ = nullptr;
  std::vector<Ver::Vista> opciones_;
  Calcular calcular_;
};
