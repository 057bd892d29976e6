#include "cli/Ordenes.h"

#include "cli/Json.h"
#include "cli/JsonEnPartes.h"
#include "cli/NombreHost.h"
#include "cli/Salida.h"
#include "cli/Sumas.h"
#include "cli/Terminal.h"
#include "cpm/Borrados.h"
#include "cpm/Extraccion.h"
#include "cpm/Guardado.h"
#include "cpm/Texto.h"
#include "imagenes/Fuente.h"
#include "imagenes/Problema.h"
#include "imagenes/Tipos.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"
#include "platform/Proceso.h"
#include "platform/ReemplazoSeguro.h"
#include "platform/png/Png.h"
#include "util/Numero.h"
#include "ver/CatalogoCpc.h"
#include "ver/Hex.h"
#include "ver/Pantalla.h"
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

int LeerNumero(const std::string &texto) { return LeerNumeroCpc(texto); }

int LeerDecimal(const std::string &texto) {
  const bool decimal = texto.find_first_not_of("0123456789") == std::string::npos;
  return decimal ? LeerNumero(texto) : -1;
}

int LeerCantidad(const std::string &texto) {
  const int n = LeerDecimal(texto);
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

// "*.dsk, *.hfe": the names of images of every kind told by its bytes.
std::string PatronesDeImagen() {
  std::string texto;
  for (const std::string_view e : imagenes::ExtensionesDeImagen()) {
    texto += (texto.empty() ? "*." : ", *.") + std::string(e);
  }
  return texto;
}

// What info and ls make of one image: the error to report (empty: none), its
// JSON object, and its text (nothing: the image is not shown).
struct Vista {
  std::function<std::string(const cpm::Imagen &)> error;
  std::function<json(const cpm::Imagen &)> enJson;
  std::function<std::optional<std::string>(const cpm::Imagen &)> enTexto;
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
    const cpm::Imagen imagen(ruta, {formato});
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
                   {[](const cpm::Imagen &imagen) {
                      return imagen.ErrorPistas().empty() ? cpm::CatalogoIncompleto(imagen.Disco())
                                                          : imagen.ErrorPistas();
                    },
                    [&orden](const cpm::Imagen &imagen) {
                      json j = JsonInfo(imagen);
                      if (orden.sumas && imagen.ErrorPistas().empty()) {
                        j["sumas"] = JsonSumas(imagen);
                      }
                      return j;
                    },
                    [&orden](const cpm::Imagen &imagen) -> std::optional<std::string> {
                      if (!imagen.ErrorPistas().empty()) {
                        return std::nullopt;
                      }
                      return TextoInfo(imagen.Disco()) + (orden.sumas ? TextoSumas(imagen) : "");
                    }});
}

namespace {

// ls --cat: what CAT prints, from the catalogue's own bytes. A terminal is
// shown the names' control codes; piped, they go out as the CPC sends them.
std::string TextoCatCpc(const cpm::Disco &disco) {
  const cpm::Formato &f = *disco.formato;
  // What could be read is shown; ls says what stopped it.
  const std::vector<std::uint8_t> entradas = cpm::LeerEntradasCatalogo(disco.contenedor, f);
  if (!Plataforma::EsTerminal(Plataforma::Flujo::Salida)) {
    return Ver::TextoCat(entradas, f.tamanoBloque, f.bloques, KbLibres(disco));
  }
  // Every control code of a name shown, its CR and LF too: only CAT's own end lines.
  return Ver::TextoCat(entradas, f.tamanoBloque, f.bloques, KbLibres(disco),
                       [](std::string_view nombre) {
                         std::string visible;
                         for (const char c : nombre) {
                           const auto b = static_cast<std::uint8_t>(c);
                           if (b < 0x20 || b == 0x7F) {
                             char t[8];
                             std::snprintf(t, sizeof t, "\\x%02X", b);
                             visible += t;
                           } else {
                             visible += c;
                           }
                         }
                         return visible;
                       });
}

} // namespace

int EjecutarLs(const OrdenLs &orden) {
  return PorImagen(orden.imagenes, orden.formato, orden.json,
                   {[](const cpm::Imagen &imagen) { return imagen.ErrorCatalogo(); }, JsonLs,
                    [&orden](const cpm::Imagen &imagen) -> std::optional<std::string> {
                      if (!imagen.HayCatalogo()) {
                        return std::nullopt;
                      }
                      if (orden.opciones.cat) {
                        return TextoCatCpc(imagen.Disco());
                      }
                      return TextoLs(imagen.Disco(), orden.opciones);
                    }});
}

std::optional<std::vector<const cpm::Archivo *>>
Seleccionar(const cpm::Disco &disco, const std::vector<std::string> &patrones,
            const std::string &imagen, int &salida, bool borrados) {
  const bool entero = cpm::CatalogoIncompleto(disco).empty();
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

std::vector<std::string> ExpandirZips(const std::vector<std::string> &rutas, int &salida) {
  std::vector<std::string> expandidas;
  for (const std::string &ruta : rutas) {
    Plataforma::EstadoArchivo estado;
    if (!imagenes::EsNombreZip(ruta) ||
        Plataforma::LeerEstadoArchivo(ruta, estado) != Errores::Ninguno) {
      expandidas.push_back(ruta);
      continue;
    }
    const std::size_t antes = expandidas.size();
    std::string error = imagenes::ImagenesDeZip(
        ruta,
        [&expandidas](const std::string &imagen) {
          expandidas.push_back(imagen);
          return true;
        },
        {},
        [&salida](const std::string &oculta, const std::string &motivo) {
          AvisarError(oculta, motivo);
          salida = kSalidaFallo;
        });
    if (error.empty() && expandidas.size() == antes) {
      error = "no guarda ninguna imagen de disco (" + PatronesDeImagen() + ")";
    }
    if (!error.empty()) {
      AvisarError(ruta, error);
      salida = kSalidaFallo;
    }
  }
  return expandidas;
}

bool CatalogoLegible(const cpm::Imagen &imagen, int &salida) {
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

// The text of a file: CP/M text ends at ^Z; a file with a header has its exact length.
std::span<const std::uint8_t> FinDelTexto(const cpm::Archivo &a,
                                          std::span<const std::uint8_t> bytes) {
  return a.cabecera ? bytes : Ver::HastaFinDeTexto(bytes);
}

std::string PrimerProblema(const cpm::Extraido &e) {
  return e.problemas.empty() ? "no se puede leer entero" : TrasDosPuntos(e.problemas.front().texto);
}

} // namespace

int EjecutarGet(const OrdenGet &orden) {
  const cpm::Imagen imagen(orden.imagen, {orden.formato});
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
    AvisarError(orden.destino,
                otraCosa ? "no es una carpeta" : TrasDosPuntos(Errores::Mensaje(error)));
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
    cpm::Extraido e = cpm::ExtraerArchivo(imagen.Disco(), *a, Modo(*a, orden.crudo));
    if (e.bytes.size() > imagen.BytesLeidos().size() - escritos) {
      const std::size_t quedan = elegidos->size() - i;
      AvisarError(orden.imagen,
                  "se detiene antes de " + a->NombreConUsuario() + ": lo escrito pasaría de los " +
                      std::to_string(imagen.BytesLeidos().size()) +
                      " bytes de la imagen, así que sus archivos comparten bloques; " +
                      (quedan == 1 ? "queda " : "quedan ") + Plural(quedan, "archivo", "archivos") +
                      " sin escribir");
      return kSalidaFallo;
    }
    escritos += e.bytes.size();
    if (orden.texto) {
      e.bytes = Ver::ConFinesUnix(FinDelTexto(*a, e.bytes));
    }
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
                  TrasDosPuntos(Errores::Mensaje(fallo)) +
                      (fallo == Errores::ArchivoYaExiste ? " (--force lo reemplaza)" : ""));
      salida = kSalidaFallo;
      continue;
    }
    if (!e.completo) {
      AvisarError(orden.imagen, a->NombreConUsuario() + " incompleto: " + PrimerProblema(e) +
                                    "; escritos " + Plural(e.bytes.size(), "byte", "bytes"));
      salida = kSalidaFallo;
    }
    EscribirSalida(a->NombreConUsuario() + " -> " + destino + " (" +
                   Plural(e.bytes.size(), "byte", "bytes") + ")\n");
  }
  return salida;
}

namespace {

void EscribirBytes(std::span<const std::uint8_t> bytes) {
  EscribirSalida({reinterpret_cast<const char *>(bytes.data()), bytes.size()});
}

std::string Cadena(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// A file no viewer lists: text up to its ^Z with --texto or on a terminal
// when it reads as text, a hex dump on a terminal, and piped its bytes as they
// are (false).
bool ContenidoSinVista(const OrdenCat &orden, const cpm::Archivo &a,
                       std::span<const std::uint8_t> bytes, bool terminal, bool esTexto,
                       std::string &texto, std::uint32_t direccion) {
  // CP/M text ends at ^Z; a file with a header has its exact length.
  const auto hastaFin = FinDelTexto(a, bytes);
  if (orden.texto) {
    texto = Cadena(Ver::ConFinesUnix(hastaFin));
    return true;
  }
  if (!terminal) {
    return false;
  }
  if (orden.crudo) {
    texto = Cadena(bytes);
    return true;
  }
  texto = esTexto ? Cadena(hastaFin) : Ver::VolcadoHex(bytes, direccion);
  return true;
}

// A viewer's listing said: one cut short is an error (exit 1), a note about
// a whole one (a loader's machine code) is only said.
void AvisarListado(const OrdenCat &orden, const cpm::Archivo &a, const Ver::Listado &l,
                   int &salida) {
  if (l.parcial) {
    AvisarError(orden.imagen, a.NombreConUsuario() + ": listado interrumpido: " + l.nota);
    salida = kSalidaFallo;
  } else if (!l.nota.empty()) {
    AvisarError(orden.imagen, a.NombreConUsuario() + ": " + l.nota);
  }
}

// The viewer asked for (--tipo, --z80, --png), or the one that fits. With
// --raw the header is part of the bytes: nothing but a dump or the bytes.
Ver::Vista VistaCat(const OrdenCat &orden, const cpm::Archivo &a,
                    std::span<const std::uint8_t> bytes) {
  if (const auto pedida = Ver::VistaPorNombre(orden.tipo)) {
    return *pedida;
  }
  if (!orden.png.empty()) {
    return Ver::Vista::Pantalla;
  }
  return orden.crudo ? Ver::Vista::Hex : Ver::ElegirVista(a, bytes);
}

// The inks for --paleta, in two forms that never stand for each other: a
// list of firmware colours ("1,24,20,6"), or a palette file (OCP Art Studio's,
// or firmware colours as text), named as a path with its folder
// ("./colores.txt"), whatever the current folder holds. `dicha` gets what was
// taken, for the line written: ", paleta 1,24,20,6" or ", paleta del archivo
// ./colores.txt: 0,13".
std::optional<Ver::ArchivoPaleta> PaletaCat(const OrdenCat &orden, std::string &dicha) {
  if (orden.paleta.empty()) {
    return Ver::ArchivoPaleta{Ver::PaletaPorOmision(), std::nullopt};
  }
  const bool archivo = orden.paleta.find_first_of(Plataforma::SeparadoresRuta) != std::string::npos;
  std::string error;
  std::size_t dadas = 0;
  std::optional<Ver::ArchivoPaleta> paleta;
  if (archivo) {
    std::vector<std::uint8_t> bytes;
    const std::int16_t e = Plataforma::LeerArchivoEntero(orden.paleta, 4096, bytes);
    if (e != Errores::Ninguno) {
      AvisarError("--paleta " + orden.paleta, e == Errores::ArgumentoNoValido
                                                  ? "demasiado grande para una paleta"
                                                  : Errores::Mensaje(e));
      return std::nullopt;
    }
    // A file with an AMSDOS header, as taken off a disk with --raw.
    const auto cabecera = cpm::LeerCabeceraAmsdos(bytes);
    const std::span<const std::uint8_t> datos =
        cabecera ? std::span<const std::uint8_t>(bytes).subspan(
                       std::min(bytes.size(), cpm::TamanoCabeceraAmsdos))
                 : std::span<const std::uint8_t>(bytes);
    paleta = Ver::LeerArchivoPaleta(datos, error);
    if (paleta) {
      // OCP's file gives every ink; a text file those it lists.
      std::string sinUso;
      const std::string texto(datos.begin(), datos.end());
      if (paleta->modo || !Ver::LeerPaleta(texto, sinUso, &dadas)) {
        dadas = paleta->paleta.size();
      }
    }
  } else {
    const auto colores = Ver::LeerPaleta(orden.paleta, error, &dadas);
    if (colores) {
      paleta = Ver::ArchivoPaleta{*colores, std::nullopt};
    }
  }
  if (!paleta) {
    // A name given without its folder is taken for colours: say how to name a file.
    const bool pareceArchivo = std::any_of(orden.paleta.begin(), orden.paleta.end(), [](char c) {
      return c == '.' || std::isalpha(static_cast<unsigned char>(c));
    });
    if (!archivo && pareceArchivo && !error.empty() && error.back() == ')') {
      error.insert(error.size() - 1,
                   "; un archivo de colores se nombra con su carpeta: ./" + orden.paleta);
    }
    AvisarError("--paleta " + orden.paleta, error);
    return std::nullopt;
  }
  dicha = archivo ? ", paleta del archivo " + orden.paleta + ": " : ", paleta ";
  for (std::size_t i = 0; i < dadas; ++i) {
    dicha += (i == 0 ? "" : ",") + std::to_string(paleta->paleta[i]);
  }
  return paleta;
}

// Whether `ruta` is the very file the image is read from: the image itself,
// or the zip or .gz holding it, under whatever name.
bool EsLaImagenLeida(const std::string &ruta, const std::string &imagen) {
  Plataforma::EstadoArchivo destino;
  if (Plataforma::LeerEstadoArchivo(ruta, destino) != Errores::Ninguno) {
    return false;
  }
  for (std::size_t fin = imagen.size(); fin != std::string::npos && fin > 0;
       fin = imagen.find_last_of(Plataforma::SeparadoresRuta, fin - 1)) {
    Plataforma::EstadoArchivo e;
    if (Plataforma::LeerEstadoArchivo(imagen.substr(0, fin), e) == Errores::Ninguno) {
      return e.dispositivo == destino.dispositivo && e.identificador == destino.identificador;
    }
  }
  return false;
}

// The screen drawn and written as the PNG file --png names, as the writing
// commands write: an existing file only with --force, never one its user may
// not write, never the image being read.
void PantallaPng(const OrdenCat &orden, const cpm::Archivo &a, std::span<const std::uint8_t> bytes,
                 int &salida) {
  std::string dicha;
  const auto paleta = PaletaCat(orden, dicha);
  if (!paleta) {
    salida = kSalidaUso;
    return;
  }
  const int modo = orden.modo.value_or(paleta->modo.value_or(1));
  const Ver::Pantalla p = Ver::PintarPantalla(bytes, modo, paleta->paleta);
  std::string error;
  const auto png = Plataforma::CodificarPng(p.imagen.ancho, p.imagen.alto, p.imagen.rgb, error);
  if (!png) {
    AvisarError(orden.png, error);
    salida = kSalidaFallo;
    return;
  }
  if (EsLaImagenLeida(orden.png, orden.imagen)) {
    AvisarError(orden.png, "es la imagen que se lee; no se escribe");
    salida = kSalidaFallo;
    return;
  }
  std::string rechazo;
  const std::int16_t fallo = Plataforma::CrearArchivo(orden.png, *png, orden.forzar, &rechazo);
  if (fallo != Errores::Ninguno) {
    AvisarError(orden.png, fallo == Errores::ArchivoYaExiste
                               ? "ya existe; se deja como está (--force lo reemplaza)"
                           : !rechazo.empty()
                               ? cpm::TextoRechazo(rechazo)
                               : "no se ha podido escribir: " + Errores::Mensaje(fallo));
    salida = kSalidaFallo;
    return;
  }
  AvisarListado(orden, a, {{}, p.parcial, p.nota}, salida);
  EscribirSalida(a.NombreConUsuario() + " -> " + orden.png + " (" + std::to_string(p.imagen.ancho) +
                 " × " + std::to_string(p.imagen.alto) + ", modo " + std::to_string(modo) + dicha +
                 ")\n");
}

// Where the file sits in memory for a listing: --desde, or its header's load
// address (and its entry address, for the disassembler).
Ver::Memoria MemoriaCat(const OrdenCat &orden, const cpm::Archivo &a) {
  Ver::Memoria m;
  m.cabecera = a.cabecera.has_value();
  if (!orden.desde.empty()) {
    m.origen = static_cast<std::uint16_t>(LeerNumero(orden.desde)); // checked by the parser
  } else if (!orden.crudo && a.cabecera) {
    m.origen = a.cabecera->carga;
    m.entrada = a.cabecera->entrada;
  }
  return m;
}

// What cat shows of a file in `texto`; false when it writes the bytes as they
// are (piped, without --hex, --texto or a viewer asked for). Programs and
// sources are listed wherever the output goes; machine code is disassembled
// and screens drawn when asked.
bool ContenidoCat(const OrdenCat &orden, const cpm::Archivo &a, std::span<const std::uint8_t> bytes,
                  bool terminal, std::string &texto, int &salida) {
  const Ver::Vista vista = VistaCat(orden, a, bytes);
  const Ver::Memoria memoria = MemoriaCat(orden, a);
  const bool pedida = !orden.tipo.empty();
  if (orden.hex || (pedida && vista == Ver::Vista::Hex)) {
    texto = Ver::FilaDeVista(Ver::Vista::Hex).listar(bytes, memoria).texto;
    return true;
  }
  if (vista == Ver::Vista::Pantalla && !orden.png.empty()) {
    PantallaPng(orden, a, bytes, salida);
    texto.clear();
    return true;
  }
  const Ver::FilaVista &fila = Ver::FilaDeVista(vista);
  if (fila.listar == nullptr || !(fila.siempre || pedida)) {
    return ContenidoSinVista(orden, a, bytes, terminal, vista == Ver::Vista::Texto, texto,
                             memoria.origen);
  }
  const Ver::Listado listado = fila.listar(bytes, memoria);
  texto = listado.texto;
  AvisarListado(orden, a, listado, salida);
  return true;
}

} // namespace

int EjecutarCat(const OrdenCat &orden) {
  const cpm::Imagen imagen(orden.imagen, {orden.formato});
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
    AvisarError(orden.imagen, a.NombreConUsuario() + " incompleto: " + PrimerProblema(e));
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
  const cpm::Imagen imagen(orden.imagen, {orden.formato});
  if (!imagen.ErrorPistas().empty()) {
    AvisarError(orden.imagen, imagen.ErrorPistas());
    return kSalidaFallo;
  }
  const imagenes::Contenedor &c = imagen.Disco().contenedor;
  const imagenes::Sector *s =
      imagenes::BuscarSector(c, orden.pista, orden.cara, static_cast<std::uint8_t>(id));
  const std::string nombre = imagenes::TextoPista(orden.pista, orden.cara) + ", sector " +
                             imagenes::TextoId(static_cast<std::uint8_t>(id));
  if (s == nullptr) {
    AvisarError(orden.imagen, std::string("no hay ") + nombre);
    return kSalidaFallo;
  }
  char cabecera[160];
  std::snprintf(cabecera, sizeof cabecera,
                "%s: C=%u H=%u R=&%02X N=%u ST1=&%02X ST2=&%02X, %zu %s en la imagen\n",
                nombre.c_str(), s->c, s->h, s->r, s->n, s->st1, s->st2, s->datos.size(),
                s->datos.size() == 1 ? "byte" : "bytes");
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
