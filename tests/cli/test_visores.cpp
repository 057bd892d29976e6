// What cat, ls --cat and ls --json make of each kind of file, through the real
// alcove-cli on disks written by our generator.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ProgramaBasic.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Generador::ImagenDsk;

// A disk holding one file of each kind the viewers tell apart.
class Visores : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string imagen = dir.Archivo("visores.dsk");
  // A BASIC loader with its machine code after the program's end mark, all
  // under one header, as many real loaders are saved.
  std::vector<std::uint8_t> codigoTrasBasic{0x21, 0x00, 0x40, 0xCD, 0x5A, 0xBB, 0xC9};

  std::vector<std::uint8_t> Cargador() const {
    auto b = BytesProgramaCompleto();
    b.insert(b.end(), codigoTrasBasic.begin(), codigoTrasBasic.end());
    return b;
  }

  void SetUp() override {
    ImagenDsk img;
    img.AgregarFichero({0, "CARGA", "BAS", false, false,
                        ConCabecera("CARGA   BAS", 0, 0x170, 0, Cargador())});
    Escribir(imagen, img.Bytes());
  }
};

TEST_F(Visores, CargadorBasicConCodigoMaquina) {
  const Resultado r = EjecutarCli({"cat", imagen, "CARGA.BAS"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(r.salida, ProgramaCompleto().Listado());
  EXPECT_NE(r.errores.find("CARGA.BAS: sigue código máquina (7 bytes)"), std::string::npos)
      << r.errores;
}

} // namespace
