// `find`: a pattern over every image under some folders. Three steps: the walk
// names the images in a fixed order; threads read them; what each one gave is
// printed in the walk's order as soon as it and all before it are read.
#include "cli/BuscarImagenes.h"
#include "cli/Json.h"
#include "cli/JsonEnPartes.h"
#include "cli/Listado.h"
#include "cli/Ordenes.h"
#include "cli/Paralelo.h"
#include "cli/Salida.h"
#include "cli/Terminal.h"
#include "imagenes/Fuente.h"
#include "imagenes/Tipos.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"
#include "platform/Proceso.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace Cli {
namespace {

// --- What the search is made of ----------------------------------------------

// One image to read, by the name CargarImagen takes: a file, a .gz, or a
// member of a zip ("x.zip/y.dsk"). `error` is the walk's own failure (a
// folder or a zip it could not list), reported in its place.
struct Fuente {
  std::string ruta;
  std::string error;
};

// What one image gave, ready to print.
struct Resultado {
  std::string salida; // its lines, or its JSON objects joined by Cls_ListaJson::kSeparador
  std::size_t coincidencias = 0;
  std::string error;       // why it could not be read
  bool noEsImagen = false; // neither CPCEMU signature: another machine's file
  bool esImagen = true;    // false for the walk's own failures
};

struct Busqueda {
  const cpm::Patron &patron;
  bool json;
};

// --- Reading one image ---------------------------------------------------------

// `proteccion`: the image's verdict, for JSON.
void Anotar(Resultado &r, const std::string &ruta, const cpm::Archivo &a, const Busqueda &b,
            int tamanoBloque, const nlohmann::json *proteccion = nullptr) {
  ++r.coincidencias;
  if (b.json) {
    nlohmann::json j = JsonArchivo(a, tamanoBloque);
    j["imagen"] = ruta;
    if (proteccion != nullptr) {
      j["proteccion"] = *proteccion;
    }
    if (r.coincidencias > 1) {
      r.salida += Cls_ListaJson::kSeparador;
    }
    r.salida += Cls_ListaJson::Anidado(j);
    return;
  }
  // Appended piece by piece: a search may print hundreds of thousands of lines.
  r.salida.append(ruta).append(1, '\t').append(std::to_string(a.usuario)).append(1, '\t');
  r.salida.append(a.NombreCompleto()).append(1, '\t').append(std::to_string(a.longitud));
  r.salida.append(1, '\n');
}

// A DATA disk's catalogue lies in its first 8 KB, a SYSTEM or +3 disk's in
// its first 16 KB; the first records of the matches may lie anywhere.
constexpr std::array<std::size_t, 3> kPrincipios = {8 * 1024, 16 * 1024,
                                                    imagenes::TamanoMaximoArchivo};

// Text output needs only the names and sizes: the reader's names-only mode
// over the start of the file gives them when the start holds the catalogue.
// JSON tells whether each file is complete and what its AMSDOS header says,
// so it reads everything.
bool LeerSoloNombres(const std::string &ruta, const Busqueda &b, Resultado &r) {
#if defined(_WIN32)
  // mingw's emulated TLS can free a thread's storage before its thread_local
  // destructors run, which crashed find at a thread's end now and then.
  std::vector<std::uint8_t> bytes;
#else
  thread_local std::vector<std::uint8_t> bytes;
#endif
  for (const std::size_t largo : kPrincipios) {
    std::uintmax_t tamano = 0;
    // A zip member or a .gz inflates only this start.
    if (!imagenes::CargarPrincipio(ruta, largo, bytes, &tamano).empty()) {
      return false; // the whole reading gives the message
    }
    // Only a CPCEMU image's start holds its catalogue: an HFE's is decoded whole.
    if (const imagenes::Tipo *tipo = imagenes::TipoDeBytes(bytes);
        tipo != nullptr && !tipo->enSitio) {
      return false;
    }
    const auto catalogo = cpm::LeerNombres(bytes, tamano, &b.patron);
    // A match's length needs its first record, for the AMSDOS header: a
    // larger start is read when this one does not hold it.
    if (catalogo && std::all_of(catalogo->archivos.begin(), catalogo->archivos.end(),
                                [&](const cpm::Archivo &a) {
                                  return a.longitudSabida || !cpm::Coincide(b.patron, a);
                                })) {
      for (const cpm::Archivo &a : catalogo->archivos) {
        if (cpm::Coincide(b.patron, a)) {
          Anotar(r, ruta, a, b, 0);
        }
      }
      return true;
    }
    if (bytes.size() < largo) {
      return false; // that was the whole file
    }
  }
  return false;
}

bool SinFirma(const cpm::Disco &disco) {
  return std::any_of(disco.contenedor.problemas.begin(), disco.contenedor.problemas.end(),
                     [](const imagenes::Problema &p) {
                       return p.tipo == imagenes::TipoProblema::FirmaDesconocida;
                     });
}

Resultado Leer(const Fuente &f, const Busqueda &b) {
  Resultado r;
  if (!f.error.empty()) {
    r.error = f.error;
    r.esImagen = false;
    return r;
  }
  if (!b.json && LeerSoloNombres(f.ruta, b, r)) {
    return r;
  }
  const cpm::Imagen imagen(f.ruta);
  r.error = imagen.ErrorCatalogo();
  if (!r.error.empty()) {
    r.noEsImagen = SinFirma(imagen.Disco());
    return r;
  }
  const cpm::Disco &disco = imagen.Disco();
  const std::vector<const cpm::Archivo *> archivos = cpm::Buscar(disco, b.patron);
  // JSON says with each match what protects its image, worked out once.
  nlohmann::json proteccion;
  if (b.json && !archivos.empty()) {
    proteccion = JsonVeredicto(VeredictoDe(disco));
  }
  for (const cpm::Archivo *a : archivos) {
    Anotar(r, f.ruta, *a, b, disco.formato->tamanoBloque, b.json ? &proteccion : nullptr);
  }
  return r;
}

// --- Standard output -------------------------------------------------------------

// The search's output, written straight to the descriptor so that what was
// found reaches a pipe at once: the first result at once, later ones within
// a few milliseconds, gathered meanwhile. A reader that has gone (EPIPE:
// `| head`) stops the search quietly; any other failure is said once.
class Cls_Salida {
public:
  explicit Cls_Salida(bool json) : json_(json) {}
  void Escribir(std::string_view texto) { pendiente_ += texto; }

  // Writes what is pending when there is much of it or it has waited a while.
  void VaciarSiToca() {
    const auto ahora = std::chrono::steady_clock::now();
    if (pendiente_.size() >= kTope || ahora - ultima_ >= kEspera) {
      Vaciar();
      ultima_ = ahora;
    }
  }

  void Vaciar() {
    if (!rota_) {
      std::string copia;
      const int error = Plataforma::EscribirSinBufer(
          Plataforma::Flujo::Salida,
          ParaFlujo(Plataforma::Flujo::Salida, pendiente_, copia, json_));
      if (error != 0) {
        rota_ = true;
        if (error != EPIPE) {
          fallo_ = true;
          AnotarFalloSalida(error);
        }
      }
    }
    pendiente_.clear();
  }

  [[nodiscard]] bool Rota() const { return rota_; }
  [[nodiscard]] bool Fallo() const { return fallo_; }

private:
  static constexpr std::size_t kTope = 64 * 1024;
  static constexpr std::chrono::milliseconds kEspera{10};
  bool json_;
  std::string pendiente_;
  std::chrono::steady_clock::time_point ultima_{};
  bool rota_ = false;
  bool fallo_ = false;
};

// --- Ctrl-C --------------------------------------------------------------------

// The signal that asked the search to stop; 0 while none has.
std::atomic<int> gInterrupcion{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void AlInterrumpir(int senal) { gInterrupcion.store(senal); }

// SIGINT and SIGTERM only stop the search while it runs: what was found is
// written, then the signal is raised again with its usual action, so that
// whoever started us sees how we ended.
class Cls_Interrupcion {
public:
  Cls_Interrupcion() {
    gInterrupcion.store(0);
    antes_[0] = std::signal(SIGINT, AlInterrumpir);
    antes_[1] = std::signal(SIGTERM, AlInterrumpir);
  }
  ~Cls_Interrupcion() {
    std::signal(SIGINT, antes_[0]);
    std::signal(SIGTERM, antes_[1]);
  }
  Cls_Interrupcion(const Cls_Interrupcion &) = delete;
  Cls_Interrupcion &operator=(const Cls_Interrupcion &) = delete;

  [[nodiscard]] static bool Llego() { return gInterrupcion.load() != 0; }

  void Reenviar() {
    if (const int senal = gInterrupcion.load(); senal != 0) {
      std::signal(senal, SIG_DFL);
      std::raise(senal);
    }
  }

private:
  std::array<void (*)(int), 2> antes_{};
};

// --- Progress ------------------------------------------------------------------

std::string Plural(std::size_t n, const char *uno, const char *varios) {
  return std::to_string(n) + " " + (n == 1 ? uno : varios);
}

// A progress line on standard error, only when it is a terminal and the
// search has taken more than a second; redrawn at most ten times a second,
// and cleared before anything else is written to the terminal.
class Cls_Progreso {
public:
  Cls_Progreso()
      : activo_(Plataforma::EsTerminal(Plataforma::Flujo::Errores)), inicio_(Reloj::now()),
        ultimo_(inicio_) {}
  ~Cls_Progreso() { Borrar(); }
  Cls_Progreso(const Cls_Progreso &) = delete;
  Cls_Progreso &operator=(const Cls_Progreso &) = delete;

  // Known once the walk is over; till then only the images read are counted.
  void Total(std::size_t total) {
    const std::lock_guard<std::mutex> cierre(mutex_);
    total_ = total;
  }

  void Uno(std::size_t coincidencias) {
    if (!activo_) {
      return;
    }
    const std::lock_guard<std::mutex> cierre(mutex_);
    ++hechos_;
    coincidencias_ += coincidencias;
    const auto ahora = Reloj::now();
    if (ahora - inicio_ < std::chrono::seconds(1) ||
        (mostrado_ && ahora - ultimo_ < std::chrono::milliseconds(100))) {
      return;
    }
    ultimo_ = ahora;
    mostrado_ = true;
    const std::string imagenes =
        total_ == 0 ? Plural(hechos_, "imagen leída", "imágenes leídas")
                    : std::to_string(hechos_) + " de " + Plural(total_, "imagen", "imágenes");
    const std::string linea = "\rbuscando: " + imagenes + ", " +
                              Plural(coincidencias_, "coincidencia", "coincidencias") + "\033[K";
    std::fputs(linea.c_str(), stderr);
    std::fflush(stderr);
  }

  void Borrar() {
    const std::lock_guard<std::mutex> cierre(mutex_);
    if (mostrado_) {
      std::fputs("\r\033[K", stderr);
      mostrado_ = false;
    }
  }

private:
  using Reloj = std::chrono::steady_clock;
  std::size_t total_ = 0;
  bool activo_;
  Reloj::time_point inicio_, ultimo_;
  std::mutex mutex_;
  std::size_t hechos_ = 0;
  std::size_t coincidencias_ = 0;
  bool mostrado_ = false;
};

// --- The queue between the walk, the readers and the output --------------------

// The images as the walk finds them, read by every thread, and handed to
// `imprimir` in the walk's order as soon as each one and all before it are
// read. Results wait only for a slow image before them, and no thread reads
// more than `kVentana` images ahead of the oldest unprinted one, so memory is
// bounded by the images in flight; the walk, too, stops `kAdelanto` images
// ahead and helps reading.
class Cls_Cola {
public:
  static constexpr std::size_t kAdelanto = 4096;

  struct Trabajo {
    Fuente fuente;
    Resultado resultado;
    bool listo = false;
  };
  using Lector = std::function<Resultado(const Fuente &)>;
  // False stops the search (the output has gone).
  using Impresor = std::function<bool(const Trabajo &)>;

  Cls_Cola(Lector leer, Impresor imprimir, std::function<void()> vaciar)
      : leer_(std::move(leer)), imprimir_(std::move(imprimir)), vaciar_(std::move(vaciar)) {}

  // From the walk, which reads too once it is `adelanto` images ahead (0:
  // at once, when no other thread reads); false once the search has stopped.
  bool Agregar(Fuente fuente, std::size_t adelanto) {
    {
      std::unique_lock<std::mutex> cierre(mutex_);
      if (parada_) {
        return false;
      }
      auto t = std::make_unique<Trabajo>();
      t->fuente = std::move(fuente);
      trabajos_.push_back(std::move(t));
    }
    hay_.notify_one();
    while (Pendientes() > std::min(adelanto, kAdelanto) && TrabajarUno()) {
    }
    return true;
  }

  // The walk is over: no thread waits for more.
  void Terminar() {
    {
      const std::lock_guard<std::mutex> cierre(mutex_);
      terminada_ = true;
    }
    hay_.notify_all();
  }

  // Reads images until there are none left or the search stops.
  void Trabajar() {
    while (TrabajarUno()) {
    }
  }

  [[nodiscard]] std::size_t Agregados() {
    const std::lock_guard<std::mutex> cierre(mutex_);
    return primero_ + trabajos_.size();
  }

private:
  static constexpr std::size_t kVentana = 1024;

  std::size_t Pendientes() {
    const std::lock_guard<std::mutex> cierre(mutex_);
    return primero_ + trabajos_.size() - tomados_;
  }

  // Takes the next image, waiting for one, reads it and prints what can be
  // printed; false once there will be none or the search stops.
  bool TrabajarUno() {
    Trabajo *t = nullptr;
    {
      std::unique_lock<std::mutex> cierre(mutex_);
      const auto puede = [this] {
        return parada_ ||
               (tomados_ < primero_ + trabajos_.size() && tomados_ - primero_ < kVentana);
      };
      while (!puede()) {
        if (terminada_ && tomados_ == primero_ + trabajos_.size()) {
          return false;
        }
        // Woken now and then to see whether Ctrl-C came, and to write what
        // waits while the image before is slow.
        hay_.wait_for(cierre, std::chrono::milliseconds(20));
        vaciar_();
        if (Cls_Interrupcion::Llego()) {
          parada_ = true;
        }
      }
      if (parada_) {
        return false;
      }
      t = trabajos_[tomados_++ - primero_].get();
    }
    Resultado r = leer_(t->fuente);
    const std::lock_guard<std::mutex> cierre(mutex_);
    t->resultado = std::move(r);
    t->listo = true;
    bool impreso = false;
    while (!trabajos_.empty() && trabajos_.front()->listo) {
      parada_ = !imprimir_(*trabajos_.front()) || parada_;
      trabajos_.pop_front();
      ++primero_;
      impreso = true;
    }
    if (impreso) {
      vaciar_();
    }
    parada_ = parada_ || Cls_Interrupcion::Llego();
    if (impreso || parada_) {
      hay_.notify_all();
    }
    return !parada_;
  }

  Lector leer_;
  Impresor imprimir_;
  std::function<void()> vaciar_;
  std::mutex mutex_;
  std::condition_variable hay_;
  std::deque<std::unique_ptr<Trabajo>> trabajos_; // from the oldest unprinted one
  std::size_t primero_ = 0;                       // its number in the walk's order
  std::size_t tomados_ = 0;                       // images taken by a thread so far
  bool terminada_ = false;
  bool parada_ = false;
};

// Closes the queue however the walk ends, so no thread waits for ever.
struct TerminarAlSalir {
  Cls_Cola &cola;
  ~TerminarAlSalir() { cola.Terminar(); }
};

// --- Printing --------------------------------------------------------------------

// Prints each image's result in order and counts what the summary needs.
class Cls_Impresor {
public:
  Cls_Impresor(const OrdenFind &orden, Cls_Salida &salida, Cls_Progreso &progreso)
      : orden_(orden), salida_(salida), progreso_(progreso),
        terminal_(Plataforma::EsTerminal(Plataforma::Flujo::Salida)) {
    if (orden_.json) {
      salida_.Escribir(Cls_ListaJson::Abrir("coincidencias"));
    }
  }

  void Imprimir(const Cls_Cola::Trabajo &t) {
    const Resultado &r = t.resultado;
    imagenes_ += r.esImagen ? 1 : 0;
    coincidencias_ += r.coincidencias;
    if (!r.error.empty()) {
      Error(t.fuente.ruta, r);
    }
    if (!r.salida.empty()) {
      if (terminal_) {
        progreso_.Borrar();
      }
      salida_.Escribir(orden_.json ? lista_.Texto(r.salida) : r.salida);
    }
  }

  // The end of the JSON document and the closing lines on standard error.
  void Cerrar() {
    if (orden_.json) {
      salida_.Escribir(lista_.Cerrar(
          {{"errores", errores_}, {"imagenes_leidas", imagenes_}, {"version", kVersionJson}}));
    }
    salida_.Vaciar();
    if (omitidas_ > 0) {
      AvisarError("find", omitidas_ == 1
                              ? "1 archivo omitido: no es una imagen de disco de CPC"
                              : std::to_string(omitidas_) +
                                    " archivos omitidos: no son imágenes de disco de CPC");
    }
  }

  [[nodiscard]] std::size_t Coincidencias() const { return coincidencias_; }

private:
  void Error(const std::string &ruta, const Resultado &r) {
    if (r.esImagen) {
      errores_.push_back({{"imagen", ruta}, {"error", r.error}});
    }
    if (r.noEsImagen && orden_.silencioso) {
      ++omitidas_;
      return;
    }
    progreso_.Borrar();
    salida_.Vaciar(); // what came before it first
    AvisarError(ruta, r.error);
  }

  const OrdenFind &orden_;
  Cls_Salida &salida_;
  Cls_Progreso &progreso_;
  bool terminal_;
  Cls_ListaJson lista_;
  nlohmann::json errores_ = nlohmann::json::array();
  std::size_t imagenes_ = 0;
  std::size_t coincidencias_ = 0;
  std::size_t omitidas_ = 0;
};

// A pattern without a dot matches only names without an extension.
void AvisarSinPunto(const std::string &texto, const cpm::Patron &patron) {
  const bool sinExtension = std::all_of(patron.plantilla.begin() + 8, patron.plantilla.end(),
                                        [](char c) { return c == ' '; });
  if (sinExtension) {
    AvisarError(texto, "ningún archivo coincide; sin punto solo coincide con nombres sin "
                       "extensión: pruebe " +
                           texto + ".*");
  }
}

} // namespace

int EjecutarFind(const OrdenFind &orden) {
  std::string errorPatron;
  const auto patron = cpm::CompilarPatron(orden.patron, &errorPatron);
  if (!patron) {
    AvisarError(orden.patron, "patrón no válido: " + errorPatron);
    return kSalidaUso;
  }
  const Busqueda busqueda{*patron, orden.json};
  Cls_Interrupcion interrupcion;
  Cls_Salida salida(orden.json);
  Cls_Progreso progreso;
  Cls_Impresor impresor(orden, salida, progreso);
  Cls_Cola cola(
      [&](const Fuente &f) {
        Resultado r = Leer(f, busqueda);
        progreso.Uno(r.coincidencias);
        return r;
      },
      [&](const Cls_Cola::Trabajo &t) {
        impresor.Imprimir(t);
        return !salida.Rota();
      },
      [&salida] { salida.VaciarSiToca(); });
  std::size_t anidados = 0; // zips inside zips, not opened
  {
    // The walk and the reading overlap: other threads read images while
    // this one lists folders, then it reads too. A thread starts only when
    // there is an image for it.
    Cls_Hilos otros;
    const TerminarAlSalir terminar{cola};
    bool arrancan = true;
    RecorrerCarpetas(
        orden.carpetas,
        [&](const std::string &ruta) {
          const std::size_t n = cola.Agregados() + 1;
          if (arrancan && otros.Cuantos() + 1 < HilosEfectivos(orden.hilos, n)) {
            arrancan = otros.Arrancar([&cola] { cola.Trabajar(); });
          }
          const std::size_t adelanto = otros.Cuantos() > 0 ? Cls_Cola::kAdelanto : 0;
          return cola.Agregar({ruta, {}}, adelanto) && !Cls_Interrupcion::Llego();
        },
        [&](const std::string &carpeta, const std::string &m) {
          cola.Agregar({carpeta, m}, Cls_Cola::kAdelanto);
        },
        [&anidados](const std::string &) { ++anidados; });
    cola.Terminar();
    progreso.Total(cola.Agregados());
    cola.Trabajar();
  }
  progreso.Borrar();
  impresor.Cerrar();
  if (anidados > 0) {
    AvisarError("find", anidados == 1 ? "1 zip dentro de otro zip no se ha abierto"
                                      : std::to_string(anidados) +
                                            " zips dentro de otros zips no se han abierto");
  }
  interrupcion.Reenviar();
  if (salida.Fallo()) {
    return kSalidaFallo;
  }
  if (impresor.Coincidencias() > 0) {
    return kSalidaBien;
  }
  if (!salida.Rota()) {
    AvisarSinPunto(orden.patron, *patron);
  }
  return kSalidaFallo;
}

} // namespace Cli
