#include "Generador.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <variant>

namespace Generador {
namespace {

constexpr std::size_t TamanoSector = 512;
constexpr std::size_t SectoresPista = 9;
constexpr std::size_t TamanoPista = TamanoSector * SectoresPista; // 4608
constexpr std::size_t TamanoBloque = 1024;
constexpr std::size_t BloquesExtension = 16;    // 8-bit block numbers
constexpr std::size_t RegistrosExtension = 128; // 16 KB of 128-byte records
constexpr std::uint8_t PrimerSector = 0xC1;     // DATA format

void Copiar(std::string_view texto, std::uint8_t *destino, std::size_t largo,
            std::uint8_t relleno) {
  std::fill_n(destino, largo, relleno);
  std::copy_n(texto.begin(), std::min(texto.size(), largo), destino);
}

std::string Rellenar(std::string_view texto, std::size_t largo) {
  std::string r(texto.substr(0, std::min(texto.size(), largo)));
  r.resize(largo, ' ');
  return r;
}

} // namespace

Entrada CrearEntrada(std::uint8_t usuario, std::string_view nombre11, std::uint8_t registros,
                     std::uint8_t extension) {
  Entrada e{};
  e[0] = usuario;
  Copiar(nombre11, e.data() + 1, 11, ' ');
  e[12] = extension;
  e[15] = registros;
  return e;
}

ImagenDsk::ImagenDsk(Disposicion disposicion, std::uint8_t pistas, std::uint8_t caras)
    : disposicion_(disposicion), pistas_(pistas), caras_(caras),
      datos_(TamanoPista * pistas * std::max<std::uint8_t>(caras, 1), 0xE5) {
  Firma(disposicion == Disposicion::Estandar ? "MV - CPCEMU Disk-File\r\nDisk-Info\r\n"
                                             : "EXTENDED CPC DSK File\r\nDisk-Info\r\n");
  Creador("ALCOVE DSKGEN");
  // A formatted catalogue holds 0xE5 in every byte; entries not written stay so.
  for (auto &e : catalogo_) {
    e.fill(0xE5);
  }
}

ImagenDsk &ImagenDsk::Creador(std::string_view texto) {
  Copiar(texto, creador_.data(), creador_.size(), ' ');
  return *this;
}

ImagenDsk &ImagenDsk::Firma(std::string_view texto) {
  Copiar(texto, firma_.data(), firma_.size(), 0);
  return *this;
}

ImagenDsk &ImagenDsk::FijarEntrada(int ranura, const Entrada &entrada) {
  catalogo_.at(static_cast<std::size_t>(ranura)) = entrada;
  ocupada_.at(static_cast<std::size_t>(ranura)) = true;
  return *this;
}

ImagenDsk &ImagenDsk::AgregarEntrada(const Entrada &entrada) {
  const auto libre = std::find(ocupada_.begin(), ocupada_.end(), false);
  if (libre == ocupada_.end()) {
    throw std::length_error("catálogo lleno");
  }
  return FijarEntrada(static_cast<int>(libre - ocupada_.begin()), entrada);
}

ImagenDsk &ImagenDsk::AgregarFichero(const Fichero &fichero) {
  const std::size_t bloques = (fichero.datos.size() + TamanoBloque - 1) / TamanoBloque;
  const std::size_t bloquesDisco = datos_.size() / TamanoBloque;
  if (siguienteBloque_ + bloques > std::min<std::size_t>(bloquesDisco, 256)) {
    throw std::length_error("disco lleno");
  }
  std::string nombre = Rellenar(fichero.nombre, 8) + Rellenar(fichero.ext, 3);
  if (fichero.soloLectura) {
    nombre[8] = static_cast<char>(nombre[8] | 0x80);
  }
  if (fichero.sistema) {
    nombre[9] = static_cast<char>(nombre[9] | 0x80);
  }
  const std::size_t extensiones =
      std::max<std::size_t>(1, (bloques + BloquesExtension - 1) / BloquesExtension);
  std::size_t restante = fichero.datos.size();
  std::size_t leido = 0;
  for (std::size_t x = 0; x < extensiones; ++x) {
    const std::size_t bytes = std::min(restante, BloquesExtension * TamanoBloque);
    const auto registros =
        static_cast<std::uint8_t>(std::min<std::size_t>(RegistrosExtension, (bytes + 127) / 128));
    Entrada e = CrearEntrada(fichero.usuario, nombre, registros, static_cast<std::uint8_t>(x));
    for (std::size_t b = 0; b * TamanoBloque < bytes; ++b) {
      const int bloque = siguienteBloque_++;
      e[16 + b] = static_cast<std::uint8_t>(bloque);
      const std::size_t trozo = std::min(TamanoBloque, bytes - b * TamanoBloque);
      std::copy_n(fichero.datos.begin() + static_cast<std::ptrdiff_t>(leido), trozo,
                  datos_.begin() + static_cast<std::ptrdiff_t>(bloque * TamanoBloque));
      leido += trozo;
    }
    restante -= bytes;
    AgregarEntrada(e);
  }
  return *this;
}

std::vector<std::uint8_t> ImagenDsk::Bytes() const {
  const std::size_t numPistas =
      static_cast<std::size_t>(pistas_) * std::max<std::uint8_t>(caras_, 1);
  const std::size_t tamanoPistaArchivo = 256 + TamanoPista;
  std::vector<std::uint8_t> img(256 + numPistas * tamanoPistaArchivo, 0);

  std::copy(firma_.begin(), firma_.end(), img.begin());
  std::copy(creador_.begin(), creador_.end(), img.begin() + 34);
  img[48] = pistas_;
  img[49] = caras_;
  if (disposicion_ == Disposicion::Estandar) {
    img[50] = static_cast<std::uint8_t>(tamanoPistaArchivo & 0xFF);
    img[51] = static_cast<std::uint8_t>(tamanoPistaArchivo >> 8);
  } else {
    for (std::size_t t = 0; t < numPistas && t < 204; ++t) {
      img[52 + t] = static_cast<std::uint8_t>(tamanoPistaArchivo >> 8);
    }
  }

  // Sector data with the catalogue laid into blocks 0 and 1.
  std::vector<std::uint8_t> datos = datos_;
  for (std::size_t i = 0; i < catalogo_.size(); ++i) {
    std::copy(catalogo_[i].begin(), catalogo_[i].end(),
              datos.begin() + static_cast<std::ptrdiff_t>(i * 32));
  }

  for (std::size_t t = 0; t < numPistas; ++t) {
    std::uint8_t *pista = img.data() + 256 + t * tamanoPistaArchivo;
    Copiar("Track-Info\r\n", pista, 12, 0);
    pista[16] = static_cast<std::uint8_t>(t / std::max<std::uint8_t>(caras_, 1));
    pista[17] = static_cast<std::uint8_t>(t % std::max<std::uint8_t>(caras_, 1));
    pista[20] = 2; // 512-byte sectors
    pista[21] = SectoresPista;
    pista[22] = 0x4E; // gap
    pista[23] = 0xE5; // filler
    for (std::size_t s = 0; s < SectoresPista; ++s) {
      std::uint8_t *info = pista + 24 + s * 8;
      info[0] = pista[16];
      info[1] = pista[17];
      info[2] = static_cast<std::uint8_t>(PrimerSector + s);
      info[3] = 2;
      if (disposicion_ == Disposicion::Extendida) {
        info[6] = static_cast<std::uint8_t>(TamanoSector & 0xFF);
        info[7] = static_cast<std::uint8_t>(TamanoSector >> 8);
      }
    }
    std::copy_n(datos.begin() + static_cast<std::ptrdiff_t>(t * TamanoPista), TamanoPista,
                pista + 256);
  }
  return img;
}

void EscribirArchivo(const std::filesystem::path &ruta, const std::vector<std::uint8_t> &bytes) {
  std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) {
    throw std::runtime_error("no se pudo escribir " + ruta.string());
  }
}

namespace {

std::vector<std::uint8_t> Contenido(std::size_t largo, std::uint8_t semilla) {
  std::vector<std::uint8_t> v(largo);
  std::uint32_t x = 0x9E3779B9u ^ semilla;
  for (auto &b : v) {
    x = x * 1664525u + 1013904223u; // fixed LCG: the samples are reproducible
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return v;
}

std::vector<std::uint8_t> Texto(std::string_view t) { return {t.begin(), t.end()}; }

// A file as AMSDOS saves it: the 128-byte header, then the content.
std::vector<std::uint8_t> ConCabecera(std::string_view nombre11, std::uint8_t tipo,
                                      std::uint16_t carga, std::uint16_t entrada,
                                      const std::vector<std::uint8_t> &contenido) {
  std::vector<std::uint8_t> b =
      CabeceraAmsdos(nombre11, tipo, carga, entrada, static_cast<std::uint32_t>(contenido.size()));
  b.insert(b.end(), contenido.begin(), contenido.end());
  return b;
}

// A Locomotive BASIC program as the CPC stores it: each line its length, its
// number, its tokens and a 0; two zero bytes at the end.
using LineaBasic = std::pair<std::uint16_t, std::vector<std::uint8_t>>;

std::vector<std::uint8_t> ProgramaBasic(const std::vector<LineaBasic> &lineas) {
  std::vector<std::uint8_t> b;
  for (const auto &[numero, tokens] : lineas) {
    const std::size_t largo = 4 + tokens.size() + 1;
    b.push_back(static_cast<std::uint8_t>(largo & 0xFF));
    b.push_back(static_cast<std::uint8_t>(largo >> 8));
    b.push_back(static_cast<std::uint8_t>(numero & 0xFF));
    b.push_back(static_cast<std::uint8_t>(numero >> 8));
    b.insert(b.end(), tokens.begin(), tokens.end());
    b.push_back(0);
  }
  b.push_back(0);
  b.push_back(0);
  return b;
}

// Bytes of a token line: characters as typed, with the tokens' byte values in between.
std::vector<std::uint8_t>
Tokens(std::initializer_list<std::variant<int, std::string_view>> partes) {
  std::vector<std::uint8_t> b;
  for (const auto &p : partes) {
    if (const int *byte = std::get_if<int>(&p)) {
      b.push_back(static_cast<std::uint8_t>(*byte));
    } else {
      const std::string_view t = std::get<std::string_view>(p);
      b.insert(b.end(), t.begin(), t.end());
    }
  }
  return b;
}

} // namespace

// The loader of juegos.dsk, typed with spaces as people type it:
//   10 MODE 1:BORDER 0:INK 0,0:INK 1,24
//   20 MEMORY &3FFF
//   30 LOAD"SCREEN.SCR",&C000
//   40 LOAD"GAME.BIN",&4000
//   50 CALL &4000
std::vector<std::uint8_t> CargadorJuegos(bool conPantalla) {
  constexpr int Mode = 0xAD, Border = 0x82, Ink = 0xA2, Memory = 0xAA, Load = 0xA8, Call = 0x83;
  constexpr int DosPuntos = 0x01, Hex = 0x1C, Entero8 = 0x19;
  const auto cifra = [](int n) { return 0x0E + n; }; // 0..10 take one byte
  std::vector<LineaBasic> lineas;
  const auto linea = [&](std::uint16_t n, std::vector<std::uint8_t> t) {
    lineas.emplace_back(n, std::move(t));
  };
  linea(10, Tokens({Mode,      " ", cifra(1), DosPuntos, Border,  " ",      cifra(0),
                    DosPuntos, Ink, " ",      cifra(0),  ",",     cifra(0), DosPuntos,
                    Ink,       " ", cifra(1), ",",       Entero8, 24}));
  linea(20, Tokens({Memory, " ", Hex, 0xFF, 0x3F}));
  if (conPantalla) {
    linea(30, Tokens({Load, "\"SCREEN.SCR\",", Hex, 0x00, 0xC0}));
  }
  linea(40, Tokens({Load, "\"GAME.BIN\",", Hex, 0x00, 0x40}));
  linea(50, Tokens({Call, " ", Hex, 0x00, 0x40}));
  return ProgramaBasic(lineas);
}

void GenerarMuestras(const std::filesystem::path &carpeta) {
  std::filesystem::create_directories(carpeta);

  // A games disk as AMSDOS writes one: a BASIC loader (and the .BAK of its
  // previous version), a binary and a screen with their headers, a data file.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Creador("");
    img.AgregarFichero({0, "DISC", "BAS", false, false,
                        ConCabecera("DISC    BAS", 0, 0x170, 0, CargadorJuegos(true))})
        .AgregarFichero({0, "DISC", "BAK", false, false,
                         ConCabecera("DISC    BAS", 0, 0x170, 0, CargadorJuegos(false))})
        .AgregarFichero({0, "GAME", "BIN", false, false,
                         ConCabecera("GAME    BIN", 2, 0x4000, 0x4000, Contenido(41 * 1024, 1))})
        .AgregarFichero({0, "SCREEN", "SCR", false, false,
                         ConCabecera("SCREEN  SCR", 2, 0xC000, 0, Contenido(16 * 1024, 2))})
        .AgregarFichero({0, "LEVELS", "DAT", false, false, Contenido(3000, 3)});
    EscribirArchivo(carpeta / "juegos.dsk", img.Bytes());
  }
  // The extended layout, with a deleted file, a read-only file, a system file
  // and a file of several extents.
  {
    ImagenDsk img(Disposicion::Extendida, 42, 1);
    img.Creador("ALCOVE DSKGEN");
    img.AgregarFichero({0, "LOADER", "BAS", false, false, Texto("10 LOAD\"BIG.BIN\"\r\n")})
        .AgregarFichero({0, "BIG", "BIN", false, false, Contenido(40 * 1024, 4)})
        .AgregarFichero({0, "PROTECT", "BIN", true, false, Contenido(2048, 5)})
        .AgregarFichero({0, "HIDDEN", "SYS", false, true, Contenido(1024, 6)})
        .AgregarFichero({229, "OLDFILE", "TXT", false, false, Contenido(5000, 7)})
        .AgregarFichero({1, "USER1", "TXT", false, false, Texto("Fichero del usuario 1\r\n")})
        .AgregarFichero({0, "notes", "bin", false, false, Texto("lower case name\r\n")});
    EscribirArchivo(carpeta / "extendido.dsk", img.Bytes());
  }
  // A freshly formatted disk: an empty catalogue.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Creador("ALCOVE DSKGEN");
    EscribirArchivo(carpeta / "vacio.dsk", img.Bytes());
  }
  // Upper-case extension in the file name: the file list ignores case.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Creador("CPCDiskXP v2");
    img.AgregarFichero({0, "MAYUS", "BAS", false, false, Texto("10 PRINT \"HOLA\"\r\n")});
    EscribirArchivo(carpeta / "MAYUSCULAS.DSK", img.Bytes());
  }
}

void GenerarMuestrasRaras(const std::filesystem::path &carpeta) {
  std::filesystem::create_directories(carpeta);
  // Bad names: characters the catalogue listing refuses, records with no blocks.
  {
    ImagenDsk img(Disposicion::Extendida, 40, 1);
    img.AgregarEntrada(CrearEntrada(0, "GOOD    BAS", 8))
        .AgregarEntrada(CrearEntrada(0, "BAD!NAMEBAS", 8))
        .AgregarEntrada(CrearEntrada(0, "TILDE~  BIN", 16))
        .AgregarEntrada(CrearEntrada(0, "(PAREN) BAK", 128))
        .AgregarEntrada(CrearEntrada(3, "MAX     DAT", 255));
    EscribirArchivo(carpeta / "nombres.dsk", img.Bytes());
  }
  // An image with neither signature.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Firma("NOT A CPC DISK IMAGE");
    img.AgregarFichero({0, "ODD", "BIN", false, false, Contenido(1500, 8)});
    EscribirArchivo(carpeta / "desconocido.dsk", img.Bytes());
  }
}

// ---------------------------------------------------------------------------

namespace {

constexpr std::size_t TamanoCabecera = 256; // Disk-Info and Track-Info blocks
constexpr std::size_t TamanoEntradaCat = 32;

int CodigoDe(int tamanoSector) {
  int n = 0;
  while ((128 << n) < tamanoSector) {
    ++n;
  }
  return n;
}

} // namespace

Geometria GeometriaData() { return {}; }

Geometria GeometriaSystem() {
  Geometria g;
  g.primerSector = 0x41;
  g.reservadas = 2;
  return g;
}

Geometria GeometriaPlus3() {
  Geometria g;
  g.primerSector = 0x01;
  g.reservadas = 1;
  return g;
}

Geometria GeometriaIbm() {
  Geometria g = GeometriaPlus3();
  g.sectores = 8;
  return g;
}

DiscoCpm::DiscoCpm(const Geometria &geometria, Disposicion disposicion, int pistasImagen,
                   int carasImagen)
    : g_(geometria), disposicion_(disposicion),
      pistasImagen_(pistasImagen > 0 ? pistasImagen : geometria.pistas),
      carasImagen_(carasImagen > 0 ? carasImagen : geometria.caras) {
  Firma(disposicion == Disposicion::Estandar ? "MV - CPCEMU Disk-File\r\nDisk-Info\r\n"
                                             : "EXTENDED CPC DSK File\r\nDisk-Info\r\n");
  Creador("ALCOVE DSKGEN");
  pistas_.resize(static_cast<std::size_t>(pistasImagen_ * carasImagen_));
  for (int i = 0; i < pistasImagen_ * carasImagen_; ++i) {
    PistaGen &p = pistas_[static_cast<std::size_t>(i)];
    for (int s = 0; s < g_.sectores; ++s) {
      SectorGen sec;
      sec.c = static_cast<std::uint8_t>(i / carasImagen_);
      sec.h = static_cast<std::uint8_t>(i % carasImagen_);
      sec.r = static_cast<std::uint8_t>(g_.primerSector + s);
      sec.n = static_cast<std::uint8_t>(CodigoDe(g_.tamanoSector));
      sec.datos.assign(static_cast<std::size_t>(g_.tamanoSector), 0xE5);
      p.sectores.push_back(std::move(sec));
    }
  }
  Entrada vacia{};
  vacia.fill(0xE5);
  catalogo_.assign(static_cast<std::size_t>(g_.entradas), vacia);
  ocupada_.assign(catalogo_.size(), false);
  bloqueUsado_.assign(static_cast<std::size_t>(Bloques()), false);
  const int bloquesCatalogo =
      (g_.entradas * static_cast<int>(TamanoEntradaCat) + g_.tamanoBloque - 1) / g_.tamanoBloque;
  for (int b = 0; b < bloquesCatalogo && b < Bloques(); ++b) {
    bloqueUsado_[static_cast<std::size_t>(b)] = true;
  }
}

int DiscoCpm::Bloques() const {
  return static_cast<int>(static_cast<long long>(g_.pistas * g_.caras - g_.reservadas) *
                          g_.sectores * g_.tamanoSector / g_.tamanoBloque);
}

bool DiscoCpm::Bloques16() const { return Bloques() > 256; }

DiscoCpm &DiscoCpm::Creador(std::string_view texto) {
  Copiar(texto, creador_.data(), creador_.size(), ' ');
  return *this;
}

DiscoCpm &DiscoCpm::Grabacion(std::uint8_t tasa, std::uint8_t modo, std::uint8_t gap) {
  tasa_ = tasa;
  modo_ = modo;
  gap_ = gap;
  return *this;
}

DiscoCpm &DiscoCpm::Firma(std::string_view texto) {
  Copiar(texto, firma_.data(), firma_.size(), 0);
  return *this;
}

DiscoCpm::PistaGen &DiscoCpm::Pista(int pista, int cara) {
  if (pista < 0 || cara < 0 || pista >= pistasImagen_ || cara >= carasImagen_) {
    throw std::out_of_range("no hay pista " + std::to_string(pista) + " cara " +
                            std::to_string(cara));
  }
  return pistas_[static_cast<std::size_t>(pista * carasImagen_ + cara)];
}

DiscoCpm::SectorGen &DiscoCpm::Sector(int pista, int cara, std::uint8_t id) {
  for (SectorGen &s : Pista(pista, cara).sectores) {
    if (s.r == id) {
      return s;
    }
  }
  throw std::out_of_range("no hay sector " + std::to_string(id));
}

bool DiscoCpm::TieneSector(int pista, int cara, std::uint8_t id) const {
  if (pista < 0 || cara < 0 || pista >= pistasImagen_ || cara >= carasImagen_) {
    return false;
  }
  const auto &v = pistas_[static_cast<std::size_t>(pista * carasImagen_ + cara)].sectores;
  return std::any_of(v.begin(), v.end(), [id](const SectorGen &s) { return s.r == id; });
}

DiscoCpm &DiscoCpm::Intercalado(const std::vector<int> &orden) {
  // A permutation moves the sectors; an order naming one twice copies them.
  std::vector<bool> visto;
  bool permutacion = true;
  for (const int i : orden) {
    const auto k = static_cast<std::size_t>(i);
    visto.resize(std::max(visto.size(), k + 1), false);
    permutacion = permutacion && !visto[k];
    visto[k] = true;
  }
  for (PistaGen &p : pistas_) {
    std::vector<SectorGen> nuevos;
    nuevos.reserve(orden.size());
    for (const int i : orden) {
      SectorGen &s = p.sectores.at(static_cast<std::size_t>(i));
      nuevos.push_back(permutacion ? std::move(s) : s);
    }
    p.sectores = std::move(nuevos);
  }
  return *this;
}

DiscoCpm::Lugar DiscoCpm::UbicarSector(long long sectorDatos) const {
  const long long indice = static_cast<long long>(g_.reservadas) * g_.sectores + sectorDatos;
  const long long logica = indice / g_.sectores;
  Lugar l{static_cast<int>(logica), 0,
          static_cast<std::uint8_t>(g_.primerSector + indice % g_.sectores)};
  if (g_.caras > 1 && !g_.sucesivas) {
    l.pista = static_cast<int>(logica / g_.caras);
    l.cara = static_cast<int>(logica % g_.caras);
  } else if (g_.caras > 1) {
    l.pista = static_cast<int>(logica % g_.pistas);
    l.cara = static_cast<int>(logica / g_.pistas);
  }
  return l;
}

DiscoCpm::Lugar DiscoCpm::UbicarBloque(int bloque) const {
  return UbicarSector(static_cast<long long>(bloque) * g_.tamanoBloque / g_.tamanoSector);
}

// Writes bytes at a byte position of the data area (block 0 onwards).
void DiscoCpm::EscribirLogico(long long byte, const std::uint8_t *datos, std::size_t largo) {
  while (largo > 0) {
    const Lugar l = UbicarSector(byte / g_.tamanoSector);
    const auto dentro = static_cast<std::size_t>(byte % g_.tamanoSector);
    const std::size_t trozo = std::min(largo, static_cast<std::size_t>(g_.tamanoSector) - dentro);
    // A sector taken away by QuitarSector keeps nothing, nor does a track laid out by hand.
    PistaGen &p = Pista(l.pista, l.cara);
    for (SectorGen &s : p.sectores) {
      if (!p.aMano && s.r == l.id) {
        std::copy_n(datos, trozo, s.datos.begin() + static_cast<std::ptrdiff_t>(dentro));
        break;
      }
    }
    datos += trozo;
    largo -= trozo;
    byte += static_cast<long long>(trozo);
  }
}

DiscoCpm &DiscoCpm::EscribirBloque(int bloque, const std::vector<std::uint8_t> &datos) {
  if (bloque < 0 || bloque >= Bloques() ||
      datos.size() > static_cast<std::size_t>(g_.tamanoBloque)) {
    throw std::out_of_range("bloque " + std::to_string(bloque));
  }
  EscribirLogico(static_cast<long long>(bloque) * g_.tamanoBloque, datos.data(), datos.size());
  return *this;
}

DiscoCpm &DiscoCpm::FijarEntrada(int ranura, const Entrada &entrada) {
  catalogo_.at(static_cast<std::size_t>(ranura)) = entrada;
  ocupada_.at(static_cast<std::size_t>(ranura)) = true;
  return *this;
}

const Entrada &DiscoCpm::EntradaEn(int ranura) const {
  return catalogo_.at(static_cast<std::size_t>(ranura));
}

int DiscoCpm::SiguienteBloque(const std::vector<int> &elegidos) {
  if (ultimos_.size() < elegidos.size()) {
    const int n = elegidos[ultimos_.size()];
    if (n >= 0 && n < Bloques()) {
      bloqueUsado_[static_cast<std::size_t>(n)] = true;
    }
    return n;
  }
  if (!elegidos.empty()) {
    throw std::length_error("faltan bloques elegidos");
  }
  const auto libre = std::find(bloqueUsado_.begin(), bloqueUsado_.end(), false);
  if (libre == bloqueUsado_.end()) {
    throw std::length_error("disco lleno");
  }
  *libre = true;
  return static_cast<int>(libre - bloqueUsado_.begin());
}

DiscoCpm &DiscoCpm::Agregar(const ArchivoCpm &archivo, const std::vector<int> &bloques) {
  const auto bloque = static_cast<std::size_t>(g_.tamanoBloque);
  const std::size_t punteros = Bloques16() ? 8 : 16;
  const std::size_t porEntrada = punteros * bloque;
  const int mascara = static_cast<int>(bloque / (Bloques16() ? 2048 : 1024)) - 1;
  const std::size_t entradas =
      std::max<std::size_t>(1, (archivo.datos.size() + porEntrada - 1) / porEntrada);
  std::string nombre = Rellenar(archivo.nombre, 8) + Rellenar(archivo.ext, 3);
  const std::array<bool, 3> atributos{archivo.soloLectura, archivo.sistema, archivo.archivado};
  for (std::size_t i = 0; i < 3; ++i) {
    if (atributos[i]) {
      nombre[8 + i] = static_cast<char>(nombre[8 + i] | 0x80);
    }
  }
  ultimos_.clear();
  for (std::size_t k = 0; k < entradas; ++k) {
    const std::size_t desde = k * porEntrada;
    const std::size_t bytes = std::min(porEntrada, archivo.datos.size() - desde);
    const int registros = static_cast<int>((bytes + 127) / 128);
    const int x = static_cast<int>(k) * (mascara + 1) + (registros > 0 ? (registros - 1) / 128 : 0);
    const int rc = registros > 0 ? registros - ((registros - 1) / 128) * 128 : 0;
    Entrada e = CrearEntrada(archivo.usuario, nombre, static_cast<std::uint8_t>(rc),
                             static_cast<std::uint8_t>(x & 0x1F));
    e[14] = static_cast<std::uint8_t>(x >> 5);
    if (k + 1 == entradas) {
      e[13] = static_cast<std::uint8_t>(archivo.bytesUltimo);
    }
    for (std::size_t b = 0; b * bloque < bytes; ++b) {
      const int n = SiguienteBloque(bloques);
      ultimos_.push_back(n);
      if (Bloques16()) {
        e[16 + 2 * b] = static_cast<std::uint8_t>(n & 0xFF);
        e[17 + 2 * b] = static_cast<std::uint8_t>(n >> 8);
      } else {
        e[16 + b] = static_cast<std::uint8_t>(n);
      }
      const std::size_t trozo = std::min(bloque, bytes - b * bloque);
      EscribirLogico(static_cast<long long>(n) * g_.tamanoBloque,
                     archivo.datos.data() + desde + b * bloque, trozo);
    }
    if (k < archivo.ranuras.size()) {
      FijarEntrada(archivo.ranuras[k], e);
    } else {
      const auto libre = std::find(ocupada_.begin(), ocupada_.end(), false);
      if (libre == ocupada_.end()) {
        throw std::length_error("catálogo lleno");
      }
      FijarEntrada(static_cast<int>(libre - ocupada_.begin()), e);
    }
  }
  return *this;
}

DiscoCpm &DiscoCpm::Descripcion(const std::array<std::uint8_t, 16> &descripcion) {
  SectorGen &s = Sector(0, 0, g_.primerSector);
  std::copy(descripcion.begin(), descripcion.end(), s.datos.begin());
  return *this;
}

void DiscoCpm::ExigirExtendida() const {
  if (disposicion_ != Disposicion::Extendida) {
    throw std::logic_error("sólo la disposición extendida lo puede guardar");
  }
}

DiscoCpm &DiscoCpm::SinFormato(int pista, int cara) {
  ExigirExtendida();
  Pista(pista, cara).formateada = false;
  return *this;
}

DiscoCpm &DiscoCpm::Debil(int pista, int cara, std::uint8_t id, int copias) {
  ExigirExtendida();
  SectorGen &s = Sector(pista, cara, id);
  s.copias = copias;
  return *this;
}

DiscoCpm &DiscoCpm::QuitarSector(int pista, int cara, std::uint8_t id) {
  auto &v = Pista(pista, cara).sectores;
  v.erase(std::remove_if(v.begin(), v.end(), [id](const SectorGen &s) { return s.r == id; }),
          v.end());
  return *this;
}

DiscoCpm &DiscoCpm::CodigoTamano(int pista, int cara, std::uint8_t id, std::uint8_t n) {
  Sector(pista, cara, id).n = n;
  return *this;
}

DiscoCpm &DiscoCpm::SectorExtra(int pista, int cara, std::uint8_t id) {
  PistaGen &p = Pista(pista, cara);
  SectorGen s;
  s.c = static_cast<std::uint8_t>(pista);
  s.h = static_cast<std::uint8_t>(cara);
  s.r = id;
  s.n = static_cast<std::uint8_t>(CodigoDe(g_.tamanoSector));
  s.datos.assign(static_cast<std::size_t>(g_.tamanoSector), 0xE5);
  p.sectores.push_back(std::move(s));
  return *this;
}

DiscoCpm &DiscoCpm::Estado(int pista, int cara, std::uint8_t id, std::uint8_t st1,
                           std::uint8_t st2) {
  SectorGen &s = Sector(pista, cara, id);
  s.st1 = st1;
  s.st2 = st2;
  return *this;
}

DiscoCpm &DiscoCpm::PistaHecha(int pista, int cara, const std::vector<SectorHecho> &sectores) {
  ExigirExtendida();
  PistaGen &p = Pista(pista, cara);
  p.formateada = true;
  p.aMano = true;
  p.sectores.clear();
  for (const SectorHecho &h : sectores) {
    SectorGen s;
    s.c = h.c;
    s.h = h.h;
    s.r = h.r;
    s.n = h.n;
    s.st1 = h.st1;
    s.st2 = h.st2;
    s.datos = h.datos; // every stored byte: copies are the caller's
    p.sectores.push_back(std::move(s));
  }
  return *this;
}

std::vector<std::uint8_t> DiscoCpm::Bytes() const { return Bytes(nullptr); }

std::vector<DiscoCpm::PistaFinal> DiscoCpm::Pistas() const {
  // The image's own bytes, so that the catalogue lies where Bytes() puts it.
  std::vector<Puesto> puestos;
  const std::vector<std::uint8_t> img = Bytes(&puestos);
  std::vector<PistaFinal> v(pistas_.size());
  std::size_t k = 0;
  for (std::size_t t = 0; t < pistas_.size(); ++t) {
    v[t].formateada = pistas_[t].formateada;
    if (!pistas_[t].formateada) {
      continue;
    }
    for (const SectorGen &s : pistas_[t].sectores) {
      SectorFinal f{s.c, s.h, s.r, s.n, s.st1, s.st2, {}};
      if (pistas_[t].aMano) {
        f.copias.push_back(s.datos); // a track laid out by hand is written as it was given
        v[t].sectores.push_back(std::move(f));
        continue;
      }
      const Puesto &p = puestos.at(k++);
      for (int c = 0; c < p.copias; ++c) {
        const auto inicio =
            static_cast<std::ptrdiff_t>(p.inicio + static_cast<std::size_t>(c) * p.largo);
        f.copias.emplace_back(img.begin() + inicio,
                              img.begin() + inicio + static_cast<std::ptrdiff_t>(p.largo));
      }
      v[t].sectores.push_back(std::move(f));
    }
  }
  return v;
}

std::vector<std::uint8_t> DiscoCpm::Bytes(std::vector<Puesto> *dondeFueron) const {
  const bool extendida = disposicion_ == Disposicion::Extendida;
  const std::size_t nominal = static_cast<std::size_t>(g_.tamanoSector);
  const std::size_t tamanoEstandar =
      TamanoCabecera + static_cast<std::size_t>(g_.sectores) * nominal;
  std::vector<std::uint8_t> img(TamanoCabecera, 0);
  img.reserve(TamanoCabecera + pistas_.size() * tamanoEstandar);
  std::copy(firma_.begin(), firma_.end(), img.begin());
  std::copy(creador_.begin(), creador_.end(), img.begin() + 34);
  img[48] = static_cast<std::uint8_t>(pistasImagen_);
  img[49] = static_cast<std::uint8_t>(carasImagen_);
  if (!extendida) {
    img[50] = static_cast<std::uint8_t>(tamanoEstandar & 0xFF);
    img[51] = static_cast<std::uint8_t>(tamanoEstandar >> 8);
  }
  // Where each sector's copies went, so that the catalogue is written over
  // them afterwards and the disk itself stays as it is for the next call.
  std::vector<Puesto> puestos;
  for (std::size_t t = 0; t < pistas_.size(); ++t) {
    const PistaGen &p = pistas_[t];
    if (!p.formateada) {
      continue; // extended only: size 0 in the table, no block
    }
    const std::size_t inicio = img.size();
    img.resize(inicio + TamanoCabecera, 0);
    Copiar("Track-Info\r\n", img.data() + inicio, 12, 0);
    img[inicio + 16] = static_cast<std::uint8_t>(t / static_cast<std::size_t>(carasImagen_));
    img[inicio + 17] = static_cast<std::uint8_t>(t % static_cast<std::size_t>(carasImagen_));
    img[inicio + 20] = static_cast<std::uint8_t>(CodigoDe(g_.tamanoSector));
    img[inicio + 18] = tasa_;
    img[inicio + 19] = modo_;
    img[inicio + 21] = static_cast<std::uint8_t>(p.sectores.size());
    img[inicio + 22] = gap_;
    img[inicio + 23] = 0xE5;
    for (std::size_t s = 0; s < p.sectores.size() && 24 + s * 8 < TamanoCabecera; ++s) {
      const SectorGen &sec = p.sectores[s];
      const std::size_t guardado = sec.datos.size() * static_cast<std::size_t>(sec.copias);
      std::uint8_t *info = img.data() + inicio + 24 + s * 8;
      info[0] = sec.c;
      info[1] = sec.h;
      info[2] = sec.r;
      info[3] = sec.n;
      info[4] = sec.st1;
      info[5] = sec.st2;
      if (extendida) {
        info[6] = static_cast<std::uint8_t>(guardado & 0xFF);
        info[7] = static_cast<std::uint8_t>(guardado >> 8);
      }
      if (!p.aMano) {
        puestos.push_back({t, sec.r, img.size(), sec.datos.size(), sec.copias});
      }
      for (int c = 0; c < sec.copias; ++c) {
        img.insert(img.end(), sec.datos.begin(), sec.datos.end());
        // Each copy of a weak sector differs a little from the others, as on a real disk.
        if (c > 0 && !sec.datos.empty()) {
          img.back() = static_cast<std::uint8_t>(img.back() ^ c);
        }
      }
    }
    const std::size_t largo = img.size() - inicio;
    if (extendida) {
      img.resize(inicio + (largo + 255) / 256 * 256, 0);
      if (t < 204) {
        img[52 + t] = static_cast<std::uint8_t>((img.size() - inicio) / 256);
      }
    } else {
      img.resize(inicio + tamanoEstandar, 0xE5);
    }
  }
  std::vector<std::uint8_t> catalogo;
  catalogo.reserve(catalogo_.size() * TamanoEntradaCat);
  for (const Entrada &e : catalogo_) {
    catalogo.insert(catalogo.end(), e.begin(), e.end());
  }
  EscribirEnImagen(img, puestos, catalogo);
  if (dondeFueron != nullptr) {
    *dondeFueron = std::move(puestos);
  }
  return img;
}

// The catalogue's bytes over the sectors of the first blocks, in every copy
// of each, as EscribirLogico writes a sector.
void DiscoCpm::EscribirEnImagen(std::vector<std::uint8_t> &img, const std::vector<Puesto> &puestos,
                                const std::vector<std::uint8_t> &bytes) const {
  const auto tamano = static_cast<std::size_t>(g_.tamanoSector);
  for (std::size_t hecho = 0; hecho < bytes.size();) {
    const Lugar l = UbicarSector(static_cast<long long>(hecho / tamano));
    if (l.pista < 0 || l.cara < 0 || l.pista >= pistasImagen_ || l.cara >= carasImagen_) {
      throw std::out_of_range("no hay pista " + std::to_string(l.pista) + " cara " +
                              std::to_string(l.cara));
    }
    const std::size_t dentro = hecho % tamano;
    const std::size_t trozo = std::min(bytes.size() - hecho, tamano - dentro);
    const auto t = static_cast<std::size_t>(l.pista * carasImagen_ + l.cara);
    // A sector taken away by QuitarSector keeps nothing.
    const auto p = std::find_if(puestos.begin(), puestos.end(),
                                [&](const Puesto &x) { return x.pista == t && x.r == l.id; });
    if (p != puestos.end() && dentro < p->largo) {
      const std::size_t n = std::min(trozo, p->largo - dentro);
      for (int c = 0; c < p->copias; ++c) {
        const std::size_t inicio = p->inicio + static_cast<std::size_t>(c) * p->largo;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(hecho), n,
                    img.begin() + static_cast<std::ptrdiff_t>(inicio + dentro));
        if (c > 0 && dentro + n == p->largo) {
          img[inicio + p->largo - 1] ^= static_cast<std::uint8_t>(c);
        }
      }
    }
    hecho += trozo;
  }
}

std::vector<std::uint8_t> CabeceraAmsdos(std::string_view nombre11, std::uint8_t tipo,
                                         std::uint16_t carga, std::uint16_t entrada,
                                         std::uint32_t longitud) {
  std::vector<std::uint8_t> c(128, 0);
  Copiar(nombre11, c.data() + 1, 11, ' ');
  c[18] = tipo;
  c[21] = static_cast<std::uint8_t>(carga & 0xFF);
  c[22] = static_cast<std::uint8_t>(carga >> 8);
  c[24] = static_cast<std::uint8_t>(longitud & 0xFF);
  c[25] = static_cast<std::uint8_t>((longitud >> 8) & 0xFF);
  c[26] = static_cast<std::uint8_t>(entrada & 0xFF);
  c[27] = static_cast<std::uint8_t>(entrada >> 8);
  c[64] = static_cast<std::uint8_t>(longitud & 0xFF);
  c[65] = static_cast<std::uint8_t>((longitud >> 8) & 0xFF);
  c[66] = static_cast<std::uint8_t>((longitud >> 16) & 0xFF);
  unsigned suma = 0;
  for (std::size_t i = 0; i < 67; ++i) {
    suma += c[i];
  }
  c[67] = static_cast<std::uint8_t>(suma & 0xFF);
  c[68] = static_cast<std::uint8_t>((suma >> 8) & 0xFF);
  return c;
}

std::vector<std::uint8_t> ContenidoPrueba(std::size_t largo, std::uint8_t semilla) {
  return Contenido(largo, semilla);
}

void GenerarSemillasCpm(const std::filesystem::path &carpeta) {
  GenerarMuestrasRaras(carpeta);
  std::vector<std::uint8_t> basic = CabeceraAmsdos("DISC    BAS", 0, 0x170, 0, 300);
  const auto cuerpo = Contenido(300, 9);
  basic.insert(basic.end(), cuerpo.begin(), cuerpo.end());
  const std::vector<int> intercalado{0, 5, 1, 6, 2, 7, 3, 8, 4};
  auto conArchivos = [&](DiscoCpm d) {
    d.Agregar({0, "DISC", "BAS", false, false, false, basic, {}, 0})
        .Agregar({0, "BIG-ONE", "BIN", true, true, false, Contenido(20000, 10), {9, 3}, 0})
        .Agregar({1, "DISC", "BAS", false, false, true, Contenido(700, 11), {}, 0});
    return d;
  };
  EscribirArchivo(carpeta / "data.dsk",
                  conArchivos(DiscoCpm(GeometriaData()).Intercalado(intercalado)).Bytes());
  EscribirArchivo(carpeta / "system.dsk",
                  conArchivos(DiscoCpm(GeometriaSystem(), Disposicion::Extendida)).Bytes());
  EscribirArchivo(carpeta / "ibm.dsk", conArchivos(DiscoCpm(GeometriaIbm())).Bytes());
  {
    Geometria g = GeometriaPlus3();
    g.pistas = 80;
    g.caras = 2;
    g.tamanoBloque = 2048;
    g.entradas = 128;
    DiscoCpm d = conArchivos(DiscoCpm(g, Disposicion::Extendida));
    d.Descripcion({3, 0x81, 80, 9, 2, 1, 4, 2, 0x2A, 0x52, 0, 0, 0, 0, 0, 0});
    EscribirArchivo(carpeta / "pcw.dsk", d.Bytes());
  }
  {
    DiscoCpm d = conArchivos(DiscoCpm(GeometriaData(), Disposicion::Extendida));
    d.SinFormato(39, 0).Debil(5, 0, 0xC3, 3).QuitarSector(6, 0, 0xC2);
    d.CodigoTamano(7, 0, 0xC1, 3);
    d.FijarEntrada(40, CrearEntrada(0x1F,
                                    "\x01\x02\x03\x04\x05\x06\x07\x08"
                                    "ART",
                                    0));
    d.FijarEntrada(41, CrearEntrada(0xE5, "OLD     TXT", 3));
    auto b = d.Bytes();
    EscribirArchivo(carpeta / "rara.dsk", b);
    b.resize(b.size() / 3);
    EscribirArchivo(carpeta / "corta.dsk", b);
  }
}

} // namespace Generador
