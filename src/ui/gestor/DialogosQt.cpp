#include "ui/gestor/DialogosQt.h"

#include "ui/widgets/Estilo.h"
#include "ui/widgets/LimiteEvento.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Utf8(const std::string &texto) {
  return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}
// Paths go to the platform layer as the host's bytes.
QString Ruta(const std::string &ruta) { return QFile::decodeName(QByteArray::fromStdString(ruta)); }
std::string Bytes(const QString &ruta) { return QFile::encodeName(ruta).toStdString(); }

// Qt's own dialog, so that its labels can be given in Spanish.
void EnEspanol(QFileDialog &dialogo, const QString &aceptar) {
  dialogo.setOption(QFileDialog::DontUseNativeDialog);
  dialogo.setLabelText(QFileDialog::LookIn, QStringLiteral("Buscar en:"));
  dialogo.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre:"));
  dialogo.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
  dialogo.setLabelText(QFileDialog::Accept, aceptar);
  dialogo.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
}

void BotonesEnEspanol(QDialogButtonBox &botones, const QString &aceptar) {
  botones.button(QDialogButtonBox::Ok)->setText(aceptar);
  if (QPushButton *cancelar = botones.button(QDialogButtonBox::Cancel))
    cancelar->setText(QStringLiteral("Cancelar"));
}

} // namespace

bool DialogosQt::Confirmar(const std::string &titulo, const std::string &pregunta) {
  QMessageBox caja(QMessageBox::Question, Utf8(titulo), Utf8(pregunta), QMessageBox::NoButton,
                   padre_);
  QPushButton *si = caja.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
  QPushButton *no = caja.addButton(QStringLiteral("No"), QMessageBox::NoRole);
  caja.setDefaultButton(no);
  caja.setEscapeButton(no);
  caja.exec();
  return caja.clickedButton() == si;
}

std::optional<std::string> DialogosQt::PedirTexto(const std::string &titulo,
                                                  const std::string &pregunta,
                                                  const std::string &inicial) {
  QInputDialog dialogo(padre_);
  dialogo.setWindowTitle(Utf8(titulo));
  dialogo.setLabelText(Utf8(pregunta));
  dialogo.setTextValue(Utf8(inicial));
  dialogo.setOkButtonText(QStringLiteral("Aceptar"));
  dialogo.setCancelButtonText(QStringLiteral("Cancelar"));
  if (dialogo.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialogo.textValue().toStdString();
}

std::optional<Gestion::Dialogos::Destino> DialogosQt::ElegirCarpeta(const std::string &desde,
                                                                    bool conCabecera) {
  QFileDialog dialogo(padre_, QStringLiteral("Extraer en la carpeta"), Ruta(desde));
  dialogo.setFileMode(QFileDialog::Directory);
  dialogo.setOption(QFileDialog::ShowDirsOnly);
  EnEspanol(dialogo, QStringLiteral("Extraer"));
  auto *caja = new QCheckBox(QStringLiteral("Con la cabecera AMSDOS"), &dialogo);
  caja->setChecked(conCabecera);
  if (auto *rejilla = qobject_cast<QGridLayout *>(dialogo.layout()))
    rejilla->addWidget(caja, rejilla->rowCount(), 0, 1, -1);
  if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
    return std::nullopt;
  return Destino{Bytes(dialogo.selectedFiles().front()), caja->isChecked()};
}

std::vector<std::string> DialogosQt::ElegirArchivos(const std::string &desde) {
  QFileDialog dialogo(padre_, QStringLiteral("Poner archivos en el disco"), Ruta(desde));
  dialogo.setFileMode(QFileDialog::ExistingFiles);
  EnEspanol(dialogo, QStringLiteral("Poner"));
  std::vector<std::string> rutas;
  if (dialogo.exec() == QDialog::Accepted) {
    for (const QString &ruta : dialogo.selectedFiles())
      rutas.push_back(Bytes(ruta));
  }
  return rutas;
}

std::optional<Gestion::Dialogos::DiscoNuevo>
DialogosQt::PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) {
  QDialog dialogo(padre_);
  dialogo.setWindowTitle(QStringLiteral("Nuevo disco"));
  auto *formulario = new QFormLayout(&dialogo);
  auto *nombre = new QLineEdit(QStringLiteral("nuevo.dsk"), &dialogo);
  auto *formato = new QComboBox(&dialogo);
  for (const auto &[clave, descripcion] : formatos)
    formato->addItem(Utf8(clave + (descripcion.empty() ? "" : ": " + descripcion)), Utf8(clave));
  formulario->addRow(QStringLiteral("Archivo:"), nombre);
  formulario->addRow(QStringLiteral("Formato:"), formato);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Crear"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  formulario->addRow(botones);
  if (dialogo.exec() != QDialog::Accepted)
    return std::nullopt;
  return DiscoNuevo{Bytes(nombre->text()), formato->currentData().toString().toStdString()};
}

std::vector<std::size_t> DialogosQt::ElegirVarios(const std::string &titulo,
                                                  const std::string &pregunta,
                                                  const std::vector<std::string> &opciones) {
  QDialog dialogo(padre_);
  dialogo.setWindowTitle(Utf8(titulo));
  auto *columna = new QVBoxLayout(&dialogo);
  auto *etiqueta = new QLabel(Utf8(pregunta), &dialogo);
  etiqueta->setWordWrap(true);
  columna->addWidget(etiqueta);
  auto *lista = new QListWidget(&dialogo);
  lista->setFont(Estilo::Courier(9.75));
  Estilo::AmarilloSobreAzul(lista);
  for (const std::string &opcion : opciones) {
    auto *item = new QListWidgetItem(Utf8(opcion), lista);
    item->setCheckState(Qt::Checked);
  }
  columna->addWidget(lista);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Aceptar"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  columna->addWidget(botones);
  std::vector<std::size_t> elegidos;
  if (dialogo.exec() == QDialog::Accepted) {
    for (int i = 0; i < lista->count(); ++i) {
      if (lista->item(i)->checkState() == Qt::Checked)
        elegidos.push_back(static_cast<std::size_t>(i));
    }
  }
  return elegidos;
}

namespace {

// The read-only text of a file's properties, in the disk's colours.
QPlainTextEdit *CajaDeTexto(QDialog &dialogo, const std::string &texto) {
  auto *caja = new QPlainTextEdit(Utf8(texto), &dialogo);
  caja->setReadOnly(true);
  caja->setLineWrapMode(QPlainTextEdit::NoWrap);
  caja->setFont(Estilo::Courier(10));
  Estilo::AmarilloSobreAzul(caja);
  return caja;
}

} // namespace

std::optional<Gestion::Dialogos::Cabecera>
DialogosQt::EditarPropiedades(const std::string &texto, const Cabecera &cabecera,
                              const std::vector<std::string> &tipos) {
  QDialog dialogo(padre_);
  dialogo.setWindowTitle(QStringLiteral("Propiedades"));
  auto *columna = new QVBoxLayout(&dialogo);
  QPlainTextEdit *caja = CajaDeTexto(dialogo, texto);
  columna->addWidget(caja);
  auto *con = new QCheckBox(QStringLiteral("Con cabecera AMSDOS"), &dialogo);
  con->setObjectName(QStringLiteral("CabeceraCon"));
  con->setChecked(cabecera.con);
  columna->addWidget(con);
  auto *formulario = new QFormLayout;
  auto *tipo = new QComboBox(&dialogo);
  tipo->setObjectName(QStringLiteral("CabeceraTipo"));
  tipo->setEditable(true); // a type byte of its own: &06
  for (const std::string &t : tipos)
    tipo->addItem(Utf8(t));
  tipo->setCurrentText(Utf8(cabecera.tipo));
  const auto campo = [&](const char *nombre, const std::string &valor) {
    auto *linea = new QLineEdit(Utf8(valor), &dialogo);
    linea->setObjectName(QString::fromLatin1(nombre));
    return linea;
  };
  QLineEdit *carga = campo("CabeceraCarga", cabecera.carga);
  QLineEdit *entrada = campo("CabeceraEntrada", cabecera.entrada);
  QLineEdit *longitud = campo("CabeceraLongitud", cabecera.longitud);
  formulario->addRow(QStringLiteral("Tipo:"), tipo);
  formulario->addRow(QStringLiteral("Carga:"), carga);
  formulario->addRow(QStringLiteral("Ejecución:"), entrada);
  formulario->addRow(QStringLiteral("Longitud:"), longitud);
  columna->addLayout(formulario);
  // The fields are the header's: without one there is nothing to fill in.
  const auto habilitar = [=](bool si) {
    for (QWidget *w : std::initializer_list<QWidget *>{tipo, carga, entrada, longitud})
      w->setEnabled(si);
  };
  habilitar(cabecera.con);
  QObject::connect(con, &QCheckBox::toggled, &dialogo, habilitar);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Aceptar"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  columna->addWidget(botones);
  dialogo.resize(caja->fontMetrics().horizontalAdvance(QString(64, u'0')) + 40, 480);
  if (dialogo.exec() != QDialog::Accepted)
    return std::nullopt;
  return Cabecera{con->isChecked(), tipo->currentText().toStdString(), carga->text().toStdString(),
                  entrada->text().toStdString(), longitud->text().toStdString()};
}

void DialogosQt::Avisar(const std::string &mensaje) {
  Plataforma::AvisarFallo(padre_, Utf8(mensaje));
}

void DialogosQt::Mostrar(const std::string &titulo, const std::string &texto) {
  QDialog dialogo(padre_);
  dialogo.setWindowTitle(Utf8(titulo));
  auto *columna = new QVBoxLayout(&dialogo);
  QPlainTextEdit *caja = CajaDeTexto(dialogo, texto);
  columna->addWidget(caja);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Cerrar"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  columna->addWidget(botones);
  dialogo.resize(caja->fontMetrics().horizontalAdvance(QString(64, u'0')) + 40, 360);
  dialogo.exec();
}
