#include "gestion/Paneles.h"

#include "cpm/Imagen.h"
#include "gestion/Propiedades.h"
#include "gestion/Rutas.h"
#include "gestion/Zips.h"
#include "platform/CarpetaTemporal.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"
#include "platform/InfoArchivo.h"
#include "platform/ReemplazoSeguro.h"

#include <algorithm>
#include <optional>

namespace Gestion {

GestorPaneles::GestorPaneles(std::array<PanelVentana, 2> paneles, Dialogos &dialogos,
                             std::function<void(Visor)> abrirVisor)
    : paneles_(std::move(paneles)), dialogos_(dialogos), acciones_(dialogos),
      abrirVisor_(std::move(abrirVisor)) {
  // What runs that were killed left behind.
  Plataforma::BarrerCarpetasTemporales();
  // Images of other kinds, then those inside the folder's zips, follow its
  // own, read-only.
  for (PanelVentana &p : paneles_)
    p.archivos->FijarOtrasImagenes(OtrasImagenes);
}

GestorPaneles::~GestorPaneles() = default;

const PanelVentana &GestorPaneles::P(int i) const {
  if (i < 0 || i > 1)
    LanzarError(Errores::SubindiceFueraDeIntervalo);
  return paneles_[static_cast<std::size_t>(i)];
}

std::optional<Panel::Fila> GestorPaneles::FilaDe(int i, int fila) const {
  const PanelVentana &p = P(i);
  const Presentacion::EntradaCatalogo *e = p.entrada(p.vista->Llegada(fila));
  if (e == nullptr)
    return std::nullopt;
  return Gestion::Panel::Fila{e->Indice, e->Bytes};
}

std::string GestorPaneles::Imagen(int i) const {
  const std::string abierta = P(i).imagen();
  for (const Copia &c : copias_) {
    if (!abierta.empty() && abierta == c.ruta)
      return c.miembro;
  }
  return abierta;
}

Panel GestorPaneles::Panel(int i) const {
  const PanelVentana &p = P(i);
  Gestion::Panel panel;
  panel.imagen = Imagen(i);
  panel.carpeta = p.archivos->Path();
  if (panel.imagen.empty())
    return panel;
  for (const int f : p.vista->Seleccionadas()) {
    if (const auto fila = FilaDe(i, f))
      panel.filas.push_back(*fila);
  }
  return panel;
}

void GestorPaneles::Escrito(int i) {
  const std::string imagen = Imagen(i);
  // The other pane first: the status bar ends up telling of this one.
  for (const int j : {1 - i, i}) {
    if (Imagen(j) == imagen)
      P(j).listar(imagen);
  }
  NotaDisco(i);
}

void GestorPaneles::NotaDisco(int i) {
  const PanelVentana &p = P(i);
  if (!p.notaDisco)
    return;
  // The file the pane lists: a zip member's private copy, read again without
  // inflating the member.
  const std::string abierta = p.imagen();
  if (abierta.empty()) {
    p.notaDisco({});
    return;
  }
  const cpm::Imagen imagen(abierta);
  p.notaDisco(imagen.ErrorPistas().empty() ? LineaProteccion(imagen.Disco()) : std::string());
}

void GestorPaneles::Hacer(int i, const std::function<bool()> &accion) {
  // Windows replaces no file that a handle holds open: every pane that shows
  // the image lets it go while it is written, and takes it again afterwards,
  // listed again when it changed and as it was when it did not.
  const std::string imagen = Imagen(i);
  std::vector<int> suyos;
  for (const int j : {0, 1}) {
    if (!imagen.empty() && Imagen(j) == imagen && P(j).cerrar && P(j).reabrir)
      suyos.push_back(j);
  }
  const auto reabrir = [&] {
    for (const int j : suyos)
      P(j).reabrir();
  };
  for (const int j : suyos)
    P(j).cerrar();
  bool cambiado = false;
  try {
    cambiado = accion();
  } catch (...) {
    reabrir();
    throw;
  }
  if (!cambiado) {
    reabrir();
    return;
  }
  Escrito(i);
  // What the write made is selected: its rows, as listed again.
  std::vector<int> hechas;
  const Controles::VistaLista &vista = *P(i).vista;
  for (int f = 0; f < vista.Filas(); ++f) {
    const auto fila = FilaDe(i, f);
    const auto &escritos = acciones_.Escritos();
    if (fila &&
        std::find(escritos.begin(), escritos.end(),
                  std::pair{fila->entrada[0], TextoEntrada(fila->entrada)}) != escritos.end())
      hechas.push_back(f);
  }
  P(i).vista->Seleccionar(hechas);
}

void GestorPaneles::Ver(int i) {
  const Gestion::Panel panel = Panel(i);
  if (panel.filas.empty())
    return;
  // The current row, even when others are selected with it; else the first one.
  Gestion::Panel solo = panel;
  solo.filas = {panel.filas.front()};
  const PanelVentana &p = P(i);
  const auto actual = FilaDe(i, p.vista->FilaActual());
  const bool elegida =
      actual && std::any_of(panel.filas.begin(), panel.filas.end(),
                            [&](const Panel::Fila &f) { return f.ranura == actual->ranura; });
  if (elegida)
    solo.filas = {*actual};
  const Panel::Fila fila = solo.filas.front();
  Visor visor;
  visor.contenido = acciones_.Ver(solo, fila, std::nullopt, &visor.vistas);
  visor.calcular = [this, solo, fila](Ver::Vista v) { return acciones_.Ver(solo, fila, v); };
  visor.otroModo = [this, solo, fila](const Contenido &ahora, int modo) {
    const std::optional<std::size_t> paleta =
        ahora.pantalla ? std::optional(ahora.pantalla->paleta) : std::nullopt;
    return acciones_.Ver(solo, fila, Ver::Vista::Pantalla, nullptr, {modo, paleta, std::nullopt});
  };
  visor.otraPaleta = [this, solo, fila](const Contenido &ahora, std::size_t paleta) {
    const std::optional<int> modo =
        ahora.pantalla ? std::optional(ahora.pantalla->modo) : std::nullopt;
    return acciones_.Ver(solo, fila, Ver::Vista::Pantalla, nullptr, {std::nullopt, paleta, modo});
  };
  visor.guardarPng = [this, solo](const Contenido &ahora) { acciones_.GuardarPng(solo, ahora); };
  abrirVisor_(std::move(visor));
}

std::vector<OpcionMenu> GestorPaneles::Menu(int i, int fila, bool deTeclado) {
  const PanelVentana &p = P(i);
  if (!deTeclado) {
    // A right-click on a row not selected makes it the selection, as file managers do.
    const std::vector<int> elegidas = p.vista->Seleccionadas();
    if (fila < 0 || fila >= p.vista->Filas())
      p.vista->SeleccionarSolo(-1);
    else if (std::find(elegidas.begin(), elegidas.end(), fila) == elegidas.end())
      p.vista->SeleccionarSolo(fila);
  }
  const Gestion::Panel panel = Panel(i);
  std::vector<OpcionMenu> menu;
  const auto agregar = [&](const char *nombre, const char *texto, std::function<void()> hacer,
                           bool habilitada = true) -> OpcionMenu & {
    menu.push_back({nombre, texto, habilitada, false, false, std::move(hacer)});
    return menu.back();
  };
  const auto separador = [&] { menu.push_back({}); };
  // An image that cannot be written back offers its writes greyed.
  const bool escribible = !panel.imagen.empty() && SePuedeEscribir(panel.imagen);
  // Below the files: the disk's map (and its sectors) and its check, from
  // the pane's menu and from its rows'.
  const auto bajoLosArchivos = [&] {
    agregar(
        "MapaDisco", "Mapa del disco…", [this, panel, i] { MapaDisco(i, panel); },
        !panel.imagen.empty());
    agregar(
        "ComprobarDisco", "Comprobar disco",
        [this, panel, i] { Hacer(i, [&] { return acciones_.ComprobarDisco(panel); }); },
        !panel.imagen.empty());
  };
  if (panel.filas.empty()) {
    agregar("NuevoDisco", "Nuevo disco…", [this, panel, i] { NuevoDisco(i, panel); });
    agregar(
        "PonerArchivos", "Poner archivos…",
        [this, panel, i] { Hacer(i, [&] { return acciones_.ElegirYPonerArchivos(panel); }); },
        escribible);
    agregar(
        "Borrados", "Archivos borrados…",
        [this, panel, i] { Hacer(i, [&] { return acciones_.Borrados(panel); }); },
        !panel.imagen.empty());
    agregar(
        "PropiedadesDisco", "Propiedades del disco",
        [this, panel] { acciones_.PropiedadesDisco(panel); }, !panel.imagen.empty());
    separador();
    bajoLosArchivos();
    return menu;
  }
  const EstadoSeleccion estado = acciones_.Estado(panel);
  agregar("Ver", "Ver", [this, i] { Ver(i); });
  agregar("Extraer", "Extraer…", [this, panel] { acciones_.Extraer(panel); });
  agregar("Propiedades", "Propiedades",
          [this, panel, i] { Hacer(i, [&] { return acciones_.Propiedades(panel); }); });
  separador();
  agregar(
      "Borrar", "Borrar", [this, panel, i] { Hacer(i, [&] { return acciones_.Borrar(panel); }); },
      escribible);
  agregar(
      "CambiarNombre", "Cambiar nombre…",
      [this, panel, i] { Hacer(i, [&] { return acciones_.CambiarNombre(panel); }); },
      escribible && estado.archivos + estado.desconocidas == 1);
  separador();
  const auto conmutador = [&](const char *nombre, const char *texto, Atributo atributo,
                              bool puesto) {
    OpcionMenu &o = agregar(
        nombre, texto,
        [this, panel, i, atributo, puesto] {
          Hacer(i, [&] { return acciones_.CambiarAtributo(panel, atributo, !puesto); });
        },
        escribible);
    o.marcable = true;
    o.marcada = puesto;
  };
  conmutador("SoloLectura", "Solo lectura", Atributo::SoloLectura, estado.soloLectura);
  conmutador("Oculto", "Oculto", Atributo::Oculto, estado.oculto);
  separador();
  bajoLosArchivos();
  return menu;
}

void GestorPaneles::MapaDisco(int i, const Gestion::Panel &panel) {
  // The map again after each sector opened on it: it shows what was written.
  Gestion::Panel solo = panel;
  solo.filas.clear();
  while (const std::optional<CeldaMapa> celda = acciones_.MapaDisco(solo)) {
    Hacer(i, [&] { return acciones_.EditarSector(solo, *celda); });
  }
}

void GestorPaneles::NuevoDisco(int i, const Gestion::Panel &panel) {
  // The new disk may be made over an image a pane shows, which Windows
  // replaces only once no handle holds it open.
  std::vector<int> abiertos;
  for (const int j : {0, 1}) {
    if (!Imagen(j).empty() && P(j).cerrar && P(j).reabrir)
      abiertos.push_back(j);
  }
  for (const int j : abiertos)
    P(j).cerrar();
  std::optional<std::string> ruta;
  try {
    ruta = acciones_.NuevoDisco(panel);
  } catch (...) {
    for (const int j : abiertos)
      P(j).reabrir();
    throw;
  }
  for (const int j : abiertos)
    P(j).reabrir();
  if (!ruta)
    return;
  Controles::ListaArchivos &lista = *P(i).archivos;
  lista.SetPath(lista.Path()); // the new file shows in the list
  if (Imagen(1 - i) == *ruta)
    P(1 - i).listar(*ruta);
  P(i).listar(*ruta);
  SoltarCopias();
  NotaDisco(i);
}

// The keys do what the menu's items do, and nothing where the menu greys them.
void GestorPaneles::BorrarSeleccion(int i) {
  const Gestion::Panel panel = Panel(i);
  if (!panel.filas.empty() && SePuedeEscribir(panel.imagen))
    Hacer(i, [&] { return acciones_.Borrar(panel); });
}

void GestorPaneles::RenombrarSeleccion(int i) {
  const Gestion::Panel panel = Panel(i);
  if (!panel.filas.empty() && SePuedeEscribir(panel.imagen))
    Hacer(i, [&] { return acciones_.CambiarNombre(panel); });
}

void GestorPaneles::ArchivoElegido(int i) {
  const Controles::ListaArchivos &lista = *P(i).archivos;
  const std::string nombre = lista.FileName();
  const std::string ruta = lista.Path() + Plataforma::SeparadorRuta + nombre;
  if (!nombre.empty() && SeListaPorCopia(ruta))
    AbrirMiembro(i, ruta);
  // Whatever the pane shows now, the copy it showed before may have gone from both.
  SoltarCopias();
  NotaDisco(i);
}

void GestorPaneles::AbrirMiembro(int i, const std::string &ruta) {
  std::vector<std::uint8_t> bytes;
  if (const std::string error = LeerParaListar(ruta, bytes); !error.empty()) {
    dialogos_.Avisar(ruta + ": " + error + ".");
    return;
  }
  // The copy already made of the member, while the zip still holds those bytes.
  const std::uint64_t resumen = Plataforma::ResumenBytes(bytes);
  for (const Copia &c : copias_) {
    if (c.miembro == ruta && c.resumen == resumen && c.largo == bytes.size()) {
      P(i).listar(c.ruta);
      return;
    }
  }
  Copia copia;
  copia.carpeta = std::make_unique<Plataforma::CarpetaTemporal>();
  const std::string nombre = NombreFinal(ruta);
  if (!copia.carpeta->Valida() ||
      EscrituraSegura::EscribirEnCarpeta(copia.carpeta->Ruta(), nombre, bytes, false) !=
          Errores::Ninguno) {
    dialogos_.Avisar(ruta + ": no se ha podido leer la imagen.");
    return;
  }
  copia.miembro = ruta;
  copia.ruta = copia.carpeta->Ruta() + Plataforma::SeparadorRuta + nombre;
  copia.resumen = resumen;
  copia.largo = bytes.size();
  copias_.push_back(std::move(copia));
  P(i).listar(copias_.back().ruta);
}

void GestorPaneles::SoltarCopias() {
  std::erase_if(copias_, [this](const Copia &c) {
    return std::none_of(paneles_.begin(), paneles_.end(),
                        [&c](const PanelVentana &p) { return p.imagen() == c.ruta; });
  });
}

std::vector<std::string> GestorPaneles::Arrastrar(int i) {
  Gestion::Panel panel = Panel(i);
  if (panel.filas.empty())
    return {};
  arrastre_.reset(); // the last drag's files have had their time
  auto carpeta = std::make_unique<Plataforma::CarpetaTemporal>();
  if (!carpeta->Valida())
    return {};
  std::vector<std::string> rutas = acciones_.ExtraerEn(panel, carpeta->Ruta());
  if (rutas.empty())
    return {};
  arrastre_ = std::move(carpeta);
  origen_ = std::move(panel);
  arrastrando_ = i;
  return rutas;
}

void GestorPaneles::FinArrastre(bool soltado) {
  arrastrando_ = -1;
  if (!soltado)
    arrastre_.reset();
}

std::function<void()> GestorPaneles::Recibir(int i, const Soltado &soltado) {
  static_cast<void>(P(i)); // a pane outside 0..1 is refused here
  // A pane whose image cannot be written back takes nothing: the drag says so
  // while it is over it.
  const std::string imagen = Imagen(i);
  if (imagen.empty() || !SePuedeEscribir(imagen))
    return {};
  if (soltado.panel >= 0) {
    // Rows of this window: from the other pane they are copied; onto their own, nothing.
    if (soltado.panel == i || soltado.panel > 1)
      return {};
    const Gestion::Panel origen = soltado.panel == arrastrando_ ? origen_ : Panel(soltado.panel);
    return [this, origen, i] {
      const Gestion::Panel destino = Panel(i);
      Hacer(i, [&] { return acciones_.Copiar(origen, destino); });
    };
  }
  if (soltado.rutas.empty())
    return {};
  return [this, rutas = soltado.rutas, i] {
    const Gestion::Panel destino = Panel(i);
    Hacer(i, [&] { return acciones_.PonerArchivos(destino, rutas); });
  };
}

} // namespace Gestion
