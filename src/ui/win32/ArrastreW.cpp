#include "ui/win32/ArrastreW.h"

#include <shlobj.h>

#include <cstring>
#include <new>

namespace Win32 {
namespace {

// The format that says which pane's rows a drag carries, and from which process.
UINT FormatoFilas() {
  static const UINT formato = ::RegisterClipboardFormatW(L"Alcove.Filas");
  return formato;
}

struct Filas {
  DWORD proceso;
  std::int32_t panel;
};

FORMATETC Formato(UINT cf) {
  return {static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

HGLOBAL Copia(const void *bytes, std::size_t n) {
  const HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, n);
  if (h == nullptr)
    return nullptr;
  void *p = ::GlobalLock(h);
  if (p == nullptr) {
    ::GlobalFree(h);
    return nullptr;
  }
  std::memcpy(p, bytes, n);
  ::GlobalUnlock(h);
  return h;
}

// COM's reference count and IUnknown, for one interface.
template <class I> class Unico : public I {
public:
  virtual ~Unico() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **objeto) override {
    if (objeto == nullptr)
      return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(I)) {
      *objeto = static_cast<I *>(this);
      this->AddRef();
      return S_OK;
    }
    *objeto = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++cuenta_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --cuenta_;
    if (n == 0)
      delete this;
    return n;
  }

private:
  ULONG cuenta_ = 1;
};

class DatosFilas final : public Unico<IDataObject> {
public:
  DatosFilas(std::vector<std::string> rutas, int panel) : rutas_(std::move(rutas)), panel_(panel) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC *pedido, STGMEDIUM *medio) override {
    if (pedido == nullptr || medio == nullptr)
      return E_INVALIDARG;
    if (QueryGetData(pedido) != S_OK)
      return DV_E_FORMATETC;
    HGLOBAL h = nullptr;
    if (pedido->cfFormat == CF_HDROP) {
      try {
        h = CrearHdrop(rutas_);
      } catch (...) {
        // Nothing crosses into OLE: the other end hears there was no memory.
        return E_OUTOFMEMORY;
      }
    } else {
      const Filas filas{::GetCurrentProcessId(), panel_};
      h = Copia(&filas, sizeof(filas));
    }
    if (h == nullptr)
      return E_OUTOFMEMORY;
    medio->tymed = TYMED_HGLOBAL;
    medio->hGlobal = h;
    medio->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *pedido) override {
    if (pedido == nullptr)
      return E_INVALIDARG;
    if (pedido->cfFormat != CF_HDROP && (panel_ < 0 || pedido->cfFormat != FormatoFilas()))
      return DV_E_FORMATETC;
    if ((pedido->tymed & TYMED_HGLOBAL) == 0)
      return DV_E_TYMED;
    return pedido->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *salida) override {
    if (salida != nullptr)
      salida->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direccion, IEnumFORMATETC **lista) override {
    if (direccion != DATADIR_GET)
      return E_NOTIMPL;
    const FORMATETC formatos[] = {Formato(CF_HDROP), Formato(FormatoFilas())};
    return ::SHCreateStdEnumFmtEtc(panel_ < 0 ? 1 : 2, formatos, lista);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

private:
  std::vector<std::string> rutas_;
  int panel_;
};

class Origen final : public Unico<IDropSource> {
public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD teclas) override {
    if (escape)
      return DRAGDROP_S_CANCEL;
    return (teclas & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

class Destino final : public Unico<IDropTarget> {
public:
  explicit Destino(DestinoSoltar::Responder responder) : responder_(std::move(responder)) {}

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *datos, DWORD, POINTL, DWORD *efecto) override {
    efecto_ = Preguntar(datos, false);
    return Responder(efecto);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD *efecto) override {
    return Responder(efecto);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    efecto_ = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *datos, DWORD, POINTL, DWORD *efecto) override {
    efecto_ = Preguntar(datos, true);
    const HRESULT r = Responder(efecto);
    efecto_ = DROPEFFECT_NONE;
    return r;
  }

private:
  // Only a copy is ever made; the other end's files stay where they are.
  HRESULT Responder(DWORD *efecto) const {
    if (efecto == nullptr)
      return E_INVALIDARG;
    *efecto = (*efecto & DROPEFFECT_COPY) != 0 ? efecto_ : DROPEFFECT_NONE;
    return S_OK;
  }
  DWORD Preguntar(IDataObject *datos, bool soltar) const noexcept {
    try {
      return datos != nullptr && responder_ ? responder_(datos, soltar) : DROPEFFECT_NONE;
    } catch (...) {
      // Nothing crosses into OLE: what could not be asked is not taken.
      return DROPEFFECT_NONE;
    }
  }
  DestinoSoltar::Responder responder_;
  DWORD efecto_ = DROPEFFECT_NONE;
};

} // namespace

HGLOBAL CrearHdrop(const std::vector<std::string> &rutas) {
  std::wstring lista;
  for (const std::string &r : rutas) {
    lista += Ancho(r);
    lista += L'\0';
  }
  // The list ends with an empty name; a list of none is that name alone.
  if (rutas.empty())
    lista += L'\0';
  lista += L'\0';
  const std::size_t bytes = sizeof(DROPFILES) + lista.size() * sizeof(wchar_t);
  const HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (h == nullptr)
    return nullptr;
  auto *p = static_cast<unsigned char *>(::GlobalLock(h));
  if (p == nullptr) {
    ::GlobalFree(h);
    return nullptr;
  }
  DROPFILES cabecera{};
  cabecera.pFiles = sizeof(DROPFILES);
  cabecera.fWide = TRUE;
  std::memcpy(p, &cabecera, sizeof(cabecera));
  std::memcpy(p + sizeof(cabecera), lista.data(), lista.size() * sizeof(wchar_t));
  ::GlobalUnlock(h);
  return h;
}

std::vector<std::string> ArchivosDeHdrop(HDROP hdrop) {
  std::vector<std::string> rutas;
  const UINT n = ::DragQueryFileW(hdrop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    const UINT largo = ::DragQueryFileW(hdrop, i, nullptr, 0);
    std::wstring ruta(static_cast<std::size_t>(largo) + 1, L'\0');
    const UINT leidos = ::DragQueryFileW(hdrop, i, ruta.data(), largo + 1);
    ruta.resize(leidos);
    if (!ruta.empty())
      rutas.push_back(Estrecho(ruta));
  }
  return rutas;
}

Com<IDataObject> DatosDeFilas(const std::vector<std::string> &rutas, int panel) {
  return Com<IDataObject>(new (std::nothrow) DatosFilas(rutas, panel));
}

std::optional<Gestion::Soltado> LeerSoltado(IDataObject *datos) {
  if (datos == nullptr)
    return std::nullopt;
  Gestion::Soltado soltado;
  FORMATETC filas = Formato(FormatoFilas());
  STGMEDIUM medio{};
  if (datos->GetData(&filas, &medio) == S_OK) {
    bool nuestras = false;
    if (medio.tymed == TYMED_HGLOBAL && ::GlobalSize(medio.hGlobal) >= sizeof(Filas)) {
      Filas f{};
      if (const void *p = ::GlobalLock(medio.hGlobal); p != nullptr) {
        std::memcpy(&f, p, sizeof(f));
        ::GlobalUnlock(medio.hGlobal);
        // Rows of another Alcove are only its files here.
        nuestras = f.proceso == ::GetCurrentProcessId();
        soltado.panel = f.panel;
      }
    }
    ::ReleaseStgMedium(&medio);
    if (nuestras)
      return soltado;
    soltado.panel = -1;
  }
  FORMATETC archivos = Formato(CF_HDROP);
  medio = {};
  if (datos->GetData(&archivos, &medio) != S_OK)
    return std::nullopt;
  if (medio.tymed == TYMED_HGLOBAL)
    soltado.rutas = ArchivosDeHdrop(static_cast<HDROP>(medio.hGlobal));
  ::ReleaseStgMedium(&medio);
  if (soltado.rutas.empty())
    return std::nullopt;
  return soltado;
}

Com<IDropSource> CrearOrigen() { return Com<IDropSource>(new (std::nothrow) Origen); }

DestinoSoltar::DestinoSoltar(HWND ventana, Responder responder)
    : w_(ventana), objeto_(new Destino(std::move(responder))) {
  registrado_ = ::RegisterDragDrop(w_, objeto_) == S_OK;
}

DestinoSoltar::~DestinoSoltar() {
  if (registrado_ && ::IsWindow(w_))
    ::RevokeDragDrop(w_);
  objeto_->Release();
}

} // namespace Win32
