#include "Esquemas.h"

#include "imagenes/Hfe.h"
#include "imagenes/Mfm.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace cpm::proteccion {

using imagenes::mfm::CrcCcitt;
namespace {

using namespace std::string_view_literals;

// ST1 and ST2 bits as the uPD765 sets them.
constexpr std::uint8_t ErrorCrc = 0x20;     // ST1: a CRC error; ST2: in the data field
constexpr std::uint8_t MarcaBorrado = 0x40; // ST2: a deleted data mark
constexpr std::uint8_t FinCilindro = 0x80;  // ST1: end of cylinder, set by any read past the last

// --- Weak spans ------------------------------------------------------------------

// Speedlock: the whole sector when its first half is not one byte repeated;
// else the second half when sector 0 holds the 'S' of its signature at 129;
// else 32 bytes from 336.
Tramos TramosSpeedlock(const PistaVista &p, const SectorVista &debil) {
  constexpr std::size_t Mitad = 256, PosS = 129;
  const auto d = PrimeraCopia(debil);
  const auto mitad = d.first(std::min(Mitad, d.size()));
  if (!std::all_of(mitad.begin(), mitad.end(), [&](std::uint8_t b) { return b == mitad[0]; })) {
    return {{{{0, d.size()}}}, 1};
  }
  const auto cero = PrimeraCopia(p.sectores.front());
  if (cero.size() > PosS && cero[PosS] == 'S') {
    return {{{{256, 512}}}, 1};
  }
  return {{{{336, 368}}}, 1};
}

// Rainbow Arts: 100 stable bytes, then 256 weak ones.
Tramos TramosRainbow(const PistaVista &, const SectorVista &) { return {{{{100, 356}}}, 1}; }

// KBI-10: two runs of four bytes, after the first 'KBI' and the second.
Tramos TramosKbi10(const PistaVista &, const SectorVista &) { return {{{{4, 8}, {132, 136}}}, 2}; }

// --- Shapes no field can say -------------------------------------------------------

// Titus: every sector N=2 but those with a data CRC error, which are N=5.
bool TallasTitus(const PistaVista &p) {
  return std::all_of(p.sectores.begin(), p.sectores.end(), [](const SectorVista &s) {
    return s.n == (TieneEstado(s, Estado::ErrorDatos) ? 5 : 2);
  });
}

// DiscSYS: sector i has C = H = R = N = i.
bool DiscSys(const PistaVista &p) {
  for (std::size_t i = 0; i < p.sectores.size(); ++i) {
    const SectorVista &s = p.sectores[i];
    if (s.c != i || s.h != i || s.r != i || s.n != i) {
      return false;
    }
  }
  return true;
}

// Players: sector i has R = N = i, and the track is not DiscSYS's.
bool Players(const PistaVista &p) {
  for (std::size_t i = 0; i < p.sectores.size(); ++i) {
    if (p.sectores[i].r != i || p.sectores[i].n != i) {
      return false;
    }
  }
  return !DiscSys(p);
}

// Jacelock: after its &FF sector, sectors of ID 0, N=1, all with data errors.
bool Jacelock(const PistaVista &p) {
  return std::all_of(p.sectores.begin() + 1, p.sectores.end(), [](const SectorVista &s) {
    return s.r == 0 && s.n == 1 && TieneEstado(s, Estado::ErrorDatos);
  });
}

// --- Code checks --------------------------------------------------------------------

std::uint16_t Be16(std::span<const std::uint8_t> d, std::size_t pos) {
  return static_cast<std::uint16_t>((d[pos] << 8) | d[pos + 1]);
}

std::string Hex(std::size_t v) {
  char t[16];
  std::snprintf(t, sizeof t, "&%zX", v);
  return t;
}

// Speedlock's sector 0: besides the bytes at 208, a CRC-16 of its bytes 49..219.
std::string CrcSpeedlock(std::span<const std::uint8_t> d) {
  constexpr std::size_t Desde = 49, Hasta = 219;
  constexpr std::uint16_t Esperado = 0x62C2;
  if (d.size() <= Hasta || CrcCcitt(d.subspan(Desde, Hasta - Desde + 1)) != Esperado) {
    return {};
  }
  return "y CRC-16 &62C2 de sus bytes 49..219";
}

// KBI-10's weak sector begins with 'K' and two more letters.
std::string LetrasKbi(std::span<const std::uint8_t> d) {
  const auto letra = [](std::uint8_t c) { return std::isupper(c) != 0; };
  if (d.size() < 3 || d[0] != 'K' || !letra(d[1]) || !letra(d[2])) {
    return {};
  }
  return "empieza por \"" + std::string(d.begin(), d.begin() + 3) + "\"";
}

// The 8K sector's loaders check the first 6K (or so) against a value stored
// right after it. A sum or an XOR over one byte repeated proves nothing.
std::string Suma8K(std::span<const std::uint8_t> d) {
  constexpr std::size_t Seis = 0x1800;
  const auto crc = [&](std::uint16_t inicial, std::size_t largo) {
    return d.size() >= largo + 2 && CrcCcitt(d.first(largo), inicial) == Be16(d, largo);
  };
  const auto variado = [&](std::size_t largo) {
    return d.size() > largo &&
           std::any_of(d.begin() + 1, d.begin() + static_cast<std::ptrdiff_t>(largo),
                       [&](std::uint8_t b) { return b != d[0]; });
  };
  const auto plegar = [&](std::size_t largo, auto op) {
    std::uint8_t v = 0;
    for (std::size_t i = 0; i < largo; ++i) {
      v = op(v, d[i]);
    }
    return v;
  };
  const auto suma = [](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(a + b); };
  const auto xo = [](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(a ^ b); };
  if (d.size() >= Seis + 2 && d[Seis] == 0x8C && d[Seis + 1] == 0x15) {
    return "los bytes 8C 15 en +&1800";
  }
  for (const auto &[inicial, largo] : {std::pair<std::uint16_t, std::size_t>{0xD2F6, Seis},
                                       {0xD2F6, Seis + 2},
                                       {0x92FD, 0x1600}}) {
    if (crc(inicial, largo)) {
      return "CRC-16 (inicial " + Hex(inicial) + ") de los " + Hex(largo) + " primeros bytes en +" +
             Hex(largo);
    }
  }
  if (variado(Seis) && plegar(Seis, suma) == d[Seis]) {
    return "suma de los &1800 primeros bytes en +&1800";
  }
  if (variado(Seis) && plegar(Seis, xo) == d[Seis]) {
    return "XOR de los &1800 primeros bytes en +&1800";
  }
  if (variado(0x18A0) && plegar(0x18A0, xo) == d[0x18A0]) {
    return "XOR de los &18A0 primeros bytes en +&18A0";
  }
  return {};
}

// --- What an incomplete dump lacks, and its completion --------------------------------

// OperaSoft: the 32K sector (N=8) stored without data.
template <class P> auto *SectorOperaSoft(P &p) {
  const auto s =
      std::find_if(p.sectores.begin(), p.sectores.end(), [](const auto &x) { return x.n == 8; });
  return s == p.sectores.end() ? nullptr : &*s;
}

std::optional<std::string> FaltaOperaSoft(const PistaVista &p) {
  const SectorVista *s = SectorOperaSoft(p);
  if (s == nullptr || !s->datos.empty()) {
    return std::nullopt;
  }
  return "el sector " + TextoId(s->r) +
         " de 32K se guardó sin datos; una imagen que carga guarda 256 bytes de &55 con su "
         "CRC, relleno &4E y los datos del sector 7";
}

// A working image holds what the FDC reads of the 32K sector: its 256 bytes of
// &55 and their CRC, the gap's &4E up to +&512, then sector 7's data.
std::vector<Prueba> CompletarOperaSoft(PistaSuperficie &p, int numero, int cara) {
  constexpr std::size_t Datos = 256, FinRelleno = 0x512;
  constexpr std::uint8_t Relleno55 = 0x55, Gap = 0x4E;
  constexpr std::uint8_t CrcAlto = 0xE8, CrcBajo = 0x9F; // of the 256 bytes of &55
  SectorSuperficie *s = SectorOperaSoft(p);
  const auto siete =
      std::find_if(p.sectores.begin(), p.sectores.end(), [](const auto &x) { return x.r == 7; });
  if (s == nullptr || !s->datos.empty() || siete == p.sectores.end()) {
    return {};
  }
  const auto datosSiete = PrimeraCopia(*siete);
  std::vector<std::uint8_t> d(FinRelleno + datosSiete.size(), Gap);
  std::fill_n(d.begin(), Datos, Relleno55);
  d[Datos] = CrcAlto;
  d[Datos + 1] = CrcBajo;
  std::copy(datosSiete.begin(), datosSiete.end(), d.begin() + FinRelleno);
  s->datos = std::move(d);
  s->copias = 1;
  return {{numero, cara, s->r,
           std::to_string(s->datos.size()) +
               " bytes: 256 de &55, su CRC (E8 9F), &4E hasta +&512 y los " +
               std::to_string(datosSiete.size()) + " del sector &07"}};
}

// Titus: a 13-sector track whose stored sector 6 is ID 12 and whose last six
// sectors look like KBI-19's was mastered wrong; those six are junk.
constexpr std::size_t SectoresTitusMalo = 13, PosDoceTitus = 6, BasuraTitus = 6;

template <class P> std::optional<std::string> FaltaTitus(const P &p) {
  if (p.sectores.size() != SectoresTitusMalo || p.sectores[PosDoceTitus].r != 12) {
    return std::nullopt;
  }
  const auto basura = std::span(p.sectores).last(BasuraTitus);
  const bool kbi = std::all_of(basura.begin(), basura.end(), [](const auto &s) {
    return s.n == 2 && s.r <= 18 && TieneEstado(s, Estado::Sano);
  });
  if (!kbi) {
    return std::nullopt;
  }
  return "error de masterizado: sus 6 últimos sectores, como los de KBI-19, son basura";
}

std::vector<Prueba> CompletarTitus(PistaSuperficie &p, int numero, int cara) {
  if (!FaltaTitus(p)) {
    return {};
  }
  std::vector<Prueba> hecho;
  for (const SectorSuperficie &s : std::span(p.sectores).last(BasuraTitus)) {
    hecho.push_back({numero, cara, s.r, "quitado: basura del error de masterizado"});
  }
  p.sectores.resize(SectoresTitusMalo - BasuraTitus);
  return hecho;
}

// Rainbow Arts: some dumps lost the CRC error flag of the weak sector, which
// the loader checks. Nothing says what the flag was, so it is not put back.
std::optional<std::string> FaltaMarcaRainbow(const PistaVista &p) {
  constexpr std::size_t PosDebil = 1;
  if (p.sectores.size() <= PosDebil || TieneEstado(p.sectores[PosDebil], Estado::ErrorDatos)) {
    return std::nullopt;
  }
  return "el sector &C6 perdió en este volcado su error de CRC en los datos";
}

// --- The signatures and shapes --------------------------------------------------------

constexpr std::array<std::uint8_t, 19> IdsKbi19 = {0,  1,  4,  7, 10, 13, 16, 2,  5, 8,
                                                   11, 14, 17, 3, 6,  9,  12, 15, 18};
constexpr std::array<std::uint8_t, 10> IdsLogo = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::array<std::uint8_t, 11> IdsLogoMarcador = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::array<std::uint8_t, 9> IdsOperaSoft = {0, 1, 2, 3, 4, 5, 6, 7, 8};

constexpr int Toda = 255; // the last track a range may name

// A 9-sector track 0 whose stored sector 7 has a data CRC error.
constexpr Forma FormaSpeedlock{
    .minimo = 9,
    .maximo = 9,
    .conds = {{{.cual = 0, .n = 2, .minimo = 512},
               {.cual = 7, .n = 2, .estado = Estado::ErrorDatos, .minimo = 512}}}};
// A single N=6 sector with a CRC error.
constexpr Forma FormaN6{
    .minimo = 1, .maximo = 1, .conds = {{{.cual = 0, .n = 6, .estado = Estado::ErrorSt1}}}};
constexpr Forma FormaAlkatraz{.minimo = 18, .maximo = 18, .nResto = 1};
constexpr Forma FormaRainbow{
    .minimo = 9,
    .maximo = 9,
    .conds = {{{.cual = 1, .r = 0xC6, .n = 2, .estado = Estado::ErrorDatos, .minimo = 512},
               {.cual = 3, .n = 2}}}};
constexpr Forma FormaRainbowSinMarca{
    .minimo = 9,
    .maximo = 9,
    .conds = {{{.cual = 1, .r = 0xC6, .n = 2, .minimo = 512}, {.cual = 3, .n = 2}}}};
constexpr Forma FormaDiscSys{.minimo = 16, .maximo = 16, .extra = DiscSys};
constexpr Forma ConSectores{};
constexpr Forma Vacia{.minimo = 0, .vacia = true};

constexpr Firma EnSector(int cual, std::string_view texto, int en = -1) {
  return {.cual = cual, .a = {texto, en}};
}

constexpr auto Tabla = std::to_array<Esquema>({
    {.nombre = "Speedlock",
     .forma = "9 sectores, el 8.º guardado con error de CRC en los datos",
     .pista = {0, 0, FormaSpeedlock},
     .bastaForma = true,
     .firmas = {{EnSector(0, "SPEEDLOCK", 257),
                 EnSector(0, "SPEEDLOCK", 129),
                 {.cual = 0,
                  .a = {"\x4A\x00\x09\x46\x00\x00\x00\x42\x02\x47\x2A\xFF"sv, 208},
                  .comprobar = CrcSpeedlock}}},
     .debil = {1, TramosSpeedlock}},
    {.nombre = "Rainbow Arts",
     .forma = "9 sectores, el 2.º guardado de ID &C6 con error de CRC en los datos",
     .pista = {0, Toda, FormaRainbow},
     .bastaForma = true,
     .firmas = {{EnSector(3, "\x2A\x6D\xA7\x01\x30\x01\xAF\xED\x42\x4D\x44\x21\x70\x01"sv, 0)}},
     .debil = {0, TramosRainbow}},
    {.nombre = "Rainbow Arts",
     .forma = "9 sectores, el 2.º guardado de ID &C6",
     .pista = {0, Toda, FormaRainbowSinMarca},
     .firmas = {{EnSector(3, "\x2A\x6D\xA7\x01\x30\x01\xAF\xED\x42\x4D\x44\x21\x70\x01"sv, 0)}},
     .debil = {0, TramosRainbow},
     .arreglo = {FaltaMarcaRainbow, nullptr}},
    {.nombre = "Rainbow Arts",
     .forma = "9 sectores, uno de ID &C6 con ST1 = ST2 = &20",
     .pista = {40, 40,
               Forma{.minimo = 9,
                     .maximo = 9,
                     .conds = {{{.cual = Alguno, .r = 0xC6, .estado = Estado::Error20}}}}},
     .bastaForma = true},
    {.nombre = "KBI-10",
     .forma = "10 sectores N=2 y el último N=1 con error de CRC en los datos",
     .pista = {0, Toda,
               Forma{.minimo = 10,
                     .maximo = 10,
                     .nResto = 2,
                     .conds = {{{.cual = Ultimo, .n = 1, .estado = Estado::ErrorDatos}}}}},
     .bastaForma = true,
     .firmas = {{{.cual = Ultimo, .comprobar = LetrasKbi}}},
     .debil = {0, TramosKbi10}},
    {.nombre = "KBI-10",
     .forma = "3 sectores N=4 y el último N=1 con error de CRC en los datos",
     .pista = {0, Toda,
               Forma{.minimo = 3,
                     .maximo = 3,
                     .nResto = 4,
                     .conds = {{{.cual = Ultimo, .n = 1, .estado = Estado::ErrorDatos}}}}},
     .bastaForma = true,
     .firmas = {{{.cual = Ultimo, .comprobar = LetrasKbi}}},
     .debil = {0, TramosKbi10}},
    {.nombre = "KBI-10",
     .forma = "11 sectores, los dos de ID &CA N=1 con error de CRC en los datos",
     .pista = {0, Toda,
               Forma{.minimo = 11,
                     .maximo = 11,
                     .conds = {{{.cual = Alguno,
                                 .r = 0xCA,
                                 .n = 1,
                                 .estado = Estado::ErrorDatos,
                                 .veces = 2}}}}},
     .bastaForma = true,
     .firmas = {{EnSector(3, "KBI", 0)}}},
    {.nombre = "KBI-10",
     .forma = "10 sectores tras una pista 38 de 9, el 10.º con ST1 = ST2 = &20",
     .pista =
         {39, 39,
          Forma{.minimo = 10, .maximo = 10, .conds = {{{.cual = 9, .estado = Estado::Error20}}}}},
     .otra = {38, 38, Forma{.minimo = 9, .maximo = 9}},
     .bastaForma = true},
    {.nombre = "KBI-19",
     .forma = "19 sectores de 512 bytes sin errores, IDs 0 1 4 7 10 13 16 2 5 8 11 14 17 3 6 9 "
              "12 15 18",
     .pista = {0, Toda,
               Forma{.minimo = 19, .maximo = 20, .nResto = 2, .sanos = true, .ids = IdsKbi19}},
     .bastaForma = true,
     .firmas = {{{.variante = "CAAV", .cual = 0, .a = {"ALAIN LAURENT GENERATION 5 1989"}},
                 EnSector(1, "(c) 1986 for KBI ")}}},
    {.nombre = "Logo Professor",
     .forma = "10 sectores de 512 bytes sin errores, IDs 2..11",
     .pista = {0, Toda,
               Forma{.minimo = 10,
                     .maximo = 10,
                     .nResto = 2,
                     .sanos = true,
                     .ids = IdsLogo,
                     .idsEnOrden = false}},
     .bastaForma = true},
    {.nombre = "Logo Professor",
     .forma = "11 sectores: un ID 1 con error de CRC en el ID y luego 2..11 de 512 bytes",
     .pista = {0, Toda,
               Forma{.minimo = 11,
                     .maximo = 11,
                     .nResto = 2,
                     .sanos = true,
                     .ids = IdsLogoMarcador,
                     .idsEnOrden = false,
                     .conds = {{{.cual = 0, .r = 1, .estado = Estado::ErrorId}}}}},
     .bastaForma = true},
    {.nombre = "OperaSoft",
     .forma = "9 sectores: ocho N=1 y uno N=8 (32K), IDs 0..8",
     .pista = {0, Toda,
               Forma{.minimo = 9,
                     .maximo = 9,
                     .nResto = 1,
                     .ids = IdsOperaSoft,
                     .idsEnOrden = false,
                     .conds = {{{.cual = 8, .n = 8}}}}},
     .bastaForma = true,
     .arreglo = {FaltaOperaSoft, CompletarOperaSoft}},
    {.nombre = "Sector de 8K",
     .forma = "un solo sector N=6 (8K) con datos, sin errores",
     .pista = {0, Toda,
               Forma{.minimo = 1,
                     .maximo = 1,
                     .conds = {{{.cual = 0, .n = 6, .estado = Estado::Sano, .minimo = 1}}}}},
     .bastaForma = true,
     .firmas = {{{.cual = 0, .comprobar = Suma8K}}}},
    {.nombre = "Titus",
     .forma = "sectores N=2 y N=5 los de error de CRC; el de ID 12 N=5 con cilindro 89 o 90",
     .pista = {0, Toda,
               Forma{.conds = {{{.cual = Alguno, .r = 12, .n = 5, .cDesde = 89, .cHasta = 90}}},
                     .extra = TallasTitus}},
     .bastaForma = true,
     .firmas = {{{.r = 12, .a = {"Titus", 0x1B}}}},
     .arreglo = {FaltaTitus<PistaVista>, CompletarTitus}},
    {.nombre = "Reussir",
     .forma = "10 sectores",
     .pista = {0, Toda, Forma{.minimo = 10, .maximo = 10}},
     .firmas = {{{.cual = Alguno, .a = {"\x00LANCE"sv, 0}, .b = {"\xDD\x7E\x00\xBE\x20"sv}}}}},
    {.nombre = "Infogrames / Loriciel (datos del gap)",
     .forma = "9 sectores N=2 guardados con 540 bytes o más: el volcado guardó el gap",
     .pista = {0, Toda,
               Forma{.minimo = 9, .maximo = 9, .conds = {{{.cual = Cada, .n = 2, .minimo = 540}}}}},
     .bastaForma = true},
    {.nombre = "Hexagon",
     .plataforma = Plataforma::Cpc,
     .forma = "un solo sector N=6 con error de CRC",
     .pista = {0, 41, FormaN6},
     .bastaForma = true},
    {.nombre = "Hexagon",
     .forma = "10 sectores sin errores",
     .pista = {0, 0, Forma{.minimo = 10, .maximo = 10, .sanos = true}},
     .firmas = {{{.pistaDesde = 0,
                  .pistaHasta = 3,
                  .cual = Alguno,
                  .a = {"HEXAGON DISK PROTECTION c 1989"},
                  .sinCaso = true}}}},
    {.nombre = "Speedlock 1989/1990 (+3)",
     .plataforma = Plataforma::Mas3,
     .forma = "un solo sector N=6 con error de CRC en un disco de +3",
     .pista = {0, 41, FormaN6},
     .bastaForma = true},
    {.nombre = "Alkatraz",
     .plataforma = Plataforma::Cpc,
     .forma = "18 sectores de 256 bytes",
     .pista = {0, 0, FormaAlkatraz},
     .bastaForma = true},
    {.nombre = "Alkatraz",
     .plataforma = Plataforma::Cpc,
     .forma = "18 sectores de 256 bytes",
     .pista = {2, 41, FormaAlkatraz},
     .bastaForma = true},
    {.nombre = "Alkatraz",
     .plataforma = Plataforma::Mas3,
     .pista = {0, 0, ConSectores},
     .firmas = {{EnSector(0, " THE ALKATRAZ PROTECTION SYSTEM   (C) 1987  Appleby Associates")}}},
    {.nombre = "Speedlock 1989",
     .plataforma = Plataforma::Cpc,
     .forma = "10 sectores, alguno con marca de borrado",
     .pista = {0, 0,
               Forma{.minimo = 10,
                     .maximo = 10,
                     .conds = {{{.cual = Alguno, .estado = Estado::Borrado}}}}},
     .bastaForma = true},
    {.nombre = "Paul Owens",
     .forma = "9 sectores",
     .pista = {0, 0, Forma{.minimo = 9, .maximo = 9}},
     .firmas = {{EnSector(2, "PAUL OWENS\x80PROTECTION SYS")}}},
    {.nombre = "Paul Owens",
     .forma = "6 sectores de 256 bytes, y la pista 1 vacía",
     .pista = {2, 2, Forma{.minimo = 6, .maximo = 6, .nResto = 1}},
     .otra = {1, 1, Vacia},
     .bastaForma = true},
    {.nombre = "DiscLoc",
     .forma = "la pista 1 vacía",
     .pista = {2, 2, ConSectores},
     .otra = {1, 1, Vacia},
     .firmas = {{EnSector(0, "DISCLOC")}}},
    {.nombre = "Three Inch Loader",
     .pista = {0, 0, ConSectores},
     .firmas = {{{.variante = "tipo 2",
                  .cual = 0,
                  .a = {"***Loader Copyright Three Inch Software 1988,"},
                  .b = {"01-546 2754"}},
                 {.variante = "tipo 1",
                  .cual = 0,
                  .a = {"***Loader Copyright Three Inch Software 1988,"}},
                 {.variante = "tipo 3",
                  .pistaDesde = 1,
                  .pistaHasta = 1,
                  .cual = 4,
                  .a = {"Loader \x7F"
                        "1988 Three Inch Software"}}}}},
    {.nombre = "P.M.S.",
     .pista = {0, 0, ConSectores},
     .firmas = {{EnSector(0, "[C] P.M.S. 1986"), EnSector(0, "P.M.S. LOADER [C]1986"),
                 EnSector(0, "P.M.S.LOADER [C]1986"), EnSector(0, "P.M.S.LOADER [C]1987")}}},
    {.nombre = "P.M.S.",
     .forma = "vacía, entre pistas con sectores",
     .pista = {1, 1, Vacia},
     .otra = {2, 2, ConSectores},
     .bastaForma = true},
    {.nombre = "Studio B",
     .pista = {0, 0, ConSectores},
     .firmas = {{EnSector(0, "Disc format (c) 1986 Studio B Ltd.")}}},
    {.nombre = "ARMOURLOC",
     .forma = "9 sectores",
     .pista = {0, 0, Forma{.minimo = 9, .maximo = 9}},
     .firmas = {{EnSector(0, "0K free", 2)}}},
    {.nombre = "Laser Load",
     .pista = {0, 0, ConSectores},
     .firmas = {{EnSector(2, "Laser Load   By C.J.Pink For Consult Computer    Systems")}}},
    {.nombre = "ERE (Remi Herbulot)",
     .pista = {0, 0, ConSectores},
     .firmas = {{EnSector(Alguno, "PROTECTION      Remi HERBULOT"),
                 EnSector(Alguno, "PROTECTION  V2.1Remi HERBULOT")}}},
    {.nombre = "Mean Protection System",
     .forma = "16 sectores, el sector i con C = H = R = N = i",
     .pista = {0, 2, FormaDiscSys},
     .firmas =
         {{{.pistaDesde = 0, .pistaHasta = 0, .cual = Alguno, .a = {"MEAN PROTECTION SYSTEM"}}}}},
    {.nombre = "DiscSYS",
     .forma = "16 sectores, el sector i con C = H = R = N = i",
     .pista = {0, Toda, FormaDiscSys},
     .bastaForma = true},
    {.nombre = "Players",
     .forma = "16 sectores, el sector i con R = N = i",
     .pista = {0, Toda, Forma{.minimo = 16, .maximo = 16, .extra = Players}},
     .bastaForma = true},
    {.nombre = "Amsoft EXOPAL",
     .pista = {3, 3, ConSectores},
     .firmas = {{{.cual = 0, .a = {"Amsoft disc protection system"}, .b = {"EXOPAL"}}}}},
    {.nombre = "W.R.M. (Martech)",
     .pista = {8, 8, ConSectores},
     .firmas = {{EnSector(9, "W.R.M Disc", 0)}}},
    {.nombre = "Frontier",
     .pista = {1, 1, ConSectores},
     .firmas = {{EnSector(Alguno, "NEW DISK PROTECTION SYSTEM. (C) 1990 BY NEW FRONTIER SOFT.")}}},
    {.nombre = "Frontier",
     .forma = "un solo sector, y un sector 0 de 4096 bytes en la pista 0",
     .pista = {9, 9, Forma{.minimo = 1, .maximo = 1}},
     .otra = {0, 0, Forma{.conds = {{{.cual = 0, .n = 5}}}}},
     .bastaForma = true},
    {.nombre = "Jacelock (protección casera, no comercial)",
     .forma = "un sector &FF N=6 y 13 de ID 0, N=1, todos con error de CRC en los datos",
     .pista = {39, 39,
               Forma{.minimo = 14,
                     .maximo = 14,
                     .conds = {{{.cual = 0, .r = 0xFF, .n = 6}}},
                     .extra = Jacelock}},
     .bastaForma = true},
});

} // namespace

bool TieneEstado(std::uint8_t st1, std::uint8_t st2, Estado estado) {
  const bool crc = (st1 & ErrorCrc) != 0;
  const bool crcDatos = (st2 & ErrorCrc) != 0;
  switch (estado) {
  case Estado::Cualquiera: return true;
  case Estado::Sano: return (st1 & ~FinCilindro) == 0 && st2 == 0;
  case Estado::ErrorDatos: return crc && crcDatos;
  case Estado::ErrorId: return crc && !crcDatos;
  case Estado::Borrado: return (st2 & MarcaBorrado) != 0;
  case Estado::ErrorSt1: return crc;
  case Estado::Error20: return st1 == ErrorCrc && st2 == ErrorCrc;
  }
  return false;
}

std::size_t SectorVista::LongitudNominal() const {
  return std::size_t{128} << std::min<std::uint8_t>(n, 8);
}

const PistaVista *VistaDisco::Pista(int pista, int cara) const {
  if (pista < 0 || cara < 0 || pista >= pistas || cara >= caras) {
    return nullptr;
  }
  const auto i = static_cast<std::size_t>(pista * caras + cara);
  return i < pistasCaras.size() ? &pistasCaras[i] : nullptr;
}

namespace {

template <class S> SectorVista VistaSector(const S &x, std::span<const std::uint8_t> datos) {
  return {x, x.copias, datos};
}

VistaDisco SinPistas(int pistas, int caras) {
  VistaDisco v;
  v.pistas = pistas;
  v.caras = caras;
  v.pistasCaras.resize(static_cast<std::size_t>(std::max(0, pistas * caras)));
  return v;
}

} // namespace

VistaDisco VistaDe(const Superficie &disco) {
  VistaDisco v = SinPistas(disco.pistas, disco.caras);
  for (std::size_t i = 0; i < v.pistasCaras.size() && i < disco.pistasCaras.size(); ++i) {
    const PistaSuperficie &p = disco.pistasCaras[i];
    PistaVista &q = v.pistasCaras[i];
    q.pistaCabecera = p.pistaCabecera;
    q.sectores.reserve(p.sectores.size());
    for (const SectorSuperficie &x : p.sectores) {
      q.sectores.push_back(VistaSector(x, x.datos));
    }
  }
  return v;
}

VistaDisco VistaDe(const Contenedor &disco) {
  VistaDisco v = SinPistas(disco.pistas, disco.caras);
  for (const Pista &p : disco.pistasLeidas) {
    const auto i = static_cast<std::size_t>(p.pista * disco.caras + p.cara);
    if (p.pista < 0 || p.cara < 0 || p.cara >= disco.caras || i >= v.pistasCaras.size()) {
      continue;
    }
    PistaVista &q = v.pistasCaras[i];
    q.pistaCabecera = p.pistaCabecera;
    q.sectores.reserve(p.sectores.size());
    for (const Sector &x : p.sectores) {
      q.sectores.push_back(VistaSector(x, BytesGuardados(disco, x)));
    }
  }
  return v;
}

std::span<const Esquema> TablaEsquemas() { return Tabla; }

} // namespace cpm::proteccion
