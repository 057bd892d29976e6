#include "imagenes/Fuente.h"

#include "comprimidos/Zip.h"
#include "imagenes/Tipos.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace imagenes {
namespace {

constexpr std::uint64_t kLimite = TamanoMaximoArchivo;
// A .gz of an image that does not compress at all is a little larger than it.
constexpr std::uint64_t kLimiteGz = kLimite + kLimite / 64 + 64 * 1024;

// The reading under way (EmpezarLectura).
std::atomic<std::uint64_t> lecturaActual{0};

// A zip's directory with its members found by name, and what the reading
// under way has inflated of it so far.
struct ZipLeido {
  Plataforma::EstadoArchivo estado;
  comprimidos::Directorio directorio;
  // The first member of each name; names held by more than one, and how many.
  std::unordered_map<std::string_view, std::uint32_t> porNombre;
  std::unordered_map<std::string_view, std::uint32_t> repetidos;
  std::size_t memoria = 0; // roughly what all this takes
  std::uint64_t presupuesto = 0;
  mutable std::mutex mutexGasto;
  mutable std::uint64_t lectura = 0; // the reading `inflado` counts for
  mutable std::uint64_t inflado = 0;

  // Takes `bytes` from the reading's budget; false when they are not left.
  bool Gastar(std::uint64_t bytes) const {
    const std::lock_guard<std::mutex> cierre(mutexGasto);
    if (const std::uint64_t actual = lecturaActual.load(); lectura != actual) {
      lectura = actual;
      inflado = 0;
    }
    if (bytes > presupuesto - inflado) {
      return false;
    }
    inflado += bytes;
    return true;
  }
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

// The directories of one run, by the file they were read from (its device
// and inode, so one zip under many names is read once; a file changed since
// is read again). `find` reads each member of a collection by name, so a
// directory must be read once, not once a member; but a walk through
// thousands of zips must not keep them all. A directory stays while someone
// holds it (the walk listing it, a member being read), and the last ones read
// stay a while for the members still on their way: the newest always, others
// while they take under kMemoriaRecientes together.
class Cls_Directorios {
public:
  std::shared_ptr<const ZipLeido> Obtener(const std::string &zip,
                                          const Plataforma::EstadoArchivo &estado) {
    {
      const std::lock_guard<std::mutex> cierre(mutex_);
      const auto it = vivos_.find(estado);
      if (auto vivo = it != vivos_.end() ? it->second.lock() : nullptr) {
        Recordar(vivo);
        return vivo;
      }
    }
    auto nuevo = std::make_shared<ZipLeido>();
    nuevo->estado = estado;
    nuevo->directorio = LeerDirectorioZip(zip, estado.tamano);
    nuevo->presupuesto = comprimidos::PresupuestoInflado(estado.tamano);
    Indexar(*nuevo);
    const std::lock_guard<std::mutex> cierre(mutex_);
    std::erase_if(vivos_, [](const auto &v) { return v.second.expired(); });
    vivos_[estado] = nuevo;
    Recordar(nuevo);
    return nuevo;
  }

private:
  static constexpr std::size_t kMemoriaRecientes = 16 << 20;

  static void Indexar(ZipLeido &z) {
    const auto &miembros = z.directorio.miembros;
    z.porNombre.reserve(miembros.size());
    z.memoria = sizeof z + miembros.capacity() * sizeof(comprimidos::Miembro);
    for (std::uint32_t i = 0; i < miembros.size(); ++i) {
      const std::string_view nombre = miembros[i].ruta;
      if (!z.porNombre.emplace(nombre, i).second) {
        ++z.repetidos.try_emplace(nombre, 1).first->second;
      }
      z.memoria += miembros[i].ruta.capacity() + 4 * sizeof(void *);
    }
  }

  // The newest at the back; the oldest go while they take too much.
  void Recordar(const std::shared_ptr<const ZipLeido> &z) {
    if (!recientes_.empty() && recientes_.back() == z) {
      return;
    }
    const auto ya = std::find(recientes_.begin(), recientes_.end(), z);
    if (ya != recientes_.end()) {
      memoriaRecientes_ -= (*ya)->memoria;
      recientes_.erase(ya);
    }
    recientes_.push_back(z);
    memoriaRecientes_ += z->memoria;
    while (recientes_.size() > 1 && memoriaRecientes_ > kMemoriaRecientes) {
      memoriaRecientes_ -= recientes_.front()->memoria;
      recientes_.pop_front();
    }
  }

  std::mutex mutex_;
  std::map<Plataforma::EstadoArchivo, std::weak_ptr<const ZipLeido>> vivos_;
  std::deque<std::shared_ptr<const ZipLeido>> recientes_;
  std::size_t memoriaRecientes_ = 0;
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

char Minuscula(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Minuscula(x) == Minuscula(y);
         });
}

// The member `nombre` names: its own, or else the one name that differs from
// it only in letter case, as names on a disk are found. Null, with the reason
// in `error`, when there is none or more than one.
const comprimidos::Miembro *Buscar(const ZipLeido &z, const std::string &zip,
                                   const std::string &nombre, std::string &error) {
  const auto &miembros = z.directorio.miembros;
  if (const auto it = z.porNombre.find(nombre); it != z.porNombre.end()) {
    return &miembros[it->second];
  }
  std::vector<std::uint32_t> cerca;
  for (const auto &[otro, i] : z.porNombre) {
    if (IgualSinMayusculas(otro, nombre)) {
      cerca.push_back(i);
    }
  }
  if (cerca.size() == 1) {
    return &miembros[cerca[0]];
  }
  // A directory damaged further on still gives the members before the damage.
  error = !z.directorio.error.empty() ? zip + ": " + z.directorio.error : "no está en " + zip;
  std::sort(cerca.begin(), cerca.end());
  for (std::size_t k = 0; k < cerca.size(); ++k) {
    error += k == 0 ? "; con otras mayúsculas hay " : k + 1 == cerca.size() ? " y " : ", ";
    error += miembros[cerca[k]].ruta;
  }
  return nullptr;
}

std::string CargarMiembro(const RutaEnZip &r, std::size_t primeros,
                          std::vector<std::uint8_t> &bytes, std::uintmax_t &tamano) {
  bytes.clear();
  const auto leido = Directorios().Obtener(r.zip, r.estado);
  std::string error;
  const comprimidos::Miembro *encontrado = Buscar(*leido, r.zip, r.miembro, error);
  if (encontrado == nullptr) {
    return error;
  }
  const comprimidos::Miembro &m = *encontrado;
  tamano = m.tamano;
  error = comprimidos::MotivoCompartido(leido->directorio, m);
  if (error.empty()) {
    error = comprimidos::MotivoIlegible(m, kLimite);
  }
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
  // Each inflation is paid from the zip's budget first.
  bool agotado = false;
  const auto intentar = [&](std::uint64_t largo) {
    std::string fallo = LeerDatos(r.zip, m, largo, datos);
    if (!fallo.empty()) {
      return fallo;
    }
    if (!leido->Gastar(std::min<std::uint64_t>(m.tamano, primeros))) {
      agotado = true;
      return "presupuesto de descompresión del zip agotado (" +
             comprimidos::TextoTamano(leido->presupuesto) +
             ": dos veces lo más que deflate saca de sus " +
             comprimidos::TextoTamano(leido->estado.tamano) +
             ", y 16 MiB más); sus datos se leen una y otra vez: posible bomba zip";
    }
    return comprimidos::Extraer(datos, m, kLimite, bytes, primeros);
  };
  error = intentar(tanteo);
  if (!error.empty() && !agotado && tanteo < guardados) {
    error = intentar(guardados);
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

std::string MotivoLectura(const std::string &ruta, std::int16_t error) {
  if (error == Errores::Ninguno) {
    return {};
  }
  // The reader takes only regular files: anything else is named for what it is.
  const std::string que = error == Errores::ArchivoNoEncontrado ? Plataforma::QueEs(ruta) : "";
  return error == Errores::ArgumentoNoValido ? "demasiado grande para ser una imagen de disco"
         : !que.empty()                      ? que + ", no una imagen de disco"
                                             : Errores::TrasDosPuntos(Errores::Mensaje(error));
}

std::string CargarImagen(const std::string &ruta, std::vector<std::uint8_t> &bytes,
                         Plataforma::HuellaArchivo *huella) {
  if (huella != nullptr && !EsRutaComprimida(ruta)) {
    return MotivoLectura(ruta, Plataforma::LeerParaReemplazar(ruta, kLimite, bytes, *huella));
  }
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

void EmpezarLectura() { ++lecturaActual; }

bool EsRutaComprimida(const std::string &ruta) {
  return comprimidos::EsNombreGz(ruta) || comprimidos::EsNombreZip(ruta) ||
         PartirRuta(ruta).has_value();
}

bool EsMiembroDeZip(const std::string &ruta) { return PartirRuta(ruta).has_value(); }

std::string MotivoRutaComprimida() {
  return "las imágenes dentro de un .zip o un .gz solo se leen; descomprímala para cambiarla";
}

bool EsNombreZip(std::string_view nombre) { return comprimidos::EsNombreZip(nombre); }

bool EsNombreImagenGz(std::string_view nombre) {
  return comprimidos::EsNombreGz(nombre) && EsNombreDeImagen(nombre.substr(0, nombre.size() - 3));
}

std::string ImagenesDeZip(const std::string &zip,
                          const std::function<bool(const std::string &)> &alEncontrar,
                          const std::function<void(const std::string &)> &alAnidado,
                          const AlOculto &alOculto) {
  Plataforma::EstadoArchivo estado;
  const std::int16_t fallo = Plataforma::LeerEstadoArchivo(zip, estado);
  if (fallo != Errores::Ninguno) {
    return Errores::Mensaje(fallo);
  }
  const auto leido = Directorios().Obtener(zip, estado);
  const auto &miembros = leido->directorio.miembros;
  std::unordered_set<std::string_view> dichos; // names whose hidden members were told
  for (std::uint32_t i = 0; i < miembros.size(); ++i) {
    const comprimidos::Miembro &m = miembros[i];
    if (m.EsCarpeta()) {
      continue;
    }
    if (!EsNombreDeImagen(m.ruta)) {
      if (comprimidos::EsNombreZip(m.ruta) && alAnidado) {
        alAnidado(zip + "/" + m.ruta);
      }
      continue;
    }
    // A name names the first member that has it: the others cannot be named.
    if (leido->porNombre.at(m.ruta) != i) {
      if (alOculto && dichos.insert(m.ruta).second) {
        const std::uint32_t otros = leido->repetidos.at(m.ruta) - 1;
        alOculto(zip + "/" + m.ruta,
                 "el zip guarda " + std::to_string(otros + 1) +
                     " miembros con este nombre: se lee el primero y " +
                     (otros == 1 ? std::string("el otro queda oculto")
                                 : "los otros " + std::to_string(otros) + " quedan ocultos"));
      }
      continue;
    }
    if (!alEncontrar(zip + "/" + m.ruta)) {
      return {};
    }
  }
  return leido->directorio.error;
}

} // namespace imagenes
