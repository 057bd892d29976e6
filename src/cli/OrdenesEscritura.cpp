#include "cli/OrdenesEscritura.h"

#include "cli/Comprimidos.h"
#include "cli/Imagen.h"
#include "cli/Listado.h"
#include "cli/Ordenes.h"
#include "cpm/Escritura.h"
#include "cpm/Guardado.h"
#include "cpm/Poner.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/LecturaArchivo.h"
#include "platform/ReemplazoSeguro.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <span>

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
bool Comprimida(const std::string &imagen) {
  if (!EsRutaComprimida(imagen)) {
    return false;
  }
  AvisarError(imagen, MotivoRutaComprimida());
  return true;
}

// Writing needs the whole catalogue: a file it does not see could be overwritten.
bool CatalogoEntero(const Cls_Imagen &imagen) {
  int salida = kSalidaBien;
  CatalogoLegible(imagen, salida);
  return salida == kSalidaBien;
}

// Writes the library's result over the image read, unless it refused or
// someone changed the file meanwhile (cpm::GuardarEscrito). Returns the exit code.
int Guardar(const Cls_Imagen &imagen, const Plataforma::HuellaArchivo &huella,
            const cpm::Escrito &escrito) {
  const cpm::Guardado guardado =
      cpm::GuardarEscrito(imagen.Ruta(), imagen.Bytes(), huella, escrito, ParadaDePrueba);
  if (!guardado.error.empty()) {
    AvisarError(imagen.Ruta(), guardado.error);
    return kSalidaFallo;
  }
  return kSalidaBien;
}

// A change to an image that is no archive member and whose whole catalogue
// reads: `cambio` gets the reading and the identity the replacement checks.
using Cambio = std::function<int(const Cls_Imagen &, const Plataforma::HuellaArchivo &)>;
int CambiarImagen(const std::string &ruta, const Cambio &cambio) {
  if (Comprimida(ruta)) {
    return kSalidaFallo;
  }
  Plataforma::HuellaArchivo huella;
  const Cls_Imagen imagen(ruta, "", huella);
  if (!CatalogoEntero(imagen)) {
    return kSalidaFallo;
  }
  return cambio(imagen, huella);
}

// rm and attr: the files the patterns name, all or nothing (a pattern matching
// nothing stops the rest), in one write, then how many.
using CambioElegidos =
    std::function<cpm::Escrito(const Cls_Imagen &, std::span<const cpm::Archivo *const>)>;
int CambiarSeleccion(const std::string &ruta, const std::vector<std::string> &patrones,
                     const CambioElegidos &cambio, const char *uno, const char *varios) {
  return CambiarImagen(ruta,
                       [&](const Cls_Imagen &imagen, const Plataforma::HuellaArchivo &huella) {
                         int salida = kSalidaBien;
                         const auto elegidos = Seleccionar(imagen.Disco(), patrones, ruta, salida);
                         if (!elegidos || salida != kSalidaBien) {
                           return salida;
                         }
                         salida = Guardar(imagen, huella, cambio(imagen, *elegidos));
                         if (salida == kSalidaBien) {
                           EscribirSalida(Plural(elegidos->size(), uno, varios) + "\n");
                         }
                         return salida;
                       });
}

// An address as dump takes numbers, from &0000 to &FFFF; nothing (reported) if not.
std::optional<std::uint16_t> LeerDireccion(const char *opcion, const std::string &texto) {
  const int valor = LeerNumero(texto);
  if (valor < 0 || valor > 0xFFFF) {
    AvisarError("uso", std::string("dirección no válida para ") + opcion + ": " + texto +
                           " (de &0000 a &FFFF: &4000, #4000, $4000, 0x4000, 4000h o 16384)");
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(valor);
}

// The name a host file takes on the disk: --nombre, or its own name (the
// library's rule: a host file's name with ':' is refused).
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

// What a host file becomes on the disk, with --tipo; nothing (reported) if it cannot be read.
std::optional<cpm::ArchivoNuevo> Preparar(const OrdenPut &orden, const std::string &archivo,
                                          std::uint16_t carga, std::uint16_t entrada) {
  const auto nombre = NombreEnDisco(orden, archivo);
  if (!nombre) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  if (const std::string error = cpm::LeerArchivoParaPoner(archivo, bytes); !error.empty()) {
    AvisarError(archivo, error);
    return std::nullopt;
  }
  return cpm::ArchivoNuevo{
      *nombre,
      cpm::ContenidoParaPoner(TipoDe(orden.tipo), *nombre, std::move(bytes), carga, entrada),
      orden.soloLectura, orden.sistema};
}

// "con cabecera AMSDOS" or "sin cabecera", as the file goes on the disk.
std::string DescribirCabecera(const std::vector<std::uint8_t> &contenido) {
  const auto cabecera = cpm::LeerCabeceraAmsdos(contenido);
  if (!cabecera) {
    return "sin cabecera";
  }
  char texto[80];
  std::snprintf(texto, sizeof texto, "cabecera AMSDOS %s, carga &%04X, entrada &%04X",
                std::string(cpm::NombreTipo(cabecera->tipo)).c_str(), cabecera->carga,
                cabecera->entrada);
  return texto;
}

// The one file VIEJO names; nothing (reported, with the exit code) if not one.
const cpm::Archivo *UnArchivo(const Cls_Imagen &imagen, const std::string &viejo, int &salida) {
  if (viejo.find_first_of("*?") != std::string::npos) {
    AvisarError("uso", "ren cambia el nombre de un solo archivo: " + viejo + " lleva comodines");
    salida = kSalidaUso;
    return nullptr;
  }
  const auto elegidos = Seleccionar(imagen.Disco(), {viejo}, imagen.Ruta(), salida);
  if (!elegidos || elegidos->empty()) {
    return nullptr;
  }
  if (elegidos->size() > 1) {
    std::string cuales;
    for (const cpm::Archivo *a : *elegidos) {
      cuales += (cuales.empty() ? "" : ", ") + NombreConUsuario(*a);
    }
    AvisarError(imagen.Ruta(), viejo + " lo tienen " + std::to_string(elegidos->size()) +
                                   " usuarios (" + cuales + "); diga cuál con N:NOMBRE");
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

} // namespace

int EjecutarNew(const OrdenNew &orden) {
  cpm::OpcionesNuevo opciones;
  opciones.formato = orden.formato;
  opciones.pistas = orden.pistas;
  opciones.caras = orden.caras;
  opciones.extendida = orden.extendida;
  opciones.version = ALCOVE_VERSION;
  const cpm::Escrito escrito = cpm::NuevoDisco(opciones);
  if (!escrito.Hecho()) {
    AvisarError("uso", escrito.rechazo->texto);
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
    AvisarError(orden.imagen, "no se ha podido escribir: " + Errores::Mensaje(error));
    return kSalidaFallo;
  }
  const cpm::Disco disco = cpm::LeerDisco(escrito.bytes);
  const cpm::Espacio libre = cpm::EspacioLibre(disco);
  EscribirSalida(orden.imagen + ": disco nuevo, formato " + orden.formato + ", " +
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
  if (!binario && (!orden.carga.empty() || !orden.entrada.empty())) {
    AvisarError("uso", "--carga y --entrada solo valen con --tipo binario");
    return kSalidaUso;
  }
  if (binario && orden.carga.empty()) {
    AvisarError("uso", "--tipo binario necesita --carga (la dirección donde se carga: &4000)");
    return kSalidaUso;
  }
  std::optional<std::uint16_t> carga{0}, entrada{0};
  if (binario) {
    carga = LeerDireccion("--carga", orden.carga);
    entrada = orden.entrada.empty() ? carga : LeerDireccion("--entrada", orden.entrada);
    if (!carga || !entrada) {
      return kSalidaUso;
    }
  }
  if (Comprimida(orden.imagen)) {
    return kSalidaFallo;
  }
  std::vector<cpm::ArchivoNuevo> nuevos;
  std::set<std::pair<std::uint8_t, std::array<char, 11>>> nombres;
  for (const std::string &archivo : orden.archivos) {
    auto nuevo = Preparar(orden, archivo, *carga, *entrada);
    if (!nuevo) {
      return kSalidaFallo;
    }
    if (!nombres.insert({nuevo->nombre.usuario, nuevo->nombre.nombre}).second) {
      AvisarError(archivo, "otro de los archivos dados va al disco con el mismo nombre, " +
                               nuevo->nombre.Texto());
      return kSalidaFallo;
    }
    nuevos.push_back(std::move(*nuevo));
  }
  Plataforma::HuellaArchivo huella;
  const Cls_Imagen imagen(orden.imagen, "", huella);
  if (!CatalogoEntero(imagen)) {
    return kSalidaFallo;
  }
  const int salida = Guardar(
      imagen, huella, cpm::PonerArchivos(imagen.Bytes(), imagen.Disco(), nuevos, orden.forzar));
  if (salida != kSalidaBien) {
    return salida;
  }
  for (std::size_t i = 0; i < nuevos.size(); ++i) {
    const cpm::NombreCpm &n = nuevos[i].nombre;
    EscribirSalida(orden.archivos[i] + " -> " +
                   (n.usuario == 0 ? "" : std::to_string(n.usuario) + ":") + n.Texto() + " (" +
                   std::to_string(nuevos[i].contenido.size()) + " bytes, " +
                   DescribirCabecera(nuevos[i].contenido) + ")\n");
  }
  return kSalidaBien;
}

int EjecutarRm(const OrdenRm &orden) {
  return CambiarSeleccion(
      orden.imagen, orden.patrones,
      [&](const Cls_Imagen &imagen, std::span<const cpm::Archivo *const> elegidos) {
        return cpm::BorrarArchivos(imagen.Bytes(), imagen.Disco(), elegidos, orden.forzar);
      },
      "archivo borrado", "archivos borrados");
}

int EjecutarRen(const OrdenRen &orden) {
  return CambiarImagen(
      orden.imagen, [&](const Cls_Imagen &imagen, const Plataforma::HuellaArchivo &huella) {
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
        salida = Guardar(imagen, huella,
                         cpm::RenombrarArchivo(imagen.Bytes(), imagen.Disco(), *archivo, *nuevo));
        if (salida == kSalidaBien) {
          EscribirSalida(NombreConUsuario(*archivo) + " -> " +
                         (nuevo->usuario == 0 ? "" : std::to_string(nuevo->usuario) + ":") +
                         nuevo->Texto() + "\n");
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
  return CambiarSeleccion(
      orden.imagen, orden.patrones,
      [&](const Cls_Imagen &imagen, std::span<const cpm::Archivo *const> elegidos) {
        return cpm::CambiarAtributos(imagen.Bytes(), imagen.Disco(), elegidos, cambio);
      },
      "archivo cambiado", "archivos cambiados");
}

namespace {

Ejecucion PrepararNew(CLI::App &sub) {
  struct New {
    OrdenNew orden;
    std::string pistas;
  };
  auto n = std::make_shared<New>();
  sub.add_option("IMAGEN", n->orden.imagen, "Imagen nueva")->required()->type_name("");
  sub.add_option("--formato", n->orden.formato,
                 "Formato del disco: data (por omisión), system, ibm, plus3, ...")
      ->type_name("NOMBRE");
  sub.add_option("--pistas", n->pistas, "Pistas por cara (por omisión, las del formato)")
      ->type_name("N");
  sub.add_option("--caras", n->orden.caras, "Caras: 1 o 2 (por omisión, las del formato)")
      ->type_name("N")
      ->check(CLI::Range(1, 2).description(""));
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
    return EjecutarNew(n->orden);
  };
}

Ejecucion PrepararPut(CLI::App &sub) {
  auto o = std::make_shared<OrdenPut>();
  sub.add_option("IMAGEN", o->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("ARCHIVO", o->archivos, "Archivos que poner")->required()->type_name("");
  sub.add_option("--usuario", o->usuario, "Usuario CP/M (de 0 a 15; por omisión, 0)")
      ->type_name("N")
      ->check(CLI::Range(0, 15).description(""));
  sub.add_option("--nombre", o->nombre, "Nombre en el disco (con un solo archivo)")
      ->type_name("NOMBRE.EXT");
  sub.add_option("--tipo", o->tipo,
                 "auto (por omisión): tal cual; binario o basic: con cabecera AMSDOS "
                 "nueva; ascii: nunca con cabecera")
      ->type_name("TIPO")
      ->check(CLI::IsMember({"auto", "binario", "basic", "ascii"}));
  sub.add_option("--carga", o->carga, "Dirección de carga (--tipo binario): &4000, 0x4000")
      ->type_name("DIR");
  sub.add_option("--entrada", o->entrada, "Dirección de entrada (por omisión, la de carga)")
      ->type_name("DIR");
  sub.add_flag("--ro", o->soloLectura, "Los deja de solo lectura");
  sub.add_flag("--sys", o->sistema, "Los deja como archivos de sistema (ocultos)");
  sub.add_flag("--force", o->forzar, "Reemplaza los archivos que ya estén en el disco");
  return [o] { return EjecutarPut(*o); };
}

Ejecucion PrepararRm(CLI::App &sub) {
  auto o = std::make_shared<OrdenRm>();
  sub.add_option("IMAGEN", o->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("PATRON", o->patrones, "Nombres o patrones: *.BAK, 1:JUEGO.*")
      ->required()
      ->type_name("");
  sub.add_flag("--force", o->forzar, "Borra también los de solo lectura");
  return [o] { return EjecutarRm(*o); };
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

constexpr std::array kOrdenesEscritura{
    DefinicionOrden{"new", "Crea una imagen de disco formateada y vacía", PrepararNew},
    DefinicionOrden{"put", "Pone archivos del ordenador en la imagen", PrepararPut},
    DefinicionOrden{"rm", "Borra archivos de la imagen, como ERA", PrepararRm},
    DefinicionOrden{"ren", "Cambia el nombre (y el usuario, con N:) de un archivo", PrepararRen},
    DefinicionOrden{"attr", "Cambia los atributos de archivos, como SET", PrepararAttr},
};

} // namespace

std::span<const DefinicionOrden> OrdenesDeEscritura() { return kOrdenesEscritura; }

} // namespace Cli
