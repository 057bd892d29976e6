#pragma once

#include "gestion/Dialogos.h"
#include "ui/win32/Win32.h"

#include <string>

// The disk manager's questions and messages as modal windows of the program's
// own, in Spanish and in its colours; the folder and file choosers are
// Windows' own (IFileOpenDialog), with Spanish titles and buttons.
class DialogosW final : public Gestion::Dialogos {
public:
  explicit DialogosW(HWND dueno) : dueno_(dueno) {}

  bool Confirmar(const std::string &titulo, const std::string &pregunta) override;
  std::optional<std::string> PedirTexto(const std::string &titulo, const std::string &pregunta,
                                        const std::string &inicial) override;
  std::optional<Destino> ElegirCarpeta(const std::string &desde, bool conCabecera) override;
  std::vector<std::string> ElegirArchivos(const std::string &desde) override;
  std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) override;
  std::vector<std::size_t> ElegirVarios(const std::string &titulo, const std::string &pregunta,
                                        const std::vector<std::string> &opciones) override;
  std::optional<Cabecera> EditarPropiedades(const std::string &texto, const Cabecera &cabecera,
                                            const std::vector<std::string> &tipos) override;
  // Through the window's avisador, as the failures at its event boundary.
  void Avisar(const std::string &mensaje) override;
  void Mostrar(const std::string &titulo, const std::string &texto) override;

  // The controls of the modal window now open, for tests that answer it from
  // a timer: IDOK and IDCANCEL are its two buttons ("Sí" and "No", "Aceptar"
  // and "Cancelar"...).
  enum : int {
    IdPregunta = 10,
    IdEntrada = 11,
    IdFormato = 12,
    IdLista = 13,
    // "Propiedades": the header's box and fields, under the text (IdEntrada).
    IdConCabecera = 14,
    IdTipo = 15,
    IdCarga = 16,
    IdEjecucion = 17,
    IdLongitud = 18,
  };
  [[nodiscard]] static HWND Abierto();

private:
  HWND dueno_;
};

namespace Win32 {
// A message with one "Aceptar" button, modal over `dueno`.
void CajaAviso(HWND dueno, const std::string &titulo, const std::string &mensaje);
} // namespace Win32
