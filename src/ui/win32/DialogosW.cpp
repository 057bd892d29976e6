#include "ui/win32/DialogosW.h"

#include "gestion/Propiedades.h"
#include "platform/Errores.h"
#include "ui/controles/Texto.h"
#include "ui/win32/ArrastreW.h"

#include <shobjidl.h>

#include <algorithm>
#include <array>
#include <functional>
#include <tuple>
#include <vector>

namespace {

namespace D = Disposicion;
using Win32::Ancho;
using Win32::Estrecho;

constexpr const wchar_t *Clase = L"AlcoveDialogo";
constexpr double Puntos = 9.75;
// Layout, in twips: a margin, the width of the text and of a button.
constexpr int Margen = 150;
constexpr int AnchoTexto = 6600;
constexpr int AnchoBoton = 1500;
constexpr int AltoBoton = 420;
constexpr int AltoLinea = 330;

HWND abierto = nullptr;

// One modal window of the program's look: its controls are added, then it runs
// until one of its buttons or its close box ends it. The controls can still be
// read after it has ended, until the object goes.
class Modal {
public:
  Modal(HWND dueno, const std::string &titulo, int ancho, int alto);
  ~Modal();
  Modal(const Modal &) = delete;
  Modal &operator=(const Modal &) = delete;

  HWND Agregar(const wchar_t *clase, const std::string &texto, DWORD estilo, const D::Lugar &lugar,
               int id, double puntos = Puntos, DWORD extendido = 0);
  // A text that wraps at the window's width, from `arriba`; returns its bottom.
  int Texto(const std::string &texto, int arriba);
  // The buttons, right-aligned on one row at `arriba`: `aceptar` (IDOK) and,
  // when given, `cancelar` (IDCANCEL). Enter is the default one's.
  void Botones(int arriba, const char *aceptar, const char *cancelar, int defecto);
  // Shows the window and waits: IDOK, IDCANCEL, or what Terminar was given.
  int Ejecutar(HWND foco);
  // Ends the window with `resultado`, from one of its controls.
  void Terminar(int resultado) { resultado_ = resultado; }
  // What the window's other controls say (WM_COMMAND): their identifier and
  // notification code.
  std::function<void(int id, int codigo)> alMandar;

  [[nodiscard]] HWND Hwnd() const { return w_; }

private:
  static LRESULT CALLBACK Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp);
  HWND dueno_;
  HWND w_ = nullptr;
  int ancho_;
  int defecto_ = IDOK;
  int resultado_ = 0;
};

void Registrar() {
  static const bool hecho = [] {
    WNDCLASSW clase{};
    // Each window gets Modal's procedure once it knows its object.
    clase.lpfnWndProc = DefWindowProcW;
    clase.hInstance = ::GetModuleHandleW(nullptr);
    clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    clase.hbrBackground = Win32::BrochaAzul();
    clase.lpszClassName = Clase;
    return ::RegisterClassW(&clase) != 0;
  }();
  (void)hecho;
}

Modal::Modal(HWND dueno, const std::string &titulo, int ancho, int alto)
    : dueno_(dueno), ancho_(ancho) {
  Registrar();
  constexpr DWORD estilo = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT r{0, 0, Win32::Px(ancho), Win32::Px(alto)};
  ::AdjustWindowRectEx(&r, estilo, FALSE, WS_EX_DLGMODALFRAME);
  // Centred over the window it belongs to, or the screen.
  RECT sobre{};
  if (dueno == nullptr || ::GetWindowRect(dueno, &sobre) == 0)
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &sobre, 0);
  const int an = r.right - r.left, al = r.bottom - r.top;
  w_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME, Clase, Ancho(titulo).c_str(), estilo,
                         sobre.left + (sobre.right - sobre.left - an) / 2,
                         sobre.top + (sobre.bottom - sobre.top - al) / 2, an, al, dueno, nullptr,
                         ::GetModuleHandleW(nullptr), nullptr);
  if (w_ == nullptr)
    LanzarError(Errores::MemoriaInsuficiente);
  ::SetWindowLongPtrW(w_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(w_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedimiento));
}

Modal::~Modal() {
  if (w_ != nullptr && ::IsWindow(w_)) {
    ::SetWindowLongPtrW(w_, GWLP_USERDATA, 0);
    ::DestroyWindow(w_);
  }
}

HWND Modal::Agregar(const wchar_t *clase, const std::string &texto, DWORD estilo,
                    const D::Lugar &lugar, int id, double puntos, DWORD extendido) {
  const HWND c = Win32::Crear(w_, clase, Ancho(texto).c_str(), estilo, lugar, id, 0, 0, extendido);
  ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(Win32::Courier(puntos)), FALSE);
  return c;
}

int Modal::Texto(const std::string &texto, int arriba) {
  // As tall as the text needs at this width.
  const std::wstring ancho = Ancho(texto);
  const HDC dc = ::GetDC(w_);
  const HGDIOBJ antes = ::SelectObject(dc, Win32::Courier(Puntos));
  RECT r{0, 0, Win32::Px(ancho_ - 2 * Margen), 0};
  ::DrawTextW(dc, ancho.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(dc, antes);
  ::ReleaseDC(w_, dc);
  const int alto =
      std::max(AltoLinea, static_cast<int>(r.bottom - r.top) * 1440 / Win32::Ppp() + 30);
  Agregar(L"STATIC", texto, SS_LEFT | SS_NOPREFIX, {Margen, arriba, ancho_ - 2 * Margen, alto},
          DialogosW::IdPregunta);
  return arriba + alto;
}

void Modal::Botones(int arriba, const char *aceptar, const char *cancelar, int defecto) {
  defecto_ = defecto;
  int x = ancho_ - Margen - AnchoBoton;
  if (cancelar != nullptr) {
    Agregar(L"BUTTON", cancelar,
            WS_TABSTOP | (defecto == IDCANCEL ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
            {x, arriba, AnchoBoton, AltoBoton}, IDCANCEL);
    x -= AnchoBoton + Margen;
  }
  Agregar(L"BUTTON", aceptar, WS_TABSTOP | (defecto == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
          {x, arriba, AnchoBoton, AltoBoton}, IDOK);
}

BOOL CALLBACK Desactivar(HWND w, LPARAM lp) {
  auto &desactivadas = *reinterpret_cast<std::vector<HWND> *>(lp);
  if (w != abierto && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
    ::EnableWindow(w, FALSE);
    desactivadas.push_back(w);
  }
  return TRUE;
}

int Modal::Ejecutar(HWND foco) {
  const HWND antes = abierto;
  abierto = w_;
  // Every other window of the thread waits for the answer.
  std::vector<HWND> desactivadas;
  ::EnumThreadWindows(::GetCurrentThreadId(), Desactivar, reinterpret_cast<LPARAM>(&desactivadas));
  ::ShowWindow(w_, SW_SHOW);
  ::SetFocus(foco != nullptr ? foco : ::GetDlgItem(w_, defecto_));
  MSG m;
  while (resultado_ == 0 && ::IsWindow(w_)) {
    const BOOL r = ::GetMessageW(&m, nullptr, 0, 0);
    if (r == 0) {
      ::PostQuitMessage(static_cast<int>(m.wParam)); // for the main loop
      break;
    }
    if (r < 0)
      break;
    if (!::IsDialogMessageW(w_, &m)) {
      ::TranslateMessage(&m);
      ::DispatchMessageW(&m);
    }
  }
  for (HWND d : desactivadas)
    ::EnableWindow(d, TRUE);
  ::ShowWindow(w_, SW_HIDE);
  if (dueno_ != nullptr)
    ::SetActiveWindow(dueno_);
  abierto = antes;
  return resultado_ != 0 ? resultado_ : IDCANCEL;
}

LRESULT CALLBACK Modal::Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  auto *modal = reinterpret_cast<Modal *>(::GetWindowLongPtrW(w, GWLP_USERDATA));
  if (modal == nullptr)
    return ::DefWindowProcW(w, mensaje, wp, lp);
  switch (mensaje) {
  case WM_COMMAND: {
    const int id = LOWORD(wp);
    // Enter and Esc come as IDOK and IDCANCEL with no control: Enter is the
    // default button's.
    if (lp == 0 && id == IDOK)
      modal->resultado_ = modal->defecto_;
    else if (id == IDOK || id == IDCANCEL)
      modal->resultado_ = id;
    else if (modal->alMandar)
      modal->alMandar(id, HIWORD(wp));
    return 0;
  }
  case WM_CLOSE: modal->resultado_ = IDCANCEL; return 0;
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORLISTBOX: {
    const auto dc = reinterpret_cast<HDC>(wp);
    ::SetTextColor(dc, Win32::Ref(D::Amarillo));
    ::SetBkColor(dc, Win32::Ref(D::AzulOscuro));
    return reinterpret_cast<LRESULT>(Win32::BrochaAzul());
  }
  default: return ::DefWindowProcW(w, mensaje, wp, lp);
  }
}

// Windows' own chooser, in Spanish where it lets itself be told.
class Selector {
public:
  Selector(const wchar_t *titulo, const wchar_t *aceptar, FILEOPENDIALOGOPTIONS opciones,
           const std::string &desde) {
    if (::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                           reinterpret_cast<void **>(dialogo_.Recibir())) != S_OK)
      return;
    FILEOPENDIALOGOPTIONS propias = 0;
    dialogo_->GetOptions(&propias);
    dialogo_->SetOptions(propias | opciones | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    dialogo_->SetTitle(titulo);
    dialogo_->SetOkButtonLabel(aceptar);
    Win32::Com<IShellItem> carpeta;
    if (!desde.empty() &&
        ::SHCreateItemFromParsingName(Ancho(desde).c_str(), nullptr, IID_IShellItem,
                                      reinterpret_cast<void **>(carpeta.Recibir())) == S_OK)
      dialogo_->SetFolder(carpeta.get());
  }
  [[nodiscard]] IFileOpenDialog *operator->() const { return dialogo_.get(); }
  [[nodiscard]] explicit operator bool() const { return static_cast<bool>(dialogo_); }

private:
  Win32::Com<IFileOpenDialog> dialogo_;
};

std::string RutaDe(IShellItem *item) {
  wchar_t *ruta = nullptr;
  if (item == nullptr || item->GetDisplayName(SIGDN_FILESYSPATH, &ruta) != S_OK)
    return {};
  std::string utf8 = Estrecho(ruta);
  ::CoTaskMemFree(ruta);
  return utf8;
}

// The window's height, now that its controls are laid out down to `abajo`;
// `ancho` is its width.
void Ajustar(const Modal &m, int abajo, int ancho = AnchoTexto + 2 * Margen) {
  RECT r{0, 0, Win32::Px(ancho), Win32::Px(abajo + Margen)};
  ::AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
  RECT ahora{};
  ::GetWindowRect(m.Hwnd(), &ahora);
  const int alto = r.bottom - r.top;
  ::SetWindowPos(m.Hwnd(), nullptr, ahora.left, ahora.top - (alto - (ahora.bottom - ahora.top)) / 2,
                 r.right - r.left, alto, SWP_NOZORDER | SWP_NOACTIVATE);
}

constexpr int AnchoModal = AnchoTexto + 2 * Margen;

constexpr DWORD IdCabecera = 1;
constexpr const char *SinSelector = "Windows no ha podido abrir su ventana para elegir.";

} // namespace

namespace Win32 {
void CajaAviso(HWND dueno, const std::string &titulo, const std::string &mensaje) {
  Modal m(dueno, titulo, AnchoModal, 0);
  const int abajo = m.Texto(mensaje, Margen);
  m.Botones(abajo + Margen, "Aceptar", nullptr, IDOK);
  Ajustar(m, abajo + 2 * Margen + AltoBoton);
  m.Ejecutar(nullptr);
}
} // namespace Win32

HWND DialogosW::Abierto() { return abierto; }

bool DialogosW::Confirmar(const std::string &titulo, const std::string &pregunta) {
  Modal m(dueno_, titulo, AnchoModal, 0);
  const int abajo = m.Texto(pregunta, Margen);
  // "No" is the default: Enter alone loses nothing.
  m.Botones(abajo + Margen, "Sí", "No", IDCANCEL);
  Ajustar(m, abajo + 2 * Margen + AltoBoton);
  return m.Ejecutar(nullptr) == IDOK;
}

std::optional<std::string> DialogosW::PedirTexto(const std::string &titulo,
                                                 const std::string &pregunta,
                                                 const std::string &inicial) {
  Modal m(dueno_, titulo, AnchoModal, 0);
  int abajo = m.Texto(pregunta, Margen);
  const HWND entrada = m.Agregar(L"EDIT", inicial, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                                 {Margen, abajo + 60, AnchoTexto, AltoBoton}, IdEntrada);
  abajo += 60 + AltoBoton;
  m.Botones(abajo + Margen, "Aceptar", "Cancelar", IDOK);
  Ajustar(m, abajo + 2 * Margen + AltoBoton);
  ::SendMessageW(entrada, EM_SETSEL, 0, -1);
  if (m.Ejecutar(entrada) != IDOK)
    return std::nullopt;
  return Win32::TextoDe(entrada);
}

std::optional<Gestion::Dialogos::Destino> DialogosW::ElegirCarpeta(const std::string &desde,
                                                                   bool conCabecera) {
  Selector selector(L"Extraer en la carpeta", L"Extraer", FOS_PICKFOLDERS, desde);
  if (!selector) {
    Avisar(SinSelector);
    return std::nullopt;
  }
  Win32::Com<IFileDialogCustomize> extra;
  if (selector->QueryInterface(IID_IFileDialogCustomize,
                               reinterpret_cast<void **>(extra.Recibir())) == S_OK)
    extra->AddCheckButton(IdCabecera, L"Con la cabecera AMSDOS", conCabecera ? TRUE : FALSE);
  if (selector->Show(dueno_) != S_OK)
    return std::nullopt;
  Win32::Com<IShellItem> elegida;
  if (selector->GetResult(elegida.Recibir()) != S_OK)
    return std::nullopt;
  Destino destino{RutaDe(elegida.get()), conCabecera};
  BOOL marcada = conCabecera ? TRUE : FALSE;
  if (extra && extra->GetCheckButtonState(IdCabecera, &marcada) == S_OK)
    destino.conCabecera = marcada != FALSE;
  if (destino.carpeta.empty())
    return std::nullopt;
  return destino;
}

std::vector<std::string> DialogosW::ElegirArchivos(const std::string &desde) {
  std::vector<std::string> rutas;
  Selector selector(L"Poner archivos en el disco", L"Poner",
                    FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST, desde);
  if (!selector) {
    Avisar(SinSelector);
    return rutas;
  }
  if (selector->Show(dueno_) != S_OK)
    return rutas;
  Win32::Com<IShellItemArray> elegidos;
  DWORD n = 0;
  if (selector->GetResults(elegidos.Recibir()) != S_OK || elegidos->GetCount(&n) != S_OK)
    return rutas;
  for (DWORD i = 0; i < n; ++i) {
    Win32::Com<IShellItem> item;
    if (elegidos->GetItemAt(i, item.Recibir()) == S_OK) {
      if (std::string ruta = RutaDe(item.get()); !ruta.empty())
        rutas.push_back(std::move(ruta));
    }
  }
  return rutas;
}

std::optional<std::string> DialogosW::ElegirArchivoNuevo(const std::string &titulo,
                                                         const std::string &desde,
                                                         const std::string &nombre) {
  Win32::Com<IFileSaveDialog> dialogo;
  if (::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                         reinterpret_cast<void **>(dialogo.Recibir())) != S_OK) {
    Avisar(SinSelector);
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS propias = 0;
  dialogo->GetOptions(&propias);
  // Whether to replace a file is asked by the decisions, once.
  dialogo->SetOptions((propias & ~static_cast<FILEOPENDIALOGOPTIONS>(FOS_OVERWRITEPROMPT)) |
                      FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
  dialogo->SetTitle(Ancho(titulo).c_str());
  dialogo->SetOkButtonLabel(L"Guardar");
  dialogo->SetFileName(Ancho(nombre).c_str());
  Win32::Com<IShellItem> carpeta;
  if (!desde.empty() &&
      ::SHCreateItemFromParsingName(Ancho(desde).c_str(), nullptr, IID_IShellItem,
                                    reinterpret_cast<void **>(carpeta.Recibir())) == S_OK)
    dialogo->SetFolder(carpeta.get());
  if (dialogo->Show(dueno_) != S_OK)
    return std::nullopt;
  Win32::Com<IShellItem> elegido;
  if (dialogo->GetResult(elegido.Recibir()) != S_OK)
    return std::nullopt;
  std::string ruta = RutaDe(elegido.get());
  if (ruta.empty())
    return std::nullopt;
  return ruta;
}

std::optional<Gestion::Dialogos::DiscoNuevo>
DialogosW::PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) {
  Modal m(dueno_, "Nuevo disco", AnchoModal, 0);
  constexpr int etiqueta = 1300;
  const int campo = AnchoTexto - etiqueta;
  int y = Margen;
  m.Agregar(L"STATIC", "Archivo:", SS_LEFT, {Margen, y + 45, etiqueta, AltoLinea}, -1);
  const HWND nombre = m.Agregar(L"EDIT", "nuevo.dsk", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                                {Margen + etiqueta, y, campo, AltoBoton}, IdEntrada);
  y += AltoBoton + Margen;
  m.Agregar(L"STATIC", "Formato:", SS_LEFT, {Margen, y + 45, etiqueta, AltoLinea}, -1);
  const HWND formato = m.Agregar(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                 {Margen + etiqueta, y, campo, AltoBoton + 2400}, IdFormato);
  for (const auto &[clave, descripcion] : formatos) {
    const std::string texto = clave + (descripcion.empty() ? "" : ": " + descripcion);
    ::SendMessageW(formato, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ancho(texto).c_str()));
  }
  ::SendMessageW(formato, CB_SETCURSEL, 0, 0);
  y += AltoBoton + Margen;
  // Tracks and sides: the format's own, or others it takes.
  const auto combo = [&](const char *texto, std::initializer_list<const wchar_t *> valores,
                         int id) {
    m.Agregar(L"STATIC", texto, SS_LEFT, {Margen, y + 45, etiqueta, AltoLinea}, -1);
    const HWND c = m.Agregar(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                             {Margen + etiqueta, y, 2400, AltoBoton + 1600}, id);
    for (const wchar_t *v : valores)
      ::SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(v));
    ::SendMessageW(c, CB_SETCURSEL, 0, 0);
    y += AltoBoton + Margen;
    return c;
  };
  const HWND pistas = combo("Pistas:", {L"las del formato", L"40", L"42", L"80", L"83"}, IdPistas);
  const HWND caras = combo("Caras:", {L"las del formato", L"1", L"2"}, IdCaras);
  const HWND extendida =
      m.Agregar(L"BUTTON", "Disposición extendida (EXTENDED CPC DSK)", BS_AUTOCHECKBOX | WS_TABSTOP,
                {Margen + etiqueta, y, campo, AltoBoton}, IdExtendida);
  y += AltoBoton;
  m.Botones(y + Margen, "Crear", "Cancelar", IDOK);
  Ajustar(m, y + 2 * Margen + AltoBoton);
  ::SendMessageW(nombre, EM_SETSEL, 0, -1);
  if (m.Ejecutar(nombre) != IDOK)
    return std::nullopt;
  const LRESULT elegido = ::SendMessageW(formato, CB_GETCURSEL, 0, 0);
  if (elegido < 0 || static_cast<std::size_t>(elegido) >= formatos.size())
    return std::nullopt;
  constexpr std::array<int, 5> pistasOfrecidas{0, 40, 42, 80, 83};
  const auto p = ::SendMessageW(pistas, CB_GETCURSEL, 0, 0);
  const auto c = ::SendMessageW(caras, CB_GETCURSEL, 0, 0);
  return DiscoNuevo{Win32::TextoDe(nombre), formatos[static_cast<std::size_t>(elegido)].first,
                    p > 0 && static_cast<std::size_t>(p) < pistasOfrecidas.size()
                        ? pistasOfrecidas[static_cast<std::size_t>(p)]
                        : 0,
                    c > 0 ? static_cast<int>(c) : 0,
                    ::SendMessageW(extendida, BM_GETCHECK, 0, 0) == BST_CHECKED};
}

std::optional<Gestion::Dialogos::BorradoElegido>
DialogosW::ElegirBorrado(const std::vector<std::string> &borrados, bool sePuedeRecuperar) {
  Modal m(dueno_, "Archivos borrados", AnchoModal, 0);
  int abajo = m.Texto("Un archivo borrado vuelve mientras ningún otro ocupe sus bloques:", Margen);
  constexpr int alto = 2400;
  const HWND lista = m.Agregar(WC_LISTVIEWW, "",
                               LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                   WS_BORDER | WS_TABSTOP | WS_VSCROLL,
                               {Margen, abajo + 60, AnchoTexto, alto}, IdLista);
  ::SendMessageW(lista, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  ::SendMessageW(lista, LVM_SETBKCOLOR, 0, Win32::Ref(D::AzulOscuro));
  ::SendMessageW(lista, LVM_SETTEXTBKCOLOR, 0, Win32::Ref(D::AzulOscuro));
  ::SendMessageW(lista, LVM_SETTEXTCOLOR, 0, Win32::Ref(D::Amarillo));
  LVCOLUMNW columna{};
  columna.mask = LVCF_WIDTH;
  columna.cx = Win32::Px(AnchoTexto) - ::GetSystemMetrics(SM_CXVSCROLL) - 4;
  ::SendMessageW(lista, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&columna));
  for (std::size_t i = 0; i < borrados.size(); ++i) {
    std::wstring texto = Ancho(borrados[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = texto.data();
    ::SendMessageW(lista, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  LVITEMW primero{};
  primero.state = primero.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(lista, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&primero));
  abajo += 60 + alto;
  // "Extraer…" and "Cancelar", and "Recuperar en el disco" to their left.
  m.Botones(abajo + Margen, "Extraer…", "Cancelar", IDOK);
  const HWND recuperar = m.Agregar(
      L"BUTTON", "Recuperar en el disco", WS_TABSTOP | BS_PUSHBUTTON,
      {Margen, abajo + Margen, AnchoTexto - 2 * (AnchoBoton + Margen), AltoBoton}, IdRecuperar);
  ::EnableWindow(recuperar, sePuedeRecuperar ? TRUE : FALSE);
  m.alMandar = [&m](int id, int codigo) {
    if (id == IdRecuperar && codigo == BN_CLICKED)
      m.Terminar(IdRecuperar);
  };
  Ajustar(m, abajo + 2 * Margen + AltoBoton);
  const int resultado = m.Ejecutar(lista);
  const auto fila = ::SendMessageW(lista, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if ((resultado != IDOK && resultado != IdRecuperar) || fila < 0)
    return std::nullopt;
  return BorradoElegido{static_cast<std::size_t>(fila), resultado == IdRecuperar};
}

std::optional<Gestion::Dialogos::OpcionesPoner>
DialogosW::PedirOpcionesPoner(const std::vector<std::string> &nombres,
                              const OpcionesPoner &inicial) {
  Modal m(dueno_, "Poner archivos", AnchoModal, 0);
  constexpr int etiqueta = 1500;
  const int campo = AnchoTexto - etiqueta;
  int y = m.Texto(Gestion::ArchivosQueVan(nombres), Margen) + Margen;
  const auto fila = [&](const char *texto) {
    m.Agregar(L"STATIC", texto, SS_LEFT, {Margen, y + 45, etiqueta, AltoLinea}, -1);
  };
  fila("Tipo:");
  const HWND tipo = m.Agregar(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                              {Margen + etiqueta, y, campo, AltoBoton + 1600}, IdTipo);
  for (std::size_t k = 0; k < Gestion::TiposPoner.size(); ++k) {
    ::SendMessageW(tipo, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Ancho(Gestion::TiposPoner[k].texto).c_str()));
    if (Gestion::TiposPoner[k].tipo == inicial.tipo)
      ::SendMessageW(tipo, CB_SETCURSEL, k, 0);
  }
  y += AltoBoton + 90;
  fila("Carga:");
  const HWND carga = m.Agregar(L"EDIT", inicial.carga, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                               {Margen + etiqueta, y, 1500, AltoBoton}, IdCarga);
  y += AltoBoton + 90;
  fila("Ejecución:");
  const HWND entrada = m.Agregar(L"EDIT", inicial.entrada, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                                 {Margen + etiqueta, y, 1500, AltoBoton}, IdEjecucion);
  m.Agregar(L"STATIC", "(vacía: la de carga)", SS_LEFT,
            {Margen + etiqueta + 1600, y + 45, campo - 1600, AltoLinea}, -1);
  y += AltoBoton + 90;
  fila("Usuario:");
  const HWND usuario = m.Agregar(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                 {Margen + etiqueta, y, 900, AltoBoton + 2400}, IdUsuario);
  for (int u = 0; u <= 15; ++u)
    ::SendMessageW(usuario, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(u).c_str()));
  ::SendMessageW(usuario, CB_SETCURSEL, static_cast<WPARAM>(std::clamp(inicial.usuario, 0, 15)), 0);
  y += AltoBoton + 90;
  const HWND soloLectura = m.Agregar(L"BUTTON", "Solo lectura", BS_AUTOCHECKBOX | WS_TABSTOP,
                                     {Margen + etiqueta, y, campo, AltoBoton}, IdSoloLectura);
  ::SendMessageW(soloLectura, BM_SETCHECK, inicial.soloLectura ? BST_CHECKED : BST_UNCHECKED, 0);
  y += AltoBoton;
  const HWND sistema = m.Agregar(L"BUTTON", "Oculto (de sistema)", BS_AUTOCHECKBOX | WS_TABSTOP,
                                 {Margen + etiqueta, y, campo, AltoBoton}, IdSistema);
  ::SendMessageW(sistema, BM_SETCHECK, inicial.sistema ? BST_CHECKED : BST_UNCHECKED, 0);
  y += AltoBoton;
  // The addresses are a binary file's only.
  const auto elegido = [tipo] {
    const auto k = ::SendMessageW(tipo, CB_GETCURSEL, 0, 0);
    return k >= 0 && static_cast<std::size_t>(k) < Gestion::TiposPoner.size()
               ? Gestion::TiposPoner[static_cast<std::size_t>(k)].tipo
               : cpm::TipoPoner::Auto;
  };
  const auto binario = [&] {
    const BOOL si = elegido() == cpm::TipoPoner::Binario ? TRUE : FALSE;
    ::EnableWindow(carga, si);
    ::EnableWindow(entrada, si);
  };
  binario();
  m.alMandar = [&](int id, int codigo) {
    if (id == IdTipo && codigo == CBN_SELCHANGE)
      binario();
  };
  m.Botones(y + Margen, "Poner", "Cancelar", IDOK);
  Ajustar(m, y + 2 * Margen + AltoBoton);
  if (m.Ejecutar(tipo) != IDOK)
    return std::nullopt;
  OpcionesPoner o;
  o.tipo = elegido();
  const auto recortado = [](std::string s) {
    const auto a = s.find_first_not_of(' ');
    const auto b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
  };
  o.carga = recortado(Win32::TextoDe(carga));
  o.entrada = recortado(Win32::TextoDe(entrada));
  o.usuario = static_cast<int>(::SendMessageW(usuario, CB_GETCURSEL, 0, 0));
  o.soloLectura = ::SendMessageW(soloLectura, BM_GETCHECK, 0, 0) == BST_CHECKED;
  o.sistema = ::SendMessageW(sistema, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return o;
}

void DialogosW::Avisar(const std::string &mensaje) { Win32::Avisar(dueno_, mensaje); }

void DialogosW::Informar(const std::string &mensaje) {
  Win32::CajaAviso(dueno_, "Alcove", mensaje);
}

namespace {

// CP/M's line ends, which the EDIT control shows.
std::string ConCrLf(const std::string &texto) {
  std::string s;
  for (const char c : texto) {
    if (c == '\n')
      s += '\r';
    s += c;
  }
  return s;
}

// The lines of a properties box that its width cuts (a long block list, a
// path) show whole in its tooltip, in the box's fixed-pitch letters.
void AyudaDeCortadas(HWND caja, const std::string &texto) {
  RECT r{};
  ::SendMessageW(caja, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  const int columnas = std::max(0L, r.right - r.left) / std::max(1, Win32::AnchoTexto(caja, "0"));
  Win32::PonerAyuda(caja,
                    ::Texto::AyudaDeLineasCortadas(texto, static_cast<std::size_t>(columnas),
                                                   Gestion::ColumnaValor),
                    0, nullptr, reinterpret_cast<HFONT>(::SendMessageW(caja, WM_GETFONT, 0, 0)));
}

} // namespace

std::optional<Gestion::Dialogos::Cabecera>
DialogosW::EditarPropiedades(const std::string &texto, const Cabecera &cabecera,
                             const std::vector<std::string> &tipos) {
  constexpr int ancho = 8400, alto = 3900, etiqueta = 1500;
  const int campo = 3000;
  Modal m(dueno_, "Propiedades", ancho + 2 * Margen, 0);
  const HWND caja = m.Agregar(L"EDIT", ConCrLf(texto),
                              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                  WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                              {Margen, Margen, ancho, alto}, IdEntrada, 10);
  AyudaDeCortadas(caja, texto);
  int y = alto + 2 * Margen;
  const HWND con = m.Agregar(L"BUTTON", "Con cabecera AMSDOS", BS_AUTOCHECKBOX | WS_TABSTOP,
                             {Margen, y, ancho, AltoLinea}, IdConCabecera);
  ::SendMessageW(con, BM_SETCHECK, cabecera.con ? BST_CHECKED : BST_UNCHECKED, 0);
  y += AltoLinea + Margen;
  m.Agregar(L"STATIC", "Tipo:", SS_LEFT, {Margen, y + 45, etiqueta, AltoLinea}, -1);
  const HWND tipo = m.Agregar(L"COMBOBOX", "", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP,
                              {Margen + etiqueta, y, campo, AltoBoton + 1200}, IdTipo);
  for (const std::string &t : tipos)
    ::SendMessageW(tipo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ancho(t).c_str()));
  Win32::PonerTexto(tipo, cabecera.tipo);
  y += AltoBoton + Margen / 2;
  std::vector<HWND> campos;
  for (const auto &[nombre, valor, id] :
       {std::tuple{"Carga:", &cabecera.carga, static_cast<int>(IdCarga)},
        std::tuple{"Ejecución:", &cabecera.entrada, static_cast<int>(IdEjecucion)},
        std::tuple{"Longitud:", &cabecera.longitud, static_cast<int>(IdLongitud)}}) {
    m.Agregar(L"STATIC", nombre, SS_LEFT, {Margen, y + 45, etiqueta, AltoLinea}, -1);
    campos.push_back(m.Agregar(L"EDIT", *valor, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                               {Margen + etiqueta, y, campo, AltoBoton}, id));
    y += AltoBoton + Margen / 2;
  }
  m.Botones(y + Margen, "Aceptar", "Cancelar", IDOK);
  const HWND aceptar = ::GetDlgItem(m.Hwnd(), IDOK), cancelar = ::GetDlgItem(m.Hwnd(), IDCANCEL);
  // The buttons, at the right of a window wider than the usual one.
  for (const auto &[boton, derecha] : {std::pair{cancelar, ancho + Margen},
                                       std::pair{aceptar, ancho + Margen - AnchoBoton - Margen}}) {
    const RECT r = Win32::Rect({derecha - AnchoBoton, y + Margen, AnchoBoton, AltoBoton});
    ::MoveWindow(boton, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  }
  Ajustar(m, y + 2 * Margen + AltoBoton, ancho + 2 * Margen);
  if (m.Ejecutar(caja) != IDOK)
    return std::nullopt;
  return Cabecera{::SendMessageW(con, BM_GETCHECK, 0, 0) == BST_CHECKED, Win32::TextoDe(tipo),
                  Win32::TextoDe(campos[0]), Win32::TextoDe(campos[1]), Win32::TextoDe(campos[2])};
}

void DialogosW::Mostrar(const std::string &titulo, const std::string &texto) {
  constexpr int ancho = 8400, alto = 5400;
  Modal m(dueno_, titulo, ancho + 2 * Margen, alto + 3 * Margen + AltoBoton);
  const HWND caja = m.Agregar(L"EDIT", ConCrLf(texto),
                              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                  WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                              {Margen, Margen, ancho, alto}, IdEntrada, 10);
  AyudaDeCortadas(caja, texto);
  m.Botones(alto + 2 * Margen, "Cerrar", nullptr, IDOK);
  // The button, at the right of a window wider than the usual one.
  const HWND cerrar = ::GetDlgItem(m.Hwnd(), IDOK);
  const RECT r =
      Win32::Rect({ancho + Margen - AnchoBoton, alto + 2 * Margen, AnchoBoton, AltoBoton});
  ::MoveWindow(cerrar, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  m.Ejecutar(caja);
}

namespace {

constexpr const wchar_t *ClaseMapa = L"AlcoveMapa";

// What the map's canvas paints and answers: Gestion::DibujarMapa's boxes and
// texts, the box under the pointer named on `linea`, the one double-clicked
// ending the window.
struct Mapa {
  const Gestion::DibujoMapa *dibujo = nullptr;
  HWND linea = nullptr;
  Modal *modal = nullptr;
  std::optional<Gestion::CeldaMapa> elegida;
};

COLORREF Ref(const Gestion::ColorMapa &c) { return RGB(c.r, c.g, c.b); }

void Rellenar(HDC dc, int x, int y, int ancho, int alto, const Gestion::ColorMapa &color) {
  const HBRUSH brocha = ::CreateSolidBrush(Ref(color));
  const RECT r{x, y, x + ancho, y + alto};
  ::FillRect(dc, &r, brocha);
  ::DeleteObject(brocha);
}

void PintarMapa(HWND w, const Mapa &m) {
  PAINTSTRUCT ps;
  const HDC dc = ::BeginPaint(w, &ps);
  Rellenar(dc, 0, 0, Gestion::AnchoMapa, Gestion::AltoMapa, Gestion::FondoMapa);
  for (const Gestion::CeldaMapa &c : m.dibujo->celdas) {
    Rellenar(dc, c.x, c.y, c.ancho, c.alto, c.color);
  }
  const HGDIOBJ antes = ::SelectObject(dc, Win32::Courier(8));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, Ref(Gestion::TextoMapa));
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  const int alto = static_cast<int>(tm.tmHeight);
  for (const Gestion::RotuloMapa &r : m.dibujo->rotulos) {
    int x = r.x;
    if (r.muestra) {
      Rellenar(dc, x, r.y + 2, alto - 4, alto - 4, *r.muestra);
      x += alto;
    }
    const std::wstring texto = Ancho(r.texto);
    ::TextOutW(dc, x, r.y, texto.c_str(), static_cast<int>(texto.size()));
  }
  ::SelectObject(dc, antes);
  ::EndPaint(w, &ps);
}

LRESULT CALLBACK ProcedimientoMapa(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  auto *m = reinterpret_cast<Mapa *>(::GetWindowLongPtrW(w, GWLP_USERDATA));
  if (m == nullptr) {
    return ::DefWindowProcW(w, mensaje, wp, lp);
  }
  switch (mensaje) {
  case WM_PAINT: PintarMapa(w, *m); return 0;
  case WM_MOUSEMOVE:
  case WM_LBUTTONDBLCLK: {
    const Gestion::CeldaMapa *c = Gestion::CeldaEn(*m->dibujo, static_cast<short>(LOWORD(lp)),
                                                   static_cast<short>(HIWORD(lp)));
    if (mensaje == WM_MOUSEMOVE) {
      Win32::PonerTexto(m->linea, c != nullptr ? c->texto : std::string());
    } else if (c != nullptr) {
      m->elegida = *c;
      m->modal->Terminar(IDOK);
    }
    return 0;
  }
  default: return ::DefWindowProcW(w, mensaje, wp, lp);
  }
}

void RegistrarMapa() {
  static const bool hecho = [] {
    WNDCLASSW clase{};
    clase.style = CS_DBLCLKS;
    clase.lpfnWndProc = ProcedimientoMapa;
    clase.hInstance = ::GetModuleHandleW(nullptr);
    clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    clase.lpszClassName = ClaseMapa;
    return ::RegisterClassW(&clase) != 0;
  }();
  (void)hecho;
}

// The dump's box types over what is under the cursor, as hex editors do, so
// that the columns stay where the view reads them; Enter is "Escribir" and
// Tab goes to the buttons, for a line break or a tab would break them.
WNDPROC editOriginal = nullptr;
LRESULT CALLBACK ProcedimientoSobrescribir(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  if (mensaje == WM_GETDLGCODE) {
    const LRESULT quiere = ::CallWindowProcW(editOriginal, w, mensaje, wp, lp);
    return (quiere & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB)) | DLGC_WANTARROWS |
           DLGC_WANTCHARS;
  }
  if (mensaje == WM_CHAR && wp >= 0x20 && wp != 0x7F) {
    DWORD desde = 0, hasta = 0;
    ::SendMessageW(w, EM_GETSEL, reinterpret_cast<WPARAM>(&desde),
                   reinterpret_cast<LPARAM>(&hasta));
    const int largo = ::GetWindowTextLengthW(w);
    std::wstring texto(static_cast<std::size_t>(largo) + 1, L'\0');
    ::GetWindowTextW(w, texto.data(), largo + 1);
    if (desde == hasta && desde < static_cast<DWORD>(largo) && texto[desde] != L'\r') {
      ::SendMessageW(w, EM_SETSEL, desde, desde + 1);
    }
  }
  return ::CallWindowProcW(editOriginal, w, mensaje, wp, lp);
}

} // namespace

std::optional<Gestion::CeldaMapa> DialogosW::MostrarMapa(const std::string &titulo,
                                                         const Gestion::DibujoMapa &dibujo) {
  RegistrarMapa();
  // The canvas is in pixels, as the map is drawn; the rest in twips.
  const int ancho = Gestion::AnchoMapa * 1440 / Win32::Ppp() + 1;
  const int alto = Gestion::AltoMapa * 1440 / Win32::Ppp() + 1;
  Modal modal(dueno_, titulo, ancho + 2 * Margen, alto + 4 * Margen + AltoLinea + AltoBoton);
  Mapa m;
  m.dibujo = &dibujo;
  m.modal = &modal;
  const HWND lienzo = ::CreateWindowExW(
      0, ClaseMapa, L"", WS_CHILD | WS_VISIBLE, Win32::Px(Margen), Win32::Px(Margen),
      Gestion::AnchoMapa, Gestion::AltoMapa, modal.Hwnd(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdMapa)), ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(lienzo, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m));
  m.linea =
      modal.Agregar(L"STATIC", "Doble clic en un sector: verlo y cambiarlo", SS_LEFT | SS_NOPREFIX,
                    {Margen, alto + 2 * Margen, ancho, AltoLinea}, IdBajoPuntero);
  const int abajo = alto + 3 * Margen + AltoLinea;
  modal.Botones(abajo, "Cerrar", nullptr, IDOK);
  const HWND cerrar = ::GetDlgItem(modal.Hwnd(), IDOK);
  const RECT r = Win32::Rect({ancho + Margen - AnchoBoton, abajo, AnchoBoton, AltoBoton});
  ::MoveWindow(cerrar, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  modal.Ejecutar(cerrar);
  ::SetWindowLongPtrW(lienzo, GWLP_USERDATA, 0);
  return m.elegida;
}

std::optional<std::string> DialogosW::EditarSector(const std::string &titulo,
                                                   const std::string &cabecera,
                                                   const std::string &volcado, bool soloLeer) {
  constexpr int ancho = 10200, alto = 5400;
  Modal m(dueno_, titulo, ancho + 2 * Margen, 0);
  const int arriba = m.Texto(cabecera, Margen) + Margen;
  const HWND caja =
      m.Agregar(L"EDIT", ConCrLf(volcado),
                ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL |
                    WS_BORDER | WS_TABSTOP | (soloLeer ? ES_READONLY : 0),
                {Margen, arriba, ancho, alto}, IdEntrada, 10);
  editOriginal = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      caja, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProcedimientoSobrescribir)));
  const int abajo = arriba + alto + Margen;
  m.Botones(abajo, soloLeer ? "Cerrar" : "Escribir", soloLeer ? nullptr : "Cancelar", IDOK);
  const HWND aceptar = ::GetDlgItem(m.Hwnd(), IDOK), cancelar = ::GetDlgItem(m.Hwnd(), IDCANCEL);
  // The buttons, at the right of a window wider than the usual one.
  int derecha = ancho + Margen;
  for (const HWND boton : {cancelar, aceptar}) {
    if (boton == nullptr) {
      continue;
    }
    const RECT r = Win32::Rect({derecha - AnchoBoton, abajo, AnchoBoton, AltoBoton});
    ::MoveWindow(boton, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    derecha -= AnchoBoton + Margen;
  }
  Ajustar(m, abajo + AltoBoton + Margen, ancho + 2 * Margen);
  if (m.Ejecutar(caja) != IDOK || soloLeer) {
    return std::nullopt;
  }
  return Win32::TextoDe(caja);
}
