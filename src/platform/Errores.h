#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Every failure the program reports carries one of these numbers. They keep the
// numbering of the BASIC run-time errors the CPC crowd already knows, and all of
// them fit in 16 bits, so the file utilities can hand them back as results.
namespace Errores {
inline constexpr std::int16_t Ninguno = 0;
inline constexpr std::int16_t ArgumentoNoValido = 5;
inline constexpr std::int16_t MemoriaInsuficiente = 7;
inline constexpr std::int16_t SubindiceFueraDeIntervalo = 9;
inline constexpr std::int16_t NumeroArchivoIncorrecto = 52;
inline constexpr std::int16_t ArchivoNoEncontrado = 53;
inline constexpr std::int16_t ModoArchivoIncorrecto = 54;
inline constexpr std::int16_t ArchivoYaAbierto = 55;
inline constexpr std::int16_t ErrorEntradaSalida = 57;
inline constexpr std::int16_t ArchivoYaExiste = 58;
inline constexpr std::int16_t DiscoLleno = 61;
inline constexpr std::int16_t PosicionIncorrecta = 63;
inline constexpr std::int16_t NombreArchivoIncorrecto = 64;
inline constexpr std::int16_t DemasiadosArchivos = 67;
inline constexpr std::int16_t PermisoDenegado = 70;
inline constexpr std::int16_t DiscoNoPreparado = 71;
inline constexpr std::int16_t OtraUnidad = 74;
inline constexpr std::int16_t ErrorAccesoRuta = 75;
inline constexpr std::int16_t RutaNoEncontrada = 76;

// The Spanish text shown to the user for a number; unknown numbers get a generic text.
std::string Mensaje(std::int16_t numero);
// A sentence (Mensaje's, the reader's) with its capital lowered, to follow a
// colon in a message: "archivo: no se ha encontrado el archivo".
std::string TrasDosPuntos(std::string frase);

// Number for a host error code (errno on POSIX hosts).
std::int16_t DesdeHost(int codigoHost);
} // namespace Errores

// The one exception type of the program: a number and a message for the user.
class ErrorAlcove : public std::runtime_error {
public:
  explicit ErrorAlcove(std::int16_t numero);
  ErrorAlcove(std::int16_t numero, const std::string &mensaje);

  [[nodiscard]] std::int16_t Numero() const noexcept { return numero_; }

private:
  std::int16_t numero_ = 0;
};

[[noreturn]] void LanzarError(std::int16_t numero);
[[noreturn]] void LanzarErrorHost(int codigoHost);
