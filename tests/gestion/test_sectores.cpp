// Below the files in the window, decided without one: the disk's map as
// boxes, the sector view's dump read back, and the map, the sector view and
// "Comprobar disco" acted on an image file through the fake dialogs.
#include "Comun.h"
#include "Dobles.h"
#include "Generador.h"
#include "cpm/Comprobacion.h"
#include "cpm/Mapa.h"
#include "gestion/Acciones.h"
#include "gestion/Sectores.h"
#include "imagenes/Comparacion.h"
#include "imagenes/Dsk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// SYSTEM: tracks 0 and 1 reserved, the catalogue in blocks 0 and 1 (track 2,
// &41 to &44), GAME.BIN from &45 on track 2 to &45 on track 3; track 3's &44
// read with an error, a deleted mark on track 4, a weak sector on track 5.
std::vector<std::uint8_t> Sistema() {
  Generador::DiscoCpm d(Generador::GeometriaSystem(), Generador::Disposicion::Extendida);
  d.Agregar({0, "GAME", "BIN", false, false, false, Generador::ContenidoPrueba(5000, 1), {}, 0})
      .Estado(3, 0, 0x44, 0x20, 0x20)
      .Estado(4, 0, 0x41, 0, 0x40)
      .Debil(5, 0, 0x42, 3);
  return d.Bytes();
}

const Gestion::CeldaMapa *Celda(const Gestion::DibujoMapa &d, int pista, std::uint8_t id) {
  for (const Gestion::CeldaMapa &c : d.celdas) {
    if (c.pista == pista && c.id == id) {
      return &c;
    }
  }
  return nullptr;
}

Gestion::ColorMapa ColorDe(cpm::ClaseSector clase) {
  for (const Gestion::ClaseEnMapa &c : Gestion::ClasesMapa()) {
    if (c.clase == clase) {
      return c.color;
    }
  }
  return {};
}

TEST(MapaDibujado, CadaSectorEsUnaCajaDeSuTamanoYSuColorQueNombraLoQueEs) {
  const std::vector<std::uint8_t> bytes = Sistema();
  const cpm::Disco disco = cpm::LeerDisco(bytes);
  const Gestion::DibujoMapa d = Gestion::DibujarMapa(disco, cpm::Mapear(disco));
  struct Fila {
    int pista;
    std::uint8_t id;
    Gestion::ColorMapa color;
    const char *texto;
  };
  const Gestion::ColorMapa game = Gestion::ColorArchivo(0);
  const std::vector<Fila> filas{
      {0, 0x41, ColorDe(cpm::ClaseSector::Sistema),
       "Pista 0, cara 0, sector &41 (512 bytes): sistema"},
      {2, 0x41, ColorDe(cpm::ClaseSector::Catalogo), "sector &41 (512 bytes): catálogo, bloque 0"},
      {2, 0x45, game, "Pista 2, cara 0, sector &45 (512 bytes): GAME.BIN, bloque 2"},
      {3, 0x44, ColorDe(cpm::ClaseSector::Error), "&44 (512 bytes): error; GAME.BIN, bloque 6"},
      {3, 0x46, ColorDe(cpm::ClaseSector::Libre), "&46 (512 bytes): libre, bloque 7"},
      {4, 0x41, ColorDe(cpm::ClaseSector::Borrado), "&41 (512 bytes): borrado, bloque 9"},
      {5, 0x42, ColorDe(cpm::ClaseSector::Debil), "&42 (1536 bytes): débil, bloque 14"},
  };
  for (const Fila &f : filas) {
    SCOPED_TRACE(f.texto);
    const Gestion::CeldaMapa *c = Celda(d, f.pista, f.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->color, f.color);
    EXPECT_NE(c->texto.find(f.texto), std::string::npos) << c->texto;
    // The pointer anywhere on the box names it.
    for (const auto &[x, y] : {std::pair{c->x, c->y}, {c->x + c->ancho - 1, c->y + c->alto - 1}}) {
      const Gestion::CeldaMapa *bajo = Gestion::CeldaEn(d, x, y);
      ASSERT_NE(bajo, nullptr);
      EXPECT_EQ(bajo->texto, c->texto);
    }
  }
  // As wide as what they store: three copies of 512 bytes, three sectors' width.
  const Gestion::CeldaMapa *debil = Celda(d, 5, 0x42), *otro = Celda(d, 5, 0x41);
  EXPECT_NEAR(debil->ancho + 1, 3 * (otro->ancho + 1), 3);
  // Every track's sectors, inside the canvas and above the legend; files
  // apart from the other kinds.
  EXPECT_EQ(d.celdas.size(), 40u * 9u);
  const int leyenda = std::min_element(d.rotulos.begin(), d.rotulos.end(), [](auto &a, auto &b) {
                        return (a.muestra ? a.y : 1 << 20) < (b.muestra ? b.y : 1 << 20);
                      })->y;
  for (const Gestion::CeldaMapa &c : d.celdas) {
    EXPECT_TRUE(c.x >= 0 && c.x + c.ancho <= Gestion::AnchoMapa && c.y + c.alto <= leyenda)
        << c.texto;
  }
  for (int i = 0; i < 14; ++i) {
    for (const Gestion::ClaseEnMapa &k : Gestion::ClasesMapa()) {
      EXPECT_TRUE(k.clase == cpm::ClaseSector::Archivo || !(Gestion::ColorArchivo(i) == k.color));
    }
    EXPECT_FALSE(Gestion::ColorArchivo(i) == Gestion::ColorArchivo(i + 1));
  }
  EXPECT_EQ(Gestion::CeldaEn(d, Gestion::AnchoMapa - 1, Gestion::AltoMapa - 1), nullptr);
}

TEST(VolcadoEditado, LoQueSeTecleaEnHexOEnCaracteresEsElSectorNuevo) {
  std::vector<std::uint8_t> antes(40);
  for (std::size_t i = 0; i < antes.size(); ++i) {
    antes[i] = static_cast<std::uint8_t>(0x30 + i);
  }
  const std::string volcado = Gestion::VolcadoEditable(antes);
  ASSERT_EQ(volcado.substr(0, volcado.find('\n')),
            "0000  30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F  0123456789:;<=>?");
  const auto cambiar = [&](std::size_t pos, const std::string &por) {
    std::string t = volcado;
    return t.replace(pos, por.size(), por);
  };
  const std::size_t linea2 = volcado.find('\n') + 1, caracteres = 55;
  std::string conCrLf;
  for (const char c : volcado) {
    conCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  struct Caso {
    const char *que;
    std::string texto;
    std::vector<std::pair<std::size_t, std::uint8_t>> cambios; // nothing when refused
    const char *error;
  };
  const std::vector<Caso> casos{
      {"sin cambios", volcado, {}, nullptr},
      {"hex", cambiar(6, "E5"), {{0, 0xE5}}, nullptr},
      {"hex en minúsculas, segunda línea", cambiar(linea2 + 6 + 3, "ff"), {{17, 0xFF}}, nullptr},
      {"un carácter", cambiar(linea2 + caracteres + 2, "Z"), {{18, 'Z'}}, nullptr},
      {"hex y su carácter viejo: gana el hex", cambiar(9, "41"), {{1, 0x41}}, nullptr},
      {"fin de línea CR LF", conCrLf, {}, nullptr},
      {"última línea corta", cambiar(volcado.rfind("0020") + 6 + 3 * 7, "00"), {{39, 0}}, nullptr},
      {"un byte que no es hex",
       cambiar(6, "G5"),
       {},
       "la línea 1 (0000) no tiene el byte 1 en hex (dos cifras)"},
      {"un byte de más pegado",
       cambiar(6, "E55"),
       {},
       "la línea 1 (0000) no tiene el byte 2 en hex (dos cifras)"},
      {"una línea de menos", volcado.substr(linea2), {}, "el volcado tiene 2 líneas y el sector 3"},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.que);
    std::string error;
    const auto datos = Gestion::LeerVolcadoEditado(c.texto, antes, error);
    if (c.error != nullptr) {
      EXPECT_FALSE(datos);
      EXPECT_EQ(error, c.error);
      continue;
    }
    ASSERT_TRUE(datos) << error;
    std::vector<std::uint8_t> esperado = antes;
    for (const auto &[pos, valor] : c.cambios) {
      esperado[pos] = valor;
    }
    EXPECT_EQ(*datos, esperado);
  }
}

// The sectors of two images that differ, as "pista P, cara C, sector &R" each.
std::vector<std::string> Distintos(const std::vector<std::uint8_t> &a,
                                   const std::vector<std::uint8_t> &b) {
  std::vector<std::string> lugares;
  const auto la = imagenes::LeerDsk(a), lb = imagenes::LeerDsk(b);
  for (const imagenes::Diferencia &d : imagenes::CompararSuperficies(*la.disco, *lb.disco)) {
    lugares.push_back(std::to_string(d.pista) + "/" + std::to_string(d.cara) + "/" +
                      std::to_string(d.sector));
  }
  return lugares;
}

TEST(SectorEnLaVentana, SeAbreEnElMapaYSeEscribeSoloElSectorEditado) {
  const std::vector<std::uint8_t> bytes = Sistema();
  CarpetaTemporal carpeta;
  const std::string ruta = carpeta.Archivo("a.dsk");
  Escribir(ruta, bytes);
  Guion dialogos;
  Gestion::Acciones acciones(dialogos);
  const Gestion::Panel panel{ruta, carpeta.Archivo(""), {}};
  dialogos.mapa = [](const Gestion::DibujoMapa &d) {
    return std::optional<Gestion::CeldaMapa>(*Celda(d, 2, 0x45));
  };
  const std::optional<Gestion::CeldaMapa> celda = acciones.MapaDisco(panel);
  ASSERT_TRUE(celda);
  // The first two bytes typed over in hex, the third as a character.
  dialogos.sector = [](std::string volcado) {
    return volcado.replace(6, 5, "DE AD").replace(55 + 2, 1, "!");
  };
  ASSERT_TRUE(acciones.EditarSector(panel, *celda));
  EXPECT_EQ(dialogos.cabeceraSector,
            "Pista 2, cara 0, sector &45: ID C=2 H=0 R=&45 N=2; ST1=&00 ST2=&00; 512 bytes "
            "guardados");
  const std::vector<std::uint8_t> despues = Leer(ruta);
  EXPECT_EQ(Distintos(bytes, despues), (std::vector<std::string>{"2/0/69"}));
  const cpm::Disco leido = cpm::LeerDisco(despues);
  const auto sector = Gestion::SectorParaVer(leido, 2, 0, celda->indice);
  ASSERT_TRUE(sector);
  EXPECT_EQ(sector->datos[0], 0xDE);
  EXPECT_EQ(sector->datos[1], 0xAD);
  EXPECT_EQ(sector->datos[2], '!');
  EXPECT_TRUE(dialogos.avisos.empty());

  // A dump that cannot be read back is refused, and the image left.
  dialogos.sector = [](std::string volcado) { return volcado.replace(6, 2, "XY"); };
  EXPECT_FALSE(acciones.EditarSector(panel, *celda));
  ASSERT_EQ(dialogos.avisos.size(), 1u);
  EXPECT_EQ(dialogos.avisos[0],
            "No se ha escrito el sector.\nLa línea 1 (0000) no tiene el byte 1 en hex (dos "
            "cifras).");
  EXPECT_EQ(Leer(ruta), despues);
}

TEST(ComprobarEnLaVentana, LosHallazgosDelCheckYLaReparacionSiSeAcepta) {
  for (const Generador::CasoDanado &caso : Generador::CasosDanados()) {
    SCOPED_TRACE(caso.nombre);
    CarpetaTemporal carpeta;
    const std::string ruta = carpeta.Archivo(caso.nombre);
    Escribir(ruta, caso.bytes);
    const cpm::Comprobacion antes = cpm::ComprobarDisco(cpm::LeerDisco(caso.bytes));
    Guion dialogos;
    Gestion::Acciones acciones(dialogos);
    const Gestion::Panel panel{ruta, carpeta.Archivo(""), {}};
    // Declined, nothing changes; accepted, the image is what check --reparar makes.
    dialogos.confirmar = {false, true};
    const bool reparable = antes.Reparables() > 0;
    EXPECT_FALSE(acciones.ComprobarDisco(panel));
    EXPECT_EQ(Leer(ruta), caso.bytes);
    if (!cpm::LeerDisco(caso.bytes).contenedor.valido) {
      // Unreadable, as check's exit 2: said why, nothing offered.
      ASSERT_EQ(dialogos.avisos.size(), 1u);
      EXPECT_EQ(dialogos.avisos[0].rfind(ruta + ": ", 0), 0u) << dialogos.avisos[0];
      EXPECT_TRUE(dialogos.preguntas.empty());
      continue;
    }
    const std::string informe = (reparable ? dialogos.preguntas.at(0) : dialogos.mostrado);
    EXPECT_EQ(informe.rfind(caso.nombre + ": " + cpm::ResumenComprobacion(antes, "") + "\n" +
                                cpm::TextoDefectos(antes.defectos),
                            0),
              0u)
        << informe;
    if (!reparable) {
      EXPECT_TRUE(dialogos.preguntas.empty());
      continue;
    }
    EXPECT_TRUE(acciones.ComprobarDisco(panel));
    const cpm::Escrito esperado = cpm::RepararDisco(caso.bytes, cpm::LeerDisco(caso.bytes));
    EXPECT_EQ(Leer(ruta), esperado.bytes);
    EXPECT_NE(dialogos.mostrado.find("reparado: "), std::string::npos) << dialogos.mostrado;
  }
}

} // namespace
