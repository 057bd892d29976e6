#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

// The real alcove-cli, run as a process with its standard output and error
// read through pipes (or a terminal, to see what it does for people).
struct Resultado {
  int codigo = -1;
  std::string salida;
  std::string errores;
};

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
