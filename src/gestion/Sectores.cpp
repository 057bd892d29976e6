#include "gestion/Sectores.h"

#include "imagenes/Contenedor.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace Gestion {
namespace {

constexpr std::array<ClaseEnMapa, 8> Clases{{
    {cpm::ClaseSector::Sistema, "sistema", {128, 128, 128}},
    {cpm::ClaseSector::Catalogo, "catálogo", {255, 255, 0}},
    {cpm::ClaseSector::Archivo, "archivo", {0, 255, 0}},
    {cpm::ClaseSector::Libre, "libre", {0, 0, 85}},
    {cpm::ClaseSector::Ajeno, "fuera del sistema de archivos", {85, 85, 85}},
    {cpm::ClaseSector::Error, "error", {255, 0, 0}},
    {cpm::ClaseSector::Borrado, "borrado", {255, 0, 255}},
    {cpm::ClaseSector::Debil, "débil", {255, 128, 0}},
}};

// Files' colours: greens, cyans and light blues, none of the other kinds'.
constexpr std::array<ColorMapa, 7> ColoresArchivos{{
    {0, 255, 0},
    {0, 255, 255},
    {128, 255, 0},
    {0, 128, 255},
    {128, 255, 255},
    {0, 255, 128},
    {128, 128, 255},
}};

// The canvas: track numbers on the left, the sides' names above, the legend below.
constexpr int MargenIzquierdo = 30, MargenSuperior = 20, AltoLeyenda = 44, Separacion = 12;
constexpr int AnchoLetra = 7, AltoLinea = 16;

const ClaseEnMapa &Clase(cpm::ClaseSector clase) {
  const auto c = std::find_if(Clases.begin(), Clases.end(),
                              [clase](const ClaseEnMapa &x) { return x.clase == clase; });
  return c != Clases.end() ? *c : Clases.front();
}

std::string Hex2(unsigned v) {
  char t[4];
  std::snprintf(t, sizeof t, "%02X", v & 0xFFU);
  return t;
}

std::string Bytes(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

std::string Lugar(int pista, int cara, std::uint8_t id) {
  return "Pista " + std::to_string(pista) + ", cara " + std::to_string(cara) + ", sector &" +
         Hex2(id);
}

// What the line under the map says of a sector.
std::string Describir(const cpm::Disco &disco, const cpm::PistaMapa &p, const cpm::SectorMapa &s) {
  std::string t = Lugar(p.pista, p.cara, s.id) + " (" + Bytes(s.guardados) + "): ";
  const auto &archivos = disco.catalogo.archivos;
  const bool conArchivo = s.archivo >= 0 && static_cast<std::size_t>(s.archivo) < archivos.size();
  if (s.clase != cpm::ClaseSector::Archivo) {
    t += Clase(s.clase).nombre;
    t += conArchivo ? "; " : "";
  }
  if (conArchivo) {
    t += archivos[static_cast<std::size_t>(s.archivo)].NombreConUsuario();
  }
  if (s.bloque >= 0) {
    t += ", bloque " + std::to_string(s.bloque);
  }
  return t;
}

} // namespace

std::span<const ClaseEnMapa> ClasesMapa() { return Clases; }

ColorMapa ColorArchivo(int archivo) {
  return ColoresArchivos[static_cast<std::size_t>(std::max(archivo, 0)) % ColoresArchivos.size()];
}

DibujoMapa DibujarMapa(const cpm::Disco &disco, const cpm::MapaDisco &mapa) {
  DibujoMapa d;
  const int caras = std::max(mapa.caras, 1);
  const int pistas = std::max(mapa.pistas, 1);
  const int anchoCara = (AnchoMapa - MargenIzquierdo - Separacion * caras) / caras;
  const int altoPista =
      std::max(1, (AltoMapa - MargenSuperior - AltoLeyenda - Separacion) / pistas);
  // Every track on the same scale: the most any track stores fills its row.
  std::size_t capacidad = 1;
  for (const cpm::PistaMapa &p : mapa.lista) {
    std::size_t suma = 0;
    for (const cpm::SectorMapa &s : p.sectores) {
      suma += s.guardados;
    }
    capacidad = std::max(capacidad, suma);
  }
  for (int c = 0; c < caras; ++c) {
    d.rotulos.push_back(
        {MargenIzquierdo + c * (anchoCara + Separacion), 2, "Cara " + std::to_string(c), {}});
  }
  // Numbers every track when rows are tall enough to read them, else every tenth.
  const int paso = altoPista >= AltoLinea - 4 ? 1 : altoPista * 5 >= AltoLinea ? 5 : 10;
  for (int t = 0; t < mapa.pistas; t += paso) {
    d.rotulos.push_back({2, MargenSuperior + t * altoPista, std::to_string(t), {}});
  }
  for (const cpm::PistaMapa &p : mapa.lista) {
    const int y = MargenSuperior + p.pista * altoPista;
    int x = MargenIzquierdo + p.cara * (anchoCara + Separacion);
    for (std::size_t i = 0; i < p.sectores.size(); ++i) {
      const cpm::SectorMapa &s = p.sectores[i];
      const int ancho = std::max(
          1, static_cast<int>(s.guardados * static_cast<std::size_t>(anchoCara) / capacidad));
      CeldaMapa celda;
      celda.x = x;
      celda.y = y;
      // A pixel between sectors and between tracks, where there is room for one.
      celda.ancho = ancho > 2 ? ancho - 1 : ancho;
      celda.alto = altoPista > 2 ? altoPista - 1 : altoPista;
      celda.color =
          s.clase == cpm::ClaseSector::Archivo ? ColorArchivo(s.archivo) : Clase(s.clase).color;
      celda.pista = p.pista;
      celda.cara = p.cara;
      celda.indice = i;
      celda.id = s.id;
      celda.texto = Describir(disco, p, s);
      d.celdas.push_back(std::move(celda));
      x += ancho;
    }
  }
  // The legend: two rows of boxes and names.
  int x = MargenIzquierdo;
  int y = AltoMapa - AltoLeyenda + 4;
  for (std::size_t i = 0; i < Clases.size(); ++i) {
    const std::string nombre = Clases[i].clase == cpm::ClaseSector::Archivo
                                   ? "archivos (uno de cada color)"
                                   : Clases[i].nombre;
    const int ancho = AltoLinea + 4 + static_cast<int>(nombre.size()) * AnchoLetra + Separacion;
    if (x + ancho > AnchoMapa) {
      x = MargenIzquierdo;
      y += AltoLinea + 4;
    }
    d.rotulos.push_back({x, y, nombre, Clases[i].color});
    x += ancho;
  }
  return d;
}

const CeldaMapa *CeldaEn(const DibujoMapa &dibujo, int x, int y) {
  for (const CeldaMapa &c : dibujo.celdas) {
    // The pixel between boxes belongs to the box on its left or above.
    const int ancho = c.ancho + (c.ancho > 1 ? 1 : 0), alto = c.alto + (c.alto > 1 ? 1 : 0);
    if (x >= c.x && x < c.x + ancho && y >= c.y && y < c.y + alto) {
      return &c;
    }
  }
  return nullptr;
}

std::optional<SectorEnVista> SectorParaVer(const cpm::Disco &disco, int pista, int cara,
                                           std::size_t indice) {
  const imagenes::Pista *p = imagenes::BuscarPista(disco.contenedor, pista, cara);
  if (p == nullptr || indice >= p->sectores.size()) {
    return std::nullopt;
  }
  const imagenes::Sector &s = p->sectores[indice];
  SectorEnVista v;
  v.pista = pista;
  v.cara = cara;
  v.indice = indice;
  v.datos.assign(s.datos.begin(), s.datos.end());
  v.primeroDeSuId =
      std::none_of(p->sectores.begin(), p->sectores.begin() + static_cast<std::ptrdiff_t>(indice),
                   [&s](const imagenes::Sector &o) { return o.r == s.r; });
  v.cabecera =
      Lugar(pista, cara, s.r) + ": ID C=" + std::to_string(s.c) + " H=" + std::to_string(s.h) +
      " R=&" + Hex2(s.r) + " N=" + std::to_string(s.n) + "; ST1=&" + Hex2(s.st1) + " ST2=&" +
      Hex2(s.st2) + "; " + Bytes(s.longitudGuardada) + " guardados" +
      (s.copias > 1 ? " en " + std::to_string(s.copias) + " copias (se ve la primera)" : "");
  return v;
}

namespace {

constexpr std::size_t PorLinea = 16;

char Caracter(std::uint8_t b) { return b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.'; }

bool EsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int ValorHex(char c) { return c <= '9' ? c - '0' : (c >= 'a' ? c - 'a' : c - 'A') + 10; }

} // namespace

std::string VolcadoEditable(std::span<const std::uint8_t> datos) {
  std::string t;
  for (std::size_t i = 0; i < datos.size(); i += PorLinea) {
    const std::size_t n = std::min(PorLinea, datos.size() - i);
    char pos[24];
    std::snprintf(pos, sizeof pos, "%04zX", i);
    t += pos;
    t += " ";
    for (std::size_t j = 0; j < n; ++j) {
      t += " " + Hex2(datos[i + j]);
    }
    t += std::string((PorLinea - n) * 3 + 2, ' ');
    for (std::size_t j = 0; j < n; ++j) {
      t += Caracter(datos[i + j]);
    }
    t += "\n";
  }
  return t;
}

std::optional<std::vector<std::uint8_t>> LeerVolcadoEditado(const std::string &texto,
                                                            std::span<const std::uint8_t> antes,
                                                            std::string &error) {
  // Lines as the view writes them: "OOOO " then " HH" for each byte, two
  // blanks and the characters. Hosts may end lines with CR LF.
  std::vector<std::string> lineas;
  std::size_t inicio = 0;
  while (inicio < texto.size()) {
    std::size_t fin = texto.find('\n', inicio);
    fin = fin == std::string::npos ? texto.size() : fin;
    std::string linea = texto.substr(inicio, fin - inicio);
    if (!linea.empty() && linea.back() == '\r') {
      linea.pop_back();
    }
    if (!linea.empty()) {
      lineas.push_back(std::move(linea));
    }
    inicio = fin + 1;
  }
  const std::size_t esperadas = (antes.size() + PorLinea - 1) / PorLinea;
  if (lineas.size() != esperadas) {
    error = "el volcado tiene " + std::to_string(lineas.size()) +
            (lineas.size() == 1 ? " línea" : " líneas") + " y el sector " +
            std::to_string(esperadas);
    return std::nullopt;
  }
  std::vector<std::uint8_t> datos(antes.begin(), antes.end());
  for (std::size_t l = 0; l < lineas.size(); ++l) {
    const std::string &linea = lineas[l];
    const std::size_t base = l * PorLinea;
    const std::size_t n = std::min(PorLinea, antes.size() - base);
    const auto mal = [&](const std::string &que) {
      error = "la línea " + std::to_string(l + 1) + " (" + linea.substr(0, 4) + ") " + que;
      return std::nullopt;
    };
    for (std::size_t j = 0; j < n; ++j) {
      const std::size_t p = 6 + j * 3;
      if (p + 1 >= linea.size() || linea[p - 1] != ' ' || !EsHex(linea[p]) ||
          !EsHex(linea[p + 1])) {
        return mal("no tiene el byte " + std::to_string(j + 1) + " en hex (dos cifras)");
      }
      datos[base + j] = static_cast<std::uint8_t>(ValorHex(linea[p]) * 16 + ValorHex(linea[p + 1]));
    }
    // The characters, where they are still there: one changed (and its hex
    // not) gives its byte.
    const std::size_t columna = 6 + PorLinea * 3 + 1;
    for (std::size_t j = 0; j < n && columna + j < linea.size(); ++j) {
      const char c = linea[columna + j];
      const bool hexIgual = datos[base + j] == antes[base + j];
      if (hexIgual && c != Caracter(antes[base + j]) && c >= 0x20 && c < 0x7F) {
        datos[base + j] = static_cast<std::uint8_t>(c);
      }
    }
  }
  return datos;
}

} // namespace Gestion
