// Flux dumps read back: generator disks of every kind of damage written as
// SCP images and KryoFlux streams (with the drive's speed wandering and
// jitter on every transition) come back as the same disk sector by sector,
// or with exactly what a drive's controller would report; and the edges of
// real dumps: a revolution cut mid-sector, an index missing, overflow times,
// a track longer than a revolution, tracks with no flux or left out.
#include "Ayuda.h"
#include "Comun.h"
#include "Flujo.h"
#include "flujo/Scp.h"
#include "imagenes/Comparacion.h"
#include "imagenes/Conversion.h"
#include "imagenes/Dsk.h"
#include "imagenes/Flujo.h"
#include "imagenes/Tipos.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;
using Generador::OpcionesFlujo;

DiscoCpm Data() {
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida);
  d.Intercalado(Intercalado());
  d.Agregar({0, "DISC", "BAS", false, false, false, Datos(3000, 1), {}, 0})
      .Agregar({0, "GAME", "BIN", true, false, false, Datos(20000, 2), {}, 0});
  return d;
}

imagenes::Superficie DeDsk(const DiscoCpm &d) {
  imagenes::Lectura l = imagenes::LeerDsk(d.Bytes());
  EXPECT_TRUE(l.disco) << l.error;
  return l.disco.value_or(imagenes::Superficie{});
}

// Each kind read as the door reads it, by its row.
imagenes::Lectura DeScp(const DiscoCpm &d, const OpcionesFlujo &o) {
  return imagenes::TipoPorNombre("scp")->leer(Generador::EscribirScp(d, o), {});
}

imagenes::Lectura DeHfeV3(const std::vector<std::uint8_t> &bytes) {
  return imagenes::TipoPorNombre("hfe3")->leer(bytes, {});
}

// A stream set is read from its folder, a file at a time.
imagenes::Lectura DeStreams(const DiscoCpm &d, const OpcionesFlujo &o) {
  CarpetaTemporal dir;
  for (const auto &[nombre, bytes] : Generador::EscribirStreams(d, o)) {
    Escribir(dir.Archivo(nombre), bytes);
  }
  return imagenes::TipoPorNombre("kryoflux")->leerArchivo(dir.Ruta().string(), {});
}

std::string Textos(const std::vector<imagenes::Diferencia> &v) {
  std::string t;
  for (const imagenes::Diferencia &d : v) {
    t += d.texto + "\n";
  }
  return t;
}

std::string Notas(const imagenes::Lectura &l) {
  std::string t;
  for (const imagenes::Problema &p : l.problemas) {
    t += p.texto + "\n";
  }
  return t;
}

OpcionesFlujo Realista(int vueltas = 3) {
  OpcionesFlujo o;
  o.vueltas = vueltas;
  o.deriva = 0.02;
  o.temblor = 150;
  return o;
}

struct Caso {
  const char *nombre;
  std::function<DiscoCpm()> disco;
  const char *difiere; // nullptr: the same disk; else a phrase of the differences
};

class IdaYVuelta : public testing::TestWithParam<Caso> {};

TEST_P(IdaYVuelta, ElMismoDiscoOLoQueElFdcDiria) {
  const Caso &caso = GetParam();
  const DiscoCpm d = caso.disco();
  const imagenes::Superficie original = DeDsk(d);
  for (const bool scp : {true, false}) {
    SCOPED_TRACE(scp ? "SCP" : "KryoFlux");
    const imagenes::Lectura l = scp ? DeScp(d, Realista()) : DeStreams(d, Realista());
    ASSERT_TRUE(l.disco) << l.error;
    const std::string diferencias =
        Textos(imagenes::CompararSuperficies(original, *l.disco, {"el origen", "el flujo"}));
    if (caso.difiere == nullptr) {
      EXPECT_EQ(diferencias, "") << Notas(l);
    } else {
      EXPECT_NE(diferencias.find(caso.difiere), std::string::npos) << diferencias;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Discos, IdaYVuelta,
    testing::Values(
        Caso{"Data", Data, nullptr},
        Caso{"System",
             [] {
               DiscoCpm d(Generador::GeometriaSystem(), Disposicion::Extendida);
               d.Agregar({0, "A", "BIN", false, false, false, Datos(5000, 4), {}, 0});
               return d;
             },
             nullptr},
        Caso{"DosCaras",
             [] {
               DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida, 42, 2);
               d.Agregar({0, "A", "BIN", false, false, false, Datos(5000, 4), {}, 0});
               return d;
             },
             nullptr},
        Caso{"SectorDebil", [] { return Data().Debil(5, 0, 0xC3, 3); }, nullptr},
        Caso{"ErrorDeDatos", [] { return Data().Estado(12, 0, 0xC4, 0x20, 0x20); }, nullptr},
        Caso{"ErrorEnElId", [] { return Data().Estado(12, 0, 0xC4, 0x20, 0x00); }, nullptr},
        Caso{"MarcaDeBorrado", [] { return Data().Estado(12, 0, 0xC4, 0x00, 0x40); }, nullptr},
        // A sector without a data field has no bytes on the disk to read back.
        Caso{"IdSinDatos", [] { return Data().Estado(12, 0, 0xC4, 0x01, 0x01); },
             "sector &C4: 512 bytes guardados en el origen, 0 en el flujo"},
        Caso{"BitsQueElFdcPone", [] { return Data().Estado(12, 0, 0xC1, 0x80, 0x00); },
             "sector &C1: ST1=&80 ST2=&00 en el origen, ST1=&00 ST2=&00 en el flujo"},
        // The ID says 1024 bytes and the disk holds 512 and their CRC: the FDC
        // reads on into the gap and reports a data error.
        Caso{"CodigoDeTamanoDistinto", [] { return Data().CodigoTamano(7, 0, 0xC1, 3); },
             "sector &C1: ST1=&00 ST2=&00 en el origen, ST1=&20 ST2=&20 en el flujo; 512 bytes "
             "guardados en el origen, 1024 en el flujo"},
        Caso{"PistaSinFormato", [] { return Data().SinFormato(39, 0); }, nullptr},
        Caso{"SectorQuitado", [] { return Data().QuitarSector(6, 0, 0xC2); }, nullptr},
        Caso{"DiezSectores", [] { return Data().SectorExtra(3, 0, 0xCA); }, nullptr},
        Caso{"IdRepetido", [] { return Data().SectorExtra(3, 0, 0xC1); }, nullptr}),
    [](const testing::TestParamInfo<Caso> &i) { return std::string(i.param.nombre); });

// Weak spans: random flux in a sector's data, different each revolution.
TEST(Flujo, UnTramoDebilDaUnaCopiaPorVuelta) {
  DiscoCpm d = Data();
  OpcionesFlujo o = Realista(4);
  o.debiles.push_back({2, 0, 0xC5, 100, 40});
  const imagenes::Superficie original = DeDsk(d);
  const imagenes::Lectura l = DeScp(d, o);
  ASSERT_TRUE(l.disco) << l.error;
  const imagenes::PistaSuperficie *p = l.disco->Pista(2, 0);
  const imagenes::PistaSuperficie *q = original.Pista(2, 0);
  ASSERT_TRUE(p && q);
  for (std::size_t i = 0; i < p->sectores.size(); ++i) {
    const imagenes::SectorSuperficie &s = p->sectores[i];
    if (s.r != 0xC5) {
      EXPECT_EQ(s.copias, 1);
      continue;
    }
    EXPECT_EQ(s.copias, 4);
    EXPECT_EQ(s.st1, 0x20);
    EXPECT_EQ(s.st2, 0x20);
    ASSERT_EQ(s.datos.size(), 4u * 512);
    for (int c = 0; c < 4; ++c) {
      const auto copia = std::span(s.datos).subspan(static_cast<std::size_t>(c) * 512, 512);
      const auto &bien = q->sectores[i].datos;
      // Only the span and the bytes next to it, where the PLL finds its feet again, differ.
      EXPECT_TRUE(std::equal(copia.begin(), copia.begin() + 100, bien.begin())) << c;
      EXPECT_TRUE(std::equal(copia.begin() + 150, copia.end(), bien.begin() + 150)) << c;
    }
  }
}

struct Borde {
  const char *nombre;
  std::function<DiscoCpm()> disco;
  std::function<void(OpcionesFlujo &)> opciones;
  bool scp;
  const char *diferencia; // nullptr: the same disk
  const char *nota;       // a phrase the reading says; nullptr: none needed
};

class Bordes : public testing::TestWithParam<Borde> {};

TEST_P(Bordes, SeLeeLoQueHayYSeDice) {
  const Borde &b = GetParam();
  const DiscoCpm d = b.disco();
  OpcionesFlujo o = Realista(2);
  b.opciones(o);
  const imagenes::Lectura l = b.scp ? DeScp(d, o) : DeStreams(d, o);
  ASSERT_TRUE(l.disco) << l.error;
  const std::string diferencias =
      Textos(imagenes::CompararSuperficies(DeDsk(d), *l.disco, {"el origen", "el flujo"}));
  if (b.diferencia == nullptr) {
    EXPECT_EQ(diferencias, "") << Notas(l);
  } else {
    EXPECT_NE(diferencias.find(b.diferencia), std::string::npos) << diferencias;
  }
  if (b.nota != nullptr) {
    EXPECT_NE(Notas(l).find(b.nota), std::string::npos) << Notas(l);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Volcados, Bordes,
    testing::Values(
        Borde{"VueltaCortadaAMedioSector", Data, [](OpcionesFlujo &o) { o.cortarUltima = 0.45; },
              true, nullptr, "el flujo acaba a medio sector"},
        Borde{"FaltaUnIndice", Data, [](OpcionesFlujo &o) { o.sinIndice = 1; }, false, nullptr,
              "falta el agujero índice en 1 vuelta"},
        // An unformatted track has no flux: its revolutions are overflow codes.
        Borde{"DesbordesDeUnaPistaSinFlujo", Data,
              [](OpcionesFlujo &o) {
                o.sinFlujo.push_back({20, 0});
              },
              true, "pista 20, cara 0: 9 sectores en el origen, ninguno",
              "Pista 20, cara 0: no hay flujo"},
        Borde{"DesbordesEnElStream", Data,
              [](OpcionesFlujo &o) {
                o.sinFlujo.push_back({20, 0});
              },
              false, "pista 20, cara 0: 9 sectores en el origen, ninguno",
              "Pista 20, cara 0: no hay flujo"},
        Borde{"PistaFueraDelVolcado", Data,
              [](OpcionesFlujo &o) {
                o.fuera.push_back({7, 0});
              },
              true, "pista 7, cara 0: 9 sectores en el origen, ninguno",
              "Pista 7, cara 0: no está en el volcado"},
        // Twelve sectors of 512 bytes do not fit: the write runs past the index
        // over the track's start; the last sector is read first and the first
        // ones are lost under it.
        Borde{
            "PistaMasLargaQueUnaVuelta",
            [] {
              return Data().SectorExtra(4, 0, 0xCA).SectorExtra(4, 0, 0xCB).SectorExtra(4, 0, 0xCC);
            },
            [](OpcionesFlujo &) {}, true,
            "en el origen, CC C2 C7 C3 C8 C4 C9 C5 CA CB en el flujo\npista 4, cara 0, sector &C1: "
            "solo en el origen",
            nullptr},
        Borde{"Unidad360Rpm", Data, [](OpcionesFlujo &o) { o.rpm360 = true; }, true, nullptr,
              "360 rpm"}),
    [](const testing::TestParamInfo<Borde> &i) { return std::string(i.param.nombre); });

// Overflow codes are read as the time they stand for.
TEST(Flujo, LosDesbordesSumanSuTiempo) {
  DiscoCpm d = Data();
  OpcionesFlujo o;
  o.vueltas = 1;
  o.sinFlujo.push_back({0, 0});
  const std::vector<std::uint8_t> scp = Generador::EscribirScp(d, o);
  flujo::FuenteMemoria f(scp);
  const flujo::LecturaScp c = flujo::LeerCabeceraScp(f);
  ASSERT_TRUE(c.cabecera) << c.error;
  EXPECT_TRUE(c.avisos.empty());
  bool vista = false;
  flujo::Avisos avisos;
  flujo::RecorrerScp(
      f, *c.cabecera,
      [&](flujo::PistaFlujo &&p) {
        if (p.cilindro == 0) {
          vista = true;
          ASSERT_EQ(p.intervalos.size(), 1u);
          // 200 ms in ticks of 25 ns.
          EXPECT_NEAR(p.intervalos[0], 8'000'000.0, 2.0);
        }
      },
      avisos);
  EXPECT_TRUE(vista);
}

} // namespace

namespace {

TEST(Flujo, HfeV3ConSusCodigosYUnTramoAlAzar) {
  DiscoCpm d = Data();
  OpcionesFlujo o;
  o.debiles.push_back({2, 0, 0xC5, 100, 40});
  const imagenes::Lectura l = DeHfeV3(Generador::EscribirHfeV3(d, o));
  ASSERT_TRUE(l.disco) << l.error;
  const std::string diferencias =
      Textos(imagenes::CompararSuperficies(DeDsk(d), *l.disco, {"el origen", "el flujo"}));
  // The random bytes read differently on each of the three passes: weak.
  EXPECT_EQ(diferencias, "pista 2, cara 0, sector &C5: ST1=&00 ST2=&00 en el origen, ST1=&20 "
                         "ST2=&20 en el flujo; 1 copia en el origen, 3 en el flujo; 512 bytes "
                         "guardados en el origen, 1536 en el flujo; distintos desde el byte 100\n")
      << Notas(l);
  EXPECT_EQ(Notas(l), "");
}

// An FM track is said, never decoded as something else.
TEST(Flujo, UnaPistaEnFmSeDice) {
  // FM's 4 us cells as a 2 us clock sees them: a clock and a data cell each
  // bit, a transition the first half of a cell that has one.
  std::vector<bool> v;
  const auto byte = [&](std::uint8_t reloj, std::uint8_t dato) {
    for (int i = 7; i >= 0; --i) {
      for (const bool uno : {((reloj >> i) & 1) != 0, ((dato >> i) & 1) != 0}) {
        v.push_back(uno);
        v.push_back(false);
      }
    }
  };
  for (int s = 0; s < 9; ++s) {
    for (int i = 0; i < 40; ++i) {
      byte(0xFF, 0xFF);
    }
    for (int i = 0; i < 6; ++i) {
      byte(0xFF, 0x00);
    }
    byte(0xC7, 0xFE);
    for (const std::uint8_t x : {0, 0, s + 1, 1}) {
      byte(0xFF, static_cast<std::uint8_t>(x));
    }
  }
  flujo::CeldasPista c;
  c.total = v.size();
  c.bytes.assign(v.size() / 8 + 1, 0);
  for (std::size_t i = 0; i < v.size(); ++i) {
    c.bytes[i / 8] = static_cast<std::uint8_t>(c.bytes[i / 8] | (v[i] ? 1u << (i % 8) : 0u));
  }
  c.indices = {0, v.size()};
  imagenes::Problemas notas;
  const imagenes::PistaSuperficie p = imagenes::SectoresDeVueltas(c, notas);
  EXPECT_FALSE(p.formateada);
  EXPECT_EQ(p.grabacion, imagenes::GrabacionFm);
  // A dump with that track: convert's list of losses says the new image
  // leaves it unformatted, and nothing is written without --force.
  imagenes::DiscoDeFlujo disco;
  disco.Celdas(c);
  imagenes::Lectura l = disco.Terminar(1);
  ASSERT_TRUE(l.disco) << l.error;
  imagenes::OpcionesConversion o;
  o.destino = imagenes::TipoPorNombre("extendido");
  const imagenes::Conversion r = imagenes::Convertir(*imagenes::TipoPorNombre("scp"), l, o);
  EXPECT_FALSE(r.Hecha());
  ASSERT_EQ(r.perdidas.size(), 1U);
  EXPECT_EQ(r.perdidas[0].texto,
            "pista 0, cara 0: grabada en FM en el volcado; la imagen nueva la deja sin formato");
}

} // namespace
