// Copy-protected disks, laid out by hand from the published descriptions of
// each scheme (track shapes, signature texts and codes, weak spans), for the
// tests of the verdict and of the completion of incomplete dumps. Nothing
// here comes from the reader: this is its oracle.
#include "Generador.h"

#include <functional>
#include <stdexcept>

namespace Generador {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t ErrorCrc = 0x20; // ST1 and ST2 bit 5: a data CRC error
constexpr std::uint8_t Borrado = 0x40;  // ST2 bit 6: a deleted data mark
constexpr std::uint8_t Vacio = 0xE5;    // what FORMAT leaves in a sector
constexpr std::uint8_t Gap = 0x4E;
constexpr int PistasImagen = 42;

std::size_t Talla(std::uint8_t n) { return std::size_t{128} << n; }

Bytes Lleno(std::size_t largo, std::uint8_t valor = Vacio) { return Bytes(largo, valor); }

Bytes Con(Bytes b, std::size_t en, std::string_view texto) {
  if (b.size() < en + texto.size()) {
    b.resize(en + texto.size(), Vacio);
  }
  std::copy(texto.begin(), texto.end(), b.begin() + static_cast<std::ptrdiff_t>(en));
  return b;
}

// A weak sector as a real disk gives it: each copy after the first with other
// bytes in the weak spans, one after another.
Bytes Copias(const Bytes &una, int copias, std::vector<std::pair<std::size_t, std::size_t>> spans) {
  Bytes todo;
  for (int c = 0; c < copias; ++c) {
    Bytes x = una;
    for (const auto &[desde, hasta] : spans) {
      for (std::size_t i = desde; c > 0 && i < hasta && i < x.size(); ++i) {
        x[i] = static_cast<std::uint8_t>(x[i] ^ (0x11 * c) ^ static_cast<std::uint8_t>(i));
      }
    }
    todo.insert(todo.end(), x.begin(), x.end());
  }
  return todo;
}

SectorHecho Sec(int pista, std::uint8_t r, std::uint8_t n, Bytes datos, std::uint8_t st1 = 0,
                std::uint8_t st2 = 0) {
  return {static_cast<std::uint8_t>(pista), 0, r, n, st1, st2, std::move(datos)};
}

// A track of `cuantos` sectors of size code `n`, IDs from `primero`, each
// with bytes of its own.
std::vector<SectorHecho> PistaLisa(int pista, int cuantos, std::uint8_t primero = 0xC1,
                                   std::uint8_t n = 2) {
  std::vector<SectorHecho> v;
  for (int i = 0; i < cuantos; ++i) {
    const auto r = static_cast<std::uint8_t>(primero + i);
    v.push_back(Sec(pista, r, n, ContenidoPrueba(Talla(n), static_cast<std::uint8_t>(r + pista))));
  }
  return v;
}

// A disk with its loader on it, in the first block after the catalogue
// (track 0 on a DATA disk, track 1 on a +3 one): a case that lays out that
// track by hand takes the catalogue and the loader with it.
DiscoCpm ConCargador(const Geometria &g) {
  DiscoCpm d(g, Disposicion::Extendida, PistasImagen);
  d.Agregar({0, "DISC", "BIN", false, false, false, ContenidoPrueba(1000, 1), {}, 0});
  return d;
}
DiscoCpm Data() { return ConCargador(GeometriaData()); }
DiscoCpm Mas3() { return ConCargador(GeometriaPlus3()); }

Bytes ConPista(DiscoCpm d, int pista, const std::vector<SectorHecho> &sectores) {
  return d.PistaHecha(pista, 0, sectores).Bytes();
}

// CRC-16 CCITT (polynomial &1021), a bit at a time.
std::uint16_t Crc16(const std::uint8_t *b, std::size_t n, std::uint16_t crc = 0xFFFF) {
  for (std::size_t i = 0; i < n; ++i) {
    crc = static_cast<std::uint16_t>(crc ^ (b[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

// --- Speedlock -------------------------------------------------------------------------

constexpr std::array<std::uint8_t, 12> CodigoSpeedlock = {0x4A, 0x00, 0x09, 0x46, 0x00, 0x00,
                                                          0x00, 0x42, 0x02, 0x47, 0x2A, 0xFF};

// Sector 0 carrying the code at 208, two bytes at 49 chosen so that the CRC
// of bytes 49..219 is &62C2.
Bytes CeroConCodigo() {
  Bytes b = ContenidoPrueba(512, 7);
  b[129] = 'x'; // no 'S' of a text signature there
  std::copy(CodigoSpeedlock.begin(), CodigoSpeedlock.end(), b.begin() + 208);
  for (unsigned v = 0; v <= 0xFFFF; ++v) {
    b[49] = static_cast<std::uint8_t>(v >> 8);
    b[50] = static_cast<std::uint8_t>(v);
    if (Crc16(b.data() + 49, 219 - 49 + 1) == 0x62C2) {
      return b;
    }
  }
  throw std::logic_error("no CRC");
}

// Sector 7's data: its first half one byte repeated, unless `variado`.
Bytes DebilSpeedlock(bool variado) {
  Bytes b = ContenidoPrueba(512, 8);
  if (!variado) {
    std::fill(b.begin(), b.begin() + 256, 0x00);
  }
  return b;
}

Bytes Speedlock(const Bytes &cero, const Bytes &debil, int copias,
                std::pair<std::size_t, std::size_t> span) {
  std::vector<SectorHecho> s = PistaLisa(0, 9);
  s[0].datos = cero;
  s[7].datos = Copias(debil, copias, {span});
  s[7].st1 = s[7].st2 = ErrorCrc;
  return ConPista(Data(), 0, s);
}

// --- Rainbow Arts and KBI-10 ------------------------------------------------------------

constexpr std::string_view CodigoRainbow =
    "\x2A\x6D\xA7\x01\x30\x01\xAF\xED\x42\x4D\x44\x21\x70\x01";

// Track 40 in the DATA interleave: stored sector 1 is &C6, 3 is &C7.
Bytes Rainbow(int copias, std::uint8_t st, bool firmada) {
  std::vector<SectorHecho> s;
  for (const int i : {0, 5, 1, 6, 2, 7, 3, 8, 4}) {
    s.push_back(PistaLisa(40, 9)[static_cast<std::size_t>(i)]);
  }
  s[1].datos = Copias(s[1].datos, copias, {{100, 356}});
  s[1].st1 = s[1].st2 = st;
  if (firmada) {
    s[3].datos = Con(s[3].datos, 0, CodigoRainbow);
  }
  return ConPista(Data(), 40, s);
}

Bytes DatosKbi() { return Con(Con(ContenidoPrueba(256, 9), 0, "KBI"), 128, "KBI"); }

Bytes Kbi10(int copias) {
  std::vector<SectorHecho> s = PistaLisa(20, 9);
  s.push_back(
      Sec(20, 0xCA, 1, Copias(DatosKbi(), copias, {{4, 8}, {132, 136}}), ErrorCrc, ErrorCrc));
  return ConPista(Data(), 20, s);
}

// --- KBI-19, Logo Professor, OperaSoft, Titus -----------------------------------------

constexpr std::array<std::uint8_t, 19> IdsKbi19 = {0,  1,  4,  7, 10, 13, 16, 2,  5, 8,
                                                   11, 14, 17, 3, 6,  9,  12, 15, 18};

Bytes Kbi19(std::string_view texto, std::size_t sector) {
  std::vector<SectorHecho> s;
  for (const std::uint8_t r : IdsKbi19) {
    s.push_back(Sec(14, r, 2, ContenidoPrueba(512, r)));
  }
  if (!texto.empty()) {
    s[sector].datos = Con(s[sector].datos, 16, texto);
  }
  return ConPista(Data(), 14, s);
}

Bytes OperaSoft(bool entero) {
  std::vector<SectorHecho> s;
  for (std::uint8_t r = 0; r < 8; ++r) {
    s.push_back(Sec(40, r, 1, ContenidoPrueba(256, static_cast<std::uint8_t>(r + 40))));
  }
  Bytes grande;
  if (entero) {
    grande = Lleno(256, 0x55);
    grande.push_back(0xE8);
    grande.push_back(0x9F);
    grande.resize(0x512, Gap);
    grande.insert(grande.end(), s[7].datos.begin(), s[7].datos.end());
  }
  s.push_back(Sec(40, 8, 8, grande));
  return ConPista(Data(), 40, s);
}

std::vector<SectorHecho> PistaTitus() {
  std::vector<SectorHecho> s;
  for (std::uint8_t r = 0; r < 6; ++r) {
    s.push_back(Sec(10, r, 2, ContenidoPrueba(512, static_cast<std::uint8_t>(r + 10))));
  }
  SectorHecho doce =
      Sec(89, 12, 5, Con(ContenidoPrueba(4096, 12), 0x1B, "Titus"), ErrorCrc, ErrorCrc);
  s.push_back(doce);
  return s;
}

Bytes Titus(bool malo) {
  std::vector<SectorHecho> s = PistaTitus();
  if (malo) {
    for (std::size_t i = 0; i < 6; ++i) {
      s.push_back(Sec(10, IdsKbi19[i], 2, ContenidoPrueba(512, static_cast<std::uint8_t>(i + 90))));
    }
  }
  return ConPista(Data(), 10, s);
}

// --- One sector of 8K --------------------------------------------------------------------

Bytes SectorN6(std::uint8_t st1, std::uint8_t st2, Bytes datos, int pista, bool mas3) {
  return ConPista(mas3 ? Mas3() : Data(), pista,
                  {Sec(pista, mas3 ? 0x01 : 0xC1, 6, std::move(datos), st1, st2)});
}

Bytes OchoKConCrc() {
  Bytes b = ContenidoPrueba(8192, 6);
  const std::uint16_t crc = Crc16(b.data(), 0x1800, 0xD2F6);
  b[0x1800] = static_cast<std::uint8_t>(crc >> 8);
  b[0x1801] = static_cast<std::uint8_t>(crc);
  return b;
}

// --- Signatures in a sector -----------------------------------------------------------------

// Track `pista` of the DATA format with `texto` at `en` of stored sector `sector`.
Bytes Firmada(int pista, std::size_t sector, std::string_view texto, std::size_t en = 16,
              int sectores = 9) {
  std::vector<SectorHecho> s = PistaLisa(pista, sectores);
  s[sector].datos = Con(s[sector].datos, en, texto);
  return ConPista(Data(), pista, s);
}

std::vector<SectorHecho> DiscSys(bool completo) {
  std::vector<SectorHecho> s;
  for (std::uint8_t i = 0; i < 16; ++i) {
    SectorHecho x = Sec(completo ? i : 1, i, i, ContenidoPrueba(128, i));
    x.h = completo ? i : 0;
    s.push_back(std::move(x));
  }
  return s;
}

// --- The cases -------------------------------------------------------------------------------

struct Fabrica {
  const char *nombre;
  const char *que;
  std::function<Bytes()> hacer;
};

std::vector<Fabrica> Fabricas() {
  const auto demo = [](bool arranque) {
    DiscoCpm d = Data();
    for (int t = 0; t < PistasImagen; ++t) {
      d.PistaHecha(t, 0, arranque && t == 0 ? PistaLisa(0, 10) : PistaLisa(t, 5, 0xC1, 3));
    }
    return d.Bytes();
  };
  return {
      {"speedlock", "Speedlock: firma en +257, sector &C8 débil en 3 copias",
       [] {
         return Speedlock(Con(Lleno(512), 257, "SPEEDLOCK"), DebilSpeedlock(false), 3, {336, 368});
       }},
      {"speedlock-129", "Speedlock: firma en +129, débil de 256 a 511",
       [] {
         return Speedlock(Con(Lleno(512), 129, "SPEEDLOCK"), DebilSpeedlock(false), 2, {256, 512});
       }},
      {"speedlock-codigo", "Speedlock: el código en +208 y su CRC",
       [] {
         return Speedlock(CeroConCodigo(), DebilSpeedlock(false), 2, {336, 368});
       }},
      {"speedlock-forma", "Speedlock sin firma",
       [] {
         return Speedlock(Lleno(512), DebilSpeedlock(false), 2, {336, 368});
       }},
      {"speedlock-incompleto", "Speedlock con una sola copia del sector débil",
       [] {
         return Speedlock(Con(Lleno(512), 257, "SPEEDLOCK"), DebilSpeedlock(false), 1, {336, 368});
       }},
      {"speedlock-entero-incompleto", "Speedlock de sector débil entero, una copia",
       [] {
         return Speedlock(Con(Lleno(512), 257, "SPEEDLOCK"), DebilSpeedlock(true), 1, {0, 512});
       }},
      {"rainbow", "Rainbow Arts: &C6 débil, código en el 4.º sector",
       [] { return Rainbow(2, ErrorCrc, true); }},
      {"rainbow-incompleto", "Rainbow Arts con una sola copia de &C6",
       [] { return Rainbow(1, ErrorCrc, true); }},
      {"rainbow-sin-marca", "Rainbow Arts cuyo volcado perdió el error de CRC",
       [] { return Rainbow(2, 0, true); }},
      {"rainbow-forma", "pista 40 de 9 sectores en orden, &C6 con ST1 = ST2 = &20",
       [] {
         std::vector<SectorHecho> s = PistaLisa(40, 9);
         s[5].st1 = s[5].st2 = ErrorCrc;
         return ConPista(Data(), 40, s);
       }},
      {"kbi10", "KBI-10: 10 sectores, el último N=1 débil y \"KBI\"", [] { return Kbi10(2); }},
      {"kbi10-incompleto", "KBI-10 con una sola copia", [] { return Kbi10(1); }},
      {"kbi10-3", "KBI-10: 3 sectores N=4 y N=1",
       [] {
         return ConPista(
             Data(), 20,
             {Sec(20, 0xC1, 4, ContenidoPrueba(2048, 1)),
              Sec(20, 0xC2, 4, ContenidoPrueba(2048, 2)),
              Sec(20, 0xCA, 1, Copias(DatosKbi(), 2, {{4, 8}, {132, 136}}), ErrorCrc, ErrorCrc)});
       }},
      {"kbi10-variante", "KBI-10: 11 sectores, dos &CA con error, \"KBI\" en el 4.º",
       [] {
         std::vector<SectorHecho> s = PistaLisa(20, 9);
         s[3].datos = Con(s[3].datos, 0, "KBI");
         for (int i = 0; i < 2; ++i) {
           s.push_back(Sec(20, 0xCA, 1, ContenidoPrueba(256, 3), ErrorCrc, ErrorCrc));
         }
         return ConPista(Data(), 20, s);
       }},
      {"kbi10-forma", "pista 39 de 10 sectores tras una 38 de 9, el 10.º con &20",
       [] {
         std::vector<SectorHecho> s = PistaLisa(39, 10);
         s[9].st1 = s[9].st2 = ErrorCrc;
         return ConPista(Data(), 39, s);
       }},
      {"kbi19", "KBI-19 firmado", [] { return Kbi19("(c) 1986 for KBI ", 1); }},
      {"kbi19-caav", "KBI-19 de CAAV", [] { return Kbi19("ALAIN LAURENT GENERATION 5 1989", 0); }},
      {"kbi19-forma", "KBI-19 sin firma", [] { return Kbi19({}, 0); }},
      {"logo", "Logo Professor: IDs 2..11",
       [] { return ConPista(Data(), 5, PistaLisa(5, 10, 2)); }},
      {"logo-marcador", "Logo Professor con el ID 1 de relleno",
       [] {
         std::vector<SectorHecho> s = PistaLisa(5, 11, 1);
         s[0].st1 = ErrorCrc;
         return ConPista(Data(), 5, s);
       }},
      {"operasoft", "OperaSoft con el sector de 32K que carga", [] { return OperaSoft(true); }},
      {"operasoft-incompleto", "OperaSoft con el sector de 32K sin datos",
       [] { return OperaSoft(false); }},
      {"ocho-k", "sector de 8K con CRC (&D2F6) en +&1800",
       [] { return SectorN6(0, 0, OchoKConCrc(), 39, false); }},
      {"ocho-k-relleno", "sector de 8K de relleno",
       [] { return SectorN6(0, 0, Lleno(8192), 39, false); }},
      {"titus", "Titus: &0C N=5 de cilindro 89 con \"Titus\"", [] { return Titus(false); }},
      {"titus-masterizado", "Titus con el error de masterizado", [] { return Titus(true); }},
      {"reussir", "Reussir: \"LANCE\" y su código",
       [] {
         std::vector<SectorHecho> s = PistaLisa(2, 10);
         s[4].datos = Con(Con(s[4].datos, 0, std::string_view("\x00LANCE", 6)), 300,
                          std::string_view("\xDD\x7E\x00\xBE\x20", 5));
         return ConPista(Data(), 2, s);
       }},
      {"infogrames", "Infogrames: 9 sectores guardados con el gap",
       [] {
         std::vector<SectorHecho> s = PistaLisa(39, 9);
         for (SectorHecho &x : s) {
           x.datos.resize(540, Gap);
         }
         return ConPista(Data(), 39, s);
       }},
      {"hexagon", "Hexagon: un sector N=6 con error",
       [] { return SectorN6(ErrorCrc, 0x60, ContenidoPrueba(6144, 5), 5, false); }},
      {"hexagon-firma", "Hexagon: su texto y una pista 0 de 10 sectores",
       [] {
         DiscoCpm d = Data();
         d.PistaHecha(0, 0, PistaLisa(0, 10));
         std::vector<SectorHecho> s = PistaLisa(1, 9);
         s[0].datos = Con(s[0].datos, 40, "Hexagon Disk Protection c 1989");
         return d.PistaHecha(1, 0, s).Bytes();
       }},
      {"speedlock-mas3", "+3: un sector N=6 con error",
       [] { return SectorN6(ErrorCrc, ErrorCrc, ContenidoPrueba(6144, 4), 3, true); }},
      {"alkatraz", "Alkatraz: 18 sectores de 256 bytes",
       [] { return ConPista(Data(), 5, PistaLisa(5, 18, 0xC1, 1)); }},
      {"alkatraz-mas3", "Alkatraz en un +3",
       [] {
         std::vector<SectorHecho> s = PistaLisa(0, 9, 0x01);
         s[0].datos = Con(s[0].datos, 0x40,
                          " THE ALKATRAZ PROTECTION SYSTEM   (C) 1987  Appleby Associates");
         return ConPista(Mas3(), 0, s);
       }},
      {"speedlock89", "Speedlock 1989: pista 0 de 10 con un sector borrado",
       [] {
         std::vector<SectorHecho> s = PistaLisa(0, 10);
         s[2].st2 = Borrado;
         return ConPista(Data(), 0, s);
       }},
      {"paulowens", "Paul Owens firmado",
       [] { return Firmada(0, 2, "PAUL OWENS\x80PROTECTION SYS"); }},
      {"paulowens-forma", "Paul Owens: pista 1 vacía y 2 de 6×256",
       [] {
         DiscoCpm d = Data();
         d.SinFormato(1, 0);
         return d.PistaHecha(2, 0, PistaLisa(2, 6, 0xC1, 1)).Bytes();
       }},
      {"discloc", "DiscLoc",
       [] {
         DiscoCpm d = Data();
         d.SinFormato(1, 0);
         std::vector<SectorHecho> s = PistaLisa(2, 9);
         s[0].datos = Con(s[0].datos, 0, "DISCLOC");
         return d.PistaHecha(2, 0, s).Bytes();
       }},
      {"threeinch", "Three Inch Loader de tipo 1",
       [] { return Firmada(0, 0, "***Loader Copyright Three Inch Software 1988,"); }},
      {"threeinch-2", "Three Inch Loader de tipo 2",
       [] { return Firmada(0, 0, "***Loader Copyright Three Inch Software 1988, 01-546 2754"); }},
      {"threeinch-3", "Three Inch Loader de tipo 3",
       [] {
         return Firmada(1, 4,
                        "Loader \x7F"
                        "1988 Three Inch Software");
       }},
      {"pms", "P.M.S. firmado", [] { return Firmada(0, 0, "P.M.S.LOADER [C]1987"); }},
      {"pms-forma", "P.M.S. sin firma: pista 1 vacía",
       [] { return Data().SinFormato(1, 0).Bytes(); }},
      {"studiob", "Studio B", [] { return Firmada(0, 0, "Disc format (c) 1986 Studio B Ltd."); }},
      {"armourloc", "ARMOURLOC", [] { return Firmada(0, 0, "0K free", 2); }},
      {"laserload", "Laser Load",
       [] { return Firmada(0, 2, "Laser Load   By C.J.Pink For Consult Computer    Systems"); }},
      {"ere", "ERE (Remi Herbulot)", [] { return Firmada(0, 5, "PROTECTION  V2.1Remi HERBULOT"); }},
      {"discsys", "DiscSYS: C = H = R = N = i", [] { return ConPista(Data(), 1, DiscSys(true)); }},
      {"mean", "Mean Protection System",
       [] {
         DiscoCpm d = Data();
         std::vector<SectorHecho> s = PistaLisa(0, 9);
         s[4].datos = Con(s[4].datos, 64, "MEAN PROTECTION SYSTEM");
         d.PistaHecha(0, 0, s);
         return d.PistaHecha(1, 0, DiscSys(true)).Bytes();
       }},
      {"players", "Players: R = N = i", [] { return ConPista(Data(), 1, DiscSys(false)); }},
      {"exopal", "Amsoft EXOPAL",
       [] {
         std::vector<SectorHecho> s = PistaLisa(3, 9);
         s[0].datos = Con(Con(s[0].datos, 8, "Amsoft disc protection system"), 100, "EXOPAL");
         return ConPista(Data(), 3, s);
       }},
      {"wrm", "W.R.M. (Martech)", [] { return Firmada(8, 9, "W.R.M Disc", 0, 10); }},
      {"frontier", "Frontier firmado",
       [] { return Firmada(1, 3, "NEW DISK PROTECTION SYSTEM. (C) 1990 BY NEW FRONTIER SOFT."); }},
      {"frontier-forma", "Frontier sin firma",
       [] {
         DiscoCpm d = Data();
         std::vector<SectorHecho> s = PistaLisa(0, 9);
         s[0] = Sec(0, 0xC1, 5, ContenidoPrueba(4096, 11));
         d.PistaHecha(0, 0, s);
         return d.PistaHecha(9, 0, PistaLisa(9, 1)).Bytes();
       }},
      {"jacelock", "la protección casera Jacelock",
       [] {
         std::vector<SectorHecho> s = {
             Sec(39, 0xFF, 6, ContenidoPrueba(6144, 39), ErrorCrc, ErrorCrc)};
         for (int i = 0; i < 13; ++i) {
           s.push_back(Sec(39, 0, 1, ContenidoPrueba(256, 40), ErrorCrc, ErrorCrc));
         }
         return ConPista(Data(), 39, s);
       }},
      // Look-alikes: none of these is a protection.
      {"intercalado", "un disco DATA intercalado: &C6 es el 2.º sector de cada pista",
       [] {
         return Data().Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4}).Bytes();
       }},
      {"demo-10x512-5x1024", "una demo: pista 0 de 10×512 y el resto de 5×1024",
       [demo] { return demo(true); }},
      {"demo-1k", "una demo de sectores de 1K", [demo] { return demo(false); }},
      {"gastado", "errores de CRC sueltos en las pistas 36 y 38",
       [] {
         return Data()
             .Estado(36, 0, 0xC3, ErrorCrc, ErrorCrc)
             .Estado(38, 0, 0xC7, ErrorCrc, ErrorCrc)
             .Bytes();
       }},
      {"trabajo", "un disco de trabajo: un sector vacío, otro de cilindro ajeno, un error",
       [] {
         DiscoCpm d = Data();
         std::vector<SectorHecho> cinco = PistaLisa(5, 9);
         cinco[3].datos.clear();
         std::vector<SectorHecho> doce = PistaLisa(12, 9);
         doce[1].c = 99;
         d.PistaHecha(5, 0, cinco).PistaHecha(12, 0, doce);
         return d.Estado(20, 0, 0xC5, ErrorCrc, ErrorCrc).Bytes();
       }},
      {"desconocida", "errores y un sector débil que ningún esquema nombra",
       [] {
         std::vector<SectorHecho> s = PistaLisa(12, 9);
         s[1].st1 = s[1].st2 = ErrorCrc;
         s[4].st1 = s[4].st2 = ErrorCrc;
         s[4].datos = Copias(s[4].datos, 2, {{0, 512}});
         return ConPista(Data(), 12, s);
       }},
      {"speedlock-parecido", "pista 0 de 9 con el error en el 4.º sector, no en el 8.º",
       [] {
         std::vector<SectorHecho> s = PistaLisa(0, 9);
         s[3].st1 = s[3].st2 = ErrorCrc;
         return ConPista(Data(), 0, s);
       }},
      {"kbi19-parecido", "19 sectores de 512 bytes en orden",
       [] { return ConPista(Data(), 14, PistaLisa(14, 19, 0)); }},
      {"alkatraz-parecido", "18 sectores de 256 bytes en la pista 1",
       [] { return ConPista(Data(), 1, PistaLisa(1, 18, 0xC1, 1)); }},
      {"infogrames-parecido", "un solo sector guardado con el gap",
       [] {
         std::vector<SectorHecho> s = PistaLisa(39, 9);
         s[2].datos.resize(540, Gap);
         return ConPista(Data(), 39, s);
       }},
      {"pms-parecido", "las dos últimas pistas sin formato",
       [] { return Data().SinFormato(40, 0).SinFormato(41, 0).Bytes(); }},
  };
}

} // namespace

std::vector<CasoProteccion> CasosProteccion() {
  std::vector<CasoProteccion> v;
  for (const Fabrica &f : Fabricas()) {
    v.push_back({f.nombre, f.que, f.hacer()});
  }
  return v;
}

CasoProteccion CasoProteccionPorNombre(std::string_view nombre) {
  for (const Fabrica &f : Fabricas()) {
    if (f.nombre == nombre) {
      return {f.nombre, f.que, f.hacer()};
    }
  }
  throw std::out_of_range("no hay caso " + std::string(nombre));
}

} // namespace Generador
