#pragma once

#include "gestion/Contenido.h"
#include "gestion/Paneles.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;

// The viewer: one file of a disk shown as what it is (a BASIC listing, text,
// a hex dump, a picture), in the program's yellow on dark blue. A choice of
// viewers above, and for a screen its mode, its palette and "Guardar como
// PNG…"; a line under it says when something is wrong.
class F_Ver : public QWidget {
  Q_OBJECT

public:
  F_Ver(QWidget *padre, Gestion::Visor visor);

  // Shows `contenido`: its text, or its picture when it has a valid one.
  void Mostrar(const Gestion::Contenido &contenido);

  [[nodiscard]] QPlainTextEdit *Texto() const { return texto_; }
  [[nodiscard]] QLabel *Imagen() const { return imagen_; }
  [[nodiscard]] QLabel *Nota() const { return nota_; }
  [[nodiscard]] QComboBox *Vistas() const { return vistas_; }
  [[nodiscard]] QComboBox *Modos() const { return modos_; }
  [[nodiscard]] QComboBox *Paletas() const { return paletas_; }
  [[nodiscard]] QPushButton *GuardarPng() const { return guardar_; }
  [[nodiscard]] bool MuestraImagen() const;

protected:
  void keyPressEvent(QKeyEvent *evento) override;

private:
  QComboBox *vistas_ = nullptr;
  QWidget *pantalla_ = nullptr; // a screen's own controls
  QComboBox *modos_ = nullptr;
  QComboBox *paletas_ = nullptr;
  QPushButton *guardar_ = nullptr;
  QStackedWidget *pila_ = nullptr;
  QPlainTextEdit *texto_ = nullptr;
  QScrollArea *marcoImagen_ = nullptr;
  QLabel *imagen_ = nullptr;
  QLabel *nota_ = nullptr;
  Gestion::Visor visor_; // its first content is what is shown now
};
