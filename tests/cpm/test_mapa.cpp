// The disk's map as rows: each sector of a SYSTEM disk with a file, damage and
// protections on it, and what the map makes of it (and which file it names).
#include "Ayuda.h"
#include "cpm/Mapa.h"

#include <gtest/gtest.h>

namespace {

using cpm::ClaseSector;

struct CasoMapa {
  int pista;
  std::uint8_t id;
  ClaseSector clase;
  const char *archivo; // the file it names, or nullptr
  int bloque;
  std::size_t guardados;
};

// SYSTEM: tracks 0 and 1 reserved, the catalogue in blocks 0 and 1 (track 2,
// sectors &41 to &44), GAME.BIN in blocks 2 to 6 (&45 on track 2 to &45 on
// track 3).
std::vector<std::uint8_t> Imagen() {
  Generador::DiscoCpm d(Generador::GeometriaSystem(), Generador::Disposicion::Extendida);
  d.Agregar({0, "GAME", "BIN", false, false, false, Datos(5000, 1), {}, 0})
      .Estado(3, 0, 0x44, 0x20, 0x20) // GAME.BIN's last block, read with an error
      .Estado(4, 0, 0x41, 0, 0x40)    // a free sector with a deleted data mark
      .Debil(5, 0, 0x42, 3)
      .CodigoTamano(6, 0, 0x43, 3); // not the format's size: not its sector
  return d.Bytes();
}

TEST(Mapa, CadaSectorEsLoQueGuarda) {
  const Leido l(Imagen());
  const cpm::MapaDisco m = cpm::Mapear(l.disco);
  ASSERT_EQ(m.pistas, 40);
  ASSERT_EQ(m.caras, 1);
  ASSERT_EQ(m.lista.size(), 40u);
  const std::vector<CasoMapa> filas{
      {0, 0x41, ClaseSector::Sistema, nullptr, -1, 512},
      {1, 0x49, ClaseSector::Sistema, nullptr, -1, 512},
      {2, 0x41, ClaseSector::Catalogo, nullptr, 0, 512},
      {2, 0x44, ClaseSector::Catalogo, nullptr, 1, 512},
      {2, 0x45, ClaseSector::Archivo, "GAME.BIN", 2, 512},
      {3, 0x43, ClaseSector::Archivo, "GAME.BIN", 5, 512},
      {3, 0x44, ClaseSector::Error, "GAME.BIN", 6, 512},
      {3, 0x45, ClaseSector::Archivo, "GAME.BIN", 6, 512},
      {3, 0x46, ClaseSector::Libre, nullptr, 7, 512},
      {4, 0x41, ClaseSector::Borrado, nullptr, 9, 512},
      {5, 0x42, ClaseSector::Debil, nullptr, 14, 1536},
      {6, 0x43, ClaseSector::Ajeno, nullptr, -1, 512},
      {39, 0x49, ClaseSector::Libre, nullptr, 170, 512},
  };
  for (const CasoMapa &f : filas) {
    const cpm::PistaMapa &p = m.lista.at(static_cast<std::size_t>(f.pista));
    ASSERT_EQ(p.pista, f.pista);
    EXPECT_TRUE(p.formateada);
    const auto s = std::find_if(p.sectores.begin(), p.sectores.end(),
                                [&](const cpm::SectorMapa &x) { return x.id == f.id; });
    ASSERT_NE(s, p.sectores.end()) << f.pista << " " << int(f.id);
    const std::string donde = std::to_string(f.pista) + "/" + std::to_string(f.id);
    EXPECT_EQ(s->clase, f.clase) << donde;
    EXPECT_EQ(s->bloque, f.bloque) << donde;
    EXPECT_EQ(s->guardados, f.guardados) << donde;
    if (f.archivo == nullptr) {
      EXPECT_EQ(s->archivo, -1) << donde;
    } else {
      ASSERT_GE(s->archivo, 0) << donde;
      EXPECT_EQ(l.disco.catalogo.archivos[static_cast<std::size_t>(s->archivo)].NombreCompleto(),
                f.archivo)
          << donde;
    }
  }
}

// A track without format has no sectors; a disk without a format has only
// what the sectors' status says.
TEST(Mapa, SinFormato) {
  Generador::DiscoCpm d(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  d.SinFormato(7, 0).Estado(8, 0, 0xC1, 0x20, 0x20);
  const Leido l(d.Bytes());
  const cpm::MapaDisco m = cpm::Mapear(l.disco);
  EXPECT_FALSE(m.lista.at(7).formateada);
  EXPECT_TRUE(m.lista.at(7).sectores.empty());

  cpm::Disco disco = l.disco;
  disco.formato.reset();
  const cpm::MapaDisco n = cpm::Mapear(disco);
  EXPECT_EQ(n.lista.at(0).sectores.at(0).clase, ClaseSector::Ajeno);
  EXPECT_EQ(n.lista.at(8).sectores.at(0).clase, ClaseSector::Error);
}

} // namespace
