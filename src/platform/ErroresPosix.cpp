#include "platform/Errores.h"

#include <cerrno>

namespace Errores {

std::int16_t DesdeHost(int codigoHost) {
  switch (codigoHost) {
  case 0: return Ninguno;
  case ENOENT: return ArchivoNoEncontrado;
  case ENOTDIR: return RutaNoEncontrada;
  case EEXIST:
  case ENOTEMPTY: return ArchivoYaExiste;
  case EACCES:
  case EPERM:
  case EROFS: return PermisoDenegado;
  case EXDEV: return OtraUnidad;
  case ENOSPC:
  case EDQUOT:
  case EFBIG: return DiscoLleno;
  case EMFILE:
  case ENFILE: return DemasiadosArchivos;
  case EIO: return ErrorEntradaSalida;
  case ENOMEDIUM:
  case ENXIO:
  case ENODEV: return DiscoNoPreparado;
  case ENAMETOOLONG:
  case EILSEQ: return NombreArchivoIncorrecto;
  case EBADF: return NumeroArchivoIncorrecto;
  case ENOMEM: return MemoriaInsuficiente;
  case EINVAL: return ArgumentoNoValido;
  default: return ErrorAccesoRuta; // EISDIR, EBUSY, ETXTBSY, ELOOP and the rest
  }
}

} // namespace Errores
