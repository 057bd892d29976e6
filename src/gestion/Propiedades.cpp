#include "gestion/Propiedades.h"

#include "gestion/Entrada.h"

#include "cpm/Proteccion.h"

#include <cstdio>
#include <set>

namespace Gestion {
namespace {

std::string Hex4(std::uint16_t valor) {
  char texto[8];
  std::snprintf(texto, sizeof texto, "&%04X", valor);
  return texto;
}

std::string Linea(const char *campo, const std::string &valor) {
  std::string s = campo;
  s += ':';
  // Padded by characters, not bytes: "Ejecución" is one byte longer in UTF-8.
  std::size_t letras = 0;
  for (const char c : s)
    letras += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  s.append(letras < 14 ? 14 - letras : 1, ' ');
  return s + valor + "\n";
}

std::string Atributos(const cpm::Archivo &a) {
  std::string s;
  const auto poner = [&s](bool si, const char *nombre) {
    if (si)
      s += (s.empty() ? "" : ", ") + std::string(nombre);
  };
  poner(a.soloLectura, "solo lectura");
  poner(a.sistema, "oculto (de sistema)");
  poner(a.archivado, "archivado");
  return s.empty() ? "ninguno" : s;
}

std::string Bloques(const cpm::Archivo &a, int tamanoBloque) {
  std::string lista;
  std::size_t n = 0;
  for (const cpm::Extension &e : a.extensiones) {
    for (const int b : e.bloques) {
      lista += (n++ == 0 ? "" : ", ") + std::to_string(b);
    }
  }
  if (n == 0)
    return "ninguno";
  return Cuenta(n, "bloque", "bloques") + " de " + std::to_string(tamanoBloque) +
         " bytes: " + lista;
}

cpm::Veredicto VeredictoDe(const cpm::Disco &disco) {
  return cpm::JuzgarProteccion(disco.contenedor);
}

} // namespace

std::string TextoPropiedadesDisco(const std::string &ruta, std::string_view disposicion,
                                  const cpm::Disco &disco) {
  const cpm::Contenedor &c = disco.contenedor;
  std::string s = Linea("Imagen", ruta);
  s += Linea("Disposición", std::string(disposicion));
  s += Linea("Pistas", std::to_string(c.pistas) + ", " +
                           Cuenta(static_cast<std::size_t>(c.caras), "cara", "caras"));
  s += Linea("Formato", disco.formato ? std::string(disco.formato->nombre) + " (" +
                                            std::string(disco.formato->descripcion) + ")"
                                      : "desconocido");
  const cpm::Veredicto v = VeredictoDe(disco);
  s += Linea("Protección", cpm::TextoVeredicto(v));
  return s + cpm::TextoPruebas(v, "  ");
}

std::string LineaProteccion(const cpm::Disco &disco) {
  return "Protección anticopia: " + cpm::TextoVeredicto(VeredictoDe(disco));
}

std::string Cuenta(std::size_t n, const char *uno, const char *varios) {
  return std::to_string(n) + " " + (n == 1 ? uno : varios);
}

std::string TextoPropiedades(const cpm::Disco &disco, const cpm::Archivo &a) {
  std::string s = Linea("Archivo", a.NombreCompleto());
  s += Linea("Usuario", std::to_string(a.usuario));
  if (a.cabecera) {
    const cpm::CabeceraAmsdos &c = *a.cabecera;
    char tipo[48];
    std::snprintf(tipo, sizeof tipo, "%s (&%02X)", std::string(cpm::NombreTipo(c.tipo)).c_str(),
                  c.tipoCrudo);
    s += Linea("Tipo AMSDOS", tipo);
    s += Linea("Carga", Hex4(c.carga));
    s += Linea("Ejecución", Hex4(c.entrada));
  } else {
    s += Linea("Tipo AMSDOS", "sin cabecera");
  }
  s += Linea("Longitud",
             Cuenta(a.longitud, "byte", "bytes") + (a.cabecera ? " (sin la cabecera)" : ""));
  s += Linea("En el disco", Cuenta(a.tamano, "byte", "bytes"));
  s += Linea("Atributos", Atributos(a));
  s += Linea("Entradas",
             Cuenta(a.extensiones.size(), "entrada del catálogo", "entradas del catálogo"));
  s += Linea("Bloques", Bloques(a, disco.formato ? disco.formato->tamanoBloque : 0));
  if (!a.completo)
    s += Linea("Estado", "incompleto: parte de sus bytes no se puede leer");
  return s;
}

} // namespace Gestion
