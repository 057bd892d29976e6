#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The operations the windows call on the host's controls, and nothing more. The
// windows' own code (F_Alcove, F_Progress, F_Acerca) works through these alone;
// each host supplies them from its own toolkit: the Qt widgets on Linux, the
// common controls on Windows. Texts are UTF-8. Events are not part of it: each
// host's window hears its controls and calls the handlers.
//
// Besides the operations the windows use, a few read their control back
// (Filas, Texto); only the tests' dump of a window calls them.
namespace Controles {

class ListaUnidades {
public:
  virtual ~ListaUnidades() = default;
  // The selected drive's text, which a folder list takes as a path to that
  // drive's current folder.
  [[nodiscard]] virtual std::string Drive() const = 0;
};

class ListaCarpetas {
public:
  virtual ~ListaCarpetas() = default;
  [[nodiscard]] virtual std::string Path() const = 0;
  // Moves the list (and raises its change event when the path changes). A path
  // that is not a readable folder throws ErrorAlcove and changes nothing.
  virtual void SetPath(const std::string &ruta) = 0;
};

class ListaArchivos {
public:
  virtual ~ListaArchivos() = default;
  // The folder listed, as the host's file calls take it.
  [[nodiscard]] virtual std::string Path() const = 0;
  // Lists folder `ruta` again, even when it is the same one.
  virtual void SetPath(const std::string &ruta) = 0;
  // The selected file's name without its folder, as the host's file calls take
  // it (which is not always what the list shows); empty when none is selected.
  [[nodiscard]] virtual std::string FileName() const = 0;

  // Other images a folder holds (inside its zips), by their names from the
  // folder, listed after its own files; the list is drawn again at once.
  using OtrasImagenes = std::function<std::vector<std::string>(const std::string &carpeta)>;
  virtual void FijarOtrasImagenes(OtrasImagenes otras) = 0;
};

// A list view in report layout with four columns, kept sorted by one of them.
class VistaLista {
public:
  static constexpr int Columnas = 4;
  using Textos = std::array<std::string, Columnas>;

  virtual ~VistaLista() = default;
  virtual void Clear() = 0;
  // Adds a row placed by the sort order, with small icon `icono` (a position in
  // the view's image list, from 1); returns its position, from 0.
  virtual int Add(const Textos &textos, int icono) = 0;
  [[nodiscard]] virtual bool Sorted() const = 0;
  [[nodiscard]] virtual std::int16_t SortKey() const = 0;
  [[nodiscard]] virtual int SortOrder() const = 0;
  // Column 0..3; anything else throws ErrorAlcove. The rows follow at once.
  virtual void SetSortKey(std::int16_t clave) = 0;
  // 0 ascending, 1 descending. The rows follow at once.
  virtual void SetSortOrder(int orden) = 0;

  // Reading back: rows shown, a cell's text as shown, the key of a row's icon.
  [[nodiscard]] virtual int Filas() const = 0;
  [[nodiscard]] virtual std::string Texto(int fila, int columna) const = 0;
  [[nodiscard]] virtual std::string ClaveIcono(int fila) const = 0;

  // The rows as the disk manager works on them. The rows carry no key: the
  // order in which the row at `fila` was added since the last Clear (from 0;
  // -1 for no row) tells which catalogue entry made it.
  [[nodiscard]] virtual int Llegada(int fila) const = 0;
  // The selected rows' positions, ascending.
  [[nodiscard]] virtual std::vector<int> Seleccionadas() const = 0;
  // The row with the focus; -1 when none.
  [[nodiscard]] virtual int FilaActual() const = 0;
  // Row `fila` becomes the only selected row and the current one; -1 clears
  // the selection.
  virtual void SeleccionarSolo(int fila) = 0;
  // The rows at `filas` become the selection, the first of them the current
  // row; positions outside the view are passed over.
  virtual void Seleccionar(const std::vector<int> &filas) = 0;
};

// Small pictures found by position (from 1) or by key; keys compare exactly.
class ListaImagenes {
public:
  virtual ~ListaImagenes() = default;
  [[nodiscard]] virtual int Count() const = 0;
  // Key of image `posicion`; empty outside 1..Count.
  [[nodiscard]] virtual std::string Key(int posicion) const = 0;
  // Position of the image with key `clave`; 0 when there is none.
  [[nodiscard]] virtual int Index(const std::string &clave) const = 0;
};

class BarraEstado {
public:
  static constexpr int Paneles = 4;
  virtual ~BarraEstado() = default;
  // Replaces the whole text of panel `panel` (1..4).
  virtual void SetPanelText(int panel, const std::string &texto) = 0;
  [[nodiscard]] virtual std::string PanelText(int panel) const = 0;
};

class BarraProgreso {
public:
  virtual ~BarraProgreso() = default;
  [[nodiscard]] virtual int Value() const = 0;
  // 0..100.
  virtual void SetValue(int valor) = 0;
};

// A label's caption, or a multi-line text box's text (lines broken by CR LF).
class Texto {
public:
  virtual ~Texto() = default;
  virtual void SetText(const std::string &texto) = 0;
  [[nodiscard]] virtual std::string Text() const = 0;
};

// The LED meter: its one run-time call, the percentage to show.
class Medidor {
public:
  virtual ~Medidor() = default;
  virtual void PonerValor(std::int16_t porcentaje) = 0;
};

// One loading of a window: unloading destroys it and its controls.
class Ventana {
public:
  virtual ~Ventana() = default;
  virtual void Unload() = 0;
};

} // namespace Controles
