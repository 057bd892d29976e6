#include "cpm/Superficie.h"

#include "Bytes.h"
#include "Dsk.h"

#include <algorithm>

namespace cpm {
namespace {

using namespace dsk;

constexpr std::size_t MaxTamanoExtendida = 255 * 256; // a track's size is one byte of 256s
constexpr std::size_t MaxTamanoEstandar = 0xFFFF;     // the header's 16-bit track size

std::size_t Nominal(std::uint8_t n) { return std::size_t{128} << std::min<std::uint8_t>(n, 8); }

void Poner16(std::vector<std::uint8_t> &b, std::size_t pos, std::size_t valor) {
  b[pos] = static_cast<std::uint8_t>(valor & 0xFF);
  b[pos + 1] = static_cast<std::uint8_t>((valor >> 8) & 0xFF);
}

void PonerTexto(std::vector<std::uint8_t> &b, std::size_t pos, std::string_view texto) {
  std::copy(texto.begin(), texto.end(), b.begin() + static_cast<std::ptrdiff_t>(pos));
}

std::vector<std::uint8_t> DiskInfo(const Superficie &s, std::string_view firma) {
  std::vector<std::uint8_t> b(TamanoDiskInfo, 0);
  PonerTexto(b, PosFirma, firma);
  std::copy(s.creador.begin(), s.creador.end(), b.begin() + PosCreador);
  b[PosPistas] = static_cast<std::uint8_t>(s.pistas);
  b[PosCaras] = static_cast<std::uint8_t>(s.caras);
  return b;
}

// A Track-Info block for `sectores` sectors, its list filled but for the
// stored lengths, padded to where the data starts.
std::vector<std::uint8_t> TrackInfo(const PistaSuperficie &p, std::size_t sectores,
                                    std::uint8_t codigo) {
  std::vector<std::uint8_t> b(InicioDatos(sectores), 0);
  PonerTexto(b, 0, FirmaPista);
  b[PosPistaTI] = p.pistaCabecera;
  b[PosCaraTI] = p.caraCabecera;
  b[PosTasaTI] = p.tasa;
  b[PosGrabacionTI] = p.grabacion;
  b[PosCodigoTI] = codigo;
  b[PosSectoresTI] = static_cast<std::uint8_t>(sectores);
  b[PosGapTI] = p.gap;
  b[PosRellenoTI] = p.relleno;
  for (std::size_t i = 0; i < sectores; ++i) {
    const SectorSuperficie &x = p.sectores[i];
    const std::size_t info = PosListaTI + i * LargoInfoSector;
    b[info] = x.c;
    b[info + 1] = x.h;
    b[info + 2] = x.r;
    b[info + 3] = x.n;
    b[info + 4] = x.st1;
    b[info + 5] = x.st2;
  }
  return b;
}

bool GeometriaCabe(const Superficie &s, std::string *error) {
  const auto entradas = static_cast<std::size_t>(s.pistas) * static_cast<std::size_t>(s.caras);
  if (s.pistas < 1 || s.pistas > 255 || s.caras < 1 || s.caras > 2 || entradas > MaxEntradasTabla) {
    if (error != nullptr) {
      *error = "una imagen DSK guarda hasta " + std::to_string(MaxEntradasTabla) +
               " pistas entre las dos caras, y este disco tiene " + std::to_string(s.pistas) +
               " pistas y " + std::to_string(s.caras) + (s.caras == 1 ? " cara" : " caras");
    }
    return false;
  }
  return true;
}

} // namespace

// The extended layout's track: each sector's bytes as they are, the last ones
// cut when the track would not fit its one-byte size.
std::vector<std::uint8_t> PistaExtendida(const PistaSuperficie &p) {
  const std::size_t cuenta = std::min(p.sectores.size(), MaxSectores);
  std::vector<std::uint8_t> b = TrackInfo(p, cuenta, p.codigoTamano);
  for (std::size_t i = 0; i < cuenta; ++i) {
    const auto &datos = p.sectores[i].datos;
    const std::size_t cabe = MaxTamanoExtendida - std::min(MaxTamanoExtendida, b.size());
    const std::size_t largo = std::min({datos.size(), cabe, std::size_t{0xFFFF}});
    Poner16(b, PosListaTI + i * LargoInfoSector + PosLongitudInfo, largo);
    b.insert(b.end(), datos.begin(), datos.begin() + static_cast<std::ptrdiff_t>(largo));
  }
  b.resize((b.size() + 255) / 256 * 256, 0);
  return b;
}

namespace {

// The size code a standard track stores its sectors with: their own when they
// agree, else the smallest that holds the longest first copy.
std::uint8_t CodigoEstandar(const PistaSuperficie &p) {
  if (p.sectores.empty()) {
    return p.codigoTamano;
  }
  std::size_t mayor = 0;
  for (const SectorSuperficie &x : p.sectores) {
    mayor = std::max(mayor, std::min(x.datos.size(), x.LongitudNominal()));
  }
  const std::uint8_t primero = p.sectores.front().n;
  const bool iguales = std::all_of(p.sectores.begin(), p.sectores.end(),
                                   [&](const SectorSuperficie &x) { return x.n == primero; });
  if (iguales && mayor <= Nominal(primero)) {
    return std::min<std::uint8_t>(primero, 8);
  }
  std::uint8_t codigo = 0;
  while (codigo < 8 && Nominal(codigo) < mayor) {
    ++codigo;
  }
  return codigo;
}

} // namespace

std::vector<std::uint8_t> PistaEstandar(const PistaSuperficie &p) {
  const std::size_t cuenta = std::min(p.sectores.size(), MaxSectores);
  const std::uint8_t codigo = CodigoEstandar(p);
  std::vector<std::uint8_t> b = TrackInfo(p, cuenta, codigo);
  const std::size_t largo = Nominal(codigo);
  for (std::size_t i = 0; i < cuenta; ++i) {
    // The first copy; what is missing of it is the track's filler.
    const auto &datos = p.sectores[i].datos;
    const std::size_t tomados = std::min(datos.size(), largo);
    b.insert(b.end(), datos.begin(), datos.begin() + static_cast<std::ptrdiff_t>(tomados));
    b.insert(b.end(), largo - tomados, p.relleno);
  }
  return b;
}

std::size_t SectorSuperficie::LongitudNominal() const { return Nominal(n); }

const PistaSuperficie *Superficie::Pista(int pista, int cara) const {
  if (pista < 0 || cara < 0 || pista >= pistas || cara >= caras) {
    return nullptr;
  }
  const auto i = static_cast<std::size_t>(pista * caras + cara);
  return i < pistasCaras.size() ? &pistasCaras[i] : nullptr;
}

Superficie DesdeContenedor(const Contenedor &disco) {
  Superficie s;
  s.pistas = disco.pistas;
  s.caras = disco.caras;
  const auto creador = bytes::Tramo(disco.bytes, PosCreador, LargoCreador);
  std::copy(creador.begin(), creador.end(), s.creador.begin());
  s.pistasCaras.resize(static_cast<std::size_t>(std::max(0, s.pistas * s.caras)));
  for (const Pista &p : disco.pistasLeidas) {
    PistaSuperficie &q = s.pistasCaras[static_cast<std::size_t>(p.pista * s.caras + p.cara)];
    q.formateada = p.formateada;
    q.pistaCabecera = p.pistaCabecera;
    q.caraCabecera = p.caraCabecera;
    q.codigoTamano = p.codigoTamano;
    q.gap = p.gap;
    q.relleno = p.relleno;
    if (p.formateada) {
      const auto info = bytes::Tramo(disco.bytes, p.desplazamiento, PosListaTI);
      q.tasa = info.size() > PosTasaTI ? info[PosTasaTI] : 0;
      q.grabacion = info.size() > PosGrabacionTI ? info[PosGrabacionTI] : 0;
    }
    q.sectores.reserve(p.sectores.size());
    for (const Sector &x : p.sectores) {
      SectorSuperficie &y = q.sectores.emplace_back();
      y.c = x.c;
      y.h = x.h;
      y.r = x.r;
      y.n = x.n;
      y.st1 = x.st1;
      y.st2 = x.st2;
      y.copias = x.copias;
      const auto datos = BytesGuardados(disco, x);
      y.datos.assign(datos.begin(), datos.end());
    }
  }
  if (disco.bytesSobrantes > 0) {
    const auto resto = disco.bytes.last(disco.bytesSobrantes);
    s.sobrantes.assign(resto.begin(), resto.end());
  }
  return s;
}

std::optional<std::vector<std::uint8_t>> EscribirExtendida(const Superficie &s,
                                                           std::string *error) {
  if (!GeometriaCabe(s, error)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> b = DiskInfo(s, FirmaExtendida);
  for (int i = 0; i < s.pistas * s.caras; ++i) {
    const PistaSuperficie *p = s.Pista(i / s.caras, i % s.caras);
    if (p == nullptr || !p->formateada) {
      continue; // size 0 in the table: unformatted
    }
    const std::vector<std::uint8_t> pista = PistaExtendida(*p);
    b[PosTablaTamanos + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(pista.size() / 256);
    b.insert(b.end(), pista.begin(), pista.end());
  }
  b.insert(b.end(), s.sobrantes.begin(), s.sobrantes.end());
  return b;
}

std::optional<std::vector<std::uint8_t>> EscribirEstandar(const Superficie &s, std::string *error) {
  if (!GeometriaCabe(s, error)) {
    return std::nullopt;
  }
  // One size for every track: the largest one's. An unformatted track becomes
  // a Track-Info block without sectors, which a drive reads alike.
  std::vector<std::vector<std::uint8_t>> pistas;
  std::size_t tamano = TamanoTrackInfo;
  for (int i = 0; i < s.pistas * s.caras; ++i) {
    const PistaSuperficie *p = s.Pista(i / s.caras, i % s.caras);
    PistaSuperficie vacia;
    vacia.formateada = true;
    vacia.pistaCabecera = static_cast<std::uint8_t>(i / s.caras);
    vacia.caraCabecera = static_cast<std::uint8_t>(i % s.caras);
    pistas.push_back(PistaEstandar(p != nullptr && p->formateada ? *p : vacia));
    tamano = std::max(tamano, pistas.back().size());
  }
  if (tamano > MaxTamanoEstandar) {
    if (error != nullptr) {
      *error = "la disposición estándar guarda pistas de hasta " +
               std::to_string(MaxTamanoEstandar) + " bytes, y este disco tiene una de " +
               std::to_string(tamano);
    }
    return std::nullopt;
  }
  std::vector<std::uint8_t> b = DiskInfo(s, FirmaEstandar);
  Poner16(b, PosTamanoPista, tamano);
  for (std::vector<std::uint8_t> &pista : pistas) {
    pista.resize(tamano, 0);
    b.insert(b.end(), pista.begin(), pista.end());
  }
  return b;
}

std::array<std::uint8_t, LargoCreador> CampoCreador(std::string_view texto) {
  std::array<std::uint8_t, LargoCreador> campo{};
  campo.fill(' ');
  std::copy_n(texto.begin(), std::min(texto.size(), campo.size()), campo.begin());
  return campo;
}

bool CreadorVacio(const std::array<std::uint8_t, LargoCreador> &creador) {
  return std::all_of(creador.begin(), creador.end(),
                     [](std::uint8_t c) { return c == ' ' || c == 0; });
}

} // namespace cpm
