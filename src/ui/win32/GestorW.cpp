#include "ui/win32/GestorW.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {

namespace D = Disposicion;
using Win32::Ancho;

constexpr double PuntosMenu = 9.75;

int EligeConElMenu(HMENU menu, HWND dueno, POINT punto) {
  // Without this the menu would not close when the user clicks elsewhere.
  ::SetForegroundWindow(dueno);
  return static_cast<int>(
      ::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                         punto.x, punto.y, dueno, nullptr));
}

GestorW::ElectorMenu &Elector() {
  static GestorW::ElectorMenu elector = EligeConElMenu;
  return elector;
}

bool TeclaSola() {
  return ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_CONTROL) >= 0 &&
         ::GetKeyState(VK_MENU) >= 0;
}

// Where the keyboard's menu opens: at the current row, or the view's corner.
POINT PuntoDeTeclado(HWND vista) {
  const auto actual = ::SendMessageW(vista, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
  POINT p{8, 8};
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (actual >= 0 && ::SendMessageW(vista, LVM_GETITEMRECT, static_cast<WPARAM>(actual),
                                    reinterpret_cast<LPARAM>(&r)) != FALSE)
    p = {r.left + 8, (r.top + r.bottom) / 2};
  ::ClientToScreen(vista, &p);
  return p;
}

} // namespace

GestorW::ElectorMenu GestorW::InstalarElectorMenu(ElectorMenu elector) {
  if (!elector)
    elector = EligeConElMenu;
  return std::exchange(Elector(), std::move(elector));
}

GestorW::GestorW(HWND ventana, std::array<HWND, 2> vistas,
                 std::array<Gestion::PanelVentana, 2> paneles)
    : ventana_(ventana), vistas_(vistas), propios_(ventana) {
  // Drag and drop and Windows' choosers need OLE on this thread.
  const HRESULT ole = ::OleInitialize(nullptr);
  ole_ = ole == S_OK || ole == S_FALSE;
  paneles_ = std::make_unique<Gestion::GestorPaneles>(
      std::move(paneles), Gestion::DialogosEnUso(propios_), [this](Gestion::Visor visor) {
        static_cast<void>(Visores()); // the closed ones go
        visores_.push_back(std::make_unique<F_VerW>(ventana_, std::move(visor)));
      });
  for (std::size_t p = 0; p < 2; ++p) {
    const int i = static_cast<int>(p);
    destinos_[p] = std::make_unique<Win32::DestinoSoltar>(
        vistas_[p],
        [this, i](IDataObject *datos, bool soltar) { return Responder(i, datos, soltar); });
  }
}

GestorW::~GestorW() {
  // The drop targets leave OLE before it goes from the thread.
  for (auto &d : destinos_)
    d.reset();
  visores_.clear();
  paneles_.reset();
  if (ole_)
    ::OleUninitialize();
}

int GestorW::PanelDe(HWND vista) const {
  const auto it = std::find(vistas_.begin(), vistas_.end(), vista);
  return it == vistas_.end() || vista == nullptr ? -1 : static_cast<int>(it - vistas_.begin());
}

std::vector<F_VerW *> GestorW::Visores() {
  visores_.erase(
      std::remove_if(visores_.begin(), visores_.end(),
                     [](const std::unique_ptr<F_VerW> &v) { return v->Hwnd() == nullptr; }),
      visores_.end());
  std::vector<F_VerW *> abiertos;
  for (const auto &v : visores_)
    abiertos.push_back(v.get());
  return abiertos;
}

IDropTarget *GestorW::Destino(int i) const {
  return i == 0 || i == 1 ? destinos_[static_cast<std::size_t>(i)]->Objeto() : nullptr;
}

bool GestorW::Notificacion(const NMHDR &aviso, LRESULT &resultado) {
  const int i = PanelDe(aviso.hwndFrom);
  if (i < 0)
    return false;
  resultado = 0;
  switch (aviso.code) {
  case NM_DBLCLK:
    if (reinterpret_cast<const NMITEMACTIVATE &>(aviso).iItem >= 0)
      Win32::ProtegerEvento(ventana_, [this, i] { paneles_->Ver(i); });
    return true;
  case NM_RETURN: Win32::ProtegerEvento(ventana_, [this, i] { paneles_->Ver(i); }); return true;
  case LVN_KEYDOWN: {
    const WORD tecla = reinterpret_cast<const NMLVKEYDOWN &>(aviso).wVKey;
    if (tecla == VK_DELETE && TeclaSola())
      Despues([this, i] { paneles_->BorrarSeleccion(i); });
    else if (tecla == VK_F2 && TeclaSola())
      Despues([this, i] { paneles_->RenombrarSeleccion(i); });
    return true;
  }
  case LVN_BEGINDRAG: Win32::ProtegerEvento(ventana_, [this, i] { Arrastrar(i); }); return true;
  default: return false;
  }
}

bool GestorW::MenuContextual(HWND desde, LPARAM punto) {
  const int i = PanelDe(desde);
  if (i < 0)
    return false;
  // The menu key and Shift+F10 send no point.
  const bool deTeclado =
      punto == static_cast<LPARAM>(-1) || (GET_X_LPARAM(punto) == -1 && GET_Y_LPARAM(punto) == -1);
  const POINT p{GET_X_LPARAM(punto), GET_Y_LPARAM(punto)};
  Win32::ProtegerEvento(ventana_, [&] { AbrirMenu(i, p, deTeclado); });
  return true;
}

void GestorW::AbrirMenu(int i, POINT pantalla, bool deTeclado) {
  const HWND vista = vistas_[static_cast<std::size_t>(i)];
  int fila = -1;
  if (!deTeclado) {
    LVHITTESTINFO h{};
    h.pt = pantalla;
    ::ScreenToClient(vista, &h.pt);
    const auto r = ::SendMessageW(vista, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&h));
    if (r >= 0 && (h.flags & LVHT_ONITEM) != 0)
      fila = static_cast<int>(r);
  }
  opciones_ = paneles_->Menu(i, fila, deTeclado);
  if (deTeclado)
    pantalla = PuntoDeTeclado(vista);
  const HMENU menu = ::CreatePopupMenu();
  if (menu == nullptr)
    return;
  // Drawn here in the program's colours; item k is identifier k + 1.
  MENUINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = MIM_BACKGROUND;
  info.hbrBack = Win32::BrochaAzul();
  ::SetMenuInfo(menu, &info);
  for (std::size_t k = 0; k < opciones_.size(); ++k) {
    const Gestion::OpcionMenu &o = opciones_[k];
    UINT tipo = MF_OWNERDRAW;
    if (o.Separador())
      tipo |= MF_SEPARATOR;
    if (!o.habilitada)
      tipo |= MF_GRAYED;
    if (o.marcada)
      tipo |= MF_CHECKED;
    ::AppendMenuW(menu, tipo, k + 1, reinterpret_cast<LPCWSTR>(k));
  }
  const int elegido = Elector()(menu, ventana_, pantalla);
  ::DestroyMenu(menu);
  if (elegido < 1 || static_cast<std::size_t>(elegido) > opciones_.size())
    return;
  const Gestion::OpcionMenu &o = opciones_[static_cast<std::size_t>(elegido - 1)];
  if (o.Separador() || !o.habilitada || !o.hacer)
    return;
  Despues(o.hacer);
}

bool GestorW::DibujoMenu(UINT mensaje, LPARAM lp) {
  if (mensaje == WM_MEASUREITEM) {
    auto &m = *reinterpret_cast<MEASUREITEMSTRUCT *>(lp);
    if (m.CtlType != ODT_MENU || m.itemData >= opciones_.size())
      return false;
    const Gestion::OpcionMenu &o = opciones_[m.itemData];
    const int p = Win32::Ppp();
    if (o.Separador()) {
      m.itemWidth = 1;
      m.itemHeight = static_cast<UINT>(7 * p / 96);
      return true;
    }
    const HDC dc = ::GetDC(ventana_);
    const HGDIOBJ antes = ::SelectObject(dc, Win32::Courier(PuntosMenu));
    SIZE s{};
    const std::wstring texto = Ancho(o.texto);
    ::GetTextExtentPoint32W(dc, texto.c_str(), static_cast<int>(texto.size()), &s);
    ::SelectObject(dc, antes);
    ::ReleaseDC(ventana_, dc);
    m.itemWidth = static_cast<UINT>(s.cx + 40 * p / 96);
    m.itemHeight = static_cast<UINT>(s.cy + 6 * p / 96);
    return true;
  }
  if (mensaje != WM_DRAWITEM)
    return false;
  const auto &d = *reinterpret_cast<const DRAWITEMSTRUCT *>(lp);
  if (d.CtlType != ODT_MENU || d.itemData >= opciones_.size())
    return false;
  const Gestion::OpcionMenu &o = opciones_[d.itemData];
  RECT r = d.rcItem;
  const bool elegida = (d.itemState & ODS_SELECTED) != 0 && o.habilitada && !o.Separador();
  ::FillRect(d.hDC, &r, elegida ? Win32::BrochaAmarilla() : Win32::BrochaAzul());
  if (o.Separador()) {
    RECT linea{r.left + 4, (r.top + r.bottom) / 2, r.right - 4, (r.top + r.bottom) / 2 + 1};
    ::FillRect(d.hDC, &linea, Win32::BrochaAmarilla());
    return true;
  }
  ::SetBkMode(d.hDC, TRANSPARENT);
  // A disabled item in a dimmer yellow.
  ::SetTextColor(d.hDC, elegida        ? Win32::Ref(D::AzulOscuro)
                        : o.habilitada ? Win32::Ref(D::Amarillo)
                                       : RGB(128, 128, 64));
  const HGDIOBJ antes = ::SelectObject(d.hDC, Win32::Courier(PuntosMenu));
  const int margen = 20 * Win32::Ppp() / 96;
  if (o.marcada) {
    RECT marca{r.left, r.top, r.left + margen, r.bottom};
    ::DrawTextW(d.hDC, L"\u221A", 1, &marca, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  r.left += margen;
  ::DrawTextW(d.hDC, Ancho(o.texto).c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(d.hDC, antes);
  return true;
}

Win32::Com<IDataObject> GestorW::DatosArrastre(int i) {
  const std::vector<std::string> rutas = paneles_->Arrastrar(i);
  if (rutas.empty())
    return {};
  return Win32::DatosDeFilas(rutas, i);
}

void GestorW::Arrastrar(int i) {
  const Win32::Com<IDataObject> datos = DatosArrastre(i);
  const Win32::Com<IDropSource> origen = Win32::CrearOrigen();
  bool soltado = false;
  if (datos && origen) {
    DWORD efecto = DROPEFFECT_NONE;
    soltado = ::DoDragDrop(datos.get(), origen.get(), DROPEFFECT_COPY, &efecto) == DRAGDROP_S_DROP;
  }
  paneles_->FinArrastre(soltado);
}

DWORD GestorW::Responder(int i, IDataObject *datos, bool soltar) {
  const std::optional<Gestion::Soltado> soltado = Win32::LeerSoltado(datos);
  if (!soltado)
    return DROPEFFECT_NONE;
  std::function<void()> trabajo = paneles_->Recibir(i, *soltado);
  if (!trabajo)
    return DROPEFFECT_NONE;
  if (soltar)
    Despues(std::move(trabajo)); // the other end is not kept waiting on a question
  return DROPEFFECT_COPY;
}

void GestorW::Despues(std::function<void()> trabajo) {
  pendientes_.push_back(std::move(trabajo));
  ::PostMessageW(ventana_, MensajePendiente, 0, 0);
}

void GestorW::Pendientes() {
  std::vector<std::function<void()>> pendientes;
  pendientes.swap(pendientes_);
  for (const auto &trabajo : pendientes)
    Win32::ProtegerEvento(ventana_, trabajo);
}

void GestorW::ArchivoElegido(int i) {
  Win32::ProtegerEvento(ventana_, [this, i] { paneles_->ArchivoElegido(i); });
}
