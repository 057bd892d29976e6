#include "cli/Ordenes.h"

#include "cli/Comprimidos.h"
#include "cli/Imagen.h"
#include "cli/Json.h"
#include "cli/ListadoBasic.h"
#include "cli/NombreHost.h"
#include "cli/VolcadoHex.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <unistd.h>

namespace Cli {

using nlohmann::json;

int LeerNumero(const std::string &texto) {
  std::string cifras = texto;
  int base = 10;
  if (!cifras.empty() && (cifras[0] == '&' || cifras[0] == '#' || cifras[0] == '$')) {
    cifras.erase(0, 1);
    base = 16;
  } else if (cifras.size() > 2 && cifras[0] == '0' && (cifras[1] == 'x' || cifras[1] == 'X')) {
    cifras.erase(0, 2);
    base = 16;
  } else if (cifras.size() > 1 && (cifras.back() == 'h' || cifras.back() == 'H')) {
    cifras.pop_back();
    base = 16;
  }
  if (cifras.empty() || cifras.size() > 6) {
    return -1;
  }
  char *fin = nullptr;
  const long v = std::strtol(cifras.c_str(), &fin, base);
  return (*fin != '\0' || v < 0) ? -1 : static_cast<int>(v);
}

int EjecutarInfo(const OrdenInfo &orden) {
  int salida = kSalidaBien;
  json imagenes = json::array();
  // A zip stands for its images, each under its full name.
  const std::vector<std::string> rutas = ExpandirZips(orden.imagenes, salida);
  const bool conNombres = rutas.size() > 1 || rutas != orden.imagenes;
  for (const std::string &ruta : rutas) {
    const Cls_Imagen imagen(ruta, orden.formato);
    if (!imagen.ErrorPistas().empty()) {
      AvisarError(ruta, imagen.ErrorPistas());
      salida = kSalidaFallo;
      if (orden.json) {
        imagenes.push_back({{"imagen", ruta}, {"error", imagen.ErrorPistas()}});
      }
      continue;
    }
    const cpm::Disco &d = imagen.Disco();
    if (orden.json) {
      const cpm::Contenedor &c = d.contenedor;
      imagenes.push_back({{"imagen", ruta},
                          {"disposicion", std::string(cpm::NombreDisposicion(c.disposicion))},
                          {"firma", c.firma},
                          {"creador", c.creador},
                          {"pistas", c.pistas},
                          {"caras", c.caras},
                          {"formato", d.formato ? JsonFormato(*d.formato) : json(nullptr)},
                          {"problemas", JsonProblemas(d.problemas)}});
      continue;
    }
    if (conNombres) {
      EscribirSalida(ruta + ":\n");
    }
    EscribirSalida(TextoInfo(d));
  }
  if (orden.json) {
    EscribirSalida(TextoJson({{"version", kVersionJson}, {"imagenes", imagenes}}));
  }
  return salida;
}

int EjecutarLs(const OrdenLs &orden) {
  int salida = kSalidaBien;
  json imagenes = json::array();
  // A zip stands for its images, each under its full name.
  const std::vector<std::string> rutas = ExpandirZips(orden.imagenes, salida);
  const bool conNombres = rutas.size() > 1 || rutas != orden.imagenes;
  for (const std::string &ruta : rutas) {
    const Cls_Imagen imagen(ruta, orden.formato);
    const std::string error = imagen.ErrorCatalogo();
    if (!error.empty()) {
      AvisarError(ruta, error);
      salida = kSalidaFallo;
      if (orden.json) {
        imagenes.push_back({{"imagen", ruta}, {"error", error}});
      }
      continue;
    }
    if (orden.json) {
      json j = JsonCatalogo(imagen.Disco());
      j["imagen"] = ruta;
      imagenes.push_back(std::move(j));
      continue;
    }
    if (conNombres) {
      EscribirSalida(ruta + ":\n");
    }
    EscribirSalida(TextoLs(imagen.Disco(), orden.opciones));
  }
  if (orden.json) {
    EscribirSalida(TextoJson({{"version", kVersionJson}, {"imagenes", imagenes}}));
  }
  return salida;
}

namespace {

// The files matching any of the patterns, each once, in catalogue order;
// nothing (with the error reported) when a pattern is malformed.
std::optional<std::vector<const cpm::Archivo *>>
Seleccionar(const cpm::Disco &disco, const std::vector<std::string> &patrones,
            const std::string &imagen, int &salida) {
  std::vector<const cpm::Archivo *> elegidos;
  std::set<const cpm::Archivo *> vistos;
  for (const std::string &texto : patrones) {
    std::string error;
    const auto patron = cpm::CompilarPatron(texto, &error);
    if (!patron) {
      AvisarError(texto, "patrón no válido: " + error);
      salida = kSalidaUso;
      return std::nullopt;
    }
    const auto encontrados = cpm::Buscar(disco, *patron);
    if (encontrados.empty()) {
      AvisarError(imagen, "ningún archivo coincide con " + texto);
      salida = kSalidaFallo;
    }
    for (const cpm::Archivo *a : encontrados) {
      if (vistos.insert(a).second) {
        elegidos.push_back(a);
      }
    }
  }
  return elegidos;
}

// "file" mode needs a valid header; a file without one is its own content.
cpm::ModoExtraccion Modo(const cpm::Archivo &a, bool crudo) {
  return !crudo && a.cabecera ? cpm::ModoExtraccion::Archivo : cpm::ModoExtraccion::Crudo;
}

// Says on stderr why the image's catalogue cannot be read, if it cannot.
bool CatalogoLegible(const Cls_Imagen &imagen) {
  const std::string error = imagen.ErrorCatalogo();
  if (!error.empty()) {
    AvisarError(imagen.Ruta(), error);
  }
  return error.empty();
}

std::string PrimerProblema(const cpm::Extraido &e) {
  return e.problemas.empty() ? "no se puede leer entero" : e.problemas.front().texto;
}

} // namespace

int EjecutarGet(const OrdenGet &orden) {
  const Cls_Imagen imagen(orden.imagen, orden.formato);
  if (!CatalogoLegible(imagen)) {
    return kSalidaFallo;
  }
  int salida = kSalidaBien;
  const auto elegidos = Seleccionar(imagen.Disco(), orden.patrones, orden.imagen, salida);
  if (!elegidos) {
    return salida;
  }
  std::error_code ec;
  std::filesystem::create_directories(orden.destino, ec);
  std::set<std::string> escritos;
  for (const cpm::Archivo *a : *elegidos) {
    std::string nombre = NombreHostSeguro(a->nombre, a->extension);
    if (!escritos.insert(nombre).second) {
      // The same name under another user: keep both.
      nombre = std::to_string(a->usuario) + "_" + nombre;
      escritos.insert(nombre);
    }
    const cpm::Extraido e = cpm::ExtraerArchivo(imagen.Disco(), *a, Modo(*a, orden.crudo));
    const std::string destino = (std::filesystem::path(orden.destino) / nombre).string();
    const std::int16_t fallo =
        EscrituraSegura::EscribirEnCarpeta(orden.destino, nombre, e.bytes, orden.forzar);
    if (fallo != Errores::Ninguno) {
      AvisarError(destino,
                  Errores::Mensaje(fallo) +
                      (fallo == Errores::ArchivoYaExiste ? " (--force lo reemplaza)" : ""));
      salida = kSalidaFallo;
      continue;
    }
    if (!e.completo) {
      AvisarError(orden.imagen, NombreConUsuario(*a) + " incompleto: " + PrimerProblema(e) +
                                    "; escritos " + std::to_string(e.bytes.size()) + " bytes");
      salida = kSalidaFallo;
    }
    EscribirSalida(NombreConUsuario(*a) + " -> " + destino + " (" + std::to_string(e.bytes.size()) +
                   " bytes)\n");
  }
  return salida;
}

namespace {

bool PareceTexto(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t c) {
    return (c >= 0x20 && c < 0x7F) || c == '\n' || c == '\r' || c == '\t' || c == 0x1A;
  });
}

// CP/M text ends at the first ^Z; the rest of the record is filler.
std::span<const std::uint8_t> HastaFinDeTexto(std::span<const std::uint8_t> bytes) {
  const auto fin = std::find(bytes.begin(), bytes.end(), std::uint8_t{0x1A});
  return bytes.first(static_cast<std::size_t>(fin - bytes.begin()));
}

void EscribirBytes(std::span<const std::uint8_t> bytes) {
  EscribirSalida({reinterpret_cast<const char *>(bytes.data()), bytes.size()});
}

} // namespace

int EjecutarCat(const OrdenCat &orden) {
  const Cls_Imagen imagen(orden.imagen, orden.formato);
  if (!CatalogoLegible(imagen)) {
    return kSalidaFallo;
  }
  int salida = kSalidaBien;
  const auto elegidos = Seleccionar(imagen.Disco(), {orden.nombre}, orden.imagen, salida);
  if (!elegidos || elegidos->empty()) {
    return salida;
  }
  if (elegidos->size() > 1) {
    AvisarError(orden.nombre, "coinciden " + std::to_string(elegidos->size()) +
                                  " archivos; cat muestra uno solo");
    return kSalidaUso;
  }
  const cpm::Archivo &a = *elegidos->front();
  const cpm::Extraido e = cpm::ExtraerArchivo(imagen.Disco(), a, Modo(a, orden.crudo));
  if (!e.completo) {
    AvisarError(orden.imagen, NombreConUsuario(a) + " incompleto: " + PrimerProblema(e));
    salida = kSalidaFallo;
  }
  const bool basic = a.cabecera && a.cabecera->tipo == cpm::TipoAmsdos::Basic;
  if (!orden.crudo && basic) {
    const ListadoBasic listado = ListarBasic(e.bytes);
    EscribirSalida(listado.texto);
    if (!listado.nota.empty()) {
      AvisarError(orden.imagen, NombreConUsuario(a) + ": listado interrumpido: " + listado.nota);
      salida = kSalidaFallo;
    }
    return salida;
  }
  if (orden.crudo || ::isatty(STDOUT_FILENO) == 0) {
    EscribirBytes(e.bytes);
  } else if (!a.cabecera && PareceTexto(HastaFinDeTexto(e.bytes))) {
    EscribirBytes(HastaFinDeTexto(e.bytes));
  } else {
    EscribirSalida(VolcadoHex(e.bytes, a.cabecera ? a.cabecera->carga : 0));
  }
  return salida;
}

int EjecutarDump(const OrdenDump &orden) {
  const int id = LeerNumero(orden.sector);
  if (id < 0 || id > 0xFF) {
    AvisarError(orden.sector, "número de sector no válido (use &C1, 0xC1 o 193)");
    return kSalidaUso;
  }
  const Cls_Imagen imagen(orden.imagen, "");
  if (!imagen.ErrorPistas().empty()) {
    AvisarError(orden.imagen, imagen.ErrorPistas());
    return kSalidaFallo;
  }
  const cpm::Contenedor &c = imagen.Disco().contenedor;
  const cpm::Sector *s =
      cpm::BuscarSector(c, orden.pista, orden.cara, static_cast<std::uint8_t>(id));
  char nombre[64];
  std::snprintf(nombre, sizeof nombre, "pista %d, cara %d, sector &%02X", orden.pista, orden.cara,
                id);
  if (s == nullptr) {
    AvisarError(orden.imagen, std::string("no hay ") + nombre);
    return kSalidaFallo;
  }
  char cabecera[160];
  std::snprintf(cabecera, sizeof cabecera,
                "%s: C=%u H=%u R=&%02X N=%u ST1=&%02X ST2=&%02X, %zu bytes en la imagen\n", nombre,
                s->c, s->h, s->r, s->n, s->st1, s->st2, s->datos.size());
  std::string texto = cabecera;
  if (s->copias > 1) {
    texto += "débil: " + std::to_string(s->copias) + " copias guardadas; se muestra la primera\n";
  }
  EscribirSalida(texto + VolcadoHex(s->datos));
  if (s->datos.size() < s->LongitudNominal()) {
    AvisarError(orden.imagen, std::string(nombre) + ": la imagen guarda " +
                                  std::to_string(s->datos.size()) + " de " +
                                  std::to_string(s->LongitudNominal()) + " bytes");
  }
  return kSalidaBien;
}

} // namespace Cli
