#include "cpm/Formatos.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstdio>

namespace cpm {

using imagenes::BuscarPista;
using imagenes::BuscarSector;
using imagenes::Contenedor;
using imagenes::Pista;
using imagenes::Sector;
using imagenes::TipoProblema;
namespace {

constexpr Formato Fila(std::string_view nombre, std::string_view descripcion, std::uint8_t primer,
                       int sectores, int pistas, int caras, int reservadas, int bloque,
                       int entradas, bool cpm3) {
  Formato f;
  f.nombre = nombre;
  f.descripcion = descripcion;
  f.primerSector = primer;
  f.sectoresPorPista = sectores;
  f.pistas = pistas;
  f.caras = caras;
  f.reservadas = reservadas;
  f.tamanoBloque = bloque;
  f.entradas = entradas;
  f.bytesCpm3 = cpm3;
  f.bloques = ((pistas * caras - reservadas) * sectores * f.tamanoSector) / bloque;
  return f;
}

// Detection takes the first row whose lowest sector ID matches; the rows after
// the first of an ID are only chosen by name or by a disk description.
constexpr std::array Tabla{
    // The CPC's DATA format (AMSDOS "data only"): the usual game and data disk.
    // 42- and 80-track CPC disks with these IDs are read the same, on side 0.
    Fila("data", "CPC DATA: sectores C1..C9, sin pistas reservadas", 0xC1, 9, 40, 1, 0, 1024, 64,
         false),
    // The CPC's SYSTEM ("vendor") format: CP/M boots from its two reserved tracks.
    Fila("system", "CPC SYSTEM: sectores 41..49, dos pistas reservadas", 0x41, 9, 40, 1, 2, 1024,
         64, false),
    // The +3 and the PCW 8256's single-sided CF2 disk, without or
    // with the disk description in its first sector.
    Fila("plus3", "+3 / PCW CF2: sectores 01..09, una pista reservada", 0x01, 9, 40, 1, 1, 1024, 64,
         true),
    // The CPC's CP/M IBM format: 8 sectors of 512 bytes, as on a PC's 160 KB disk.
    Fila("ibm", "CPC IBM: sectores 01..08, una pista reservada", 0x01, 8, 40, 1, 1, 1024, 64,
         false),
    // The PCW 8512/9512's double-sided 720 KB CF2DD disk (B: drive).
    Fila("pcw720", "PCW CF2DD: 80 pistas, dos caras, sectores 01..09, bloques de 2 KB", 0x01, 9, 80,
         2, 1, 2048, 256, true),
    // ROMDOS's (and RAMDOS's) 3.5-inch disks, the CPC's usual second drive:
    // 80 tracks on both sides, taken in turn (cylinder by cylinder), no
    // reserved track, 2 KB blocks; told apart by their first sector ID. D2 is
    // the 9-sector disk with 256 entries (712K free), D10 and D20 the 10-sector
    // ones with 128 and 256 (796K and 792K). D1's IDs are the +3's, so it is
    // left out: an 80-track +3 disk without a description would read as it.
    Fila("romdos-d2", "ROMDOS D2: 80 pistas, dos caras, sectores 21..29, bloques de 2 KB", 0x21, 9,
         80, 2, 0, 2048, 256, false),
    Fila("romdos-d10", "ROMDOS D10: 80 pistas, dos caras, sectores 11..1A, bloques de 2 KB", 0x11,
         10, 80, 2, 0, 2048, 128, false),
    Fila("romdos-d20", "ROMDOS D20: 80 pistas, dos caras, sectores 31..3A, bloques de 2 KB", 0x31,
         10, 80, 2, 0, 2048, 256, false),
};

// Other names for rows of the table.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> Alias{{
    {"pcw", "plus3"},
    {"vendor", "system"},
    {"cf2dd", "pcw720"},
}};

bool IgualSinCaso(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The 16-byte disk description of +3 and PCW disks, in sector 1 of track 0.
constexpr std::size_t LargoDescripcion = 16;
enum PosEsp : std::size_t {
  EspTipo = 0,
  EspCaras = 1,
  EspPistas = 2,
  EspSectores = 3,
  EspTamano = 4,
  EspReservadas = 5,
  EspBloque = 6,
  EspCatalogo = 7,
};

std::optional<Formato> DesdeDescripcion(std::span<const std::uint8_t> e, std::string &motivo) {
  const int tipo = e[EspTipo];
  const int caras = (e[EspCaras] & 0x03) == 0 ? 1 : 2;
  const int modoCaras = e[EspCaras] & 0x03;
  const int pistas = e[EspPistas];
  const int sectores = e[EspSectores];
  const int codigo = e[EspTamano];
  const int reservadas = e[EspReservadas];
  const int codigoBloque = e[EspBloque];
  const int bloquesCatalogo = e[EspCatalogo];
  if (tipo > 3 || modoCaras == 3 || pistas == 0 || pistas > 100 || sectores == 0 || sectores > 20 ||
      codigo > 5 || codigoBloque < 3 || codigoBloque > 7 || bloquesCatalogo == 0 ||
      bloquesCatalogo > 16 || reservadas >= pistas * caras) {
    motivo = "la descripción del disco no es coherente";
    return std::nullopt;
  }
  Formato f = Tabla[2];
  f.descripcion = "+3 / PCW según la descripción de su primer sector";
  f.caras = caras;
  f.orden = modoCaras == 2 ? OrdenCaras::Sucesivas : OrdenCaras::Alternas;
  f.pistas = pistas;
  f.sectoresPorPista = sectores;
  f.tamanoSector = 128 << codigo;
  f.reservadas = reservadas;
  f.tamanoBloque = 128 << codigoBloque;
  f.bloques = static_cast<int>(
      (static_cast<long long>(pistas * caras - reservadas) * sectores * f.tamanoSector) /
      f.tamanoBloque);
  f.entradas = bloquesCatalogo * f.tamanoBloque / 32;
  if (f.bloques <= bloquesCatalogo) {
    motivo = "la descripción del disco no deja bloques para archivos";
    return std::nullopt;
  }
  return f;
}

int IdMinimo(const Pista &p) {
  int minimo = 256;
  for (const Sector &s : p.sectores) {
    minimo = std::min<int>(minimo, s.r);
  }
  return minimo;
}

} // namespace

int Formato::CodigoTamano() const {
  return tamanoSector >= 128 ? std::bit_width(static_cast<unsigned>(tamanoSector)) - 8 : 0;
}

int Formato::BloquesCatalogo() const { return (entradas * 32 + tamanoBloque - 1) / tamanoBloque; }

bool Formato::Bloques16() const { return bloques > 256; }

int Formato::MascaraExtension() const {
  const int k = tamanoBloque / (Bloques16() ? 2048 : 1024);
  return std::max(k, 1) - 1;
}

std::span<const Formato> TablaFormatos() { return Tabla; }

bool DescribeSuGeometria(const Formato &formato) {
  return formato.nombre == "plus3" || formato.nombre == "pcw720";
}

bool UsaLaGeometria(const Formato &formato, int pistas, int caras) {
  return DescribeSuGeometria(formato) ||
         ((pistas == 0 ? formato.pistas : pistas) <= formato.pistas &&
          (caras == 0 ? formato.caras : caras) <= formato.caras);
}

std::vector<std::string_view> FormatosDeGeometria(int pistas, int caras) {
  std::vector<std::string_view> nombres;
  for (const Formato &f : Tabla) {
    if (f.pistas == pistas && f.caras == caras) {
      nombres.push_back(f.nombre);
    }
  }
  return nombres;
}

std::vector<std::string_view> NombresFormatos() {
  std::vector<std::string_view> nombres;
  for (const Formato &f : Tabla) {
    nombres.push_back(f.nombre);
  }
  for (const auto &[alias, nombre] : Alias) {
    nombres.push_back(alias);
  }
  return nombres;
}

std::optional<Formato> FormatoPorNombre(std::string_view nombre) {
  for (const auto &[alias, real] : Alias) {
    if (IgualSinCaso(alias, nombre)) {
      nombre = real;
    }
  }
  for (const Formato &f : Tabla) {
    if (IgualSinCaso(f.nombre, nombre)) {
      return f;
    }
  }
  return std::nullopt;
}

Deteccion DetectarFormato(const Contenedor &disco) {
  Deteccion d;
  const Pista *p = BuscarPista(disco, 0, 0);
  if (p == nullptr || p->sectores.empty()) {
    d.motivo = "la primera pista no tiene sectores";
    d.problemas.push_back({TipoProblema::FormatoDesconocido,
                           "No se puede saber el formato: " + d.motivo,
                           {0, 0, -1, -1, -1, -1}});
    return d;
  }
  const int minimo = IdMinimo(*p);
  if (minimo == 0xC1) {
    d.formato = Tabla[0];
    // Ten-sector tracks (C1..CA): AMSDOS reads them as nine-sector DATA.
    d.motivo = BuscarSector(disco, 0, 0, 0xCA) != nullptr
                   ? "sectores C1..CA: se leen como DATA, como hace AMSDOS"
                   : "sectores C1..C9";
    return d;
  }
  if (minimo == 0x01) {
    const Sector *s = BuscarSector(disco, 0, 0, 0x01);
    std::string porQue;
    if (s != nullptr && s->datos.size() >= LargoDescripcion && s->datos[0] != 0xE5) {
      if (auto f = DesdeDescripcion(s->datos.first(LargoDescripcion), porQue)) {
        d.formato = f;
        d.motivo = "sectores desde 01, con la descripción del disco";
        return d;
      }
      d.problemas.push_back({TipoProblema::DescripcionInvalida,
                             "No se usa la descripción del disco: " + porQue,
                             {0, 0, 1, -1, -1, static_cast<long long>(s->desplazamiento)}});
    }
    if (p->sectores.size() == 8 && BuscarSector(disco, 0, 0, 0x09) == nullptr) {
      d.formato = Tabla[3];
      d.motivo = "ocho sectores 01..08: formato IBM del CPC";
    } else {
      d.formato = Tabla[2];
      d.motivo = "sectores desde 01, sin descripción: valores del +3";
    }
    return d;
  }
  for (const Formato &f : Tabla) {
    if (f.primerSector == minimo) {
      char ids[32];
      std::snprintf(ids, sizeof ids, "sectores %02X..%02X", f.primerSector,
                    f.primerSector + f.sectoresPorPista - 1);
      d.formato = f;
      d.motivo = ids;
      return d;
    }
  }
  d.motivo = "la primera pista empieza por el sector " + std::to_string(minimo) +
             ", que no es de ningún formato conocido";
  d.problemas.push_back({TipoProblema::FormatoDesconocido,
                         "No se puede saber el formato: " + d.motivo,
                         {0, 0, -1, -1, -1, -1}});
  return d;
}

Ubicacion UbicarSector(const Formato &formato, long long indice) {
  const int porPista = std::max(formato.sectoresPorPista, 1);
  const int caras = std::max(formato.caras, 1);
  // Every real disk's sector count fits an int; 32-bit division is the fast one.
  const auto i = static_cast<unsigned>(std::clamp<long long>(indice, 0, 0x7FFFFFFF));
  const unsigned logica = i / static_cast<unsigned>(porPista);
  Ubicacion u;
  u.id = static_cast<std::uint8_t>(formato.primerSector + i % static_cast<unsigned>(porPista));
  if (caras == 1) {
    u.pista = static_cast<int>(logica);
  } else if (formato.orden == OrdenCaras::Alternas) {
    u.pista = static_cast<int>(logica / static_cast<unsigned>(caras));
    u.cara = static_cast<int>(logica % static_cast<unsigned>(caras));
  } else {
    const auto pistas = static_cast<unsigned>(std::max(formato.pistas, 1));
    u.pista = static_cast<int>(logica % pistas);
    u.cara = static_cast<int>(logica / pistas);
  }
  return u;
}

} // namespace cpm
