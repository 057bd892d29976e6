#include "ui/widgets/CarpetasUnidad.h"

#include "ui/widgets/ListaUnidades.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <utility>

namespace {

struct Memoria {
  std::function<QStringList()> fuente;
  QString inicial = QDir::cleanPath(QDir::currentPath());
  QHash<QString, QString> carpetas; // drive text -> its current folder
};

Memoria &LaMemoria() {
  static Memoria memoria;
  return memoria;
}

bool CarpetaLegible(const QString &ruta) {
  const QFileInfo info(ruta);
  return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

namespace CarpetasUnidad {

QStringList Unidades() {
  const Memoria &m = LaMemoria();
  return m.fuente ? m.fuente() : ListaUnidades::UnidadesDelSistema();
}

void FijarFuente(std::function<QStringList()> fuente) {
  Memoria &m = LaMemoria();
  m.fuente = std::move(fuente);
  m.inicial = QDir::cleanPath(QDir::currentPath());
  m.carpetas.clear();
}

bool EsUnidad(const QString &texto) { return !texto.isEmpty() && Unidades().contains(texto); }

QString CarpetaActual(const QString &unidad) {
  const Memoria &m = LaMemoria();
  const QStringList unidades = Unidades();
  const QString raiz = QDir::cleanPath(QDir::fromNativeSeparators(unidad));
  QString carpeta = m.carpetas.value(unidad);
  if (carpeta.isEmpty())
    carpeta = ListaUnidades::UnidadDe(m.inicial, unidades) == unidad ? m.inicial : raiz;
  // Up from the remembered folder, by name (the folders between may have gone
  // too), staying on this drive: a parent may be the root of another drive
  // mounted since.
  QString ruta = QDir::cleanPath(carpeta);
  for (;;) {
    if (ListaUnidades::UnidadDe(ruta, unidades) == unidad && CarpetaLegible(ruta))
      return ruta;
    const QString padre = QFileInfo(ruta).path();
    if (ruta == raiz || padre == ruta || padre.size() < raiz.size())
      break;
    ruta = padre;
  }
  return raiz;
}

void Recordar(const QString &carpeta) {
  const QString unidad = ListaUnidades::UnidadDe(carpeta, Unidades());
  if (!unidad.isEmpty())
    LaMemoria().carpetas.insert(unidad, carpeta);
}

} // namespace CarpetasUnidad
