#pragma once

#include "cpm/Catalogo.h"
#include "cpm/Contenedor.h"
#include "cpm/Extraccion.h"
#include "cpm/Formatos.h"
#include "cpm/Patron.h"
#include "cpm/Problema.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The whole reading of a disk in one call, and the loader of a host file.
namespace cpm {

struct OpcionesLectura {
  std::string formato; // empty: detect it; otherwise a name of NombresFormatos()
};

struct Disco {
  Contenedor contenedor;
  std::optional<Formato> formato; // nothing: not told, and no catalogue read
  std::string motivoFormato;
  Catalogo catalogo;
  Problemas problemas; // every problem of the three steps, in order
};

// Reads container, format and catalogue. The Disco points into `bytes`, which
// must outlive it.
Disco LeerDisco(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones = {});

// The files matching a pattern, in catalogue order (user, then name).
std::vector<const Archivo *> Buscar(const Disco &disco, const Patron &patron);
std::vector<const Archivo *> Buscar(const std::vector<Archivo> &archivos, const Patron &patron);
// Extracts one file of the disk; a disk without a format gives nothing and a problem.
Extraido ExtraerArchivo(const Disco &disco, const Archivo &archivo, ModoExtraccion modo);

// No real disk image comes near this; anything larger is refused unread.
constexpr std::uintmax_t TamanoMaximoArchivo = 16u * 1024u * 1024u;

struct Carga {
  std::vector<std::uint8_t> bytes;
  std::optional<std::string> error; // in Spanish, with the path
};
Carga CargarArchivo(const std::filesystem::path &ruta, std::uintmax_t limite = TamanoMaximoArchivo);

} // namespace cpm
