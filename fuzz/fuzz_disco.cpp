// The disk object driven by arbitrary sequences of calls on real files in a
// tmpfs folder, each result checked against a model of the bytes: which image
// is open, what each file holds, and which failure each bad argument gives.
#include "disk/Cls_Disco.h"
#include "disk/Formato.h"
#include "platform/Errores.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

// Reads the fuzzer's input a byte at a time; zeros once it runs out.
class Lector {
public:
  Lector(const std::uint8_t *datos, std::size_t largo) : datos_(datos), largo_(largo) {}
  std::uint8_t Byte() { return pos_ < largo_ ? datos_[pos_++] : 0; }
  std::uint16_t Doble() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
  [[nodiscard]] bool Quedan() const { return pos_ < largo_; }

private:
  const std::uint8_t *datos_;
  std::size_t largo_;
  std::size_t pos_ = 0;
};

constexpr std::int16_t SinFallo = 0;
constexpr double LimitePosicion = 0x1p62;
constexpr std::int64_t LargoMaximo = 0x7FFFFFFF;

// A position as the fuzzer picks it: the awkward values, or one near the data.
double Posicion(Lector &l) {
  switch (const std::uint8_t tipo = l.Byte(); tipo % 16) {
  case 0: return std::nan("");
  case 1: return INFINITY;
  case 2: return -INFINITY;
  case 3: return -1.0 - l.Byte();
  case 4: return -0.5;
  case 5: return 0x1p40;
  case 6: return LimitePosicion;
  case 7: return static_cast<double>(LargoMaximo) - (l.Byte() % 3);
  case 8: return l.Doble() % 6000 + 0.5;
  case 9: return l.Doble() % 6000 + 0.25;
  default: return static_cast<double>(l.Doble() % 6000);
  }
}

// The documented rounding: non-finite fails with 5, ties to even, negative or
// past 2^62 fails with 63.
struct Pos {
  std::int16_t fallo = SinFallo;
  std::int64_t valor = 0;
};
double Redondo(double x) {
  if (std::fabs(x - std::trunc(x)) == 0.5) {
    return 2.0 * std::round(x / 2.0);
  }
  return std::round(x);
}
Pos Modelo(double x) {
  if (!std::isfinite(x)) {
    return {Errores::ArgumentoNoValido};
  }
  const double r = Redondo(x);
  if (r < 0 || r >= LimitePosicion) {
    return {Errores::PosicionIncorrecta};
  }
  return {SinFallo, static_cast<std::int64_t>(r)};
}

std::int16_t Fallo(const std::function<void()> &paso) {
  try {
    paso();
  } catch (const ErrorAlcove &e) {
    return e.Numero() == SinFallo ? -1 : e.Numero();
  }
  return SinFallo;
}

Bytes LeerArchivo(const std::string &ruta) {
  std::ifstream f(ruta, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void EscribirArchivo(const std::string &ruta, const Bytes &bytes) {
  std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint8_t ByteEn(const Bytes &b, std::int64_t p) {
  return p < static_cast<std::int64_t>(b.size()) ? b[static_cast<std::size_t>(p)] : 0;
}

struct Carpeta {
  std::filesystem::path ruta;
  Carpeta() {
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    // A name of the same length every run (a pid's length varies), so that
    // the paths the disk object handles take the same branches each time.
    std::string plantilla = (base / "alcove-fuzz-disco-XXXXXX").string();
    if (::mkdtemp(plantilla.data()) == nullptr) {
      std::abort();
    }
    ruta = plantilla;
  }
  ~Carpeta() {
    std::error_code ec;
    std::filesystem::remove_all(ruta, ec);
  }
};

// Three image files, one name that is never there, and what each holds.
struct Mundo {
  static constexpr int Imagenes = 3;
  Carpeta carpeta;
  std::array<std::string, Imagenes + 1> rutas;
  std::array<std::optional<Bytes>, Imagenes + 1> contenido;
  std::string salida;

  Mundo() {
    for (int i = 0; i <= Imagenes; ++i) {
      rutas[static_cast<std::size_t>(i)] = (carpeta.ruta / ("img" + std::to_string(i) + ".dsk"));
    }
    salida = carpeta.ruta / "salida.bin";
  }
};

class Prueba {
public:
  Prueba(Mundo &m, Lector &l) : m_(m), l_(l) {}

  void Preparar() {
    for (int i = 0; i < Mundo::Imagenes; ++i) {
      Bytes b(l_.Doble() % 5000);
      for (std::uint8_t &x : b) {
        x = l_.Byte();
      }
      if (l_.Byte() % 2 == 0 && b.size() > 11) {
        std::copy_n("MV - CPCEMU", 11, b.begin()); // half the images have a signature
      }
      EscribirArchivo(m_.rutas[static_cast<std::size_t>(i)], b);
      m_.contenido[static_cast<std::size_t>(i)] = std::move(b);
    }
    std::filesystem::remove(m_.rutas[Mundo::Imagenes]);
    m_.contenido[Mundo::Imagenes].reset();
  }

  void Paso() {
    switch (l_.Byte() % 8) {
    case 0: Cargar(); break;
    case 1: Cerrar(); break;
    case 2: NumByte(); break;
    case 3: ExtraerStr(); break;
    case 4: MeterSTR(); break;
    case 5: Extraer(); break;
    case 6: Reemplazar(); break;
    default: NumByte(); break;
    }
  }

private:
  const Bytes *Abierta() const {
    return abierta_ ? &*abierta_ : nullptr; // what the open file holds
  }

  void Cargar() {
    const std::size_t k = l_.Byte() % (Mundo::Imagenes + 1);
    Comprobar(Fallo([&] { d_.Cargar(m_.rutas[k]); }) == SinFallo);
    if (!m_.contenido[k]) {
      return; // a missing file changes nothing
    }
    abierta_ = *m_.contenido[k];
    indice_ = k;
    reemplazada_ = false;
    Comprobar(d_.NombreFichero == m_.rutas[k]);
    Comprobar(d_.TotalBytes == static_cast<double>(abierta_->size()));
    Comprobar(d_.Cabecera() == Formato::LeerImagen(*abierta_));
  }

  void Cerrar() {
    d_.Cerrar();
    abierta_.reset();
    reemplazada_ = false;
  }

  void NumByte() {
    const double x = Posicion(l_);
    const Pos p = Modelo(x);
    std::uint8_t leido = 0;
    const std::int16_t f = Fallo([&] { leido = d_.NumByte(x); });
    if (p.fallo != SinFallo) {
      Comprobar(f == p.fallo);
    } else if (!Abierta()) {
      Comprobar(f == Errores::NumeroArchivoIncorrecto);
    } else {
      Comprobar(f == SinFallo && leido == ByteEn(*Abierta(), p.valor));
    }
  }

  static bool Grande(const Pos &pa, const Pos &pb) {
    const std::int64_t largo = pb.valor - pa.valor + 1;
    return largo > 64 * 1024 && largo <= LargoMaximo;
  }

  // The failure a range call must give before touching anything, or nullopt
  // when the range is good (`vacio` when it is empty).
  std::optional<std::int16_t> FalloDeRango(double a, double b, bool &vacio, Pos &pa, Pos &pb) {
    vacio = false;
    if (!std::isfinite(a) || !std::isfinite(b)) {
      return Errores::ArgumentoNoValido;
    }
    if (Redondo(a) > Redondo(b)) {
      vacio = true;
      return std::nullopt;
    }
    pa = Modelo(a);
    pb = Modelo(b);
    if (pa.fallo != SinFallo) {
      return pa.fallo;
    }
    if (pb.fallo != SinFallo) {
      return pb.fallo;
    }
    return std::nullopt;
  }

  void ExtraerStr() {
    const double a = Posicion(l_), b = Posicion(l_);
    bool vacio = false;
    Pos pa, pb;
    const auto esperado = FalloDeRango(a, b, vacio, pa, pb);
    if (!esperado && !vacio && Grande(pa, pb)) {
      return; // a good range of up to 2 GiB: too much for one input
    }
    std::string texto;
    const std::int16_t f = Fallo([&] { texto = d_.ExtraerStr(a, b); });
    if (esperado) {
      Comprobar(f == *esperado);
      return;
    }
    if (vacio) {
      Comprobar(f == SinFallo && texto.empty());
      return;
    }
    if (pb.valor - pa.valor + 1 > LargoMaximo) {
      Comprobar(f == Errores::MemoriaInsuficiente);
      return;
    }
    if (!Abierta()) {
      Comprobar(f == Errores::NumeroArchivoIncorrecto);
      return;
    }
    Comprobar(f == SinFallo && static_cast<std::int64_t>(texto.size()) == pb.valor - pa.valor + 1);
    for (std::int64_t p = pa.valor; p <= pb.valor; ++p) {
      Comprobar(texto[static_cast<std::size_t>(p - pa.valor)] ==
                Formato::ByteATexto(ByteEn(*Abierta(), p)));
    }
  }

  void MeterSTR() {
    const double a = Posicion(l_), b = Posicion(l_);
    std::string datos(l_.Byte() % 40, '\0');
    for (char &c : datos) {
      c = static_cast<char>(l_.Byte());
    }
    bool vacio = false;
    Pos pa, pb;
    const auto esperado = FalloDeRango(a, b, vacio, pa, pb);
    if (!esperado && !vacio && pb.valor - pa.valor < static_cast<std::int64_t>(datos.size()) &&
        pb.valor < LargoMaximo && pb.valor > 64 * 1024) {
      return; // a good write far out would grow the file by gigabytes
    }
    const std::int16_t f = Fallo([&] { d_.MeterSTR(a, b, datos); });
    if (esperado) {
      Comprobar(f == *esperado);
      return;
    }
    if (vacio) {
      Comprobar(f == SinFallo);
      return;
    }
    if (static_cast<std::uint64_t>(pb.valor - pa.valor) >= datos.size()) {
      Comprobar(f == Errores::ArgumentoNoValido);
      return;
    }
    if (pb.valor >= LargoMaximo) {
      Comprobar(f == Errores::PosicionIncorrecta);
      return;
    }
    if (!Abierta()) {
      Comprobar(f == Errores::NumeroArchivoIncorrecto);
      return;
    }
    if (reemplazada_) {
      Comprobar(f == Errores::ArchivoNoEncontrado); // the path names another file now
      return;
    }
    Comprobar(f == SinFallo);
    Bytes &b2 = *abierta_;
    if (static_cast<std::int64_t>(b2.size()) <= pb.valor) {
      b2.resize(static_cast<std::size_t>(pb.valor + 1), 0);
    }
    for (std::int64_t p = pa.valor; p <= pb.valor; ++p) {
      b2[static_cast<std::size_t>(p)] =
          static_cast<std::uint8_t>(datos[static_cast<std::size_t>(p - pa.valor)]);
    }
    m_.contenido[indice_] = b2;
    Comprobar(LeerArchivo(m_.rutas[indice_]) == b2);
  }

  void Extraer() {
    double a = Posicion(l_), b = Posicion(l_);
    // Onto the open image itself, while its name still names it.
    const bool sobreLaImagen = l_.Byte() % 16 == 0 && Abierta() && !reemplazada_;
    const std::string destino = sobreLaImagen ? m_.rutas[indice_] : m_.salida;
    std::filesystem::remove(m_.salida);
    bool vacio = false;
    Pos pa, pb;
    const auto esperado = FalloDeRango(a, b, vacio, pa, pb);
    if (!esperado && !vacio && Grande(pa, pb)) {
      return; // a good range of up to 2 GiB: too much for one input
    }
    const std::int16_t f = Fallo([&] { d_.Extraer(destino, a, b); });
    if (esperado) {
      Comprobar(f == *esperado && !std::filesystem::exists(m_.salida));
      return;
    }
    if (vacio) {
      Comprobar(f == SinFallo && !std::filesystem::exists(m_.salida));
      return;
    }
    if (pb.valor - pa.valor + 1 > LargoMaximo) {
      Comprobar(f == Errores::ArgumentoNoValido && !std::filesystem::exists(m_.salida));
      return;
    }
    if (!Abierta()) {
      Comprobar(f == Errores::NumeroArchivoIncorrecto && !std::filesystem::exists(m_.salida));
      return;
    }
    if (sobreLaImagen) {
      Comprobar(f == Errores::ErrorAccesoRuta);
      return;
    }
    Comprobar(f == SinFallo);
    const Bytes salida = LeerArchivo(m_.salida);
    Comprobar(static_cast<std::int64_t>(salida.size()) == pb.valor - pa.valor + 1);
    for (std::int64_t p = pa.valor; p <= pb.valor; ++p) {
      Comprobar(salida[static_cast<std::size_t>(p - pa.valor)] == ByteEn(*Abierta(), p));
    }
  }

  // Another program saves a new file over an image's name, or deletes it.
  void Reemplazar() {
    const std::size_t k = l_.Byte() % Mundo::Imagenes;
    const std::string &ruta = m_.rutas[k];
    if (l_.Byte() % 2 == 0) {
      std::filesystem::remove(ruta);
      m_.contenido[k].reset();
    } else {
      const std::string temporal = ruta + ".nuevo";
      Bytes nuevo(l_.Byte(), l_.Byte());
      EscribirArchivo(temporal, nuevo);
      std::filesystem::rename(temporal, ruta);
      m_.contenido[k] = std::move(nuevo);
    }
    if (k == indice_ && abierta_) {
      reemplazada_ = true;
    }
  }

  Mundo &m_;
  Lector &l_;
  Cls_Disco d_;
  std::optional<Bytes> abierta_;
  std::size_t indice_ = 0;
  bool reemplazada_ = false; // the open image's name now names another file, or none
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  static Mundo mundo;
  Lector lector(datos, largo);
  Prueba prueba(mundo, lector);
  prueba.Preparar();
  for (int pasos = 0; pasos < 64 && lector.Quedan(); ++pasos) {
    prueba.Paso();
  }
  return 0;
}
