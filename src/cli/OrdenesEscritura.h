#pragma once

#include "cli/Programa.h"
#include "cpm/Escritura.h"
#include "cpm/Imagen.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// The commands that make and change disks: new, put, rm, unrm, ren, attr and header. Each
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
  std::optional<std::string> carga; // addresses as dump takes them: &4000, 0x4000, 16384...
  std::optional<std::string> entrada;
  bool crudo = false; // the bytes as they are: a text's LF not made CR LF
  bool soloLectura = false;
  bool sistema = false;
  bool forzar = false;
};
int EjecutarPut(const OrdenPut &orden);

struct OrdenRm {
  std::string imagen;
  std::vector<std::string> patrones;
  bool forzar = false;
  bool todos = false; // a pattern without N: may name files of several users
};
int EjecutarRm(const OrdenRm &orden);

// Deleted files back on the disk, as rm left them, under `usuario`.
struct OrdenUnrm {
  std::string imagen;
  std::vector<std::string> patrones;
  int usuario = 0;
};
int EjecutarUnrm(const OrdenUnrm &orden);

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

struct OrdenHeader {
  std::string imagen;
  std::string archivo;
  cpm::CambioCabecera cambio; // the fields given
  bool poner = false;         // a new header in front of a file that has none
  bool quitar = false;        // the header taken off
};
// Without a change, says what the file's header holds.
int EjecutarHeader(const OrdenHeader &orden);

// A write of the library put over the image read (opened to be changed) as
// the commands here do it: a refusal or a failure said on standard error,
// exit 1, the file as it was.
int GuardarImagen(const cpm::Imagen &imagen, const cpm::Escrito &escrito);

// The seven commands, in the order the help lists them after the reading ones.
std::span<const DefinicionOrden> OrdenesDeEscritura();

} // namespace Cli
