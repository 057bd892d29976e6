#include "cpm/Escritura.h"
#include "cpm/Entrada.h"

#include "cpm/Borrados.h"
#include "cpm/Extraccion.h"

#include <algorithm>
#include <cctype>

namespace cpm {

using imagenes::BuscarPista;
using imagenes::Contenedor;
using imagenes::Pista;
using imagenes::Problema;
using imagenes::Sector;
using imagenes::TipoProblema;
namespace {

using namespace entrada;
constexpr std::size_t TamanoRegistro = 128;
constexpr std::size_t RegistrosExtension = 128; // a logical 16 KB extent
constexpr std::uint8_t FinTexto = 0x1A;         // ^Z: CP/M's end of text

// FDC status bits saying the sector was not read cleanly when the image was
// made: ST1 data error, no data, missing address mark; ST2 data error,
// deleted data mark, missing data mark.
constexpr std::uint8_t FallosSt1 = 0x20 | 0x04 | 0x01;
constexpr std::uint8_t FallosSt2 = 0x20 | 0x40 | 0x01;

using Entrada = std::array<std::uint8_t, TamanoEntrada>;
using Clave = std::array<std::uint8_t, 1 + LargoNombreExt>; // user, name with top bits clear

std::string Plural(long long n, std::string_view uno, std::string_view varios) {
  return std::to_string(n) + " " + std::string(n == 1 ? uno : varios);
}

// A verb that agrees with its count: "falta 1", "faltan 2", "quedan 0".
std::string Verbo(long long n, std::string_view uno, std::string_view varios) {
  return std::string(n == 1 ? uno : varios) + " " + std::to_string(n);
}

std::string Donde(const Ubicacion &u) {
  return "sector " + std::to_string(u.id) + " de la pista " + std::to_string(u.pista) + ", cara " +
         std::to_string(u.cara);
}

// A logical sector of the format, and why it cannot be written when it cannot.
struct Situado {
  const Sector *sector = nullptr;
  std::string fallo; // empty: sound
};

Situado Situar(const Contenedor &c, const Formato &f, long long indice) {
  const Ubicacion u = UbicarSector(f, indice);
  const Pista *p = BuscarPista(c, u.pista, u.cara);
  Situado r;
  if (p == nullptr || !p->formateada) {
    r.fallo = "falta la pista " + std::to_string(u.pista) + ", cara " + std::to_string(u.cara);
    return r;
  }
  int iguales = 0;
  for (const Sector &s : p->sectores) {
    if (s.r == u.id) {
      r.sector = r.sector == nullptr ? &s : r.sector;
      ++iguales;
    }
  }
  const Sector *s = r.sector;
  const auto tamano = static_cast<std::size_t>(f.tamanoSector);
  if (s == nullptr) {
    r.fallo = "falta el " + Donde(u);
  } else if (iguales > 1) {
    r.fallo = "está repetido el " + Donde(u);
  } else if (s->c != u.pista || s->h != u.cara) {
    // The drive asks for the whole ID; another track or side in it is not found.
    r.fallo = "lleva C=" + std::to_string(s->c) + " H=" + std::to_string(s->h) + " en su ID el " +
              Donde(u);
  } else if (s->n != f.CodigoTamano()) {
    r.fallo = "tiene el código de tamaño " + std::to_string(s->n) + " el " + Donde(u);
  } else if (s->copias > 1) {
    r.fallo = "es débil (" + Plural(s->copias, "copia", "copias") + ") el " + Donde(u);
  } else if (s->longitudGuardada != tamano || s->datos.size() != tamano) {
    r.fallo = "está incompleto el " + Donde(u);
  } else if ((s->st1 & FallosSt1) != 0 || (s->st2 & FallosSt2) != 0) {
    r.fallo = "se leyó con error al hacer la imagen el " + Donde(u);
  }
  return r;
}

// The disk as the writer sees it: the format, the catalogue's raw entries and
// where each lies in the image.
struct Vista {
  const Contenedor *c = nullptr;
  Formato f;
  long long primero = 0;   // logical sector of block 0
  long long porBloque = 0; // sectors a block
  std::vector<Entrada> entradas;
  std::vector<std::size_t> posiciones; // offset of each entry in the image
};

// The format and every catalogue entry where it lies, its sectors sound.
std::optional<Rechazo> SituarCatalogo(const Disco &disco, Vista &v) {
  if (!disco.formato) {
    // Why: the format's own reason, or what stopped the reading before it.
    std::string porQue = disco.motivoFormato;
    if (porQue.empty() && !disco.problemas.empty()) {
      porQue = disco.problemas.front().texto;
      porQue[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(porQue[0])));
    }
    return Rechazo{TipoRechazo::FormatoDesconocido,
                   "No se escribe en un disco de formato desconocido" +
                       (porQue.empty() ? "" : ": " + porQue)};
  }
  v.c = &disco.contenedor;
  v.f = *disco.formato;
  const auto tamanoSector = static_cast<std::size_t>(v.f.tamanoSector);
  if (tamanoSector < TamanoRegistro || v.f.tamanoBloque % v.f.tamanoSector != 0) {
    return Rechazo{TipoRechazo::FormatoDesconocido,
                   "No se escribe en un formato cuyos bloques no son sectores enteros"};
  }
  // 16-bit block numbers need blocks of 2 KB at least, or an entry cannot
  // hold a whole 16 KB extent.
  if (v.f.Bloques16() && v.f.tamanoBloque < 2048) {
    return Rechazo{TipoRechazo::FormatoDesconocido,
                   "No se escribe con este formato: bloques de " +
                       std::to_string(v.f.tamanoBloque) +
                       " bytes con números de 16 bits, que CP/M no admite"};
  }
  v.primero = static_cast<long long>(v.f.reservadas) * v.f.sectoresPorPista;
  v.porBloque = v.f.tamanoBloque / v.f.tamanoSector;
  const std::size_t total = static_cast<std::size_t>(v.f.entradas) * TamanoEntrada;
  const std::size_t sectores = (total + tamanoSector - 1) / tamanoSector;
  v.entradas.reserve(static_cast<std::size_t>(v.f.entradas));
  for (std::size_t i = 0; i < sectores; ++i) {
    const Situado s = Situar(*v.c, v.f, v.primero + static_cast<long long>(i));
    if (!s.fallo.empty()) {
      return Rechazo{TipoRechazo::CatalogoIlegible,
                     "No se escribe en un disco cuyo catálogo no se lee entero: " + s.fallo};
    }
    for (std::size_t pos = 0;
         pos + TamanoEntrada <= tamanoSector && v.entradas.size() * TamanoEntrada < total;
         pos += TamanoEntrada) {
      Entrada e{};
      std::copy_n(s.sector->datos.begin() + static_cast<long>(pos), TamanoEntrada, e.begin());
      v.entradas.push_back(e);
      v.posiciones.push_back(s.sector->desplazamiento + pos);
    }
  }
  return std::nullopt;
}

std::optional<Rechazo> Preparar(const Disco &disco, Vista &v) {
  if (auto rechazo = SituarCatalogo(disco, v)) {
    return rechazo;
  }
  for (const Problema &p : disco.problemas) {
    if (p.tipo == TipoProblema::BloqueCompartido || p.tipo == TipoProblema::BloqueFueraDelDisco) {
      return Rechazo{TipoRechazo::BloquesDanados,
                     "No se escribe en un disco con bloques dañados: " + p.texto};
    }
  }
  return std::nullopt;
}

Clave ClaveDe(const Entrada &e) {
  Clave k{};
  k[0] = e[0];
  for (std::size_t i = 0; i < LargoNombreExt; ++i) {
    k[i + 1] = e[PosNombre + i] & 0x7F;
  }
  return k;
}

Clave ClaveDe(const NombreCpm &n) {
  Clave k{};
  k[0] = n.usuario;
  for (std::size_t i = 0; i < LargoNombreExt; ++i) {
    k[i + 1] = static_cast<std::uint8_t>(n.nombre[i]) & 0x7F;
  }
  return k;
}

NombreCpm NombreDe(const Archivo &a) {
  NombreCpm n;
  n.usuario = a.usuario;
  n.nombre.fill(' ');
  std::copy_n(a.nombre.begin(), std::min<std::size_t>(a.nombre.size(), 8), n.nombre.begin());
  std::copy_n(a.extension.begin(), std::min<std::size_t>(a.extension.size(), 3),
              n.nombre.begin() + 8);
  return n;
}

std::string Mostrar(const NombreCpm &n) { return NombreConUsuario(n.usuario, n.Texto(), true); }

// Every entry of the file of that user and name, repeated extents included.
std::vector<std::size_t> EntradasDe(const std::vector<Entrada> &entradas, const Clave &clave) {
  std::vector<std::size_t> r;
  for (std::size_t i = 0; i < entradas.size(); ++i) {
    if (entradas[i][0] <= MaxUsuario && ClaveDe(entradas[i]) == clave) {
      r.push_back(i);
    }
  }
  return r;
}

std::vector<int> BloquesDe(const Entrada &e, const Formato &f) {
  std::vector<int> r;
  const bool dobles = f.Bloques16();
  const std::size_t lugares = dobles ? 8 : 16;
  for (std::size_t i = 0; i < lugares; ++i) {
    const int b =
        dobles ? e[PosBloques + 2 * i] | (e[PosBloques + 2 * i + 1] << 8) : int{e[PosBloques + i]};
    if (b != 0) {
      r.push_back(b);
    }
  }
  return r;
}

// The catalogue's blocks and those of every entry that is not &E5.
std::vector<bool> Usados(const Vista &v, const std::vector<Entrada> &entradas) {
  std::vector<bool> usado(static_cast<std::size_t>(std::max(v.f.bloques, 0)), false);
  for (int b = 0; b < v.f.BloquesCatalogo() && b < v.f.bloques; ++b) {
    usado[static_cast<std::size_t>(b)] = true;
  }
  for (const Entrada &e : entradas) {
    if (e[0] == Borrada) {
      continue;
    }
    for (int b : BloquesDe(e, v.f)) {
      if (b < v.f.bloques) {
        usado[static_cast<std::size_t>(b)] = true;
      }
    }
  }
  return usado;
}

// Why block `b` cannot take data; empty when all its sectors are sound.
std::string FalloBloque(const Vista &v, int b) {
  for (long long i = 0; i < v.porBloque; ++i) {
    Situado s = Situar(*v.c, v.f, v.primero + b * v.porBloque + i);
    if (!s.fallo.empty()) {
      return std::move(s.fallo);
    }
  }
  return {};
}

struct Libres {
  std::vector<int> bloques; // sound, lowest first
  int inutilizables = 0;
  std::string primerFallo;
};

Libres BloquesLibres(const Vista &v, const std::vector<Entrada> &entradas) {
  Libres l;
  const std::vector<bool> usado = Usados(v, entradas);
  for (int b = 0; b < v.f.bloques; ++b) {
    if (usado[static_cast<std::size_t>(b)]) {
      continue;
    }
    std::string fallo = FalloBloque(v, b);
    if (fallo.empty()) {
      l.bloques.push_back(b);
    } else if (l.inutilizables++ == 0) {
      l.primerFallo = "en el bloque " + std::to_string(b) + " " + fallo;
    }
  }
  return l;
}

Escrito Rechazar(TipoRechazo tipo, std::string texto) {
  Escrito e;
  e.rechazo = Rechazo{tipo, std::move(texto)};
  return e;
}

Escrito Rechazar(Rechazo r) {
  Escrito e;
  e.rechazo = std::move(r);
  return e;
}

// Writes in place the entries that differ from the reading.
void PonerEntradas(std::vector<std::uint8_t> &bytes, const Vista &v,
                   const std::vector<Entrada> &nuevas) {
  for (std::size_t i = 0; i < nuevas.size(); ++i) {
    if (nuevas[i] != v.entradas[i]) {
      std::copy(nuevas[i].begin(), nuevas[i].end(),
                bytes.begin() + static_cast<long>(v.posiciones[i]));
    }
  }
}

Escrito ConEntradas(std::span<const std::uint8_t> imagen, const Vista &v,
                    const std::vector<Entrada> &nuevas) {
  Escrito e;
  e.bytes.assign(imagen.begin(), imagen.end());
  PonerEntradas(e.bytes, v, nuevas);
  return e;
}

// The reading and the bytes must be of one image; then the common checks.
std::optional<Rechazo> Empezar(std::span<const std::uint8_t> imagen, const Disco &disco, Vista &v) {
  const auto leidos = disco.contenedor.bytes;
  if (imagen.size() != leidos.size() ||
      (imagen.data() != leidos.data() &&
       !std::equal(imagen.begin(), imagen.end(), leidos.begin()))) {
    return Rechazo{TipoRechazo::OpcionNoValida, "La lectura dada no es la de esta imagen"};
  }
  return Preparar(disco, v);
}

bool NombreCorrecto(const NombreCpm &n) {
  const auto valido = ValidarNombre(n.Texto(), n.usuario);
  return valido && *valido == n;
}

// The entries of each file given; nothing when one is not on the disk.
std::optional<std::vector<std::vector<std::size_t>>>
EntradasDeArchivos(const Vista &v, std::span<const Archivo *const> archivos, Rechazo &rechazo) {
  std::vector<std::vector<std::size_t>> r;
  for (const Archivo *a : archivos) {
    const NombreCpm n = NombreDe(*a);
    r.push_back(EntradasDe(v.entradas, ClaveDe(n)));
    if (r.back().empty()) {
      rechazo = {TipoRechazo::NoEncontrado, "No hay ningún " + Mostrar(n) + " en el disco"};
      return std::nullopt;
    }
  }
  return r;
}

// How a file of `largo` bytes is laid out in entries.
struct Reparto {
  std::size_t porEntrada = 0; // bytes an entry holds
  std::size_t entradas = 0;
  std::size_t bloques = 0;
};

Reparto Repartir(const Formato &f, std::size_t largo) {
  const std::size_t lugares = f.Bloques16() ? 8 : 16;
  const auto tamanoBloque = static_cast<std::size_t>(f.tamanoBloque);
  Reparto r;
  r.porEntrada =
      std::min(lugares * tamanoBloque, static_cast<std::size_t>(f.MascaraExtension() + 1) *
                                           RegistrosExtension * TamanoRegistro);
  r.entradas = std::max<std::size_t>(1, (largo + r.porEntrada - 1) / r.porEntrada);
  r.bloques = (largo + tamanoBloque - 1) / tamanoBloque;
  return r;
}

// Entry `k` of a new file of `largo` bytes holding `bloques`.
Entrada EntradaNueva(const ArchivoNuevo &a, const Formato &f, const Reparto &r, std::size_t k,
                     std::span<const int> bloques) {
  const std::size_t largo = a.contenido.size();
  const std::size_t aqui = std::min(r.porEntrada, largo - std::min(largo, k * r.porEntrada));
  const std::size_t registros = (aqui + TamanoRegistro - 1) / TamanoRegistro;
  const std::size_t logicas =
      std::max<std::size_t>(1, (registros + RegistrosExtension - 1) / RegistrosExtension);
  const std::size_t x = k * static_cast<std::size_t>(f.MascaraExtension() + 1) + logicas - 1;
  Entrada e{};
  e[0] = a.nombre.usuario;
  for (std::size_t i = 0; i < LargoNombreExt; ++i) {
    e[PosNombre + i] = static_cast<std::uint8_t>(a.nombre.nombre[i]);
  }
  e[PosSoloLectura] |= a.soloLectura ? BitAtributo : 0;
  e[PosSistema] |= a.sistema ? BitAtributo : 0;
  e[PosEx] = static_cast<std::uint8_t>(x & MaskEx);
  e[PosS2] = static_cast<std::uint8_t>((x >> 5) & MaskS2);
  e[PosRc] = static_cast<std::uint8_t>(registros - (logicas - 1) * RegistrosExtension);
  if (f.bytesCpm3 && k + 1 == r.entradas) {
    e[PosS1] = static_cast<std::uint8_t>(largo % TamanoRegistro);
  }
  const bool dobles = f.Bloques16();
  for (std::size_t i = 0; i < bloques.size(); ++i) {
    const auto b = static_cast<unsigned>(bloques[i]);
    if (dobles) {
      e[PosBloques + 2 * i] = static_cast<std::uint8_t>(b & 0xFF);
      e[PosBloques + 2 * i + 1] = static_cast<std::uint8_t>(b >> 8);
    } else {
      e[PosBloques + i] = static_cast<std::uint8_t>(b);
    }
  }
  return e;
}

// Writes `datos` (at most a block) to the start of block `b`, sector by sector.
void EscribirBloque(std::vector<std::uint8_t> &imagen, const Vista &v, int b,
                    std::span<const std::uint8_t> datos) {
  const auto tamano = static_cast<std::size_t>(v.f.tamanoSector);
  for (long long i = 0; i < v.porBloque && !datos.empty(); ++i) {
    const Situado s = Situar(*v.c, v.f, v.primero + b * v.porBloque + i);
    const std::size_t n = std::min(tamano, datos.size());
    std::copy_n(datos.begin(), n, imagen.begin() + static_cast<long>(s.sector->desplazamiento));
    datos = datos.subspan(n);
  }
}

// A file's data into its blocks and its entries into the catalogue's slots.
void EscribirArchivo(std::vector<std::uint8_t> &bytes, const Vista &v, const ArchivoNuevo &a,
                     const Reparto &r, std::span<const int> bloques,
                     std::span<const std::size_t> ranuras, std::vector<Entrada> &entradas) {
  const auto tamanoBloque = static_cast<std::size_t>(v.f.tamanoBloque);
  // The last record padded with ^Z, as CP/M text ends.
  std::vector<std::uint8_t> datos(a.contenido.begin(), a.contenido.end());
  datos.resize((datos.size() + TamanoRegistro - 1) / TamanoRegistro * TamanoRegistro, FinTexto);
  const std::span<const std::uint8_t> todo(datos);
  for (std::size_t j = 0; j < bloques.size(); ++j) {
    const std::size_t desde = j * tamanoBloque;
    EscribirBloque(bytes, v, bloques[j],
                   todo.subspan(desde, std::min(tamanoBloque, datos.size() - desde)));
  }
  const std::size_t porEntrada = r.porEntrada / tamanoBloque;
  for (std::size_t k = 0; k < r.entradas; ++k) {
    const std::size_t desde = std::min(k * porEntrada, bloques.size());
    const std::size_t cuantos = std::min(porEntrada, bloques.size() - desde);
    entradas[ranuras[k]] = EntradaNueva(a, v.f, r, k, bloques.subspan(desde, cuantos));
  }
}

std::optional<Rechazo> RevisarNombres(const Vista &v, std::span<const ArchivoNuevo> archivos,
                                      bool reemplazar, std::vector<Entrada> &entradas) {
  for (std::size_t i = 0; i < archivos.size(); ++i) {
    const NombreCpm &n = archivos[i].nombre;
    if (!NombreCorrecto(n)) {
      return Rechazo{TipoRechazo::NombreNoValido,
                     "\"" + n.Texto() + "\" no vale como nombre de CP/M"};
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (ClaveDe(archivos[j].nombre) == ClaveDe(n)) {
        return Rechazo{TipoRechazo::YaExiste, Mostrar(n) + " se pone dos veces"};
      }
    }
    const auto viejas = EntradasDe(v.entradas, ClaveDe(n));
    if (!viejas.empty() && !reemplazar) {
      return Rechazo{TipoRechazo::YaExiste, "Ya hay un " + Mostrar(n) + " en el disco"};
    }
    for (std::size_t k : viejas) {
      entradas[k][0] = Borrada;
    }
  }
  return std::nullopt;
}

std::optional<Rechazo> RevisarSitio(const Vista &v, const Libres &libres, std::size_t bloques,
                                    std::size_t entradas, std::size_t entradasLibres) {
  const auto kb = [&](std::size_t n) {
    return std::to_string(n * static_cast<std::size_t>(v.f.tamanoBloque) / 1024) + " KB";
  };
  const std::size_t hay = libres.bloques.size();
  if (bloques > hay) {
    const std::size_t faltan = bloques - hay;
    if (bloques <= hay + static_cast<std::size_t>(libres.inutilizables)) {
      return Rechazo{TipoRechazo::SectorInutilizable,
                     "No hay sitio: " + std::string(faltan == 1 ? "falta " : "faltan ") +
                         Plural(static_cast<long long>(faltan), "bloque", "bloques") + " (" +
                         kb(faltan) + "); " +
                         Plural(libres.inutilizables, "bloque libre no se puede usar",
                                "bloques libres no se pueden usar") +
                         " por sus sectores: " + libres.primerFallo};
    }
    const auto n = [](std::size_t x) { return static_cast<long long>(x); };
    return Rechazo{TipoRechazo::SinSitio,
                   "No hay sitio: " + std::string(bloques == 1 ? "hace" : "hacen") + " falta " +
                       Plural(n(bloques), "bloque", "bloques") + " (" + kb(bloques) + ") y " +
                       Verbo(n(hay), "queda", "quedan") + (hay == 1 ? " libre; " : " libres; ") +
                       Verbo(n(faltan), "falta", "faltan") + " (" + kb(faltan) + ")"};
  }
  if (entradas > entradasLibres) {
    const std::size_t faltan = entradas - entradasLibres;
    const auto n = [](std::size_t x) { return static_cast<long long>(x); };
    return Rechazo{TipoRechazo::SinEntradas,
                   "No hay sitio en el catálogo: " + std::string(entradas == 1 ? "hace" : "hacen") +
                       " falta " + Plural(n(entradas), "entrada", "entradas") + " y " +
                       Verbo(n(entradasLibres), "queda", "quedan") +
                       (entradasLibres == 1 ? " libre; " : " libres; ") +
                       Verbo(n(faltan), "falta", "faltan")};
  }
  return std::nullopt;
}

} // namespace

std::optional<Rechazo> EntradasCatalogo(const Disco &disco, EntradasEnImagen &entradas) {
  Vista v;
  if (auto rechazo = SituarCatalogo(disco, v)) {
    return rechazo;
  }
  entradas.entradas = std::move(v.entradas);
  entradas.posiciones = std::move(v.posiciones);
  return std::nullopt;
}

bool SePuedeEscribir(const Disco &disco, Rechazo *rechazo) {
  Vista v;
  auto r = Preparar(disco, v);
  if (r && rechazo != nullptr) {
    *rechazo = std::move(*r);
  }
  return !r;
}

Espacio EspacioLibre(const Disco &disco) {
  Espacio e;
  Vista v;
  if (Preparar(disco, v)) {
    return e;
  }
  const Libres l = BloquesLibres(v, v.entradas);
  e.bloquesLibres = static_cast<int>(l.bloques.size());
  e.bloquesInutilizables = l.inutilizables;
  e.entradasLibres = static_cast<int>(std::count_if(
      v.entradas.begin(), v.entradas.end(), [](const Entrada &x) { return x[0] == Borrada; }));
  e.tamanoBloque = v.f.tamanoBloque;
  return e;
}

Escrito PonerArchivos(std::span<const std::uint8_t> imagen, const Disco &disco,
                      std::span<const ArchivoNuevo> archivos, bool reemplazar) {
  Vista v;
  if (auto r = Empezar(imagen, disco, v)) {
    return Rechazar(std::move(*r));
  }
  std::vector<Entrada> entradas = v.entradas;
  if (auto r = RevisarNombres(v, archivos, reemplazar, entradas)) {
    return Rechazar(std::move(*r));
  }
  // Everything is counted before anything is written.
  const Libres libres = BloquesLibres(v, entradas);
  std::vector<Reparto> repartos;
  std::size_t bloques = 0, necesarias = 0;
  for (const ArchivoNuevo &a : archivos) {
    repartos.push_back(Repartir(v.f, a.contenido.size()));
    bloques += repartos.back().bloques;
    necesarias += repartos.back().entradas;
  }
  std::vector<std::size_t> vacias;
  for (std::size_t i = 0; i < entradas.size(); ++i) {
    if (entradas[i][0] == Borrada) {
      vacias.push_back(i);
    }
  }
  if (auto r = RevisarSitio(v, libres, bloques, necesarias, vacias.size())) {
    return Rechazar(std::move(*r));
  }
  Escrito e;
  e.bytes.assign(imagen.begin(), imagen.end());
  const std::span<const int> bloquesLibres(libres.bloques);
  const std::span<const std::size_t> ranuras(vacias);
  std::size_t siguienteBloque = 0, siguienteEntrada = 0;
  for (std::size_t i = 0; i < archivos.size(); ++i) {
    const Reparto &r = repartos[i];
    EscribirArchivo(e.bytes, v, archivos[i], r, bloquesLibres.subspan(siguienteBloque, r.bloques),
                    ranuras.subspan(siguienteEntrada, r.entradas), entradas);
    siguienteBloque += r.bloques;
    siguienteEntrada += r.entradas;
  }
  PonerEntradas(e.bytes, v, entradas);
  return e;
}

Escrito BorrarArchivos(std::span<const std::uint8_t> imagen, const Disco &disco,
                       std::span<const Archivo *const> archivos, bool forzar) {
  Vista v;
  Rechazo rechazo{};
  if (auto r = Empezar(imagen, disco, v)) {
    return Rechazar(std::move(*r));
  }
  const auto suyas = EntradasDeArchivos(v, archivos, rechazo);
  if (!suyas) {
    return Rechazar(std::move(rechazo));
  }
  std::vector<Entrada> entradas = v.entradas;
  for (std::size_t i = 0; i < archivos.size(); ++i) {
    for (std::size_t k : (*suyas)[i]) {
      if (!forzar && (entradas[k][PosSoloLectura] & BitAtributo) != 0) {
        return Rechazar(TipoRechazo::SoloLectura,
                        Mostrar(NombreDe(*archivos[i])) + " es de solo lectura");
      }
      entradas[k][0] = Borrada;
    }
  }
  return ConEntradas(imagen, v, entradas);
}

Escrito RenombrarArchivo(std::span<const std::uint8_t> imagen, const Disco &disco,
                         const Archivo &archivo, const NombreCpm &nuevo) {
  Vista v;
  Rechazo rechazo{};
  if (auto r = Empezar(imagen, disco, v)) {
    return Rechazar(std::move(*r));
  }
  const Archivo *const uno[] = {&archivo};
  const auto suyas = EntradasDeArchivos(v, uno, rechazo);
  if (!suyas) {
    return Rechazar(std::move(rechazo));
  }
  if (!NombreCorrecto(nuevo)) {
    return Rechazar(TipoRechazo::NombreNoValido,
                    "\"" + nuevo.Texto() + "\" no vale como nombre de CP/M");
  }
  const Clave clave = ClaveDe(nuevo);
  if (clave != ClaveDe(NombreDe(archivo)) && !EntradasDe(v.entradas, clave).empty()) {
    return Rechazar(TipoRechazo::YaExiste, "Ya hay un " + Mostrar(nuevo) + " en el disco");
  }
  std::vector<Entrada> entradas = v.entradas;
  for (std::size_t k : suyas->front()) {
    entradas[k][0] = nuevo.usuario;
    for (std::size_t i = 0; i < LargoNombreExt; ++i) {
      std::uint8_t &b = entradas[k][PosNombre + i];
      b = static_cast<std::uint8_t>((b & BitAtributo) | clave[i + 1]);
    }
  }
  return ConEntradas(imagen, v, entradas);
}

Escrito RecuperarArchivo(std::span<const std::uint8_t> imagen, const Disco &disco,
                         const Archivo &borrado, std::uint8_t usuario) {
  Vista v;
  if (auto r = Empezar(imagen, disco, v)) {
    return Rechazar(std::move(*r));
  }
  // The name comes back as it was: only the user is new.
  NombreCpm nombre = NombreDe(borrado);
  nombre.usuario = usuario;
  if (usuario > MaxUsuario) {
    return Rechazar(TipoRechazo::OpcionNoValida, "El usuario va de 0 a 15");
  }
  if (const std::string motivo = MotivoIrrecuperable(disco, borrado); !motivo.empty()) {
    return Rechazar(TipoRechazo::Irrecuperable,
                    "No se puede recuperar " + borrado.NombreCompleto() + ": " + motivo);
  }
  if (!EntradasDe(v.entradas, ClaveDe(nombre)).empty()) {
    return Rechazar(TipoRechazo::YaExiste, "Ya hay un " + Mostrar(nombre) + " en el disco");
  }
  std::vector<Entrada> entradas = v.entradas;
  for (const Extension &e : borrado.extensiones) {
    const auto k = static_cast<std::size_t>(e.entrada);
    if (e.entrada < 0 || k >= entradas.size() || entradas[k][0] != Borrada) {
      return Rechazar(TipoRechazo::NoEncontrado,
                      "No hay ningún " + borrado.NombreCompleto() + " borrado en el disco");
    }
    entradas[k][0] = usuario;
  }
  return ConEntradas(imagen, v, entradas);
}

Escrito CambiarAtributos(std::span<const std::uint8_t> imagen, const Disco &disco,
                         std::span<const Archivo *const> archivos, CambioAtributos cambio) {
  Vista v;
  Rechazo rechazo{};
  if (auto r = Empezar(imagen, disco, v)) {
    return Rechazar(std::move(*r));
  }
  const auto suyas = EntradasDeArchivos(v, archivos, rechazo);
  if (!suyas) {
    return Rechazar(std::move(rechazo));
  }
  const auto poner = [](std::uint8_t &b, std::optional<bool> valor) {
    if (valor) {
      b = static_cast<std::uint8_t>(*valor ? b | BitAtributo : b & ~BitAtributo);
    }
  };
  std::vector<Entrada> entradas = v.entradas;
  for (const auto &lista : *suyas) {
    for (std::size_t k : lista) {
      poner(entradas[k][PosSoloLectura], cambio.soloLectura);
      poner(entradas[k][PosSistema], cambio.sistema);
      poner(entradas[k][PosArchivado], cambio.archivado);
    }
  }
  return ConEntradas(imagen, v, entradas);
}

namespace {

// The common checks, then the file's entries on the disk: a refusal when it
// is not there.
std::optional<Rechazo> EmpezarConArchivo(std::span<const std::uint8_t> imagen, const Disco &disco,
                                         const Archivo &archivo, Vista &v) {
  if (auto r = Empezar(imagen, disco, v)) {
    return r;
  }
  Rechazo rechazo{};
  const Archivo *const uno[] = {&archivo};
  if (!EntradasDeArchivos(v, uno, rechazo)) {
    return rechazo;
  }
  return std::nullopt;
}

// The file written again with `contenido`, in the same write, as put
// --force writes it.
Escrito Reescribir(std::span<const std::uint8_t> imagen, const Disco &disco, const Archivo &archivo,
                   std::vector<std::uint8_t> contenido) {
  const ArchivoNuevo nuevo{NombreDe(archivo), std::move(contenido), archivo.soloLectura,
                           archivo.sistema};
  return PonerArchivos(imagen, disco, std::span(&nuevo, 1), true);
}

// The file's bytes as `modo` extracts them; nothing (with the refusal) when
// some cannot be read: what cannot be read is not written again.
std::optional<std::vector<std::uint8_t>> Contenido(const Disco &disco, const Archivo &archivo,
                                                   ModoExtraccion modo, Rechazo &rechazo) {
  Extraido e = ExtraerArchivo(disco, archivo, modo);
  if (!e.completo || !archivo.completo) {
    rechazo = {TipoRechazo::SectorInutilizable,
               Mostrar(NombreDe(archivo)) + " no se puede leer entero, y se deja como está"};
    return std::nullopt;
  }
  return std::move(e.bytes);
}

} // namespace

Escrito CambiarCabecera(std::span<const std::uint8_t> imagen, const Disco &disco,
                        const Archivo &archivo, const CambioCabecera &cambio) {
  Vista v;
  if (auto r = EmpezarConArchivo(imagen, disco, archivo, v)) {
    return Rechazar(std::move(*r));
  }
  const std::string nombre = Mostrar(NombreDe(archivo));
  if (!archivo.cabecera || archivo.cabecera->formato != FormatoCabecera::Amsdos) {
    return Rechazar(TipoRechazo::Cabecera,
                    nombre + (archivo.cabecera ? " tiene una cabecera +3DOS, que no se cambia"
                                               : " no tiene cabecera AMSDOS"));
  }
  const std::uint64_t caben =
      archivo.tamano > TamanoCabeceraAmsdos ? archivo.tamano - TamanoCabeceraAmsdos : 0;
  if (cambio.longitud && *cambio.longitud > caben) {
    return Rechazar(TipoRechazo::Cabecera,
                    "los registros de " + nombre + " guardan " +
                        Plural(static_cast<long long>(caben), "byte", "bytes") +
                        " tras la cabecera, y no " + std::to_string(*cambio.longitud));
  }
  // The header is the first record of the file's first block, which the
  // reading found to hold it.
  if (archivo.extensiones.empty() || archivo.extensiones.front().bloques.empty()) {
    return Rechazar(TipoRechazo::Cabecera, nombre + " no tiene bloque donde esté su cabecera");
  }
  const int bloque = archivo.extensiones.front().bloques.front();
  const Situado s = Situar(*v.c, v.f, v.primero + bloque * v.porBloque);
  if (!s.fallo.empty()) {
    return Rechazar(TipoRechazo::SectorInutilizable,
                    "No se cambia la cabecera de " + nombre + ": " + s.fallo);
  }
  Escrito e;
  e.bytes.assign(imagen.begin(), imagen.end());
  const std::span<std::uint8_t, TamanoCabeceraAmsdos> registro(
      e.bytes.data() + s.sector->desplazamiento, TamanoCabeceraAmsdos);
  CambiarCamposCabecera(registro, cambio);
  return e;
}

Escrito PonerCabecera(std::span<const std::uint8_t> imagen, const Disco &disco,
                      const Archivo &archivo, const CambioCabecera &cambio) {
  Vista v;
  if (auto r = EmpezarConArchivo(imagen, disco, archivo, v)) {
    return Rechazar(std::move(*r));
  }
  if (archivo.cabecera) {
    return Rechazar(TipoRechazo::Cabecera,
                    Mostrar(NombreDe(archivo)) + " ya tiene cabecera " +
                        std::string(NombreFormato(archivo.cabecera->formato)));
  }
  Rechazo rechazo{};
  auto contenido = Contenido(disco, archivo, ModoExtraccion::Crudo, rechazo);
  if (!contenido) {
    return Rechazar(std::move(rechazo));
  }
  if (cambio.longitud && *cambio.longitud > contenido->size()) {
    return Rechazar(TipoRechazo::Cabecera,
                    Mostrar(NombreDe(archivo)) + " tiene " +
                        Plural(static_cast<long long>(contenido->size()), "byte", "bytes") +
                        ", y no " + std::to_string(*cambio.longitud));
  }
  const std::uint8_t tipo = cambio.tipo.value_or(TipoAmsdosBasic);
  const std::uint16_t carga = cambio.carga.value_or(CargaBasic);
  // A binary runs from its load address unless told; a program has no entry.
  const std::uint16_t entrada = cambio.entrada.value_or(tipo == TipoAmsdosBinario ? carga : 0);
  auto cabecera =
      HacerCabeceraAmsdos(NombreDe(archivo), tipo, carga, entrada,
                          cambio.longitud.value_or(static_cast<std::uint32_t>(contenido->size())));
  contenido->insert(contenido->begin(), cabecera.begin(), cabecera.end());
  return Reescribir(imagen, disco, archivo, std::move(*contenido));
}

Escrito QuitarCabecera(std::span<const std::uint8_t> imagen, const Disco &disco,
                       const Archivo &archivo) {
  Vista v;
  if (auto r = EmpezarConArchivo(imagen, disco, archivo, v)) {
    return Rechazar(std::move(*r));
  }
  if (!archivo.cabecera) {
    return Rechazar(TipoRechazo::Cabecera, Mostrar(NombreDe(archivo)) + " no tiene cabecera");
  }
  Rechazo rechazo{};
  auto contenido = Contenido(disco, archivo, ModoExtraccion::Archivo, rechazo);
  if (!contenido) {
    return Rechazar(std::move(rechazo));
  }
  return Reescribir(imagen, disco, archivo, std::move(*contenido));
}

} // namespace cpm
