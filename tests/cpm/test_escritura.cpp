// Writing disks: new disks read back as their format, put/rm/ren/attr read
// back exactly, only catalogue entries and newly allocated sectors change,
// and every refusal leaves no image.
#include "Ayuda.h"
#include "cpm/Escritura.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

using cpm::ModoExtraccion;
using cpm::TipoRechazo;
using Generador::ArchivoCpm;
using Generador::DiscoCpm;
using Generador::Disposicion;

const std::string Version = "9.8.7";

cpm::NombreCpm Nombre(const std::string &texto, std::uint8_t usuario = 0) {
  auto n = cpm::ValidarNombre(texto, usuario);
  EXPECT_TRUE(n) << texto;
  return n.value_or(cpm::NombreCpm{});
}

cpm::ArchivoNuevo Nuevo(const std::string &nombre, std::vector<std::uint8_t> contenido,
                        std::uint8_t usuario = 0) {
  return {Nombre(nombre, usuario), std::move(contenido)};
}

ArchivoCpm Viejo(const char *nombre, std::vector<std::uint8_t> datos) {
  ArchivoCpm a;
  a.nombre = nombre;
  a.ext = "DAT";
  a.datos = std::move(datos);
  return a;
}

// `datos` as the disk gives it back: padded with ^Z to whole records, unless
// the format records the last record's byte count.
std::vector<std::uint8_t> Esperado(std::vector<std::uint8_t> datos, bool cpm3) {
  if (!cpm3) {
    datos.resize((datos.size() + 127) / 128 * 128, 0x1A);
  }
  return datos;
}

// --- What a write may change, worked out from the readings alone.

void MarcarSectores(const cpm::Disco &d, long long desde, long long n, std::vector<bool> &marca) {
  for (long long i = desde; i < desde + n; ++i) {
    const auto u = cpm::UbicarSector(*d.formato, i);
    if (const auto *s = imagenes::BuscarSector(d.contenedor, u.pista, u.cara, u.id)) {
      std::fill_n(marca.begin() + static_cast<long>(s->desplazamiento), s->datos.size(), true);
    }
  }
}

// The blocks files hold, but for those of the file `salvo` ("user:NAME.EXT").
std::set<int> BloquesDeArchivos(const cpm::Disco &d, const std::string &salvo = "") {
  std::set<int> r;
  for (const auto &a : d.catalogo.archivos) {
    if (std::to_string(a.usuario) + ":" + a.NombreCompleto() == salvo) {
      continue;
    }
    for (const auto &e : a.extensiones) {
      r.insert(e.bloques.begin(), e.bloques.end());
    }
  }
  return r;
}

// The catalogue's sectors, and those of blocks files hold after and not before
// (a file replaced holds none before).
std::vector<bool> Permitidos(const cpm::Disco &antes, const cpm::Disco &despues,
                             const std::string &reemplazado = "") {
  const cpm::Formato &f = *antes.formato;
  std::vector<bool> marca(antes.contenedor.bytes.size(), false);
  const long long primero = static_cast<long long>(f.reservadas) * f.sectoresPorPista;
  MarcarSectores(antes, primero, (f.entradas * 32 + f.tamanoSector - 1) / f.tamanoSector, marca);
  const std::set<int> viejos = BloquesDeArchivos(antes, reemplazado);
  const long long porBloque = f.tamanoBloque / f.tamanoSector;
  for (int b : BloquesDeArchivos(despues)) {
    if (viejos.count(b) == 0) {
      MarcarSectores(antes, primero + b * porBloque, porBloque, marca);
    }
  }
  return marca;
}

// Every byte that differs is one the write may change.
void SoloCambiaLoPermitido(const std::vector<std::uint8_t> &antes,
                           const std::vector<std::uint8_t> &despues,
                           const std::vector<bool> &permitidos) {
  ASSERT_EQ(antes.size(), despues.size());
  std::size_t fuera = 0, primero = 0;
  for (std::size_t i = 0; i < antes.size(); ++i) {
    if (antes[i] != despues[i] && !permitidos[i] && fuera++ == 0) {
      primero = i;
    }
  }
  EXPECT_EQ(fuera, 0u) << "first changed byte outside: offset " << primero;
}

// One write, read back, checked against the reading before.
struct Paso {
  std::unique_ptr<Leido> leido;
  void Escribir(const cpm::Escrito &e, const std::string &reemplazado = "") {
    ASSERT_TRUE(e.Hecho()) << e.rechazo->texto;
    auto nuevo = std::make_unique<Leido>(e.bytes);
    SoloCambiaLoPermitido(leido->bytes, nuevo->bytes,
                          Permitidos(leido->disco, nuevo->disco, reemplazado));
    EXPECT_TRUE(nuevo->disco.problemas.empty()) << nuevo->disco.problemas.front().texto;
    leido = std::move(nuevo);
  }
};

// --- New disks.

struct CasoNuevo {
  const char *nombre;
  cpm::OpcionesNuevo opciones;
  int pistas, caras;             // of the image
  std::vector<std::uint8_t> ids; // track 0, in stored order
  std::uint8_t gap;
  int pistasFormato, carasFormato, bloques, entradas, tamanoBloque;
};

class NuevoDisco : public ::testing::TestWithParam<CasoNuevo> {};

TEST_P(NuevoDisco, SeLeeComoSuFormato) {
  const CasoNuevo &c = GetParam();
  cpm::OpcionesNuevo o = c.opciones;
  o.version = Version;
  const cpm::Escrito e = cpm::NuevoDisco(o);
  ASSERT_TRUE(e.Hecho()) << e.rechazo->texto;
  const Leido l(e.bytes);
  EXPECT_TRUE(l.disco.problemas.empty()) << l.disco.problemas.front().texto;
  const imagenes::Contenedor &k = l.disco.contenedor;
  EXPECT_EQ(k.disposicion,
            o.extendida ? imagenes::Disposicion::Extendida : imagenes::Disposicion::Estandar);
  EXPECT_EQ(k.creador, "Alcove " + Version);
  EXPECT_EQ(k.pistas, c.pistas);
  EXPECT_EQ(k.caras, c.caras);
  ASSERT_TRUE(l.disco.formato);
  const cpm::Formato &f = *l.disco.formato;
  EXPECT_EQ(f.pistas, c.pistasFormato);
  EXPECT_EQ(f.caras, c.carasFormato);
  EXPECT_EQ(f.bloques, c.bloques);
  EXPECT_EQ(f.entradas, c.entradas);
  EXPECT_EQ(f.tamanoBloque, c.tamanoBloque);
  EXPECT_TRUE(l.disco.catalogo.archivos.empty() && l.disco.catalogo.borradas.empty() &&
              l.disco.catalogo.raras.empty());
  const bool descripcion = c.ids.front() == 0x01 && c.ids.size() == 9;
  for (const imagenes::Pista &p : k.pistasLeidas) {
    EXPECT_EQ(p.gap, c.gap);
    EXPECT_EQ(p.relleno, 0xE5);
    ASSERT_EQ(p.sectores.size(), c.ids.size());
    for (std::size_t i = 0; i < c.ids.size(); ++i) {
      const imagenes::Sector &s = p.sectores[i];
      EXPECT_EQ(s.r, c.ids[i]);
      EXPECT_EQ(s.c, p.pista);
      EXPECT_EQ(s.h, p.cara);
      EXPECT_EQ(s.n, 2);
      EXPECT_EQ(s.st1 | s.st2, 0);
      // The extended layout's stored length; the standard layout leaves those bytes zero.
      const auto info = p.desplazamiento + 24 + 8 * i;
      EXPECT_EQ(l.bytes[info + 6] | (l.bytes[info + 7] << 8), o.extendida ? 512 : 0);
      ASSERT_EQ(s.datos.size(), 512u);
      const bool lleva = descripcion && p.pista == 0 && p.cara == 0 && s.r == 1;
      EXPECT_EQ(std::count(s.datos.begin(), s.datos.end(), 0xE5), lleva ? 512 - 16 : 512)
          << "track " << p.pista << " side " << p.cara << " sector " << int{s.r};
    }
  }
  const cpm::Espacio esp = cpm::EspacioLibre(l.disco);
  EXPECT_EQ(esp.bloquesLibres, f.bloques - f.BloquesCatalogo());
  EXPECT_EQ(esp.entradasLibres, f.entradas);
}

std::vector<std::uint8_t> Seguidos(std::uint8_t desde, int n) {
  std::vector<std::uint8_t> v;
  for (int i = 0; i < n; ++i) {
    v.push_back(static_cast<std::uint8_t>(desde + i));
  }
  return v;
}

const std::vector<std::uint8_t> IdsData{0xC1, 0xC6, 0xC2, 0xC7, 0xC3, 0xC8, 0xC4, 0xC9, 0xC5};
const std::vector<std::uint8_t> IdsSystem{0x41, 0x46, 0x42, 0x47, 0x43, 0x48, 0x44, 0x49, 0x45};

INSTANTIATE_TEST_SUITE_P(
    Formatos, NuevoDisco,
    ::testing::Values(
        CasoNuevo{"Data", {}, 40, 1, IdsData, 0x52, 40, 1, 180, 64, 1024},
        CasoNuevo{
            "DataExtendida", {"data", 0, 0, true, ""}, 40, 1, IdsData, 0x52, 40, 1, 180, 64, 1024},
        // More tracks and sides are formatted alike; DATA's file system stays on side 0.
        CasoNuevo{"Data80DosCaras",
                  {"data", 80, 2, false, ""},
                  80,
                  2,
                  IdsData,
                  0x52,
                  40,
                  1,
                  180,
                  64,
                  1024},
        CasoNuevo{
            "System", {"system", 0, 0, false, ""}, 40, 1, IdsSystem, 0x52, 40, 1, 171, 64, 1024},
        CasoNuevo{
            "Vendor42", {"vendor", 42, 1, true, ""}, 42, 1, IdsSystem, 0x52, 40, 1, 171, 64, 1024},
        CasoNuevo{
            "Ibm", {"ibm", 0, 0, false, ""}, 40, 1, Seguidos(1, 8), 0x50, 40, 1, 156, 64, 1024},
        CasoNuevo{
            "Plus3", {"plus3", 0, 0, false, ""}, 40, 1, Seguidos(1, 9), 0x52, 40, 1, 175, 64, 1024},
        // The disk description tells the tracks and sides: 2 KB blocks, EXM = 1.
        CasoNuevo{"Plus3_80",
                  {"plus3", 80, 1, true, ""},
                  80,
                  1,
                  Seguidos(1, 9),
                  0x52,
                  80,
                  1,
                  177,
                  256,
                  2048},
        CasoNuevo{"Plus3DosCaras",
                  {"pcw", 40, 2, false, ""},
                  40,
                  2,
                  Seguidos(1, 9),
                  0x52,
                  40,
                  2,
                  177,
                  256,
                  2048},
        CasoNuevo{"Pcw720",
                  {"pcw720", 0, 0, false, ""},
                  80,
                  2,
                  Seguidos(1, 9),
                  0x52,
                  80,
                  2,
                  357,
                  256,
                  2048},
        // ROMDOS's 3.5-inch formats: a whole double-sided disk, 2 KB blocks.
        CasoNuevo{"RomdosD2",
                  {"romdos-d2", 0, 0, false, ""},
                  80,
                  2,
                  Seguidos(0x21, 9),
                  0x52,
                  80,
                  2,
                  360,
                  256,
                  2048},
        CasoNuevo{"RomdosD10",
                  {"romdos-d10", 0, 0, true, ""},
                  80,
                  2,
                  Seguidos(0x11, 10),
                  0x22,
                  80,
                  2,
                  400,
                  128,
                  2048},
        CasoNuevo{"RomdosD20",
                  {"romdos-d20", 0, 0, false, ""},
                  80,
                  2,
                  Seguidos(0x31, 10),
                  0x22,
                  80,
                  2,
                  400,
                  256,
                  2048}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

TEST(NuevoDisco, OpcionesQueNoValen) {
  for (const cpm::OpcionesNuevo &o :
       {cpm::OpcionesNuevo{"amiga", 0, 0, false, ""}, cpm::OpcionesNuevo{"data", 39, 1, false, ""},
        cpm::OpcionesNuevo{"data", 86, 1, false, ""}, cpm::OpcionesNuevo{"data", 40, 3, false, ""},
        cpm::OpcionesNuevo{"pcw720", 80, 1, false, ""}}) {
    const cpm::Escrito e = cpm::NuevoDisco(o);
    ASSERT_FALSE(e.Hecho()) << o.formato << " " << o.pistas << " " << o.caras;
    EXPECT_EQ(e.rechazo->tipo, TipoRechazo::OpcionNoValida);
    EXPECT_TRUE(e.bytes.empty());
  }
}

// --- Names and headers.

TEST(Nombres, LosQueCpmPuedeGuardar) {
  const auto n = cpm::ValidarNombre("game.bin", 3);
  ASSERT_TRUE(n);
  EXPECT_EQ(n->usuario, 3);
  EXPECT_EQ(std::string(n->nombre.data(), 11), "GAME    BIN");
  EXPECT_EQ(n->Texto(), "GAME.BIN");
  EXPECT_EQ(cpm::ValidarNombre("12:ABCDEFGH.XYZ", 0)->usuario, 12);
  EXPECT_EQ(cpm::ValidarNombre("NOEXT", 0)->Texto(), "NOEXT");
  EXPECT_EQ(cpm::ValidarNombre("MY-GAME!.$$$", 0)->Texto(), "MY-GAME!.$$$");
  for (const char *malo :
       {"", ".BAS", "TOOLONGNAME.BIN", "A.BASIC", "A B.BIN", "A*.BIN", "A?.BIN", "A.B.C", "A,B",
        "A;B", "A=B", "A[1]", "A|B", "<A>", "16:A.BIN", "X:A.BIN", "A\t", "CAF\xC3\x89"}) {
    std::string error;
    EXPECT_FALSE(cpm::ValidarNombre(malo, 0, &error)) << malo;
    EXPECT_NE(error.find("no vale como nombre"), std::string::npos) << malo;
  }
}

TEST(Nombres, CabecerasAmsdos) {
  const auto cuerpo = Datos(1000, 4);
  const auto bin = cpm::ConCabeceraBinaria(Nombre("GAME.BIN", 2), cuerpo, 0x4000, 0x4010);
  const auto c = cpm::LeerCabeceraAmsdos(bin);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->tipo, cpm::TipoAmsdos::Binario);
  EXPECT_EQ(c->carga, 0x4000);
  EXPECT_EQ(c->entrada, 0x4010);
  EXPECT_EQ(c->longitud, 1000u);
  EXPECT_EQ(c->usuario, 2);
  EXPECT_EQ(c->nombre, "GAME.BIN");
  EXPECT_TRUE(std::equal(cuerpo.begin(), cuerpo.end(), bin.begin() + 128));
  const auto bas = cpm::LeerCabeceraAmsdos(cpm::ConCabeceraBasic(Nombre("DISC.BAS"), cuerpo));
  ASSERT_TRUE(bas);
  EXPECT_EQ(bas->tipo, cpm::TipoAmsdos::Basic);
  EXPECT_EQ(bas->carga, 0x0170);
  // A 24-bit length: the 16-bit field alone could not say it.
  EXPECT_EQ(
      cpm::LeerCabeceraAmsdos(cpm::HacerCabeceraAmsdos(Nombre("BIG"), 2, 0, 0, 0x12345))->longitud,
      0x12345u);
}

// --- Round trips in every format.

struct CasoFormato {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> disco; // holds OLD.DAT and KEEP.DAT
  bool cpm3;
};

class EscrituraFormato : public ::testing::TestWithParam<CasoFormato> {};

std::vector<std::uint8_t> ConArchivos(DiscoCpm d) {
  ArchivoCpm ro = Viejo("KEEP", Datos(2500, 2));
  ro.soloLectura = true;
  ro.archivado = true;
  return d.Agregar(Viejo("OLD", Datos(3000, 1))).Agregar(ro).Bytes();
}

std::vector<std::uint8_t> NuevoConArchivos(const cpm::OpcionesNuevo &o) {
  const auto vacio = cpm::NuevoDisco(o).bytes;
  const Leido l(vacio);
  cpm::ArchivoNuevo ro = Nuevo("KEEP.DAT", Datos(2500, 2));
  ro.soloLectura = true;
  const std::vector<cpm::ArchivoNuevo> dos{Nuevo("OLD.DAT", Datos(3000, 1)), ro};
  auto e = cpm::PonerArchivos(vacio, l.disco, dos, false);
  const Leido ll(e.bytes);
  const auto *keep = ll.Archivo(0, "KEEP.DAT");
  const cpm::Archivo *const uno[] = {keep};
  return cpm::CambiarAtributos(e.bytes, ll.disco, uno, {std::nullopt, std::nullopt, true}).bytes;
}

TEST_P(EscrituraFormato, PonerBorrarRenombrarYAtributosSeLeenIgual) {
  const bool cpm3 = GetParam().cpm3;
  Paso paso;
  paso.leido = std::make_unique<Leido>(GetParam().disco());
  ASSERT_TRUE(paso.leido->disco.problemas.empty()) << paso.leido->disco.problemas.front().texto;
  const auto viejoOld = paso.leido->Extraer(0, "OLD.DAT", ModoExtraccion::Crudo);
  const auto viejoKeep = paso.leido->Extraer(0, "KEEP.DAT", ModoExtraccion::Crudo);
  const cpm::Espacio antes = cpm::EspacioLibre(paso.leido->disco);
  const std::set<int> ocupados = BloquesDeArchivos(paso.leido->disco);

  // Sizes at the edges of records, blocks and extents, a header, a second user.
  const auto bin = cpm::ConCabeceraBinaria(Nombre("GAME.BIN"), Datos(40000, 9), 0x4000, 0x4000);
  std::vector<cpm::ArchivoNuevo> nuevos{Nuevo("EMPTY.TXT", {}),
                                        Nuevo("ONE", Datos(1, 3)),
                                        Nuevo("R127.TXT", Datos(127, 4)),
                                        Nuevo("R128.TXT", Datos(128, 5)),
                                        Nuevo("E16K.DAT", Datos(16384, 6)),
                                        Nuevo("E16K1.DAT", Datos(16385, 7)),
                                        Nuevo("GAME.BIN", bin),
                                        Nuevo("OLD.DAT", Datos(700, 8), 5)};
  nuevos[1].sistema = true;
  nuevos[2].soloLectura = true;
  paso.Escribir(cpm::PonerArchivos(paso.leido->bytes, paso.leido->disco, nuevos, false));
  const Leido &l = *paso.leido;
  for (const auto &n : nuevos) {
    const std::string nombre = n.nombre.Texto();
    ASSERT_NE(l.Archivo(n.nombre.usuario, nombre), nullptr) << nombre;
    EXPECT_EQ(l.Extraer(n.nombre.usuario, nombre, ModoExtraccion::Crudo),
              Esperado(n.contenido, cpm3))
        << nombre;
    EXPECT_EQ(l.Archivo(n.nombre.usuario, nombre)->soloLectura, n.soloLectura);
    EXPECT_EQ(l.Archivo(n.nombre.usuario, nombre)->sistema, n.sistema);
  }
  EXPECT_EQ(l.Extraer(0, "OLD.DAT", ModoExtraccion::Crudo), viejoOld);
  const auto *game = l.Archivo(0, "GAME.BIN");
  ASSERT_TRUE(game->cabecera);
  EXPECT_EQ(l.Extraer(0, "GAME.BIN", ModoExtraccion::Archivo), Datos(40000, 9));
  // Lowest free blocks first, in file order; the free space adds up.
  const int tamanoBloque = l.disco.formato->tamanoBloque;
  std::vector<int> dados;
  for (const auto &n : nuevos) {
    for (const auto &e : l.Archivo(n.nombre.usuario, n.nombre.Texto())->extensiones) {
      dados.insert(dados.end(), e.bloques.begin(), e.bloques.end());
    }
  }
  std::vector<int> menores;
  for (int b = l.disco.formato->BloquesCatalogo(); menores.size() < dados.size(); ++b) {
    if (ocupados.count(b) == 0) {
      menores.push_back(b);
    }
  }
  EXPECT_EQ(dados, menores);
  const cpm::Espacio despues = cpm::EspacioLibre(l.disco);
  EXPECT_EQ(despues.bloquesLibres, antes.bloquesLibres - static_cast<int>(dados.size()));
  long long entradas = 0, bytes = 0;
  for (const auto &n : nuevos) {
    bytes += static_cast<long long>((n.contenido.size() + tamanoBloque - 1) / tamanoBloque);
    entradas +=
        static_cast<long long>(l.Archivo(n.nombre.usuario, n.nombre.Texto())->extensiones.size());
  }
  EXPECT_EQ(static_cast<long long>(dados.size()), bytes);
  EXPECT_EQ(despues.entradasLibres, antes.entradasLibres - entradas);

  // rm: the entries become deleted ones; the bytes stay.
  const cpm::Archivo *const borrar[] = {l.Archivo(0, "E16K1.DAT"), l.Archivo(0, "ONE")};
  const auto extensiones = static_cast<long>(borrar[0]->extensiones.size());
  paso.Escribir(cpm::BorrarArchivos(l.bytes, l.disco, borrar, false));
  const Leido &b = *paso.leido;
  EXPECT_EQ(b.Archivo(0, "E16K1.DAT"), nullptr);
  EXPECT_EQ(b.Archivo(0, "ONE"), nullptr);
  EXPECT_EQ(std::count_if(b.disco.catalogo.borradas.begin(), b.disco.catalogo.borradas.end(),
                          [](const auto &s) { return s.texto == "E16K1.DAT"; }),
            extensiones);
  EXPECT_EQ(cpm::EspacioLibre(b.disco).bloquesLibres,
            despues.bloquesLibres + (16385 + tamanoBloque - 1) / tamanoBloque + 1);

  // ren: to another user and name; R/O kept.
  paso.Escribir(
      cpm::RenombrarArchivo(b.bytes, b.disco, *b.Archivo(0, "R127.TXT"), Nombre("7:NEW.TXT")));
  const Leido &r = *paso.leido;
  EXPECT_EQ(r.Archivo(0, "R127.TXT"), nullptr);
  ASSERT_NE(r.Archivo(7, "NEW.TXT"), nullptr);
  EXPECT_TRUE(r.Archivo(7, "NEW.TXT")->soloLectura);
  EXPECT_EQ(r.Extraer(7, "NEW.TXT", ModoExtraccion::Crudo), Esperado(Datos(127, 4), cpm3));

  // attr: the multi-extent GAME.BIN hidden and made R/O; KEEP.DAT's bits cleared.
  const cpm::Archivo *const ocultar[] = {r.Archivo(0, "GAME.BIN")};
  paso.Escribir(cpm::CambiarAtributos(r.bytes, r.disco, ocultar, {true, true, std::nullopt}));
  const cpm::Archivo *const limpiar[] = {paso.leido->Archivo(0, "KEEP.DAT")};
  paso.Escribir(cpm::CambiarAtributos(paso.leido->bytes, paso.leido->disco, limpiar,
                                      {false, std::nullopt, false}));
  const Leido &a = *paso.leido;
  const auto *g = a.Archivo(0, "GAME.BIN");
  EXPECT_TRUE(g->soloLectura && g->sistema && !g->archivado);
  EXPECT_EQ(a.Extraer(0, "GAME.BIN", ModoExtraccion::Archivo), Datos(40000, 9));
  const auto *k = a.Archivo(0, "KEEP.DAT");
  EXPECT_TRUE(!k->soloLectura && !k->sistema && !k->archivado);
  EXPECT_EQ(a.Extraer(0, "KEEP.DAT", ModoExtraccion::Crudo), viejoKeep);

  // put over an existing name, with reemplazar: the old entries and blocks go in the same write.
  // `a` is the reading this write replaces: what is compared is taken first.
  const std::size_t archivosAntes = a.disco.catalogo.archivos.size();
  const std::vector<cpm::ArchivoNuevo> otra{Nuevo("OLD.DAT", Datos(5000, 10))};
  paso.Escribir(cpm::PonerArchivos(a.bytes, a.disco, otra, true), "0:OLD.DAT");
  EXPECT_EQ(paso.leido->Extraer(0, "OLD.DAT", ModoExtraccion::Crudo),
            Esperado(Datos(5000, 10), cpm3));
  EXPECT_EQ(paso.leido->disco.catalogo.archivos.size(), archivosAntes);
}

DiscoCpm Plus3Con2K(int pistas, int caras) {
  Generador::Geometria g = Generador::GeometriaPlus3();
  g.pistas = pistas;
  g.caras = caras;
  g.tamanoBloque = 2048;
  g.entradas = 128;
  DiscoCpm d(g, Disposicion::Extendida);
  d.Descripcion({3, static_cast<std::uint8_t>(caras == 2 ? 1 : 0x80),
                 static_cast<std::uint8_t>(pistas), 9, 2, 1, 4, 2, 0x2A, 0x52, 0, 0, 0, 0, 0, 0});
  return d;
}

INSTANTIATE_TEST_SUITE_P(
    Formatos, EscrituraFormato,
    ::testing::Values(
        CasoFormato{"Data",
                    [] {
                      return ConArchivos(
                          DiscoCpm(Generador::GeometriaData()).Intercalado(Intercalado()));
                    },
                    false},
        CasoFormato{"DataExtendida",
                    [] {
                      return ConArchivos(
                          DiscoCpm(Generador::GeometriaData(), Disposicion::Extendida));
                    },
                    false},
        CasoFormato{"System", [] { return ConArchivos(DiscoCpm(Generador::GeometriaSystem())); },
                    false},
        CasoFormato{"Ibm", [] { return ConArchivos(DiscoCpm(Generador::GeometriaIbm())); }, false},
        CasoFormato{"Plus3", [] { return ConArchivos(DiscoCpm(Generador::GeometriaPlus3())); },
                    true},
        // 2 KB blocks and 8-bit block numbers: two logical extents an entry.
        CasoFormato{"Plus3Exm1", [] { return ConArchivos(Plus3Con2K(80, 1)); }, true},
        CasoFormato{"Plus3DosCarasExm1", [] { return ConArchivos(Plus3Con2K(40, 2)); }, true},
        CasoFormato{"NuevoData", [] { return NuevoConArchivos({}); }, false},
        CasoFormato{"NuevoPcw720",
                    [] {
                      return NuevoConArchivos({"pcw720", 0, 0, true, ""});
                    },
                    true},
        CasoFormato{"NuevoSystem80",
                    [] {
                      return NuevoConArchivos({"system", 80, 2, false, ""});
                    },
                    false},
        // Made by the generator, the reader's other writer: 10 sectors from &31, 256 entries.
        CasoFormato{"RomdosD20",
                    [] {
                      Generador::Geometria g;
                      g.primerSector = 0x31;
                      g.sectores = 10;
                      g.pistas = 80;
                      g.caras = 2;
                      g.tamanoBloque = 2048;
                      g.entradas = 256;
                      return ConArchivos(DiscoCpm(g));
                    },
                    false},
        CasoFormato{"NuevoRomdosD10",
                    [] {
                      return NuevoConArchivos({"romdos-d10", 0, 0, false, ""});
                    },
                    false}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

// The entries of a file as CP/M writes them: EX, S2, RC and S1.
TEST(Escritura, CamposDeLasEntradas) {
  struct Fila {
    cpm::OpcionesNuevo opciones;
    std::size_t largo;
    std::vector<std::array<int, 4>> entradas; // EX, S1, S2, RC of each
  };
  for (const Fila &f : std::vector<Fila>{
           {{}, 40000, {{0, 0, 0, 128}, {1, 0, 0, 128}, {2, 0, 0, 57}}},
           {{}, 0, {{0, 0, 0, 0}}},
           // EXM = 1: an entry holds 32 KB; its EX is that of its last logical extent.
           {{"plus3", 80, 1, false, ""}, 40000, {{1, 0, 0, 128}, {2, 64, 0, 57}}},
           {{"plus3", 80, 1, false, ""}, 32768, {{1, 0, 0, 128}}},
           {{"plus3", 80, 1, false, ""}, 16385, {{1, 1, 0, 1}}},
           {{"plus3", 0, 0, false, ""}, 300, {{0, 44, 0, 3}}},
           // Over 255 blocks: 16-bit block numbers, 8 a 16 KB entry.
           {{"pcw720", 0, 0, false, ""}, 17000, {{0, 0, 0, 128}, {1, 104, 0, 5}}},
       }) {
    const auto vacio = cpm::NuevoDisco(f.opciones).bytes;
    const Leido l(vacio);
    const std::vector<cpm::ArchivoNuevo> uno{Nuevo("F.DAT", Datos(f.largo, 1))};
    const auto e = cpm::PonerArchivos(vacio, l.disco, uno, false);
    ASSERT_TRUE(e.Hecho());
    const Leido d(e.bytes);
    const cpm::Formato &fmt = *d.disco.formato;
    const auto u =
        cpm::UbicarSector(fmt, static_cast<long long>(fmt.reservadas) * fmt.sectoresPorPista);
    const auto *s = imagenes::BuscarSector(d.disco.contenedor, u.pista, u.cara, u.id);
    for (std::size_t i = 0; i < f.entradas.size(); ++i) {
      const auto en = s->datos.subspan(i * 32, 32);
      EXPECT_EQ((std::array<int, 4>{en[12], en[13], en[14], en[15]}), f.entradas[i])
          << f.opciones.formato << " " << f.largo << " entry " << i;
    }
    EXPECT_EQ(s->datos[f.entradas.size() * 32], 0xE5);
    EXPECT_EQ(d.Extraer(0, "F.DAT", ModoExtraccion::Crudo),
              Esperado(Datos(f.largo, 1), fmt.bytesCpm3));
  }
}

// rm, ren and attr change only their own bytes of each of the file's entries.
TEST(Escritura, CadaOrdenCambiaSoloSusBytes) {
  auto bytes = DiscoCpm(Generador::GeometriaData()).Agregar(Viejo("BIG", Datos(40000, 1))).Bytes();
  // The three entries of BIG.DAT are the first of the catalogue, at offset 512; F5 and R/O set.
  constexpr std::size_t Catalogo = 512;
  for (std::size_t e = 0; e < 3; ++e) {
    bytes[Catalogo + 32 * e + 5] |= 0x80;
    bytes[Catalogo + 32 * e + 9] |= 0x80;
  }
  const Leido l(bytes);
  const cpm::Archivo *const big[] = {l.Archivo(0, "BIG.DAT")};
  ASSERT_NE(big[0], nullptr);
  struct Caso {
    const char *nombre;
    cpm::Escrito escrito;
    std::set<std::size_t> lugares; // bytes of an entry it may change
    std::uint8_t bits;             // the bits it may change there
    int cambios;                   // bytes changed in all
  };
  const Caso casos[] = {
      {"rm", cpm::BorrarArchivos(l.bytes, l.disco, big, true), {0}, 0xFF, 3},
      {"ren",
       cpm::RenombrarArchivo(l.bytes, l.disco, *big[0], Nombre("3:SMALL.TXT")),
       {0, 1, 2, 3, 4, 5, 9, 10}, // the T of DAT stays
       0x7F,
       3 * 8},
      {"attr",
       cpm::CambiarAtributos(l.bytes, l.disco, big, {false, true, true}),
       {9, 10, 11},
       0x80,
       3 * 3},
  };
  for (const Caso &c : casos) {
    ASSERT_TRUE(c.escrito.Hecho()) << c.nombre;
    int cambios = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto x = static_cast<std::uint8_t>(bytes[i] ^ c.escrito.bytes[i]);
      if (x == 0) {
        continue;
      }
      ++cambios;
      const std::size_t lugar = (i - Catalogo) % 32;
      EXPECT_TRUE(i >= Catalogo && i < Catalogo + 96 && c.lugares.count(lugar) != 0 &&
                  (x & ~c.bits) == 0)
          << c.nombre << ": offset " << i;
    }
    EXPECT_EQ(cambios, c.cambios) << c.nombre;
  }
}

// --- Damage and oddities.

// A disk full but for blocks 176..179, with OLD.DAT on it.
DiscoCpm CasiLleno(Disposicion disposicion = Disposicion::Estandar) {
  DiscoCpm d(Generador::GeometriaData(), disposicion);
  d.Agregar(Viejo("OLD", Datos(3000, 1))).Agregar(Viejo("BIG", Datos(171 * 1024, 2)));
  return d;
}

TEST(Escritura, BloquesConSectoresMalosSeSaltan) {
  // Block 176 is on track 39 (sectors 1..2 of C1..C9 counting from 0 at 39*9 = 351).
  DiscoCpm d = CasiLleno(Disposicion::Extendida);
  const auto lugar = d.UbicarBloque(176);
  d.Debil(lugar.pista, lugar.cara, lugar.id, 3);
  Paso paso;
  paso.leido = std::make_unique<Leido>(d.Bytes());
  EXPECT_EQ(cpm::EspacioLibre(paso.leido->disco).bloquesLibres, 3);
  EXPECT_EQ(cpm::EspacioLibre(paso.leido->disco).bloquesInutilizables, 1);
  const std::vector<cpm::ArchivoNuevo> uno{Nuevo("NEW.DAT", Datos(2048, 3))};
  const cpm::Escrito e = cpm::PonerArchivos(paso.leido->bytes, paso.leido->disco, uno, false);
  ASSERT_TRUE(e.Hecho());
  const Leido l(e.bytes);
  EXPECT_EQ(l.Archivo(0, "NEW.DAT")->extensiones[0].bloques, (std::vector<int>{177, 178}));
  // The weak sector's copies and the reading's own problems are left as they were.
  SoloCambiaLoPermitido(paso.leido->bytes, l.bytes, Permitidos(paso.leido->disco, l.disco));
}

TEST(Escritura, EntradasQueNoSonArchivosGuardanSusBloques) {
  // A label-like entry of user 31 and a deleted one, both naming blocks.
  DiscoCpm d(Generador::GeometriaData());
  auto rara = Generador::CrearEntrada(31, "LABEL      ", 0);
  rara[16] = 2;
  rara[17] = 3;
  auto borrada = Generador::CrearEntrada(0xE5, "GONE    BAS", 8);
  borrada[16] = 4;
  d.FijarEntrada(0, rara).FijarEntrada(1, borrada);
  const Leido l(d.Bytes());
  const std::vector<cpm::ArchivoNuevo> uno{Nuevo("NEW.DAT", Datos(3000, 3))};
  const cpm::Escrito e = cpm::PonerArchivos(l.bytes, l.disco, uno, false);
  ASSERT_TRUE(e.Hecho());
  const Leido n(e.bytes);
  // Blocks 2 and 3 are kept for the odd entry; the deleted one's block 4 and entry are reused.
  EXPECT_EQ(n.Archivo(0, "NEW.DAT")->extensiones[0].bloques, (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(n.Archivo(0, "NEW.DAT")->extensiones[0].entrada, 1);
  EXPECT_EQ(n.disco.catalogo.raras.size(), 1u);
}

TEST(Escritura, DiscoProtegidoConCatalogoLimpioSeEscribe) {
  // Weak and error-flagged sectors under OLD.DAT's blocks, a track the file system does
  // not use left unformatted, and bytes after the last track.
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida, 42);
  d.Agregar(Viejo("OLD", Datos(3000, 1)));
  const auto b = d.UbicarBloque(d.UltimosBloques()[1]);
  d.Debil(b.pista, b.cara, b.id, 4).Estado(b.pista, b.cara, b.id + 1, 0x20, 0x20).SinFormato(41, 0);
  auto bytes = d.Bytes();
  bytes.insert(bytes.end(), {1, 2, 3});
  Paso paso;
  paso.leido = std::make_unique<Leido>(bytes);
  const std::vector<cpm::ArchivoNuevo> uno{Nuevo("NEW.DAT", Datos(9000, 3))};
  const cpm::Escrito e = cpm::PonerArchivos(bytes, paso.leido->disco, uno, false);
  ASSERT_TRUE(e.Hecho()) << e.rechazo->texto;
  const Leido l(e.bytes);
  EXPECT_EQ(l.Extraer(0, "NEW.DAT", ModoExtraccion::Crudo), Esperado(Datos(9000, 3), false));
  SoloCambiaLoPermitido(bytes, l.bytes, Permitidos(paso.leido->disco, l.disco));
}

// --- Refusals: one row each; no image comes back.

struct CasoRechazo {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> disco;
  std::function<cpm::Escrito(const Leido &)> escribir;
  TipoRechazo esperado;
  const char *dice; // part of the message
};

class Rechazos : public ::testing::TestWithParam<CasoRechazo> {};

TEST_P(Rechazos, NoDanImagen) {
  const Leido l(GetParam().disco());
  const auto copia = l.bytes;
  const cpm::Escrito e = GetParam().escribir(l);
  ASSERT_FALSE(e.Hecho());
  EXPECT_EQ(e.rechazo->tipo, GetParam().esperado) << e.rechazo->texto;
  EXPECT_NE(e.rechazo->texto.find(GetParam().dice), std::string::npos) << e.rechazo->texto;
  EXPECT_TRUE(e.bytes.empty());
  EXPECT_EQ(l.bytes, copia);
}

std::function<cpm::Escrito(const Leido &)> Poner(std::vector<cpm::ArchivoNuevo> archivos,
                                                 bool reemplazar = false) {
  return [archivos, reemplazar](const Leido &l) {
    return cpm::PonerArchivos(l.bytes, l.disco, archivos, reemplazar);
  };
}

const auto PonerUno = Poner({Nuevo("NEW.DAT", Datos(100, 9))});

std::vector<std::uint8_t> ConOld() {
  return DiscoCpm(Generador::GeometriaData(), Disposicion::Extendida)
      .Agregar(Viejo("OLD", Datos(3000, 1)))
      .Bytes();
}

std::vector<std::uint8_t> CatalogoCon(std::function<void(DiscoCpm &)> cambio) {
  DiscoCpm d(Generador::GeometriaData(), Disposicion::Extendida);
  d.Agregar(Viejo("OLD", Datos(3000, 1)));
  cambio(d);
  return d.Bytes();
}

// A catalogue with `n` one-record files.
std::vector<std::uint8_t> CatalogoCon(int n) {
  DiscoCpm d(Generador::GeometriaData());
  for (int i = 0; i < n; ++i) {
    d.Agregar(Viejo(("F" + std::to_string(i)).c_str(), Datos(10, 1)));
  }
  return d.Bytes();
}

Generador::Entrada Entrada(const char *nombre11, std::vector<int> bloques) {
  auto e = Generador::CrearEntrada(0, nombre11, static_cast<std::uint8_t>(bloques.size() * 8));
  for (std::size_t i = 0; i < bloques.size(); ++i) {
    e[16 + i] = static_cast<std::uint8_t>(bloques[i]);
  }
  return e;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Rechazos,
    ::testing::Values(
        CasoRechazo{"FormatoDesconocido",
                    [] {
                      Generador::Geometria g;
                      g.primerSector = 0x91; // ParaDOS 80, unknown to the reader
                      return DiscoCpm(g).Bytes();
                    },
                    PonerUno, TipoRechazo::FormatoDesconocido, "formato desconocido"},
        CasoRechazo{"NoEsUnaImagen",
                    [] {
                      return DiscoCpm(Generador::GeometriaData()).Firma("NOT A DISK").Bytes();
                    },
                    PonerUno, TipoRechazo::FormatoDesconocido,
                    "formato desconocido: el archivo no empieza por"},
        // Over 255 blocks of 1 KB: an entry of eight 16-bit numbers cannot hold 16 KB.
        CasoRechazo{"BloquesPequenosDe16Bits",
                    [] {
                      Generador::Geometria g = Generador::GeometriaPlus3();
                      g.pistas = 80;
                      g.caras = 2;
                      return DiscoCpm(g)
                          .Descripcion({3, 0x81, 80, 9, 2, 1, 3, 2, 0x2A, 0x52, 0, 0, 0, 0, 0, 0})
                          .Bytes();
                    },
                    PonerUno, TipoRechazo::FormatoDesconocido, "números de 16 bits"},
        CasoRechazo{"CatalogoSinSector",
                    [] { return CatalogoCon([](DiscoCpm &d) { d.QuitarSector(0, 0, 0xC3); }); },
                    PonerUno, TipoRechazo::CatalogoIlegible, "falta el sector 195"},
        CasoRechazo{"CatalogoDebil",
                    [] { return CatalogoCon([](DiscoCpm &d) { d.Debil(0, 0, 0xC4, 2); }); },
                    PonerUno, TipoRechazo::CatalogoIlegible, "débil"},
        CasoRechazo{"CatalogoConError",
                    [] {
                      return CatalogoCon([](DiscoCpm &d) { d.Estado(0, 0, 0xC1, 0x20, 0x20); });
                    },
                    PonerUno, TipoRechazo::CatalogoIlegible, "con error"},
        CasoRechazo{"CatalogoOtroTamano",
                    [] {
                      return CatalogoCon([](DiscoCpm &d) { d.CodigoTamano(0, 0, 0xC2, 3); });
                    },
                    PonerUno, TipoRechazo::CatalogoIlegible, "código de tamaño 3"},
        CasoRechazo{"CatalogoConOtraPistaEnSuId",
                    [] {
                      auto b = CatalogoCon([](DiscoCpm &) {});
                      b[256 + 24] = 5; // C of track 0's first sector (C1)
                      return b;
                    },
                    PonerUno, TipoRechazo::CatalogoIlegible, "lleva C=5 H=0 en su ID"},
        CasoRechazo{"CatalogoRepetido",
                    [] { return CatalogoCon([](DiscoCpm &d) { d.SectorExtra(0, 0, 0xC2); }); },
                    PonerUno, TipoRechazo::CatalogoIlegible, "repetido"},
        CasoRechazo{"BloqueCompartido",
                    [] {
                      return CatalogoCon([](DiscoCpm &d) {
                        d.FijarEntrada(5, Entrada("SHARE   BIN", {2, 40}));
                      });
                    },
                    PonerUno, TipoRechazo::BloquesDanados, "bloques dañados"},
        CasoRechazo{"BloqueFuera",
                    [] {
                      return CatalogoCon([](DiscoCpm &d) {
                        d.FijarEntrada(5, Entrada("OUT     BIN", {40, 200}));
                      });
                    },
                    [](const Leido &l) {
                      const cpm::Archivo *const uno[] = {l.Archivo(0, "OLD.DAT")};
                      return cpm::BorrarArchivos(l.bytes, l.disco, uno, false);
                    },
                    TipoRechazo::BloquesDanados, "fuera del disco"},
        CasoRechazo{"SinSitio", [] { return CasiLleno().Bytes(); },
                    Poner({Nuevo("NEW.DAT", Datos(10 * 1024, 9))}), TipoRechazo::SinSitio,
                    "hacen falta 10 bloques (10 KB) y quedan 4 libres; faltan 6 (6 KB)"},
        CasoRechazo{"SinSitioEntreVarios", [] { return CasiLleno().Bytes(); },
                    Poner({Nuevo("A", Datos(2048, 9)), Nuevo("B", Datos(3000, 9))}),
                    TipoRechazo::SinSitio, "; falta 1 (1 KB)"},
        CasoRechazo{"SectorInutilizable",
                    [] {
                      DiscoCpm d = CasiLleno();
                      const auto b = d.UbicarBloque(178);
                      d.QuitarSector(b.pista, b.cara, b.id);
                      return d.Bytes();
                    },
                    Poner({Nuevo("NEW.DAT", Datos(4096, 9))}), TipoRechazo::SectorInutilizable,
                    "en el bloque 178 falta el sector"},
        CasoRechazo{"SinEntradas", [] { return CatalogoCon(64); }, PonerUno,
                    TipoRechazo::SinEntradas, "quedan 0 libres; falta 1"},
        // 80 KB: enough blocks, but five entries of 16 KB and four left.
        CasoRechazo{"SinEntradasPorExtensiones", [] { return CatalogoCon(60); },
                    Poner({Nuevo("HUGE", Datos(80 * 1024, 9))}), TipoRechazo::SinEntradas,
                    "hacen falta 5 entradas y quedan 4 libres; falta 1"},
        CasoRechazo{"NombreNoValido", ConOld,
                    Poner({cpm::ArchivoNuevo{cpm::NombreCpm{0, {'l', 'o', 'w', ' ', ' ', ' ', ' ',
                                                                ' ', ' ', ' ', ' '}},
                                             Datos(10, 1)}}),
                    TipoRechazo::NombreNoValido, "low"},
        CasoRechazo{"UsuarioNoValido", ConOld,
                    Poner({cpm::ArchivoNuevo{cpm::NombreCpm{16, Nombre("A.B").nombre}, {}}}),
                    TipoRechazo::NombreNoValido, "no vale"},
        CasoRechazo{"YaExiste", ConOld, Poner({Nuevo("old.dat", Datos(10, 1))}),
                    TipoRechazo::YaExiste, "Ya hay un 0:OLD.DAT"},
        CasoRechazo{"DosVecesElMismo", ConOld,
                    Poner({Nuevo("A.B", Datos(10, 1)), Nuevo("a.b", Datos(10, 1))}, true),
                    TipoRechazo::YaExiste, "dos veces"},
        CasoRechazo{"RenombrarAOtroQueHay",
                    [] {
                      return DiscoCpm(Generador::GeometriaData())
                          .Agregar(Viejo("OLD", Datos(10, 1)))
                          .Agregar(Viejo("NEW", Datos(10, 1)))
                          .Bytes();
                    },
                    [](const Leido &l) {
                      return cpm::RenombrarArchivo(l.bytes, l.disco, *l.Archivo(0, "OLD.DAT"),
                                                   Nombre("NEW.DAT"));
                    },
                    TipoRechazo::YaExiste, "NEW.DAT"},
        CasoRechazo{"BorrarSoloLectura",
                    [] {
                      ArchivoCpm ro = Viejo("RO", Datos(10, 1));
                      ro.soloLectura = true;
                      return DiscoCpm(Generador::GeometriaData()).Agregar(ro).Bytes();
                    },
                    [](const Leido &l) {
                      const cpm::Archivo *const uno[] = {l.Archivo(0, "RO.DAT")};
                      return cpm::BorrarArchivos(l.bytes, l.disco, uno, false);
                    },
                    TipoRechazo::SoloLectura, "solo lectura"},
        CasoRechazo{"NoEncontrado", ConOld,
                    [](const Leido &l) {
                      cpm::Archivo otro = *l.Archivo(0, "OLD.DAT");
                      otro.usuario = 3;
                      const cpm::Archivo *const uno[] = {&otro};
                      return cpm::CambiarAtributos(l.bytes, l.disco, uno, {true, {}, {}});
                    },
                    TipoRechazo::NoEncontrado, "3:OLD.DAT"},
        CasoRechazo{"LecturaDeOtraImagen", ConOld,
                    [](const Leido &l) {
                      auto mas = l.bytes;
                      mas.push_back(0);
                      return cpm::PonerArchivos(mas, l.disco, {}, false);
                    },
                    TipoRechazo::OpcionNoValida, "no es la de esta imagen"},
        CasoRechazo{"LecturaDeOtrosBytes", ConOld,
                    [](const Leido &l) {
                      auto otros = l.bytes;
                      otros[300] ^= 1;
                      return cpm::PonerArchivos(otros, l.disco, {}, false);
                    },
                    TipoRechazo::OpcionNoValida, "no es la de esta imagen"}),
    [](const auto &fila) { return std::string(fila.param.nombre); });

TEST(Escritura, BorrarSoloLecturaForzadoYNadaMasCambia) {
  ArchivoCpm ro = Viejo("RO", Datos(3000, 1));
  ro.soloLectura = true;
  Paso paso;
  paso.leido = std::make_unique<Leido>(DiscoCpm(Generador::GeometriaData()).Agregar(ro).Bytes());
  const cpm::Archivo *const uno[] = {paso.leido->Archivo(0, "RO.DAT")};
  const cpm::Escrito e = cpm::BorrarArchivos(paso.leido->bytes, paso.leido->disco, uno, true);
  ASSERT_TRUE(e.Hecho());
  // ERA changes the user byte alone.
  std::size_t distintos = 0;
  for (std::size_t i = 0; i < e.bytes.size(); ++i) {
    distintos += e.bytes[i] != paso.leido->bytes[i] ? 1 : 0;
  }
  EXPECT_EQ(distintos, 1u);
  paso.Escribir(e);
  EXPECT_TRUE(paso.leido->disco.catalogo.archivos.empty());
}

} // namespace
