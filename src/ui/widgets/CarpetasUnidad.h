#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Each drive's current folder, kept as a host with drive letters keeps one per
// drive: the last folder any folder list visited on it, shared by every list in
// the process. A drive nobody has visited yet is at the folder the process
// started in, if that folder is on it, and at its root otherwise.
namespace CarpetasUnidad {

// The drives in the order the drive lists offer them: the host's
// (ListaUnidades::UnidadesDelSistema) unless others were given.
[[nodiscard]] QStringList Unidades();

// Gives the drives that `fuente` returns instead of the host's, or the host's
// again with an empty `fuente`, and forgets every remembered folder; the folder
// the process is in now becomes the starting one. For tests that need drives a
// host may not have.
void FijarFuente(std::function<QStringList()> fuente);

// True when `texto` is exactly the text of one of the drives.
[[nodiscard]] bool EsUnidad(const QString &texto);

// Where writing drive `unidad`'s text to a folder list goes: the folder
// remembered for it; if that has gone (or cannot be read), its nearest existing
// parent on the same drive; failing that, the drive's root.
[[nodiscard]] QString CarpetaActual(const QString &unidad);

// Remembers `carpeta` (absolute and clean) as the current folder of the drive
// that holds it.
void Recordar(const QString &carpeta);

} // namespace CarpetasUnidad
