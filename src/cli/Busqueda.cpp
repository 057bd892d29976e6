// `find`: a pattern over every image under some folders, in parallel.
#include "cli/BuscarImagenes.h"
#include "cli/CatalogoBreve.h"
#include "cli/Comprimidos.h"
#include "cli/Imagen.h"
#include "cli/Json.h"
#include "cli/Ordenes.h"
#include "cli/Paralelo.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace Cli {
namespace {

struct Coincidencia {
  std::uint8_t usuario = 0;
  std::string nombre;
  nlohmann::json json;
  std::uint64_t tamano = 0;
};

struct Resultado {
  std::string error;
  std::vector<Coincidencia> coincidencias;
};

void Anotar(Resultado &r, const cpm::Disco &disco, const cpm::Patron &patron, bool json) {
  for (const cpm::Archivo *a : cpm::Buscar(disco, patron)) {
    Coincidencia c{a->usuario, a->NombreCompleto(), nullptr, a->tamano};
    if (json) {
      c.json = JsonArchivo(*a, disco.formato->tamanoBloque);
    }
    r.coincidencias.push_back(std::move(c));
  }
}

// Disk-Info fields (both layouts) used to cut a header down to a prefix.
constexpr std::size_t kPosPistas = 0x30;
constexpr std::size_t kPosCaras = 0x31;
constexpr std::size_t kPosTamanoPista = 0x32;  // standard layout, 16-bit
constexpr std::size_t kPosTablaTamanos = 0x34; // extended layout, 256-byte units
constexpr std::size_t kTamanoDiskInfo = 256;

// Makes the header of a prefix of an image promise only the tracks the prefix
// holds whole, so the reader does not list every other track as missing. The
// format is told from track 0 and the catalogue read from its own tracks, so
// neither changes.
void CabeceraHastaPrefijo(std::vector<std::uint8_t> &b) {
  if (b.size() < kTamanoDiskInfo || b[kPosCaras] == 0 || b[kPosPistas] == 0) {
    return;
  }
  const bool extendida = b[0] == 'E';
  const std::size_t entradas = std::size_t{b[kPosPistas]} * b[kPosCaras];
  std::size_t fin = kTamanoDiskInfo;
  std::size_t enteras = 0;
  for (; enteras < entradas && kPosTablaTamanos + enteras < kTamanoDiskInfo; ++enteras) {
    const std::size_t tamano = extendida ? std::size_t{b[kPosTablaTamanos + enteras]} * 256
                                         : b[kPosTamanoPista] | (b[kPosTamanoPista + 1] << 8);
    if (fin + tamano > b.size()) {
      break;
    }
    fin += tamano;
  }
  const std::size_t pistas = enteras / b[kPosCaras];
  if (pistas > 0) {
    b[kPosPistas] = static_cast<std::uint8_t>(pistas);
  }
}

// A DATA disk's catalogue lies in its first 8 KB, a SYSTEM or +3 disk's in
// its first 16 KB.
constexpr std::array<std::size_t, 2> kPrincipios = {8 * 1024, 16 * 1024};

// Text output needs only the catalogue (user, name, size): when the start of
// the image holds all of it, the rest is never read, and only the catalogue's
// own sectors are. JSON tells whether each file is complete and what its
// AMSDOS header says, so it reads everything.
bool BuscarEnPrincipio(const std::string &ruta, const cpm::Patron &patron, Resultado &r) {
  thread_local std::vector<std::uint8_t> bytes;
  thread_local std::vector<std::uint8_t> catalogo;
  thread_local std::vector<ArchivoBreve> encontrados;
  for (const std::size_t largo : kPrincipios) {
    // A zip member or a .gz inflates only this start.
    if (!CargarPrincipio(ruta, largo, bytes).empty() || bytes.size() < largo) {
      return false; // small or unreadable files take the whole path and its messages
    }
    CabeceraHastaPrefijo(bytes);
    const cpm::Contenedor disco = cpm::LeerContenedor(bytes);
    if (!disco.valido) {
      return false;
    }
    const cpm::Deteccion deteccion = cpm::DetectarFormato(disco);
    if (deteccion.formato && BytesCatalogo(disco, *deteccion.formato, catalogo)) {
      BuscarEnCatalogo(catalogo, *deteccion.formato, patron, encontrados);
      for (ArchivoBreve &a : encontrados) {
        r.coincidencias.push_back({a.usuario, std::move(a.nombre), nullptr, a.tamano});
      }
      return true;
    }
  }
  return false;
}

Resultado BuscarEnImagen(const std::string &ruta, const cpm::Patron &patron, bool json) {
  Resultado r;
  if (!json && BuscarEnPrincipio(ruta, patron, r)) {
    return r;
  }
  const Cls_Imagen imagen(ruta, "");
  r.error = imagen.ErrorCatalogo();
  if (r.error.empty()) {
    Anotar(r, imagen.Disco(), patron, json);
  }
  return r;
}

// A progress line on standard error, only when it is a terminal and the
// search has taken more than a second; redrawn at most ten times a second.
class Cls_Progreso {
public:
  Cls_Progreso() : activo_(::isatty(STDERR_FILENO) != 0), inicio_(Reloj::now()), ultimo_(inicio_) {}
  ~Cls_Progreso() {
    if (mostrado_) {
      std::fputs("\r\033[K", stderr);
    }
  }
  Cls_Progreso(const Cls_Progreso &) = delete;
  Cls_Progreso &operator=(const Cls_Progreso &) = delete;

  // Nothing is drawn before the walk has counted every image.
  void Total(std::size_t total) {
    const std::lock_guard<std::mutex> cierre(mutex_);
    total_ = total;
  }

  void Uno() {
    if (!activo_) {
      return;
    }
    const std::lock_guard<std::mutex> cierre(mutex_);
    ++hechos_;
    const auto ahora = Reloj::now();
    if (total_ == 0 || ahora - inicio_ < std::chrono::seconds(1) ||
        (mostrado_ && ahora - ultimo_ < std::chrono::milliseconds(100))) {
      return;
    }
    ultimo_ = ahora;
    mostrado_ = true;
    std::fprintf(stderr, "\rbuscando: %zu de %zu imágenes", hechos_, total_);
    std::fflush(stderr);
  }

private:
  using Reloj = std::chrono::steady_clock;
  std::size_t total_ = 0;
  bool activo_;
  Reloj::time_point inicio_, ultimo_;
  std::mutex mutex_;
  std::size_t hechos_ = 0;
  bool mostrado_ = false;
};

// The images as the walk finds them, read by the other threads meanwhile.
// Each image is held by a pointer that does not move as the list grows.
class Cls_Trabajos {
public:
  struct Trabajo {
    std::string ruta;
    Resultado resultado;
  };

  void Agregar(const std::string &ruta) {
    auto t = std::make_unique<Trabajo>();
    t->ruta = ruta;
    {
      const std::lock_guard<std::mutex> cierre(mutex_);
      trabajos_.push_back(std::move(t));
    }
    hay_.notify_one();
  }

  void Terminar() {
    {
      const std::lock_guard<std::mutex> cierre(mutex_);
      terminado_ = true;
    }
    hay_.notify_all();
  }

  // The next image nobody has taken; nullptr once the walk is over and all are taken.
  Trabajo *Siguiente() {
    std::unique_lock<std::mutex> cierre(mutex_);
    hay_.wait(cierre, [this] { return siguiente_ < trabajos_.size() || terminado_; });
    return siguiente_ < trabajos_.size() ? trabajos_[siguiente_++].get() : nullptr;
  }

  // Once every thread is done.
  [[nodiscard]] std::vector<std::unique_ptr<Trabajo>> &Todos() { return trabajos_; }

private:
  std::mutex mutex_;
  std::condition_variable hay_;
  std::vector<std::unique_ptr<Trabajo>> trabajos_;
  std::size_t siguiente_ = 0;
  bool terminado_ = false;
};

// By path, each image once: the order of the output.
std::vector<const Cls_Trabajos::Trabajo *>
EnOrden(const std::vector<std::unique_ptr<Cls_Trabajos::Trabajo>> &trabajos) {
  std::vector<const Cls_Trabajos::Trabajo *> orden;
  orden.reserve(trabajos.size());
  for (const auto &t : trabajos) {
    orden.push_back(t.get());
  }
  using T = const Cls_Trabajos::Trabajo *;
  std::stable_sort(orden.begin(), orden.end(), [](T a, T b) { return a->ruta < b->ruta; });
  orden.erase(std::unique(orden.begin(), orden.end(), [](T a, T b) { return a->ruta == b->ruta; }),
              orden.end());
  return orden;
}

} // namespace

int EjecutarFind(const OrdenFind &orden) {
  std::string errorPatron;
  const auto patron = cpm::CompilarPatron(orden.patron, &errorPatron);
  if (!patron) {
    AvisarError(orden.patron, "patrón no válido: " + errorPatron);
    return kSalidaUso;
  }
  int salida = kSalidaBien;
  // The walk and the reading overlap: the other threads read images while
  // this one lists folders, then it reads too.
  Cls_Trabajos trabajos;
  std::size_t anidados = 0; // zips inside zips, not opened
  {
    Cls_Progreso progreso;
    const auto trabajar = [&] {
      while (Cls_Trabajos::Trabajo *t = trabajos.Siguiente()) {
        t->resultado = BuscarEnImagen(t->ruta, *patron, orden.json);
        progreso.Uno();
      }
    };
    std::vector<std::jthread> otros;
    for (unsigned h = 1; h < HilosEfectivos(orden.hilos); ++h) {
      otros.emplace_back(trabajar);
    }
    std::size_t encontradas = 0;
    RecorrerCarpetas(
        orden.carpetas,
        [&](const std::string &ruta) {
          trabajos.Agregar(ruta);
          ++encontradas;
        },
        [&salida](const std::string &carpeta, const std::string &m) {
          AvisarError(carpeta, m);
          salida = kSalidaFallo;
        },
        [&anidados](const std::string &) { ++anidados; });
    trabajos.Terminar();
    progreso.Total(encontradas);
    trabajar();
  }
  const auto imagenes = EnOrden(trabajos.Todos());
  nlohmann::json coincidencias = nlohmann::json::array();
  nlohmann::json errores = nlohmann::json::array();
  std::string texto;
  for (const Cls_Trabajos::Trabajo *t : imagenes) {
    const std::string &ruta = t->ruta;
    const Resultado &resultado = t->resultado;
    if (!resultado.error.empty()) {
      AvisarError(ruta, resultado.error);
      salida = kSalidaFallo;
      errores.push_back({{"imagen", ruta}, {"error", resultado.error}});
    }
    for (const Coincidencia &c : resultado.coincidencias) {
      if (orden.json) {
        nlohmann::json j = c.json;
        j["imagen"] = ruta;
        coincidencias.push_back(std::move(j));
      } else {
        // Appended piece by piece: a search may print hundreds of thousands of lines.
        texto.append(ruta).append(1, '\t').append(std::to_string(c.usuario)).append(1, '\t');
        texto.append(c.nombre).append(1, '\t').append(std::to_string(c.tamano)).append(1, '\n');
      }
    }
  }
  if (orden.json) {
    texto = TextoJson({{"version", kVersionJson},
                       {"imagenes", imagenes.size()},
                       {"coincidencias", coincidencias},
                       {"errores", errores}});
  }
  EscribirSalida(texto);
  if (anidados > 0) {
    AvisarError("find", anidados == 1 ? "1 zip dentro de otro zip no se ha abierto"
                                      : std::to_string(anidados) +
                                            " zips dentro de otros zips no se han abierto");
  }
  return salida;
}

} // namespace Cli
