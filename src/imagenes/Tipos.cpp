#include "imagenes/Tipos.h"

#include "disk/CpcEmu.h"
#include "imagenes/Bytes.h"
#include "imagenes/Crudo.h"
#include "imagenes/Dsk.h"
#include "imagenes/Fuente.h"
#include "imagenes/Hfe.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>

namespace imagenes {

// The kinds only read, each in its own file: flux and bitstream dumps.
bool EsScp(std::span<const std::uint8_t> bytes);
Lectura LeerScp(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones);
Lectura LeerScpArchivo(const std::string &ruta, const OpcionesLectura &opciones);
bool EsHfeV3(std::span<const std::uint8_t> bytes);
Lectura LeerHfeV3(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones);
bool EsRutaKryoFlux(const std::string &ruta);
bool EsNombreKryoFlux(std::string_view nombre);
Lectura LeerKryoFlux(std::span<const std::uint8_t> bytes, const OpcionesLectura &opciones);
Lectura LeerKryoFluxArchivo(const std::string &ruta, const OpcionesLectura &opciones);

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
     [](std::span<const std::uint8_t> b) { return Empieza(b, FirmaHfe); },
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
    // Flux and bitstream dumps, only read: a .dsk made of one is extended,
    // which keeps the copies of weak sectors.
    {"scp",
     "SCP",
     "SCP",
     "SCP",
     {"scp", ""},
     3, // "SCP"
     0,
     0,
     EsScp,
     LeerScp,
     nullptr,
     nullptr,
     false,
     false,
     "extendido",
     LeerScpArchivo},
    {"hfe3",
     "HFE v3",
     "HFE v3",
     "HFE",
     {"hfe", ""},
     FirmaHfe.size(), // "HXCHFEV3"
     0,
     0,
     EsHfeV3,
     LeerHfeV3,
     nullptr,
     nullptr,
     false,
     false,
     "extendido"},
    {"kryoflux",
     "KryoFlux",
     "KryoFlux",
     "KryoFlux",
     {"raw", ""},
     0,
     0,
     0,
     nullptr,
     LeerKryoFlux,
     nullptr,
     nullptr,
     false,
     false,
     "extendido",
     LeerKryoFluxArchivo,
     EsRutaKryoFlux,
     EsNombreKryoFlux},
};

// Enough of a file's first bytes to tell its kind and show its signature.
constexpr std::size_t LargoPrincipio = 256;

// Whether a kind is told without a format: by its bytes or by its name.
bool SeReconoce(const Tipo &t) { return t.reconocer != nullptr || t.reconocerRuta != nullptr; }

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
  return std::any_of(tipos.begin(), tipos.end(), [&](const Tipo *t) {
    return SeReconoce(*t) && (t->esNombre == nullptr || t->esNombre(nombre));
  });
}

std::vector<std::string_view> ExtensionesDeImagen() {
  std::vector<std::string_view> v;
  for (const Tipo &t : Tabla) {
    for (const std::string_view e : t.extensiones) {
      // A kind known by its names alone is not every file with its extension.
      if (t.reconocer != nullptr && t.esNombre == nullptr && !e.empty() &&
          std::find(v.begin(), v.end(), e) == v.end()) {
        v.push_back(e);
      }
    }
  }
  return v;
}

std::vector<std::string_view> Familias() {
  std::vector<std::string_view> v;
  for (const Tipo &t : Tabla) {
    if (SeReconoce(t) && std::find(v.begin(), v.end(), t.familia) == v.end()) {
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
  return PistasDeLectura(*p.tipo, p.tipo->leer(bytes, o), bytes);
}

Pistas PistasDeLectura(const Tipo &tipo, Lectura l, std::span<const std::uint8_t> bytes) {
  Pistas p;
  p.tipo = &tipo;
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

const Tipo *TipoPorPartes(const std::string &ruta) {
  if (EsRutaComprimida(ruta)) {
    return nullptr;
  }
  for (const Tipo &t : Tabla) {
    if (t.leerArchivo != nullptr && t.reconocerRuta != nullptr && t.reconocerRuta(ruta)) {
      return &t;
    }
  }
  std::vector<std::uint8_t> principio;
  if (Plataforma::LeerPrincipioArchivo(ruta, LargoPrincipio, principio) != Errores::Ninguno) {
    return nullptr;
  }
  for (const Tipo &t : Tabla) {
    if (t.leerArchivo != nullptr && t.reconocer != nullptr && t.reconocer(principio)) {
      return &t;
    }
  }
  return nullptr;
}

} // namespace imagenes
