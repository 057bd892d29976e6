#include "ui/main/Presentacion.h"

#include "cpm/Catalogo.h"
#include "cpm/Formatos.h"
#include "disk/Formato.h"
#include "imagenes/Contenedor.h"
#include "ui/controles/Texto.h"

#include <algorithm>

namespace Presentacion {
namespace {

constexpr std::uint8_t BitAtributo = 0x80;
constexpr std::size_t LargoNombre = 8;

// The character the listing takes for a name byte: its seven bits, a carriage
// return or line feed as a blank.
char Caracter(std::uint8_t b) { return Formato::ByteATexto(b & 0x7F); }

} // namespace

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

std::vector<EntradaCatalogo> EntradasDeImagen(std::span<const std::uint8_t> imagen) {
  std::vector<std::uint8_t> bytes;
  const imagenes::Contenedor disco = imagenes::LeerContenedor(imagen);
  std::optional<cpm::Formato> formato;
  if (disco.valido)
    formato = cpm::DetectarFormato(disco).formato;
  if (formato) {
    bytes = cpm::LeerEntradasCatalogo(disco, *formato);
  } else {
    // No format: the fixed place, as the disk object reads it.
    bytes.assign(Formato::BytesLeidos - Formato::PosCatalogo, 0);
    if (imagen.size() > Formato::PosCatalogo)
      std::copy_n(imagen.begin() + static_cast<std::ptrdiff_t>(Formato::PosCatalogo),
                  std::min(bytes.size(), imagen.size() - Formato::PosCatalogo), bytes.begin());
  }
  std::vector<EntradaCatalogo> entradas(bytes.size() / Formato::LargoEntrada);
  for (std::size_t i = 0; i < entradas.size(); ++i) {
    entradas[i].Indice = static_cast<int>(i);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(i * Formato::LargoEntrada),
                Formato::LargoEntrada, entradas[i].Bytes.begin());
  }
  return entradas;
}

std::string TextoAtributos(const EntradaCatalogo &entrada) {
  const std::uint8_t usuario = entrada.Bytes[Formato::EntUsuario];
  std::string texto;
  const auto poner = [&texto](bool puesto, const std::string &nombre) {
    if (puesto)
      texto += (texto.empty() ? "" : " ") + nombre;
  };
  poner((entrada.Bytes[Formato::EntExt1] & BitAtributo) != 0, "R/O");
  poner((entrada.Bytes[Formato::EntExt2] & BitAtributo) != 0, "SYS");
  poner(usuario != 0, "U" + std::to_string(usuario));
  return texto;
}

std::vector<FilaCatalogo> FilasCatalogo(const std::vector<EntradaCatalogo> &entradas,
                                        const std::vector<std::string> &claves) {
  std::vector<FilaCatalogo> filas;
  for (const EntradaCatalogo &entrada : entradas) {
    // The name test looks at seven bits: the top ones are attributes.
    std::string nombre(Formato::LargoNombre, ' ');
    bool aceptado = true;
    for (std::size_t k = 0; k < Formato::LargoNombre; ++k) {
      nombre[k] = Caracter(entrada.Bytes[Formato::EntNombre + k]);
      // Every printable character, as the exact reader takes names: real
      // disks name files "#BURN.BAS" or "'PLOT.O".
      aceptado = aceptado && nombre[k] >= ' ' && nombre[k] < 0x7F;
    }
    if (Formato::EstadoDeEntrada(aceptado, entrada.Bytes[Formato::EntUsuario]) !=
        EstadoEntrada::EnUso)
      continue;
    FilaCatalogo fila;
    fila.Nombre = Texto::DesdeBytesDisco(nombre.substr(0, LargoNombre));
    fila.Ext = Texto::DesdeBytesDisco(nombre.substr(LargoNombre));
    fila.Icono = IndiceIcono(fila.Ext, claves);
    fila.KB = TextoKB(entrada.Bytes[Formato::EntRegistros]);
    fila.Attrib = TextoAtributos(entrada);
    fila.Entrada = entrada;
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
