#include "util/Cls_Util.h"

#include "platform/Errores.h"
#include "platform/InfoArchivo.h"

#include <limits>

namespace {

Booleano Bandera(std::uint32_t atributos, std::uint32_t bit) {
  return (atributos & bit) != 0 ? Verdadero : Falso;
}

// Runs `paso`; the number of whatever it throws, or 0.
template <typename Paso> std::int16_t NumeroDeFallo(Paso &&paso) {
  try {
    paso();
    return Errores::Ninguno;
  } catch (const ErrorAlcove &e) {
    return e.Numero();
  } catch (const std::bad_alloc &) {
    return Errores::MemoriaInsuficiente;
  } catch (...) {
    return Errores::ErrorAccesoRuta;
  }
}

} // namespace

DatosFichero Cls_Util::InfoFichero(const std::string &Ruta) {
  DatosFichero datos;
  try {
    // One query answers both "is it a file" and what it is; anything but a
    // regular file throws and so reads as not existing.
    const Plataforma::ArchivoHost archivo = Plataforma::ObtenerArchivo(Ruta);
    namespace A = Plataforma::Atributo;
    datos.Archivo = Bandera(archivo.Atributos, A::Archivo);
    datos.Comprimido = Bandera(archivo.Atributos, A::Comprimido);
    datos.Directorio = Bandera(archivo.Atributos, A::Directorio);
    datos.Oculto = Bandera(archivo.Atributos, A::Oculto);
    datos.Normal = Bandera(archivo.Atributos, A::Normal);
    datos.SinConexion = Bandera(archivo.Atributos, A::SinConexion);
    datos.SoloLectura = Bandera(archivo.Atributos, A::SoloLectura);
    datos.Sistema = Bandera(archivo.Atributos, A::Sistema);
    datos.Temporal = Bandera(archivo.Atributos, A::Temporal);
    datos.FechaCreacion = archivo.FechaCreacion;
    datos.FechaAcceso = archivo.FechaAcceso;
    datos.FechaModificacion = archivo.FechaModificacion;
    if (archivo.Tamano > std::numeric_limits<std::int32_t>::max()) {
      return datos; // 2 GiB or more does not fit the record
    }
    datos.Tamano = static_cast<std::int32_t>(archivo.Tamano);
    datos.Nombre = archivo.Nombre;
    datos.Existe = Verdadero;
  } catch (...) {
    // Every failure shows as Existe false.
  }
  return datos;
}

std::int16_t Cls_Util::Eliminar(const std::string &Ruta) {
  return NumeroDeFallo([&] {
    // Not InfoFichero: it calls a file of 2 GiB or more missing, and hides why a
    // path could not be examined. Both must reach the caller.
    if (!Plataforma::EsArchivoRegular(Ruta)) {
      return;
    }
    const auto previos = Plataforma::LimpiarAtributos(Ruta);
    try {
      Plataforma::BorrarArchivo(Ruta);
    } catch (...) {
      // A failed delete leaves the file as it was found.
      Plataforma::RestaurarAtributos(Ruta, previos);
      throw;
    }
  });
}

std::int16_t Cls_Util::Renombrar(const std::string &De, const std::string &A) {
  return NumeroDeFallo([&] {
    if (!Plataforma::EsArchivoRegular(De)) {
      return;
    }
    const auto previos = Plataforma::LimpiarAtributos(De);
    try {
      Plataforma::MoverArchivo(De, A);
    } catch (...) {
      Plataforma::RestaurarAtributos(De, previos);
      throw;
    }
  });
}
