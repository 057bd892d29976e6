#include "ui/win32/Controles32.h"

#include "disk/Formato.h"
#include "platform/Carpetas.h"
#include "platform/Errores.h"
#include "ui/auxiliary/Medidor.h"
#include "ui/controles/Texto.h"

#include <algorithm>
#include <cwctype>
#include <map>

namespace Win32 {

namespace {

bool EsUnidadSola(const std::string &t) {
  return t.size() == 2 && t[1] == ':' && std::isalpha(static_cast<unsigned char>(t[0]));
}

char Letra(const std::string &unidad) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(unidad[0])));
}

// Each drive's current folder: the last one any folder list visited on it.
std::map<char, std::string> &Memoria() {
  static std::map<char, std::string> memoria;
  return memoria;
}

std::string CompletaHost(const std::wstring &ruta) {
  const DWORD n = ::GetFullPathNameW(ruta.c_str(), 0, nullptr, nullptr);
  if (n == 0)
    LanzarError(Errores::RutaNoEncontrada);
  std::wstring completa(n, L'\0');
  const DWORD m = ::GetFullPathNameW(ruta.c_str(), n, completa.data(), nullptr);
  completa.resize(m);
  // No separator at the end but at a drive's root.
  while (completa.size() > 3 && (completa.back() == L'\\' || completa.back() == L'/'))
    completa.pop_back();
  std::replace(completa.begin(), completa.end(), L'/', L'\\');
  return Estrecho(completa);
}

bool EsAbsoluta(const std::string &r) {
  return (r.size() >= 3 && r[1] == ':' && (r[2] == '\\' || r[2] == '/')) ||
         (r.size() >= 2 && (r[0] == '\\' || r[0] == '/') && (r[1] == '\\' || r[1] == '/'));
}

// `ruta` made absolute against `base` and clean.
std::string RutaCompleta(const std::string &base, const std::string &ruta) {
  const std::string junta = EsAbsoluta(ruta) || base.empty() ? ruta : base + "\\" + ruta;
  return CompletaHost(Ancho(junta));
}

// Throws unless `ruta` is a folder; a drive with no disk in it says so.
void ComprobarCarpeta(const std::string &ruta) {
  const DWORD a = ::GetFileAttributesW(Ancho(ruta).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    const DWORD e = ::GetLastError();
    LanzarError(e == ERROR_NOT_READY ? Errores::DiscoNoPreparado : Errores::RutaNoEncontrada);
  }
  if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0)
    LanzarError(Errores::RutaNoEncontrada);
}

struct Contenido {
  std::vector<std::string> carpetas, imagenes;
};

bool AntesSinCaso(const std::string &a, const std::string &b) {
  const int c = Texto::CompararSinCaso(a, b);
  return c != 0 ? c < 0 : a < b;
}

// Subfolders and images of `ruta`, sorted as the lists show them; hidden names
// (a leading dot) stay out, as they would in a file manager.
Contenido Listar(const std::string &ruta) {
  Contenido c;
  const std::int16_t error = Plataforma::ListarCarpeta(
      ruta, [](const Plataforma::IdCarpeta &) { return true; },
      [](std::string_view nombre) { return Formato::EsNombreDeImagen(nombre); },
      [&c](std::string_view nombre, bool esCarpeta) {
        if (!nombre.empty() && nombre.front() != '.')
          (esCarpeta ? c.carpetas : c.imagenes).emplace_back(nombre);
      });
  if (error != Errores::Ninguno)
    LanzarError(Errores::ErrorAccesoRuta);
  std::sort(c.carpetas.begin(), c.carpetas.end(), AntesSinCaso);
  std::sort(c.imagenes.begin(), c.imagenes.end(), AntesSinCaso);
  return c;
}

void AgregarFila(HWND lista, const std::string &texto) {
  ::SendMessageW(lista, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ancho(texto).c_str()));
}

} // namespace

// ---- Drives ----

UnidadesW::UnidadesW(HWND combo) : w_(combo) {
  wchar_t actual[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, actual);
  actual_ = UnidadDe(Estrecho(actual));
  Rellenar();
}

std::vector<std::string> UnidadesW::DelSistema() {
  std::vector<std::string> unidades;
  const DWORD mascara = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mascara & (1U << i)) != 0)
      unidades.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
  }
  return unidades;
}

std::string UnidadesW::UnidadDe(const std::string &ruta) {
  if (ruta.size() >= 2 && ruta[1] == ':' && std::isalpha(static_cast<unsigned char>(ruta[0])))
    return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(ruta[0])))) +
           ":";
  return {};
}

std::string UnidadesW::Drive() const {
  const LRESULT i = ::SendMessageW(w_, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR)
    return {};
  const LRESULT largo = ::SendMessageW(w_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
  std::wstring texto(static_cast<std::size_t>(largo) + 1, L'\0');
  ::SendMessageW(w_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(texto.data()));
  texto.resize(static_cast<std::size_t>(largo));
  return Estrecho(texto);
}

void UnidadesW::Seleccionar(const std::string &unidad) {
  const LRESULT i = ::SendMessageW(w_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(Ancho(unidad).c_str()));
  ::SendMessageW(w_, CB_SETCURSEL, static_cast<WPARAM>(i == CB_ERR ? 0 : i), 0);
}

void UnidadesW::Rellenar() {
  ::SendMessageW(w_, CB_RESETCONTENT, 0, 0);
  for (const std::string &u : DelSistema())
    ::SendMessageW(w_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ancho(u).c_str()));
  Seleccionar(actual_);
  actual_ = Drive();
}

bool UnidadesW::AlCambiar() {
  const std::string nueva = Drive();
  if (nueva == actual_)
    return false;
  anterior_ = actual_;
  actual_ = nueva;
  return true;
}

void UnidadesW::DeshacerCambio() {
  Seleccionar(anterior_);
  actual_ = anterior_;
}

// ---- Folders ----

CarpetasW::CarpetasW(HWND lista) : w_(lista) {
  wchar_t actual[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, actual);
  IrA(CompletaHost(actual));
}

void CarpetasW::SetPath(const std::string &ruta) {
  if (!EsUnidadSola(ruta)) {
    IrA(RutaCompleta(ruta_, ruta));
    return;
  }
  // A drive alone: the folder remembered for it, its nearest existing parent,
  // the process's current folder there, or its root.
  const std::string raiz = std::string(1, Letra(ruta)) + ":\\";
  std::string destino = CompletaHost(Ancho(ruta));
  if (const auto it = Memoria().find(Letra(ruta)); it != Memoria().end())
    destino = it->second;
  for (;;) {
    const DWORD a = ::GetFileAttributesW(Ancho(destino).c_str());
    if ((a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0) ||
        destino.size() <= raiz.size())
      break;
    destino = destino.substr(0, std::max(destino.rfind('\\'), std::size_t{2}));
    if (destino.size() == 2)
      destino += '\\';
  }
  IrA(destino);
}

void CarpetasW::IrA(const std::string &ruta) {
  ComprobarCarpeta(ruta);
  const Contenido contenido = Listar(ruta);
  const bool cambia = ruta != ruta_;
  ruta_ = ruta;
  if (!UnidadesW::UnidadDe(ruta).empty())
    Memoria()[Letra(ruta)] = ruta;

  ::SendMessageW(w_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(w_, LB_RESETCONTENT, 0, 0);
  rutas_.clear();
  // The chain from the root down, one step further in at each level.
  std::vector<std::string> cadena;
  std::size_t fin = ruta.find('\\');
  const std::string raiz = ruta.substr(0, fin == std::string::npos ? ruta.size() : fin + 1);
  cadena.push_back(raiz);
  while (fin != std::string::npos && fin + 1 < ruta.size()) {
    const std::size_t siguiente = ruta.find('\\', fin + 1);
    cadena.push_back(ruta.substr(0, siguiente));
    fin = siguiente;
  }
  for (std::size_t nivel = 0; nivel < cadena.size(); ++nivel) {
    const std::string &r = cadena[nivel];
    const std::string nombre = nivel == 0 ? r : r.substr(r.rfind('\\') + 1);
    AgregarFila(w_, std::string(nivel, ' ') + nombre);
    rutas_.push_back(r);
  }
  const int actual = static_cast<int>(rutas_.size()) - 1;
  for (const std::string &sub : contenido.carpetas) {
    AgregarFila(w_, std::string(cadena.size(), ' ') + sub);
    rutas_.push_back(ruta.back() == '\\' ? ruta + sub : ruta + "\\" + sub);
  }
  ::SendMessageW(w_, LB_SETCURSEL, static_cast<WPARAM>(actual), 0);
  ::SendMessageW(w_, LB_SETTOPINDEX, static_cast<WPARAM>(actual), 0);
  ::SendMessageW(w_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(w_, nullptr, TRUE);
  if (cambia && AlCambiar)
    AlCambiar();
}

void CarpetasW::Abrir(int fila) {
  const std::string ruta = RutaDeFila(fila);
  if (!ruta.empty())
    IrA(ruta);
}

int CarpetasW::FilaActual() const {
  return static_cast<int>(::SendMessageW(w_, LB_GETCURSEL, 0, 0));
}

std::string CarpetasW::RutaDeFila(int fila) const {
  return fila >= 0 && fila < static_cast<int>(rutas_.size())
             ? rutas_[static_cast<std::size_t>(fila)]
             : std::string();
}

// ---- Files ----

ArchivosW::ArchivosW(HWND lista) : w_(lista) {
  wchar_t actual[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, actual);
  SetPath(CompletaHost(actual));
}

void ArchivosW::SetPath(const std::string &ruta) {
  const std::string completa = RutaCompleta(ruta_, ruta);
  ComprobarCarpeta(completa);
  Contenido contenido = Listar(completa);
  ruta_ = completa;
  propias_ = std::move(contenido.imagenes);
  Mostrar();
}

void ArchivosW::FijarOtrasImagenes(OtrasImagenes otras) {
  otras_ = std::move(otras);
  Mostrar();
}

void ArchivosW::Mostrar() {
  nombres_ = propias_;
  if (otras_ && !ruta_.empty()) {
    for (std::string &otra : otras_(ruta_))
      nombres_.push_back(std::move(otra));
  }
  ::SendMessageW(w_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(w_, LB_RESETCONTENT, 0, 0);
  for (const std::string &n : nombres_)
    AgregarFila(w_, n);
  ::SendMessageW(w_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(w_, nullptr, TRUE);
}

std::string ArchivosW::FileName() const {
  const LRESULT i = ::SendMessageW(w_, LB_GETCURSEL, 0, 0);
  return i >= 0 && static_cast<std::size_t>(i) < nombres_.size()
             ? nombres_[static_cast<std::size_t>(i)]
             : std::string();
}

// ---- Images ----

ImagenesW::ImagenesW() : lista_(::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4)) {}

ImagenesW::~ImagenesW() {
  if (lista_ != nullptr)
    ::ImageList_Destroy(lista_);
}

void ImagenesW::Agregar(const std::string &clave,
                        const std::array<Disposicion::Color, 256> &pixeles) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16; // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  const HBITMAP mapa = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (mapa == nullptr || bits == nullptr)
    LanzarError(Errores::MemoriaInsuficiente);
  auto *p = static_cast<std::uint32_t *>(bits);
  for (std::size_t i = 0; i < pixeles.size(); ++i)
    p[i] = (std::uint32_t{pixeles[i].rojo} << 16) | (std::uint32_t{pixeles[i].verde} << 8) |
           pixeles[i].azul;
  ::ImageList_AddMasked(lista_, mapa, Ref(Disposicion::Plata));
  ::DeleteObject(mapa);
  claves_.push_back(clave);
}

std::string ImagenesW::Key(int posicion) const {
  return posicion >= 1 && posicion <= Count() ? claves_[static_cast<std::size_t>(posicion - 1)]
                                              : std::string();
}

int ImagenesW::Index(const std::string &clave) const {
  const auto it = std::find(claves_.begin(), claves_.end(), clave);
  return it == claves_.end() ? 0 : static_cast<int>(it - claves_.begin()) + 1;
}

// ---- The catalogue view ----

VistaW::VistaW(HWND vista, const ImagenesW &imagenes) : w_(vista), imagenes_(imagenes) {}

void VistaW::Clear() {
  filas_.Clear();
  ::SendMessageW(w_, LVM_DELETEALLITEMS, 0, 0);
}

void VistaW::Insertar(int posicion, const FilasOrdenadas::Fila &fila) {
  std::wstring texto = Ancho(fila.textos[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = posicion;
  item.pszText = texto.data();
  item.iImage = fila.icono - 1; // the image list counts from 0
  item.lParam = static_cast<LPARAM>(fila.llegada);
  const auto real =
      static_cast<int>(::SendMessageW(w_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (int c = 1; c < Columnas; ++c) {
    std::wstring celda = Ancho(fila.textos[static_cast<std::size_t>(c)]);
    LVITEMW sub{};
    sub.iSubItem = c;
    sub.pszText = celda.data();
    ::SendMessageW(w_, LVM_SETITEMTEXTW, static_cast<WPARAM>(real), reinterpret_cast<LPARAM>(&sub));
  }
}

int VistaW::Add(const Textos &textos, int icono) {
  const int posicion = filas_.Add(textos, icono);
  Insertar(posicion, filas_[posicion]);
  return posicion;
}

void VistaW::Rellenar() {
  // The control's rows are still in the old order: what was selected is known
  // by the rows' arrival, which sorting does not change.
  std::vector<std::uint64_t> elegidas;
  std::uint64_t actual = UINT64_MAX;
  const int antes = Filas();
  std::vector<std::uint64_t> llegadas(static_cast<std::size_t>(antes));
  for (int f = 0; f < antes; ++f) {
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = f;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(w_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const auto llegada = static_cast<std::uint64_t>(item.lParam);
    if ((item.state & LVIS_SELECTED) != 0)
      elegidas.push_back(llegada);
    if ((item.state & LVIS_FOCUSED) != 0)
      actual = llegada;
  }
  ::SendMessageW(w_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(w_, LVM_DELETEALLITEMS, 0, 0);
  for (int f = 0; f < filas_.size(); ++f) {
    Insertar(f, filas_[f]);
    const std::uint64_t llegada = filas_[f].llegada;
    UINT estado = 0;
    if (std::find(elegidas.begin(), elegidas.end(), llegada) != elegidas.end())
      estado |= LVIS_SELECTED;
    if (llegada == actual)
      estado |= LVIS_FOCUSED;
    if (estado != 0)
      PonerEstado(f, estado, LVIS_SELECTED | LVIS_FOCUSED);
  }
  ::SendMessageW(w_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(w_, nullptr, TRUE);
}

void VistaW::PonerEstado(int fila, UINT estado, UINT mascara) {
  LVITEMW item{};
  item.state = estado;
  item.stateMask = mascara;
  ::SendMessageW(w_, LVM_SETITEMSTATE, static_cast<WPARAM>(fila), reinterpret_cast<LPARAM>(&item));
}

std::vector<int> VistaW::Seleccionadas() const {
  std::vector<int> filas;
  for (auto f = ::SendMessageW(w_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); f >= 0;
       f = ::SendMessageW(w_, LVM_GETNEXTITEM, static_cast<WPARAM>(f), LVNI_SELECTED))
    filas.push_back(static_cast<int>(f));
  return filas;
}

int VistaW::FilaActual() const {
  return static_cast<int>(
      ::SendMessageW(w_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void VistaW::SeleccionarSolo(int fila) {
  // Row -1 of LVM_SETITEMSTATE is every row.
  PonerEstado(-1, 0, LVIS_SELECTED);
  if (fila < 0 || fila >= Filas())
    return;
  PonerEstado(fila, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ::SendMessageW(w_, LVM_SETSELECTIONMARK, 0, fila);
  ::SendMessageW(w_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(fila), FALSE);
}

void VistaW::Seleccionar(const std::vector<int> &filas) {
  PonerEstado(-1, 0, LVIS_SELECTED);
  bool primera = true;
  for (const int fila : filas) {
    if (fila < 0 || fila >= Filas())
      continue;
    if (primera) {
      SeleccionarSolo(fila);
      primera = false;
    } else {
      PonerEstado(fila, LVIS_SELECTED, LVIS_SELECTED);
    }
  }
}

void VistaW::SetSortKey(std::int16_t clave) {
  filas_.SetSortKey(clave);
  Rellenar();
}

void VistaW::SetSortOrder(int orden) {
  filas_.SetSortOrder(orden);
  Rellenar();
}

int VistaW::Filas() const { return static_cast<int>(::SendMessageW(w_, LVM_GETITEMCOUNT, 0, 0)); }

std::string VistaW::Texto(int fila, int columna) const {
  wchar_t texto[256] = {};
  LVITEMW item{};
  item.iSubItem = columna;
  item.pszText = texto;
  item.cchTextMax = 255;
  ::SendMessageW(w_, LVM_GETITEMTEXTW, static_cast<WPARAM>(fila), reinterpret_cast<LPARAM>(&item));
  return Estrecho(texto);
}

std::string VistaW::ClaveIcono(int fila) const {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = fila;
  if (::SendMessageW(w_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == FALSE)
    return {};
  return imagenes_.Key(item.iImage + 1);
}

// ---- Status bar, progress bar ----

void EstadoW::SetPanelText(int panel, const std::string &texto) {
  if (panel < 1 || panel > Paneles)
    LanzarError(Errores::SubindiceFueraDeIntervalo);
  ::SendMessageW(w_, SB_SETTEXTW, static_cast<WPARAM>(panel - 1),
                 reinterpret_cast<LPARAM>(Ancho(texto).c_str()));
}

std::string EstadoW::PanelText(int panel) const {
  if (panel < 1 || panel > Paneles)
    LanzarError(Errores::SubindiceFueraDeIntervalo);
  const auto largo =
      LOWORD(::SendMessageW(w_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel - 1), 0));
  std::wstring texto(static_cast<std::size_t>(largo) + 1, L'\0');
  ::SendMessageW(w_, SB_GETTEXTW, static_cast<WPARAM>(panel - 1),
                 reinterpret_cast<LPARAM>(texto.data()));
  texto.resize(largo);
  return Estrecho(texto);
}

int BarraW::Value() const { return static_cast<int>(::SendMessageW(w_, PBM_GETPOS, 0, 0)); }
void BarraW::SetValue(int valor) { ::SendMessageW(w_, PBM_SETPOS, static_cast<WPARAM>(valor), 0); }

// ---- The LED meter ----

namespace {

LRESULT CALLBACK ProcMedidor(HWND w, UINT mensaje, WPARAM wp, LPARAM lp) {
  if (mensaje == WM_ERASEBKGND)
    return 1;
  if (mensaje != WM_PAINT)
    return ::DefWindowProcW(w, mensaje, wp, lp);
  PAINTSTRUCT ps;
  const HDC dc = ::BeginPaint(w, &ps);
  RECT r;
  ::GetClientRect(w, &r);
  ::FillRect(dc, &r, BrochaNegra());
  const int ancho = r.right - r.left;
  const int total = Medidor::SegmentosEnAncho(ancho);
  const int encendidos = Medidor::SegmentosEncendidos(MedidorW::Valor(w), total);
  const int paso = Medidor::AnchoSegmento + Medidor::Separacion;
  const int x0 = std::max(0, (ancho - (total * paso - Medidor::Separacion)) / 2);
  const int alto = std::max(1, static_cast<int>(r.bottom - r.top) - 4);
  for (int i = 0; i < total; ++i) {
    const HBRUSH b = ::CreateSolidBrush(Ref(Medidor::Color(i, total, i < encendidos)));
    const RECT s{x0 + i * paso, 2, x0 + i * paso + Medidor::AnchoSegmento, 2 + alto};
    ::FillRect(dc, &s, b);
    ::DeleteObject(b);
  }
  ::EndPaint(w, &ps);
  return 0;
}

} // namespace

void MedidorW::Registrar() {
  WNDCLASSW clase{};
  clase.lpfnWndProc = ProcMedidor;
  clase.hInstance = ::GetModuleHandleW(nullptr);
  clase.lpszClassName = Clase;
  clase.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  ::RegisterClassW(&clase);
}

void MedidorW::PonerValor(std::int16_t porcentaje) {
  if (Valor(w_) == porcentaje)
    return;
  ::SetWindowLongPtrW(w_, GWLP_USERDATA, porcentaje);
  ::InvalidateRect(w_, nullptr, FALSE);
}

int MedidorW::Valor(HWND medidor) {
  return static_cast<int>(::GetWindowLongPtrW(medidor, GWLP_USERDATA));
}

} // namespace Win32
