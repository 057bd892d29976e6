#include "cli/Ordenes.h"

#include "cli/Comprimidos.h"
#include "cli/Imagen.h"
#include "cli/Json.h"
#include "cli/JsonEnPartes.h"
#include "cli/NombreHost.h"
#include "cli/Terminal.h"
#include "cpm/Borrados.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"
#include "platform/Proceso.h"
#include "ver/Basic.h"
#include "ver/Hex.h"
#include "ver/Texto.h"
#include "ver/Vista.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>

namespace Cli {

using nlohmann::json;

int LeerNumero(const std::string &texto) {
  std::string_view cifras = texto;
  bool hex = true;
  if (!cifras.empty() && (cifras[0] == '&' || cifras[0] == '#' || cifras[0] == '$')) {
    cifras.remove_prefix(1);
  } else if (cifras.size() > 2 && cifras[0] == '0' && (cifras[1] == 'x' || cifras[1] == 'X')) {
    cifras.remove_prefix(2);
  } else if (cifras.size() > 1 && (cifras.back() == 'h' || cifras.back() == 'H')) {
    cifras.remove_suffix(1);
  } else {
    hex = false;
  }
  // Digits only: strtol would also take blanks, a sign and a second "0x".
  const auto cifra = [hex](char c) {
    return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
               : std::isdigit(static_cast<unsigned char>(c)) != 0;
  };
  if (cifras.empty() || cifras.size() > 6 || !std::all_of(cifras.begin(), cifras.end(), cifra)) {
    return -1;
  }
  return static_cast<int>(std::strtol(std::string(cifras).c_str(), nullptr, hex ? 16 : 10));
}

int LeerCantidad(const std::string &texto) {
  const bool decimal = texto.find_first_not_of("0123456789") == std::string::npos;
  const int n = decimal ? LeerNumero(texto) : -1;
  return n > 0 ? n : -1;
}

namespace {

// Before each image's text when there are several, or one out of a zip: its
// name, and a blank line before every one but the first shown.
std::string Titulo(bool conNombres, const std::string &ruta, bool &primera) {
  if (!conNombres) {
    return {};
  }
  const bool antes = !primera;
  primera = false;
  return (antes ? "\n" : "") + ruta + ":\n";
}

} // namespace

namespace {

// What info and ls make of one image: the error to report (empty: none), its
// JSON object, and its text (nothing: the image is not shown).
struct Vista {
  std::function<std::string(const Cls_Imagen &)> error;
  std::function<json(const Cls_Imagen &)> enJson;
  std::function<std::optional<std::string>(const Cls_Imagen &)> enTexto;
};

// info and ls: each image (a zip standing for its images, each under its full
// name) read in turn, and its JSON written as soon as it is ready: only one is
// ever held.
int PorImagen(const std::vector<std::string> &imagenesDadas, const std::string &formato,
              bool enJson, const Vista &vista) {
  int salida = kSalidaBien;
  bool primera = true;
  Cls_ListaJson imagenes;
  if (enJson) {
    EscribirSalida(Cls_ListaJson::Abrir("imagenes"), true);
  }
  const std::vector<std::string> rutas = ExpandirZips(imagenesDadas, salida);
  const bool conNombres = rutas.size() > 1 || rutas != imagenesDadas;
  for (const std::string &ruta : rutas) {
    const Cls_Imagen imagen(ruta, formato);
    const std::string error = vista.error(imagen);
    if (!error.empty()) {
      AvisarError(ruta, error);
      salida = kSalidaFallo;
    }
    if (enJson) {
      EscribirSalida(imagenes.Elemento(vista.enJson(imagen)), true);
    } else if (const auto texto = vista.enTexto(imagen)) {
      EscribirSalida(Titulo(conNombres, ruta, primera) + *texto);
    }
  }
  if (enJson) {
    EscribirSalida(imagenes.Cerrar({{"version", kVersionJson}}), true);
  }
  return salida;
}

} // namespace

int EjecutarInfo(const OrdenInfo &orden) {
  return PorImagen(orden.imagenes, orden.formato, orden.json,
                   {[](const Cls_Imagen &imagen) {
                      return imagen.ErrorPistas().empty() ? CatalogoIncompleto(imagen.Disco())
                                                          : imagen.ErrorPistas();
                    },
                    JsonInfo,
                    [](const Cls_Imagen &imagen) -> std::optional<std::string> {
                      if (!imagen.ErrorPistas().empty()) {
                        return std::nullopt;
                      }
                      return TextoInfo(imagen.Disco());
                    }});
}

int EjecutarLs(const OrdenLs &orden) {
  return PorImagen(orden.imagenes, orden.formato, orden.json,
                   {[](const Cls_Imagen &imagen) { return imagen.ErrorCatalogo(); }, JsonLs,
                    [&orden](const Cls_Imagen &imagen) -> std::optional<std::string> {
                      if (!imagen.HayCatalogo()) {
                        return std::nullopt;
                      }
                      return TextoLs(imagen.Disco(), orden.opciones);
                    }});
}

std::optional<std::vector<const cpm::Archivo *>>
Seleccionar(const cpm::Disco &disco, const std::vector<std::string> &patrones,
            const std::string &imagen, int &salida, bool borrados) {
  const bool entero = CatalogoIncompleto(disco).empty();
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
    const auto encontrados =
        cpm::Buscar(borrados ? disco.catalogo.archivosBorrados : disco.catalogo.archivos, *patron);
    if (encontrados.empty() && entero) {
      AvisarError(imagen, std::string(borrados ? "ningún archivo borrado" : "ningún archivo") +
                              " coincide con " + texto);
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

bool CatalogoLegible(const Cls_Imagen &imagen, int &salida) {
  const std::string error = imagen.ErrorCatalogo();
  if (!error.empty()) {
    AvisarError(imagen.Ruta(), error);
    salida = kSalidaFallo;
  }
  return imagen.HayCatalogo();
}

namespace {

// "file" mode needs a valid header; a file without one is its own content.
cpm::ModoExtraccion Modo(const cpm::Archivo &a, bool crudo) {
  return !crudo && a.cabecera ? cpm::ModoExtraccion::Archivo : cpm::ModoExtraccion::Crudo;
}

// get's names are the library's: the file's own, then the user's number in
// front, then "_2", "_3"... (cpm::ElegirNombreHost).
cpm::NombreElegido ElegirNombre(const cpm::Archivo &a, const EscrituraSegura::Carpeta &carpeta,
                                std::set<std::string> &deEstaVez, bool forzar) {
  return cpm::ElegirNombreHost(a, deEstaVez, forzar,
                               [&](const std::string &n) { return carpeta.Existe(n); });
}

// A deleted file comes back only while no live file holds its blocks.
bool Recuperable(const cpm::Disco &disco, const cpm::Archivo &a, const OrdenGet &orden) {
  const std::string motivo = orden.borrados ? cpm::MotivoIrrecuperable(disco, a) : "";
  if (!motivo.empty()) {
    AvisarError(orden.imagen, "no se recupera el borrado " + a.NombreCompleto() + ": " + motivo);
  }
  return motivo.empty();
}

std::string PrimerProblema(const cpm::Extraido &e) {
  return e.problemas.empty() ? "no se puede leer entero" : TrasDosPuntos(e.problemas.front().texto);
}

} // namespace

int EjecutarGet(const OrdenGet &orden) {
  const Cls_Imagen imagen(orden.imagen, orden.formato);
  int salida = kSalidaBien;
  if (!CatalogoLegible(imagen, salida)) {
    return salida;
  }
  const auto elegidos =
      Seleccionar(imagen.Disco(), orden.patrones, orden.imagen, salida, orden.borrados);
  if (!elegidos) {
    return salida;
  }
  const std::int16_t creada = Plataforma::CrearCarpetas(orden.destino);
  // Opened once: every file goes into this folder, whatever its path names meanwhile.
  EscrituraSegura::Carpeta carpeta(orden.destino);
  if (carpeta.Error() != Errores::Ninguno) {
    const Plataforma::ClaseArchivo clase = Plataforma::Clase(orden.destino);
    const bool otraCosa = clase != Plataforma::ClaseArchivo::NoExiste &&
                          clase != Plataforma::ClaseArchivo::Desconocida &&
                          clase != Plataforma::ClaseArchivo::Carpeta;
    // Why the folder could not be made says more than its absence.
    const std::int16_t error = creada != Errores::Ninguno ? creada : carpeta.Error();
    AvisarError(orden.destino, otraCosa ? "no es una carpeta" : Errores::Mensaje(error));
    return kSalidaFallo;
  }
  std::set<std::string> deEstaVez;
  // Files that share blocks can seem to hold far more than the disk: no more
  // is written than the image's own bytes, which hold every byte of its files.
  std::uintmax_t escritos = 0;
  for (std::size_t i = 0; i < elegidos->size(); ++i) {
    const cpm::Archivo *a = (*elegidos)[i];
    if (!Recuperable(imagen.Disco(), *a, orden)) {
      salida = kSalidaFallo;
      continue;
    }
    const cpm::Extraido e = cpm::ExtraerArchivo(imagen.Disco(), *a, Modo(*a, orden.crudo));
    if (e.bytes.size() > imagen.Bytes().size() - escritos) {
      const std::size_t quedan = elegidos->size() - i;
      AvisarError(orden.imagen,
                  "se detiene antes de " + NombreConUsuario(*a) + ": lo escrito pasaría de los " +
                      std::to_string(imagen.Bytes().size()) +
                      " bytes de la imagen, así que sus archivos comparten bloques; " +
                      (quedan == 1 ? "queda " : "quedan ") + Plural(quedan, "archivo", "archivos") +
                      " sin escribir");
      return kSalidaFallo;
    }
    escritos += e.bytes.size();
    const cpm::NombreElegido elegido = ElegirNombre(*a, carpeta, deEstaVez, orden.forzar);
    const std::string &nombre = elegido.nombre;
    const bool conSeparador =
        orden.destino.empty() ||
        Plataforma::SeparadoresRuta.find(orden.destino.back()) != std::string_view::npos;
    const std::string destino =
        orden.destino + (conSeparador ? "" : std::string(1, Plataforma::SeparadorRuta)) + nombre;
    const std::int16_t fallo = carpeta.Escribir(nombre, e.bytes, elegido.reemplazable);
    if (fallo != Errores::Ninguno) {
      AvisarError(destino,
                  Errores::Mensaje(fallo) +
                      (fallo == Errores::ArchivoYaExiste ? " (--force lo reemplaza)" : ""));
      salida = kSalidaFallo;
      continue;
    }
    if (!e.completo) {
      AvisarError(orden.imagen, NombreConUsuario(*a) + " incompleto: " + PrimerProblema(e) +
                                    "; escritos " + Plural(e.bytes.size(), "byte", "bytes"));
      salida = kSalidaFallo;
    }
    EscribirSalida(NombreConUsuario(*a) + " -> " + destino + " (" +
                   Plural(e.bytes.size(), "byte", "bytes") + ")\n");
  }
  return salida;
}

namespace {

void EscribirBytes(std::span<const std::uint8_t> bytes) {
  EscribirSalida({reinterpret_cast<const char *>(bytes.data()), bytes.size()});
}

std::string Cadena(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// What cat shows of a file in `texto`; false when it writes the bytes as they
// are (piped, without --hex or --texto). A protected program is ciphered:
// named, then dumped, never listed.
bool ContenidoCat(const OrdenCat &orden, const cpm::Archivo &a, std::span<const std::uint8_t> bytes,
                  bool terminal, std::string &texto, int &salida) {
  // With --raw the header is part of the bytes: nothing but a dump or the bytes.
  const Ver::Vista vista = orden.crudo ? Ver::Vista::Hex : Ver::ElegirVista(a, bytes);
  const std::uint32_t direccion = !orden.crudo && a.cabecera ? a.cabecera->carga : 0;
  const bool protegido = vista == Ver::Vista::BasicProtegido;
  if (orden.hex || (protegido && (terminal || orden.texto))) {
    texto = (protegido ? "programa BASIC protegido\n" : "") + Ver::VolcadoHex(bytes, direccion);
    return true;
  }
  if (vista == Ver::Vista::Basic) {
    const Ver::ListadoBasic listado = Ver::ListarBasic(bytes);
    texto = listado.texto;
    if (!listado.nota.empty()) {
      AvisarError(orden.imagen, NombreConUsuario(a) + ": listado interrumpido: " + listado.nota);
      salida = kSalidaFallo;
    }
    return true;
  }
  // CP/M text ends at ^Z; a file with a header has its exact length.
  const auto hastaFin = a.cabecera ? bytes : Ver::HastaFinDeTexto(bytes);
  if (orden.texto) {
    texto = Cadena(hastaFin);
    return true;
  }
  if (!terminal) {
    return false;
  }
  if (orden.crudo) {
    texto = Cadena(bytes);
    return true;
  }
  texto = vista == Ver::Vista::Texto ? Cadena(hastaFin) : Ver::VolcadoHex(bytes, direccion);
  return true;
}

} // namespace

int EjecutarCat(const OrdenCat &orden) {
  const Cls_Imagen imagen(orden.imagen, orden.formato);
  int salida = kSalidaBien;
  if (!CatalogoLegible(imagen, salida)) {
    return salida;
  }
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
  const bool terminal = Plataforma::EsTerminal(Plataforma::Flujo::Salida);
  std::string texto;
  if (!ContenidoCat(orden, a, e.bytes, terminal, texto, salida)) {
    EscribirBytes(e.bytes); // piped, the content as it is
    return salida;
  }
  // A terminal obeys control bytes: the disk's are shown, never sent.
  EscribirSalida(terminal ? ParaTerminal(texto) : texto);
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
  EscribirSalida(texto + Ver::VolcadoHex(s->datos));
  if (s->datos.size() < s->LongitudNominal()) {
    AvisarError(orden.imagen, std::string(nombre) + ": la imagen guarda " +
                                  std::to_string(s->datos.size()) + " de " +
                                  std::to_string(s->LongitudNominal()) + " bytes");
  }
  return kSalidaBien;
}

} // namespace Cli
