#include "platform/ArchivosHost.h"
#include "platform/Errores.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plataforma {
namespace {

// Reads are served from one aligned block; writes gather into one pending run.
constexpr std::int64_t TamanoBloque = 64 * 1024;
constexpr std::size_t MaximoPendiente = 256 * 1024;

struct Archivo {
  int fd = -1;
  bool escritura = false;
  std::string ruta;

  std::vector<std::uint8_t> bloque; // allocated on the first single-byte read
  std::int64_t inicioBloque = 0;
  std::int64_t validos = -1; // bytes of the block that the file holds; -1: no block

  std::vector<std::uint8_t> pendiente;
  std::int64_t inicioPendiente = 0;

  Archivo() = default;
  Archivo(const Archivo &) = delete;
  Archivo &operator=(const Archivo &) = delete;
  ~Archivo() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

// Index = file number; slot 0 is never used.
std::vector<std::unique_ptr<Archivo>> tabla;

Archivo &Buscar(std::int16_t numero) {
  if (numero <= 0 || static_cast<std::size_t>(numero) >= tabla.size() || !tabla[numero]) {
    LanzarError(Errores::NumeroArchivoIncorrecto);
  }
  return *tabla[numero];
}

void ComprobarPosicion(std::int64_t pos) {
  if (pos < 0) {
    LanzarError(Errores::PosicionIncorrecta);
  }
}

bool ContieneNulo(const std::string &ruta) { return ruta.find('\0') != std::string::npos; }

// pread until `destino` is full or the file ends; returns the bytes read.
std::size_t LeerCompleto(int fd, std::int64_t pos, std::uint8_t *destino, std::size_t largo) {
  std::size_t leidos = 0;
  while (leidos < largo) {
    const ssize_t n = ::pread(fd, destino + leidos, largo - leidos,
                              static_cast<off_t>(pos + static_cast<std::int64_t>(leidos)));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      LanzarErrorHost(errno);
    }
    if (n == 0) {
      break;
    }
    leidos += static_cast<std::size_t>(n);
  }
  return leidos;
}

void EscribirCompleto(int fd, std::int64_t pos, const std::uint8_t *datos, std::size_t largo) {
  std::size_t escritos = 0;
  while (escritos < largo) {
    const ssize_t n = ::pwrite(fd, datos + escritos, largo - escritos,
                               static_cast<off_t>(pos + static_cast<std::int64_t>(escritos)));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      LanzarErrorHost(errno);
    }
    escritos += static_cast<std::size_t>(n);
  }
}

void VaciarPendiente(Archivo &a) {
  if (a.pendiente.empty()) {
    return;
  }
  // Whatever happens, the run is gone: a failed write is reported once.
  std::vector<std::uint8_t> run;
  run.swap(a.pendiente);
  EscribirCompleto(a.fd, a.inicioPendiente, run.data(), run.size());
  run.clear();
  a.pendiente.swap(run); // keep the capacity for the next run
}

void CargarBloque(Archivo &a, std::int64_t pos) {
  VaciarPendiente(a);
  if (a.bloque.empty()) {
    a.bloque.resize(TamanoBloque);
  }
  a.validos = -1;
  a.inicioBloque = pos - pos % TamanoBloque;
  a.validos = static_cast<std::int64_t>(
      LeerCompleto(a.fd, a.inicioBloque, a.bloque.data(), a.bloque.size()));
}

std::int64_t LongitudHost(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    LanzarErrorHost(errno);
  }
  return static_cast<std::int64_t>(st.st_size);
}

} // namespace

std::int16_t SiguienteNumeroLibre() {
  for (std::int16_t n = 1; n <= MaximoNumeroArchivo; ++n) {
    if (static_cast<std::size_t>(n) >= tabla.size() || !tabla[n]) {
      return n;
    }
  }
  LanzarError(Errores::DemasiadosArchivos);
}

void AbrirArchivo(std::int16_t numero, const std::string &ruta, Acceso acceso) {
  if (numero <= 0 || numero > MaximoNumeroArchivo) {
    LanzarError(Errores::NumeroArchivoIncorrecto);
  }
  if (static_cast<std::size_t>(numero) < tabla.size() && tabla[numero]) {
    LanzarError(Errores::ArchivoYaAbierto);
  }
  if (ContieneNulo(ruta)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  // O_NONBLOCK: a FIFO or device named like an image must never hang the open.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  flags |= acceso == Acceso::Lectura ? O_RDONLY : (O_RDWR | O_CREAT);
  auto archivo = std::make_unique<Archivo>();
  archivo->fd = ::open(ruta.c_str(), flags, 0666);
  if (archivo->fd < 0) {
    LanzarErrorHost(errno);
  }
  struct stat st {};
  if (::fstat(archivo->fd, &st) != 0) {
    LanzarErrorHost(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    LanzarError(S_ISDIR(st.st_mode) ? Errores::ErrorAccesoRuta : Errores::ModoArchivoIncorrecto);
  }
  ::fcntl(archivo->fd, F_SETFL, ::fcntl(archivo->fd, F_GETFL) & ~O_NONBLOCK);
  archivo->escritura = acceso == Acceso::LecturaEscritura;
  archivo->ruta = ruta;
  if (static_cast<std::size_t>(numero) >= tabla.size()) {
    tabla.resize(static_cast<std::size_t>(numero) + 1);
  }
  tabla[numero] = std::move(archivo);
}

void CerrarArchivo(std::int16_t numero) {
  if (!EstaAbierto(numero)) {
    return;
  }
  std::unique_ptr<Archivo> archivo = std::move(tabla[numero]);
  VaciarPendiente(*archivo); // the destructor closes the descriptor even if this throws
  const int fd = std::exchange(archivo->fd, -1);
  if (::close(fd) != 0 && errno != EINTR) {
    LanzarErrorHost(errno);
  }
}

bool EstaAbierto(std::int16_t numero) noexcept {
  return numero > 0 && static_cast<std::size_t>(numero) < tabla.size() && tabla[numero];
}

int ArchivosAbiertos() noexcept {
  return static_cast<int>(
      std::count_if(tabla.begin(), tabla.end(), [](const auto &a) { return a != nullptr; }));
}

std::int64_t Longitud(std::int16_t numero) {
  Archivo &a = Buscar(numero);
  std::int64_t largo = LongitudHost(a.fd);
  if (!a.pendiente.empty()) {
    largo = std::max(largo, a.inicioPendiente + static_cast<std::int64_t>(a.pendiente.size()));
  }
  return largo;
}

std::uint8_t LeerByte(std::int16_t numero, std::int64_t pos) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  std::int64_t rel = pos - a.inicioBloque;
  if (a.validos < 0 || rel < 0 || rel >= TamanoBloque) {
    CargarBloque(a, pos);
    rel = pos - a.inicioBloque;
  }
  // Inside the block but past what the file holds: past the end reads as 0.
  return rel < a.validos ? a.bloque[static_cast<std::size_t>(rel)] : 0;
}

void LeerBytes(std::int16_t numero, std::int64_t pos, std::span<std::uint8_t> destino) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  const auto largo = static_cast<std::int64_t>(destino.size());
  if (a.validos >= 0 && pos >= a.inicioBloque && pos + largo <= a.inicioBloque + TamanoBloque) {
    for (std::int64_t i = 0; i < largo; ++i) {
      const std::int64_t rel = pos + i - a.inicioBloque;
      destino[static_cast<std::size_t>(i)] = rel < a.validos ? a.bloque[rel] : 0;
    }
    return;
  }
  // Larger reads go straight to the file, which is current once pending bytes are out.
  VaciarPendiente(a);
  const std::size_t leidos = LeerCompleto(a.fd, pos, destino.data(), destino.size());
  std::fill(destino.begin() + static_cast<std::ptrdiff_t>(leidos), destino.end(), 0);
}

void EscribirByte(std::int16_t numero, std::int64_t pos, std::uint8_t valor) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(pos);
  if (!a.escritura) {
    LanzarError(Errores::ModoArchivoIncorrecto);
  }
  // Keep the read block true.
  const std::int64_t rel = pos - a.inicioBloque;
  if (a.validos >= 0 && rel >= 0 && rel < TamanoBloque) {
    if (rel >= a.validos) {
      // Writing past the end: the gap the host will fill with zeros.
      std::fill(a.bloque.begin() + a.validos, a.bloque.begin() + rel, 0);
      a.validos = rel + 1;
    }
    a.bloque[static_cast<std::size_t>(rel)] = valor;
  }
  const std::int64_t finPendiente =
      a.inicioPendiente + static_cast<std::int64_t>(a.pendiente.size());
  if (!a.pendiente.empty() && pos >= a.inicioPendiente && pos < finPendiente) {
    a.pendiente[static_cast<std::size_t>(pos - a.inicioPendiente)] = valor;
    return;
  }
  if (a.pendiente.empty() || pos != finPendiente || a.pendiente.size() >= MaximoPendiente) {
    VaciarPendiente(a);
    a.inicioPendiente = pos;
  }
  a.pendiente.push_back(valor);
}

void EscribirBytes(std::int16_t numero, std::int64_t pos, std::span<const std::uint8_t> datos) {
  for (std::size_t i = 0; i < datos.size(); ++i) {
    EscribirByte(numero, pos + static_cast<std::int64_t>(i), datos[i]);
  }
}

void Vaciar(std::int16_t numero) { VaciarPendiente(Buscar(numero)); }

void FijarLongitud(std::int16_t numero, std::int64_t longitud) {
  Archivo &a = Buscar(numero);
  ComprobarPosicion(longitud);
  if (!a.escritura) {
    LanzarError(Errores::ModoArchivoIncorrecto);
  }
  VaciarPendiente(a);
  a.validos = -1;
  if (::ftruncate(a.fd, static_cast<off_t>(longitud)) != 0) {
    LanzarErrorHost(errno);
  }
}

void PermitirEscritura(std::int16_t numero) {
  Archivo &a = Buscar(numero);
  if (a.escritura) {
    return;
  }
  // Reopening through /proc reaches the very inode we hold, even if its path
  // now names another file; the host still checks the permissions.
  const std::string propio = "/proc/self/fd/" + std::to_string(a.fd);
  int fd = ::open(propio.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(a.ruta.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
      struct stat nuevo {
      }, viejo{};
      if (::fstat(fd, &nuevo) != 0 || ::fstat(a.fd, &viejo) != 0 || nuevo.st_dev != viejo.st_dev ||
          nuevo.st_ino != viejo.st_ino) {
        ::close(fd);
        LanzarError(Errores::ErrorAccesoRuta);
      }
    }
  }
  if (fd < 0) {
    LanzarErrorHost(errno);
  }
  ::close(std::exchange(a.fd, fd));
  a.escritura = true;
}

bool EsElMismoArchivo(std::int16_t numero, const std::string &ruta) noexcept {
  if (!EstaAbierto(numero) || ContieneNulo(ruta)) {
    return false;
  }
  struct stat abierto {
  }, otro{};
  return ::fstat(tabla[numero]->fd, &abierto) == 0 && ::stat(ruta.c_str(), &otro) == 0 &&
         abierto.st_dev == otro.st_dev && abierto.st_ino == otro.st_ino;
}

} // namespace Plataforma
