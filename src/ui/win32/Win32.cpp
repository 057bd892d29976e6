#include "ui/win32/Win32.h"

#include "ui/controles/Fallos.h"
#include "ui/win32/DialogosW.h"

#include <map>
#include <utility>

namespace Win32 {

int Ppp() {
  static const int ppp = [] {
    const HDC pantalla = ::GetDC(nullptr);
    const int valor = pantalla != nullptr ? ::GetDeviceCaps(pantalla, LOGPIXELSY) : 96;
    if (pantalla != nullptr)
      ::ReleaseDC(nullptr, pantalla);
    return valor > 0 ? valor : 96;
  }();
  return ppp;
}

RECT Rect(const Disposicion::Lugar &lugar, int dx, int dy) {
  const int x = Px(lugar.izquierda) + dx;
  const int y = Px(lugar.arriba) + dy;
  return {x, y, x + Px(lugar.ancho), y + Px(lugar.alto)};
}

HBRUSH BrochaAzul() {
  static const HBRUSH b = ::CreateSolidBrush(Ref(Disposicion::AzulOscuro));
  return b;
}
HBRUSH BrochaNegra() { return static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)); }
HBRUSH BrochaAmarilla() {
  static const HBRUSH b = ::CreateSolidBrush(Ref(Disposicion::Amarillo));
  return b;
}

HFONT Courier(double puntos, bool negrita) {
  static std::map<std::pair<double, bool>, HFONT> fuentes;
  HFONT &f = fuentes[{puntos, negrita}];
  if (f == nullptr) {
    f = ::CreateFontW(-Disposicion::PuntosAPixeles(puntos, Ppp()), 0, 0, 0,
                      negrita ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      FIXED_PITCH | FF_MODERN, Ancho(Disposicion::Tipografia).c_str());
  }
  return f;
}

std::string TextoDe(HWND control) {
  const int largo = ::GetWindowTextLengthW(control);
  std::wstring texto(static_cast<std::size_t>(largo) + 1, L'\0');
  const int leidos = ::GetWindowTextW(control, texto.data(), largo + 1);
  texto.resize(static_cast<std::size_t>(leidos > 0 ? leidos : 0));
  return Estrecho(texto);
}

void PonerTexto(HWND control, const std::string &texto) {
  ::SetWindowTextW(control, Ancho(texto).c_str());
}

HWND Crear(HWND padre, const wchar_t *clase, const wchar_t *texto, DWORD estilo,
           const Disposicion::Lugar &lugar, int id, int dx, int dy, DWORD extendido) {
  const RECT r = Rect(lugar, dx, dy);
  return ::CreateWindowExW(extendido, clase, texto, WS_CHILD | WS_VISIBLE | estilo, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, padre,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

namespace {

// The program's own box, so that its one button says "Aceptar".
void CajaDeAviso(HWND padre, const std::string &mensaje) { CajaAviso(padre, "Alcove", mensaje); }

Avisador &AvisadorActual() {
  static Avisador actual = CajaDeAviso;
  return actual;
}

} // namespace

Avisador InstalarAvisador(Avisador avisador) {
  if (!avisador)
    avisador = CajaDeAviso;
  return std::exchange(AvisadorActual(), std::move(avisador));
}

void Avisar(HWND padre, const std::string &mensaje) { AvisadorActual()(padre, mensaje); }

bool ProtegerEvento(HWND padre, const std::function<void()> &manejador) noexcept {
  return Fallos::Proteger(
      manejador, [padre](const std::string &mensaje) { AvisadorActual()(padre, mensaje); });
}

} // namespace Win32
