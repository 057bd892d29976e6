#include "flujo/KryoFlux.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace flujo {
namespace {

// The codes that start each block of the stream.
constexpr std::uint8_t MaxFlux2 = 0x07; // 0x00..0x07: this byte is the top of a 2-byte time
constexpr std::uint8_t Nop1 = 0x08, Nop2 = 0x09, Nop3 = 0x0A;
constexpr std::uint8_t Ovl16 = 0x0B; // the next time is 65536 longer
constexpr std::uint8_t Flux3 = 0x0C; // the next two bytes are the time
constexpr std::uint8_t Oob = 0x0D;   // an out-of-band block: its type, a 16-bit size, its bytes
constexpr std::uint8_t MinFlux1 = 0x0E;
// Out-of-band blocks.
constexpr std::uint8_t OobInfoStream = 0x01, OobIndice = 0x02, OobFinStream = 0x03;
constexpr std::uint8_t OobInfoKf = 0x04, OobFin = 0x0D;
constexpr std::size_t LargoCabeceraOob = 4;
constexpr std::size_t LargoIndice = 12, LargoInfoStream = 8;
// How a stream ended (its end block's result).
constexpr std::uint32_t FinBufer = 1, FinSinIndice = 2;

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint32_t>(b[pos] | (b[pos + 1] << 8) | (b[pos + 2] << 16) |
                                    (static_cast<std::uint32_t>(b[pos + 3]) << 24));
}

struct IndiceStream {
  std::uint32_t posicion = 0; // where in the stream the flux around the pulse is
  std::uint32_t muestras = 0; // ticks from the transition before the pulse
};

// "sck=24027428.5714285, ick=3003428.5714285625": the sample clock.
std::optional<double> RelojDe(std::span<const std::uint8_t> texto) {
  const std::string s(texto.begin(), texto.end());
  const std::size_t i = s.find("sck=");
  if (i == std::string::npos) {
    return std::nullopt;
  }
  double v = 0;
  const char *inicio = s.data() + i + 4;
  const auto [p, ec] = std::from_chars(inicio, s.data() + s.size(), v);
  if (ec != std::errc() || p == inicio || !(v > 1e6 && v < 1e9)) {
    return std::nullopt;
  }
  return v;
}

} // namespace

bool PareceStream(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= LargoCabeceraOob && bytes[0] == Oob && bytes[1] != 0 &&
         (bytes[1] <= OobInfoKf || bytes[1] == OobFin);
}

std::string_view PrefijoStream(std::string_view nombre) {
  std::size_t i = nombre.find('.');
  while (i != std::string_view::npos && i > 0 && !(nombre[i - 1] >= '0' && nombre[i - 1] <= '9')) {
    i = nombre.find('.', i + 1);
  }
  if (i == std::string_view::npos) {
    return {};
  }
  std::size_t d = i;
  while (d > 0 && nombre[d - 1] >= '0' && nombre[d - 1] <= '9') {
    --d;
  }
  return nombre.substr(0, d);
}

std::optional<std::pair<int, int>> PistaDeNombre(std::string_view nombre) {
  // NN.S.raw at the end, NN one or more digits and S 0 or 1.
  constexpr std::string_view Ext = ".raw";
  if (nombre.size() < Ext.size() + 4) {
    return std::nullopt;
  }
  std::string_view cola = nombre.substr(nombre.size() - Ext.size());
  if (!std::equal(cola.begin(), cola.end(), Ext.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
      })) {
    return std::nullopt;
  }
  std::string_view resto = nombre.substr(0, nombre.size() - Ext.size());
  const char lado = resto.back();
  if ((lado != '0' && lado != '1') || resto[resto.size() - 2] != '.') {
    return std::nullopt;
  }
  resto.remove_suffix(2);
  std::size_t d = resto.size();
  while (d > 0 && resto[d - 1] >= '0' && resto[d - 1] <= '9') {
    --d;
  }
  if (d == resto.size() || resto.size() - d > 3) {
    return std::nullopt;
  }
  int cil = 0;
  std::from_chars(resto.data() + d, resto.data() + resto.size(), cil);
  return std::pair{cil, lado - '0'};
}

LecturaStream LeerStream(std::span<const std::uint8_t> b, int cilindro, int cara) {
  LecturaStream r;
  const auto avisar = [&](std::string texto) {
    r.avisos.push_back({cilindro, cara, std::move(texto)});
  };
  PistaFlujo p;
  p.cilindro = cilindro;
  p.cara = cara;
  p.nsPorTick = 1e9 / RelojKryoFlux;
  std::vector<std::uint32_t> inicios; // stream position of each time's first byte
  std::vector<IndiceStream> indices;
  std::uint32_t posicion = 0; // bytes of the stream proper, out-of-band blocks apart
  std::uint64_t desborde = 0;
  std::uint32_t inicioActual = 0;
  bool dentro = false; // an overflow code has started the time being read
  bool perdidos = false;
  std::size_t i = 0;
  const auto tiempo = [&](std::uint32_t valor) {
    const std::uint64_t v = desborde + valor;
    p.intervalos.push_back(static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFF)));
    inicios.push_back(dentro ? inicioActual : posicion);
    desborde = 0;
    dentro = false;
  };
  while (i < b.size()) {
    const std::uint8_t c = b[i];
    std::size_t largo = 1;
    if (c <= MaxFlux2) {
      largo = 2;
      if (i + largo <= b.size()) {
        tiempo((std::uint32_t{c} << 8) | b[i + 1]);
      }
    } else if (c == Nop1 || c == Nop2 || c == Nop3) {
      largo = 1 + (c - Nop1);
    } else if (c == Ovl16) {
      if (!dentro) {
        inicioActual = posicion;
        dentro = true;
      }
      desborde += 0x10000;
    } else if (c == Flux3) {
      largo = 3;
      if (i + largo <= b.size()) {
        tiempo((std::uint32_t{b[i + 1]} << 8) | b[i + 2]);
      }
    } else if (c >= MinFlux1) {
      tiempo(c);
    } else { // out of band
      if (i + LargoCabeceraOob > b.size()) {
        avisar("el flujo acaba a media cabecera de un bloque");
        break;
      }
      const std::uint8_t tipo = b[i + 1];
      const std::size_t talla = b[i + 2] | (b[i + 3] << 8);
      if (tipo == OobFin) {
        break;
      }
      const auto cuerpo =
          b.subspan(i + LargoCabeceraOob, std::min(talla, b.size() - i - LargoCabeceraOob));
      if (cuerpo.size() < talla) {
        avisar("el flujo acaba a medio bloque");
        break;
      }
      if (tipo == OobIndice && talla >= LargoIndice) {
        indices.push_back({Le32(cuerpo, 0), Le32(cuerpo, 4)});
      } else if (tipo == OobInfoStream && talla >= LargoInfoStream) {
        if (Le32(cuerpo, 0) != posicion && !perdidos) {
          avisar("faltan bytes del flujo: el KryoFlux dice que iba por el " +
                 std::to_string(Le32(cuerpo, 0)) + " y van " + std::to_string(posicion));
          perdidos = true;
        }
      } else if (tipo == OobFinStream && talla >= LargoInfoStream) {
        const std::uint32_t resultado = Le32(cuerpo, 4);
        if (resultado == FinBufer) {
          avisar("el KryoFlux no pudo enviar el flujo a tiempo (se perdió parte)");
        } else if (resultado == FinSinIndice) {
          avisar("el KryoFlux no encontró el agujero índice");
        } else if (resultado != 0) {
          avisar("el KryoFlux acabó con el error " + std::to_string(resultado));
        }
      } else if (tipo == OobInfoKf) {
        if (const auto reloj = RelojDe(cuerpo)) {
          p.nsPorTick = 1e9 / *reloj;
        }
      }
      i += LargoCabeceraOob + talla;
      continue;
    }
    if (i + largo > b.size()) {
      avisar("el flujo acaba a medio valor");
      break;
    }
    i += largo;
    posicion += static_cast<std::uint32_t>(largo);
  }
  if (p.intervalos.empty() && indices.empty()) {
    if (i == 0 || !PareceStream(b)) {
      r.error = "no es un flujo de KryoFlux";
      return r;
    }
  }
  // Each index pulse in time: the transition before the flux it fell in, and
  // the ticks counted since.
  std::uint64_t t = 0;
  std::size_t k = 0;
  std::sort(indices.begin(), indices.end(),
            [](const IndiceStream &a, const IndiceStream &x) { return a.posicion < x.posicion; });
  for (std::size_t f = 0; f <= p.intervalos.size() && k < indices.size(); ++f) {
    const std::uint32_t empieza = f < inicios.size() ? inicios[f] : posicion;
    while (k < indices.size() && indices[k].posicion <= empieza) {
      const std::uint64_t largoFlujo = f < p.intervalos.size() ? p.intervalos[f] : 0;
      p.indices.push_back(t + std::min<std::uint64_t>(indices[k].muestras, largoFlujo));
      ++k;
    }
    if (f < p.intervalos.size()) {
      t += p.intervalos[f];
    }
  }
  if (k < indices.size()) {
    avisar("un índice cae fuera del flujo");
  }
  r.pista = std::move(p);
  return r;
}

} // namespace flujo
