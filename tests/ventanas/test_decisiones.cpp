// The windows' decisions without any toolkit, on fakes of the host's controls:
// they run on every host, Linux and (under Wine) Windows alike.
#include "Comun.h"
#include "Dobles.h"
#include "Generador.h"

#include "cpm/Disco.h"
#include "platform/Errores.h"
#include "ui/auxiliary/F_Acerca.h"
#include "ui/auxiliary/F_Progress.h"
#include "ui/auxiliary/Medidor.h"
#include "ui/auxiliary/Portada.h"
#include "ui/controles/FilasOrdenadas.h"
#include "ui/controles/Texto.h"
#include "ui/controles/Volcado.h"
#include "ui/main/F_Alcove.h"
#include "ui/main/Iconos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Plataforma::EstadoMemoria;
using Plataforma::ObjetoSistema;

// ---- Texts -----------------------------------------------------------------------

TEST(Texto, DiskBytesAreLatin1AndHostNamesKeepTheirValidUtf8) {
  EXPECT_EQ(Texto::DesdeBytesDisco("A\xE9\x01\xFF"), "A\xC3\xA9\x01\xC3\xBF");
  struct Caso {
    const char *que, *bytes, *texto;
  };
  const Caso casos[] = {
      {"ascii", "juegos.dsk", "juegos.dsk"},
      {"utf-8", "Ni\xC3\xB1o.dsk", "Ni\xC3\xB1o.dsk"},
      {"latin-1", "\xE9t\xE9.dsk", "\xEF\xBF\xBDt\xEF\xBF\xBD.dsk"},
      {"cut short", "a\xE2\x82", "a\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"overlong", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"four bytes", "\xF0\x9F\x92\xBE", "\xF0\x9F\x92\xBE"},
  };
  for (const Caso &c : casos)
    EXPECT_EQ(Texto::DesdeNombreHost(c.bytes), c.texto) << c.que;
}

TEST(Texto, ComparesIgnoringTheCaseOfAsciiAndLatin1Letters) {
  EXPECT_EQ(Texto::CompararSinCaso("abc", "ABC"), 0);
  EXPECT_EQ(Texto::CompararSinCaso("\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"), 0); // ÉTÉ, été
  EXPECT_LT(Texto::CompararSinCaso("A", "b"), 0);
  EXPECT_LT(Texto::CompararSinCaso("_", "a"), 0) << "letters fold to lower case";
  EXPECT_LT(Texto::CompararSinCaso("   1", "  16"), 0);
  EXPECT_LT(Texto::CompararSinCaso("GAME", "GAMES"), 0);
  EXPECT_NE(Texto::CompararSinCaso("\xC3\x97", "\xC3\xB7"), 0) << "the signs x and / do not fold";
}

// ---- Sorted rows -----------------------------------------------------------------

FilasOrdenadas::Textos Fila(const char *nombre, const char *ext, const char *kb = "   1") {
  return {nombre, ext, kb, ""};
}

std::vector<std::string> Columna(const FilasOrdenadas &filas, int c) {
  std::vector<std::string> t;
  for (int f = 0; f < filas.size(); ++f)
    t.push_back(filas[f].textos[static_cast<std::size_t>(c)]);
  return t;
}

TEST(FilasOrdenadas, PlacesEachRowByItsColumnAndReportsWhereRowsWentOnAResort) {
  FilasOrdenadas filas;
  EXPECT_EQ(filas.Add(Fila("b", "BIN"), 1), 0);
  EXPECT_EQ(filas.PosicionDe(Fila("A", "X")), 0);
  EXPECT_EQ(filas.Add(Fila("A", "BAS", "  16"), 2), 0);
  EXPECT_EQ(filas.Add(Fila("B", "BAK", "   2"), 3), 2) << "equal texts go after";
  EXPECT_EQ(filas.Add(Fila("a", "TXT"), 4), 1);
  EXPECT_EQ(Columna(filas, 0), (std::vector<std::string>{"A", "a", "b", "B"}));

  // By "KB": old positions 0..3 (A 16, a 1, b 1, B 2) go to 3, 1, 0, 2.
  EXPECT_EQ(filas.SetSortKey(2), (std::vector<int>{3, 1, 0, 2}));
  EXPECT_EQ(Columna(filas, 0), (std::vector<std::string>{"b", "a", "B", "A"}));
  EXPECT_EQ(filas.SetSortKey(2), (std::vector<int>{0, 1, 2, 3})) << "the same key again";
  filas.SetSortOrder(1);
  EXPECT_EQ(Columna(filas, 2), (std::vector<std::string>{"  16", "   2", "   1", "   1"}));
  EXPECT_EQ(Columna(filas, 0)[2], "b") << "equal texts keep arrival order descending too";
  EXPECT_THROW(filas.SetSortKey(4), ErrorAlcove);
  EXPECT_THROW(filas.SetSortKey(-1), ErrorAlcove);
  EXPECT_EQ(filas.SortKey(), 2);

  filas.Clear();
  filas.SetSorted(false);
  filas.Add(Fila("Z", ""), 1);
  EXPECT_EQ(filas.Add(Fila("A", ""), 1), 1) << "unsorted rows append";
  filas.SetSorted(true);
  EXPECT_EQ(filas[0].textos[0], "Z") << "descending order was kept across Clear";
}

// ---- The main window -------------------------------------------------------------

using Generador::CrearEntrada;

class VentanaSinToolkit : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directory(carpeta.Ruta() / "otra");
    Generador::ImagenDsk juegos(Generador::Disposicion::Estandar, 40, 1);
    juegos.Creador("TEST CREADOR");
    juegos.AgregarEntrada(CrearEntrada(0, "ZAP     BAK", 16))
        .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 128, 0))
        .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 16, 1))
        .AgregarEntrada(CrearEntrada(0xE5, "OLD     BAS", 10))
        .AgregarEntrada(CrearEntrada(3, "notes   bin", 0))
        .AgregarEntrada(CrearEntrada(0, "HIGH    \xC2IN", 8)); // read-only
    Generador::EscribirArchivo(carpeta.Ruta() / "juegos.dsk", juegos.Bytes());
    Generador::ImagenDsk otro(Generador::Disposicion::Extendida, 42, 2);
    otro.Creador("OTRO");
    otro.AgregarEntrada(CrearEntrada(0, "BETA    BAS", 24));
    Generador::EscribirArchivo(carpeta.Ruta() / "otra" / "extendido.dsk", otro.Bytes());

    F_Alcove::Controles_ c;
    for (std::size_t p = 0; p < 2; ++p) {
      drive[p].texto = Utf8(carpeta.Ruta() / "otra");
      dir[p].ruta = file[p].ruta = Utf8(carpeta.Ruta());
      c.Drive[p] = &drive[p];
      c.Dir[p] = &dir[p];
      c.File[p] = &file[p];
      c.DSK[p] = &vista[p];
    }
    c.StatusBar = &estado;
    c.Image_EXT = &imagenes;
    c.MostrarAcercaDe = [this] { ++acercas; };
    ventana = std::make_unique<F_Alcove>(std::move(c));
  }
  void Elegir(std::int16_t i, const std::string &nombre) {
    file[static_cast<std::size_t>(i)].nombre = nombre;
    ventana->File_Click(i);
  }
  std::vector<std::string> Filas(std::size_t i) const {
    std::vector<std::string> t;
    for (int f = 0; f < vista[i].Filas(); ++f)
      t.push_back(vista[i].Texto(f, 0) + "|" + vista[i].Texto(f, 1) + "|" + vista[i].Texto(f, 2) +
                  "|" + vista[i].Texto(f, 3) + "|" + vista[i].ClaveIcono(f));
    return t;
  }

  CarpetaTemporal carpeta;
  ImagenesFalsas imagenes;
  std::array<UnidadesFalsas, 2> drive;
  std::array<CarpetasFalsas, 2> dir;
  std::array<ArchivosFalsos, 2> file;
  std::array<VistaFalsa, 2> vista{VistaFalsa(imagenes), VistaFalsa(imagenes)};
  EstadoFalso estado;
  int acercas = 0;
  std::unique_ptr<F_Alcove> ventana;
};

TEST_F(VentanaSinToolkit, AClickListsTheImageSortedAndSumsItUpInTheStatusBar) {
  Elegir(0, "juegos.dsk");
  EXPECT_EQ(Filas(0),
            (std::vector<std::string>{"GAME    |BIN|  16||BIN", "GAME    |BIN|   2||BIN",
                                      "HIGH    |BIN|   1|R/O|BIN", "notes   |bin|   1|U3|Unknow",
                                      "ZAP     |BAK|   2||BAK"}));
  EXPECT_EQ(estado.textos, (std::array<std::string, 4>{"juegos.dsk", " MV-CPC EMU ", " T:40 S:1 ",
                                                       "TEST CREADOR"}));
  EXPECT_TRUE(ventana->ExisteDisco(0));
  EXPECT_FALSE(ventana->ExisteDisco(1));
  EXPECT_EQ(vista[1].Filas(), 0);

  // "EXT", ascending, in pane A only; a second click changes nothing.
  ventana->DSK_ColumnClick(0, 2);
  ventana->DSK_ColumnClick(0, 2);
  EXPECT_EQ(vista[0].Texto(0, 1), "BAK");
  EXPECT_EQ(vista[0].Texto(3, 1), "bin") << "letter case does not count: arrival order";
  EXPECT_EQ(vista[0].SortKey(), 1);
  EXPECT_EQ(vista[0].SortOrder(), 0);
  EXPECT_EQ(vista[1].SortKey(), 0);
  // Clicking the same file again gives the same rows, in the order chosen.
  Elegir(0, "juegos.dsk");
  EXPECT_EQ(vista[0].Filas(), 5);
  EXPECT_EQ(vista[0].Texto(0, 1), "BAK");
}

TEST_F(VentanaSinToolkit, NavigationFollowsDriveThenFolderAndLeavesTheRestAlone) {
  Elegir(1, "juegos.dsk");
  const auto estadoAntes = estado.textos;
  ventana->Drive_Change(0);
  EXPECT_EQ(dir[0].ruta, Utf8(carpeta.Ruta() / "otra"));
  ventana->Dir_Change(0);
  EXPECT_EQ(file[0].ruta, Utf8(carpeta.Ruta() / "otra"));
  EXPECT_EQ(dir[1].escrituras, 0);
  EXPECT_EQ(file[1].ruta, Utf8(carpeta.Ruta()));
  EXPECT_EQ(estado.textos, estadoAntes);
  EXPECT_EQ(vista[1].Filas(), 5);

  // Pane A's image takes the status bar over; pane B keeps its rows.
  Elegir(0, "extendido.dsk");
  EXPECT_EQ(estado.textos, (std::array<std::string, 4>{"extendido.dsk", " EXTENDED-CPC DSK ",
                                                       " T:42 S:2 ", "OTRO"}));
  EXPECT_EQ(Filas(0), std::vector<std::string>{"BETA    |BAS|   3||BAS"});
  EXPECT_EQ(vista[1].Filas(), 5);

  // A drive that cannot be reached fails and changes nothing.
  drive[0].texto = Utf8(carpeta.Ruta() / "desmontado");
  EXPECT_THROW(ventana->Drive_Change(0), ErrorAlcove);
  EXPECT_EQ(dir[0].ruta, Utf8(carpeta.Ruta() / "otra"));
  ventana->menu_Ayuda_Click(1);
  EXPECT_EQ(acercas, 1);
}

TEST_F(VentanaSinToolkit, AMissingFileKeepsTheEarlierImageAndANeverLoadedPaneListsNothing) {
  Elegir(0, "juegos.dsk");
  const auto filas = Filas(0);
  Elegir(0, "falta.dsk");
  EXPECT_EQ(Filas(0), filas);
  EXPECT_EQ(estado.textos[0], "juegos.dsk");
  Elegir(1, "falta.dsk");
  EXPECT_TRUE(ventana->ExisteDisco(1));
  EXPECT_EQ(vista[1].Filas(), 0);
  EXPECT_EQ(estado.textos, (std::array<std::string, 4>{"", "", " T:0 S:0 ", ""}));
}

TEST_F(VentanaSinToolkit, AnIndexOutsideTheTwoPanesIsRefusedBeforeAnythingChanges) {
  for (const std::int16_t i : {std::int16_t{-1}, std::int16_t{2}}) {
    try {
      ventana->File_Click(i);
      FAIL() << "index " << i << " was accepted";
    } catch (const ErrorAlcove &e) {
      EXPECT_EQ(e.Numero(), Errores::SubindiceFueraDeIntervalo);
    }
    EXPECT_THROW(ventana->Drive_Change(i), ErrorAlcove);
    EXPECT_THROW(ventana->DSK_ColumnClick(i, 1), ErrorAlcove);
    EXPECT_THROW((void)ventana->ExisteDisco(i), ErrorAlcove);
  }
  EXPECT_THROW(ventana->DSK_ColumnClick(0, 5), ErrorAlcove);
  EXPECT_EQ(estado.textos[0], "Disco");
  EXPECT_FALSE(ventana->ExisteDisco(0));
}

TEST_F(VentanaSinToolkit, TheTestsDumpHoldsTheStatusAndBothPanesRows) {
  Elegir(1, "juegos.dsk");
  ventana->DSK_ColumnClick(1, 3);
  const std::string registro = Volcado::Registro("File_Click(1)", estado, {&vista[0], &vista[1]});
  EXPECT_EQ(registro, "== File_Click(1)\n"
                      "Estado|juegos.dsk| MV-CPC EMU | T:40 S:1 |TEST CREADOR\n"
                      "B|notes   |bin|   1|U3|Unknow\n"
                      "B|HIGH    |BIN|   1|R/O|BIN\n"
                      "B|ZAP     |BAK|   2||BAK\n"
                      "B|GAME    |BIN|   2||BIN\n"
                      "B|GAME    |BIN|  16||BIN\n");
}

// A pane lists the catalogue where the disk keeps it, every entry of it (all
// of them where a format has more than 64), whatever the format, the stored
// order of its sectors or the attribute bits of its names: one row per entry,
// the name without its top bits, the attributes and a user other than 0 in
// "Attrib".
TEST_F(VentanaSinToolkit, EveryFormatListsTheEntriesTheExactReaderFinds) {
  struct Caso {
    const char *nombre;
    Generador::Geometria geometria;
    std::vector<int> intercalado; // stored order of every track's sectors; empty: in order
    int archivos;
    Generador::Disposicion disposicion = Generador::Disposicion::Estandar;
  };
  Generador::Geometria romdos;
  romdos.primerSector = 0x11;
  romdos.sectores = 10;
  romdos.pistas = 80;
  romdos.caras = 2;
  romdos.tamanoBloque = 2048;
  romdos.entradas = 128;
  const std::vector<Caso> casos{
      {"DATA interleaved as FORMAT writes it",
       Generador::GeometriaData(),
       {0, 5, 1, 6, 2, 7, 3, 8, 4},
       38},
      {"SYSTEM: the catalogue on track 2", Generador::GeometriaSystem(), {}, 24},
      {"+3: the catalogue on track 1", Generador::GeometriaPlus3(), {}, 20},
      {"catalogue sectors stored out of order",
       Generador::GeometriaData(),
       {3, 2, 1, 0, 8, 7, 6, 5, 4},
       30,
       Generador::Disposicion::Extendida},
      {"ROMDOS D10: 128 entries", romdos, {}, 90},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    Generador::DiscoCpm d(c.geometria, c.disposicion);
    if (!c.intercalado.empty())
      d.Intercalado(c.intercalado);
    std::vector<std::string> esperadas;
    for (int k = 0; k < c.archivos; ++k) {
      Generador::ArchivoCpm a;
      a.usuario = static_cast<std::uint8_t>(k % 7 == 3 ? 3 : 0);
      const std::string nombre = (k < 10 ? "F0" : "F") + std::to_string(k);
      a.nombre = nombre;
      a.ext = k % 3 == 0 ? "BAS" : "BIN";
      a.soloLectura = k % 4 == 1;
      a.sistema = k % 5 == 2;
      // The first file spans two extents: two rows, one of a full extent.
      const std::size_t largo = k == 0 ? 20000 : 100 + 37 * static_cast<std::size_t>(k);
      a.datos = Generador::ContenidoPrueba(largo, static_cast<std::uint8_t>(k));
      d.Agregar(a);
      std::string atributos;
      for (const auto &[puesto, texto] : {std::pair<bool, std::string>{a.soloLectura, "R/O"},
                                          {a.sistema, "SYS"},
                                          {a.usuario != 0, "U3"}}) {
        if (puesto)
          atributos += (atributos.empty() ? "" : " ") + texto;
      }
      const std::string ext = a.ext;
      const auto fila = [&](std::size_t registros) {
        const std::string kb = std::to_string(std::max<std::size_t>(1, registros / 8));
        return nombre + std::string(8 - nombre.size(), ' ') + "|" + ext + "|" +
               std::string(4 - kb.size(), ' ') + kb + "|" + atributos + "|" + ext;
      };
      if (largo > 16384) {
        esperadas.push_back(fila(128));
        esperadas.push_back(fila((largo - 16384 + 127) / 128));
      } else {
        esperadas.push_back(fila((largo + 127) / 128));
      }
    }
    Generador::EscribirArchivo(carpeta.Ruta() / "formato.dsk", d.Bytes());
    Elegir(0, "formato.dsk");
    std::vector<std::string> filas = Filas(0);
    std::sort(filas.begin(), filas.end());
    std::sort(esperadas.begin(), esperadas.end());
    EXPECT_EQ(filas, esperadas);
    // The exact reader finds as many entries in use.
    const std::vector<std::uint8_t> bytes = d.Bytes();
    const cpm::Disco disco = cpm::LeerDisco(bytes);
    std::size_t entradas = 0;
    for (const cpm::Archivo &a : disco.catalogo.archivos)
      entradas += a.extensiones.size();
    EXPECT_EQ(filas.size(), entradas);
  }
}

// ---- The progress window ---------------------------------------------------------

struct BarraFalsa final : Controles::BarraProgreso {
  int valor = 0;
  int escrituras = 0;
  [[nodiscard]] int Value() const override { return valor; }
  void SetValue(int v) override {
    valor = v;
    ++escrituras;
  }
};
struct TextoFalso final : Controles::Texto {
  std::string texto;
  void SetText(const std::string &t) override { texto = t; }
  [[nodiscard]] std::string Text() const override { return texto; }
};
struct VentanaProgresoFalsa final : VentanaProgreso {
  explicit VentanaProgresoFalsa(int &mostrada) : mostrada_(mostrada) { titulo.texto = "Titulo"; }
  TextoFalso titulo;
  BarraFalsa barra;
  int &mostrada_;
  Controles::Texto &Lbl_Titulo() override { return titulo; }
  Controles::BarraProgreso &PBar() override { return barra; }
  void Mostrar() override { ++mostrada_; }
};

TEST(F_Progress, LoadsOnTheFirstControlItTouchesAndWritesTheBarOnlyOnChange) {
  int cargas = 0, mostrada = 0;
  F_Progress progreso([&] {
    ++cargas;
    return std::make_unique<VentanaProgresoFalsa>(mostrada);
  });
  progreso.SetDe(1);
  progreso.SetA(1000);
  EXPECT_EQ(progreso.Ventana(), nullptr);
  for (int p = 1; p <= 1000; ++p)
    progreso.SetValor(p);
  auto &ventana = dynamic_cast<VentanaProgresoFalsa &>(*progreso.Ventana());
  EXPECT_EQ(ventana.barra.valor, 100);
  EXPECT_EQ(ventana.barra.escrituras, 100);
  EXPECT_EQ(progreso.EscriturasBarra(), 100U);
  EXPECT_EQ(ventana.titulo.texto, "Titulo");
  EXPECT_EQ(mostrada, 0) << "Valor leaves the window hidden";
  progreso.SetTitulo("Extrayendo fichero ....");
  progreso.Mostrar();
  EXPECT_EQ(ventana.titulo.texto, "Extrayendo fichero ....");
  EXPECT_EQ(mostrada, 1);
  progreso.Ocultar();
  EXPECT_EQ(progreso.Ventana(), nullptr);
  progreso.SetValor(500);
  EXPECT_EQ(cargas, 2) << "the next use loads it afresh";
  EXPECT_EQ(dynamic_cast<VentanaProgresoFalsa &>(*progreso.Ventana()).barra.valor, 50);

  // With no host window at all, the indicator stays quiet.
  F_Progress sinVentana;
  sinVentana.SetTitulo("x");
  sinVentana.SetValor(3);
  sinVentana.Mostrar();
  EXPECT_EQ(sinVentana.Ventana(), nullptr);
  EXPECT_EQ(sinVentana.Valor(), 3);
}

constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();

struct CasoRedondeo {
  double x;
  std::int32_t esperado;
};

TEST(RedondearInt32, TiesGoToEvenAndTheRestToNearest) {
  const CasoRedondeo casos[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4999, 2},
      {2.5001, 3},
      {-2.6, -3},
      {1e6 + 0.5, 1000000},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Progreso::RedondearInt32(caso.x), caso.esperado) << "x = " << caso.x;
  }
}

TEST(RedondearInt32, SaturatesOutsideThe32BitRange) {
  EXPECT_EQ(Progreso::RedondearInt32(2147483647.4), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(2147483647.6), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(1e15), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(-1e15), Min32);
  EXPECT_EQ(Progreso::RedondearInt32(INFINITY), Max32);
  EXPECT_EQ(Progreso::RedondearInt32(-INFINITY), Min32);
  EXPECT_EQ(Progreso::RedondearInt32(NAN), 0);
}

struct CasoBarra {
  const char *que;
  double de;
  double a;
  double valor;
  int barra;
};

TEST(ValorBarra, FollowsTheRangeWithADivisorOfA) {
  const CasoBarra casos[] = {
      {"first position", 1, 100, 1, 1},
      {"De 100, A 1100 at De", 100, 1100, 100, 1},
      {"De 100, A 1100 half way", 100, 1100, 600, 46},
      {"De 100, A 1100 at A", 100, 1100, 1100, 91},
      {"one-step range", 7, 7, 7, 1},
      {"small De reaches 100", 1, 100, 100, 100},
      {"A 2.5 divides by 2", 1, 2.5, 2, 51},
      {"A 3.5 divides by 4", 1, 3.5, 2, 26},
      {"quotient truncates", 1, 3, 2, 34},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Progreso::ValorBarra(caso.valor, caso.de, caso.a), caso.barra) << caso.que;
  }
}

TEST(ValorBarra, StaysInsideTheBarOutsideTheCallersLimits) {
  const CasoBarra casos[] = {
      {"De 0 at A would be 101", 0, 100, 100, 100},
      {"far past A", 1, 10, 1000, 100},
      {"before De", 50, 100, 0, 0},
      {"A rounds to 0", 0, 0.4, 0.3, 100},
      {"A is 0", 5, 0, 5, 100},
      {"negative A", 1, -10, 5, 0},
      {"n beyond 32 bits", 1, 1e10, 1e10, 2},
      {"INT32_MIN / -1", 0, -1, -1e12, 100},
      {"NaN position", 1, 100, NAN, 1},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Progreso::ValorBarra(caso.valor, caso.de, caso.a), caso.barra) << caso.que;
  }
}

// ---- The about window ------------------------------------------------------------

// ---- Percentages ---------------------------------------------------------------

struct CasoPorcentaje {
  std::int64_t total;
  std::int64_t disponible;
  std::optional<std::int16_t> esperado;
};

TEST(PorcentajeEnUso, RoundsHalfToEvenAndRefusesWhatCannotBeShown) {
  const CasoPorcentaje casos[] = {
      {1000, 430, 57},
      {1000, 1000, 0},
      {200, 199, 0}, // exactly 0.5
      {200, 197, 2}, // exactly 1.5
      {200, 195, 2}, // exactly 2.5
      {1000, 0, 100},
      {100, 150, -50},
      {0, 0, std::nullopt},
      {0, 500, std::nullopt},
      {1, -400, std::nullopt}, // 40100% does not fit 16 bits
      // Counts past 32 bits: 64 GiB with 16 GiB free.
      {std::int64_t{64} << 30, std::int64_t{16} << 30, 75},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Acerca::PorcentajeEnUso(caso.total, caso.disponible), caso.esperado)
        << caso.total << " / " << caso.disponible;
  }
}

// ---- System text -----------------------------------------------------------------

struct CasoTexto {
  const char *que;
  std::vector<ObjetoSistema> objetos;
  std::string texto;
};

TEST(TextoSistema, BuildsThreeLinesFromTheLastObject) {
  const ObjetoSistema debian("Debian GNU/Linux 12", "12", "AB12-CD34");
  const CasoTexto casos[] = {
      {"empty collection", {}, ""},
      {"one object", {debian}, "S.O. Debian GNU/Linux 12\r\nVersion: 12\r\nS/N:AB12-CD34"},
      {"null version", {ObjetoSistema("Debian", std::nullopt, "X1")}, "S.O. Debian\r\n\r\nS/N:X1"},
      {"null serial number",
       {ObjetoSistema("Debian", "12", std::nullopt)},
       "S.O. Debian\r\nVersion: 12\r\n"},
      {"null caption", {ObjetoSistema(std::nullopt, "12", "X1")}, "S.O. \r\nVersion: 12\r\nS/N:X1"},
      {"all null", {ObjetoSistema(std::nullopt, std::nullopt, std::nullopt)}, "S.O. \r\n\r\n"},
      {"two objects",
       {debian, ObjetoSistema("Otro", "2", "Z")},
       "S.O. Otro\r\nVersion: 2\r\nS/N:Z"},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Acerca::TextoSistema(caso.objetos), caso.texto) << caso.que;
  }
}

TEST(SegmentosEncendidos, LightsEverySegmentTheLevelHasEntered) {
  struct Caso {
    int porcentaje;
    int segmentos;
    int encendidos;
  };
  const Caso casos[] = {
      {0, 12, 0},   {1, 12, 1},    {8, 12, 1},    {9, 12, 2},  {57, 12, 7},
      {91, 12, 11}, {92, 12, 12},  {100, 12, 12}, {-5, 12, 0}, {250, 12, 12},
      {50, 10, 5},  {32767, 1, 1}, {50, 0, 0},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Medidor::SegmentosEncendidos(caso.porcentaje, caso.segmentos), caso.encendidos)
        << caso.porcentaje << "% of " << caso.segmentos;
  }
}

TEST(Portada, IsA320By200PictureIn256Colours) {
  const Portada portada = DibujarPortada();
  EXPECT_EQ(portada.ancho, 320);
  EXPECT_EQ(portada.alto, 200);
  ASSERT_EQ(portada.indices.size(), 320U * 200U);
  const std::set<std::uint8_t> usados(portada.indices.begin(), portada.indices.end());
  EXPECT_GT(usados.size(), 100U); // the rasters use most of the palette
  EXPECT_EQ(portada.paleta[1], Disposicion::AzulOscuro);
}

class InfoFalsa final : public Plataforma::ServicioInfoSistema {
public:
  explicit InfoFalsa(std::vector<ObjetoSistema> objetos = {}) : objetos_(std::move(objetos)) {}
  [[nodiscard]] std::vector<ObjetoSistema> SistemasOperativos() const override {
    if (falla)
      throw ErrorAlcove(Errores::ErrorEntradaSalida);
    return objetos_;
  }
  bool falla = false;

private:
  std::vector<ObjetoSistema> objetos_;
};

class MemoriaFalsa final : public Plataforma::ServicioMemoria {
public:
  explicit MemoriaFalsa(EstadoMemoria estado) : estado_(estado) {}
  [[nodiscard]] EstadoMemoria Consultar() const override {
    if (falla)
      throw ErrorAlcove(Errores::ErrorEntradaSalida);
    return estado_;
  }
  bool falla = false;

private:
  EstadoMemoria estado_;
};

struct MedidorFalso final : Controles::Medidor {
  int valor = -1;
  void PonerValor(std::int16_t p) override { valor = p; }
};
struct VentanaFalsa final : Controles::Ventana {
  int descargas = 0;
  void Unload() override { ++descargas; }
};

TEST(F_Acerca, LoadWritesTheTextTicksFillTheMetersAndFailuresStaySilent) {
  TextoFalso info, por1, por2;
  MedidorFalso led1, led2;
  VentanaFalsa ventana;
  const F_Acerca::Controles_ controles{&info, &led1, &por1, &led2, &por2, &ventana};
  InfoFalsa sistema({ObjetoSistema("Microsoft Windows 10 Pro", "10.0.19045", "X")});
  MemoriaFalsa memoria({.TotalFisica = 1000,
                        .DisponibleFisica = 430,
                        .TotalVirtual = 200,
                        .DisponibleVirtual = 197});
  F_Acerca acerca(controles, sistema, memoria);
  acerca.Form_Load();
  EXPECT_EQ(info.texto, "S.O. Microsoft Windows 10 Pro\r\nVersion: 10.0.19045\r\nS/N:X");
  EXPECT_EQ(por1.texto, "");
  acerca.Timer_Timer();
  EXPECT_EQ(led1.valor, 57);
  EXPECT_EQ(por1.texto, "57%");
  EXPECT_EQ(led2.valor, 2);
  EXPECT_EQ(por2.texto, "2%");

  // A virtual total of 0 ends the tick after the physical half.
  MemoriaFalsa sinVirtual({.TotalFisica = 200, .DisponibleFisica = 199});
  TextoFalso otroInfo, otro1, otro2;
  MedidorFalso otroLed1, otroLed2;
  InfoFalsa falla;
  falla.falla = true;
  F_Acerca otra({&otroInfo, &otroLed1, &otro1, &otroLed2, &otro2, &ventana}, falla, sinVirtual);
  otra.Form_Load();
  EXPECT_EQ(otroInfo.texto, "");
  otra.Timer_Timer();
  EXPECT_EQ(otro1.texto, "0%");
  EXPECT_EQ(otro2.texto, "");
  EXPECT_EQ(otroLed2.valor, -1);
  sinVirtual.falla = true;
  otra.Timer_Timer(); // silent, and what was shown stays
  EXPECT_EQ(otro1.texto, "0%");

  acerca.Cmd_Aceptar_Click();
  EXPECT_EQ(ventana.descargas, 1);
}

} // namespace
