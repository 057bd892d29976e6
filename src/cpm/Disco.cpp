#include "cpm/Disco.h"

#include "imagenes/Dsk.h"

#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

namespace cpm {

using imagenes::Contenedor;
using imagenes::LeerContenedor;
using imagenes::LeerPrincipioContenedor;
using imagenes::Problemas;
using imagenes::TamanoMaximoArchivo;
using imagenes::TipoProblema;
namespace {

void Sumar(Problemas &a, const Problemas &b) { a.insert(a.end(), b.begin(), b.end()); }

} // namespace

Disco LeerDisco(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones) {
  return LeerDisco(LeerContenedor(bytes), opciones);
}

Disco LeerDisco(Contenedor contenedor, const OpcionesLectura &opciones) {
  Disco d;
  d.contenedor = std::move(contenedor);
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
    d.catalogo = LeerCatalogo(d.contenedor, *d.formato, opciones.alcance);
    Sumar(d.problemas, d.catalogo.problemas);
  }
  return d;
}

std::optional<Catalogo> LeerNombres(std::span<const std::uint8_t> principio,
                                    std::uintmax_t tamanoArchivo, const Patron *patron) {
  if (tamanoArchivo > TamanoMaximoArchivo || principio.size() > tamanoArchivo) {
    return std::nullopt;
  }
  const Contenedor contenedor = LeerPrincipioContenedor(principio);
  if (!contenedor.valido) {
    return std::nullopt;
  }
  const Deteccion deteccion = DetectarFormato(contenedor);
  if (!deteccion.formato) {
    return std::nullopt;
  }
  Catalogo c = LeerCatalogo(contenedor, *deteccion.formato, Alcance::SoloNombres, patron);
  if (!c.entero) {
    return std::nullopt;
  }
  return c;
}

std::vector<const Archivo *> Buscar(const Disco &disco, const Patron &patron) {
  return Buscar(disco.catalogo.archivos, patron);
}

std::vector<const Archivo *> Buscar(const std::vector<Archivo> &archivos, const Patron &patron) {
  std::vector<const Archivo *> encontrados;
  for (const Archivo &a : archivos) {
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
  // UTF-8 on every host: native() is UTF-16 on Windows, and string() there
  // speaks the ANSI code page.
  const std::u8string u8 = ruta.u8string();
  const std::string texto(u8.begin(), u8.end());
  // Only a regular file is read, whole, and a FIFO never makes us wait.
  const std::int16_t error = Plataforma::LeerArchivoEntero(texto, limite, c.bytes);
  if (error == Errores::ArgumentoNoValido) {
    c.error = "No se lee " + texto + ": ocupa más de " + std::to_string(limite) +
              " bytes; ninguna imagen de disco es tan grande";
  } else if (error == Errores::ArchivoNoEncontrado) {
    c.error = "No se puede leer " + texto + ": no existe o no es un archivo normal";
  } else if (error != Errores::Ninguno) {
    c.error = "No se puede leer " + texto + ": " + Errores::Mensaje(error);
  }
  if (c.error) {
    c.bytes.clear();
  }
  return c;
}

} // namespace cpm
