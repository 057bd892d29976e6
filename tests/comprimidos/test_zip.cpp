// Zip directories, members and gzip files read over bytes, whole and in part,
// and every way an archive can be wrong.
#include "ZipDePrueba.h"
#include "comprimidos/Zip.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using comprimidos::Directorio;
using comprimidos::LeerMiembro;
using comprimidos::ListarZip;
using zip_prueba::Comprimido;
using zip_prueba::CrearZip;
using zip_prueba::Guardado;

std::vector<std::uint8_t> Bytes(std::size_t largo, std::uint8_t semilla) {
  std::vector<std::uint8_t> v(largo);
  for (std::size_t i = 0; i < largo; ++i) {
    // Compressible, as disk images are, but not trivially.
    v[i] = static_cast<std::uint8_t>((i % 512) < 100 ? (i * 7 + semilla) : 0xE5);
  }
  return v;
}

constexpr std::uint64_t kLimite = 16U << 20;

TEST(Zip, ListaYLeeMiembrosGuardadosYComprimidosEnCarpetas) {
  const auto a = Bytes(194816, 1);
  const auto b = Bytes(5000, 2);
  auto cp437 = Guardado("\x80"
                        "ADENA.DSK",
                        b);
  cp437.utf8 = false;
  const auto zip =
      CrearZip({Guardado("juegos/", {}), Comprimido("juegos/abadia.dsk", a),
                Guardado("juegos/viejos/b.DSK", b), Comprimido("ñandú.dsk", {}), cp437});
  const Directorio d = ListarZip(zip);
  ASSERT_EQ(d.error, "");
  ASSERT_EQ(d.miembros.size(), 5U);
  EXPECT_TRUE(d.miembros[0].EsCarpeta());
  EXPECT_EQ(d.miembros[1].ruta, "juegos/abadia.dsk");
  EXPECT_EQ(d.miembros[1].metodo, comprimidos::kDeflate);
  EXPECT_EQ(d.miembros[1].tamano, a.size());
  EXPECT_LT(d.miembros[1].tamanoComprimido, a.size() / 4);
  EXPECT_EQ(d.miembros[2].metodo, comprimidos::kGuardado);
  EXPECT_EQ(d.miembros[3].ruta, "ñandú.dsk");
  EXPECT_EQ(d.miembros[4].ruta, "ÇADENA.DSK"); // DOS code page 437 made UTF-8
  EXPECT_FALSE(d.miembros[1].cifrado);

  std::vector<std::uint8_t> leido;
  for (const auto &[i, esperado] : {std::pair{1, &a}, {2, &b}, {4, &b}}) {
    SCOPED_TRACE(d.miembros[i].ruta);
    EXPECT_EQ(LeerMiembro(zip, d.miembros[i], kLimite, leido), "");
    EXPECT_EQ(leido, *esperado);
    // Only a start: exactly that many bytes.
    EXPECT_EQ(LeerMiembro(zip, d.miembros[i], kLimite, leido, 4096), "");
    EXPECT_TRUE(std::equal(leido.begin(), leido.end(), esperado->begin()));
    EXPECT_EQ(leido.size(), 4096U);
  }
  EXPECT_EQ(LeerMiembro(zip, d.miembros[3], kLimite, leido), "");
  EXPECT_TRUE(leido.empty());
}

// As streaming archivers write them: the sizes and offsets in ZIP64 fields.
TEST(Zip, Zip64) {
  const auto a = Bytes(30000, 6);
  const auto b = Bytes(700, 7);
  const auto zip = CrearZip({Comprimido("juegos/a.dsk", a), Guardado("b.dsk", b)}, true);
  const Directorio d = ListarZip(zip);
  ASSERT_EQ(d.error, "");
  ASSERT_EQ(d.miembros.size(), 2U);
  EXPECT_EQ(d.miembros[1].posicionCabecera, 30 + 12 + 28 + d.miembros[0].tamanoComprimido);
  std::vector<std::uint8_t> leido;
  EXPECT_EQ(LeerMiembro(zip, d.miembros[0], kLimite, leido), "");
  EXPECT_EQ(leido, a);
  EXPECT_EQ(LeerMiembro(zip, d.miembros[1], kLimite, leido), "");
  EXPECT_EQ(leido, b);

  // An entry that says ZIP64 but has no such field.
  auto sinExtra = zip;
  const std::size_t central = sinExtra.size() - 22 - 20 - 56 - (46 + 5 + 28);
  ASSERT_EQ(sinExtra[central], 0x50);
  sinExtra[central + 46 + 5] = 9; // another extra field's ID
  EXPECT_NE(ListarZip(sinExtra).error.find("b.dsk: entrada ZIP64 dañada"), std::string::npos);
}

// A start read from only the first compressed bytes, as find reads members;
// too few of them for the whole is said, not taken for the whole.
TEST(Zip, PrincipioConPocosDatos) {
  std::vector<std::uint8_t> a(100000);
  std::uint32_t x = 1;
  for (std::uint8_t &b : a) {
    x = x * 1103515245 + 12345; // barely compressible
    b = static_cast<std::uint8_t>(x >> 24);
  }
  const auto zip = CrearZip({Comprimido("a.dsk", a)});
  const Directorio d = ListarZip(zip);
  ASSERT_EQ(d.error, "");
  const comprimidos::Miembro &m = d.miembros[0];
  std::string error;
  const std::uint64_t inicio = comprimidos::InicioDatos(zip, error);
  ASSERT_EQ(error, "");
  const std::span<const std::uint8_t> datos(zip.data() + inicio, m.tamanoComprimido);
  std::vector<std::uint8_t> leido;
  EXPECT_EQ(comprimidos::Extraer(datos.first(600), m, kLimite, leido, 512), "");
  EXPECT_TRUE(std::equal(leido.begin(), leido.end(), a.begin()));
  EXPECT_EQ(leido.size(), 512U);
  EXPECT_NE(comprimidos::Extraer(datos.first(600), m, kLimite, leido), "");
  EXPECT_TRUE(leido.empty());
  EXPECT_EQ(comprimidos::Extraer(datos, m, kLimite, leido), "");
  EXPECT_EQ(leido, a);
}

// Members that must not be read, each refused with its reason.
TEST(Zip, MiembrosIlegibles) {
  const auto a = Bytes(20000, 4);
  const auto ceros = std::vector<std::uint8_t>(3 * 1024 * 1024, 0);
  struct Caso {
    const char *nombre;
    zip_prueba::Miembro miembro;
    std::uint64_t limite;
    const char *motivo;
  };
  const auto con = [&a](auto cambio) {
    auto m = Comprimido("x.dsk", a);
    cambio(m);
    return m;
  };
  const std::vector<Caso> casos = {
      {"CRC guardado", con([](auto &m) { m.comprimir = false, m.danarEn = 1000; }), kLimite,
       "CRC incorrecto"},
      {"CRC declarado", con([](auto &m) { m.crc = 12345; }), kLimite, "CRC incorrecto"},
      {"deflate roto", con([](auto &m) { m.danarEn = 0; }), kLimite, "dañado"},
      {"cifrado", con([](auto &m) { m.cifrado = true; }), kLimite, "cifrado"},
      {"bzip2", con([](auto &m) { m.metodo = 12; }), kLimite, "bzip2 no admitido"},
      {"mayor que el límite", con([](auto &) {}), 10000, "el límite es 10 KiB"},
      {"dice menos de lo que infla", zip_prueba::QueDice(Comprimido("bomba.dsk", ceros), 1000),
       2 << 20, "más bytes de los que declara"},
      {"dice un byte menos", con([&a](auto &m) { m.tamanoDeclarado = a.size() - 1; }), kLimite,
       "más bytes de los que declara"},
      {"dice más de lo que infla", con([](auto &m) { m.tamanoDeclarado = 30000; }), kLimite,
       "menos bytes de los que declara"},
      {"guardado con dos tamaños",
       con([](auto &m) { m.comprimir = false, m.tamanoDeclarado = 19000; }), kLimite,
       "dos tamaños"},
      {"más comprimido de lo posible",
       zip_prueba::QueDice(zip_prueba::Guardado("x.dsk", Bytes(100000, 9)), 100), kLimite,
       "98 KiB comprimidos para 100 bytes"},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    const auto zip = CrearZip({c.miembro});
    const Directorio d = ListarZip(zip);
    ASSERT_EQ(d.error, "");
    std::vector<std::uint8_t> leido{1, 2, 3};
    const std::string error = LeerMiembro(zip, d.miembros[0], c.limite, leido);
    EXPECT_NE(error.find(c.motivo), std::string::npos) << error;
    EXPECT_TRUE(leido.empty());
  }
  // A lying member stops inflating where its claim ends, whatever it holds.
  const auto bomba = CrearZip({zip_prueba::QueDice(Comprimido("b.dsk", ceros), 1000)});
  std::vector<std::uint8_t> leido;
  const auto m = ListarZip(bomba).miembros.at(0);
  EXPECT_NE(LeerMiembro(bomba, m, kLimite, leido), "");
  EXPECT_EQ(LeerMiembro(bomba, m, kLimite, leido, 500), "");
  EXPECT_EQ(leido.size(), 500U);
}

// Archives whose directory cannot be trusted.
TEST(Zip, DirectoriosDanados) {
  const auto bueno =
      CrearZip({Comprimido("a.dsk", Bytes(3000, 5)), Comprimido("b.dsk", Bytes(3000, 6))});
  // The end record is the last 22 bytes; its fields counted from its start.
  const auto cambiado = [&bueno](std::initializer_list<std::pair<std::size_t, int>> cambios) {
    auto z = bueno;
    for (const auto &[campo, valor] : cambios) {
      z[z.size() - 22 + campo] = static_cast<std::uint8_t>(valor);
    }
    return z;
  };
  auto cortado = bueno;
  cortado.resize(bueno.size() - 30);
  auto sinFinal = bueno;
  sinFinal.erase(sinFinal.begin() + 200, sinFinal.end() - 22); // directory gone, end kept
  auto conZip64 = bueno;
  const std::vector<std::uint8_t> localizador = {0x50, 0x4B, 0x06, 0x07, 0, 0, 0, 0, 0, 0,
                                                 0,    0,    0,    0,    0, 0, 0, 0, 0, 0};
  conZip64.insert(conZip64.end() - 22, localizador.begin(), localizador.end());
  struct Caso {
    const char *nombre;
    std::vector<std::uint8_t> zip;
    const char *motivo;
  };
  const std::vector<Caso> casos = {
      {"vacío", {}, "no es un archivo zip"},
      {"otra cosa", Bytes(5000, 1), "no es un archivo zip"},
      {"cortado", cortado, "no es un archivo zip"},
      {"directorio fuera", sinFinal, "fuera del archivo"},
      {"varios volúmenes", cambiado({{4, 1}}), "varios volúmenes"},
      {"ZIP64", conZip64, "ZIP64"},
      {"más entradas de las que caben", cambiado({{8, 200}, {10, 200}}),
       "más corto que sus entradas"},
      {"entrada dañada", cambiado({{16, bueno[bueno.size() - 22 + 16] + 1}}), "dañado"},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    const Directorio d = ListarZip(c.zip);
    EXPECT_NE(d.error.find(c.motivo), std::string::npos) << d.error;
  }
}

TEST(Gz, EnteroPrincipioYDefectos) {
  const auto a = Bytes(194816, 7);
  const auto gz = zip_prueba::Gzip(a);
  std::vector<std::uint8_t> leido;
  EXPECT_EQ(comprimidos::LeerGz(gz, kLimite, leido), "");
  EXPECT_EQ(leido, a);
  EXPECT_EQ(comprimidos::LeerGz(gz, kLimite, leido, 8192), "");
  EXPECT_EQ(leido.size(), 8192U);
  EXPECT_TRUE(std::equal(leido.begin(), leido.end(), a.begin()));

  // Two members make one file, as gzip writes them when appending.
  auto dos = gz;
  const auto otro = zip_prueba::Gzip(Bytes(100, 8));
  dos.insert(dos.end(), otro.begin(), otro.end());
  EXPECT_EQ(comprimidos::LeerGz(dos, kLimite, leido), "");
  EXPECT_EQ(leido.size(), a.size() + 100);

  auto crc = gz;
  crc[crc.size() - 6] ^= 1;
  auto corto = gz;
  corto.resize(gz.size() / 2);
  struct Caso {
    const char *nombre;
    std::vector<std::uint8_t> gz;
    std::uint64_t limite;
    const char *motivo;
  };
  for (const Caso &c : std::vector<Caso>{{"CRC", crc, kLimite, "CRC"},
                                         {"cortado", corto, kLimite, "cortado"},
                                         {"no gzip", a, kLimite, "no es un archivo gzip"},
                                         {"sobre el límite", gz, 100000, "más de 98 KiB"}}) {
    SCOPED_TRACE(c.nombre);
    leido = {1};
    const std::string error = comprimidos::LeerGz(c.gz, c.limite, leido);
    EXPECT_NE(error.find(c.motivo), std::string::npos) << error;
    EXPECT_TRUE(leido.empty());
  }
}

TEST(Nombres, ZipGzYTamanos) {
  EXPECT_TRUE(comprimidos::EsNombreZip("a/COLECCION.Zip"));
  EXPECT_FALSE(comprimidos::EsNombreZip(".zip"));
  EXPECT_FALSE(comprimidos::EsNombreZip("a.zipx"));
  EXPECT_TRUE(comprimidos::EsNombreGz("juego.dsk.GZ"));
  EXPECT_FALSE(comprimidos::EsNombreGz("juego.tgz.dsk"));
  EXPECT_EQ(comprimidos::TextoTamano(16U << 20), "16 MiB");
  EXPECT_EQ(comprimidos::TextoTamano(1), "1 byte");
  EXPECT_EQ(comprimidos::TextoTamano(1536), "2 KiB");
}

} // namespace
