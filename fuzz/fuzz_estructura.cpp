// Disks built by the generator from the fuzzer's bytes: format, layout, extra
// tracks, interleave, files (users, names, attributes, sizes, AMSDOS headers,
// deleted ones, catalogue slots) and damage. Reading them back, every file the
// damage left alone must come out byte for byte, with the attributes, size and
// length it was given; everything else must only be read without a crash.
#include "Generador.h"
#include "Revision.h"
#include "cli/Listado.h"
#include "cpm/Borrados.h"
#include "ver/Basic.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <span>
#include <stdexcept>

namespace {

using revision::Comprobar;

// Takes the fuzzer's bytes one decision at a time. Once they run out, a
// generator seeded by them goes on, so that short inputs (libFuzzer starts
// with a few bytes) still build whole disks.
class Lector {
public:
  explicit Lector(std::span<const std::uint8_t> b) : b_(b) {
    for (const std::uint8_t x : b) {
      estado_ = (estado_ ^ x) * 0x100000001B3ULL;
    }
  }
  std::uint8_t Byte() {
    if (i_ < b_.size()) {
      return b_[i_++];
    }
    estado_ ^= estado_ << 13;
    estado_ ^= estado_ >> 7;
    estado_ ^= estado_ << 17;
    return static_cast<std::uint8_t>(estado_ >> 32);
  }
  int Hasta(int n) { return n <= 0 ? 0 : static_cast<int>(Palabra() % static_cast<unsigned>(n)); }
  bool Si() { return (Byte() & 1) != 0; }
  unsigned Palabra() { return Byte() | (static_cast<unsigned>(Byte()) << 8); }

private:
  std::span<const std::uint8_t> b_;
  std::size_t i_ = 0;
  std::uint64_t estado_ = 0xCBF29CE484222325ULL;
};

struct Modelo {
  Generador::ArchivoCpm archivo;
  std::vector<int> bloques;
  std::size_t entradas = 0;
  bool entero = true; // false: the disk or catalogue filled up while writing it
};

struct Plan {
  Generador::Geometria g;
  std::string formato; // the name detection must give
  bool descripcion = false;
};

Plan ElegirFormato(Lector &l) {
  Plan p;
  // The 720 KB disk is the slowest to build: one time in eight.
  switch (l.Hasta(8)) {
  case 1: p.g = Generador::GeometriaSystem(), p.formato = "system"; break;
  case 2: p.g = Generador::GeometriaPlus3(), p.formato = "plus3"; break;
  case 3: p.g = Generador::GeometriaIbm(), p.formato = "ibm"; break;
  case 4:
    // A PCW 720 KB disk told by its description: two sides, 2 KB blocks.
    p.g = Generador::GeometriaPlus3();
    p.g.pistas = 80;
    p.g.caras = 2;
    p.g.sucesivas = l.Si();
    p.g.tamanoBloque = 2048;
    p.g.entradas = 256;
    p.formato = "plus3";
    p.descripcion = true;
    break;
  default: p.g = Generador::GeometriaData(), p.formato = "data"; break;
  }
  return p;
}

std::string Nombre(Lector &l, int maximo) {
  static constexpr std::string_view Letras = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_";
  std::string s;
  const int largo = l.Hasta(maximo + 1);
  for (int i = 0; i < largo; ++i) {
    s += Letras[static_cast<std::size_t>(l.Hasta(static_cast<int>(Letras.size())))];
  }
  return s;
}

// A file's contents: test bytes, sometimes behind an AMSDOS header whose
// length may say more or less than follows it.
std::vector<std::uint8_t> Contenido(Lector &l, std::size_t largo) {
  std::vector<std::uint8_t> datos = Generador::ContenidoPrueba(largo, l.Byte());
  if (largo >= cpm::TamanoCabeceraAmsdos && l.Si()) {
    const auto cuerpo = static_cast<std::uint32_t>(largo - 128);
    const std::uint32_t dice = l.Si() ? cuerpo : l.Palabra();
    const auto cab =
        Generador::CabeceraAmsdos("F       BIN", static_cast<std::uint8_t>(l.Hasta(4) * 2),
                                  static_cast<std::uint16_t>(l.Palabra()), 0, dice);
    std::copy(cab.begin(), cab.end(), datos.begin());
  }
  return datos;
}

// The tracks a block's sectors lie on (single-sided formats).
std::vector<int> PistasDeBloque(const Generador::Geometria &g, int bloque) {
  const long long porBloque = g.tamanoBloque / g.tamanoSector;
  const long long primero = static_cast<long long>(g.reservadas) * g.sectores + bloque * porBloque;
  return {static_cast<int>(primero / g.sectores),
          static_cast<int>((primero + porBloque - 1) / g.sectores)};
}

const cpm::Archivo *Encontrar(const std::vector<cpm::Archivo> &archivos, std::uint8_t usuario,
                              const Generador::ArchivoCpm &m) {
  const std::string nombre = m.ext.empty() ? m.nombre : m.nombre + "." + m.ext;
  for (const cpm::Archivo &a : archivos) {
    if (a.usuario == usuario && a.NombreCompleto() == nombre) {
      return &a;
    }
  }
  return nullptr;
}

// A file the damage left alone reads back as it was written.
void ComprobarIntacto(const cpm::Disco &d, const cpm::Archivo *a, const Modelo &m, bool cpm3) {
  Comprobar(a != nullptr);
  const auto &datos = m.archivo.datos;
  Comprobar(a->completo);
  Comprobar(a->soloLectura == m.archivo.soloLectura && a->sistema == m.archivo.sistema &&
            a->archivado == m.archivo.archivado);
  const std::uint64_t registros = (datos.size() + 127) / 128 * 128;
  Comprobar(a->tamano == (cpm3 ? datos.size() : registros));
  const cpm::Extraido crudo = cpm::ExtraerArchivo(d, *a, cpm::ModoExtraccion::Crudo);
  Comprobar(crudo.completo && crudo.problemas.empty());
  Comprobar(crudo.bytes.size() == a->tamano);
  Comprobar(std::equal(datos.begin(), datos.end(), crudo.bytes.begin()));
  Comprobar(std::all_of(crudo.bytes.begin() + static_cast<std::ptrdiff_t>(datos.size()),
                        crudo.bytes.end(), [](std::uint8_t b) { return b == 0xE5; }));
  // With a header, its length, within the records after it; else every byte.
  const auto cab = cpm::LeerCabeceraAmsdos(datos);
  Comprobar(cab.has_value() == a->cabecera.has_value());
  const std::uint64_t longitud =
      cab ? std::min<std::uint64_t>(cab->longitud, a->tamano - 128) : a->tamano;
  Comprobar(a->longitud == longitud);
  if (cab) {
    const cpm::Extraido sin = cpm::ExtraerArchivo(d, *a, cpm::ModoExtraccion::Archivo);
    Comprobar(sin.bytes.size() == longitud);
    Comprobar(std::equal(sin.bytes.begin(), sin.bytes.end(), crudo.bytes.begin() + 128));
    if (cab->tipo == cpm::TipoAmsdos::Basic) {
      (void)Ver::ListarBasic(sin.bytes);
    }
  }
}

// Files, until the plan or the disk runs out.
std::vector<Modelo> AgregarArchivos(Lector &l, const Plan &plan, Generador::DiscoCpm &disco) {
  const bool cpm3 = plan.formato == "plus3";
  const std::size_t porEntrada =
      static_cast<std::size_t>(disco.Bloques16() ? 8 : 16) * plan.g.tamanoBloque;
  std::vector<Modelo> modelos;
  // Either every file chooses its catalogue slots, among the free ones, or
  // none does and each takes the first free ones.
  const bool elegirRanuras = l.Si();
  std::set<int> ranurasUsadas;
  const int archivos = l.Hasta(12);
  for (int k = 0; k < archivos; ++k) {
    Modelo m;
    auto &a = m.archivo;
    a.usuario = l.Hasta(8) == 0 ? 0xE5 : static_cast<std::uint8_t>(l.Hasta(16));
    a.nombre = Nombre(l, 8);
    if (a.nombre.empty()) {
      a.nombre = "X";
    }
    a.ext = Nombre(l, 3);
    a.soloLectura = l.Si();
    a.sistema = l.Si();
    a.archivado = l.Si();
    const std::size_t tamano = static_cast<std::size_t>(l.Palabra()) % (l.Si() ? 70000 : 3000);
    a.datos = Contenido(l, tamano);
    a.bytesUltimo = cpm3 ? static_cast<int>(tamano % 128) : 0;
    m.entradas = std::max<std::size_t>(1, (tamano + porEntrada - 1) / porEntrada);
    if (elegirRanuras) {
      if (ranurasUsadas.size() + m.entradas > static_cast<std::size_t>(plan.g.entradas)) {
        break;
      }
      for (std::size_t e = 0; e < m.entradas; ++e) {
        int libre = l.Hasta(plan.g.entradas);
        while (ranurasUsadas.count(libre) != 0) {
          libre = (libre + 1) % plan.g.entradas;
        }
        a.ranuras.push_back(libre);
        ranurasUsadas.insert(libre);
      }
    }
    try {
      disco.Agregar(a);
    } catch (const std::length_error &) {
      m.entero = false; // the disk or the catalogue is full: some entries may be written
    }
    m.bloques = disco.UltimosBloques();
    modelos.push_back(std::move(m));
    if (!modelos.back().entero) {
      break;
    }
  }
  return modelos;
}

struct Roturas {
  std::set<int> pistas;  // tracks of side 0 damaged
  bool catalogo = false; // raw entries written over the catalogue
};

Roturas Romper(Lector &l, const Plan &plan, Generador::DiscoCpm &disco, int pistasImagen,
               bool extendida) {
  Roturas roto;
  // Damage to whole tracks of single-sided disks; the files on other tracks
  // stay intact. The catalogue's tracks are spared for the intact checks.
  const int danos = plan.g.caras == 1 ? l.Hasta(4) : 0;
  for (int k = 0; k < danos; ++k) {
    const int pista = l.Hasta(pistasImagen);
    const auto id = static_cast<std::uint8_t>(plan.g.primerSector + l.Hasta(plan.g.sectores));
    // A sector removed by an earlier damage has nothing left to change.
    const bool hay = disco.TieneSector(pista, 0, id);
    switch (l.Hasta(extendida ? 6 : 4)) {
    case 0: disco.QuitarSector(pista, 0, id); break;
    case 1:
      if (hay) {
        disco.CodigoTamano(pista, 0, id, static_cast<std::uint8_t>(l.Hasta(8)));
      }
      break;
    case 2: disco.SectorExtra(pista, 0, static_cast<std::uint8_t>(l.Byte())); break;
    case 3:
      if (hay) {
        disco.Estado(pista, 0, id, l.Byte(), l.Byte());
      }
      break;
    case 4:
      if (hay) {
        disco.Debil(pista, 0, id, 2 + l.Hasta(3));
      }
      break;
    default: disco.SinFormato(pista, 0); break;
    }
    roto.pistas.insert(pista);
  }
  // Raw catalogue entries over any slot: odd users and names, blocks anywhere.
  roto.catalogo = l.Hasta(4) == 0;
  for (int k = roto.catalogo ? 1 + l.Hasta(3) : 0; k > 0; --k) {
    Generador::Entrada e{};
    for (std::uint8_t &b : e) {
      b = l.Byte();
    }
    disco.FijarEntrada(l.Hasta(plan.g.entradas), e);
  }
  return roto;
}

// Every file the damage left alone, when the catalogue and track 0 are whole.
void ComprobarModelos(const cpm::Disco &d, const Plan &plan, const std::vector<Modelo> &modelos,
                      const Roturas &roto) {
  const int bloquesCatalogo =
      (plan.g.entradas * 32 + plan.g.tamanoBloque - 1) / plan.g.tamanoBloque;
  bool catalogoSano = true;
  for (int b = 0; b < bloquesCatalogo; ++b) {
    for (const int p : PistasDeBloque(plan.g, b)) {
      catalogoSano = catalogoSano && roto.pistas.count(p) == 0;
    }
  }
  // Track 0 tells the format; damage there may change what is detected.
  if (!catalogoSano || roto.pistas.count(0) != 0 || roto.catalogo) {
    return;
  }
  Comprobar(d.formato.has_value() && d.formato->nombre == plan.formato);
  // Names given twice make one file of both; those are not checked.
  const auto clave = [](const Modelo &m) {
    const bool borrado = m.archivo.usuario == 0xE5;
    return (borrado ? "-" : std::to_string(m.archivo.usuario)) + m.archivo.nombre + "." +
           m.archivo.ext;
  };
  std::multiset<std::string> nombres;
  for (const Modelo &m : modelos) {
    nombres.insert(clave(m));
  }
  for (const Modelo &m : modelos) {
    const bool borrado = m.archivo.usuario == 0xE5;
    bool sano = m.entero && nombres.count(clave(m)) == 1;
    for (const int b : m.bloques) {
      for (const int p : PistasDeBloque(plan.g, b)) {
        sano = sano && (roto.pistas.count(p) == 0 || plan.g.caras != 1);
      }
    }
    if (!sano) {
      continue;
    }
    if (borrado) {
      const cpm::Archivo *a = Encontrar(d.catalogo.archivosBorrados, 0, m.archivo);
      ComprobarIntacto(d, a, m, plan.formato == "plus3");
      // The generator never gives a deleted file's blocks to another file.
      Comprobar(cpm::MotivoIrrecuperable(d, *a).empty());
    } else {
      ComprobarIntacto(d, Encontrar(d.catalogo.archivos, m.archivo.usuario, m.archivo), m,
                       plan.formato == "plus3");
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t largo) {
  Lector l({bytes, largo});
  const Plan plan = ElegirFormato(l);
  const bool extendida = l.Si();
  const int pistasImagen = plan.g.pistas + (plan.g.caras == 1 ? l.Hasta(3) : 0);
  Generador::DiscoCpm disco(
      plan.g, extendida ? Generador::Disposicion::Extendida : Generador::Disposicion::Estandar,
      pistasImagen);
  if (plan.descripcion) {
    disco.Descripcion(
        {3, static_cast<std::uint8_t>(plan.g.sucesivas ? 2 : 1), 80, 9, 2, 1, 4, 4, 0x2A, 0x52});
  }
  if (l.Si()) {
    std::vector<int> orden(static_cast<std::size_t>(plan.g.sectores));
    for (std::size_t i = 0; i < orden.size(); ++i) {
      orden[i] = static_cast<int>(i);
    }
    for (std::size_t i = orden.size() - 1; i > 0; --i) {
      std::swap(orden[i], orden[static_cast<std::size_t>(l.Hasta(static_cast<int>(i) + 1))]);
    }
    disco.Intercalado(orden);
  }

  const std::vector<Modelo> modelos = AgregarArchivos(l, plan, disco);
  const Roturas roto = Romper(l, plan, disco, pistasImagen, extendida);

  const std::vector<std::uint8_t> imagen = disco.Bytes();
  const cpm::Disco d = cpm::LeerDisco(imagen);
  revision::Revisar(d);
  // Read again with a format forced by name, fitting or not.
  const auto formatos = cpm::NombresFormatos();
  revision::Revisar(cpm::LeerDisco(
      imagen,
      {std::string(
          formatos[static_cast<std::size_t>(l.Hasta(static_cast<int>(formatos.size())))])}));
  (void)Cli::TextoInfo(d);
  (void)Cli::TextoLs(d, {true, true, true});
  for (const cpm::Archivo &b : d.catalogo.archivosBorrados) {
    (void)cpm::MotivoIrrecuperable(d, b);
    (void)cpm::ExtraerArchivo(d, b, cpm::ModoExtraccion::Crudo);
  }

  ComprobarModelos(d, plan, modelos, roto);
  return 0;
}
