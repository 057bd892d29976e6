#include "cpm/Escritura.h"

#include "disk/CpcEmu.h"
#include "imagenes/Crudo.h"

#include <algorithm>
#include <string_view>

// A new disk, formatted as the machine's own format command leaves it.
namespace cpm {
namespace {

using namespace cpcemu;

constexpr std::uint8_t Relleno = 0xE5;
constexpr int MaxPistas = 85; // what a 3" or 3.5" drive steps to

// The fewest tracks a disk of the format is made with: its own, but for the
// +3's, whose disk description can tell any number.
int MinimoPistas(const Formato &f) { return f.nombre == "plus3" ? 2 : f.pistas; }
constexpr int MaxCaras = 2;

// How the machine formats one kind of disk.
struct Receta {
  std::vector<int> orden; // stored order of the sectors, as indexes from the first ID
  std::uint8_t gap = 0x52;
  bool descripcion = false; // +3/PCW: the disk description in track 0, sector 1
};

std::vector<int> Seguido(int n) {
  std::vector<int> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    v[static_cast<std::size_t>(i)] = i;
  }
  return v;
}

Receta RecetaDe(const Formato &f) {
  Receta r;
  // AMSDOS formats DATA and SYSTEM tracks with a 2:1 interleave and the
  // format gap &52; the IBM format's gap is &50. The +3 and the PCW lay their
  // sectors in order; so do we ROMDOS's, whose interleave no document we know
  // gives (the drive finds a sector by its ID wherever it lies).
  if (f.nombre == "data" || f.nombre == "system") {
    r.orden = {0, 5, 1, 6, 2, 7, 3, 8, 4};
  } else {
    r.orden = Seguido(f.sectoresPorPista);
  }
  if (f.nombre == "ibm") {
    r.gap = 0x50;
  }
  // Ten 512-byte sectors fill a 250 kbit/s track (6250 bytes) with a GAP#3
  // of 36 bytes at most; ROMDOS's D10 and D20 take &22.
  if (f.sectoresPorPista == 10) {
    r.gap = 0x22;
  }
  r.descripcion = DescribeSuGeometria(f);
  return r;
}

// The 16-byte disk description of a +3/PCW disk of these tracks and sides:
// 1 KB blocks while 255 of them cover the disk, else 2 KB (as the PCW's
// CF2DD disk has), with a catalogue of 64 or 256 entries.
std::array<std::uint8_t, 16> Descripcion(const Formato &f, int pistas, int caras) {
  const int sectores = (pistas * caras - f.reservadas) * f.sectoresPorPista;
  const bool grandes = sectores * f.tamanoSector / 1024 > 255;
  const bool plus3 = pistas == 40 && caras == 1;
  return {static_cast<std::uint8_t>(plus3 ? 0 : 3),
          static_cast<std::uint8_t>((caras == 2 ? 1 : 0) | (pistas > 50 ? 0x80 : 0)),
          static_cast<std::uint8_t>(pistas),
          static_cast<std::uint8_t>(f.sectoresPorPista),
          static_cast<std::uint8_t>(f.CodigoTamano()),
          static_cast<std::uint8_t>(f.reservadas),
          static_cast<std::uint8_t>(grandes ? 4 : 3),
          static_cast<std::uint8_t>(grandes ? 4 : 2),
          0x2A,
          0x52,
          0,
          0,
          0,
          0,
          0,
          0};
}

std::optional<Rechazo> Comprobar(const OpcionesNuevo &o, const std::optional<Formato> &f,
                                 int pistas, int caras) {
  if (!f) {
    return Rechazo{TipoRechazo::OpcionNoValida,
                   "No hay ningún formato llamado \"" + o.formato + "\""};
  }
  const int minimo = MinimoPistas(*f);
  if (pistas < minimo || pistas > MaxPistas) {
    return Rechazo{TipoRechazo::OpcionNoValida,
                   "El formato " + std::string(f->nombre) + " admite de " + std::to_string(minimo) +
                       " a " + std::to_string(MaxPistas) + " pistas, no " + std::to_string(pistas)};
  }
  if (caras < f->caras || caras > MaxCaras) {
    return Rechazo{TipoRechazo::OpcionNoValida, "El formato " + std::string(f->nombre) +
                                                    " no admite " + std::to_string(caras) +
                                                    (caras == 1 ? " cara" : " caras")};
  }
  return std::nullopt;
}

void Copiar(std::string_view texto, std::vector<std::uint8_t> &b, std::size_t pos,
            std::size_t largo) {
  std::copy_n(texto.begin(), std::min(texto.size(), largo), b.begin() + static_cast<long>(pos));
}

// One formatted track at `pos`: its Track-Info block and its sectors.
void FormatearPista(std::vector<std::uint8_t> &b, std::size_t pos, const Formato &f,
                    const Receta &r, bool extendida, int pista, int cara) {
  Copiar(FirmaPista, b, pos, FirmaPista.size());
  b[pos + PosPistaTI] = static_cast<std::uint8_t>(pista);
  b[pos + PosCaraTI] = static_cast<std::uint8_t>(cara);
  b[pos + PosCodigoTI] = static_cast<std::uint8_t>(f.CodigoTamano());
  b[pos + PosSectoresTI] = static_cast<std::uint8_t>(r.orden.size());
  b[pos + PosGapTI] = r.gap;
  b[pos + PosRellenoTI] = Relleno;
  for (std::size_t i = 0; i < r.orden.size(); ++i) {
    const std::size_t info = pos + PosListaTI + i * LargoInfoSector;
    b[info] = static_cast<std::uint8_t>(pista);
    b[info + 1] = static_cast<std::uint8_t>(cara);
    b[info + 2] = static_cast<std::uint8_t>(f.primerSector + r.orden[i]);
    b[info + 3] = static_cast<std::uint8_t>(f.CodigoTamano());
    // The stored length is the extended layout's; the standard one leaves it zero.
    if (extendida) {
      b[info + PosLongitudInfo] = static_cast<std::uint8_t>(f.tamanoSector & 0xFF);
      b[info + PosLongitudInfo + 1] = static_cast<std::uint8_t>(f.tamanoSector >> 8);
    }
  }
  std::fill(b.begin() + static_cast<long>(pos + TamanoTrackInfo),
            b.begin() +
                static_cast<long>(pos + TamanoTrackInfo +
                                  r.orden.size() * static_cast<std::size_t>(f.tamanoSector)),
            Relleno);
}

} // namespace

Escrito NuevoDisco(const OpcionesNuevo &o) {
  Escrito e;
  const std::optional<Formato> f = FormatoPorNombre(o.formato);
  const int pistas = o.pistas > 0 ? o.pistas : (f ? f->pistas : 0);
  const int caras = o.caras > 0 ? o.caras : (f ? f->caras : 0);
  if (auto r = Comprobar(o, f, pistas, caras)) {
    e.rechazo = std::move(r);
    return e;
  }
  const Receta receta = RecetaDe(*f);
  const std::size_t tamanoPista =
      TamanoTrackInfo + receta.orden.size() * static_cast<std::size_t>(f->tamanoSector);
  std::vector<std::uint8_t> &b = e.bytes;
  b.assign(TamanoDiskInfo + tamanoPista * static_cast<std::size_t>(pistas * caras), 0);
  Copiar(o.extendida ? FirmaExtendida : FirmaEstandar, b, 0, FirmaEstandar.size());
  const std::string creador = "Alcove " + o.version;
  Copiar(creador, b, PosCreador, LargoCreador);
  b[PosPistas] = static_cast<std::uint8_t>(pistas);
  b[PosCaras] = static_cast<std::uint8_t>(caras);
  if (o.extendida) {
    std::fill_n(b.begin() + PosTablaTamanos, pistas * caras,
                static_cast<std::uint8_t>(tamanoPista / 256));
  } else {
    b[PosTamanoPista] = static_cast<std::uint8_t>(tamanoPista & 0xFF);
    b[PosTamanoPista + 1] = static_cast<std::uint8_t>(tamanoPista >> 8);
  }
  // Cylinder by cylinder, both sides of one before the next, as both layouts store them.
  for (int i = 0; i < pistas * caras; ++i) {
    FormatearPista(b, TamanoDiskInfo + static_cast<std::size_t>(i) * tamanoPista, *f, receta,
                   o.extendida, i / caras, i % caras);
  }
  if (receta.descripcion) {
    const auto d = Descripcion(*f, pistas, caras);
    // Sector 1 is the first stored, right after track 0's Track-Info block.
    std::copy(d.begin(), d.end(), b.begin() + TamanoDiskInfo + TamanoTrackInfo);
  }
  return e;
}

imagenes::Geometria GeometriaDe(const Formato &f) {
  const Receta r = RecetaDe(f);
  imagenes::Geometria g;
  g.nombre = std::string(f.nombre);
  g.pistas = f.pistas;
  g.minPistas = MinimoPistas(f);
  g.maxPistas = MaxPistas;
  g.caras = f.caras;
  g.sectoresPorPista = f.sectoresPorPista;
  g.primerSector = f.primerSector;
  g.codigo = static_cast<std::uint8_t>(f.CodigoTamano());
  g.orden = r.orden;
  g.gap = r.gap;
  g.relleno = Relleno;
  return g;
}

} // namespace cpm
