#include "cli/OrdenesConversion.h"

#include "cli/Comprimidos.h"
#include "cli/Imagen.h"
#include "cli/Listado.h"
#include "cpm/Conversion.h"
#include "cpm/Disco.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/Proceso.h"
#include "platform/ReemplazoSeguro.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

namespace Cli {
namespace {

using cpm::TipoImagen;

std::string Extension(const std::string &ruta) {
  const auto punto = ruta.find_last_of('.');
  const auto barra = ruta.find_last_of(Plataforma::SeparadoresRuta);
  if (punto == std::string::npos || (barra != std::string::npos && punto < barra)) {
    return {};
  }
  std::string e = ruta.substr(punto + 1);
  std::transform(e.begin(), e.end(), e.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return e;
}

// The kind DESTINO's extension asks for. A .dsk from a DSK image is the other
// layout (the same one would change nothing); from HFE the extended one,
// which holds anything HFE does; from a raw dump the standard one.
std::optional<TipoImagen> TipoDeDestino(const std::string &destino,
                                        std::optional<TipoImagen> origen) {
  const std::string e = Extension(destino);
  if (e == "hfe") {
    return TipoImagen::Hfe;
  }
  if (e == "raw" || e == "img") {
    return TipoImagen::Crudo;
  }
  if (e != "dsk") {
    return std::nullopt;
  }
  if (origen == TipoImagen::Extendida) {
    return TipoImagen::Estandar;
  }
  if (origen == TipoImagen::Estandar || origen == TipoImagen::Hfe) {
    return TipoImagen::Extendida;
  }
  return TipoImagen::Estandar;
}

std::string Describir(TipoImagen tipo) {
  switch (tipo) {
  case TipoImagen::Extendida: return "DSK extendido";
  case TipoImagen::Estandar: return "DSK estándar";
  case TipoImagen::Hfe: return "HFE v1";
  case TipoImagen::Crudo: return "volcado crudo";
  }
  return {};
}

// The list of what is lost, one line each after the message.
void AvisarPerdidas(const std::string &que, const std::string &mensaje,
                    const std::vector<cpm::Diferencia> &perdidas) {
  AvisarError(que, mensaje);
  std::string lineas;
  for (const cpm::Diferencia &d : perdidas) {
    lineas += "  " + d.texto + "\n";
  }
  Plataforma::Escribir(Plataforma::Flujo::Errores, lineas);
}

std::string Detalles(std::size_t n) { return Plural(n, "detalle", "detalles"); }

// An image of any kind read for cmp, as tracks and sectors and, for the file
// level, as a DSK image the reader takes.
struct Leida {
  std::vector<std::uint8_t> bytes;
  std::optional<cpm::Superficie> superficie;
  std::vector<std::uint8_t> dsk; // HFE: its tracks as an extended image
  std::optional<cpm::Disco> disco;
};

// Nothing, with the reason said, when the image cannot be read.
std::unique_ptr<Leida> LeerParaComparar(const std::string &ruta, const std::string &formato,
                                        bool archivos) {
  auto l = std::make_unique<Leida>();
  if (const std::string error = CargarImagen(ruta, l->bytes); !error.empty()) {
    AvisarError(ruta, error);
    return nullptr;
  }
  const auto tipo = cpm::TipoDeBytes(l->bytes);
  if (!tipo) {
    AvisarError(ruta, "no es una imagen DSK ni HFE");
    return nullptr;
  }
  cpm::LecturaImagen leida = cpm::LeerImagen(l->bytes, *tipo);
  if (!leida.disco) {
    AvisarError(ruta, leida.error);
    return nullptr;
  }
  l->superficie = std::move(leida.disco);
  if (!archivos) {
    return l;
  }
  std::span<const std::uint8_t> dsk = l->bytes;
  if (*tipo == TipoImagen::Hfe) {
    std::string error;
    auto extendida = cpm::EscribirExtendida(*l->superficie, &error);
    if (!extendida) {
      AvisarError(ruta, error);
      return nullptr;
    }
    l->dsk = std::move(*extendida);
    dsk = l->dsk;
  }
  l->disco = cpm::LeerDisco(dsk, {formato});
  if (!l->disco->formato) {
    AvisarError(ruta,
                "formato desconocido: " + l->disco->motivoFormato + "; --sectores compara sin él");
    return nullptr;
  }
  if (const std::string incompleto = CatalogoIncompleto(*l->disco); !incompleto.empty()) {
    AvisarError(ruta, incompleto + "; --sectores compara sin él");
    return nullptr;
  }
  return l;
}

bool EsDsk(std::span<const std::uint8_t> bytes) {
  const auto tipo = cpm::TipoDeBytes(bytes);
  return tipo == TipoImagen::Extendida || tipo == TipoImagen::Estandar;
}

} // namespace

int EjecutarConvert(const OrdenConvert &orden) {
  if (EsRutaComprimida(orden.destino)) {
    AvisarError(orden.destino, MotivoRutaComprimida());
    return kSalidaFallo;
  }
  std::vector<std::uint8_t> origen;
  if (const std::string error = CargarImagen(orden.origen, origen); !error.empty()) {
    AvisarError(orden.origen, error);
    return kSalidaFallo;
  }
  std::optional<TipoImagen> leido = cpm::TipoDeBytes(origen);
  if (!leido && !orden.formato.empty()) {
    leido = TipoImagen::Crudo;
  }
  std::optional<TipoImagen> destino =
      orden.tipo.empty() ? TipoDeDestino(orden.destino, leido) : cpm::TipoPorNombre(orden.tipo);
  // A completed dump holds weak copies, which only the extended layout keeps.
  if (orden.completar && orden.tipo.empty() && destino == TipoImagen::Estandar) {
    destino = TipoImagen::Extendida;
  }
  if (!destino) {
    AvisarError("uso", "no se sabe a qué convertir " + orden.destino +
                           ": dígalo con --a (extendido, estandar, hfe o raw) o con su "
                           "extensión (.dsk, .hfe, .raw)");
    return kSalidaUso;
  }
  cpm::OpcionesConversion opciones;
  opciones.destino = *destino;
  opciones.forzar = orden.forzar;
  opciones.formato = orden.formato;
  opciones.version = ALCOVE_VERSION;
  opciones.completar = orden.completar;
  const cpm::Conversion c = cpm::Convertir(origen, opciones);
  if (!c.Hecha()) {
    if (c.perdidas.empty()) {
      AvisarError(orden.origen, c.error);
    } else {
      AvisarPerdidas(
          orden.destino,
          "no se ha escrito: " + c.error + " (--force la escribe igualmente):", c.perdidas);
    }
    return kSalidaFallo;
  }
  const std::int16_t error = Plataforma::CrearArchivo(orden.destino, c.bytes, orden.reemplazar);
  if (error == Errores::ArchivoYaExiste) {
    AvisarError(orden.destino, "ya existe; se deja como está (--reemplazar la reemplaza)");
    return kSalidaFallo;
  }
  if (error != Errores::Ninguno) {
    AvisarError(orden.destino, "no se ha podido escribir: " + Errores::Mensaje(error));
    return kSalidaFallo;
  }
  if (!c.perdidas.empty()) {
    AvisarPerdidas(
        orden.destino,
        "escrita sin " + Detalles(c.perdidas.size()) + " del disco (--force):", c.perdidas);
  }
  std::string completado;
  for (const cpm::Prueba &p : c.anadidos) {
    completado += "completado: " + cpm::LugarPrueba(p) + ": " + p.texto + "\n";
  }
  EscribirSalida(completado + orden.origen + " -> " + orden.destino + " (" + Describir(*destino) +
                 ", " + Plural(c.bytes.size(), "byte", "bytes") + ")\n");
  return kSalidaBien;
}

int EjecutarCmp(const OrdenCmp &orden) {
  const auto a = LeerParaComparar(orden.imagen1, orden.formato, !orden.sectores);
  const auto b = a ? LeerParaComparar(orden.imagen2, orden.formato, !orden.sectores) : nullptr;
  if (!a || !b) {
    return kSalidaUso;
  }
  cpm::OpcionesComparacion nombres{orden.imagen1, orden.imagen2, false};
  // Two DSK images keep each track's GAP#3 and filler: those are compared too.
  nombres.cabecerasPista = EsDsk(a->bytes) && EsDsk(b->bytes);
  std::vector<cpm::Diferencia> diferencias;
  std::vector<std::string> dudas;
  if (orden.sectores) {
    diferencias = cpm::CompararSuperficies(*a->superficie, *b->superficie, nombres);
  } else {
    cpm::ComparacionArchivos r = cpm::CompararArchivos(*a->disco, *b->disco, nombres);
    diferencias = std::move(r.diferencias);
    dudas = std::move(r.dudas);
  }
  std::string texto;
  for (const cpm::Diferencia &d : diferencias) {
    texto += d.texto + "\n";
  }
  if (!diferencias.empty()) {
    texto += Plural(diferencias.size(), "diferencia", "diferencias") + "\n";
  }
  EscribirSalida(texto);
  if (!diferencias.empty()) {
    return kSalidaFallo;
  }
  // Nothing differs where both could be read: that is not yet the same disk.
  for (const std::string &d : dudas) {
    AvisarError("cmp", d + "; --sectores compara también lo que no se lee");
  }
  return dudas.empty() ? kSalidaBien : kSalidaUso;
}

namespace {

Ejecucion PrepararConvert(CLI::App &sub) {
  auto o = std::make_shared<OrdenConvert>();
  sub.add_option("ORIGEN", o->origen, "Imagen DSK, HFE o volcado crudo (con --formato)")
      ->required()
      ->type_name("");
  sub.add_option("DESTINO", o->destino, "Imagen nueva")->required()->type_name("");
  sub.add_option("--a", o->tipo,
                 "extendido, estandar, hfe o raw (por omisión, según la extensión de DESTINO)")
      ->type_name("TIPO")
      ->check(CLI::IsMember({"extendido", "estandar", "hfe", "raw"}));
  sub.add_option("--formato", o->formato,
                 "Formato del volcado crudo (data, system, ibm, plus3, ...); por omisión, el "
                 "del disco")
      ->type_name("NOMBRE");
  sub.add_flag("--force", o->forzar,
               "Convierte aunque la imagen nueva no guarde todo (dice qué se pierde)");
  sub.add_flag("--reemplazar", o->reemplazar, "Reemplaza DESTINO si ya existe");
  sub.add_flag("--completar", o->completar,
               "Completa un volcado incompleto de una protección conocida (dice qué añade)");
  return [o] {
    if (!o->formato.empty() && !cpm::FormatoPorNombre(o->formato)) {
      AvisarError("--formato " + o->formato, "formato desconocido");
      return kSalidaUso;
    }
    return EjecutarConvert(*o);
  };
}

Ejecucion PrepararCmp(CLI::App &sub) {
  auto o = std::make_shared<OrdenCmp>();
  sub.add_option("IMAGEN1", o->imagen1, "Imagen DSK o HFE")->required()->type_name("");
  sub.add_option("IMAGEN2", o->imagen2, "Imagen DSK o HFE")->required()->type_name("");
  sub.add_flag("--sectores", o->sectores,
               "Compara cada pista, ID, tamaño, estado del FDC y byte de cada sector");
  sub.add_option("--formato", o->formato, "Lee los dos discos con este formato")
      ->type_name("NOMBRE");
  return [o] {
    if (!o->formato.empty() && !cpm::FormatoPorNombre(o->formato)) {
      AvisarError("--formato " + o->formato, "formato desconocido");
      return kSalidaUso;
    }
    return EjecutarCmp(*o);
  };
}

constexpr std::array kOrdenesConversion{
    DefinicionOrden{"convert", "Convierte una imagen en otra (DSK extendido o estándar, HFE, raw)",
                    PrepararConvert},
    DefinicionOrden{"cmp", "Dice si dos imágenes tienen el mismo disco (archivos o sectores)",
                    PrepararCmp},
};

} // namespace

std::span<const DefinicionOrden> OrdenesDeConversion() { return kOrdenesConversion; }

} // namespace Cli
