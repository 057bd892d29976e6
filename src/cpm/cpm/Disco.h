#pragma once

#include "cpm/Catalogo.h"
#include "cpm/Extraccion.h"
#include "cpm/Formatos.h"
#include "cpm/Patron.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Fuente.h"
#include "imagenes/Problema.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The whole reading of a disk in one call, and the loader of a host file.
namespace cpm {

struct OpcionesLectura {
  std::string formato;             // empty: detect it; otherwise a name of NombresFormatos()
  Alcance alcance = Alcance::Todo; // of the catalogue's reading
};

struct Disco {
  imagenes::Contenedor contenedor;
  std::optional<Formato> formato; // nothing: not told, and no catalogue read
  std::string motivoFormato;
  Catalogo catalogo;
  imagenes::Problemas problemas; // every problem of the three steps, in order
};

// Reads container, format and catalogue. The Disco points into `bytes`, which
// must outlive it.
Disco LeerDisco(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones = {});
// The same over a container already read (one made for an image of another
// kind, say: cpm/Imagen.h), whose bytes must outlive the Disco.
Disco LeerDisco(imagenes::Contenedor contenedor, const OpcionesLectura &opciones = {});

// The catalogue read by name only (Alcance::SoloNombres) from the first bytes
// of an image file `tamanoArchivo` bytes long: the same files, names and sizes
// LeerDisco gives for the whole file. Nothing when those bytes cannot tell:
// the header is refused, track 0 or a catalogue sector is not among them or
// cannot be read, no format is found, or the file is larger than any image.
// The whole reading then says what is wrong. With a pattern, only the files
// it matches get their header and length; the others keep `longitudSabida`
// false, and cost only their names.
std::optional<Catalogo> LeerNombres(std::span<const std::uint8_t> principio,
                                    std::uintmax_t tamanoArchivo, const Patron *patron = nullptr);

// The files matching a pattern, in catalogue order (user, then name).
std::vector<const Archivo *> Buscar(const Disco &disco, const Patron &patron);
std::vector<const Archivo *> Buscar(const std::vector<Archivo> &archivos, const Patron &patron);
// Extracts one file of the disk; a disk without a format gives nothing and a problem.
Extraido ExtraerArchivo(const Disco &disco, const Archivo &archivo, ModoExtraccion modo);

struct Carga {
  std::vector<std::uint8_t> bytes;
  std::optional<std::string> error; // in Spanish, with the path
};
Carga CargarArchivo(const std::filesystem::path &ruta,
                    std::uintmax_t limite = imagenes::TamanoMaximoArchivo);

} // namespace cpm
