// SHA-256 of the host's library against the published test vectors (FIPS
// 180-2's examples, and the empty message), whole and fed in pieces.
#include "platform/sumas/Sha256.h"

#ifndef _WIN32
#include "platform/BibliotecaPosix.h"
#endif

#include <gtest/gtest.h>

#include <string>

namespace {

struct Vector {
  const char *nombre;
  std::string mensaje;
  const char *resumen;
};

class Sha256 : public testing::TestWithParam<Vector> {};

std::span<const std::uint8_t> Bytes(const std::string &t) {
  return {reinterpret_cast<const std::uint8_t *>(t.data()), t.size()};
}

TEST_P(Sha256, VectoresPublicados) {
  const Vector &v = GetParam();
  EXPECT_EQ(Plataforma::TextoHex(Plataforma::CalcularSha256(Bytes(v.mensaje))), v.resumen);
  // In pieces of 1, 63 and 65 bytes: the same digest.
  Plataforma::Sha256 suma;
  std::span<const std::uint8_t> resto = Bytes(v.mensaje);
  for (std::size_t trozo = 1; !resto.empty(); trozo = trozo == 1 ? 63 : 65) {
    const std::size_t n = std::min(trozo, resto.size());
    suma.Agregar(resto.first(n));
    resto = resto.subspan(n);
  }
  EXPECT_EQ(Plataforma::TextoHex(suma.Terminar()), v.resumen);
}

INSTANTIATE_TEST_SUITE_P(
    Fips, Sha256,
    testing::Values(
        Vector{"Vacio", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        Vector{"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        Vector{"DosBloques", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
               "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        Vector{"UnMillonDeA", std::string(1000000, 'a'),
               "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}),
    [](const testing::TestParamInfo<Vector> &i) { return std::string(i.param.nombre); });

} // namespace

#ifndef _WIN32
// The host library is loaded when first used: one that cannot be is an
// error that names it, never a crash at the first call.
TEST(BibliotecaCargadaAlUsarla, LaQueNoSePuedeCargarDiceCualYPorQue) {
  struct Caso {
    const char *soname;
    const char *funcion; // nullptr: only loaded
    const char *dice;
  };
  for (const Caso &c : {Caso{"libalcove-no-existe.so.1", nullptr, "libalcove-no-existe.so.1: "},
                        Caso{"libc.so.6", "alcove_no_existe", "libc.so.6 no tiene la función"}}) {
    SCOPED_TRACE(c.soname);
    try {
      const Plataforma::Biblioteca::Cargada b(c.soname);
      ASSERT_NE(c.funcion, nullptr) << "loaded";
      (void)b.Buscar(c.funcion);
      ADD_FAILURE() << "found";
    } catch (const ErrorAlcove &e) {
      EXPECT_NE(std::string(e.what()).find(c.dice), std::string::npos) << e.what();
    }
  }
}
#endif
