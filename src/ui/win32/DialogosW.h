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
  std::optional<std::string> ElegirArchivoNuevo(const std::string &titulo, const std::string &desde,
                                                const std::string &nombre) override;
  std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) override;
  std::optional<BorradoElegido> ElegirBorrado(const std::vector<std::string> &borrados,
                                              bool sePuedeRecuperar) override;
  std::optional<OpcionesPoner> PedirOpcionesPoner(const std::vector<std::string> &nombres,
                                                  const OpcionesPoner &inicial) override;
  std::optional<Cabecera> EditarPropiedades(const std::string &texto, const Cabecera &cabecera,
                                            const std::vector<std::string> &tipos) override;
  // Through the window's avisador, as the failures at its event boundary.
  std::optional<Gestion::CeldaMapa> MostrarMapa(const std::string &titulo,
                                                const Gestion::DibujoMapa &dibujo) override;
  std::optional<std::string> EditarSector(const std::string &titulo, const std::string &cabecera,
                                          const std::string &volcado, bool soloLeer) override;
  void Avisar(const std::string &mensaje) override;
  void Informar(const std::string &mensaje) override;
  void Mostrar(const std::string &titulo, const std::string &texto) override;

  // The controls of the modal window now open, for tests that answer it from
  // a timer: IDOK and IDCANCEL are its two buttons ("Sí" and "No", "Aceptar"
  // and "Cancelar"...).
  enum : int {
    IdPregunta = 10,
    IdEntrada = 11,
    IdFormato = 12,
    IdLista = 13,
    IdTipo = 14,
    IdCarga = 15,
    IdEjecucion = 16,
    IdUsuario = 17,
    IdSoloLectura = 18,
    IdSistema = 19,
    IdRecuperar = 20,
    IdPistas = 21,
    IdCaras = 22,
    IdExtendida = 23,
    // "Propiedades": the header's box and its length, under the text (IdEntrada),
    // beside the type and addresses above.
    IdConCabecera = 24,
    IdLongitud = 25,
    // The disk's map: its canvas and the line naming the sector under the pointer.
    IdMapa = 26,
    IdBajoPuntero = 27,
  };
  [[nodiscard]] static HWND Abierto();

private:
  HWND dueno_;
};

namespace Win32 {
// A message with one "Aceptar" button, modal over `dueno`.
void CajaAviso(HWND dueno, const std::string &titulo, const std::string &mensaje);
} // namespace Win32
