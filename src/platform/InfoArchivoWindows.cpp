#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "platform/Rutas.h"
#include "platform/TextoWindows.h"

// Windows keeps the attribute word the file utilities expect, bit for bit: it
// is handed over as the host gives it. Clearing it leaves a plain file.

namespace Plataforma {
namespace {

[[noreturn]] void FalloHost() { LanzarErrorHost(static_cast<int>(::GetLastError())); }

std::string SinCarpeta(const std::string &ruta) {
  const auto barra = ruta.find_last_of("/\\:");
  return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// 100 ns ticks from 1 January 1601 to 30 December 1899, the day count's origin.
constexpr std::int64_t kTicksPorDia = 864000000000LL;
constexpr std::int64_t kDias1601a1899 = 109205;
// Seconds from 1 January 1601 to 1 January 1970.
constexpr std::int64_t kSegundos1601a1970 = 11644473600LL;

std::int64_t Ticks(const FILETIME &f) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime);
}

// Days since 30 December 1899, local time, for a time stamp in UTC.
double FechaLocal(const FILETIME &utc) {
  SYSTEMTIME u{}, local{};
  FILETIME enLocal{};
  if (::FileTimeToSystemTime(&utc, &u) == 0 ||
      ::SystemTimeToTzSpecificLocalTime(nullptr, &u, &local) == 0 ||
      ::SystemTimeToFileTime(&local, &enLocal) == 0) {
    return 0;
  }
  // SYSTEMTIME stops at milliseconds; the ticks below them come from the stamp.
  const std::int64_t ticks = Ticks(enLocal) + Ticks(utc) % 10000;
  return static_cast<double>(ticks / kTicksPorDia - kDias1601a1899) +
         static_cast<double>(ticks % kTicksPorDia) / static_cast<double>(kTicksPorDia);
}

void ComprobarRuta(const std::string &ruta) {
  if (ruta.empty() || ContieneNulo(ruta)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
}

} // namespace

double FechaDesdeUnix(std::int64_t segundos, std::int64_t nanosegundos) {
  const std::int64_t ticks = (segundos + kSegundos1601a1970) * 10000000LL + nanosegundos / 100;
  if (ticks < 0) {
    return 0;
  }
  FILETIME f{};
  f.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFU);
  f.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  return FechaLocal(f);
}

ArchivoHost ObtenerArchivo(const std::string &ruta) {
  ComprobarRuta(ruta);
  WIN32_FILE_ATTRIBUTE_DATA datos{};
  if (::GetFileAttributesExW(Ancho(ruta).c_str(), GetFileExInfoStandard, &datos) == 0) {
    FalloHost();
  }
  if ((datos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    LanzarError(Errores::ArchivoNoEncontrado);
  }
  ArchivoHost a;
  a.Nombre = SinCarpeta(ruta);
  a.Atributos = datos.dwFileAttributes & 0xFFFFU;
  a.FechaCreacion = FechaLocal(datos.ftCreationTime);
  a.FechaAcceso = FechaLocal(datos.ftLastAccessTime);
  a.FechaModificacion = FechaLocal(datos.ftLastWriteTime);
  a.Tamano = static_cast<std::int64_t>((static_cast<std::uint64_t>(datos.nFileSizeHigh) << 32) |
                                       datos.nFileSizeLow);
  return a;
}

bool EsArchivoRegular(const std::string &ruta) {
  if (ruta.empty() || ContieneNulo(ruta)) {
    return false; // no file can have such a name
  }
  const DWORD atributos = ::GetFileAttributesW(Ancho(ruta).c_str());
  if (atributos != INVALID_FILE_ATTRIBUTES) {
    return (atributos & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  }
  switch (const DWORD e = ::GetLastError()) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_DIRECTORY:
  case ERROR_INVALID_NAME: return false; // nothing by that name
  case ERROR_FILENAME_EXCED_RANGE: LanzarError(Errores::RutaNoEncontrada);
  default: LanzarErrorHost(static_cast<int>(e));
  }
}

PermisosGuardados LimpiarAtributos(const std::string &ruta) {
  ComprobarRuta(ruta);
  const std::wstring ancha = Ancho(ruta);
  const DWORD atributos = ::GetFileAttributesW(ancha.c_str());
  if (atributos == INVALID_FILE_ATTRIBUTES) {
    FalloHost();
  }
  constexpr DWORD kLimpiables =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  PermisosGuardados previos{atributos, false};
  // A link is left alone, as on Linux.
  if ((atributos & kLimpiables) == 0 || (atributos & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return previos;
  }
  const DWORD nuevos = atributos & ~kLimpiables;
  if (::SetFileAttributesW(ancha.c_str(), nuevos == 0 ? FILE_ATTRIBUTE_NORMAL : nuevos) == 0) {
    FalloHost();
  }
  previos.cambiados = true;
  return previos;
}

void RestaurarAtributos(const std::string &ruta, PermisosGuardados previos) {
  if (previos.cambiados && !ContieneNulo(ruta)) {
    ::SetFileAttributesW(Ancho(ruta).c_str(), previos.modo);
  }
}

void BorrarArchivo(const std::string &ruta) {
  ComprobarRuta(ruta);
  if (::DeleteFileW(Ancho(ruta).c_str()) == 0) {
    FalloHost();
  }
}

void MoverArchivo(const std::string &de, const std::string &a) {
  if (ContieneNulo(de) || ContieneNulo(a)) {
    LanzarError(Errores::NombreArchivoIncorrecto);
  }
  // Without MOVEFILE_REPLACE_EXISTING an existing destination is refused; across
  // volumes the host copies and then deletes the source. A file moved onto its
  // own name is not refused by the host, and is here, as on Linux.
  const std::wstring destino = Ancho(a);
  if (::GetFileAttributesW(destino.c_str()) != INVALID_FILE_ATTRIBUTES) {
    LanzarError(Errores::ArchivoYaExiste);
  }
  const std::wstring origen = Ancho(de);
  if (::MoveFileExW(origen.c_str(), destino.c_str(),
                    MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0) {
    return;
  }
  const DWORD e = ::GetLastError();
  if (e == ERROR_PATH_NOT_FOUND || e == ERROR_FILE_NOT_FOUND) {
    // With the source there, what is missing is the destination's folder.
    LanzarError(::GetFileAttributesW(origen.c_str()) != INVALID_FILE_ATTRIBUTES
                    ? Errores::RutaNoEncontrada
                    : Errores::ArchivoNoEncontrado);
  }
  LanzarErrorHost(static_cast<int>(e));
}

} // namespace Plataforma
