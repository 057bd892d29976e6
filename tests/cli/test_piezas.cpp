// The pure pieces of alcove-cli: host names, terminal-safe text, numbers, the image
// finder, the parallel runner and safe writing.
#include "Comun.h"

#include "cli/BuscarImagenes.h"
#include "cli/NombreHost.h"
#include "cli/Ordenes.h"
#include "cli/Paralelo.h"
#include "cli/Programa.h"
#include "cli/Terminal.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <unordered_set>

namespace {

struct CasoNombre {
  const char *prueba;
  std::string nombre, ext, esperado;
};

class NombreHost : public testing::TestWithParam<CasoNombre> {};

TEST_P(NombreHost, EsSeguro) {
  EXPECT_EQ(Cli::NombreHostSeguro(GetParam().nombre, GetParam().ext), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, NombreHost,
    testing::Values(CasoNombre{"Normal", "DISC", "BAS", "DISC.BAS"},
                    CasoNombre{"SinExtension", "README", "", "README"},
                    CasoNombre{"Relleno", "AB      ", "T  ", "AB.T"},
                    CasoNombre{"Barra", "A/B", "BIN", "A_B.BIN"},
                    CasoNombre{"BarraInvertida", "A\\B", "", "A_B"},
                    CasoNombre{"Punto", ".", "", "__"}, CasoNombre{"DosPuntos", "..", "", "_._"},
                    CasoNombre{"SubirCarpeta", "../X", "", "_.._X"},
                    CasoNombre{"Oculto", "", "BAS", "_.BAS"}, CasoNombre{"Vacio", "", "", "_"},
                    CasoNombre{"Control", std::string("A\x01\x1B\n", 4), "B\x7F", "A___.B_"},
                    CasoNombre{"AltoYWindows", "A\xC1*?", "<|>", "A___.___"},
                    // Names Windows keeps for devices, with any extension and in any case,
                    // and the trailing dots it would strip.
                    CasoNombre{"Consola", "CON", "", "_CON"},
                    CasoNombre{"ImpresoraConExtension", "prn", "TXT", "_prn.TXT"},
                    CasoNombre{"Puerto", "COM1", "BAS", "_COM1.BAS"},
                    CasoNombre{"PuertoParalelo", "Lpt9", "", "_Lpt9"},
                    CasoNombre{"AuxYNul", "AUX.NUL", "", "_AUX.NUL"},
                    CasoNombre{"ConsolaDeEntrada", "CONIN$", "TXT", "_CONIN$.TXT"},
                    CasoNombre{"ConsolaDeSalida", "conout$", "", "_conout$"},
                    CasoNombre{"ParecidosNoReservados", "COM10", "CONS", "COM10.CONS"},
                    CasoNombre{"ConsolaSinDolar", "CONIN", "", "CONIN"},
                    CasoNombre{"PuertoCero", "COM0", "", "COM0"},
                    CasoNombre{"PuntoFinal", "AB.", "", "AB_"},
                    CasoNombre{"PuntosFinales", "AB", ". ", "AB._"},
                    CasoNombre{"BlancoTrasPunto", "A. B", "", "A. B"}),
    [](const testing::TestParamInfo<CasoNombre> &i) { return std::string(i.param.prueba); });

TEST(ParaTerminal, ControlesVisiblesYTextoIntacto) {
  const std::vector<std::pair<std::string, std::string>> casos = {
      {"HOLA\r\nADIOS\n\tFIN", "HOLA\r\nADIOS\n\tFIN"}, // line ends and tabs stay
      {"\x1B]0;X\x07", "\\x1B]0;X\\x07"},               // OSC retitling a terminal
      {"A\rB\x7F", "A\\x0DB\\x7F"},                     // a lone CR rewrites the line
      {"\x9B"
       "2J",
       "\\x9B2J"},                                            // a raw C1 CSI
      {"\xC2\x9B", "\\xC2\\x9B"},                             // the same in UTF-8
      {"a\xC3\xB1o \xE2\x82\xAC", "a\xC3\xB1o \xE2\x82\xAC"}, // UTF-8 text stays
      {"\xA0\xFF\xC3", "\xA0\xFF\xC3"},                       // other bytes stay
      {"\xE0\x82\x9B", "\xE0\\x82\\x9B"},                     // an overlong form is not text
  };
  for (const auto &[texto, esperado] : casos) {
    EXPECT_EQ(Cli::ParaTerminal(texto), esperado) << texto;
  }
}

TEST(LeerNumero, FormasDeEscribirUnSector) {
  const std::vector<std::pair<std::string, int>> casos = {
      {"&C1", 0xC1},
      {"#c1", 0xC1},
      {"0xC1", 0xC1},
      {"C1h", 0xC1},
      {"193", 193},
      {"0", 0},
      {"&", -1},
      {"", -1},
      {"C1", -1},
      {"-1", -1},
      {"&G1", -1},
      {"1 2", -1},
      {"0x", -1},
      {"99999999", -1},
      // Only the documented forms: no second prefix, sign or blank inside.
      {"$C1", 0xC1},
      {"0XC1", 0xC1},
      {"&4000", 0x4000},
      {"0x0xC1", -1},
      {"&+C1", -1},
      {" 193", -1},
      {"+193", -1},
      {"193 ", -1},
      {"&-1", -1},
      {"0x+1", -1}};
  for (const auto &[texto, esperado] : casos) {
    EXPECT_EQ(Cli::LeerNumero(texto), esperado) << texto;
  }
}

TEST(Parecido, SugiereSoloUnDesliz) {
  const std::vector<std::string_view> ordenes{"info", "ls", "get", "cat", "dump", "find"};
  const std::vector<std::string_view> opciones{"-h", "--help", "-l", "-a", "--borrados", "--json"};
  struct Caso {
    std::string_view dado, esperado;
    std::span<const std::string_view> conocidos;
  };
  for (const Caso &c : std::vector<Caso>{
           {"lss", "ls", ordenes},   // one letter too many
           {"fnd", "find", ordenes}, // one missing
           {"gte", "get", ordenes},  // two swapped
           {"inof", "info", ordenes},
           {"borrar", "", ordenes}, // nothing near
           {"x", "", ordenes},      // too short to tell
           {"--jsno", "--json", opciones},
           {"--borrado", "--borrados", opciones},
           {"-x", "", opciones}, // -h, -l and -a are as near
           {"ls", "", ordenes},  // not a slip: the command itself
       }) {
    EXPECT_EQ(Cli::Parecido(c.dado, c.conocidos), c.esperado) << c.dado;
  }
  EXPECT_EQ(Cli::DistanciaEdicion("", "abc"), 3U);
  EXPECT_EQ(Cli::DistanciaEdicion("kitten", "sitting"), 3U);
  EXPECT_EQ(Cli::DistanciaEdicion("ab", "ba"), 1U);
}

TEST(BuscarImagenes, RecorreSubcarpetasSinSeguirEnlacesYSinDistinguirMayusculas) {
  CarpetaTemporal dir;
  const auto &r = dir.Ruta();
  std::filesystem::create_directories(r / "a" / "b");
  for (const char *f : {"uno.dsk", "a/DOS.DSK", "a/b/tres.Dsk", "a/b/no.txt", "a/dsk", "a/.dsk"}) {
    Escribir((r / f).string(), {1});
  }
  std::filesystem::create_directory(r / "carpeta.dsk"); // a folder is not an image
#if !defined(_WIN32) // symbolic links need a privilege on Windows
  std::filesystem::create_directory_symlink(r, r / "a" / "bucle");
#endif
  std::vector<std::string> fallos;
  const auto imagenes = Cli::BuscarImagenes(
      {r, r / "falta"},
      [&](const std::filesystem::path &p, const std::string &) { fallos.push_back(p.string()); });
  const std::vector<std::filesystem::path> esperadas = {r / "a" / "DOS.DSK",
                                                        r / "a" / "b" / "tres.Dsk", r / "uno.dsk"};
  EXPECT_EQ(imagenes, esperadas);
  EXPECT_EQ(fallos, std::vector<std::string>{(r / "falta").string()});
}

TEST(Paralelo, CadaIndiceUnaVezConCualquierNumeroDeHilos) {
  for (const unsigned hilos : {0U, 1U, 2U, 7U}) {
    for (const std::size_t n : {0UL, 1UL, 5UL, 1000UL}) {
      SCOPED_TRACE(std::to_string(hilos) + " hilos, " + std::to_string(n));
      std::vector<std::atomic<int>> vistos(n);
      std::mutex m;
      std::unordered_set<std::thread::id> ids;
      Cli::EjecutarEnParalelo(n, hilos, [&](std::size_t i) {
        ++vistos[i];
        const std::lock_guard<std::mutex> l(m);
        ids.insert(std::this_thread::get_id());
      });
      for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(vistos[i], 1) << i;
      }
      EXPECT_LE(ids.size(), Cli::HilosEfectivos(hilos));
    }
  }
  EXPECT_GE(Cli::HilosEfectivos(0), 1U);
  EXPECT_EQ(Cli::HilosEfectivos(3), 3U);
  // Never more threads than things to do, nor more than four a core.
  EXPECT_EQ(Cli::HilosEfectivos(100000, 1), 1U);
  EXPECT_EQ(Cli::HilosEfectivos(100000, 0), 1U);
  EXPECT_EQ(Cli::HilosEfectivos(3, 2), 2U);
  EXPECT_EQ(Cli::HilosEfectivos(100000), 4 * std::max(1U, std::thread::hardware_concurrency()));
}

TEST(EscrituraSegura, EscribeNoReemplazaSinPermisoYNoDejaTemporales) {
  CarpetaTemporal dir;
  const std::string carpeta = dir.Ruta().string();
  const std::vector<std::uint8_t> uno{1, 2, 3};
  const std::vector<std::uint8_t> dos{4, 5};
  EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(carpeta, "A.BIN", uno, false), Errores::Ninguno);
  EXPECT_EQ(Leer(dir.Archivo("A.BIN")), uno);
  EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(carpeta, "A.BIN", dos, false),
            Errores::ArchivoYaExiste);
  EXPECT_EQ(Leer(dir.Archivo("A.BIN")), uno);
  EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(carpeta, "A.BIN", dos, true), Errores::Ninguno);
  EXPECT_EQ(Leer(dir.Archivo("A.BIN")), dos);
#if defined(_WIN32)
  Escribir(dir.Archivo("ENLACE"), {});
#else
  // A symbolic link in the way is not followed, and is not replaced either.
  std::filesystem::create_symlink("/etc/passwd", dir.Ruta() / "ENLACE");
#endif
  EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(carpeta, "ENLACE", uno, false),
            Errores::ArchivoYaExiste);
  for (const std::string &nombre :
       std::vector<std::string>{"", ".", "..", "a/b", std::string("a\0b", 3)}) {
    EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(carpeta, nombre, uno, true),
              Errores::NombreArchivoIncorrecto)
        << nombre;
  }
  EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(dir.Archivo("falta"), "A", uno, false),
            Errores::RutaNoEncontrada);
  std::set<std::string> nombres;
  for (const auto &e : std::filesystem::directory_iterator(dir.Ruta())) {
    nombres.insert(e.path().filename().string());
  }
  EXPECT_EQ(nombres, (std::set<std::string>{"A.BIN", "ENLACE"}));
}

TEST(EscrituraSegura, CarpetaSinPermisoDeEscritura) {
#if defined(_WIN32)
  GTEST_SKIP() << "los bits de permiso POSIX de una carpeta no existen en Windows";
#else
  if (EsRoot()) {
    GTEST_SKIP() << "root escribe en cualquier carpeta";
  }
  CarpetaTemporal dir;
  std::filesystem::permissions(dir.Ruta(), std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
  EXPECT_EQ(EscrituraSegura::EscribirEnCarpeta(dir.Ruta().string(), "A", {}, false),
            Errores::PermisoDenegado);
#endif
}

} // namespace
