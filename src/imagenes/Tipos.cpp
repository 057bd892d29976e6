#include "imagenes/Tipos.h"

#include "disk/CpcEmu.h"
#include "imagenes/Bytes.h"
#include "imagenes/Crudo.h"
#include "imagenes/Dsk.h"
#include "imagenes/Hfe.h"

#include <algorithm>

namespace imagenes {
namespace {

bool Empieza(std::span<const std::uint8_t> b, std::string_view prefijo) {
  return b.size() >= prefijo.size() && std::equal(prefijo.begin(), prefijo.end(), b.begin());
}

Lectura LeerDskEn(std::span<const std::uint8_t> bytes, const OpcionesLectura &) {
  return LeerDsk(bytes);
}

// One row a kind. Adding a kind read from its own file: that file, and a row.
constexpr Tipo Tabla[]{
    {"extendido",
     "DSK extendido",
     cpcemu::NombreExtendida,
     "DSK",
     {"dsk", ""},
     cpcemu::LargoFirma,
     cpcemu::PosCreador,
     cpcemu::LargoCreador,
     [](std::span<const std::uint8_t> b) { return Empieza(b, cpcemu::InicioExtendida); },
     LeerDskEn,
     [](const Superficie &s, const OpcionesLectura &, std::string &error) {
       return EscribirExtendida(s, &error);
     },
     nullptr,
     true,
     false,
     "estandar"},
    {"estandar",
     "DSK estándar",
     cpcemu::NombreEstandar,
     "DSK",
     {"dsk", ""},
     cpcemu::LargoFirma,
     cpcemu::PosCreador,
     cpcemu::LargoCreador,
     [](std::span<const std::uint8_t> b) { return Empieza(b, cpcemu::InicioEstandar); },
     LeerDskEn,
     [](const Superficie &s, const OpcionesLectura &, std::string &error) {
       return EscribirEstandar(s, &error);
     },
     LimitesEstandar,
     true,
     false,
     "extendido"},
    {"hfe",
     "HFE v1",
     "HFE v1",
     "HFE",
     {"hfe", ""},
     FirmaHfe.size(),
     0,
     0,
     EsHfe,
     [](std::span<const std::uint8_t> b, const OpcionesLectura &) { return LeerHfe(b); },
     [](const Superficie &s, const OpcionesLectura &, std::string &) {
       return std::optional<std::vector<std::uint8_t>>(EscribirHfe(s));
     },
     LimitesHfe,
     false,
     false,
     "extendido"},
    {"raw",
     "volcado crudo",
     "volcado crudo",
     "",
     {"raw", "img"},
     0,
     0,
     0,
     nullptr,
     [](std::span<const std::uint8_t> b, const OpcionesLectura &o) {
       return LeerCrudo(b, *o.geometria, o.version);
     },
     [](const Superficie &s, const OpcionesLectura &o, std::string &) {
       return std::optional<std::vector<std::uint8_t>>(EscribirCrudo(s, *o.geometria));
     },
     nullptr,
     false,
     true,
     "estandar"},
};

char Minuscula(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The extension of a file name, lower case; empty when it has none (".dsk" alone has none).
std::string Extension(std::string_view ruta) {
  const auto punto = ruta.find_last_of('.');
  const auto barra = ruta.find_last_of("/\\");
  if (punto == std::string_view::npos || punto == 0 ||
      (barra != std::string_view::npos && punto <= barra + 1)) {
    return {};
  }
  std::string e(ruta.substr(punto + 1));
  std::transform(e.begin(), e.end(), e.begin(), Minuscula);
  return e;
}

} // namespace

std::span<const Tipo> Tipos() { return Tabla; }

const Tipo *TipoPorNombre(std::string_view nombre) {
  for (const Tipo &t : Tabla) {
    if (t.nombre == nombre) {
      return &t;
    }
  }
  return nullptr;
}

const Tipo *TipoDeBytes(std::span<const std::uint8_t> bytes) {
  for (const Tipo &t : Tabla) {
    if (t.reconocer != nullptr && t.reconocer(bytes)) {
      return &t;
    }
  }
  return nullptr;
}

const Tipo *TipoConGeometria() {
  for (const Tipo &t : Tabla) {
    if (t.conGeometria) {
      return &t;
    }
  }
  return nullptr;
}

std::vector<const Tipo *> TiposPorExtension(std::string_view ruta) {
  const std::string e = Extension(ruta);
  std::vector<const Tipo *> tipos;
  for (const Tipo &t : Tabla) {
    if (!e.empty() &&
        std::find(t.extensiones.begin(), t.extensiones.end(), e) != t.extensiones.end()) {
      tipos.push_back(&t);
    }
  }
  return tipos;
}

bool EsNombreDeImagen(std::string_view nombre) {
  const auto tipos = TiposPorExtension(nombre);
  return std::any_of(tipos.begin(), tipos.end(),
                     [](const Tipo *t) { return t->reconocer != nullptr; });
}

std::vector<std::string_view> ExtensionesDeImagen() {
  std::vector<std::string_view> v;
  for (const Tipo &t : Tabla) {
    for (const std::string_view e : t.extensiones) {
      if (t.reconocer != nullptr && !e.empty() && std::find(v.begin(), v.end(), e) == v.end()) {
        v.push_back(e);
      }
    }
  }
  return v;
}

std::vector<std::string_view> Familias() {
  std::vector<std::string_view> v;
  for (const Tipo &t : Tabla) {
    if (t.reconocer != nullptr && std::find(v.begin(), v.end(), t.familia) == v.end()) {
      v.push_back(t.familia);
    }
  }
  return v;
}

std::string NingunTipo() {
  const std::vector<std::string_view> familias = Familias();
  std::string texto = "no es una imagen";
  for (std::size_t i = 0; i < familias.size(); ++i) {
    texto += i == 0 ? " " : i + 1 == familias.size() ? " ni " : ", ";
    texto += familias[i];
  }
  return texto;
}

Pistas LeerPistas(std::span<const std::uint8_t> bytes, const OpcionesLectura &o) {
  Pistas p;
  p.tipo = TipoDeBytes(bytes);
  if (p.tipo == nullptr && o.geometria != nullptr) {
    p.tipo = TipoConGeometria();
  }
  if (p.tipo == nullptr || p.tipo->enSitio) {
    // Without a signature, the reading of a DSK says what is wrong.
    p.contenedor = LeerContenedor(bytes);
    if (!p.contenedor.valido) {
      p.error = MotivoNoDsk(p.contenedor);
    }
    return p;
  }
  Lectura l = p.tipo->leer(bytes, o);
  if (!l.disco) {
    p.error = l.error;
    p.contenedor.problemas = std::move(l.problemas);
    return p;
  }
  // The image made says what it was made from, for whoever lists it as it
  // is (the window's list of a folder).
  if (CreadorVacio(l.disco->creador)) {
    l.disco->creador = CampoCreador(p.tipo->descripcion);
  }
  std::string motivo;
  std::optional<std::vector<std::uint8_t>> hecha = EscribirExtendida(*l.disco, &motivo);
  if (!hecha) {
    p.error = "no se puede leer entera: " + motivo;
    return p;
  }
  p.hecha = std::move(*hecha);
  p.contenedor = LeerContenedor(p.hecha);
  Contenedor &c = p.contenedor;
  c.tipo = p.tipo->disposicion;
  c.firmaBytes = bytes::Tramo(bytes, 0, p.tipo->largoFirma);
  c.creadorBytes = bytes::Tramo(bytes, p.tipo->posCreador, p.tipo->largoCreador);
  c.firma = TextoCampo(c.firmaBytes);
  c.creador = TextoCampo(c.creadorBytes);
  // Offsets in the image made mean nothing in the file.
  for (Problema &x : c.problemas) {
    x.lugar.desplazamiento = -1;
  }
  c.problemas.insert(c.problemas.begin(), l.problemas.begin(), l.problemas.end());
  return p;
}

} // namespace imagenes
