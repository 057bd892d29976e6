#include "ui/widgets/SinCaption.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(ALCOVE_CON_XCB)
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include <xcb/xcb.h>
#endif

namespace {

#if defined(ALCOVE_CON_XCB)
xcb_atom_t Atomo(xcb_connection_t *conexion, const QByteArray &nombre) {
  const xcb_intern_atom_cookie_t peticion =
      xcb_intern_atom(conexion, 0, static_cast<std::uint16_t>(nombre.size()), nombre.constData());
  xcb_intern_atom_reply_t *respuesta = xcb_intern_atom_reply(conexion, peticion, nullptr);
  if (respuesta == nullptr)
    return XCB_ATOM_NONE;
  const xcb_atom_t atomo = respuesta->atom;
  std::free(respuesta); // xcb hands replies over in malloc'd memory
  return atomo;
}

void VaciarNombresX(QWidget &ventana) {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    return;
  const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t *conexion = x11 != nullptr ? x11->connection() : nullptr;
  if (conexion == nullptr)
    return;
  const auto id = static_cast<xcb_window_t>(ventana.winId());
  const xcb_atom_t utf8 = Atomo(conexion, QByteArrayLiteral("UTF8_STRING"));
  const xcb_atom_t netWmName = Atomo(conexion, QByteArrayLiteral("_NET_WM_NAME"));
  if (utf8 != XCB_ATOM_NONE && netWmName != XCB_ATOM_NONE) {
    xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, id, netWmName, utf8, 8, 0, nullptr);
  }
  xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                      nullptr);
  xcb_flush(conexion);
}
#endif

} // namespace

namespace Plataforma {

void QuitarCaption(QWidget &ventana) {
  ventana.setWindowTitle(QString());
#if defined(ALCOVE_CON_XCB)
  VaciarNombresX(ventana);
#endif
}

} // namespace Plataforma
