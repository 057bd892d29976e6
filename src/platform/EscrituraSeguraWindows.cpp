#include "platform/EscrituraSegura.h"

#include "platform/Errores.h"
#include "platform/TextoWindows.h"

#include <algorithm>
#include <atomic>

namespace EscrituraSegura {
namespace {

using Plataforma::Ancho;
using Plataforma::HandleWindows;

bool NombreAceptable(const std::string &nombre) {
  return !nombre.empty() && nombre != "." && nombre != ".." &&
         nombre.find_first_of(std::string_view("/\\:\0", 4)) == std::string::npos;
}

std::wstring NombreTemporal(const std::string &nombre) {
  static std::atomic<unsigned> contador{0};
  return Ancho("." + nombre + ".alcove-" + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(contador++));
}

// "carpeta\nombre", with one separator between them.
std::wstring Unir(const std::wstring &carpeta, const std::wstring &nombre) {
  if (carpeta.empty()) {
    return nombre;
  }
  const wchar_t ultimo = carpeta.back();
  return carpeta + (ultimo == L'\\' || ultimo == L'/' || ultimo == L':' ? L"" : L"\\") + nombre;
}

// Writes every byte and flushes them to the disk; 0 or a GetLastError value.
DWORD EscribirTodo(HANDLE h, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD n = 0;
    const auto pedir = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
    if (::WriteFile(h, bytes.data(), pedir, &n, nullptr) == 0) {
      return ::GetLastError();
    }
    bytes = bytes.subspan(n);
  }
  return ::FlushFileBuffers(h) != 0 ? 0 : ::GetLastError();
}

} // namespace

std::int16_t EscribirEnCarpeta(const std::string &carpeta, const std::string &nombre,
                               std::span<const std::uint8_t> bytes, bool reemplazar) {
  if (!NombreAceptable(nombre) || carpeta.find('\0') != std::string::npos) {
    return Errores::NombreArchivoIncorrecto;
  }
  const std::wstring ancha = Ancho(carpeta);
  const DWORD atributos = ::GetFileAttributesW(ancha.c_str());
  if (atributos == INVALID_FILE_ATTRIBUTES) {
    const DWORD e = ::GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND
               ? Errores::RutaNoEncontrada
               : Errores::DesdeHost(static_cast<int>(e));
  }
  if ((atributos & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Errores::RutaNoEncontrada;
  }
  const std::wstring temporal = Unir(ancha, NombreTemporal(nombre));
  const std::wstring destino = Unir(ancha, Ancho(nombre));
  HandleWindows archivo(::CreateFileW(temporal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!archivo.Valido()) {
    return Errores::DesdeHost(static_cast<int>(::GetLastError()));
  }
  DWORD fallo = EscribirTodo(archivo.Get(), bytes);
  if (!archivo.Cerrar() && fallo == 0) {
    fallo = ::GetLastError();
  }
  // Without MOVEFILE_REPLACE_EXISTING the move refuses an existing name, in the
  // same step that makes the new one.
  const DWORD modo = MOVEFILE_WRITE_THROUGH | (reemplazar ? MOVEFILE_REPLACE_EXISTING : 0);
  if (fallo == 0 && ::MoveFileExW(temporal.c_str(), destino.c_str(), modo) == 0) {
    fallo = ::GetLastError();
  }
  if (fallo != 0) {
    ::DeleteFileW(temporal.c_str());
    return fallo == ERROR_ALREADY_EXISTS || fallo == ERROR_FILE_EXISTS
               ? Errores::ArchivoYaExiste
               : Errores::DesdeHost(static_cast<int>(fallo));
  }
  return Errores::Ninguno;
}

} // namespace EscrituraSegura
