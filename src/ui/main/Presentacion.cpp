#include "ui/main/Presentacion.h"

#include "ui/controles/Texto.h"

#include <algorithm>

namespace Presentacion {

std::string TextoKB(std::uint8_t Registros) {
  std::string texto = std::to_string(Registros >> 3);
  if (texto == "0")
    texto = "1";
  return std::string(4 - std::min<std::size_t>(4, texto.size()), ' ') + texto;
}

int IndiceIcono(const std::string &ext, const std::vector<std::string> &claves) {
  const auto desconocido = std::find(claves.begin(), claves.end(), "Unknow");
  int indice = desconocido == claves.end() ? 0 : static_cast<int>(desconocido - claves.begin()) + 1;
  const auto propia = std::find(claves.begin(), claves.end(), ext);
  if (propia != claves.end())
    indice = static_cast<int>(propia - claves.begin()) + 1;
  return indice;
}

std::vector<FilaCatalogo> FilasCatalogo(const CabeceraDisco &cabecera,
                                        const std::vector<std::string> &claves) {
  std::vector<FilaCatalogo> filas;
  for (int i = 0; i < CabeceraDisco::EntradasCatalogo; ++i) {
    const EntradaDir &entrada = cabecera.Entradas[static_cast<std::size_t>(i)];
    if (entrada.Estado == EstadoEntrada::NoUsada || entrada.Estado == EstadoEntrada::NombreNoValido)
      continue;
    // One byte is one character: cut the bytes, then make them text.
    const std::string &nombre = entrada.Nombre;
    FilaCatalogo fila;
    fila.Nombre = Texto::DesdeBytesDisco(nombre.substr(0, 8));
    fila.Ext =
        Texto::DesdeBytesDisco(nombre.size() > 3 ? nombre.substr(nombre.size() - 3) : nombre);
    fila.Icono = IndiceIcono(fila.Ext, claves);
    fila.KB = TextoKB(entrada.Registros);
    filas.push_back(std::move(fila));
  }
  return filas;
}

TextosEstado EstadoInicial() { return {"Disco", "Formato Imagen", "Pistas / Caras", ""}; }

std::string TextoFormato(std::int32_t Formato) {
  switch (Formato) {
  case FormatoImagen::Estandar: return " MV-CPC EMU ";
  case FormatoImagen::Extendido: return " EXTENDED-CPC DSK ";
  default: return {};
  }
}

std::string TextoPistasCaras(std::uint8_t Pistas, std::uint8_t Caras) {
  return " T:" + std::to_string(Pistas) + " S:" + std::to_string(Caras) + " ";
}

TextosEstado EstadoDisco(const std::string &NombreCFichero, const CabeceraDisco &cabecera) {
  return {Texto::DesdeNombreHost(NombreCFichero), TextoFormato(cabecera.Formato),
          TextoPistasCaras(cabecera.Pistas, cabecera.Caras),
          Texto::DesdeBytesDisco(cabecera.Creador)};
}

} // namespace Presentacion
