#include "disk/Cls_Disco.h"

#include "disk/Formato.h"
#include "platform/ArchivosHost.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/Progreso.h"
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
  if (Util->InfoFichero(Fichero).Existe == Falso) {
    return; // a missing file changes nothing
  }
  Cerrar();
  // Opening never asks for write access: read-only images load too.
  const std::int16_t numero = Plataforma::SiguienteNumeroLibre();
  Plataforma::AbrirArchivo(numero, Fichero, Plataforma::Acceso::Lectura);
  NumFichero = numero;
  TotalBytes = static_cast<double>(Plataforma::Longitud(NumFichero));
  NombreFichero = std::move(Fichero);

  // Everything decoding needs lies in the first 2560 bytes: one read.
  std::array<std::uint8_t, Formato::BytesLeidos> inicio{};
  Plataforma::LeerBytes(NumFichero, 0, inicio);
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
  if (!Plataforma::EstaAbierto(NumFichero)) {
    LanzarError(Errores::NumeroArchivoIncorrecto); // before any file is created
  }
  if (Plataforma::EsElMismoArchivo(NumFichero, Ruta)) {
    throw ErrorAlcove(Errores::ErrorAccesoRuta,
                      "No se puede extraer sobre la propia imagen abierta");
  }

  const std::int16_t destino = Plataforma::SiguienteNumeroLibre();
  Plataforma::AbrirArchivo(destino, Ruta, Plataforma::Acceso::LecturaEscritura);
  IndicadorProgreso &progreso = Plataforma::ProgresoCompartido();
  // The host file is closed and the window hidden however the copy ends.
  struct Fin {
    std::int16_t numero;
    IndicadorProgreso &progreso;
    bool mostrado = false;
    bool cerrado = false;
    ~Fin() {
      if (!cerrado) {
        try {
          Plataforma::CerrarArchivo(numero);
        } catch (...) {
        }
      }
      if (mostrado) {
        try {
          progreso.Ocultar();
        } catch (...) {
          // Already unwinding or done: the copy's own outcome is what the caller hears.
        }
      }
    }
  } fin{destino, progreso};

  // The file ends up holding exactly the range: an older, longer file must
  // not keep its tail after the copied bytes.
  Plataforma::FijarLongitud(destino, 0);
  progreso.SetDe(static_cast<double>(desde));
  progreso.SetA(static_cast<double>(hasta));
  progreso.SetTitulo("Extrayendo fichero ....");
  fin.mostrado = true;
  progreso.Mostrar();
  // Byte p of the image goes to offset p - desde of the host file, and the
  // window hears of every position that can change what it shows. Bytes move through a buffer of
  // the same reads NumByte makes (zeros past the end), so the copy costs no call per byte.
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
  fin.cerrado = true;
  Plataforma::CerrarArchivo(destino); // reports a failed last write
}

std::string Cls_Disco::NombreCFichero() const {
  const auto separador = NombreFichero.rfind(Plataforma::SeparadorRuta);
  return separador == std::string::npos ? NombreFichero : NombreFichero.substr(separador + 1);
}

CabeceraDisco Cls_Disco::Cabecera() const { return Cab; }
