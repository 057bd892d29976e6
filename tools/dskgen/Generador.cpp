#include "Generador.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

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

} // namespace

void GenerarMuestras(const std::filesystem::path &carpeta) {
  std::filesystem::create_directories(carpeta);

  // A games disk in the standard layout: BASIC loader, binaries, a backup copy.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Creador("");
    img.AgregarFichero({0, "DISC", "BAS", false, false,
                        Texto("10 MODE 1:INK 0,1:INK 1,24\r\n20 RUN\"GAME\r\n")})
        .AgregarFichero({0, "DISC", "BAK", false, false, Texto("10 MODE 1\r\n20 RUN\"GAME\r\n")})
        .AgregarFichero({0, "GAME", "BIN", false, false, Contenido(41 * 1024, 1)})
        .AgregarFichero({0, "SCREEN", "SCR", false, false, Contenido(16 * 1024 + 128, 2)})
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
  // A two-sided disk with an empty catalogue.
  {
    ImagenDsk img(Disposicion::Estandar, 80, 2);
    img.Creador("  FORMATTER   ");
    EscribirArchivo(carpeta / "vacio.dsk", img.Bytes());
  }
  // Bad names: characters the catalogue listing refuses.
  {
    ImagenDsk img(Disposicion::Extendida, 40, 1);
    img.AgregarEntrada(CrearEntrada(0, "GOOD    BAS", 8))
        .AgregarEntrada(CrearEntrada(0, "BAD!NAMEBAS", 8))
        .AgregarEntrada(CrearEntrada(0, "TILDE~  BIN", 16))
        .AgregarEntrada(CrearEntrada(0, "(PAREN) BAK", 128))
        .AgregarEntrada(CrearEntrada(3, "MAX     DAT", 255));
    EscribirArchivo(carpeta / "nombres.dsk", img.Bytes());
  }
  // An image with neither signature: it still loads, with no layout named.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Firma("NOT A CPC DISK IMAGE");
    img.AgregarFichero({0, "ODD", "BIN", false, false, Contenido(1500, 8)});
    EscribirArchivo(carpeta / "desconocido.dsk", img.Bytes());
  }
  // Upper-case extension in the file name: the file list ignores case.
  {
    ImagenDsk img(Disposicion::Estandar, 40, 1);
    img.Creador("CPCDiskXP v2");
    img.AgregarFichero({0, "MAYUS", "BAS", false, false, Texto("10 PRINT \"HOLA\"\r\n")});
    EscribirArchivo(carpeta / "MAYUSCULAS.DSK", img.Bytes());
  }
}

} // namespace Generador
