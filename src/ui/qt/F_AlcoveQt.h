#pragma once

#include "ui/main/F_Alcove.h"
#include "ui/widgets/ListaImagenes.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class GestorCatalogo;
class ListaArchivos;
class ListaCarpetas;
class ListaUnidades;
class QGroupBox;
class QLabel;
class QStatusBar;
class VistaCatalogo;
namespace Enlaces {
class Archivos;
class Carpetas;
class Estado;
class Unidades;
class Vista;
} // namespace Enlaces

// The main window made of Qt widgets, F_Alcove's decisions behind them: it lays
// the controls out, hears their events and calls F_Alcove's handlers through
// the event boundary, which catches and tells what escapes them; what the window
// showed stays.
class F_AlcoveQt : public QMainWindow {
  Q_OBJECT

public:
  explicit F_AlcoveQt(QWidget *padre = nullptr);
  ~F_AlcoveQt() override;
  F_AlcoveQt(const F_AlcoveQt &) = delete;
  F_AlcoveQt &operator=(const F_AlcoveQt &) = delete;

  // The window's decisions and handlers.
  [[nodiscard]] F_Alcove &Formulario() { return *formulario_; }

private:
  void CrearMenus();
  void CrearPanel(std::int16_t Index, QGroupBox *marco);
  void CrearBarraEstado(QWidget *cliente);
  void PonerNotaDisco(const std::string &nota);
  void Conectar(std::int16_t Index);
  void Centrar();
  // Runs a handler at the event boundary, then writes the tests' dump.
  bool Evento(const std::string &suceso, const std::function<void()> &manejador);

  ListaImagenes Image_EXT;

  // Controls, owned by their Qt parents.
  QGroupBox *Frame1 = nullptr;
  QGroupBox *Frame2 = nullptr;
  std::array<ListaUnidades *, 2> Drive{};
  std::array<ListaCarpetas *, 2> Dir{};
  std::array<ListaArchivos *, 2> File{};
  std::array<VistaCatalogo *, 2> DSK{};
  std::array<QGroupBox *, 2> Fm_Info{};
  QStatusBar *StatusBar = nullptr;
  std::array<QLabel *, 4> Panels{};

  // The same controls as F_Alcove sees them.
  std::array<std::unique_ptr<Enlaces::Unidades>, 2> unidades_;
  std::array<std::unique_ptr<Enlaces::Carpetas>, 2> carpetas_;
  std::array<std::unique_ptr<Enlaces::Archivos>, 2> archivos_;
  std::array<std::unique_ptr<Enlaces::Vista>, 2> vistas_;
  std::unique_ptr<Enlaces::Estado> estado_;
  std::unique_ptr<F_Alcove> formulario_;

  // The catalogue views as a disk manager (viewer, context menus, drag and
  // drop), owned by the window as its Qt child.
  GestorCatalogo *Gestor = nullptr;
};
