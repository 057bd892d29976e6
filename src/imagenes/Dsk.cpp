#include "imagenes/Dsk.h"

#include "disk/CpcEmu.h"
#include "imagenes/Bytes.h"
#include "platform/Errores.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>
#include <tuple>

// The two CPCEMU layouts: read as tracks and sectors over the file's bytes
// (the Contenedor the file system reads), and written from a Superficie.
namespace imagenes {
namespace {

using namespace cpcemu;

constexpr int MaxCaras = 2;

// ST1 bit 5 and ST2 bit 5: data error (bad CRC) when the disk was read.
constexpr std::uint8_t ErrorDatos = 0x20;

bool Empieza(std::span<const std::uint8_t> b, std::string_view prefijo) {
  return b.size() >= prefijo.size() && std::equal(prefijo.begin(), prefijo.end(), b.begin());
}

// A header text for a message: line ends and other control bytes become
// blanks, runs of blanks one.
std::string EnUnaLinea(const std::string &texto) {
  std::string t;
  for (const char c : texto) {
    const bool blanco = static_cast<unsigned char>(c) < 0x20 || c == ' ';
    if (!blanco) {
      t += static_cast<unsigned char>(c) < 0x7F ? c : '?';
    } else if (!t.empty() && t.back() != ' ') {
      t += ' ';
    }
  }
  while (!t.empty() && t.back() == ' ') {
    t.pop_back();
  }
  return t;
}

// "1 pista", "2 pistas".
std::string Cuenta(std::size_t n, const char *uno, const char *varios) {
  return std::to_string(n) + " " + (n == 1 ? uno : varios);
}

void Anotar(Contenedor &d, TipoProblema tipo, std::string texto, Lugar lugar) {
  d.problemas.push_back({tipo, std::move(texto), lugar});
}

std::size_t Nominal(std::uint8_t n) { return std::size_t{128} << std::min<std::uint8_t>(n, 8); }

// The sector list of a Track-Info block and the sectors' bytes after it.
void LeerSectores(Contenedor &d, Pista &p, std::span<const std::uint8_t> pista) {
  const std::size_t caben = (pista.size() - std::min(pista.size(), PosListaTI)) / LargoInfoSector;
  std::size_t cuenta = std::min<std::size_t>(p.sectoresDeclarados, MaxSectores);
  if (cuenta > caben) {
    Anotar(d, TipoProblema::SectoresDeMas,
           "La lista de sectores de la " + TextoPista(p.pista, p.cara) + " no cabe en la pista",
           {p.pista, p.cara, -1, -1, -1, static_cast<long long>(p.desplazamiento)});
    cuenta = caben;
  }
  std::size_t pos = InicioDatos(cuenta);
  p.sectores.reserve(cuenta);
  // The IDs met so far on this track, one bit each.
  std::array<std::uint64_t, 4> vistos{};
  for (std::size_t i = 0; i < cuenta; ++i) {
    const auto info = pista.subspan(PosListaTI + i * LargoInfoSector, LargoInfoSector);
    Sector &s = p.sectores.emplace_back();
    s.c = info[0];
    s.h = info[1];
    s.r = info[2];
    s.n = info[3];
    s.st1 = info[4];
    s.st2 = info[5];
    const std::size_t nominal = Nominal(s.n);
    if (d.disposicion == Disposicion::Extendida) {
      s.longitudGuardada = bytes::Le16(info, 6);
    } else {
      s.longitudGuardada = Nominal(p.codigoTamano);
    }
    // A weak sector (copy protection) is stored as several copies one after another.
    if (d.disposicion == Disposicion::Extendida && s.longitudGuardada > nominal &&
        s.longitudGuardada % nominal == 0) {
      s.copias = static_cast<int>(s.longitudGuardada / nominal);
    }
    const std::size_t copia = s.copias > 1 ? nominal : s.longitudGuardada;
    s.desplazamiento = p.desplazamiento + pos;
    s.datos = bytes::Tramo(pista, pos, std::min(copia, nominal));
    const auto lugar = [&] {
      return Lugar{p.pista, p.cara, s.r, -1, -1, static_cast<long long>(s.desplazamiento)};
    };
    if (s.copias > 1) {
      Anotar(d, TipoProblema::SectorDebil,
             "El sector " + TextoId(s.r) + " de la " + TextoPista(p.pista, p.cara) + " tiene " +
                 std::to_string(s.copias) + " copias; se usa la primera",
             lugar());
    }
    if (s.datos.size() < std::min(copia, nominal)) {
      Anotar(d, TipoProblema::SectorCorto,
             "El sector " + TextoId(s.r) + " de la " + TextoPista(p.pista, p.cara) +
                 " está cortado por el final de la pista o del archivo",
             lugar());
    }
    if (s.LongitudRara()) {
      Anotar(d, TipoProblema::LongitudGuardadaDistinta,
             "El sector " + TextoId(s.r) + " de la " + TextoPista(p.pista, p.cara) + " guarda " +
                 Cuenta(s.longitudGuardada, "byte", "bytes") + " y su código de tamaño (N=" +
                 std::to_string(s.n) + ") da " + std::to_string(nominal),
             lugar());
    }
    if ((s.st1 & ErrorDatos) != 0 || (s.st2 & ErrorDatos) != 0) {
      Anotar(d, TipoProblema::SectorError,
             "El sector " + TextoId(s.r) + " de la " + TextoPista(p.pista, p.cara) +
                 " se leyó con error de datos al hacer la imagen",
             lugar());
    }
    const std::uint64_t bit = std::uint64_t{1} << (s.r % 64);
    if ((vistos[s.r / 64] & bit) != 0) {
      Anotar(d, TipoProblema::SectorRepetido,
             "El sector " + TextoId(s.r) + " aparece dos veces en la " +
                 TextoPista(p.pista, p.cara) + "; se usa el primero",
             lugar());
    }
    vistos[s.r / 64] |= bit;
    pos += s.longitudGuardada;
  }
}

void LeerPista(Contenedor &d, Pista &p) {
  const auto pista = bytes::Tramo(d.bytes, p.desplazamiento, p.tamano);
  p.disponibles = pista.size();
  const Lugar lugar{p.pista, p.cara, -1, -1, -1, static_cast<long long>(p.desplazamiento)};
  if (pista.empty()) {
    Anotar(d, TipoProblema::PistaAusente,
           "Falta la " + TextoPista(p.pista, p.cara) + " en el archivo", lugar);
    return;
  }
  if (pista.size() < p.tamano) {
    Anotar(d, TipoProblema::PistaCorta,
           "La " + TextoPista(p.pista, p.cara) + " está cortada por el final del archivo", lugar);
  }
  if (pista.size() < PosListaTI || !Empieza(pista, InicioPista)) {
    Anotar(d, TipoProblema::PistaSinFirma,
           "La " + TextoPista(p.pista, p.cara) + " no empieza por \"Track-Info\"", lugar);
    return;
  }
  p.formateada = true;
  p.pistaCabecera = pista[PosPistaTI];
  p.caraCabecera = pista[PosCaraTI];
  p.codigoTamano = pista[PosCodigoTI];
  p.sectoresDeclarados = pista[PosSectoresTI];
  p.gap = pista[PosGapTI];
  p.relleno = pista[PosRellenoTI];
  if (p.pistaCabecera != p.pista || p.caraCabecera != p.cara) {
    Anotar(d, TipoProblema::PistaNumeroDistinto,
           "La " + TextoPista(p.pista, p.cara) + " se llama a sí misma pista " +
               std::to_string(p.pistaCabecera) + ", cara " + std::to_string(p.caraCabecera),
           lugar);
  }
  LeerSectores(d, p, pista);
}

bool LeerDiskInfo(Contenedor &d) {
  const auto b = d.bytes;
  if (Empieza(b, InicioEstandar)) {
    d.disposicion = Disposicion::Estandar;
  } else if (Empieza(b, InicioExtendida)) {
    d.disposicion = Disposicion::Extendida;
  } else {
    Anotar(d, TipoProblema::FirmaDesconocida,
           "El archivo no empieza por \"MV - CPC\" ni por \"EXTENDED\"", {});
    return false;
  }
  if (b.size() < TamanoDiskInfo) {
    Anotar(d, TipoProblema::CabeceraCorta, "El archivo es más corto que la cabecera del disco", {});
    return false;
  }
  d.tipo = NombreDisposicion(d.disposicion);
  d.firmaBytes = b.subspan(PosFirma, LargoFirma);
  d.creadorBytes = b.subspan(PosCreador, LargoCreador);
  d.firma = TextoCampo(d.firmaBytes);
  const std::string_view entera =
      d.disposicion == Disposicion::Estandar ? FirmaEstandar : FirmaExtendida;
  if (!Empieza(b, entera)) {
    Anotar(d, TipoProblema::FirmaRara,
           "La firma \"" + EnUnaLinea(d.firma) + "\" no es la entera de la disposición (\"" +
               EnUnaLinea(std::string(entera)) + "\"): la escribió un programa antiguo o raro",
           {-1, -1, -1, -1, -1, static_cast<long long>(PosFirma)});
  }
  d.creador = TextoCampo(d.creadorBytes);
  d.pistas = b[PosPistas];
  d.caras = b[PosCaras];
  const auto entradas = static_cast<std::size_t>(d.pistas) * static_cast<std::size_t>(d.caras);
  if (d.pistas == 0 || d.caras == 0 || d.caras > MaxCaras || entradas > MaxEntradasTabla) {
    Anotar(d, TipoProblema::GeometriaInvalida,
           "La cabecera da " + Cuenta(static_cast<std::size_t>(d.pistas), "pista", "pistas") +
               " y " + Cuenta(static_cast<std::size_t>(d.caras), "cara", "caras"),
           {});
    return false;
  }
  if (d.disposicion == Disposicion::Estandar) {
    d.tamanoPista = bytes::Le16(b, PosTamanoPista);
    if (d.tamanoPista < TamanoTrackInfo) {
      Anotar(d, TipoProblema::GeometriaInvalida,
             "La cabecera da pistas de " + std::to_string(d.tamanoPista) + " bytes", {});
      return false;
    }
  } else {
    d.tamanos.reserve(entradas);
    for (std::size_t i = 0; i < entradas; ++i) {
      d.tamanos.push_back(std::size_t{b[PosTablaTamanos + i]} * 256);
    }
  }
  return true;
}

} // namespace

std::size_t Sector::LongitudNominal() const { return Nominal(n); }

bool Sector::LongitudRara() const {
  // A weak sector stores its copies one after another: that length is expected.
  const bool copiasExactas = copias > 1 && longitudGuardada == LongitudNominal() * copias;
  return longitudGuardada != LongitudNominal() && !copiasExactas;
}

namespace {

// What a track's Track-Info block and its sectors take in the file, by its
// own sector list; 0 when no Track-Info block starts at `pos`.
std::size_t TamanoPorSectores(const Contenedor &d, std::size_t pos) {
  const auto info = bytes::Tramo(d.bytes, pos, TamanoTrackInfo);
  if (info.size() < PosListaTI || !Empieza(info, FirmaPista)) {
    return 0;
  }
  const std::size_t cuenta = info[PosSectoresTI];
  std::size_t tamano = InicioDatos(cuenta);
  const auto lista = bytes::Tramo(d.bytes, pos, tamano);
  if (lista.size() < PosListaTI + cuenta * LargoInfoSector) {
    return 0;
  }
  for (std::size_t i = 0; i < cuenta; ++i) {
    tamano += d.disposicion == Disposicion::Extendida
                  ? bytes::Le16(lista, PosListaTI + i * LargoInfoSector + PosLongitudInfo)
                  : Nominal(info[PosCodigoTI]);
  }
  return d.disposicion == Disposicion::Extendida ? (tamano + 255) / 256 * 256 : tamano;
}

bool HayTrackInfo(const Contenedor &d, std::size_t pos) {
  return Empieza(bytes::Tramo(d.bytes, pos, FirmaPista.size()), FirmaPista);
}

// The standard layout's one size, when every track lies at it: the first
// track's own size, or the file's length shared by the tracks.
std::vector<std::size_t> EstandarPorSectores(const Contenedor &d, std::size_t total) {
  const std::size_t datos = d.bytes.size() - std::min(d.bytes.size(), TamanoDiskInfo);
  const std::array<std::size_t, 2> candidatos{TamanoPorSectores(d, TamanoDiskInfo),
                                              datos % total == 0 ? datos / total : 0};
  for (const std::size_t t : candidatos) {
    if (t < TamanoTrackInfo || t > 0xFFFF || t == d.tamanoPista) {
      continue;
    }
    bool todas = true;
    for (std::size_t i = 0; i < total && todas; ++i) {
      const std::size_t pos = TamanoDiskInfo + i * t;
      const std::size_t propio = pos + t <= d.bytes.size() ? TamanoPorSectores(d, pos) : 0;
      todas = propio > 0 && propio <= t;
    }
    if (todas) {
      return std::vector<std::size_t>(total, t);
    }
  }
  return {};
}

// The extended layout's tracks one after another: each at the table's size
// when the next track (or the file's end) is found there, else at what its
// sectors take. Tracks the table leaves unformatted stay so.
std::vector<std::size_t> ExtendidaPorSectores(const Contenedor &d, std::size_t total) {
  std::vector<std::size_t> tamanos;
  std::size_t pos = TamanoDiskInfo;
  for (std::size_t i = 0; i < total; ++i) {
    const std::size_t tabla = d.tamanos[i];
    if (tabla == 0) {
      tamanos.push_back(0);
      continue;
    }
    const std::size_t propio = TamanoPorSectores(d, pos);
    if (propio == 0 || propio > 255 * 256) {
      return {};
    }
    // Where the next track the table formats must start, if any.
    std::size_t j = i + 1;
    while (j < total && d.tamanos[j] == 0) {
      ++j;
    }
    const auto llega = [&](std::size_t t) {
      return pos + t <= d.bytes.size() && (j == total || HayTrackInfo(d, pos + t));
    };
    const std::size_t t = llega(tabla) ? tabla : llega(propio) ? propio : 0;
    if (t == 0) {
      return {};
    }
    tamanos.push_back(t);
    pos += t;
  }
  return tamanos;
}

// When reading by the header leaves tracks unfound, whether they are all
// found by their own sizes: the header's sizes are then what is wrong.
void BuscarPorSectores(Contenedor &d) {
  const bool descolocadas =
      std::any_of(d.problemas.begin(), d.problemas.end(), [](const Problema &p) {
        return p.tipo == TipoProblema::PistaSinFirma || p.tipo == TipoProblema::PistaCorta ||
               p.tipo == TipoProblema::PistaAusente || p.tipo == TipoProblema::BytesSobrantes;
      });
  const auto total = static_cast<std::size_t>(d.pistas * d.caras);
  if (!descolocadas || total == 0) {
    return;
  }
  std::vector<std::size_t> tamanos = d.disposicion == Disposicion::Estandar
                                         ? EstandarPorSectores(d, total)
                                         : ExtendidaPorSectores(d, total);
  if (tamanos.empty() || (d.disposicion == Disposicion::Extendida && tamanos == d.tamanos)) {
    return;
  }
  if (d.disposicion == Disposicion::Estandar) {
    Anotar(d, TipoProblema::TamanoPistaDistinto,
           "La cabecera da pistas de " + std::to_string(d.tamanoPista) +
               " bytes, y en el archivo ocupan " + std::to_string(tamanos.front()),
           {-1, -1, -1, -1, -1, static_cast<long long>(PosTamanoPista)});
  } else {
    for (std::size_t i = 0; i < total; ++i) {
      if (tamanos[i] == d.tamanos[i]) {
        continue;
      }
      const int pista = static_cast<int>(i) / d.caras, cara = static_cast<int>(i) % d.caras;
      Anotar(d, TipoProblema::TamanoPistaDistinto,
             "La tabla de la cabecera da " + std::to_string(d.tamanos[i]) + " bytes a la " +
                 TextoPista(pista, cara) + ", y en el archivo ocupa " + std::to_string(tamanos[i]),
             {pista, cara, -1, -1, -1, static_cast<long long>(PosTablaTamanos + i)});
    }
  }
  d.tamanosPorSectores = std::move(tamanos);
}

} // namespace

namespace {

// The header, then the tracks in file order; with `soloEnteras`, up to the
// first track the bytes do not hold whole.
Contenedor Leer(std::span<const std::uint8_t> bytes, bool soloEnteras) {
  Contenedor d;
  d.bytes = bytes;
  d.tamanoArchivo = bytes.size();
  if (!LeerDiskInfo(d)) {
    return d;
  }
  d.valido = true;
  std::size_t pos = TamanoDiskInfo;
  d.pistasLeidas.reserve(static_cast<std::size_t>(d.pistas * d.caras));
  for (int i = 0; i < d.pistas * d.caras; ++i) {
    Pista p;
    p.pista = i / d.caras;
    p.cara = i % d.caras;
    p.desplazamiento = pos;
    p.tamano = d.disposicion == Disposicion::Estandar ? d.tamanoPista
                                                      : d.tamanos[static_cast<std::size_t>(i)];
    if (soloEnteras && p.tamano > bytes.size() - pos) {
      d.faltanPistas = true;
      return d;
    }
    if (p.tamano > 0) {
      LeerPista(d, p);
    }
    pos += p.tamano;
    d.pistasLeidas.push_back(std::move(p));
  }
  if (pos < bytes.size() && !soloEnteras) {
    d.bytesSobrantes = bytes.size() - pos;
    Anotar(d, TipoProblema::BytesSobrantes,
           "Hay " + Cuenta(d.bytesSobrantes, "byte", "bytes") + " después de la última pista",
           {-1, -1, -1, -1, -1, static_cast<long long>(pos)});
  }
  if (!soloEnteras) {
    BuscarPorSectores(d);
  }
  return d;
}

} // namespace

Contenedor LeerContenedor(std::span<const std::uint8_t> bytes) { return Leer(bytes, false); }

Contenedor LeerPrincipioContenedor(std::span<const std::uint8_t> principio) {
  return Leer(principio, true);
}

const Pista *BuscarPista(const Contenedor &disco, int pista, int cara) {
  if (pista < 0 || cara < 0 || pista >= disco.pistas || cara >= disco.caras) {
    return nullptr;
  }
  const auto i = static_cast<std::size_t>(pista * disco.caras + cara);
  return i < disco.pistasLeidas.size() ? &disco.pistasLeidas[i] : nullptr;
}

const Sector *BuscarSector(const Contenedor &disco, int pista, int cara, std::uint8_t id) {
  const Pista *p = BuscarPista(disco, pista, cara);
  if (p == nullptr) {
    return nullptr;
  }
  for (const Sector &s : p->sectores) {
    if (s.r == id) {
      return &s;
    }
  }
  return nullptr;
}

std::span<const std::uint8_t> BytesGuardados(const Contenedor &disco, const Sector &sector) {
  // A standard track stores every sector at its own size code's length:
  // past the sector's own 128 << N, that is padding.
  const std::size_t largo = disco.disposicion == Disposicion::Estandar
                                ? std::min(sector.longitudGuardada, sector.LongitudNominal())
                                : sector.longitudGuardada;
  return bytes::Tramo(disco.bytes, sector.desplazamiento, largo);
}

std::string TextoCampo(std::span<const std::uint8_t> b) {
  std::string t(b.begin(), b.end());
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) {
    t.pop_back();
  }
  return t;
}

std::string MotivoNoDsk(const Contenedor &disco) {
  std::string motivo = "no es una imagen de disco CPCEMU";
  if (!disco.problemas.empty()) {
    motivo += ": " + Errores::TrasDosPuntos(disco.problemas.front().texto);
  }
  return motivo;
}

std::string_view NombreDisposicion(Disposicion disposicion) {
  return disposicion == Disposicion::Estandar ? NombreEstandar : NombreExtendida;
}

// ---------------------------------------------------------------------------
// Writing.

namespace {

constexpr std::size_t MaxTamanoExtendida = 255 * 256; // a track's size is one byte of 256s
constexpr std::size_t MaxTamanoEstandar = 0xFFFF;     // the header's 16-bit track size

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

Superficie DesdeContenedor(const Contenedor &disco) {
  Superficie s;
  s.pistas = disco.pistas;
  s.caras = disco.caras;
  const auto creador = bytes::Tramo(disco.bytes, PosCreador, LargoCreador);
  std::copy(creador.begin(), creador.end(), s.creador.begin());
  s.pistasCaras.resize(static_cast<std::size_t>(std::max(0, s.pistas * s.caras)));
  for (const Pista &p : disco.pistasLeidas) {
    PistaSuperficie &q = s.pistasCaras[static_cast<std::size_t>(p.pista * s.caras + p.cara)];
    static_cast<CabeceraPista &>(q) = p;
    if (p.formateada) {
      const auto info = bytes::Tramo(disco.bytes, p.desplazamiento, PosListaTI);
      q.tasa = info.size() > PosTasaTI ? info[PosTasaTI] : 0;
      q.grabacion = info.size() > PosGrabacionTI ? info[PosGrabacionTI] : 0;
    }
    q.sectores.reserve(p.sectores.size());
    for (const Sector &x : p.sectores) {
      SectorSuperficie &y = q.sectores.emplace_back();
      static_cast<IdSector &>(y) = x;
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

Lectura LeerDsk(std::span<const std::uint8_t> bytes) {
  Lectura r;
  const Contenedor c = LeerContenedor(bytes);
  r.problemas = c.problemas;
  if (!c.valido) {
    r.error = MotivoNoDsk(c);
    return r;
  }
  r.disco = DesdeContenedor(c);
  return r;
}

// What the standard layout cannot hold though its reading gives it back: it
// gives every sector of a track one stored length, 128 << N of the track's
// size code, so each sector must be stored at exactly its own N's length and
// all of a track's share that N. Other tools read such a track differently.
void LimitesEstandar(const Superficie &s, std::vector<Diferencia> &perdidas) {
  std::set<std::tuple<int, int, int>> dichos;
  for (const Diferencia &d : perdidas) {
    dichos.insert({d.pista, d.cara, d.sector});
  }
  for (int t = 0; t < s.pistas; ++t) {
    for (int c = 0; c < s.caras; ++c) {
      const PistaSuperficie *p = s.Pista(t, c);
      if (p == nullptr || p->sectores.empty()) {
        continue;
      }
      const std::uint8_t n = p->sectores.front().n;
      for (const SectorSuperficie &x : p->sectores) {
        if (dichos.count({t, c, x.r}) != 0) {
          continue;
        }
        std::string por;
        if (x.datos.size() != x.LongitudNominal()) {
          por = "guarda " + std::to_string(x.datos.size()) +
                " bytes y su N=" + std::to_string(x.n) + " pide " +
                std::to_string(x.LongitudNominal());
        } else if (x.n != n) {
          por =
              "tiene N=" + std::to_string(x.n) + " y el primero de la pista N=" + std::to_string(n);
        }
        if (!por.empty()) {
          perdidas.push_back({t, c, x.r,
                              TextoPista(t, c) + ", sector " + TextoId(x.r) + ": " + por +
                                  "; la disposición estándar da a todos los sectores de una "
                                  "pista la misma longitud"});
        }
      }
    }
  }
}

} // namespace imagenes
