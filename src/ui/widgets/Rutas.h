#pragma once

#include <QDir>
#include <QString>

namespace Rutas {

// A folder path given by the user, made absolute against `base` (the list's
// current folder) and clean; with no base it is taken as it comes.
[[nodiscard]] inline QString RutaCompleta(const QString &base, const QString &ruta) {
  const QString sinSeparadores = QDir::fromNativeSeparators(ruta);
  const QString absoluta = QDir::isAbsolutePath(sinSeparadores) || base.isEmpty()
                               ? sinSeparadores
                               : QDir(base).absoluteFilePath(sinSeparadores);
  return QDir::cleanPath(absoluta);
}

} // namespace Rutas
