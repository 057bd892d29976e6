// KryoFlux stream files (flujo/KryoFlux.h): a kind only read, one file a side
// of a track, named trackNN.S.raw. A set is opened by its folder or by any of
// its files (which brings the files of that folder with the same prefix);
// each side's file is read only when its turn comes, and decoded as the FDC
// would read it (imagenes/Flujo.h). The bytes of a stream do not tell it from
// a raw dump, so the kind goes by its names.
#include "imagenes/Flujo.h"
#include "imagenes/Fuente.h"
#include "imagenes/Tipos.h"

#include "flujo/KryoFlux.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>
#include <utility>

namespace imagenes {
namespace {

std::string Carpeta(const std::string &ruta) {
  const auto barra = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return barra == std::string::npos ? "." : ruta.substr(0, barra == 0 ? 1 : barra);
}

std::string Nombre(const std::string &ruta) {
  const auto barra = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

struct Stream {
  std::pair<int, int> pista; // cylinder and side
  std::string ruta;
};

// The stream files of a folder whose names start with `prefijo` (any, when
// `todos`), in cylinder and side order.
std::vector<Stream> Streams(const std::string &carpeta, std::string_view prefijo, bool todos) {
  std::vector<Stream> v;
  Plataforma::ListarCarpeta(
      carpeta, [](const Plataforma::IdCarpeta &) { return true; },
      [](std::string_view nombre) { return flujo::PistaDeNombre(nombre).has_value(); },
      [&](std::string_view nombre, bool esCarpeta) {
        if (!esCarpeta && (todos || flujo::PrefijoStream(nombre) == prefijo)) {
          v.push_back({*flujo::PistaDeNombre(nombre), carpeta + "/" + std::string(nombre)});
        }
      });
  std::sort(v.begin(), v.end(), [](const Stream &a, const Stream &b) { return a.pista < b.pista; });
  return v;
}

} // namespace

bool EsRutaKryoFlux(const std::string &ruta) {
  switch (Plataforma::Clase(ruta)) {
  case Plataforma::ClaseArchivo::Carpeta: return !Streams(ruta, "", true).empty();
  case Plataforma::ClaseArchivo::Normal: return flujo::PistaDeNombre(Nombre(ruta)).has_value();
  default: return false;
  }
}

bool EsNombreKryoFlux(std::string_view nombre) {
  // A set is listed once, by its first file.
  const auto pista = flujo::PistaDeNombre(nombre);
  return pista && *pista == std::pair(0, 0);
}

Lectura LeerKryoFlux(std::span<const std::uint8_t> bytes, const OpcionesLectura &) {
  // One stream alone, as a file inside a zip is: the first side of the first track.
  DiscoDeFlujo disco;
  const flujo::LecturaStream l = flujo::LeerStream(bytes, 0, 0);
  disco.Avisos(l.avisos);
  if (!l.pista) {
    return disco.Terminar(1, l.error);
  }
  disco.Flujo(*l.pista);
  return disco.Terminar(1);
}

Lectura LeerKryoFluxArchivo(const std::string &ruta, const OpcionesLectura &) {
  const bool carpeta = Plataforma::Clase(ruta) == Plataforma::ClaseArchivo::Carpeta;
  const std::vector<Stream> streams =
      carpeta ? Streams(ruta, "", true)
              : Streams(Carpeta(ruta), flujo::PrefijoStream(Nombre(ruta)), false);
  DiscoDeFlujo disco;
  std::vector<std::uint8_t> bytes;
  for (const Stream &s : streams) {
    const auto [cilindro, cara] = s.pista;
    bytes.clear();
    if (const std::int16_t e = Plataforma::LeerArchivoEntero(s.ruta, TamanoMaximoArchivo, bytes);
        e != Errores::Ninguno) {
      return disco.Terminar(1, TextoPista(cilindro, cara) + ": " + MotivoLectura(s.ruta, e));
    }
    const flujo::LecturaStream l = flujo::LeerStream(bytes, cilindro, cara);
    disco.Avisos(l.avisos);
    if (!l.pista) {
      disco.Avisos({{cilindro, cara, l.error + "; queda sin formato"}});
      disco.Poner(cilindro, cara, PistaSuperficie{});
      continue;
    }
    disco.Flujo(*l.pista);
  }
  return disco.Terminar(1);
}

} // namespace imagenes
