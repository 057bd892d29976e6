#include "platform/LecturaArchivo.h"

#include "platform/Errores.h"
#include "platform/Rutas.h"

#include <cerrno>

#include <sys/stat.h>

namespace Plataforma {

ClaseArchivo Clase(const std::string &ruta) {
  struct stat st {};
  if (ContieneNulo(ruta)) {
    return ClaseArchivo::Desconocida;
  }
  if (::stat(ruta.c_str(), &st) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? ClaseArchivo::NoExiste : ClaseArchivo::Desconocida;
  }
  if (S_ISREG(st.st_mode)) {
    return ClaseArchivo::Normal;
  }
  if (S_ISDIR(st.st_mode)) {
    return ClaseArchivo::Carpeta;
  }
  if (S_ISFIFO(st.st_mode)) {
    return ClaseArchivo::Fifo;
  }
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    return ClaseArchivo::Dispositivo;
  }
  return S_ISSOCK(st.st_mode) ? ClaseArchivo::Socket : ClaseArchivo::Desconocida;
}

std::int16_t LeerEstadoArchivo(const std::string &ruta, EstadoArchivo &estado) {
  if (ContieneNulo(ruta)) {
    return Errores::NombreArchivoIncorrecto;
  }
  struct stat st {};
  if (::stat(ruta.c_str(), &st) != 0) {
    return Errores::DesdeHost(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return Errores::ArchivoNoEncontrado;
  }
  estado.dispositivo = static_cast<std::uint64_t>(st.st_dev);
  estado.identificador = static_cast<std::uint64_t>(st.st_ino);
  estado.tamano = static_cast<std::uint64_t>(st.st_size);
  estado.cambio = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return Errores::Ninguno;
}

} // namespace Plataforma
