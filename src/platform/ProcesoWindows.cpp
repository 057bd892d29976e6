#include "platform/Proceso.h"

#include "platform/TextoWindows.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace Plataforma {
namespace {

bool EsSeparador(char c) { return c == '/' || c == '\\' || c == ':'; }

// The files a pattern such as "imagenes\*.dsk" names, with the pattern's own
// folder part in front, sorted by their bytes.
std::vector<std::string> Coincidencias(const std::string &patron) {
  std::vector<std::string> salida;
  const auto corte = std::find_if(patron.rbegin(), patron.rend(), EsSeparador).base();
  const std::string carpeta(patron.begin(), corte);
  WIN32_FIND_DATAW datos{};
  const HANDLE h = ::FindFirstFileExW(Ancho(patron).c_str(), FindExInfoBasic, &datos,
                                      FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) {
    return salida;
  }
  do {
    if ((datos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
      salida.push_back(carpeta + Estrecho(datos.cFileName));
    }
  } while (::FindNextFileW(h, &datos) != 0);
  ::FindClose(h);
  std::sort(salida.begin(), salida.end());
  return salida;
}

HANDLE Handle(Flujo flujo) {
  return ::GetStdHandle(flujo == Flujo::Salida ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

} // namespace

std::vector<std::string> ArgumentosUtf8(int argc, char **argv) {
  // Bytes out as they are: text mode would turn each LF into CR LF.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  int n = 0;
  LPWSTR *anchos = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (anchos == nullptr) {
    return {argv, argv + argc};
  }
  std::vector<std::string> argumentos;
  for (int i = 0; i < n; ++i) {
    argumentos.push_back(Estrecho(anchos[i]));
  }
  ::LocalFree(anchos);
  return argumentos;
}

bool EsTerminal(Flujo flujo) {
  // isatty() is also true for NUL; only a console has a console mode.
  DWORD modo = 0;
  return ::GetConsoleMode(Handle(flujo), &modo) != 0;
}

int Escribir(Flujo flujo, std::string_view texto) {
  static const bool consolaSalida = EsTerminal(Flujo::Salida);
  static const bool consolaErrores = EsTerminal(Flujo::Errores);
  std::FILE *archivo = flujo == Flujo::Salida ? stdout : stderr;
  if (!(flujo == Flujo::Salida ? consolaSalida : consolaErrores)) {
    errno = 0;
    if (std::fwrite(texto.data(), 1, texto.size(), archivo) != texto.size()) {
      return errno != 0 ? errno : EIO;
    }
    return 0;
  }
  // A console shows UTF-16; UTF-8 bytes would show garbled whatever its code page.
  std::fflush(archivo);
  const std::wstring ancho = Ancho(texto);
  DWORD escritos = 0;
  return ::WriteConsoleW(Handle(flujo), ancho.data(), static_cast<DWORD>(ancho.size()), &escritos,
                         nullptr) != 0
             ? 0
             : EIO;
}

int EscribirSinBufer(Flujo flujo, std::string_view texto) {
  if (EsTerminal(flujo)) {
    Escribir(flujo, texto);
    return 0;
  }
  std::fflush(flujo == Flujo::Salida ? stdout : stderr);
  std::size_t hecho = 0;
  while (hecho < texto.size()) {
    const DWORD pedido = static_cast<DWORD>(std::min<std::size_t>(texto.size() - hecho, 1U << 30U));
    DWORD escritos = 0;
    if (::WriteFile(Handle(flujo), texto.data() + hecho, pedido, &escritos, nullptr) == 0) {
      const DWORD e = ::GetLastError();
      // A pipe whose reader has gone.
      return e == ERROR_BROKEN_PIPE || e == ERROR_NO_DATA ? EPIPE : EIO;
    }
    hecho += escritos;
  }
  return 0;
}

unsigned NucleosDisponibles() {
  return std::max<unsigned>(1U, ::GetActiveProcessorCount(ALL_PROCESSOR_GROUPS));
}

void ExpandirComodines(std::vector<std::string> &rutas) {
  std::vector<std::string> salida;
  for (std::string &ruta : rutas) {
    const auto corte = std::find_if(ruta.rbegin(), ruta.rend(), EsSeparador).base();
    const bool comodin =
        std::find_if(corte, ruta.end(), [](char c) { return c == '*' || c == '?'; }) != ruta.end();
    std::vector<std::string> halladas = comodin ? Coincidencias(ruta) : std::vector<std::string>{};
    if (halladas.empty()) {
      salida.push_back(std::move(ruta));
    } else {
      std::move(halladas.begin(), halladas.end(), std::back_inserter(salida));
    }
  }
  rutas = std::move(salida);
}

} // namespace Plataforma
