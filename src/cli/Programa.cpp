#include "cli/Programa.h"

#include "cli/Ordenes.h"
#include "cli/OrdenesConversion.h"
#include "cli/OrdenesDisco.h"
#include "cli/OrdenesEscritura.h"
#include "cli/Salida.h"
#include "cpm/Formatos.h"
#include "platform/Proceso.h"
#include "ver/Vista.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace Cli {
namespace {

constexpr std::string_view kVersion = "alcove-cli 0.1";
constexpr const char *kAyuda = "Muestra esta ayuda y termina";

// CLI11 speaks English; its headings are labels we can replace.
void EnEspanol(CLI::App &app) {
  auto formato = std::make_shared<CLI::Formatter>();
  for (const auto &[clave, texto] : {std::pair{"Usage", "Uso"},
                                     {"OPTIONS", "OPCIONES"},
                                     {"SUBCOMMAND", "ORDEN"},
                                     {"SUBCOMMANDS", "ORDENES"},
                                     {"Positionals", "Argumentos"},
                                     // Spanish would need a gender per argument ("PISTA
                                     // obligatoria"); the usage line already shows them.
                                     {"REQUIRED", ""},
                                     {"TEXT", "TEXTO"},
                                     {"INT", "ENTERO"},
                                     {"UINT", "ENTERO"},
                                     {"Needs", "Necesita"},
                                     {"Excludes", "Excluye"}}) {
    formato->label(clave, texto);
  }
  formato->column_width(26);
  app.formatter(formato);
  app.option_defaults()->group("Opciones");
  app.set_help_flag("-h,--help", kAyuda);
}

void OpcionFormato(CLI::App &sub, std::string &formato) {
  sub.add_option("--formato", formato,
                 "Lee el disco con este formato en lugar de deducirlo: " + ListaFormatos())
      ->type_name("NOMBRE");
}

bool LeerPistaYCara(const std::string &pista, const std::string &cara, OrdenDump &dump) {
  return LeerPistaCara(pista, cara, dump.pista, dump.cara);
}

// cmd.exe hands wildcards over as they are (a shell has already expanded
// them): a command on one image takes a pattern that names one.
void ExpandirUna(std::string &imagen) {
  std::vector<std::string> una{imagen};
  Plataforma::ExpandirComodines(una);
  if (una.size() == 1) {
    imagen = una.front();
  }
}

Ejecucion PrepararInfo(CLI::App &sub) {
  auto orden = std::make_shared<OrdenInfo>();
  sub.add_option("IMAGEN", orden->imagenes, "Imágenes de disco")->required()->type_name("");
  sub.add_flag("--json", orden->json, "Salida en JSON");
  sub.add_flag("--sumas", orden->sumas, "SHA-256 de los datos del disco y de cada archivo");
  OpcionFormato(sub, orden->formato);
  return [orden] {
    Plataforma::ExpandirComodines(orden->imagenes);
    return FormatoConocido(orden->formato) ? EjecutarInfo(*orden) : kSalidaUso;
  };
}

Ejecucion PrepararLs(CLI::App &sub) {
  auto orden = std::make_shared<OrdenLs>();
  sub.add_option("IMAGEN", orden->imagenes, "Imágenes de disco")->required()->type_name("");
  sub.add_flag("-l", orden->opciones.largo,
               "Detalles: usuario, R/O, SYS, bytes, tipo y direcciones");
  sub.add_flag("-a", orden->opciones.todos, "Incluye los archivos de sistema");
  sub.add_flag("--borrados", orden->opciones.borrados, "Lista también las entradas borradas");
  sub.add_flag("--cat", orden->opciones.cat,
               "El catálogo como lo imprime CAT en un CPC, con los códigos de control de los "
               "nombres");
  sub.add_flag("--json", orden->json, "Salida en JSON (todos los archivos, borradas y raras)");
  OpcionFormato(sub, orden->formato);
  return [orden] {
    Plataforma::ExpandirComodines(orden->imagenes);
    return FormatoConocido(orden->formato) ? EjecutarLs(*orden) : kSalidaUso;
  };
}

Ejecucion PrepararGet(CLI::App &sub) {
  auto orden = std::make_shared<OrdenGet>();
  sub.add_option("IMAGEN", orden->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("PATRON", orden->patrones, "Nombres o patrones: *.BAS, 1:JUEGO.*")
      ->required()
      ->type_name("");
  sub.add_option("-o", orden->destino, "Carpeta de destino (por omisión, la actual)")
      ->type_name("DESTINO");
  CLI::Option *crudo =
      sub.add_flag("--raw", orden->crudo, "Bytes tal cual, con la cabecera AMSDOS");
  sub.add_flag("--texto", orden->texto, "Texto hasta su ^Z, con los CR LF pasados a LF")
      ->excludes(crudo);
  sub.add_flag("--force", orden->forzar, "Reemplaza los archivos que ya existan");
  sub.add_flag("--borrados", orden->borrados,
               "Recupera archivos borrados cuyos bloques no ha ocupado otro archivo");
  OpcionFormato(sub, orden->formato);
  return [orden] {
    ExpandirUna(orden->imagen);
    return FormatoConocido(orden->formato) ? EjecutarGet(*orden) : kSalidaUso;
  };
}

Ejecucion PrepararCat(CLI::App &sub) {
  auto orden = std::make_shared<OrdenCat>();
  sub.add_option("IMAGEN", orden->imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("NOMBRE", orden->nombre, "Nombre del archivo (1:JUEGO.BAS si es de otro usuario)")
      ->required()
      ->type_name("");
  sub.add_flag("--raw", orden->crudo, "Los bytes tal cual, con la cabecera AMSDOS");
  CLI::Option *hex = sub.add_flag("--hex", orden->hex, "Volcado hexadecimal, también a un tubo");
  CLI::Option *texto =
      sub.add_flag(
             "--texto", orden->texto,
             "Como texto (BASIC listado; un texto hasta su ^Z, con LF), también a un terminal")
          ->excludes(hex);
  CLI::Option *tipo =
      sub.add_option("--tipo", orden->tipo, "Lo muestra con este visor: " + Ver::NombresVistas())
          ->type_name("VISOR");
  auto z80 = std::make_shared<bool>(false);
  sub.add_flag("--z80", *z80, "Desensambla el código Z80 (como --tipo z80)")->excludes(tipo);
  sub.add_option("--desde", orden->desde,
                 "Dirección donde se carga, para el desensamblado y el volcado (&4000)")
      ->type_name("DIR");
  sub.add_option("--png", orden->png, "Dibuja la pantalla en este archivo PNG")
      ->type_name("ARCHIVO")
      ->excludes(hex)
      ->excludes(texto)
      ->excludes(tipo);
  sub.add_flag("--force", orden->forzar, "Con --png, reemplaza el archivo si ya existe");
  auto modo = std::make_shared<std::string>();
  sub.add_option("--modo", *modo,
                 "Modo de la pantalla: 0, 1 o 2 (por omisión, el del archivo de paleta, o 1)")
      ->type_name("N");
  sub.add_option("--paleta", orden->paleta,
                 "Colores del firmware (0 a 26) de las tintas, \"1,24,20,6\", o un archivo de "
                 "paleta nombrado con su carpeta: ./colores.txt, el .PAL de OCP Art Studio")
      ->type_name("COLORES");
  OpcionFormato(sub, orden->formato);
  return [orden, z80, modo] {
    ExpandirUna(orden->imagen);
    if (*z80) {
      orden->tipo = "z80";
    }
    if (!orden->tipo.empty() && !Ver::VistaPorNombre(orden->tipo)) {
      AvisarError("uso", "visor desconocido: " + orden->tipo + " (" + Ver::NombresVistas() + ")");
      return kSalidaUso;
    }
    if (!orden->desde.empty() &&
        (LeerNumero(orden->desde) < 0 || LeerNumero(orden->desde) > 0xFFFF)) {
      AvisarError("uso", "dirección no válida para --desde: " + orden->desde +
                             " (de &0000 a &FFFF: &4000, 0x4000 o 16384)");
      return kSalidaUso;
    }
    if (!modo->empty()) {
      if (*modo != "0" && *modo != "1" && *modo != "2") {
        AvisarError("uso", "modo no válido: " + *modo + " (0, 1 o 2)");
        return kSalidaUso;
      }
      orden->modo = (*modo)[0] - '0';
    }
    return FormatoConocido(orden->formato) ? EjecutarCat(*orden) : kSalidaUso;
  };
}

Ejecucion PrepararDump(CLI::App &sub) {
  struct Dump {
    OrdenDump orden;
    std::string pista, cara;
  };
  auto d = std::make_shared<Dump>();
  sub.add_option("IMAGEN", d->orden.imagen, "Imagen de disco")->required()->type_name("");
  sub.add_option("PISTA", d->pista, "Pista (desde 0): 3, &03 o 0x03")->required()->type_name("");
  sub.add_option("CARA", d->cara, "Cara (0 o 1)")->required()->type_name("");
  sub.add_option("SECTOR", d->orden.sector, "ID del sector: &C1, 0xC1 o 193")
      ->required()
      ->type_name("");
  OpcionFormato(sub, d->orden.formato);
  return [d] {
    ExpandirUna(d->orden.imagen);
    return LeerPistaYCara(d->pista, d->cara, d->orden) && FormatoConocido(d->orden.formato)
               ? EjecutarDump(d->orden)
               : kSalidaUso;
  };
}

Ejecucion PrepararFind(CLI::App &sub) {
  struct Find {
    OrdenFind orden;
    std::string hilos;
  };
  auto f = std::make_shared<Find>();
  sub.add_option("PATRON", f->orden.patron, "Nombre o patrón: *.BAS, 1:JUEGO.*")
      ->required()
      ->type_name("");
  sub.add_option("CARPETA", f->orden.carpetas, "Carpetas donde buscar *.dsk, o imágenes")
      ->required()
      ->type_name("");
  sub.add_option("-j", f->hilos, "Imágenes leídas a la vez (por omisión, una por núcleo)")
      ->type_name("N");
  sub.add_flag("--json", f->orden.json, "Salida en JSON");
  sub.add_flag("-q,--silencioso", f->orden.silencioso,
               "Calla los archivos que no son imágenes de disco de CPC (solo los cuenta)");
  return [f] {
    if (!f->hilos.empty()) {
      const int n = LeerCantidad(f->hilos);
      if (n <= 0) {
        AvisarError("uso", "valor no válido para -j: " + f->hilos +
                               " (un número de imágenes, mayor que 0)");
        return kSalidaUso;
      }
      f->orden.hilos = static_cast<unsigned>(n);
    }
    return EjecutarFind(f->orden);
  };
}

constexpr std::array kOrdenesLectura{
    DefinicionOrden{"info", "Disposición, creador, formato y pistas de cada imagen", PrepararInfo},
    DefinicionOrden{"ls", "Lista los archivos de cada imagen, como CAT", PrepararLs},
    DefinicionOrden{"get", "Extrae archivos por nombre (comodines y prefijo usuario:)",
                    PrepararGet},
    DefinicionOrden{"cat", "Muestra un archivo como lo que es: BASIC, DAMS, Z80, pantalla, texto",
                    PrepararCat},
    DefinicionOrden{"dump", "Volcado hexadecimal de un sector, buscado por su ID", PrepararDump},
    DefinicionOrden{"find", "Busca archivos en todas las imágenes bajo unas carpetas",
                    PrepararFind},
};

// Every command of the program, in the order the help lists them. Another
// family of commands adds its own table of DefinicionOrden here.
std::vector<DefinicionOrden> Ordenes() {
  std::vector<DefinicionOrden> todas(kOrdenesLectura.begin(), kOrdenesLectura.end());
  const std::span<const DefinicionOrden> escritura = OrdenesDeEscritura();
  todas.insert(todas.end(), escritura.begin(), escritura.end());
  const std::span<const DefinicionOrden> conversion = OrdenesDeConversion();
  todas.insert(todas.end(), conversion.begin(), conversion.end());
  const std::span<const DefinicionOrden> disco = OrdenesDeDisco();
  todas.insert(todas.end(), disco.begin(), disco.end());
  return todas;
}

std::string Lista(std::span<const std::string_view> nombres) {
  std::string s;
  for (const std::string_view n : nombres) {
    s += (s.empty() ? "" : ", ") + std::string(n);
  }
  return s;
}

// An unknown name, with the nearest known one or else the list of them.
std::string Desconocido(const char *que, const std::string &dado,
                        std::span<const std::string_view> conocidos, const char *cuales) {
  const std::string_view cerca = Parecido(dado, conocidos);
  if (!cerca.empty()) {
    return std::string(que) + " desconocida: " + dado + "; ¿quería decir " + std::string(cerca) +
           "?";
  }
  return std::string(que) + " desconocida: " + dado + " (" + cuales + ": " + Lista(conocidos) + ")";
}

std::vector<std::string_view> NombresOpciones(const CLI::App &app,
                                              std::vector<std::string> &guardados) {
  for (const CLI::Option *o : app.get_options()) {
    for (const std::string &s : o->get_snames()) {
      guardados.push_back("-" + s);
    }
    for (const std::string &l : o->get_lnames()) {
      guardados.push_back("--" + l);
    }
  }
  return {guardados.begin(), guardados.end()};
}

std::vector<std::string> Palabras(const std::string &texto) {
  std::vector<std::string> palabras;
  std::size_t i = 0;
  while (i < texto.size()) {
    const std::size_t fin = std::min(texto.find(' ', i), texto.size());
    if (fin > i) {
      palabras.push_back(texto.substr(i, fin - i));
    }
    i = fin + 1;
  }
  return palabras;
}

// What is left over in a command's line: an unknown option, or arguments too many.
std::string TextoSobrantes(const std::string &que, const CLI::App &app,
                           const std::string &nombreOrden) {
  const auto dos = que.find(": ");
  std::vector<std::string> sobran = Palabras(dos == std::string::npos ? que : que.substr(dos + 2));
  std::reverse(sobran.begin(), sobran.end()); // CLI11 names them last first
  for (const std::string &s : sobran) {
    if (s.size() > 1 && s[0] == '-') {
      std::vector<std::string> guardados;
      const auto conocidas = NombresOpciones(app, guardados);
      const std::string cuales =
          nombreOrden.empty() ? "las opciones" : "las opciones de " + nombreOrden;
      return Desconocido("opción", s.substr(0, s.find('=')), conocidas, cuales.c_str());
    }
  }
  std::string lista;
  for (const std::string &s : sobran) {
    lista += (lista.empty() ? "" : " ") + s;
  }
  return (sobran.size() == 1 ? "sobra el argumento " : "sobran los argumentos ") + lista +
         "; pruebe --help";
}

// The one-line Spanish text of a usage error. `sub` is the given command's parser, if any;
// `primero` the first word of the line.
std::string TextoErrorUso(const CLI::ParseError &e, const CLI::App &app, const CLI::App *sub,
                          const char *primero) {
  const std::string que = e.what();
  std::vector<std::string_view> ordenes;
  for (const DefinicionOrden &o : Ordenes()) {
    ordenes.push_back(o.nombre);
  }
  const std::string nombreOrden = sub != nullptr ? sub->get_name() : "";
  if (dynamic_cast<const CLI::ExtrasError *>(&e) != nullptr) {
    return TextoSobrantes(que, sub != nullptr ? *sub : app, nombreOrden);
  }
  if (dynamic_cast<const CLI::RequiredError *>(&e) != nullptr) {
    constexpr std::string_view requerido = " is required";
    if (que.size() > requerido.size() && que.ends_with(requerido) &&
        que.find("ubcommand") == std::string::npos) {
      return "falta " + que.substr(0, que.size() - requerido.size()) + "; pruebe --help";
    }
    if (primero != nullptr && primero[0] == '-') {
      std::vector<std::string> guardados;
      return Desconocido("opción", primero, NombresOpciones(app, guardados), "las opciones");
    }
    if (primero != nullptr) {
      return Desconocido("orden", primero, ordenes, "las órdenes");
    }
    return "falta la orden (" + Lista(ordenes) + "); pruebe --help";
  }
  if (dynamic_cast<const CLI::ExcludesError *>(&e) != nullptr) {
    constexpr std::string_view excluye = " excludes "; // "--ro excludes --rw"
    const auto donde = que.find(excluye);
    if (donde != std::string::npos) {
      return que.substr(0, donde) + " y " + que.substr(donde + excluye.size()) +
             " no pueden ir juntas; pruebe --help";
    }
  }
  const std::string opcion = que.substr(0, que.find(':'));
  if (dynamic_cast<const CLI::ArgumentMismatch *>(&e) != nullptr) {
    // An unquoted &4000 is the shell's: it runs what comes before it in the background.
    const bool direccion = opcion == "--carga" || opcion == "--entrada";
    return "falta el valor de " + opcion +
           (direccion ? " (una dirección; escriba '&4000', entre comillas: sin ellas el shell se "
                        "queda con el &)"
                      : "") +
           "; pruebe --help";
  }
  if (dynamic_cast<const CLI::ConversionError *>(&e) != nullptr ||
      dynamic_cast<const CLI::ValidationError *>(&e) != nullptr) {
    return "valor no válido para " + opcion + "; pruebe --help";
  }
  return "opción o argumento no válido; pruebe --help";
}

// The option of `sub` given an empty value in `argv` ("--png ''"), or
// nothing. CLI11 would take it for no value and leave the default, so that
// cat --png '' sent the raw bytes to standard output. ("--png=" it already
// refuses as a missing value.)
std::string OpcionVacia(const CLI::App &sub, int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") {
      break; // the rest are arguments
    }
    for (const CLI::Option *o : sub.get_options()) {
      if (!o->nonpositional() || o->get_type_size_max() == 0) {
        continue; // an argument, or a flag
      }
      std::vector<std::string> nombres;
      for (const std::string &l : o->get_lnames()) {
        nombres.push_back("--" + l);
      }
      for (const std::string &c : o->get_snames()) {
        nombres.push_back("-" + c);
      }
      for (const std::string &nombre : nombres) {
        if (arg == nombre && i + 1 < argc && *argv[i + 1] == '\0') {
          return nombre;
        }
      }
    }
  }
  return {};
}

CLI::App *AgregarOrden(CLI::App &app, const DefinicionOrden &orden) {
  CLI::App *sub = app.add_subcommand(std::string(orden.nombre), std::string(orden.descripcion));
  sub->group("Órdenes");
  sub->set_help_flag("-h,--help", kAyuda);
  return sub;
}

} // namespace

bool LeerPistaCara(const std::string &pista, const std::string &cara, int &numeroPista,
                   int &numeroCara) {
  numeroPista = LeerNumero(pista);
  numeroCara = LeerNumero(cara);
  if (numeroPista < 0 || numeroPista > 255) {
    AvisarError("uso", "pista no válida: " + pista + " (de 0 a 255: 3, &03 o 0x03)");
    return false;
  }
  if (numeroCara != 0 && numeroCara != 1) {
    AvisarError("uso", "cara no válida: " + cara + " (0 o 1)");
    return false;
  }
  return true;
}

std::string ListaFormatos() {
  const std::vector<std::string_view> nombres = cpm::NombresFormatos();
  return Lista(nombres);
}

bool FormatoConocido(const std::string &formato) {
  if (formato.empty() || cpm::FormatoPorNombre(formato)) {
    return true;
  }
  const std::vector<std::string_view> nombres = cpm::NombresFormatos();
  const std::string_view cerca = Parecido(formato, nombres);
  AvisarError("--formato " + formato,
              "formato desconocido" +
                  (cerca.empty() ? std::string() : "; ¿quería decir " + std::string(cerca) + "?") +
                  "; los conocidos: " + ListaFormatos());
  return false;
}

std::size_t DistanciaEdicion(std::string_view a, std::string_view b) {
  // Optimal string alignment: three rows of the usual table are enough.
  std::vector<std::size_t> dos(b.size() + 1), uno(b.size() + 1), fila(b.size() + 1);
  std::iota(uno.begin(), uno.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    fila[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cambio = a[i - 1] == b[j - 1] ? 0 : 1;
      fila[j] = std::min({uno[j] + 1, fila[j - 1] + 1, uno[j - 1] + cambio});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        fila[j] = std::min(fila[j], dos[j - 2] + 1);
      }
    }
    std::swap(dos, uno);
    std::swap(uno, fila);
  }
  return uno[b.size()];
}

std::string_view Parecido(std::string_view dado, std::span<const std::string_view> conocidos) {
  std::string_view mejor;
  std::size_t menor = 0;
  bool empate = false;
  for (const std::string_view c : conocidos) {
    const std::size_t d = DistanciaEdicion(dado, c);
    if (mejor.empty() || d < menor) {
      mejor = c;
      menor = d;
      empate = false;
    } else if (d == menor && c != mejor) {
      empate = true;
    }
  }
  // Near enough to be a slip: at most two edits, and at most one in three letters.
  if (mejor.empty() || empate || menor == 0 || menor > 2 || menor * 3 > dado.size()) {
    return {};
  }
  return mejor;
}

int Principal(int argc, char **argv) {
  const std::string_view primero = argc > 1 ? argv[1] : "";
  if (argc == 2 && primero == "--version") {
    EscribirSalida(std::string(kVersion) + "\n");
    return kSalidaBien;
  }
  CLI::App app{"Mira dentro de imágenes de disco del Amstrad CPC (*.dsk): lista, extrae, "
               "busca y escribe archivos con una lectura exacta del disco.",
               "alcove-cli"};
  EnEspanol(app);
  app.set_version_flag("--version", std::string(kVersion), "Muestra la versión y termina");
  app.require_subcommand(1);
  // "/ruta/x.dsk" is a path, never an option, on every host.
  app.allow_windows_style_options(false);
  app.footer("Códigos de salida: 0 todo bien; 1 alguna imagen o archivo no se pudo leer o "
             "escribir; 2 error de uso.");

  // Only the given command's parser is built; the help and a mistyped command need them all.
  const std::vector<DefinicionOrden> ordenes = Ordenes();
  const bool conocida = std::any_of(ordenes.begin(), ordenes.end(),
                                    [&](const DefinicionOrden &o) { return o.nombre == primero; });
  std::vector<std::pair<CLI::App *, Ejecucion>> preparadas;
  for (const DefinicionOrden &o : ordenes) {
    if (!conocida || o.nombre == primero) {
      CLI::App *sub = AgregarOrden(app, o);
      preparadas.emplace_back(sub, o.preparar(*sub));
    }
  }

  // Help and version through the program's own output, which a console shows right.
  const auto salir = [&app](const CLI::Error &e) {
    std::ostringstream salida, errores;
    const int codigo = app.exit(e, salida, errores);
    Plataforma::Escribir(Plataforma::Flujo::Salida, salida.str());
    Plataforma::Escribir(Plataforma::Flujo::Errores, errores.str());
    return codigo;
  };
  if (conocida) {
    if (const std::string vacia = OpcionVacia(*preparadas.front().first, argc, argv);
        !vacia.empty()) {
      AvisarError("uso", "valor vacío para " + vacia + "; pruebe --help");
      return kSalidaUso;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &e) {
    return salir(e);
  } catch (const CLI::CallForAllHelp &e) {
    return salir(e);
  } catch (const CLI::CallForVersion &e) {
    return salir(e);
  } catch (const CLI::ParseError &e) {
    const CLI::App *sub = conocida ? preparadas.front().first : nullptr;
    AvisarError("uso", TextoErrorUso(e, app, sub, argc > 1 ? argv[1] : nullptr));
    return kSalidaUso;
  }
  for (const auto &[sub, ejecutar] : preparadas) {
    if (sub->parsed()) {
      return ejecutar();
    }
  }
  return kSalidaUso;
}

} // namespace Cli
