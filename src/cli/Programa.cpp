#include "cli/Programa.h"

#include "cli/Imagen.h"
#include "cli/Ordenes.h"
#include "cli/OrdenesEscritura.h"
#include "cpm/Formatos.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace Cli {
namespace {

constexpr const char *kVersion = "alcove-cli 0.1";

// CLI11 speaks English; its headings are labels we can replace.
void EnEspanol(CLI::App &app) {
  auto formato = std::make_shared<CLI::Formatter>();
  for (const auto &[clave, texto] : {std::pair{"Usage", "Uso"},
                                     {"OPTIONS", "OPCIONES"},
                                     {"SUBCOMMAND", "ORDEN"},
                                     {"SUBCOMMANDS", "ORDENES"},
                                     {"Positionals", "Argumentos"},
                                     {"REQUIRED", "OBLIGATORIO"},
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
  app.set_help_flag("-h,--help", "Muestra esta ayuda y termina");
}

CLI::App *Orden(CLI::App &app, const char *nombre, const char *descripcion) {
  CLI::App *sub = app.add_subcommand(nombre, descripcion);
  sub->group("Órdenes");
  sub->set_help_flag("-h,--help", "Muestra esta ayuda y termina");
  return sub;
}

void OpcionFormato(CLI::App *sub, std::string &formato) {
  sub->add_option("--formato", formato,
                  "Lee el disco con este formato en lugar de deducirlo (data, system, ibm, "
                  "plus3, ...)")
      ->type_name("NOMBRE");
}

std::string Conocidos() {
  std::string s;
  for (const std::string_view nombre : cpm::NombresFormatos()) {
    s += (s.empty() ? "" : ", ") + std::string(nombre);
  }
  return s;
}

constexpr std::string_view kOrdenes = "info, ls, get, cat, dump, find, new, put, rm, ren, attr";

// What CLI11 names in its English texts: "X is required", "...: X Y".
std::string TrasDosPuntos(const std::string &texto) {
  const auto dos = texto.find(": ");
  return dos == std::string::npos ? texto : texto.substr(dos + 2);
}
std::string AntesDeDosPuntos(const std::string &texto) { return texto.substr(0, texto.find(':')); }

// The one-line Spanish text of a usage error; `primero` is the first word given.
std::string TextoErrorUso(const CLI::ParseError &e, const char *primero) {
  const std::string que = e.what();
  if (dynamic_cast<const CLI::RequiredError *>(&e) != nullptr) {
    constexpr std::string_view requerido = " is required";
    if (que.size() > requerido.size() && que.ends_with(requerido) &&
        que.find("ubcommand") == std::string::npos) {
      return "falta " + que.substr(0, que.size() - requerido.size()) + "; pruebe --help";
    }
    if (primero != nullptr && primero[0] != '-') {
      return "orden desconocida: " + std::string(primero) +
             " (las órdenes: " + std::string(kOrdenes) + ")";
    }
    return "falta la orden (" + std::string(kOrdenes) + "); pruebe --help";
  }
  if (dynamic_cast<const CLI::ExtrasError *>(&e) != nullptr) {
    return "argumentos de más: " + TrasDosPuntos(que);
  }
  if (dynamic_cast<const CLI::ExcludesError *>(&e) != nullptr) {
    constexpr std::string_view excluye = " excludes "; // "--ro excludes --rw"
    const auto donde = que.find(excluye);
    if (donde != std::string::npos) {
      return que.substr(0, donde) + " y " + que.substr(donde + excluye.size()) +
             " no pueden ir juntas; pruebe --help";
    }
  }
  if (dynamic_cast<const CLI::ConversionError *>(&e) != nullptr ||
      dynamic_cast<const CLI::ValidationError *>(&e) != nullptr) {
    return "valor no válido para " + AntesDeDosPuntos(que) + "; pruebe --help";
  }
  return "opción o argumento no válido: " + TrasDosPuntos(que) + "; pruebe --help";
}

// Track and side take the same forms as the sector ID (3, &03, 0x03, 03h).
bool LeerPistaYCara(const std::string &pista, const std::string &cara, OrdenDump &dump) {
  dump.pista = LeerNumero(pista);
  dump.cara = LeerNumero(cara);
  if (dump.pista < 0 || dump.pista > 255) {
    AvisarError("uso", "pista no válida: " + pista + " (de 0 a 255: 3, &03 o 0x03)");
    return false;
  }
  if (dump.cara != 0 && dump.cara != 1) {
    AvisarError("uso", "cara no válida: " + cara + " (0 o 1)");
    return false;
  }
  return true;
}

} // namespace

int Principal(int argc, char **argv) {
  CLI::App app{"Mira dentro de imágenes de disco del Amstrad CPC (*.dsk): lista, extrae, "
               "busca y escribe archivos con una lectura exacta del disco.",
               "alcove-cli"};
  EnEspanol(app);
  app.set_version_flag("--version", kVersion, "Muestra la versión y termina");
  app.require_subcommand(1);
  app.footer("Códigos de salida: 0 todo bien; 1 alguna entrada no se pudo leer o escribir; "
             "2 error de uso.");

  OrdenInfo info;
  CLI::App *cInfo = Orden(app, "info", "Disposición, creador, formato y pistas de cada imagen");
  cInfo->add_option("IMAGEN", info.imagenes, "Imágenes de disco")->required()->type_name("");
  cInfo->add_flag("--json", info.json, "Salida en JSON");
  OpcionFormato(cInfo, info.formato);

  OrdenLs ls;
  CLI::App *cLs = Orden(app, "ls", "Lista los archivos de cada imagen, como CAT");
  cLs->add_option("IMAGEN", ls.imagenes, "Imágenes de disco")->required()->type_name("");
  cLs->add_flag("-l", ls.opciones.largo, "Detalles: usuario, R/O, SYS, bytes, tipo y direcciones");
  cLs->add_flag("-a", ls.opciones.todos, "Incluye los archivos de sistema");
  cLs->add_flag("--borrados", ls.opciones.borrados, "Lista también las entradas borradas");
  cLs->add_flag("--json", ls.json, "Salida en JSON (todos los archivos, borradas y raras)");
  OpcionFormato(cLs, ls.formato);

  OrdenGet get;
  CLI::App *cGet = Orden(app, "get", "Extrae archivos por nombre (comodines y prefijo usuario:)");
  cGet->add_option("IMAGEN", get.imagen, "Imagen de disco")->required()->type_name("");
  cGet->add_option("PATRON", get.patrones, "Nombres o patrones: *.BAS, 1:JUEGO.*")
      ->required()
      ->type_name("");
  cGet->add_option("-o", get.destino, "Carpeta de destino (por omisión, la actual)")
      ->type_name("DESTINO");
  cGet->add_flag("--raw", get.crudo, "Bytes tal cual, con la cabecera AMSDOS");
  cGet->add_flag("--force", get.forzar, "Reemplaza los archivos que ya existan");
  OpcionFormato(cGet, get.formato);

  OrdenCat cat;
  CLI::App *cCat = Orden(app, "cat", "Escribe el contenido de un archivo (BASIC como LIST)");
  cCat->add_option("IMAGEN", cat.imagen, "Imagen de disco")->required()->type_name("");
  cCat->add_option("NOMBRE", cat.nombre, "Archivo, con usuario: si hace falta")
      ->required()
      ->type_name("");
  cCat->add_flag("--raw", cat.crudo, "Siempre los bytes, con la cabecera AMSDOS");
  OpcionFormato(cCat, cat.formato);

  OrdenDump dump;
  CLI::App *cDump = Orden(app, "dump", "Volcado hexadecimal de un sector, buscado por su ID");
  cDump->add_option("IMAGEN", dump.imagen, "Imagen de disco")->required()->type_name("");
  std::string pista, cara;
  cDump->add_option("PISTA", pista, "Pista (desde 0): 3, &03 o 0x03")->required()->type_name("");
  cDump->add_option("CARA", cara, "Cara (0 o 1)")->required()->type_name("");
  cDump->add_option("SECTOR", dump.sector, "ID del sector: &C1, 0xC1 o 193")
      ->required()
      ->type_name("");

  OrdenFind find;
  CLI::App *cFind = Orden(app, "find", "Busca archivos en todas las imágenes bajo unas carpetas");
  cFind->add_option("PATRON", find.patron, "Nombre o patrón: *.BAS, 1:JUEGO.*")
      ->required()
      ->type_name("");
  cFind->add_option("CARPETA", find.carpetas, "Carpetas donde buscar *.dsk")
      ->required()
      ->type_name("");
  cFind->add_option("-j", find.hilos, "Imágenes leídas a la vez (por omisión, una por núcleo)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  cFind->add_flag("--json", find.json, "Salida en JSON");

  OrdenesEscritura escritura;
  RegistrarOrdenesEscritura(app, Orden, escritura);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp &e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion &e) {
    return app.exit(e);
  } catch (const CLI::ParseError &e) {
    AvisarError("uso", TextoErrorUso(e, argc > 1 ? argv[1] : nullptr));
    return kSalidaUso;
  }
  for (const std::string *formato : {&info.formato, &ls.formato, &get.formato, &cat.formato}) {
    if (!formato->empty() && !cpm::FormatoPorNombre(*formato)) {
      AvisarError("--formato " + *formato, "formato desconocido; los conocidos: " + Conocidos());
      return kSalidaUso;
    }
  }
  if (cInfo->parsed())
    return EjecutarInfo(info);
  if (cLs->parsed())
    return EjecutarLs(ls);
  if (cGet->parsed())
    return EjecutarGet(get);
  if (cCat->parsed())
    return EjecutarCat(cat);
  if (cDump->parsed())
    return LeerPistaYCara(pista, cara, dump) ? EjecutarDump(dump) : kSalidaUso;
  if (const auto salida = EjecutarOrdenEscritura(escritura))
    return *salida;
  return EjecutarFind(find);
}

} // namespace Cli
