#include "flujo/Scp.h"

#include <algorithm>

namespace flujo {
namespace {

// The header.
constexpr std::size_t PosVersion = 3, PosTipo = 4, PosVueltas = 5, PosPrimera = 6, PosUltima = 7;
constexpr std::size_t PosBanderas = 8, PosAnchura = 9, PosCabezas = 10, PosResolucion = 11;
constexpr std::size_t PosSuma = 12, PosTabla = 16;
constexpr std::size_t MaxEntradas = 168;   // 84 cylinders on two sides
constexpr std::uint8_t BanderaModo = 0x10; // read/write images carry no checksum
constexpr double NsBase = 25.0;
// A track data header: "TRK", the entry's number, then per revolution its
// index time, its number of flux values and their offset from "TRK".
constexpr std::string_view FirmaPista = "TRK";
constexpr std::size_t PosNumeroPista = 3, PosVueltasPista = 4, LargoVuelta = 12;
// No dump of a floppy holds more; past this a track is read cut, not whole.
constexpr std::size_t MaxTransiciones = 4'000'000;
constexpr std::size_t TrozoSuma = 1 << 20;

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint32_t>(b[pos] | (b[pos + 1] << 8) | (b[pos + 2] << 16) |
                                    (static_cast<std::uint32_t>(b[pos + 3]) << 24));
}

std::string Nombre(std::size_t entrada) {
  return "pista " + std::to_string(entrada / 2) + ", cara " + std::to_string(entrada % 2);
}

} // namespace

LecturaScp LeerCabeceraScp(Fuente &fuente) {
  LecturaScp r;
  const std::vector<std::uint8_t> cab = [&] {
    const auto b = fuente.Leer(0, PosTabla + MaxEntradas * 4);
    return std::vector<std::uint8_t>(b.begin(), b.end());
  }();
  if (cab.size() < FirmaScp.size() || !std::equal(FirmaScp.begin(), FirmaScp.end(), cab.begin())) {
    r.error = "no empieza por \"SCP\"";
    return r;
  }
  if (cab.size() < PosTabla) {
    r.error = "el archivo es más corto que la cabecera SCP";
    return r;
  }
  CabeceraScp c;
  c.version = cab[PosVersion];
  c.tipoDisco = cab[PosTipo];
  c.vueltas = cab[PosVueltas];
  c.primera = cab[PosPrimera];
  c.ultima = cab[PosUltima];
  c.banderas = cab[PosBanderas];
  c.cabezas = cab[PosCabezas];
  c.nsPorTick = NsBase * (1 + cab[PosResolucion]);
  if (cab[PosAnchura] != 0 && cab[PosAnchura] != 16) {
    r.error = "sus tiempos de flujo son de " + std::to_string(cab[PosAnchura]) +
              " bits, y solo se leen los de 16";
    return r;
  }
  if (c.vueltas == 0) {
    r.error = "la cabecera no da ninguna vuelta por pista";
    return r;
  }
  // The table runs up to the first track's data, or to its 168 entries.
  const std::size_t enTabla = (cab.size() - PosTabla) / 4;
  std::size_t fin = std::min(enTabla, MaxEntradas);
  for (std::size_t i = 0; i < fin; ++i) {
    const std::uint32_t o = Le32(cab, PosTabla + i * 4);
    if (o != 0 && o >= PosTabla && o < PosTabla + fin * 4) {
      fin = (o - PosTabla) / 4;
    }
  }
  for (std::size_t i = 0; i < fin; ++i) {
    c.entradas.push_back(Le32(cab, PosTabla + i * 4));
  }
  if (std::all_of(c.entradas.begin(), c.entradas.end(), [](std::uint32_t o) { return o == 0; })) {
    r.avisos.push_back({-1, -1, "la tabla de pistas no tiene ninguna"});
  }
  const std::uint32_t suma = Le32(cab, PosSuma);
  if ((c.banderas & BanderaModo) == 0 || suma != 0) {
    std::uint32_t calculada = 0;
    for (std::uint64_t pos = PosTabla; pos < fuente.Tamano(); pos += TrozoSuma) {
      for (const std::uint8_t b : fuente.Leer(pos, TrozoSuma)) {
        calculada += b;
      }
    }
    if (calculada != suma && fuente.Fallo().empty()) {
      r.avisos.push_back({-1, -1,
                          "la suma de comprobación de la cabecera no coincide con el "
                          "archivo: puede estar dañado"});
    }
  }
  r.cabecera = std::move(c);
  return r;
}

void RecorrerScp(Fuente &fuente, const CabeceraScp &c,
                 const std::function<void(PistaFlujo &&)> &cada, Avisos &avisos) {
  const auto vueltas = static_cast<std::size_t>(c.vueltas);
  for (std::size_t e = 0; e < c.entradas.size(); ++e) {
    const std::uint64_t inicio = c.entradas[e];
    if (inicio == 0) {
      continue;
    }
    const int cil = static_cast<int>(e / 2), cara = static_cast<int>(e % 2);
    const std::vector<std::uint8_t> cab = [&] {
      const auto b = fuente.Leer(inicio, PosVueltasPista + vueltas * LargoVuelta);
      return std::vector<std::uint8_t>(b.begin(), b.end());
    }();
    if (cab.size() < PosVueltasPista + LargoVuelta ||
        !std::equal(FirmaPista.begin(), FirmaPista.end(), cab.begin())) {
      avisos.push_back(
          {cil, cara,
           "La " + Nombre(e) + " no empieza por \"TRK\" donde la tabla dice; no se lee"});
      continue;
    }
    if (cab[PosNumeroPista] != e) {
      avisos.push_back({cil, cara,
                        "La " + Nombre(e) + " se llama a sí misma pista " +
                            std::to_string(cab[PosNumeroPista]) + "; vale su lugar en la tabla"});
    }
    PistaFlujo p;
    p.cilindro = cil;
    p.cara = cara;
    p.nsPorTick = c.nsPorTick;
    std::uint64_t t = 0, desborde = 0;
    std::vector<std::uint64_t> tiempos;
    const std::size_t enCabecera = (cab.size() - PosVueltasPista) / LargoVuelta;
    if (enCabecera < vueltas) {
      avisos.push_back({cil, cara,
                        "La " + Nombre(e) + " tiene " + std::to_string(enCabecera) + " de " +
                            std::to_string(vueltas) + " vueltas en el archivo"});
    }
    bool cortada = false;
    for (std::size_t v = 0; v < enCabecera && !cortada; ++v) {
      const std::size_t pos = PosVueltasPista + v * LargoVuelta;
      const std::uint32_t tiempo = Le32(cab, pos);
      const std::uint32_t cuantos = Le32(cab, pos + 4);
      const std::uint32_t offset = Le32(cab, pos + 8);
      tiempos.push_back(tiempo);
      p.indices.push_back(t);
      std::size_t quedan = MaxTransiciones - p.intervalos.size();
      std::size_t pedidos = std::min<std::size_t>(cuantos, quedan);
      if (pedidos < cuantos) {
        avisos.push_back({cil, cara,
                          "La " + Nombre(e) +
                              " tiene más flujo del que cabe en un disquete; se "
                              "lee hasta la vuelta " +
                              std::to_string(v + 1)});
        cortada = true;
      }
      const auto datos = fuente.Leer(inicio + offset, pedidos * 2);
      if (datos.size() < pedidos * 2) {
        avisos.push_back({cil, cara,
                          "La vuelta " + std::to_string(v + 1) + " de la " + Nombre(e) +
                              " no está entera en el archivo; se lee lo que hay"});
        pedidos = datos.size() / 2;
        cortada = true;
      }
      p.intervalos.reserve(p.intervalos.size() + pedidos);
      for (std::size_t i = 0; i < pedidos; ++i) {
        const std::uint32_t x = (std::uint32_t{datos[2 * i]} << 8) | datos[2 * i + 1];
        if (x == 0) {
          desborde += 0x10000; // no transition for 65536 ticks: the next value adds to it
          continue;
        }
        const std::uint64_t intervalo = desborde + x;
        desborde = 0;
        p.intervalos.push_back(
            static_cast<std::uint32_t>(std::min<std::uint64_t>(intervalo, 0xFFFFFFFF)));
        t += intervalo;
      }
    }
    if (desborde > 0) {
      // A revolution that ends without flux: its time is still a revolution's.
      p.intervalos.push_back(
          static_cast<std::uint32_t>(std::min<std::uint64_t>(desborde, 0xFFFFFFFF)));
      t += desborde;
    }
    p.indices.push_back(t);
    if (!tiempos.empty()) {
      std::sort(tiempos.begin(), tiempos.end());
      p.ticksVuelta = tiempos[tiempos.size() / 2];
    }
    cada(std::move(p));
  }
}

} // namespace flujo
