#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace Gestion {

// What the disk manager asks the user and tells them, drawn by the host's
// window toolkit. Every call is modal and made on the user-interface thread.
class Dialogos {
public:
  virtual ~Dialogos() = default;

  // A question answered "Sí" or "No"; true for "Sí".
  virtual bool Confirmar(const std::string &titulo, const std::string &pregunta) = 0;
  // One line of text, starting as `inicial`; nothing when cancelled.
  virtual std::optional<std::string> PedirTexto(const std::string &titulo,
                                                const std::string &pregunta,
                                                const std::string &inicial) = 0;

  // A folder to extract into, and whether files keep their AMSDOS headers.
  struct Destino {
    std::string carpeta;
    bool conCabecera = false;
  };
  // Starts in `desde`, the header box as `conCabecera`; nothing when cancelled.
  virtual std::optional<Destino> ElegirCarpeta(const std::string &desde, bool conCabecera) = 0;
  // Host files to put on a disk, starting in `desde`; none when cancelled.
  virtual std::vector<std::string> ElegirArchivos(const std::string &desde) = 0;

  struct DiscoNuevo {
    std::string nombre;  // the file's name, without its folder
    std::string formato; // one of those offered
  };
  // The name and format of a new disk; the formats as name and description.
  virtual std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) = 0;

  // Some of `opciones`, by position; none when cancelled.
  virtual std::vector<std::size_t> ElegirVarios(const std::string &titulo,
                                                const std::string &pregunta,
                                                const std::vector<std::string> &opciones) = 0;

  // A file's AMSDOS header as "Propiedades" edits it, its fields as text.
  struct Cabecera {
    bool con = false;     // the file has a header; unticked, it is to have none
    std::string tipo;     // one of the names offered, or the type byte: "&02"
    std::string carga;    // "&4000"
    std::string entrada;  // the execution address
    std::string longitud; // bytes, in decimal
    bool operator==(const Cabecera &) const = default;
  };
  // The properties' text, and the header's fields to change, with `tipos`
  // offered for the type; the fields as the user leaves them, nothing when
  // cancelled.
  virtual std::optional<Cabecera> EditarPropiedades(const std::string &texto,
                                                    const Cabecera &cabecera,
                                                    const std::vector<std::string> &tipos) = 0;

  // Why something was not done, or what went wrong.
  virtual void Avisar(const std::string &mensaje) = 0;
  // Text to read, in a fixed-width font.
  virtual void Mostrar(const std::string &titulo, const std::string &texto) = 0;
};

// The dialogs the window's actions use: the host window's own unless another
// was installed (the tests answer with their own). Not owned; nullptr puts the
// window's own back.
void InstalarDialogos(Dialogos *dialogos);
[[nodiscard]] Dialogos *DialogosInstalados();
// The installed dialogs, or else `propios`.
[[nodiscard]] Dialogos &DialogosEnUso(Dialogos &propios);

} // namespace Gestion
