#include "cpm/Disco.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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
  // Non-blocking, so a FIFO cannot hang the open; only a regular file is read.
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    c.error = "No se puede abrir " + ruta.string() + ": " + std::strerror(errno);
    return c;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    c.error = "No se puede leer " + ruta.string() + ": no es un archivo normal";
    return c;
  }
  const auto tamano = static_cast<std::uintmax_t>(st.st_size);
  if (tamano > limite) {
    ::close(fd);
    c.error = "No se lee " + ruta.string() + ": ocupa " + std::to_string(tamano) +
              " bytes, más de " + std::to_string(limite) +
              "; ninguna imagen de disco es tan grande";
    return c;
  }
  c.bytes.resize(static_cast<std::size_t>(tamano));
  std::size_t hecho = 0;
  while (hecho < c.bytes.size()) {
    const ::ssize_t n = ::read(fd, c.bytes.data() + hecho, c.bytes.size() - hecho);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    hecho += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (hecho != c.bytes.size()) {
    c.bytes.clear();
    c.error = "No se puede leer " + ruta.string() + " entero";
  }
  return c;
}

} // namespace cpm
