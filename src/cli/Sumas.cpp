#include "cli/Sumas.h"

#include "platform/sumas/Sha256.h"

#include <algorithm>

namespace Cli {
namespace {

struct SumaArchivo {
  const cpm::Archivo *archivo;
  std::string suma;
  bool completo;
};

// The bytes `get` writes by default: without the AMSDOS header, to its
// length, when the file has a valid one; else every byte.
std::vector<SumaArchivo> SumasArchivos(const cpm::Imagen &imagen) {
  std::vector<SumaArchivo> v;
  if (!imagen.HayCatalogo()) {
    return v;
  }
  for (const cpm::Archivo &a : imagen.Disco().catalogo.archivos) {
    const cpm::Extraido e = cpm::ExtraerArchivo(
        imagen.Disco(), a, a.cabecera ? cpm::ModoExtraccion::Archivo : cpm::ModoExtraccion::Crudo);
    v.push_back({&a, Plataforma::TextoHex(Plataforma::CalcularSha256(e.bytes)), e.completo});
  }
  return v;
}

} // namespace

std::string SumaDisco(const cpm::Disco &disco) {
  Plataforma::Sha256 suma;
  const imagenes::Contenedor &c = disco.contenedor;
  std::vector<const imagenes::Sector *> orden;
  for (const imagenes::Pista &p : c.pistasLeidas) {
    orden.clear();
    for (const imagenes::Sector &s : p.sectores) {
      orden.push_back(&s);
    }
    std::stable_sort(
        orden.begin(), orden.end(),
        [](const imagenes::Sector *a, const imagenes::Sector *b) { return a->r < b->r; });
    for (const imagenes::Sector *s : orden) {
      suma.Agregar(s->datos);
    }
  }
  return Plataforma::TextoHex(suma.Terminar());
}

std::string TextoSumas(const cpm::Imagen &imagen) {
  std::string t = "SHA-256 de los datos del disco: " + SumaDisco(imagen.Disco()) + "\n";
  const std::vector<SumaArchivo> archivos = SumasArchivos(imagen);
  if (!archivos.empty()) {
    t += "SHA-256 de los archivos:\n";
  }
  for (const SumaArchivo &s : archivos) {
    t += "  " + s.suma + "  " + s.archivo->NombreConUsuario() +
         (s.completo ? "" : " (incompleto: de lo que se lee)") + "\n";
  }
  return t;
}

nlohmann::json JsonSumas(const cpm::Imagen &imagen) {
  nlohmann::json archivos = nlohmann::json::array();
  for (const SumaArchivo &s : SumasArchivos(imagen)) {
    archivos.push_back({{"usuario", s.archivo->usuario},
                        {"nombre", s.archivo->nombre},
                        {"extension", s.archivo->extension},
                        {"sha256", s.suma},
                        {"completo", s.completo}});
  }
  return {{"disco", SumaDisco(imagen.Disco())}, {"archivos", archivos}};
}

} // namespace Cli
