#include "flujo/HfeV3.h"

#include <algorithm>

namespace flujo {
namespace {

constexpr std::size_t TamanoBloque = 512, MitadBloque = 256;
constexpr std::size_t PosPistas = 9, PosCaras = 10, PosCodificacion = 11, PosTasa = 12;
constexpr std::size_t PosTabla = 18, FinCabecera = 26, LargoEntrada = 4;
constexpr std::uint8_t CodificacionFm = 0x02, CodificacionFmEmu = 0x03;
// The opcodes as the file stores them (a byte's first cell in bit 0).
constexpr std::uint8_t MascaraOpcode = 0x0F;
constexpr std::uint8_t OpNop = 0x0F, OpIndice = 0x8F, OpTasa = 0x4F, OpSaltar = 0xCF, OpAzar = 0x2F;
// A random byte's cells as stored, so that the span has flux: &4E's cells.
// The reader of the cells fills weak spans as each pass reads them.
constexpr std::uint8_t CeldasAzar = 0x49;

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint16_t>(b[pos] | (b[pos + 1] << 8));
}

class Escritor {
public:
  explicit Escritor(CeldasPista &c) : c_(c) {}
  void Celdas(std::uint8_t byte, unsigned desde) {
    for (unsigned i = desde; i < 8; ++i) {
      if (c_.total % 8 == 0) {
        c_.bytes.push_back(0);
      }
      if (((byte >> i) & 1) != 0) {
        c_.bytes.back() = static_cast<std::uint8_t>(c_.bytes.back() | (1u << (c_.total % 8)));
      }
      ++c_.total;
    }
  }

private:
  CeldasPista &c_;
};

} // namespace

CeldasPista CeldasHfeV3(std::span<const std::uint8_t> lado, Avisos &avisos) {
  CeldasPista c;
  c.bytes.reserve(lado.size());
  Escritor e(c);
  bool desconocido = false;
  for (std::size_t i = 0; i < lado.size(); ++i) {
    const std::uint8_t x = lado[i];
    if ((x & MascaraOpcode) != MascaraOpcode) {
      e.Celdas(x, 0);
      continue;
    }
    switch (x) {
    case OpNop: break;
    case OpIndice: c.indices.push_back(c.total); break;
    case OpTasa:
      // Cells stay cells: what they hold does not depend on how fast they pass.
      ++i;
      break;
    case OpSaltar:
      if (i + 2 < lado.size()) {
        e.Celdas(lado[i + 2], lado[i + 1] & 7u);
      }
      i += 2;
      break;
    case OpAzar:
      if (!c.debiles.empty() && c.debiles.back().inicio + c.debiles.back().largo == c.total) {
        c.debiles.back().largo += 8;
      } else {
        c.debiles.push_back({c.total, 8});
      }
      e.Celdas(CeldasAzar, 0);
      break;
    default:
      if (!desconocido) {
        avisos.push_back({-1, -1,
                          "un código de HFE v3 que no se conoce (&" +
                              std::string(1, "0123456789ABCDEF"[x >> 4]) + "F) se salta"});
        desconocido = true;
      }
      break;
    }
  }
  // A track is one revolution from its index: turned so that the index is
  // its first cell, and marked again at its end.
  const std::size_t indice =
      c.indices.empty() ? 0 : c.indices.front() % std::max<std::size_t>(c.total, 1);
  if (indice > 0) {
    CeldasPista girada = c;
    std::fill(girada.bytes.begin(), girada.bytes.end(), 0);
    for (std::size_t i = 0; i < c.total; ++i) {
      if (c.Celda((indice + i) % c.total)) {
        girada.bytes[i / 8] = static_cast<std::uint8_t>(girada.bytes[i / 8] | (1u << (i % 8)));
      }
    }
    for (CeldasPista::Tramo &d : girada.debiles) {
      d.inicio = (d.inicio + c.total - indice) % c.total;
    }
    c = std::move(girada);
  }
  c.indices = {0, c.total};
  return c;
}

LecturaHfeV3 LeerHfeV3(std::span<const std::uint8_t> b) {
  LecturaHfeV3 r;
  if (b.size() < FirmaHfeV3.size() ||
      !std::equal(FirmaHfeV3.begin(), FirmaHfeV3.end(), b.begin())) {
    r.error = "no empieza por \"HXCHFEV3\"";
    return r;
  }
  if (b.size() < FinCabecera) {
    r.error = "el archivo es más corto que la cabecera HFE";
    return r;
  }
  r.pistas = b[PosPistas];
  r.caras = b[PosCaras];
  r.fm = b[PosCodificacion] == CodificacionFm || b[PosCodificacion] == CodificacionFmEmu;
  if (r.pistas == 0 || r.caras < 1 || r.caras > 2) {
    r.error = "la cabecera da " + std::to_string(r.pistas) + " pistas y " +
              std::to_string(r.caras) + " caras";
    return r;
  }
  const std::size_t tabla = std::size_t{Le16(b, PosTabla)} * TamanoBloque;
  if (tabla == 0 || tabla + static_cast<std::size_t>(r.pistas) * LargoEntrada > b.size()) {
    r.error = "la tabla de pistas no está en el archivo";
    return r;
  }
  const double nsCelda = Le16(b, PosTasa) > 0 ? 1e6 / Le16(b, PosTasa) / 2.0 : 2000.0;
  std::vector<std::uint8_t> lado;
  for (int t = 0; t < r.pistas; ++t) {
    const std::size_t entrada = tabla + static_cast<std::size_t>(t) * LargoEntrada;
    const std::size_t inicio = std::size_t{Le16(b, entrada)} * TamanoBloque;
    const std::size_t largo = Le16(b, entrada + 2) / 2;
    for (int cara = 0; cara < r.caras; ++cara) {
      lado.clear();
      for (std::size_t k = 0; k * MitadBloque < largo; ++k) {
        const std::size_t desde =
            inicio + k * TamanoBloque + static_cast<std::size_t>(cara) * MitadBloque;
        const std::size_t quiero = std::min(MitadBloque, largo - k * MitadBloque);
        if (inicio < TamanoBloque || desde >= b.size()) {
          break;
        }
        const auto trozo = b.subspan(desde, std::min(quiero, b.size() - desde));
        lado.insert(lado.end(), trozo.begin(), trozo.end());
        if (trozo.size() < quiero) {
          break;
        }
      }
      if (lado.size() < largo && cara == 0) {
        r.avisos.push_back(
            {t, -1,
             "La pista " + std::to_string(t) + " no está entera en el archivo; se lee lo que hay"});
      }
      Avisos suyos;
      CeldasPista c = CeldasHfeV3(lado, suyos);
      c.cilindro = t;
      c.cara = cara;
      c.nsPorCelda = nsCelda;
      for (Aviso &a : suyos) {
        a.cilindro = t;
        a.cara = cara;
        r.avisos.push_back(std::move(a));
      }
      r.lados.push_back(std::move(c));
    }
  }
  return r;
}

} // namespace flujo
