#include "platform/LecturaArchivo.h"

#include "platform/Rutas.h"
#include "platform/TextoWindows.h"

namespace Plataforma {

ClaseArchivo Clase(const std::string &ruta) {
  if (ContieneNulo(ruta)) {
    return ClaseArchivo::Desconocida;
  }
  const std::wstring ancha = Ancho(ruta);
  const DWORD atributos = ::GetFileAttributesW(ancha.c_str());
  if (atributos == INVALID_FILE_ATTRIBUTES) {
    const DWORD e = ::GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME
               ? ClaseArchivo::NoExiste
               : ClaseArchivo::Desconocida;
  }
  if ((atributos & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ClaseArchivo::Carpeta;
  }
  if ((atributos & FILE_ATTRIBUTE_DEVICE) != 0) {
    return ClaseArchivo::Dispositivo;
  }
  // A named pipe or a device name (NUL, CON) answers as what it is when opened.
  const HandleWindows h(::CreateFileW(ancha.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (h.Valido()) {
    switch (::GetFileType(h.Get())) {
    case FILE_TYPE_PIPE: return ClaseArchivo::Fifo;
    case FILE_TYPE_CHAR: return ClaseArchivo::Dispositivo;
    default: break;
    }
  }
  return ClaseArchivo::Normal;
}

} // namespace Plataforma
