// The catalogue: files keyed by user and name, extents in order, attributes,
// deleted and odd entries, and the damage a catalogue can carry.
#include "Ayuda.h"
#include "cpm/Borrados.h"

#include <gtest/gtest.h>

namespace {

using cpm::ModoExtraccion;
using Generador::ArchivoCpm;
using Generador::CrearEntrada;
using Generador::DiscoCpm;
using Generador::Disposicion;
using imagenes::TipoProblema;

ArchivoCpm Archivo(std::uint8_t usuario, const char *nombre, const char *ext,
                   std::vector<std::uint8_t> datos, std::vector<int> ranuras = {}) {
  ArchivoCpm a;
  a.usuario = usuario;
  a.nombre = nombre;
  a.ext = ext;
  a.datos = std::move(datos);
  a.ranuras = std::move(ranuras);
  return a;
}

TEST(Catalogo, ArchivosNombresAtributosYUsuarios) {
  ArchivoCpm ro = Archivo(0, "PROT", "BIN", Datos(300, 1));
  ro.soloLectura = true; // read-only without the system bit
  ArchivoCpm sys = Archivo(0, "HIDDEN", "SYS", Datos(128, 2));
  sys.sistema = true;
  sys.archivado = true;
  const auto bytes = DiscoCpm(Generador::GeometriaData())
                         .Intercalado(Intercalado())
                         .Agregar(Archivo(0, "DISC", "BAS", Datos(1000, 3)))
                         .Agregar(Archivo(1, "DISC", "BAS", Datos(2000, 4)))
                         .Agregar(Archivo(0, "MY-GAME", "BIN", Datos(5000, 5)))
                         .Agregar(Archivo(0, "NOEXT", "", Datos(1, 6)))
                         .Agregar(Archivo(0, "EMPTY", "TXT", {}))
                         .Agregar(ro)
                         .Agregar(sys)
                         .Bytes();
  const Leido l(bytes);
  EXPECT_TRUE(l.disco.problemas.empty()) << l.disco.problemas.front().texto;
  std::vector<std::string> nombres;
  for (const auto &a : l.disco.catalogo.archivos) {
    nombres.push_back(std::to_string(a.usuario) + ":" + a.NombreCompleto());
    EXPECT_TRUE(a.completo);
  }
  EXPECT_EQ(nombres,
            (std::vector<std::string>{"0:DISC.BAS", "0:EMPTY.TXT", "0:HIDDEN.SYS", "0:MY-GAME.BIN",
                                      "0:NOEXT", "0:PROT.BIN", "1:DISC.BAS"}));
  EXPECT_EQ(l.Archivo(0, "DISC.BAS")->tamano, 1024u);
  EXPECT_EQ(l.Archivo(1, "DISC.BAS")->tamano, 2048u);
  EXPECT_EQ(l.Archivo(0, "NOEXT")->tamano, 128u);
  EXPECT_EQ(l.Archivo(0, "EMPTY.TXT")->tamano, 0u);
  EXPECT_EQ(l.Extraer(1, "DISC.BAS", ModoExtraccion::Crudo), EnRegistros(Datos(2000, 4)));
  EXPECT_EQ(l.Extraer(0, "MY-GAME.BIN", ModoExtraccion::Crudo), EnRegistros(Datos(5000, 5)));
  const auto *p = l.Archivo(0, "PROT.BIN");
  EXPECT_TRUE(p->soloLectura && !p->sistema && !p->archivado);
  const auto *h = l.Archivo(0, "HIDDEN.SYS");
  EXPECT_TRUE(!h->soloLectura && h->sistema && h->archivado);
}

TEST(Catalogo, ExtensionesDesordenadasYSeparadas) {
  // 40 KB: three extents, stored in slots 30, 2 and 17 (extent order).
  const auto datos = Datos(40 * 1024 + 5, 7);
  const auto bytes = DiscoCpm(Generador::GeometriaSystem(), Disposicion::Extendida)
                         .Agregar(Archivo(0, "BIG", "BIN", datos, {30, 2, 17}))
                         .Agregar(Archivo(0, "SMALL", "BIN", Datos(10, 8)))
                         .Bytes();
  const Leido l(bytes);
  const auto *a = l.Archivo(0, "BIG.BIN");
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->completo);
  EXPECT_EQ(a->tamano, 40u * 1024 + 128);
  ASSERT_EQ(a->extensiones.size(), 3u);
  EXPECT_EQ(a->extensiones[0].entrada, 30);
  EXPECT_EQ(a->extensiones[2].entrada, 17);
  EXPECT_EQ(l.Extraer(0, "BIG.BIN", ModoExtraccion::Crudo), EnRegistros(datos));
}

TEST(Catalogo, BloquesDe2KConMascaraDeExtension) {
  // A +3 disk whose description asks for 2 KB blocks on 40 tracks: 8-bit
  // block numbers, so each entry holds two 16 KB extents (EXM = 1).
  Generador::Geometria g = Generador::GeometriaPlus3();
  g.tamanoBloque = 2048;
  const auto datos = Datos(70000, 9);
  ArchivoCpm a = Archivo(3, "LONG", "DAT", datos);
  a.bytesUltimo = 16; // CP/M 3: 16 bytes used in the last record
  const auto bytes =
      DiscoCpm(g).Descripcion({0, 0, 40, 9, 2, 1, 4, 1, 0x2A, 0x52}).Agregar(a).Bytes();
  const Leido l(bytes);
  ASSERT_TRUE(l.disco.formato);
  EXPECT_EQ(l.disco.formato->MascaraExtension(), 1);
  const auto *f = l.Archivo(3, "LONG.DAT");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->extensiones.size(), 3u);
  // 547 records, the last holding 16 bytes.
  EXPECT_EQ(f->tamano, 546u * 128 + 16);
  auto esperado = EnRegistros(datos);
  esperado.resize(546 * 128 + 16);
  EXPECT_EQ(l.Extraer(3, "LONG.DAT", ModoExtraccion::Crudo), esperado);
}

// A double-sided 80-track +3/PCW disk described by its description: 2 KB
// blocks with 16-bit numbers, a file spanning both sides, in either side order.
class DosCaras : public ::testing::TestWithParam<bool> {};

TEST_P(DosCaras, ArchivoQueCruzaLasCaras) {
  const bool sucesivas = GetParam();
  Generador::Geometria g = Generador::GeometriaPlus3();
  g.pistas = 80;
  g.caras = 2;
  g.sucesivas = sucesivas;
  g.tamanoBloque = 2048;
  g.entradas = 256;
  const auto grande = Datos(400 * 1024 + 77, 4);
  const auto bytes = DiscoCpm(g, Disposicion::Extendida)
                         .Descripcion({3, static_cast<std::uint8_t>(sucesivas ? 2 : 1), 80, 9, 2, 1,
                                       4, 4, 0x2A, 0x52})
                         .Agregar(Archivo(0, "SMALL", "TXT", Datos(100, 3)))
                         .Agregar(Archivo(2, "HUGE", "BIN", grande))
                         .Bytes();
  const Leido l(bytes);
  ASSERT_TRUE(l.disco.formato);
  EXPECT_TRUE(l.disco.formato->Bloques16());
  EXPECT_EQ(l.disco.formato->orden,
            sucesivas ? cpm::OrdenCaras::Sucesivas : cpm::OrdenCaras::Alternas);
  EXPECT_TRUE(l.disco.problemas.empty()) << l.disco.problemas.front().texto;
  const auto *f = l.Archivo(2, "HUGE.BIN");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->completo);
  EXPECT_EQ(f->tamano, (400u * 1024 + 128));
  EXPECT_EQ(l.Extraer(2, "HUGE.BIN", ModoExtraccion::Crudo), EnRegistros(grande));
}

INSTANTIATE_TEST_SUITE_P(Orden, DosCaras, ::testing::Values(false, true), [](const auto &fila) {
  return std::string(fila.param ? "Sucesivas" : "Alternas");
});

TEST(Catalogo, BorradasYRarasNoSonArchivos) {
  const auto bytes = DiscoCpm(Generador::GeometriaData())
                         .Agregar(Archivo(0, "KEEP", "BIN", Datos(10, 1)))
                         .FijarEntrada(5, CrearEntrada(0xE5, "GONE    BAS", 3))
                         .FijarEntrada(6, CrearEntrada(0, "\x1f\x8c\x8d ART  \x01\x02\x03", 0))
                         .FijarEntrada(7, CrearEntrada(17, "USER17  BIN", 1))
                         .FijarEntrada(8, CrearEntrada(0x20, "LABEL      ", 0))
                         .Bytes();
  const Leido l(bytes);
  ASSERT_EQ(l.disco.catalogo.archivos.size(), 1u);
  ASSERT_EQ(l.disco.catalogo.borradas.size(), 1u);
  EXPECT_EQ(l.disco.catalogo.borradas[0].texto, "GONE.BAS");
  EXPECT_EQ(l.disco.catalogo.borradas[0].entrada, 5);
  ASSERT_EQ(l.disco.catalogo.raras.size(), 3u);
  EXPECT_EQ(l.disco.catalogo.raras[0].entrada, 6);
  EXPECT_EQ(l.disco.catalogo.raras[0].crudo[1], 0x8C);
  EXPECT_EQ(l.disco.catalogo.raras[1].usuario, 17);
  EXPECT_EQ(l.disco.catalogo.raras[2].motivo, "etiqueta del disco (CP/M 3)");
}

// Deleted entries grouped into files like live ones; one comes back while no
// live file has taken its blocks.
struct CasoBorrado {
  const char *nombre;
  std::vector<std::uint8_t> datos;
  bool reusado; // a live file written since took its last block
  std::uint64_t longitud;
  const char *motivo; // why it cannot come back; "" when it can
};

class Borrados : public ::testing::TestWithParam<CasoBorrado> {};

TEST_P(Borrados, SeAgrupanYSeRecuperan) {
  const CasoBorrado &c = GetParam();
  DiscoCpm d(Generador::GeometriaData());
  d.Agregar(Archivo(0, "KEEP", "BIN", Datos(1500, 1)))
      .Agregar(Archivo(0xE5, "GONE", "BIN", c.datos));
  const std::vector<int> bloques = d.UltimosBloques();
  if (c.reusado) {
    d.Agregar(Archivo(0, "NEW", "BIN", Datos(1024, 9)), {bloques.back()});
  }
  const Leido l(d.Bytes());
  ASSERT_EQ(l.disco.catalogo.archivosBorrados.size(), 1u);
  const cpm::Archivo &a = l.disco.catalogo.archivosBorrados[0];
  EXPECT_EQ(a.NombreCompleto(), "GONE.BIN");
  EXPECT_TRUE(a.completo);
  EXPECT_EQ(a.longitud, c.longitud);
  EXPECT_EQ(l.disco.catalogo.borradas.size(), (c.datos.size() + 16383) / 16384);
  // Deleted entries claim no blocks: the live file reusing one is healthy.
  EXPECT_TRUE(l.disco.problemas.empty()) << l.disco.problemas.front().texto;
  EXPECT_EQ(cpm::MotivoIrrecuperable(l.disco, a), c.motivo);
  if (*c.motivo == '\0') {
    const auto modo = a.cabecera ? ModoExtraccion::Archivo : ModoExtraccion::Crudo;
    EXPECT_EQ(cpm::ExtraerArchivo(l.disco, a, modo).bytes.size(), a.longitud);
    EXPECT_EQ(cpm::ExtraerArchivo(l.disco, a, ModoExtraccion::Crudo).bytes, EnRegistros(c.datos));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Borrados,
    ::testing::Values(CasoBorrado{"Recuperable", Datos(3000, 2), false, 3072, ""},
                      CasoBorrado{"ConCabecera",
                                  [] {
                                    auto v = Generador::CabeceraAmsdos("GONE    BIN", 2, 0x4000, 0,
                                                                       1000);
                                    const auto cuerpo = Datos(1000, 3);
                                    v.insert(v.end(), cuerpo.begin(), cuerpo.end());
                                    return v;
                                  }(),
                                  false, 1000, ""},
                      CasoBorrado{"DeDosExtensiones", Datos(20 * 1024 + 5, 4), false,
                                  20 * 1024 + 128, ""},
                      CasoBorrado{"BloqueReutilizado", Datos(3000, 2), true, 3072,
                                  "su bloque 6 es ahora de 0:NEW.BIN"}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

// One body, one row per fault of the catalogue. Each row changes a disk that
// holds A.BIN (20 KB: blocks 2..21, two extents in slots 0 and 1) and B.BIN
// (1 KB: block 22, slot 2).
struct Fallo {
  const char *nombre;
  std::function<void(DiscoCpm &)> cambiar;
  TipoProblema esperado;
  bool aCompleto;
  std::size_t aLegibles; // bytes of A.BIN extraction yields
};

class CatalogoDanado : public ::testing::TestWithParam<Fallo> {};

Generador::Entrada EntradaA(int extension, int registros, std::vector<int> bloques) {
  auto e = CrearEntrada(0, "A       BIN", static_cast<std::uint8_t>(registros),
                        static_cast<std::uint8_t>(extension));
  for (std::size_t i = 0; i < bloques.size(); ++i) {
    e[16 + i] = static_cast<std::uint8_t>(bloques[i]);
  }
  return e;
}

TEST_P(CatalogoDanado, SeInformaYSeLeeLoQueHay) {
  const auto a = Datos(20 * 1024, 1);
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida);
  d.Agregar(Archivo(0, "A", "BIN", a)).Agregar(Archivo(0, "B", "BIN", Datos(1024, 2)));
  GetParam().cambiar(d);
  const Leido l(d.Bytes());
  EXPECT_TRUE(l.Hay(GetParam().esperado));
  const auto *f = l.Archivo(0, "A.BIN");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->completo, GetParam().aCompleto);
  const auto r = cpm::ExtraerArchivo(l.disco, *f, ModoExtraccion::Crudo);
  EXPECT_EQ(r.completo, GetParam().aCompleto);
  // Only bytes really on the disk, never padding.
  ASSERT_EQ(r.bytes.size(), GetParam().aLegibles);
  EXPECT_TRUE(std::equal(r.bytes.begin(), r.bytes.end(), a.begin()));
  EXPECT_EQ(r.problemas.empty(), GetParam().aCompleto);
}

std::vector<int> Rango(int desde, int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) {
    v.push_back(desde + i);
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, CatalogoDanado,
    ::testing::Values(Fallo{"ExtensionAusente",
                            [](DiscoCpm &d) {
                              Generador::Entrada libre;
                              libre.fill(0xE5);
                              d.FijarEntrada(0, libre);
                            },
                            TipoProblema::ExtensionAusente, false, 0},
                      // The repeated extent 0 comes later in the catalogue: the first is kept.
                      Fallo{"ExtensionRepetida",
                            [](DiscoCpm &d) { d.FijarEntrada(9, EntradaA(0, 128, Rango(30, 16))); },
                            TipoProblema::ExtensionRepetida, true, 20 * 1024},
                      Fallo{"BloqueFueraDelDisco",
                            [](DiscoCpm &d) {
                              auto v = Rango(18, 4);
                              v[2] = 200;
                              d.FijarEntrada(1, EntradaA(1, 32, v));
                            },
                            TipoProblema::BloqueFueraDelDisco, false, 18 * 1024},
                      // B.BIN claims A.BIN's last block as well as its own.
                      Fallo{"BloqueCompartido",
                            [](DiscoCpm &d) {
                              auto e = CrearEntrada(0, "B       BIN", 16);
                              e[16] = 22;
                              e[17] = 21;
                              d.FijarEntrada(2, e);
                            },
                            TipoProblema::BloqueCompartido, true, 20 * 1024},
                      Fallo{"RegistrosDeMas",
                            [](DiscoCpm &d) { d.FijarEntrada(1, EntradaA(1, 40, Rango(18, 4))); },
                            TipoProblema::RegistrosDeMas, false, 20 * 1024},
                      // Block 3, A.BIN's second, is sectors C7 and C8 of track 0.
                      Fallo{"SectorAusente", [](DiscoCpm &d) { d.QuitarSector(0, 0, 0xC7); },
                            TipoProblema::SectorAusente, false, 1024},
                      Fallo{"MitadDeBloque", [](DiscoCpm &d) { d.QuitarSector(0, 0, 0xC8); },
                            TipoProblema::SectorAusente, false, 1024 + 512},
                      Fallo{"SectorDeOtroTamano",
                            [](DiscoCpm &d) { d.CodigoTamano(0, 0, 0xC7, 3); },
                            TipoProblema::SectorTamanoDistinto, false, 1024},
                      Fallo{"PistaSinFormato", [](DiscoCpm &d) { d.SinFormato(1, 0); },
                            TipoProblema::SectorAusente, false, 2 * 1024 + 512}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

// Blocks past the format's last one (179 on a DATA disk). Some 42-track disks
// keep a file on tracks 40 and 41, and a CPC reads it, since AMSDOS does not
// check block numbers: read it whole, with a note. Blocks on tracks the image
// does not have stay an error. Track 40 holds blocks 180..183 and half of 184.
struct TrasElFinal {
  const char *nombre;
  int pistasImagen;
  std::vector<int> bloques; // of LEJOS.BIN, 1 KB each
  bool legible;
};

class BloquesTrasElFinal : public ::testing::TestWithParam<TrasElFinal> {};

TEST_P(BloquesTrasElFinal, SeLeenSiLaImagenTieneSusPistas) {
  const TrasElFinal &fila = GetParam();
  const auto datos = Datos(fila.bloques.size() * 1024, 3);
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Estandar, fila.pistasImagen);
  d.Agregar(Archivo(0, "CERCA", "BIN", Datos(2000, 4)));
  if (fila.legible) {
    d.Agregar(Archivo(0, "LEJOS", "BIN", datos), fila.bloques);
  } else {
    // The generator cannot write to tracks the image lacks: the entry alone.
    auto e = CrearEntrada(0, "LEJOS   BIN", static_cast<std::uint8_t>(8 * fila.bloques.size()));
    std::copy(fila.bloques.begin(), fila.bloques.end(), e.begin() + 16);
    d.FijarEntrada(5, e);
  }
  const Leido l(d.Bytes());
  const auto *f = l.Archivo(0, "LEJOS.BIN");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->completo, fila.legible);
  EXPECT_EQ(l.Hay(TipoProblema::BloqueTrasElFinal), fila.legible);
  EXPECT_EQ(l.Hay(TipoProblema::BloqueFueraDelDisco), !fila.legible);
  const auto r = cpm::ExtraerArchivo(l.disco, *f, ModoExtraccion::Crudo);
  EXPECT_EQ(r.completo, fila.legible);
  if (fila.legible) {
    EXPECT_EQ(r.bytes, datos);
    EXPECT_TRUE(r.problemas.empty()) << r.problemas.front().texto;
    // The note is the only thing said about the disk.
    ASSERT_EQ(l.disco.problemas.size(), 1u);
    EXPECT_NE(l.disco.problemas[0].texto.find("LEJOS.BIN"), std::string::npos);
  }
  EXPECT_EQ(l.Extraer(0, "CERCA.BIN", ModoExtraccion::Crudo), EnRegistros(Datos(2000, 4)));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, BloquesTrasElFinal,
    ::testing::Values(TrasElFinal{"Pistas40y41", 42, Rango(180, 9), true},
                      TrasElFinal{"CruzaElFinal", 42, Rango(176, 8), true},
                      TrasElFinal{"DesordenadosEntreOtros", 42, {188, 5, 181, 6}, true},
                      TrasElFinal{"UnaPistaDeMas", 41, Rango(180, 4), true},
                      TrasElFinal{"PistaQueNoTiene", 40, {180}, false},
                      TrasElFinal{"BloqueAMediasDeUnaPistaQueNoTiene", 41, {184}, false},
                      TrasElFinal{"MasAllaDeLaPista41", 42, {189}, false}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

TEST(Catalogo, SectorDebilDaSuPrimeraCopia) {
  // A.BIN's first block is sectors C5 and C6 of track 0; C6 is stored three times,
  // each copy a little different, as copy protections leave them.
  const auto a = Datos(3000, 5);
  const auto bytes = DiscoCpm(Generador::GeometriaData(), Disposicion::Extendida)
                         .Agregar(Archivo(0, "A", "BIN", a))
                         .Debil(0, 0, 0xC6, 3)
                         .Bytes();
  const Leido l(bytes);
  EXPECT_TRUE(l.Hay(TipoProblema::SectorDebil));
  EXPECT_TRUE(l.Archivo(0, "A.BIN")->completo);
  EXPECT_EQ(l.Extraer(0, "A.BIN", ModoExtraccion::Crudo), EnRegistros(a));
}

TEST(Catalogo, CatalogoIlegible) {
  // The catalogue's second sector (C2) is gone: its 16 entries are lost, the
  // first sector's are read.
  const auto bytes = DiscoCpm(Generador::GeometriaData())
                         .Agregar(Archivo(0, "FIRST", "BIN", Datos(10, 1)))
                         .Agregar(Archivo(0, "LOST", "BIN", Datos(10, 2), {20}))
                         .QuitarSector(0, 0, 0xC2)
                         .Bytes();
  const Leido l(bytes);
  EXPECT_NE(l.Archivo(0, "FIRST.BIN"), nullptr);
  EXPECT_EQ(l.Archivo(0, "LOST.BIN"), nullptr);
  EXPECT_TRUE(l.Hay(TipoProblema::SectorAusente));
  EXPECT_TRUE(l.Hay(TipoProblema::ArchivoIncompleto));
}

} // namespace
