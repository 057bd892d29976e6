#include "platform/EscrituraSegura.h"

#include "platform/Errores.h"
#include "platform/TextoWindows.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <utility>

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

// Temporary names being written now, removed if the console is closed or
// Ctrl-C ends the process before they are put in place.
std::mutex gMutexTemporales;
std::set<std::wstring> &Temporales() {
  static std::set<std::wstring> temporales;
  return temporales;
}

BOOL WINAPI AlTerminar(DWORD) {
  const std::lock_guard<std::mutex> cierre(gMutexTemporales);
  for (const std::wstring &t : Temporales()) {
    ::DeleteFileW(t.c_str());
  }
  return FALSE; // the host's own handling goes on: the process ends
}

void InstalarManejador() {
  static const bool instalado = ::SetConsoleCtrlHandler(AlTerminar, TRUE) != 0;
  (void)instalado;
}

// Holds a temporary name in Temporales() while it lives.
class Anotado {
public:
  explicit Anotado(std::wstring ruta) : ruta_(std::move(ruta)) {
    const std::lock_guard<std::mutex> cierre(gMutexTemporales);
    Temporales().insert(ruta_);
  }
  ~Anotado() {
    const std::lock_guard<std::mutex> cierre(gMutexTemporales);
    Temporales().erase(ruta_);
  }
  Anotado(const Anotado &) = delete;
  Anotado &operator=(const Anotado &) = delete;

private:
  std::wstring ruta_;
};

} // namespace

// The folder stays open, shared for reading and writing but not for deleting,
// so that its path cannot be renamed or removed, and so keeps naming it, while
// files are written into it.
struct Carpeta::Estado {
  std::wstring ruta;
  HANDLE h = INVALID_HANDLE_VALUE;
};

Carpeta::Carpeta(const std::string &ruta) : estado_(std::make_unique<Estado>()) {
  if (ruta.find('\0') != std::string::npos) {
    error_ = Errores::NombreArchivoIncorrecto;
    return;
  }
  estado_->ruta = Ancho(ruta.empty() ? std::string(".") : ruta);
  estado_->h = ::CreateFileW(estado_->ruta.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (estado_->h == INVALID_HANDLE_VALUE) {
    const DWORD e = ::GetLastError();
    error_ = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND
                 ? Errores::RutaNoEncontrada
                 : Errores::DesdeHost(static_cast<int>(e));
    return;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(estado_->h, &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error_ = Errores::RutaNoEncontrada; // a file where the folder was asked for
    return;
  }
  InstalarManejador();
}

Carpeta::~Carpeta() {
  if (estado_->h != INVALID_HANDLE_VALUE) {
    ::CloseHandle(estado_->h);
  }
}

std::int16_t Carpeta::Escribir(const std::string &nombre, std::span<const std::uint8_t> bytes,
                               bool reemplazar) {
  if (error_ != Errores::Ninguno) {
    return error_;
  }
  if (!NombreAceptable(nombre)) {
    return Errores::NombreArchivoIncorrecto;
  }
  const std::wstring temporal = Unir(estado_->ruta, NombreTemporal(nombre));
  const std::wstring destino = Unir(estado_->ruta, Ancho(nombre));
  const Anotado anotado(temporal);
  HandleWindows archivo(::CreateFileW(temporal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!archivo.Valido()) {
    return Errores::DesdeHost(static_cast<int>(::GetLastError()));
  }
  DWORD fallo = EscribirTodo(archivo.Get(), bytes);
  if (!archivo.Cerrar() && fallo == 0) {
    fallo = ::GetLastError();
  }
  // The written file is an ordinary one once it has its name.
  if (fallo == 0 && ::SetFileAttributesW(temporal.c_str(), FILE_ATTRIBUTE_NORMAL) == 0) {
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

bool Carpeta::Existe(const std::string &nombre) const {
  if (error_ != Errores::Ninguno) {
    return false;
  }
  // Anything but "not there" counts as there: a name we cannot look at is not free.
  if (::GetFileAttributesW(Unir(estado_->ruta, Ancho(nombre)).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  const DWORD e = ::GetLastError();
  return e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND;
}

std::int16_t EscribirEnCarpeta(const std::string &carpeta, const std::string &nombre,
                               std::span<const std::uint8_t> bytes, bool reemplazar) {
  if (!NombreAceptable(nombre)) {
    return Errores::NombreArchivoIncorrecto;
  }
  Carpeta destino(carpeta);
  return destino.Escribir(nombre, bytes, reemplazar);
}

} // namespace EscrituraSegura
