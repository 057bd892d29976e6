#include "disk/Cls_Disco.h"

#include "disk/Formato.h"
#include "platform/ArchivosHost.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/Progreso.h"
#include "util/AlSalir.h"
#include "util/Cls_Util.h"
#include "util/Redondeo.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

// Longest text ExtraerStr hands out; a longer range is refused rather than
// allocated (a corrupt or hostile caller could ask for petabytes).
constexpr std::int64_t TrozoExtraccion = 64 * 1024;

constexpr std::int64_t LargoMaximoTexto = std::numeric_limits<std::int32_t>::max();

// Positions come as doubles; fractions round to nearest, ties to even.
std::int64_t Posicion(double valor) {
  // Callers pass whole numbers; take them without a rounding call.
  if (valor >= 0 && valor < 0x1p62) {
    const auto entero = static_cast<std::int64_t>(valor);
    if (static_cast<double>(entero) == valor) {
      return entero;
    }
  }
  if (!std::isfinite(valor)) {
    LanzarError(Errores::ArgumentoNoValido);
  }
  const double redondo = RedondearPar(valor);
  if (redondo < 0) {
    LanzarError(Errores::PosicionIncorrecta);
  }
  if (redondo >= 0x1p62) {
    LanzarError(Errores::PosicionIncorrecta);
  }
  return static_cast<std::int64_t>(redondo);
}

// Closes a host file on the way out of a failure: the failure itself is what
// the caller must hear.
void CerrarSinFallo(std::int16_t numero) noexcept {
  try {
    Plataforma::CerrarArchivo(numero);
  } catch (...) {
  }
}

// Rounds without judging the sign, for comparing the two ends of a range.
double Redondo(double valor) {
  if (!std::isfinite(valor)) {
    LanzarError(Errores::ArgumentoNoValido);
  }
  return RedondearPar(valor);
}

} // namespace

Cls_Disco::Cls_Disco() = default;

Cls_Disco::~Cls_Disco() {
  try {
    Cerrar();
  } catch (...) {
    // Nothing is written through the image at close; a failing close has no one to tell.
  }
}

void Cls_Disco::Cargar(std::string Fichero) {
  if (!Util) {
    Util = std::make_unique<Cls_Util>();
  }
  // The new image is opened before the old one is let go: a load that fails
  // leaves the object serving the image it had.
  const std::int16_t numero = Plataforma::SiguienteNumeroLibre();
  try {
    if (!Plataforma::AbrirImagen(numero, Fichero)) {
      return; // a folder, FIFO, device or a file of 2 GiB or more: nothing changes
    }
  } catch (const ErrorAlcove &) {
    if (Util->InfoFichero(Fichero).Existe == Falso) {
      return; // a missing file changes nothing
    }
    throw; // it is there, but cannot be opened: the caller must hear why
  }
  AlSalir cerrarNueva([numero] { CerrarSinFallo(numero); });
  // Everything decoding needs lies in the first 2560 bytes: one read.
  std::array<std::uint8_t, Formato::BytesLeidos> inicio{};
  Plataforma::LeerBytes(numero, 0, inicio);
  const auto longitud = static_cast<double>(Plataforma::Longitud(numero));
  Cerrar();
  cerrarNueva.Cancelar();
  NumFichero = numero;
  TotalBytes = longitud;
  NombreFichero = std::move(Fichero);
  Formato::LeerCabecera(inicio, Cab);
  Formato::LeerDirectorio(inicio, Cab);
}

void Cls_Disco::Cerrar() {
  // The number is forgotten once closed: the table hands it out again, and this
  // object must never read or close another object's file through it.
  Plataforma::CerrarArchivo(std::exchange(NumFichero, std::int16_t{0}));
}

std::uint8_t Cls_Disco::NumByte(double Pos) const {
  return Plataforma::LeerByte(NumFichero, Posicion(Pos));
}

std::string Cls_Disco::ExtraerStr(double HexI, double HexO) const {
  if (Redondo(HexI) > Redondo(HexO)) {
    return {};
  }
  const std::int64_t desde = Posicion(HexI);
  const std::int64_t hasta = Posicion(HexO);
  const std::int64_t largo = hasta - desde + 1;
  if (largo > LargoMaximoTexto) {
    LanzarError(Errores::MemoriaInsuficiente);
  }
  std::string texto(static_cast<std::size_t>(largo), '\0');
  Plataforma::LeerBytes(NumFichero, desde,
                        std::span(reinterpret_cast<std::uint8_t *>(texto.data()), texto.size()));
  for (char &c : texto) {
    c = Formato::ByteATexto(static_cast<std::uint8_t>(c));
  }
  return texto;
}

void Cls_Disco::MeterSTR(double HexI, double HexO, std::string Datos) {
  if (Redondo(HexI) > Redondo(HexO)) {
    return;
  }
  const std::int64_t desde = Posicion(HexI);
  const std::int64_t hasta = Posicion(HexO);
  // Too few characters is refused before anything is written, so a failed
  // call never leaves the image half changed.
  if (static_cast<std::uint64_t>(hasta - desde) >= Datos.size()) {
    LanzarError(Errores::ArgumentoNoValido);
  }
  // Positions stay below 2 GiB, the largest image Alcove opens again.
  if (hasta >= Plataforma::LongitudMaximaImagen) {
    LanzarError(Errores::PosicionIncorrecta);
  }
  if (!Plataforma::EstaAbierto(NumFichero)) {
    LanzarError(Errores::NumeroArchivoIncorrecto);
  }
  // Another program may have saved a new file over the image's name, or
  // deleted it: writing into the old, nameless file would lose the edit.
  if (!Plataforma::EsElMismoArchivo(NumFichero, NombreFichero)) {
    throw ErrorAlcove(Errores::ArchivoNoEncontrado,
                      "La imagen ya no está en su ruta: otro programa la ha cambiado o borrado");
  }
  Plataforma::PermitirEscritura(NumFichero);
  Plataforma::EscribirBytes(NumFichero, desde,
                            std::span(reinterpret_cast<const std::uint8_t *>(Datos.data()),
                                      static_cast<std::size_t>(hasta - desde + 1)));
  Plataforma::Vaciar(NumFichero);
}

void Cls_Disco::Extraer(std::string Ruta, double &HexI, double &HexO) {
  if (Redondo(HexI) > Redondo(HexO)) {
    return;
  }
  const std::int64_t desde = Posicion(HexI);
  const std::int64_t hasta = Posicion(HexO);
  ComprobarExtraccion(Ruta, desde, hasta);

  const std::int16_t destino = Plataforma::SiguienteNumeroLibre();
  Plataforma::AbrirArchivo(destino, Ruta, Plataforma::Acceso::LecturaEscritura);
  IndicadorProgreso &progreso = Plataforma::ProgresoCompartido();
  bool mostrado = false;
  // The host file is closed and the window hidden however the copy ends.
  AlSalir fin([&] {
    CerrarSinFallo(destino);
    if (mostrado) {
      try {
        progreso.Ocultar();
      } catch (...) {
        // Already unwinding or done: the copy's own outcome is what the caller hears.
      }
    }
  });
  // The file ends up holding exactly the range: an older, longer file must
  // not keep its tail after the copied bytes.
  Plataforma::FijarLongitud(destino, 0);
  progreso.SetDe(static_cast<double>(desde));
  progreso.SetA(static_cast<double>(hasta));
  progreso.SetTitulo("Extrayendo fichero ....");
  mostrado = true;
  progreso.Mostrar();
  CopiarConProgreso(destino, desde, hasta, progreso);
  Plataforma::CerrarArchivo(destino); // reports a failed last write; the guard then finds it closed
}

void Cls_Disco::ComprobarExtraccion(const std::string &Ruta, std::int64_t desde,
                                    std::int64_t hasta) const {
  // The same bound as ExtraerStr, before anything is opened: a huge range
  // would otherwise write zeros until the disk is full.
  if (hasta - desde + 1 > LargoMaximoTexto) {
    throw ErrorAlcove(Errores::ArgumentoNoValido, "El intervalo a extraer pasa de 2 GiB");
  }
  if (!Plataforma::EstaAbierto(NumFichero)) {
    LanzarError(Errores::NumeroArchivoIncorrecto); // before any file is created
  }
  if (Plataforma::EsElMismoArchivo(NumFichero, Ruta)) {
    throw ErrorAlcove(Errores::ErrorAccesoRuta,
                      "No se puede extraer sobre la propia imagen abierta");
  }
}

// Byte p of the image goes to offset p - desde of `destino`, and the window
// hears of every position that can change what it shows. Bytes move through a
// buffer of the same reads NumByte makes (zeros past the end), so the copy
// costs no call per byte.
void Cls_Disco::CopiarConProgreso(std::int16_t destino, std::int64_t desde, std::int64_t hasta,
                                  IndicadorProgreso &progreso) const {
  std::vector<std::uint8_t> trozo(
      static_cast<std::size_t>(std::min<std::int64_t>(hasta - desde + 1, TrozoExtraccion)));
  // The window may say which coming positions leave it unchanged; those are not
  // reported one by one (the last position always is).
  double sinCambios = progreso.SinCambiosHasta();
  for (std::int64_t p = desde; p <= hasta;) {
    const std::size_t largo =
        static_cast<std::size_t>(std::min<std::int64_t>(hasta - p + 1, TrozoExtraccion));
    const std::span<std::uint8_t> bytes(trozo.data(), largo);
    try {
      Plataforma::LeerBytes(NumFichero, p, bytes);
    } catch (...) {
      // A read failing inside the chunk: copy byte by byte up to the failing
      // position, so that what could be copied stays in the file, then fail.
      for (std::size_t k = 0; k < largo; ++k) {
        const std::int64_t pos = p + static_cast<std::int64_t>(k);
        progreso.SetValor(static_cast<double>(pos));
        Plataforma::EscribirByte(destino, pos - desde, Plataforma::LeerByte(NumFichero, pos));
      }
      throw; // every byte read after all: report the failure all the same
    }
    std::size_t listos = 0;
    try {
      while (listos < largo) {
        const std::int64_t pos = p + static_cast<std::int64_t>(listos);
        std::int64_t siguiente = hasta; // the next position the window must hear of
        if (sinCambios <= static_cast<double>(pos)) {
          siguiente = pos;
        } else if (sinCambios < static_cast<double>(hasta)) {
          siguiente = static_cast<std::int64_t>(std::ceil(sinCambios));
        }
        if (siguiente > pos) {
          listos += static_cast<std::size_t>(
              std::min<std::int64_t>(siguiente - pos, static_cast<std::int64_t>(largo - listos)));
          continue;
        }
        progreso.SetValor(static_cast<double>(pos));
        sinCambios = progreso.SinCambiosHasta();
        ++listos;
      }
    } catch (...) {
      // Whatever was copied before the failing position stays in the file.
      Plataforma::EscribirBytes(destino, p - desde, bytes.first(listos));
      throw;
    }
    Plataforma::EscribirBytes(destino, p - desde, bytes);
    p += static_cast<std::int64_t>(largo);
  }
}

std::string Cls_Disco::NombreCFichero() const {
  const auto separador = NombreFichero.find_last_of(Plataforma::SeparadoresRuta);
  return separador == std::string::npos ? NombreFichero : NombreFichero.substr(separador + 1);
}

CabeceraDisco Cls_Disco::Cabecera() const { return Cab; }
