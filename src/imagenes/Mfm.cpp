#include "imagenes/Mfm.h"

#include "disk/CpcEmu.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

// The track as the uPD765 formats it in MFM (its data sheet, the IBM System 34
// layout): GAP 4a of 80 &4E, 12 &00, the index mark C2 C2 C2 FC, GAP 1 of 50
// &4E; each sector 12 &00, A1 A1 A1 FE, C H R N and their CRC, GAP 2 of 22
// &4E, 12 &00, A1 A1 A1 FB (F8 deleted), the data and their CRC, GAP 3; &4E to
// the index. A1 and C2 are written with one clock bit missing (cells 4489 and
// 5224), which no data byte makes: that is how the FDC finds a mark.
namespace imagenes::mfm {
namespace {

constexpr std::size_t Gap4a = 80, Sincronia = 12, Gap1 = 50, Gap2 = 22;
constexpr std::size_t GapMinimo = 1;
constexpr std::uint8_t RellenoGap = 0x4E;
constexpr std::uint8_t A1 = 0xA1, C2 = 0xC2;
constexpr std::uint8_t SinRelojA1 = 0x04, SinRelojC2 = 0x08; // the data bit whose clock is left out
constexpr std::uint8_t MarcaIndice = 0xFC, MarcaId = 0xFE, MarcaDatos = 0xFB, MarcaBorrados = 0xF8;
constexpr std::uint16_t CeldasA1 = 0x4489;
constexpr std::size_t CeldasByte = CeldasPorByte;
// The FDC gives up on a data field this many bytes after the ID field's end.
constexpr std::size_t VentanaDatos = 60;

// FDC status bits.
constexpr std::uint8_t St1FaltaMarca = 0x01, St1ErrorDatos = 0x20;
constexpr std::uint8_t St2FaltaMarcaDatos = 0x01, St2ErrorDatos = 0x20, St2MarcaBorrado = 0x40;

std::uint16_t Be16(const std::vector<std::uint8_t> &b, std::size_t pos) {
  return static_cast<std::uint16_t>((b[pos] << 8) | b[pos + 1]);
}

// Each byte with its bits in the other order.
const std::array<std::uint8_t, 256> &Invertidos() {
  static const std::array<std::uint8_t, 256> tabla = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
      unsigned r = 0;
      for (unsigned i = 0; i < 8; ++i) {
        r |= ((b >> i) & 1u) << (7 - i);
      }
      t[b] = static_cast<std::uint8_t>(r);
    }
    return t;
  }();
  return tabla;
}

// One side's cells, encoded byte by byte, the first cell in bit 0 of a byte
// (given in the order asked for by Tomar); nothing is added past `limite`
// decoded bytes.
class Codificador {
public:
  explicit Codificador(std::size_t limite) : limite_(limite * CeldasByte) {}

  // One byte: 16 cells, each data bit after its clock, which is 1 only
  // between two 0 bits (and left out where `sinReloj` says). Every byte is
  // two file bytes, the first cell in bit 0.
  void Byte(std::uint8_t valor, std::uint8_t sinReloj = 0) {
    if (Lleno()) {
      return;
    }
    const unsigned celdas = sinReloj == 0 ? Tabla()[(anterior_ ? 256u : 0u) | valor]
                                          : CeldasDe(valor, sinReloj, anterior_);
    anterior_ = (valor & 1) != 0;
    bytes_.push_back(static_cast<std::uint8_t>(celdas & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(celdas >> 8));
    celdas_ += CeldasByte;
  }
  void Repetir(std::size_t veces, std::uint8_t valor) {
    for (std::size_t i = 0; i < veces && !Lleno(); ++i) {
      Byte(valor);
    }
  }
  void Bytes(std::span<const std::uint8_t> datos) {
    for (std::size_t i = 0; i < datos.size() && !Lleno(); ++i) {
      Byte(datos[i]);
    }
  }
  void Crc(std::uint16_t crc) {
    Byte(static_cast<std::uint8_t>(crc >> 8));
    Byte(static_cast<std::uint8_t>(crc & 0xFF));
  }
  [[nodiscard]] bool Lleno() const { return celdas_ >= limite_; }
  [[nodiscard]] std::size_t Decodificados() const { return celdas_ / CeldasByte; }
  std::vector<std::uint8_t> Tomar(Orden orden) {
    if (orden == Orden::PrimeraEnBit7) {
      for (std::uint8_t &b : bytes_) {
        b = Invertidos()[b];
      }
    }
    return std::move(bytes_);
  }

private:
  // One byte: 16 cells, each data bit after its clock, which is 1 only
  // between two 0 bits (and left out where `sinReloj` says); the first cell
  // in bit 0, as the file stores them.
  static unsigned CeldasDe(std::uint8_t valor, std::uint8_t sinReloj, bool anterior) {
    unsigned celdas = 0;
    for (int i = 7; i >= 0; --i) {
      const bool dato = ((valor >> i) & 1) != 0;
      const bool reloj = !anterior && !dato && ((sinReloj >> i) & 1) == 0;
      const int pos = 2 * (7 - i);
      celdas |= (reloj ? 1u : 0u) << pos;
      celdas |= (dato ? 1u : 0u) << (pos + 1);
      anterior = dato;
    }
    return celdas;
  }
  // Every byte's cells, after a 0 bit (0..255) and after a 1 (256..511).
  static const std::array<std::uint16_t, 512> &Tabla() {
    static const std::array<std::uint16_t, 512> tabla = [] {
      std::array<std::uint16_t, 512> t{};
      for (unsigned i = 0; i < 512; ++i) {
        t[i] =
            static_cast<std::uint16_t>(CeldasDe(static_cast<std::uint8_t>(i & 0xFF), 0, i >= 256));
      }
      return t;
    }();
    return tabla;
  }

  std::size_t limite_;
  std::size_t celdas_ = 0;
  bool anterior_ = false;
  std::vector<std::uint8_t> bytes_;
};
// What the FDC will report of a sector, from what the image says it reported.
struct Campos {
  bool idMalo = false;     // ST1 bit 5 alone: a CRC error in the ID field
  bool datosMalos = false; // ST1 and ST2 bit 5: a CRC error in the data field
  bool borrado = false;    // ST2 bit 6: a deleted data mark
  bool sinDatos = false;   // no bytes, or ST1 and ST2 bit 0: an ID without data field
};

Campos CamposDe(const SectorSuperficie &s) {
  Campos c;
  c.idMalo = (s.st1 & St1ErrorDatos) != 0 && (s.st2 & St2ErrorDatos) == 0;
  c.datosMalos = (s.st1 & St1ErrorDatos) != 0 && (s.st2 & St2ErrorDatos) != 0;
  c.borrado = (s.st2 & St2MarcaBorrado) != 0;
  c.sinDatos =
      s.datos.empty() || ((s.st1 & St1FaltaMarca) != 0 && (s.st2 & St2FaltaMarcaDatos) != 0);
  return c;
}

std::uint16_t CrcCampo(std::uint8_t marca, std::span<const std::uint8_t> campo) {
  const std::array<std::uint8_t, 4> previo{A1, A1, A1, marca};
  return CrcCcitt(campo, CrcCcitt(previo));
}

void Marca(Codificador &k, std::uint8_t marca) {
  k.Repetir(Sincronia, 0x00);
  for (int i = 0; i < 3; ++i) {
    k.Byte(A1, SinRelojA1);
  }
  k.Byte(marca);
}

// The data field's bytes: the first copy, filled to its size code's length.
std::vector<std::uint8_t> DatosCampo(const SectorSuperficie &s, std::uint8_t relleno) {
  std::vector<std::uint8_t> d(s.LongitudNominal(), relleno);
  std::copy_n(s.datos.begin(), std::min(s.datos.size(), d.size()), d.begin());
  return d;
}

// GAP 3 as the track's Track-Info gives it, made smaller when the sectors
// would not fit a revolution with it.
std::size_t Gap3(const PistaSuperficie &p) {
  std::size_t fijo = Gap4a + Sincronia + 4 + Gap1;
  for (const SectorSuperficie &s : p.sectores) {
    fijo += Sincronia + 4 + 4 + 2 + Gap2;
    if (!CamposDe(s).sinDatos) {
      fijo += Sincronia + 4 + s.LongitudNominal() + 2;
    }
  }
  const std::size_t gap = p.gap == 0 ? RellenoGap : p.gap;
  const std::size_t n = std::max<std::size_t>(p.sectores.size(), 1);
  if (fijo + n * gap <= BytesVuelta) {
    return gap;
  }
  return fijo + n * GapMinimo <= BytesVuelta ? (BytesVuelta - fijo) / n : GapMinimo;
}

} // namespace

std::vector<std::uint8_t> CodificarPista(const PistaSuperficie *p, Orden orden,
                                         std::size_t maxBytes) {
  Codificador k(maxBytes);
  if (p == nullptr || !p->formateada) {
    // No flux at all: an unformatted track.
    return std::vector<std::uint8_t>(BytesVuelta * 2, 0);
  }
  k.Repetir(Gap4a, RellenoGap);
  k.Repetir(Sincronia, 0x00);
  for (int i = 0; i < 3; ++i) {
    k.Byte(C2, SinRelojC2);
  }
  k.Byte(MarcaIndice);
  k.Repetir(Gap1, RellenoGap);
  const std::size_t gap3 = Gap3(*p);
  for (const SectorSuperficie &s : p->sectores) {
    const Campos c = CamposDe(s);
    const std::array<std::uint8_t, 4> id{s.c, s.h, s.r, s.n};
    Marca(k, MarcaId);
    k.Bytes(id);
    const std::uint16_t crcId = CrcCampo(MarcaId, id);
    k.Crc(c.idMalo ? static_cast<std::uint16_t>(~crcId) : crcId);
    k.Repetir(Gap2, RellenoGap);
    if (!c.sinDatos) {
      const std::uint8_t marca = c.borrado ? MarcaBorrados : MarcaDatos;
      const std::vector<std::uint8_t> datos = DatosCampo(s, p->relleno);
      Marca(k, marca);
      k.Bytes(datos);
      const std::uint16_t crc = CrcCampo(marca, datos);
      k.Crc(c.datosMalos ? static_cast<std::uint16_t>(~crc) : crc);
    }
    k.Repetir(gap3, RellenoGap);
  }
  k.Repetir(BytesVuelta - std::min(BytesVuelta, k.Decodificados()), RellenoGap);
  return k.Tomar(orden);
}

std::vector<std::uint8_t> CeldasDeRelleno(std::size_t bytes, Orden orden) {
  Codificador k(bytes);
  k.Repetir(bytes, RellenoGap);
  return k.Tomar(orden);
}

namespace {

// ---------------------------------------------------------------------------
// Reading.

// The cells of one side, first cell first. A byte holds 8 cells, from its
// top bit or (reversed first) from bit 0.
class Celdas {
public:
  // Bytes with their first cell in bit 0 are read from a copy in cell order.
  Celdas(std::span<const std::uint8_t> bytes, Orden orden) : bytes_(bytes) {
    if (orden == Orden::PrimeraEnBit0) {
      enOrden_.resize(bytes.size());
      std::transform(bytes.begin(), bytes.end(), enOrden_.begin(),
                     [](std::uint8_t b) { return Invertidos()[b]; });
      bytes_ = enOrden_;
    }
  }
  Celdas(const Celdas &) = delete;
  Celdas &operator=(const Celdas &) = delete;

  [[nodiscard]] std::size_t Total() const { return bytes_.size() * 8; }
  // The byte `i`, cells in order from its top bit (0 past the end).
  [[nodiscard]] std::uint8_t EnOrden(std::size_t i) const {
    return i < bytes_.size() ? bytes_[i] : 0;
  }
  // 16 cells from `desde`, the first in the top bit. Round the track, the
  // cells after the last are the first ones again, as under a drive's head.
  [[nodiscard]] std::uint16_t Dieciseis(std::size_t desde, bool enVuelta = false) const {
    const std::size_t b = desde / 8;
    std::uint32_t v = 0;
    if (b + 2 < bytes_.size()) {
      v = (std::uint32_t{bytes_[b]} << 16) | (std::uint32_t{bytes_[b + 1]} << 8) | bytes_[b + 2];
    } else {
      const std::size_t n = bytes_.size();
      const auto en = [&](std::size_t i) -> std::uint32_t {
        return enVuelta && n > 0 && i >= n ? EnOrden(i - n) : EnOrden(i);
      };
      v = (en(b) << 16) | (en(b + 1) << 8) | en(b + 2);
    }
    return static_cast<std::uint16_t>(v >> (8 - desde % 8));
  }
  // The data bits of the 16 cells from `desde` (every second cell, the clocks between).
  [[nodiscard]] std::uint8_t Byte(std::size_t desde, bool enVuelta = false) const {
    const std::uint16_t celdas = Dieciseis(desde, enVuelta);
    return static_cast<std::uint8_t>((Datos()[celdas >> 8] << 4) | Datos()[celdas & 0xFF]);
  }
  // `n` bytes from `desde`, or as many as the cells hold.
  [[nodiscard]] std::vector<std::uint8_t> Leer(std::size_t desde, std::size_t n) const {
    const std::size_t caben = desde < Total() ? (Total() - desde) / CeldasByte : 0;
    std::vector<std::uint8_t> v(std::min(n, caben));
    for (std::size_t i = 0; i < v.size(); ++i) {
      v[i] = Byte(desde + i * CeldasByte);
    }
    return v;
  }
  // `n` bytes from `desde`, going on past the end from the start of the track.
  [[nodiscard]] std::vector<std::uint8_t> LeerEnVuelta(std::size_t desde, std::size_t n) const {
    if (bytes_.size() < 3) {
      return {};
    }
    std::vector<std::uint8_t> v(n);
    std::size_t celda = desde % Total();
    for (std::uint8_t &b : v) {
      b = Byte(celda, true);
      celda += CeldasByte;
      if (celda >= Total()) {
        celda -= Total();
      }
    }
    return v;
  }

private:
  // Bits 6, 4, 2 and 0 of 8 cells in order: the 4 data bits among them.
  static const std::array<std::uint8_t, 256> &Datos() {
    static const std::array<std::uint8_t, 256> tabla = [] {
      std::array<std::uint8_t, 256> t{};
      for (unsigned b = 0; b < 256; ++b) {
        t[b] =
            static_cast<std::uint8_t>(((b >> 3) & 8) | ((b >> 2) & 4) | ((b >> 1) & 2) | (b & 1));
      }
      return t;
    }();
    return tabla;
  }

  std::span<const std::uint8_t> bytes_;
  std::vector<std::uint8_t> enOrden_;
};

struct MarcaHallada {
  std::size_t sincronia = 0; // cell of the first A1
  std::size_t campo = 0;     // cell of the field after the mark byte
  std::uint8_t marca = 0;
};

// For the 8 cells of a file byte, the windows ending in the next byte that
// can be a sync: a window ending k cells before that byte's end holds these
// 8 cells as its bits 8 - k to 15 - k. Bit k set for each.
const std::array<std::uint8_t, 256> &VentanasPosibles() {
  static const std::array<std::uint8_t, 256> tabla = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned k = 0; k < 8; ++k) {
      const unsigned celdas = (CeldasA1 >> (8 - k)) & 0xFF;
      t[celdas] = static_cast<std::uint8_t>(t[celdas] | (1u << k));
    }
    return t;
  }();
  return tabla;
}

// The next three A1 syncs and their mark byte starting in [desde, hasta).
// The search goes a file byte (8 cells) at a time, trying the 8 windows that
// end in it, earliest first.
std::optional<MarcaHallada> BuscarMarca(const Celdas &c, std::size_t desde, std::size_t hasta) {
  const std::size_t total = c.Total();
  hasta = std::min(hasta, total);
  // The window ending at cell `fin` (the cells are all from `desde` on).
  const auto probar = [&](std::size_t fin) -> std::optional<MarcaHallada> {
    if (fin + 1 + 3 * CeldasByte > total) {
      return MarcaHallada{}; // no room for the rest: the caller stops
    }
    if (c.Dieciseis(fin + 1) == CeldasA1 && c.Dieciseis(fin + 1 + CeldasByte) == CeldasA1) {
      return MarcaHallada{fin + 1 - CeldasByte, fin + 1 + 3 * CeldasByte,
                          c.Byte(fin + 1 + 2 * CeldasByte)};
    }
    return std::nullopt;
  };
  if (desde + 4 * CeldasByte > total) {
    return std::nullopt;
  }
  std::uint32_t ventana = 0; // the last cells read, the newest in bit 0
  std::size_t leidas = 0;    // how many of them are from `desde` on
  std::size_t i = desde;
  while (i < hasta) {
    std::size_t paso = 1;
    unsigned posibles = 0; // the windows ending in this step worth a look, as for VentanasPosibles
    if (i % 8 == 0 && i + 8 <= hasta) {
      // Every window ending in this byte holds the whole byte before it.
      const std::uint8_t anterior = static_cast<std::uint8_t>(ventana & 0xFF);
      ventana = (ventana << 8) | c.EnOrden(i / 8);
      posibles = leidas >= 8 ? VentanasPosibles()[anterior] : 0xFF;
      paso = 8;
    } else {
      ventana = (ventana << 1) | ((c.Dieciseis(i) >> 15) & 1u);
      posibles = 1;
    }
    // The earliest window first: the highest k.
    for (unsigned quedan = posibles & ((1u << paso) - 1); quedan != 0;) {
      const auto k = static_cast<std::size_t>(std::bit_width(quedan) - 1);
      quedan &= ~(1u << k);
      const std::size_t fin = i + paso - 1 - k;
      if (leidas + (paso - k) < CeldasByte || ((ventana >> k) & 0xFFFF) != CeldasA1) {
        continue;
      }
      if (auto m = probar(fin)) {
        if (m->campo == 0) {
          return std::nullopt;
        }
        return m;
      }
    }
    leidas += paso;
    i += paso;
  }
  return std::nullopt;
}

} // namespace

PistaSuperficie DecodificarPista(std::span<const std::uint8_t> bytes, Orden orden, int pista,
                                 int cara, Problemas &problemas) {
  const Celdas c(bytes, orden);
  PistaSuperficie p;
  p.pistaCabecera = static_cast<std::uint8_t>(pista);
  p.caraCabecera = static_cast<std::uint8_t>(cara);
  std::size_t pos = 0;
  std::size_t finUltimos = 0, sincroniaSiguiente = 0; // to measure GAP 3
  while (auto m = BuscarMarca(c, pos, c.Total())) {
    pos = m->campo;
    if (m->marca != MarcaId) {
      continue;
    }
    const std::vector<std::uint8_t> id = c.Leer(m->campo, 6);
    if (id.size() < 6) {
      break;
    }
    if (p.sectores.size() == cpcemu::MaxSectores) {
      problemas.push_back(
          {TipoProblema::SectoresDeMas,
           "La " + TextoPista(pista, cara) + " tiene más de 255 sectores; se leen los 255 primeros",
           {pista, cara, -1, -1, -1, -1}});
      break;
    }
    SectorSuperficie &s = p.sectores.emplace_back();
    s.c = id[0];
    s.h = id[1];
    s.r = id[2];
    s.n = id[3];
    if (CrcCampo(MarcaId, std::span(id).first(4)) != Be16(id, 4)) {
      s.st1 |= St1ErrorDatos;
    }
    const std::size_t finId = m->campo + 6 * CeldasByte;
    pos = finId;
    if (p.sectores.size() == 2 && sincroniaSiguiente == 0) {
      sincroniaSiguiente = m->sincronia;
    }
    const auto d = BuscarMarca(c, finId, finId + VentanaDatos * CeldasByte);
    if (!d || (d->marca != MarcaDatos && d->marca != MarcaBorrados)) {
      s.st1 |= St1FaltaMarca;
      s.st2 |= St2FaltaMarcaDatos;
      continue;
    }
    if (d->marca == MarcaBorrados) {
      s.st2 |= St2MarcaBorrado;
    }
    const std::size_t nominal = s.LongitudNominal();
    // The controller reads the whole field, its CRC after it, and goes on
    // looking for the next ID after them: IDs inside a data field are bytes
    // of that field, not sectors. A field longer than what is left of the
    // revolution (the 8K sectors of some protections) reads on past the
    // index, over the start of the track, and ends the revolution.
    const std::size_t finCampo = d->campo + (nominal + 2) * CeldasByte;
    const bool pasaIndice = finCampo > c.Total();
    std::vector<std::uint8_t> campo = c.LeerEnVuelta(d->campo, nominal + 2);
    const bool crcBueno =
        campo.size() == nominal + 2 &&
        CrcCampo(d->marca, std::span(campo).first(nominal)) == Be16(campo, nominal);
    campo.resize(std::min(campo.size(), nominal));
    s.datos = std::move(campo);
    if (!crcBueno) {
      s.st1 |= St1ErrorDatos;
      s.st2 |= St2ErrorDatos;
    }
    if (p.sectores.size() == 1) {
      finUltimos = finCampo;
    }
    pos = finCampo;
    if (pasaIndice) {
      problemas.push_back({TipoProblema::SectorPasaElIndice,
                           "El sector " + TextoId(s.r) + " de la " + TextoPista(pista, cara) +
                               " sigue tras el índice: sus " + std::to_string(nominal) +
                               " bytes se leen dando la vuelta a la pista, como los lee el FDC",
                           {pista, cara, s.r, -1, -1, -1}});
      break;
    }
  }
  p.formateada = !p.sectores.empty();
  if (p.formateada) {
    p.codigoTamano = p.sectores.front().n;
  }
  // GAP 3 from the first two sectors: after the first one's data CRC, up to the
  // syncs before the second one's ID.
  if (finUltimos > 0 && sincroniaSiguiente > finUltimos) {
    const std::size_t bytesGap = (sincroniaSiguiente - finUltimos) / CeldasByte;
    if (bytesGap > Sincronia && bytesGap - Sincronia <= 0xFF) {
      p.gap = static_cast<std::uint8_t>(bytesGap - Sincronia);
    }
  }
  return p;
}

std::uint16_t CrcCcitt(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
  // A byte at a time, through the table of the polynomial's 256 remainders.
  static const std::array<std::uint16_t, 256> tabla = [] {
    std::array<std::uint16_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
      auto r = static_cast<std::uint16_t>(b << 8);
      for (int i = 0; i < 8; ++i) {
        r = static_cast<std::uint16_t>((r & 0x8000) != 0 ? (r << 1) ^ 0x1021 : r << 1);
      }
      t[b] = r;
    }
    return t;
  }();
  for (const std::uint8_t b : bytes) {
    crc = static_cast<std::uint16_t>((crc << 8) ^ tabla[((crc >> 8) ^ b) & 0xFF]);
  }
  return crc;
}
} // namespace imagenes::mfm
