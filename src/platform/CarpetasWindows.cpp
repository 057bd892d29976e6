#include "platform/Carpetas.h"

#include "platform/Errores.h"
#include "platform/TextoWindows.h"

#include <filesystem>

namespace Plataforma {
namespace {

class Busqueda {
public:
  explicit Busqueda(HANDLE h) : h_(h) {}
  ~Busqueda() {
    if (h_ != INVALID_HANDLE_VALUE) {
      ::FindClose(h_);
    }
  }
  Busqueda(const Busqueda &) = delete;
  Busqueda &operator=(const Busqueda &) = delete;
  [[nodiscard]] HANDLE Get() const { return h_; }

private:
  HANDLE h_;
};

bool EsSeparador(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

// The folder's volume and file index, when the host gives them.
bool Identidad(const std::string &carpeta, IdCarpeta &id) {
  const HANDLE h = ::CreateFileW(Ancho(carpeta).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool bien = ::GetFileInformationByHandle(h, &info) != 0;
  ::CloseHandle(h);
  if (bien) {
    id.dispositivo = info.dwVolumeSerialNumber;
    id.nodo = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32U) | info.nFileIndexLow;
  }
  return bien;
}

} // namespace

std::int16_t ListarCarpeta(const std::string &carpeta,
                           const std::function<bool(const IdCarpeta &)> &entrar,
                           const std::function<bool(std::string_view)> &interesa,
                           const std::function<void(std::string_view, bool)> &alVer) {
  std::wstring patron = Ancho(carpeta);
  if (!patron.empty() && !EsSeparador(patron.back())) {
    patron += L'\\';
  }
  patron += L'*';
  WIN32_FIND_DATAW datos{};
  const Busqueda b(::FindFirstFileExW(patron.c_str(), FindExInfoBasic, &datos,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (b.Get() == INVALID_HANDLE_VALUE) {
    const DWORD e = ::GetLastError();
    // A folder that exists but holds nothing at all (a drive's empty root).
    return e == ERROR_FILE_NOT_FOUND ? Errores::Ninguno : Errores::DesdeHost(static_cast<int>(e));
  }
  if (IdCarpeta id; Identidad(carpeta, id) && !entrar(id)) {
    return Errores::Ninguno;
  }
  do {
    const std::wstring_view ancho = datos.cFileName;
    if (ancho == L"." || ancho == L"..") {
      continue;
    }
    const std::string nombre = Estrecho(ancho);
    const DWORD a = datos.dwFileAttributes;
    // Junctions and links to folders are not entered; a link to a file is read
    // through, as the host opens it.
    if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if ((a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        alVer(nombre, true);
      }
    } else if ((a & FILE_ATTRIBUTE_DEVICE) == 0 && interesa(nombre)) {
      alVer(nombre, false);
    }
  } while (::FindNextFileW(b.Get(), &datos) != 0);
  const DWORD e = ::GetLastError();
  return e == ERROR_NO_MORE_FILES ? Errores::Ninguno : Errores::DesdeHost(static_cast<int>(e));
}

std::int16_t CrearCarpetas(const std::string &carpeta) {
  // A path built from wide characters: a narrow one would be read in the ANSI
  // code page.
  const std::filesystem::path ruta(Ancho(carpeta));
  std::error_code ec;
  std::filesystem::create_directories(ruta, ec);
  return ec ? Errores::DesdeHost(ec.value()) : Errores::Ninguno;
}

} // namespace Plataforma
