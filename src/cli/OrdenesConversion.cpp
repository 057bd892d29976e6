#include "cli/OrdenesConversion.h"

#include "cli/Listado.h"
#include "cli/Salida.h"
#include "cpm/Comparacion.h"
#include "cpm/Conversion.h"
#include "cpm/Disco.h"
#include "cpm/Imagen.h"
#include "imagenes/Fuente.h"
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

// The kinds convert makes, the ones with a writer.
std::vector<const imagenes::Tipo *> Escribibles() {
  std::vector<const imagenes::Tipo *> v;
  for (const imagenes::Tipo &t : imagenes::Tipos()) {
    if (t.escribir != nullptr) {
      v.push_back(&t);
    }
  }
  return v;
}

// "DSK, HFE" or "DSK o HFE": the families of the kinds told by their bytes,
// the last joined by `ultima`.
std::string Familias(const char *ultima) {
  const std::vector<std::string_view> familias = imagenes::Familias();
  std::string s;
  for (std::size_t i = 0; i < familias.size(); ++i) {
    s += (i == 0 ? "" : i + 1 == familias.size() ? ultima : ", ") + std::string(familias[i]);
  }
  return s;
}

// "extendido, estandar, hfe o raw": what --a takes.
std::vector<std::string> NombresEscribibles() {
  std::vector<std::string> v;
  for (const imagenes::Tipo *t : Escribibles()) {
    v.emplace_back(t->nombre);
  }
  return v;
}

// The kind DESTINO's extension asks for, among those convert makes. An
// extension several kinds share (.dsk) means the one the source's kind names
// (a DSK layout's other layout, the extended one from HFE, the standard one
// from a raw dump).
const imagenes::Tipo *TipoDeDestino(const std::string &destino, const imagenes::Tipo *origen) {
  std::vector<const imagenes::Tipo *> candidatos;
  for (const imagenes::Tipo *t : imagenes::TiposPorExtension(destino)) {
    if (t->escribir != nullptr) {
      candidatos.push_back(t);
    }
  }
  if (candidatos.size() > 1 && origen != nullptr) {
    for (const imagenes::Tipo *t : candidatos) {
      if (t->nombre == origen->comoDsk) {
        return t;
      }
    }
  }
  return candidatos.empty() ? nullptr : candidatos.front();
}

// The list of what is lost, one line each after the message.
void AvisarPerdidas(const std::string &que, const std::string &mensaje,
                    const std::vector<imagenes::Diferencia> &perdidas) {
  AvisarError(que, mensaje);
  std::string lineas;
  for (const imagenes::Diferencia &d : perdidas) {
    lineas += "  " + d.texto + "\n";
  }
  Plataforma::Escribir(Plataforma::Flujo::Errores, lineas);
}

std::string Detalles(std::size_t n) { return Plural(n, "detalle", "detalles"); }

// An image of any kind read for cmp, as tracks and sectors and, for the file
// level, with its file system. Nothing, with the reason said, when it cannot be.
std::unique_ptr<cpm::Imagen> LeerParaComparar(const std::string &ruta, const std::string &formato,
                                              bool archivos) {
  auto imagen = std::make_unique<cpm::Imagen>(ruta, cpm::OpcionesLectura{formato});
  if (!imagen->ErrorPistas().empty()) {
    AvisarError(ruta, imagen->Cargada() && imagen->Tipo() == nullptr ? imagenes::NingunTipo()
                                                                     : imagen->ErrorPistas());
    return nullptr;
  }
  if (!archivos) {
    return imagen;
  }
  const cpm::Disco &disco = imagen->Disco();
  if (!disco.formato) {
    AvisarError(ruta,
                "formato desconocido: " + disco.motivoFormato + "; --sectores compara sin él");
    return nullptr;
  }
  if (const std::string incompleto = cpm::CatalogoIncompleto(disco); !incompleto.empty()) {
    AvisarError(ruta, incompleto + "; --sectores compara sin él");
    return nullptr;
  }
  return imagen;
}

// A CPCEMU image, which keeps each track's GAP#3 and filler.
bool EsDsk(const cpm::Imagen &imagen) { return imagen.Tipo() != nullptr && imagen.Tipo()->enSitio; }

} // namespace

int EjecutarConvert(const OrdenConvert &orden) {
  if (imagenes::EsRutaComprimida(orden.destino)) {
    AvisarError(orden.destino, imagenes::MotivoRutaComprimida());
    return kSalidaFallo;
  }
  std::vector<std::uint8_t> origen;
  // A flux dump's file is read a piece at a time as it is converted, never whole.
  const imagenes::Tipo *porPartes = imagenes::TipoPorPartes(orden.origen);
  if (const std::string error =
          porPartes != nullptr ? std::string() : imagenes::CargarImagen(orden.origen, origen);
      !error.empty()) {
    AvisarError(orden.origen, error);
    return kSalidaFallo;
  }
  const imagenes::Tipo *leido = porPartes != nullptr ? porPartes : imagenes::TipoDeBytes(origen);
  if (leido == nullptr && !orden.formato.empty()) {
    leido = imagenes::TipoConGeometria();
  }
  const imagenes::Tipo *destino = orden.tipo.empty() ? TipoDeDestino(orden.destino, leido)
                                                     : imagenes::TipoPorNombre(orden.tipo);
  // A completed dump holds weak copies, which only the extended layout keeps.
  if (orden.completar && orden.tipo.empty() && destino == imagenes::TipoPorNombre("estandar")) {
    destino = imagenes::TipoPorNombre("extendido");
  }
  if (destino == nullptr) {
    std::vector<std::string> extensiones;
    for (const imagenes::Tipo *t : Escribibles()) {
      const std::string e = "." + std::string(t->extensiones.front());
      if (std::find(extensiones.begin(), extensiones.end(), e) == extensiones.end()) {
        extensiones.push_back(e);
      }
    }
    std::string lista;
    for (const std::string &e : extensiones) {
      lista += (lista.empty() ? "" : ", ") + e;
    }
    AvisarError("uso", "no se sabe a qué convertir " + orden.destino + ": dígalo con --a (" +
                           Enumerar(NombresEscribibles()) + ") o con su extensión (" + lista + ")");
    return kSalidaUso;
  }
  cpm::OpcionesConversion opciones;
  opciones.destino = destino;
  opciones.forzar = orden.forzar;
  opciones.formato = orden.formato;
  opciones.version = ALCOVE_VERSION;
  opciones.completar = orden.completar;
  const cpm::Conversion c =
      porPartes != nullptr
          ? cpm::Convertir(*porPartes,
                           porPartes->leerArchivo(orden.origen, {nullptr, ALCOVE_VERSION}),
                           opciones)
          : cpm::Convertir(origen, opciones);
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
  EscribirSalida(completado + orden.origen + " -> " + orden.destino + " (" +
                 std::string(destino->descripcion) + ", " +
                 Plural(c.bytes.size(), "byte", "bytes") + ")\n");
  return kSalidaBien;
}

int EjecutarCmp(const OrdenCmp &orden) {
  const auto a = LeerParaComparar(orden.imagen1, orden.formato, !orden.sectores);
  const auto b = a ? LeerParaComparar(orden.imagen2, orden.formato, !orden.sectores) : nullptr;
  if (!a || !b) {
    return kSalidaUso;
  }
  imagenes::OpcionesComparacion nombres{orden.imagen1, orden.imagen2, false};
  // Two DSK images keep each track's GAP#3 and filler: those are compared too.
  nombres.cabecerasPista = EsDsk(*a) && EsDsk(*b);
  std::vector<imagenes::Diferencia> diferencias;
  std::vector<std::string> dudas;
  if (orden.sectores) {
    diferencias = imagenes::CompararSuperficies(a->Superficie(), b->Superficie(), nombres);
  } else {
    cpm::ComparacionArchivos r = cpm::CompararArchivos(a->Disco(), b->Disco(), nombres);
    diferencias = std::move(r.diferencias);
    dudas = std::move(r.dudas);
  }
  std::string texto;
  for (const imagenes::Diferencia &d : diferencias) {
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
  sub.add_option("ORIGEN", o->origen,
                 "Imagen " + Familias(", ") + " o volcado crudo (con --formato)")
      ->required()
      ->type_name("");
  sub.add_option("DESTINO", o->destino, "Imagen nueva")->required()->type_name("");
  sub.add_option("--a", o->tipo,
                 Enumerar(NombresEscribibles()) + " (por omisión, según la extensión de DESTINO)")
      ->type_name("TIPO")
      ->check(CLI::IsMember(NombresEscribibles()));
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
  sub.add_option("IMAGEN1", o->imagen1, "Imagen " + Familias(" o "))->required()->type_name("");
  sub.add_option("IMAGEN2", o->imagen2, "Imagen " + Familias(" o "))->required()->type_name("");
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
