#include "platform/ReemplazoSeguro.h"

#include "platform/Errores.h"
#include "platform/Rutas.h"
#include "platform/TextoWindows.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <string_view>

namespace Plataforma {
namespace {

// Internal result of the check before the move: the file is not what was read.
constexpr DWORD kCambiado = 0xFFFFFFFF;

HuellaArchivo HuellaDe(const BY_HANDLE_FILE_INFORMATION &info, std::uint64_t resumen) {
  HuellaArchivo h;
  h.dispositivo = info.dwVolumeSerialNumber;
  h.identificador = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32U) | info.nFileIndexLow;
  h.tamano = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32U) |
                                       info.nFileSizeLow);
  const std::uint64_t cien =
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32U) |
      info.ftLastWriteTime.dwLowDateTime;
  h.modificacion = static_cast<std::int64_t>(cien) * 100;
  h.resumen = resumen;
  return h;
}

// Reads `largo` bytes from the handle's position; 0 or a GetLastError value.
DWORD LeerHandle(HANDLE h, std::size_t largo, std::vector<std::uint8_t> &destino) {
  destino.resize(largo);
  std::size_t leidos = 0;
  while (leidos < largo) {
    DWORD n = 0;
    const auto pedir = static_cast<DWORD>(std::min<std::size_t>(largo - leidos, 1U << 30U));
    if (::ReadFile(h, destino.data() + leidos, pedir, &n, nullptr) == 0) {
      return ::GetLastError();
    }
    if (n == 0) {
      break;
    }
    leidos += n;
  }
  destino.resize(leidos);
  return 0;
}

DWORD EscribirTodo(HANDLE h, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD n = 0;
    const auto pedir = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30U));
    if (::WriteFile(h, bytes.data(), pedir, &n, nullptr) == 0) {
      return ::GetLastError();
    }
    bytes = bytes.subspan(n);
  }
  return ::FlushFileBuffers(h) != 0 ? 0 : ::GetLastError();
}

bool EsSeparador(wchar_t c) { return c == L'\\' || c == L'/'; }

// The folder and name of the real file: the one `ruta` names through any
// links. A file that does not exist yet is named in its folder's full path.
struct Destino {
  std::wstring carpeta;
  std::wstring nombre;
  [[nodiscard]] std::wstring Ruta() const { return carpeta + L'\\' + nombre; }
};

std::wstring RutaCompleta(const std::wstring &ruta) {
  const DWORD n = ::GetFullPathNameW(ruta.c_str(), 0, nullptr, nullptr);
  if (n == 0) {
    return ruta;
  }
  std::wstring completa(n, L'\0');
  const DWORD escrito = ::GetFullPathNameW(ruta.c_str(), n, completa.data(), nullptr);
  completa.resize(escrito < n ? escrito : 0);
  return completa.empty() ? ruta : completa;
}

// Where the links lead, when the host can say it.
std::wstring RutaFinal(const std::wstring &ruta) {
  const HandleWindows h(::CreateFileW(ruta.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.Valido()) {
    return RutaCompleta(ruta);
  }
  const DWORD n = ::GetFinalPathNameByHandleW(h.Get(), nullptr, 0, VOLUME_NAME_DOS);
  if (n == 0) {
    return RutaCompleta(ruta);
  }
  std::wstring final(n, L'\0');
  const DWORD escrito = ::GetFinalPathNameByHandleW(h.Get(), final.data(), n, VOLUME_NAME_DOS);
  if (escrito == 0 || escrito >= n) {
    return RutaCompleta(ruta);
  }
  final.resize(escrito);
  return final;
}

// 0 or a GetLastError value.
DWORD Resolver(const std::string &ruta, Destino &d) {
  if (ruta.empty() || ContieneNulo(ruta)) {
    return ERROR_INVALID_NAME;
  }
  const std::wstring completa = RutaFinal(Ancho(ruta));
  const auto corte = std::find_if(completa.rbegin(), completa.rend(), EsSeparador).base();
  if (corte == completa.begin()) {
    return ERROR_INVALID_NAME;
  }
  d.carpeta.assign(completa.begin(), corte - 1);
  d.nombre.assign(corte, completa.end());
  if (d.nombre.empty() || d.nombre == L"." || d.nombre == L"..") {
    return ERROR_INVALID_NAME;
  }
  const DWORD atributos = ::GetFileAttributesW(d.carpeta.empty() ? L"\\" : d.carpeta.c_str());
  if (atributos == INVALID_FILE_ATTRIBUTES) {
    return ::GetLastError();
  }
  return (atributos & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_PATH_NOT_FOUND;
}

// A name no other process uses: for writers that hold no lock.
std::wstring NombreTemporal(const std::wstring &nombre) {
  static std::atomic<unsigned> contador{0};
  return L"." + nombre + L".alcove-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(contador++);
}

// Test hook: with ALCOVE_PRUEBA_ESCRITURA=matar-al-renombrar the process ends
// at once, as a kill would end it, once the new file is written under its
// temporary name and just before the move.
void MuerteDePrueba() {
  wchar_t valor[32];
  const DWORD n = ::GetEnvironmentVariableW(L"ALCOVE_PRUEBA_ESCRITURA", valor, 32);
  if (n > 0 && n < 32 && std::wstring_view(valor, n) == L"matar-al-renombrar") {
    ::TerminateProcess(::GetCurrentProcess(), 137);
  }
}

// Takes the lock of the whole file (LockFileEx), waiting a little while another
// writer holds it: our own writers hold it from before they write to their
// move. 0 or a GetLastError value; `exclusivo` tells whether it is really held.
DWORD Bloquear(HANDLE h, bool &exclusivo) {
  exclusivo = false;
  for (int intento = 0; intento < 400; ++intento) {
    OVERLAPPED o{};
    if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                     &o) != 0) {
      exclusivo = true;
      return 0;
    }
    const DWORD e = ::GetLastError();
    if (e == ERROR_NOT_SUPPORTED || e == ERROR_INVALID_FUNCTION) {
      return 0; // file systems without locks go on without one
    }
    if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) {
      return e;
    }
    ::Sleep(5);
  }
  return ERROR_LOCK_VIOLATION; // two seconds: someone else keeps it
}

// The old file, held open and locked from before the new one is written to
// the move. While it is locked, the temporary name ".NAME.alcove-nuevo" is
// ours alone.
struct Cerrojo {
  HANDLE h = INVALID_HANDLE_VALUE;
  bool exclusivo = false;
  Cerrojo() = default;
  ~Cerrojo() { Soltar(); }
  Cerrojo(const Cerrojo &) = delete;
  Cerrojo &operator=(const Cerrojo &) = delete;
  // 0, kCambiado when the file is gone, or a GetLastError value.
  DWORD Tomar(const Destino &d) {
    h = ::CreateFileW(d.Ruta().c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD e = ::GetLastError();
      return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kCambiado : e;
    }
    return Bloquear(h, exclusivo);
  }
  void Soltar() {
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h); // closing releases the lock too
      h = INVALID_HANDLE_VALUE;
    }
  }
};

// Whether the real file, held in `cerrojo`, is still the one `leida`
// describes, bytes included, and still has its name.
DWORD Comprobar(const Destino &d, const HuellaArchivo &leida, const Cerrojo &cerrojo) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(cerrojo.h, &info) == 0) {
    return ::GetLastError();
  }
  // Someone may have put another file under the name meanwhile.
  const HandleWindows nombrado(
      ::CreateFileW(d.Ruta().c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION otro{};
  if (!nombrado.Valido() || ::GetFileInformationByHandle(nombrado.Get(), &otro) == 0 ||
      HuellaDe(otro, 0).identificador != HuellaDe(info, 0).identificador ||
      otro.dwVolumeSerialNumber != info.dwVolumeSerialNumber) {
    return kCambiado;
  }
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      HuellaDe(info, leida.resumen) != leida) {
    return kCambiado;
  }
  LARGE_INTEGER inicio{};
  if (::SetFilePointerEx(cerrojo.h, inicio, nullptr, FILE_BEGIN) == 0) {
    return ::GetLastError();
  }
  std::vector<std::uint8_t> ahora;
  if (const DWORD fallo = LeerHandle(cerrojo.h, static_cast<std::size_t>(leida.tamano), ahora)) {
    return fallo;
  }
  return ResumenBytes(ahora) == leida.resumen ? 0 : kCambiado;
}

// The name the new file is written under: ours alone under the old file's
// lock (one there already is the copy of a writer killed before its move,
// removed now), otherwise one no other process uses.
std::wstring Temporal(const Destino &d, const Cerrojo *cerrojo) {
  if (cerrojo != nullptr && cerrojo->exclusivo) {
    std::wstring propio = d.carpeta + L"\\." + d.nombre + L".alcove-nuevo";
    ::SetFileAttributesW(propio.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(propio.c_str());
    return propio;
  }
  return d.carpeta + L'\\' + NombreTemporal(d.nombre);
}

// Writes `bytes` to a temporary file in the folder, flushes it, runs
// `comprobar` (0 to go on) and moves the file over `d`'s name: only with
// `reemplazar` over an existing one, which `cerrojo` (when given) holds
// locked. When the move is refused while the old file is held open, the lock
// is let go and the move tried once more.
DWORD Escribir(const Destino &d, std::span<const std::uint8_t> bytes, DWORD atributos,
               bool reemplazar, Cerrojo *cerrojo, const std::function<DWORD()> &comprobar) {
  const std::wstring temporal = Temporal(d, cerrojo);
  HandleWindows archivo(::CreateFileW(temporal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!archivo.Valido()) {
    return ::GetLastError();
  }
  DWORD fallo = EscribirTodo(archivo.Get(), bytes);
  if (!archivo.Cerrar() && fallo == 0) {
    fallo = ::GetLastError();
  }
  if (fallo == 0 && ::SetFileAttributesW(temporal.c_str(), atributos) == 0) {
    fallo = ::GetLastError();
  }
  if (fallo == 0) {
    fallo = comprobar();
  }
  if (fallo == 0) {
    MuerteDePrueba();
  }
  const DWORD modo = MOVEFILE_WRITE_THROUGH | (reemplazar ? MOVEFILE_REPLACE_EXISTING : 0);
  const std::wstring destino = d.Ruta();
  if (fallo == 0 && ::MoveFileExW(temporal.c_str(), destino.c_str(), modo) == 0) {
    fallo = ::GetLastError();
    if (cerrojo != nullptr && (fallo == ERROR_ACCESS_DENIED || fallo == ERROR_SHARING_VIOLATION)) {
      cerrojo->Soltar();
      fallo = ::MoveFileExW(temporal.c_str(), destino.c_str(), modo) != 0 ? 0 : ::GetLastError();
    }
  }
  if (fallo != 0) {
    ::DeleteFileW(temporal.c_str());
  }
  return fallo;
}

// False when the caller may not write the file: its read-only attribute, or
// an ACL that denies writing.
bool PuedeEscribir(const Destino &d, DWORD atributos) {
  if ((atributos & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  const HandleWindows h(::CreateFileW(d.Ruta().c_str(), FILE_WRITE_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  return h.Valido() || ::GetLastError() != ERROR_ACCESS_DENIED;
}

// The attributes the new file takes from the one it replaces.
DWORD AtributosHeredados(DWORD viejos) {
  const DWORD propios = viejos & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  return propios != 0 ? propios : FILE_ATTRIBUTE_NORMAL;
}

std::int16_t Error(DWORD e) {
  return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS
             ? Errores::ArchivoYaExiste
             : Errores::DesdeHost(static_cast<int>(e));
}

} // namespace

std::int16_t LeerParaReemplazar(const std::string &ruta, std::uintmax_t limite,
                                std::vector<std::uint8_t> &destino, HuellaArchivo &huella) {
  destino.clear();
  if (ContieneNulo(ruta)) {
    return Errores::NombreArchivoIncorrecto;
  }
  const HandleWindows h(::CreateFileW(Ancho(ruta).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.Valido()) {
    return Errores::DesdeHost(static_cast<int>(::GetLastError()));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(h.Get(), &info) == 0) {
    return Errores::DesdeHost(static_cast<int>(::GetLastError()));
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      ::GetFileType(h.Get()) != FILE_TYPE_DISK) {
    return Errores::ArchivoNoEncontrado;
  }
  const HuellaArchivo tal = HuellaDe(info, 0);
  if (static_cast<std::uintmax_t>(tal.tamano) > limite) {
    return Errores::ArgumentoNoValido;
  }
  if (const DWORD fallo = LeerHandle(h.Get(), static_cast<std::size_t>(tal.tamano), destino)) {
    destino.clear();
    return Errores::DesdeHost(static_cast<int>(fallo));
  }
  huella = HuellaDe(info, ResumenBytes(destino));
  return Errores::Ninguno;
}

Reemplazo ReemplazarArchivo(const std::string &ruta, const HuellaArchivo &leida,
                            std::span<const std::uint8_t> bytes) {
  Destino d;
  if (const DWORD fallo = Resolver(ruta, d)) {
    const bool falta = fallo == ERROR_FILE_NOT_FOUND || fallo == ERROR_PATH_NOT_FOUND;
    return {falta ? std::int16_t{0} : Errores::DesdeHost(static_cast<int>(fallo)), falta, {}};
  }
  WIN32_FILE_ATTRIBUTE_DATA datos{};
  if (::GetFileAttributesExW(d.Ruta().c_str(), GetFileExInfoStandard, &datos) == 0 ||
      (datos.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return {Errores::Ninguno, true, {}}; // gone already: nothing written
  }
  if (!PuedeEscribir(d, datos.dwFileAttributes)) {
    return {Errores::Ninguno, false, kSoloLectura};
  }
  Cerrojo cerrojo; // released once the new file is in place
  DWORD fallo = cerrojo.Tomar(d);
  if (fallo == 0) {
    fallo = Escribir(d, bytes, AtributosHeredados(datos.dwFileAttributes), true, &cerrojo,
                     [&] { return Comprobar(d, leida, cerrojo); });
  }
  if (fallo == kCambiado) {
    return {Errores::Ninguno, true, {}};
  }
  return {fallo == 0 ? Errores::Ninguno : Error(fallo), false, {}};
}

std::int16_t CrearArchivo(const std::string &ruta, std::span<const std::uint8_t> bytes,
                          bool reemplazar, std::string *rechazo) {
  Destino d;
  if (const DWORD fallo = Resolver(ruta, d)) {
    return fallo == ERROR_INVALID_NAME ? Errores::NombreArchivoIncorrecto
                                       : Errores::DesdeHost(static_cast<int>(fallo));
  }
  DWORD atributos = FILE_ATTRIBUTE_NORMAL;
  Cerrojo cerrojo;
  bool hay = false;
  const DWORD existentes = ::GetFileAttributesW(d.Ruta().c_str());
  if (existentes != INVALID_FILE_ATTRIBUTES) {
    if (!reemplazar) {
      return Errores::ArchivoYaExiste;
    }
    if ((existentes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Errores::ErrorAccesoRuta; // never a folder
    }
    if (!PuedeEscribir(d, existentes)) {
      if (rechazo != nullptr) {
        *rechazo = kSoloLectura;
      }
      return Errores::PermisoDenegado;
    }
    atributos = AtributosHeredados(existentes);
    const DWORD fallo = cerrojo.Tomar(d);
    if (fallo != 0 && fallo != kCambiado) {
      return Error(fallo);
    }
    hay = fallo == 0;
  }
  const DWORD fallo =
      Escribir(d, bytes, atributos, reemplazar, hay ? &cerrojo : nullptr, [] { return DWORD{0}; });
  return fallo == 0 ? Errores::Ninguno : Error(fallo);
}

} // namespace Plataforma
