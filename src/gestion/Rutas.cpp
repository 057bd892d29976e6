#include "gestion/Rutas.h"

#include "gestion/Zips.h"
#include "imagenes/Fuente.h"
#include "platform/InfoArchivo.h"

namespace Gestion {

bool SePuedeEscribir(const std::string &ruta) {
  return !imagenes::EsRutaComprimida(ruta) && !SeListaPorCopia(ruta);
}

std::string NombreFinal(const std::string &ruta) {
  const std::size_t corte = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return corte == std::string::npos ? ruta : ruta.substr(corte + 1);
}

} // namespace Gestion
