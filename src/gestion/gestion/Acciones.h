#pragma once

#include "cpm/Imagen.h"
#include "gestion/Contenido.h"
#include "gestion/Dialogos.h"
#include "gestion/Entrada.h"

#include <optional>
#include <string>
#include <vector>

// The window's disk manager: every action on a pane's image, decided here and
// done through the exact library, the safe replacement and the safe writes of
// the platform layer. The window's binding only says what is selected, shows
// what comes back and lists the image again when an action says it changed.
namespace Gestion {

// A pane as the actions see it.
struct Panel {
  std::string imagen;  // the image the pane lists; empty when none
  std::string carpeta; // the folder its file list shows
  // The selected rows: each one's place in the catalogue (from 0) and entry.
  struct Fila {
    int ranura = 0;
    EntradaCruda entrada{};
  };
  std::vector<Fila> filas;
};

enum class Atributo { SoloLectura, Oculto };

// What the context menu of the selected rows offers.
struct EstadoSeleccion {
  int archivos = 0;         // different files the rows stand for
  int desconocidas = 0;     // rows the exact reading does not know
  bool soloLectura = false; // every file is read-only
  bool oculto = false;      // every file is a system file
  bool escribible = false;  // the image is a plain file (not inside a zip)
};

// The image a pane shows, read for one thing the user does (a view, an
// action): what it inflates of a zip is paid from a budget of its own, or
// views over hours would add up to a bomb. A plain file's state is kept, so
// that a change goes back only over the very bytes read.
cpm::Imagen LeerImagen(const std::string &ruta);

class Acciones {
public:
  explicit Acciones(Dialogos &dialogos) : dialogos_(dialogos) {}

  [[nodiscard]] EstadoSeleccion Estado(const Panel &panel) const;

  // How a screen is drawn, as the user chose: a mode, and a palette by its
  // place in OpcionesPantalla::paletas (0: the firmware's). Nothing: as the
  // disk suggests: the palette file of the screen's name, else the disk's
  // only one, else the firmware's; the mode its palette file gives, else 1.
  struct EleccionPantalla {
    std::optional<int> modo;
    std::optional<std::size_t> paleta;
    std::optional<int> modoSiNoDice; // without `modo`, when the palette's file gives none
  };

  // What the viewer shows of row `fila`: as `vista`, or as the viewer that
  // fits the file; `vistas` gets the viewers offered, the fitting one first.
  [[nodiscard]] Contenido Ver(const Panel &panel, const Panel::Fila &fila,
                              std::optional<Ver::Vista> vista,
                              std::vector<Ver::Vista> *vistas = nullptr,
                              const EleccionPantalla &eleccion = {}) const;
  // The picture of `contenido` written as a PNG file the user names, as
  // cat --png writes it.
  void GuardarPng(const Panel &panel, const Contenido &contenido);
  // What the pane's image is: layout, tracks, format and copy protection.
  void PropiedadesDisco(const Panel &panel) const;

  // The disk's map; the sector the user opens on it, or nothing once it is closed.
  [[nodiscard]] std::optional<CeldaMapa> MapaDisco(const Panel &panel) const;
  // The sector view of that sector: its hex and characters edited and
  // written as alcove-cli's sector writes it (the first copy, through the
  // safe write). True when the image changed. An image that cannot be
  // written shows it only.
  bool EditarSector(const Panel &panel, const CeldaMapa &celda);
  // "Comprobar disco": the findings of alcove-cli's check; when some can be
  // mended, the repair offered and, accepted, made as check --reparar makes
  // it. True when the image changed.
  bool ComprobarDisco(const Panel &panel);

  // Writes: true when the image changed, and the pane must list it again.
  // "Propiedades" shows the rows' files; one file of an image that can be
  // written has its AMSDOS header edited there: changed in place, put on or
  // taken off.
  bool Propiedades(const Panel &panel);
  bool Borrar(const Panel &panel);
  bool CambiarNombre(const Panel &panel);
  bool CambiarAtributo(const Panel &panel, Atributo atributo, bool valor);
  // Host files put on the pane's image, as alcove-cli's put puts them, with
  // the type, addresses, user and attributes asked once for all of them (the
  // last answer is the next question's start while the program runs).
  bool PonerArchivos(const Panel &panel, const std::vector<std::string> &rutas);
  // The same, choosing the files first.
  bool ElegirYPonerArchivos(const Panel &panel);
  // The files of `origen`'s rows copied onto `destino`'s image, with their
  // AMSDOS headers, users and attributes.
  bool Copiar(const Panel &origen, const Panel &destino);

  // The disk's deleted files, as ls --borrados lists them: the one chosen is
  // extracted into a folder or restored on the disk (under user 0: erasing
  // loses the user), as get --borrados and unrm do, unless a live file has
  // taken its blocks since. True when the image changed.
  bool Borrados(const Panel &panel);

  // A folder chosen, then the selected files extracted there, as alcove-cli's
  // get does, under the progress window. With or without their AMSDOS headers,
  // as chosen; the choice is kept for the rest of the run.
  void Extraer(const Panel &panel);
  // The selected files extracted into `carpeta` with the kept choice, for a
  // drag to another program; the paths written. Nothing when any could not be.
  std::vector<std::string> ExtraerEn(const Panel &panel, const std::string &carpeta);

  // A new formatted disk in the pane's folder; its path, or nothing.
  std::optional<std::string> NuevoDisco(const Panel &panel);

  [[nodiscard]] bool ConCabecera() const { return conCabecera_; }
  // The files the last write that changed the image made or changed, by user
  // and "NOMBRE.EXT": their rows are selected once it is listed again.
  [[nodiscard]] const std::vector<std::pair<std::uint8_t, std::string>> &Escritos() const {
    return escritos_;
  }

private:
  Dialogos &dialogos_;
  bool conCabecera_ = false;              // get's own default: the header goes
  Dialogos::OpcionesPoner opcionesPoner_; // put's own defaults: --tipo auto, user 0
  std::string ultimaCarpeta_;
  std::vector<std::pair<std::uint8_t, std::string>> escritos_;
};

} // namespace Gestion
