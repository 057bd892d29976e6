#include "Lectura.h"

#include <algorithm>
#include <string>

namespace cpm::lectura {
namespace {

std::string Donde(const Ubicacion &u) {
  return "sector " + std::to_string(u.id) + " de la pista " + std::to_string(u.pista) + ", cara " +
         std::to_string(u.cara);
}

void Anotar(Problemas *problemas, TipoProblema tipo, const std::string &texto, const Ubicacion &u,
            int bloque) {
  if (problemas != nullptr) {
    problemas->push_back({tipo, texto + Donde(u), {u.pista, u.cara, u.id, -1, bloque, -1}});
  }
}

// No format of a real disk comes near this many sectors.
constexpr long long MaxSectores = 256LL * 2 * 64;

} // namespace

Mapa::Mapa(const Contenedor &disco, const Formato &formato)
    : disco_(disco), formato_(formato),
      porPista_(static_cast<std::size_t>(std::max(formato.sectoresPorPista, 1))) {
  const long long total = static_cast<long long>(std::max(formato.pistas, 0)) *
                          std::max(formato.caras, 1) * static_cast<long long>(porPista_);
  sectores_.assign(static_cast<std::size_t>(std::min(total, MaxSectores)), nullptr);
  pistaLlena_.assign((sectores_.size() + porPista_ - 1) / porPista_, false);
}

void Mapa::LlenarPista(std::size_t base) const {
  pistaLlena_[base / porPista_] = true;
  const Ubicacion u = UbicarSector(formato_, static_cast<long long>(base));
  const Pista *p = BuscarPista(disco_, u.pista, u.cara);
  if (p == nullptr) {
    return;
  }
  // The first sector of each ID, as BuscarSector finds it.
  for (const Sector &s : p->sectores) {
    const int k = s.r - formato_.primerSector;
    const std::size_t i = base + static_cast<std::size_t>(k);
    if (k >= 0 && static_cast<std::size_t>(k) < porPista_ && i < sectores_.size() &&
        sectores_[i] == nullptr) {
      sectores_[i] = &s;
    }
  }
}

const Sector *Mapa::En(long long indice) const {
  if (indice < 0 || static_cast<std::size_t>(indice) >= sectores_.size()) {
    return nullptr;
  }
  const auto i = static_cast<std::size_t>(indice);
  if (!pistaLlena_[i / porPista_]) {
    LlenarPista(i - i % porPista_);
  }
  return sectores_[i];
}

std::size_t LeerInicioBloque(const Mapa &mapa, int bloque, std::size_t largo,
                             std::vector<std::uint8_t> *destino, Problemas *problemas) {
  const Formato &formato = mapa.Formato_();
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
    const long long indice = primero + pos / static_cast<long long>(tamanoSector);
    const auto dentro = static_cast<std::size_t>(pos % static_cast<long long>(tamanoSector));
    const std::size_t quiero = std::min(largo - hecho, tamanoSector - dentro);
    const Sector *s = mapa.En(indice);
    if (s == nullptr) {
      Anotar(problemas, TipoProblema::SectorAusente, "Falta el ", UbicarSector(formato, indice),
             bloque);
      return hecho;
    }
    // A sector of another size cannot be read by the drive with this format.
    if (s->n != codigo) {
      Anotar(problemas, TipoProblema::SectorTamanoDistinto,
             "Tiene el código de tamaño " + std::to_string(s->n) + " el ",
             UbicarSector(formato, indice), bloque);
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
      Anotar(problemas, TipoProblema::SectorCorto, "Está incompleto el ",
             UbicarSector(formato, indice), bloque);
      return hecho;
    }
  }
  return hecho;
}

} // namespace cpm::lectura
