#include "cpm/Comparacion.h"

#include <map>
#include <tuple>

namespace cpm {

using imagenes::PrimeraDistinta;
using imagenes::TextoBytes;
using imagenes::TextoPar;

namespace {

using Clave = std::tuple<std::uint8_t, std::string, std::string>;

std::map<Clave, const Archivo *> PorNombre(const Disco &d) {
  std::map<Clave, const Archivo *> m;
  for (const Archivo &a : d.catalogo.archivos) {
    m.emplace(Clave{a.usuario, a.nombre, a.extension}, &a);
  }
  return m;
}

std::string Atributos(const Archivo &a) {
  std::string t;
  for (const auto &[si, nombre] :
       {std::pair{a.soloLectura, "R/O"}, {a.sistema, "SYS"}, {a.archivado, "archivado"}}) {
    if (si) {
      t += (t.empty() ? "" : " ") + std::string(nombre);
    }
  }
  return t.empty() ? "ningún atributo" : t;
}

} // namespace

ComparacionArchivos CompararArchivos(const Disco &a, const Disco &b,
                                     const imagenes::OpcionesComparacion &o) {
  ComparacionArchivos r;
  const auto anotar = [&](const Archivo &x, const std::string &texto) {
    r.diferencias.push_back({-1, -1, -1, x.NombreConUsuario() + ": " + texto});
  };
  const auto deA = PorNombre(a);
  const auto deB = PorNombre(b);
  for (const auto &[clave, x] : deA) {
    const auto otro = deB.find(clave);
    if (otro == deB.end()) {
      anotar(*x, "solo en " + o.nombreA);
      continue;
    }
    const Archivo &y = *otro->second;
    if (Atributos(*x) != Atributos(y)) {
      anotar(*x, TextoPar(Atributos(*x), Atributos(y), o));
    }
    const Extraido ex = ExtraerArchivo(a, *x, ModoExtraccion::Crudo);
    const Extraido ey = ExtraerArchivo(b, y, ModoExtraccion::Crudo);
    for (const auto &[e, nombre] : {std::pair{&ex, &o.nombreA}, {&ey, &o.nombreB}}) {
      if (!e->completo) {
        r.dudas.push_back(x->NombreConUsuario() + " no se puede leer entero en " + *nombre);
      }
    }
    std::string t = TextoBytes(ex.bytes, ey.bytes, o, "bytes");
    const std::size_t i = PrimeraDistinta(ex.bytes, ey.bytes);
    if (i < TamanoCabeceraAmsdos && i < std::min(ex.bytes.size(), ey.bytes.size()) &&
        (x->cabecera || y.cabecera)) {
      t += " (en la cabecera AMSDOS)";
    }
    if (!t.empty()) {
      anotar(*x, t);
    }
  }
  for (const auto &[clave, y] : deB) {
    if (deA.count(clave) == 0) {
      anotar(*y, "solo en " + o.nombreB);
    }
  }
  return r;
}

} // namespace cpm
