#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

// Drop-down list of the host's drives. On Linux these are "/" and the mounted
// volumes that are folders; on Windows the drive roots. Every text it offers is a
// path that a folder list accepts, and takes it to that drive's current folder.
// The drives come from CarpetasUnidad::Unidades.
class ListaUnidades : public QComboBox {
  Q_OBJECT

public:
  explicit ListaUnidades(QWidget *padre = nullptr);

  // The selected drive's text.
  [[nodiscard]] QString Drive() const { return currentText(); }
  // Selects the drive that holds `ruta` (the deepest volume root above it).
  void SetDrive(const QString &ruta);
  // Puts the selection back to the drive chosen before the last change, without
  // raising Change: for a change whose handler failed.
  void DeshacerCambio();

  // The host's drives as this list offers them, in order.
  [[nodiscard]] static QStringList UnidadesDelSistema();
  // The drive among `unidades` that holds `ruta`.
  [[nodiscard]] static QString UnidadDe(const QString &ruta, const QStringList &unidades);

signals:
  // The selected drive changed, by the user or by the program.
  void Change();

protected:
  // Reads the drives again each time the list opens; volumes come and go.
  void showPopup() override;

private:
  void Rellenar(const QString &seleccion);
  void AlCambiarIndice(int indice);

  QString anterior_;
  QString actual_;
  bool rellenando_ = false;
};
