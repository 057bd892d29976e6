#include "EscritorioX.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>

extern char **environ;

namespace EscritorioX {

namespace {

Display *Dpy(void *p) { return static_cast<Display *>(p); }

std::optional<std::string> TituloDe(Display *dpy, Window ventana) {
  char *nombre = nullptr;
  if (XFetchName(dpy, ventana, &nombre) == 0 || nombre == nullptr)
    return std::nullopt;
  std::string titulo(nombre);
  XFree(nombre);
  return titulo;
}

std::optional<long> PidDe(Display *dpy, Window ventana) {
  const Atom netWmPid = XInternAtom(dpy, "_NET_WM_PID", False);
  Atom tipo = 0;
  int formato = 0;
  unsigned long n = 0, quedan = 0;
  unsigned char *datos = nullptr;
  if (XGetWindowProperty(dpy, ventana, netWmPid, 0, 1, False, XA_CARDINAL, &tipo, &formato, &n,
                         &quedan, &datos) != Success)
    return std::nullopt;
  std::optional<long> pid;
  if (datos != nullptr && formato == 32 && n == 1)
    pid = *reinterpret_cast<const long *>(datos); // format 32 comes as longs
  if (datos != nullptr)
    XFree(datos);
  return pid;
}

// Polls the top-level windows until one that `es` accepts is mapped and
// viewable, or `plazo` runs out.
std::optional<Window> EsperarVisible(Display *dpy, std::chrono::milliseconds plazo,
                                     const std::function<bool(Window)> &es) {
  const auto limite = std::chrono::steady_clock::now() + plazo;
  while (std::chrono::steady_clock::now() < limite) {
    Window raiz = 0, padre = 0;
    Window *hijas = nullptr;
    unsigned int n = 0;
    std::optional<Window> hallada;
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &raiz, &padre, &hijas, &n) != 0) {
      for (unsigned int i = 0; i < n && !hallada; ++i) {
        XWindowAttributes atributos{};
        if (es(hijas[i]) && XGetWindowAttributes(dpy, hijas[i], &atributos) != 0 &&
            atributos.map_state == IsViewable)
          hallada = hijas[i];
      }
      if (hijas != nullptr)
        XFree(hijas);
    }
    if (hallada)
      return hallada;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
}

} // namespace

Proceso::Proceso(const std::string &programa, const std::vector<std::string> &argumentos,
                 const std::filesystem::path &carpeta,
                 const std::map<std::string, std::string> &entorno) {
  // Everything the child needs is built before fork: after it only async-safe calls.
  std::vector<std::string> variables;
  for (char **v = environ; *v != nullptr; ++v) {
    const std::string var(*v);
    const std::string clave = var.substr(0, var.find('='));
    if (entorno.count(clave) == 0)
      variables.push_back(var);
  }
  for (const auto &[clave, valor] : entorno) {
    if (!valor.empty())
      variables.push_back(clave + "=" + valor);
  }
  std::vector<char *> env;
  for (auto &v : variables)
    env.push_back(v.data());
  env.push_back(nullptr);
  std::vector<std::string> args{programa};
  args.insert(args.end(), argumentos.begin(), argumentos.end());
  std::vector<char *> argv;
  for (auto &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string dir = carpeta.string();

  pid_ = ::fork();
  if (pid_ < 0)
    throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::setpgid(0, 0);
    if (::chdir(dir.c_str()) != 0)
      ::_exit(126);
    ::execve(argv[0], argv.data(), env.data());
    ::execvpe(argv[0], argv.data(), env.data());
    ::_exit(127);
  }
}

Proceso::~Proceso() {
  if (pid_ <= 0)
    return;
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_)
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

bool Proceso::Vivo() {
  if (pid_ <= 0)
    return false;
  if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
    pid_ = -1;
    return false;
  }
  return true;
}

ServidorVirtual::ServidorVirtual(int ancho, int alto) {
  // Xvfb picks a free display itself and writes its number to our pipe.
  int tubo[2];
  if (::pipe(tubo) != 0)
    throw std::runtime_error("pipe failed");
  const std::string fd = std::to_string(tubo[1]);
  const std::string pantalla = std::to_string(ancho) + "x" + std::to_string(alto) + "x24";
  xvfb_.emplace("Xvfb",
                std::vector<std::string>{"-displayfd", fd, "-screen", "0", pantalla, "-dpi", "96",
                                         "-nolisten", "tcp", "-noreset"},
                std::filesystem::temp_directory_path(), std::map<std::string, std::string>{});
  ::close(tubo[1]);
  std::string numero;
  pollfd espera{tubo[0], POLLIN, 0};
  const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < limite) {
    if (::poll(&espera, 1, 200) > 0) {
      char c = 0;
      const ssize_t n = ::read(tubo[0], &c, 1);
      if (n <= 0 || c == '\n')
        break;
      numero += c;
    }
  }
  ::close(tubo[0]);
  if (numero.empty())
    throw std::runtime_error("Xvfb did not start");
  nombre_ = ":" + numero;
  pantalla_ = XOpenDisplay(nombre_.c_str());
  if (pantalla_ == nullptr)
    throw std::runtime_error("cannot connect to " + nombre_);
  int evento = 0, error = 0, mayor = 0, menor = 0;
  if (!XTestQueryExtension(Dpy(pantalla_), &evento, &error, &mayor, &menor)) {
    throw std::runtime_error("the X server has no XTEST");
  }
}

ServidorVirtual::~ServidorVirtual() {
  if (pantalla_ != nullptr)
    XCloseDisplay(Dpy(pantalla_));
}

std::optional<QRect> ServidorVirtual::EsperarVentana(const std::string &titulo,
                                                     std::chrono::milliseconds plazo) {
  Display *dpy = Dpy(pantalla_);
  const auto ventana =
      EsperarVisible(dpy, plazo, [&](Window w) { return TituloDe(dpy, w) == titulo; });
  if (!ventana)
    return std::nullopt;
  XWindowAttributes atributos{};
  XGetWindowAttributes(dpy, *ventana, &atributos);
  int x = 0, y = 0;
  Window hija = 0;
  XTranslateCoordinates(dpy, *ventana, DefaultRootWindow(dpy), 0, 0, &x, &y, &hija);
  return QRect(x, y, atributos.width, atributos.height);
}

bool ServidorVirtual::EsperarMenu(std::chrono::milliseconds plazo) {
  Display *dpy = Dpy(pantalla_);
  // With no window manager, a menu is the one top-level window that sets
  // override-redirect (Qt marks it a normal window by type).
  const auto esMenu = [&](Window w) {
    XWindowAttributes atributos{};
    return XGetWindowAttributes(dpy, w, &atributos) != 0 && atributos.override_redirect != 0;
  };
  return EsperarVisible(dpy, plazo, esMenu).has_value();
}

std::optional<unsigned long> ServidorVirtual::EsperarVentanaDe(int pid,
                                                               std::chrono::milliseconds plazo) {
  Display *dpy = Dpy(pantalla_);
  return EsperarVisible(dpy, plazo, [&](Window w) { return PidDe(dpy, w) == pid; });
}

namespace {

void Mover(Display *dpy, int x, int y) {
  XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
  XSync(dpy, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void Boton(Display *dpy, unsigned int boton, bool pulsado) {
  XTestFakeButtonEvent(dpy, boton, pulsado ? True : False, CurrentTime);
  XSync(dpy, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

} // namespace

void ServidorVirtual::Clic(int x, int y) {
  Display *dpy = Dpy(pantalla_);
  Mover(dpy, x, y);
  Boton(dpy, 1, true);
  Boton(dpy, 1, false);
}

void ServidorVirtual::ClicDerecho(int x, int y) {
  Display *dpy = Dpy(pantalla_);
  Mover(dpy, x, y);
  Boton(dpy, 3, true);
  Boton(dpy, 3, false);
}

void ServidorVirtual::DobleClic(int x, int y) {
  Display *dpy = Dpy(pantalla_);
  Mover(dpy, x, y);
  for (int i = 0; i < 2; ++i) {
    Boton(dpy, 1, true);
    Boton(dpy, 1, false);
  }
}

void ServidorVirtual::Tecla(unsigned long simbolo, int veces) {
  Display *dpy = Dpy(pantalla_);
  const KeyCode codigo = XKeysymToKeycode(dpy, simbolo);
  for (int i = 0; i < veces; ++i) {
    XTestFakeKeyEvent(dpy, codigo, True, CurrentTime);
    XTestFakeKeyEvent(dpy, codigo, False, CurrentTime);
  }
  XSync(dpy, False);
}

void ServidorVirtual::Arrastrar(QPoint desde, QPoint hasta) {
  Display *dpy = Dpy(pantalla_);
  Mover(dpy, desde.x(), desde.y());
  Boton(dpy, 1, true);
  constexpr int pasos = 20;
  for (int i = 1; i <= pasos; ++i) {
    const QPoint p = desde + (hasta - desde) * i / pasos;
    Mover(dpy, p.x(), p.y());
  }
  // The drop target answers the last move before the button is let go.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Mover(dpy, hasta.x() + 1, hasta.y());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Boton(dpy, 1, false);
}

QImage ServidorVirtual::Capturar(const QRect &zona) {
  Display *dpy = Dpy(pantalla_);
  XImage *imagen = XGetImage(dpy, DefaultRootWindow(dpy), zona.x(), zona.y(),
                             static_cast<unsigned>(zona.width()),
                             static_cast<unsigned>(zona.height()), AllPlanes, ZPixmap);
  if (imagen == nullptr)
    throw std::runtime_error("XGetImage failed");
  QImage copia(zona.size(), QImage::Format_RGB32);
  const auto canal = [](unsigned long pixel, unsigned long mascara) {
    int desplazamiento = 0;
    while (mascara != 0 && (mascara & 1UL) == 0) {
      mascara >>= 1;
      ++desplazamiento;
    }
    return static_cast<int>((pixel >> desplazamiento) & mascara & 0xFFUL);
  };
  for (int y = 0; y < zona.height(); ++y) {
    auto *linea = reinterpret_cast<QRgb *>(copia.scanLine(y));
    for (int x = 0; x < zona.width(); ++x) {
      const unsigned long p = XGetPixel(imagen, x, y);
      linea[x] = qRgb(canal(p, imagen->red_mask), canal(p, imagen->green_mask),
                      canal(p, imagen->blue_mask));
    }
  }
  XDestroyImage(imagen);
  return copia;
}

bool EnElPath(const std::string &programa) {
  const char *path = std::getenv("PATH");
  if (path == nullptr)
    return false;
  std::string resto(path);
  std::size_t inicio = 0;
  while (inicio <= resto.size()) {
    const std::size_t fin = resto.find(':', inicio);
    const std::string dir = resto.substr(inicio, fin == std::string::npos ? fin : fin - inicio);
    if (!dir.empty() && ::access((dir + "/" + programa).c_str(), X_OK) == 0)
      return true;
    if (fin == std::string::npos)
      break;
    inicio = fin + 1;
  }
  return false;
}

std::vector<std::pair<int, int>> BandasDeColor(const QImage &imagen, const QRect &zona,
                                               QRgb color) {
  std::vector<std::pair<int, int>> bandas;
  bool dentro = false;
  for (int y = 0; y < zona.height(); ++y) {
    bool hay = false;
    for (int x = 0; x < zona.width() && !hay; ++x) {
      hay = (imagen.pixel(zona.x() + x, zona.y() + y) & 0xFFFFFF) == (color & 0xFFFFFF);
    }
    if (hay && !dentro)
      bandas.emplace_back(y, y);
    if (hay)
      bandas.back().second = y;
    dentro = hay;
  }
  return bandas;
}

int ContarColor(const QImage &imagen, const QRect &zona, QRgb color) {
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y) {
    for (int x = zona.left(); x <= zona.right(); ++x) {
      if ((imagen.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
        ++n;
    }
  }
  return n;
}

} // namespace EscritorioX
