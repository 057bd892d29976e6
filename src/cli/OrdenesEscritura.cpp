#include "cli/OrdenesEscritura.h"

#include "cli/Listado.h"
#include "cli/Ordenes.h"
#include "cli/Salida.h"
#include "cpm/Escritura.h"
#include "cpm/Formatos.h"
#include "cpm/Guardado.h"
#include "cpm/Imagen.h"
#include "cpm/Poner.h"
#include "cpm/Texto.h"
#include "imagenes/Fuente.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"
#include "platform/ReemplazoSeguro.h"
#include "ver/Texto.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <tuple>

namespace Cli {
namespace {

// The tests stop the program here to change the image under it; nobody else
// sets this.
void ParadaDePrueba() {
  if (std::getenv("ALCOVE_PRUEBA_PARAR_ANTES_DE_REEMPLAZAR") != nullptr) {
#if defined(SIGSTOP) // no such signal on Windows, where the tests that stop it skip
    std::raise(SIGSTOP);
#endif
  }
}

// Images inside zips and .gz files are only read: nothing rewrites an archive.
// True, with the reason said, for such a path.
bool Comprimida(const std::string &ruta) {
  if (!imagenes::EsRutaComprimida(ruta)) {
    return false;
  }
  AvisarError(ruta, imagenes::MotivoRutaComprimida());
  return true;
}

// Writing needs an image of a kind written in place (HFE is only read), and
// its whole catalogue: a file it does not see could be overwritten.
bool Escribible(const cpm::Imagen &imagen) {
  if (const std::string motivo = imagen.MotivoSoloLectura(); !motivo.empty()) {
    AvisarError(imagen.Ruta(), motivo);
    return false;
  }
  int salida = kSalidaBien;
  CatalogoLegible(imagen, salida);
  return salida == kSalidaBien;
}

// The way --force takes past one kind of refusal, said after it: "--force lo reemplaza".
struct PasoForce {
  cpm::TipoRechazo tipo;
  const char *texto;
};

// Writes the library's result over the image read, unless it refused or
// someone changed the file meanwhile (cpm::GuardarEscrito). Returns the exit code.
int Guardar(const cpm::Imagen &imagen, const cpm::Escrito &escrito,
            std::optional<PasoForce> force = std::nullopt) {
  if (!escrito.Hecho()) {
    const bool conForce = force && force->tipo == escrito.rechazo->tipo;
    AvisarError(imagen.Ruta(), TrasDosPuntos(escrito.rechazo->texto) +
                                   (conForce ? " (" + std::string(force->texto) + ")" : ""));
    return kSalidaFallo;
  }
  const cpm::Guardado guardado =
      cpm::GuardarEscrito(imagen.Ruta(), imagen.Bytes(), imagen.Huella(), escrito, ParadaDePrueba);
  if (!guardado.error.empty()) {
    AvisarError(imagen.Ruta(), guardado.error);
    return kSalidaFallo;
  }
  return kSalidaBien;
}

// A pattern without N: that matches files of several users does not say
// which it means (CP/M's ERA and REN work in one user): what to tell the
// user then, or nothing.
std::string Ambiguo(const cpm::Disco &disco, const std::string &texto) {
  const auto patron = cpm::CompilarPatron(texto);
  if (!patron || patron->usuario) {
    return {};
  }
  std::set<std::uint8_t> usuarios;
  for (const cpm::Archivo *a : cpm::Buscar(disco.catalogo.archivos, *patron)) {
    usuarios.insert(a->usuario);
  }
  if (usuarios.size() < 2) {
    return {};
  }
  std::vector<std::string> cuales;
  for (const std::uint8_t u : usuarios) {
    cuales.push_back(cpm::NombreConUsuario(u, texto, true));
  }
  return texto + " casa con archivos de " + Plural(usuarios.size(), "usuario", "usuarios") +
         "; diga cuál: " + Enumerar(cuales);
}

// A change to an image that is no archive member and whose whole catalogue
// reads: `cambio` gets the reading and the identity the replacement checks.
using Cambio = std::function<int(const cpm::Imagen &)>;
int CambiarImagen(const std::string &ruta, const Cambio &cambio) {
  if (Comprimida(ruta)) {
    return kSalidaFallo;
  }
  const cpm::Imagen imagen(ruta, cpm::Imagen::ParaCambiar{});
  if (!Escribible(imagen)) {
    return kSalidaFallo;
  }
  return cambio(imagen);
}

// How rm and attr tell what they did: a line per file, then how many.
struct Resumen {
  std::function<std::string(const cpm::Archivo &)> linea;
  const char *uno;
  const char *varios;
};

// rm and attr: the files the patterns name, all or nothing (a pattern matching
// nothing stops the rest), in one write, then a line for each. With
// `unUsuario`, a pattern without N: must name the files of one user.
using CambioElegidos =
    std::function<cpm::Escrito(const cpm::Imagen &, std::span<const cpm::Archivo *const>)>;
int CambiarSeleccion(const std::string &ruta, const std::vector<std::string> &patrones,
                     bool unUsuario, const CambioElegidos &cambio, const Resumen &resumen,
                     std::optional<PasoForce> force = std::nullopt) {
  return CambiarImagen(ruta, [&](const cpm::Imagen &imagen) {
    int salida = kSalidaBien;
    const auto elegidos = Seleccionar(imagen.Disco(), patrones, ruta, salida);
    if (!elegidos || salida != kSalidaBien) {
      return salida;
    }
    for (const std::string &patron : patrones) {
      const std::string ambiguo = unUsuario ? Ambiguo(imagen.Disco(), patron) : "";
      if (!ambiguo.empty()) {
        AvisarError(ruta, ambiguo + ", o dé --todos");
        return kSalidaFallo;
      }
    }
    salida = Guardar(imagen, cambio(imagen, *elegidos), force);
    if (salida == kSalidaBien) {
      std::string texto;
      for (const cpm::Archivo *a : *elegidos) {
        texto += resumen.linea(*a) + "\n";
      }
      EscribirSalida(texto + Plural(elegidos->size(), resumen.uno, resumen.varios) + "\n");
    }
    return salida;
  });
}

// A bare number of four digits or more reads as decimal, but iDSK and many
// CPC listings would read it as hex: when the two differ, say which it is.
void AvisarDecimal(const char *opcion, const std::string &texto, int valor) {
  const int hex = cpm::ValorSiFueraHex(texto);
  if (hex < 0) {
    return;
  }
  char aviso[160];
  std::snprintf(aviso, sizeof aviso,
                "%s se lee como decimal (&%04X); para &%s escriba &%s, entre comillas",
                texto.c_str(), static_cast<unsigned>(valor), texto.c_str(), texto.c_str());
  AvisarError(opcion, aviso);
}

// An address as dump takes numbers, from &0000 to &FFFF; nothing (reported) if not.
std::optional<std::uint16_t> LeerDireccion(const char *opcion, const std::string &texto) {
  if (texto.empty()) {
    AvisarError("uso", std::string("falta la dirección de ") + opcion +
                           ": escriba '&4000', entre comillas (sin ellas el shell se queda con "
                           "el &)");
    return std::nullopt;
  }
  const int valor = LeerNumero(texto);
  if (valor < 0 || valor > 0xFFFF) {
    AvisarError("uso", std::string("dirección no válida para ") + opcion + ": " + texto +
                           " (de &0000 a &FFFF: &4000, #4000, $4000, 0x4000, 4000h o 16384)");
    return std::nullopt;
  }
  AvisarDecimal(opcion, texto, valor);
  return static_cast<std::uint16_t>(valor);
}

// A decimal value between `minimo` and `maximo`; nothing (reported with
// `rango`) when it is not one.
std::optional<int> LeerEnRango(const char *opcion, const std::string &texto, int minimo, int maximo,
                               const char *rango) {
  const int n = LeerDecimal(texto);
  if (n < minimo || n > maximo) {
    AvisarError("uso",
                std::string("valor no válido para ") + opcion + ": " + texto + " (" + rango + ")");
    return std::nullopt;
  }
  return n;
}

// The name a host file takes on the disk: --nombre, or its own name (the
// library's rule: a user prefix is taken only from --nombre; a host file's name
// with ':' is refused).
std::optional<cpm::NombreCpm> NombreEnDisco(const OrdenPut &orden, const std::string &archivo) {
  const auto usuario = static_cast<std::uint8_t>(orden.usuario);
  std::string error;
  auto nombre = orden.nombre.empty() ? cpm::NombreDeArchivoHost(archivo, usuario, &error)
                                     : cpm::ValidarNombre(orden.nombre, usuario, &error);
  if (!nombre) {
    AvisarError(archivo, error + (orden.nombre.empty() ? " (--nombre le da otro)" : ""));
  }
  return nombre;
}

cpm::TipoPoner TipoDe(const std::string &tipo) {
  return tipo == "binario" ? cpm::TipoPoner::Binario
         : tipo == "basic" ? cpm::TipoPoner::Basic
         : tipo == "ascii" ? cpm::TipoPoner::Ascii
                           : cpm::TipoPoner::Auto;
}

// A host file ready for the disk, and what was done to it on the way.
struct Preparado {
  cpm::ArchivoNuevo archivo;
  bool cabeceraAnadida = false;
  std::size_t lineasCpm = 0;   // LF line ends given their CR
  std::size_t lineasBasic = 0; // lines of a BASIC text tokenised
};

// What a host file becomes on the disk, with --tipo; nothing (reported) if it
// cannot be read or cannot have the header asked for.
std::optional<Preparado> Preparar(const OrdenPut &orden, const std::string &archivo,
                                  std::uint16_t carga, std::uint16_t entrada) {
  const auto nombre = NombreEnDisco(orden, archivo);
  if (!nombre) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  if (const std::string error = cpm::LeerArchivoParaPoner(archivo, bytes); !error.empty()) {
    AvisarError(archivo, TrasDosPuntos(error));
    return std::nullopt;
  }
  cpm::ParaPoner puesto = cpm::ContenidoParaPoner(TipoDe(orden.tipo), *nombre, std::move(bytes),
                                                  carga, entrada, orden.crudo);
  if (!puesto.rechazo.empty()) {
    AvisarError(archivo, puesto.rechazo);
    return std::nullopt;
  }
  if (!puesto.nota.empty()) {
    AvisarError(archivo, puesto.nota + " (--tipo basic lo rechaza, --tipo ascii lo calla)");
  }
  return Preparado{{*nombre, std::move(puesto.contenido), orden.soloLectura, orden.sistema},
                   puesto.cabeceraAnadida,
                   puesto.lineasCpm,
                   puesto.lineasBasic};
}

// "BASIC, carga &0170" or "binario, carga &4000, ejecución &4010"; with
// `conCodigo`, the type byte after the type's name: "binario (&02), ...".
std::string TextoCabecera(const cpm::CabeceraAmsdos &c, bool conCodigo = false) {
  char texto[80];
  std::string s(cpm::NombreTipo(c.tipo));
  if (conCodigo) {
    std::snprintf(texto, sizeof texto, " (&%02X)", static_cast<unsigned>(c.tipoCrudo));
    s += texto;
  }
  std::snprintf(texto, sizeof texto, ", carga &%04X", static_cast<unsigned>(c.carga));
  s += texto;
  if (c.tipo == cpm::TipoAmsdos::Binario) {
    std::snprintf(texto, sizeof texto, ", ejecución &%04X", static_cast<unsigned>(c.entrada));
    s += texto;
  }
  return s;
}

// What put says of a file: the length ls -l and get give, the header, the line
// ends changed and the filler of the last record. `enDisco` is the file as the
// new image reads.
std::string DescribirPuesto(const Preparado &p, const cpm::Archivo *enDisco) {
  const std::vector<std::uint8_t> &contenido = p.archivo.contenido;
  const std::uint64_t longitud = enDisco != nullptr ? enDisco->longitud : contenido.size();
  const auto cabecera = enDisco != nullptr ? enDisco->cabecera : cpm::LeerCabeceraAmsdos(contenido);
  std::string s = Plural(longitud, "byte", "bytes") + ", ";
  if (p.lineasBasic > 0) {
    s += "BASIC tokenizado de " + Plural(p.lineasBasic, "línea", "líneas") + ", ";
  }
  if (!cabecera) {
    s += "sin cabecera";
  } else {
    s += (p.cabeceraAnadida
              ? "cabecera AMSDOS añadida: "
              : "con su cabecera " + std::string(cpm::NombreFormato(cabecera->formato)) + ": ") +
         TextoCabecera(*cabecera);
  }
  if (p.lineasCpm > 0) {
    s += ", " + Plural(p.lineasCpm, "línea pasada a CR LF", "líneas pasadas a CR LF");
  }
  if (!cabecera && longitud > contenido.size()) {
    s += ", " + std::to_string(contenido.size()) + " del archivo y " +
         std::to_string(longitud - contenido.size()) + " de relleno ^Z";
  }
  return s;
}

// The file of that name and user in a reading, or null.
const cpm::Archivo *Buscado(const cpm::Disco &disco, const cpm::NombreCpm &nombre) {
  for (const cpm::Archivo &a : disco.catalogo.archivos) {
    if (a.usuario == nombre.usuario && a.NombreCompleto() == nombre.Texto()) {
      return &a;
    }
  }
  return nullptr;
}

// The one file VIEJO names; nothing (reported, with the exit code) if not one.
// `que` says what the command does to it: "ren cambia el nombre de".
const cpm::Archivo *UnArchivo(const cpm::Imagen &imagen, const std::string &viejo, int &salida,
                              const char *que = "ren cambia el nombre de") {
  if (viejo.find_first_of("*?") != std::string::npos) {
    AvisarError("uso", std::string(que) + " un solo archivo: " + viejo + " lleva comodines");
    salida = kSalidaUso;
    return nullptr;
  }
  const auto elegidos = Seleccionar(imagen.Disco(), {viejo}, imagen.Ruta(), salida);
  if (!elegidos || elegidos->empty()) {
    return nullptr;
  }
  if (const std::string ambiguo = Ambiguo(imagen.Disco(), viejo); !ambiguo.empty()) {
    AvisarError(imagen.Ruta(), ambiguo);
    salida = kSalidaFallo;
    return nullptr;
  }
  return elegidos->front();
}

std::optional<bool> Elegir(bool poner, bool quitar) {
  if (poner) {
    return true;
  }
  if (quitar) {
    return false;
  }
  return std::nullopt;
}

// A format whose file system is fixed would leave the rest of a bigger disk
// unused: the formats that use that many tracks and sides, or nothing (reported).
bool GeometriaUsada(const cpm::Formato &f, int pistas, int caras) {
  if (cpm::UsaLaGeometria(f, pistas, caras)) {
    return true;
  }
  std::vector<std::string> otros;
  for (const std::string_view n : cpm::FormatosDeGeometria(pistas, caras)) {
    otros.emplace_back(n);
  }
  const std::string geometria = Plural(static_cast<std::size_t>(pistas), "pista", "pistas") +
                                " y " + Plural(static_cast<std::size_t>(caras), "cara", "caras");
  AvisarError("uso", "el formato " + std::string(f.nombre) + " usa " +
                         Plural(static_cast<std::size_t>(f.pistas), "pista", "pistas") + " y " +
                         Plural(static_cast<std::size_t>(f.caras), "cara", "caras") +
                         ", y las demás quedarían sin usar; " +
                         (otros.empty() ? "ningún formato de la tabla usa " + geometria
                                        : "con " + geometria + ": --formato " + Enumerar(otros)) +
                         " (plus3 se ajusta a las que se pidan)");
  return false;
}

} // namespace

int EjecutarNew(const OrdenNew &orden) {
  if (!FormatoConocido(orden.formato)) {
    return kSalidaUso;
  }
  const cpm::Formato f = *cpm::FormatoPorNombre(orden.formato);
  if (!GeometriaUsada(f, orden.pistas > 0 ? orden.pistas : f.pistas,
                      orden.caras > 0 ? orden.caras : f.caras)) {
    return kSalidaUso;
  }
  cpm::OpcionesNuevo opciones;
  opciones.formato = orden.formato;
  opciones.pistas = orden.pistas;
  opciones.caras = orden.caras;
  opciones.extendida = orden.extendida;
  opciones.version = ALCOVE_VERSION;
  const cpm::Escrito escrito = cpm::NuevoDisco(opciones);
  if (!escrito.Hecho()) {
    AvisarError("uso", TrasDosPuntos(escrito.rechazo->texto));
    return kSalidaUso;
  }
  if (Comprimida(orden.imagen)) {
    return kSalidaFallo;
  }
  std::string rechazo;
  const std::int16_t error =
      Plataforma::CrearArchivo(orden.imagen, escrito.bytes, orden.forzar, &rechazo);
  if (!rechazo.empty()) {
    AvisarError(orden.imagen, cpm::TextoRechazo(rechazo));
    return kSalidaFallo;
  }
  if (error == Errores::ArchivoYaExiste) {
    AvisarError(orden.imagen, "ya existe; se deja como está (--force la reemplaza)");
    return kSalidaFallo;
  }
  if (error != Errores::Ninguno) {
    AvisarError(orden.imagen,
                "no se ha podido escribir: " + TrasDosPuntos(Errores::Mensaje(error)));
    return kSalidaFallo;
  }
  const cpm::Disco disco = cpm::LeerDisco(escrito.bytes);
  const cpm::Espacio libre = cpm::EspacioLibre(disco);
  EscribirSalida(orden.imagen + ": disco nuevo, formato " + std::string(f.nombre) + ", " +
                 Plural(static_cast<std::size_t>(disco.contenedor.pistas), "pista", "pistas") +
                 ", " + Plural(static_cast<std::size_t>(disco.contenedor.caras), "cara", "caras") +
                 ", " + std::to_string(libre.bloquesLibres * libre.tamanoBloque / 1024) +
                 "K libres\n");
  return kSalidaBien;
}

int EjecutarPut(const OrdenPut &orden) {
  if (!orden.nombre.empty() && orden.archivos.size() > 1) {
    AvisarError("uso", "--nombre vale para un solo archivo y se han dado " +
                           std::to_string(orden.archivos.size()));
    return kSalidaUso;
  }
  const bool binario = orden.tipo == "binario";
  if (!binario && (orden.carga || orden.entrada)) {
    AvisarError("uso", "--carga y --entrada solo valen con --tipo binario");
    return kSalidaUso;
  }
  if (binario && !orden.carga) {
    AvisarError("uso", "--tipo binario necesita --carga (la dirección donde se carga: '&4000', "
                       "entre comillas)");
    return kSalidaUso;
  }
  std::optional<std::uint16_t> carga{0}, entrada{0};
  if (binario) {
    carga = LeerDireccion("--carga", *orden.carga);
    entrada = !orden.entrada ? carga : LeerDireccion("--entrada", *orden.entrada);
    if (!carga || !entrada) {
      return kSalidaUso;
    }
  }
  if (Comprimida(orden.imagen)) {
    return kSalidaFallo;
  }
  std::vector<Preparado> preparados;
  std::set<std::pair<std::uint8_t, std::array<char, 11>>> nombres;
  for (const std::string &archivo : orden.archivos) {
    auto p = Preparar(orden, archivo, *carga, *entrada);
    if (!p) {
      return kSalidaFallo;
    }
    const cpm::NombreCpm &n = p->archivo.nombre;
    if (!nombres.insert({n.usuario, n.nombre}).second) {
      AvisarError(archivo,
                  "otro de los archivos dados va al disco con el mismo nombre, " + n.Texto());
      return kSalidaFallo;
    }
    preparados.push_back(std::move(*p));
  }
  std::vector<cpm::ArchivoNuevo> nuevos;
  for (const Preparado &p : preparados) {
    nuevos.push_back(p.archivo);
  }
  const cpm::Imagen imagen(orden.imagen, cpm::Imagen::ParaCambiar{});
  if (!Escribible(imagen)) {
    return kSalidaFallo;
  }
  const cpm::Escrito escrito =
      cpm::PonerArchivos(imagen.Bytes(), imagen.Disco(), nuevos, orden.forzar);
  const int salida =
      Guardar(imagen, escrito, PasoForce{cpm::TipoRechazo::YaExiste, "--force lo reemplaza"});
  if (salida != kSalidaBien) {
    return salida;
  }
  // What the new image reads is what ls -l and get will give.
  const cpm::Disco puesto = cpm::LeerDisco(escrito.bytes);
  std::string texto;
  for (std::size_t i = 0; i < preparados.size(); ++i) {
    const cpm::NombreCpm &n = preparados[i].archivo.nombre;
    texto += orden.archivos[i] + " -> " + cpm::NombreConUsuario(n.usuario, n.Texto()) + " (" +
             DescribirPuesto(preparados[i], Buscado(puesto, n)) + ")\n";
  }
  EscribirSalida(texto);
  return kSalidaBien;
}

int EjecutarRm(const OrdenRm &orden) {
  return CambiarSeleccion(
      orden.imagen, orden.patrones, !orden.todos,
      [&](const cpm::Imagen &imagen, std::span<const cpm::Archivo *const> elegidos) {
        return cpm::BorrarArchivos(imagen.Bytes(), imagen.Disco(), elegidos, orden.forzar);
      },
      {[](const cpm::Archivo &a) { return a.NombreConUsuario() + " borrado"; }, "archivo borrado",
       "archivos borrados"},
      PasoForce{cpm::TipoRechazo::SoloLectura, "--force lo borra"});
}

int EjecutarUnrm(const OrdenUnrm &orden) {
  return CambiarImagen(orden.imagen, [&](const cpm::Imagen &imagen) {
    int salida = kSalidaBien;
    const auto elegidos = Seleccionar(imagen.Disco(), orden.patrones, orden.imagen, salida, true);
    if (!elegidos || salida != kSalidaBien) {
      return salida;
    }
    // One at a time, each over the bytes the one before made: all or nothing.
    std::vector<std::uint8_t> bytes(imagen.Bytes().begin(), imagen.Bytes().end());
    std::string texto;
    const auto usuario = static_cast<std::uint8_t>(orden.usuario);
    for (const cpm::Archivo *elegido : *elegidos) {
      const cpm::Disco disco = cpm::LeerDisco(bytes);
      const cpm::Archivo *a = nullptr;
      for (const cpm::Archivo &b : disco.catalogo.archivosBorrados) {
        if (b.nombre == elegido->nombre && b.extension == elegido->extension)
          a = &b;
      }
      cpm::Escrito escrito =
          a == nullptr ? cpm::Escrito{{},
                                      cpm::Rechazo{cpm::TipoRechazo::NoEncontrado,
                                                   "No hay ningún " + elegido->NombreCompleto() +
                                                       " borrado en el disco"}}
                       : cpm::RecuperarArchivo(bytes, disco, *a, usuario);
      if (!escrito.Hecho()) {
        AvisarError(orden.imagen, TrasDosPuntos(escrito.rechazo->texto));
        return kSalidaFallo;
      }
      bytes = std::move(escrito.bytes);
      texto += elegido->NombreCompleto() + " recuperado como " +
               cpm::NombreConUsuario(usuario, elegido->NombreCompleto()) + "\n";
    }
    salida = Guardar(imagen, cpm::Escrito{std::move(bytes), std::nullopt});
    if (salida == kSalidaBien) {
      EscribirSalida(texto +
                     Plural(elegidos->size(), "archivo recuperado", "archivos recuperados") + "\n");
    }
    return salida;
  });
}

int EjecutarRen(const OrdenRen &orden) {
  return CambiarImagen(orden.imagen, [&](const cpm::Imagen &imagen) {
    int salida = kSalidaBien;
    const cpm::Archivo *archivo = UnArchivo(imagen, orden.viejo, salida);
    if (archivo == nullptr) {
      return salida;
    }
    std::string error;
    const auto nuevo = cpm::ValidarNombre(orden.nuevo, archivo->usuario, &error);
    if (!nuevo) {
      AvisarError(orden.imagen, error);
      return kSalidaFallo;
    }
    salida =
        Guardar(imagen, cpm::RenombrarArchivo(imagen.Bytes(), imagen.Disco(), *archivo, *nuevo));
    if (salida == kSalidaBien) {
      EscribirSalida(archivo->NombreConUsuario() + " -> " +
                     cpm::NombreConUsuario(nuevo->usuario, nuevo->Texto()) + "\n");
    }
    return salida;
  });
}

int EjecutarAttr(const OrdenAttr &orden) {
  const cpm::CambioAtributos cambio{Elegir(orden.ro, orden.rw), Elegir(orden.sys, orden.dir),
                                    Elegir(orden.arc, orden.noArc)};
  if (!cambio.soloLectura && !cambio.sistema && !cambio.archivado) {
    AvisarError("uso", "falta qué cambiar: --ro, --rw, --sys, --dir, --arc o --no-arc");
    return kSalidaUso;
  }
  // Each file's line names the bits asked for, as they are now: "R/O sí, SYS no".
  std::vector<std::string> bits;
  for (const auto &[nombre, valor] :
       {std::pair{"R/O", cambio.soloLectura}, {"SYS", cambio.sistema}, {"ARC", cambio.archivado}}) {
    if (valor) {
      bits.push_back(std::string(nombre) + (*valor ? " sí" : " no"));
    }
  }
  std::string cambiados;
  for (const std::string &b : bits) {
    cambiados += (cambiados.empty() ? "" : ", ") + b;
  }
  return CambiarSeleccion(
      orden.imagen, orden.patrones, false,
      [&](const cpm::Imagen &imagen, std::span<const cpm::Archivo *const> elegidos) {
        return cpm::CambiarAtributos(imagen.Bytes(), imagen.Disco(), elegidos, cambio);
      },
      {[&](const cpm::Archivo &a) { return a.NombreConUsuario() + ": " + cambiados; },
       "archivo cambiado", "archivos cambiados"});
}

namespace {

// What header says of a file's header: "cabecera AMSDOS cambiada: binario
// (&02), carga &4000, ejecución &4010, 3000 bytes"; `hecho` (" cambiada",
// " añadida") what was done to it.
std::string TextoCabeceraDe(const cpm::Archivo &a, const char *hecho = "") {
  if (!a.cabecera) {
    return "sin cabecera, " + Plural(a.longitud, "byte", "bytes");
  }
  return "cabecera " + std::string(cpm::NombreFormato(a.cabecera->formato)) + hecho + ": " +
         TextoCabecera(*a.cabecera, true) + ", " + Plural(a.cabecera->longitud, "byte", "bytes");
}

} // namespace

int EjecutarHeader(const OrdenHeader &orden) {
  const bool cambia =
      orden.cambio.tipo || orden.cambio.carga || orden.cambio.entrada || orden.cambio.longitud;
  if (orden.quitar && (orden.poner || cambia)) {
    AvisarError("uso", "--quitar no va con --poner, --tipo, --carga, --entrada ni --largo");
    return kSalidaUso;
  }
  const auto escribir = [&](const cpm::Imagen &imagen) {
    int salida = kSalidaBien;
    const cpm::Archivo *archivo =
        UnArchivo(imagen, orden.archivo, salida, "header cambia la cabecera de");
    if (archivo == nullptr) {
      return salida;
    }
    const std::string nombre = archivo->NombreConUsuario();
    if (!orden.quitar && !orden.poner && !cambia) {
      EscribirSalida(nombre + ": " + TextoCabeceraDe(*archivo) + "\n");
      return kSalidaBien;
    }
    const cpm::Escrito escrito =
        orden.quitar ? cpm::QuitarCabecera(imagen.Bytes(), imagen.Disco(), *archivo)
        : orden.poner
            ? cpm::PonerCabecera(imagen.Bytes(), imagen.Disco(), *archivo, orden.cambio)
            : cpm::CambiarCabecera(imagen.Bytes(), imagen.Disco(), *archivo, orden.cambio);
    salida = Guardar(imagen, escrito);
    if (salida != kSalidaBien) {
      return salida;
    }
    // What the new image reads is what ls -l and get will give.
    const cpm::Disco nuevo = cpm::LeerDisco(escrito.bytes);
    const auto cambiado = std::find_if(
        nuevo.catalogo.archivos.begin(), nuevo.catalogo.archivos.end(), [&](const cpm::Archivo &a) {
          return a.usuario == archivo->usuario && a.NombreCompleto() == archivo->NombreCompleto();
        });
    if (cambiado != nuevo.catalogo.archivos.end()) {
      EscribirSalida(nombre + ": " +
                     (orden.quitar
                          ? "cabecera quitada, " + Plural(cambiado->longitud, "byte", "bytes")
                          : TextoCabeceraDe(*cambiado, orden.poner ? " añadida" : " cambiada")) +
                     "\n");
    }
    return kSalidaBien;
  };
  return CambiarImagen(orden.imagen, escribir);
}

namespace {

Ejecucion PrepararNew(CLI::App &sub) {
  struct New {
    OrdenNew orden;
    std::string pistas, caras;
  };
  auto n = std::make_shared<New>();
  sub.add_option("IMAGEN", n->orden.imagen, "Imagen nueva")->required()->type_name("");
  sub.add_option("--formato", n->orden.formato,
                 "Formato del disco (por omisión, data): " + ListaFormatos())
      ->type_name("NOMBRE");
  sub.add_option("--pistas", n->pistas, "Pistas por cara (por omisión, las del formato)")
      ->type_name("N");
  sub.add_option("--caras", n->caras, "Caras: 1 o 2 (por omisión, las del formato)")
      ->type_name("N");
  sub.add_flag("--extendida", n->orden.extendida, "Disposición EXTENDED CPC DSK");
  sub.add_flag("--force", n->orden.forzar, "Reemplaza la imagen si ya existe");
  return [n] {
    if (!n->pistas.empty()) {
      n->orden.pistas = LeerCantidad(n->pistas);
      if (n->orden.pistas <= 0) {
        AvisarError("uso", "valor no válido para --pistas: " + n->pistas +
                               " (un número de pistas, mayor que 0)");
        return kSalidaUso;
      }
    }
    if (!n->caras.empty()) {
      const auto caras = LeerEnRango("--caras", n->caras, 1, 2, "1 o 2");
      if (!caras) {
        return kSalidaUso;
      }
      n->orden.caras = *caras;
    }
    return EjecutarNew(n->orden);
  };
}

Ejecucion PrepararPut(CLI::App &sub) {
  struct Put {
    OrdenPut orden;
    std::string usuario, carga, entrada;
    CLI::Option *conCarga = nullptr, *conEntrada = nullptr;
  };
  auto p = std::make_shared<Put>();
  OrdenPut &o = p->orden;
  sub.add_option("IMAGEN", o.imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("ARCHIVO", o.archivos, "Archivos que poner")->required()->type_name("");
  sub.add_option("--usuario", p->usuario, "Usuario CP/M (de 0 a 15, en decimal; por omisión, 0)")
      ->type_name("N");
  sub.add_option("--nombre", o.nombre, "Nombre en el disco (con un solo archivo)")
      ->type_name("NOMBRE.EXT");
  sub.add_option("--tipo", o.tipo,
                 "auto (por omisión): con su cabecera si la tiene, un programa BASIC en texto "
                 "que va a un .BAS tokenizado, un texto ASCII con CR LF; binario o basic: con "
                 "cabecera AMSDOS nueva (basic tokeniza un programa en texto); ascii: texto con "
                 "CR LF, nunca con cabecera")
      ->type_name("TIPO");
  p->conCarga =
      sub.add_option("--carga", p->carga, "Dirección de carga (--tipo binario): '&4000', 0x4000")
          ->type_name("DIR");
  p->conEntrada =
      sub.add_option("--entrada", p->entrada,
                     "Dirección de ejecución (--tipo binario; por omisión, la de carga)")
          ->type_name("DIR");
  sub.add_flag("--raw", o.crudo, "Los bytes tal cual: un texto sin pasar sus LF a CR LF");
  sub.add_flag("--ro", o.soloLectura, "Los deja de solo lectura");
  sub.add_flag("--sys", o.sistema, "Los deja como archivos de sistema (ocultos)");
  sub.add_flag("--force", o.forzar, "Reemplaza los archivos que ya estén en el disco");
  return [p] {
    static constexpr std::array<std::string_view, 4> kTipos{"auto", "binario", "basic", "ascii"};
    const std::string &tipo = p->orden.tipo;
    if (std::find(kTipos.begin(), kTipos.end(), tipo) == kTipos.end()) {
      const std::string_view cerca = Parecido(tipo, kTipos);
      AvisarError("uso", "valor no válido para --tipo: " + tipo +
                             (cerca.empty() ? " (auto, binario, basic o ascii)"
                                            : "; ¿quería decir " + std::string(cerca) + "?"));
      return kSalidaUso;
    }
    if (!p->usuario.empty()) {
      const auto usuario = LeerEnRango("--usuario", p->usuario, 0, 15, "de 0 a 15");
      if (!usuario) {
        return kSalidaUso;
      }
      p->orden.usuario = *usuario;
    }
    if (p->conCarga->count() > 0) {
      p->orden.carga = p->carga;
    }
    if (p->conEntrada->count() > 0) {
      p->orden.entrada = p->entrada;
    }
    return EjecutarPut(p->orden);
  };
}

Ejecucion PrepararRm(CLI::App &sub) {
  auto o = std::make_shared<OrdenRm>();
  sub.add_option("IMAGEN", o->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("PATRON", o->patrones, "Nombres o patrones: *.BAK, 1:JUEGO.*")
      ->required()
      ->type_name("");
  sub.add_flag("--force", o->forzar, "Borra también los de solo lectura");
  sub.add_flag("--todos", o->todos,
               "Un patrón sin N: vale para todos los usuarios (sin ella, uno que casa con varios "
               "se rechaza)");
  return [o] { return EjecutarRm(*o); };
}

Ejecucion PrepararUnrm(CLI::App &sub) {
  struct Unrm {
    OrdenUnrm orden;
    std::string usuario;
  };
  auto u = std::make_shared<Unrm>();
  sub.add_option("IMAGEN", u->orden.imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("PATRON", u->orden.patrones, "Nombres o patrones de archivos borrados: *.BAS")
      ->required()
      ->type_name("");
  sub.add_option("--usuario", u->usuario,
                 "Usuario CP/M en que vuelven (de 0 a 15; por omisión, 0: el borrado lo pierde)")
      ->type_name("N");
  return [u] {
    if (!u->usuario.empty()) {
      const auto usuario = LeerEnRango("--usuario", u->usuario, 0, 15, "de 0 a 15");
      if (!usuario) {
        return kSalidaUso;
      }
      u->orden.usuario = *usuario;
    }
    return EjecutarUnrm(u->orden);
  };
}

Ejecucion PrepararRen(CLI::App &sub) {
  auto o = std::make_shared<OrdenRen>();
  sub.add_option("IMAGEN", o->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("VIEJO", o->viejo, "Nombre actual")->required()->type_name("");
  sub.add_option("NUEVO", o->nuevo, "Nombre nuevo")->required()->type_name("");
  return [o] { return EjecutarRen(*o); };
}

Ejecucion PrepararAttr(CLI::App &sub) {
  auto o = std::make_shared<OrdenAttr>();
  sub.add_option("IMAGEN", o->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("PATRON", o->patrones, "Nombres o patrones: *.BIN, 1:JUEGO.*")
      ->required()
      ->type_name("");
  const auto par = [&sub](const char *si, bool &a, const char *no, bool &b, const char *textoSi,
                          const char *textoNo) {
    CLI::Option *opcionSi = sub.add_flag(si, a, textoSi);
    sub.add_flag(no, b, textoNo)->excludes(opcionSi);
  };
  par("--ro", o->ro, "--rw", o->rw, "Solo lectura", "Lectura y escritura");
  par("--sys", o->sys, "--dir", o->dir, "De sistema (oculto en CAT)", "Visible en CAT");
  par("--arc", o->arc, "--no-arc", o->noArc, "Marca de archivado", "Sin marca de archivado");
  return [o] { return EjecutarAttr(*o); };
}

// --tipo of header: a name, or the byte itself as dump takes numbers.
constexpr std::array<std::pair<std::string_view, std::uint8_t>, 3> kTiposCabecera{
    {{"basic", cpm::TipoAmsdosBasic}, {"basic-protegido", 1}, {"binario", cpm::TipoAmsdosBinario}}};

Ejecucion PrepararHeader(CLI::App &sub) {
  struct Header {
    OrdenHeader orden;
    std::string tipo, carga, entrada, largo;
    CLI::Option *conTipo = nullptr, *conCarga = nullptr, *conEntrada = nullptr, *conLargo = nullptr;
  };
  auto h = std::make_shared<Header>();
  sub.add_option("IMAGEN", h->orden.imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("ARCHIVO", h->orden.archivo, "El archivo (N:NOMBRE.EXT)")
      ->required()
      ->type_name("");
  h->conTipo =
      sub.add_option("--tipo", h->tipo, "basic, basic-protegido, binario, o el byte de tipo: &02")
          ->type_name("TIPO");
  h->conCarga =
      sub.add_option("--carga", h->carga, "Dirección de carga: '&4000', 0x4000")->type_name("DIR");
  h->conEntrada =
      sub.add_option("--entrada", h->entrada, "Dirección de ejecución")->type_name("DIR");
  h->conLargo = sub.add_option("--largo", h->largo,
                               "Longitud en bytes (la que cabe en los registros del archivo)")
                    ->type_name("N");
  sub.add_flag("--poner", h->orden.poner,
               "Pone una cabecera a un archivo que no la tiene (por omisión, BASIC en &0170)");
  sub.add_flag("--quitar", h->orden.quitar, "Quita la cabecera del archivo");
  return [h] {
    cpm::CambioCabecera &c = h->orden.cambio;
    if (h->conTipo->count() > 0) {
      const auto nombrado = std::find_if(kTiposCabecera.begin(), kTiposCabecera.end(),
                                         [&](const auto &t) { return t.first == h->tipo; });
      const int byte = nombrado != kTiposCabecera.end() ? nombrado->second : LeerNumero(h->tipo);
      if (byte < 0 || byte > 0xFF) {
        AvisarError("uso", "valor no válido para --tipo: " + h->tipo +
                               " (basic, basic-protegido, binario, o un byte: &02)");
        return kSalidaUso;
      }
      c.tipo = static_cast<std::uint8_t>(byte);
    }
    for (const auto &[opcion, texto, campo, dada] :
         {std::tuple{"--carga", &h->carga, &c.carga, h->conCarga},
          std::tuple{"--entrada", &h->entrada, &c.entrada, h->conEntrada}}) {
      if (dada->count() > 0) {
        *campo = LeerDireccion(opcion, *texto);
        if (!*campo) {
          return kSalidaUso;
        }
      }
    }
    if (h->conLargo->count() > 0) {
      const int largo = LeerNumero(h->largo);
      if (largo < 0 || largo > 0xFFFFFF) {
        AvisarError("uso",
                    "valor no válido para --largo: " + h->largo + " (bytes, de 0 a 16777215)");
        return kSalidaUso;
      }
      c.longitud = static_cast<std::uint32_t>(largo);
    }
    return EjecutarHeader(h->orden);
  };
}

constexpr std::array kOrdenesEscritura{
    DefinicionOrden{"new", "Crea una imagen de disco formateada y vacía", PrepararNew},
    DefinicionOrden{"put", "Pone archivos del ordenador en la imagen", PrepararPut},
    DefinicionOrden{"rm", "Borra archivos de la imagen, como ERA", PrepararRm},
    DefinicionOrden{"unrm", "Recupera archivos borrados, si nadie ha ocupado sus bloques",
                    PrepararUnrm},
    DefinicionOrden{"ren", "Cambia el nombre (y el usuario, con N:) de un archivo", PrepararRen},
    DefinicionOrden{"attr", "Cambia los atributos de archivos, como SET", PrepararAttr},
    DefinicionOrden{"header", "Muestra, cambia, pone o quita la cabecera AMSDOS de un archivo",
                    PrepararHeader},
};

} // namespace

std::span<const DefinicionOrden> OrdenesDeEscritura() { return kOrdenesEscritura; }

int GuardarImagen(const cpm::Imagen &imagen, const cpm::Escrito &escrito) {
  return Guardar(imagen, escrito);
}

} // namespace Cli
