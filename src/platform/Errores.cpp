#include "platform/Errores.h"

namespace Errores {

std::string Mensaje(std::int16_t numero) {
  switch (numero) {
  case Ninguno: return "Sin error";
  case ArgumentoNoValido: return "Argumento no válido";
  case MemoriaInsuficiente: return "Memoria insuficiente";
  case SubindiceFueraDeIntervalo: return "Subíndice fuera del intervalo";
  case NumeroArchivoIncorrecto: return "Nombre o número de archivo incorrecto";
  case ArchivoNoEncontrado: return "No se ha encontrado el archivo";
  case ModoArchivoIncorrecto: return "Modo de archivo incorrecto";
  case ArchivoYaAbierto: return "El archivo ya está abierto";
  case ErrorEntradaSalida: return "Error de E/S en el dispositivo";
  case ArchivoYaExiste: return "El archivo ya existe";
  case DiscoLleno: return "Disco lleno";
  case PosicionIncorrecta: return "Posición incorrecta";
  case NombreArchivoIncorrecto: return "Nombre de archivo incorrecto";
  case DemasiadosArchivos: return "Demasiados archivos abiertos";
  case PermisoDenegado: return "Permiso denegado";
  case DiscoNoPreparado: return "El disco no está preparado";
  case OtraUnidad: return "No se puede mover a otra unidad";
  case ErrorAccesoRuta: return "Error de acceso a la ruta o al archivo";
  case RutaNoEncontrada: return "No se ha encontrado la ruta de acceso";
  default: return "Error " + std::to_string(numero);
  }
}

std::string TrasDosPuntos(std::string frase) {
  // The sentences start with a plain ASCII capital ("El", "La", "Solo").
  if (!frase.empty() && frase[0] >= 'A' && frase[0] <= 'Z') {
    frase[0] = static_cast<char>(frase[0] - 'A' + 'a');
  }
  return frase;
}

} // namespace Errores

ErrorAlcove::ErrorAlcove(std::int16_t numero) : ErrorAlcove(numero, Errores::Mensaje(numero)) {}

ErrorAlcove::ErrorAlcove(std::int16_t numero, const std::string &mensaje)
    : std::runtime_error(mensaje), numero_(numero) {}

void LanzarError(std::int16_t numero) { throw ErrorAlcove(numero); }

void LanzarErrorHost(int codigoHost) { throw ErrorAlcove(Errores::DesdeHost(codigoHost)); }
