#pragma once

#include "Comun.h"
#include "Generador.h"
#include "ui/widgets/LimiteEvento.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/VistaCatalogo.h"

#include <QDir>
#include <QHeaderView>
#include <QString>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <utility>

// Collects the failures that reach the event boundary instead of showing a box.
class AvisosRecogidos {
public:
  AvisosRecogidos() {
    anterior_ = Plataforma::InstalarAvisador(
        [this](QWidget *, const QString &mensaje) { mensajes << mensaje; });
  }
  ~AvisosRecogidos() { Plataforma::InstalarAvisador(std::move(anterior_)); }
  AvisosRecogidos(const AvisosRecogidos &) = delete;
  AvisosRecogidos &operator=(const AvisosRecogidos &) = delete;

  QStringList mensajes;

private:
  Plataforma::Avisador anterior_;
};

// Makes the process's current folder `ruta` for the life of the object.
class CarpetaActual {
public:
  explicit CarpetaActual(const std::filesystem::path &ruta) : anterior_(QDir::currentPath()) {
    QDir::setCurrent(QString::fromStdString(ruta.string()));
  }
  ~CarpetaActual() { QDir::setCurrent(anterior_); }
  CarpetaActual(const CarpetaActual &) = delete;
  CarpetaActual &operator=(const CarpetaActual &) = delete;

private:
  QString anterior_;
};

inline QString QRuta(const std::filesystem::path &ruta) {
  return QDir::cleanPath(QString::fromStdString(ruta.string()));
}

// Readable QStrings in test failures.
inline void PrintTo(const QString &texto, std::ostream *os) {
  *os << '"' << texto.toStdString() << '"';
}

// A double click as a real mouse makes it: press and release, then the second
// press arrives as a double click, then its release.
inline void DobleClic(QWidget *control, QPoint punto) {
  QTest::mouseClick(control, Qt::LeftButton, {}, punto);
  QTest::mouseDClick(control, Qt::LeftButton, {}, punto);
  QTest::mouseRelease(control, Qt::LeftButton, {}, punto);
}

// A click with the mouse on the file called `nombre` in a file list.
inline void PulsarArchivo(ListaArchivos &lista, const QString &nombre) {
  const int fila = static_cast<int>(lista.Archivos().indexOf(nombre));
  ASSERT_GE(fila, 0) << nombre.toStdString() << " is not listed";
  const QModelIndex indice = lista.model()->index(fila, 0);
  lista.scrollTo(indice);
  QTest::mouseClick(lista.viewport(), Qt::LeftButton, {}, lista.visualRect(indice).center());
}

// A click with the mouse on heading `columna` (0-based) of a catalogue view.
inline void PulsarCabecera(VistaCatalogo &vista, int columna) {
  QHeaderView *cabecera = vista.header();
  const QPoint punto(cabecera->sectionViewportPosition(columna) +
                         cabecera->sectionSize(columna) / 2,
                     cabecera->height() / 2);
  QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, punto);
}

// The texts of column `columna` of a catalogue view, top to bottom.
inline QStringList Columna(const VistaCatalogo &vista, int columna) {
  QStringList textos;
  const ModeloCatalogo &filas = vista.ListItems();
  for (int f = 0; f < filas.rowCount(); ++f)
    textos << filas.Texto(f, columna);
  return textos;
}

inline void EscribirImagen(const std::filesystem::path &ruta, const Generador::ImagenDsk &imagen) {
  Generador::EscribirArchivo(ruta, imagen.Bytes());
}
