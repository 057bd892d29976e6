#include "Lectura.h"

#include <algorithm>
#include <string>

namespace cpm::lectura {

using imagenes::BuscarPista;
using imagenes::BuscarSector;
using imagenes::Contenedor;
using imagenes::Pista;
using imagenes::Problemas;
using imagenes::Sector;
using imagenes::TextoId;
using imagenes::TipoProblema;
namespace {

std::string Donde(const Ubicacion &u) {
  return "sector " + TextoId(u.id) + " de la pista " + std::to_string(u.pista) + ", cara " +
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

// Logical tracks the reading may use: the format's, or more when the image has
// more tracks and they follow on in the same order (one side, or sides
// alternating). Sides one after the other cannot run past their end.
long long PistasLogicas(const Contenedor &disco, const Formato &formato) {
  const int caras = std::max(formato.caras, 1);
  long long pistas = std::max(formato.pistas, 0);
  if (caras == 1 || (formato.orden == OrdenCaras::Alternas && disco.caras >= caras)) {
    pistas = std::max<long long>(pistas, disco.pistas);
  }
  return pistas * caras;
}

} // namespace

Mapa::Mapa(const Contenedor &disco, const Formato &formato)
    : codigo(formato.CodigoTamano()),
      primero(static_cast<long long>(formato.reservadas) * formato.sectoresPorPista),
      tamanoBloque(static_cast<std::size_t>(std::max(formato.tamanoBloque, 0))),
      tamanoSector(static_cast<std::size_t>(std::max(formato.tamanoSector, 0))), disco_(disco),
      formato_(formato),
      porPista_(static_cast<std::size_t>(std::max(formato.sectoresPorPista, 1))) {
  const long long total = PistasLogicas(disco, formato) * static_cast<long long>(porPista_);
  total_ = static_cast<std::size_t>(std::min(total, MaxSectores));
  if (tamanoSector > 0 && tamanoBloque >= tamanoSector && tamanoBloque % tamanoSector == 0) {
    porBloque = static_cast<long long>(tamanoBloque / tamanoSector);
  }
  bloquesLegibles = formato.bloques;
  if (tamanoBloque > 0 && static_cast<long long>(total_) > primero) {
    const long long enImagen = (static_cast<long long>(total_) - primero) *
                               static_cast<long long>(tamanoSector) /
                               static_cast<long long>(tamanoBloque);
    bloquesLegibles = static_cast<int>(std::max<long long>(formato.bloques, enImagen));
  }
}

void Mapa::LlenarPista(std::size_t indice) const {
  inicioPista_ = indice - indice % porPista_;
  const std::size_t lugares = std::min(porPista_, MaxPorPista);
  std::fill_n(sectores_.begin(), lugares, nullptr);
  const Ubicacion u = UbicarSector(formato_, static_cast<long long>(inicioPista_));
  const Pista *p = BuscarPista(disco_, u.pista, u.cara);
  if (p == nullptr) {
    return;
  }
  // The first sector of each ID, as BuscarSector finds it.
  for (const Sector &s : p->sectores) {
    const int k = s.r - formato_.primerSector;
    if (k >= 0 && static_cast<std::size_t>(k) < lugares &&
        sectores_[static_cast<std::size_t>(k)] == nullptr) {
      sectores_[static_cast<std::size_t>(k)] = &s;
    }
  }
}

std::size_t LeerInicioBloque(const Mapa &mapa, int bloque, std::size_t largo,
                             std::vector<std::uint8_t> *destino, Problemas *problemas) {
  const Formato &formato = mapa.Formato_();
  const std::size_t tamanoSector = mapa.tamanoSector;
  if (bloque < 0 || bloque >= mapa.bloquesLegibles || tamanoSector == 0) {
    if (problemas != nullptr) {
      problemas->push_back({TipoProblema::BloqueFueraDelDisco,
                            "El bloque " + std::to_string(bloque) + " está fuera del disco",
                            {-1, -1, -1, -1, bloque, -1}});
    }
    return 0;
  }
  largo = std::min(largo, mapa.tamanoBloque);
  // Blocks of whole sectors (every real format) need no division.
  long long indice = mapa.primero + bloque * mapa.porBloque;
  std::size_t dentro = 0;
  if (mapa.porBloque == 0) {
    const long long inicio =
        static_cast<long long>(bloque) * static_cast<long long>(mapa.tamanoBloque);
    indice = mapa.primero + inicio / static_cast<long long>(tamanoSector);
    dentro = static_cast<std::size_t>(inicio % static_cast<long long>(tamanoSector));
  }
  std::size_t hecho = 0;
  for (; hecho < largo; ++indice, dentro = 0) {
    const std::size_t quiero = std::min(largo - hecho, tamanoSector - dentro);
    const Sector *s = mapa.En(indice);
    if (s == nullptr) {
      Anotar(problemas, TipoProblema::SectorAusente, "Falta el ", UbicarSector(formato, indice),
             bloque);
      return hecho;
    }
    // A sector of another size cannot be read by the drive with this format.
    if (s->n != mapa.codigo) {
      Anotar(problemas, TipoProblema::SectorTamanoDistinto,
             "Tiene el código de tamaño " + std::to_string(s->n) + " el ",
             UbicarSector(formato, indice), bloque);
      return hecho;
    }
    const std::size_t hay = s->datos.size() > dentro ? s->datos.size() - dentro : 0;
    const std::size_t tomo = std::min(quiero, hay);
    if (destino != nullptr && tomo > 0) {
      const std::uint8_t *desde = s->datos.data() + dentro;
      destino->insert(destino->end(), desde, desde + tomo);
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

Recorrido LeerDesdeElInicio(const Mapa &mapa, const Archivo &archivo,
                            std::vector<std::uint8_t> *destino, Problemas *problemas) {
  constexpr std::uint64_t TamanoRegistro = 128;
  const std::uint64_t tamanoBloque = mapa.tamanoBloque;
  Recorrido r;
  std::uint64_t quedan = archivo.tamano;
  int esperado = 0;
  for (const Extension &e : archivo.extensiones) {
    if (e.numero != esperado++) {
      r.parada = Parada::TramoAusente;
      r.tramo = &e;
      return r;
    }
    std::uint64_t enExtension =
        std::min<std::uint64_t>(quedan, static_cast<std::uint64_t>(e.registros) * TamanoRegistro);
    for (std::size_t i = 0; enExtension > 0; ++i) {
      if (i >= e.bloques.size()) {
        r.parada = Parada::RegistrosDeMas;
        r.tramo = &e;
        return r;
      }
      const auto largo = static_cast<std::size_t>(std::min(enExtension, tamanoBloque));
      const std::size_t leidos = LeerInicioBloque(mapa, e.bloques[i], largo, destino, problemas);
      r.bytes += leidos;
      if (leidos != largo) {
        r.parada = Parada::Bloque;
        return r;
      }
      enExtension -= largo;
      quedan -= largo;
    }
  }
  if (quedan > 0) {
    r.parada = Parada::Hueco;
  }
  return r;
}

} // namespace cpm::lectura
