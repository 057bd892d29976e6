// Host files by number: numbering, buffered reads and writes kept coherent.
#include "Comun.h"

#include "platform/ArchivosHost.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace P = Plataforma;

class Archivos : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::vector<std::int16_t> abiertos;

  std::int16_t Abrir(const std::string &ruta, P::Acceso acceso) {
    const std::int16_t n = P::SiguienteNumeroLibre();
    P::AbrirArchivo(n, ruta, acceso);
    abiertos.push_back(n);
    return n;
  }
  void TearDown() override {
    for (const auto n : abiertos) {
      P::CerrarArchivo(n);
    }
  }
};

TEST_F(Archivos, NumerosDesdeUnoYElMasBajoLibre) {
  Escribir(dir.Archivo("x"), {1});
  ASSERT_EQ(P::ArchivosAbiertos(), 0);
  EXPECT_EQ(P::SiguienteNumeroLibre(), 1);
  const auto a = Abrir(dir.Archivo("x"), P::Acceso::Lectura);
  const auto b = Abrir(dir.Archivo("x"), P::Acceso::Lectura);
  const auto c = Abrir(dir.Archivo("x"), P::Acceso::Lectura);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  P::CerrarArchivo(b);
  EXPECT_EQ(P::SiguienteNumeroLibre(), 2);
  P::CerrarArchivo(b); // closing a number that is not open does nothing
  P::CerrarArchivo(0);
  P::CerrarArchivo(400);
  EXPECT_THROW(P::AbrirArchivo(a, dir.Archivo("x"), P::Acceso::Lectura), ErrorAlcove);
  EXPECT_THROW((void)P::LeerByte(b, 0), ErrorAlcove);
}

TEST_F(Archivos, SeAcabanLosNumeros) {
  Escribir(dir.Archivo("x"), {1});
  for (int i = 0; i < P::MaximoNumeroArchivo; ++i) {
    Abrir(dir.Archivo("x"), P::Acceso::Lectura);
  }
  try {
    (void)P::SiguienteNumeroLibre();
    FAIL();
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::DemasiadosArchivos);
  }
}

TEST_F(Archivos, SoloSeAbrenArchivosRegulares) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows no tiene FIFOs ni /dev/zero";
#else
  ASSERT_EQ(::mkfifo(dir.Archivo("fifo").c_str(), 0644), 0);
  for (const auto acceso : {P::Acceso::Lectura, P::Acceso::LecturaEscritura}) {
    EXPECT_THROW(P::AbrirArchivo(1, dir.Archivo("fifo"), acceso), ErrorAlcove);
    EXPECT_THROW(P::AbrirArchivo(1, dir.Ruta().string(), acceso), ErrorAlcove);
    EXPECT_THROW(P::AbrirArchivo(1, "/dev/zero", acceso), ErrorAlcove);
  }
  EXPECT_THROW(P::AbrirArchivo(1, dir.Archivo("falta"), P::Acceso::Lectura), ErrorAlcove);
  EXPECT_EQ(P::ArchivosAbiertos(), 0);
#endif
}

TEST_F(Archivos, EscrituraYLecturaCoherentesEntreBloques) {
  // Writes and reads interleaved across the 64 KB read block and the write run.
  std::vector<std::uint8_t> modelo(300000);
  for (std::size_t i = 0; i < modelo.size(); ++i) {
    modelo[i] = static_cast<std::uint8_t>(i * 31);
  }
  Escribir(dir.Archivo("f"), modelo);
  const auto n = Abrir(dir.Archivo("f"), P::Acceso::LecturaEscritura);
  std::uint32_t x = 12345;
  for (int paso = 0; paso < 20000; ++paso) {
    x = x * 1103515245u + 12345u;
    const std::size_t pos = (x >> 8) % (modelo.size() + 100);
    if (paso % 3 == 0) {
      const auto v = static_cast<std::uint8_t>(x);
      P::EscribirByte(n, static_cast<std::int64_t>(pos), v);
      if (pos >= modelo.size()) {
        modelo.resize(pos + 1, 0);
      }
      modelo[pos] = v;
    } else {
      const std::uint8_t esperado = pos < modelo.size() ? modelo[pos] : 0;
      ASSERT_EQ(P::LeerByte(n, static_cast<std::int64_t>(pos)), esperado) << "paso " << paso;
    }
  }
  EXPECT_EQ(P::Longitud(n), static_cast<std::int64_t>(modelo.size()));
  std::vector<std::uint8_t> todo(modelo.size() + 5);
  P::LeerBytes(n, 0, todo);
  EXPECT_TRUE(std::equal(modelo.begin(), modelo.end(), todo.begin()));
  EXPECT_EQ(todo.back(), 0);
  P::CerrarArchivo(n);
  EXPECT_TRUE(Leer(dir.Archivo("f")) == modelo);
}

TEST_F(Archivos, EscribirPasadoElFinalDejaCerosEnMedio) {
  Escribir(dir.Archivo("g"), {1, 2, 3});
  const auto n = Abrir(dir.Archivo("g"), P::Acceso::LecturaEscritura);
  EXPECT_EQ(P::LeerByte(n, 1), 2); // loads the block that ends at byte 3
  P::EscribirByte(n, 6, 9);
  EXPECT_EQ(P::LeerByte(n, 4), 0);
  EXPECT_EQ(P::LeerByte(n, 6), 9);
  EXPECT_EQ(P::Longitud(n), 7);
  P::Vaciar(n);
  EXPECT_EQ(Leer(dir.Archivo("g")), (std::vector<std::uint8_t>{1, 2, 3, 0, 0, 0, 9}));
  P::FijarLongitud(n, 2);
  EXPECT_EQ(P::LeerByte(n, 2), 0);
  EXPECT_EQ(P::Longitud(n), 2);
}

TEST_F(Archivos, LecturaNoPermiteEscribirHastaQueSePide) {
  Escribir(dir.Archivo("h"), {1, 2, 3});
  const auto n = Abrir(dir.Archivo("h"), P::Acceso::Lectura);
  try {
    P::EscribirByte(n, 0, 5);
    FAIL();
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::ModoArchivoIncorrecto);
  }
  P::PermitirEscritura(n);
  P::EscribirByte(n, 0, 5);
  P::Vaciar(n);
  EXPECT_EQ(Leer(dir.Archivo("h"))[0], 5);
  EXPECT_TRUE(P::EsElMismoArchivo(n, dir.Archivo("h")));
  EXPECT_FALSE(P::EsElMismoArchivo(n, dir.Archivo("otro")));
}

TEST_F(Archivos, PosicionNegativaYCierreQueVacia) {
  Escribir(dir.Archivo("k"), {1});
  const auto n = Abrir(dir.Archivo("k"), P::Acceso::LecturaEscritura);
  try {
    P::EscribirByte(n, -1, 0);
    FAIL();
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::PosicionIncorrecta);
  }
  P::EscribirByte(n, 0, 2);
  P::CerrarArchivo(n);
  EXPECT_FALSE(P::EstaAbierto(n));
  EXPECT_EQ(Leer(dir.Archivo("k"))[0], 2);
}

// Whole small files for the readers that work on bytes: only regular files, a
// bound checked before reading, and never a wait on a FIFO.
TEST_F(Archivos, LeerArchivoEnteroYSuPrincipio) {
  const std::string archivo = dir.Archivo("a.dsk");
  Escribir(archivo, std::vector<std::uint8_t>{1, 2, 3, 4, 5});
#if !defined(_WIN32) // Windows has no FIFOs
  ASSERT_EQ(::mkfifo(dir.Archivo("fifo.dsk").c_str(), 0644), 0);
#endif
  std::vector<std::uint8_t> bytes{9};
  const struct {
    const char *caso;
    std::string ruta;
    std::uintmax_t limite;
    std::int16_t error;
    std::vector<std::uint8_t> leido;
  } casos[] = {
    {"entero", archivo, 5, Errores::Ninguno, {1, 2, 3, 4, 5}},
    {"pasa del límite", archivo, 4, Errores::ArgumentoNoValido, {}},
    {"no existe", dir.Archivo("no.dsk"), 10, Errores::ArchivoNoEncontrado, {}},
#if !defined(_WIN32)
    {"fifo", dir.Archivo("fifo.dsk"), 10, Errores::ArchivoNoEncontrado, {}},
#endif
    {"carpeta", Utf8(dir.Ruta()), 10, Errores::ArchivoNoEncontrado, {}},
    {"nulo", archivo + std::string(1, '\0'), 10, Errores::NombreArchivoIncorrecto, {}},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.caso);
    EXPECT_EQ(P::LeerArchivoEntero(c.ruta, c.limite, bytes), c.error);
    EXPECT_EQ(bytes, c.leido);
  }
  EXPECT_EQ(P::LeerPrincipioArchivo(archivo, 3, bytes), Errores::Ninguno);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(P::LeerPrincipioArchivo(archivo, 64, bytes), Errores::Ninguno);
  EXPECT_EQ(bytes.size(), 5u);
  // Neither a FIFO nor a folder can be read from its start.
#if !defined(_WIN32)
  EXPECT_NE(P::LeerPrincipioArchivo(dir.Archivo("fifo.dsk"), 64, bytes), Errores::Ninguno);
  EXPECT_TRUE(bytes.empty());
#endif
  EXPECT_NE(P::LeerPrincipioArchivo(Utf8(dir.Ruta()), 64, bytes), Errores::Ninguno);
  EXPECT_TRUE(bytes.empty());
}

} // namespace
