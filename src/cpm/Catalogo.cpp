#include "cpm/Catalogo.h"
#include "cpm/Entrada.h"

#include "Lectura.h"
#include "cpm/Patron.h"

#include <algorithm>
#include <compare>

namespace cpm {

using imagenes::Contenedor;
using imagenes::Lugar;
using imagenes::Problemas;
using imagenes::TipoProblema;
namespace {

using namespace entrada;
constexpr int RegistrosExtension = 128; // a logical 16 KB extent
constexpr std::size_t TamanoRegistro = 128;

using Clave = std::array<std::uint8_t, 12>; // user, then the name with top bits cleared

// A key and its entry packed big-endian in two numbers, so that sorting
// compares integers in the same order as the bytes, then the entry.
struct Orden {
  std::uint64_t alto = 0; // user and the first seven name bytes
  std::uint64_t bajo = 0; // the last four name bytes, then the entry
  auto operator<=>(const Orden &) const = default;
  [[nodiscard]] bool MismaClave(const Orden &o) const {
    return alto == o.alto && (bajo >> 32) == (o.bajo >> 32);
  }
  [[nodiscard]] int Entrada() const { return static_cast<int>(bajo & 0xFFFFFFFF); }
};

Orden Empaquetar(const Clave &clave, int entrada) {
  Orden o;
  for (std::size_t k = 0; k < 8; ++k) {
    o.alto = (o.alto << 8) | clave[k];
  }
  for (std::size_t k = 8; k < clave.size(); ++k) {
    o.bajo = (o.bajo << 8) | clave[k];
  }
  o.bajo = (o.bajo << 32) | static_cast<std::uint32_t>(entrada);
  return o;
}

Clave Desempaquetar(const Orden &o) {
  Clave clave{};
  for (std::size_t k = 0; k < 8; ++k) {
    clave[k] = static_cast<std::uint8_t>(o.alto >> (56 - 8 * k));
  }
  for (std::size_t k = 8; k < clave.size(); ++k) {
    clave[k] = static_cast<std::uint8_t>(o.bajo >> (120 - 8 * k));
  }
  return clave;
}

// An entry of a file, before its extents are put in order.
struct Pieza {
  Extension extension;
  std::array<bool, 3> atributos{};
  int rc = 0;
};

struct Borrador {
  Clave clave{};
  std::vector<Pieza> piezas; // catalogue order
};

std::string Limpio(const std::array<std::uint8_t, 11> &crudo, std::size_t desde, std::size_t n) {
  std::array<char, 11> t{};
  std::size_t largo = 0;
  for (std::size_t i = desde; i < desde + n && largo < t.size(); ++i) {
    const auto c = static_cast<char>(crudo[i] & 0x7F);
    t[largo++] = c >= 0x20 && c < 0x7F ? c : '?';
  }
  while (largo > 0 && t[largo - 1] == ' ') {
    --largo;
  }
  return std::string(t.data(), largo);
}

std::string TextoVisible(const std::array<std::uint8_t, 11> &crudo) {
  const std::string ext = Limpio(crudo, LargoNombre, 3);
  return Limpio(crudo, 0, LargoNombre) + (ext.empty() ? "" : "." + ext);
}

// Why an entry of a user 0..15 is not a file; empty when it is one.
std::string MotivoRaro(const std::array<std::uint8_t, 11> &crudo) {
  bool blancos = true;
  for (std::uint8_t b : crudo) {
    const int c = b & 0x7F;
    if (c < 0x20 || c == 0x7F) {
      return "códigos de control o gráficos en el nombre";
    }
    blancos = blancos && c == ' ';
  }
  return blancos ? "nombre en blanco" : "";
}

std::string MotivoUsuario(std::uint8_t usuario) {
  switch (usuario) {
  case 0x20: return "etiqueta del disco (CP/M 3)";
  case 0x21: return "fechas de los archivos (CP/M 3)";
  default: return "usuario " + std::to_string(usuario) + ", mayor que 15";
  }
}

Pieza LeerPieza(std::span<const std::uint8_t> e, int indice, const Formato &f) {
  Pieza p;
  p.extension.entrada = indice;
  const int exm = f.MascaraExtension();
  const int x = ((e[PosS2] & 0x3F) << 5) | (e[PosEx] & 0x1F);
  p.rc = e[PosRc];
  p.extension.numero = x / (exm + 1);
  p.extension.registros = (x & exm) * RegistrosExtension + std::min(p.rc, RegistrosExtension);
  // CP/M 3 keeps the bytes used in the last record here; cpmtools writes it
  // on CPC disks too (its cpcdata and cpcsys are "os 3"), and AMSDOS leaves 0.
  if (e[PosS1] > 0 && e[PosS1] < TamanoRegistro) {
    p.extension.bytesUltimo = e[PosS1];
  }
  // Gathered first, so that the list is allocated once.
  const bool dobles = f.Bloques16();
  const std::size_t lugares = dobles ? 8 : 16;
  std::array<int, 16> lista{};
  std::size_t usados = 0;
  for (std::size_t i = 0; i < lugares; ++i) {
    const int b =
        dobles ? e[PosBloques + 2 * i] | (e[PosBloques + 2 * i + 1] << 8) : int{e[PosBloques + i]};
    lista[usados] = b;
    usados += b != 0 ? 1 : 0;
  }
  p.extension.bloques.assign(lista.begin(), lista.begin() + static_cast<std::ptrdiff_t>(usados));
  p.atributos = {(e[PosSoloLectura] & 0x80) != 0, (e[PosSistema] & 0x80) != 0,
                 (e[PosArchivado] & 0x80) != 0};
  return p;
}

Lugar EnEntrada(int entrada) { return {-1, -1, -1, entrada, -1, -1}; }

// Puts the extents in order, drops repeated ones and checks for gaps.
void Ordenar(Borrador &b, Archivo &a, Problemas &problemas) {
  // Catalogue order breaks ties: the first of a repeated extent comes first.
  if (b.piezas.size() > 1) {
    std::sort(b.piezas.begin(), b.piezas.end(), [](const Pieza &x, const Pieza &y) {
      return x.extension.numero != y.extension.numero ? x.extension.numero < y.extension.numero
                                                      : x.extension.entrada < y.extension.entrada;
    });
  }
  const Pieza &menor = b.piezas.front();
  a.soloLectura = menor.atributos[0];
  a.sistema = menor.atributos[1];
  a.archivado = menor.atributos[2];
  int esperado = 0;
  a.extensiones.reserve(b.piezas.size());
  for (Pieza &p : b.piezas) {
    const int n = p.extension.numero;
    if (!a.extensiones.empty() && a.extensiones.back().numero == n) {
      problemas.push_back({TipoProblema::ExtensionRepetida,
                           "El tramo " + std::to_string(n) + " de " + a.NombreCompleto() +
                               " aparece otra vez; se usa el primero",
                           EnEntrada(p.extension.entrada)});
      continue;
    }
    if (n != esperado) {
      problemas.push_back(
          {TipoProblema::ExtensionAusente,
           "A " + a.NombreCompleto() + " le falta el tramo " + std::to_string(esperado),
           EnEntrada(p.extension.entrada)});
      a.completo = false;
    }
    esperado = n + 1;
    a.extensiones.push_back(std::move(p.extension));
  }
}

// The bytes each extent of a file holds, by the catalogue.
std::uint64_t Tamano(const Archivo &a, const Formato &f) {
  if (a.extensiones.empty()) {
    return 0;
  }
  const Extension &u = a.extensiones.back();
  const auto porEntrada =
      static_cast<std::uint64_t>(f.MascaraExtension() + 1) * RegistrosExtension * TamanoRegistro;
  std::uint64_t t = static_cast<std::uint64_t>(u.numero) * porEntrada +
                    static_cast<std::uint64_t>(u.registros) * TamanoRegistro;
  if (u.bytesUltimo > 0 && u.registros > 0) {
    t -= TamanoRegistro - static_cast<std::uint64_t>(u.bytesUltimo);
  }
  return t;
}

// Blocks past the format's last one that lie on tracks the image has: a CPC
// reads them, so they are read too, with one note for the file.
void AnotarTrasElFinal(const Archivo &a, const Formato &f, int legibles, Problemas &problemas) {
  int cuantos = 0;
  int primero = -1;
  for (const Extension &e : a.extensiones) {
    for (int bloque : e.bloques) {
      if (bloque >= f.bloques && bloque < legibles) {
        primero = cuantos++ == 0 ? bloque : primero;
      }
    }
  }
  if (cuantos == 0) {
    return;
  }
  const int pista = UbicarSector(f, static_cast<long long>(f.reservadas) * f.sectoresPorPista +
                                        static_cast<long long>(primero) * f.tamanoBloque /
                                            std::max(f.tamanoSector, 1))
                        .pista;
  const std::string tras = " del formato (" + std::to_string(f.bloques - 1) + "), ";
  const std::string texto =
      cuantos == 1
          ? "El bloque " + std::to_string(primero) + " de " + a.NombreCompleto() +
                " está tras el último" + tras + "en la pista " + std::to_string(pista) +
                ", que la imagen tiene; se lee, como en un CPC"
          : std::to_string(cuantos) + " bloques de " + a.NombreCompleto() + ", desde el " +
                std::to_string(primero) + ", están tras el último" + tras + "desde la pista " +
                std::to_string(pista) + ", que la imagen tiene; se leen, como en un CPC";
  problemas.push_back({TipoProblema::BloqueTrasElFinal,
                       texto,
                       {-1, -1, -1, a.extensiones.front().entrada, primero, -1}});
}

// Checks blocks: inside the disk, not the catalogue's, not another file's.
void RevisarBloques(Archivo &a, const Formato &f, int legibles, std::vector<int> &dueno, int indice,
                    const std::vector<Archivo> &archivos, Problemas &problemas) {
  AnotarTrasElFinal(a, f, legibles, problemas);
  const int catalogo = f.BloquesCatalogo();
  const int lleno = (f.MascaraExtension() + 1) * RegistrosExtension;
  for (const Extension &e : a.extensiones) {
    // Only the last extent may hold less than a whole one; a shorter one
    // before it leaves a gap that no byte of the disk fills.
    if (&e != &a.extensiones.back() && e.registros < lleno) {
      problemas.push_back({TipoProblema::RegistrosDeMenos,
                           "El tramo " + std::to_string(e.numero) + " de " + a.NombreCompleto() +
                               " tiene " + std::to_string(e.registros) +
                               (e.registros == 1 ? " registro de " : " registros de ") +
                               std::to_string(lleno) +
                               " y no es el último: el archivo tiene un hueco",
                           EnEntrada(e.entrada)});
    }
    const auto necesarios = (static_cast<std::size_t>(e.registros) * TamanoRegistro +
                             static_cast<std::size_t>(f.tamanoBloque) - 1) /
                            static_cast<std::size_t>(f.tamanoBloque);
    if (necesarios > e.bloques.size()) {
      problemas.push_back(
          {TipoProblema::RegistrosDeMas,
           "Un tramo de " + a.NombreCompleto() + " tiene " + std::to_string(e.registros) +
               (e.registros == 1 ? " registro y solo " : " registros y solo ") +
               std::to_string(e.bloques.size()) + (e.bloques.size() == 1 ? " bloque" : " bloques"),
           EnEntrada(e.entrada)});
      a.completo = false;
    }
    for (int bloque : e.bloques) {
      const Lugar lugar{-1, -1, -1, e.entrada, bloque, -1};
      if (bloque >= legibles) {
        problemas.push_back({TipoProblema::BloqueFueraDelDisco,
                             "El bloque " + std::to_string(bloque) + " de " + a.NombreCompleto() +
                                 " está fuera del disco",
                             lugar});
        a.completo = false;
      } else if (bloque < catalogo) {
        problemas.push_back({TipoProblema::BloqueCompartido,
                             "El bloque " + std::to_string(bloque) + " de " + a.NombreCompleto() +
                                 " es del catálogo",
                             lugar});
      } else if (dueno[static_cast<std::size_t>(bloque)] >= 0) {
        const int otro = dueno[static_cast<std::size_t>(bloque)];
        problemas.push_back(
            {TipoProblema::BloqueCompartido,
             "El bloque " + std::to_string(bloque) + " es de " + a.NombreCompleto() + " y de " +
                 (otro == indice ? std::string("sí mismo otra vez")
                                 : archivos[static_cast<std::size_t>(otro)].NombreCompleto()),
             lugar});
      } else {
        dueno[static_cast<std::size_t>(bloque)] = indice;
      }
    }
  }
}

// The block whose start holds the file's first record: the first block of
// extent 0, when that extent holds a whole record. -1 when there is none.
int BloqueCabecera(const Archivo &a) {
  if (a.extensiones.empty() || a.tamano < TamanoCabeceraAmsdos) {
    return -1;
  }
  const Extension &e = a.extensiones.front();
  return e.numero == 0 && e.registros > 0 && !e.bloques.empty() ? e.bloques.front() : -1;
}

// The AMSDOS header from the first record; false when its
// sector cannot be read (the header is then taken as absent).
bool LeerCabecera(Archivo &a, const lectura::Mapa &mapa, std::vector<std::uint8_t> &primero) {
  primero.clear();
  const int bloque = BloqueCabecera(a);
  const bool leido =
      bloque < 0 || lectura::LeerInicioBloque(mapa, bloque, TamanoCabeceraAmsdos, &primero,
                                              nullptr) == TamanoCabeceraAmsdos;
  a.cabecera = leido && bloque >= 0 ? LeerCabeceraAmsdos(primero) : std::nullopt;
  return leido;
}

// Reads through every sector the file needs; the first record gives the
// AMSDOS header. The length is what extraction will deliver, so an
// incomplete file shows the bytes that can be had.
void RevisarSectores(Archivo &a, const lectura::Mapa &mapa, std::vector<std::uint8_t> &primero,
                     Problemas &problemas) {
  const lectura::Recorrido r = lectura::LeerDesdeElInicio(mapa, a, nullptr, &problemas);
  if (r.parada != lectura::Parada::Ninguna) {
    a.completo = false;
  }
  LeerCabecera(a, mapa, primero);
  a.longitud = LongitudArchivo(r.bytes, a.cabecera);
  if (!a.completo) {
    problemas.push_back(
        {TipoProblema::ArchivoIncompleto,
         "El disco no guarda entero " + NombreConUsuario(a.usuario, a.NombreCompleto(), true),
         EnEntrada(a.extensiones.front().entrada)});
  }
}

// The names-only reading: the header and length as the whole reading gives
// them when the bytes at hand hold the image, or every byte of the file;
// otherwise `longitudSabida` is false (the tracks left out may hold the rest).
void RevisarNombre(Archivo &a, const Contenedor &disco, const lectura::Mapa &mapa,
                   std::vector<std::uint8_t> &primero) {
  const lectura::Recorrido r = lectura::LeerDesdeElInicio(mapa, a, nullptr, nullptr);
  const bool cabecera = LeerCabecera(a, mapa, primero);
  a.longitudSabida = !disco.faltanPistas || (cabecera && r.parada == lectura::Parada::Ninguna);
  a.longitud = LongitudArchivo(r.bytes, a.cabecera);
}

// The entries of one file, from claves[i] on; returns the index after them.
std::size_t Juntar(const std::vector<Orden> &claves, std::size_t i,
                   const std::vector<std::uint8_t> &bytes, const Formato &formato, Borrador &b) {
  const Orden primera = claves[i];
  b.clave = Desempaquetar(primera);
  b.piezas.clear();
  for (; i < claves.size() && claves[i].MismaClave(primera); ++i) {
    const int entrada = claves[i].Entrada();
    b.piezas.push_back(
        LeerPieza(std::span<const std::uint8_t>(bytes).subspan(
                      static_cast<std::size_t>(entrada) * TamanoEntrada, TamanoEntrada),
                  entrada, formato));
  }
  return i;
}

// A file from its entries: name, attributes, extents in order and size.
Archivo Armar(Borrador &b, const Formato &formato, Problemas &problemas) {
  Archivo a;
  a.usuario = b.clave[0];
  std::array<std::uint8_t, 11> nombre{};
  std::copy(b.clave.begin() + 1, b.clave.end(), nombre.begin());
  a.nombre = Limpio(nombre, 0, LargoNombre);
  a.extension = Limpio(nombre, LargoNombre, 3);
  Ordenar(b, a, problemas);
  a.tamano = Tamano(a, formato);
  return a;
}

// A deleted entry's key: its user is gone (byte 0 holds the mark), so every
// deleted entry of a name counts as user 0's.
Clave ClaveBorrada(const std::array<std::uint8_t, 11> &crudo) {
  Clave clave{};
  for (std::size_t k = 0; k < crudo.size(); ++k) {
    clave[k + 1] = crudo[k] & 0x7F;
  }
  return clave;
}

// Deleted entries grouped into files like live ones. What is odd about them
// is not the disk's problem: their notes are dropped. Their blocks are not
// claimed, since live files may have taken them since (see Borrados.h).
void ArmarBorrados(std::vector<Orden> claves, const std::vector<std::uint8_t> &bytes,
                   const lectura::Mapa &mapa, Catalogo &c) {
  std::sort(claves.begin(), claves.end());
  Problemas descartados;
  std::vector<std::uint8_t> primero;
  Borrador b;
  for (std::size_t i = 0; i < claves.size();) {
    i = Juntar(claves, i, bytes, mapa.Formato_(), b);
    Archivo a = Armar(b, mapa.Formato_(), descartados);
    RevisarSectores(a, mapa, primero, descartados);
    c.archivosBorrados.push_back(std::move(a));
  }
}

// The catalogue's bytes through an existing map of the disk.
std::vector<std::uint8_t> EntradasCatalogo(const lectura::Mapa &mapa, Problemas *problemas) {
  const Formato &formato = mapa.Formato_();
  std::vector<std::uint8_t> bytes;
  const std::size_t total = static_cast<std::size_t>(std::max(formato.entradas, 0)) * TamanoEntrada;
  bytes.reserve(total);
  for (int b = 0; b < formato.BloquesCatalogo() && bytes.size() < total; ++b) {
    const std::size_t quiero =
        std::min(total - bytes.size(), static_cast<std::size_t>(formato.tamanoBloque));
    if (lectura::LeerInicioBloque(mapa, b, quiero, &bytes, problemas) < quiero) {
      break;
    }
  }
  return bytes;
}

} // namespace

std::vector<std::uint8_t> LeerEntradasCatalogo(const Contenedor &disco, const Formato &formato,
                                               Problemas *problemas) {
  return EntradasCatalogo(lectura::Mapa(disco, formato), problemas);
}

std::string Archivo::NombreCompleto() const {
  return extension.empty() ? nombre : nombre + "." + extension;
}

std::string NombreConUsuario(int usuario, const std::string &nombre, bool siempre) {
  return usuario == 0 && !siempre ? nombre : std::to_string(usuario) + ":" + nombre;
}

std::string Archivo::NombreConUsuario() const {
  return cpm::NombreConUsuario(usuario, NombreCompleto());
}

Catalogo LeerCatalogo(const Contenedor &disco, const Formato &formato, Alcance alcance,
                      const Patron *patron) {
  Catalogo c;
  const lectura::Mapa mapa(disco, formato);
  const std::vector<std::uint8_t> bytes = EntradasCatalogo(mapa, &c.problemas);
  const std::size_t legibles = bytes.size() / TamanoEntrada;
  // The entries of files, keyed; sorting the keys groups each file's entries
  // in catalogue order and puts the files in user and name order.
  std::vector<Orden> claves;
  std::vector<Orden> borradas;
  claves.reserve(legibles);
  for (std::size_t i = 0; i < legibles; ++i) {
    const auto e = std::span<const std::uint8_t>(bytes).subspan(i * TamanoEntrada, TamanoEntrada);
    if (e[0] <= MaxUsuario) {
      Clave clave{};
      clave[0] = e[0];
      bool control = false;
      for (std::size_t k = 0; k < LargoNombreExt; ++k) {
        clave[k + 1] = e[PosNombre + k] & 0x7F;
        control = control || clave[k + 1] < 0x20 || clave[k + 1] == 0x7F;
      }
      if (!control &&
          std::any_of(clave.begin() + 1, clave.end(), [](std::uint8_t b) { return b != ' '; })) {
        claves.push_back(Empaquetar(clave, static_cast<int>(i)));
        continue;
      }
    }
    EntradaSuelta suelta;
    suelta.entrada = static_cast<int>(i);
    suelta.usuario = e[0];
    std::copy_n(e.begin() + PosNombre, LargoNombreExt, suelta.crudo.begin());
    if (e[0] == Borrada) {
      if (std::any_of(suelta.crudo.begin(), suelta.crudo.end(),
                      [](std::uint8_t b) { return b != Borrada; })) {
        borradas.push_back(Empaquetar(ClaveBorrada(suelta.crudo), static_cast<int>(i)));
        suelta.texto = TextoVisible(suelta.crudo);
        c.borradas.push_back(std::move(suelta));
      }
      continue;
    }
    suelta.motivo = e[0] > MaxUsuario ? MotivoUsuario(e[0]) : MotivoRaro(suelta.crudo);
    suelta.texto = TextoVisible(suelta.crudo);
    c.raras.push_back(std::move(suelta));
  }
  std::sort(claves.begin(), claves.end());
  if (legibles < static_cast<std::size_t>(formato.entradas)) {
    c.entero = false;
    c.problemas.push_back(
        {TipoProblema::ArchivoIncompleto,
         std::string(legibles == 1 ? "Solo se puede leer " : "Solo se pueden leer ") +
             std::to_string(legibles) + " de las " + std::to_string(formato.entradas) +
             " entradas del catálogo",
         EnEntrada(static_cast<int>(legibles))});
  }
  std::vector<int> dueno(
      alcance == Alcance::Todo ? static_cast<std::size_t>(std::max(mapa.bloquesLegibles, 0)) : 0,
      -1);
  std::vector<std::uint8_t> primero;
  c.archivos.reserve(claves.size());
  Borrador b;
  for (std::size_t i = 0; i < claves.size();) {
    i = Juntar(claves, i, bytes, formato, b);
    Archivo a = Armar(b, formato, c.problemas);
    if (alcance == Alcance::Todo) {
      RevisarBloques(a, formato, mapa.bloquesLegibles, dueno, static_cast<int>(c.archivos.size()),
                     c.archivos, c.problemas);
      RevisarSectores(a, mapa, primero, c.problemas);
    } else if (patron == nullptr || Coincide(*patron, a)) {
      RevisarNombre(a, disco, mapa, primero);
    } else {
      a.longitudSabida = false; // not asked for
    }
    c.archivos.push_back(std::move(a));
  }
  if (alcance == Alcance::Todo) {
    ArmarBorrados(std::move(borradas), bytes, mapa, c);
  }
  return c;
}

} // namespace cpm
