// The other end of a drag and drop, for the end-to-end test, since no file
// manager may be assumed: "recibir CARPETA X Y" shows a window at (X, Y) that
// copies the local files dropped on it into CARPETA; "enviar X Y ARCHIVO..."
// shows one that drags those files when the mouse is pressed and moved on it.
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class Destino : public QWidget {
public:
  explicit Destino(QString carpeta) : carpeta_(std::move(carpeta)) {
    setWindowTitle(QStringLiteral("Destino de prueba"));
    setAcceptDrops(true);
  }

protected:
  void dragEnterEvent(QDragEnterEvent *e) override {
    if (e->mimeData()->hasUrls())
      e->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent *e) override { e->acceptProposedAction(); }
  void dropEvent(QDropEvent *e) override {
    for (const QUrl &url : e->mimeData()->urls()) {
      const QString origen = url.toLocalFile();
      const QString copia = carpeta_ + QStringLiteral("/") + QFileInfo(origen).fileName();
      std::printf("%s\n", QFile::copy(origen, copia) ? "copiado" : "no copiado");
    }
    std::fflush(stdout);
    e->acceptProposedAction();
  }

private:
  QString carpeta_;
};

class Origen : public QWidget {
public:
  explicit Origen(QList<QUrl> urls) : urls_(std::move(urls)) {
    setWindowTitle(QStringLiteral("Origen de prueba"));
  }

protected:
  void mousePressEvent(QMouseEvent *e) override { pulsado_ = e->position().toPoint(); }
  void mouseMoveEvent(QMouseEvent *e) override {
    if ((e->buttons() & Qt::LeftButton) == 0 ||
        (e->position().toPoint() - pulsado_).manhattanLength() < QApplication::startDragDistance())
      return;
    auto *datos = new QMimeData;
    datos->setUrls(urls_);
    auto *arrastre = new QDrag(this);
    arrastre->setMimeData(datos);
    arrastre->exec(Qt::CopyAction);
  }

private:
  QList<QUrl> urls_;
  QPoint pulsado_;
};

} // namespace

int main(int argc, char **argv) {
  QApplication aplicacion(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 5)
    return 2;
  std::unique_ptr<QWidget> ventana;
  if (args[1] == QLatin1String("recibir")) {
    ventana = std::make_unique<Destino>(args[2]);
  } else {
    QList<QUrl> urls;
    for (qsizetype i = 4; i < args.size(); ++i)
      urls << QUrl::fromLocalFile(args[i]);
    ventana = std::make_unique<Origen>(urls);
  }
  const int primero = args[1] == QLatin1String("recibir") ? 3 : 2;
  ventana->setGeometry(args[primero].toInt(), args[primero + 1].toInt(), 240, 120);
  ventana->setStyleSheet(QStringLiteral("background: white"));
  ventana->show();
  return QApplication::exec();
}
