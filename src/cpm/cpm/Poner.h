#pragma once

#include "cpm/Escritura.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a host file becomes on a disk: the rule of alcove-cli's put, shared by
// every program that puts files on disks (the window's drops among them).
namespace cpm {

enum class TipoPoner {
  Auto,    // with their own AMSDOS header if they have one; a BASIC text going to a .BAS
           // name as Basic; plainly ASCII text as Ascii
  Binario, // behind a new binary header
  Basic,   // behind a new BASIC header (load &0170); a program typed as text tokenised first
  Ascii,   // text: line ends made CR LF, never with a header of ours
};

// The host file `ruta` read whole for a disk; empty, or why not (Spanish).
std::string LeerArchivoParaPoner(const std::string &ruta, std::vector<std::uint8_t> &bytes);

// The name a host file takes on the disk when none is given: its own, the part
// after the last separator, under `usuario`. A ':' in a host file's name is
// refused, never taken as a user prefix. Nothing, with `error` set, for a name
// CP/M cannot hold.
std::optional<NombreCpm> NombreDeArchivoHost(const std::string &ruta, std::uint8_t usuario,
                                             std::string *error = nullptr);

// What goes on the disk for a host file's `bytes`, and what was done to them.
struct ParaPoner {
  std::vector<std::uint8_t> contenido;
  bool cabeceraAnadida = false;
  std::size_t lineasCpm = 0;   // LF line ends given their CR
  std::size_t lineasBasic = 0; // lines of a BASIC text tokenised
  std::string rechazo;         // empty, or why the header asked for cannot hold the file, or the
                               // line of a BASIC text the CPC would refuse
  std::string nota;            // what auto did not do and why: a BASIC text kept as text
};
// The CPC and CP/M end a line with CR LF: a text gets them, unless `exacto`
// keeps every byte as it is. A BASIC text is plainly ASCII text whose lines
// all start with a line number; Basic tokenises it as the CPC would (or
// refuses it, saying the line and why), and so does Auto when the file goes
// to a name ending in .BAS and `exacto` is not asked (a text the CPC would
// refuse stays a text then, and `nota` says why).
ParaPoner ContenidoParaPoner(TipoPoner tipo, const NombreCpm &nombre,
                             std::vector<std::uint8_t> bytes, std::uint16_t carga = 0,
                             std::uint16_t entrada = 0, bool exacto = false);

} // namespace cpm
