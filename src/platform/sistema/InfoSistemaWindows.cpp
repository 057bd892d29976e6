#include "platform/sistema/InfoSistema.h"

#include "platform/Errores.h"
#include "platform/TextoWindows.h"

#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>

#include <utility>

namespace Plataforma {
namespace {

// Releases the COM interface it holds when it goes.
template <class T> class Com {
public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr)
      p_->Release();
  }
  Com(const Com &) = delete;
  Com &operator=(const Com &) = delete;
  [[nodiscard]] T *operator->() const { return p_; }
  [[nodiscard]] T *Get() const { return p_; }
  T **Direccion() { return &p_; }
  void **Vacio() { return reinterpret_cast<void **>(&p_); }

private:
  T *p_ = nullptr;
};

class Bstr {
public:
  explicit Bstr(const wchar_t *texto) : b_(::SysAllocString(texto)) {
    if (b_ == nullptr)
      LanzarError(Errores::MemoriaInsuficiente);
  }
  ~Bstr() { ::SysFreeString(b_); }
  Bstr(const Bstr &) = delete;
  Bstr &operator=(const Bstr &) = delete;
  operator BSTR() const { return b_; } // NOLINT: handed to the COM calls as they are

private:
  BSTR b_;
};

class Variante {
public:
  Variante() { ::VariantInit(&v_); }
  ~Variante() { ::VariantClear(&v_); }
  Variante(const Variante &) = delete;
  Variante &operator=(const Variante &) = delete;
  VARIANT *operator&() { return &v_; } // NOLINT: filled by IWbemClassObject::Get
  [[nodiscard]] const VARIANT &Valor() const { return v_; }
  [[nodiscard]] VARIANT *Puntero() { return &v_; }

private:
  VARIANT v_;
};

void Comprobar(HRESULT resultado) {
  if (FAILED(resultado))
    throw ErrorAlcove(Errores::ErrorEntradaSalida, "WMI: 0x" + std::to_string(resultado));
}

// COM for this thread while the object lives, unless the thread had it already.
class Apartamento {
public:
  Apartamento() {
    const HRESULT r = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    propio_ = SUCCEEDED(r);
    if (FAILED(r) && r != RPC_E_CHANGED_MODE)
      Comprobar(r);
  }
  ~Apartamento() {
    if (propio_)
      ::CoUninitialize();
  }
  Apartamento(const Apartamento &) = delete;
  Apartamento &operator=(const Apartamento &) = delete;

private:
  bool propio_ = false;
};

// A property of a WMI object as text: nullopt when it is null; left out of
// `objeto` when it cannot be read, so that reading it fails as it did.
void CopiarPropiedad(IWbemClassObject &wmi, const wchar_t *nombre, ObjetoSistema &objeto) {
  Variante valor;
  if (FAILED(wmi.Get(nombre, 0, &valor, nullptr, nullptr)))
    return;
  VARIANT &v = *valor.Puntero();
  std::optional<std::string> texto;
  if (v.vt == VT_BSTR) {
    texto = Estrecho(std::wstring_view(v.bstrVal, ::SysStringLen(v.bstrVal)));
  } else if (v.vt != VT_NULL && v.vt != VT_EMPTY) {
    Variante comoTexto;
    if (FAILED(::VariantChangeType(&comoTexto, &v, 0, VT_BSTR)))
      return;
    const BSTR b = comoTexto.Valor().bstrVal;
    texto = Estrecho(std::wstring_view(b, ::SysStringLen(b)));
  }
  objeto.PonerPropiedad(Estrecho(nombre), std::move(texto));
}

// The operating-system objects of WMI's Win32_OperatingSystem class, read
// through the local namespace root\cimv2, with the same three properties
// as every host.
class InfoSistemaWindows final : public ServicioInfoSistema {
public:
  [[nodiscard]] std::vector<ObjetoSistema> SistemasOperativos() const override {
    const Apartamento com;
    Com<IWbemLocator> localizador;
    Comprobar(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                 localizador.Vacio()));
    Com<IWbemServices> servicios;
    Comprobar(localizador->ConnectServer(Bstr(L"ROOT\\CIMV2"), nullptr, nullptr, nullptr, 0,
                                         nullptr, nullptr, servicios.Direccion()));
    Comprobar(::CoSetProxyBlanket(servicios.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                  RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                  EOAC_NONE));
    Com<IEnumWbemClassObject> instancias;
    Comprobar(servicios->CreateInstanceEnum(Bstr(L"Win32_OperatingSystem"),
                                            WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                            nullptr, instancias.Direccion()));
    std::vector<ObjetoSistema> objetos;
    for (;;) {
      Com<IWbemClassObject> wmi;
      ULONG devueltos = 0;
      const HRESULT r =
          instancias->Next(static_cast<LONG>(WBEM_INFINITE), 1, wmi.Direccion(), &devueltos);
      Comprobar(r);
      if (devueltos == 0)
        break;
      ObjetoSistema objeto;
      for (const wchar_t *nombre : {L"Caption", L"Version", L"SerialNumber"})
        CopiarPropiedad(*wmi.Get(), nombre, objeto);
      objetos.push_back(std::move(objeto));
    }
    return objetos;
  }
};

} // namespace

std::unique_ptr<ServicioInfoSistema> CrearInfoSistemaHost() {
  return std::make_unique<InfoSistemaWindows>();
}

} // namespace Plataforma
