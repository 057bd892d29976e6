#pragma once

#include "cpm/Poner.h"
#include "gestion/Sectores.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace Gestion {

// The kinds of put, in the order the dialog offers them, as it names them.
struct TipoOfrecido {
  cpm::TipoPoner tipo;
  const char *texto;
};
inline constexpr std::array<TipoOfrecido, 4> TiposPoner{{
    {cpm::TipoPoner::Auto, "Automático: su cabecera si la tiene; un texto, con CR LF"},
    {cpm::TipoPoner::Binario, "Binario: cabecera AMSDOS nueva"},
    {cpm::TipoPoner::Basic, "BASIC: cabecera AMSDOS nueva, carga &0170"},
    {cpm::TipoPoner::Ascii, "ASCII: texto con CR LF, sin cabecera"},
}};

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
  // A new file's path, starting in folder `desde` with name `nombre`;
  // nothing when cancelled. Whether to replace a file there is asked apart.
  virtual std::optional<std::string> ElegirArchivoNuevo(const std::string &titulo,
                                                        const std::string &desde,
                                                        const std::string &nombre) = 0;
  // Host files to put on a disk, starting in `desde`; none when cancelled.
  virtual std::vector<std::string> ElegirArchivos(const std::string &desde) = 0;

  struct DiscoNuevo {
    std::string nombre;     // the file's name, without its folder
    std::string formato;    // one of those offered
    int pistas = 0;         // per side; 0: the format's own
    int caras = 0;          // 1 or 2; 0: the format's own
    bool extendida = false; // the EXTENDED CPC DSK layout
  };
  // The name and format of a new disk; the formats as name and description.
  virtual std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) = 0;

  // How host files go on a disk, as alcove-cli's put takes them.
  struct OpcionesPoner {
    cpm::TipoPoner tipo = cpm::TipoPoner::Auto;
    std::string carga;   // binary only: the load address as typed (&4000, 0x4000, 16384...)
    std::string entrada; // binary only: the entry address; empty: the load address
    int usuario = 0;     // 0..15
    bool soloLectura = false;
    bool sistema = false;
    friend bool operator==(const OpcionesPoner &, const OpcionesPoner &) = default;
  };
  // For the host files `nombres` (without their folders), starting as
  // `inicial`; nothing when cancelled.
  virtual std::optional<OpcionesPoner> PedirOpcionesPoner(const std::vector<std::string> &nombres,
                                                          const OpcionesPoner &inicial) = 0;

  // One of a disk's deleted files `borrados` (as the list shows them), and
  // whether it is restored on the disk or extracted into a folder; restoring
  // is offered only when `sePuedeRecuperar`. Nothing when cancelled.
  struct BorradoElegido {
    std::size_t indice = 0;
    bool recuperar = false;
  };
  virtual std::optional<BorradoElegido> ElegirBorrado(const std::vector<std::string> &borrados,
                                                      bool sePuedeRecuperar) = 0;

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

  // The disk's map (Gestion::DibujarMapa) in a window of its own, titled
  // `titulo`: its boxes and texts painted, the text of the box under the
  // pointer shown below it. The box the user opens (a double-click), or
  // nothing when the window is closed. A host without it shows nothing.
  virtual std::optional<CeldaMapa> MostrarMapa(const std::string &titulo,
                                               const DibujoMapa &dibujo) {
    (void)titulo;
    (void)dibujo;
    return std::nullopt;
  }
  // A sector's dump (VolcadoEditable) to be edited in place, below its ID
  // and status (`cabecera`); the text as the user leaves it when they
  // accept, nothing when cancelled or when `soloLeer`. A host without it
  // shows nothing.
  virtual std::optional<std::string> EditarSector(const std::string &titulo,
                                                  const std::string &cabecera,
                                                  const std::string &volcado, bool soloLeer) {
    (void)titulo;
    (void)cabecera;
    (void)volcado;
    (void)soloLeer;
    return std::nullopt;
  }

  // Why something was not done, or what went wrong.
  virtual void Avisar(const std::string &mensaje) = 0;
  // What was done, in one line.
  virtual void Informar(const std::string &mensaje) = 0;
  // Text to read, in a fixed-width font.
  virtual void Mostrar(const std::string &titulo, const std::string &texto) = 0;
};

// "A", "A y B", "A, B y C".
[[nodiscard]] std::string Enumerar(const std::vector<std::string> &cosas);
// "2 archivos: A.BIN y B.BAS", for a dialog about host files about to go on a disk.
[[nodiscard]] std::string ArchivosQueVan(const std::vector<std::string> &nombres);

// The dialogs the window's actions use: the host window's own unless another
// was installed (the tests answer with their own). Not owned; nullptr puts the
// window's own back.
void InstalarDialogos(Dialogos *dialogos);
[[nodiscard]] Dialogos *DialogosInstalados();
// The installed dialogs, or else `propios`.
[[nodiscard]] Dialogos &DialogosEnUso(Dialogos &propios);

} // namespace Gestion
