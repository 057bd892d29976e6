#pragma once

#include <array>
#include <cstdint>
#include <string>

// Records shared by the disk object, the file utilities and the windows. Texts
// hold one byte per character (the CPC's own single-byte set); a zero byte is an
// ordinary character. Booleans are -1 for true and 0 for false.

using Booleano = std::int16_t;
inline constexpr Booleano Verdadero = -1;
inline constexpr Booleano Falso = 0;

// One catalogue entry as read from the image.
struct EntradaDir {
  std::uint8_t Usuario = 0;
  std::string Nombre; // 8 name characters then 3 extension characters
  std::uint8_t S2 = 0;
  std::uint8_t Registros = 0; // 128-byte records in this extent
  std::array<std::uint8_t, 16> Bloques{};
  std::int32_t MarcaExt1 = 0;
  std::int32_t MarcaExt2 = 0;
  std::int32_t Estado = 0; // EstadoEntrada::EnUso, NoUsada or NombreNoValido

  friend bool operator==(const EntradaDir &, const EntradaDir &) = default;
};

namespace EstadoEntrada {
inline constexpr std::int32_t EnUso = 0;
inline constexpr std::int32_t NoUsada = 32;
inline constexpr std::int32_t NombreNoValido = 64;
} // namespace EstadoEntrada

namespace FormatoImagen {
inline constexpr std::int32_t Ninguno = 0;
inline constexpr std::int32_t Estandar = 1;
inline constexpr std::int32_t Extendido = 2;
} // namespace FormatoImagen

// What loading learned of an image: layout, creator, counts and catalogue.
struct CabeceraDisco {
  static constexpr int EntradasCatalogo = 64;

  std::int32_t Formato = 0;
  std::string Creador;
  std::uint8_t Pistas = 0;
  std::uint8_t Caras = 0;
  std::array<EntradaDir, EntradasCatalogo + 1> Entradas{}; // slot 64 is never filled

  friend bool operator==(const CabeceraDisco &, const CabeceraDisco &) = default;
};

// What the file utilities tell of one host file.
struct DatosFichero {
  Booleano Existe = Falso;
  Booleano Archivo = Falso;
  Booleano Comprimido = Falso;
  Booleano Directorio = Falso;
  Booleano Oculto = Falso;
  Booleano Normal = Falso;
  Booleano SinConexion = Falso;
  Booleano SoloLectura = Falso;
  Booleano Sistema = Falso;
  Booleano Temporal = Falso;
  double FechaCreacion = 0; // days since 30 December 1899, local time
  double FechaAcceso = 0;
  double FechaModificacion = 0;
  std::int32_t Tamano = 0;
  std::string Nombre;

  friend bool operator==(const DatosFichero &, const DatosFichero &) = default;
};
