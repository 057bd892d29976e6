#include "Flujo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <stdexcept>

namespace Generador {
namespace {

constexpr std::size_t CeldasVuelta = 100000; // 250 kbit/s MFM at 300 rpm
constexpr double NsCelda = 2000.0;
constexpr double NsScp = 25.0;
constexpr double RelojKf = 18432000.0 * 73.0 / 14.0 / 4.0;
constexpr std::size_t Gap4a = 80, Sincronia = 12, Gap1 = 50, Gap2 = 22, Gap3 = 78;

std::uint16_t Crc(const std::vector<std::uint8_t> &bytes) {
  std::uint16_t crc = 0xFFFF;
  for (const std::uint8_t b : bytes) {
    crc = static_cast<std::uint16_t>(crc ^ (b << 8));
    for (int i = 0; i < 8; ++i) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

// MFM cells, one a byte of the vector, written as the FDC writes them.
class Mfm {
public:
  void Byte(std::uint8_t v, std::uint8_t sinReloj = 0) {
    for (int i = 7; i >= 0; --i) {
      const bool dato = ((v >> i) & 1) != 0;
      celdas.push_back(!anterior_ && !dato && ((sinReloj >> i) & 1) == 0 ? 1 : 0);
      celdas.push_back(dato ? 1 : 0);
      anterior_ = dato;
    }
  }
  void Repetir(std::size_t n, std::uint8_t v) {
    for (std::size_t i = 0; i < n; ++i) {
      Byte(v);
    }
  }
  // Syncs and the mark; the CRC counts from the syncs.
  void Marca(std::uint8_t marca, std::vector<std::uint8_t> &crc) {
    Repetir(Sincronia, 0x00);
    for (int i = 0; i < 3; ++i) {
      Byte(0xA1, 0x04);
    }
    Byte(marca);
    crc = {0xA1, 0xA1, 0xA1, marca};
  }
  std::vector<std::uint8_t> celdas;

private:
  bool anterior_ = false;
};

// GAP 3 made smaller when the sectors would not fit a revolution, as a
// format with more sectors would choose it; the rest of the track is &4E.
std::size_t Gap3De(const DiscoCpm::PistaFinal &p) {
  std::size_t fijo = Gap4a + Sincronia + 4 + Gap1;
  for (const auto &s : p.sectores) {
    const bool sinDatos = ((s.st1 & 1) != 0 && (s.st2 & 1) != 0) || s.copias.empty();
    fijo += Sincronia + 4 + 6 + Gap2 + (sinDatos ? 0 : Sincronia + 4 + s.copias.front().size() + 2);
  }
  const std::size_t n = std::max<std::size_t>(p.sectores.size(), 1);
  const std::size_t bytesVuelta = CeldasVuelta / 16;
  return fijo + n * Gap3 <= bytesVuelta ? Gap3
         : fijo + n <= bytesVuelta      ? (bytesVuelta - fijo) / n
                                        : 1;
}

} // namespace

std::vector<std::uint8_t> CeldasPista(const DiscoCpm::PistaFinal &p, int vuelta) {
  Mfm m;
  m.Repetir(Gap4a, 0x4E);
  m.Repetir(Sincronia, 0x00);
  for (int i = 0; i < 3; ++i) {
    m.Byte(0xC2, 0x08);
  }
  m.Byte(0xFC);
  m.Repetir(Gap1, 0x4E);
  const std::size_t gap3 = Gap3De(p);
  std::vector<std::uint8_t> crc;
  for (const auto &s : p.sectores) {
    const bool idMalo = (s.st1 & 0x20) != 0 && (s.st2 & 0x20) == 0;
    const bool datosMalos = (s.st1 & 0x20) != 0 && (s.st2 & 0x20) != 0;
    const bool sinDatos = ((s.st1 & 1) != 0 && (s.st2 & 1) != 0) || s.copias.empty();
    m.Marca(0xFE, crc);
    for (const std::uint8_t b : {s.c, s.h, s.r, s.n}) {
      m.Byte(b);
      crc.push_back(b);
    }
    std::uint16_t c = Crc(crc);
    c = idMalo ? static_cast<std::uint16_t>(~c) : c;
    m.Byte(static_cast<std::uint8_t>(c >> 8));
    m.Byte(static_cast<std::uint8_t>(c & 0xFF));
    m.Repetir(Gap2, 0x4E);
    if (!sinDatos) {
      const auto &datos = s.copias[static_cast<std::size_t>(vuelta) % s.copias.size()];
      m.Marca((s.st2 & 0x40) != 0 ? 0xF8 : 0xFB, crc);
      for (const std::uint8_t b : datos) {
        m.Byte(b);
        crc.push_back(b);
      }
      c = Crc(crc);
      c = datosMalos ? static_cast<std::uint16_t>(~c) : c;
      m.Byte(static_cast<std::uint8_t>(c >> 8));
      m.Byte(static_cast<std::uint8_t>(c & 0xFF));
    }
    m.Repetir(gap3, 0x4E);
  }
  while (m.celdas.size() < CeldasVuelta) {
    m.Byte(0x4E);
  }
  return m.celdas;
}

namespace {

// Where each weak span's cells are on a side: from its sector's data field.
std::vector<std::pair<std::size_t, std::size_t>>
TramosDebiles(const DiscoCpm::PistaFinal &p, const OpcionesFlujo &o, int pista, int cara) {
  std::vector<std::pair<std::size_t, std::size_t>> v;
  for (const auto &d : o.debiles) {
    if (d.pista != pista || d.cara != cara) {
      continue;
    }
    // Find the data mark after the sector's ID in the cells: the position of
    // each field follows from the layout written above.
    std::size_t pos = (Gap4a + Sincronia + 4 + Gap1) * 16;
    for (const auto &s : p.sectores) {
      const bool sinDatos = ((s.st1 & 1) != 0 && (s.st2 & 1) != 0) || s.copias.empty();
      pos += (Sincronia + 4 + 6 + Gap2) * 16;
      if (s.r == d.id && !sinDatos) {
        v.push_back({pos + (Sincronia + 4 + d.desde) * 16, d.largo * 16});
        break;
      }
      if (!sinDatos) {
        pos += (Sincronia + 4 + s.copias.front().size() + 2) * 16;
      }
      pos += Gap3De(p) * 16;
    }
  }
  return v;
}

// The flux of one side over the revolutions: the times of its transitions in
// ns from the start, and of the index pulses.
struct FlujoLado {
  std::vector<double> transiciones;
  std::vector<double> indices;
};

FlujoLado Flujo(const DiscoCpm::PistaFinal &p, const OpcionesFlujo &o, int pista, int cara,
                double adelanto, double despues) {
  FlujoLado f;
  std::mt19937 azar(o.semilla * 7919u + static_cast<std::uint32_t>(pista * 2 + cara));
  std::uniform_real_distribution<double> temblor(-o.temblor, o.temblor);
  std::uniform_int_distribution<int> celdasAzar(2, 4);
  const double celda = NsCelda * (o.rpm360 ? 300.0 / 360.0 : 1.0);
  const bool vacia = !p.formateada || std::find(o.sinFlujo.begin(), o.sinFlujo.end(),
                                                std::pair{pista, cara}) != o.sinFlujo.end();
  const auto debiles =
      vacia ? std::vector<std::pair<std::size_t, std::size_t>>{} : TramosDebiles(p, o, pista, cara);
  const double fase = 0.7 * (pista + 1);
  // The drive's speed wanders slowly, not in step with the revolutions.
  const auto velocidad = [&](double t) {
    return 1.0 +
           o.deriva * std::sin(2 * std::numbers::pi * t / (celda * CeldasVuelta * 1.37) + fase);
  };
  double t = 0;
  // The lead-in before the first index: the end of a revolution.
  const auto primeras = static_cast<std::size_t>(adelanto * CeldasVuelta);
  const int vueltas = o.vueltas + (despues > 0 ? 1 : 0) + (primeras > 0 ? 1 : 0);
  for (int v = 0; v < vueltas; ++v) {
    const int vuelta = primeras > 0 ? v - 1 : v;
    std::vector<std::uint8_t> celdas =
        vacia ? std::vector<std::uint8_t>(CeldasVuelta, 0) : CeldasPista(p, std::max(vuelta, 0));
    // A track longer than a revolution: written on past the index, over its start.
    for (std::size_t i = CeldasVuelta; i < celdas.size(); ++i) {
      celdas[i % CeldasVuelta] = celdas[i];
    }
    celdas.resize(CeldasVuelta);
    for (const auto &[desde, largo] : debiles) {
      for (std::size_t i = desde; i < desde + largo && i < celdas.size(); ++i) {
        celdas[i] = 0;
      }
      for (std::size_t i = desde + static_cast<std::size_t>(celdasAzar(azar)); i < desde + largo;
           i += static_cast<std::size_t>(celdasAzar(azar))) {
        celdas[i] = 1;
      }
    }
    std::size_t desde = 0, hasta = CeldasVuelta;
    if (v == 0 && primeras > 0) {
      desde = CeldasVuelta - primeras; // the lead-in: the index comes at its end
    } else {
      f.indices.push_back(t);
    }
    if (v == vueltas - 1 && despues > 0) {
      hasta = static_cast<std::size_t>(despues * CeldasVuelta);
    }
    // The speed changes slowly: worked out every 64 cells.
    double paso = celda * velocidad(t);
    for (std::size_t i = desde; i < hasta; ++i) {
      if (i % 64 == 0) {
        paso = celda * velocidad(t);
      }
      t += paso;
      if (celdas[i] != 0) {
        f.transiciones.push_back(t + temblor(azar));
      }
    }
  }
  if (despues == 0) {
    f.indices.push_back(t);
  }
  return f;
}

void Le32(std::vector<std::uint8_t> &b, std::size_t pos, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    b[pos + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

bool Fuera(const OpcionesFlujo &o, int pista, int cara) {
  return std::find(o.fuera.begin(), o.fuera.end(), std::pair{pista, cara}) != o.fuera.end();
}

} // namespace

DiscoCpm DiscoLleno(int pistas, int caras) {
  Geometria g = GeometriaData();
  g.pistas = pistas;
  g.caras = caras;
  if (caras == 2) {
    g.tamanoBloque = 2048;
    g.entradas = 128;
  }
  DiscoCpm d(g, Disposicion::Extendida);
  d.Intercalado({0, 5, 1, 6, 2, 7, 3, 8, 4});
  for (int i = 0; i < g.entradas; ++i) {
    try {
      d.Agregar({0,
                 "FILE" + std::to_string(i),
                 "BIN",
                 false,
                 false,
                 false,
                 ContenidoPrueba(16384, static_cast<std::uint8_t>(i)),
                 {},
                 0});
    } catch (const std::length_error &) {
      break;
    }
  }
  return d;
}

std::vector<std::uint8_t> EscribirScp(const DiscoCpm &disco, const OpcionesFlujo &o) {
  const std::vector<DiscoCpm::PistaFinal> pistas = disco.Pistas();
  const int caras = disco.CarasImagen();
  constexpr std::size_t Entradas = 168, Tabla = 16;
  std::vector<std::uint8_t> b(Tabla + Entradas * 4, 0);
  b[0] = 'S';
  b[1] = 'C';
  b[2] = 'P';
  b[3] = 0x19;
  b[4] = 0x80; // "other" makers' disks
  b[5] = static_cast<std::uint8_t>(o.vueltas);
  b[6] = 0;
  b[7] = static_cast<std::uint8_t>(disco.PistasImagen() * 2 - 1);
  b[8] = static_cast<std::uint8_t>(0x01 | (o.rpm360 ? 0x04 : 0)); // read from the index
  b[10] = static_cast<std::uint8_t>(caras == 2 ? 0 : 1);
  for (int t = 0; t < disco.PistasImagen() && t * 2 + 1 < static_cast<int>(Entradas); ++t) {
    for (int c = 0; c < caras; ++c) {
      if (Fuera(o, t, c)) {
        continue;
      }
      const auto &p = pistas[static_cast<std::size_t>(t * caras + c)];
      const FlujoLado f = Flujo(p, o, t, c, 0, 0);
      const std::size_t entrada = static_cast<std::size_t>(t * 2 + c);
      const std::size_t inicio = b.size();
      Le32(b, Tabla + entrada * 4, static_cast<std::uint32_t>(inicio));
      b.resize(inicio + 4 + static_cast<std::size_t>(o.vueltas) * 12, 0);
      b[inicio] = 'T';
      b[inicio + 1] = 'R';
      b[inicio + 2] = 'K';
      b[inicio + 3] = static_cast<std::uint8_t>(entrada);
      double anterior = 0;
      std::size_t k = 0;
      for (int v = 0; v < o.vueltas; ++v) {
        double fin = f.indices[static_cast<std::size_t>(v) + 1];
        if (v == o.vueltas - 1 && o.cortarUltima > 0) {
          fin -= (fin - f.indices[static_cast<std::size_t>(v)]) * o.cortarUltima;
        }
        const std::size_t datos = b.size();
        std::uint32_t cuantos = 0;
        const double desde = f.indices[static_cast<std::size_t>(v)];
        for (; k < f.transiciones.size() && f.transiciones[k] <= fin; ++k) {
          auto ticks =
              static_cast<std::uint64_t>(std::llround((f.transiciones[k] - anterior) / NsScp));
          ticks = std::max<std::uint64_t>(ticks, 1);
          anterior = f.transiciones[k];
          for (; ticks >= 0x10000; ticks -= 0x10000) {
            b.push_back(0);
            b.push_back(0);
            ++cuantos;
          }
          b.push_back(static_cast<std::uint8_t>(ticks >> 8));
          b.push_back(static_cast<std::uint8_t>(ticks & 0xFF));
          ++cuantos;
        }
        if (cuantos == 0 || f.transiciones.empty()) {
          // No flux at all this revolution: its time as overflows and one value.
          auto ticks = static_cast<std::uint64_t>(std::llround((fin - anterior) / NsScp));
          anterior = fin;
          for (; ticks >= 0x10000; ticks -= 0x10000) {
            b.push_back(0);
            b.push_back(0);
            ++cuantos;
          }
          b.push_back(static_cast<std::uint8_t>(std::max<std::uint64_t>(ticks, 1) >> 8));
          b.push_back(static_cast<std::uint8_t>(std::max<std::uint64_t>(ticks, 1) & 0xFF));
          ++cuantos;
        }
        const std::size_t rev = inicio + 4 + static_cast<std::size_t>(v) * 12;
        Le32(b, rev, static_cast<std::uint32_t>(std::llround((fin - desde) / NsScp)));
        Le32(b, rev + 4, cuantos);
        Le32(b, rev + 8, static_cast<std::uint32_t>(datos - inicio));
      }
    }
  }
  std::uint32_t suma = 0;
  for (std::size_t i = Tabla; i < b.size(); ++i) {
    suma += b[i];
  }
  Le32(b, 12, suma);
  return b;
}

Archivos EscribirStreams(const DiscoCpm &disco, const OpcionesFlujo &o) {
  Archivos archivos;
  const std::vector<DiscoCpm::PistaFinal> pistas = disco.Pistas();
  const int caras = disco.CarasImagen();
  const double nsTick = 1e9 / RelojKf;
  for (int t = 0; t < disco.PistasImagen(); ++t) {
    for (int c = 0; c < caras; ++c) {
      if (Fuera(o, t, c)) {
        continue;
      }
      const auto &p = pistas[static_cast<std::size_t>(t * caras + c)];
      // The device starts anywhere on the track and stops a little after the last index.
      const FlujoLado f = Flujo(p, o, t, c, 0.3, 0.1);
      std::vector<std::uint8_t> b;
      const auto oob = [&](std::uint8_t tipo, const std::vector<std::uint8_t> &cuerpo) {
        b.push_back(0x0D);
        b.push_back(tipo);
        b.push_back(static_cast<std::uint8_t>(cuerpo.size() & 0xFF));
        b.push_back(static_cast<std::uint8_t>(cuerpo.size() >> 8));
        b.insert(b.end(), cuerpo.begin(), cuerpo.end());
      };
      const auto le32 = [](std::vector<std::uint8_t> &v, std::uint32_t x) {
        for (int i = 0; i < 4; ++i) {
          v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
        }
      };
      const std::string info =
          "name=KryoFlux DiskSystem, sck=24027428.5714285, ick=3003428.5714285625";
      oob(0x04, std::vector<std::uint8_t>(info.begin(), info.end()));
      std::uint32_t posicion = 0;
      double anterior = 0;
      std::size_t k = 0;
      int numero = 0;
      const auto flujo = [&](std::uint64_t v) {
        const std::size_t antes = b.size();
        for (; v >= 0x10000; v -= 0x10000) {
          b.push_back(0x0B);
        }
        if (v >= 0x0E && v <= 0xFF) {
          b.push_back(static_cast<std::uint8_t>(v));
        } else if (v < 0x800) {
          b.push_back(static_cast<std::uint8_t>(v >> 8));
          b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        } else {
          b.push_back(0x0C);
          b.push_back(static_cast<std::uint8_t>(v >> 8));
          b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        }
        posicion += static_cast<std::uint32_t>(b.size() - antes);
      };
      std::vector<double> tiempos = f.transiciones;
      if (tiempos.empty() || tiempos.back() < f.indices.back()) {
        tiempos.push_back(f.indices.back() + 1000); // a track without flux still has an end
      }
      for (const double x : tiempos) {
        const std::uint32_t empieza = posicion;
        flujo(static_cast<std::uint64_t>(std::max(1LL, std::llround((x - anterior) / nsTick))));
        // Index pulses that fell within this flux, told after it as the device does.
        for (; k < f.indices.size() && f.indices[k] <= x; ++k, ++numero) {
          if (numero == o.sinIndice) {
            continue;
          }
          std::vector<std::uint8_t> cuerpo;
          le32(cuerpo, empieza);
          le32(cuerpo,
               static_cast<std::uint32_t>(std::llround((f.indices[k] - anterior) / nsTick)));
          le32(cuerpo, static_cast<std::uint32_t>(std::llround(f.indices[k] / nsTick / 8)));
          oob(0x02, cuerpo);
        }
        anterior = x;
      }
      std::vector<std::uint8_t> fin;
      le32(fin, posicion);
      le32(fin, 0);
      oob(0x03, fin);
      b.insert(b.end(), {0x0D, 0x0D, 0x0D, 0x0D}); // the end: its size is its own code
      char nombre[32];
      std::snprintf(nombre, sizeof nombre, "track%02d.%d.raw", t, c);
      archivos.emplace_back(nombre, std::move(b));
    }
  }
  return archivos;
}

// An HFE v3 image of a generator disk, written here from the generator's
// cells: the index opcode first, a few cells skipped in GAP 4a (which shifts
// every byte after it off its boundary), NOPs, and random-byte opcodes over
// the weak spans.
std::vector<std::uint8_t> EscribirHfeV3(const DiscoCpm &d, const OpcionesFlujo &o) {
  const auto pistas = d.Pistas();
  const int caras = d.CarasImagen();
  std::vector<std::uint8_t> b(1024, 0xFF);
  const std::string firma = "HXCHFEV3";
  std::copy(firma.begin(), firma.end(), b.begin());
  b[8] = 0;
  b[9] = static_cast<std::uint8_t>(d.PistasImagen());
  b[10] = static_cast<std::uint8_t>(caras);
  b[11] = 0;   // MFM
  b[12] = 250; // kbit/s
  b[13] = 0;
  b[14] = 0x2C; // 300 rpm
  b[15] = 0x01;
  b[16] = 6;
  b[18] = 1; // the track list in block 1
  b[19] = 0;
  for (int t = 0; t < d.PistasImagen(); ++t) {
    std::array<std::vector<std::uint8_t>, 2> lados;
    for (int c = 0; c < caras; ++c) {
      const auto &p = pistas[static_cast<std::size_t>(t * caras + c)];
      std::vector<std::uint8_t> celdas =
          p.formateada ? CeldasPista(p, 0) : std::vector<std::uint8_t>(100000, 0);
      std::vector<std::uint8_t> &l = lados[static_cast<std::size_t>(c)];
      l = {0x8F, 0x0F, 0xCF, 0x03, 0xF8}; // index, NOP, skip 3 cells of 1 1 1 1 1
      std::vector<bool> debil(celdas.size() / 8, false);
      for (const auto &w : o.debiles) {
        if (w.pista == t && w.cara == c) {
          // The weak sector's data field, found by its ID in the cells.
          const std::size_t inicio = (80 + 12 + 4 + 50) * 16;
          std::size_t pos = inicio;
          for (const auto &s : p.sectores) {
            pos += (12 + 4 + 6 + 22) * 16;
            if (s.r == w.id) {
              for (std::size_t k = pos + (16 + w.desde) * 16;
                   k < pos + (16 + w.desde + w.largo) * 16; k += 8) {
                debil[k / 8] = true;
              }
              break;
            }
            pos += (16 + s.copias.front().size() + 2 + 78) * 16;
          }
        }
      }
      for (std::size_t k = 0; k + 8 <= celdas.size(); k += 8) {
        std::uint8_t x = 0;
        for (int i = 0; i < 8; ++i) {
          x = static_cast<std::uint8_t>(x | (celdas[k + static_cast<std::size_t>(i)] << i));
        }
        l.push_back(debil[k / 8] ? 0x2F : x);
      }
    }
    lados[1].resize(lados[0].size(), 0x0F);
    const std::size_t bloque = b.size() / 512;
    const std::size_t largo = lados[0].size();
    b[512 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>(bloque & 0xFF);
    b[513 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>(bloque >> 8);
    b[514 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>((largo * 2) & 0xFF);
    b[515 + static_cast<std::size_t>(t) * 4] = static_cast<std::uint8_t>((largo * 2) >> 8);
    for (std::size_t k = 0; k < largo; k += 256) {
      for (const auto &l : lados) {
        std::array<std::uint8_t, 256> mitad{};
        std::copy_n(l.begin() + static_cast<std::ptrdiff_t>(k),
                    std::min<std::size_t>(256, largo - k), mitad.begin());
        b.insert(b.end(), mitad.begin(), mitad.end());
      }
    }
  }
  return b;
}

} // namespace Generador
