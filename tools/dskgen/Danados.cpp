// A disk for each kind of damage the reader names: the check's and the
// repair's test rows, and images to try them on by hand.
#include "Generador.h"

#include <algorithm>
#include <functional>

namespace Generador {
namespace {

constexpr std::size_t TamanoCabecera = 256; // Disk-Info and Track-Info blocks
constexpr std::size_t TamanoPistaData = 256 + 9 * 512;

// Three files on a DATA disk, in catalogue slots 0 to 3: GAME.BIN (two
// extents, blocks 2 to 21, tracks 0 to 4), NOTES.TXT (block 22, tracks 4
// and 5) and DATA.DAT (blocks 23 to 25, track 5). Tracks 6 on hold nothing.
struct Base {
  std::vector<std::uint8_t> game = ContenidoPrueba(20000, 21);
  std::vector<std::uint8_t> notas = ContenidoPrueba(700, 22);
  std::vector<std::uint8_t> datos = ContenidoPrueba(3000, 23);

  [[nodiscard]] DiscoCpm Disco(Disposicion disposicion = Disposicion::Estandar) const {
    DiscoCpm d(GeometriaData(), disposicion);
    d.Agregar({0, "GAME", "BIN", false, false, false, game, {0, 1}, 0})
        .Agregar({0, "NOTES", "TXT", false, false, false, notas, {2}, 0})
        .Agregar({0, "DATA", "DAT", false, false, false, datos, {3}, 0});
    return d;
  }
  using Intactos = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;
  // The files whole on the disk, as they read: every record (128 bytes).
  [[nodiscard]] Intactos Sanos(const std::vector<std::string> &nombres) const {
    Intactos r;
    for (const std::string &n : nombres) {
      const auto &d = n == "0:GAME.BIN" ? game : n == "0:NOTES.TXT" ? notas : datos;
      std::vector<std::uint8_t> registros = d;
      registros.resize((d.size() + 127) / 128 * 128, 0xE5);
      r.emplace_back(n, std::move(registros));
    }
    return r;
  }
};

const std::vector<std::string> Todos{"0:GAME.BIN", "0:NOTES.TXT", "0:DATA.DAT"};

void Poner16(std::vector<std::uint8_t> &b, std::size_t pos, std::size_t valor) {
  b[pos] = static_cast<std::uint8_t>(valor & 0xFF);
  b[pos + 1] = static_cast<std::uint8_t>(valor >> 8);
}

// A standard image's track `i` (place in the file).
std::size_t Pista(std::size_t i) { return TamanoCabecera + i * TamanoPistaData; }

// An entry of the base disk, changed.
Entrada Cambiada(const DiscoCpm &d, int ranura, const std::function<void(Entrada &)> &cambio) {
  Entrada e = d.EntradaEn(ranura);
  cambio(e);
  return e;
}

} // namespace

std::vector<CasoDanado> CasosDanados() {
  const Base base;
  std::vector<CasoDanado> casos;
  const auto agregar = [&casos](std::string nombre, std::string que,
                                std::vector<std::string> codigos,
                                std::vector<std::string> reparados, Base::Intactos intactos,
                                std::vector<std::uint8_t> bytes) {
    casos.push_back({std::move(nombre), std::move(que), std::move(codigos), std::move(reparados),
                     std::move(intactos), std::move(bytes)});
  };

  // The container.
  {
    DiscoCpm d = base.Disco();
    d.Firma("MV - CPC format Disk Image (DU54)");
    agregar("firma-rara", "la firma de un programa antiguo", {"firma-rara"}, {"firma-rara"},
            base.Sanos(Todos), d.Bytes());
  }
  {
    auto b = base.Disco().Bytes();
    b.resize(b.size() + 1000, 0x1A);
    agregar("sobrantes", "1000 bytes tras la última pista", {"bytes-sobrantes"},
            {"bytes-sobrantes"}, base.Sanos(Todos), b);
  }
  {
    auto b = base.Disco().Bytes();
    Poner16(b, 50, TamanoPistaData + 256);
    agregar("tamano-pista-estandar", "la cabecera da pistas 256 bytes más largas",
            {"tamano-pista-distinto", "pista-sin-firma"},
            {"tamano-pista-distinto", "pista-sin-firma", "pista-ausente", "pista-numero-distinto",
             "sector-ausente", "archivo-incompleto"},
            base.Sanos(Todos), b);
  }
  {
    auto b = base.Disco(Disposicion::Extendida).Bytes();
    b[52 + 3] = static_cast<std::uint8_t>(b[52 + 3] + 1);
    agregar("tamano-pista-extendida", "la tabla da a la pista 3 256 bytes de más",
            {"tamano-pista-distinto", "pista-sin-firma"},
            {"tamano-pista-distinto", "pista-sin-firma", "pista-corta", "pista-ausente",
             "sector-ausente", "archivo-incompleto"},
            base.Sanos(Todos), b);
  }
  {
    auto b = base.Disco().Bytes();
    std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(Pista(10)),
                     b.begin() + static_cast<std::ptrdiff_t>(Pista(11)),
                     b.begin() + static_cast<std::ptrdiff_t>(Pista(11)));
    agregar("pistas-desordenadas", "las pistas 10 y 11 guardadas al revés",
            {"pista-numero-distinto"}, {}, base.Sanos(Todos), b);
  }
  {
    DiscoCpm d = base.Disco(Disposicion::Extendida);
    d.CodigoTamano(20, 0, 0xC1, 3);
    agregar("longitud-guardada", "un sector de N=3 guardado con 512 bytes",
            {"longitud-guardada-distinta"}, {}, base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco(Disposicion::Extendida);
    d.Debil(20, 0, 0xC3, 3);
    agregar("sector-debil", "un sector débil de tres copias", {"sector-debil"}, {},
            base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.Estado(20, 0, 0xC5, 0x20, 0x20);
    agregar("sector-error", "un sector leído con error de datos", {"sector-error"}, {},
            base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.SectorExtra(20, 0, 0xC1);
    agregar("sector-repetido", "dos sectores &C1 en una pista", {"sector-repetido"}, {},
            base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco(Disposicion::Extendida);
    d.SinFormato(4, 0);
    agregar("sin-formato", "la pista 4, con datos de dos archivos, sin formato",
            {"sector-ausente", "archivo-incompleto"}, {}, base.Sanos({"0:DATA.DAT"}), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.QuitarSector(2, 0, 0xC5);
    agregar("sector-ausente", "falta un sector de GAME.BIN",
            {"sector-ausente", "archivo-incompleto"}, {}, base.Sanos({"0:NOTES.TXT", "0:DATA.DAT"}),
            d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.CodigoTamano(3, 0, 0xC2, 1);
    agregar("codigo-tamano", "un sector de GAME.BIN de otro tamaño",
            {"sector-tamano-distinto", "longitud-guardada-distinta", "archivo-incompleto"}, {},
            base.Sanos({"0:NOTES.TXT", "0:DATA.DAT"}), d.Bytes());
  }
  {
    auto b = base.Disco().Bytes();
    b.resize(Pista(30) + 1000);
    agregar("cortada", "la imagen cortada en la pista 30", {"pista-corta", "pista-ausente"}, {},
            base.Sanos(Todos), b);
  }
  {
    DiscoCpm d = base.Disco();
    d.Firma("NOT A CPC DISK IMAGE");
    agregar("sin-firma", "ninguna firma de imagen de CPC", {"firma-desconocida"}, {}, {},
            d.Bytes());
  }

  // The catalogue.
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(10, d.EntradaEn(1));
    agregar("tramo-repetido", "un tramo de GAME.BIN dos veces, igual byte a byte",
            {"tramo-repetido"}, {"tramo-repetido"}, base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(10, Cambiada(d, 1, [](Entrada &e) { e[16] = 60; }));
    agregar("tramo-repetido-distinto", "un tramo de GAME.BIN dos veces, con otros bloques",
            {"tramo-repetido"}, {}, base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco(Disposicion::Extendida);
    d.FijarEntrada(10, d.EntradaEn(1)).Debil(0, 0, 0xC9, 2);
    agregar("tramo-repetido-protegido", "un tramo repetido en un catálogo de pista protegida",
            {"tramo-repetido", "sector-debil"}, {}, base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    Entrada vacia{};
    vacia.fill(0xE5);
    d.FijarEntrada(0, vacia);
    agregar("tramo-ausente", "falta el primer tramo de GAME.BIN",
            {"tramo-ausente", "archivo-incompleto"}, {}, base.Sanos({"0:NOTES.TXT", "0:DATA.DAT"}),
            d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(0, Cambiada(d, 0, [](Entrada &e) { e[15] = 0x40; }));
    agregar("registros-de-menos", "el primer tramo de GAME.BIN dice 64 registros",
            {"registros-de-menos", "archivo-incompleto"},
            {"registros-de-menos", "archivo-incompleto"}, base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(2, Cambiada(d, 2, [](Entrada &e) { e[15] = 0x20; }));
    agregar("registros-de-mas", "NOTES.TXT dice 32 registros y tiene un bloque",
            {"registros-de-mas", "archivo-incompleto"}, {},
            base.Sanos({"0:GAME.BIN", "0:DATA.DAT"}), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(3, Cambiada(d, 3, [](Entrada &e) { e[16] = 5; }));
    agregar("bloque-compartido", "DATA.DAT toma un bloque de GAME.BIN", {"bloque-compartido"}, {},
            base.Sanos({"0:GAME.BIN", "0:NOTES.TXT"}), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(2, Cambiada(d, 2, [](Entrada &e) { e[16] = 200; }));
    agregar("bloque-fuera", "NOTES.TXT en un bloque fuera del disco",
            {"bloque-fuera-del-disco", "archivo-incompleto"}, {},
            base.Sanos({"0:GAME.BIN", "0:DATA.DAT"}), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(3, Cambiada(d, 3, [](Entrada &e) { e[17] = 1; }));
    agregar("bloque-del-catalogo", "DATA.DAT toma un bloque del catálogo", {"bloque-compartido"},
            {}, base.Sanos({"0:GAME.BIN", "0:NOTES.TXT"}), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(12, CrearEntrada(0x13, "STRAY   BIN", 0));
    agregar("usuario-fuera", "una entrada del usuario 19", {"usuario-fuera-de-rango"}, {},
            base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(12, CrearEntrada(0, "A;B     TXT", 0))
        .FijarEntrada(13, CrearEntrada(0, "\x1C\x1D ART  \x01\x02\x03", 0));
    agregar("nombre-invalido", "un nombre con ';' y otro con códigos de control",
            {"nombre-invalido"}, {}, base.Sanos(Todos), d.Bytes());
  }
  {
    DiscoCpm d = base.Disco();
    d.FijarEntrada(3, Cambiada(d, 3, [](Entrada &e) { e[16] = 5; }));
    auto c = d.Bytes();
    c.resize(c.size() + 512, 0);
    agregar("mezcla", "bytes tras la última pista y un bloque compartido",
            {"bytes-sobrantes", "bloque-compartido"}, {"bytes-sobrantes"},
            base.Sanos({"0:GAME.BIN", "0:NOTES.TXT"}), c);
  }
  return casos;
}

void GenerarDanados(const std::filesystem::path &carpeta) {
  std::filesystem::create_directories(carpeta);
  for (const CasoDanado &c : CasosDanados()) {
    EscribirArchivo(carpeta / (c.nombre + ".dsk"), c.bytes);
  }
}

} // namespace Generador
