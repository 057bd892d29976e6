// Copying a byte range of the open image to a host file, under the progress indicator.
#include "Comun.h"
#include "Generador.h"

#include "disk/Cls_Disco.h"
#include "platform/Errores.h"
#include "platform/Progreso.h"

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace {

// Records what the copy told the indicator; can fail on a chosen position.
class ProgresoEspia final : public IndicadorProgreso {
public:
  double de = -1, a = -1, ultimo = -1;
  std::string titulo;
  std::string tituloDuranteLaCopia;
  int mostrado = 0, ocultado = 0;
  long valores = 0;
  double fallarEn = -1;

  void SetDe(double v) override { de = v; }
  void SetA(double v) override { a = v; }
  void SetTitulo(const std::string &t) override { titulo = t; }
  void Mostrar() override { ++mostrado; }
  void SetValor(double v) override {
    if (mostrado == 1 && ocultado == 0) {
      tituloDuranteLaCopia = titulo;
    }
    if (v == fallarEn) {
      throw ErrorAlcove(Errores::ErrorEntradaSalida);
    }
    ultimo = v;
    ++valores;
  }
  void Ocultar() override { ++ocultado; }
};

class Extraer : public testing::Test {
protected:
  CarpetaTemporal dir;
  ProgresoEspia espia;
  Cls_Disco disco;
  std::vector<std::uint8_t> imagen;

  void SetUp() override {
    Plataforma::InstalarProgreso(&espia);
    imagen =
        Generador::ImagenDsk()
            .AgregarFichero({0, "DATA", "BIN", false, false, std::vector<std::uint8_t>(3000, 7)})
            .Bytes();
    for (std::size_t i = 0; i < imagen.size(); i += 7) {
      imagen[i] = static_cast<std::uint8_t>(i / 7);
    }
    Escribir(dir.Archivo("img.dsk"), imagen);
    disco.Cargar(dir.Archivo("img.dsk"));
  }
  void TearDown() override { Plataforma::InstalarProgreso(nullptr); }

  std::vector<std::uint8_t> Rango(std::size_t desde, std::size_t hasta) const {
    return {imagen.begin() + static_cast<std::ptrdiff_t>(desde),
            imagen.begin() + static_cast<std::ptrdiff_t>(hasta + 1)};
  }
};

TEST_F(Extraer, CopiaElRangoDesdeElPrincipioDelArchivo) {
  double i = 500, o = 4999;
  disco.Extraer(dir.Archivo("salida.bin"), i, o);
  EXPECT_EQ(Leer(dir.Archivo("salida.bin")), Rango(500, 4999));
  EXPECT_EQ(espia.de, 500);
  EXPECT_EQ(espia.a, 4999);
  EXPECT_EQ(espia.tituloDuranteLaCopia, "Extrayendo fichero ....");
  EXPECT_EQ(espia.mostrado, 1);
  EXPECT_EQ(espia.ocultado, 1);
  EXPECT_EQ(espia.valores, 4500); // one report a byte
  EXPECT_EQ(espia.ultimo, 4999);
}

TEST_F(Extraer, UnSoloByte) {
  double i = 1, o = 1;
  disco.Extraer(dir.Archivo("uno.bin"), i, o);
  EXPECT_EQ(Leer(dir.Archivo("uno.bin")), Rango(1, 1));
}

TEST_F(Extraer, RangoInvertidoNoDejaRastro) {
  double i = 10, o = 9;
  disco.Extraer(dir.Archivo("nada.bin"), i, o);
  EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "nada.bin"));
  EXPECT_EQ(espia.mostrado, 0);
  EXPECT_EQ(espia.de, -1);
}

TEST_F(Extraer, UnArchivoMasLargoQuedaConElRangoJusto) {
  Escribir(dir.Archivo("viejo.bin"), std::vector<std::uint8_t>(10000, 0xAA));
  double i = 0, o = 99;
  disco.Extraer(dir.Archivo("viejo.bin"), i, o);
  EXPECT_EQ(Leer(dir.Archivo("viejo.bin")), Rango(0, 99));
}

TEST_F(Extraer, MasAllaDelFinalSeCopianCeros) {
  const double fin = disco.TotalBytes;
  double i = fin - 2, o = fin + 1;
  disco.Extraer(dir.Archivo("fin.bin"), i, o);
  const std::vector<std::uint8_t> esperado{imagen[imagen.size() - 2], imagen.back(), 0, 0};
  EXPECT_EQ(Leer(dir.Archivo("fin.bin")), esperado);
}

TEST_F(Extraer, UnFalloAMitadCierraYOcultaIgualmente) {
  if (!RecuentoDeDescriptores()) {
    GTEST_SKIP() << "este sistema no cuenta los descriptores abiertos";
  }
  espia.fallarEn = 1500;
  double i = 1000, o = 2000;
  const int descriptores = DescriptoresAbiertos();
  EXPECT_THROW(disco.Extraer(dir.Archivo("mitad.bin"), i, o), ErrorAlcove);
  EXPECT_EQ(espia.ocultado, 1);
  EXPECT_EQ(DescriptoresAbiertos(), descriptores);
  EXPECT_EQ(Leer(dir.Archivo("mitad.bin")), Rango(1000, 1499)); // what was copied stays
  // The image is untouched and still open.
  EXPECT_EQ(disco.NumByte(0), imagen[0]);
}

TEST_F(Extraer, UnaEscrituraQueFallaAMitadSeDiceYCierraIgualmente) {
#if defined(_WIN32)
  GTEST_SKIP() << "límite de tamaño de archivo (setrlimit): solo POSIX";
#else
  // A file size limit makes the host refuse writes past 100000 bytes, as a full
  // disk would.
  Escribir(dir.Archivo("grande.dsk"), std::vector<std::uint8_t>(300000, 0x33));
  Cls_Disco d;
  d.Cargar(dir.Archivo("grande.dsk"));
  struct rlimit antes {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &antes), 0);
  const auto senal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limite = antes;
  limite.rlim_cur = 100000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
  const int descriptores = DescriptoresAbiertos();
  double i = 0, o = 299999;
  try {
    d.Extraer(dir.Archivo("lleno.bin"), i, o);
    ADD_FAILURE() << "the write past the limit must fail";
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::DiscoLleno);
  }
  ::setrlimit(RLIMIT_FSIZE, &antes);
  std::signal(SIGXFSZ, senal);
  EXPECT_EQ(espia.ocultado, 1);
  EXPECT_EQ(DescriptoresAbiertos(), descriptores);
  EXPECT_EQ(Leer(dir.Archivo("lleno.bin")), std::vector<std::uint8_t>(100000, 0x33));
#endif
}

TEST_F(Extraer, RechazaEscribirSobreLaPropiaImagen) {
  const auto antes = Leer(dir.Archivo("img.dsk"));
  std::vector<std::string> rutas = {dir.Archivo("img.dsk"), dir.Archivo("./img.dsk")};
#if !defined(_WIN32) // symbolic links need a privilege on Windows
  std::filesystem::create_symlink(dir.Archivo("img.dsk"), dir.Ruta() / "enlace.dsk");
  rutas.push_back(dir.Archivo("enlace.dsk"));
#endif
  for (const std::string &ruta : rutas) {
    double i = 0, o = 9;
    EXPECT_THROW(disco.Extraer(ruta, i, o), ErrorAlcove) << ruta;
  }
  EXPECT_EQ(Leer(dir.Archivo("img.dsk")), antes);
  EXPECT_EQ(espia.mostrado, 0);
}

TEST_F(Extraer, SinImagenNiRutaValidaFallaAntesDeEmpezar) {
  Cls_Disco vacio;
  double i = 0, o = 9;
  try {
    vacio.Extraer(dir.Archivo("x.bin"), i, o);
    FAIL() << "sin imagen no hay nada que extraer";
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::NumeroArchivoIncorrecto);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "x.bin"));

  try {
    disco.Extraer(dir.Archivo("no/existe/x.bin"), i, o);
    FAIL() << "la carpeta no existe";
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::RutaNoEncontrada);
  }
  EXPECT_EQ(espia.mostrado, 0);
}

// A range past 2^31 - 1 bytes is refused before anything is opened or shown:
// on a 100 KB image it would otherwise write zeros until the disk is full.
TEST_F(Extraer, RangoEnormeSeRechazaSinEscribirNada) {
  const struct {
    double desde, hasta;
  } casos[] = {{0, 0x80000000}, {0, 0x1p40 - 1}, {5, 0x80000004}, {0, 0x1p61}};
  for (const auto &c : casos) {
    SCOPED_TRACE(c.hasta);
    double i = c.desde, o = c.hasta;
    try {
      disco.Extraer(dir.Archivo("enorme.bin"), i, o);
      FAIL() << "el intervalo no cabe";
    } catch (const ErrorAlcove &e) {
      EXPECT_EQ(e.Numero(), Errores::ArgumentoNoValido);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "enorme.bin"));
  }
  EXPECT_EQ(espia.mostrado, 0);
}

TEST_F(Extraer, CopiaGrandeEnteraYSinPerderBytes) {
  // Crosses the read and write buffers many times over.
  std::vector<std::uint8_t> grande(3 * 1024 * 1024 + 17);
  for (std::size_t k = 0; k < grande.size(); ++k) {
    grande[k] = static_cast<std::uint8_t>((k * 2654435761u) >> 13);
  }
  Escribir(dir.Archivo("grande.dsk"), grande);
  Cls_Disco d;
  d.Cargar(dir.Archivo("grande.dsk"));
  double i = 3, o = static_cast<double>(grande.size() - 1);
  d.Extraer(dir.Archivo("copia.bin"), i, o);
  EXPECT_TRUE(Leer(dir.Archivo("copia.bin")) ==
              std::vector<std::uint8_t>(grande.begin() + 3, grande.end()));
}

} // namespace
