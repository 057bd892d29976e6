#include "gestion/Contenido.h"

#include "ver/Hex.h"

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
                           std::optional<Ver::Vista> vista, const Pintura &pintura) {
  const cpm::Extraido e = cpm::ExtraerArchivo(disco, archivo, ModoVer(archivo));
  Contenido c;
  c.titulo = archivo.NombreConUsuario();
  c.vista = vista.value_or(Ver::ElegirVista(archivo, e.bytes));
  const Ver::FilaVista &fila = Ver::FilaDeVista(c.vista);
  Ver::Listado listado;
  if (fila.listar != nullptr) {
    Ver::Memoria memoria;
    if (archivo.cabecera) {
      memoria = {archivo.cabecera->carga, archivo.cabecera->entrada, true};
    }
    listado = fila.listar(e.bytes, memoria);
  } else {
    Ver::Pantalla p = Ver::PintarPantalla(e.bytes, pintura.modo, pintura.paleta);
    c.imagen = std::move(p.imagen);
    listado.parcial = p.parcial;
    listado.nota = p.nota;
  }
  c.texto = TextoVisible(Bytes(listado.texto));
  if (!listado.nota.empty())
    Agregar(c.nota, listado.parcial ? "listado interrumpido: " + listado.nota : listado.nota);
  if (!e.completo) {
    Agregar(c.nota,
            "archivo incompleto: " + (e.problemas.empty() ? std::string("no se puede leer entero")
                                                          : e.problemas.front().texto));
  }
  return c;
}

PaletasDelDisco Paletas(const cpm::Disco &disco, const cpm::Archivo &pantalla) {
  PaletasDelDisco r;
  for (const cpm::Archivo &a : disco.catalogo.archivos) {
    const bool pal = a.extension.size() == 3 && (a.extension[0] | 0x20) == 'p' &&
                     (a.extension[1] | 0x20) == 'a' && (a.extension[2] | 0x20) == 'l';
    if (!pal)
      continue;
    const cpm::Extraido e = cpm::ExtraerArchivo(disco, a, ModoVer(a));
    std::string error;
    if (const auto paleta = Ver::LeerArchivoPaleta(e.bytes, error)) {
      if (a.usuario == pantalla.usuario && a.nombre == pantalla.nombre)
        r.suya = r.archivos.size();
      r.archivos.push_back(&a);
      r.paletas.push_back(*paleta);
    }
  }
  if (!r.suya && r.archivos.size() == 1)
    r.suya = 0;
  return r;
}

Contenido ContenidoDesconocido(const EntradaCruda &entrada, int ranura, const std::string &motivo) {
  Contenido c;
  c.titulo = TextoEntrada(entrada);
  c.texto = "La lectura exacta del disco no tiene este archivo: " + motivo + ".\n\n" + "Entrada " +
            std::to_string(ranura) + " del catálogo:\n\n" + Ver::VolcadoHex(entrada);
  c.nota = "entrada desconocida";
  return c;
}

} // namespace Gestion
