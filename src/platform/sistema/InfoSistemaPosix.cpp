#include "platform/sistema/InfoSistema.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QSysInfo>

namespace Plataforma {
namespace {

std::map<std::string, std::string> OsReleaseDelHost() {
  for (const char *ruta : {"/etc/os-release", "/usr/lib/os-release"}) {
    QFile fichero(QString::fromLatin1(ruta));
    if (fichero.open(QIODevice::ReadOnly)) {
      const QByteArray datos = fichero.read(64 * 1024);
      return LeerOsRelease(
          std::string_view(datos.constData(), static_cast<std::size_t>(datos.size())));
    }
  }
  return {};
}

std::optional<std::string> Valor(const std::map<std::string, std::string> &pares,
                                 const char *clave) {
  const auto it = pares.find(clave);
  if (it == pares.end() || it->second.empty()) {
    return std::nullopt;
  }
  return it->second;
}

std::optional<std::string> NoDesconocido(const QString &texto) {
  if (texto.isEmpty() || texto == QLatin1String("unknown")) {
    return std::nullopt;
  }
  return texto.toStdString();
}

// One object for the running system. The caption is the distribution's name,
// the version its release number followed by the kernel's, and the serial number
// Alcove's own digest of the machine id.
class InfoSistemaPosix final : public ServicioInfoSistema {
public:
  [[nodiscard]] std::vector<ObjetoSistema> SistemasOperativos() const override {
    const auto osRelease = OsReleaseDelHost();

    auto caption = Valor(osRelease, "PRETTY_NAME");
    if (!caption) {
      caption = Valor(osRelease, "NAME");
    }
    if (!caption) {
      caption = NoDesconocido(QSysInfo::prettyProductName());
    }

    auto version = Valor(osRelease, "VERSION_ID");
    if (!version) {
      version = NoDesconocido(QSysInfo::productVersion());
    }
    const auto nucleo = NoDesconocido(QSysInfo::kernelVersion());
    if (nucleo) {
      QString tipo = QSysInfo::kernelType(); // "linux", "freebsd", "darwin"...
      if (!tipo.isEmpty()) {
        tipo[0] = tipo[0].toUpper();
      }
      const std::string conNucleo = tipo.toStdString() + " " + *nucleo;
      version = version ? *version + " (" + conNucleo + ")" : conNucleo;
    }

    std::optional<std::string> serie;
    const QByteArray id = QSysInfo::machineUniqueId();
    if (!id.isEmpty()) {
      serie =
          NumeroSerieAlcove(std::string_view(id.constData(), static_cast<std::size_t>(id.size())));
    }
    return {ObjetoSistema(std::move(caption), std::move(version), std::move(serie))};
  }
};

} // namespace

std::string NumeroSerieAlcove(std::string_view idMaquina) {
  if (idMaquina.empty()) {
    return {};
  }
  // The salt ties the result to Alcove, so it matches no other program's
  // identifier and the machine id cannot be looked up from it.
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(QByteArrayView("Alcove/numero-de-serie/1\n"));
  hash.addData(QByteArrayView(idMaquina.data(), static_cast<qsizetype>(idMaquina.size())));
  const QByteArray hex = hash.result().toHex().toUpper();
  std::string serie;
  for (int grupo = 0; grupo < 5; ++grupo) {
    if (grupo > 0) {
      serie += '-';
    }
    serie.append(hex.constData() + grupo * 4, 4);
  }
  return serie;
}

std::unique_ptr<ServicioInfoSistema> CrearInfoSistemaHost() {
  return std::make_unique<InfoSistemaPosix>();
}

} // namespace Plataforma
