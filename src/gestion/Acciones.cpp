#include "gestion/Acciones.h"

#include "cpm/Borrados.h"
#include "cpm/Comprobacion.h"
#include "cpm/Edicion.h"
#include "cpm/Escritura.h"
#include "cpm/Formatos.h"
#include "cpm/Guardado.h"
#include "cpm/Imagen.h"
#include "cpm/Mapa.h"
#include "cpm/NombreHost.h"
#include "cpm/Poner.h"
#include "cpm/Texto.h"
#include "disk/Formato.h"
#include "gestion/Propiedades.h"
#include "gestion/Rutas.h"
#include "gestion/Sectores.h"
#include "imagenes/Dsk.h"
#include "imagenes/Fuente.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"
#include "platform/InfoArchivo.h"
#include "platform/Progreso.h"
#include "platform/ReemplazoSeguro.h"
#include "platform/png/Png.h"
#include "util/Numero.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <tuple>

namespace Gestion {
namespace {

// The files the selected rows stand for, each once, in row order.
struct Eleccion {
  std::vector<const cpm::Archivo *> archivos;
  std::vector<std::string> desconocidas; // rows the exact reading does not know
};

Eleccion Elegir(const cpm::Disco &disco, const Panel &panel) {
  Eleccion e;
  for (const Panel::Fila &fila : panel.filas) {
    const cpm::Archivo *a = ArchivoDeEntrada(disco, fila.entrada);
    if (a == nullptr) {
      e.desconocidas.push_back(TextoEntrada(fila.entrada) + " (entrada " +
                               std::to_string(fila.ranura) + ")");
    } else if (std::find(e.archivos.begin(), e.archivos.end(), a) == e.archivos.end()) {
      e.archivos.push_back(a);
    }
  }
  return e;
}

// A sentence of the library's, which may follow a colon, made to start one.
std::string Frase(std::string texto) {
  if (!texto.empty() && texto[0] >= 'a' && texto[0] <= 'z')
    texto[0] = static_cast<char>(texto[0] - 'a' + 'A');
  return texto;
}

std::vector<std::string> Nombres(const std::vector<const cpm::Archivo *> &archivos) {
  std::vector<std::string> nombres;
  for (const cpm::Archivo *a : archivos)
    nombres.push_back(a->NombreConUsuario());
  return nombres;
}

std::string Unir(const std::string &carpeta, const std::string &nombre) {
  const bool conSeparador =
      carpeta.empty() || Plataforma::SeparadoresRuta.find(carpeta.back()) != std::string::npos;
  return carpeta + (conSeparador ? "" : std::string(1, Plataforma::SeparadorRuta)) + nombre;
}

std::string NoSabida(const Eleccion &e) {
  return "La lectura exacta del disco no tiene " + Enumerar(e.desconocidas) +
         ": ningún archivo de su catálogo tiene ese usuario, nombre y extensión.";
}

// Reads the pane's image to change it; nothing (told) when it cannot be
// changed. `fracaso` opens the message: "No se ha borrado nada".
std::unique_ptr<cpm::Imagen> ParaCambiar(Dialogos &dialogos, const Panel &panel,
                                         const std::string &fracaso) {
  if (panel.imagen.empty()) {
    dialogos.Avisar(fracaso + ".\nEste panel no tiene ninguna imagen abierta.");
    return nullptr;
  }
  if (imagenes::EsRutaComprimida(panel.imagen)) {
    dialogos.Avisar(fracaso + ".\n" + Frase(imagenes::MotivoRutaComprimida()) + ".");
    return nullptr;
  }
  imagenes::EmpezarLectura();
  auto imagen = std::make_unique<cpm::Imagen>(panel.imagen, cpm::Imagen::ParaCambiar{});
  if (!imagen->ErrorPistas().empty()) {
    dialogos.Avisar(fracaso + ".\n" + panel.imagen + ": " + imagen->ErrorPistas() + ".");
    return nullptr;
  }
  if (const std::string motivo = imagen->MotivoSoloLectura(); !motivo.empty()) {
    dialogos.Avisar(fracaso + ".\n" + Frase(motivo) + ".");
    return nullptr;
  }
  return imagen;
}

// The files of the rows, all known to the exact reading; nothing (told) otherwise.
std::optional<Eleccion> ElegirTodos(Dialogos &dialogos, const cpm::Imagen &imagen,
                                    const Panel &panel, const std::string &fracaso) {
  Eleccion e = Elegir(imagen.Disco(), panel);
  if (!e.desconocidas.empty()) {
    dialogos.Avisar(fracaso + ".\n" + NoSabida(e));
    return std::nullopt;
  }
  if (e.archivos.empty())
    return std::nullopt;
  return e;
}

bool Guardar(Dialogos &dialogos, const cpm::Imagen &imagen, const cpm::Escrito &escrito,
             const std::string &fracaso) {
  const cpm::Guardado g =
      cpm::GuardarEscrito(imagen.Ruta(), imagen.Bytes(), imagen.Huella(), escrito);
  if (!g.error.empty()) {
    dialogos.Avisar(fracaso + ".\n" + Frase(g.error) + ".");
    return false;
  }
  return g.cambiado;
}

// Puts `nuevos`; a name already on the disk is replaced only when the user
// says so. `escritos` gets their names.
bool PonerConPermiso(Dialogos &dialogos, const cpm::Imagen &imagen,
                     const std::vector<cpm::ArchivoNuevo> &nuevos, const std::string &fracaso,
                     std::vector<std::pair<std::uint8_t, std::string>> &escritos) {
  escritos.clear();
  for (const cpm::ArchivoNuevo &n : nuevos)
    escritos.emplace_back(n.nombre.usuario, n.nombre.Texto());
  std::vector<std::string> ocupados;
  for (const cpm::ArchivoNuevo &n : nuevos) {
    for (const cpm::Archivo &a : imagen.Disco().catalogo.archivos) {
      if (a.usuario == n.nombre.usuario && a.NombreCompleto() == n.nombre.Texto())
        ocupados.push_back(a.NombreConUsuario());
    }
  }
  const bool reemplazar = !ocupados.empty();
  if (reemplazar &&
      !dialogos.Confirmar("Reemplazar",
                          "Ya hay en el disco " + Enumerar(ocupados) +
                              (ocupados.size() == 1 ? ". ¿Reemplazarlo?" : ". ¿Reemplazarlos?"))) {
    return false;
  }
  return Guardar(dialogos, imagen,
                 cpm::PonerArchivos(imagen.Bytes(), imagen.Disco(), nuevos, reemplazar), fracaso);
}

// put's addresses, read as put reads them: binary files need a load address
// (&0000 to &FFFF) and take the entry address, the load one when none is
// given; the other kinds take none. A bare decimal that hex would read as
// another address is put that way only when the user says so. Nothing (told)
// when they cannot be.
std::optional<std::pair<std::uint16_t, std::uint16_t>>
Direcciones(Dialogos &dialogos, const Dialogos::OpcionesPoner &opciones,
            const std::string &fracaso) {
  if (opciones.tipo != cpm::TipoPoner::Binario)
    return std::pair<std::uint16_t, std::uint16_t>{0, 0};
  const auto leer = [&](const std::string &texto,
                        const char *cual) -> std::optional<std::uint16_t> {
    const int valor = LeerNumeroCpc(texto);
    if (texto.empty() || valor < 0 || valor > 0xFFFF) {
      dialogos.Avisar(fracaso + ".\n" +
                      (texto.empty()
                           ? std::string("Falta la dirección de ") + cual
                           : "Dirección de " + std::string(cual) + " no válida: " + texto) +
                      " (de &0000 a &FFFF: &4000, #4000, $4000, 0x4000, 4000h o 16384).");
      return std::nullopt;
    }
    if (const int hex = cpm::ValorSiFueraHex(texto); hex >= 0) {
      char pregunta[160];
      std::snprintf(pregunta, sizeof pregunta,
                    "%s se lee como decimal (&%04X); para &%s se escribe &%s. ¿Vale &%04X como "
                    "dirección de %s?",
                    texto.c_str(), static_cast<unsigned>(valor), texto.c_str(), texto.c_str(),
                    static_cast<unsigned>(valor), cual);
      if (!dialogos.Confirmar("Poner archivos", pregunta))
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(valor);
  };
  const auto carga = leer(opciones.carga, "carga");
  if (!carga)
    return std::nullopt;
  const auto entrada = opciones.entrada.empty() ? carga : leer(opciones.entrada, "ejecución");
  if (!entrada)
    return std::nullopt;
  return std::pair{*carga, *entrada};
}

// What ExtraerEnCarpeta wrote.
struct Extraccion {
  std::vector<std::string> rutas;
  bool todo = false; // every file, whole
};

cpm::ModoExtraccion Modo(const cpm::Archivo &a, bool conCabecera) {
  return !conCabecera && a.cabecera ? cpm::ModoExtraccion::Archivo : cpm::ModoExtraccion::Crudo;
}

// Closes the progress window however the extraction ends.
class ProgresoVisible {
public:
  explicit ProgresoVisible(std::uint64_t total) : p_(Plataforma::ProgresoCompartido()) {
    p_.SetDe(1);
    p_.SetA(static_cast<double>(total) + 1);
    p_.SetTitulo("Extrayendo fichero ....");
    p_.Mostrar();
  }
  ~ProgresoVisible() {
    try {
      p_.Ocultar();
    } catch (...) {
      // The extraction's own outcome is what the user hears.
    }
  }
  ProgresoVisible(const ProgresoVisible &) = delete;
  ProgresoVisible &operator=(const ProgresoVisible &) = delete;
  void Titulo(const std::string &texto) { p_.SetTitulo(texto); }
  void Hecho(std::uint64_t bytes) { p_.SetValor(static_cast<double>(bytes) + 1); }

private:
  IndicadorProgreso &p_;
};

Extraccion ExtraerEnCarpeta(Dialogos &dialogos, const cpm::Imagen &imagen, const Eleccion &e,
                            const std::string &carpeta, bool conCabecera, bool preguntar);

// The rows' files of the pane's image, extracted as below.
Extraccion ExtraerEnCarpeta(Dialogos &dialogos, const Panel &panel, const std::string &carpeta,
                            bool conCabecera, bool preguntar) {
  const cpm::Imagen imagen = LeerImagen(panel.imagen);
  if (!imagen.ErrorPistas().empty()) {
    dialogos.Avisar("No se ha extraído nada.\n" + panel.imagen + ": " + imagen.ErrorPistas() + ".");
    return {};
  }
  return ExtraerEnCarpeta(dialogos, imagen, Elegir(imagen.Disco(), panel), carpeta, conCabecera,
                          preguntar);
}

// get's road: the library's names, each file written whole or not at all.
// With `preguntar`, files already in the folder are replaced if the user says
// so, under the progress window; without it none is, and no window shows.
Extraccion ExtraerEnCarpeta(Dialogos &dialogos, const cpm::Imagen &imagen, const Eleccion &e,
                            const std::string &carpeta, bool conCabecera, bool preguntar) {
  const std::string fracaso = "No se ha extraído nada";
  Extraccion hecho;
  EscrituraSegura::Carpeta destino(carpeta);
  if (destino.Error() != Errores::Ninguno) {
    dialogos.Avisar(fracaso + ".\n" + carpeta + ": " + Errores::Mensaje(destino.Error()) + ".");
    return hecho;
  }
  std::set<std::string> deEstaVez;
  std::vector<cpm::NombreElegido> nombres;
  std::vector<std::string> existentes;
  std::uint64_t total = 0;
  for (const cpm::Archivo *a : e.archivos) {
    nombres.push_back(cpm::ElegirNombreHost(
        *a, deEstaVez, preguntar, [&](const std::string &n) { return destino.Existe(n); }));
    if (nombres.back().reemplazable && destino.Existe(nombres.back().nombre))
      existentes.push_back(nombres.back().nombre);
    total += a->longitud;
  }
  if (!existentes.empty() &&
      !dialogos.Confirmar(
          "Extraer", "Ya hay en " + carpeta + " " + Enumerar(existentes) +
                         (existentes.size() == 1 ? ". ¿Reemplazarlo?" : ". ¿Reemplazarlos?"))) {
    return hecho;
  }
  std::vector<std::string> fallos;
  {
    // A drag's files are written while the button is held: no window then.
    std::optional<ProgresoVisible> progreso;
    if (preguntar)
      progreso.emplace(total);
    std::uint64_t hechos = 0;
    for (std::size_t i = 0; i < e.archivos.size(); ++i) {
      const cpm::Archivo &a = *e.archivos[i];
      const cpm::NombreElegido &n = nombres[i];
      if (progreso)
        progreso->Titulo("Extrayendo " + a.NombreConUsuario());
      const cpm::Extraido x = cpm::ExtraerArchivo(imagen.Disco(), a, Modo(a, conCabecera));
      // Only a file the user agreed to lose is replaced.
      const bool reemplazar = n.reemplazable && std::find(existentes.begin(), existentes.end(),
                                                          n.nombre) != existentes.end();
      const std::int16_t fallo = destino.Escribir(n.nombre, x.bytes, reemplazar);
      if (fallo != Errores::Ninguno) {
        fallos.push_back(n.nombre + ": " + Errores::Mensaje(fallo));
      } else {
        hecho.rutas.push_back(Unir(carpeta, n.nombre));
        if (!x.completo) {
          fallos.push_back(a.NombreConUsuario() + " está incompleto (" +
                           (x.problemas.empty() ? std::string("no se puede leer entero")
                                                : x.problemas.front().texto) +
                           "); se han escrito " + Cuenta(x.bytes.size(), "byte", "bytes"));
        }
      }
      hechos += a.longitud;
      if (progreso)
        progreso->Hecho(hechos);
    }
  }
  if (!e.desconocidas.empty())
    fallos.push_back(NoSabida(e));
  hecho.todo = fallos.empty();
  if (hecho.todo && preguntar && !hecho.rutas.empty()) {
    dialogos.Informar(
        (hecho.rutas.size() == 1
             ? "Se ha extraído 1 archivo en "
             : "Se han extraído " + std::to_string(hecho.rutas.size()) + " archivos en ") +
        carpeta + ".");
  }
  if (!fallos.empty()) {
    std::string texto = hecho.rutas.empty()
                            ? fracaso + "."
                            : "Se han extraído " +
                                  Cuenta(hecho.rutas.size(), "archivo", "archivos") +
                                  ", pero no todo.";
    for (const std::string &f : fallos)
      texto += "\n" + f;
    dialogos.Avisar(texto);
  }
  return hecho;
}

} // namespace

cpm::Imagen LeerImagen(const std::string &ruta) {
  imagenes::EmpezarLectura();
  return cpm::Imagen(ruta, cpm::Imagen::ParaCambiar{});
}

EstadoSeleccion Acciones::Estado(const Panel &panel) const {
  EstadoSeleccion estado;
  if (panel.imagen.empty())
    return estado;
  const cpm::Imagen imagen = LeerImagen(panel.imagen);
  estado.escribible = imagen.Escribible();
  const Eleccion e = Elegir(imagen.Disco(), panel);
  estado.archivos = static_cast<int>(e.archivos.size());
  estado.desconocidas = static_cast<int>(e.desconocidas.size());
  estado.soloLectura =
      !e.archivos.empty() && std::all_of(e.archivos.begin(), e.archivos.end(),
                                         [](const cpm::Archivo *a) { return a->soloLectura; });
  estado.oculto =
      !e.archivos.empty() && std::all_of(e.archivos.begin(), e.archivos.end(),
                                         [](const cpm::Archivo *a) { return a->sistema; });
  return estado;
}

Contenido Acciones::Ver(const Panel &panel, const Panel::Fila &fila,
                        std::optional<Ver::Vista> vista, std::vector<Ver::Vista> *vistas,
                        const EleccionPantalla &eleccion) const {
  if (vistas != nullptr)
    vistas->clear();
  const cpm::Imagen imagen = LeerImagen(panel.imagen);
  if (!imagen.ErrorPistas().empty())
    return ContenidoDesconocido(fila.entrada, fila.ranura,
                                "la imagen no se puede leer (" + imagen.ErrorPistas() + ")");
  if (!imagen.Disco().formato)
    return ContenidoDesconocido(fila.entrada, fila.ranura, "no se reconoce el formato del disco");
  const cpm::Archivo *a = ArchivoDeEntrada(imagen.Disco(), fila.entrada);
  if (a == nullptr)
    return ContenidoDesconocido(fila.entrada, fila.ranura,
                                "ningún archivo de su catálogo tiene este usuario, nombre y "
                                "extensión");
  Contenido c = ContenidoArchivo(imagen.Disco(), *a, vista);
  if (vistas != nullptr)
    *vistas = VistasPosibles(c.vista);
  if (c.vista != Ver::Vista::Pantalla)
    return c;
  // A screen: the firmware's inks or a palette file of the disk, in a mode.
  const PaletasDelDisco paletas = Paletas(imagen.Disco(), *a);
  OpcionesPantalla opciones;
  opciones.paletas = {"Firmware"};
  for (const cpm::Archivo *p : paletas.archivos)
    opciones.paletas.push_back(p->NombreConUsuario());
  opciones.paleta = std::min(eleccion.paleta.value_or(paletas.suya ? *paletas.suya + 1 : 0),
                             opciones.paletas.size() - 1);
  Pintura pintura;
  std::optional<int> modoDelArchivo;
  if (opciones.paleta > 0) {
    const Ver::ArchivoPaleta &p = paletas.paletas[opciones.paleta - 1];
    pintura.paleta = p.paleta;
    modoDelArchivo = p.modo;
  }
  pintura.modo = std::clamp(
      eleccion.modo.value_or(modoDelArchivo.value_or(eleccion.modoSiNoDice.value_or(1))), 0, 2);
  opciones.modo = pintura.modo;
  if (opciones.paleta > 0 || pintura.modo != 1)
    c = ContenidoArchivo(imagen.Disco(), *a, c.vista, pintura);
  c.pantalla = opciones;
  return c;
}

void Acciones::GuardarPng(const Panel &panel, const Contenido &contenido) {
  const std::string fracaso = "No se ha guardado la pantalla";
  if (!contenido.imagen || !contenido.imagen->Valida())
    return;
  std::string nombre = contenido.titulo.substr(contenido.titulo.find(':') + 1);
  nombre = nombre.substr(0, nombre.rfind('.')) + ".png";
  const auto ruta = dialogos_.ElegirArchivoNuevo(
      "Guardar como PNG", ultimaCarpeta_.empty() ? panel.carpeta : ultimaCarpeta_, nombre);
  if (!ruta)
    return;
  const std::size_t corte = ruta->find_last_of(Plataforma::SeparadoresRuta);
  const std::string carpeta = corte == std::string::npos ? "." : ruta->substr(0, corte + 1);
  const std::string archivo = NombreFinal(*ruta);
  ultimaCarpeta_ = carpeta;
  EscrituraSegura::Carpeta destino(carpeta);
  if (destino.Error() != Errores::Ninguno) {
    dialogos_.Avisar(fracaso + ".\n" + carpeta + ": " + Errores::Mensaje(destino.Error()) + ".");
    return;
  }
  const bool existe = destino.Existe(archivo);
  if (existe &&
      !dialogos_.Confirmar("Guardar como PNG", "Ya existe " + archivo + ". ¿Reemplazarlo?"))
    return;
  std::string error;
  const Imagen &p = *contenido.imagen;
  const auto png = Plataforma::CodificarPng(p.ancho, p.alto, p.rgb, error);
  if (!png) {
    dialogos_.Avisar(fracaso + ".\n" + Frase(error) + ".");
    return;
  }
  const std::int16_t fallo = destino.Escribir(archivo, *png, existe);
  if (fallo != Errores::Ninguno) {
    dialogos_.Avisar(fracaso + ".\n" + *ruta + ": " + Errores::Mensaje(fallo) + ".");
    return;
  }
  dialogos_.Informar(
      contenido.titulo + " -> " + *ruta + " (" + std::to_string(p.ancho) + " × " +
      std::to_string(p.alto) +
      (contenido.pantalla ? ", modo " + std::to_string(contenido.pantalla->modo) : std::string()) +
      ")");
}

namespace {

// The type names "Propiedades" offers, and the bytes AMSDOS keeps for them.
constexpr std::array<std::pair<const char *, std::uint8_t>, 3> TiposCabecera{
    {{"BASIC", cpm::TipoAmsdosBasic}, {"BASIC protegido", 1}, {"binario", cpm::TipoAmsdosBinario}}};

std::string Hex(unsigned valor, int cifras) {
  char texto[12];
  std::snprintf(texto, sizeof texto, "&%0*X", cifras, valor);
  return texto;
}

// The fields of a file's AMSDOS header as the dialog shows them; a file
// without one offers a binary's at &4000 should the user put one on.
Dialogos::Cabecera CamposDe(const cpm::Archivo &a) {
  if (!a.cabecera)
    return {false, "binario", "&4000", "&4000", std::to_string(a.longitud)};
  const cpm::CabeceraAmsdos &c = *a.cabecera;
  const auto nombre = std::find_if(TiposCabecera.begin(), TiposCabecera.end(),
                                   [&](const auto &t) { return t.second == c.tipoCrudo; });
  return {true, nombre != TiposCabecera.end() ? nombre->first : Hex(c.tipoCrudo, 2),
          Hex(c.carga, 4), Hex(c.entrada, 4), std::to_string(c.longitud)};
}

// A field read as a number up to `maximo`; nothing, with `error` told, if not one.
std::optional<std::uint32_t> Numero(const std::string &campo, const std::string &texto, int maximo,
                                    const char *rango, std::string &error) {
  const int n = LeerNumeroCpc(texto);
  if (n < 0 || n > maximo) {
    error = campo + ": \"" + texto + "\" no vale (" + rango + ")";
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(n);
}

// The change the fields ask of the header, the fields left as they were out
// of it (all of them, for a header put on); nothing, with `error`, when one
// does not read.
std::optional<cpm::CambioCabecera> CambioPedido(const Dialogos::Cabecera &antes,
                                                const Dialogos::Cabecera &despues,
                                                std::string &error) {
  const bool todos = !antes.con;
  cpm::CambioCabecera c;
  if (todos || despues.tipo != antes.tipo) {
    const auto nombre = std::find_if(TiposCabecera.begin(), TiposCabecera.end(),
                                     [&](const auto &t) { return despues.tipo == t.first; });
    if (nombre != TiposCabecera.end()) {
      c.tipo = nombre->second;
    } else if (const auto byte =
                   Numero("Tipo", despues.tipo, 0xFF, "BASIC, binario o &00..&FF", error)) {
      c.tipo = static_cast<std::uint8_t>(*byte);
    } else {
      return std::nullopt;
    }
  }
  for (const auto &[nombre, texto, previo, campo] :
       {std::tuple{"Carga", &despues.carga, &antes.carga, &c.carga},
        std::tuple{"Ejecución", &despues.entrada, &antes.entrada, &c.entrada}}) {
    if (todos || *texto != *previo) {
      const auto n = Numero(nombre, *texto, 0xFFFF, "de &0000 a &FFFF", error);
      if (!n)
        return std::nullopt;
      *campo = static_cast<std::uint16_t>(*n);
    }
  }
  if (todos || despues.longitud != antes.longitud) {
    c.longitud = Numero("Longitud", despues.longitud, 0xFFFFFF, "bytes", error);
    if (!c.longitud)
      return std::nullopt;
  }
  return c;
}

} // namespace

bool Acciones::Propiedades(const Panel &panel) {
  const cpm::Imagen imagen = LeerImagen(panel.imagen);
  if (!imagen.ErrorPistas().empty()) {
    dialogos_.Avisar(panel.imagen + ": " + imagen.ErrorPistas() + ".");
    return false;
  }
  const Eleccion e = Elegir(imagen.Disco(), panel);
  std::string texto;
  for (const cpm::Archivo *a : e.archivos)
    texto += (texto.empty() ? "" : "\n") + TextoPropiedades(imagen.Disco(), *a);
  if (!e.desconocidas.empty())
    texto += (texto.empty() ? "" : "\n") + NoSabida(e) + "\n";
  // A header is edited for one file, on an image that can be written; a
  // +3DOS header is only shown.
  const cpm::Archivo *uno =
      e.archivos.size() == 1 && e.desconocidas.empty() ? e.archivos[0] : nullptr;
  if (uno == nullptr || !imagen.Escribible() ||
      (uno->cabecera && uno->cabecera->formato != cpm::FormatoCabecera::Amsdos)) {
    dialogos_.Mostrar("Propiedades", texto);
    return false;
  }
  std::vector<std::string> tipos;
  for (const auto &t : TiposCabecera)
    tipos.emplace_back(t.first);
  const Dialogos::Cabecera antes = CamposDe(*uno);
  const auto despues = dialogos_.EditarPropiedades(texto, antes, tipos);
  if (!despues || (!antes.con && !despues->con) || *despues == antes)
    return false;
  const std::string fracaso = "No se ha cambiado la cabecera";
  std::string error;
  std::optional<cpm::CambioCabecera> cambio;
  if (despues->con) {
    cambio = CambioPedido(antes, *despues, error);
    if (!cambio) {
      dialogos_.Avisar(fracaso + ".\n" + error + ".");
      return false;
    }
  }
  const cpm::Escrito escrito =
      !despues->con ? cpm::QuitarCabecera(imagen.Bytes(), imagen.Disco(), *uno)
      : antes.con   ? cpm::CambiarCabecera(imagen.Bytes(), imagen.Disco(), *uno, *cambio)
                    : cpm::PonerCabecera(imagen.Bytes(), imagen.Disco(), *uno, *cambio);
  return Guardar(dialogos_, imagen, escrito, fracaso);
}

void Acciones::PropiedadesDisco(const Panel &panel) const {
  const cpm::Imagen imagen = LeerImagen(panel.imagen);
  if (!imagen.ErrorPistas().empty()) {
    dialogos_.Avisar(panel.imagen + ": " + imagen.ErrorPistas() + ".");
    return;
  }
  // An image of a kind read through a copy is named as the file is: "HFE v1".
  const std::string_view disposicion =
      imagen.Tipo() != nullptr ? imagen.Tipo()->disposicion
                               : imagenes::NombreDisposicion(imagen.Disco().contenedor.disposicion);
  dialogos_.Mostrar("Propiedades del disco",
                    TextoPropiedadesDisco(panel.imagen, disposicion, imagen.Disco()));
}

bool Acciones::Borrar(const Panel &panel) {
  const std::string fracaso = "No se ha borrado nada";
  const auto imagen = ParaCambiar(dialogos_, panel, fracaso);
  if (!imagen)
    return false;
  const auto e = ElegirTodos(dialogos_, *imagen, panel, fracaso);
  if (!e)
    return false;
  const std::string pregunta =
      e->archivos.size() == 1 ? "¿Borrar " + e->archivos.front()->NombreConUsuario() + " del disco?"
                              : "¿Borrar estos " + std::to_string(e->archivos.size()) +
                                    " archivos del disco?\n" + Enumerar(Nombres(e->archivos));
  if (!dialogos_.Confirmar("Borrar", pregunta))
    return false;
  escritos_.clear();
  return Guardar(dialogos_, *imagen,
                 cpm::BorrarArchivos(imagen->Bytes(), imagen->Disco(), e->archivos, false),
                 fracaso);
}

bool Acciones::CambiarNombre(const Panel &panel) {
  const std::string fracaso = "No se ha cambiado el nombre";
  const auto imagen = ParaCambiar(dialogos_, panel, fracaso);
  if (!imagen)
    return false;
  const auto e = ElegirTodos(dialogos_, *imagen, panel, fracaso);
  if (!e)
    return false;
  if (e->archivos.size() != 1) {
    dialogos_.Avisar(fracaso + ".\nSe cambia el nombre de un solo archivo, y se han elegido " +
                     std::to_string(e->archivos.size()) + ".");
    return false;
  }
  const cpm::Archivo &a = *e->archivos.front();
  const std::string viejo = a.NombreConUsuario();
  const auto texto = dialogos_.PedirTexto(
      "Cambiar nombre",
      "Nombre nuevo de " + viejo + " (con N: delante cambia también el usuario):", viejo);
  if (!texto || *texto == viejo)
    return false;
  std::string error;
  const auto nuevo = cpm::ValidarNombre(*texto, a.usuario, &error);
  if (!nuevo) {
    dialogos_.Avisar(fracaso + ".\n" + Frase(error) + ".");
    return false;
  }
  escritos_ = {{nuevo->usuario, nuevo->Texto()}};
  return Guardar(dialogos_, *imagen,
                 cpm::RenombrarArchivo(imagen->Bytes(), imagen->Disco(), a, *nuevo), fracaso);
}

bool Acciones::CambiarAtributo(const Panel &panel, Atributo atributo, bool valor) {
  const std::string fracaso = "No se han cambiado los atributos";
  const auto imagen = ParaCambiar(dialogos_, panel, fracaso);
  if (!imagen)
    return false;
  const auto e = ElegirTodos(dialogos_, *imagen, panel, fracaso);
  if (!e)
    return false;
  cpm::CambioAtributos cambio;
  (atributo == Atributo::SoloLectura ? cambio.soloLectura : cambio.sistema) = valor;
  escritos_.clear();
  for (const cpm::Archivo *a : e->archivos)
    escritos_.emplace_back(a->usuario, a->NombreCompleto());
  return Guardar(dialogos_, *imagen,
                 cpm::CambiarAtributos(imagen->Bytes(), imagen->Disco(), e->archivos, cambio),
                 fracaso);
}

bool Acciones::PonerArchivos(const Panel &panel, const std::vector<std::string> &rutas) {
  const std::string fracaso = "No se ha puesto ningún archivo";
  if (rutas.empty())
    return false;
  const auto imagen = ParaCambiar(dialogos_, panel, fracaso);
  if (!imagen)
    return false;
  std::vector<std::string> nombres;
  for (const std::string &ruta : rutas)
    nombres.push_back(NombreFinal(ruta));
  // Asked once for all of them; the answer is the next question's start.
  const auto opciones = dialogos_.PedirOpcionesPoner(nombres, opcionesPoner_);
  if (!opciones)
    return false;
  opcionesPoner_ = *opciones;
  const auto direcciones = Direcciones(dialogos_, *opciones, fracaso);
  if (!direcciones)
    return false;
  std::vector<cpm::ArchivoNuevo> nuevos;
  for (const std::string &ruta : rutas) {
    std::string error;
    const auto nombre =
        cpm::NombreDeArchivoHost(ruta, static_cast<std::uint8_t>(opciones->usuario), &error);
    std::vector<std::uint8_t> bytes;
    if (nombre)
      error = cpm::LeerArchivoParaPoner(ruta, bytes);
    cpm::ParaPoner puesto;
    if (error.empty()) {
      puesto = cpm::ContenidoParaPoner(opciones->tipo, *nombre, std::move(bytes),
                                       direcciones->first, direcciones->second);
      error = puesto.rechazo;
    }
    if (error.empty() && std::any_of(nuevos.begin(), nuevos.end(),
                                     [&](const auto &n) { return n.nombre == *nombre; }))
      error = "otro de los archivos va al disco con el mismo nombre, " + nombre->Texto();
    if (!error.empty()) {
      dialogos_.Avisar(fracaso + ".\n" + ruta + ": " + Errores::TrasDosPuntos(error) + ".");
      return false;
    }
    nuevos.push_back(
        {*nombre, std::move(puesto.contenido), opciones->soloLectura, opciones->sistema});
  }
  return PonerConPermiso(dialogos_, *imagen, nuevos, fracaso, escritos_);
}

bool Acciones::ElegirYPonerArchivos(const Panel &panel) {
  if (panel.imagen.empty()) {
    dialogos_.Avisar(
        "No se ha puesto ningún archivo.\nEste panel no tiene ninguna imagen abierta.");
    return false;
  }
  return PonerArchivos(panel, dialogos_.ElegirArchivos(panel.carpeta));
}

bool Acciones::Copiar(const Panel &origen, const Panel &destino) {
  const std::string fracaso = "No se ha copiado ningún archivo";
  if (origen.imagen == destino.imagen) {
    dialogos_.Avisar(fracaso + ".\nLos dos paneles muestran la misma imagen.");
    return false;
  }
  const cpm::Imagen desde = LeerImagen(origen.imagen);
  if (!desde.ErrorPistas().empty()) {
    dialogos_.Avisar(fracaso + ".\n" + origen.imagen + ": " + desde.ErrorPistas() + ".");
    return false;
  }
  const auto e = ElegirTodos(dialogos_, desde, origen, fracaso);
  if (!e)
    return false;
  std::vector<cpm::ArchivoNuevo> nuevos;
  for (const cpm::Archivo *a : e->archivos) {
    std::string error;
    const auto nombre = cpm::ValidarNombre(a->NombreCompleto(), a->usuario, &error);
    // The raw bytes: the AMSDOS header travels with the file.
    const cpm::Extraido x = cpm::ExtraerArchivo(desde.Disco(), *a, cpm::ModoExtraccion::Crudo);
    if (nombre && !x.completo)
      error = a->NombreConUsuario() + " no se puede leer entero" +
              (x.problemas.empty() ? "" : ": " + x.problemas.front().texto);
    if (!error.empty()) {
      dialogos_.Avisar(fracaso + ".\n" + Frase(error) + ".");
      return false;
    }
    nuevos.push_back({*nombre, x.bytes, a->soloLectura, a->sistema});
  }
  const auto imagen = ParaCambiar(dialogos_, destino, fracaso);
  return imagen && PonerConPermiso(dialogos_, *imagen, nuevos, fracaso, escritos_);
}

bool Acciones::Borrados(const Panel &panel) {
  if (panel.imagen.empty())
    return false;
  const cpm::Imagen imagen = LeerImagen(panel.imagen);
  if (!imagen.ErrorPistas().empty()) {
    dialogos_.Avisar(panel.imagen + ": " + imagen.ErrorPistas() + ".");
    return false;
  }
  const cpm::Disco &disco = imagen.Disco();
  const std::vector<cpm::Archivo> &borrados = disco.catalogo.archivosBorrados;
  if (borrados.empty()) {
    dialogos_.Informar("No hay archivos borrados en este disco.");
    return false;
  }
  // As ls --borrados lists them.
  std::vector<std::string> opciones;
  for (const cpm::Archivo &a : borrados) {
    const std::string motivo = cpm::MotivoIrrecuperable(disco, a);
    opciones.push_back(a.NombreCompleto() + " (" + Cuenta(a.longitud, "byte", "bytes") +
                       (motivo.empty() ? "" : "; no recuperable: " + motivo) + ")");
  }
  const auto elegido = dialogos_.ElegirBorrado(opciones, imagen.Escribible());
  if (!elegido || elegido->indice >= borrados.size())
    return false;
  const cpm::Archivo &a = borrados[elegido->indice];
  const std::string fracaso =
      elegido->recuperar ? "No se ha recuperado nada" : "No se ha extraído nada";
  // As get --borrados: never the bytes of a live file.
  if (const std::string motivo = cpm::MotivoIrrecuperable(disco, a); !motivo.empty()) {
    dialogos_.Avisar(fracaso + ".\n" + a.NombreCompleto() + " no se puede recuperar: " + motivo +
                     ".");
    return false;
  }
  if (!elegido->recuperar) {
    const auto destino = dialogos_.ElegirCarpeta(
        ultimaCarpeta_.empty() ? panel.carpeta : ultimaCarpeta_, conCabecera_);
    if (!destino)
      return false;
    conCabecera_ = destino->conCabecera;
    ultimaCarpeta_ = destino->carpeta;
    Eleccion e;
    e.archivos = {&a};
    ExtraerEnCarpeta(dialogos_, imagen, e, destino->carpeta, conCabecera_, true);
    return false;
  }
  const auto paraCambiar = ParaCambiar(dialogos_, panel, fracaso);
  if (!paraCambiar)
    return false;
  // The reading to change is the one just made, of the same bytes: the file
  // is found in it by its name.
  const auto &deNuevo = paraCambiar->Disco().catalogo.archivosBorrados;
  const auto mismo = std::find_if(deNuevo.begin(), deNuevo.end(), [&](const cpm::Archivo &b) {
    return b.nombre == a.nombre && b.extension == a.extension;
  });
  if (mismo == deNuevo.end()) {
    dialogos_.Avisar(fracaso + ".\nLa imagen ha cambiado: " + a.NombreCompleto() +
                     " ya no está entre sus borrados.");
    return false;
  }
  escritos_ = {{0, a.NombreCompleto()}};
  return Guardar(dialogos_, *paraCambiar,
                 cpm::RecuperarArchivo(paraCambiar->Bytes(), paraCambiar->Disco(), *mismo, 0),
                 fracaso);
}

void Acciones::Extraer(const Panel &panel) {
  if (panel.imagen.empty() || panel.filas.empty())
    return;
  const auto destino = dialogos_.ElegirCarpeta(
      ultimaCarpeta_.empty() ? panel.carpeta : ultimaCarpeta_, conCabecera_);
  if (!destino)
    return;
  conCabecera_ = destino->conCabecera;
  ultimaCarpeta_ = destino->carpeta;
  ExtraerEnCarpeta(dialogos_, panel, destino->carpeta, conCabecera_, true);
}

std::vector<std::string> Acciones::ExtraerEn(const Panel &panel, const std::string &carpeta) {
  Extraccion e = ExtraerEnCarpeta(dialogos_, panel, carpeta, conCabecera_, false);
  return e.todo ? std::move(e.rutas) : std::vector<std::string>{};
}

std::optional<std::string> Acciones::NuevoDisco(const Panel &panel) {
  const std::string fracaso = "No se ha creado el disco";
  std::vector<std::pair<std::string, std::string>> formatos;
  // Each format once, by its own name: the table's rows, not their other names.
  for (const cpm::Formato &f : cpm::TablaFormatos())
    formatos.emplace_back(std::string(f.nombre), std::string(f.descripcion));
  const auto pedido = dialogos_.PedirDiscoNuevo(formatos);
  if (!pedido)
    return std::nullopt;
  std::string nombre = pedido->nombre;
  while (!nombre.empty() && nombre.back() == ' ')
    nombre.pop_back();
  if (nombre.empty() || nombre.find_first_of(Plataforma::SeparadoresRuta) != std::string::npos ||
      nombre == "." || nombre == "..") {
    dialogos_.Avisar(fracaso + ".\nEl nombre del archivo no puede estar vacío ni llevar carpetas.");
    return std::nullopt;
  }
  if (!Formato::EsNombreDeImagen(nombre))
    nombre += ".dsk"; // so that the file list shows it
  const auto formato = cpm::FormatoPorNombre(pedido->formato);
  if (formato && !cpm::UsaLaGeometria(*formato, pedido->pistas, pedido->caras)) {
    const int pistas = pedido->pistas == 0 ? formato->pistas : pedido->pistas;
    const int caras = pedido->caras == 0 ? formato->caras : pedido->caras;
    std::vector<std::string> otros;
    for (const std::string_view n : cpm::FormatosDeGeometria(pistas, caras))
      otros.emplace_back(n);
    dialogos_.Avisar(fracaso + ".\nEl formato " + std::string(formato->nombre) + " usa " +
                     Cuenta(static_cast<std::size_t>(formato->pistas), "pista", "pistas") + " y " +
                     Cuenta(static_cast<std::size_t>(formato->caras), "cara", "caras") +
                     ", y las demás quedarían sin usar" +
                     (otros.empty()
                          ? std::string(".")
                          : "; con " + Cuenta(static_cast<std::size_t>(pistas), "pista", "pistas") +
                                " y " + Cuenta(static_cast<std::size_t>(caras), "cara", "caras") +
                                ": " + Enumerar(otros) + "."));
    return std::nullopt;
  }
  cpm::OpcionesNuevo opciones;
  opciones.formato = pedido->formato;
  opciones.pistas = pedido->pistas;
  opciones.caras = pedido->caras;
  opciones.extendida = pedido->extendida;
  opciones.version = ALCOVE_VERSION;
  const cpm::Escrito escrito = cpm::NuevoDisco(opciones);
  if (!escrito.Hecho()) {
    dialogos_.Avisar(fracaso + ".\n" + Frase(escrito.rechazo->texto) + ".");
    return std::nullopt;
  }
  const std::string ruta = Unir(panel.carpeta, nombre);
  std::string rechazo;
  std::int16_t error = Plataforma::CrearArchivo(ruta, escrito.bytes, false, &rechazo);
  if (error == Errores::ArchivoYaExiste) {
    if (!dialogos_.Confirmar("Nuevo disco",
                             "Ya existe " + nombre + ". ¿Reemplazarlo por un disco vacío?"))
      return std::nullopt;
    error = Plataforma::CrearArchivo(ruta, escrito.bytes, true, &rechazo);
  }
  if (!rechazo.empty()) {
    dialogos_.Avisar(fracaso + ".\n" + Frase(cpm::TextoRechazo(rechazo)) + ".");
    return std::nullopt;
  }
  if (error != Errores::Ninguno) {
    dialogos_.Avisar(fracaso + ".\n" + ruta + ": " + Errores::Mensaje(error) + ".");
    return std::nullopt;
  }
  return ruta;
}

} // namespace Gestion

namespace Gestion {

namespace {

// The pane's image read for the map, the sector view or the check; nothing
// (told) when its tracks cannot be read.
std::unique_ptr<cpm::Imagen> LeerPistas(Dialogos &dialogos, const Panel &panel) {
  if (panel.imagen.empty()) {
    dialogos.Avisar("Este panel no tiene ninguna imagen abierta.");
    return nullptr;
  }
  imagenes::EmpezarLectura();
  auto imagen = std::make_unique<cpm::Imagen>(panel.imagen, cpm::Imagen::ParaCambiar{});
  if (!imagen->ErrorPistas().empty()) {
    dialogos.Avisar(panel.imagen + ": " + imagen->ErrorPistas() + ".");
    return nullptr;
  }
  return imagen;
}

std::string NombreDe(const std::string &ruta) {
  const std::size_t barra = ruta.find_last_of(Plataforma::SeparadoresRuta);
  return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

} // namespace

std::optional<CeldaMapa> Acciones::MapaDisco(const Panel &panel) const {
  const auto imagen = LeerPistas(dialogos_, panel);
  if (!imagen) {
    return std::nullopt;
  }
  const cpm::Disco &disco = imagen->Disco();
  return dialogos_.MostrarMapa("Mapa del disco: " + NombreDe(panel.imagen),
                               DibujarMapa(disco, cpm::Mapear(disco)));
}

bool Acciones::EditarSector(const Panel &panel, const CeldaMapa &celda) {
  const auto imagen = LeerPistas(dialogos_, panel);
  if (!imagen) {
    return false;
  }
  const auto sector = SectorParaVer(imagen->Disco(), celda.pista, celda.cara, celda.indice);
  if (!sector) {
    dialogos_.Avisar("El sector ya no está en la imagen: se ha cambiado desde que se leyó.");
    return false;
  }
  // Written as alcove-cli's sector writes: the first sector of its ID.
  std::string motivo = imagen->MotivoSoloLectura();
  if (motivo.empty() && !sector->primeroDeSuId) {
    motivo = "hay otro sector con su ID antes en la pista, y se escribe el primero";
  }
  const std::string cabecera =
      sector->cabecera + (motivo.empty() ? "" : "\nSolo se ve: " + motivo + ".");
  const auto texto =
      dialogos_.EditarSector("Sector", cabecera, VolcadoEditable(sector->datos), !motivo.empty());
  if (!texto) {
    return false;
  }
  const std::string fracaso = "No se ha escrito el sector";
  std::string error;
  const auto datos = LeerVolcadoEditado(*texto, sector->datos, error);
  if (!datos) {
    dialogos_.Avisar(fracaso + ".\n" + Frase(error) + ".");
    return false;
  }
  if (*datos == sector->datos) {
    return false;
  }
  cpm::CambioSector cambio;
  cambio.id = celda.id;
  cambio.datos = *datos;
  imagenes::Superficie s = imagenes::DesdeContenedor(imagen->Disco().contenedor);
  if (const std::string no = cpm::CambiarSector(s, celda.pista, celda.cara, cambio); !no.empty()) {
    dialogos_.Avisar(fracaso + ".\n" + Frase(no) + ".");
    return false;
  }
  escritos_.clear();
  return Guardar(
      dialogos_, *imagen,
      cpm::EscribirPista(imagen->Bytes(), imagen->Disco().contenedor, celda.pista, celda.cara, s),
      fracaso);
}

bool Acciones::ComprobarDisco(const Panel &panel) {
  const auto imagen = LeerPistas(dialogos_, panel);
  if (!imagen) {
    return false;
  }
  const std::string nombre = NombreDe(panel.imagen);
  const cpm::Comprobacion antes = cpm::ComprobarDisco(imagen->Disco());
  const std::string informe = nombre + ": " + cpm::ResumenComprobacion(antes, "") + "\n" +
                              cpm::TextoDefectos(antes.defectos);
  const std::string motivo = imagen->MotivoSoloLectura();
  if (antes.Reparables() == 0 || !motivo.empty()) {
    dialogos_.Mostrar("Comprobar disco",
                      informe +
                          (antes.Reparables() > 0 ? "\nNo se repara: " + motivo + ".\n" : ""));
    return false;
  }
  const std::size_t n = antes.Reparables();
  const std::string pregunta = informe + "\n¿Reparar " +
                               (n == 1 ? std::string("el problema reparable")
                                       : "los " + std::to_string(n) + " problemas reparables") +
                               "? Lo demás se deja como está.";
  if (!dialogos_.Confirmar("Comprobar disco", pregunta)) {
    return false;
  }
  const cpm::Escrito escrito = cpm::RepararDisco(imagen->Bytes(), imagen->Disco());
  escritos_.clear();
  if (!Guardar(dialogos_, *imagen, escrito, "No se ha reparado el disco")) {
    return false;
  }
  const cpm::Comprobacion despues = cpm::ComprobarDisco(cpm::LeerDisco(escrito.bytes));
  const std::vector<cpm::Defecto> hechos = cpm::Reparados(antes, despues);
  dialogos_.Mostrar("Comprobar disco",
                    nombre + ": " + std::to_string(hechos.size()) +
                        (hechos.size() == 1 ? " problema reparado\n" : " problemas reparados\n") +
                        cpm::TextoDefectos(hechos, "reparado: ") +
                        (despues.Limpia() ? ""
                                          : "Quedan: " + cpm::ResumenComprobacion(despues, "") +
                                                "\n" + cpm::TextoDefectos(despues.defectos)));
  return true;
}

} // namespace Gestion
