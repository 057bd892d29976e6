#include "Lectura.h"

#include <algorithm>
#include <string>

namespace cpm::lectura {
namespace {

std::string Donde(const Ubicacion &u) {
  return "sector " + std::to_string(u.id) + " de la pista " + std::to_string(u.pista) + ", cara " +
         std::to_string(u.cara);
}

void Anotar(Problemas *problemas, TipoProblema tipo, std::string texto, const Ubicacion &u,
            int bloque) {
  if (problemas != nullptr) {
    problemas->push_back({tipo, std::move(texto), {u.pista, u.cara, u.id, -1, bloque, -1}});
  }
}

} // namespace

std::size_t LeerInicioBloque(const Contenedor &disco, const Formato &formato, int bloque,
                             std::size_t largo, std::vector<std::uint8_t> *destino,
                             Problemas *problemas) {
  const auto tamanoBloque = static_cast<std::size_t>(formato.tamanoBloque);
  const auto tamanoSector = static_cast<std::size_t>(formato.tamanoSector);
  if (bloque < 0 || bloque >= formato.bloques || tamanoSector == 0) {
    if (problemas != nullptr) {
      problemas->push_back({TipoProblema::BloqueFueraDelDisco,
                            "El bloque " + std::to_string(bloque) + " está fuera del disco",
                            {-1, -1, -1, -1, bloque, -1}});
    }
    return 0;
  }
  largo = std::min(largo, tamanoBloque);
  const int codigo = formato.CodigoTamano();
  const long long primero = static_cast<long long>(formato.reservadas) * formato.sectoresPorPista;
  const long long inicio = static_cast<long long>(bloque) * static_cast<long long>(tamanoBloque);
  std::size_t hecho = 0;
  while (hecho < largo) {
    const long long pos = inicio + static_cast<long long>(hecho);
    const Ubicacion u = UbicarSector(formato, primero + pos / static_cast<long long>(tamanoSector));
    const auto dentro = static_cast<std::size_t>(pos % static_cast<long long>(tamanoSector));
    const std::size_t quiero = std::min(largo - hecho, tamanoSector - dentro);
    const Sector *s = BuscarSector(disco, u.pista, u.cara, u.id);
    if (s == nullptr) {
      Anotar(problemas, TipoProblema::SectorAusente, "Falta el " + Donde(u), u, bloque);
      return hecho;
    }
    // A sector of another size cannot be read by the drive with this format.
    if (s->n != codigo) {
      Anotar(problemas, TipoProblema::SectorTamanoDistinto,
             "El " + Donde(u) + " tiene el código de tamaño " + std::to_string(s->n), u, bloque);
      return hecho;
    }
    const std::size_t hay = s->datos.size() > dentro ? s->datos.size() - dentro : 0;
    const std::size_t tomo = std::min(quiero, hay);
    if (destino != nullptr) {
      destino->insert(destino->end(), s->datos.begin() + static_cast<std::ptrdiff_t>(dentro),
                      s->datos.begin() + static_cast<std::ptrdiff_t>(dentro + tomo));
    }
    hecho += tomo;
    if (tomo < quiero) {
      Anotar(problemas, TipoProblema::SectorCorto, "El " + Donde(u) + " está incompleto", u,
             bloque);
      return hecho;
    }
  }
  return hecho;
}

} // namespace cpm::lectura
