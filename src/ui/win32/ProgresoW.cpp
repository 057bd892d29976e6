#include "ui/win32/ProgresoW.h"

#include "platform/Errores.h"
#include "ui/win32/Controles32.h"

namespace {

namespace D = Disposicion;
constexpr const wchar_t *Clase = L"AlcoveProgreso";
enum : int { IdTitulo = 10, IdBarra };

LRESULT CALLBACK Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  switch (mensaje) {
  case WM_CTLCOLORSTATIC: {
    const auto dc = reinterpret_cast<HDC>(wp);
    ::SetTextColor(dc, Win32::Ref(D::Amarillo));
    ::SetBkColor(dc, Win32::Ref(D::AzulOscuro));
    return reinterpret_cast<LRESULT>(Win32::BrochaAzul());
  }
  case WM_ERASEBKGND: {
    const auto dc = reinterpret_cast<HDC>(wp);
    RECT r;
    ::GetClientRect(w, &r);
    ::FillRect(dc, &r, Win32::BrochaAzul());
    // Shape: a yellow line around the bar.
    const RECT marco = Win32::Rect(D::Shape);
    ::FrameRect(dc, &marco, Win32::BrochaAmarilla());
    return 1;
  }
  default: return ::DefWindowProcW(w, mensaje, wp, lp);
  }
}

class VentanaProgresoW final : public VentanaProgreso {
public:
  VentanaProgresoW() {
    static const bool registrada = [] {
      WNDCLASSW clase{};
      clase.lpfnWndProc = Procedimiento;
      clase.hInstance = ::GetModuleHandleW(nullptr);
      clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
      clase.lpszClassName = Clase;
      return ::RegisterClassW(&clase) != 0;
    }();
    (void)registrada;
    // No caption at all: a bordered pop-up, centred on the screen.
    constexpr DWORD estilo = WS_POPUP | WS_BORDER;
    RECT r{0, 0, Win32::Px(D::ClienteProgreso.ancho), Win32::Px(D::ClienteProgreso.alto)};
    ::AdjustWindowRectEx(&r, estilo, FALSE, WS_EX_TOOLWINDOW);
    RECT zona{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &zona, 0);
    const int ancho = r.right - r.left, alto = r.bottom - r.top;
    w_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, Clase, L"", estilo,
                           zona.left + (zona.right - zona.left - ancho) / 2,
                           zona.top + (zona.bottom - zona.top - alto) / 2, ancho, alto, nullptr,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (w_ == nullptr)
      LanzarError(Errores::MemoriaInsuficiente);
    const HWND titulo = Win32::Crear(w_, L"STATIC", Win32::Ancho(D::TituloInicial).c_str(), SS_LEFT,
                                     D::LblTitulo, IdTitulo);
    ::SendMessageW(titulo, WM_SETFONT,
                   reinterpret_cast<WPARAM>(Win32::Courier(D::PuntosTitulo, true)), FALSE);
    const HWND barra = Win32::Crear(w_, PROGRESS_CLASSW, L"", 0, D::PBar, IdBarra);
    ::SendMessageW(barra, PBM_SETRANGE32, 0, 100);
    titulo_ = std::make_unique<Win32::TextoW>(titulo);
    barra_ = std::make_unique<Win32::BarraW>(barra);
  }
  ~VentanaProgresoW() override { ::DestroyWindow(w_); }
  VentanaProgresoW(const VentanaProgresoW &) = delete;
  VentanaProgresoW &operator=(const VentanaProgresoW &) = delete;

  Controles::Texto &Lbl_Titulo() override { return *titulo_; }
  Controles::BarraProgreso &PBar() override { return *barra_; }
  void Mostrar() override {
    ::ShowWindow(w_, SW_SHOWNOACTIVATE);
    ::UpdateWindow(w_);
    // Its paint messages, once, so that it is drawn before the work; the user's
    // clicks and keys, and work posted for later, wait for the work to end,
    // or they would start another action inside this one.
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
      if (m.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(m.wParam));
        break;
      }
      ::TranslateMessage(&m);
      ::DispatchMessageW(&m);
    }
  }

private:
  HWND w_ = nullptr;
  std::unique_ptr<Win32::TextoW> titulo_;
  std::unique_ptr<Win32::BarraW> barra_;
};

} // namespace

std::unique_ptr<VentanaProgreso> CargarVentanaProgresoW() {
  return std::make_unique<VentanaProgresoW>();
}

void InstalarVentanasAuxiliares() {
  F_Progress::Instancia().FijarCargador(CargarVentanaProgresoW);
  Plataforma::InstalarProgreso(&F_Progress::Instancia());
}
