// Sector and track edits as rows: each change made to a disk of each layout,
// written into the image, read back and compared sector by sector with what
// was asked, and with the disk before: exactly the change, or a refusal that
// leaves nothing written.
#include "Ayuda.h"
#include "cpm/Edicion.h"
#include "imagenes/Comparacion.h"
#include "imagenes/Dsk.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Generador::Disposicion;
using Cambio = std::function<std::string(imagenes::Superficie &)>;

struct CasoEdicion {
  const char *nombre;
  Disposicion disposicion;
  Cambio cambio;
  // What cmp --sectores says between the disk before and after, in order;
  // empty with `rechazo`.
  std::vector<std::string> diferencias;
  const char *rechazo = nullptr; // in the refusal's text, when refused
};

std::vector<std::uint8_t> Imagen(Disposicion d) {
  Generador::DiscoCpm disco(Generador::GeometriaData(), d);
  disco.Agregar({0, "GAME", "BIN", false, false, false, Datos(20000, 3), {}, 0});
  return disco.Bytes();
}

cpm::CambioSector Sector(std::uint8_t id, const std::function<void(cpm::CambioSector &)> &f) {
  cpm::CambioSector c;
  c.id = id;
  f(c);
  return c;
}

Cambio EnSector(std::uint8_t id, const std::function<void(cpm::CambioSector &)> &f) {
  return [=](imagenes::Superficie &s) { return cpm::CambiarSector(s, 5, 0, Sector(id, f)); };
}

Cambio Formatear(std::vector<std::uint8_t> ids, std::uint8_t n, std::uint8_t gap,
                 std::uint8_t relleno) {
  return [=](imagenes::Superficie &s) {
    return cpm::FormatearPista(s, 5, 0, {ids, n, gap, relleno, std::nullopt, std::nullopt});
  };
}

// Track 0 as a file of its own, put in track 5's place (its empty catalogue
// sectors C2 to C4 hold what the empty track 5 holds).
Cambio Importar() {
  return [](imagenes::Superficie &s) {
    const std::vector<std::uint8_t> archivo = cpm::ExportarPista(*s.Pista(0, 0));
    std::string error;
    auto pista = cpm::ImportarPista(archivo, &error);
    return pista ? cpm::PonerPista(s, 5, 0, std::move(*pista)) : error;
  };
}

const std::vector<std::uint8_t> Ids{0xC1, 0xC6, 0xC2, 0xC7, 0xC3, 0xC8, 0xC4, 0xC9, 0xC5};
constexpr const char *A = "pista 5, cara 0, sector &C3: ";

std::vector<CasoEdicion> Casos() {
  std::vector<CasoEdicion> v;
  for (const Disposicion d : {Disposicion::Estandar, Disposicion::Extendida}) {
    const bool ext = d == Disposicion::Extendida;
    v.push_back({ext ? "DatosExt" : "DatosStd",
                 d,
                 EnSector(0xC3,
                          [](cpm::CambioSector &c) {
                            c.datos = std::vector<std::uint8_t>{1, 2, 3, 4};
                            c.desde = 10;
                          }),
                 {std::string(A) + "distintos desde el byte 10"}});
    v.push_back({ext ? "EstadoExt" : "EstadoStd",
                 d,
                 EnSector(0xC3,
                          [](cpm::CambioSector &c) {
                            c.st1 = 0x20;
                            c.st2 = 0x40;
                          }),
                 {std::string(A) + "ST1=&00 ST2=&00 en antes, ST1=&20 ST2=&40 en después"}});
    v.push_back({ext ? "CodigoExt" : "CodigoStd",
                 d,
                 EnSector(0xC3, [](cpm::CambioSector &c) { c.n = 3; }),
                 {std::string(A) + "ID C=5 H=0 R=&C3 N=2 en antes, C=5 H=0 R=&C3 N=3 en después"}});
    v.push_back({ext ? "FormatoExt" : "FormatoStd",
                 d,
                 Formatear(Ids, 2, 0x52, 0x00),
                 {"pista 5, cara 0: sectores C1 C2 C3 C4 C5 C6 C7 C8 C9 en antes, C1 C6 C2 C7 C3 "
                  "C8 C4 C9 C5 en después",
                  "pista 5, cara 0, sector &C1: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C2: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C3: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C4: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C5: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C6: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C7: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C8: distintos desde el byte 0",
                  "pista 5, cara 0, sector &C9: distintos desde el byte 0",
                  "pista 5, cara 0: GAP &4E y relleno &E5 en antes, GAP &52 y relleno &00 en "
                  "después"}});
    v.push_back({ext ? "SinFormatoExt" : "SinFormatoStd",
                 d,
                 [](imagenes::Superficie &s) { return cpm::DesformatearPista(s, 5, 0); },
                 {"pista 5, cara 0: 9 sectores en antes, ninguno en después"}});
    v.push_back({ext ? "ImportarExt" : "ImportarStd",
                 d,
                 Importar(),
                 {"pista 5, cara 0, sector &C1: ID C=5 H=0 R=&C1 N=2 en antes, C=0 H=0 R=&C1 N=2 "
                  "en después; distintos desde el byte 0",
                  "pista 5, cara 0, sector &C2: ID C=5 H=0 R=&C2 N=2 en antes, C=0 H=0 R=&C2 N=2 "
                  "en después",
                  "pista 5, cara 0, sector &C3: ID C=5 H=0 R=&C3 N=2 en antes, C=0 H=0 R=&C3 N=2 "
                  "en después",
                  "pista 5, cara 0, sector &C4: ID C=5 H=0 R=&C4 N=2 en antes, C=0 H=0 R=&C4 N=2 "
                  "en después",
                  "pista 5, cara 0, sector &C5: ID C=5 H=0 R=&C5 N=2 en antes, C=0 H=0 R=&C5 N=2 "
                  "en después; distintos desde el byte 0",
                  "pista 5, cara 0, sector &C6: ID C=5 H=0 R=&C6 N=2 en antes, C=0 H=0 R=&C6 N=2 "
                  "en después; distintos desde el byte 0",
                  "pista 5, cara 0, sector &C7: ID C=5 H=0 R=&C7 N=2 en antes, C=0 H=0 R=&C7 N=2 "
                  "en después; distintos desde el byte 0",
                  "pista 5, cara 0, sector &C8: ID C=5 H=0 R=&C8 N=2 en antes, C=0 H=0 R=&C8 N=2 "
                  "en después; distintos desde el byte 0",
                  "pista 5, cara 0, sector &C9: ID C=5 H=0 R=&C9 N=2 en antes, C=0 H=0 R=&C9 N=2 "
                  "en después; distintos desde el byte 0"}});
  }
  // What only the extended layout holds; the standard one refuses it.
  v.push_back({"GuardadosExt",
               Disposicion::Extendida,
               EnSector(0xC3, [](cpm::CambioSector &c) { c.guardados = 256; }),
               {std::string(A) + "512 bytes guardados en antes, 256 en después"}});
  v.push_back({"GuardadosStd",
               Disposicion::Estandar,
               EnSector(0xC3, [](cpm::CambioSector &c) { c.guardados = 256; }),
               {},
               "La disposición estándar no puede guardarlo: pista 5, cara 0, sector &C3: 256 "
               "bytes guardados en lo pedido, 512 en lo que guarda la imagen"});
  v.push_back({"CopiasExt",
               Disposicion::Extendida,
               EnSector(0xC3, [](cpm::CambioSector &c) { c.copias = 3; }),
               {std::string(A) + "1 copia en antes, 3 en después; 512 bytes guardados en antes, "
                                 "1536 en después"}});
  v.push_back({"CopiasStd",
               Disposicion::Estandar,
               EnSector(0xC3, [](cpm::CambioSector &c) { c.copias = 3; }),
               {},
               "La disposición estándar no puede guardarlo: pista 5, cara 0, sector &C3: 3 copias "
               "en lo pedido, 1 en lo que guarda la imagen; 1536 bytes guardados en lo pedido, 512 "
               "en lo que guarda la imagen"});
  v.push_back({"DiezSectoresExt",
               Disposicion::Extendida,
               Formatear({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2, 0x4E, 0xE5),
               {"pista 5, cara 0: sectores C1 C2 C3 C4 C5 C6 C7 C8 C9 en antes, 01 02 03 04 05 06 "
                "07 08 09 0A en después",
                "pista 5, cara 0, sector &C1: solo en antes",
                "pista 5, cara 0, sector &C2: solo en antes",
                "pista 5, cara 0, sector &C3: solo en antes",
                "pista 5, cara 0, sector &C4: solo en antes",
                "pista 5, cara 0, sector &C5: solo en antes",
                "pista 5, cara 0, sector &C6: solo en antes",
                "pista 5, cara 0, sector &C7: solo en antes",
                "pista 5, cara 0, sector &C8: solo en antes",
                "pista 5, cara 0, sector &C9: solo en antes",
                "pista 5, cara 0, sector &01: solo en después",
                "pista 5, cara 0, sector &02: solo en después",
                "pista 5, cara 0, sector &03: solo en después",
                "pista 5, cara 0, sector &04: solo en después",
                "pista 5, cara 0, sector &05: solo en después",
                "pista 5, cara 0, sector &06: solo en después",
                "pista 5, cara 0, sector &07: solo en después",
                "pista 5, cara 0, sector &08: solo en después",
                "pista 5, cara 0, sector &09: solo en después",
                "pista 5, cara 0, sector &0A: solo en después"}});
  v.push_back({"DiezSectoresStd",
               Disposicion::Estandar,
               Formatear({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2, 0x4E, 0xE5),
               {},
               "En la disposición estándar todas las pistas ocupan 4864 bytes, y esta ocuparía "
               "5376; alcove-cli convert --a extendido la pasa a la disposición extendida"});
  return v;
}

class Edicion : public testing::TestWithParam<CasoEdicion> {};

TEST_P(Edicion, SeLeeComoSePidioYSoloCambiaLaPista) {
  const CasoEdicion &caso = GetParam();
  const std::vector<std::uint8_t> imagen = Imagen(caso.disposicion);
  const imagenes::Contenedor c = imagenes::LeerContenedor(imagen);
  const imagenes::Superficie antes = imagenes::DesdeContenedor(c);
  imagenes::Superficie pedida = antes;
  ASSERT_EQ(caso.cambio(pedida), "");
  const cpm::Escrito escrito = cpm::EscribirPista(imagen, c, 5, 0, pedida);
  if (caso.rechazo != nullptr) {
    ASSERT_FALSE(escrito.Hecho());
    EXPECT_EQ(escrito.rechazo->texto, caso.rechazo);
    EXPECT_TRUE(escrito.bytes.empty());
    return;
  }
  ASSERT_TRUE(escrito.Hecho()) << escrito.rechazo->texto;
  const imagenes::Superficie leida =
      imagenes::DesdeContenedor(imagenes::LeerContenedor(escrito.bytes));
  imagenes::OpcionesComparacion o{"antes", "después", false};
  o.cabecerasPista = true;
  EXPECT_TRUE(imagenes::CompararSuperficies(pedida, leida, o).empty());
  std::vector<std::string> textos;
  for (const imagenes::Diferencia &d : imagenes::CompararSuperficies(antes, leida, o)) {
    textos.push_back(d.texto);
    EXPECT_EQ(d.pista, 5);
  }
  EXPECT_EQ(textos, caso.diferencias);
  // Every byte before the track stays, but for its size in the extended table.
  const imagenes::Pista *p = imagenes::BuscarPista(c, 5, 0);
  for (std::size_t i = 0; i < p->desplazamiento; ++i) {
    if (i != 52 + 5) {
      ASSERT_EQ(escrito.bytes[i], imagen[i]) << "byte " << i;
    }
  }
  const std::size_t despues = imagen.size() - p->desplazamiento - p->tamano;
  EXPECT_TRUE(std::equal(imagen.end() - static_cast<std::ptrdiff_t>(despues), imagen.end(),
                         escrito.bytes.end() - static_cast<std::ptrdiff_t>(despues)));
}

INSTANTIATE_TEST_SUITE_P(Filas, Edicion, testing::ValuesIn(Casos()),
                         [](const testing::TestParamInfo<CasoEdicion> &i) {
                           return std::string(i.param.nombre);
                         });

TEST(Edicion, LoQueNoSePuedePedir) {
  imagenes::Superficie s =
      imagenes::DesdeContenedor(imagenes::LeerContenedor(Imagen(Disposicion::Extendida)));
  EXPECT_EQ(cpm::CambiarSector(s, 5, 0, Sector(0x41, [](cpm::CambioSector &) {})),
            "la pista 5, cara 0 no tiene ningún sector &41");
  EXPECT_EQ(cpm::CambiarSector(s, 5, 0,
                               Sector(0xC1,
                                      [](cpm::CambioSector &c) {
                                        c.datos = std::vector<std::uint8_t>(100, 0);
                                        c.desde = 500;
                                      })),
            "100 bytes desde el byte 500 no caben en el sector &C1, que guarda 512 bytes");
  EXPECT_EQ(cpm::CambiarSector(s, 5, 0,
                               Sector(0xC1,
                                      [](cpm::CambioSector &c) {
                                        c.datos = std::vector<std::uint8_t>(1, 0);
                                        c.copia = 1;
                                      })),
            "el sector &C1 guarda 1 copia; no hay copia 2");
  EXPECT_EQ(cpm::FormatearPista(s, 40, 0, {}), "el disco no tiene la pista 40, cara 0 (tiene 40 "
                                               "pistas y 1 cara)");
  std::string error;
  EXPECT_FALSE(cpm::ImportarPista(std::vector<std::uint8_t>(300, 0), &error));
  EXPECT_EQ(error, "no es una pista: no empieza por un bloque \"Track-Info\"");
}

} // namespace
