#include "ui/widgets/Enlaces.h"

#include "platform/Errores.h"
#include "ui/widgets/ListaArchivos.h"
#include "ui/widgets/ListaCarpetas.h"
#include "ui/widgets/ListaUnidades.h"
#include "ui/widgets/MedidorLed.h"
#include "ui/widgets/VistaCatalogo.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

#include <algorithm>

namespace Enlaces {

std::string RutaHost(const QString &ruta) { return QFile::encodeName(ruta).toStdString(); }
QString RutaQt(const std::string &ruta) {
  return QFile::decodeName(QByteArray::fromStdString(ruta));
}

std::string Unidades::Drive() const { return RutaHost(w_.Drive()); }

std::string Carpetas::Path() const { return RutaHost(w_.Path()); }
void Carpetas::SetPath(const std::string &ruta) { w_.SetPath(RutaQt(ruta)); }

std::string Archivos::Path() const { return RutaHost(w_.Path()); }
void Archivos::SetPath(const std::string &ruta) { w_.SetPath(RutaQt(ruta)); }
std::string Archivos::FileName() const { return w_.FileNameBytes(); }
void Archivos::FijarOtrasImagenes(OtrasImagenes otras) { w_.FijarOtrasImagenes(std::move(otras)); }

void Vista::Clear() { w_.ListItems().Clear(); }
int Vista::Add(const Textos &textos, int icono) {
  ModeloCatalogo::Textos qt;
  for (std::size_t c = 0; c < qt.size(); ++c)
    qt[c] = QString::fromStdString(textos[c]);
  return w_.ListItems().Add(qt, icono);
}
bool Vista::Sorted() const { return w_.ListItems().Sorted(); }
std::int16_t Vista::SortKey() const { return w_.ListItems().SortKey(); }
int Vista::SortOrder() const { return w_.ListItems().SortOrder(); }
void Vista::SetSortKey(std::int16_t clave) { w_.ListItems().SetSortKey(clave); }
void Vista::SetSortOrder(int orden) { w_.ListItems().SetSortOrder(orden); }
int Vista::Filas() const { return w_.ListItems().rowCount(); }
std::string Vista::Texto(int fila, int columna) const {
  return w_.ListItems().Texto(fila, columna).toStdString();
}
std::string Vista::ClaveIcono(int fila) const {
  const ModeloCatalogo &m = w_.ListItems();
  return m.Imagenes().Key(m.IconoPequeno(fila));
}
int Vista::Llegada(int fila) const { return w_.ListItems().Llegada(fila); }
std::vector<int> Vista::Seleccionadas() const {
  std::vector<int> filas;
  for (const QModelIndex &indice : w_.selectionModel()->selectedRows())
    filas.push_back(indice.row());
  std::sort(filas.begin(), filas.end());
  return filas;
}
int Vista::FilaActual() const {
  const QModelIndex actual = w_.currentIndex();
  return actual.isValid() ? actual.row() : -1;
}
void Vista::SeleccionarSolo(int fila) {
  if (fila < 0 || fila >= w_.ListItems().rowCount()) {
    w_.clearSelection();
    return;
  }
  w_.selectionModel()->setCurrentIndex(w_.ListItems().index(fila, 0),
                                       QItemSelectionModel::ClearAndSelect |
                                           QItemSelectionModel::Rows);
}

void Vista::Seleccionar(const std::vector<int> &filas) {
  w_.clearSelection();
  bool primera = true;
  for (const int fila : filas) {
    if (fila < 0 || fila >= w_.ListItems().rowCount())
      continue;
    const QModelIndex indice = w_.ListItems().index(fila, 0);
    w_.selectionModel()->setCurrentIndex(
        indice, (primera ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                    QItemSelectionModel::Rows);
    if (primera)
      w_.scrollTo(indice);
    primera = false;
  }
}

namespace {
QLabel &Panel(const std::array<QLabel *, Controles::BarraEstado::Paneles> &paneles, int panel) {
  if (panel < 1 || panel > Controles::BarraEstado::Paneles)
    LanzarError(Errores::SubindiceFueraDeIntervalo);
  return *paneles[static_cast<std::size_t>(panel - 1)];
}
} // namespace

void Estado::SetPanelText(int panel, const std::string &texto) {
  // A text ends at its first zero byte, as in Windows' status bar: the creator
  // field of some images is filled with them, and Qt would draw each as a box.
  QLabel &etiqueta = Panel(paneles_, panel);
  const QString visto = QString::fromStdString(texto.substr(0, texto.find('\0')));
  etiqueta.setText(visto);
  // A text wider than its panel is cut at the panel's edge: its tooltip shows
  // it whole. Uncut, the panel has none and shows the bar's (the disk's note).
  const bool cortado =
      etiqueta.fontMetrics().horizontalAdvance(visto) > etiqueta.contentsRect().width();
  etiqueta.setToolTip(cortado ? visto : QString());
}
std::string Estado::PanelText(int panel) const {
  return Panel(paneles_, panel).text().toStdString();
}

void Etiqueta::SetText(const std::string &texto) { w_.setText(QString::fromStdString(texto)); }
std::string Etiqueta::Text() const { return w_.text().toStdString(); }

void CuadroTexto::SetText(const std::string &texto) {
  w_.setPlainText(
      QString::fromStdString(texto).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}
std::string CuadroTexto::Text() const {
  return w_.toPlainText().replace(QLatin1String("\n"), QLatin1String("\r\n")).toStdString();
}

int Barra::Value() const { return w_.value(); }
void Barra::SetValue(int valor) { w_.setValue(valor); }

void Led::PonerValor(std::int16_t porcentaje) { w_.PonerValor(porcentaje); }

} // namespace Enlaces
