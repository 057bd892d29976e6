// Replacing a file safely: permissions kept, links kept, a file changed by
// someone else meanwhile left alone, nothing temporary left behind.
#include "Comun.h"

#include "platform/Errores.h"
#include "platform/ReemplazoSeguro.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace P = Plataforma;
namespace fs = std::filesystem;

std::vector<std::uint8_t> Relleno(std::size_t largo, std::uint8_t semilla) {
  std::vector<std::uint8_t> v(largo);
  for (std::size_t i = 0; i < largo; ++i) {
    v[i] = static_cast<std::uint8_t>(i * 13 + semilla);
  }
  return v;
}

// The names in a folder, hidden ones included.
std::set<std::string> Nombres(const fs::path &carpeta) {
  std::set<std::string> n;
  for (const auto &e : fs::directory_iterator(carpeta)) {
    n.insert(e.path().filename().string());
  }
  return n;
}

class Reemplazo : public testing::Test {
protected:
  CarpetaTemporal dir;
  std::string ruta = dir.Archivo("disco.dsk");
  std::vector<std::uint8_t> viejo = Relleno(5000, 1);
  std::vector<std::uint8_t> nuevo = Relleno(6000, 2);
  P::HuellaArchivo huella;

  void SetUp() override {
    Escribir(ruta, viejo);
    std::vector<std::uint8_t> leido;
    ASSERT_EQ(P::LeerParaReemplazar(ruta, 1 << 20, leido, huella), Errores::Ninguno);
    ASSERT_EQ(leido, viejo);
  }
};

TEST_F(Reemplazo, ConservaPermisosYEnlaces) {
  ::chmod(ruta.c_str(), 0640);
  const P::Reemplazo r = P::ReemplazarArchivo(ruta, huella, nuevo);
  EXPECT_EQ(r.error, Errores::Ninguno);
  EXPECT_FALSE(r.cambiado);
  EXPECT_EQ(Leer(ruta), nuevo);
  EXPECT_EQ(fs::status(ruta).permissions(), fs::perms(0640));
  EXPECT_EQ(Nombres(dir.Ruta()), std::set<std::string>{"disco.dsk"});
  if (EsRoot()) {
    // Root writing another user's image leaves it theirs.
    ASSERT_EQ(::chown(ruta.c_str(), 1234, 5678), 0);
    std::vector<std::uint8_t> leido;
    ASSERT_EQ(P::LeerParaReemplazar(ruta, 1 << 20, leido, huella), Errores::Ninguno);
    EXPECT_EQ(P::ReemplazarArchivo(ruta, huella, viejo).error, Errores::Ninguno);
    struct stat st {};
    ::stat(ruta.c_str(), &st);
    EXPECT_EQ(st.st_uid, 1234U);
    EXPECT_EQ(st.st_gid, 5678U);
    EXPECT_EQ(Leer(ruta), viejo);
  }

  // Through a link in another folder: the file it points to is replaced, in
  // its own folder, and the link is still a link.
  fs::create_directory(dir.Ruta() / "otra");
  const std::string enlace = dir.Archivo("otra/enlace.dsk");
  fs::create_symlink(ruta, enlace);
  ::chmod(ruta.c_str(), 0604);
  std::vector<std::uint8_t> leido;
  ASSERT_EQ(P::LeerParaReemplazar(enlace, 1 << 20, leido, huella), Errores::Ninguno);
  EXPECT_EQ(leido, Leer(ruta));
  const auto tercero = Relleno(7000, 3);
  EXPECT_EQ(P::ReemplazarArchivo(enlace, huella, tercero).error, Errores::Ninguno);
  EXPECT_TRUE(fs::is_symlink(enlace));
  EXPECT_EQ(fs::read_symlink(enlace), ruta);
  EXPECT_EQ(Leer(ruta), tercero);
  EXPECT_EQ(fs::status(ruta).permissions(), fs::perms(0604));
  EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "otra"}));
  EXPECT_EQ(Nombres(dir.Ruta() / "otra"), std::set<std::string>{"enlace.dsk"});
}

TEST_F(Reemplazo, NoReemplazaLoQueOtroCambio) {
  struct Caso {
    const char *nombre;
    std::function<void()> cambio;
  };
  const auto tiempo = [this](std::int64_t segundos) {
    const timespec t[2] = {{segundos, 0}, {segundos, 0}};
    ::utimensat(AT_FDCWD, ruta.c_str(), t, 0);
  };
  for (const Caso &c : std::vector<Caso>{
           {"más largo", [&] { Escribir(ruta, Relleno(5001, 1)); }},
           {"otra fecha", [&] { tiempo(1000000); }},
           {"otro archivo con el mismo contenido",
            [&] {
              Escribir(ruta + ".otro", viejo);
              fs::rename(ruta + ".otro", ruta);
            }},
           // Same size and time: only the bytes tell.
           {"mismo tamaño y fecha",
            [&] {
              struct stat st {};
              ::stat(ruta.c_str(), &st);
              auto v = viejo;
              v[4000] ^= 1;
              const int fd = ::open(ruta.c_str(), O_WRONLY);
              ASSERT_EQ(::pwrite(fd, v.data(), v.size(), 0), static_cast<ssize_t>(v.size()));
              ::close(fd);
              const timespec t[2] = {st.st_atim, st.st_mtim};
              ::utimensat(AT_FDCWD, ruta.c_str(), t, 0);
            }},
           {"borrado", [&] { fs::remove(ruta); }},
       }) {
    SCOPED_TRACE(c.nombre);
    Escribir(ruta, viejo);
    tiempo(2000000);
    std::vector<std::uint8_t> leido;
    ASSERT_EQ(P::LeerParaReemplazar(ruta, 1 << 20, leido, huella), Errores::Ninguno);
    c.cambio();
    const std::set<std::string> antes = Nombres(dir.Ruta());
    const std::vector<std::uint8_t> cambiado = Leer(ruta);
    const P::Reemplazo r = P::ReemplazarArchivo(ruta, huella, nuevo);
    EXPECT_TRUE(r.cambiado);
    EXPECT_EQ(Leer(ruta), cambiado);
    EXPECT_EQ(Nombres(dir.Ruta()), antes);
  }
}

// A write the file system refuses part-way (the file size limit stands in for
// a full disk): the old file stays whole and nothing else is left.
TEST_F(Reemplazo, FalloAlEscribirNoDejaNada) {
  rlimit antes{};
  ::getrlimit(RLIMIT_FSIZE, &antes);
  const auto senal = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limite = antes;
  limite.rlim_cur = 3000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
  const P::Reemplazo r = P::ReemplazarArchivo(ruta, huella, nuevo);
  const std::int16_t creado = P::CrearArchivo(dir.Archivo("nuevo.dsk"), nuevo, false);
  ::setrlimit(RLIMIT_FSIZE, &antes);
  ::signal(SIGXFSZ, senal);
  EXPECT_EQ(r.error, Errores::DiscoLleno);
  EXPECT_FALSE(r.cambiado);
  EXPECT_EQ(creado, Errores::DiscoLleno);
  EXPECT_EQ(Leer(ruta), viejo);
  EXPECT_EQ(Nombres(dir.Ruta()), std::set<std::string>{"disco.dsk"});
}

TEST_F(Reemplazo, CrearSoloReemplazaSiSePide) {
  EXPECT_EQ(P::CrearArchivo(ruta, nuevo, false), Errores::ArchivoYaExiste);
  EXPECT_EQ(Leer(ruta), viejo);
  const std::string enlace = dir.Archivo("enlace.dsk");
  fs::create_symlink(ruta, enlace);
  EXPECT_EQ(P::CrearArchivo(enlace, nuevo, false), Errores::ArchivoYaExiste);
  ::chmod(ruta.c_str(), 0600);
  EXPECT_EQ(P::CrearArchivo(enlace, nuevo, true), Errores::Ninguno);
  EXPECT_TRUE(fs::is_symlink(enlace));
  EXPECT_EQ(Leer(ruta), nuevo);
  EXPECT_EQ(fs::status(ruta).permissions(), fs::perms(0600));

  const std::string otro = dir.Archivo("otro.dsk");
  EXPECT_EQ(P::CrearArchivo(otro, viejo, false), Errores::Ninguno);
  EXPECT_EQ(Leer(otro), viejo);
  EXPECT_NE(P::CrearArchivo(dir.Archivo("falta/x.dsk"), viejo, true), Errores::Ninguno);
  EXPECT_NE(P::CrearArchivo(dir.Ruta().string(), viejo, true), Errores::Ninguno); // a folder
  EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "enlace.dsk", "otro.dsk"}));
}

} // namespace
