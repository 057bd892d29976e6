#include "gestion/Acciones.h"

#include "cli/Comprimidos.h"
#include "cpm/Escritura.h"
#include "cpm/Formatos.h"
#include "cpm/Guardado.h"
#include "cpm/NombreHost.h"
#include "cpm/Poner.h"
#include "disk/Formato.h"
#include "gestion/Imagen.h"
#include "gestion/Propiedades.h"
#include "platform/Errores.h"
#include "platform/EscrituraSegura.h"
#include "platform/InfoArchivo.h"
#include "platform/Progreso.h"
#include "platform/ReemplazoSeguro.h"
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

// "A", "A y B", "A, B y C".
std::string Lista(const std::vector<std::string> &nombres) {
  std::string s;
  for (std::size_t i = 0; i < nombres.size(); ++i) {
    s += (i == 0 ? "" : i + 1 == nombres.size() ? " y " : ", ") + nombres[i];
  }
  return s;
}

std::vector<std::string> Nombres(const std::vector<const cpm::Archivo *> &archivos) {
  std::vector<std::string> nombres;
  for (const cpm::Archivo *a : archivos)
    nombres.push_back(NombreConUsuario(*a));
  return nombres;
}

std::string Unir(const std::string &carpeta, const std::string &nombre) {
  const bool conSeparador =
      carpeta.empty() || Plataforma::SeparadoresRuta.find(carpeta.back()) != std::string::npos;
  return carpeta + (conSeparador ? "" : std::string(1, Plataforma::SeparadorRuta)) + nombre;
}

std::string NoSabida(const Eleccion &e) {
  return "La lectura exacta del disco no tiene " + Lista(e.desconocidas) +
         ": ningún archivo de su catálogo tiene ese usuario, nombre y extensión.";
}

// Reads the pane's image to change it; nothing (told) when it cannot be
// changed. `fracaso` opens the message: "No se ha borrado nada".
std::unique_ptr<ImagenLeida> ParaCambiar(Dialogos &dialogos, const Panel &panel,
                                         const std::string &fracaso) {
  if (panel.imagen.empty()) {
    dialogos.Avisar(fracaso + ".\nEste panel no tiene ninguna imagen abierta.");
    return nullptr;
  }
  if (Cli::EsRutaComprimida(panel.imagen)) {
    dialogos.Avisar(fracaso + ".\n" + Frase(Cli::MotivoRutaComprimida()) + ".");
    return nullptr;
  }
  auto imagen = std::make_unique<ImagenLeida>(panel.imagen);
  if (!imagen->Error().empty()) {
    dialogos.Avisar(fracaso + ".\n" + panel.imagen + ": " + imagen->Error() + ".");
    return nullptr;
  }
  return imagen;
}

// The files of the rows, all known to the exact reading; nothing (told) otherwise.
std::optional<Eleccion> ElegirTodos(Dialogos &dialogos, const ImagenLeida &imagen,
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

bool Guardar(Dialogos &dialogos, const ImagenLeida &imagen, const cpm::Escrito &escrito,
             const std::string &fracaso) {
  const cpm::Guardado g =
      cpm::GuardarEscrito(imagen.Ruta(), imagen.Bytes(), imagen.Huella(), escrito);
  if (!g.error.empty()) {
    dialogos.Avisar(fracaso + ".\n" + Frase(g.error) + ".");
    return false;
  }
  return g.cambiado;
}

// Puts `nuevos`; a name already on the disk is replaced only when the user says so.
bool PonerConPermiso(Dialogos &dialogos, const ImagenLeida &imagen,
                     const std::vector<cpm::ArchivoNuevo> &nuevos, const std::string &fracaso) {
  std::vector<std::string> ocupados;
  for (const cpm::ArchivoNuevo &n : nuevos) {
    for (const cpm::Archivo &a : imagen.Disco().catalogo.archivos) {
      if (a.usuario == n.nombre.usuario && a.NombreCompleto() == n.nombre.Texto())
        ocupados.push_back(NombreConUsuario(a));
    }
  }
  const bool reemplazar = !ocupados.empty();
  if (reemplazar &&
      !dialogos.Confirmar("Reemplazar",
                          "Ya hay en el disco " + Lista(ocupados) +
                              (ocupados.size() == 1 ? ". ¿Reemplazarlo?" : ". ¿Reemplazarlos?"))) {
    return false;
  }
  return Guardar(dialogos, imagen,
                 cpm::PonerArchivos(imagen.Bytes(), imagen.Disco(), nuevos, reemplazar), fracaso);
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

// get's road: the library's names, each file written whole or not at all.
// With `preguntar`, files already in the folder are replaced if the user says
// so, under the progress window; without it none is, and no window shows.
Extraccion ExtraerEnCarpeta(Dialogos &dialogos, const Panel &panel, const std::string &carpeta,
                            bool conCabecera, bool preguntar) {
  const std::string fracaso = "No se ha extraído nada";
  Extraccion hecho;
  const ImagenLeida imagen(panel.imagen);
  if (!imagen.Error().empty()) {
    dialogos.Avisar(fracaso + ".\n" + panel.imagen + ": " + imagen.Error() + ".");
    return hecho;
  }
  const Eleccion e = Elegir(imagen.Disco(), panel);
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
          "Extraer", "Ya hay en " + carpeta + " " + Lista(existentes) +
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
        progreso->Titulo("Extrayendo " + NombreConUsuario(a));
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
          fallos.push_back(NombreConUsuario(a) + " está incompleto (" +
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

EstadoSeleccion Acciones::Estado(const Panel &panel) const {
  EstadoSeleccion estado;
  if (panel.imagen.empty())
    return estado;
  estado.escribible = !Cli::EsRutaComprimida(panel.imagen);
  const ImagenLeida imagen(panel.imagen);
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
                        std::optional<Ver::Vista> vista, std::vector<Ver::Vista> *vistas) const {
  if (vistas != nullptr)
    vistas->clear();
  const ImagenLeida imagen(panel.imagen);
  if (!imagen.Error().empty())
    return ContenidoDesconocido(fila.entrada, fila.ranura,
                                "la imagen no se puede leer (" + imagen.Error() + ")");
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
  return c;
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
  const ImagenLeida imagen(panel.imagen);
  if (!imagen.Error().empty()) {
    dialogos_.Avisar(panel.imagen + ": " + imagen.Error() + ".");
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
  if (uno == nullptr || Cli::EsRutaComprimida(panel.imagen) ||
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
  const ImagenLeida imagen(panel.imagen);
  if (!imagen.Error().empty()) {
    dialogos_.Avisar(panel.imagen + ": " + imagen.Error() + ".");
    return;
  }
  dialogos_.Mostrar("Propiedades del disco", TextoPropiedadesDisco(panel.imagen, imagen.Disco()));
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
      e->archivos.size() == 1 ? "¿Borrar " + NombreConUsuario(*e->archivos.front()) + " del disco?"
                              : "¿Borrar estos " + std::to_string(e->archivos.size()) +
                                    " archivos del disco?\n" + Lista(Nombres(e->archivos));
  if (!dialogos_.Confirmar("Borrar", pregunta))
    return false;
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
  const std::string viejo = NombreConUsuario(a);
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
  std::vector<cpm::ArchivoNuevo> nuevos;
  for (const std::string &ruta : rutas) {
    std::string error;
    const auto nombre = cpm::NombreDeArchivoHost(ruta, 0, &error);
    std::vector<std::uint8_t> bytes;
    if (nombre)
      error = cpm::LeerArchivoParaPoner(ruta, bytes);
    if (!error.empty()) {
      dialogos_.Avisar(fracaso + ".\n" + ruta + ": " + Errores::TrasDosPuntos(error) + ".");
      return false;
    }
    // As put --tipo auto: a plain text gets the CPC's CR LF line ends.
    nuevos.push_back(
        {*nombre,
         cpm::ContenidoParaPoner(cpm::TipoPoner::Auto, *nombre, std::move(bytes)).contenido});
  }
  return PonerConPermiso(dialogos_, *imagen, nuevos, fracaso);
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
  const ImagenLeida desde(origen.imagen);
  if (!desde.Error().empty()) {
    dialogos_.Avisar(fracaso + ".\n" + origen.imagen + ": " + desde.Error() + ".");
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
      error = NombreConUsuario(*a) + " no se puede leer entero" +
              (x.problemas.empty() ? "" : ": " + x.problemas.front().texto);
    if (!error.empty()) {
      dialogos_.Avisar(fracaso + ".\n" + Frase(error) + ".");
      return false;
    }
    nuevos.push_back({*nombre, x.bytes, a->soloLectura, a->sistema});
  }
  const auto imagen = ParaCambiar(dialogos_, destino, fracaso);
  return imagen && PonerConPermiso(dialogos_, *imagen, nuevos, fracaso);
}

bool Acciones::DevolverFilas(const Panel &panel) {
  const std::string fracaso = "No se ha cambiado ningún archivo";
  const auto imagen = ParaCambiar(dialogos_, panel, fracaso);
  if (!imagen)
    return false;
  std::vector<const cpm::Archivo *> sinFila;
  std::vector<std::string> opciones;
  for (const cpm::Archivo &a : imagen->Disco().catalogo.archivos) {
    if (!a.soloLectura && !a.sistema && !a.archivado)
      continue;
    sinFila.push_back(&a);
    std::string atributos = a.soloLectura ? "solo lectura" : "";
    for (const auto &[puesto, nombre] :
         {std::pair{a.sistema, "oculto"}, {a.archivado, "archivado"}})
      if (puesto)
        atributos += (atributos.empty() ? "" : ", ") + std::string(nombre);
    opciones.push_back(NombreConUsuario(a) + " (" + atributos + ")");
  }
  if (sinFila.empty()) {
    dialogos_.Avisar("Todos los archivos del disco tienen su fila: ninguno tiene atributos.");
    return false;
  }
  const std::vector<std::size_t> elegidos = dialogos_.ElegirVarios(
      "Archivos sin fila",
      "Estos archivos tienen atributos y por eso no se listan. Los elegidos los pierden:",
      opciones);
  std::vector<const cpm::Archivo *> archivos;
  for (const std::size_t i : elegidos) {
    if (i < sinFila.size())
      archivos.push_back(sinFila[i]);
  }
  if (archivos.empty())
    return false;
  return Guardar(
      dialogos_, *imagen,
      cpm::CambiarAtributos(imagen->Bytes(), imagen->Disco(), archivos, {false, false, false}),
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
  for (const std::string_view nombre : cpm::NombresFormatos()) {
    const auto f = cpm::FormatoPorNombre(nombre);
    formatos.emplace_back(std::string(nombre), f ? std::string(f->descripcion) : std::string());
  }
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
  cpm::OpcionesNuevo opciones;
  opciones.formato = pedido->formato;
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
