// The check and the repair over every damaged disk the generator makes: the
// check names each damage with what it touches; the repair mends what it
// says it mends, leaves the rest, and every file that was whole stays whole.
#include "Ayuda.h"
#include "cpm/Comprobacion.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::set<std::string> Codigos(const cpm::Comprobacion &c) {
  std::set<std::string> r;
  for (const cpm::Defecto &d : c.defectos) {
    r.insert(std::string(imagenes::NombreTipo(d.problema.tipo)));
  }
  return r;
}

// The file "U:NOMBRE.EXT" read raw, or nothing when it is not whole.
std::optional<std::vector<std::uint8_t>> Entero(const cpm::Disco &d, const std::string &nombre) {
  for (const cpm::Archivo &a : d.catalogo.archivos) {
    if (std::to_string(a.usuario) + ":" + a.NombreCompleto() == nombre) {
      cpm::Extraido e = cpm::ExtraerArchivo(d, a, cpm::ModoExtraccion::Crudo);
      return e.completo ? std::optional(std::move(e.bytes)) : std::nullopt;
    }
  }
  return std::nullopt;
}

class Danados : public testing::TestWithParam<Generador::CasoDanado> {};

TEST_P(Danados, ElCheckLosNombraYLaReparacionArreglaSoloLoQueDice) {
  const Generador::CasoDanado &caso = GetParam();
  const Leido antes(caso.bytes);
  const cpm::Comprobacion c = cpm::ComprobarDisco(antes.disco);
  const std::set<std::string> hay = Codigos(c);
  for (const std::string &codigo : caso.codigos) {
    EXPECT_EQ(hay.count(codigo), 1u) << caso.nombre << ": no se nombra " << codigo;
  }
  for (const cpm::Defecto &d : c.defectos) {
    EXPECT_FALSE(d.objeto.empty()) << d.problema.texto;
    EXPECT_FALSE(d.reparacion.empty()) << d.problema.texto;
    // What is mended is exactly what the repair set out to mend.
    const std::string codigo(imagenes::NombreTipo(d.problema.tipo));
    const bool seRepara =
        std::find(caso.reparados.begin(), caso.reparados.end(), codigo) != caso.reparados.end();
    EXPECT_EQ(d.arreglo != cpm::Arreglo::Ninguno, seRepara) << caso.nombre << ": " << codigo;
  }

  const cpm::Escrito escrito = cpm::RepararDisco(antes.bytes, antes.disco);
  ASSERT_TRUE(escrito.Hecho());
  const Leido despues(escrito.bytes);
  const cpm::Comprobacion tras = cpm::ComprobarDisco(despues.disco);
  const std::set<std::string> quedan = Codigos(tras);
  for (const std::string &codigo : caso.reparados) {
    EXPECT_EQ(quedan.count(codigo), 0u) << caso.nombre << ": sigue " << codigo;
  }
  for (const std::string &codigo : caso.codigos) {
    const bool seRepara =
        std::find(caso.reparados.begin(), caso.reparados.end(), codigo) != caso.reparados.end();
    EXPECT_EQ(quedan.count(codigo), seRepara ? 0u : 1u) << caso.nombre << ": " << codigo;
  }
  // Nothing to mend: not a byte changes. Something mended: what it said.
  if (c.Reparables() == 0) {
    EXPECT_EQ(escrito.bytes, caso.bytes) << caso.nombre;
  }
  EXPECT_EQ(cpm::Reparados(c, tras).size() >= c.Reparables(), true) << caso.nombre;
  for (const auto &[nombre, bytes] : caso.intactos) {
    const auto leido = Entero(despues.disco, nombre);
    ASSERT_TRUE(leido.has_value()) << caso.nombre << ": " << nombre << " ya no se lee entero";
    EXPECT_EQ(*leido, bytes) << caso.nombre << ": " << nombre;
  }
}

INSTANTIATE_TEST_SUITE_P(Generador, Danados, testing::ValuesIn(Generador::CasosDanados()),
                         [](const testing::TestParamInfo<Generador::CasoDanado> &i) {
                           std::string n = i.param.nombre;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

TEST(Comprobacion, UnDiscoSanoNoTieneNada) {
  for (const auto disposicion :
       {Generador::Disposicion::Estandar, Generador::Disposicion::Extendida}) {
    Generador::DiscoCpm d(Generador::GeometriaData(), disposicion);
    d.Intercalado(Intercalado());
    d.Agregar({0, "GAME", "BIN", false, false, false, Datos(30000, 1), {}, 0});
    const Leido l(d.Bytes());
    EXPECT_TRUE(cpm::ComprobarDisco(l.disco).Limpia());
    EXPECT_EQ(cpm::RepararDisco(l.bytes, l.disco).bytes, l.bytes);
  }
}

TEST(Comprobacion, CadaHallazgoDiceQueToca) {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar({0, "GAME", "BIN", false, false, false, Datos(20000, 1), {0, 1}, 0});
  d.FijarEntrada(10, d.EntradaEn(1)).QuitarSector(2, 0, 0xC5);
  const Leido l(d.Bytes());
  std::set<std::string> objetos;
  for (const cpm::Defecto &x : cpm::ComprobarDisco(l.disco).defectos) {
    objetos.insert(x.objeto);
  }
  EXPECT_EQ(objetos.count("entrada 10 del catálogo"), 1u);
  EXPECT_EQ(objetos.count("pista 2, cara 0, sector &C5 (bloque 11, 0:GAME.BIN)"), 1u);
  EXPECT_EQ(objetos.count("entrada 0 del catálogo (0:GAME.BIN)"), 1u);
}

} // namespace
