// The disk object on real files: loading, byte access, writing and ownership of
// the open file.
#include "Comun.h"
#include "Generador.h"

#include "disk/Cls_Disco.h"
#include "platform/ArchivosHost.h"
#include "platform/Errores.h"

#include <gtest/gtest.h>

#include <cmath>
#include <exception>
#include <filesystem>
#include <functional>

#include <sys/stat.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using Generador::CrearEntrada;
using Generador::Disposicion;
using Generador::ImagenDsk;

std::int16_t NumeroDeError(const std::function<void()> &f) {
  try {
    f();
  } catch (const ErrorAlcove &e) {
    return e.Numero();
  }
  return 0;
}

class Disco : public testing::Test {
protected:
  CarpetaTemporal dir;

  std::string Imagen(const std::string &nombre, const ImagenDsk &img) {
    const std::string ruta = dir.Archivo(nombre);
    Escribir(ruta, img.Bytes());
    return ruta;
  }
  std::string Estandar() {
    return Imagen("a.dsk", ImagenDsk(Disposicion::Estandar, 40, 1)
                               .Creador("  FIRST  ")
                               .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 16)));
  }
  std::string Extendida() {
    return Imagen("b.dsk", ImagenDsk(Disposicion::Extendida, 80, 2)
                               .Creador("SECOND")
                               .AgregarEntrada(CrearEntrada(229, "OLD     BAS", 3)));
  }
};

TEST_F(Disco, ObjetoNuevoConArchivoInexistenteQuedaVacio) {
  Cls_Disco d;
  d.Cargar(dir.Archivo("no-existe.dsk"));
  EXPECT_EQ(d.NombreFichero, "");
  EXPECT_EQ(d.NombreCFichero(), "");
  EXPECT_EQ(d.TotalBytes, 0);
  EXPECT_EQ(d.Cabecera(), CabeceraDisco{});
  EXPECT_EQ(NumeroDeError([&] { (void)d.NumByte(0); }), Errores::NumeroArchivoIncorrecto);
}

TEST_F(Disco, CargaYDescodifica) {
  const std::string ruta = Estandar();
  Cls_Disco d;
  d.Cargar(ruta);
  EXPECT_EQ(d.NombreFichero, ruta);
  EXPECT_EQ(d.NombreCFichero(), "a.dsk");
  EXPECT_EQ(d.TotalBytes, 256 + 40 * (256 + 9 * 512));
  EXPECT_EQ(d.Puntero, 0);
  const CabeceraDisco cab = d.Cabecera();
  EXPECT_EQ(cab.Formato, FormatoImagen::Estandar);
  EXPECT_EQ(cab.Creador, "FIRST");
  EXPECT_EQ(cab.Pistas, 40);
  EXPECT_EQ(cab.Caras, 1);
  EXPECT_EQ(cab.Entradas[0].Nombre, "GAME    BIN");
  EXPECT_EQ(cab.Entradas[0].Registros, 16);
  EXPECT_EQ(cab.Entradas[0].Estado, EstadoEntrada::EnUso);
  EXPECT_EQ(cab.Entradas[1].Usuario, 0xE5); // formatted, unused slots
  EXPECT_EQ(cab.Entradas[1].Estado, EstadoEntrada::NombreNoValido);
}

TEST_F(Disco, ArchivoInexistenteNoCambiaLaImagenCargada) {
  const std::string ruta = Estandar();
  Cls_Disco d;
  d.Cargar(ruta);
  const CabeceraDisco antes = d.Cabecera();
  for (const std::string &otra : {dir.Archivo("falta.dsk"), dir.Ruta().string(), std::string(),
                                  ruta + std::string(1, '\0') + "x"}) {
    d.Cargar(otra);
    EXPECT_EQ(d.NombreFichero, ruta);
    EXPECT_EQ(d.Cabecera(), antes);
    EXPECT_EQ(d.NumByte(0), 'M'); // still open
  }
}

TEST_F(Disco, SegundaImagenLoSustituyeTodo) {
  Cls_Disco d;
  d.Cargar(Estandar());
  const CabeceraDisco copia = d.Cabecera();
  const int abiertos = Plataforma::ArchivosAbiertos();
  d.Cargar(Extendida());
  EXPECT_EQ(Plataforma::ArchivosAbiertos(), abiertos); // the first file was closed
  const CabeceraDisco cab = d.Cabecera();
  EXPECT_EQ(cab.Formato, FormatoImagen::Extendido);
  EXPECT_EQ(cab.Creador, "SECOND");
  EXPECT_EQ(cab.Pistas, 80);
  EXPECT_EQ(cab.Caras, 2);
  EXPECT_EQ(cab.Entradas[0].Estado, EstadoEntrada::NoUsada);
  EXPECT_EQ(d.NombreCFichero(), "b.dsk");
  // A copy taken earlier is the caller's own.
  EXPECT_EQ(copia.Creador, "FIRST");
  EXPECT_EQ(copia.Entradas[0].Nombre, "GAME    BIN");

  // An image without a signature resets the layout instead of keeping the last one.
  d.Cargar(Imagen("c.dsk", ImagenDsk().Firma("PLAIN DATA")));
  EXPECT_EQ(d.Cabecera().Formato, FormatoImagen::Ninguno);
}

TEST_F(Disco, ImagenDeSoloLecturaSeCarga) {
  const std::string ruta = Estandar();
  ::chmod(ruta.c_str(), 0444);
  Cls_Disco d;
  d.Cargar(ruta);
  EXPECT_EQ(d.Cabecera().Formato, FormatoImagen::Estandar);
  if (!EsRoot()) {
    EXPECT_EQ(NumeroDeError([&] { d.MeterSTR(0, 0, "X"); }), Errores::PermisoDenegado);
    EXPECT_EQ(d.NumByte(0), 'M');
  }
}

// A load that fails leaves the object serving the image it had, whatever made
// the open fail: no permission, or no descriptor left (which root meets too).
TEST_F(Disco, CargaFallidaSigueSirviendoLaImagenAnterior) {
#if defined(_WIN32)
  GTEST_SKIP() << "límites de descriptores (setrlimit): solo POSIX";
#else
  const std::string buena = Estandar();
  const std::string otra = Extendida();
  Cls_Disco d;
  d.Cargar(buena);
  const auto SigueLaPrimera = [&] {
    EXPECT_EQ(d.NombreFichero, buena);
    EXPECT_EQ(d.Cabecera().Creador, "FIRST");
    EXPECT_EQ(d.NumByte(0), 'M');
    EXPECT_EQ(d.ExtraerStr(0, 10), "MV - CPCEMU");
  };
  {
    SCOPED_TRACE("sin descriptores libres");
    struct rlimit antes {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &antes), 0);
    const int libre = ::dup(0); // the lowest free descriptor, the one open would take
    ASSERT_GE(libre, 0);
    ::close(libre);
    struct rlimit justo = antes;
    justo.rlim_cur = static_cast<rlim_t>(libre);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &justo), 0);
    // The failure is looked at only with descriptors back: the sanitizers'
    // own checks need one.
    std::exception_ptr fallo;
    try {
      d.Cargar(otra);
    } catch (...) {
      fallo = std::current_exception();
    }
    ::setrlimit(RLIMIT_NOFILE, &antes);
    ASSERT_TRUE(fallo);
    EXPECT_EQ(NumeroDeError([&] { std::rethrow_exception(fallo); }), Errores::DemasiadosArchivos);
    SigueLaPrimera();
  }
  if (!EsRoot()) {
    SCOPED_TRACE("sin permiso");
    ::chmod(otra.c_str(), 0);
    EXPECT_EQ(NumeroDeError([&] { d.Cargar(otra); }), Errores::PermisoDenegado);
    SigueLaPrimera();
  }
#endif
}

TEST_F(Disco, ImagenDeDosGibiBytesNoSeCarga) {
  const std::string buena = Estandar();
  const std::string grande = dir.Archivo("grande.dsk");
  Escribir(grande, ImagenDsk().Bytes());
  std::filesystem::resize_file(grande, 0x80000000ULL);
  Cls_Disco d;
  d.Cargar(buena);
  d.Cargar(grande);
  EXPECT_EQ(d.NombreFichero, buena);
  EXPECT_EQ(d.NumByte(0), 'M');
}

TEST_F(Disco, NoSeEsperaAUnaFifoNiAUnaCarpeta) {
  std::filesystem::create_directory(dir.Ruta() / "carpeta.dsk");
  Cls_Disco d;
#if !defined(_WIN32) // Windows has no FIFOs
  ASSERT_EQ(::mkfifo(dir.Archivo("fifo.dsk").c_str(), 0644), 0);
  d.Cargar(dir.Archivo("fifo.dsk"));
#endif
  d.Cargar(dir.Archivo("carpeta.dsk"));
  EXPECT_EQ(d.NombreFichero, "");
}

TEST_F(Disco, ExtraerStr) {
  Cls_Disco d;
  d.Cargar(Estandar());
  EXPECT_EQ(d.ExtraerStr(5, 4), "");
  EXPECT_EQ(d.ExtraerStr(0, 0), "M");
  const std::string firma = d.ExtraerStr(0, 33);
  EXPECT_EQ(firma, "MV - CPCEMU Disk-File  Disk-Info  ");
  EXPECT_EQ(d.ExtraerStr(513, 523), "GAME    BIN");
  // Past the end reads as zeros, and the length is always HexO - HexI + 1.
  const double fin = d.TotalBytes;
  EXPECT_EQ(d.ExtraerStr(fin - 1, fin + 2), std::string("\xE5\0\0\0", 4));
  EXPECT_EQ(d.ExtraerStr(fin + 1000, fin + 1000), std::string(1, '\0'));
}

TEST_F(Disco, Posiciones) {
  Cls_Disco d;
  d.Cargar(Estandar());
  EXPECT_EQ(d.NumByte(0), 'M');
  EXPECT_EQ(d.NumByte(48), 40);
  EXPECT_EQ(d.NumByte(d.TotalBytes - 1), 0xE5);
  EXPECT_EQ(d.NumByte(d.TotalBytes), 0);
  EXPECT_EQ(d.NumByte(1e12), 0);
  // Fractions round to nearest, ties to even: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
  EXPECT_EQ(d.NumByte(0.5), 'M');
  EXPECT_EQ(d.NumByte(1.5), ' '); // byte 2, not 'V' at 1
  EXPECT_EQ(d.NumByte(2.5), ' '); // byte 2, not '-' at 3
  EXPECT_EQ(d.ExtraerStr(0.5, 2.5), "MV ");
  EXPECT_EQ(d.ExtraerStr(1.4, 1.6), "V ");
  for (const double malo : {-1.0, -0.6, -1e300}) {
    EXPECT_EQ(NumeroDeError([&] { (void)d.NumByte(malo); }), Errores::PosicionIncorrecta) << malo;
  }
  EXPECT_EQ(NumeroDeError([&] { (void)d.ExtraerStr(-3, 2); }), Errores::PosicionIncorrecta);
  EXPECT_EQ(NumeroDeError([&] { (void)d.NumByte(std::nan("")); }), Errores::ArgumentoNoValido);
  EXPECT_EQ(NumeroDeError([&] { (void)d.ExtraerStr(0, 1e15); }), Errores::MemoriaInsuficiente);
}

TEST_F(Disco, MeterSTR) {
  const std::string ruta = Estandar();
  Cls_Disco d;
  d.Cargar(ruta);
  d.MeterSTR(100, 102, "ABCDE");
  EXPECT_EQ(d.ExtraerStr(99, 103), std::string("\0ABC\0", 5));
  EXPECT_EQ(Leer(ruta)[100], 'A'); // on the disk as soon as the call returns
  EXPECT_EQ(Leer(ruta)[102], 'C');

  // Too few characters: refused before anything is written.
  EXPECT_EQ(NumeroDeError([&] { d.MeterSTR(200, 202, "XY"); }), Errores::ArgumentoNoValido);
  EXPECT_EQ(Leer(ruta)[200], 0);
  EXPECT_EQ(d.NumByte(200), 0);

  d.MeterSTR(5, 4, ""); // empty range: nothing to do
  const std::size_t largo = Leer(ruta).size();
  d.MeterSTR(d.TotalBytes + 10, d.TotalBytes + 10, "Z"); // past the end grows the file
  const auto bytes = Leer(ruta);
  ASSERT_EQ(bytes.size(), largo + 11);
  EXPECT_EQ(bytes[largo], 0);
  EXPECT_EQ(bytes[largo + 10], 'Z');
}

TEST_F(Disco, LeerYVolverAEscribirSoloCambiaRetornosYSaltos) {
  const std::string ruta = Estandar();
  const auto antes = Leer(ruta);
  Cls_Disco d;
  d.Cargar(ruta);
  d.MeterSTR(0, 2559, d.ExtraerStr(0, 2559));
  const auto despues = Leer(ruta);
  ASSERT_EQ(antes.size(), despues.size());
  int cambiados = 0;
  for (std::size_t i = 0; i < antes.size(); ++i) {
    if (antes[i] != despues[i]) {
      ++cambiados;
      EXPECT_TRUE(antes[i] == 13 || antes[i] == 10) << i;
      EXPECT_EQ(despues[i], ' ') << i;
    }
  }
  EXPECT_EQ(cambiados, 6); // CR LF twice in the signature, once in the first track header
}

TEST_F(Disco, EscribirEnUnaImagenReemplazadaNoEscribeNada) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows no deja que otro programa reemplace un archivo abierto";
#else
  // An editor saves by renaming a new file over the old one; writing into the
  // old, nameless file would report success and lose the edit.
  const std::string ruta = Estandar();
  Cls_Disco d;
  d.Cargar(ruta);
  const std::string otra = Extendida();
  std::filesystem::rename(otra, ruta);
  try {
    d.MeterSTR(0, 1, "ZZ");
    FAIL() << "la ruta ya nombra otro fichero";
  } catch (const ErrorAlcove &e) {
    EXPECT_EQ(e.Numero(), Errores::ArchivoNoEncontrado);
  }
  EXPECT_EQ(d.ExtraerStr(0, 1), "MV");
  EXPECT_EQ(Leer(ruta)[0], 'E');
#endif
}

TEST_F(Disco, EscribirEnUnaImagenBorradaNoEscribeNada) {
  if (EnWine()) {
    GTEST_SKIP() << "Wine no dice que un archivo abierto está borrado (DeletePending)";
  }
  const std::string ruta = Estandar();
  Cls_Disco d;
  d.Cargar(ruta);
  std::filesystem::remove(ruta);
  EXPECT_EQ(NumeroDeError([&] { d.MeterSTR(0, 1, "ZZ"); }), Errores::ArchivoNoEncontrado);
  EXPECT_EQ(d.ExtraerStr(0, 1), "MV");
}

// A write reaching 2 GiB would make an image Alcove no longer opens: refused
// at once, with nothing written and the file as long as it was.
TEST_F(Disco, EscribirMasAllaDeDosGibiBytesSeRechaza) {
  const std::string ruta = Estandar();
  const auto largo = std::filesystem::file_size(ruta);
  Cls_Disco d;
  d.Cargar(ruta);
  for (const double pos : {0x7FFFFFFF * 1.0, 0x80000000 * 1.0, 0x1p40, 0x1p61}) {
    SCOPED_TRACE(pos);
    EXPECT_EQ(NumeroDeError([&] { d.MeterSTR(pos, pos, "Z"); }), Errores::PosicionIncorrecta);
    EXPECT_EQ(NumeroDeError([&] { d.MeterSTR(0, pos, std::string(16, 'Z')); }),
              Errores::ArgumentoNoValido); // too few characters, checked first
  }
  EXPECT_EQ(std::filesystem::file_size(ruta), largo);
  d.MeterSTR(0x7FFFFFFE, 0x7FFFFFFE, "Z"); // the last byte an image may have
  EXPECT_EQ(std::filesystem::file_size(ruta), 0x7FFFFFFFULL);
  EXPECT_EQ(d.NumByte(0x7FFFFFFE), 'Z');
}

TEST_F(Disco, NombreCFichero) {
  Cls_Disco d;
  const std::pair<std::string, std::string> casos[] = {
    {"/home/cpc/juegos/a.dsk", "a.dsk"},
    {"a.dsk", "a.dsk"},
    {"/home/cpc/", ""},
#if defined(_WIN32)
    {"c:\\cpc\\a.dsk", "a.dsk"},
    {"c:a.dsk", "a.dsk"},
#else
    {"c:\\cpc\\a.dsk", "c:\\cpc\\a.dsk"},
#endif
    {"//doble//b.dsk", "b.dsk"},
    {"", ""}
  };
  for (const auto &[ruta, nombre] : casos) {
    d.NombreFichero = ruta;
    EXPECT_EQ(d.NombreCFichero(), nombre) << ruta;
  }
}

TEST_F(Disco, CerrarEsIdempotente) {
  Cls_Disco nuevo;
  nuevo.Cerrar();
  nuevo.Cerrar();
  Cls_Disco d;
  d.Cargar(Estandar());
  d.Cerrar();
  d.Cerrar();
  EXPECT_EQ(NumeroDeError([&] { (void)d.NumByte(0); }), Errores::NumeroArchivoIncorrecto);
  EXPECT_EQ(d.NombreCFichero(), "a.dsk"); // closed, still described
}

TEST_F(Disco, UnNumeroCerradoNoAlcanzaElArchivoDeOtroObjeto) {
  // The table hands closed numbers out again; an object must not read, or
  // close, the file another object got under its old number.
  const std::string a = Estandar();
  const std::string b = Extendida();
  auto primero = std::make_unique<Cls_Disco>();
  primero->Cargar(a);
  primero->Cerrar();
  Cls_Disco segundo;
  segundo.Cargar(b);
  EXPECT_EQ(NumeroDeError([&] { (void)primero->NumByte(0); }), Errores::NumeroArchivoIncorrecto);
  primero.reset();
  EXPECT_EQ(segundo.NumByte(0), 'E');
}

TEST_F(Disco, DiezMilCargasNoAbrenDescriptores) {
  if (!RecuentoDeDescriptores()) {
    GTEST_SKIP() << "este sistema no cuenta los descriptores abiertos";
  }
  const std::string a = Estandar();
  const std::string b = Extendida();
  Cls_Disco d;
  d.Cargar(a);
  const int antes = DescriptoresAbiertos();
  for (int i = 0; i < 10000; ++i) {
    d.Cargar(i % 2 == 0 ? b : a);
  }
  EXPECT_EQ(DescriptoresAbiertos(), antes);
  EXPECT_EQ(d.Cabecera().Creador, "FIRST");
}

TEST_F(Disco, DestruirCierraElArchivo) {
  if (!RecuentoDeDescriptores()) {
    GTEST_SKIP() << "este sistema no cuenta los descriptores abiertos";
  }
  const int antes = DescriptoresAbiertos();
  {
    Cls_Disco d;
    d.Cargar(Estandar());
    EXPECT_EQ(DescriptoresAbiertos(), antes + 1);
  }
  EXPECT_EQ(DescriptoresAbiertos(), antes);
}

} // namespace
