#include "platform/png/Png.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

namespace Plataforma {
namespace {

// A COM pointer released on every path out.
template <typename T> class Com {
public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) {
      p_->Release();
    }
  }
  Com(const Com &) = delete;
  Com &operator=(const Com &) = delete;
  T **Dir() { return &p_; }
  T *operator->() const { return p_; }
  T *Get() const { return p_; }

private:
  T *p_ = nullptr;
};

// COM for this thread, for as long as the encoding lasts.
class ComIniciado {
public:
  ComIniciado() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComIniciado() {
    if (SUCCEEDED(hr_)) {
      CoUninitialize();
    }
  }
  ComIniciado(const ComIniciado &) = delete;
  ComIniciado &operator=(const ComIniciado &) = delete;
  // Already started by someone else, in another mode, is started too.
  [[nodiscard]] bool Bien() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
  HRESULT hr_;
};

bool Codificar(int ancho, int alto, std::span<const std::uint8_t> rgb,
               std::vector<std::uint8_t> &destino) {
  Com<IWICImagingFactory> fabrica;
  Com<IStream> flujo;
  Com<IWICBitmapEncoder> codificador;
  Com<IWICBitmapFrameEncode> cuadro;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void **>(fabrica.Dir()))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, flujo.Dir())) ||
      FAILED(fabrica->CreateEncoder(GUID_ContainerFormatPng, nullptr, codificador.Dir())) ||
      FAILED(codificador->Initialize(flujo.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(codificador->CreateNewFrame(cuadro.Dir(), nullptr)) ||
      FAILED(cuadro->Initialize(nullptr)) ||
      FAILED(cuadro->SetSize(static_cast<UINT>(ancho), static_cast<UINT>(alto)))) {
    return false;
  }
  WICPixelFormatGUID formato = GUID_WICPixelFormat24bppBGR;
  if (FAILED(cuadro->SetPixelFormat(&formato)) || formato != GUID_WICPixelFormat24bppBGR) {
    return false;
  }
  // WIC takes blue first.
  std::vector<BYTE> bgr(rgb.begin(), rgb.end());
  for (std::size_t i = 0; i + 2 < bgr.size(); i += 3) {
    std::swap(bgr[i], bgr[i + 2]);
  }
  const auto fila = static_cast<UINT>(ancho) * 3;
  if (FAILED(cuadro->WritePixels(static_cast<UINT>(alto), fila, static_cast<UINT>(bgr.size()),
                                 bgr.data())) ||
      FAILED(cuadro->Commit()) || FAILED(codificador->Commit())) {
    return false;
  }
  STATSTG estado{};
  HGLOBAL memoria = nullptr;
  if (FAILED(flujo->Stat(&estado, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(flujo.Get(), &memoria))) {
    return false;
  }
  const auto largo = static_cast<std::size_t>(estado.cbSize.QuadPart);
  const auto *bytes = static_cast<const std::uint8_t *>(GlobalLock(memoria));
  if (bytes == nullptr) {
    return false;
  }
  destino.assign(bytes, bytes + largo);
  GlobalUnlock(memoria);
  return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>>
CodificarPng(int ancho, int alto, std::span<const std::uint8_t> rgb, std::string &error) {
  if (ancho <= 0 || alto <= 0 ||
      rgb.size() != static_cast<std::size_t>(ancho) * static_cast<std::size_t>(alto) * 3) {
    error = "imagen sin píxeles o de tamaño incoherente";
    return std::nullopt;
  }
  const ComIniciado com;
  std::vector<std::uint8_t> destino;
  if (!com.Bien() || !Codificar(ancho, alto, rgb, destino)) {
    error = "el codificador PNG de Windows (WIC) no pudo escribir la imagen";
    return std::nullopt;
  }
  return destino;
}

} // namespace Plataforma
