#include "gestion/Contenido.h"

#include "ver/Basic.h"
#include "ver/Hex.h"
#include "ver/Texto.h"

namespace Gestion {
namespace {

std::span<const std::uint8_t> Bytes(const std::string &s) {
  return {reinterpret_cast<const std::uint8_t *>(s.data()), s.size()};
}

// "file" mode needs a valid header; a file without one is its own content.
cpm::ModoExtraccion ModoVer(const cpm::Archivo &a) {
  return a.cabecera ? cpm::ModoExtraccion::Archivo : cpm::ModoExtraccion::Crudo;
}

void Agregar(std::string &nota, const std::string &frase) {
  nota += (nota.empty() ? "" : "; ") + frase;
}

} // namespace

std::string TituloVista(Ver::Vista vista) {
  switch (vista) {
  case Ver::Vista::Basic: return "BASIC";
  case Ver::Vista::BasicProtegido: return "BASIC protegido";
  case Ver::Vista::Dams: return "DAMS";
  case Ver::Vista::Z80: return "Z80";
  case Ver::Vista::Pantalla: return "Pantalla";
  case Ver::Vista::Texto: return "Texto";
  case Ver::Vista::Hex: return "Hexadecimal";
  }
  return "Hexadecimal";
}

std::string TextoVisible(std::span<const std::uint8_t> bytes) {
  std::string s;
  s.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t c = bytes[i];
    if (c == '\r') {
      s += '\n';
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
        ++i;
    } else if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
      s += static_cast<char>(c);
    } else if (c >= 0xA0) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += '.';
    }
  }
  return s;
}

std::vector<Ver::Vista> VistasPosibles(Ver::Vista propia) {
  std::vector<Ver::Vista> vistas{propia};
  for (const Ver::Vista otra : {Ver::Vista::Texto, Ver::Vista::Hex}) {
    if (otra != propia)
      vistas.push_back(otra);
  }
  return vistas;
}

Contenido ContenidoArchivo(const cpm::Disco &disco, const cpm::Archivo &archivo,
                           std::optional<Ver::Vista> vista) {
  const cpm::Extraido e = cpm::ExtraerArchivo(disco, archivo, ModoVer(archivo));
  Contenido c;
  c.titulo = NombreConUsuario(archivo);
  c.vista = vista.value_or(Ver::ElegirVista(archivo, e.bytes));
  const std::uint32_t direccion = archivo.cabecera ? archivo.cabecera->carga : 0;
  switch (c.vista) {
  case Ver::Vista::Basic: {
    const Ver::ListadoBasic listado = Ver::ListarBasic(e.bytes);
    c.texto = TextoVisible(Bytes(listado.texto));
    if (!listado.nota.empty())
      Agregar(c.nota, "listado interrumpido: " + listado.nota);
    break;
  }
  case Ver::Vista::Texto:
    // CP/M text ends at ^Z; a file with a header has its exact length.
    c.texto = TextoVisible(archivo.cabecera ? std::span<const std::uint8_t>(e.bytes)
                                            : Ver::HastaFinDeTexto(e.bytes));
    break;
  case Ver::Vista::BasicProtegido:
    // Ciphered: named, then dumped, never listed.
    Agregar(c.nota, "programa BASIC protegido");
    c.texto = Ver::VolcadoHex(e.bytes, direccion);
    break;
  // The screen, DAMS and Z80 viewers are dumps until their decoders are in the
  // viewers' library; a screen's picture then goes into c.imagen.
  case Ver::Vista::Pantalla:
  case Ver::Vista::Dams:
  case Ver::Vista::Z80:
  case Ver::Vista::Hex: c.texto = Ver::VolcadoHex(e.bytes, direccion); break;
  }
  if (!e.completo) {
    Agregar(c.nota,
            "archivo incompleto: " + (e.problemas.empty() ? std::string("no se puede leer entero")
                                                          : e.problemas.front().texto));
  }
  return c;
}

Contenido ContenidoDesconocido(const EntradaCruda &entrada, int ranura, const std::string &motivo) {
  Contenido c;
  c.titulo = TextoEntrada(entrada);
  c.texto = "La lectura exacta del disco no tiene este archivo: " + motivo + ".\n\n" + "Entrada " +
            std::to_string(ranura) + " del catálogo en la posición fija (byte " +
            std::to_string(PosCatalogoFijo + static_cast<std::size_t>(ranura) * LargoEntrada) +
            " de la imagen):\n\n" + Ver::VolcadoHex(entrada);
  c.nota = "entrada desconocida";
  return c;
}

} // namespace Gestion
