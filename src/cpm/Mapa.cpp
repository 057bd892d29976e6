#include "cpm/Mapa.h"

#include <algorithm>

namespace cpm {

using imagenes::Contenedor;
using imagenes::Pista;
using imagenes::Sector;
namespace {

// FDC status bits of a sector not read cleanly: ST1 data error, no data,
// missing address mark; ST2 data error, missing data mark. ST2's deleted
// data mark is told apart.
constexpr std::uint8_t FallosSt1 = 0x20 | 0x04 | 0x01;
constexpr std::uint8_t FallosSt2 = 0x20 | 0x01;
constexpr std::uint8_t MarcaBorrado = 0x40;
constexpr int IdsPorPista = 256;

// Each file system sector's place on the disk, found through the format's
// own rule (UbicarSector) and kept by track, side and ID: its logical index.
class Lugares {
public:
  // Without a format no sector has a place.
  Lugares(const Formato *f, int pistas, int caras) : pistas_(pistas), caras_(caras) {
    if (f == nullptr) {
      pistas_ = 0;
      return;
    }
    indices_.assign(
        static_cast<std::size_t>(pistas) * static_cast<std::size_t>(caras) * IdsPorPista, -1);
    // A disk with more tracks than its format reads them on, as AMSDOS does,
    // where the sides alternate or there is one.
    const int porFormato = f->pistas * f->caras;
    const int porImagen = f->orden == OrdenCaras::Alternas || f->caras == 1 ? pistas * caras : 0;
    const long long total =
        static_cast<long long>(std::max(porFormato, porImagen)) * f->sectoresPorPista;
    for (long long i = 0; i < total; ++i) {
      const Ubicacion u = UbicarSector(*f, i);
      if (u.pista < pistas && u.cara < caras) {
        indices_[Clave(u.pista, u.cara, u.id)] = i;
      }
    }
  }
  [[nodiscard]] long long Indice(int pista, int cara, std::uint8_t id) const {
    return pista < pistas_ && cara < caras_ ? indices_[Clave(pista, cara, id)] : -1;
  }

private:
  [[nodiscard]] std::size_t Clave(int pista, int cara, std::uint8_t id) const {
    return (static_cast<std::size_t>(pista) * static_cast<std::size_t>(caras_) +
            static_cast<std::size_t>(cara)) *
               IdsPorPista +
           id;
  }
  int pistas_, caras_;
  std::vector<long long> indices_;
};

// The first file holding each block, by block number.
std::vector<int> Duenos(const Disco &d) {
  std::vector<int> duenos;
  for (std::size_t a = 0; a < d.catalogo.archivos.size(); ++a) {
    for (const Extension &e : d.catalogo.archivos[a].extensiones) {
      for (const int b : e.bloques) {
        if (b < 0 || b > 0xFFFF) {
          continue;
        }
        if (static_cast<std::size_t>(b) >= duenos.size()) {
          duenos.resize(static_cast<std::size_t>(b) + 1, -1);
        }
        if (duenos[static_cast<std::size_t>(b)] < 0) {
          duenos[static_cast<std::size_t>(b)] = static_cast<int>(a);
        }
      }
    }
  }
  return duenos;
}

// What the sector holds by its place in the file system.
void Situar(const Formato &f, long long indice, const std::vector<int> &duenos, SectorMapa &s) {
  const long long relativo = indice - static_cast<long long>(f.reservadas) * f.sectoresPorPista;
  if (relativo < 0) {
    s.clase = ClaseSector::Sistema;
    return;
  }
  const long long bloque = relativo * f.tamanoSector / std::max(f.tamanoBloque, 1);
  s.bloque = static_cast<int>(std::min<long long>(bloque, 0x7FFFFFFF));
  const int dueno = static_cast<std::size_t>(bloque) < duenos.size()
                        ? duenos[static_cast<std::size_t>(bloque)]
                        : -1;
  if (bloque < f.BloquesCatalogo()) {
    s.clase = ClaseSector::Catalogo;
  } else if (dueno >= 0) {
    s.clase = ClaseSector::Archivo;
  } else {
    s.clase = bloque < f.bloques ? ClaseSector::Libre : ClaseSector::Ajeno;
  }
  // A catalogue block a file claims too still names the file.
  s.archivo = dueno;
}

ClaseSector PorEstado(const Sector &s, ClaseSector porLugar) {
  if ((s.st1 & FallosSt1) != 0 || (s.st2 & FallosSt2) != 0) {
    return ClaseSector::Error;
  }
  if (s.copias > 1) {
    return ClaseSector::Debil;
  }
  if ((s.st2 & MarcaBorrado) != 0) {
    return ClaseSector::Borrado;
  }
  return porLugar;
}

} // namespace

MapaDisco Mapear(const Disco &disco) {
  const Contenedor &c = disco.contenedor;
  MapaDisco m;
  m.pistas = std::max(c.pistas, 0);
  m.caras = std::max(c.caras, 0);
  const Lugares lugares(disco.formato ? &*disco.formato : nullptr, m.pistas, m.caras);
  const std::vector<int> duenos = Duenos(disco);
  m.lista.reserve(c.pistasLeidas.size());
  for (const Pista &p : c.pistasLeidas) {
    PistaMapa pm{p.pista, p.cara, p.formateada, {}};
    pm.sectores.reserve(p.sectores.size());
    for (const Sector &s : p.sectores) {
      SectorMapa sm;
      sm.id = s.r;
      sm.guardados = s.longitudGuardada;
      const long long indice = lugares.Indice(p.pista, p.cara, s.r);
      if (indice >= 0 && s.n == disco.formato->CodigoTamano()) {
        Situar(*disco.formato, indice, duenos, sm);
      }
      sm.clase = PorEstado(s, sm.clase);
      pm.sectores.push_back(sm);
    }
    m.lista.push_back(std::move(pm));
  }
  return m;
}

} // namespace cpm
