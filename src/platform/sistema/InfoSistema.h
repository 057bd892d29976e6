#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Plataforma {

// One object of the operating-system information service: named text properties,
// each of which may be null. Reading a property the object does not have fails.
class ObjetoSistema {
public:
  ObjetoSistema() = default;
  ObjetoSistema(std::optional<std::string> caption, std::optional<std::string> version,
                std::optional<std::string> serialNumber);

  // The property's text, or nullopt when it is null. Throws ErrorAlcove when the
  // object has no property of that name.
  [[nodiscard]] std::optional<std::string> Propiedad(std::string_view nombre) const;
  void PonerPropiedad(std::string nombre, std::optional<std::string> valor);

private:
  std::map<std::string, std::optional<std::string>, std::less<>> propiedades_;
};

// The information service: the operating systems of the host, each an object with
// the properties "Caption", "Version" and "SerialNumber". Any call may throw.
class ServicioInfoSistema {
public:
  virtual ~ServicioInfoSistema() = default;
  [[nodiscard]] virtual std::vector<ObjetoSistema> SistemasOperativos() const = 0;
};

// The host's own service.
[[nodiscard]] std::unique_ptr<ServicioInfoSistema> CrearInfoSistemaHost();

// Splits the text of an os-release file into its KEY=value pairs, with shell
// quoting and backslash escapes undone. Malformed lines are skipped.
[[nodiscard]] std::map<std::string, std::string> LeerOsRelease(std::string_view texto);

// (Posix hosts, which have no serial number of their own to show.)
// The serial number Alcove shows for a machine: a salted digest of the machine id,
// as five groups of four hex digits. The machine id itself cannot be read back
// from it. Empty for an empty id.
[[nodiscard]] std::string NumeroSerieAlcove(std::string_view idMaquina);

} // namespace Plataforma
