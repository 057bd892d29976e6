// Flux dumps read back: generator disks of every kind of damage written as
// SCP images and KryoFlux streams (with the drive's speed wandering and
// jitter on every transition) come back as the same disk sector by sector,
// or with exactly what a drive's controller would report; and the edges of
// real dumps: a revolution cut mid-sector, an index missing, overflow times,
// a track longer than a revolution, tracks with no flux or left out.
#include "Ayuda.h"
#include "Flujo.h"
#include "cpm/Comparacion.h"
#include "cpm/Conversion.h"
#include "cpm/Flujo.h"
#include "flujo/KryoFlux.h"
#include "flujo/Scp.h"

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

cpm::Superficie DeDsk(const DiscoCpm &d) {
  cpm::LecturaImagen l = cpm::LeerImagen(d.Bytes(), cpm::TipoImagen::Extendida);
  EXPECT_TRUE(l.disco) << l.error;
  return l.disco.value_or(cpm::Superficie{});
}

cpm::LecturaFlujo DeScp(const DiscoCpm &d, const OpcionesFlujo &o) {
  const std::vector<std::uint8_t> scp = Generador::EscribirScp(d, o);
  flujo::FuenteMemoria f(scp);
  return cpm::LeerScpDisco(f);
}

cpm::LecturaFlujo DeStreams(const DiscoCpm &d, const OpcionesFlujo &o) {
  auto archivos = Generador::EscribirStreams(d, o);
  std::vector<cpm::ArchivoStream> v;
  for (auto &[nombre, bytes] : archivos) {
    const auto pista = flujo::PistaDeNombre(nombre);
    EXPECT_TRUE(pista) << nombre;
    v.push_back({pista->first, pista->second, [&b = bytes](std::vector<std::uint8_t> &destino) {
                   destino = b;
                   return std::string();
                 }});
  }
  return cpm::LeerStreamsDisco(v);
}

std::string Textos(const std::vector<cpm::Diferencia> &v) {
  std::string t;
  for (const cpm::Diferencia &d : v) {
    t += d.texto + "\n";
  }
  return t;
}

std::string Notas(const cpm::LecturaFlujo &l) {
  std::string t;
  for (const cpm::Problema &p : l.notas) {
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
  const cpm::Superficie original = DeDsk(d);
  for (const bool scp : {true, false}) {
    SCOPED_TRACE(scp ? "SCP" : "KryoFlux");
    const cpm::LecturaFlujo l = scp ? DeScp(d, Realista()) : DeStreams(d, Realista());
    ASSERT_TRUE(l.disco) << l.error;
    const std::string diferencias =
        Textos(cpm::CompararSuperficies(original, *l.disco, {"el origen", "el flujo"}));
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
  const cpm::Superficie original = DeDsk(d);
  const cpm::LecturaFlujo l = DeScp(d, o);
  ASSERT_TRUE(l.disco) << l.error;
  const cpm::PistaSuperficie *p = l.disco->Pista(2, 0);
  const cpm::PistaSuperficie *q = original.Pista(2, 0);
  ASSERT_TRUE(p && q);
  for (std::size_t i = 0; i < p->sectores.size(); ++i) {
    const cpm::SectorSuperficie &s = p->sectores[i];
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
  const cpm::LecturaFlujo l = b.scp ? DeScp(d, o) : DeStreams(d, o);
  ASSERT_TRUE(l.disco) << l.error;
  const std::string diferencias =
      Textos(cpm::CompararSuperficies(DeDsk(d), *l.disco, {"el origen", "el flujo"}));
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

// An HFE v3 image of a generator disk, written here from the generator's
// cells: the index opcode first, a few cells skipped in GAP 4a (which shifts
// every byte after it off its boundary), NOPs, and random-byte opcodes over
// the weak spans.
std::vector<std::uint8_t> HfeV3(const DiscoCpm &d, const OpcionesFlujo &o) {
  const auto pistas = d.Pistas();
  const int caras = d.CarasImagen();
  std::vector<std::uint8_t> b(1024, 0xFF);
  const std::string firma = "HXCHFEV3";
  std::copy(firma.begin(), firma.end(), b.begin());
  b[8] = 0;
  b[9] = static_cast<std::uint8_t>(d.PistasImagen());
  b[10] = static_cast<std::uint8_t>(caras);
  b[11] = 0;   // MFM
  b[12] = 250; // kbit/s
  b[13] = 0;
  b[14] = 0x2C; // 300 rpm
  b[15] = 0x01;
  b[16] = 6;
  b[18] = 1; // the track list in block 1
  b[19] = 0;
  for (int t = 0; t < d.PistasImagen(); ++t) {
    std::array<std::vector<std::uint8_t>, 2> lados;
    for (int c = 0; c < caras; ++c) {
      const auto &p = pistas[static_cast<std::size_t>(t * caras + c)];
      std::vector<std::uint8_t> celdas =
          p.formateada ? Generador::CeldasPista(p, 0) : std::vector<std::uint8_t>(100000, 0);
      std::vector<std::uint8_t> &l = lados[static_cast<std::size_t>(c)];
      l = {0x8F, 0x0F, 0xCF, 0x03, 0xF8}; // index, NOP, skip 3 cells of 1 1 1 1 1
      std::vector<bool> debil(celdas.size() / 8, false);
      for (const auto &w : o.debiles) {
        if (w.pista == t && w.cara == c) {
          // The weak sector's data field, found by its ID in the cells.
          const std::size_t inicio = (80 + 12 + 4 + 50) * 16;
          std::size_t pos = inicio;
          for (const auto &s : p.sectores) {
            pos += (12 + 4 + 6 + 22) * 16;
            if (s.r == w.id) {
              for (std::size_t k = pos + (16 + w.desde) * 16;
                   k < pos + (16 + w.desde + w.largo) * 16; k += 8) {
                debil[k / 8] = true;
              }
              break;
            }
            pos += (16 + s.copias.front().size() + 2 + 78) * 16;
          }
        }
      }
      for (std::size_t k = 0; k + 8 <= celdas.size(); k += 8) {
        std::uint8_t x = 0;
        for (int i = 0; i < 8; ++i) {
          x = static_cast<std::uint8_t>(x | (celdas[k + static_cast<std::size_t>(i)] << i));
        }
        l.push_back(debil[k / 8] ? 0x2F : x);
      }
    }
    lados[1].resize(lados[0].size(), 0x0F);
    const std::size_t bloque = b.size() / 512;
    const std::size_t largo = lados[0].size();
    b[512 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>(bloque & 0xFF);
    b[513 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>(bloque >> 8);
    b[514 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>((largo * 2) & 0xFF);
    b[515 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>((largo * 2) >> 8);
    for (std::size_t k = 0; k < largo; k += 256) {
      for (const auto &l : lados) {
        std::array<std::uint8_t, 256> mitad{};
        std::copy_n(l.begin() + static_cast<std::ptrdiff_t>(k),
                    std::min<std::size_t>(256, largo - k), mitad.begin());
        b.insert(b.end(), mitad.begin(), mitad.end());
      }
    }
  }
  return b;
}

TEST(Flujo, HfeV3ConSusCodigosYUnTramoAlAzar) {
  DiscoCpm d = Data();
  OpcionesFlujo o;
  o.debiles.push_back({2, 0, 0xC5, 100, 40});
  const cpm::LecturaFlujo l = cpm::LeerHfeV3Disco(HfeV3(d, o));
  ASSERT_TRUE(l.disco) << l.error;
  const std::string diferencias =
      Textos(cpm::CompararSuperficies(DeDsk(d), *l.disco, {"el origen", "el flujo"}));
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
  cpm::Problemas notas;
  const cpm::PistaSuperficie p = cpm::SectoresDeVueltas(c, notas);
  EXPECT_FALSE(p.formateada);
  EXPECT_EQ(p.grabacion, cpm::GrabacionFm);
}

} // namespace
