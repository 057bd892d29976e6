// The reader's names-only mode over the start of an image against the whole
// reading: the same files, in the same order, with the same names,
// attributes and sizes, or a refusal that sends the image to the whole reading.
#include "cpm/Disco.h"

#include "Generador.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

namespace {

using Generador::ArchivoCpm;
using Generador::CrearEntrada;
using Generador::DiscoCpm;

using Fila = std::tuple<std::uint8_t, std::string, std::uint64_t, bool, bool, bool>;

std::vector<std::uint8_t> Relleno(std::size_t largo) {
  return std::vector<std::uint8_t>(largo, 0x5A);
}

Fila FilaDe(const cpm::Archivo &a) {
  return {a.usuario, a.NombreCompleto(), a.tamano, a.soloLectura, a.sistema, a.archivado};
}

std::vector<Fila> PorElLector(const std::vector<std::uint8_t> &bytes, const cpm::Patron &patron) {
  const cpm::Disco disco = cpm::LeerDisco(bytes);
  std::vector<Fila> filas;
  for (const cpm::Archivo *a : cpm::Buscar(disco, patron)) {
    filas.push_back(FilaDe(*a));
  }
  return filas;
}

// The first `largo` bytes of a file `tamano` bytes long (the image's own by
// default); nothing when the names-only reading refuses them.
std::optional<std::vector<Fila>> PorNombres(const std::vector<std::uint8_t> &bytes,
                                            const cpm::Patron &patron, std::size_t largo,
                                            std::uintmax_t tamano = 0) {
  const auto principio = std::span<const std::uint8_t>(bytes).first(std::min(largo, bytes.size()));
  const auto catalogo = cpm::LeerNombres(principio, tamano != 0 ? tamano : bytes.size(), &patron);
  if (!catalogo) {
    return std::nullopt;
  }
  std::vector<Fila> filas;
  for (const cpm::Archivo &a : catalogo->archivos) {
    if (cpm::Coincide(patron, a)) {
      filas.push_back(FilaDe(a));
    }
  }
  return filas;
}

struct CasoDisco {
  const char *nombre;
  std::function<DiscoCpm()> crear;
};

const std::vector<CasoDisco> &Discos() {
  static const std::vector<CasoDisco> discos = {
      {"DataVariasExtensionesYUsuarios",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         d.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
         std::vector<std::uint8_t> con =
             Generador::CabeceraAmsdos("CODE    BIN", 2, 0x4000, 0x4000, 800);
         con.resize(1024, 0x33); // a header and 896 bytes, of which it claims 800
         d.Agregar({0, "game", "bin", true, true, true, Relleno(40000), {}, 0})
             .Agregar({0, "CODE", "BIN", false, false, false, con, {}, 0})
             .Agregar({3, "DISC", "BAS", false, false, false, Relleno(700), {}, 0})
             .Agregar({0, "DISC", "BAS", false, false, false, Relleno(0), {}, 0})
             .Agregar({0, "A", "", false, false, false, Relleno(128), {}, 0});
         return d;
       }},
      {"SystemExtensionesDesordenadas",
       [] {
         DiscoCpm d(Generador::GeometriaSystem(), Generador::Disposicion::Extendida);
         d.Agregar({0, "BIG", "DAT", false, false, false, Relleno(50000), {20, 3, 11, 7}, 0});
         return d;
       }},
      {"Plus3ConCuentaDeBytes",
       [] {
         DiscoCpm d(Generador::GeometriaPlus3());
         d.Descripcion({0, 0, 40, 9, 2, 1, 3, 2, 0x2A, 0x52, 0, 0, 0, 0, 0, 0});
         d.Agregar({0, "TEXTO", "TXT", false, false, false, Relleno(1000), {}, 37})
             .Agregar({2, "LARGO", "TXT", false, false, false, Relleno(20000), {}, 5});
         return d;
       }},
      {"ExtensionRepetidaYHueco",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         // Extent 2 twice (the first in catalogue order wins), extent 1 missing.
         d.FijarEntrada(9, CrearEntrada(0, "HUECO   BIN", 0x80, 0));
         d.FijarEntrada(4, CrearEntrada(0, "HUECO   BIN", 0x10, 2));
         d.FijarEntrada(6, CrearEntrada(0, "HUECO   BIN", 0x40, 2));
         return d;
       }},
      {"EntradasQueNoSonArchivos",
       [] {
         DiscoCpm d(Generador::GeometriaData());
         d.Agregar({0, "BUENO", "BAS", false, false, false, Relleno(300), {}, 0});
         d.FijarEntrada(10, CrearEntrada(0xE5, "BORRADO BAS", 3));
         d.FijarEntrada(11, CrearEntrada(0x20, "ETIQUETA   ", 0));
         d.FijarEntrada(12, CrearEntrada(0, "\x01\x02RARO  BAS", 1));
         d.FijarEntrada(13, CrearEntrada(0, "           ", 1));
         d.FijarEntrada(14, CrearEntrada(16, "USUARIO BAS", 1));
         return d;
       }},
  };
  return discos;
}

TEST(SoloNombres, DaLoMismoQueElLectorExacto) {
  for (const CasoDisco &caso : Discos()) {
    const auto bytes = caso.crear().Bytes();
    for (const char *texto : {"*", "*.BAS", "3:*", "g*.b?n", "HUECO.*", "2:*.TXT"}) {
      SCOPED_TRACE(std::string(caso.nombre) + " " + texto);
      const auto patron = cpm::CompilarPatron(texto);
      ASSERT_TRUE(patron);
      // 16 KB hold the catalogue of every format; the whole file, too.
      for (const std::size_t largo : {std::size_t{16 * 1024}, bytes.size()}) {
        const auto nombres = PorNombres(bytes, *patron, largo);
        ASSERT_TRUE(nombres);
        EXPECT_EQ(*nombres, PorElLector(bytes, *patron));
      }
    }
  }
}

// A file's exact length needs its first record (an AMSDOS header or not):
// the names-only reading gives the whole reading's whenever it says it knows
// it, and knows it for every file when it has the whole image.
TEST(SoloNombres, LongitudComoElLectorCuandoLaSabe) {
  for (const CasoDisco &caso : Discos()) {
    SCOPED_TRACE(caso.nombre);
    const auto bytes = caso.crear().Bytes();
    const cpm::Disco disco = cpm::LeerDisco(bytes);
    for (const std::size_t largo : {std::size_t{8 * 1024}, std::size_t{16 * 1024}, bytes.size()}) {
      const auto principio =
          std::span<const std::uint8_t>(bytes).first(std::min(largo, bytes.size()));
      const auto catalogo = cpm::LeerNombres(principio, bytes.size());
      if (!catalogo) {
        continue;
      }
      ASSERT_EQ(catalogo->archivos.size(), disco.catalogo.archivos.size());
      for (std::size_t i = 0; i < catalogo->archivos.size(); ++i) {
        const cpm::Archivo &a = catalogo->archivos[i];
        const cpm::Archivo &b = disco.catalogo.archivos[i];
        SCOPED_TRACE(a.NombreCompleto() + " en " + std::to_string(largo) + " bytes");
        EXPECT_TRUE(a.longitudSabida || largo < bytes.size());
        if (a.longitudSabida) {
          EXPECT_EQ(a.longitud, b.longitud);
          EXPECT_EQ(a.cabecera.has_value(), b.cabecera.has_value());
        }
      }
    }
  }
  // With a pattern, the matches get their lengths and nothing else costs more
  // than its name.
  for (const CasoDisco &caso : Discos()) {
    SCOPED_TRACE(caso.nombre);
    const auto bytes = caso.crear().Bytes();
    const cpm::Disco disco = cpm::LeerDisco(bytes);
    const auto patron = cpm::CompilarPatron("*.B?N");
    ASSERT_TRUE(patron);
    const auto catalogo = cpm::LeerNombres(bytes, bytes.size(), &*patron);
    if (!catalogo) {
      continue;
    }
    ASSERT_EQ(catalogo->archivos.size(), disco.catalogo.archivos.size());
    for (std::size_t i = 0; i < catalogo->archivos.size(); ++i) {
      const cpm::Archivo &a = catalogo->archivos[i];
      SCOPED_TRACE(a.NombreCompleto());
      EXPECT_EQ(a.longitudSabida, cpm::Coincide(*patron, a));
      if (a.longitudSabida) {
        EXPECT_EQ(a.longitud, disco.catalogo.archivos[i].longitud);
      }
    }
  }
  // The header's length, not the records', once the whole image is read.
  const auto bytes = Discos().front().crear().Bytes();
  const auto catalogo = cpm::LeerNombres(bytes, bytes.size());
  ASSERT_TRUE(catalogo);
  const auto code = std::find_if(catalogo->archivos.begin(), catalogo->archivos.end(),
                                 [](const cpm::Archivo &a) { return a.nombre == "CODE"; });
  ASSERT_NE(code, catalogo->archivos.end());
  EXPECT_EQ(code->longitud, 800U);
  EXPECT_EQ(code->tamano, 1024U);
}

// Refused: what the start of the file cannot tell, and what the whole
// reading refuses, which the names-only mode must never list.
TEST(SoloNombres, RehusaLoQueNoPuedeSaber) {
  struct Caso {
    const char *nombre;
    std::function<std::vector<std::uint8_t>()> crear;
    std::size_t largo;     // of the start given
    std::uintmax_t tamano; // of the whole file; 0: the image's
  };
  const auto data = [] {
    DiscoCpm d(Generador::GeometriaData());
    d.Agregar({0, "DISC", "BAS", false, false, false, Relleno(300), {}, 0});
    return d;
  };
  const auto conPistas = [data](std::uint8_t pistas, std::uint8_t caras) {
    auto b = data().Bytes();
    b[0x30] = pistas;
    b[0x31] = caras;
    return b;
  };
  const std::size_t todo = SIZE_MAX;
  for (const Caso &c : std::vector<Caso>{
           {"SectorAusente", [data] { return data().QuitarSector(0, 0, 0xC3).Bytes(); }, todo, 0},
           {"OtroCodigoDeTamano", [data] { return data().CodigoTamano(0, 0, 0xC4, 3).Bytes(); },
            todo, 0},
           {"MasDe204PistasPorCaras", [conPistas] { return conPistas(205, 1); }, todo, 0},
           {"TresCaras", [conPistas] { return conPistas(40, 3); }, todo, 0},
           {"MasDe16MiB", [data] { return data().Bytes(); }, 16 * 1024,
            imagenes::TamanoMaximoArchivo + 1},
           {"CatalogoMasAllaDelPrincipio",
            [] {
              DiscoCpm d(Generador::GeometriaSystem());
              d.Agregar({0, "JUEGO", "BAS", false, false, false, Relleno(300), {}, 0});
              return d.Bytes();
            },
            8 * 1024, 0},
           {"PrimeraPistaCortada", [data] { return data().Bytes(); }, 1000, 0},
           {"SinFirma", [] { return Relleno(20000); }, todo, 0},
       }) {
    SCOPED_TRACE(c.nombre);
    const auto bytes = c.crear();
    const auto patron = cpm::CompilarPatron("*");
    ASSERT_TRUE(patron);
    EXPECT_FALSE(PorNombres(bytes, *patron, c.largo, c.tamano));
  }
}

} // namespace
