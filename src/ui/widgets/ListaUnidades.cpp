#include "ui/widgets/ListaUnidades.h"

#include "ui/widgets/CarpetasUnidad.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

ListaUnidades::ListaUnidades(QWidget *padre) : QComboBox(padre) {
  Rellenar(UnidadDe(QDir::currentPath(), CarpetasUnidad::Unidades()));
  connect(this, &QComboBox::currentIndexChanged, this, &ListaUnidades::AlCambiarIndice);
}

QStringList ListaUnidades::UnidadesDelSistema() {
  QStringList unidades;
#if !defined(_WIN32)
  unidades << QStringLiteral("/");
#endif
  for (const QStorageInfo &volumen : QStorageInfo::mountedVolumes()) {
    if (!volumen.isValid() || !volumen.isReady())
      continue;
    const QString raiz = volumen.rootPath();
    // Single files bound into a container (/etc/hosts and the like) are no drives.
    if (!QFileInfo(raiz).isDir())
      continue;
    unidades << QDir::toNativeSeparators(raiz);
  }
  std::sort(unidades.begin() + (unidades.isEmpty() ? 0 : 1), unidades.end());
  unidades.removeDuplicates();
  return unidades;
}

QString ListaUnidades::UnidadDe(const QString &ruta, const QStringList &unidades) {
  const QString limpia = QDir::cleanPath(QDir::fromNativeSeparators(ruta));
  QString mejor;
  for (const QString &unidad : unidades) {
    const QString raiz = QDir::fromNativeSeparators(unidad);
    const QString conBarra = raiz.endsWith(u'/') ? raiz : raiz + u'/';
    const bool dentro = limpia.compare(raiz, Qt::CaseInsensitive) == 0 ||
                        limpia.startsWith(conBarra, Qt::CaseInsensitive);
    if (dentro && raiz.size() > QDir::fromNativeSeparators(mejor).size())
      mejor = unidad;
  }
  if (mejor.isEmpty() && !unidades.isEmpty())
    mejor = unidades.front();
  return mejor;
}

void ListaUnidades::SetDrive(const QString &ruta) {
  const int indice = findText(UnidadDe(ruta, CarpetasUnidad::Unidades()));
  if (indice >= 0)
    setCurrentIndex(indice);
}

void ListaUnidades::DeshacerCambio() {
  const int indice = findText(anterior_);
  if (indice < 0)
    return;
  const QSignalBlocker bloqueo(this);
  setCurrentIndex(indice);
  actual_ = anterior_;
}

void ListaUnidades::showPopup() {
  Rellenar(currentText());
  QComboBox::showPopup();
}

void ListaUnidades::Rellenar(const QString &seleccion) {
  rellenando_ = true;
  clear();
  addItems(CarpetasUnidad::Unidades());
  const int indice = findText(seleccion);
  setCurrentIndex(indice >= 0 ? indice : 0);
  rellenando_ = false;
  if (currentText() != actual_) {
    anterior_ = actual_;
    actual_ = currentText();
  }
}

void ListaUnidades::AlCambiarIndice(int indice) {
  if (rellenando_ || indice < 0)
    return;
  anterior_ = actual_;
  actual_ = currentText();
  emit Change();
}
