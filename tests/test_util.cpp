// File information, deleting and renaming on the host.
#include "Comun.h"

#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "util/Cls_Util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>

#include <sys/stat.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

class Util : public testing::Test {
protected:
  CarpetaTemporal dir;
  Cls_Util util;

  std::string Crear(const std::string &nombre, std::size_t largo = 10) {
    const std::string ruta = dir.Archivo(nombre);
    Escribir(ruta, std::vector<std::uint8_t>(largo, 1));
    return ruta;
  }
  static mode_t Modo(const std::string &ruta) {
    struct stat st {};
    ::stat(ruta.c_str(), &st);
    return st.st_mode & 07777;
  }
};

TEST_F(Util, LoQueNoEsUnArchivoNoExiste) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows no tiene FIFOs ni /dev/null";
#else
  ASSERT_EQ(::mkfifo(dir.Archivo("tuberia.dsk").c_str(), 0644), 0); // must not hang
  std::filesystem::create_directory(dir.Ruta() / "carpeta.dsk");
  std::filesystem::create_symlink(dir.Ruta() / "nadie", dir.Ruta() / "roto.dsk");
  const std::string archivo = Crear("a.dsk");
  for (const std::string &ruta :
       {dir.Archivo("falta.dsk"), dir.Archivo("tuberia.dsk"), dir.Archivo("carpeta.dsk"),
        dir.Archivo("roto.dsk"), std::string(), archivo + "/", archivo + std::string(1, '\0'),
        std::string("/dev/null")}) {
    EXPECT_EQ(util.InfoFichero(ruta), DatosFichero{}) << ruta;
    // Nothing to delete or move is no failure, and nothing changes.
    EXPECT_EQ(util.Eliminar(ruta), 0) << ruta;
    EXPECT_EQ(util.Renombrar(ruta, dir.Archivo("destino.dsk")), 0) << ruta;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.Ruta() / "carpeta.dsk"));
  EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "destino.dsk"));
#endif
}

TEST_F(Util, ArchivoNormal) {
  const std::time_t ahora = std::time(nullptr);
  const std::string ruta = Crear("juego.dsk", 194816);
  const DatosFichero d = util.InfoFichero(ruta);
  EXPECT_EQ(d.Existe, Verdadero);
  EXPECT_EQ(d.Tamano, 194816);
  EXPECT_EQ(d.Nombre, "juego.dsk");
#if defined(_WIN32)
  // Windows marks every new file for backup: the archive bit, not "normal".
  EXPECT_EQ(d.Archivo, Verdadero);
  const Booleano sinMarca = d.Normal;
#else
  EXPECT_EQ(d.Normal, Verdadero);
  const Booleano sinMarca = d.Archivo;
#endif
  for (const Booleano b : {sinMarca, d.Comprimido, d.Directorio, d.Oculto, d.SinConexion,
                           d.SoloLectura, d.Sistema, d.Temporal}) {
    EXPECT_EQ(b, Falso);
  }
  const double hoy = Plataforma::FechaDesdeUnix(ahora, 0);
  const double unMinuto = 1.0 / 24 / 60;
  for (const double fecha : {d.FechaCreacion, d.FechaAcceso, d.FechaModificacion}) {
    EXPECT_NEAR(fecha, hoy, unMinuto);
  }
}

TEST_F(Util, AtributosDeLinux) {
#if defined(_WIN32)
  GTEST_SKIP() << "los bits de permiso POSIX no existen en Windows";
#else
  const std::string soloLectura = Crear("protegido.dsk");
  ::chmod(soloLectura.c_str(), 0444);
  const DatosFichero p = util.InfoFichero(soloLectura);
  EXPECT_EQ(p.SoloLectura, Verdadero);
  EXPECT_EQ(p.Normal, Falso);
  EXPECT_EQ(p.Oculto, Falso);

  const DatosFichero o = util.InfoFichero(Crear(".oculto.dsk"));
  EXPECT_EQ(o.Oculto, Verdadero);
  EXPECT_EQ(o.Normal, Falso);
  EXPECT_EQ(o.SoloLectura, Falso);
#endif
}

TEST_F(Util, EnlaceANombreRaroYSinUtf8) {
#if defined(_WIN32)
  GTEST_SKIP() << "enlaces simbólicos y nombres que no son UTF-8: solo POSIX";
#else
  const std::string raro = Crear("\xFF\xFE juego \xE9.dsk", 5);
  EXPECT_EQ(util.InfoFichero(raro).Nombre, "\xFF\xFE juego \xE9.dsk");
  std::filesystem::create_symlink(raro, dir.Ruta() / "enlace.dsk");
  const DatosFichero d = util.InfoFichero(dir.Archivo("enlace.dsk"));
  EXPECT_EQ(d.Existe, Verdadero);
  EXPECT_EQ(d.Tamano, 5); // the link is followed
  EXPECT_EQ(util.Renombrar(raro, dir.Archivo("\xF1.dsk")), 0);
  EXPECT_EQ(util.Eliminar(dir.Archivo("\xF1.dsk")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "\xF1.dsk"));
#endif
}

TEST_F(Util, DosGibiBytesNoCaben) {
  const auto Disperso = [&](const std::string &nombre, std::uintmax_t largo) {
    const std::string ruta = Crear(nombre, 0);
    std::filesystem::resize_file(RutaFs(ruta), largo);
    return ruta;
  };
  const DatosFichero justo = util.InfoFichero(Disperso("justo.dsk", 0x7FFFFFFF));
  EXPECT_EQ(justo.Existe, Verdadero);
  EXPECT_EQ(justo.Tamano, 0x7FFFFFFF);
  EXPECT_EQ(util.InfoFichero(Disperso("grande.dsk", 0x80000000LL)).Existe, Falso);
  EXPECT_EQ(util.InfoFichero(Disperso("enorme.dsk", 0x100000005LL)).Existe, Falso);
}

// Delete and rename act on what InfoFichero calls missing because it does not
// fit the record, and never answer "done" for a path they could not examine.
TEST_F(Util, EliminarYRenombrarDosGibiBytesOMas) {
  for (const std::uintmax_t largo : {0x80000000ULL, 0x100000005ULL}) {
    SCOPED_TRACE(largo);
    const std::string ruta = Crear("grande.dsk", 0);
    std::filesystem::resize_file(RutaFs(ruta), largo); // sparse: nothing is written
    ASSERT_EQ(util.InfoFichero(ruta).Existe, Falso);
    EXPECT_EQ(util.Renombrar(ruta, dir.Archivo("movido.dsk")), 0);
    EXPECT_FALSE(std::filesystem::exists(ruta));
    EXPECT_EQ(std::filesystem::file_size(dir.Ruta() / "movido.dsk"), largo);
    EXPECT_EQ(util.Eliminar(dir.Archivo("movido.dsk")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "movido.dsk"));
  }
}

TEST_F(Util, RutaQueNoSePuedeExaminarDiceElFallo) {
#if defined(_WIN32)
  GTEST_SKIP() << "un bucle de enlaces simbólicos: solo POSIX";
#else
  std::filesystem::create_symlink(dir.Ruta() / "bucle2.dsk", dir.Ruta() / "bucle1.dsk");
  std::filesystem::create_symlink(dir.Ruta() / "bucle1.dsk", dir.Ruta() / "bucle2.dsk");
  std::string larga = dir.Ruta().string();
  while (larga.size() <= PATH_MAX) {
    larga += "/" + std::string(200, 'x');
  }
  const struct {
    const char *caso;
    std::string ruta;
    std::int16_t numero;
  } casos[] = {
      {"bucle de enlaces", dir.Archivo("bucle1.dsk"), Errores::ErrorAccesoRuta},
      {"ruta demasiado larga", larga + "/a.dsk", Errores::RutaNoEncontrada},
      {"nombre demasiado largo", dir.Archivo(std::string(NAME_MAX + 1, 'n')),
       Errores::RutaNoEncontrada},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.caso);
    EXPECT_EQ(util.Eliminar(c.ruta), c.numero);
    EXPECT_EQ(util.Renombrar(c.ruta, dir.Archivo("destino.dsk")), c.numero);
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Ruta() / "bucle1.dsk"));
  EXPECT_FALSE(std::filesystem::exists(dir.Ruta() / "destino.dsk"));
#endif
}

TEST_F(Util, CarpetaSinPermisoDiceElFallo) {
#if defined(_WIN32)
  GTEST_SKIP() << "los bits de permiso POSIX de una carpeta no existen en Windows";
#else
  if (EsRoot()) {
    GTEST_SKIP() << "root searches any folder";
  }
  const std::string ruta = Crear("a.dsk");
  ::chmod(dir.Ruta().c_str(), 0600);
  EXPECT_EQ(util.Eliminar(ruta), Errores::PermisoDenegado);
  ::chmod(dir.Ruta().c_str(), 0700);
  EXPECT_TRUE(std::filesystem::exists(ruta));
#endif
}

TEST_F(Util, EliminarAunqueSeaDeSoloLectura) {
  const std::string ruta = Crear("borrar.dsk");
  ::chmod(ruta.c_str(), 0444);
  EXPECT_EQ(util.Eliminar(ruta), 0);
  EXPECT_FALSE(std::filesystem::exists(ruta));
}

TEST_F(Util, EliminarQueFallaDejaLosPermisosComoEstaban) {
#if defined(_WIN32)
  GTEST_SKIP() << "una carpeta de solo lectura no impide borrar en Windows";
#else
  if (EsRoot()) {
    GTEST_SKIP() << "root may delete in any folder";
  }
  std::filesystem::create_directory(dir.Ruta() / "cerrada");
  const std::string ruta = (dir.Ruta() / "cerrada" / "x.dsk").string();
  Escribir(ruta, {1, 2, 3});
  ::chmod(ruta.c_str(), 0444);
  ::chmod((dir.Ruta() / "cerrada").c_str(), 0555);
  EXPECT_EQ(util.Eliminar(ruta), Errores::PermisoDenegado);
  EXPECT_TRUE(std::filesystem::exists(ruta));
  EXPECT_EQ(Modo(ruta), 0444);
#endif
}

TEST_F(Util, RenombrarLimpiaLosAtributos) {
  const std::string de = Crear("viejo.dsk");
  ::chmod(de.c_str(), 0444);
  std::filesystem::create_directory(dir.Ruta() / "otra");
  const std::string a = (dir.Ruta() / "otra" / "nuevo.dsk").string();
  EXPECT_EQ(util.Renombrar(de, a), 0);
  EXPECT_FALSE(std::filesystem::exists(de));
  const DatosFichero d = util.InfoFichero(a);
  EXPECT_EQ(d.Existe, Verdadero);
  EXPECT_EQ(d.SoloLectura, Falso);
#if defined(_WIN32)
  EXPECT_EQ(d.Archivo, Verdadero); // the one bit Windows keeps on a moved file
#else
  EXPECT_EQ(d.Normal, Verdadero);
#endif
}

TEST_F(Util, RenombrarNuncaSustituyeAOtroArchivo) {
  const std::string de = Crear("origen.dsk", 3);
  const std::string a = Crear("ocupado.dsk", 7);
  ::chmod(de.c_str(), 0440);
  EXPECT_EQ(util.Renombrar(de, a), Errores::ArchivoYaExiste);
  EXPECT_EQ(std::filesystem::file_size(de), 3u);
  EXPECT_EQ(std::filesystem::file_size(a), 7u);
#if defined(_WIN32)
  EXPECT_EQ(Modo(de) & 0200, 0); // read-only again after the failed move
#else
  EXPECT_EQ(Modo(de), 0440); // restored after the failed move
#endif

  EXPECT_EQ(util.Renombrar(de, de), Errores::ArchivoYaExiste);
  EXPECT_EQ(util.Renombrar(de, dir.Archivo("no-hay/x.dsk")), Errores::RutaNoEncontrada);
  EXPECT_EQ(util.Renombrar(de, a + "/x.dsk"), Errores::RutaNoEncontrada);
  EXPECT_TRUE(std::filesystem::exists(de));
}

TEST_F(Util, UnEnlaceSeBorraYSeMueveSinTocarSuDestino) {
#if defined(_WIN32)
  GTEST_SKIP() << "enlaces simbólicos: solo POSIX";
#else
  const std::string destino = Crear("protegido.dsk");
  ::chmod(destino.c_str(), 0444);
  std::filesystem::create_symlink(destino, dir.Ruta() / "enlace.dsk");
  EXPECT_EQ(util.Renombrar(dir.Archivo("enlace.dsk"), dir.Archivo("movido.dsk")), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Ruta() / "movido.dsk"));
  EXPECT_EQ(Modo(destino), 0444);
  EXPECT_EQ(util.Eliminar(dir.Archivo("movido.dsk")), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.Ruta() / "movido.dsk")));
  EXPECT_TRUE(std::filesystem::exists(destino));
  EXPECT_EQ(Modo(destino), 0444);
#endif
}

TEST_F(Util, RenombrarAOtroSistemaDeArchivos) {
#if defined(_WIN32)
  GTEST_SKIP() << "/dev/shm es de Linux";
#else
  // /dev/shm is a tmpfs on Linux; when it differs from the temporary folder's
  // file system, the move copies and removes.
  if (!std::filesystem::is_directory("/dev/shm")) {
    GTEST_SKIP() << "no /dev/shm";
  }
  struct stat a {
  }, b{};
  ::stat(dir.Ruta().c_str(), &a);
  ::stat("/dev/shm", &b);
  if (a.st_dev == b.st_dev) {
    GTEST_SKIP() << "same file system";
  }
  const std::string de = Crear("lejos.dsk", 70000);
  const std::string destino = "/dev/shm/alcove-prueba-" + std::to_string(::getpid()) + ".dsk";
  EXPECT_EQ(util.Renombrar(de, destino), 0);
  EXPECT_FALSE(std::filesystem::exists(de));
  EXPECT_EQ(std::filesystem::file_size(destino), 70000u);
  const std::string vuelta = Crear("lejos.dsk", 1);
  EXPECT_EQ(util.Renombrar(destino, vuelta), Errores::ArchivoYaExiste);
  std::filesystem::remove(destino);
#endif
}

TEST(Fecha, DiasDesde1899EnHoraLocal) {
#if defined(_WIN32)
  GTEST_SKIP() << "la variable TZ de POSIX";
#else
  const char *tz = std::getenv("TZ");
  const std::string anterior = tz ? tz : "";
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  EXPECT_DOUBLE_EQ(Plataforma::FechaDesdeUnix(0, 0), 25569.0);
  EXPECT_DOUBLE_EQ(Plataforma::FechaDesdeUnix(86400 + 43200, 0), 25570.5);
  EXPECT_DOUBLE_EQ(Plataforma::FechaDesdeUnix(-2209161600LL, 0), 0.0); // 30 December 1899
  EXPECT_NEAR(Plataforma::FechaDesdeUnix(951782400, 500000000), 36585.0 + 0.5 / 86400,
              1e-9);          // 2000-02-29
  ::setenv("TZ", "CET-1", 1); // an hour east: local midnight is 23:00 UTC
  ::tzset();
  EXPECT_DOUBLE_EQ(Plataforma::FechaDesdeUnix(-3600, 0), 25569.0);
  if (tz) {
    ::setenv("TZ", anterior.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
#endif
}

} // namespace
