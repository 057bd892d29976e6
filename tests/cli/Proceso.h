#pragma once

#include "Comun.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

// The real alcove-cli, run as a process with its standard output and error
// read through pipes (or, on POSIX hosts, a terminal, to see what it does for people).
struct Resultado {
  int codigo = -1;
  std::string salida;
  std::string errores;
  long memoriaMaximaKb = 0; // the most memory it held at once, where the host tells
};

// Where the program's standard output goes.
enum class SalidaCli {
  Tubo,     // read back into Resultado::salida
  Terminal, // a pseudo-terminal, read back too (its line discipline turns "\n" into "\r\n")
  Archivo,  // the file `archivo` names, e.g. /dev/full
};

struct OpcionesCli {
  SalidaCli salida = SalidaCli::Tubo;
  std::string archivo;              // for SalidaCli::Archivo
  std::vector<std::string> entorno; // "NOMBRE=valor" added to this process's environment
  bool erroresEnTerminal = false;   // standard error on a pseudo-terminal of its own (POSIX)
  std::vector<std::string> delante; // a program that runs alcove-cli (POSIX), e.g. setpriv
};

namespace proceso_detalle {
// No run of the program in these tests comes near this; one that does is
// stuck, and is killed so the test fails instead of hanging.
inline constexpr int kPlazoMs = 60000;
} // namespace proceso_detalle

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <psapi.h>

#include <cwchar>
#include <thread>

namespace proceso_detalle {

inline std::wstring Ancho(const std::string &texto) {
  if (texto.empty()) {
    return {};
  }
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), w.data(), n);
  return w;
}

// One argument quoted as CommandLineToArgvW reads it back.
inline void Citar(std::wstring &linea, const std::wstring &arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    linea += arg;
    return;
  }
  linea += L'"';
  std::size_t barras = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++barras;
      continue;
    }
    linea.append(c == L'"' ? barras * 2 + 1 : barras, L'\\');
    barras = 0;
    linea += c;
  }
  linea.append(barras * 2, L'\\');
  linea += L'"';
}

inline void LeerTodo(HANDLE h, std::string &destino) {
  char buffer[65536];
  DWORD n = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) != 0 && n > 0) {
    destino.append(buffer, n);
  }
  ::CloseHandle(h);
}

} // namespace proceso_detalle

// Windows has no pseudo-terminals: tests that need one skip with this reason.
inline std::string TerminalNoDisponible() { return "Windows no tiene pseudoterminales"; }

// Runs ALCOVE_CLI with `args` (UTF-8) through CreateProcessW. A step of the
// harness that fails gives codigo -1 and says why in `errores`; a run that
// takes too long is killed.
inline Resultado EjecutarCli(const std::vector<std::string> &args, const OpcionesCli &opciones) {
  using namespace proceso_detalle;
  Resultado r;
  if (opciones.salida == SalidaCli::Terminal) {
    r.errores = TerminalNoDisponible();
    return r;
  }
  const std::wstring programa = Ancho(ALCOVE_CLI);
  std::wstring linea;
  Citar(linea, programa);
  for (const std::string &a : args) {
    linea += L' ';
    Citar(linea, Ancho(a));
  }
  SECURITY_ATTRIBUTES heredable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE salida[2] = {nullptr, nullptr}, errores[2];
  if (::CreatePipe(&errores[0], &errores[1], &heredable, 0) == 0) {
    r.errores = "CreatePipe falló";
    return r;
  }
  if (opciones.salida == SalidaCli::Archivo) {
    salida[1] = ::CreateFileW(Ancho(opciones.archivo).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (salida[1] == INVALID_HANDLE_VALUE) {
      r.errores = "no se pudo abrir " + opciones.archivo;
    }
  } else if (::CreatePipe(&salida[0], &salida[1], &heredable, 0) == 0) {
    r.errores = "CreatePipe falló";
  } else {
    ::SetHandleInformation(salida[0], HANDLE_FLAG_INHERIT, 0);
  }
  if (!r.errores.empty()) {
    ::CloseHandle(errores[0]);
    ::CloseHandle(errores[1]);
    return r;
  }
  ::SetHandleInformation(errores[0], HANDLE_FLAG_INHERIT, 0);
  HANDLE nulo = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable,
                              OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW inicio{};
  inicio.cb = sizeof inicio;
  inicio.dwFlags = STARTF_USESTDHANDLES;
  inicio.hStdInput = nulo;
  inicio.hStdOutput = salida[1];
  inicio.hStdError = errores[1];
  // The environment: the added variables, then this process's own.
  std::wstring entorno;
  for (const std::string &v : opciones.entorno) {
    entorno += Ancho(v);
    entorno += L'\0';
  }
  if (wchar_t *propio = ::GetEnvironmentStringsW(); propio != nullptr) {
    for (const wchar_t *v = propio; *v != L'\0'; v += std::wcslen(v) + 1) {
      entorno.append(v, std::wcslen(v) + 1);
    }
    ::FreeEnvironmentStringsW(propio);
  }
  entorno += L'\0';
  PROCESS_INFORMATION info{};
  // Wine, on a loaded machine, now and then fails to start a process that
  // starts the next time (once in four full test runs): a few tries.
  BOOL creado = FALSE;
  DWORD fallo = 0;
  for (int intento = 0; intento < 5 && creado == 0; ++intento) {
    if (intento > 0) {
      ::Sleep(200);
    }
    creado = ::CreateProcessW(programa.c_str(), linea.data(), nullptr, nullptr, TRUE,
                              CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, entorno.data(),
                              nullptr, &inicio, &info);
    fallo = creado == 0 ? ::GetLastError() : 0;
  }
  ::CloseHandle(salida[1]);
  ::CloseHandle(errores[1]);
  ::CloseHandle(nulo);
  if (creado == 0) {
    if (salida[0] != nullptr) {
      ::CloseHandle(salida[0]);
    }
    ::CloseHandle(errores[0]);
    r.errores = "CreateProcessW falló (error " + std::to_string(fallo) + ")";
    return r;
  }
  // Both pipes at once, so that neither can fill up and stop the child.
  // A child that does not end in time is killed, which closes its pipes.
  std::thread lectorErrores(LeerTodo, errores[0], std::ref(r.errores));
  std::string recibido;
  std::thread lectorSalida;
  if (salida[0] != nullptr) {
    lectorSalida = std::thread(LeerTodo, salida[0], std::ref(recibido));
  }
  if (::WaitForSingleObject(info.hProcess, static_cast<DWORD>(kPlazoMs)) == WAIT_TIMEOUT) {
    ::TerminateProcess(info.hProcess, 137);
    ::WaitForSingleObject(info.hProcess, INFINITE);
  }
  if (lectorSalida.joinable()) {
    lectorSalida.join();
  }
  lectorErrores.join();
  r.salida = std::move(recibido);
  DWORD codigo = 0;
  ::GetExitCodeProcess(info.hProcess, &codigo);
  r.codigo = static_cast<int>(codigo);
  PROCESS_MEMORY_COUNTERS memoria{};
  if (::K32GetProcessMemoryInfo(info.hProcess, &memoria, sizeof memoria) != 0) {
    r.memoriaMaximaKb = static_cast<long>(memoria.PeakWorkingSetSize / 1024);
  }
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
  return r;
}

#else
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace proceso_detalle {

inline void LeerAmbos(int fdSalida, int fdErrores, pid_t pid, Resultado &r) {
  pollfd fds[2] = {{fdSalida, POLLIN, 0}, {fdErrores, POLLIN, 0}};
  std::string *destinos[2] = {&r.salida, &r.errores};
  int abiertos = (fdSalida >= 0 ? 1 : 0) + (fdErrores >= 0 ? 1 : 0);
  char buffer[65536];
  const auto fin = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPlazoMs);
  while (abiertos > 0) {
    const auto quedan = std::chrono::duration_cast<std::chrono::milliseconds>(
                            fin - std::chrono::steady_clock::now())
                            .count();
    const int listos = quedan > 0 ? ::poll(fds, 2, static_cast<int>(quedan)) : 0;
    if (listos == 0) {
      ::kill(pid, SIGKILL);
      r.errores += "[la prueba ha matado el proceso: no terminó en " +
                   std::to_string(kPlazoMs / 1000) + " s]";
      break;
    }
    if (listos < 0) {
      if (errno == EINTR) {
        continue;
      }
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        destinos[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1; // poll ignores negative descriptors
        --abiertos;
      }
    }
  }
  for (const pollfd &f : fds) {
    if (f.fd >= 0) {
      ::close(f.fd);
    }
  }
}

inline std::string Fallo(const char *que) { return std::string(que) + ": " + std::strerror(errno); }

// A pseudo-terminal's two ends; on failure, `motivo` says which step failed.
struct Terminal {
  int maestro = -1;
  int esclavo = -1;
  std::string motivo;
};

inline Terminal AbrirTerminal() {
  Terminal t;
  t.maestro = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (t.maestro < 0) {
    t.motivo = Fallo("posix_openpt");
    return t;
  }
  const char *nombre = nullptr;
  if (::grantpt(t.maestro) != 0) {
    t.motivo = Fallo("grantpt");
  } else if (::unlockpt(t.maestro) != 0) {
    t.motivo = Fallo("unlockpt");
  } else if ((nombre = ::ptsname(t.maestro)) == nullptr) {
    t.motivo = Fallo("ptsname");
  } else if ((t.esclavo = ::open(nombre, O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0) {
    t.motivo = Fallo("open(ptsname)");
  }
  if (!t.motivo.empty()) {
    ::close(t.maestro);
    t.maestro = -1;
  }
  return t;
}

} // namespace proceso_detalle

// Why no pseudo-terminal can be had here (no /dev/pts in a chroot, say), or
// nothing when one can: tests that need one skip with that reason.
inline std::string TerminalNoDisponible() {
  const proceso_detalle::Terminal t = proceso_detalle::AbrirTerminal();
  if (t.motivo.empty()) {
    ::close(t.esclavo);
    ::close(t.maestro);
  }
  return t.motivo;
}

// Runs ALCOVE_CLI with `args`. A step of the harness that fails gives codigo -1
// and says why in `errores`; a run that takes too long is killed.
inline Resultado EjecutarCli(const std::vector<std::string> &args, const OpcionesCli &opciones) {
  std::vector<std::string> todos = opciones.delante;
  todos.emplace_back(ALCOVE_CLI);
  todos.insert(todos.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &a : todos) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  std::vector<std::string> variables = opciones.entorno;
  std::vector<char *> entorno;
  for (std::string &v : variables) {
    entorno.push_back(v.data());
  }
  for (char **e = environ; *e != nullptr; ++e) {
    entorno.push_back(*e);
  }
  entorno.push_back(nullptr);

  Resultado r;
  int salida[2] = {-1, -1};
  int errores[2];
  if (opciones.erroresEnTerminal) {
    const proceso_detalle::Terminal t = proceso_detalle::AbrirTerminal();
    if (!t.motivo.empty()) {
      r.errores = t.motivo;
      return r;
    }
    errores[0] = t.maestro;
    errores[1] = t.esclavo;
  } else if (::pipe2(errores, O_CLOEXEC) != 0) {
    r.errores = proceso_detalle::Fallo("pipe2");
    return r;
  }
  if (opciones.salida == SalidaCli::Terminal) {
    const proceso_detalle::Terminal t = proceso_detalle::AbrirTerminal();
    salida[0] = t.maestro;
    salida[1] = t.esclavo;
    r.errores = t.motivo;
  } else if (opciones.salida == SalidaCli::Archivo) {
    salida[1] = ::open(opciones.archivo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (salida[1] < 0) {
      r.errores = proceso_detalle::Fallo(opciones.archivo.c_str());
    }
  } else if (::pipe2(salida, O_CLOEXEC) != 0) {
    r.errores = proceso_detalle::Fallo("pipe2");
  }
  if (!r.errores.empty()) {
    ::close(errores[0]);
    ::close(errores[1]);
    return r;
  }
  posix_spawn_file_actions_t acciones;
  posix_spawn_file_actions_init(&acciones);
  posix_spawn_file_actions_addopen(&acciones, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&acciones, salida[1], 1);
  posix_spawn_file_actions_adddup2(&acciones, errores[1], 2);
  pid_t pid = -1;
  const int fallo = ::posix_spawn(&pid, argv[0], &acciones, nullptr, argv.data(), entorno.data());
  posix_spawn_file_actions_destroy(&acciones);
  ::close(salida[1]);
  ::close(errores[1]);
  if (fallo != 0) {
    if (salida[0] >= 0) {
      ::close(salida[0]);
    }
    ::close(errores[0]);
    r.errores = "posix_spawn falló";
    return r;
  }
  // A terminal's master reads EIO once the child has gone: that ends the read too.
  proceso_detalle::LeerAmbos(salida[0], errores[0], pid, r);
  int estado = 0;
  rusage uso{};
  ::wait4(pid, &estado, 0, &uso);
  r.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
  r.memoriaMaximaKb = uso.ru_maxrss;
  return r;
}

#endif

// With `salidaEnTerminal`, standard output is a pseudo-terminal.
inline Resultado EjecutarCli(const std::vector<std::string> &args, bool salidaEnTerminal = false) {
  OpcionesCli opciones;
  opciones.salida = salidaEnTerminal ? SalidaCli::Terminal : SalidaCli::Tubo;
  return EjecutarCli(args, opciones);
}

// Lines of a text, without their ends.
inline std::vector<std::string> Lineas(const std::string &texto) {
  std::vector<std::string> lineas;
  std::size_t inicio = 0;
  while (inicio < texto.size()) {
    const std::size_t fin = texto.find('\n', inicio);
    if (fin == std::string::npos) {
      lineas.push_back(texto.substr(inicio));
      break;
    }
    lineas.push_back(texto.substr(inicio, fin - inicio));
    inicio = fin + 1;
  }
  return lineas;
}

// A copy of `imagen`, in `carpeta`'s "cli" folder, changed by alcove-cli with
// `args` (IMAGEN stands for the copy): what a window's action must leave.
inline std::vector<std::uint8_t> PorCli(const CarpetaTemporal &carpeta, const std::string &imagen,
                                        std::vector<std::string> args) {
  const std::string copia = carpeta.Archivo("cli/copia.dsk");
  Escribir(copia, Leer(imagen));
  for (std::string &a : args)
    a = a == "IMAGEN" ? copia : a;
  const Resultado r = EjecutarCli(args);
  EXPECT_EQ(r.codigo, 0) << r.errores;
  return Leer(copia);
}
