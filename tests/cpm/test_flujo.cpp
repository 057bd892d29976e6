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
