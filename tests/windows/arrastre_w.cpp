// Another Windows program for alcove.exe to drag to and from, under Wine:
//   alcove_prueba_arrastre_w soltar CARPETA   a window titled "Destino Alcove"
//       that copies every file dropped on it into CARPETA;
//   alcove_prueba_arrastre_w arrastrar ARCHIVO   a window titled "Origen Alcove"
//       that drags ARCHIVO (CF_HDROP) when the left button goes down on it.
// Either window sits at screen point (X, Y) given after, 200 x 150 pixels.
#include "ui/win32/ArrastreW.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring argumento;
bool arrastrar = false;

LRESULT CALLBACK Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  if (mensaje == WM_LBUTTONDOWN && arrastrar) {
    const Win32::Com<IDataObject> datos = Win32::DatosDeFilas({Win32::Estrecho(argumento)}, -1);
    const Win32::Com<IDropSource> origen = Win32::CrearOrigen();
    DWORD efecto = DROPEFFECT_NONE;
    ::DoDragDrop(datos.get(), origen.get(), DROPEFFECT_COPY, &efecto);
    return 0;
  }
  if (mensaje == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(w, mensaje, wp, lp);
}

// Copies the dropped files into the folder, under their own names.
DWORD Copiar(IDataObject *datos, bool soltar) {
  const std::optional<Gestion::Soltado> s = Win32::LeerSoltado(datos);
  if (!s || s->rutas.empty())
    return DROPEFFECT_NONE;
  if (soltar) {
    for (const std::string &ruta : s->rutas) {
      const std::wstring origen = Win32::Ancho(ruta);
      const std::wstring nombre = origen.substr(origen.find_last_of(L"\\/") + 1);
      ::CopyFileW(origen.c_str(), (argumento + L"\\" + nombre).c_str(), FALSE);
    }
  }
  return DROPEFFECT_COPY;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instancia, HINSTANCE, PWSTR, int) {
  int n = 0;
  wchar_t **args = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (args == nullptr || n != 5)
    return 2;
  arrastrar = std::wstring(args[1]) == L"arrastrar";
  argumento = args[2];
  const int x = std::wcstol(args[3], nullptr, 10), y = std::wcstol(args[4], nullptr, 10);
  ::OleInitialize(nullptr);
  WNDCLASSW clase{};
  clase.lpfnWndProc = Procedimiento;
  clase.hInstance = instancia;
  clase.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  clase.lpszClassName = L"AlcovePruebaArrastre";
  ::RegisterClassW(&clase);
  const HWND w = ::CreateWindowExW(
      0, clase.lpszClassName, arrastrar ? L"Origen Alcove" : L"Destino Alcove",
      WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 200, 150, nullptr, nullptr, instancia, nullptr);
  {
    std::optional<Win32::DestinoSoltar> destino;
    if (!arrastrar)
      destino.emplace(w, Copiar);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&m);
      ::DispatchMessageW(&m);
    }
  }
  ::OleUninitialize();
  ::LocalFree(args);
  return 0;
}
