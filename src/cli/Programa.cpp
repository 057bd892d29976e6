#include "cli/Programa.h"

#include "cli/Imagen.h"
#include "cli/Ordenes.h"
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

// The one-line Spanish text of a usage error.
std::string TextoErrorUso(const CLI::ParseError &e) {
  const std::string que = e.what();
  if (dynamic_cast<const CLI::RequiredError *>(&e) != nullptr) {
    return "falta un argumento obligatorio (" + que + ")";
  }
  if (dynamic_cast<const CLI::ExtrasError *>(&e) != nullptr) {
    return "argumentos de más (" + que + ")";
  }
  if (dynamic_cast<const CLI::ConversionError *>(&e) != nullptr ||
      dynamic_cast<const CLI::ValidationError *>(&e) != nullptr) {
    return "valor no válido (" + que + ")";
  }
  return "uso incorrecto (" + que + "); pruebe --help";
}

} // namespace

int Principal(int argc, char **argv) {
  CLI::App app{"Mira dentro de imágenes de disco del Amstrad CPC (*.dsk): lista, extrae y "
               "busca archivos con una lectura exacta del disco.",
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
  cDump->add_option("PISTA", dump.pista, "Pista (desde 0)")
      ->required()
      ->type_name("")
      ->check(CLI::NonNegativeNumber);
  cDump->add_option("CARA", dump.cara, "Cara (0 o 1)")
      ->required()
      ->type_name("")
      ->check(CLI::Range(0, 1));
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

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp &e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion &e) {
    return app.exit(e);
  } catch (const CLI::ParseError &e) {
    AvisarError("uso", TextoErrorUso(e));
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
    return EjecutarDump(dump);
  return EjecutarFind(find);
}

} // namespace Cli
