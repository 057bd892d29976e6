// The sample images in the repository are exactly what our generator makes,
// and they decode as intended.
#include "Comun.h"
#include "Generador.h"

#include "disk/Cls_Disco.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Muestras, ElGeneradorLasReproduce) {
  CarpetaTemporal dir;
  Generador::GenerarMuestras(dir.Ruta());
  std::set<std::string> generadas, guardadas;
  for (const auto &e : std::filesystem::directory_iterator(dir.Ruta())) {
    generadas.insert(e.path().filename().string());
  }
  for (const auto &e : std::filesystem::directory_iterator(ALCOVE_CARPETA_MUESTRAS)) {
    if (e.path().extension() == ".dsk" || e.path().extension() == ".DSK") {
      guardadas.insert(e.path().filename().string());
    }
  }
  EXPECT_EQ(generadas, guardadas);
  for (const auto &nombre : generadas) {
    EXPECT_TRUE(Leer(dir.Archivo(nombre)) ==
                Leer((std::filesystem::path(ALCOVE_CARPETA_MUESTRAS) / nombre).string()))
        << nombre << " difiere: vuelva a generar samples/ con alcove-dskgen samples samples";
  }
}

TEST(Muestras, FicheroDeVariasExtensiones) {
  CarpetaTemporal dir;
  Generador::GenerarMuestras(dir.Ruta());
  Cls_Disco d;
  d.Cargar(dir.Archivo("extendido.dsk"));
  const CabeceraDisco cab = d.Cabecera();
  EXPECT_EQ(cab.Formato, FormatoImagen::Extendido);
  // BIG.BIN holds 40 KB: two full extents of 128 records and one of 64.
  std::vector<int> registros;
  for (const auto &e : cab.Entradas) {
    if (e.Nombre == "BIG     BIN") {
      registros.push_back(e.Registros);
    }
  }
  EXPECT_EQ(registros, (std::vector<int>{128, 128, 64}));
  // Its data sit in the blocks the catalogue names: block b at 512 + 1024 b
  // within the sector data, one 256-byte track header every 4608 bytes.
  const EntradaDir &big =
      *std::find_if(cab.Entradas.begin(), cab.Entradas.end(),
                    [](const EntradaDir &e) { return e.Nombre == "BIG     BIN"; });
  const auto Desplazamiento = [](int bloque) {
    const int logico = bloque * 1024;
    return 256 + (logico / 4608) * (256 + 4608) + 256 + logico % 4608;
  };
  EXPECT_NE(d.ExtraerStr(Desplazamiento(big.Bloques[0]), Desplazamiento(big.Bloques[0]) + 15),
            std::string(16, '\xE5'));
}

} // namespace
