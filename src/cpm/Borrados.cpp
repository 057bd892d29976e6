#include "cpm/Borrados.h"

#include <unordered_map>

namespace cpm {

std::string MotivoIrrecuperable(const Disco &disco, const Archivo &borrado) {
  if (!disco.formato) {
    return "no se sabe el formato del disco";
  }
  std::unordered_map<int, const Archivo *> vivos;
  for (const Archivo &a : disco.catalogo.archivos) {
    for (const Extension &e : a.extensiones) {
      for (const int bloque : e.bloques) {
        vivos.emplace(bloque, &a);
      }
    }
  }
  const int catalogo = disco.formato->BloquesCatalogo();
  for (const Extension &e : borrado.extensiones) {
    for (const int bloque : e.bloques) {
      if (bloque < catalogo) {
        return "su bloque " + std::to_string(bloque) + " es del catálogo";
      }
      const auto otro = vivos.find(bloque);
      if (otro != vivos.end()) {
        return "su bloque " + std::to_string(bloque) + " es ahora de " +
               NombreConUsuario(otro->second->usuario, otro->second->NombreCompleto(), true);
      }
    }
  }
  return "";
}

} // namespace cpm
