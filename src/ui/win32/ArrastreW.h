#pragma once

#include "gestion/Paneles.h"
#include "ui/win32/Win32.h"

#include <ole2.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Drag and drop through OLE, as Windows' own file manager does it: what the
// window drags out is a data object of files (CF_HDROP) that it extracted to a
// private folder, with a format of its own saying which pane of which Alcove
// the rows left; what it takes in is the same from itself or files from any
// program.
namespace Win32 {

// Holds one COM reference and lets it go.
template <class T> class Com {
public:
  Com() = default;
  explicit Com(T *p) : p_(p) {} // takes over a reference
  ~Com() { Soltar(); }
  Com(const Com &) = delete;
  Com &operator=(const Com &) = delete;
  Com(Com &&otro) noexcept : p_(otro.p_) { otro.p_ = nullptr; }
  Com &operator=(Com &&otro) noexcept {
    if (this != &otro) {
      Soltar();
      p_ = otro.p_;
      otro.p_ = nullptr;
    }
    return *this;
  }
  [[nodiscard]] T *get() const { return p_; }
  T *operator->() const { return p_; }
  [[nodiscard]] explicit operator bool() const { return p_ != nullptr; }
  // For calls that hand out a reference.
  T **Recibir() {
    Soltar();
    return &p_;
  }

private:
  void Soltar() {
    if (p_ != nullptr)
      p_->Release();
    p_ = nullptr;
  }
  T *p_ = nullptr;
};

// A CF_HDROP block of `rutas` (UTF-8), as the shell makes one; null when the
// host has no memory for it. The caller owns it (GlobalFree).
[[nodiscard]] HGLOBAL CrearHdrop(const std::vector<std::string> &rutas);
// The files a CF_HDROP block names, in UTF-8.
[[nodiscard]] std::vector<std::string> ArchivosDeHdrop(HDROP hdrop);

// The data object a drag of pane `panel`'s rows carries: the extracted files
// as CF_HDROP, and the pane with this process's id in the format of our own.
// With panel -1, files alone, as any other program drags them.
[[nodiscard]] Com<IDataObject> DatosDeFilas(const std::vector<std::string> &rutas, int panel);

// What `datos` brings, as the decisions take it: rows of this window's pane,
// files, or nothing that a pane can take.
[[nodiscard]] std::optional<Gestion::Soltado> LeerSoltado(IDataObject *datos);

// The drag's source: it ends when the left button goes up, or with Esc.
[[nodiscard]] Com<IDropSource> CrearOrigen();

// A drop target whose every answer comes from `responder`: the effect for what
// a drag brings, and with `soltar`, the drop made. Registered on `ventana`
// (RegisterDragDrop) while the object lives.
class DestinoSoltar {
public:
  using Responder = std::function<DWORD(IDataObject *datos, bool soltar)>;
  DestinoSoltar(HWND ventana, Responder responder);
  ~DestinoSoltar();
  DestinoSoltar(const DestinoSoltar &) = delete;
  DestinoSoltar &operator=(const DestinoSoltar &) = delete;
  // The COM object, for tests that drive a drop themselves.
  [[nodiscard]] IDropTarget *Objeto() const { return objeto_; }

private:
  HWND w_;
  IDropTarget *objeto_;
  bool registrado_ = false;
};

} // namespace Win32
