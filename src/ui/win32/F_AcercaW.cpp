#include "ui/win32/F_AcercaW.h"

#include "ui/auxiliary/F_Acerca.h"
#include "ui/auxiliary/Portada.h"
#include "ui/win32/Controles32.h"

#include <memory>
#include <string_view>
#include <vector>

namespace {

namespace D = Disposicion;
using Win32::Ancho;

constexpr const wchar_t *Clase = L"AlcoveAcerca";
enum : int {
  IdPicture = 10,
  IdTexto,
  IdMarco,
  IdLabel1,
  IdLed1,
  IdPor1,
  IdLabel2,
  IdLed2,
  IdPor2,
  IdAceptar,
  IdTimer = 1
};

// One loading of the window: its controls, F_Acerca's decisions, the picture.
class Carga final : public Controles::Ventana {
public:
  Carga(HWND w, const Plataforma::ServicioInfoSistema &info,
        const Plataforma::ServicioMemoria &memoria);
  ~Carga() override;
  Carga(const Carga &) = delete;
  Carga &operator=(const Carga &) = delete;

  void Unload() override { ::DestroyWindow(w_); }
  LRESULT Mensaje(UINT mensaje, WPARAM wp, LPARAM lp);
  [[nodiscard]] HWND Control(int id) const { return ::GetDlgItem(w_, id); }

private:
  void DibujarBoton(const DRAWITEMSTRUCT &d) const;
  void DibujarPortada(const DRAWITEMSTRUCT &d) const;

  HWND w_;
  HBITMAP portada_ = nullptr;
  std::unique_ptr<Win32::TextoW> info_, por1_, por2_;
  std::unique_ptr<Win32::MedidorW> led1_, led2_;
  std::unique_ptr<F_Acerca> acerca_;
};

HWND cargada = nullptr;

HBITMAP MapaPortada() {
  const Portada p = DibujarPortada();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = p.ancho;
  info.bmiHeader.biHeight = -p.alto;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  const HBITMAP mapa = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (mapa == nullptr || bits == nullptr)
    return nullptr;
  auto *destino = static_cast<std::uint32_t *>(bits);
  for (std::size_t i = 0; i < p.indices.size(); ++i) {
    const D::Color c = p.paleta[p.indices[i]];
    destino[i] = (std::uint32_t{c.rojo} << 16) | (std::uint32_t{c.verde} << 8) | c.azul;
  }
  return mapa;
}

Carga::Carga(HWND w, const Plataforma::ServicioInfoSistema &info,
             const Plataforma::ServicioMemoria &memoria)
    : w_(w), portada_(MapaPortada()) {
  const auto fuente = [](HWND c, double puntos, bool negrita) {
    ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(Win32::Courier(puntos, negrita)), FALSE);
  };
  Win32::Crear(w, L"STATIC", L"", SS_OWNERDRAW, D::Picture1, IdPicture);
  const HWND texto = Win32::Crear(w, L"EDIT", L"", ES_MULTILINE | ES_READONLY, D::TxtInfo, IdTexto);
  fuente(texto, D::PuntosInfo, true);
  const HWND marco = Win32::Crear(w, L"STATIC", L"", WS_CLIPSIBLINGS, D::FrameMemoria, IdMarco);
  const int mx = Win32::Px(D::FrameMemoria.izquierda), my = Win32::Px(D::FrameMemoria.arriba);
  const auto etiqueta = [&](const char *t, const D::Lugar &l, int id) {
    const HWND e = Win32::Crear(w, L"STATIC", Ancho(t).c_str(), SS_LEFT, l, id, mx, my);
    fuente(e, D::PuntosInfo, false);
    return e;
  };
  etiqueta(D::TextoLabel1, D::Label1, IdLabel1);
  const HWND led1 = Win32::Crear(w, Win32::MedidorW::Clase, L"", 0, D::LEDMeter1, IdLed1, mx, my);
  const HWND por1 = etiqueta("", D::LblPor1, IdPor1);
  etiqueta(D::TextoLabel2, D::Label2, IdLabel2);
  const HWND led2 = Win32::Crear(w, Win32::MedidorW::Clase, L"", 0, D::LEDMeter2, IdLed2, mx, my);
  const HWND por2 = etiqueta("", D::LblPor2, IdPor2);
  const HWND aceptar = Win32::Crear(w, L"BUTTON", Ancho(D::TextoAceptar).c_str(),
                                    BS_OWNERDRAW | WS_TABSTOP, D::CmdAceptar, IdAceptar);
  fuente(aceptar, D::PuntosBoton, true);
  ::SetWindowPos(marco, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  info_ = std::make_unique<Win32::TextoW>(texto);
  por1_ = std::make_unique<Win32::TextoW>(por1);
  por2_ = std::make_unique<Win32::TextoW>(por2);
  led1_ = std::make_unique<Win32::MedidorW>(led1);
  led2_ = std::make_unique<Win32::MedidorW>(led2);
  acerca_ = std::make_unique<F_Acerca>(
      F_Acerca::Controles_{info_.get(), led1_.get(), por1_.get(), led2_.get(), por2_.get(), this},
      info, memoria);
  acerca_->Form_Load();
  ::SetTimer(w, IdTimer, F_Acerca::IntervaloMs, nullptr);
}

Carga::~Carga() {
  if (portada_ != nullptr)
    ::DeleteObject(portada_);
}

void Carga::DibujarPortada(const DRAWITEMSTRUCT &d) const {
  // Clipped to the box, never scaled.
  const HDC memoria = ::CreateCompatibleDC(d.hDC);
  const HGDIOBJ antes = ::SelectObject(memoria, portada_);
  ::BitBlt(d.hDC, 0, 0, d.rcItem.right - d.rcItem.left, d.rcItem.bottom - d.rcItem.top, memoria, 0,
           0, SRCCOPY);
  ::SelectObject(memoria, antes);
  ::DeleteDC(memoria);
}

void Carga::DibujarBoton(const DRAWITEMSTRUCT &d) const {
  RECT r = d.rcItem;
  ::FillRect(d.hDC, &r, Win32::BrochaAmarilla());
  const bool pulsado = (d.itemState & ODS_SELECTED) != 0;
  ::DrawEdge(d.hDC, &r, pulsado ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  ::SetBkMode(d.hDC, TRANSPARENT);
  ::SetTextColor(d.hDC, RGB(0, 0, 0));
  const HGDIOBJ antes = ::SelectObject(d.hDC, Win32::Courier(D::PuntosBoton, true));
  ::DrawTextW(d.hDC, Ancho(D::TextoAceptar).c_str(), -1, &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(d.hDC, antes);
  if ((d.itemState & ODS_FOCUS) != 0) {
    ::InflateRect(&r, -4, -4);
    ::DrawFocusRect(d.hDC, &r);
  }
}

LRESULT Carga::Mensaje(UINT mensaje, WPARAM wp, LPARAM lp) {
  switch (mensaje) {
  case WM_TIMER:
    if (wp == IdTimer)
      acerca_->Timer_Timer();
    return 0;
  case WM_COMMAND:
    if (LOWORD(wp) == IdAceptar && HIWORD(wp) == BN_CLICKED)
      Win32::ProtegerEvento(w_, [this] { acerca_->Cmd_Aceptar_Click(); });
    return 0;
  case WM_DRAWITEM: {
    const auto &d = *reinterpret_cast<const DRAWITEMSTRUCT *>(lp);
    if (d.CtlID == IdAceptar)
      DibujarBoton(d);
    else if (d.CtlID == IdPicture)
      DibujarPortada(d);
    return TRUE;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLOREDIT: {
    const auto dc = reinterpret_cast<HDC>(wp);
    ::SetTextColor(dc, Win32::Ref(D::Amarillo));
    ::SetBkColor(dc, Win32::Ref(D::AzulOscuro));
    return reinterpret_cast<LRESULT>(Win32::BrochaAzul());
  }
  case WM_ERASEBKGND: {
    RECT r;
    ::GetClientRect(w_, &r);
    ::FillRect(reinterpret_cast<HDC>(wp), &r, Win32::BrochaNegra());
    const RECT marco = Win32::Rect(D::FrameMemoria);
    ::FillRect(reinterpret_cast<HDC>(wp), &marco, Win32::BrochaAzul());
    return 1;
  }
  default: return ::DefWindowProcW(w_, mensaje, wp, lp);
  }
}

struct Servicios {
  const Plataforma::ServicioInfoSistema *info;
  const Plataforma::ServicioMemoria *memoria;
};

LRESULT CALLBACK Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  try {
    if (mensaje == WM_CREATE) {
      const auto *s =
          static_cast<const Servicios *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
      auto *carga = new Carga(w, *s->info, *s->memoria);
      ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(carga));
      return 0;
    }
    auto *carga = reinterpret_cast<Carga *>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    if (mensaje == WM_DESTROY) {
      ::KillTimer(w, IdTimer);
      ::SetWindowLongPtrW(w, GWLP_USERDATA, 0);
      delete carga;
      return 0;
    }
    if (carga != nullptr)
      return carga->Mensaje(mensaje, wp, lp);
  } catch (...) {
    // A window that cannot be built is not shown: CreateWindow fails.
    if (mensaje == WM_CREATE)
      return -1;
  }
  return ::DefWindowProcW(w, mensaje, wp, lp);
}

void Registrar() {
  static const bool hecho = [] {
    WNDCLASSW clase{};
    clase.lpfnWndProc = Procedimiento;
    clase.hInstance = ::GetModuleHandleW(nullptr);
    clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    clase.lpszClassName = Clase;
    ::RegisterClassW(&clase);
    Win32::MedidorW::Registrar();
    return true;
  }();
  (void)hecho;
}

BOOL CALLBACK Desactivar(HWND w, LPARAM lp) {
  auto &desactivadas = *reinterpret_cast<std::vector<HWND> *>(lp);
  if (w != cargada && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
    ::EnableWindow(w, FALSE);
    desactivadas.push_back(w);
  }
  return TRUE;
}

} // namespace

HWND AcercaCargada() { return cargada; }

HWND ControlAcerca(const char *nombre) {
  if (cargada == nullptr)
    return nullptr;
  const std::pair<const char *, int> controles[] = {
      {"Picture1", IdPicture},   {"TxT_Info", IdTexto}, {"Frame_Memoria", IdMarco},
      {"Label1", IdLabel1},      {"LEDMeter1", IdLed1}, {"Lbl_Por1", IdPor1},
      {"Label2", IdLabel2},      {"LEDMeter2", IdLed2}, {"Lbl_Por2", IdPor2},
      {"Cmd_Aceptar", IdAceptar}};
  for (const auto &[n, id] : controles)
    if (std::string_view(nombre) == n)
      return ::GetDlgItem(cargada, id);
  return nullptr;
}

void MostrarAcercaDe(const Plataforma::ServicioInfoSistema &info,
                     const Plataforma::ServicioMemoria &memoria) {
  if (cargada != nullptr) {
    ::SetForegroundWindow(cargada);
    return;
  }
  Registrar();
  constexpr DWORD estilo = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT r{0, 0, Win32::Px(D::ClienteAcerca.ancho), Win32::Px(D::ClienteAcerca.alto)};
  ::AdjustWindowRectEx(&r, estilo, FALSE, WS_EX_DLGMODALFRAME);
  RECT zona{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &zona, 0);
  const int ancho = r.right - r.left, alto = r.bottom - r.top;
  Servicios servicios{&info, &memoria};
  const HWND w = ::CreateWindowExW(WS_EX_DLGMODALFRAME, Clase, Ancho(D::TituloAcerca).c_str(),
                                   estilo, zona.left + (zona.right - zona.left - ancho) / 2,
                                   zona.top + (zona.bottom - zona.top - alto) / 2, ancho, alto,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), &servicios);
  if (w == nullptr)
    return;
  cargada = w;
  // Modal with no owner: the thread's other windows take no input meanwhile.
  std::vector<HWND> desactivadas;
  ::EnumThreadWindows(::GetCurrentThreadId(), Desactivar, reinterpret_cast<LPARAM>(&desactivadas));
  ::ShowWindow(w, SW_SHOW);
  MSG m;
  while (::IsWindow(w)) {
    const BOOL r2 = ::GetMessageW(&m, nullptr, 0, 0);
    if (r2 == 0) {
      ::PostQuitMessage(static_cast<int>(m.wParam)); // for the main loop
      break;
    }
    if (r2 < 0)
      break;
    if (!::IsDialogMessageW(w, &m)) {
      ::TranslateMessage(&m);
      ::DispatchMessageW(&m);
    }
  }
  for (HWND d : desactivadas)
    ::EnableWindow(d, TRUE);
  if (::IsWindow(w))
    ::DestroyWindow(w);
  cargada = nullptr;
}

void MostrarAcercaDe() {
  const auto info = Plataforma::CrearInfoSistemaHost();
  const auto memoria = Plataforma::CrearMemoriaHost();
  MostrarAcercaDe(*info, *memoria);
}
