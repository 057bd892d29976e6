// alcove.exe: the main window on the Win32 common controls.
#include "ui/controles/Fallos.h"
#include "ui/win32/F_AlcoveW.h"
#include "ui/win32/ProgresoW.h"

#include <exception>
#include <memory>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int mostrar) {
  std::unique_ptr<F_AlcoveW> ventana;
  try {
    InstalarVentanasAuxiliares();
    ventana = std::make_unique<F_AlcoveW>();
  } catch (const std::exception &fallo) {
    ::MessageBoxW(nullptr, Win32::Ancho(Fallos::TextoFallo(fallo)).c_str(), L"Alcove",
                  MB_OK | MB_ICONERROR);
    return 1;
  }
  ::ShowWindow(ventana->Hwnd(), mostrar);
  ::UpdateWindow(ventana->Hwnd());
  MSG m;
  while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
  }
  F_Progress::Instancia().Ocultar();
  return static_cast<int>(m.wParam);
}
