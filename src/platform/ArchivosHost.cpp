#include "platform/ArchivosHost.h"
#include "platform/ArchivoNativo.h"
#include "platform/Errores.h"
#include "platform/Rutas.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace Plataforma {
namespace {

// Reads are served from one aligned block; writes gather into one pending run.
constexpr std::int64_t TamanoBloque = 64 * 1024;
constexpr std::int64_t TamanoPagina = 4 * 1024;
// Files up to this size are read whole on a jump; the largest disk images are
// about 1 MB.
constexpr std::int64_t MaximoEnMemoria = 4 * 1024 * 1024;
constexpr std::size_t MaximoPendiente = 256 * 1024;

using Nativo::Manejador;
using Nativo::SinManejador;

struct Archivo {
  Manejador fd = SinManejador;
  bool escritura = false;
  std::string ruta;
  std::int64_t longitud = 0; // as far as this process has made it; see Longitud
  std::unique_ptr<std::uint8_t[]> bloque;
  std::int64_t capacidadBloque = 0;
  std::unique_ptr<std::uint8_t[]> pendiente;

  Archivo() = default;
  Archivo(const Archivo &) = delete;
  Archivo &operator=(const Archivo &) = delete;
  ~Archivo() {
    if (fd != SinManejador) {
      Nativo::Soltar(fd);
    }
  }
};

// Index = file number; slot 0 is never used. The hot state of each open file
// lives in detalle::vistas under the same number.
std::unique_ptr<Archivo> tabla[MaximoNumeroArchivo + 1];

detalle::Vista &VistaDe(std::int16_t numero) { return detalle::vistas[numero]; }

Archivo &Buscar(std::int16_t numero) {
  if (numero <= 0 || numero > MaximoNumeroArchivo || !tabla[numero]) {
    LanzarError(Errores::NumeroArchivoIncorrecto);
  }
  return *tabla[numero];
}

void ComprobarPosicion(std::int64_t pos) {
  if (pos < 0) {
    LanzarError(Errores::PosicionIncorrecta);
  }
}

void VaciarPendiente(Archivo &a, detalle::Vista &v) {
  if (v.usados == 0) {
    return;
  }
  // Whatever happens, the run is gone: a failed write is reported once.
  const std::size_t usados = std::exchange(v.usados, 0);
  Nativo::EscribirEn(a.fd, v.inicioPendiente, a.pendiente.get(), usados);
  a.longitud = std::max(a.longitud, v.inicioPendiente + static_cast<std::int64_t>(usados));
}

void OlvidarBloque(detalle::Vista &v) {
  v.validos = 0;
  v.protegidoDesde = v.protegidoHasta = 0;
}

void CargarBloque(Archivo &a, detalle::Vista &v, std::int64_t pos) {
  // A reader walking on from the block it had gets a whole block. One that
  // jumps about (from sector to sector of a disk) gets the whole file when it
  // is as small as disk images are, so that later jumps cost no call at all,
  // and a page otherwise, so that a miss costs a page's copy and not a block's.
  const bool seguido = v.validos > 0 && pos == v.protegidoHasta;
  std::int64_t inicio = pos - pos % TamanoPagina;
  std::int64_t largo = seguido ? TamanoBloque : TamanoPagina;
  const std::int64_t entero = (a.longitud / TamanoPagina + 1) * TamanoPagina;
  if (!seguido && a.longitud <= MaximoEnMemoria && pos < entero) {
    inicio = 0;
    largo = std::max(entero, TamanoBloque);
  }
  VaciarPendiente(a, v);
  OlvidarBloque(v);
  if (a.capacidadBloque < largo) {
    a.bloque = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(largo));
    a.capacidadBloque = largo;
    v.bloque = a.bloque.get();
  }
  v.inicioBloque = inicio;
  v.validos = static_cast<std::int64_t>(
      Nativo::LeerEn(a.fd, inicio, a.bloque.get(), static_cast<std::size_t>(largo)));
  v.protegidoDesde = inicio;
  v.protegidoHasta = inicio + largo;
}

} // namespace

std::int16_t SiguienteNumeroLibre() {
  for (std::int16_t n = 1; n <= MaximoNumeroArchivo; ++n) {
    if (!tabla[n]) {
      return n;
    }
  }
  LanzarError(Errores::DemasiadosArchivos);
}

namespace {

// Opens `ruta` and looks at what was opened; the caller decides whether to keep it.
std::unique_ptr<Archivo> Abrir(std::int16_t numero, const std::string &ruta, Acceso acceso,
                               Nativo::Tipo &tipo) {
  if (numero <= 0 || numero > MaximoNumeroArchivo) {
    LanzarError(Errores::NumeroArchivoIncorrecto);
  }
  if (tabla[numero]) {
    LanzarError(Errores::ArchivoYaAbierto);
  }
  if (ContieneNulo(ruta)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  const Nativo::Abierto abierto = Nativo::Abrir(ruta, acceso);
  auto archivo = std::make_unique<Archivo>();
  archivo->fd = abierto.manejador;
  archivo->escritura = acceso == Acceso::LecturaEscritura;
  archivo->ruta = ruta;
  archivo->longitud = abierto.longitud;
  tipo = abierto.tipo;
  return archivo;
}

void Registrar(std::int16_t numero, std::unique_ptr<Archivo> archivo) {
  tabla[numero] = std::move(archivo);
  VistaDe(numero) = {};
}

} // namespace

void AbrirArchivo(std::int16_t numero, const std::string &ruta, Acceso acceso) {
  Nativo::Tipo tipo{};
  auto archivo = Abrir(numero, ruta, acceso, tipo);
  if (tipo != Nativo::Tipo::Regular) {
    LanzarError(tipo == Nativo::Tipo::Carpeta ? Errores::ErrorAccesoRuta
                                              : Errores::ModoArchivoIncorrecto);
  }
  Registrar(numero, std::move(archivo));
}

bool AbrirImagen(std::int16_t numero, const std::string &ruta) {
  Nativo::Tipo tipo{};
  auto archivo = Abrir(numero, ruta, Acceso::Lectura, tipo);
  if (tipo != Nativo::Tipo::Regular || archivo->longitud > LongitudMaximaImagen) {
    return false; // closed as `archivo` goes
  }
  Registrar(numero, std::move(archivo));
  return true;
}

void CerrarArchivo(std::int16_t numero) {
  if (!EstaAbierto(numero)) {
    return;
  }
  std::unique_ptr<Archivo> archivo = std::move(tabla[numero]);
  const detalle::Vista vista = std::exchange(VistaDe(numero), {});
  detalle::Vista pendiente = vista;
  VaciarPendiente(*archivo, pendiente); // the destructor closes the descriptor even if this throws
  Nativo::Cerrar(std::exchange(archivo->fd, SinManejador));
}

bool EstaAbierto(std::int16_t numero) noexcept {
  return numero > 0 && numero <= MaximoNumeroArchivo && tabla[numero];
}

int ArchivosAbiertos() noexcept {
  return static_cast<int>(std::count_if(std::begin(tabla), std::end(tabla),
                                        [](const auto &a) { return a != nullptr; }));
}

// The length as this process has made it: taken when the file was opened and
// followed through our own writes. Another program growing an open image is
// not seen, just as the read block does not see its bytes.
std::int64_t Longitud(std::int16_t numero) {
  const Archivo &a = Buscar(numero);
  const detalle::Vista &v = VistaDe(numero);
  return v.usados == 0
             ? a.longitud
             : std::max(a.longitud, v.inicioPendiente + static_cast<std::int64_t>(v.usados));
}

namespace detalle {

std::uint8_t LeerByteLento(std::int16_t numero, std::int64_t pos) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  Vista &v = VistaDe(numero);
  if (v.validos == 0 || pos < v.protegidoDesde || pos >= v.protegidoHasta) {
    CargarBloque(a, v, pos);
  }
  // Inside the block but past what the file holds: past the end reads as 0.
  const std::int64_t rel = pos - v.inicioBloque;
  return rel < v.validos ? a.bloque[static_cast<std::size_t>(rel)] : 0;
}

} // namespace detalle

void EscribirByte(std::int16_t numero, std::int64_t pos, std::uint8_t valor) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  if (!a.escritura) {
    LanzarError(Errores::ModoArchivoIncorrecto);
  }
  detalle::Vista &v = VistaDe(numero);
  // Keep the read block true.
  if (v.validos > 0 && pos >= v.protegidoDesde && pos < v.protegidoHasta) {
    const std::int64_t rel = pos - v.inicioBloque;
    if (rel >= v.validos) {
      // Writing past the end: the host fills the gap with zeros.
      std::fill(a.bloque.get() + v.validos, a.bloque.get() + rel, std::uint8_t{0});
      v.validos = rel + 1;
    }
    a.bloque[static_cast<std::size_t>(rel)] = valor;
  }
  if (!a.pendiente) {
    a.pendiente = std::make_unique<std::uint8_t[]>(MaximoPendiente);
    v.pendiente = a.pendiente.get();
    v.capacidad = MaximoPendiente;
  }
  const std::int64_t fin = v.inicioPendiente + static_cast<std::int64_t>(v.usados);
  if (v.usados > 0 && pos >= v.inicioPendiente && pos < fin) {
    a.pendiente[static_cast<std::size_t>(pos - v.inicioPendiente)] = valor;
    return;
  }
  if (v.usados == 0 || pos != fin || v.usados >= v.capacidad) {
    VaciarPendiente(a, v);
    v.inicioPendiente = pos;
  }
  a.pendiente[v.usados++] = valor;
}

void LeerBytes(std::int16_t numero, std::int64_t pos, std::span<std::uint8_t> destino) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  detalle::Vista &v = VistaDe(numero);
  const auto largo = static_cast<std::int64_t>(destino.size());
  if (v.validos > 0 && pos >= v.protegidoDesde && pos + largo <= v.protegidoHasta) {
    for (std::int64_t i = 0; i < largo; ++i) {
      const std::int64_t rel = pos + i - v.inicioBloque;
      destino[static_cast<std::size_t>(i)] = rel < v.validos ? a.bloque[rel] : 0;
    }
    return;
  }
  // Larger reads go straight to the file, which is current once pending bytes are out.
  VaciarPendiente(a, v);
  const std::size_t leidos = Nativo::LeerEn(a.fd, pos, destino.data(), destino.size());
  std::fill(destino.begin() + static_cast<std::ptrdiff_t>(leidos), destino.end(), 0);
}

void EscribirBytes(std::int16_t numero, std::int64_t pos, std::span<const std::uint8_t> datos) {
  if (datos.empty()) {
    return;
  }
  detalle::Vista &v = VistaDe(numero);
  const auto largo = static_cast<std::int64_t>(datos.size());
  const bool tocaBloque = v.validos > 0 && pos < v.protegidoHasta && pos + largo > v.protegidoDesde;
  if (tocaBloque || v.capacidad == 0) {
    // Byte by byte keeps the read block true and sets the run up.
    for (std::size_t i = 0; i < datos.size(); ++i) {
      EscribirByte(numero, pos + static_cast<std::int64_t>(i), datos[i]);
    }
    return;
  }
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  std::size_t hecho = 0;
  while (hecho < datos.size()) {
    const std::int64_t p = pos + static_cast<std::int64_t>(hecho);
    if (v.usados == 0 || p != v.inicioPendiente + static_cast<std::int64_t>(v.usados) ||
        v.usados == v.capacidad) {
      VaciarPendiente(a, v);
      v.inicioPendiente = p;
    }
    const std::size_t trozo = std::min(datos.size() - hecho, v.capacidad - v.usados);
    std::memcpy(a.pendiente.get() + v.usados, datos.data() + hecho, trozo);
    v.usados += trozo;
    hecho += trozo;
  }
}

void Vaciar(std::int16_t numero) { VaciarPendiente(Buscar(numero), VistaDe(numero)); }

void FijarLongitud(std::int16_t numero, std::int64_t longitud) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(longitud);
  if (!a.escritura) {
    LanzarError(Errores::ModoArchivoIncorrecto);
  }
  detalle::Vista &v = VistaDe(numero);
  VaciarPendiente(a, v);
  OlvidarBloque(v);
  Nativo::FijarLongitud(a.fd, longitud);
  a.longitud = longitud;
}

void PermitirEscritura(std::int16_t numero) {
  Archivo &a = Buscar(numero);
  if (a.escritura) {
    return;
  }
  const Manejador nuevo = Nativo::ReabrirParaEscribir(a.fd, a.ruta);
  Nativo::Soltar(std::exchange(a.fd, nuevo));
  a.escritura = true;
}

bool EsElMismoArchivo(std::int16_t numero, const std::string &ruta) noexcept {
  if (!EstaAbierto(numero) || ContieneNulo(ruta)) {
    return false;
  }
  return Nativo::MismoArchivo(tabla[numero]->fd, ruta);
}

} // namespace Plataforma
