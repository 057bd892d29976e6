// What `info` says of a disk: sector IDs in hex, problems said once (runs
// collapsed), each phrase once, and each track's usual size code.
#include "Generador.h"
#include "cli/Listado.h"
#include "cpm/Disco.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;

struct CasoInfo {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> imagen;
  std::vector<std::string> dice;  // each appears exactly once
  std::vector<std::string> nunca; // none appears
};

class Info : public testing::TestWithParam<CasoInfo> {};

std::size_t Veces(const std::string &texto, const std::string &que) {
  std::size_t n = 0;
  for (auto i = texto.find(que); i != std::string::npos; i = texto.find(que, i + que.size())) {
    ++n;
  }
  return n;
}

TEST_P(Info, DiceCadaCosaUnaVez) {
  const std::vector<std::uint8_t> bytes = GetParam().imagen();
  const cpm::Disco disco = cpm::LeerDisco(bytes);
  const std::string texto = Cli::TextoInfo(disco);
  for (const std::string &frase : GetParam().dice) {
    EXPECT_EQ(Veces(texto, frase), 1U) << frase << "\n" << texto;
  }
  for (const std::string &frase : GetParam().nunca) {
    EXPECT_EQ(Veces(texto, frase), 0U) << frase << "\n" << texto;
  }
}

// A standard DATA disk cut after track 12: tracks 13..39 are missing.
std::vector<std::uint8_t> Cortado() {
  auto b = DiscoCpm(Generador::GeometriaData()).Bytes();
  b.resize(256 + 13 * (256 + 9 * 512));
  return b;
}

std::vector<std::uint8_t> ConErrores() {
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida);
  for (std::uint8_t id = 0xC1; id <= 0xC9; ++id) {
    d.Estado(3, 0, id, 0x20, 0x20);
  }
  d.Debil(5, 0, 0xC3, 3).Debil(6, 0, 0xC3, 2);
  return d.Bytes();
}

// Track 7 says N=2 in its Track-Info, but five of its nine sectors are N=3.
std::vector<std::uint8_t> CodigosMezclados() {
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida);
  for (std::uint8_t id = 0xC1; id <= 0xC5; ++id) {
    d.CodigoTamano(7, 0, id, 3);
  }
  return d.Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Info,
    testing::Values(
        CasoInfo{
            "PistasAusentesEnUnRango",
            Cortado,
            {"pista-ausente: Falta la pista 13, cara 0 en el archivo; y así hasta la pista 39, "
             "cara 0 (27 en total)\n",
             "pista-ausente"},
            {"pista 14,", "(s)"}},
        CasoInfo{"SectoresEnHexYEnRangos",
                 ConErrores,
                 {"sector-error: El sector &C1 de la pista 3, cara 0 se leyó con error de datos al "
                  "hacer la imagen; y así hasta el sector &C9 de la pista 3, cara 0 (9 en total)\n",
                  "sector-debil: El sector &C3 de la pista 5, cara 0 tiene 3 copias; se usa la "
                  "primera\n",
                  "sector-debil: El sector &C3 de la pista 6, cara 0 tiene 2 copias; se usa la "
                  "primera\n",
                  "        sectores &C1-&C9: ST1=&20 ST2=&20\n",
                  "Protección anticopia: protección desconocida\n",
                  "  sectores raros: 9 con bits de error del FDC, 2 débiles\n"},
                 {"195", "193", "(s)", "(es)"}},
        CasoInfo{"FormatoSinRepetirse",
                 [] { return DiscoCpm(Generador::GeometriaData()).Bytes(); },
                 {"sectores C1..C9", "bloques", "1 cara,", "ninguna reservada"},
                 {"(s)"}},
        CasoInfo{
            "CodigoDeLaMayoriaDeSusSectores",
            CodigosMezclados,
            {"  07.0        9 sectores N=3: C1 C2 C3 C4 C5 C6 C7 C8 C9\n",
             "        sectores &C1-&C5: 512 bytes guardados de 1024 N=3 distinto del formato\n",
             "  sectores raros: 5 con bytes guardados de más o de menos, 5 de código de "
             "tamaño distinto del formato\n"},
            {"(s)"}}),
    [](const testing::TestParamInfo<CasoInfo> &i) { return std::string(i.param.nombre); });

} // namespace
