#include "cli/Comprimidos.h"

#include "cli/Imagen.h"

#include "comprimidos/Zip.h"
#include "cpm/Disco.h"
#include "disk/Formato.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace Cli {
namespace {

constexpr std::uint64_t kLimite = cpm::TamanoMaximoArchivo;
// A .gz of an image that does not compress at all is a little larger than it.
constexpr std::uint64_t kLimiteGz = kLimite + kLimite / 64 + 64 * 1024;

// A zip's directory with its members found by name.
struct ZipLeido {
  Plataforma::EstadoArchivo estado;
  comprimidos::Directorio directorio;
  std::unordered_map<std::string, std::size_t> porNombre;
};

// The central directory read from the file: its tail, then the directory
// itself when the tail does not hold it.
comprimidos::Directorio LeerDirectorioZip(const std::string &zip, std::uint64_t tamano) {
  std::vector<std::uint8_t> cola;
  const std::size_t largoCola =
      static_cast<std::size_t>(std::min<std::uint64_t>(tamano, comprimidos::kColaMaxima));
  std::int16_t error = Plataforma::LeerTramoArchivo(zip, tamano - largoCola, largoCola, cola);
  comprimidos::Directorio d;
  if (error != Errores::Ninguno || cola.size() != largoCola) {
    d.error = error != Errores::Ninguno ? Errores::Mensaje(error) : "cambió mientras se leía";
    return d;
  }
  const comprimidos::FinDirectorio fin = comprimidos::LeerFin(cola, tamano);
  if (!fin.error.empty()) {
    return comprimidos::LeerDirectorio({}, fin);
  }
  const std::uint64_t inicioCola = tamano - largoCola;
  if (fin.posicion >= inicioCola) {
    const std::span<const std::uint8_t> todo(cola);
    return comprimidos::LeerDirectorio(
        todo.subspan(static_cast<std::size_t>(fin.posicion - inicioCola),
                     static_cast<std::size_t>(fin.tamano)),
        fin);
  }
  std::vector<std::uint8_t> bytes;
  error =
      Plataforma::LeerTramoArchivo(zip, fin.posicion, static_cast<std::size_t>(fin.tamano), bytes);
  if (error != Errores::Ninguno) {
    d.error = Errores::Mensaje(error);
    return d;
  }
  return comprimidos::LeerDirectorio(bytes, fin);
}

// Directories already read, by the zip's path: `find` reads each member of a
// collection by name, and the directory must be read once, not once a member.
// An entry is read again when its file's size or time has changed.
class Cls_Directorios {
public:
  std::shared_ptr<const ZipLeido> Obtener(const std::string &zip,
                                          const Plataforma::EstadoArchivo &estado) {
    {
      const std::lock_guard<std::mutex> cierre(mutex_);
      const auto it = leidos_.find(zip);
      if (it != leidos_.end() && it->second->estado == estado) {
        return it->second;
      }
    }
    auto nuevo = std::make_shared<ZipLeido>();
    nuevo->estado = estado;
    nuevo->directorio = LeerDirectorioZip(zip, estado.tamano);
    for (std::size_t i = 0; i < nuevo->directorio.miembros.size(); ++i) {
      nuevo->porNombre.emplace(nuevo->directorio.miembros[i].ruta, i);
    }
    const std::lock_guard<std::mutex> cierre(mutex_);
    leidos_[zip] = nuevo;
    return nuevo;
  }

private:
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const ZipLeido>> leidos_;
};

Cls_Directorios &Directorios() {
  static Cls_Directorios directorios;
  return directorios;
}

struct RutaEnZip {
  std::string zip;
  std::string miembro;
  Plataforma::EstadoArchivo estado;
};

// Zips name their folders with '/'; Windows users may write '\\' as well.
#if defined(_WIN32)
constexpr const char *kSeparadores = "/\\";
#else
constexpr const char *kSeparadores = "/";
#endif

// "a/b.zip/c/d.dsk" is a member when "a/b.zip" is a file; a folder named so
// is only a folder. The first such file along the path is the zip.
std::optional<RutaEnZip> PartirRuta(const std::string &ruta) {
  for (std::size_t barra = ruta.find_first_of(kSeparadores); barra != std::string::npos;
       barra = ruta.find_first_of(kSeparadores, barra + 1)) {
    const std::string_view antes(ruta.data(), barra);
    if (!comprimidos::EsNombreZip(antes)) {
      continue;
    }
    RutaEnZip r;
    r.zip.assign(antes);
    if (Plataforma::LeerEstadoArchivo(r.zip, r.estado) == Errores::Ninguno) {
      r.miembro = ruta.substr(barra + 1);
#if defined(_WIN32)
      std::replace(r.miembro.begin(), r.miembro.end(), '\\', '/');
#endif
      return r;
    }
  }
  return std::nullopt;
}

// The member's data from the file: its local header, then at most `largo`
// compressed bytes after it.
std::string LeerDatos(const std::string &zip, const comprimidos::Miembro &m, std::uint64_t largo,
                      std::vector<std::uint8_t> &datos) {
  constexpr std::size_t kHolgura = 1024; // name and extra field of the local header, mostly
  const std::size_t pedido = static_cast<std::size_t>(largo) + 30 + kHolgura;
  std::int16_t fallo = Plataforma::LeerTramoArchivo(zip, m.posicionCabecera, pedido, datos);
  if (fallo != Errores::Ninguno) {
    return Errores::Mensaje(fallo);
  }
  std::string error;
  const std::uint64_t inicio = comprimidos::InicioDatos(datos, error);
  if (!error.empty()) {
    return error;
  }
  if (inicio + largo <= datos.size()) {
    datos.erase(datos.begin(), datos.begin() + static_cast<std::ptrdiff_t>(inicio));
    datos.resize(static_cast<std::size_t>(largo));
    return {};
  }
  fallo = Plataforma::LeerTramoArchivo(zip, m.posicionCabecera + inicio,
                                       static_cast<std::size_t>(largo), datos);
  return fallo == Errores::Ninguno ? std::string() : Errores::Mensaje(fallo);
}

// Deflate seldom needs more input than it gives output; this much is tried
// first for a start, the whole member when it was not enough.
std::uint64_t EntradaParaPrincipio(std::size_t primeros) {
  return primeros == comprimidos::kTodo ? primeros : std::uint64_t{primeros} * 2 + 4096;
}

std::string CargarMiembro(const RutaEnZip &r, std::size_t primeros,
                          std::vector<std::uint8_t> &bytes, std::uintmax_t &tamano) {
  bytes.clear();
  const auto leido = Directorios().Obtener(r.zip, r.estado);
  // A directory damaged further on still gives the members before the damage.
  const auto it = leido->porNombre.find(r.miembro);
  if (it == leido->porNombre.end()) {
    return leido->directorio.error.empty() ? "no está en " + r.zip
                                           : r.zip + ": " + leido->directorio.error;
  }
  const comprimidos::Miembro &m = leido->directorio.miembros[it->second];
  tamano = m.tamano;
  std::string error = comprimidos::MotivoIlegible(m, kLimite);
  if (!error.empty()) {
    return error;
  }
  thread_local std::vector<std::uint8_t> datos;
  if (m.posicionCabecera >= r.estado.tamano) {
    return "cabecera local fuera del archivo: zip cortado";
  }
  // Never more than the file holds, whatever the member claims.
  const std::uint64_t guardados =
      std::min(m.tamanoComprimido, r.estado.tamano - m.posicionCabecera);
  const std::uint64_t tanteo = std::min(guardados, EntradaParaPrincipio(primeros));
  error = LeerDatos(r.zip, m, tanteo, datos);
  if (error.empty()) {
    error = comprimidos::Extraer(datos, m, kLimite, bytes, primeros);
  }
  if (!error.empty() && tanteo < guardados) {
    error = LeerDatos(r.zip, m, guardados, datos);
    if (error.empty()) {
      error = comprimidos::Extraer(datos, m, kLimite, bytes, primeros);
    }
  }
  if (datos.capacity() > 1024 * 1024) {
    std::vector<std::uint8_t>().swap(datos); // a thread keeps no large buffer between members
  }
  return error;
}

std::string CargarGz(const std::string &ruta, std::size_t primeros,
                     std::vector<std::uint8_t> &bytes) {
  std::vector<std::uint8_t> gz;
  const std::int16_t error = Plataforma::LeerArchivoEntero(ruta, kLimiteGz, gz);
  if (error == Errores::ArgumentoNoValido) {
    return "demasiado grande para ser una imagen de disco comprimida";
  }
  if (error != Errores::Ninguno) {
    return MotivoLectura(ruta, error);
  }
  return comprimidos::LeerGz(gz, kLimite, bytes, primeros);
}

std::string Cargar(const std::string &ruta, std::size_t primeros, std::vector<std::uint8_t> &bytes,
                   std::uintmax_t &tamano) {
  if (const auto enZip = PartirRuta(ruta)) {
    return CargarMiembro(*enZip, primeros, bytes, tamano);
  }
  if (comprimidos::EsNombreGz(ruta)) {
    std::string error = CargarGz(ruta, primeros, bytes);
    tamano = bytes.size();
    return error;
  }
  if (comprimidos::EsNombreZip(ruta)) {
    bytes.clear();
    Plataforma::EstadoArchivo estado;
    if (Plataforma::LeerEstadoArchivo(ruta, estado) == Errores::Ninguno) {
      return "es un archivo zip; nombre una imagen de dentro: " + ruta + "/NOMBRE.dsk";
    }
  }
  const std::int16_t error = primeros == comprimidos::kTodo
                                 ? Plataforma::LeerArchivoEntero(ruta, kLimite, bytes)
                                 : Plataforma::LeerPrincipioArchivo(ruta, primeros, bytes, &tamano);
  return MotivoLectura(ruta, error);
}

} // namespace

std::string CargarImagen(const std::string &ruta, std::vector<std::uint8_t> &bytes) {
  std::uintmax_t tamano = 0;
  return Cargar(ruta, comprimidos::kTodo, bytes, tamano);
}

std::string CargarPrincipio(const std::string &ruta, std::size_t largo,
                            std::vector<std::uint8_t> &bytes, std::uintmax_t *tamano) {
  std::uintmax_t total = 0;
  std::string error = Cargar(ruta, largo, bytes, total);
  if (tamano != nullptr) {
    *tamano = total;
  }
  return error;
}

bool EsRutaComprimida(const std::string &ruta) {
  return comprimidos::EsNombreGz(ruta) || comprimidos::EsNombreZip(ruta) ||
         PartirRuta(ruta).has_value();
}

std::string MotivoRutaComprimida() {
  return "las imágenes dentro de un .zip o un .gz solo se leen; descomprímala para cambiarla";
}

bool EsNombreZip(std::string_view nombre) { return comprimidos::EsNombreZip(nombre); }

bool EsNombreImagenGz(std::string_view nombre) {
  return comprimidos::EsNombreGz(nombre) &&
         Formato::EsNombreDeImagen(nombre.substr(0, nombre.size() - 3));
}

std::string ImagenesDeZip(const std::string &zip,
                          const std::function<bool(const std::string &)> &alEncontrar,
                          const std::function<void(const std::string &)> &alAnidado) {
  Plataforma::EstadoArchivo estado;
  const std::int16_t fallo = Plataforma::LeerEstadoArchivo(zip, estado);
  if (fallo != Errores::Ninguno) {
    return Errores::Mensaje(fallo);
  }
  const auto leido = Directorios().Obtener(zip, estado);
  for (const comprimidos::Miembro &m : leido->directorio.miembros) {
    if (m.EsCarpeta()) {
      continue;
    }
    if (Formato::EsNombreDeImagen(m.ruta)) {
      if (!alEncontrar(zip + "/" + m.ruta)) {
        return {};
      }
    } else if (comprimidos::EsNombreZip(m.ruta) && alAnidado) {
      alAnidado(zip + "/" + m.ruta);
    }
  }
  return leido->directorio.error;
}

std::vector<std::string> ExpandirZips(const std::vector<std::string> &rutas, int &salida) {
  std::vector<std::string> imagenes;
  for (const std::string &ruta : rutas) {
    Plataforma::EstadoArchivo estado;
    if (!comprimidos::EsNombreZip(ruta) ||
        Plataforma::LeerEstadoArchivo(ruta, estado) != Errores::Ninguno) {
      imagenes.push_back(ruta);
      continue;
    }
    const std::size_t antes = imagenes.size();
    std::string error = ImagenesDeZip(ruta,
                                      [&imagenes](const std::string &imagen) {
                                        imagenes.push_back(imagen);
                                        return true;
                                      },
                                      {});
    if (error.empty() && imagenes.size() == antes) {
      error = "no guarda ninguna imagen de disco (*.dsk)";
    }
    if (!error.empty()) {
      AvisarError(ruta, error);
      salida = kSalidaFallo;
    }
  }
  return imagenes;
}

} // namespace Cli
