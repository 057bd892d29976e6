// alcove-pantallazo SALIDA.png [VENTANA]: saves what the X display in DISPLAY
// shows, the whole screen or the window whose id is given (as xdotool prints
// it), to a PNG. For looking at windows of programs that are not ours to
// drive, such as alcove.exe under Wine (scripts/screenshot-windows).
// Qt before Xlib, whose macros (Status, None...) Qt's headers cannot bear.
#include <QImage>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "uso: %s salida.png [ventana]\n", argv[0]);
    return 2;
  }
  Display *dpy = XOpenDisplay(nullptr);
  if (dpy == nullptr) {
    std::fprintf(stderr, "no hay pantalla X\n");
    return 1;
  }
  const Window raiz = DefaultRootWindow(dpy);
  int x = 0, y = 0;
  unsigned int ancho = 0, alto = 0;
  XWindowAttributes a{};
  XGetWindowAttributes(dpy, raiz, &a);
  ancho = static_cast<unsigned int>(a.width);
  alto = static_cast<unsigned int>(a.height);
  if (argc == 3) {
    const Window w = std::strtoul(argv[2], nullptr, 0);
    XWindowAttributes aw{};
    Window hija = 0;
    if (XGetWindowAttributes(dpy, w, &aw) == 0 ||
        XTranslateCoordinates(dpy, w, raiz, 0, 0, &x, &y, &hija) == 0) {
      std::fprintf(stderr, "no hay ventana %s\n", argv[2]);
      return 1;
    }
    ancho = static_cast<unsigned int>(aw.width);
    alto = static_cast<unsigned int>(aw.height);
  }
  XImage *img = XGetImage(dpy, raiz, x, y, ancho, alto, AllPlanes, ZPixmap);
  if (img == nullptr)
    return 1;
  QImage imagen(static_cast<int>(ancho), static_cast<int>(alto), QImage::Format_RGB32);
  for (unsigned int fy = 0; fy < alto; ++fy) {
    for (unsigned int fx = 0; fx < ancho; ++fx) {
      const unsigned long p = XGetPixel(img, static_cast<int>(fx), static_cast<int>(fy));
      imagen.setPixel(static_cast<int>(fx), static_cast<int>(fy),
                      qRgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                           static_cast<int>(p & 0xFF)));
    }
  }
  XDestroyImage(img);
  XCloseDisplay(dpy);
  return imagen.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
