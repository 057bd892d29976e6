#include "platform/LecturaArchivo.h"

#include "platform/ArchivoNativo.h"
#include "platform/Errores.h"
#include "platform/Rutas.h"

#include <algorithm>

namespace Plataforma {
namespace {

// Closes the host file it holds when it goes.
class Retenido {
public:
  explicit Retenido(Nativo::Manejador m) : m_(m) {}
  ~Retenido() { Nativo::Soltar(m_); }
  Retenido(const Retenido &) = delete;
  Retenido &operator=(const Retenido &) = delete;
  [[nodiscard]] Nativo::Manejador Get() const { return m_; }

private:
  Nativo::Manejador m_;
};

// Opens `ruta` for reading (never waiting on a FIFO named like an image) and
// reads from its start (or `desde`) up to `largo` bytes, or its whole length when `entero`,
// into `destino`. Returns an Errores number.
std::int16_t Leer(const std::string &ruta, bool entero, std::uintmax_t largo,
                  std::vector<std::uint8_t> &destino, std::uintmax_t *tamano,
                  std::uint64_t desde = 0) {
  // `destino` keeps its size until the read: a buffer reused from file to
  // file (find reads the start of thousands) is not filled with zeros first.
  if (ContieneNulo(ruta)) {
    destino.clear();
    return Errores::NombreArchivoIncorrecto;
  }
  try {
    const Nativo::Abierto abierto = Nativo::Abrir(ruta, Acceso::Lectura);
    const Retenido archivo(abierto.manejador);
    if (tamano != nullptr) {
      *tamano = static_cast<std::uintmax_t>(abierto.longitud);
    }
    if (entero) {
      if (abierto.tipo != Nativo::Tipo::Regular) {
        destino.clear();
        return Errores::ArchivoNoEncontrado;
      }
      if (static_cast<std::uintmax_t>(abierto.longitud) > largo) {
        destino.clear();
        return Errores::ArgumentoNoValido;
      }
      largo = static_cast<std::uintmax_t>(abierto.longitud);
    } else if (abierto.tipo == Nativo::Tipo::Regular) {
      // A start longer than the file needs no room past its end.
      largo = std::min(largo, static_cast<std::uintmax_t>(abierto.longitud));
    }
    // Anything but a regular file fails to read at an offset, so nothing can
    // hang; a file cut short meanwhile gives what it still holds.
    destino.resize(static_cast<std::size_t>(largo));
    destino.resize(Nativo::LeerEn(archivo.Get(), static_cast<std::int64_t>(desde), destino.data(),
                                  destino.size()));
    return Errores::Ninguno;
  } catch (const ErrorAlcove &e) {
    destino.clear();
    return e.Numero();
  }
}

} // namespace

std::int16_t LeerArchivoEntero(const std::string &ruta, std::uintmax_t limite,
                               std::vector<std::uint8_t> &destino) {
  return Leer(ruta, true, limite, destino, nullptr);
}

std::int16_t LeerPrincipioArchivo(const std::string &ruta, std::size_t largo,
                                  std::vector<std::uint8_t> &destino, std::uintmax_t *tamano) {
  return Leer(ruta, false, largo, destino, tamano);
}

std::int16_t LeerTramoArchivo(const std::string &ruta, std::uint64_t desde, std::size_t largo,
                              std::vector<std::uint8_t> &destino) {
  return Leer(ruta, false, largo, destino, nullptr, desde);
}

std::string QueEs(const std::string &ruta) {
  switch (Clase(ruta)) {
  case ClaseArchivo::Carpeta: return "es una carpeta";
  case ClaseArchivo::Fifo: return "es un FIFO";
  case ClaseArchivo::Dispositivo: return "es un dispositivo";
  case ClaseArchivo::Socket: return "es un socket";
  default: return {};
  }
}

} // namespace Plataforma
