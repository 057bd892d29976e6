#include "platform/Errores.h"
#include "platform/TextoWindows.h"

namespace Errores {

// `codigoHost` is a GetLastError() value; the numbers are those the same failure
// gets on a POSIX host.
std::int16_t DesdeHost(int codigoHost) {
  switch (static_cast<DWORD>(codigoHost)) {
  case ERROR_SUCCESS: return Ninguno;
  // A missing folder on the way, like ENOENT; where the folder is what was
  // asked for, the callers say RutaNoEncontrada themselves, as on Linux.
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND: return ArchivoNoEncontrado;
  case ERROR_INVALID_DRIVE:
  case ERROR_BAD_NETPATH:
  case ERROR_BAD_NET_NAME:
  case ERROR_DIRECTORY: return RutaNoEncontrada;
  case ERROR_FILE_EXISTS:
  case ERROR_ALREADY_EXISTS:
  case ERROR_DIR_NOT_EMPTY: return ArchivoYaExiste;
  case ERROR_ACCESS_DENIED:
  case ERROR_WRITE_PROTECT:
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
  case ERROR_PRIVILEGE_NOT_HELD: return PermisoDenegado;
  case ERROR_NOT_SAME_DEVICE: return OtraUnidad;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
  case ERROR_FILE_TOO_LARGE: return DiscoLleno;
  case ERROR_TOO_MANY_OPEN_FILES: return DemasiadosArchivos;
  case ERROR_CRC:
  case ERROR_READ_FAULT:
  case ERROR_WRITE_FAULT:
  case ERROR_GEN_FAILURE:
  case ERROR_IO_DEVICE: return ErrorEntradaSalida;
  case ERROR_NOT_READY:
  case ERROR_DEV_NOT_EXIST:
  case ERROR_NO_MEDIA_IN_DRIVE: return DiscoNoPreparado;
  case ERROR_FILENAME_EXCED_RANGE:
  case ERROR_INVALID_NAME:
  case ERROR_BAD_PATHNAME:
  case ERROR_NO_UNICODE_TRANSLATION: return NombreArchivoIncorrecto;
  case ERROR_INVALID_HANDLE: return NumeroArchivoIncorrecto;
  case ERROR_NOT_ENOUGH_MEMORY:
  case ERROR_OUTOFMEMORY: return MemoriaInsuficiente;
  case ERROR_INVALID_PARAMETER: return ArgumentoNoValido;
  default: return ErrorAccesoRuta; // a folder where a file was wanted, a busy device, the rest
  }
}

} // namespace Errores
