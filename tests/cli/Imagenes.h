#pragma once

#include "Generador.h"

#include <cstdint>
#include <string>
#include <vector>

// Files for generated images: AMSDOS headers and contents.

// A file's content with a valid 128-byte AMSDOS header in front.
inline std::vector<std::uint8_t> ConCabecera(const std::string &nombre11, std::uint8_t tipo,
                                             std::uint16_t carga, std::uint16_t entrada,
                                             const std::vector<std::uint8_t> &contenido) {
  std::vector<std::uint8_t> b(128, 0);
  for (std::size_t i = 0; i < 11; ++i) {
    b[1 + i] = i < nombre11.size() ? static_cast<std::uint8_t>(nombre11[i]) : ' ';
  }
  const auto largo = static_cast<std::uint32_t>(contenido.size());
  b[18] = tipo;
  b[21] = carga & 0xFF;
  b[22] = carga >> 8;
  b[24] = largo & 0xFF;
  b[25] = (largo >> 8) & 0xFF;
  b[26] = entrada & 0xFF;
  b[27] = entrada >> 8;
  b[64] = largo & 0xFF;
  b[65] = (largo >> 8) & 0xFF;
  b[66] = (largo >> 16) & 0xFF;
  unsigned suma = 0;
  for (int i = 0; i <= 66; ++i) {
    suma += b[i];
  }
  b[67] = suma & 0xFF;
  b[68] = (suma >> 8) & 0xFF;
  b.insert(b.end(), contenido.begin(), contenido.end());
  return b;
}

inline std::vector<std::uint8_t> Patron(std::size_t largo, std::uint8_t semilla) {
  std::vector<std::uint8_t> v(largo);
  for (std::size_t i = 0; i < largo; ++i) {
    v[i] = static_cast<std::uint8_t>(i * 7 + semilla + (i >> 8));
  }
  return v;
}

inline std::vector<std::uint8_t> Bytes(const std::string &texto) {
  return {texto.begin(), texto.end()};
}

// A DATA disk holding GAME.BIN, a 5000-byte binary with its header (loaded at
// `carga`): the disk the conversion tests start from, each adding what it is
// about.
inline Generador::DiscoCpm DiscoConJuego(std::uint16_t carga = 0x4000) {
  Generador::DiscoCpm d(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  d.Agregar({0,
             "GAME",
             "BIN",
             false,
             false,
             false,
             ConCabecera("GAME    BIN", 2, carga, 0x4000, Patron(5000, 1)),
             {},
             0});
  return d;
}

// What the generator leaves after a file's last byte in its last record.
inline std::vector<std::uint8_t> HastaRegistro(std::vector<std::uint8_t> v) {
  v.resize((v.size() + 127) / 128 * 128, 0xE5);
  return v;
}
