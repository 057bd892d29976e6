#include "cli/Flujos.h"

#include "cpm/Flujo.h"
#include "cpm/Superficie.h"
#include "flujo/KryoFlux.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>

namespace Cli {
namespace {

// An HFE v3 image is read whole, as an HFE v1 one; the reader's own limit.
constexpr std::uintmax_t MaxHfe = std::uintmax_t{16} << 20;
constexpr std::size_t Principio = 16;

// The file read a piece at a time, as the SCP reader asks.
class FuenteArchivo final : public flujo::Fuente {
public:
  FuenteArchivo(std::string ruta, std::uint64_t tamano) : ruta_(std::move(ruta)), tamano_(tamano) {}
  [[nodiscard]] std::uint64_t Tamano() const override { return tamano_; }
  std::span<const std::uint8_t> Leer(std::uint64_t desde, std::size_t largo) override {
    const std::int16_t e = Plataforma::LeerTramoArchivo(ruta_, desde, largo, buffer_);
    if (e != Errores::Ninguno) {
      buffer_.clear();
      if (fallo_.empty()) {
        fallo_ = Errores::TrasDosPuntos(Errores::Mensaje(e));
      }
    }
    return buffer_;
  }
  [[nodiscard]] const std::string &Fallo() const override { return fallo_; }

private:
  std::string ruta_;
  std::uint64_t tamano_;
  std::vector<std::uint8_t> buffer_;
  std::string fallo_;
};

std::string Carpeta(const std::string &ruta) {
  const auto barra = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return barra == std::string::npos ? "." : ruta.substr(0, barra == 0 ? 1 : barra);
}

std::string Nombre(const std::string &ruta) {
  const auto barra = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// The stream files of a folder whose names start with `prefijo` (any, when
// `todos`), in cylinder and side order.
std::vector<cpm::ArchivoStream> Streams(const std::string &carpeta, const std::string &prefijo,
                                        bool todos) {
  std::vector<std::pair<std::pair<int, int>, std::string>> v;
  Plataforma::ListarCarpeta(
      carpeta, [](const Plataforma::IdCarpeta &) { return true; },
      [](std::string_view nombre) { return flujo::PistaDeNombre(nombre).has_value(); },
      [&](std::string_view nombre, bool esCarpeta) {
        if (!esCarpeta && (todos || flujo::PrefijoStream(nombre) == prefijo)) {
          v.push_back({*flujo::PistaDeNombre(nombre), std::string(nombre)});
        }
      });
  std::sort(v.begin(), v.end());
  std::vector<cpm::ArchivoStream> archivos;
  for (const auto &[pista, nombre] : v) {
    const std::string ruta = carpeta + "/" + nombre;
    archivos.push_back({pista.first, pista.second, [ruta](std::vector<std::uint8_t> &bytes) {
                          const std::int16_t e = Plataforma::LeerArchivoEntero(ruta, MaxHfe, bytes);
                          return e == Errores::Ninguno
                                     ? std::string()
                                     : Errores::TrasDosPuntos(Errores::Mensaje(e));
                        }});
  }
  return archivos;
}

} // namespace

std::optional<std::string> CargarFlujo(const std::string &ruta, std::vector<std::uint8_t> &dsk,
                                       FlujoCargado &f) {
  cpm::LecturaFlujo l;
  const Plataforma::ClaseArchivo clase = Plataforma::Clase(ruta);
  if (clase == Plataforma::ClaseArchivo::Carpeta) {
    const auto archivos = Streams(ruta, "", true);
    if (archivos.empty()) {
      return std::nullopt;
    }
    f.tipo = "KryoFlux";
    l = cpm::LeerStreamsDisco(archivos);
  } else if (clase != Plataforma::ClaseArchivo::Normal) {
    return std::nullopt;
  } else if (flujo::PistaDeNombre(Nombre(ruta))) {
    f.tipo = "KryoFlux";
    l = cpm::LeerStreamsDisco(
        Streams(Carpeta(ruta), std::string(flujo::PrefijoStream(Nombre(ruta))), false));
  } else {
    std::vector<std::uint8_t> principio;
    std::uintmax_t tamano = 0;
    if (Plataforma::LeerPrincipioArchivo(ruta, Principio, principio, &tamano) != Errores::Ninguno) {
      return std::nullopt;
    }
    const auto tipo = cpm::TipoFlujoDeBytes(principio);
    if (!tipo || *tipo == cpm::TipoFlujo::KryoFlux) {
      return std::nullopt;
    }
    f.tipo = std::string(cpm::NombreFlujo(*tipo));
    if (*tipo == cpm::TipoFlujo::Scp) {
      FuenteArchivo fuente(ruta, tamano);
      l = cpm::LeerScpDisco(fuente);
    } else {
      std::vector<std::uint8_t> bytes;
      const std::int16_t e = Plataforma::LeerArchivoEntero(ruta, MaxHfe, bytes);
      if (e != Errores::Ninguno) {
        return e == Errores::ArgumentoNoValido ? "demasiado grande para ser una imagen HFE"
                                               : Errores::TrasDosPuntos(Errores::Mensaje(e));
      }
      l = cpm::LeerHfeV3Disco(bytes);
    }
  }
  if (!l.disco) {
    return "no se puede leer como " + f.tipo + ": " + l.error;
  }
  f.notas = std::move(l.notas);
  f.perdidas = std::move(l.perdidas);
  std::string error;
  auto extendida = cpm::EscribirExtendida(*l.disco, &error);
  if (!extendida) {
    return error;
  }
  dsk = std::move(*extendida);
  return std::string();
}

} // namespace Cli
