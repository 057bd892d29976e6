#include "cpm/Disco.h"

#include <fstream>
#include <system_error>

namespace cpm {
namespace {

void Sumar(Problemas &a, const Problemas &b) { a.insert(a.end(), b.begin(), b.end()); }

} // namespace

Disco LeerDisco(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones) {
  Disco d;
  d.contenedor = LeerContenedor(bytes);
  Sumar(d.problemas, d.contenedor.problemas);
  if (!d.contenedor.valido) {
    return d;
  }
  if (!opciones.formato.empty()) {
    d.formato = FormatoPorNombre(opciones.formato);
    if (!d.formato) {
      d.problemas.push_back({TipoProblema::FormatoNombreMalo,
                             "No hay ningún formato llamado \"" + opciones.formato + "\"",
                             {}});
      return d;
    }
    d.motivoFormato = "elegido por nombre";
    d.problemas.push_back(
        {TipoProblema::FormatoForzado,
         "Se lee con el formato \"" + std::string(d.formato->nombre) + "\", elegido por nombre",
         {}});
  } else {
    Deteccion det = DetectarFormato(d.contenedor);
    d.formato = det.formato;
    d.motivoFormato = std::move(det.motivo);
    Sumar(d.problemas, det.problemas);
  }
  if (d.formato) {
    d.catalogo = LeerCatalogo(d.contenedor, *d.formato);
    Sumar(d.problemas, d.catalogo.problemas);
  }
  return d;
}

std::vector<const Archivo *> Buscar(const Disco &disco, const Patron &patron) {
  std::vector<const Archivo *> encontrados;
  for (const Archivo &a : disco.catalogo.archivos) {
    if (Coincide(patron, a)) {
      encontrados.push_back(&a);
    }
  }
  return encontrados;
}

Extraido ExtraerArchivo(const Disco &disco, const Archivo &archivo, ModoExtraccion modo) {
  if (!disco.formato) {
    Extraido r;
    r.completo = false;
    r.problemas.push_back({TipoProblema::FormatoDesconocido,
                           "No se puede extraer sin saber el formato del disco",
                           {}});
    return r;
  }
  return Extraer(disco.contenedor, *disco.formato, archivo, modo);
}

Carga CargarArchivo(const std::filesystem::path &ruta, std::uintmax_t limite) {
  Carga c;
  std::error_code ec;
  const auto estado = std::filesystem::status(ruta, ec);
  if (ec || !std::filesystem::is_regular_file(estado)) {
    c.error = "No se puede leer " + ruta.string() + ": no es un archivo normal";
    return c;
  }
  const std::uintmax_t tamano = std::filesystem::file_size(ruta, ec);
  if (ec) {
    c.error = "No se puede leer " + ruta.string() + ": " + ec.message();
    return c;
  }
  if (tamano > limite) {
    c.error = "No se lee " + ruta.string() + ": ocupa " + std::to_string(tamano) +
              " bytes, más de " + std::to_string(limite) +
              "; ninguna imagen de disco es tan grande";
    return c;
  }
  std::ifstream f(ruta, std::ios::binary);
  c.bytes.resize(static_cast<std::size_t>(tamano));
  if (!f ||
      !f.read(reinterpret_cast<char *>(c.bytes.data()), static_cast<std::streamsize>(tamano))) {
    c.bytes.clear();
    c.error = "No se puede leer " + ruta.string();
  }
  return c;
}

} // namespace cpm
