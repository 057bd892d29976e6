#pragma once

#include "Generador.h"
#include "cpm/Disco.h"

#include <algorithm>
#include <string>
#include <vector>

// A disk read from its own bytes; the bytes live as long as the reading.
struct Leido {
  std::vector<std::uint8_t> bytes;
  cpm::Disco disco;

  explicit Leido(std::vector<std::uint8_t> b, const std::string &formato = "")
      : bytes(std::move(b)), disco(cpm::LeerDisco(bytes, {formato})) {}
  Leido(const Leido &) = delete;
  Leido &operator=(const Leido &) = delete;

  // The file "user:NAME.EXT"; nullptr when there is none.
  [[nodiscard]] const cpm::Archivo *Archivo(int usuario, const std::string &nombre) const {
    for (const cpm::Archivo &a : disco.catalogo.archivos) {
      if (a.usuario == usuario && a.NombreCompleto() == nombre) {
        return &a;
      }
    }
    return nullptr;
  }
  [[nodiscard]] std::vector<std::uint8_t> Extraer(int usuario, const std::string &nombre,
                                                  cpm::ModoExtraccion modo) const {
    const cpm::Archivo *a = Archivo(usuario, nombre);
    return a == nullptr ? std::vector<std::uint8_t>{} : cpm::ExtraerArchivo(disco, *a, modo).bytes;
  }
  [[nodiscard]] bool Hay(imagenes::TipoProblema tipo) const {
    return std::any_of(disco.problemas.begin(), disco.problemas.end(),
                       [tipo](const imagenes::Problema &p) { return p.tipo == tipo; });
  }
};

inline std::vector<std::uint8_t> Datos(std::size_t largo, std::uint8_t semilla) {
  return Generador::ContenidoPrueba(largo, semilla);
}

// `datos` rounded up to whole 128-byte records: what a CP/M disk holds.
inline std::vector<std::uint8_t> EnRegistros(std::vector<std::uint8_t> datos) {
  datos.resize((datos.size() + 127) / 128 * 128, 0xE5);
  return datos;
}

inline const std::vector<int> &Intercalado() {
  static const std::vector<int> orden{0, 5, 1, 6, 2, 7, 3, 8, 4};
  return orden;
}
