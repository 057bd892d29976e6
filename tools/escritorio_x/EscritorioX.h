#pragma once

#include <QImage>
#include <QRect>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A real X desktop for end-to-end runs: a virtual X server of our own, programs
// started on it, real mouse events through the XTEST extension and screenshots
// read back from the server.
namespace EscritorioX {

// A child process, ended and reaped with the object.
class Proceso {
public:
  // Starts `programa` with `argumentos` in folder `carpeta`, with the current
  // environment changed by `entorno` (an empty value removes a variable).
  Proceso(const std::string &programa, const std::vector<std::string> &argumentos,
          const std::filesystem::path &carpeta, const std::map<std::string, std::string> &entorno);
  ~Proceso();
  Proceso(const Proceso &) = delete;
  Proceso &operator=(const Proceso &) = delete;

  [[nodiscard]] bool Vivo();
  [[nodiscard]] int Pid() const { return pid_; }

private:
  int pid_ = -1;
};

// Xvfb on a display number it picks itself, and a connection to it.
class ServidorVirtual {
public:
  explicit ServidorVirtual(int ancho = 1280, int alto = 1024);
  ~ServidorVirtual();
  ServidorVirtual(const ServidorVirtual &) = delete;
  ServidorVirtual &operator=(const ServidorVirtual &) = delete;

  // ":N", for DISPLAY.
  [[nodiscard]] const std::string &Nombre() const { return nombre_; }

  // Screen rectangle of the top-level window titled `titulo`, once it is mapped.
  [[nodiscard]] std::optional<QRect> EsperarVentana(const std::string &titulo,
                                                    std::chrono::milliseconds plazo);
  // True once a context menu is open: a top-level override-redirect window
  // mapped; false when `plazo` runs out first.
  [[nodiscard]] bool EsperarMenu(std::chrono::milliseconds plazo);
  // The top-level window of process `pid` (by its _NET_WM_PID), once it is
  // mapped: its X id, for tools such as xprop.
  [[nodiscard]] std::optional<unsigned long> EsperarVentanaDe(int pid,
                                                              std::chrono::milliseconds plazo);
  // A left click at screen point (x, y), as the mouse would make it.
  void Clic(int x, int y);
  // The same with the right button, which opens context menus.
  void ClicDerecho(int x, int y);
  // Two left clicks in quick succession.
  void DobleClic(int x, int y);
  // Presses the left button at `desde`, moves in small steps to `hasta` and
  // lets go there, pausing as a hand would: a drag and drop.
  void Arrastrar(QPoint desde, QPoint hasta);
  // Presses and lets go the key of X keysym `simbolo` (XK_Down...) `veces`
  // times, as fast as the server takes them, to the window with the focus.
  void Tecla(unsigned long simbolo, int veces = 1);
  // The screen's pixels inside `zona`.
  [[nodiscard]] QImage Capturar(const QRect &zona);

private:
  std::optional<Proceso> xvfb_;
  std::string nombre_;
  void *pantalla_ = nullptr; // Display*
};

// Waits for `cumple`, checking every 50 ms; false when `plazo` passes first.
template <class Condicion> bool Esperar(Condicion cumple, std::chrono::milliseconds plazo) {
  const auto limite = std::chrono::steady_clock::now() + plazo;
  while (!cumple()) {
    if (std::chrono::steady_clock::now() > limite)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// True when `programa` can be found on PATH.
[[nodiscard]] bool EnElPath(const std::string &programa);

// Rows of `imagen` inside `zona` holding pixels of colour `color`, as bands
// [first, last] of consecutive rows (coordinates relative to zona's top).
[[nodiscard]] std::vector<std::pair<int, int>> BandasDeColor(const QImage &imagen,
                                                             const QRect &zona, QRgb color);

// Pixels of colour `color` inside `zona`.
[[nodiscard]] int ContarColor(const QImage &imagen, const QRect &zona, QRgb color);

} // namespace EscritorioX
