#include "ui/gestor/DialogosQt.h"

#include "gestion/Propiedades.h"
#include "ui/controles/Texto.h"
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
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolTip>
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

std::optional<std::string> DialogosQt::ElegirArchivoNuevo(const std::string &titulo,
                                                          const std::string &desde,
                                                          const std::string &nombre) {
  QFileDialog dialogo(padre_, Utf8(titulo), Ruta(desde));
  dialogo.setAcceptMode(QFileDialog::AcceptSave);
  dialogo.setFileMode(QFileDialog::AnyFile);
  // Whether to replace a file is asked by the decisions, once.
  dialogo.setOption(QFileDialog::DontConfirmOverwrite);
  dialogo.selectFile(Ruta(nombre));
  EnEspanol(dialogo, QStringLiteral("Guardar"));
  if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
    return std::nullopt;
  return Bytes(dialogo.selectedFiles().front());
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
  auto *pistas = new QSpinBox(&dialogo);
  pistas->setObjectName(QStringLiteral("Pistas"));
  pistas->setRange(0, 85);
  pistas->setSpecialValueText(QStringLiteral("las del formato"));
  auto *caras = new QComboBox(&dialogo);
  caras->setObjectName(QStringLiteral("Caras"));
  caras->addItem(QStringLiteral("las del formato"), 0);
  caras->addItem(QStringLiteral("1"), 1);
  caras->addItem(QStringLiteral("2"), 2);
  auto *extendida =
      new QCheckBox(QStringLiteral("Disposición extendida (EXTENDED CPC DSK)"), &dialogo);
  extendida->setObjectName(QStringLiteral("Extendida"));
  formulario->addRow(QStringLiteral("Archivo:"), nombre);
  formulario->addRow(QStringLiteral("Formato:"), formato);
  formulario->addRow(QStringLiteral("Pistas:"), pistas);
  formulario->addRow(QStringLiteral("Caras:"), caras);
  formulario->addRow(extendida);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Crear"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  formulario->addRow(botones);
  if (dialogo.exec() != QDialog::Accepted)
    return std::nullopt;
  return DiscoNuevo{Bytes(nombre->text()), formato->currentData().toString().toStdString(),
                    pistas->value(), caras->currentData().toInt(), extendida->isChecked()};
}

std::optional<Gestion::Dialogos::BorradoElegido>
DialogosQt::ElegirBorrado(const std::vector<std::string> &borrados, bool sePuedeRecuperar) {
  QDialog dialogo(padre_);
  dialogo.setObjectName(QStringLiteral("Borrados"));
  dialogo.setWindowTitle(QStringLiteral("Archivos borrados"));
  auto *columna = new QVBoxLayout(&dialogo);
  auto *etiqueta = new QLabel(
      QStringLiteral("Un archivo borrado vuelve mientras ningún otro ocupe sus bloques:"),
      &dialogo);
  etiqueta->setWordWrap(true);
  columna->addWidget(etiqueta);
  auto *lista = new QListWidget(&dialogo);
  lista->setObjectName(QStringLiteral("Lista"));
  lista->setFont(Estilo::Courier(9.75));
  Estilo::AmarilloSobreAzul(lista);
  for (const std::string &b : borrados) {
    auto *item = new QListWidgetItem(Utf8(b), lista);
    item->setToolTip(Utf8(b));
  }
  lista->setCurrentRow(0);
  columna->addWidget(lista);
  auto *botones = new QDialogButtonBox(&dialogo);
  QPushButton *recuperar =
      botones->addButton(QStringLiteral("Recuperar en el disco"), QDialogButtonBox::AcceptRole);
  recuperar->setObjectName(QStringLiteral("Recuperar"));
  recuperar->setEnabled(sePuedeRecuperar);
  QPushButton *extraer =
      botones->addButton(QStringLiteral("Extraer…"), QDialogButtonBox::AcceptRole);
  extraer->setObjectName(QStringLiteral("Extraer"));
  botones->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  bool aDisco = false;
  QObject::connect(recuperar, &QPushButton::clicked, &dialogo, [&] { aDisco = true; });
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  columna->addWidget(botones);
  dialogo.resize(lista->fontMetrics().horizontalAdvance(QString(60, u'0')) + 40, 320);
  if (dialogo.exec() != QDialog::Accepted || lista->currentRow() < 0)
    return std::nullopt;
  return BorradoElegido{static_cast<std::size_t>(lista->currentRow()), aDisco};
}

std::optional<Gestion::Dialogos::OpcionesPoner>
DialogosQt::PedirOpcionesPoner(const std::vector<std::string> &nombres,
                               const OpcionesPoner &inicial) {
  QDialog dialogo(padre_);
  dialogo.setObjectName(QStringLiteral("PonerArchivos"));
  dialogo.setWindowTitle(QStringLiteral("Poner archivos"));
  auto *formulario = new QFormLayout(&dialogo);
  auto *cuales = new QLabel(Utf8(Gestion::ArchivosQueVan(nombres)), &dialogo);
  cuales->setWordWrap(true);
  formulario->addRow(cuales);
  auto *tipo = new QComboBox(&dialogo);
  tipo->setObjectName(QStringLiteral("Tipo"));
  for (const Gestion::TipoOfrecido &t : Gestion::TiposPoner) {
    tipo->addItem(Utf8(t.texto), static_cast<int>(t.tipo));
    if (t.tipo == inicial.tipo)
      tipo->setCurrentIndex(tipo->count() - 1);
  }
  auto *carga = new QLineEdit(Utf8(inicial.carga), &dialogo);
  carga->setObjectName(QStringLiteral("Carga"));
  carga->setPlaceholderText(QStringLiteral("&4000"));
  auto *entrada = new QLineEdit(Utf8(inicial.entrada), &dialogo);
  entrada->setObjectName(QStringLiteral("Entrada"));
  entrada->setPlaceholderText(QStringLiteral("la de carga"));
  auto *usuario = new QSpinBox(&dialogo);
  usuario->setObjectName(QStringLiteral("Usuario"));
  usuario->setRange(0, 15);
  usuario->setValue(inicial.usuario);
  auto *soloLectura = new QCheckBox(QStringLiteral("Solo lectura"), &dialogo);
  soloLectura->setObjectName(QStringLiteral("SoloLectura"));
  soloLectura->setChecked(inicial.soloLectura);
  auto *sistema = new QCheckBox(QStringLiteral("Oculto (de sistema)"), &dialogo);
  sistema->setObjectName(QStringLiteral("Sistema"));
  sistema->setChecked(inicial.sistema);
  formulario->addRow(QStringLiteral("Tipo:"), tipo);
  formulario->addRow(QStringLiteral("Carga:"), carga);
  formulario->addRow(QStringLiteral("Ejecución:"), entrada);
  formulario->addRow(QStringLiteral("Usuario:"), usuario);
  formulario->addRow(soloLectura);
  formulario->addRow(sistema);
  // The addresses are a binary file's only.
  const auto binario = [tipo, carga, entrada] {
    const bool si = tipo->currentData().toInt() == static_cast<int>(cpm::TipoPoner::Binario);
    carga->setEnabled(si);
    entrada->setEnabled(si);
  };
  binario();
  QObject::connect(tipo, &QComboBox::currentIndexChanged, &dialogo, binario);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Poner"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  formulario->addRow(botones);
  if (dialogo.exec() != QDialog::Accepted)
    return std::nullopt;
  OpcionesPoner o;
  o.tipo = static_cast<cpm::TipoPoner>(tipo->currentData().toInt());
  o.carga = carga->text().trimmed().toStdString();
  o.entrada = entrada->text().trimmed().toStdString();
  o.usuario = usuario->value();
  o.soloLectura = soloLectura->isChecked();
  o.sistema = sistema->isChecked();
  return o;
}

namespace {

// The lines of a properties box that its width cuts (a long block list, a
// path) show whole in its tooltip, in the box's fixed-pitch letters.
class AyudaDeCortadas final : public QObject {
public:
  explicit AyudaDeCortadas(QPlainTextEdit *caja) : QObject(caja), caja_(caja) {
    caja->viewport()->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject *objeto, QEvent *evento) override {
    if (evento->type() != QEvent::ToolTip) {
      return QObject::eventFilter(objeto, evento);
    }
    const int margen = static_cast<int>(caja_->document()->documentMargin());
    const int columnas = std::max(0, caja_->viewport()->width() - 2 * margen) /
                         std::max(1, caja_->fontMetrics().horizontalAdvance(u'0'));
    const std::string ayuda =
        Texto::AyudaDeLineasCortadas(caja_->toPlainText().toStdString(),
                                     static_cast<std::size_t>(columnas), Gestion::ColumnaValor);
    if (ayuda.empty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(static_cast<QHelpEvent *>(evento)->globalPos(),
                         QStringLiteral("<pre>") + Utf8(ayuda).toHtmlEscaped() +
                             QStringLiteral("</pre>"),
                         caja_->viewport());
    }
    return true;
  }

private:
  QPlainTextEdit *caja_;
};

// The read-only text of a file's properties, in the disk's colours.
QPlainTextEdit *CajaDeTexto(QDialog &dialogo, const std::string &texto) {
  auto *caja = new QPlainTextEdit(Utf8(texto), &dialogo);
  caja->setObjectName(QStringLiteral("TextoPropiedades"));
  caja->setReadOnly(true);
  caja->setLineWrapMode(QPlainTextEdit::NoWrap);
  caja->setFont(Estilo::Courier(10));
  Estilo::AmarilloSobreAzul(caja);
  new AyudaDeCortadas(caja);
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

void DialogosQt::Informar(const std::string &mensaje) {
  QMessageBox caja(QMessageBox::Information, QStringLiteral("Alcove"), Utf8(mensaje),
                   QMessageBox::NoButton, padre_);
  caja.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
  caja.exec();
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

namespace {

QColor Color(const Gestion::ColorMapa &c) { return {c.r, c.g, c.b}; }

// The map's canvas: paints the boxes and texts Gestion::DibujarMapa gives,
// names the box under the pointer on `linea`, and closes its dialog with
// the box double-clicked.
class LienzoMapa final : public QWidget {
public:
  LienzoMapa(const Gestion::DibujoMapa &dibujo, QLabel &linea, QDialog &dialogo)
      : QWidget(&dialogo), dibujo_(dibujo), linea_(linea), dialogo_(dialogo) {
    setFixedSize(Gestion::AnchoMapa, Gestion::AltoMapa);
    setMouseTracking(true);
    setObjectName(QStringLiteral("MapaDisco"));
  }
  std::optional<Gestion::CeldaMapa> elegida;

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), Color(Gestion::FondoMapa));
    for (const Gestion::CeldaMapa &c : dibujo_.celdas) {
      p.fillRect(c.x, c.y, c.ancho, c.alto, Color(c.color));
    }
    p.setFont(Estilo::Courier(9));
    p.setPen(Color(Gestion::TextoMapa));
    const int alto = p.fontMetrics().height();
    for (const Gestion::RotuloMapa &r : dibujo_.rotulos) {
      int x = r.x;
      if (r.muestra) {
        p.fillRect(x, r.y + 2, alto - 4, alto - 4, Color(*r.muestra));
        x += alto;
      }
      p.drawText(x, r.y + p.fontMetrics().ascent(), Utf8(r.texto));
    }
  }
  void mouseMoveEvent(QMouseEvent *e) override {
    const Gestion::CeldaMapa *c =
        Gestion::CeldaEn(dibujo_, e->position().toPoint().x(), e->position().toPoint().y());
    linea_.setText(c != nullptr ? Utf8(c->texto) : QString());
  }
  void mouseDoubleClickEvent(QMouseEvent *e) override {
    const Gestion::CeldaMapa *c =
        Gestion::CeldaEn(dibujo_, e->position().toPoint().x(), e->position().toPoint().y());
    if (c != nullptr) {
      elegida = *c;
      dialogo_.accept();
    }
  }

private:
  const Gestion::DibujoMapa &dibujo_;
  QLabel &linea_;
  QDialog &dialogo_;
};

// Enter in the dump's box accepts its dialog ("Escribir"), as on Windows: a
// line break would move the columns the view reads.
class IntroAcepta final : public QObject {
public:
  explicit IntroAcepta(QDialog &dialogo) : QObject(&dialogo), dialogo_(dialogo) {}

protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() != QEvent::KeyPress) {
      return false;
    }
    const int tecla = static_cast<QKeyEvent *>(e)->key();
    if (tecla != Qt::Key_Return && tecla != Qt::Key_Enter) {
      return false;
    }
    dialogo_.accept();
    return true;
  }

private:
  QDialog &dialogo_;
};

} // namespace

std::optional<Gestion::CeldaMapa> DialogosQt::MostrarMapa(const std::string &titulo,
                                                          const Gestion::DibujoMapa &dibujo) {
  QDialog dialogo(padre_);
  dialogo.setWindowTitle(Utf8(titulo));
  auto *columna = new QVBoxLayout(&dialogo);
  auto *linea = new QLabel(QStringLiteral("Doble clic en un sector: verlo y cambiarlo"), &dialogo);
  linea->setObjectName(QStringLiteral("SectorBajoPuntero"));
  linea->setFont(Estilo::Courier(10));
  auto *lienzo = new LienzoMapa(dibujo, *linea, dialogo);
  columna->addWidget(lienzo);
  columna->addWidget(linea);
  auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok, &dialogo);
  BotonesEnEspanol(*botones, QStringLiteral("Cerrar"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::reject);
  columna->addWidget(botones);
  columna->setSizeConstraint(QLayout::SetFixedSize);
  dialogo.exec();
  return lienzo->elegida;
}

std::optional<std::string> DialogosQt::EditarSector(const std::string &titulo,
                                                    const std::string &cabecera,
                                                    const std::string &volcado, bool soloLeer) {
  QDialog dialogo(padre_);
  dialogo.setWindowTitle(Utf8(titulo));
  auto *columna = new QVBoxLayout(&dialogo);
  auto *arriba = new QLabel(Utf8(cabecera), &dialogo);
  arriba->setWordWrap(true);
  columna->addWidget(arriba);
  QPlainTextEdit *caja = CajaDeTexto(dialogo, volcado);
  caja->setObjectName(QStringLiteral("VolcadoSector"));
  caja->setReadOnly(soloLeer);
  // Typing replaces what is under the cursor, as hex editors do.
  caja->setOverwriteMode(true);
  caja->setTabChangesFocus(true);
  caja->installEventFilter(new IntroAcepta(dialogo));
  columna->addWidget(caja);
  auto *botones = new QDialogButtonBox(
      soloLeer ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
  BotonesEnEspanol(*botones, soloLeer ? QStringLiteral("Cerrar") : QStringLiteral("Escribir"));
  QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
  QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
  columna->addWidget(botones);
  dialogo.resize(caja->fontMetrics().horizontalAdvance(QString(76, u'0')) + 40, 480);
  if (dialogo.exec() != QDialog::Accepted || soloLeer) {
    return std::nullopt;
  }
  return caja->toPlainText().toStdString();
}
