#include "platform/ArchivoNativo.h"
#include "platform/Errores.h"
#include "platform/TextoWindows.h"

#include <algorithm>

namespace Plataforma::Nativo {
namespace {

// Other programs may read, write, rename or delete an image we hold open, as
// they could on Linux.
constexpr DWORD kCompartir = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// One ReadFile or WriteFile moves at most this much.
constexpr std::size_t kTrozo = 1U << 30;

HANDLE H(Manejador m) { return reinterpret_cast<HANDLE>(m); }

[[noreturn]] void FalloHost() { LanzarErrorHost(static_cast<int>(::GetLastError())); }

OVERLAPPED En(std::int64_t pos) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(pos) & 0xFFFFFFFFU);
  o.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(pos) >> 32);
  return o;
}

} // namespace

Abierto Abrir(const std::string &ruta, Acceso acceso) {
  const bool escribir = acceso == Acceso::LecturaEscritura;
  // Backup semantics let a folder open too, so that it can be told apart.
  HandleWindows h(::CreateFileW(Ancho(ruta).c_str(), GENERIC_READ | (escribir ? GENERIC_WRITE : 0),
                                kCompartir, nullptr, escribir ? OPEN_ALWAYS : OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.Valido()) {
    const DWORD e = ::GetLastError();
    // Creating a file in a folder that does not exist: the path is what is missing.
    if (escribir && (e == ERROR_PATH_NOT_FOUND || e == ERROR_FILE_NOT_FOUND)) {
      LanzarError(Errores::RutaNoEncontrada);
    }
    LanzarErrorHost(static_cast<int>(e));
  }
  Abierto a;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h.Get()) != FILE_TYPE_DISK) {
    a.tipo = Tipo::Otro; // a console, pipe or device
  } else if (::GetFileInformationByHandle(h.Get(), &info) == 0) {
    FalloHost();
  } else {
    a.tipo =
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Tipo::Carpeta : Tipo::Regular;
    a.longitud = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                           info.nFileSizeLow);
  }
  a.manejador = reinterpret_cast<Manejador>(h.Liberar());
  return a;
}

std::size_t LeerEn(Manejador m, std::int64_t pos, std::uint8_t *destino, std::size_t largo) {
  std::size_t leidos = 0;
  while (leidos < largo) {
    OVERLAPPED o = En(pos + static_cast<std::int64_t>(leidos));
    DWORD n = 0;
    const auto pedir = static_cast<DWORD>(std::min(largo - leidos, kTrozo));
    if (::ReadFile(H(m), destino + leidos, pedir, &n, &o) == 0) {
      if (::GetLastError() == ERROR_HANDLE_EOF) {
        break;
      }
      FalloHost();
    }
    if (n == 0) {
      break;
    }
    leidos += n;
  }
  return leidos;
}

void EscribirEn(Manejador m, std::int64_t pos, const std::uint8_t *datos, std::size_t largo) {
  std::size_t escritos = 0;
  while (escritos < largo) {
    OVERLAPPED o = En(pos + static_cast<std::int64_t>(escritos));
    DWORD n = 0;
    const auto pedir = static_cast<DWORD>(std::min(largo - escritos, kTrozo));
    if (::WriteFile(H(m), datos + escritos, pedir, &n, &o) == 0) {
      FalloHost();
    }
    escritos += n;
  }
}

void FijarLongitud(Manejador m, std::int64_t longitud) {
  FILE_END_OF_FILE_INFO fin{};
  fin.EndOfFile.QuadPart = longitud;
  if (::SetFileInformationByHandle(H(m), FileEndOfFileInfo, &fin, sizeof fin) == 0) {
    FalloHost();
  }
}

void Cerrar(Manejador m) {
  if (::CloseHandle(H(m)) == 0) {
    FalloHost();
  }
}

void Soltar(Manejador m) noexcept { ::CloseHandle(H(m)); }

Manejador ReabrirParaEscribir(Manejador m, const std::string &) {
  // A read-only file is refused here: not every host checks the attribute when
  // a handle is reopened.
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(H(m), &info) == 0) {
    FalloHost();
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    LanzarError(Errores::PermisoDenegado);
  }
  // The same file whatever its name now names; the host still checks access.
  const HANDLE nuevo = ::ReOpenFile(H(m), GENERIC_READ | GENERIC_WRITE, kCompartir, 0);
  if (nuevo == INVALID_HANDLE_VALUE) {
    FalloHost();
  }
  return reinterpret_cast<Manejador>(nuevo);
}

bool MismoArchivo(Manejador m, const std::string &ruta) noexcept {
  // A file deleted while open keeps its name until the last handle goes.
  FILE_STANDARD_INFO estado{};
  if (::GetFileInformationByHandleEx(H(m), FileStandardInfo, &estado, sizeof estado) != 0 &&
      estado.DeletePending != 0) {
    return false;
  }
  const HandleWindows otro(::CreateFileW(Ancho(ruta).c_str(), 0, kCompartir, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  return otro.Valido() && ::GetFileInformationByHandle(H(m), &a) != 0 &&
         ::GetFileInformationByHandle(otro.Get(), &b) != 0 &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace Plataforma::Nativo
