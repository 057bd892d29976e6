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
  Auto,    // the bytes as they are, with their own AMSDOS header if they have one
  Binario, // behind a new binary header
  Basic,   // behind a new BASIC header (load &0170)
  Ascii,   // the bytes as they are, never with a header of ours
};

// The host file `ruta` read whole for a disk; empty, or why not (Spanish).
std::string LeerArchivoParaPoner(const std::string &ruta, std::vector<std::uint8_t> &bytes);

// The name a host file takes on the disk when none is given: its own, the part
// after the last separator, under `usuario`. A ':' in a host file's name is
// refused, never taken as a user prefix. Nothing, with `error` set, for a name
// CP/M cannot hold.
std::optional<NombreCpm> NombreDeArchivoHost(const std::string &ruta, std::uint8_t usuario,
                                             std::string *error = nullptr);

// The bytes that go on the disk for a host file's `bytes`.
std::vector<std::uint8_t> ContenidoParaPoner(TipoPoner tipo, const NombreCpm &nombre,
                                             std::vector<std::uint8_t> bytes,
                                             std::uint16_t carga = 0, std::uint16_t entrada = 0);

} // namespace cpm
