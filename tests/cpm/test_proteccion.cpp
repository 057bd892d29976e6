// The copy-protection verdict and the completion of incomplete dumps, on the
// generator's disk for each scheme, each incomplete dump and each look-alike.
#include "Generador.h"
#include "cpm/Conversion.h"
#include "cpm/Proteccion.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Dsk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

using cpm::ClaseVeredicto;

const std::map<std::string, Generador::CasoProteccion> &Casos() {
  static const std::map<std::string, Generador::CasoProteccion> casos = [] {
    std::map<std::string, Generador::CasoProteccion> m;
    for (Generador::CasoProteccion &c : Generador::CasosProteccion()) {
      m.emplace(c.nombre, std::move(c));
    }
    return m;
  }();
  return casos;
}

imagenes::Superficie Superficie(const std::string &caso) {
  const cpm::Contenedor c = imagenes::LeerContenedor(Casos().at(caso).bytes);
  EXPECT_TRUE(c.valido) << caso;
  return imagenes::DesdeContenedor(c);
}

struct CasoVeredicto {
  const char *caso;
  ClaseVeredicto clase;
  const char *esquema; // the first scheme named; "" when none
  const char *certeza; // "confirmada" or "probable"; "" when no scheme
  const char *prueba;  // a line of the evidence, place and all
  bool incompleta = false;
};

class Veredicto : public testing::TestWithParam<CasoVeredicto> {};

TEST_P(Veredicto, NombraLoQueSeVe) {
  const CasoVeredicto &c = GetParam();
  const cpm::Veredicto v = cpm::JuzgarProteccion(Superficie(c.caso));
  const std::string pruebas = cpm::TextoPruebas(v, "");
  EXPECT_EQ(v.clase, c.clase) << cpm::TextoVeredicto(v) << "\n" << pruebas;
  if (*c.esquema != '\0') {
    ASSERT_FALSE(v.hallazgos.empty()) << pruebas;
    EXPECT_EQ(v.hallazgos.front().esquema, c.esquema) << pruebas;
    EXPECT_EQ(cpm::CodigoCerteza(v.hallazgos.front().certeza), c.certeza) << pruebas;
  } else {
    EXPECT_TRUE(v.hallazgos.empty()) << pruebas;
  }
  if (*c.prueba != '\0') {
    EXPECT_NE(pruebas.find(std::string(c.prueba) + "\n"), std::string::npos) << pruebas;
  } else {
    EXPECT_EQ(pruebas, "");
  }
  EXPECT_EQ(v.Incompleto(), c.incompleta) << pruebas;
}

constexpr auto Esquema = ClaseVeredicto::Esquema;

INSTANTIATE_TEST_SUITE_P(
    Casos, Veredicto,
    testing::Values(
        CasoVeredicto{"speedlock", Esquema, "Speedlock", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"SPEEDLOCK\" en +257"},
        CasoVeredicto{"speedlock-129", Esquema, "Speedlock", "confirmada",
                      "pista 0, cara 0, sector &C8: N=2, débil (2 copias), error de CRC en los "
                      "datos"},
        CasoVeredicto{"speedlock-codigo", Esquema, "Speedlock", "confirmada",
                      "pista 0, cara 0, sector &C1: firma 4A 00 09 46 00 00 00 42 02 47 2A FF en "
                      "+208 y CRC-16 &62C2 de sus bytes 49..219"},
        CasoVeredicto{"speedlock-forma", Esquema, "Speedlock", "probable",
                      "pista 0, cara 0: 9 sectores, el 8.º guardado con error de CRC en los datos"},
        CasoVeredicto{"speedlock-incompleto", Esquema, "Speedlock", "confirmada",
                      "volcado incompleto: pista 0, cara 0, sector &C8: el sector débil se guardó "
                      "con una sola copia: no cargará en un emulador ni en un Gotek; se puede "
                      "completar (convert --completar)",
                      true},
        CasoVeredicto{"speedlock-entero-incompleto", Esquema, "Speedlock", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"SPEEDLOCK\" en +257", true},
        CasoVeredicto{"rainbow", Esquema, "Rainbow Arts", "confirmada",
                      "pista 40, cara 0, sector &C7: firma 2A 6D A7 01 30 01 AF ED 42 4D 44 21 70 "
                      "01 en +0"},
        CasoVeredicto{"rainbow-incompleto", Esquema, "Rainbow Arts", "confirmada",
                      "pista 40, cara 0, sector &C6: N=2, error de CRC en los datos", true},
        CasoVeredicto{"rainbow-sin-marca", Esquema, "Rainbow Arts", "confirmada",
                      "volcado incompleto: pista 40, cara 0: el sector &C6 perdió en este volcado "
                      "su error de CRC en los datos",
                      true},
        CasoVeredicto{"rainbow-forma", Esquema, "Rainbow Arts", "probable",
                      "pista 40, cara 0, sector &C6: N=2, error de CRC en los datos"},
        CasoVeredicto{"kbi10", Esquema, "KBI-10", "confirmada",
                      "pista 20, cara 0, sector &CA: firma: empieza por \"KBI\""},
        CasoVeredicto{"kbi10-incompleto", Esquema, "KBI-10", "confirmada",
                      "pista 20, cara 0, sector &CA: N=1, error de CRC en los datos", true},
        CasoVeredicto{"kbi10-3", Esquema, "KBI-10", "confirmada",
                      "pista 20, cara 0: 3 sectores N=4 y el último N=1 con error de CRC en los "
                      "datos"},
        CasoVeredicto{"kbi10-variante", Esquema, "KBI-10", "confirmada",
                      "pista 20, cara 0, sector &C4: firma \"KBI\" en +0"},
        CasoVeredicto{"kbi10-forma", Esquema, "KBI-10", "probable",
                      "pista 39, cara 0, sector &CA: N=2, error de CRC en los datos"},
        CasoVeredicto{"kbi19", Esquema, "KBI-19", "confirmada",
                      "pista 14, cara 0, sector &01: firma \"(c) 1986 for KBI \" en +16"},
        CasoVeredicto{"kbi19-caav", Esquema, "KBI-19 (CAAV)", "confirmada",
                      "pista 14, cara 0, sector &00: firma \"ALAIN LAURENT GENERATION 5 1989\" en "
                      "+16"},
        CasoVeredicto{"kbi19-forma", Esquema, "KBI-19", "probable",
                      "pista 14, cara 0: 19 sectores de 512 bytes sin errores, IDs 0 1 4 7 10 13 "
                      "16 2 5 8 11 14 17 3 6 9 12 15 18"},
        CasoVeredicto{"logo", Esquema, "Logo Professor", "probable",
                      "pista 5, cara 0: 10 sectores de 512 bytes sin errores, IDs 2..11"},
        CasoVeredicto{"logo-marcador", Esquema, "Logo Professor", "probable",
                      "pista 5, cara 0, sector &01: N=2, error de CRC en el ID"},
        CasoVeredicto{"operasoft", Esquema, "OperaSoft", "probable",
                      "pista 40, cara 0, sector &08: N=8, guarda 1554 bytes"},
        CasoVeredicto{"operasoft-incompleto", Esquema, "OperaSoft", "probable",
                      "volcado incompleto: pista 40, cara 0: el sector &08 de 32K se guardó sin "
                      "datos; una imagen que carga guarda 256 bytes de &55 con su CRC, relleno "
                      "&4E y los datos del sector 7; se puede completar (convert --completar)",
                      true},
        CasoVeredicto{"ocho-k", Esquema, "Sector de 8K", "confirmada",
                      "pista 39, cara 0, sector &C1: firma: CRC-16 (inicial &D2F6) de los &1800 "
                      "primeros bytes en +&1800"},
        CasoVeredicto{"ocho-k-relleno", Esquema, "Sector de 8K", "probable",
                      "pista 39, cara 0, sector &C1: N=6"},
        CasoVeredicto{"titus", Esquema, "Titus", "confirmada",
                      "pista 10, cara 0, sector &0C: firma \"Titus\" en +27"},
        CasoVeredicto{"titus-masterizado", Esquema, "Titus", "confirmada",
                      "volcado incompleto: pista 10, cara 0: error de masterizado: sus 6 últimos "
                      "sectores, como los de KBI-19, son basura; se puede completar (convert "
                      "--completar)",
                      true},
        CasoVeredicto{"reussir", Esquema, "Reussir", "confirmada",
                      "pista 2, cara 0, sector &C5: firma &00 \"LANCE\" en +0 y DD 7E 00 BE 20 en "
                      "+300"},
        CasoVeredicto{"infogrames", Esquema, "Infogrames / Loriciel (datos del gap)", "probable",
                      "pista 39, cara 0: 9 sectores N=2 guardados con 540 bytes o más: el "
                      "volcado guardó el gap"},
        CasoVeredicto{"hexagon", Esquema, "Hexagon", "probable",
                      "pista 5, cara 0, sector &C1: N=6, error de CRC en los datos, marca de "
                      "borrado, guarda 6144 bytes"},
        CasoVeredicto{"hexagon-firma", Esquema, "Hexagon", "confirmada",
                      "pista 1, cara 0, sector &C1: firma \"HEXAGON DISK PROTECTION c 1989\" en "
                      "+40"},
        CasoVeredicto{"speedlock-mas3", Esquema, "Speedlock 1989/1990 (+3)", "probable",
                      "pista 3, cara 0: un solo sector N=6 con error de CRC en un disco de +3"},
        CasoVeredicto{"alkatraz", Esquema, "Alkatraz", "probable",
                      "pista 5, cara 0: 18 sectores de 256 bytes"},
        CasoVeredicto{"alkatraz-mas3", Esquema, "Alkatraz", "confirmada",
                      "pista 0, cara 0, sector &01: firma \" THE ALKATRAZ PROTECTION SYSTEM   (C) "
                      "1987  Appleby Associates\" en +64"},
        CasoVeredicto{"speedlock89", Esquema, "Speedlock 1989", "probable",
                      "pista 0, cara 0, sector &C3: N=2, marca de borrado"},
        CasoVeredicto{"paulowens", Esquema, "Paul Owens", "confirmada",
                      "pista 0, cara 0, sector &C3: firma \"PAUL OWENS\" &80 \"PROTECTION SYS\" en "
                      "+16"},
        CasoVeredicto{"paulowens-forma", Esquema, "Paul Owens", "probable",
                      "también encaja: P.M.S. (probable)"},
        CasoVeredicto{"discloc", Esquema, "DiscLoc", "confirmada",
                      "pista 2, cara 0, sector &C1: firma \"DISCLOC\" en +0"},
        CasoVeredicto{"threeinch", Esquema, "Three Inch Loader (tipo 1)", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"***Loader Copyright Three Inch "
                      "Software 1988,\" en +16"},
        CasoVeredicto{"threeinch-2", Esquema, "Three Inch Loader (tipo 2)", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"***Loader Copyright Three Inch "
                      "Software 1988,\" en +16 y \"01-546 2754\" en +62"},
        CasoVeredicto{"threeinch-3", Esquema, "Three Inch Loader (tipo 3)", "confirmada",
                      "pista 1, cara 0, sector &C5: firma \"Loader \" &7F \"1988 Three Inch "
                      "Software\" en +16"},
        CasoVeredicto{"pms", Esquema, "P.M.S.", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"P.M.S.LOADER [C]1987\" en +16"},
        CasoVeredicto{"pms-forma", Esquema, "P.M.S.", "probable",
                      "pista 1, cara 0: vacía, entre pistas con sectores"},
        CasoVeredicto{"studiob", Esquema, "Studio B", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"Disc format (c) 1986 Studio B Ltd.\" "
                      "en +16"},
        CasoVeredicto{"armourloc", Esquema, "ARMOURLOC", "confirmada",
                      "pista 0, cara 0, sector &C1: firma \"0K free\" en +2"},
        CasoVeredicto{"laserload", Esquema, "Laser Load", "confirmada",
                      "pista 0, cara 0, sector &C3: firma \"Laser Load   By C.J.Pink For Consult "
                      "Computer    Systems\" en +16"},
        CasoVeredicto{"ere", Esquema, "ERE (Remi Herbulot)", "confirmada",
                      "pista 0, cara 0, sector &C6: firma \"PROTECTION  V2.1Remi HERBULOT\" en "
                      "+16"},
        CasoVeredicto{"discsys", Esquema, "DiscSYS", "probable",
                      "pista 1, cara 0: 16 sectores, el sector i con C = H = R = N = i"},
        CasoVeredicto{"mean", Esquema, "Mean Protection System", "confirmada",
                      "pista 0, cara 0, sector &C5: firma \"MEAN PROTECTION SYSTEM\" en +64"},
        CasoVeredicto{"players", Esquema, "Players", "probable",
                      "pista 1, cara 0: 16 sectores, el sector i con R = N = i"},
        CasoVeredicto{"exopal", Esquema, "Amsoft EXOPAL", "confirmada",
                      "pista 3, cara 0, sector &C1: firma \"Amsoft disc protection system\" en +8 "
                      "y \"EXOPAL\" en +100"},
        CasoVeredicto{"wrm", Esquema, "W.R.M. (Martech)", "confirmada",
                      "pista 8, cara 0, sector &CA: firma \"W.R.M Disc\" en +0"},
        CasoVeredicto{"frontier", Esquema, "Frontier", "confirmada",
                      "pista 1, cara 0, sector &C4: firma \"NEW DISK PROTECTION SYSTEM. (C) 1990 "
                      "BY NEW FRONTIER SOFT.\" en +16"},
        CasoVeredicto{"frontier-forma", Esquema, "Frontier", "probable",
                      "pista 9, cara 0: un solo sector, y un sector 0 de 4096 bytes en la pista 0"},
        CasoVeredicto{"jacelock", Esquema, "Jacelock (protección casera, no comercial)", "probable",
                      "pista 39, cara 0, sector &FF: N=6, error de CRC en los datos, guarda 6144 "
                      "bytes"},
        // What no scheme may claim.
        CasoVeredicto{"intercalado", ClaseVeredicto::Ninguna, "", "", ""},
        CasoVeredicto{"demo-10x512-5x1024", ClaseVeredicto::Formato, "", "",
                      "pista 1, cara 0: 5 sectores de 1024 bytes, IDs C1..C5, en 41 pistas; "
                      "pistas de datos de demos (y la cara de datos de Speedlock 1989)"},
        CasoVeredicto{"demo-1k", ClaseVeredicto::Formato, "", "",
                      "pista 0, cara 0: 5 sectores de 1024 bytes, IDs C1..C5, en 42 pistas; "
                      "pistas de datos de demos (y la cara de datos de Speedlock 1989)"},
        CasoVeredicto{"gastado", ClaseVeredicto::Desgaste, "", "",
                      "pista 38, cara 0, sector &C7: N=2, error de CRC en los datos"},
        CasoVeredicto{"trabajo", ClaseVeredicto::Sueltos, "", "",
                      "pista 12, cara 0, sector &C2: N=2, cilindro 99 en su ID"},
        CasoVeredicto{"desconocida", ClaseVeredicto::Desconocida, "", "",
                      "pista 12, cara 0: 9 sectores de 512 bytes, IDs C1..C9; &C2 N=2, error de "
                      "CRC en los datos; &C5 N=2, débil (2 copias), error de CRC en los datos"},
        CasoVeredicto{"speedlock-parecido", ClaseVeredicto::Sueltos, "", "",
                      "pista 0, cara 0, sector &C4: N=2, error de CRC en los datos"},
        CasoVeredicto{"kbi19-parecido", ClaseVeredicto::Formato, "", "",
                      "pista 14, cara 0: 19 sectores de 512 bytes, IDs 00..12"},
        CasoVeredicto{"alkatraz-parecido", ClaseVeredicto::Formato, "", "",
                      "pista 1, cara 0: 18 sectores de 256 bytes, IDs C1..D2"},
        CasoVeredicto{"infogrames-parecido", ClaseVeredicto::Sueltos, "", "",
                      "pista 39, cara 0, sector &C3: N=2, guarda 540 bytes"},
        CasoVeredicto{"pms-parecido", ClaseVeredicto::Ninguna, "", "", ""}),
    [](const testing::TestParamInfo<CasoVeredicto> &i) {
      std::string n = i.param.caso;
      std::replace(n.begin(), n.end(), '-', '_');
      return n;
    });

// Every scheme the table knows has a disk of its own among the cases, and
// every case of the generator is in the table above.
TEST(Proteccion, CadaEsquemaTieneSuDisco) {
  std::set<std::string> nombrados;
  for (const auto &[nombre, caso] : Casos()) {
    for (const cpm::Hallazgo &h : cpm::JuzgarProteccion(Superficie(nombre)).hallazgos) {
      nombrados.insert(h.esquema.substr(0, h.esquema.find(" (")));
    }
  }
  for (const std::string_view e : cpm::EsquemasConocidos()) {
    const std::string base(e.substr(0, e.find(" (")));
    EXPECT_EQ(nombrados.count(base), 1U) << e;
  }
}

struct CasoCompletar {
  const char *caso;
  std::vector<std::string> anadidos; // each line: place and what
  const char *igualA;                // the working dump it must become, or ""
};

class Completar : public testing::TestWithParam<CasoCompletar> {};

// Completed, the dump is named without its warning, holds exactly the
// additions listed, and every sector's first bytes as they were.
TEST_P(Completar, AnadeLoQueFaltaYNadaMas) {
  const CasoCompletar &c = GetParam();
  const imagenes::Superficie antes = Superficie(c.caso);
  const cpm::Completado hecho = cpm::CompletarVolcado(antes);
  ASSERT_TRUE(hecho.Hecho()) << hecho.error;
  std::vector<std::string> lineas;
  std::set<std::pair<int, int>> tocados;
  for (const cpm::Prueba &p : hecho.anadidos) {
    lineas.push_back(cpm::LugarPrueba(p) + ": " + p.texto);
    tocados.insert({p.pista, p.sector});
  }
  EXPECT_EQ(lineas, c.anadidos);
  const cpm::Veredicto v = cpm::JuzgarProteccion(hecho.disco);
  const cpm::Veredicto v0 = cpm::JuzgarProteccion(antes);
  ASSERT_FALSE(v.hallazgos.empty());
  EXPECT_EQ(v.hallazgos.front().esquema, v0.hallazgos.front().esquema);
  EXPECT_FALSE(v.Incompleto()) << cpm::TextoPruebas(v, "");
  // Written as an extended image and read back, it is the same disk.
  const auto dsk = imagenes::EscribirExtendida(hecho.disco);
  ASSERT_TRUE(dsk);
  EXPECT_TRUE(imagenes::CompararSuperficies(
                  hecho.disco, imagenes::DesdeContenedor(imagenes::LeerContenedor(*dsk)))
                  .empty());
  if (*c.igualA != '\0') {
    const auto d = imagenes::CompararSuperficies(hecho.disco, Superficie(c.igualA));
    EXPECT_TRUE(d.empty()) << d.front().texto;
    return;
  }
  // A weak sector keeps its first copy; the second differs in the span only.
  for (int t = 0; t < antes.pistas; ++t) {
    const auto &a = antes.Pista(t, 0)->sectores;
    const auto &b = hecho.disco.Pista(t, 0)->sectores;
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
      if (tocados.count({t, a[k].r}) == 0) {
        EXPECT_EQ(a[k].datos, b[k].datos) << t << " " << int(a[k].r);
        EXPECT_EQ(a[k].copias, b[k].copias);
        continue;
      }
      ASSERT_EQ(b[k].copias, 2);
      ASSERT_EQ(b[k].datos.size(), 2 * a[k].datos.size());
      EXPECT_TRUE(std::equal(a[k].datos.begin(), a[k].datos.end(), b[k].datos.begin()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Completar,
    testing::Values(
        CasoCompletar{"speedlock-incompleto",
                      {"pista 0, cara 0, sector &C8: una segunda copia de 512 bytes, con los "
                       "bytes 336..367 invertidos"},
                      ""},
        CasoCompletar{"speedlock-entero-incompleto",
                      {"pista 0, cara 0, sector &C8: una segunda copia de 512 bytes, con los "
                       "bytes 0..511 invertidos"},
                      ""},
        CasoCompletar{"rainbow-incompleto",
                      {"pista 40, cara 0, sector &C6: una segunda copia de 512 bytes, con los "
                       "bytes 100..355 invertidos"},
                      ""},
        CasoCompletar{"kbi10-incompleto",
                      {"pista 20, cara 0, sector &CA: una segunda copia de 256 bytes, con los "
                       "bytes 4..7 y 132..135 invertidos"},
                      ""},
        CasoCompletar{"operasoft-incompleto",
                      {"pista 40, cara 0, sector &08: 1554 bytes: 256 de &55, su CRC (E8 9F), &4E "
                       "hasta +&512 y los 256 del sector &07"},
                      "operasoft"},
        CasoCompletar{"titus-masterizado",
                      {"pista 10, cara 0, sector &00: quitado: basura del error de masterizado",
                       "pista 10, cara 0, sector &01: quitado: basura del error de masterizado",
                       "pista 10, cara 0, sector &04: quitado: basura del error de masterizado",
                       "pista 10, cara 0, sector &07: quitado: basura del error de masterizado",
                       "pista 10, cara 0, sector &0A: quitado: basura del error de masterizado",
                       "pista 10, cara 0, sector &0D: quitado: basura del error de masterizado"},
                      "titus"}),
    [](const testing::TestParamInfo<CasoCompletar> &i) {
      std::string n = i.param.caso;
      std::replace(n.begin(), n.end(), '-', '_');
      return n;
    });

// What is whole, what no scheme names, and what a scheme names but cannot
// say how to complete, is refused, and the disk is left as it was.
TEST(Proteccion, CompletarRehusaLoDemas) {
  for (const char *caso : {"speedlock", "intercalado", "desconocida", "rainbow-sin-marca"}) {
    const imagenes::Superficie s = Superficie(caso);
    const cpm::Completado c = cpm::CompletarVolcado(s);
    EXPECT_FALSE(c.Hecho()) << caso;
    EXPECT_TRUE(c.anadidos.empty()) << caso;
    EXPECT_TRUE(imagenes::CompararSuperficies(c.disco, s).empty()) << caso;
  }
  EXPECT_EQ(cpm::CompletarVolcado(Superficie("rainbow-sin-marca")).error,
            "no se sabe completar: Rainbow Arts: el sector &C6 perdió en este volcado su error de "
            "CRC en los datos, y no se sabe qué había");
}

// A conversion that loses what a protection needs says which one will fail.
TEST(Proteccion, LaConversionDiceQueProteccionFallara) {
  cpm::OpcionesConversion o;
  o.destino = imagenes::TipoPorNombre("hfe");
  const cpm::Conversion c = cpm::Convertir(Casos().at("speedlock").bytes, o);
  ASSERT_FALSE(c.Hecha());
  const auto debil = std::find_if(c.perdidas.begin(), c.perdidas.end(),
                                  [](const cpm::Diferencia &d) { return d.sector == 0xC8; });
  ASSERT_NE(debil, c.perdidas.end());
  EXPECT_NE(
      debil->texto.find("; sin ello, la protección Speedlock (confirmada) dejará de funcionar"),
      std::string::npos)
      << debil->texto;
  // Said once, however many losses its sectors have.
  EXPECT_EQ(std::count_if(c.perdidas.begin(), c.perdidas.end(),
                          [](const cpm::Diferencia &d) {
                            return d.texto.find("Speedlock") != std::string::npos;
                          }),
            1);
  // An extended copy loses nothing, and says nothing.
  o.destino = imagenes::TipoPorNombre("extendido");
  EXPECT_TRUE(cpm::Convertir(Casos().at("speedlock").bytes, o).perdidas.empty());
}

} // namespace
