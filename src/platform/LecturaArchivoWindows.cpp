#include "platform/LecturaArchivo.h"

#include "platform/Errores.h"
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

std::int16_t LeerEstadoArchivo(const std::string &ruta, EstadoArchivo &estado) {
  if (ContieneNulo(ruta)) {
    return Errores::NombreArchivoIncorrecto;
  }
  // Opened for its attributes only: the volume and the file index say which
  // file it is, whatever name it goes by.
  const HandleWindows h(::CreateFileW(Ancho(ruta).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valido() || ::GetFileInformationByHandle(h.Get(), &info) == 0) {
    return Errores::DesdeHost(static_cast<int>(::GetLastError()));
  }
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0 ||
      ::GetFileType(h.Get()) != FILE_TYPE_DISK) {
    return Errores::ArchivoNoEncontrado;
  }
  estado.dispositivo = info.dwVolumeSerialNumber;
  estado.identificador =
      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32U) | info.nFileIndexLow;
  estado.tamano = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32U) | info.nFileSizeLow;
  estado.cambio = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32U) |
      info.ftLastWriteTime.dwLowDateTime);
  return Errores::Ninguno;
}

} // namespace Plataforma
