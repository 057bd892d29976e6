#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

// The commands that make and change disks: new, put, rm, ren and attr. Each
// reads the image, has the writing library make the new bytes, and replaces the
// file safely; a refusal leaves the file as it was (exit 1). No question is
// ever asked.
namespace Cli {

struct OrdenNew {
  std::string imagen;
  std::string formato = "data";
  int pistas = 0; // 0: the format's own
  int caras = 0;
  bool extendida = false;
  bool forzar = false;
};
int EjecutarNew(const OrdenNew &orden);

struct OrdenPut {
  std::string imagen;
  std::vector<std::string> archivos;
  int usuario = 0;
  std::string nombre; // the name on the disk, for one file only
  std::string tipo = "auto";
  std::string carga; // addresses as dump takes them: &4000, 0x4000, 16384...
  std::string entrada;
  bool soloLectura = false;
  bool sistema = false;
  bool forzar = false;
};
int EjecutarPut(const OrdenPut &orden);

struct OrdenRm {
  std::string imagen;
  std::vector<std::string> patrones;
  bool forzar = false;
};
int EjecutarRm(const OrdenRm &orden);

struct OrdenRen {
  std::string imagen;
  std::string viejo;
  std::string nuevo;
};
int EjecutarRen(const OrdenRen &orden);

struct OrdenAttr {
  std::string imagen;
  std::vector<std::string> patrones;
  bool ro = false, rw = false, sys = false, dir = false, arc = false, noArc = false;
};
int EjecutarAttr(const OrdenAttr &orden);

// What the parsers of the writing commands fill, and which one was given.
struct OrdenesEscritura {
  OrdenNew nuevo;
  OrdenPut put;
  OrdenRm rm;
  OrdenRen ren;
  OrdenAttr attr;
  std::vector<std::pair<CLI::App *, int (*)(const OrdenesEscritura &)>> parsers;
};

// Makes a subcommand the way the program makes all of them.
using CrearOrden = CLI::App *(*)(CLI::App &app, const char *nombre, const char *descripcion);

// Adds the five commands to `app`, their options filling `ordenes`.
void RegistrarOrdenesEscritura(CLI::App &app, CrearOrden crear, OrdenesEscritura &ordenes);

// The exit code of the writing command given; nothing when another was given.
std::optional<int> EjecutarOrdenEscritura(const OrdenesEscritura &ordenes);

} // namespace Cli
