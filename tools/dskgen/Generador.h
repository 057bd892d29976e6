#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Builds CPCEMU disk images for the samples, the tests, the benchmarks and the
// fuzzer's seeds. Images use the CPC's DATA format: 9 sectors of 512 bytes a
// track (ids &C1..&C9, stored in order), 1 KB blocks, the catalogue in blocks 0
// and 1, so it lies at file offset 512 as the loader expects.
namespace Generador {

enum class Disposicion { Estandar, Extendida };

using Entrada = std::array<std::uint8_t, 32>;

// A raw 32-byte catalogue entry. `nombre11` is 8 name and 3 extension
// characters, padded with blanks when shorter.
Entrada CrearEntrada(std::uint8_t usuario, std::string_view nombre11, std::uint8_t registros,
                     std::uint8_t extension = 0);

// A file to place on the disk: its data fill blocks, and one catalogue entry is
// written for every 16 KB extent.
struct Fichero {
  std::uint8_t usuario = 0;
  std::string nombre; // up to 8 characters
  std::string ext;    // up to 3 characters
  bool soloLectura = false;
  bool sistema = false;
  std::vector<std::uint8_t> datos;
};

class ImagenDsk {
public:
  explicit ImagenDsk(Disposicion disposicion = Disposicion::Estandar, std::uint8_t pistas = 40,
                     std::uint8_t caras = 1);

  // The creator field (14 bytes, blank padded).
  ImagenDsk &Creador(std::string_view texto);
  // Replaces the 34-byte signature field (zero padded), e.g. for unrecognised images.
  ImagenDsk &Firma(std::string_view texto);
  // Adds a file, its data and its catalogue entries. Throws when the disk is full.
  ImagenDsk &AgregarFichero(const Fichero &fichero);
  // Puts a raw entry in the next free catalogue slot, or in slot `ranura`.
  ImagenDsk &AgregarEntrada(const Entrada &entrada);
  ImagenDsk &FijarEntrada(int ranura, const Entrada &entrada);

  // The whole image file.
  [[nodiscard]] std::vector<std::uint8_t> Bytes() const;

private:
  Disposicion disposicion_;
  std::uint8_t pistas_;
  std::uint8_t caras_;
  std::array<std::uint8_t, 34> firma_{};
  std::array<std::uint8_t, 14> creador_{};
  std::array<Entrada, 64> catalogo_{};
  std::array<bool, 64> ocupada_{};
  std::vector<std::uint8_t> datos_; // sector data of all tracks, in file order
  int siguienteBloque_ = 2;
};

// Writes bytes to a file, replacing it.
void EscribirArchivo(const std::filesystem::path &ruta, const std::vector<std::uint8_t> &bytes);

// The tokenised BASIC loader of the samples' juegos.dsk (DISC.BAS), and of
// its previous version (DISC.BAK) without the line that loads the screen.
std::vector<std::uint8_t> CargadorJuegos(bool conPantalla);

// Writes the sample images of the samples folder into `carpeta`: healthy disks
// as AMSDOS writes them, a new user's first look.
void GenerarMuestras(const std::filesystem::path &carpeta);
// Writes the deliberately broken images that once sat among the samples (bad
// names and blockless records, no signature), for the tests and the fuzzer.
void GenerarMuestrasRaras(const std::filesystem::path &carpeta);

// ---------------------------------------------------------------------------
// Disks of any CP/M format, with the oddities of real images: interleaved
// sectors, reserved tracks, +3 disk descriptions, two sides, unformatted
// tracks, weak and missing sectors, catalogue entries placed by hand.

// The geometry and file system of a disk to build.
struct Geometria {
  std::uint8_t primerSector = 0xC1;
  int sectores = 9;       // per track
  int tamanoSector = 512; // 128 << N
  int pistas = 40;        // per side, as the file system uses them
  int caras = 1;
  bool sucesivas = false; // two sides: side 0 whole, then side 1 (else alternating)
  int reservadas = 0;     // logical tracks before block 0
  int tamanoBloque = 1024;
  int entradas = 64;
};

Geometria GeometriaData();   // CPC DATA: C1..C9, no reserved tracks
Geometria GeometriaSystem(); // CPC SYSTEM: 41..49, two reserved tracks
Geometria GeometriaPlus3();  // +3 / PCW CF2: 01..09, one reserved track
Geometria GeometriaIbm();    // CPC IBM: 01..08, one reserved track

// A sector laid out by hand: its ID, its FDC status and every byte the image
// stores for it (a weak sector's copies one after another).
struct SectorHecho {
  std::uint8_t c = 0, h = 0, r = 0, n = 2, st1 = 0, st2 = 0;
  std::vector<std::uint8_t> datos;
};

// A file for DiscoCpm: one catalogue entry per extent, in the slots given.
struct ArchivoCpm {
  std::uint8_t usuario = 0;
  std::string nombre; // up to 8 characters, as stored (case kept)
  std::string ext;    // up to 3
  bool soloLectura = false;
  bool sistema = false;
  bool archivado = false;
  std::vector<std::uint8_t> datos;
  std::vector<int> ranuras; // catalogue slot of each entry, in extent order; empty: next free
  int bytesUltimo = 0;      // CP/M 3 byte count of the last record (S1), 0 = none
};

class DiscoCpm {
public:
  // `pistasImagen` and `carasImagen` (0: those of the geometry) give the image
  // more tracks or sides than the file system uses, formatted alike.
  explicit DiscoCpm(const Geometria &geometria, Disposicion disposicion = Disposicion::Estandar,
                    int pistasImagen = 0, int carasImagen = 0);

  DiscoCpm &Creador(std::string_view texto);
  DiscoCpm &Firma(std::string_view texto);
  // What every Track-Info says of its track beyond its sectors, as later tools
  // note it: the data rate (1 single or double density), the recording mode
  // (1 FM, 2 MFM) and GAP#3. By default 0, 0 and &4E.
  DiscoCpm &Grabacion(std::uint8_t tasa, std::uint8_t modo, std::uint8_t gap);
  // The stored order of every track's sectors, as indexes from the first ID:
  // {0, 5, 1, 6, 2, 7, 3, 8, 4} stores C1 C6 C2 C7 C3 C8 C4 C9 C5.
  DiscoCpm &Intercalado(const std::vector<int> &orden);
  // Writes a file's data to free blocks and its entries to the catalogue.
  // Throws std::length_error when the disk or the catalogue is full.
  // `bloques` names the blocks to use instead, in order: any block whose
  // sectors the image has, past the file system's last one too.
  DiscoCpm &Agregar(const ArchivoCpm &archivo, const std::vector<int> &bloques = {});
  DiscoCpm &FijarEntrada(int ranura, const Entrada &entrada);
  // The catalogue entry in that slot, as Bytes() writes it.
  [[nodiscard]] const Entrada &EntradaEn(int ranura) const;
  DiscoCpm &EscribirBloque(int bloque, const std::vector<std::uint8_t> &datos);
  // The 16-byte +3/PCW disk description at the start of sector 1 of track 0.
  DiscoCpm &Descripcion(const std::array<std::uint8_t, 16> &descripcion);

  // Oddities; the ones marked need the extended layout (else std::logic_error).
  DiscoCpm &SinFormato(int pista, int cara);                         // extended
  DiscoCpm &Debil(int pista, int cara, std::uint8_t id, int copias); // extended
  DiscoCpm &QuitarSector(int pista, int cara, std::uint8_t id);
  DiscoCpm &CodigoTamano(int pista, int cara, std::uint8_t id, std::uint8_t n); // ID's N only
  DiscoCpm &SectorExtra(int pista, int cara, std::uint8_t id); // a blank sector more
  DiscoCpm &Estado(int pista, int cara, std::uint8_t id, std::uint8_t st1, std::uint8_t st2);
  // A track laid out by hand, as copy protections lay theirs: its sectors
  // exactly as given, no file system written over them (extended).
  DiscoCpm &PistaHecha(int pista, int cara, const std::vector<SectorHecho> &sectores);

  // Whether the track has a sector of that ID (QuitarSector may have removed it).
  [[nodiscard]] bool TieneSector(int pista, int cara, std::uint8_t id) const;

  // The blocks the last Agregar used, in order.
  [[nodiscard]] const std::vector<int> &UltimosBloques() const { return ultimos_; }
  // Track, side and ID of the first sector of a block.
  struct Lugar {
    int pista;
    int cara;
    std::uint8_t id;
  };
  [[nodiscard]] Lugar UbicarBloque(int bloque) const;
  [[nodiscard]] int Bloques() const;    // blocks of the file system
  [[nodiscard]] bool Bloques16() const; // 16-bit block numbers

  [[nodiscard]] std::vector<std::uint8_t> Bytes() const;

  // Every side of every track as Bytes() writes it (index pista * caras +
  // cara), each sector with its copies' final bytes, for the flux writer.
  struct SectorFinal {
    std::uint8_t c = 0, h = 0, r = 0, n = 0, st1 = 0, st2 = 0;
    std::vector<std::vector<std::uint8_t>> copias;
  };
  struct PistaFinal {
    bool formateada = true;
    std::vector<SectorFinal> sectores;
  };
  [[nodiscard]] std::vector<PistaFinal> Pistas() const;
  [[nodiscard]] int PistasImagen() const { return pistasImagen_; }
  [[nodiscard]] int CarasImagen() const { return carasImagen_; }

private:
  struct SectorGen {
    std::uint8_t c = 0, h = 0, r = 0, n = 2, st1 = 0, st2 = 0;
    int copias = 1;
    std::vector<std::uint8_t> datos;
  };
  struct PistaGen {
    bool formateada = true;
    bool aMano = false; // PistaHecha's: the catalogue is not written over it
    std::vector<SectorGen> sectores;
  };
  PistaGen &Pista(int pista, int cara);
  SectorGen &Sector(int pista, int cara, std::uint8_t id);
  [[nodiscard]] Lugar UbicarSector(long long sectorDatos) const;
  void EscribirLogico(long long byte, const std::uint8_t *datos, std::size_t largo);
  // Where Bytes() put a sector's first copy, and how it is stored.
  struct Puesto {
    std::size_t pista; // index in pistas_
    std::uint8_t r;
    std::size_t inicio, largo;
    int copias;
  };
  void EscribirEnImagen(std::vector<std::uint8_t> &img, const std::vector<Puesto> &puestos,
                        const std::vector<std::uint8_t> &bytes) const;
  std::vector<std::uint8_t> Bytes(std::vector<Puesto> *dondeFueron) const;
  int SiguienteBloque(const std::vector<int> &elegidos); // marks it used
  void ExigirExtendida() const;

  Geometria g_;
  Disposicion disposicion_;
  int pistasImagen_;
  int carasImagen_;
  std::array<std::uint8_t, 34> firma_{};
  std::array<std::uint8_t, 14> creador_{};
  std::uint8_t tasa_ = 0, modo_ = 0, gap_ = 0x4E;
  std::vector<PistaGen> pistas_; // index pista * carasImagen + cara
  std::vector<Entrada> catalogo_;
  std::vector<bool> ocupada_;
  std::vector<bool> bloqueUsado_;
  std::vector<int> ultimos_;
};

// A valid 128-byte AMSDOS header (checksum set) for a file of `longitud` bytes.
std::vector<std::uint8_t> CabeceraAmsdos(std::string_view nombre11, std::uint8_t tipo,
                                         std::uint16_t carga, std::uint16_t entrada,
                                         std::uint32_t longitud);

// Reproducible bytes of any length, different for each `semilla`.
std::vector<std::uint8_t> ContenidoPrueba(std::size_t largo, std::uint8_t semilla);

// A disk for each copy-protection scheme we know of, made by hand from the
// published descriptions of how each shows on an image: every shape and
// signature, the incomplete dumps (a weak sector stored once, an OperaSoft
// 32K sector without data, the Titus mastering error), their completed
// forms, and the look-alikes that no scheme may claim (demo formats, worn
// media, a work disk's odd sectors).
struct CasoProteccion {
  std::string nombre; // also its file name: "speedlock-incompleto.dsk"
  std::string que;    // what it is, in a few words
  std::vector<std::uint8_t> bytes;
};
std::vector<CasoProteccion> CasosProteccion();
// The case of that name; throws std::out_of_range when there is none.
CasoProteccion CasoProteccionPorNombre(std::string_view nombre);

// A disk with one kind of damage, for the check and the repair: each kind the
// reader names, in the container or in the catalogue, on a DATA disk whose
// other files stay whole.
struct CasoDanado {
  std::string nombre; // also its file name: "tramo-repetido.dsk"
  std::string que;    // what is wrong, in a few words
  // The stable codes of the problems a reading must find ("tramo-repetido").
  std::vector<std::string> codigos;
  // The codes a repair must leave no problem of; the others it must leave.
  std::vector<std::string> reparados;
  // The files ("0:GAME.BIN") the damage leaves whole, and their bytes.
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> intactos;
  std::vector<std::uint8_t> bytes;
};
std::vector<CasoDanado> CasosDanados();
// Writes every damaged disk into `carpeta`, named after its case.
void GenerarDanados(const std::filesystem::path &carpeta);

// Writes seed images for the exact reader's fuzzer into `carpeta`: every format
// and the hard cases, each a few KB to 200 KB.
void GenerarSemillasCpm(const std::filesystem::path &carpeta);

} // namespace Generador
