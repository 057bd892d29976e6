#include "cpm/Comprobacion.h"

#include "cpm/Proteccion.h"
#include "disk/CpcEmu.h"
#include "imagenes/Dsk.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace cpm {

using imagenes::Contenedor;
using imagenes::Disposicion;
using imagenes::LeerContenedor;
using imagenes::Lugar;
using imagenes::Problema;
using imagenes::Problemas;
using imagenes::TextoId;
using imagenes::TipoProblema;
namespace {

// A catalogue entry.
constexpr std::size_t TamanoEntrada = 32;
constexpr std::size_t PosEx = 12, PosS2 = 14, PosRc = 15;
constexpr std::uint8_t Borrada = 0xE5;
constexpr int RegistrosExtension = 128;

using Entrada = std::array<std::uint8_t, TamanoEntrada>;

std::string En(int pista, int cara) {
  return "pista " + std::to_string(pista) + ", cara " + std::to_string(cara);
}

// The file whose extent is catalogue entry `entrada`, or null.
const Archivo *DuenoEntrada(const Disco &d, int entrada) {
  for (const Archivo &a : d.catalogo.archivos) {
    for (const Extension &e : a.extensiones) {
      if (e.entrada == entrada) {
        return &a;
      }
    }
  }
  return nullptr;
}

// The first file that holds block `bloque`, or null.
const Archivo *DuenoBloque(const Disco &d, int bloque) {
  for (const Archivo &a : d.catalogo.archivos) {
    for (const Extension &e : a.extensiones) {
      if (std::find(e.bloques.begin(), e.bloques.end(), bloque) != e.bloques.end()) {
        return &a;
      }
    }
  }
  return nullptr;
}

std::string NombreArchivo(const Archivo &a) {
  return std::to_string(a.usuario) + ":" + a.NombreCompleto();
}

// What a problem touches, from its place: the track and sector, the catalogue
// entry or the block (with the file they belong to), or a part of the header.
std::string Objeto(const Disco &d, const Problema &p) {
  const Lugar &l = p.lugar;
  std::string t;
  if (l.pista >= 0) {
    t = En(l.pista, std::max(l.cara, 0));
    if (l.sector >= 0) {
      t += ", sector " + TextoId(static_cast<std::uint8_t>(l.sector));
    }
  }
  const Archivo *dueno = l.entrada >= 0  ? DuenoEntrada(d, l.entrada)
                         : l.bloque >= 0 ? DuenoBloque(d, l.bloque)
                                         : nullptr;
  // The catalogue's place, after the track's when both are known.
  std::vector<std::string> detalles;
  if (l.entrada >= 0) {
    (t.empty() ? t : detalles.emplace_back()) =
        "entrada " + std::to_string(l.entrada) + " del catálogo";
  } else if (l.bloque >= 0) {
    (t.empty() ? t : detalles.emplace_back()) = "bloque " + std::to_string(l.bloque);
  }
  if (dueno != nullptr) {
    detalles.push_back(NombreArchivo(*dueno));
  }
  for (std::size_t i = 0; i < detalles.size(); ++i) {
    t += (i == 0 ? " (" : ", ") + detalles[i] + (i + 1 == detalles.size() ? ")" : "");
  }
  if (t.empty() && l.desplazamiento >= 0) {
    switch (p.tipo) {
    case TipoProblema::FirmaRara: return "la firma de la cabecera";
    case TipoProblema::TamanoPistaDistinto: return "el tamaño de pista de la cabecera";
    default: return "el byte " + std::to_string(l.desplazamiento) + " de la imagen";
    }
  }
  return t.empty() ? "el disco" : t;
}

NivelDefecto Nivel(TipoProblema t) {
  switch (t) {
  case TipoProblema::FormatoDesconocido:
  case TipoProblema::FormatoForzado:
  case TipoProblema::FormatoNombreMalo:
  case TipoProblema::DescripcionInvalida:
  case TipoProblema::SectorAusente:
  case TipoProblema::SectorTamanoDistinto:
  case TipoProblema::BloqueFueraDelDisco:
  case TipoProblema::BloqueTrasElFinal:
  case TipoProblema::BloqueCompartido:
  case TipoProblema::ExtensionAusente:
  case TipoProblema::ExtensionRepetida:
  case TipoProblema::RegistrosDeMas:
  case TipoProblema::RegistrosDeMenos:
  case TipoProblema::UsuarioFueraDeRango:
  case TipoProblema::NombreInvalido:
  case TipoProblema::ArchivoIncompleto:
  case TipoProblema::CabeceraAmsdosInvalida:
  case TipoProblema::LongitudCabeceraExcede: return NivelDefecto::Catalogo;
  default: return NivelDefecto::Contenedor;
  }
}

// CP/M 3 keeps its disk label and the files' dates in entries of these users.
constexpr std::uint8_t UsuarioEtiqueta = 0x20, UsuarioFechas = 0x21;
constexpr std::uint8_t MaxUsuario = 15;

Lugar EnEntrada(int entrada) { return {-1, -1, -1, entrada, -1, -1}; }

// The catalogue's odd entries (which the reading lists apart, as catalogue
// art and the like) and files with names CP/M cannot hold are findings of the
// check only: a listing already shows them.
void Nombres(const Disco &d, Problemas &problemas) {
  for (const EntradaSuelta &e : d.catalogo.raras) {
    const std::string cual = "La entrada " + std::to_string(e.entrada) + " del catálogo (" +
                             (e.texto.empty() ? std::string("sin nombre") : e.texto) + ")";
    if (e.usuario <= MaxUsuario) {
      problemas.push_back({TipoProblema::NombreInvalido,
                           cual + " tiene un nombre que CP/M no admite: " + e.motivo,
                           EnEntrada(e.entrada)});
    } else if (e.usuario != UsuarioEtiqueta && e.usuario != UsuarioFechas) {
      problemas.push_back(
          {TipoProblema::UsuarioFueraDeRango, cual + " es del " + e.motivo, EnEntrada(e.entrada)});
    }
  }
  for (const Archivo &a : d.catalogo.archivos) {
    std::string motivo = a.nombre.empty() ? "no tiene nombre antes de la extensión" : "";
    for (const std::string *parte : {&a.nombre, &a.extension}) {
      for (const char c : *parte) {
        if (motivo.empty()) {
          motivo = MotivoCaracterNombre(c);
        }
      }
    }
    if (!motivo.empty() && !a.extensiones.empty()) {
      problemas.push_back(
          {TipoProblema::NombreInvalido,
           "El nombre de " + std::to_string(a.usuario) + ":" + a.NombreCompleto() + " " + motivo,
           EnEntrada(a.extensiones.front().entrada)});
    }
  }
}

// What the check finds: the reading's problems but a format chosen by name
// (the user's choice, not the disk's), then the names.
Problemas Hallazgos(const Disco &d) {
  Problemas r;
  std::copy_if(d.problemas.begin(), d.problemas.end(), std::back_inserter(r),
               [](const Problema &p) { return p.tipo != TipoProblema::FormatoForzado; });
  Nombres(d, r);
  return r;
}

// Why each kind of problem that a repair never decides is left.
std::string PorQueSeDeja(TipoProblema t) {
  switch (t) {
  case TipoProblema::PistaAusente:
  case TipoProblema::PistaCorta: return "los bytes de la pista no están en el archivo";
  case TipoProblema::PistaSinFirma: return "no se sabe dónde empieza la pista";
  case TipoProblema::PistaNumeroDistinto:
    return "no se sabe si está mal el número o el orden de la pista";
  case TipoProblema::SectoresDeMas: return "no se sabe cuántos sectores tiene la pista";
  case TipoProblema::SectorCorto: return "los bytes que faltan del sector no están en la imagen";
  case TipoProblema::SectorDebil:
  case TipoProblema::SectorError:
  case TipoProblema::LongitudGuardadaDistinta:
  case TipoProblema::SectorRepetido:
    return "es como se leyó el disco original (a menudo, una protección anticopia)";
  case TipoProblema::FormatoDesconocido:
  case TipoProblema::DescripcionInvalida: return "sin formato no se puede leer el catálogo";
  case TipoProblema::SectorAusente:
  case TipoProblema::SectorTamanoDistinto: return "los datos de ese sector no están en la imagen";
  case TipoProblema::BloqueFueraDelDisco:
  case TipoProblema::BloqueCompartido:
    return "no se sabe de qué archivo es el bloque ni qué número debía ser";
  case TipoProblema::BloqueTrasElFinal: return "un CPC lo lee igual";
  case TipoProblema::ExtensionAusente: return "el tramo que falta no está en el catálogo";
  case TipoProblema::RegistrosDeMas: return "no se sabe si faltan bloques o sobran registros";
  case TipoProblema::UsuarioFueraDeRango: return "no se sabe de qué usuario era";
  case TipoProblema::NombreInvalido: return "no se sabe qué nombre era";
  case TipoProblema::ArchivoIncompleto: return "lo que falta del archivo no está en el disco";
  default: return "no se sabe cómo";
  }
}

// How a repair would mend one problem, given the findings around it.
struct Plan {
  Arreglo arreglo = Arreglo::Ninguno;
  std::string texto;
};

constexpr const char *Dejar = "se deja: ";

// Blocks a whole extent takes on this format.
std::size_t BloquesTramoEntero(const Formato &f) {
  const int registrosBloque = f.tamanoBloque / 128;
  return registrosBloque <= 0 ? 0
                              : static_cast<std::size_t>((f.MascaraExtension() + 1) *
                                                         RegistrosExtension / registrosBloque);
}

// The catalogue as it can be mended in place: its raw entries, and whether
// its sectors may be changed.
struct CatalogoEnImagen {
  EntradasEnImagen entradas;
  std::string fallo; // empty: every catalogue sector is sound and unprotected
};

CatalogoEnImagen SituarCatalogo(const Disco &d, const std::set<std::pair<int, int>> &protegidas) {
  CatalogoEnImagen c;
  if (auto rechazo = EntradasCatalogo(d, c.entradas)) {
    c.fallo = rechazo->texto;
    c.fallo[0] = static_cast<char>(c.fallo[0] - 'A' + 'a');
    return c;
  }
  const Formato &f = *d.formato;
  const long long primero = static_cast<long long>(f.reservadas) * f.sectoresPorPista;
  const long long sectores =
      (static_cast<long long>(f.entradas) * TamanoEntrada + f.tamanoSector - 1) / f.tamanoSector;
  for (long long i = 0; i < sectores; ++i) {
    const Ubicacion u = UbicarSector(f, primero + i);
    if (protegidas.count({u.pista, u.cara}) != 0) {
      c.fallo = "el catálogo está en la " + En(u.pista, u.cara) + ", que parece protegida";
      return c;
    }
  }
  return c;
}

// The entry repeating the kept one of its extent, byte for byte: empty it.
Plan PlanTramoRepetido(const Disco &d, const Problema &p, const CatalogoEnImagen &cat) {
  const auto i = static_cast<std::size_t>(p.lugar.entrada);
  if (!cat.fallo.empty() || i >= cat.entradas.entradas.size()) {
    return {Arreglo::Ninguno, Dejar + (cat.fallo.empty() ? "no se lee su entrada" : cat.fallo)};
  }
  const Entrada &repetida = cat.entradas.entradas[i];
  for (const Archivo &a : d.catalogo.archivos) {
    for (const Extension &e : a.extensiones) {
      const auto k = static_cast<std::size_t>(e.entrada);
      if (k < cat.entradas.entradas.size() && cat.entradas.entradas[k] == repetida) {
        return {Arreglo::TramoRepetido, "se vacía la entrada " + std::to_string(i) +
                                            ", igual byte a byte que la " +
                                            std::to_string(e.entrada)};
      }
    }
  }
  return {Arreglo::Ninguno, std::string(Dejar) +
                                "no es igual byte a byte que el tramo que se usa; no se sabe cuál "
                                "vale"};
}

// A short extent before the file's last one: whole, when its blocks are.
Plan PlanRegistros(const Disco &d, const Problema &p, const CatalogoEnImagen &cat) {
  const Archivo *a = DuenoEntrada(d, p.lugar.entrada);
  const Extension *e = nullptr;
  if (a != nullptr) {
    for (const Extension &x : a->extensiones) {
      e = x.entrada == p.lugar.entrada ? &x : e;
    }
  }
  if (!cat.fallo.empty() || e == nullptr || !d.formato) {
    return {Arreglo::Ninguno, Dejar + (cat.fallo.empty() ? "no se lee su entrada" : cat.fallo)};
  }
  const std::size_t enteros = BloquesTramoEntero(*d.formato);
  if (enteros == 0 || e->bloques.size() < enteros) {
    return {Arreglo::Ninguno, std::string(Dejar) + "tiene " + std::to_string(e->bloques.size()) +
                                  " bloques de los " + std::to_string(enteros) +
                                  " de un tramo entero: faltan datos"};
  }
  const int lleno = (d.formato->MascaraExtension() + 1) * RegistrosExtension;
  return {Arreglo::RegistrosTramo, "el tramo pasa a tener " + std::to_string(lleno) +
                                       " registros, los de sus " + std::to_string(enteros) +
                                       " bloques"};
}

Plan PlanDe(const Disco &d, const Problema &p, const CatalogoEnImagen &cat) {
  const Contenedor &c = d.contenedor;
  const bool porSectores = !c.tamanosPorSectores.empty();
  switch (p.tipo) {
  case TipoProblema::FirmaRara: return {Arreglo::Firma, "se escribe la firma entera"};
  case TipoProblema::TamanoPistaDistinto: {
    const std::size_t i =
        p.lugar.pista >= 0
            ? static_cast<std::size_t>(p.lugar.pista * c.caras + std::max(p.lugar.cara, 0))
            : 0;
    const std::size_t t = i < c.tamanosPorSectores.size() ? c.tamanosPorSectores[i] : 0;
    return {Arreglo::TamanoPista, "la cabecera pasa a dar " + std::to_string(t) + " bytes"};
  }
  case TipoProblema::PistaSinFirma:
  case TipoProblema::PistaCorta:
  case TipoProblema::PistaAusente:
    if (porSectores) {
      return {Arreglo::TamanoPista, "se lee donde está cuando la cabecera da su tamaño"};
    }
    break;
  case TipoProblema::BytesSobrantes:
    return porSectores ? Plan{Arreglo::TamanoPista,
                              "se leen como pistas cuando la cabecera da su tamaño (lo que "
                              "sobre después, se quita)"}
                       : Plan{Arreglo::Sobrantes,
                              "se quitan los " + std::to_string(c.bytesSobrantes) + " bytes"};
  case TipoProblema::ExtensionRepetida: return PlanTramoRepetido(d, p, cat);
  case TipoProblema::RegistrosDeMenos: return PlanRegistros(d, p, cat);
  default: break;
  }
  return {Arreglo::Ninguno, Dejar + PorQueSeDeja(p.tipo)};
}

bool Lee(const Disco &d, std::span<const std::uint8_t> imagen) {
  const auto leidos = d.contenedor.bytes;
  return imagen.size() == leidos.size() &&
         (imagen.data() == leidos.data() ||
          std::equal(imagen.begin(), imagen.end(), leidos.begin()));
}

void Poner16(std::vector<std::uint8_t> &b, std::size_t pos, std::size_t valor) {
  b[pos] = static_cast<std::uint8_t>(valor & 0xFF);
  b[pos + 1] = static_cast<std::uint8_t>((valor >> 8) & 0xFF);
}

// The header's signature and track sizes; true when something changed.
bool RepararCabecera(std::vector<std::uint8_t> &b, const Disco &d) {
  const Contenedor &c = d.contenedor;
  bool cambiado = false;
  const bool firmaRara = std::any_of(d.problemas.begin(), d.problemas.end(), [](const Problema &p) {
    return p.tipo == TipoProblema::FirmaRara;
  });
  if (firmaRara) {
    const std::string_view firma =
        c.disposicion == Disposicion::Estandar ? cpcemu::FirmaEstandar : cpcemu::FirmaExtendida;
    std::copy(firma.begin(), firma.end(),
              b.begin() + static_cast<std::ptrdiff_t>(cpcemu::PosFirma));
    cambiado = true;
  }
  const auto &t = c.tamanosPorSectores;
  if (!t.empty()) {
    if (c.disposicion == Disposicion::Estandar) {
      Poner16(b, cpcemu::PosTamanoPista, t.front());
    } else {
      for (std::size_t i = 0; i < t.size() && i < cpcemu::MaxEntradasTabla; ++i) {
        b[cpcemu::PosTablaTamanos + i] = static_cast<std::uint8_t>(t[i] / 256);
      }
    }
    cambiado = true;
  }
  return cambiado;
}

// The catalogue entries the plans mend, in place; true when something changed.
bool RepararCatalogo(std::vector<std::uint8_t> &b, const Disco &d) {
  if (!d.formato) {
    return false;
  }
  const CatalogoEnImagen cat = SituarCatalogo(d, PistasProtegidas(d));
  if (!cat.fallo.empty()) {
    return false;
  }
  const Formato &f = *d.formato;
  const int exm = f.MascaraExtension();
  bool cambiado = false;
  for (const Problema &p : d.problemas) {
    const Plan plan = PlanDe(d, p, cat);
    const auto i = static_cast<std::size_t>(p.lugar.entrada);
    if (plan.arreglo != Arreglo::TramoRepetido && plan.arreglo != Arreglo::RegistrosTramo) {
      continue;
    }
    Entrada e = cat.entradas.entradas[i];
    if (plan.arreglo == Arreglo::TramoRepetido) {
      e.fill(Borrada);
    } else {
      // The last logical extent of the entry, with all its records.
      const int x = ((e[PosS2] & 0x3F) << 5) | (e[PosEx] & 0x1F);
      const int lleno = x / (exm + 1) * (exm + 1) + exm;
      e[PosEx] = static_cast<std::uint8_t>((e[PosEx] & ~0x1F) | (lleno & 0x1F));
      e[PosS2] = static_cast<std::uint8_t>((e[PosS2] & ~0x3F) | ((lleno >> 5) & 0x3F));
      e[PosRc] = static_cast<std::uint8_t>(RegistrosExtension);
    }
    std::copy(e.begin(), e.end(),
              b.begin() + static_cast<std::ptrdiff_t>(cat.entradas.posiciones[i]));
    cambiado = true;
  }
  return cambiado;
}

bool MismoProblema(const Problema &a, const Problema &b) {
  return a.tipo == b.tipo && a.texto == b.texto && a.lugar.pista == b.lugar.pista &&
         a.lugar.cara == b.lugar.cara && a.lugar.sector == b.lugar.sector &&
         a.lugar.entrada == b.lugar.entrada && a.lugar.bloque == b.lugar.bloque;
}

// The reading's own options, for reading the mended bytes as it read these.
OpcionesLectura Opciones(const Disco &d) {
  OpcionesLectura opciones;
  if (d.formato && d.motivoFormato == "elegido por nombre") {
    opciones.formato = std::string(d.formato->nombre);
  }
  return opciones;
}

} // namespace

std::string_view NombreArreglo(Arreglo arreglo) {
  switch (arreglo) {
  case Arreglo::Ninguno: return "ninguno";
  case Arreglo::Firma: return "firma";
  case Arreglo::TamanoPista: return "tamano-pista";
  case Arreglo::Sobrantes: return "sobrantes";
  case Arreglo::RegistrosTramo: return "registros-tramo";
  case Arreglo::TramoRepetido: return "tramo-repetido";
  case Arreglo::Consecuencia: return "consecuencia";
  }
  return "ninguno";
}

std::size_t Comprobacion::Reparables() const {
  return static_cast<std::size_t>(
      std::count_if(defectos.begin(), defectos.end(),
                    [](const Defecto &d) { return d.arreglo != Arreglo::Ninguno; }));
}

std::set<std::pair<int, int>> PistasProtegidas(const Disco &disco) {
  // What the protection's verdict points at: the tracks that make the disk
  // irregular, and those each scheme it names was seen on.
  const Veredicto veredicto = JuzgarProteccion(disco.contenedor);
  std::set<std::pair<int, int>> pistas;
  const auto anotar = [&pistas](const std::vector<Prueba> &pruebas) {
    for (const Prueba &p : pruebas) {
      if (p.pista >= 0) {
        pistas.insert({p.pista, std::max(p.cara, 0)});
      }
    }
  };
  anotar(veredicto.pistas);
  for (const Hallazgo &h : veredicto.hallazgos) {
    anotar(h.pruebas);
    anotar(h.faltas);
  }
  return pistas;
}

std::string TextoDefectos(const std::vector<Defecto> &defectos, const char *delante) {
  std::string t;
  for (const Defecto &d : defectos) {
    t += "  " + std::string(delante) + d.objeto + ": " + d.problema.texto + " [" +
         std::string(imagenes::NombreTipo(d.problema.tipo)) + "]\n    " +
         (d.arreglo == Arreglo::Ninguno ? "" : "reparación: ") + d.reparacion + "\n";
  }
  return t;
}

std::string ResumenComprobacion(const Comprobacion &c, std::string_view comoReparar) {
  if (c.Limpia()) {
    return "sin problemas";
  }
  const std::size_t total = c.defectos.size(), reparables = c.Reparables();
  std::string t = std::to_string(total) + (total == 1 ? " problema, " : " problemas, ");
  if (reparables == 0) {
    return t + (total == 1 ? "no reparable" : "ninguno reparable");
  }
  t += std::to_string(reparables) + (reparables == 1 ? " reparable" : " reparables");
  return comoReparar.empty() ? t : t + " (" + std::string(comoReparar) + ")";
}

Comprobacion ComprobarDisco(const Disco &disco) {
  Comprobacion c;
  const auto hallazgos = Hallazgos(disco);
  // Where the catalogue lies, and whether a protection's track holds it, only
  // matters to a finding (a clean disk, the common case, costs no verdict).
  const CatalogoEnImagen cat = disco.formato && !hallazgos.empty()
                                   ? SituarCatalogo(disco, PistasProtegidas(disco))
                                   : CatalogoEnImagen{};
  for (const Problema &p : hallazgos) {
    Plan plan = PlanDe(disco, p, cat);
    c.defectos.push_back({p, Nivel(p.tipo), Objeto(disco, p), plan.arreglo, std::move(plan.texto)});
  }
  if (c.Reparables() == 0 || disco.contenedor.bytes.empty()) {
    return c;
  }
  // What the repair leaves the disk as tells which other findings it takes
  // away with it.
  const Escrito reparado = RepararDisco(disco.contenedor.bytes, disco);
  if (!reparado.Hecho()) {
    return c;
  }
  const Problemas despues = Hallazgos(LeerDisco(reparado.bytes, Opciones(disco)));
  for (Defecto &d : c.defectos) {
    const bool sigue = std::any_of(despues.begin(), despues.end(),
                                   [&](const Problema &p) { return MismoProblema(d.problema, p); });
    if (d.arreglo == Arreglo::Ninguno && !sigue) {
      d.arreglo = Arreglo::Consecuencia;
      d.reparacion = "desaparece con el resto de la reparación";
    }
  }
  return c;
}

Escrito RepararDisco(std::span<const std::uint8_t> imagen, const Disco &disco) {
  Escrito r;
  if (!Lee(disco, imagen)) {
    r.rechazo = Rechazo{TipoRechazo::OpcionNoValida, "La lectura dada no es la de esta imagen"};
    return r;
  }
  r.bytes.assign(imagen.begin(), imagen.end());
  if (!disco.contenedor.valido) {
    return r;
  }
  // The header first: the tracks, the format and the catalogue are then read
  // again where they really are.
  const OpcionesLectura opciones = Opciones(disco);
  if (RepararCabecera(r.bytes, disco)) {
    const Contenedor c = LeerContenedor(r.bytes);
    if (c.bytesSobrantes > 0 && c.tamanosPorSectores.empty()) {
      r.bytes.resize(r.bytes.size() - c.bytesSobrantes);
    }
  } else if (disco.contenedor.bytesSobrantes > 0) {
    r.bytes.resize(r.bytes.size() - disco.contenedor.bytesSobrantes);
  }
  const Disco leido = LeerDisco(r.bytes, opciones);
  std::vector<std::uint8_t> catalogo = r.bytes;
  if (RepararCatalogo(catalogo, leido)) {
    r.bytes = std::move(catalogo);
  }
  return r;
}

std::vector<Defecto> Reparados(const Comprobacion &antes, const Comprobacion &despues) {
  std::vector<Defecto> r;
  for (const Defecto &a : antes.defectos) {
    const bool sigue =
        std::any_of(despues.defectos.begin(), despues.defectos.end(),
                    [&](const Defecto &d) { return MismoProblema(a.problema, d.problema); });
    if (!sigue) {
      r.push_back(a);
    }
  }
  return r;
}

} // namespace cpm
