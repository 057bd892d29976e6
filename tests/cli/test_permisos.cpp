// Writing commands and the image's permissions: an image its user could not
// open for writing is refused, and a replaced image keeps its owner, group,
// mode, ACLs and extended attributes, or is refused saying which it could not
// keep. A kill at the worst moment leaves at most one hidden copy, which the
// next write to the image removes.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"
#include "ZipDePrueba.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

std::set<std::string> Nombres(const fs::path &carpeta) {
  std::set<std::string> n;
  for (const auto &e : fs::directory_iterator(carpeta)) {
    n.insert(Utf8(e.path().filename()));
  }
  return n;
}

std::vector<std::uint8_t> Imagen() {
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "VIEJO", "BIN", false, false, Patron(3000, 1)});
  return img.Bytes();
}

#if !defined(_WIN32)

// nobody and nogroup, as Debian numbers them.
constexpr uid_t kNadie = 65534;
constexpr gid_t kNingunGrupo = 65534;
constexpr const char *kSetpriv = "/usr/bin/setpriv";

// How to run alcove-cli as a user without privileges: as nobody when the tests
// run as root (who passes every permission check); as themselves otherwise.
// Nothing when that cannot be arranged, with the reason.
std::optional<OpcionesCli> SinPrivilegios(std::string &motivo) {
  OpcionesCli o;
  if (::geteuid() != 0) {
    return o;
  }
  if (::access(kSetpriv, X_OK) != 0) {
    motivo = "no hay setpriv para dejar de ser root";
    return std::nullopt;
  }
  o.delante = {kSetpriv, "--reuid=" + std::to_string(kNadie),
               "--regid=" + std::to_string(kNingunGrupo), "--clear-groups", "--"};
  return o;
}

uid_t UsuarioComun() { return ::geteuid() == 0 ? kNadie : ::geteuid(); }
gid_t GrupoComun() { return ::geteuid() == 0 ? kNingunGrupo : ::getegid(); }

// An access ACL as the kernel keeps it in system.posix_acl_access: version 2,
// then (tag, permissions, id) entries in tag order.
std::vector<char> Acl(std::initializer_list<std::array<std::uint32_t, 3>> entradas) {
  std::vector<char> b;
  const auto poner = [&b](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
  };
  poner(2, 4);
  for (const auto &e : entradas) {
    poner(e[0], 2);
    poner(e[1], 2);
    poner(e[2], 4);
  }
  return b;
}
constexpr std::uint32_t kAclUsuarioDueno = 0x01, kAclUsuario = 0x02, kAclGrupoDueno = 0x04,
                        kAclMascara = 0x10, kAclOtros = 0x20, kSinId = 0xFFFFFFFF;

std::map<std::string, std::vector<char>> Atributos(const std::string &ruta) {
  std::map<std::string, std::vector<char>> m;
  std::vector<char> nombres(::listxattr(ruta.c_str(), nullptr, 0) + 1);
  const ssize_t n = ::listxattr(ruta.c_str(), nombres.data(), nombres.size());
  for (ssize_t i = 0; i < n; i += static_cast<ssize_t>(std::strlen(&nombres[i])) + 1) {
    const char *nombre = &nombres[i];
    std::vector<char> valor(::getxattr(ruta.c_str(), nombre, nullptr, 0) + 1);
    valor.resize(
        static_cast<std::size_t>(::getxattr(ruta.c_str(), nombre, valor.data(), valor.size())));
    m[nombre] = valor;
  }
  return m;
}

struct Estado {
  uid_t dueno;
  gid_t grupo;
  mode_t modo;
  std::map<std::string, std::vector<char>> atributos;
  bool operator==(const Estado &) const = default;
};

void PrintTo(const Estado &e, std::ostream *os) {
  *os << "dueño " << e.dueno << ", grupo " << e.grupo << ", modo 0" << std::oct << e.modo
      << std::dec << ", atributos";
  for (const auto &[nombre, valor] : e.atributos) {
    *os << " " << nombre << " (" << valor.size() << " bytes)";
  }
}

Estado EstadoDe(const std::string &ruta) {
  struct stat st {};
  ::stat(ruta.c_str(), &st);
  return {st.st_uid, st.st_gid, st.st_mode & 07777, Atributos(ruta)};
}

// A user without privileges writes an image in a folder of its own (or one
// open to all) that is set up as each row says; root writes one of another user.
TEST(CliPermisos, RechazaLoQueNoPuedeEscribirYConservaLoDemas) {
  std::string motivo;
  const auto comun = SinPrivilegios(motivo);
  if (!comun) {
    GTEST_SKIP() << motivo;
  }
  CarpetaTemporal dir;
  {
    // Are ACLs and user attributes kept where the tests write?
    const std::string prueba = dir.Archivo("prueba");
    Escribir(prueba, {1});
    const auto acl =
        Acl({{kAclUsuarioDueno, 6, kSinId}, {kAclGrupoDueno, 4, kSinId}, {kAclOtros, 0, kSinId}});
    if (::setxattr(prueba.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        ::setxattr(prueba.c_str(), "user.prueba", "1", 1, 0) != 0) {
      GTEST_SKIP() << "el sistema de archivos de " << dir.Ruta() << " no guarda ACL o atributos";
    }
    fs::remove(prueba);
  }
  const bool root = ::geteuid() == 0;
  const std::string anfitrion = dir.Archivo("nuevo.bin");
  Escribir(anfitrion, Patron(2000, 7));
  const auto acl = Acl({{kAclUsuarioDueno, 6, kSinId},
                        {kAclUsuario, 6, 1234},
                        {kAclGrupoDueno, 4, kSinId},
                        {kAclMascara, 6, kSinId},
                        {kAclOtros, 0, kSinId}});
  struct Caso {
    const char *nombre;
    bool necesitaRoot; // the row needs files of another user, or runs as root
    bool comoRoot;
    uid_t dueno;
    gid_t grupo;
    mode_t modo;
    mode_t modoCarpeta;
    bool conAcl;
    int codigo;
    std::string error; // the whole error line's message; empty: none
  };
  const std::string nada = "; la imagen queda como estaba";
  const std::vector<Caso> casos = {
      {"solo lectura", false, false, UsuarioComun(), GrupoComun(), 0444, 0755, false, 1,
       "la imagen es de solo lectura"},
      {"de otro en una carpeta abierta", true, false, 0, 0, 0644, 0777, false, 1,
       "la imagen es de solo lectura"},
      {"de otro y escribible por todos", true, false, 0, 0, 0666, 0777, false, 1,
       "no se puede conservar su dueño (es de otro usuario)" + nada},
      {"de un grupo ajeno", true, false, UsuarioComun(), 0, 0664, 0755, false, 1,
       "no se puede conservar su grupo (no es uno de los suyos)" + nada},
      {"con ACL y atributos", false, false, UsuarioComun(), GrupoComun(), 0640, 0755, true, 0, ""},
      {"root y la imagen de otro", true, true, UsuarioComun(), GrupoComun(), 0604, 0755, true, 0,
       ""},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    if (c.necesitaRoot && !root) {
      continue; // only root can give a file to another user
    }
    const fs::path carpeta = dir.Ruta() / c.nombre;
    fs::create_directory(carpeta);
    ::chmod(carpeta.c_str(), c.modoCarpeta);
    if (::chown(carpeta.c_str(), c.modoCarpeta == 0777 ? 0 : UsuarioComun(), GrupoComun()) != 0 &&
        root) {
      FAIL() << "chown de la carpeta";
    }
    const std::string imagen = Utf8(carpeta / "disco.dsk");
    Escribir(imagen, Imagen());
    ASSERT_EQ(::chmod(imagen.c_str(), c.modo), 0);
    if (root) {
      ASSERT_EQ(::chown(imagen.c_str(), c.dueno, c.grupo), 0);
    }
    if (c.conAcl) {
      ASSERT_EQ(::setxattr(imagen.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0),
                0);
      ASSERT_EQ(::setxattr(imagen.c_str(), "user.origen", "cinta", 5, 0), 0);
    }
    const Estado antes = EstadoDe(imagen);
    const auto bytes = Leer(imagen);
    const Resultado r =
        EjecutarCli({"put", imagen, anfitrion}, c.comoRoot ? OpcionesCli{} : *comun);
    EXPECT_EQ(r.codigo, c.codigo) << r.errores;
    EXPECT_EQ(r.errores, c.error.empty() ? "" : "alcove-cli: " + imagen + ": " + c.error + "\n");
    EXPECT_EQ(EstadoDe(imagen), antes);
    EXPECT_EQ(Leer(imagen) == bytes, c.codigo != 0);
    EXPECT_EQ(Nombres(carpeta), std::set<std::string>{"disco.dsk"});
  }
}

#endif

// Killed between naming the new copy and renaming it over the image (the one
// moment no host can make atomic), a write leaves the old image whole and at
// most that hidden copy; the next write to the image removes it.
TEST(CliPermisos, MatadoAlRenombrarLoLimpiaLaSiguiente) {
  CarpetaTemporal dir;
  const fs::path carpeta = dir.Ruta() / "imagenes";
  fs::create_directory(carpeta);
  const std::string imagen = Utf8(carpeta / "disco.dsk");
  Escribir(imagen, Imagen());
  const auto viejo = Leer(imagen);
  const std::string anfitrion = dir.Archivo("nuevo.bin");
  Escribir(anfitrion, Patron(2000, 7));
  struct Caso {
    std::vector<std::string> args;
    const char *prueba;
  };
  for (const Caso &c : std::vector<Caso>{
           {{"put", imagen, anfitrion}, "matar-al-renombrar"},
           {{"new", imagen, "--force"}, "matar-al-renombrar"},
           {{"put", imagen, anfitrion}, "matar-al-renombrar-sin-tmpfile"},
       }) {
    SCOPED_TRACE(c.args[0] + " " + c.prueba);
#if defined(_WIN32)
    if (std::string_view(c.prueba).ends_with("sin-tmpfile")) {
      continue; // Windows has one way only
    }
#endif
    OpcionesCli matar;
    matar.entorno = {std::string("ALCOVE_PRUEBA_ESCRITURA=") + c.prueba};
    Resultado r = EjecutarCli(c.args, matar);
    EXPECT_EQ(r.codigo, 137) << r.errores;
    EXPECT_EQ(Leer(imagen), viejo);
    EXPECT_LE(Nombres(carpeta).size(), 2U);
    r = EjecutarCli({"attr", imagen, "VIEJO.BIN", "--arc"});
    EXPECT_EQ(r.codigo, 0) << r.errores;
    EXPECT_EQ(Nombres(carpeta), std::set<std::string>{"disco.dsk"});
    Escribir(imagen, viejo);
  }
}

#if !defined(_WIN32)
// get --force replacing a file the same way: a kill before the rename leaves
// one hidden copy, and the next get over that file removes it.
TEST(CliPermisos, GetMatadoAlRenombrarLoLimpiaElSiguiente) {
  CarpetaTemporal dir;
  const std::string imagen = dir.Archivo("disco.dsk");
  Escribir(imagen, Imagen());
  const fs::path destino = dir.Ruta() / "fuera";
  fs::create_directory(destino);
  Escribir(Utf8(destino / "VIEJO.BIN"), {1, 2, 3});
  OpcionesCli matar;
  matar.entorno = {"ALCOVE_PRUEBA_ESCRITURA=matar-al-renombrar"};
  const std::vector<std::string> args{"get", imagen, "VIEJO.BIN", "-o", Utf8(destino), "--force"};
  Resultado r = EjecutarCli(args, matar);
  EXPECT_EQ(r.codigo, 137) << r.errores;
  EXPECT_EQ(Leer(Utf8(destino / "VIEJO.BIN")), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_LE(Nombres(destino).size(), 2U);
  r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, 0) << r.errores;
  EXPECT_EQ(Nombres(destino), std::set<std::string>{"VIEJO.BIN"});
}
#endif

// An image with the host's read-only attribute or mode is refused and keeps it.
TEST(CliPermisos, SoloLecturaSeQuedaComoEsta) {
#if !defined(_WIN32)
  if (::geteuid() == 0) {
    GTEST_SKIP() << "root escribe en todo; CliPermisos.RechazaLoQueNoPuedeEscribir lo prueba";
  }
#endif
  CarpetaTemporal dir;
  const std::string imagen = dir.Archivo("disco.dsk");
  Escribir(imagen, Imagen());
  const auto viejo = Leer(imagen);
  const std::string anfitrion = dir.Archivo("nuevo.bin");
  Escribir(anfitrion, Patron(2000, 7));
  fs::permissions(imagen, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const auto permisos = fs::status(imagen).permissions();
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"put", imagen, anfitrion},
           {"attr", imagen, "VIEJO.BIN", "--ro"},
           {"new", imagen, "--force"},
       }) {
    SCOPED_TRACE(args[0]);
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.errores, "alcove-cli: " + imagen + ": la imagen es de solo lectura\n");
    EXPECT_EQ(Leer(imagen), viejo);
    EXPECT_EQ(fs::status(imagen).permissions(), permisos);
    EXPECT_EQ(Nombres(dir.Ruta()), (std::set<std::string>{"disco.dsk", "nuevo.bin"}));
  }
}

// cat --png writes like every other writing command: an existing file is kept
// unless --force, a file its user may not write is refused (mode or attribute
// kept), a link keeps pointing where it did, and the image being read, or the
// zip holding it, is never what it writes, --force or not.
TEST(CliPermisos, PngNoReemplazaNadaSinPedirlo) {
  CarpetaTemporal dir;
  Generador::ImagenDsk img;
  img.AgregarFichero({0, "DIBUJO", "SCR", false, false, std::vector<std::uint8_t>(16384, 0x0F)});
  const std::string imagen = dir.Archivo("disco.dsk");
  Escribir(imagen, img.Bytes());
  const std::string zip = dir.Archivo("discos.zip");
  Escribir(zip, zip_prueba::CrearZip({zip_prueba::Comprimido("disco.dsk", img.Bytes())}));
  OpcionesCli sinPrivilegios;
#if !defined(_WIN32)
  std::string motivo;
  const auto comun = SinPrivilegios(motivo);
  if (comun) {
    sinPrivilegios = *comun;
    fs::permissions(dir.Ruta(), fs::perms::all, fs::perm_options::add);
  }
#endif
  const std::vector<std::uint8_t> viejo{1, 2, 3};
  enum class Antes { Nada, Archivo, SoloLectura, Enlace, Imagen, Zip, EnlaceDuro };
  struct Caso {
    const char *nombre;
    Antes antes;
    bool forzar;
    int codigo;
    const char *error; // the message after "alcove-cli: ARCHIVO: "; empty: none
  };
  for (const Caso &c : std::vector<Caso>{
           {"nuevo", Antes::Nada, false, 0, ""},
           {"existente", Antes::Archivo, false, 1,
            "ya existe; se deja como está (--force lo "
            "reemplaza)"},
           {"existente con --force", Antes::Archivo, true, 0, ""},
           {"de solo lectura con --force", Antes::SoloLectura, true, 1,
            "la imagen es de solo lectura"},
           {"enlace", Antes::Enlace, false, 1,
            "ya existe; se deja como está (--force lo "
            "reemplaza)"},
           {"enlace con --force", Antes::Enlace, true, 0, ""},
           {"la imagen leída", Antes::Imagen, true, 1, "es la imagen que se lee; no se escribe"},
           {"su enlace duro", Antes::EnlaceDuro, true, 1, "es la imagen que se lee; no se escribe"},
           {"el zip que la guarda", Antes::Zip, true, 1, "es la imagen que se lee; no se escribe"},
       }) {
    SCOPED_TRACE(c.nombre);
    const fs::path carpeta = dir.Ruta() / c.nombre;
    fs::create_directory(carpeta);
    fs::permissions(carpeta, fs::perms::all, fs::perm_options::add);
    std::string png = Utf8(carpeta / "dibujo.png");
    std::string leida = imagen;
    const std::string destino = Utf8(carpeta / "otro.bin"); // what the link points to
    OpcionesCli opciones;
    switch (c.antes) {
    case Antes::Nada: break;
    case Antes::Archivo: Escribir(png, viejo); break;
    case Antes::SoloLectura:
      Escribir(png, viejo);
      fs::permissions(png,
                      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
#if !defined(_WIN32)
      if (::geteuid() == 0 && sinPrivilegios.delante.empty()) {
        continue; // root writes everything
      }
      opciones = sinPrivilegios;
#endif
      break;
    case Antes::Enlace:
#if defined(_WIN32)
      continue; // links need privileges there
#else
      Escribir(destino, viejo);
      fs::create_symlink(destino, png);
      break;
#endif
    case Antes::Imagen: png = imagen; break;
    case Antes::EnlaceDuro: fs::create_hard_link(imagen, png); break;
    case Antes::Zip:
      png = zip;
      leida = zip + "/disco.dsk";
      break;
    }
    const auto imagenAntes = Leer(imagen);
    const auto zipAntes = Leer(zip);
    const auto permisos = c.antes == Antes::Nada ? fs::perms::none : fs::status(png).permissions();
    std::vector<std::string> args{"cat", leida, "DIBUJO.SCR", "--png", png};
    if (c.forzar) {
      args.push_back("--force");
    }
    const Resultado r = EjecutarCli(args, opciones);
    EXPECT_EQ(r.codigo, c.codigo) << r.errores;
    EXPECT_EQ(r.errores, *c.error == '\0' ? "" : "alcove-cli: " + png + ": " + c.error + "\n");
    EXPECT_EQ(Leer(imagen), imagenAntes);
    EXPECT_EQ(Leer(zip), zipAntes);
    if (c.antes == Antes::Imagen || c.antes == Antes::EnlaceDuro || c.antes == Antes::Zip) {
      continue;
    }
    const auto escrito = Leer(png);
    const bool esPng = escrito.size() > 4 && escrito[1] == 'P' && escrito[2] == 'N';
    EXPECT_EQ(esPng, c.codigo == 0);
    if (c.antes != Antes::Nada) {
      EXPECT_EQ(fs::status(png).permissions(), permisos);
    }
    if (c.antes == Antes::Enlace) {
      EXPECT_TRUE(fs::is_symlink(png)) << "the link is still a link";
      EXPECT_EQ(Leer(destino) == viejo, c.codigo != 0);
    }
  }
}

} // namespace
