#include "ui/win32/F_VerW.h"

#include "platform/Errores.h"

#include <algorithm>

namespace {

namespace D = Disposicion;
using Win32::Ancho;

constexpr const wchar_t *Clase = L"AlcoveVisor";
constexpr double PuntosTexto = 10;
enum : int {
  IdEtiqueta = 10,
  IdVistas,
  IdTexto,
  IdNota,
  IdEtiquetaModo,
  IdModos,
  IdEtiquetaPaleta,
  IdPaletas,
  IdGuardar
};
// Pixels at 96 dots per inch, scaled to the screen's.
int P(int pixeles) { return pixeles * Win32::Ppp() / 96; }

// Esc closes the viewer from whichever of its controls has the keyboard.
LRESULT CALLBACK ConEscape(HWND w, UINT mensaje, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (mensaje == WM_KEYDOWN && wp == VK_ESCAPE) {
    ::PostMessageW(::GetAncestor(w, GA_ROOT), WM_CLOSE, 0, 0);
    return 0;
  }
  if (mensaje == WM_GETDLGCODE && lp != 0 && reinterpret_cast<const MSG *>(lp)->wParam == VK_ESCAPE)
    return DLGC_WANTMESSAGE;
  return ::DefSubclassProc(w, mensaje, wp, lp);
}

void Registrar() {
  static const bool hecho = [] {
    WNDCLASSW clase{};
    clase.lpfnWndProc = DefWindowProcW;
    clase.hInstance = ::GetModuleHandleW(nullptr);
    clase.hIcon = ::LoadIconW(clase.hInstance, MAKEINTRESOURCEW(1));
    clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    clase.lpszClassName = Clase;
    return ::RegisterClassW(&clase) != 0;
  }();
  (void)hecho;
}

// The width of `n` characters of the text's font.
int AnchoCaracteres(HWND w, int n) {
  const HDC dc = ::GetDC(w);
  const HGDIOBJ antes = ::SelectObject(dc, Win32::Courier(PuntosTexto));
  SIZE s{};
  const std::wstring ceros(static_cast<std::size_t>(n), L'0');
  ::GetTextExtentPoint32W(dc, ceros.c_str(), n, &s);
  ::SelectObject(dc, antes);
  ::ReleaseDC(w, dc);
  return s.cx;
}

} // namespace

F_VerW::F_VerW(HWND dueno, Gestion::Visor visor) : visor_(std::move(visor)) {
  Registrar();
  w_ = ::CreateWindowExW(0, Clase, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, P(700), P(560), dueno, nullptr, ::GetModuleHandleW(nullptr),
                         nullptr);
  if (w_ == nullptr)
    LanzarError(Errores::MemoriaInsuficiente);
  const auto crear = [this](const wchar_t *clase, const wchar_t *texto, DWORD estilo, int id) {
    const HWND c = ::CreateWindowExW(0, clase, texto, WS_CHILD | WS_VISIBLE | estilo, 0, 0, 10, 10,
                                     w_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(Win32::Courier(PuntosTexto)), FALSE);
    ::SetWindowSubclass(c, ConEscape, 1, 0);
    return c;
  };
  etiqueta_ = crear(L"STATIC", L"Ver como:", SS_LEFT | SS_CENTERIMAGE, IdEtiqueta);
  vistas_ = crear(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IdVistas);
  for (const Ver::Vista v : visor_.vistas) {
    ::SendMessageW(vistas_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Ancho(std::string(Ver::TituloVista(v))).c_str()));
  }
  ::EnableWindow(vistas_, visor_.vistas.size() > 1 ? TRUE : FALSE);
  // A screen's mode and palette, and its picture saved.
  etiquetaModo_ = crear(L"STATIC", L"Modo:", SS_LEFT | SS_CENTERIMAGE, IdEtiquetaModo);
  modos_ = crear(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IdModos);
  for (const wchar_t *m : {L"0", L"1", L"2"})
    ::SendMessageW(modos_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m));
  etiquetaPaleta_ = crear(L"STATIC", L"Paleta:", SS_LEFT | SS_CENTERIMAGE, IdEtiquetaPaleta);
  paletas_ = crear(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IdPaletas);
  guardar_ = crear(L"BUTTON", L"Guardar como PNG\u2026", BS_PUSHBUTTON | WS_TABSTOP, IdGuardar);
  texto_ = crear(L"EDIT", L"",
                 ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                     WS_HSCROLL | WS_TABSTOP,
                 IdTexto);
  // The text box holds any file's text, however long.
  ::SendMessageW(texto_, EM_SETLIMITTEXT, 0, 0);
  nota_ = crear(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, IdNota);

  // Wide enough for a hex dump's lines, as the Qt viewer is.
  RECT r{0, 0, AnchoCaracteres(w_, 84) + P(40), P(560)};
  ::AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  // A little in from the main window's corner, as a window of its own.
  RECT sobre{};
  const bool conDueno = dueno != nullptr && ::GetWindowRect(dueno, &sobre) != 0;
  ::SetWindowPos(w_, nullptr, sobre.left + P(40), sobre.top + P(40), r.right - r.left,
                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE | (conDueno ? 0 : SWP_NOMOVE));
  ::SetWindowLongPtrW(w_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(w_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedimiento));
  const Gestion::Contenido primero = visor_.contenido;
  Mostrar(primero);
  ::ShowWindow(w_, SW_SHOW);
  ::SetFocus(texto_);
}

F_VerW::~F_VerW() {
  if (w_ != nullptr && ::IsWindow(w_)) {
    ::SetWindowLongPtrW(w_, GWLP_USERDATA, 0);
    ::DestroyWindow(w_);
  }
}

void F_VerW::Mostrar(const Gestion::Contenido &contenido) {
  visor_.contenido = contenido;
  Win32::PonerTexto(w_, contenido.titulo + " - Alcove");
  const auto propia = std::find(visor_.vistas.begin(), visor_.vistas.end(), contenido.vista);
  if (propia != visor_.vistas.end())
    ::SendMessageW(vistas_, CB_SETCURSEL, static_cast<WPARAM>(propia - visor_.vistas.begin()), 0);
  const int pantalla = contenido.pantalla ? SW_SHOW : SW_HIDE;
  for (const HWND c : {etiquetaModo_, modos_, etiquetaPaleta_, paletas_, guardar_})
    ::ShowWindow(c, pantalla);
  if (contenido.pantalla) {
    ::SendMessageW(modos_, CB_SETCURSEL, static_cast<WPARAM>(contenido.pantalla->modo), 0);
    ::SendMessageW(paletas_, CB_RESETCONTENT, 0, 0);
    for (const std::string &p : contenido.pantalla->paletas)
      ::SendMessageW(paletas_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ancho(p).c_str()));
    ::SendMessageW(paletas_, CB_SETCURSEL, contenido.pantalla->paleta, 0);
    ::EnableWindow(paletas_, contenido.pantalla->paletas.size() > 1 ? TRUE : FALSE);
  }
  if (contenido.imagen && contenido.imagen->Valida()) {
    imagen_ = contenido.imagen;
    Win32::PonerTexto(texto_, "");
  } else {
    imagen_.reset();
    // The edit box breaks lines at CR LF only.
    std::string texto;
    texto.reserve(contenido.texto.size() + contenido.texto.size() / 16);
    for (const char c : contenido.texto) {
      if (c == '\n')
        texto += '\r';
      texto += c;
    }
    Win32::PonerTexto(texto_, texto);
  }
  ::ShowWindow(texto_, imagen_ ? SW_HIDE : SW_SHOW);
  Win32::PonerTexto(nota_, contenido.nota);
  ::ShowWindow(nota_, contenido.nota.empty() ? SW_HIDE : SW_SHOW);
  Disponer();
  ::InvalidateRect(w_, nullptr, TRUE);
}

std::string F_VerW::Texto() const {
  std::string texto = Win32::TextoDe(texto_);
  texto.erase(std::remove(texto.begin(), texto.end(), '\r'), texto.end());
  return texto;
}

std::string F_VerW::Nota() const { return Win32::TextoDe(nota_); }
bool F_VerW::NotaVisible() const { return ::IsWindowVisible(nota_) != FALSE; }

void F_VerW::Disponer() {
  RECT c;
  ::GetClientRect(w_, &c);
  const int m = P(6), alto = P(24);
  const int etiqueta = AnchoCaracteres(w_, 10);
  ::MoveWindow(etiqueta_, m, m, etiqueta, alto, TRUE);
  int x = m + etiqueta;
  const int vistas = AnchoCaracteres(w_, 16) + P(30);
  ::MoveWindow(vistas_, x, m, vistas, P(200), TRUE);
  x += vistas + m;
  const auto poner = [&](HWND c, int ancho, int altura) {
    ::MoveWindow(c, x, m, ancho, altura, TRUE);
    x += ancho + m;
  };
  poner(etiquetaModo_, AnchoCaracteres(w_, 5), alto);
  poner(modos_, AnchoCaracteres(w_, 2) + P(30), P(120));
  poner(etiquetaPaleta_, AnchoCaracteres(w_, 7), alto);
  poner(paletas_, AnchoCaracteres(w_, 14) + P(30), P(200));
  poner(guardar_, AnchoCaracteres(w_, 18) + P(12), alto);
  const int notaAlto = ::IsWindowVisible(nota_) ? alto * 2 : 0;
  const int arriba = m + alto + m;
  const int abajo = std::max(arriba, static_cast<int>(c.bottom) - m - notaAlto);
  ::MoveWindow(texto_, m, arriba, std::max(0, static_cast<int>(c.right) - 2 * m), abajo - arriba,
               TRUE);
  ::MoveWindow(nota_, m, abajo, std::max(0, static_cast<int>(c.right) - 2 * m), notaAlto, TRUE);
}

void F_VerW::PintarImagen(HDC dc) const {
  if (!imagen_)
    return;
  RECT zona;
  ::GetWindowRect(texto_, &zona);
  ::MapWindowPoints(nullptr, w_, reinterpret_cast<POINT *>(&zona), 2);
  const Gestion::Imagen &p = *imagen_;
  // The largest whole enlargement that fits, at least the picture's own size.
  const int zonaAncho = static_cast<int>(zona.right - zona.left);
  const int zonaAlto = static_cast<int>(zona.bottom - zona.top);
  const int veces = std::max(1, std::min(zonaAncho / p.ancho, zonaAlto / p.alto));
  const int ancho = p.ancho * veces, alto = p.alto * veces;
  std::vector<std::uint32_t> pixeles(static_cast<std::size_t>(p.ancho) *
                                     static_cast<std::size_t>(p.alto));
  for (std::size_t i = 0; i < pixeles.size(); ++i) {
    pixeles[i] = (std::uint32_t{p.rgb[3 * i]} << 16) | (std::uint32_t{p.rgb[3 * i + 1]} << 8) |
                 p.rgb[3 * i + 2];
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = p.ancho;
  info.bmiHeader.biHeight = -p.alto; // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::StretchDIBits(dc, static_cast<int>(zona.left) + std::max(0, (zonaAncho - ancho) / 2),
                  static_cast<int>(zona.top) + std::max(0, (zonaAlto - alto) / 2), ancho, alto, 0,
                  0, p.ancho, p.alto, pixeles.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void F_VerW::OtraVista() {
  const LRESULT i = ::SendMessageW(vistas_, CB_GETCURSEL, 0, 0);
  if (i < 0 || static_cast<std::size_t>(i) >= visor_.vistas.size() || !visor_.calcular)
    return;
  Win32::ProtegerEvento(
      w_, [this, i] { Mostrar(visor_.calcular(visor_.vistas[static_cast<std::size_t>(i)])); });
}

void F_VerW::Comando(int id, int codigo) {
  if (id == IdVistas && codigo == CBN_SELCHANGE) {
    OtraVista();
    return;
  }
  if (id == IdModos && codigo == CBN_SELCHANGE && visor_.otroModo) {
    const auto modo = static_cast<int>(::SendMessageW(modos_, CB_GETCURSEL, 0, 0));
    if (modo >= 0)
      Win32::ProtegerEvento(w_, [this, modo] { Mostrar(visor_.otroModo(visor_.contenido, modo)); });
  } else if (id == IdPaletas && codigo == CBN_SELCHANGE && visor_.otraPaleta) {
    const auto paleta = ::SendMessageW(paletas_, CB_GETCURSEL, 0, 0);
    if (paleta >= 0)
      Win32::ProtegerEvento(w_, [this, paleta] {
        Mostrar(visor_.otraPaleta(visor_.contenido, static_cast<std::size_t>(paleta)));
      });
  } else if (id == IdGuardar && codigo == BN_CLICKED && visor_.guardarPng) {
    Win32::ProtegerEvento(w_, [this] { visor_.guardarPng(visor_.contenido); });
  }
}

LRESULT CALLBACK F_VerW::Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  auto *ver = reinterpret_cast<F_VerW *>(::GetWindowLongPtrW(w, GWLP_USERDATA));
  if (ver == nullptr)
    return ::DefWindowProcW(w, mensaje, wp, lp);
  try {
    return ver->Mensaje(mensaje, wp, lp);
  } catch (...) {
    // Handlers go through the event boundary; nothing else may cross here.
    return ::DefWindowProcW(w, mensaje, wp, lp);
  }
}

LRESULT F_VerW::Mensaje(UINT mensaje, WPARAM wp, LPARAM lp) {
  switch (mensaje) {
  case WM_SIZE: Disponer(); return 0;
  case WM_COMMAND: Comando(LOWORD(wp), HIWORD(wp)); return 0;
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORLISTBOX: {
    const auto dc = reinterpret_cast<HDC>(wp);
    ::SetTextColor(dc, Win32::Ref(D::Amarillo));
    ::SetBkColor(dc, Win32::Ref(D::AzulOscuro));
    return reinterpret_cast<LRESULT>(Win32::BrochaAzul());
  }
  case WM_ERASEBKGND: {
    RECT r;
    ::GetClientRect(w_, &r);
    ::FillRect(reinterpret_cast<HDC>(wp), &r, Win32::BrochaAzul());
    return 1;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(w_, &ps);
    PintarImagen(dc);
    ::EndPaint(w_, &ps);
    return 0;
  }
  case WM_KEYDOWN:
    if (wp == VK_ESCAPE) {
      ::DestroyWindow(w_);
      return 0;
    }
    return ::DefWindowProcW(w_, mensaje, wp, lp);
  case WM_NCDESTROY: {
    ::SetWindowLongPtrW(w_, GWLP_USERDATA, 0);
    const LRESULT r = ::DefWindowProcW(w_, mensaje, wp, lp);
    w_ = nullptr;
    return r;
  }
  default: return ::DefWindowProcW(w_, mensaje, wp, lp);
  }
}
