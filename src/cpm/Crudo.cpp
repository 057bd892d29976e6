#include "cpm/Crudo.h"

#include "cpm/Contenedor.h"
#include "cpm/Escritura.h"

#include "Dsk.h"

#include <algorithm>

namespace cpm {
namespace {

std::size_t BytesPista(const Formato &f) {
  return static_cast<std::size_t>(f.sectoresPorPista) * static_cast<std::size_t>(f.tamanoSector);
}

// A sentence of the library's, to follow a colon.
std::string Minuscula(std::string frase) {
  if (!frase.empty() && frase[0] >= 'A' && frase[0] <= 'Z') {
    frase[0] = static_cast<char>(frase[0] - 'A' + 'a');
  }
  return frase;
}

} // namespace

std::vector<std::uint8_t> EscribirCrudo(const Superficie &disco, const Formato &f) {
  std::vector<std::uint8_t> b;
  const auto tamano = static_cast<std::size_t>(f.tamanoSector);
  b.reserve(static_cast<std::size_t>(std::max(disco.pistas, 0) * f.caras) * BytesPista(f));
  for (int t = 0; t < disco.pistas; ++t) {
    for (int c = 0; c < f.caras; ++c) {
      const PistaSuperficie *p = disco.Pista(t, c);
      const std::uint8_t relleno = p != nullptr && p->formateada ? p->relleno : 0xE5;
      for (int i = 0; i < f.sectoresPorPista; ++i) {
        const auto id = static_cast<std::uint8_t>(f.primerSector + i);
        const SectorSuperficie *s = nullptr;
        if (p != nullptr) {
          const auto x = std::find_if(p->sectores.begin(), p->sectores.end(),
                                      [id](const SectorSuperficie &y) { return y.r == id; });
          s = x != p->sectores.end() ? &*x : nullptr;
        }
        const std::size_t tomados = s != nullptr ? std::min(s->datos.size(), tamano) : 0;
        if (s != nullptr) {
          b.insert(b.end(), s->datos.begin(),
                   s->datos.begin() + static_cast<std::ptrdiff_t>(tomados));
        }
        b.insert(b.end(), tamano - tomados, relleno);
      }
    }
  }
  return b;
}

LecturaCruda LeerCrudo(std::span<const std::uint8_t> bytes, const Formato &f,
                       const std::string &version) {
  LecturaCruda r;
  const std::size_t cilindro = BytesPista(f) * static_cast<std::size_t>(f.caras);
  if (bytes.empty() || cilindro == 0 || bytes.size() % cilindro != 0) {
    r.error = "sus " + std::to_string(bytes.size()) +
              " bytes no son un número entero de pistas del formato " + std::string(f.nombre) +
              " (" + std::to_string(cilindro) + " bytes cada una)";
    return r;
  }
  OpcionesNuevo o;
  o.formato = std::string(f.nombre);
  // The dump's own count, which the format's check refuses past what a drive
  // steps to; the reader's size limit keeps it well inside an int.
  const int pistas = static_cast<int>(bytes.size() / cilindro);
  // A dump of fewer tracks than the format has (a disk imaged short) is the
  // format's first tracks.
  o.pistas = std::max(pistas, f.pistas);
  o.caras = f.caras;
  o.version = version;
  Escrito nuevo = NuevoDisco(o);
  if (!nuevo.Hecho()) {
    r.error = Minuscula(nuevo.rechazo->texto);
    return r;
  }
  if (pistas < o.pistas) {
    const std::size_t tamano = nuevo.bytes.size() - dsk::TamanoDiskInfo;
    nuevo.bytes.resize(dsk::TamanoDiskInfo + tamano / static_cast<std::size_t>(o.pistas) *
                                                 static_cast<std::size_t>(pistas));
    nuevo.bytes[dsk::PosPistas] = static_cast<std::uint8_t>(pistas);
    o.pistas = pistas;
  }
  const Contenedor c = LeerContenedor(nuevo.bytes);
  const auto tamano = static_cast<std::size_t>(f.tamanoSector);
  std::size_t pos = 0;
  for (int t = 0; t < o.pistas; ++t) {
    for (int cara = 0; cara < f.caras; ++cara) {
      for (int i = 0; i < f.sectoresPorPista; ++i, pos += tamano) {
        const Sector *s = BuscarSector(c, t, cara, static_cast<std::uint8_t>(f.primerSector + i));
        if (s == nullptr || s->datos.size() != tamano) {
          r.error = "el formato " + std::string(f.nombre) +
                    " no se puede formatear con la geometría que describe este disco";
          return r;
        }
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(pos), tamano,
                    nuevo.bytes.begin() + static_cast<std::ptrdiff_t>(s->desplazamiento));
      }
    }
  }
  r.dsk = std::move(nuevo.bytes);
  return r;
}

} // namespace cpm
