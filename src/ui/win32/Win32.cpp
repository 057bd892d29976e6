#include "ui/win32/Win32.h"

#include "ui/controles/Fallos.h"
#include "ui/win32/DialogosW.h"

#include <cwchar>
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

using Disposicion::Tinta;

void Fondo(HDC dc, const RECT &r, Disposicion::Color c) {
  const HBRUSH b = ::CreateSolidBrush(Ref(c));
  ::FillRect(dc, &r, b);
  ::DeleteObject(b);
}

// `texto` inside `r` in `t`'s colours, one line, `margen` pixels in from the side it
// is aligned to.
void Escribir(HDC dc, RECT r, const std::wstring &texto, const Tinta &t, UINT alineacion,
              int margen) {
  Fondo(dc, r, t.fondo);
  r.left += margen;
  r.right -= margen;
  const int modo = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF antes = ::SetTextColor(dc, Ref(t.texto));
  ::DrawTextW(dc, texto.c_str(), static_cast<int>(texto.size()), &r,
              alineacion | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SetTextColor(dc, antes);
  ::SetBkMode(dc, modo);
}

void PintarTitulo(const NMCUSTOMDRAW &d) {
  const auto columna = static_cast<int>(d.dwItemSpec);
  wchar_t texto[64] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = texto;
  item.cchTextMax = 63;
  ::SendMessageW(d.hdr.hwndFrom, HDM_GETITEMW, static_cast<WPARAM>(columna),
                 reinterpret_cast<LPARAM>(&item));
  // A heading pressed shows so, as a chosen row.
  const Tinta t = (d.uItemState & CDIS_SELECTED) != 0 ? Disposicion::TintaFila(true)
                                                      : Disposicion::TintaCabecera;
  const UINT alineacion = (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT : DT_LEFT;
  Escribir(d.hdc, d.rc, texto, t, alineacion, 6 * Ppp() / 96);
  // A line of the text's colour between headings, as the panes' frames.
  RECT borde = d.rc;
  borde.left = borde.right - 1;
  Fondo(d.hdc, borde, Disposicion::TintaCabecera.texto);
}

LRESULT CALLBACK ConCabecera(HWND vista, UINT mensaje, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (mensaje == WM_NOTIFY) {
    auto &d = *reinterpret_cast<NMCUSTOMDRAW *>(lp);
    const auto cabecera = reinterpret_cast<HWND>(::SendMessageW(vista, LVM_GETHEADER, 0, 0));
    if (d.hdr.hwndFrom == cabecera && d.hdr.code == NM_CUSTOMDRAW) {
      switch (d.dwDrawStage) {
      case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
      case CDDS_ITEMPREPAINT: PintarTitulo(d); return CDRF_SKIPDEFAULT;
      case CDDS_POSTPAINT: {
        // Past the last heading, the pane's blue.
        RECT resto{};
        ::GetClientRect(cabecera, &resto);
        const auto n = static_cast<int>(::SendMessageW(cabecera, HDM_GETITEMCOUNT, 0, 0));
        RECT ultima{};
        if (n > 0 && ::SendMessageW(cabecera, HDM_GETITEMRECT, static_cast<WPARAM>(n - 1),
                                    reinterpret_cast<LPARAM>(&ultima)) != 0)
          resto.left = ultima.right;
        if (resto.left < resto.right)
          Fondo(d.hdc, resto, Disposicion::TintaCabecera.fondo);
        return CDRF_DODEFAULT;
      }
      default: return CDRF_DODEFAULT;
      }
    }
  }
  return ::DefSubclassProc(vista, mensaje, wp, lp);
}

constexpr const wchar_t *PropiedadAyuda = L"AlcoveAyuda";

TOOLINFOW Herramienta(HWND control, UINT_PTR parte) {
  TOOLINFOW t{};
  t.cbSize = sizeof t;
  t.hwnd = control;
  t.uId = parte;
  return t;
}

// The program's own box, so that its one button says "Aceptar".
void CajaDeAviso(HWND padre, const std::string &mensaje) { CajaAviso(padre, "Alcove", mensaje); }

Avisador &AvisadorActual() {
  static Avisador actual = CajaDeAviso;
  return actual;
}

} // namespace

void PintarFila(const DRAWITEMSTRUCT &d) {
  std::wstring texto;
  if (d.itemID != static_cast<UINT>(-1)) {
    const bool combo = d.CtlType == ODT_COMBOBOX;
    const auto largo =
        ::SendMessageW(d.hwndItem, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, d.itemID, 0);
    if (largo > 0) {
      texto.assign(static_cast<std::size_t>(largo) + 1, L'\0');
      ::SendMessageW(d.hwndItem, combo ? CB_GETLBTEXT : LB_GETTEXT, d.itemID,
                     reinterpret_cast<LPARAM>(texto.data()));
      texto.resize(static_cast<std::size_t>(largo));
    }
  }
  const bool elegida = (d.itemState & ODS_SELECTED) != 0 && (d.itemState & ODS_COMBOBOXEDIT) == 0;
  Escribir(d.hDC, d.rcItem, texto, Disposicion::TintaFila(elegida), DT_LEFT, MargenFila);
}

LRESULT PintarFilaVista(NMLVCUSTOMDRAW &d) {
  switch (d.nmcd.dwDrawStage) {
  case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT:
  case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
    const auto fila = static_cast<WPARAM>(d.nmcd.dwItemSpec);
    const bool elegida =
        ::SendMessageW(d.nmcd.hdr.hwndFrom, LVM_GETITEMSTATE, fila, LVIS_SELECTED) != 0;
    const Tinta t = Disposicion::TintaFila(elegida);
    d.clrText = Ref(t.texto);
    d.clrTextBk = Ref(t.fondo);
    // Left so, the list view would paint its own highlight over them.
    d.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
    return CDRF_NEWFONT | CDRF_NOTIFYSUBITEMDRAW;
  }
  default: return CDRF_DODEFAULT;
  }
}

void CabeceraEnColores(HWND vista) { ::SetWindowSubclass(vista, ConCabecera, 0, 0); }

HWND VentanaAyuda(HWND control) { return static_cast<HWND>(::GetPropW(control, PropiedadAyuda)); }

void PonerAyuda(HWND control, const std::string &texto, UINT_PTR parte, const RECT *zona,
                HFONT fuente) {
  HWND ayuda = VentanaAyuda(control);
  if (ayuda == nullptr) {
    ayuda = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, control, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    // A width of its own lets it break its text at the line ends.
    ::SendMessageW(ayuda, TTM_SETMAXTIPWIDTH, 0, Px(12000));
    if (fuente != nullptr)
      ::SendMessageW(ayuda, WM_SETFONT, reinterpret_cast<WPARAM>(fuente), FALSE);
    ::SetPropW(control, PropiedadAyuda, ayuda);
  }
  std::wstring ancho = Ancho(texto);
  // A tooltip keeps INFOTIPSIZE characters, its end among them: a longer text
  // is cut at the end of a line that fits, and says so.
  if (ancho.size() >= INFOTIPSIZE) {
    const std::size_t corte = ancho.rfind(L'\n', INFOTIPSIZE - 3);
    ancho.resize(corte == std::wstring::npos ? INFOTIPSIZE - 3 : corte);
    ancho += L"\n\u2026";
  }
  TOOLINFOW t = Herramienta(control, parte);
  if (::SendMessageW(ayuda, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&t)) == 0) {
    t = Herramienta(control, parte);
    t.uFlags = TTF_SUBCLASS;
    t.lpszText = ancho.data();
    if (zona != nullptr)
      t.rect = *zona;
    else
      ::GetClientRect(control, &t.rect);
    ::SendMessageW(ayuda, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&t));
    return;
  }
  t.lpszText = ancho.data();
  ::SendMessageW(ayuda, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&t));
}

std::string AyudaDe(HWND control, UINT_PTR parte) {
  const HWND ayuda = VentanaAyuda(control);
  if (ayuda == nullptr)
    return {};
  std::wstring texto(4096, L'\0');
  TOOLINFOW t = Herramienta(control, parte);
  t.lpszText = texto.data();
  ::SendMessageW(ayuda, TTM_GETTEXTW, texto.size(), reinterpret_cast<LPARAM>(&t));
  texto.resize(std::wcslen(texto.c_str()));
  return Estrecho(texto);
}

int AnchoTexto(HWND control, const std::string &texto) {
  const HDC dc = ::GetDC(control);
  const auto fuente = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  const HGDIOBJ antes = ::SelectObject(dc, fuente != nullptr ? static_cast<HGDIOBJ>(fuente)
                                                             : ::GetStockObject(SYSTEM_FONT));
  const std::wstring ancho = Ancho(texto);
  SIZE s{};
  ::GetTextExtentPoint32W(dc, ancho.c_str(), static_cast<int>(ancho.size()), &s);
  ::SelectObject(dc, antes);
  ::ReleaseDC(control, dc);
  return s.cx;
}

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
