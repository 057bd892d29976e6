#pragma once

#include "gestion/Dialogos.h"

class QWidget;

// The disk manager's questions and messages as Qt's modal dialogs, in Spanish
// and in the program's colours where they show text of the disk.
class DialogosQt final : public Gestion::Dialogos {
public:
  explicit DialogosQt(QWidget *padre) : padre_(padre) {}

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
  std::optional<Gestion::CeldaMapa> MostrarMapa(const std::string &titulo,
                                                const Gestion::DibujoMapa &dibujo) override;
  std::optional<std::string> EditarSector(const std::string &titulo, const std::string &cabecera,
                                          const std::string &volcado, bool soloLeer) override;
  void Avisar(const std::string &mensaje) override;
  void Informar(const std::string &mensaje) override;
  void Mostrar(const std::string &titulo, const std::string &texto) override;

private:
  QWidget *padre_;
};
