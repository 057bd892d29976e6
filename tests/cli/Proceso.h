#pragma once

#include <cerrno>
#include <string>
#include <vector>

// The real alcove-cli, run as a process with its standard output and error
// read through pipes (or, on POSIX hosts, a terminal, to see what it does for people).
struct Resultado {
  int codigo = -1;
  std::string salida;
  std::string errores;
};

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

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

// Runs ALCOVE_CLI with `args` (UTF-8) through CreateProcessW. There is no
// pseudo-terminal on Windows: callers that want one skip.
inline Resultado EjecutarCli(const std::vector<std::string> &args, bool salidaEnTerminal = false) {
  using namespace proceso_detalle;
  Resultado r;
  if (salidaEnTerminal) {
    r.errores = "sin terminal en Windows";
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
  HANDLE salida[2], errores[2];
  if (::CreatePipe(&salida[0], &salida[1], &heredable, 0) == 0 ||
      ::CreatePipe(&errores[0], &errores[1], &heredable, 0) == 0) {
    return r;
  }
  ::SetHandleInformation(salida[0], HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(errores[0], HANDLE_FLAG_INHERIT, 0);
  HANDLE nulo = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable,
                              OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW inicio{};
  inicio.cb = sizeof inicio;
  inicio.dwFlags = STARTF_USESTDHANDLES;
  inicio.hStdInput = nulo;
  inicio.hStdOutput = salida[1];
  inicio.hStdError = errores[1];
  PROCESS_INFORMATION info{};
  const BOOL creado = ::CreateProcessW(programa.c_str(), linea.data(), nullptr, nullptr, TRUE,
                                       CREATE_NO_WINDOW, nullptr, nullptr, &inicio, &info);
  ::CloseHandle(salida[1]);
  ::CloseHandle(errores[1]);
  ::CloseHandle(nulo);
  if (creado == 0) {
    ::CloseHandle(salida[0]);
    ::CloseHandle(errores[0]);
    r.errores = "CreateProcessW falló";
    return r;
  }
  // Both pipes at once, so that neither can fill up and stop the child.
  std::thread lectorErrores(LeerTodo, errores[0], std::ref(r.errores));
  LeerTodo(salida[0], r.salida);
  lectorErrores.join();
  ::WaitForSingleObject(info.hProcess, INFINITE);
  DWORD codigo = 0;
  ::GetExitCodeProcess(info.hProcess, &codigo);
  r.codigo = static_cast<int>(codigo);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
  return r;
}

#else
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace proceso_detalle {

inline void LeerAmbos(int fdSalida, int fdErrores, Resultado &r) {
  pollfd fds[2] = {{fdSalida, POLLIN, 0}, {fdErrores, POLLIN, 0}};
  std::string *destinos[2] = {&r.salida, &r.errores};
  int abiertos = 2;
  char buffer[65536];
  while (abiertos > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;
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
}

} // namespace proceso_detalle

// Runs ALCOVE_CLI with `args`. With `salidaEnTerminal`, standard output is a
// pseudo-terminal (its line discipline turns "\n" into "\r\n").
inline Resultado EjecutarCli(const std::vector<std::string> &args, bool salidaEnTerminal = false) {
  std::vector<std::string> todos{ALCOVE_CLI};
  todos.insert(todos.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &a : todos) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);

  int salida[2];
  int errores[2];
  if (::pipe2(errores, O_CLOEXEC) != 0) {
    return {};
  }
  if (salidaEnTerminal) {
    salida[0] = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(salida[0]);
    ::unlockpt(salida[0]);
    salida[1] = ::open(::ptsname(salida[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
  } else if (::pipe2(salida, O_CLOEXEC) != 0) {
    return {};
  }
  posix_spawn_file_actions_t acciones;
  posix_spawn_file_actions_init(&acciones);
  posix_spawn_file_actions_addopen(&acciones, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&acciones, salida[1], 1);
  posix_spawn_file_actions_adddup2(&acciones, errores[1], 2);
  pid_t pid = -1;
  const int fallo = ::posix_spawn(&pid, argv[0], &acciones, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&acciones);
  ::close(salida[1]);
  ::close(errores[1]);
  Resultado r;
  if (fallo != 0) {
    ::close(salida[0]);
    ::close(errores[0]);
    r.errores = "posix_spawn falló";
    return r;
  }
  // A terminal's master reads EIO once the child has gone: that ends the read too.
  proceso_detalle::LeerAmbos(salida[0], errores[0], r);
  int estado = 0;
  ::waitpid(pid, &estado, 0);
  r.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
  return r;
}

#endif

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
