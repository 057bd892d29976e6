#pragma once

#include "cli/Programa.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// Below the files: check (and mend) a disk, and change its tracks and sectors.
namespace Cli {

struct OrdenCheck {
  std::vector<std::string> imagenes;
  bool json = false;
  bool reparar = false;
};
// 0 every image clean (after the repair, with --reparar); 1 findings left;
// 2 an image that cannot be read.
int EjecutarCheck(const OrdenCheck &orden);

struct OrdenSector {
  std::string imagen;
  int pista = 0;
  int cara = 0;
  int id = 0;
  std::optional<std::vector<std::uint8_t>> datos; // from --datos ARCHIVO or --hex
  std::string archivoDatos;                       // where they came from, for the message
  std::size_t desde = 0;
  int copia = 0; // 0 the first
  std::optional<int> st1, st2, n, copias;
  std::optional<std::size_t> guardados;
};
int EjecutarSector(const OrdenSector &orden);

struct OrdenTrack {
  std::string imagen;
  int pista = 0;
  int cara = 0;
  std::optional<std::vector<std::uint8_t>> ids; // --formatear
  int n = 2;
  int gap = 0x4E;
  int relleno = 0xE5;
  std::optional<int> c, h;
  bool sinFormato = false;
  std::string exportar, importar; // files
  bool reemplazar = false;        // --exportar over an existing file
};
int EjecutarTrack(const OrdenTrack &orden);

// The three commands, in the order the help lists them.
std::span<const DefinicionOrden> OrdenesDeDisco();

// Bytes written in hex: "E5 E5 00", "e5e500", "E5,E5,00"; nothing when a
// character is not a hex digit or a digit is left without its pair.
std::optional<std::vector<std::uint8_t>> LeerHex(const std::string &texto);
// Sector IDs as dump takes one, separated by commas, with ranges:
// "&C1,&C6,&C2" or "&C1-&C9"; nothing when one is not an ID (0..255).
std::optional<std::vector<std::uint8_t>> LeerIds(const std::string &texto);

} // namespace Cli
