#include "ui/win32/F_AlcoveW.h"

#include "platform/Errores.h"
#include "ui/main/Iconos.h"
#include "ui/main/Presentacion.h"
#include "ui/win32/F_AcercaW.h"

namespace {

namespace D = Disposicion;
using Win32::Ancho;
using Win32::Px;

constexpr const wchar_t *Clase = L"AlcoveVentanaPrincipal";
// The resource's icon (alcove.rc).
constexpr int IdIcono = 1;

// The pane's frame's origin in the client area, in pixels.
POINT Origen(std::size_t p) {
  return {Px(D::Paneles[p].marco.izquierda), Px(D::Paneles[p].marco.arriba)};
}

void Registrar() {
  static const bool hecho = [] {
    WNDCLASSEXW clase{};
    clase.cbSize = sizeof(clase);
    clase.lpfnWndProc = DefWindowProcW;
    clase.hInstance = ::GetModuleHandleW(nullptr);
    clase.hIcon = ::LoadIconW(clase.hInstance, MAKEINTRESOURCEW(IdIcono));
    clase.hIconSm = static_cast<HICON>(
        ::LoadImageW(clase.hInstance, MAKEINTRESOURCEW(IdIcono), IMAGE_ICON, 16, 16, 0));
    clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    clase.lpszClassName = Clase;
    ::RegisterClassExW(&clase);
    INITCOMMONCONTROLSEX comunes{sizeof(comunes), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                      ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&comunes);
    Win32::MedidorW::Registrar();
    return true;
  }();
  (void)hecho;
}

} // namespace

F_AlcoveW::F_AlcoveW() {
  Registrar();
  for (const std::string &clave : Iconos::ClavesCatalogo())
    imagenes_.Agregar(clave, Iconos::PintarIcono(clave));

  // One size only: a close box, no maximise or minimise box, no sizing border.
  // The frames are painted behind the controls (PintarFondo), so the children
  // are not clipped out of the window's own background.
  constexpr DWORD estilo = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  menu_ = ::CreateMenu();
  CrearMenus();
  RECT r{0, 0, Px(D::Cliente.ancho), Px(D::Cliente.alto)};
  ::AdjustWindowRectEx(&r, estilo, TRUE, 0);
  RECT zona{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &zona, 0);
  const int ancho = r.right - r.left, alto = r.bottom - r.top;
  w_ = ::CreateWindowExW(0, Clase, Ancho(D::TituloPrincipal).c_str(), estilo,
                         zona.left + (zona.right - zona.left - ancho) / 2,
                         zona.top + (zona.bottom - zona.top - alto) / 2, ancho, alto, nullptr,
                         menu_, ::GetModuleHandleW(nullptr), nullptr);
  if (w_ == nullptr)
    LanzarError(Errores::MemoriaInsuficiente);
  ::SetWindowLongPtrW(w_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  for (std::size_t p = 0; p < 2; ++p)
    CrearPanel(p);
  CrearBarraEstado();

  F_Alcove::Controles_ c;
  for (std::size_t p = 0; p < 2; ++p) {
    c.Drive[p] = drive_[p].get();
    c.Dir[p] = dir_[p].get();
    c.File[p] = file_[p].get();
    c.DSK[p] = dsk_[p].get();
  }
  c.StatusBar = estado_.get();
  c.Image_EXT = &imagenes_;
  c.MostrarAcercaDe = [] { MostrarAcercaDe(); };
  formulario_ = std::make_unique<F_Alcove>(std::move(c));
  // Events the panes leave open: the catalogue views as a disk manager. The
  // disk slots are looked at, never created, from there.
  std::array<Gestion::PanelVentana, 2> paneles;
  for (std::size_t p = 0; p < 2; ++p) {
    const auto i = static_cast<std::int16_t>(p);
    paneles[p] = {dsk_[p].get(),
                  file_[p].get(),
                  [this, i] { return formulario_->ImagenListada(i); },
                  [this, i](int llegada) { return formulario_->EntradaDeFila(i, llegada); },
                  [this, i](const std::string &ruta) { formulario_->ListarImagen(i, ruta); },
                  [this, i] { formulario_->CerrarImagen(i); },
                  [this, i] { formulario_->ReabrirImagen(i); },
                  [this](const std::string &nota) { PonerNotaDisco(nota); }};
  }
  gestor_ = std::make_unique<GestorW>(w_, vistas_, std::move(paneles));
  for (std::size_t p = 0; p < 2; ++p) {
    const auto i = static_cast<std::int16_t>(p);
    dir_[p]->AlCambiar = [this, i] {
      Evento("Dir_Change(" + std::to_string(i) + ")", [this, i] { formulario_->Dir_Change(i); });
    };
  }
  // Only now does the window hear its messages: everything they touch exists.
  ::SetWindowLongPtrW(w_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedimiento));
  formulario_->Form_Load();
}

// The disk manager goes, and with it the copies of images inside zips that
// the panes list: Windows removes no file a handle holds open, so the panes
// let their images go first.
void F_AlcoveW::SoltarGestor() noexcept {
  if (!gestor_)
    return;
  for (const std::int16_t i : {std::int16_t{0}, std::int16_t{1}}) {
    try {
      formulario_->CerrarImagen(i);
    } catch (...) {
      // A copy left open is swept at the next start.
    }
  }
  gestor_.reset();
}

F_AlcoveW::~F_AlcoveW() {
  // Its drop targets and viewers go while the window is still there.
  SoltarGestor();
  if (w_ != nullptr && ::IsWindow(w_)) {
    ::SetWindowLongPtrW(w_, GWLP_USERDATA, 0);
    ::DestroyWindow(w_);
  }
}

void F_AlcoveW::CrearMenus() {
  // Top-level captions carry no access keys; "Disco A" and "Disco B" are empty.
  ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()),
                Ancho(D::MenuDiscoA).c_str());
  ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()),
                Ancho(D::MenuDiscoB).c_str());
  const HMENU ayuda = ::CreatePopupMenu();
  ::AppendMenuW(ayuda, MF_STRING, IdMenuAcerca, Ancho(D::MenuAcerca).c_str());
  ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(ayuda), Ancho(D::MenuAyuda).c_str());
}

void F_AlcoveW::CrearPanel(std::size_t p) {
  const D::LugaresPanel &l = D::Paneles[p];
  const POINT o = Origen(p);
  const int id = IdPanel + 10 * static_cast<int>(p);
  const auto fuente = [](HWND w, double puntos) {
    ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(Win32::Courier(puntos)), FALSE);
  };
  constexpr DWORD hijo = WS_CLIPSIBLINGS | WS_TABSTOP;

  frames_[p] = Win32::Crear(w_, L"BUTTON", Ancho(D::TituloMarco).c_str(),
                            BS_GROUPBOX | WS_CLIPSIBLINGS, l.marco, id + IdFrame);
  infos_[p] = Win32::Crear(w_, L"BUTTON", Ancho(D::TituloInfo).c_str(),
                           BS_GROUPBOX | WS_CLIPSIBLINGS, l.info, id + IdInfo, o.x, o.y);
  fuente(infos_[p], D::PuntosListas);

  // The drop-down's height is that of its open list.
  D::Lugar lugarDrive = l.drive;
  lugarDrive.alto += 2400;
  drives_[p] = Win32::Crear(w_, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | hijo, lugarDrive,
                            id + IdDrive, o.x, o.y);
  dirs_[p] = Win32::Crear(w_, L"LISTBOX", L"",
                          LBS_NOTIFY | LBS_WANTKEYBOARDINPUT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                              WS_BORDER | hijo,
                          l.dir, id + IdDir, o.x, o.y);
  files_[p] = Win32::Crear(w_, L"LISTBOX", L"",
                           LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | hijo,
                           l.file, id + IdFile, o.x, o.y);
  vistas_[p] =
      Win32::Crear(w_, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | hijo, l.dsk,
                   id + IdDSK, o.x, o.y);
  for (HWND w : {drives_[p], dirs_[p], files_[p]})
    fuente(w, D::PuntosListas);
  fuente(vistas_[p], D::PuntosCatalogo);

  const HWND v = vistas_[p];
  ::SendMessageW(v, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  ::SendMessageW(v, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imagenes_.Lista()));
  ::SendMessageW(v, LVM_SETBKCOLOR, 0, Win32::Ref(D::AzulOscuro));
  ::SendMessageW(v, LVM_SETTEXTBKCOLOR, 0, Win32::Ref(D::AzulOscuro));
  ::SendMessageW(v, LVM_SETTEXTCOLOR, 0, Win32::Ref(D::Amarillo));
  for (std::size_t c = 0; c < D::Columnas.size(); ++c) {
    std::wstring titulo = Ancho(D::Columnas[c].titulo);
    LVCOLUMNW columna{};
    columna.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    columna.fmt = D::Columnas[c].alineacion == D::Alineacion::Derecha ? LVCFMT_RIGHT : LVCFMT_LEFT;
    columna.cx = Px(D::Columnas[c].ancho);
    columna.pszText = titulo.data();
    columna.iSubItem = static_cast<int>(c);
    ::SendMessageW(v, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&columna));
  }
  // The frames lie behind the pane's controls.
  for (HWND marco : {infos_[p], frames_[p]})
    ::SetWindowPos(marco, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  drive_[p] = std::make_unique<Win32::UnidadesW>(drives_[p]);
  dir_[p] = std::make_unique<Win32::CarpetasW>(dirs_[p]);
  file_[p] = std::make_unique<Win32::ArchivosW>(files_[p]);
  dsk_[p] = std::make_unique<Win32::VistaW>(vistas_[p], imagenes_);
}

void F_AlcoveW::CrearBarraEstado() {
  estadoW_ = Win32::Crear(w_, STATUSCLASSNAMEW, L"",
                          CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_CLIPSIBLINGS,
                          D::Estado, IdEstado);
  std::array<int, 4> bordes{};
  int x = 0;
  for (std::size_t i = 0; i < bordes.size(); ++i) {
    x += D::AnchosPaneles[i] * Win32::Ppp() / 96;
    bordes[i] = D::AnchosPaneles[i] > 0 ? x : -1;
  }
  ::SendMessageW(estadoW_, SB_SETPARTS, bordes.size(), reinterpret_cast<LPARAM>(bordes.data()));
  estado_ = std::make_unique<Win32::EstadoW>(estadoW_);
  const Presentacion::TextosEstado iniciales = Presentacion::EstadoInicial();
  for (std::size_t i = 0; i < iniciales.size(); ++i)
    estado_->SetPanelText(static_cast<int>(i) + 1, iniciales[i]);
}

// The note on the disk listed last, as the status bar's tooltip: its panels
// keep their four texts. The tooltip control is made the first time.
void F_AlcoveW::PonerNotaDisco(const std::string &nota) {
  TOOLINFOW herramienta{};
  herramienta.cbSize = sizeof herramienta;
  herramienta.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  herramienta.hwnd = w_;
  herramienta.uId = reinterpret_cast<UINT_PTR>(estadoW_);
  if (notaW_ == nullptr) {
    notaW_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w_, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    herramienta.lpszText = const_cast<wchar_t *>(L"");
    ::SendMessageW(notaW_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&herramienta));
    ::SendMessageW(notaW_, TTM_SETMAXTIPWIDTH, 0, Win32::Px(9000));
  }
  std::wstring texto = Win32::Ancho(nota);
  herramienta.lpszText = texto.data();
  ::SendMessageW(notaW_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&herramienta));
}

HWND F_AlcoveW::Control(const std::string &nombre) const {
  if (nombre == "StatusBar")
    return estadoW_;
  if (nombre == "NotaDisco")
    return notaW_;
  for (std::size_t p = 0; p < 2; ++p) {
    const std::string s = "_" + std::to_string(p);
    const std::pair<const char *, HWND> controles[] = {{"Drive", drives_[p]},
                                                       {"Dir", dirs_[p]},
                                                       {"File", files_[p]},
                                                       {"DSK", vistas_[p]},
                                                       {"Fm_Info", infos_[p]}};
    for (const auto &[base, w] : controles)
      if (nombre == base + s)
        return w;
  }
  if (nombre == "Frame1")
    return frames_[0];
  if (nombre == "Frame2")
    return frames_[1];
  return nullptr;
}

bool F_AlcoveW::Evento(const std::string &suceso, const std::function<void()> &manejador) {
  const bool bien = Win32::ProtegerEvento(w_, manejador);
  formulario_->Volcar(suceso);
  return bien;
}

void F_AlcoveW::Comando(int id, int aviso) {
  if (id == IdMenuAcerca) {
    Evento("menu_Ayuda_Click", [this] { formulario_->menu_Ayuda_Click(1); });
    return;
  }
  const int relativo = id - IdPanel;
  if (relativo < 0 || relativo >= 20)
    return;
  const auto p = static_cast<std::size_t>(relativo / 10);
  const auto i = static_cast<std::int16_t>(p);
  const std::string pane = "(" + std::to_string(p) + ")";
  switch (relativo % 10) {
  case IdDrive:
    if (aviso == CBN_DROPDOWN) {
      Win32::ProtegerEvento(w_, [this, p] { drive_[p]->Rellenar(); });
    } else if (aviso == CBN_SELCHANGE && drive_[p]->AlCambiar()) {
      // A drive that cannot be reached leaves the pane on the drive it showed.
      if (!Evento("Drive_Change" + pane, [this, i] { formulario_->Drive_Change(i); }))
        drive_[p]->DeshacerCambio();
    }
    break;
  case IdDir:
    if (aviso == LBN_DBLCLK) {
      // A user's move: whatever fails is told, the list stays where it was.
      Win32::ProtegerEvento(w_, [this, p] { dir_[p]->Abrir(dir_[p]->FilaActual()); });
    }
    break;
  case IdFile:
    if (aviso == LBN_SELCHANGE) {
      Evento("File_Click" + pane, [this, i] { formulario_->File_Click(i); });
      // After the window's own handler, which cannot open images inside zips.
      gestor_->ArchivoElegido(i);
    }
    break;
  default: break;
  }
}

void F_AlcoveW::PintarFondo(HDC dc) const {
  RECT cliente;
  ::GetClientRect(w_, &cliente);
  ::FillRect(dc, &cliente, ::GetSysColorBrush(COLOR_ACTIVEBORDER));
  for (std::size_t p = 0; p < 2; ++p) {
    const RECT marco = Win32::Rect(D::Paneles[p].marco);
    ::FillRect(dc, &marco, Win32::BrochaNegra());
    const POINT o = Origen(p);
    const RECT info = Win32::Rect(D::Paneles[p].info, o.x, o.y);
    ::FillRect(dc, &info, Win32::BrochaAzul());
  }
}

LRESULT CALLBACK F_AlcoveW::Procedimiento(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  auto *ventana = reinterpret_cast<F_AlcoveW *>(::GetWindowLongPtrW(w, GWLP_USERDATA));
  if (ventana == nullptr)
    return ::DefWindowProcW(w, mensaje, wp, lp);
  try {
    return ventana->Mensaje(mensaje, wp, lp);
  } catch (...) {
    // Handlers go through the event boundary; nothing else may cross here.
    return ::DefWindowProcW(w, mensaje, wp, lp);
  }
}

LRESULT F_AlcoveW::Mensaje(UINT mensaje, WPARAM wp, LPARAM lp) {
  switch (mensaje) {
  case WM_COMMAND: Comando(LOWORD(wp), HIWORD(wp)); return 0;
  case WM_NOTIFY: {
    const auto *aviso = reinterpret_cast<const NMHDR *>(lp);
    if (LRESULT r = 0; gestor_->Notificacion(*aviso, r))
      return r;
    for (std::size_t p = 0; p < 2; ++p) {
      if (aviso->hwndFrom == vistas_[p] && aviso->code == LVN_COLUMNCLICK) {
        const int columna = reinterpret_cast<const NMLISTVIEW *>(lp)->iSubItem + 1;
        const auto i = static_cast<std::int16_t>(p);
        Evento("DSK_ColumnClick(" + std::to_string(p) + ") " + std::to_string(columna),
               [this, i, columna] { formulario_->DSK_ColumnClick(i, columna); });
      }
    }
    return 0;
  }
  case WM_VKEYTOITEM:
    for (std::size_t p = 0; p < 2; ++p) {
      if (reinterpret_cast<HWND>(lp) == dirs_[p] && LOWORD(wp) == VK_RETURN) {
        Win32::ProtegerEvento(w_, [this, p] { dir_[p]->Abrir(dir_[p]->FilaActual()); });
        return -2;
      }
    }
    return -1;
  case WM_CTLCOLORLISTBOX:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORSTATIC: {
    const auto dc = reinterpret_cast<HDC>(wp);
    const auto control = reinterpret_cast<HWND>(lp);
    if (control == frames_[0] || control == frames_[1]) {
      // Black behind; the caption keeps the default text colour.
      ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      ::SetBkColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(Win32::BrochaNegra());
    }
    ::SetTextColor(dc, Win32::Ref(D::Amarillo));
    ::SetBkColor(dc, Win32::Ref(D::AzulOscuro));
    return reinterpret_cast<LRESULT>(Win32::BrochaAzul());
  }
  case WM_CONTEXTMENU:
    if (gestor_->MenuContextual(reinterpret_cast<HWND>(wp), lp))
      return 0;
    return ::DefWindowProcW(w_, mensaje, wp, lp);
  case WM_MEASUREITEM:
  case WM_DRAWITEM:
    if (gestor_->DibujoMenu(mensaje, lp))
      return TRUE;
    return ::DefWindowProcW(w_, mensaje, wp, lp);
  case GestorW::MensajePendiente: gestor_->Pendientes(); return 0;
  case WM_ERASEBKGND: PintarFondo(reinterpret_cast<HDC>(wp)); return 1;
  case WM_DESTROY:
    SoltarGestor();
    ::SetWindowLongPtrW(w_, GWLP_USERDATA, 0);
    w_ = nullptr;
    ::PostQuitMessage(0);
    return 0;
  default: return ::DefWindowProcW(w_, mensaje, wp, lp);
  }
}
