// Arbitrary bytes through every viewer: the BASIC lister (plain and
// protected) and tokeniser, the DAMS lister, the disassembler, the screen, the palette
// reader, CAT's catalogue and the choice of viewer. None may crash or hang;
// each promise about its result is checked.
#include "ver/Basic.h"
#include "ver/CatalogoCpc.h"
#include "ver/Dams.h"
#include "ver/Hex.h"
#include "ver/Pantalla.h"
#include "ver/Protegido.h"
#include "ver/Vista.h"
#include "ver/Z80.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

// A partial listing always says why.
void ComprobarListado(const Ver::Listado &l) { Comprobar(!l.parcial || !l.nota.empty()); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  if (largo == 0) {
    return 0;
  }
  // The first byte picks addresses and modes; the rest is the file.
  const std::uint8_t eleccion = datos[0];
  const std::span<const std::uint8_t> b(datos + 1, largo - 1);

  ComprobarListado(Ver::ListarBasic(b));
  const auto plano = Ver::DesprotegerBasic(b);
  Comprobar(plano.size() == b.size());
  Comprobar(Ver::ProtegerBasic(plano) == std::vector<std::uint8_t>(b.begin(), b.end()));
  ComprobarListado(Ver::ListarBasic(plano));

  // The bytes as a program typed on the PC: a refusal says why; a program
  // taken lists whole, and its listing typed again lists the same.
  const Ver::ProgramaTokenizado t = Ver::TokenizarBasic(b);
  Comprobar(t.error.empty() != t.bytes.empty());
  if (t.error.empty()) {
    const Ver::Listado l = Ver::ListarBasic(t.bytes);
    Comprobar(!l.parcial && l.nota.empty());
    const Ver::ProgramaTokenizado otra = Ver::TokenizarBasic(
        std::span(reinterpret_cast<const std::uint8_t *>(l.texto.data()), l.texto.size()));
    Comprobar(!otra.error.empty() || Ver::ListarBasic(otra.bytes).texto == l.texto);
  }

  const Ver::Listado dams = Ver::ListarDams(b);
  ComprobarListado(dams);
  Comprobar(!Ver::PareceDams(b) || !dams.parcial);

  const auto origen = static_cast<std::uint16_t>(eleccion * 0x0101);
  const Ver::Listado z80 =
      Ver::DesensamblarZ80(b, origen, static_cast<std::uint16_t>(origen + eleccion));
  ComprobarListado(z80);
  for (std::size_t i = 0; i < b.size() && i < 64; ++i) {
    const Ver::Instruccion ins = Ver::DecodificarZ80(b.subspan(i), origen);
    Comprobar(ins.largo <= 4 && ins.largo <= b.size() - i);
    Comprobar((ins.largo == 0) == ins.texto.empty());
  }

  const Ver::Pantalla p = Ver::PintarPantalla(b, eleccion % 4, Ver::PaletaPorOmision());
  Comprobar(p.imagen.rgb.size() == static_cast<std::size_t>(p.imagen.ancho) * p.imagen.alto * 3);
  ComprobarListado({{}, p.parcial, p.nota});

  std::string error;
  const auto paleta = Ver::LeerPaleta(std::string(b.begin(), b.end()), error);
  Comprobar(paleta.has_value() == error.empty());

  const std::string cat = Ver::TextoCat(b, 1024 << (eleccion % 4), eleccion * 4, eleccion);
  Comprobar(cat.find("K free") != std::string::npos);

  cpm::Archivo a;
  a.extension = eleccion % 2 == 0 ? "SCR" : "BIN";
  if (eleccion % 3 == 0) {
    a.cabecera = cpm::CabeceraAmsdos{};
    a.cabecera->tipo = static_cast<cpm::TipoAmsdos>(eleccion % 4);
    a.cabecera->carga = origen;
  }
  Comprobar(Ver::VistaPorNombre(Ver::NombreVista(Ver::ElegirVista(a, b))).has_value());
  Comprobar(Ver::VolcadoHex(b).empty() == b.empty());
  return 0;
}
