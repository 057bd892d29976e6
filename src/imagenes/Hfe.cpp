#include "imagenes/Hfe.h"

#include "imagenes/Bytes.h"
#include "imagenes/Mfm.h"

#include <algorithm>
#include <array>

// The file layout follows the HxC project's HFE description and Keir Fraser's
// FlashFloppy (src/image/hfe.c), which reads it on the Gotek: a 512-byte
// header; a table of one 4-byte entry per cylinder (offset in 512-byte blocks,
// length in bytes of both sides); each cylinder's bits in 512-byte blocks, the
// first 256 bytes side 0 and the next 256 side 1; within a byte the first bit
// cell is bit 0. A bit rate of 250 gives cells of 2 us, so a 300 rpm
// revolution is 100,000 cells: 12,500 bytes a side. The cells themselves are
// the MFM codec's (imagenes/Mfm.h).
namespace imagenes {
namespace {

// The header.
constexpr std::size_t TamanoBloque = 512;
constexpr std::string_view FirmaHfeV3 = "HXCHFEV3";
constexpr std::size_t PosRevision = 8, PosPistas = 9, PosCaras = 10, PosCodificacion = 11;
constexpr std::size_t PosTasa = 12, PosRpm = 14, PosModo = 16, PosLibre = 17, PosTabla = 18;
constexpr std::size_t PosEscritura = 20, PosPasoSimple = 21; // 22..25: other encodings for track 0
constexpr std::size_t FinCabecera = 26;
constexpr std::size_t LargoEntradaTabla = 4;
constexpr std::uint8_t CodificacionMfm = 0x00, CodificacionFm = 0x02, CodificacionFmEmu = 0x03;
constexpr std::uint8_t ModoCpc = 0x06;
constexpr std::uint16_t TasaDd = 250, RpmCpc = 300;
constexpr mfm::Orden Orden = mfm::Orden::PrimeraEnBit0;
// A cylinder's length field is 16 bits for both sides.
constexpr std::size_t MaxBytesCara = 0xFFFF / 2 / 2;

void Poner16(std::vector<std::uint8_t> &b, std::size_t pos, std::size_t valor) {
  b[pos] = static_cast<std::uint8_t>(valor & 0xFF);
  b[pos + 1] = static_cast<std::uint8_t>((valor >> 8) & 0xFF);
}

std::vector<std::uint8_t> Cabecera(const Superficie &d) {
  std::vector<std::uint8_t> b(TamanoBloque, 0xFF);
  std::copy(FirmaHfe.begin(), FirmaHfe.end(), b.begin());
  b[PosRevision] = 0;
  b[PosPistas] = static_cast<std::uint8_t>(d.pistas);
  b[PosCaras] = static_cast<std::uint8_t>(d.caras);
  b[PosCodificacion] = CodificacionMfm;
  Poner16(b, PosTasa, TasaDd);
  Poner16(b, PosRpm, RpmCpc);
  b[PosModo] = ModoCpc;
  b[PosLibre] = 0;
  Poner16(b, PosTabla, 1);
  b[PosEscritura] = 0xFF;  // writes allowed
  b[PosPasoSimple] = 0xFF; // one step a track: 0 would make the Gotek step twice
  // 0xFF at 22..25: no other encoding for track 0.
  return b;
}

} // namespace

bool EsHfe(std::span<const std::uint8_t> bytes) {
  const auto empieza = [&](std::string_view f) {
    return bytes.size() >= f.size() && std::equal(f.begin(), f.end(), bytes.begin());
  };
  return empieza(FirmaHfe) || empieza(FirmaHfeV3);
}

std::vector<std::uint8_t> EscribirHfe(const Superficie &disco) {
  const int pistas = std::clamp(disco.pistas, 0, 255);
  const int caras = std::clamp(disco.caras, 1, 2);
  std::vector<std::uint8_t> b = Cabecera(disco);
  // The table, in as many blocks as it takes.
  const std::size_t bloquesTabla =
      (static_cast<std::size_t>(pistas) * LargoEntradaTabla + TamanoBloque - 1) / TamanoBloque;
  b.resize(TamanoBloque * (1 + std::max<std::size_t>(bloquesTabla, 1)), 0xFF);
  for (int t = 0; t < pistas; ++t) {
    std::array<std::vector<std::uint8_t>, 2> lados{
        mfm::CodificarPista(disco.Pista(t, 0), Orden, MaxBytesCara),
        mfm::CodificarPista(caras > 1 ? disco.Pista(t, 1) : nullptr, Orden, MaxBytesCara)};
    const std::size_t largo = std::max(lados[0].size(), lados[1].size());
    for (auto &lado : lados) {
      // The shorter side goes on with the gap's bytes; a blank side stays blank.
      const std::size_t falta = largo - lado.size();
      const bool blanco =
          std::all_of(lado.begin(), lado.end(), [](std::uint8_t x) { return x == 0; });
      std::vector<std::uint8_t> resto(falta, 0);
      if (!blanco && falta > 0) {
        resto = mfm::CeldasDeRelleno(falta / 2 + 1, Orden);
        resto.resize(falta);
      }
      lado.insert(lado.end(), resto.begin(), resto.end());
    }
    const std::size_t bloques = (largo + 255) / 256;
    const std::size_t entrada = TamanoBloque + static_cast<std::size_t>(t) * LargoEntradaTabla;
    Poner16(b, entrada, b.size() / TamanoBloque);
    Poner16(b, entrada + 2, largo * 2);
    for (std::size_t k = 0; k < bloques; ++k) {
      for (const auto &lado : lados) {
        std::array<std::uint8_t, 256> mitad{};
        const std::size_t desde = k * 256;
        std::copy_n(lado.begin() + static_cast<std::ptrdiff_t>(desde),
                    std::min<std::size_t>(256, largo - desde), mitad.begin());
        b.insert(b.end(), mitad.begin(), mitad.end());
      }
    }
  }
  return b;
}

Lectura LeerHfe(std::span<const std::uint8_t> bytes) {
  Lectura r;
  if (bytes.size() >= FirmaHfeV3.size() &&
      std::equal(FirmaHfeV3.begin(), FirmaHfeV3.end(), bytes.begin())) {
    r.error = "es una imagen HFE v3; solo se lee la versión 1 (HXCPICFE)";
    return r;
  }
  if (!EsHfe(bytes)) {
    r.error = "no empieza por \"HXCPICFE\"";
    return r;
  }
  if (bytes.size() < FinCabecera) {
    r.error = "el archivo es más corto que la cabecera HFE";
    return r;
  }
  const int pistas = bytes[PosPistas];
  const int caras = bytes[PosCaras];
  const std::uint8_t codificacion = bytes[PosCodificacion];
  if (bytes[PosRevision] > 1) {
    r.error = "revisión " + std::to_string(bytes[PosRevision]) + " del formato, que no se conoce";
    return r;
  }
  if (pistas == 0 || caras < 1 || caras > 2) {
    r.error = "la cabecera da " + std::to_string(pistas) + " pistas y " + std::to_string(caras) +
              " caras";
    return r;
  }
  if (codificacion == CodificacionFm || codificacion == CodificacionFmEmu) {
    r.error = "las pistas están en FM, y solo se decodifica MFM";
    return r;
  }
  const std::size_t tabla = std::size_t{bytes::Le16(bytes, PosTabla)} * TamanoBloque;
  if (tabla == 0 || tabla + static_cast<std::size_t>(pistas) * LargoEntradaTabla > bytes.size()) {
    r.error = "la tabla de pistas no está en el archivo";
    return r;
  }
  // Up to the CPC's 250 kbit/s (300 at 360 rpm) double density, past it high.
  const std::uint8_t tasa =
      bytes::Le16(bytes, PosTasa) > 300 ? TasaAltaDensidad : TasaDobleDensidad;
  Superficie d;
  d.pistas = pistas;
  d.caras = caras;
  d.pistasCaras.resize(static_cast<std::size_t>(pistas * caras));
  std::vector<std::uint8_t> lado;
  for (int t = 0; t < pistas; ++t) {
    const std::size_t entrada = tabla + static_cast<std::size_t>(t) * LargoEntradaTabla;
    const std::size_t inicio = std::size_t{bytes::Le16(bytes, entrada)} * TamanoBloque;
    const std::size_t largo = bytes::Le16(bytes, entrada + 2) / 2; // of one side
    const std::size_t bloques = (largo + 255) / 256;
    const bool cabe = inicio >= TamanoBloque && inicio <= bytes.size() &&
                      bloques * TamanoBloque <= bytes.size() - inicio;
    if (!cabe) {
      r.problemas.push_back(
          {TipoProblema::PistaCorta,
           "La pista " + std::to_string(t) + " no está entera en el archivo; se lee lo que hay",
           {t, -1, -1, -1, -1, static_cast<long long>(inicio)}});
    }
    for (int cara = 0; cara < caras; ++cara) {
      lado.clear();
      for (std::size_t k = 0; k < bloques; ++k) {
        const auto mitad =
            bytes::Tramo(bytes, inicio + k * TamanoBloque + static_cast<std::size_t>(cara) * 256,
                         std::min<std::size_t>(256, largo - k * 256));
        lado.insert(lado.end(), mitad.begin(), mitad.end());
        if (mitad.size() < std::min<std::size_t>(256, largo - k * 256)) {
          break;
        }
      }
      PistaSuperficie &p = d.pistasCaras[static_cast<std::size_t>(t * caras + cara)] =
          mfm::DecodificarPista(lado, Orden, t, cara, r.problemas);
      // What the header says of every track, as a Track-Info notes it.
      if (!p.sectores.empty()) {
        p.tasa = tasa;
        p.grabacion = GrabacionMfm;
      }
    }
  }
  r.disco = std::move(d);
  return r;
}

void LimitesHfe(const Superficie &s, std::vector<Diferencia> &perdidas) {
  for (int t = 0; t < s.pistas; ++t) {
    for (int c = 0; c < s.caras; ++c) {
      const PistaSuperficie *p = s.Pista(t, c);
      if (p != nullptr && p->grabacion == GrabacionFm && !p->sectores.empty()) {
        perdidas.push_back(
            {t, c, -1, TextoPista(t, c) + ": grabada en FM, y HFE se escribe en MFM"});
      }
    }
  }
}

} // namespace imagenes
