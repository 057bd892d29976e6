#include "cli/OrdenesDisco.h"

#include "cli/Json.h"
#include "cli/JsonEnPartes.h"
#include "cli/Listado.h"
#include "cli/Ordenes.h"
#include "cli/OrdenesEscritura.h"
#include "cpm/Comprobacion.h"
#include "cpm/Conversion.h"
#include "cpm/Edicion.h"
#include "cpm/Imagen.h"
#include "imagenes/Dsk.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/Proceso.h"
#include "platform/ReemplazoSeguro.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <memory>

namespace Cli {

using nlohmann::json;

namespace {

constexpr int kSalidaIlegible = 2; // check: an image that cannot be read

std::string Hex2(unsigned v) {
  static constexpr std::string_view Cifras = "0123456789ABCDEF";
  return {'&', Cifras[(v >> 4) & 0x0F], Cifras[v & 0x0F]};
}

std::string En(int pista, int cara) {
  return "pista " + std::to_string(pista) + ", cara " + std::to_string(cara);
}

// ---------------------------------------------------------------------------
// check

using cpm::TextoDefectos;

std::string Resumen(const cpm::Comprobacion &c) { return cpm::ResumenComprobacion(c, "--reparar"); }

json JsonDefectos(const std::vector<cpm::Defecto> &defectos) {
  json lista = json::array();
  for (const cpm::Defecto &d : defectos) {
    json j = JsonProblemas({d.problema}).front();
    j["nivel"] = d.nivel == cpm::NivelDefecto::Contenedor ? "contenedor" : "catalogo";
    j["objeto"] = d.objeto;
    j["arreglo"] = std::string(cpm::NombreArreglo(d.arreglo));
    j["reparacion"] = d.reparacion;
    lista.push_back(std::move(j));
  }
  return lista;
}

struct ResultadoCheck {
  int salida = kSalidaBien;
  std::string texto;
  json documento;
};

// The check of one image, mended first when asked (and possible).
ResultadoCheck ComprobarImagen(const std::string &ruta, bool reparar) {
  ResultadoCheck r;
  const auto imagen = reparar ? std::make_unique<cpm::Imagen>(ruta, cpm::Imagen::ParaCambiar{})
                              : std::make_unique<cpm::Imagen>(ruta);
  if (!imagen->ErrorPistas().empty()) {
    AvisarError(ruta, imagen->ErrorPistas());
    r.salida = kSalidaIlegible;
    r.documento = {{"imagen", ruta}, {"error", imagen->ErrorPistas()}};
    return r;
  }
  const cpm::Comprobacion antes = cpm::ComprobarDisco(imagen->Disco());
  cpm::Comprobacion ahora = antes;
  json reparados = nullptr;
  if (reparar && antes.Reparables() > 0) {
    reparados = json::array();
    if (const std::string motivo = imagen->MotivoSoloLectura(); !motivo.empty()) {
      AvisarError(ruta, motivo);
    } else {
      const cpm::Escrito escrito = cpm::RepararDisco(imagen->Bytes(), imagen->Disco());
      if (GuardarImagen(*imagen, escrito) == kSalidaBien && escrito.Hecho()) {
        ahora = cpm::ComprobarDisco(cpm::LeerDisco(escrito.bytes));
        const std::vector<cpm::Defecto> hechos = cpm::Reparados(antes, ahora);
        reparados = JsonDefectos(hechos);
        r.texto += ruta + ": " + Plural(hechos.size(), "problema reparado", "problemas reparados") +
                   "\n" + TextoDefectos(hechos, "reparado: ");
      }
    }
  }
  if (!r.texto.empty() && !ahora.Limpia()) {
    r.texto +=
        ruta + ": " + (ahora.defectos.size() == 1 ? "queda " : "quedan ") + Resumen(ahora) + "\n";
  } else if (r.texto.empty()) {
    r.texto = ruta + ": " + Resumen(ahora) + "\n";
  }
  r.texto += TextoDefectos(ahora.defectos);
  r.salida = ahora.Limpia() ? kSalidaBien : kSalidaFallo;
  r.documento = {{"imagen", ruta},
                 {"limpia", ahora.Limpia()},
                 {"hallazgos", JsonDefectos(ahora.defectos)},
                 {"reparados", reparados}};
  return r;
}

// ---------------------------------------------------------------------------
// sector and track

// Why an image cannot be changed in place (a kind only read, an archive's
// member, tracks that cannot be read); empty when it can.
std::string NoSeCambia(const cpm::Imagen &imagen) {
  if (std::string motivo = imagen.MotivoSoloLectura(); !motivo.empty()) {
    return motivo;
  }
  return imagen.ErrorPistas();
}

// A change to one track of an image, written over the image safely, then said.
using CambioPista = std::function<std::string(imagenes::Superficie &)>;
int CambiarPista(const std::string &ruta, int pista, int cara, const CambioPista &cambio,
                 const std::string &hecho) {
  const cpm::Imagen imagen(ruta, cpm::Imagen::ParaCambiar{});
  if (const std::string no = NoSeCambia(imagen); !no.empty()) {
    AvisarError(ruta, no);
    return kSalidaFallo;
  }
  const imagenes::Contenedor &c = imagen.Disco().contenedor;
  imagenes::Superficie s = imagenes::DesdeContenedor(c);
  if (const std::string error = cambio(s); !error.empty()) {
    AvisarError(ruta, error);
    return kSalidaFallo;
  }
  const int salida = GuardarImagen(imagen, cpm::EscribirPista(imagen.Bytes(), c, pista, cara, s));
  if (salida == kSalidaBien) {
    EscribirSalida(ruta + ": " + En(pista, cara) + hecho + "\n");
  }
  return salida;
}

std::string ListaIds(const std::vector<std::uint8_t> &ids) {
  std::string t;
  for (const std::uint8_t id : ids) {
    t += (t.empty() ? "" : " ") + Hex2(id).substr(1);
  }
  return t;
}

// What the sector command was asked to do, as its line says it.
std::string HechoSector(const OrdenSector &o) {
  std::vector<std::string> partes;
  if (o.datos) {
    partes.push_back(Plural(o.datos->size(), "byte escrito", "bytes escritos") + " desde el " +
                     std::to_string(o.desde) +
                     (o.copia > 0 ? " de la copia " + std::to_string(o.copia + 1) : "") +
                     (o.archivoDatos.empty() ? "" : " (de " + o.archivoDatos + ")"));
  }
  for (const auto &[valor, nombre] : {std::pair{&o.st1, "ST1"}, {&o.st2, "ST2"}}) {
    if (*valor) {
      partes.push_back(std::string(nombre) + "=" + Hex2(static_cast<unsigned>(**valor)));
    }
  }
  if (o.n) {
    partes.push_back("N=" + std::to_string(*o.n));
  }
  if (o.copias) {
    partes.push_back(Plural(static_cast<std::size_t>(*o.copias), "copia", "copias"));
  }
  if (o.guardados) {
    partes.push_back(Plural(*o.guardados, "byte guardado", "bytes guardados"));
  }
  std::string t;
  for (const std::string &p : partes) {
    t += (t.empty() ? "" : ", ") + p;
  }
  return ", sector " + Hex2(static_cast<unsigned>(o.id)) + ": " + t;
}

} // namespace

std::optional<std::vector<std::uint8_t>> LeerHex(const std::string &texto) {
  std::vector<std::uint8_t> bytes;
  int alto = -1;
  for (const char c : texto) {
    if (c == ' ' || c == ',' || c == ':' || c == '\t') {
      if (alto >= 0) {
        return std::nullopt; // a digit without its pair
      }
      continue;
    }
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
      return std::nullopt;
    }
    const int v = std::isdigit(static_cast<unsigned char>(c)) != 0
                      ? c - '0'
                      : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
    if (alto < 0) {
      alto = v;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(alto * 16 + v));
      alto = -1;
    }
  }
  if (alto >= 0) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::vector<std::uint8_t>> LeerIds(const std::string &texto) {
  std::vector<std::uint8_t> ids;
  std::size_t i = 0;
  while (i <= texto.size()) {
    const std::size_t fin = std::min(texto.find(',', i), texto.size());
    const std::string parte = texto.substr(i, fin - i);
    // A range "&C1-&C9"; a lone "-" is never part of a number.
    const std::size_t guion = parte.find('-');
    const int desde = LeerNumero(parte.substr(0, guion));
    const int hasta = guion == std::string::npos ? desde : LeerNumero(parte.substr(guion + 1));
    if (desde < 0 || hasta < desde || hasta > 0xFF) {
      return std::nullopt;
    }
    for (int id = desde; id <= hasta; ++id) {
      ids.push_back(static_cast<std::uint8_t>(id));
    }
    i = fin + 1;
  }
  return ids;
}

int EjecutarCheck(const OrdenCheck &orden) {
  int salida = kSalidaBien;
  Cls_ListaJson imagenes;
  if (orden.json) {
    EscribirSalida(Cls_ListaJson::Abrir("imagenes"), true);
  }
  int lectura = kSalidaBien;
  const std::vector<std::string> rutas = ExpandirZips(orden.imagenes, lectura);
  if (lectura != kSalidaBien) {
    salida = kSalidaIlegible;
  }
  for (const std::string &ruta : rutas) {
    const ResultadoCheck r = ComprobarImagen(ruta, orden.reparar);
    salida = std::max(salida, r.salida);
    if (orden.json) {
      EscribirSalida(imagenes.Elemento(r.documento), true);
    } else {
      EscribirSalida(r.texto);
    }
  }
  if (orden.json) {
    EscribirSalida(imagenes.Cerrar({{"version", kVersionJson}}), true);
  }
  return salida;
}

int EjecutarSector(const OrdenSector &o) {
  cpm::CambioSector cambio;
  cambio.id = static_cast<std::uint8_t>(o.id);
  cambio.datos = o.datos;
  cambio.desde = o.desde;
  cambio.copia = o.copia;
  const auto byte = [](const std::optional<int> &v) {
    return v ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*v)) : std::nullopt;
  };
  cambio.st1 = byte(o.st1);
  cambio.st2 = byte(o.st2);
  cambio.n = byte(o.n);
  cambio.guardados = o.guardados;
  cambio.copias = o.copias;
  return CambiarPista(
      o.imagen, o.pista, o.cara,
      [&](imagenes::Superficie &s) { return cpm::CambiarSector(s, o.pista, o.cara, cambio); },
      HechoSector(o));
}

int EjecutarTrack(const OrdenTrack &o) {
  if (!o.exportar.empty()) {
    const cpm::Imagen imagen(o.imagen);
    if (!imagen.ErrorPistas().empty()) {
      AvisarError(o.imagen, imagen.ErrorPistas());
      return kSalidaFallo;
    }
    const imagenes::Superficie s = imagen.Superficie();
    const imagenes::PistaSuperficie *p = s.Pista(o.pista, o.cara);
    if (p == nullptr || !p->formateada) {
      AvisarError(o.imagen, "la " + En(o.pista, o.cara) +
                                (p == nullptr ? " no está en la imagen" : " no tiene formato") +
                                "; no hay nada que exportar");
      return kSalidaFallo;
    }
    const std::vector<std::uint8_t> bytes = cpm::ExportarPista(*p);
    const std::int16_t error = Plataforma::CrearArchivo(o.exportar, bytes, o.reemplazar);
    if (error == Errores::ArchivoYaExiste) {
      AvisarError(o.exportar, "ya existe; se deja como está (--reemplazar lo reemplaza)");
      return kSalidaFallo;
    }
    if (error != Errores::Ninguno) {
      AvisarError(o.exportar, "no se ha podido escribir: " + Errores::Mensaje(error));
      return kSalidaFallo;
    }
    EscribirSalida(o.imagen + ": " + En(o.pista, o.cara) + " -> " + o.exportar + " (" +
                   Plural(p->sectores.size(), "sector", "sectores") + ", " +
                   Plural(bytes.size(), "byte", "bytes") + ")\n");
    return kSalidaBien;
  }
  if (!o.importar.empty()) {
    const cpm::Carga carga = cpm::CargarArchivo(o.importar, 255 * 256);
    if (carga.error) {
      AvisarError(o.importar, TrasDosPuntos(*carga.error));
      return kSalidaFallo;
    }
    std::string error;
    auto pista = cpm::ImportarPista(carga.bytes, &error);
    if (!pista) {
      AvisarError(o.importar, error);
      return kSalidaFallo;
    }
    const std::size_t sectores = pista->sectores.size();
    return CambiarPista(
        o.imagen, o.pista, o.cara,
        [&](imagenes::Superficie &s) {
          return cpm::PonerPista(s, o.pista, o.cara, std::move(*pista));
        },
        " tomada de " + o.importar + " (" + Plural(sectores, "sector", "sectores") + ")");
  }
  if (o.sinFormato) {
    return CambiarPista(
        o.imagen, o.pista, o.cara,
        [&](imagenes::Superficie &s) { return cpm::DesformatearPista(s, o.pista, o.cara); },
        " sin formato");
  }
  cpm::FormatoPista f;
  f.ids = *o.ids;
  f.n = static_cast<std::uint8_t>(o.n);
  f.gap = static_cast<std::uint8_t>(o.gap);
  f.relleno = static_cast<std::uint8_t>(o.relleno);
  if (o.c) {
    f.c = static_cast<std::uint8_t>(*o.c);
  }
  if (o.h) {
    f.h = static_cast<std::uint8_t>(*o.h);
  }
  return CambiarPista(
      o.imagen, o.pista, o.cara,
      [&](imagenes::Superficie &s) { return cpm::FormatearPista(s, o.pista, o.cara, f); },
      " formateada: " + Plural(f.ids.size(), "sector", "sectores") +
          (f.ids.empty() ? "" : " (" + ListaIds(f.ids) + ")") + " de N=" + std::to_string(o.n) +
          ", GAP " + Hex2(f.gap) + ", relleno " + Hex2(f.relleno));
}

namespace {

// A number in the forms dump takes, from 0 to `maximo`; nothing (said) when not.
std::optional<int> Numero(const char *opcion, const std::string &texto, int maximo) {
  const int n = LeerNumero(texto);
  if (n < 0 || n > maximo) {
    AvisarError("uso", std::string("valor no válido para ") + opcion + ": " + texto + " (de 0 a " +
                           std::to_string(maximo) + ": &4E, 0x4E o 78)");
    return std::nullopt;
  }
  return n;
}

// The values given as text, read into the command; false after a usage error.
struct Numeros {
  std::vector<std::pair<std::string *, std::function<bool(const std::string &)>>> campos;
  bool Leer() const {
    for (const auto &[texto, leer] : campos) {
      if (!texto->empty() && !leer(*texto)) {
        return false;
      }
    }
    return true;
  }
};

Ejecucion PrepararCheck(CLI::App &sub) {
  auto o = std::make_shared<OrdenCheck>();
  sub.add_option("IMAGEN", o->imagenes, "Imágenes de disco")->required()->type_name("");
  sub.add_flag("--json", o->json, "Salida en JSON");
  sub.add_flag("--reparar", o->reparar,
               "Repara lo que no tiene duda (y deja dicho lo demás), con una escritura segura");
  return [o] {
    Plataforma::ExpandirComodines(o->imagenes);
    return EjecutarCheck(*o);
  };
}

Ejecucion PrepararSector(CLI::App &sub) {
  struct Sector {
    OrdenSector orden;
    std::string pista, cara, id, archivo, hex, desde, copia, st1, st2, n, guardados, copias;
  };
  auto s = std::make_shared<Sector>();
  sub.add_option("IMAGEN", s->orden.imagen, "Imagen DSK")->required()->type_name("");
  sub.add_option("PISTA", s->pista, "Pista (desde 0): 3, &03 o 0x03")->required()->type_name("");
  sub.add_option("CARA", s->cara, "Cara (0 o 1)")->required()->type_name("");
  sub.add_option("SECTOR", s->id, "ID del sector: &C1, 0xC1 o 193")->required()->type_name("");
  CLI::Option *datos =
      sub.add_option("--datos", s->archivo, "Escribe en el sector los bytes de este archivo")
          ->type_name("ARCHIVO");
  sub.add_option("--hex", s->hex, "Escribe en el sector estos bytes: \"E5 00 C9\"")
      ->type_name("BYTES")
      ->excludes(datos);
  sub.add_option("--desde", s->desde, "Dónde empiezan los datos dentro del sector (por omisión, 0)")
      ->type_name("N");
  sub.add_option("--copia", s->copia, "En qué copia de un sector débil (por omisión, la 1)")
      ->type_name("N");
  sub.add_option("--st1", s->st1, "Estado ST1 del FDC: &20 error de datos, 0 ninguno")
      ->type_name("V");
  sub.add_option("--st2", s->st2, "Estado ST2 del FDC: &20 error de datos, &40 marca borrada")
      ->type_name("V");
  sub.add_option("--n", s->n, "Código de tamaño del ID (2: 512 bytes)")->type_name("N");
  sub.add_option("--guardados", s->guardados,
                 "Bytes que guarda la imagen del sector, todas sus copias (se corta o se "
                 "completa con el relleno de la pista)")
      ->type_name("N");
  sub.add_option("--copias", s->copias, "Copias guardadas (más de 1: sector débil)")
      ->type_name("N");
  return [s] {
    OrdenSector &o = s->orden;
    if (!LeerPistaCara(s->pista, s->cara, o.pista, o.cara)) {
      return kSalidaUso;
    }
    const auto id = Numero("SECTOR", s->id, 0xFF);
    if (!id) {
      return kSalidaUso;
    }
    o.id = *id;
    const auto en = [](std::optional<int> &destino, const char *opcion, int maximo) {
      return [&destino, opcion, maximo](const std::string &texto) {
        destino = Numero(opcion, texto, maximo);
        return destino.has_value();
      };
    };
    std::optional<int> desde, copia, guardados;
    const Numeros numeros{{{&s->st1, en(o.st1, "--st1", 0xFF)},
                           {&s->st2, en(o.st2, "--st2", 0xFF)},
                           {&s->n, en(o.n, "--n", 0xFF)},
                           {&s->copias, en(o.copias, "--copias", 64)},
                           {&s->desde, en(desde, "--desde", 0xFFFF)},
                           {&s->copia, en(copia, "--copia", 64)},
                           {&s->guardados, en(guardados, "--guardados", 0xFFFF)}}};
    if (!numeros.Leer()) {
      return kSalidaUso;
    }
    o.desde = static_cast<std::size_t>(desde.value_or(0));
    if (copia && *copia < 1) {
      AvisarError("uso", "valor no válido para --copia: " + s->copia + " (la primera es la 1)");
      return kSalidaUso;
    }
    o.copia = copia.value_or(1) - 1;
    if (guardados) {
      o.guardados = static_cast<std::size_t>(*guardados);
    }
    if (!s->hex.empty()) {
      o.datos = LeerHex(s->hex);
      if (!o.datos) {
        AvisarError("uso", "valor no válido para --hex: " + s->hex +
                               " (pares de cifras hexadecimales: \"E5 00 C9\")");
        return kSalidaUso;
      }
    } else if (!s->archivo.empty()) {
      const cpm::Carga carga = cpm::CargarArchivo(s->archivo, 0xFFFF);
      if (carga.error) {
        AvisarError(s->archivo, TrasDosPuntos(*carga.error));
        return kSalidaFallo;
      }
      o.datos = carga.bytes;
      o.archivoDatos = s->archivo;
    }
    if (!o.datos && !o.st1 && !o.st2 && !o.n && !o.guardados && !o.copias) {
      AvisarError("uso", "nada que cambiar: dé --datos, --hex, --st1, --st2, --n, --guardados o "
                         "--copias (alcove-cli dump muestra el sector)");
      return kSalidaUso;
    }
    return EjecutarSector(o);
  };
}

Ejecucion PrepararTrack(CLI::App &sub) {
  struct Track {
    OrdenTrack orden;
    std::string pista, cara, ids, n, gap, relleno, c, h;
  };
  auto t = std::make_shared<Track>();
  OrdenTrack &orden = t->orden;
  sub.add_option("IMAGEN", orden.imagen, "Imagen DSK")->required()->type_name("");
  sub.add_option("PISTA", t->pista, "Pista (desde 0): 3, &03 o 0x03")->required()->type_name("");
  sub.add_option("CARA", t->cara, "Cara (0 o 1)")->required()->type_name("");
  CLI::Option *formatear =
      sub.add_option("--formatear", t->ids,
                     "Formatea la pista con estos IDs, en este orden: '&C1,&C6,&C2' o '&C1-&C9'")
          ->type_name("IDS");
  CLI::Option *sinFormato =
      sub.add_flag("--sin-formato", orden.sinFormato, "Deja la pista sin formato")
          ->excludes(formatear);
  CLI::Option *exportar =
      sub.add_option("--exportar", orden.exportar,
                     "Guarda la pista en un archivo (su Track-Info y sus sectores)")
          ->type_name("ARCHIVO")
          ->excludes(formatear)
          ->excludes(sinFormato);
  sub.add_option("--importar", orden.importar, "Pone en la pista la que guardó --exportar")
      ->type_name("ARCHIVO")
      ->excludes(formatear)
      ->excludes(sinFormato)
      ->excludes(exportar);
  sub.add_option("--n", t->n, "Con --formatear: código de tamaño (por omisión, 2: 512 bytes)")
      ->type_name("N");
  sub.add_option("--gap", t->gap, "Con --formatear: GAP#3 (por omisión, &4E)")->type_name("V");
  sub.add_option("--relleno", t->relleno, "Con --formatear: byte de relleno (por omisión, &E5)")
      ->type_name("V");
  sub.add_option("--c", t->c, "Con --formatear: pista en los IDs (por omisión, la suya)")
      ->type_name("C");
  sub.add_option("--h", t->h, "Con --formatear: cara en los IDs (por omisión, la suya)")
      ->type_name("H");
  sub.add_flag("--reemplazar", orden.reemplazar,
               "Con --exportar: reemplaza el archivo si ya existe");
  return [t] {
    OrdenTrack &o = t->orden;
    if (!LeerPistaCara(t->pista, t->cara, o.pista, o.cara)) {
      return kSalidaUso;
    }
    if (t->ids.empty() && !o.sinFormato && o.exportar.empty() && o.importar.empty()) {
      AvisarError("uso", "diga qué hacer con la pista: --formatear IDS, --sin-formato, "
                         "--exportar ARCHIVO o --importar ARCHIVO");
      return kSalidaUso;
    }
    if (!t->ids.empty()) {
      o.ids = LeerIds(t->ids);
      if (!o.ids) {
        AvisarError("uso", "valor no válido para --formatear: " + t->ids +
                               " (IDs de 0 a 255 separados por comas: '&C1,&C6' o '&C1-&C9')");
        return kSalidaUso;
      }
    }
    std::optional<int> n, gap, relleno;
    const auto en = [](std::optional<int> &destino, const char *opcion) {
      return [&destino, opcion](const std::string &texto) {
        destino = Numero(opcion, texto, 0xFF);
        return destino.has_value();
      };
    };
    const Numeros numeros{{{&t->n, en(n, "--n")},
                           {&t->gap, en(gap, "--gap")},
                           {&t->relleno, en(relleno, "--relleno")},
                           {&t->c, en(o.c, "--c")},
                           {&t->h, en(o.h, "--h")}}};
    if (!numeros.Leer()) {
      return kSalidaUso;
    }
    o.n = n.value_or(o.n);
    o.gap = gap.value_or(o.gap);
    o.relleno = relleno.value_or(o.relleno);
    return EjecutarTrack(o);
  };
}

constexpr std::array kOrdenesDisco{
    DefinicionOrden{"check", "Comprueba las pistas y el catálogo de cada imagen (y los repara)",
                    PrepararCheck},
    DefinicionOrden{"sector",
                    "Cambia un sector: sus datos, su estado (ST1, ST2), su tamaño y sus copias",
                    PrepararSector},
    DefinicionOrden{"track", "Formatea una pista, la deja sin formato, la exporta o la importa",
                    PrepararTrack},
};

} // namespace

std::span<const DefinicionOrden> OrdenesDeDisco() { return kOrdenesDisco; }

} // namespace Cli
