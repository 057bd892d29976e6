// One size for each file, whoever shows it: find, ls -l and ls --json give the
// byte count that get writes, on every disk the generator makes (its seeds of
// every format and hard case) and on the layouts that once disagreed.
#include "Comun.h"
#include "Imagenes.h"
#include "Proceso.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Generador::ArchivoCpm;
using Generador::DiscoCpm;
using nlohmann::json;

// "0:NAME.EXT", as the patterns of get write a file of one user.
std::string Clave(int usuario, const std::string &nombre, const std::string &ext) {
  return std::to_string(usuario) + ":" + nombre + (ext.empty() ? "." : "." + ext);
}

std::map<std::string, std::uint64_t> PorJson(const std::string &imagen) {
  const Resultado r = EjecutarCli({"ls", "--json", imagen});
  std::map<std::string, std::uint64_t> tamanos;
  const json imagen0 = json::parse(r.salida).at("imagenes").at(0);
  if (!imagen0.contains("archivos")) {
    return tamanos; // a disk of no known format
  }
  for (const json &a : imagen0.at("archivos")) {
    tamanos[Clave(a.at("usuario"), a.at("nombre"), a.at("extension"))] = a.at("longitud");
  }
  return tamanos;
}

// find's lines: image, user, name, bytes.
std::map<std::string, std::uint64_t> PorFind(const std::string &imagen) {
  std::map<std::string, std::uint64_t> tamanos;
  for (const std::string &linea : Lineas(EjecutarCli({"find", "*.*", imagen}).salida)) {
    std::istringstream campos(linea);
    std::string ruta, usuario, nombre, bytes;
    std::getline(campos, ruta, '\t');
    std::getline(campos, usuario, '\t');
    std::getline(campos, nombre, '\t');
    std::getline(campos, bytes, '\t');
    const auto punto = nombre.find('.');
    tamanos[Clave(std::stoi(usuario), nombre.substr(0, punto),
                  punto == std::string::npos ? "" : nombre.substr(punto + 1))] = std::stoull(bytes);
  }
  return tamanos;
}

// ls -l's rows: user, name padded to 8, ".EXT", three flags, KB, bytes.
std::map<std::string, std::uint64_t> PorLs(const std::string &imagen) {
  std::map<std::string, std::uint64_t> tamanos;
  const std::vector<std::string> lineas = Lineas(EjecutarCli({"ls", "-l", "-a", imagen}).salida);
  for (std::size_t i = 1; i + 1 < lineas.size(); ++i) {
    const std::string &l = lineas[i];
    if (l.size() < 17 || l[12] != '.') {
      continue;
    }
    std::string nombre = l.substr(4, 8);
    nombre.erase(nombre.find_last_not_of(' ') + 1);
    std::string ext = l.substr(13, 3);
    ext.erase(ext.find_last_not_of(' ') + 1);
    std::istringstream resto(l.substr(17));
    std::string ro, sys, arc, kb;
    std::uint64_t bytes = 0;
    resto >> ro >> sys >> arc >> kb >> bytes;
    tamanos[Clave(std::stoi(l.substr(0, 3)), nombre, ext)] = bytes;
  }
  return tamanos;
}

// What get writes of each file, one file at a time into a folder of its own.
std::map<std::string, std::uint64_t> PorGet(const std::string &imagen,
                                            const std::vector<std::string> &claves,
                                            const std::filesystem::path &carpeta) {
  std::map<std::string, std::uint64_t> tamanos;
  int n = 0;
  for (const std::string &clave : claves) {
    const std::filesystem::path destino = carpeta / std::to_string(n++);
    std::filesystem::create_directories(destino);
    (void)EjecutarCli({"get", "-o", Utf8(destino), imagen, clave});
    std::uint64_t bytes = 0;
    for (const auto &f : std::filesystem::directory_iterator(destino)) {
      bytes += std::filesystem::file_size(f.path());
    }
    tamanos[clave] = bytes;
  }
  return tamanos;
}

std::vector<std::uint8_t> Contenido(std::size_t largo, std::uint8_t semilla) {
  return Patron(largo, semilla);
}

// The layouts that once disagreed, beside the generator's seeds.
void EscribirCasos(const std::filesystem::path &carpeta) {
  const auto archivo = [](const std::string &nombre, std::vector<std::uint8_t> datos) {
    ArchivoCpm a;
    a.nombre = nombre;
    a.ext = "BIN";
    a.datos = std::move(datos);
    return a;
  };
  // cpmtools (cpcdata, "os 3") keeps the bytes of the last record.
  ArchivoCpm exacto = archivo("EXACTO", Contenido(20000, 1));
  exacto.bytesUltimo = 20000 % 128;
  Escribir(Utf8(carpeta / "cpmtools.dsk"),
           DiscoCpm(Generador::GeometriaData()).Agregar(exacto).Bytes());
  // A file whose blocks run past the image's last track, as on a disk
  // imaged with fewer tracks than it was formatted with.
  constexpr std::size_t pistas = 4, porPista = 256 + 9 * 512;
  std::vector<std::uint8_t> corto = DiscoCpm(Generador::GeometriaData())
                                        .Agregar(archivo("CORTO", Contenido(4000, 2)))
                                        .Agregar(archivo("STUDIO", Contenido(32768, 3)))
                                        .Bytes();
  corto.resize(256 + pistas * porPista);
  corto[0x30] = pistas;
  Escribir(Utf8(carpeta / "corto.dsk"), corto);
  // Headers that say more, or less, than the records hold.
  Escribir(Utf8(carpeta / "cabeceras.dsk"),
           DiscoCpm(Generador::GeometriaData())
               .Agregar(archivo("MAS", ConCabecera("MAS     BIN", 2, 0x4000, 0, Contenido(900, 4))))
               .Agregar(archivo("MENOS",
                                [] {
                                  auto d =
                                      ConCabecera("MENOS   BIN", 2, 0x4000, 0, Contenido(4992, 5));
                                  d.resize(d.size() - 3000);
                                  return d;
                                }()))
               .Bytes());
}

TEST(TamanoUnico, FindLsJsonYGetDicenLoMismo) {
  CarpetaTemporal dir;
  const std::filesystem::path imagenes = dir.Ruta() / "imagenes";
  std::filesystem::create_directories(imagenes);
  Generador::GenerarSemillasCpm(imagenes);
  EscribirCasos(imagenes);
  int archivos = 0;
  for (const auto &f : std::filesystem::directory_iterator(imagenes)) {
    const std::string imagen = Utf8(f.path());
    SCOPED_TRACE(imagen);
    const auto porJson = PorJson(imagen);
    std::vector<std::string> claves;
    for (const auto &[clave, bytes] : porJson) {
      claves.push_back(clave);
    }
    EXPECT_EQ(PorFind(imagen), porJson);
    EXPECT_EQ(PorLs(imagen), porJson);
    EXPECT_EQ(PorGet(imagen, claves, dir.Ruta() / "get" / f.path().filename()), porJson);
    archivos += static_cast<int>(porJson.size());
  }
  EXPECT_GE(archivos, 25); // the listings were read, not all empty
}

} // namespace
