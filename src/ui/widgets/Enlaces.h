#pragma once

#include "ui/controles/Controles.h"

#include <QString>

#include <array>
#include <string>

class ListaArchivos;
class ListaCarpetas;
class ListaUnidades;
class MedidorLed;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class VistaCatalogo;

// The Qt widgets as the windows' controls: each one here hands a widget's
// operations to the host-neutral windows, turning Qt's texts into UTF-8 and back.
namespace Enlaces {

// A path as the host's file calls take it, and back.
[[nodiscard]] std::string RutaHost(const QString &ruta);
[[nodiscard]] QString RutaQt(const std::string &ruta);

class Unidades final : public Controles::ListaUnidades {
public:
  explicit Unidades(::ListaUnidades &w) : w_(w) {}
  [[nodiscard]] std::string Drive() const override;

private:
  ::ListaUnidades &w_;
};

class Carpetas final : public Controles::ListaCarpetas {
public:
  explicit Carpetas(::ListaCarpetas &w) : w_(w) {}
  [[nodiscard]] std::string Path() const override;
  void SetPath(const std::string &ruta) override;

private:
  ::ListaCarpetas &w_;
};

class Archivos final : public Controles::ListaArchivos {
public:
  explicit Archivos(::ListaArchivos &w) : w_(w) {}
  [[nodiscard]] std::string Path() const override;
  void SetPath(const std::string &ruta) override;
  // The host's bytes, so that names that are not UTF-8 open.
  [[nodiscard]] std::string FileName() const override;
  void FijarOtrasImagenes(OtrasImagenes otras) override;

private:
  ::ListaArchivos &w_;
};

class Vista final : public Controles::VistaLista {
public:
  explicit Vista(VistaCatalogo &w) : w_(w) {}
  void Clear() override;
  int Add(const Textos &textos, int icono) override;
  [[nodiscard]] bool Sorted() const override;
  [[nodiscard]] std::int16_t SortKey() const override;
  [[nodiscard]] int SortOrder() const override;
  void SetSortKey(std::int16_t clave) override;
  void SetSortOrder(int orden) override;
  [[nodiscard]] int Filas() const override;
  [[nodiscard]] std::string Texto(int fila, int columna) const override;
  [[nodiscard]] std::string ClaveIcono(int fila) const override;
  [[nodiscard]] int Llegada(int fila) const override;
  [[nodiscard]] std::vector<int> Seleccionadas() const override;
  [[nodiscard]] int FilaActual() const override;
  void SeleccionarSolo(int fila) override;
  void Seleccionar(const std::vector<int> &filas) override;

private:
  VistaCatalogo &w_;
};

// A status bar made of one label per panel.
class Estado final : public Controles::BarraEstado {
public:
  explicit Estado(const std::array<QLabel *, Paneles> &paneles) : paneles_(paneles) {}
  void SetPanelText(int panel, const std::string &texto) override;
  [[nodiscard]] std::string PanelText(int panel) const override;

private:
  std::array<QLabel *, Paneles> paneles_;
};

class Etiqueta final : public Controles::Texto {
public:
  explicit Etiqueta(QLabel &w) : w_(w) {}
  void SetText(const std::string &texto) override;
  [[nodiscard]] std::string Text() const override;

private:
  QLabel &w_;
};

// A multi-line text box: CR LF breaks a line, as the windows write them.
class CuadroTexto final : public Controles::Texto {
public:
  explicit CuadroTexto(QPlainTextEdit &w) : w_(w) {}
  void SetText(const std::string &texto) override;
  [[nodiscard]] std::string Text() const override;

private:
  QPlainTextEdit &w_;
};

class Barra final : public Controles::BarraProgreso {
public:
  explicit Barra(QProgressBar &w) : w_(w) {}
  [[nodiscard]] int Value() const override;
  void SetValue(int valor) override;

private:
  QProgressBar &w_;
};

class Led final : public Controles::Medidor {
public:
  explicit Led(MedidorLed &w) : w_(w) {}
  void PonerValor(std::int16_t porcentaje) override;

private:
  MedidorLed &w_;
};

} // namespace Enlaces
