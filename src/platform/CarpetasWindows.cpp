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

} // namespace

std::int16_t ListarCarpeta(const std::string &carpeta,
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

bool CrearCarpetas(const std::string &carpeta) {
  // A path built from wide characters: a narrow one would be read in the ANSI
  // code page.
  const std::filesystem::path ruta(Ancho(carpeta));
  std::error_code ec;
  std::filesystem::create_directories(ruta, ec);
  return std::filesystem::is_directory(ruta, ec);
}

} // namespace Plataforma
