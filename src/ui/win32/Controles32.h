#pragma once

#include "ui/controles/Controles.h"
#include "ui/controles/FilasOrdenadas.h"
#include "ui/win32/Win32.h"

#include <functional>
#include <string>
#include <vector>

// The common controls as the windows' controls: each class here wraps one
// control the window has made and gives its operations to the host-neutral
// windows, in UTF-8. Paths are Windows paths ("C:\CPC\discos").
namespace Win32 {

// Drop-down list of the host's drive letters ("c:", "d:"...). Writing one to a
// folder list moves it to that drive's current folder.
class UnidadesW final : public Controles::ListaUnidades {
public:
  explicit UnidadesW(HWND combo);
  [[nodiscard]] std::string Drive() const override;
  // Reads the drives again, keeping the selection; for the list's opening.
  void Rellenar();
  // The selection changed; true when it is another drive.
  bool AlCambiar();
  // Puts the selection back to the drive chosen before the last change.
  void DeshacerCambio();

  // The host's drives as the list offers them, in order.
  [[nodiscard]] static std::vector<std::string> DelSistema();
  // The drive text ("c:") of an absolute path; empty for a path without one.
  [[nodiscard]] static std::string UnidadDe(const std::string &ruta);

private:
  void Seleccionar(const std::string &unidad);
  HWND w_;
  std::string anterior_, actual_;
};

// Folder list: the chain of folders from the drive's root down to the current
// folder, each one step further in, then the current folder's subfolders. A
// double click or Enter on a folder makes it the current one.
class CarpetasW final : public Controles::ListaCarpetas {
public:
  explicit CarpetasW(HWND lista);
  [[nodiscard]] std::string Path() const override { return ruta_; }
  // Absolute, relative to the current folder, or a drive's text. Raises
  // AlCambiar when the path differs from the one before.
  void SetPath(const std::string &ruta) override;
  // The user's move to the folder in row `fila`.
  void Abrir(int fila);
  [[nodiscard]] int FilaActual() const;
  [[nodiscard]] std::string RutaDeFila(int fila) const;

  std::function<void()> AlCambiar;

private:
  void IrA(const std::string &ruta);
  HWND w_;
  std::string ruta_;
  std::vector<std::string> rutas_; // one per row
};

// File list: the files of one folder whose names match "*.dsk", whatever their
// letter case, sorted by name, then the other images the folder holds.
class ArchivosW final : public Controles::ListaArchivos {
public:
  explicit ArchivosW(HWND lista);
  [[nodiscard]] std::string Path() const override { return ruta_; }
  void SetPath(const std::string &ruta) override;
  [[nodiscard]] std::string FileName() const override;
  void FijarOtrasImagenes(OtrasImagenes otras) override;
  [[nodiscard]] const std::vector<std::string> &Archivos() const { return nombres_; }

private:
  void Mostrar();
  HWND w_;
  std::string ruta_;
  std::vector<std::string> propias_; // the folder's own images
  std::vector<std::string> nombres_; // every row
  OtrasImagenes otras_;
};

// An image list of 16 x 16 pictures with silver as the mask colour.
class ImagenesW final : public Controles::ListaImagenes {
public:
  ImagenesW();
  ~ImagenesW() override;
  ImagenesW(const ImagenesW &) = delete;
  ImagenesW &operator=(const ImagenesW &) = delete;

  void Agregar(const std::string &clave, const std::array<Disposicion::Color, 256> &pixeles);
  [[nodiscard]] int Count() const override { return static_cast<int>(claves_.size()); }
  [[nodiscard]] std::string Key(int posicion) const override;
  [[nodiscard]] int Index(const std::string &clave) const override;
  [[nodiscard]] HIMAGELIST Lista() const { return lista_; }

private:
  HIMAGELIST lista_;
  std::vector<std::string> claves_;
};

// The list view in report layout. Its rows and their order are FilasOrdenadas':
// a new row is put in its place, and a change of sort refills the view (the
// list view's own sort is not used).
class VistaW final : public Controles::VistaLista {
public:
  VistaW(HWND vista, const ImagenesW &imagenes);
  void Clear() override;
  int Add(const Textos &textos, int icono) override;
  [[nodiscard]] bool Sorted() const override { return filas_.Sorted(); }
  [[nodiscard]] std::int16_t SortKey() const override { return filas_.SortKey(); }
  [[nodiscard]] int SortOrder() const override { return filas_.SortOrder(); }
  void SetSortKey(std::int16_t clave) override;
  void SetSortOrder(int orden) override;
  // Read from the control itself.
  [[nodiscard]] int Filas() const override;
  [[nodiscard]] std::string Texto(int fila, int columna) const override;
  [[nodiscard]] std::string ClaveIcono(int fila) const override;
  [[nodiscard]] int Llegada(int fila) const override { return filas_.Llegada(fila); }
  [[nodiscard]] std::vector<int> Seleccionadas() const override;
  [[nodiscard]] int FilaActual() const override;
  void SeleccionarSolo(int fila) override;
  void Seleccionar(const std::vector<int> &filas) override;

private:
  void Insertar(int posicion, const FilasOrdenadas::Fila &fila);
  // Fills the control again in FilasOrdenadas' order; the selected rows and the
  // current one stay so.
  void Rellenar();
  void PonerEstado(int fila, UINT estado, UINT mascara);
  HWND w_;
  const ImagenesW &imagenes_;
  FilasOrdenadas filas_;
};

class EstadoW final : public Controles::BarraEstado {
public:
  explicit EstadoW(HWND barra) : w_(barra) {}
  void SetPanelText(int panel, const std::string &texto) override;
  [[nodiscard]] std::string PanelText(int panel) const override;

private:
  HWND w_;
};

// A label or a text box: the window's own text.
class TextoW final : public Controles::Texto {
public:
  explicit TextoW(HWND control) : w_(control) {}
  void SetText(const std::string &texto) override { PonerTexto(w_, texto); }
  [[nodiscard]] std::string Text() const override { return TextoDe(w_); }

private:
  HWND w_;
};

class BarraW final : public Controles::BarraProgreso {
public:
  explicit BarraW(HWND barra) : w_(barra) {}
  [[nodiscard]] int Value() const override;
  void SetValue(int valor) override;

private:
  HWND w_;
};

// The LED meter: a window class of our own that paints Medidor's segments.
class MedidorW final : public Controles::Medidor {
public:
  static constexpr const wchar_t *Clase = L"AlcoveMedidorLed";
  static void Registrar();
  explicit MedidorW(HWND medidor) : w_(medidor) {}
  void PonerValor(std::int16_t porcentaje) override;
  [[nodiscard]] static int Valor(HWND medidor);

private:
  HWND w_;
};

} // namespace Win32
